// The screen differ: turns the game's frame into the bytes a terminal needs
// to show it, only what changed since the last frame, in one piece.
//
// The bytes stay within the set that every VT100-class terminal knows, the
// Linux console included: cursor position (CUP), colours and reverse video
// (SGR 0, 4, 7, 30-37, 90-97, 40-47, 100-107), erase in display and in line,
// delete line, the scroll region, CR, LF and BS. Nothing else: a sequence
// only some terminals know breaks the screen on the others. On a terminal
// without colour only SGR 0, 4 and 7 are sent.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>

#include "terminal/terminal.h"

// What the terminal shows, as far as we know.
struct AnsiScreen {
    Frame shown{};
    bool known = false;        // false: clear and paint everything on the next frame
    int rows = SCREEN_HEIGHT;  // the terminal's real size; output is clipped to it
    int cols = SCREEN_WIDTH;
    Coord cursor{-1, -1};      // where the terminal's cursor is, -1 when unknown
    unsigned fg = 39;       // the SGR colours in force; 39 and 49 are the
    unsigned bg = 49;       // terminal's own
    bool reverse = false;   // and whether reverse video is,
    bool underline = false; // and underline
    int regionTop = 0;      // the scroll region, rows regionTop to
    int regionBottom = -1;  // regionBottom; -1 when there is none
    bool colour = true;     // false: renditions only, for a terminal without colour
};

// The bytes that show frame next on a terminal that shows s, with the cursor
// at cursor; s becomes what the terminal then shows. An unchanged frame with
// the cursor in place gives no bytes at all. A move down is CR then LF, which
// lands the same whether or not the terminal driver turns LF into CR LF.
std::string frameDiff(AnsiScreen& s, const Frame& next, Coord cursor);

// A control sequence: ESC [, the numbers separated by ";", and final.
std::string ansiSequence(std::initializer_list<int> numbers, char final);

// The bytes for one cell's character: a blank for 0, printable ASCII as is,
// 160-255 as UTF-8, and "?" for every control byte, so that nothing typed
// can act on the terminal.
std::string ansiGlyph(unsigned ch);

// What the scroll search (scroll.h) shares with the differ: where a cell is,
// whether it shows blank, a blank cell in the terminal's own colours, the
// cheapest move of the cursor, and those colours put in force.
constexpr std::size_t ANSI_ROW_BYTES = sizeof(Cell) * SCREEN_WIDTH;
std::size_t ansiAt(int x, int y);
bool ansiIsBlank(const Cell& c);
void ansiBlankCell(Cell& c);
void ansiMoveTo(AnsiScreen& s, std::string& out, int x, int y);
void ansiPlainBackground(AnsiScreen& s, std::string& out);
