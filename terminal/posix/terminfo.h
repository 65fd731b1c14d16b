// What the system's terminfo database says a terminal can do.
#pragma once

// terminfoColours' answer for a terminal the database doesn't know.
constexpr int TERMINFO_UNKNOWN = -2;

// The colours the terminfo entry of terminal type term has: -1 when it has
// none, TERMINFO_UNKNOWN when there is no such entry (or no term).
int terminfoColours(const char* term);

// How the terminal reports the mouse, as its entry's kmous says: not at all
// (no kmous, or no entry), in xterm's SGR encoding (kmous ESC [ <), or in the
// older one, three bytes after ESC [ M.
enum class TerminfoMouse { None, Sgr, X10 };
TerminfoMouse terminfoMouse(const char* term);
