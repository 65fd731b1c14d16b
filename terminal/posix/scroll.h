// The scroll search: a block of rows that moved up together, as the message
// area does when it scrolls, found so that the terminal can move them
// instead of their being drawn again; and the cheapest way to move them.
#pragma once

#include <string>

#include "terminal/posix/frame_diff.h"

// Rows top to bottom move up by k rows, blank rows coming in below them.
struct Scroll {
    int top = 0;
    int bottom = 0;
    int k = 0;       // 0: no scroll pays
    int lowest = 0;  // the blank rows shown below the block reach down to here
};

// The block of the first height rows of next that moved up from where s
// shows them, when moving it pays (k 0 when none does).
Scroll findScroll(const AnsiScreen& s, const Cell* next, int height);

// How to scroll: the rows that move, which may reach below the block, and
// whether by deleting lines or by line feeds in a scroll region.
struct ScrollWay {
    Scroll scroll;
    bool byDeleting;
};

// The cheapest way to scroll by sc on a terminal that shows s.
ScrollWay scrollChoose(const AnsiScreen& s, Scroll sc, int height);

// Scrolls that way, appending the bytes to out; s follows.
void scrollRows(AnsiScreen& s, std::string& out, const ScrollWay& way);
