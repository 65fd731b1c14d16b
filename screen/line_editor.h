// The line the player types, the same on every terminal: events in, lines
// out as fgets would give them. Keys edit the line; while a board is aimed
// at, the arrow keys move over its squares and the line names the square
// aimed at; a click fires at a square, or answers a menu by its line. The
// typing is drawn over the game's frame after its cursor, with the aim.
#pragma once

#include <cstddef>
#include <string>

#include "terminal/terminal.h"

// The longest line kept while it is typed at a terminal, as a terminal's own
// line editing keeps; further characters are dropped until the line ends.
constexpr std::size_t EDITOR_LINE_MAX = 4095;

// A board on the screen: the cell of its square A1, its column letters two
// rows above, its row numbers in the two columns before the bar left of A1;
// columns x rows squares, at most 26 columns, lettered a to z.
struct AimBoard {
    Coord a1;
    int columns;
    int rows;
};

// What a click means.
enum class Clicks {
    Ignored,
    Squares,    // fires at the square clicked on the board aimed at
    MenuLines,  // answers a menu: the number its line begins with (" 2 - quit")
};

struct LineEditor {
    std::string line;    // being typed
    std::string lines;   // ended (newline included), waiting to be read
    bool ended = false;  // no more input will come
    Clicks clicks = Clicks::Ignored;
    bool aiming = false;  // a board is aimed at
    AimBoard board{};
    Coord aimed{-1, -1};    // the square last aimed or fired at, -1 while none
    bool aimShown = false;  // from an arrow key to the next other key
    bool hintKey = false;   // ? on an empty line asks for the hint
    bool hintAsked = false; // and has
};

// Applies one event to the line. A character is kept (at a terminal up to
// EDITOR_LINE_MAX); erase, erase-line and erase-word change the line; Enter
// ends it; the end-of-input key ends input on an empty line, and does nothing
// else; at the end of input, a line cut off by it is a last line. The arrows
// move the aim one square, from the square the line names, else the one last
// aimed or fired at, else A1, stopping at the board's edges; the line becomes
// the aimed square's name, as if typed. A click is a line and Enter: the
// square clicked (empty for a cell off the board's squares) while aiming, the
// number of a menu's line clicked (nothing for another line) at a menu.
// With the hint key on, ? on an empty line asks for the hint, and is not typed.
// screen is the frame shown, whose rows a click on a menu reads.
void editorApply(LineEditor& e, const TerminalEvent& event, const Frame& screen, bool atTerminal);

// Takes the next piece of the lines ended, as fgets would: at most size - 1
// bytes, through the newline, NUL-terminated. A line longer than that comes
// in pieces; a last line without a newline comes once input has ended.
// False when there is none yet.
bool editorTake(LineEditor& e, char* buf, int size);

// Sets the board aimed at (null: none), with nothing aimed at yet; clicks
// then fire at its squares, or mean nothing.
void editorAim(LineEditor& e, const AimBoard* board);

// Forgets the line being typed and the lines ended, but the end of input.
void editorDrop(LineEditor& e);

// Aims at square of the board aimed at, as the arrow keys would: the line
// names it, the aim shows. Needs a board aimed at.
void editorAimTo(LineEditor& e, Coord square);

// The game's frame as the player sees it while typing: the line after the
// cursor, running on over the rows below it, which are blank, with the
// cursor after it; a line too long for that room (the terminal's rows, at
// most the frame's) shows its end. While the aim shows, the aimed square's
// column letter and row number are in reverse video and the cursor is on it.
void editorCompose(const LineEditor& e, Frame& cells, Coord& cursor, int rows);
