// The computer's turn, the same for every level: each shot chosen and fired
// by the rules (rules/opponent.h), then announced ("AI Fires at E3... Hit!")
// and shown, paced at every level but the first by a redraw and half a
// second's pause before each.
#pragma once

#include "rules/opponent.h"

struct Game;

// A level as the opponent menu numbers and names it, and whether its shots
// are paced.
struct OpponentLevel {
    const char* name;
    AiLevel level;
    bool paced;
};
constexpr int OPPONENT_LEVEL_COUNT = 5;
extern const OpponentLevel OPPONENT_LEVELS[OPPONENT_LEVEL_COUNT];

// One turn of the computer at the Game's level: up to three shots at the
// player's board, each after the player can see the game, announced and
// reported with the boards as they then are; the first takes the marks of
// the turn before away. Ends early when the computer wins.
void aiTurn(Game* g);
