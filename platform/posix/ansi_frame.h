// Turns the console's cell image into the bytes a terminal needs to show it:
// only what changed since the last frame, in one piece.
//
// The bytes stay within the set that every VT100-class terminal knows, the
// Linux console included: cursor position (CUP), colours and reverse video
// (SGR 0, 7, 30-37, 90-97, 40-47, 100-107), erase in display and in line,
// delete line, the scroll region, CR, LF and BS. Nothing else: a sequence
// only some terminals know breaks the screen on the others. On a terminal
// without colour only SGR 0 and 7 are sent.
#pragma once

#include <array>
#include <initializer_list>
#include <string>

#include "platform/console.h"

constexpr int ANSI_COLS = 80;
constexpr int ANSI_ROWS = 25;
constexpr WORD ANSI_PLAIN = 7;  // the terminal's own colours

// What the terminal shows, as far as we know.
struct AnsiScreen {
    std::array<CHAR_INFO, ANSI_COLS * ANSI_ROWS> shown{};
    bool known = false;     // false: clear and paint everything on the next frame
    int rows = ANSI_ROWS;   // the terminal's real size; output is clipped to it
    int cols = ANSI_COLS;
    COORD cursor{-1, -1};   // where the terminal's cursor is, -1 when unknown
    unsigned fg = 39;       // the SGR colours in force; 39 and 49 are the
    unsigned bg = 49;       // terminal's own
    bool reverse = false;   // and whether reverse video is
    int regionTop = 0;      // the scroll region, rows regionTop to
    int regionBottom = -1;  // regionBottom; -1 when there is none
    bool colour = true;     // false: renditions only, for a terminal without colour
};

// The bytes that show the cell image next (80 x 25 cells) on a terminal that
// shows s, with the cursor at cursor; s becomes what the terminal then shows.
// An unchanged frame with the cursor in place gives no bytes at all. A move
// down is CR then LF, which lands the same whether or not the terminal driver
// turns LF into CR LF.
std::string ansiFrame(AnsiScreen& s, const CHAR_INFO* next, COORD cursor);

// A control sequence: ESC [, the numbers separated by ";", and final.
std::string ansiSequence(std::initializer_list<int> numbers, char final);

// The bytes for one cell's character: a blank for 0, printable ASCII as is,
// 160-255 as UTF-8, and "?" for every control byte, so that nothing typed
// can act on the terminal.
std::string ansiGlyph(unsigned ch);
