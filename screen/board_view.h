// The board view: both boards side by side at the top of the screen, each
// framed by its column letters and row numbers, both fleets beside them,
// and under the fleets a panel: the match in figures, or while the fleet is
// placed by hand, how to place it.
#pragma once

#include <array>
#include <cstdint>

#include "rules/board.h"
#include "screen/console.h"

// Board display modes.
constexpr int DRAW_SHIPS = 0;      // every ship segment shown
constexpr int DRAW_HIDDEN = 1;     // segments not hit look like water
constexpr int DRAW_PLACEMENT = 2;  // as DRAW_SHIPS, and the halo marked

// How likely each square of a board, (x, y) at x + y * MAP_WIDTH, is to
// hold a ship: the hint.
using SquareOdds = std::array<double, MAP_WIDTH * MAP_HEIGHT>;

// The likeliest square of odds: the first of those likeliest.
std::size_t consoleLikeliest(const SquareOdds& odds);

// One board as drawn: its squares, its mode, and the shots of the latest
// turn fired at it, which are marked (underlined), or null for none; and the
// odds of its squares not fired at, shown over them, or null for none.
struct BoardDrawn {
    const std::uint8_t* map;
    int mode;
    const SquareSet* marked;
    const SquareOdds* odds = nullptr;
};

// One side's shots in a match, and how many hit a ship.
struct ShotCount {
    int shots;
    int hits;
};

// The match in figures: the opponent's name, the turn under way (from 1;
// 0 before the first), and each side's shots.
struct MatchFigures {
    const char* opponent;
    int turn;
    ShotCount player;
    ShotCount computer;
    int hints = 0;  // how many the player asked for
};

// What the panel under the fleets shows.
enum class Panel { Nothing, PlacingHelp, Figures };

// The top of the screen, as drawn by consoleDrawMaps.
struct BoardsDrawn {
    BoardDrawn player;    // at the left
    BoardDrawn opponent;  // at the right
    Panel panel;
    const MatchFigures* figures;  // for Panel::Figures
};

// Draws both boards into c with the fleets beside them and the panel under
// those, and writes the screen once.
void consoleDrawMaps(ConsoleWin* c, const BoardsDrawn& boards);

// Draws the same into the cell image only: the next write of the screen
// shows them, with whatever else changed, as one frame.
void consoleComposeMaps(ConsoleWin* c, const BoardsDrawn& boards);

// Draws one board into the cell image with its top-left corner at (ox, oy).
// Only consoleDrawMaps calls it, inside its bracket.
void consoleDrawMap(ConsoleWin* c, const BoardDrawn& board, int ox, int oy);

// A shot's accuracy as the panel and the summary give it: "48%", or "-"
// before the first shot.
void consoleAccuracy(const ShotCount& count, char* out, int size);

// While on is 1, the lines read name squares of the opponent's board: the
// arrow keys aim over it and a click fires at a square of it. Turning it on
// starts afresh, with nothing aimed at yet; 0 turns it off.
void consoleAim(ConsoleWin* c, int on);
