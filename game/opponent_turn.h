// The computer's turn at each level: its shots chosen (rules/opponent.h,
// rules/admiral.h), announced ("AI Fires at E3... Hit!") and fired, paced at
// every level but the first by a redraw and half a second's pause before each.
#pragma once

#include "rules/board.h"

struct Game;

// A level as the opponent menu numbers and names it, and its turn.
using OpponentMove = void (*)(Game* g);
struct OpponentLevel {
    const char* name;
    OpponentMove move;
};
constexpr int OPPONENT_LEVEL_COUNT = 5;
extern const OpponentLevel OPPONENT_LEVELS[OPPONENT_LEVEL_COUNT];

// One opponent turn at each level; the match calls the Game's opponentMove.
void aiMoveEasy(Game* g);      // random shots, no pause
void aiMoveMedium(Game* g);    // follows up every hit
void aiMoveHard(Game* g);      // and filters its random shots
void aiMoveChampion(Game* g);  // and has a few lucky shots a game
void aiMoveAdmiral(Game* g);   // fires where a ship is likeliest, from what it has seen alone

// Announces "AI Fires at <square>... ", fires at (x, y) of the player's
// board and reports the result; checks for the opponent's win after a
// sinking. Returns the result, never -1: the square was never fired at.
ShotResult aiFireAt(Game* g, int x, int y);

// One turn of up to three paced shots; ends early when the opponent wins.
void aiTurn(Game* g, int smart, int lucky);

// One paced shot: redraw, pause, fire (along the ship followed, lucky, or at
// random), redraw. Returns 0 when this shot won the game, else 1.
int aiShot(Game* g, int smart, int lucky);
