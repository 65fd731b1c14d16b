// What the system's terminfo database says a terminal can do.
#pragma once

// terminfoColours' answer for a terminal the database doesn't know.
constexpr int TERMINFO_UNKNOWN = -2;

// The colours the terminfo entry of terminal type term has: -1 when it has
// none, TERMINFO_UNKNOWN when there is no such entry (or no term).
int terminfoColours(const char* term);
