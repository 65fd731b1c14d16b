// The board view: both boards side by side at the top of the screen, each
// framed by its column letters and row numbers, and both fleets beside them.
#pragma once

#include <cstdint>

#include "screen/console.h"

// Board display modes for consoleDrawMaps.
constexpr int DRAW_SHIPS = 0;      // every ship segment shown
constexpr int DRAW_HIDDEN = 1;     // segments not hit look like water
constexpr int DRAW_PLACEMENT = 2;  // as DRAW_SHIPS, and the halo marked

// Draws both boards into c, the player's (mapPlayer) at the left with
// modePlayer and the opponent's at the right with modeOpponent, with the
// fleets beside them, and writes the screen once.
void consoleDrawMaps(ConsoleWin* c, const std::uint8_t* mapPlayer, const std::uint8_t* mapOpponent, int modePlayer,
                     int modeOpponent);

// Draws one board into the cell image with its top-left corner at (ox, oy).
// Only consoleDrawMaps calls it, inside its bracket.
void consoleDrawMap(ConsoleWin* c, const std::uint8_t* map, int ox, int oy, int mode);

// While on is 1, the lines read name squares of the opponent's board: where
// the terminal has arrow keys, they aim over it. Turning it on starts afresh,
// with nothing aimed at yet; 0 turns it off.
void consoleAim(int on);
