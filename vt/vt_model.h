// A model of a VT102-class terminal that knows only the common set the
// terminal layer may speak, as the Linux console documents it: printable
// characters (UTF-8 up to U+00FF), CR, LF and BS; CSI cursor position (H),
// SGR (m: 0, 4, 7, 30-37, 39, 40-47, 49, 90-97, 100-107), erase in display and in
// line (J, K), insert and delete line (L, M), the scroll region (r), and the
// private modes 25 (cursor shown) and 1049 (alternate screen); and on a
// terminal that reports the mouse, its modes 1000 and 1006. Anything else
// is an error: the tests, fuzzers and benchmarks replay the layer's output
// through it and look at the screen it makes.
//
// It behaves as those terminals do where it matters: a character written in
// the last column leaves the cursor there with a wrap pending, LF at the
// bottom of the scroll region scrolls it, and erased or inserted cells take
// the background in force. Erasing or scrolling with reverse video or
// underline in force is an error too: terminals disagree on what the new
// blanks look like.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "terminal/terminal.h"

struct VtCell {
    char32_t ch = U' ';
    int fg = 39;  // SGR numbers; 39 and 49 are the terminal's own colours
    int bg = 49;
    bool reverse = false;
    bool underline = false;
    bool operator==(const VtCell&) const = default;
};

struct VtScreen {
    int rows = SCREEN_HEIGHT;
    int cols = SCREEN_WIDTH;
    std::vector<VtCell> cells;   // row after row
    std::vector<VtCell> normal;  // the normal screen, while the alternate one is shown
    int x = 0;
    int y = 0;
    bool wrapPending = false;
    int top = 0;  // the scroll region, rows top to bottom
    int bottom = 24;
    int fg = 39;
    int bg = 49;
    bool reverse = false;
    bool underline = false;
    bool cursorShown = true;
    bool alternate = false;
    bool mouse = false;        // the terminal reports the mouse (its terminfo entry says so)
    bool mouseReports = false; // and is asked to (mode 1000)
    bool mouseSgr = false;     // in the SGR encoding (mode 1006)
    int coloursNamed = 0;    // SGR colour numbers met (a terminal without colour should meet none)
    std::string unfinished;  // the start of a sequence or character cut between feeds
    std::string error;       // the first thing outside the set; empty while all is well
};

VtScreen vtNew(int rows, int cols);

// Takes bytes the terminal receives. Stops at the first error.
void vtFeed(VtScreen& s, std::string_view bytes);

// The window changes size: the screen keeps its top-left part.
void vtResize(VtScreen& s, int rows, int cols);

const VtCell& vtAt(const VtScreen& s, int x, int y);

// Row y as UTF-8 text, trailing blanks cut.
std::string vtRow(const VtScreen& s, int y);

// Whether the screen shows the console cells (80 x 25, clipped to the
// screen) with the cursor at cursor (clipped too), as the game means them:
// character 0 as a blank, control characters as "?", 160-255 as themselves;
// attribute 7 in the terminal's own colours, others in the ANSI colours of
// their bits, or with colour false all in the terminal's own colours; the
// reverse video and underline bits as themselves. Blanks are compared by the
// one colour they show, or two when underlined. Empty when it does, else the
// first difference.
std::string vtDiffers(const VtScreen& s, const Frame& cells, Coord cursor, bool colour = true);
