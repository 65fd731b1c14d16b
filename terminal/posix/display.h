// What the terminal shows, without a system call: the game's last frame, or,
// on a terminal too small for the game, a notice in its place.
#pragma once

#include <string>

#include "terminal/posix/frame_diff.h"

// The game needs this much of the terminal; its last row is always blank.
constexpr int DISPLAY_MIN_COLS = SCREEN_WIDTH;
constexpr int DISPLAY_MIN_ROWS = SCREEN_HEIGHT - 1;

struct Display {
    AnsiScreen screen;    // what the terminal shows
    Frame frame{};        // the game's last frame
    Coord cursor{0, 0};   // and where it wants the cursor
    Coord notice{0, 0};   // the terminal size the too-small notice was drawn for
};

// The game shows a frame, with the cursor at *cursor (null: where it was).
// displayShow draws it.
void displayKeepFrame(Display& d, const Frame& frame, const Coord* cursor);

// The terminal's size, new or not: displayShow draws everything again.
void displayRepaint(Display& d, int rows, int cols);

// Whether the terminal is large enough for the game, rather than a notice.
bool displayFits(const Display& d);

// The bytes that bring the terminal up to date: the game's frame, or the
// notice. Nothing when it is up to date.
std::string displayShow(Display& d);

// Whether the game's colours are shown: as the --color option says, and by
// default not when NO_COLOR is set and not empty, nor when the terminal's
// terminfo entry has fewer than 8 colours (colours from terminfoColours).
// A terminal that terminfo doesn't know keeps them.
bool displayColour(ColourChoice choice, const char* noColor, int colours);
