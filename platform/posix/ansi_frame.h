// Turns the console's cell image into the bytes a terminal needs to show it:
// only what changed since the last frame, in one piece.
#pragma once

#include <array>
#include <string>

#include "platform/console.h"

constexpr int ANSI_COLS = 80;
constexpr int ANSI_ROWS = 25;

// What the terminal shows, as far as we know.
struct AnsiScreen {
    std::array<CHAR_INFO, ANSI_COLS * ANSI_ROWS> shown{};
    bool known = false;         // false: repaint everything on the next frame
    int rows = ANSI_ROWS;       // the terminal's real size; output is clipped to it
    int cols = ANSI_COLS;
    COORD cursor{-1, -1};       // where the last frame left the cursor
};

// The bytes that show the cell image next (80 x 25 cells) on a terminal that
// shows s, with the cursor at cursor; s becomes what the terminal then shows.
// An unchanged frame with the cursor in place gives no bytes at all.
std::string ansiFrame(AnsiScreen& s, const CHAR_INFO* next, COORD cursor);

// The bytes for one cell's character: a blank for 0, printable ASCII as is,
// 160-255 as UTF-8, and "?" for every control byte, so that nothing typed
// can act on the terminal.
std::string ansiGlyph(unsigned ch);

// The SGR sequence for a Windows console attribute; attribute 7 is the
// terminal's own default colours.
std::string ansiColour(unsigned attr);
