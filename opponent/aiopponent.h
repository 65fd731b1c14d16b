// The computer's levels, its announced shot, and its random choice of target.
#pragma once

#include <cstdint>

#include "board/map.h"

struct Game;

// What the opponent calls a hit: a square fired at that holds a ship,
// sunk or not; a miss: a square fired at that holds none (the water shown
// around a sunk ship included).
bool aiIsHit(const std::uint8_t* map, int x, int y);
bool aiIsMiss(const std::uint8_t* map, int x, int y);

// Announces "AI Fires at <square>... " and fires at (x, y) of map; checks
// for the opponent's win after a sinking. Returns the shot's result, never
// -1: callers never pick a square fired at before.
ShotResult aiFireAt(std::uint8_t* map, int x, int y, Game* g);

// Draws squares of the player's board until one is acceptable, stores it in
// *x, *y and fires at it. A square fired at before is never acceptable; with
// smart and avoid both set, neither is one beside an earlier shot unless a
// ship lies on or next to it with no hit around it.
ShotResult aiRandomShot(Game* g, int* x, int* y, int smart, int avoid);

// The levels as the opponent menu numbers them, 1 to 4.
struct OpponentLevel {
    const char* name;  // as the menu shows it
    void (*move)(Game* g);
};
extern const OpponentLevel OPPONENT_LEVELS[4];

// One opponent turn at each level; called through opponentMove.
void aiMoveEasy(Game* g);      // random shots, no pause
void aiMoveMedium(Game* g);    // follows up every hit
void aiMoveHard(Game* g);      // and filters its random shots
void aiMoveChampion(Game* g);  // and has a few lucky shots a game
