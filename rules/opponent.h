// Where the computer chooses the square it fires at: at random, along a ship
// it has hit, or, at the Champion's level, by luck, reading the player's
// board; the Admiral (rules/admiral.h) from what it has seen alone. Each level
// only chooses, and fires; announcing and pacing the shots is the game's
// (game/opponent_turn.h).
#pragma once

#include <cstdint>

#include "rules/admiral_random.h"
#include "rules/layouts.h"

// The opponent levels, as the menu numbers them from 1.
enum class AiLevel { Easy, Medium, Hard, Champion, Admiral };

constexpr int LUCKY_SHOTS = 5;

// What the computer remembers between its shots: the ship it follows up,
// and the luck it has left.
struct OpponentMemory {
    int trackX = -1;  // the first hit on the ship it follows, -1 when none
    int trackY = -1;
    int tracking = 0;  // 1 while it follows a ship
    int luckyShots = LUCKY_SHOTS;  // the Champion's lucky shots left in this game
    AdmiralRandom random{0};       // the Admiral's draws, seeded from the game's seed
};

// What the opponent calls a hit: a square fired at that holds a ship, sunk
// or not; a miss: a square fired at that holds none (the water shown around
// a sunk ship included).
bool aiIsHit(const std::uint8_t* map, int x, int y);
bool aiIsMiss(const std::uint8_t* map, int x, int y);

// The Champion's luck for its next shot: drawn only while some is left (147
// chances in 1000), and a lucky shot is spent at once. Comes before the
// shot's other draws.
bool aiDrawLuck(OpponentMemory* memory);

// A square the computer chooses to fire at on the player's board map, never
// one fired at before, and whether it came by luck.
struct AiChoice {
    int x;
    int y;
    bool lucky;
};

// The next shot's square. While a ship is followed: along it, outwards from
// the first hit (a lucky shot straight to one of its squares not yet hit).
// Otherwise a lucky shot goes straight to any ship; any other is drawn at
// random, and with smart set a square beside an earlier shot is taken only
// when a ship lies on it or touches it and no hit lies around it. Needs a
// ship afloat on map.
AiChoice aiChooseSquare(const std::uint8_t* map, const OpponentMemory& memory, bool smart, bool lucky);

// What a shot fired at the chosen square changes in the memory: a sinking
// ends the following of a ship; a hit, or any lucky shot, starts one.
void aiRemember(OpponentMemory* memory, const AiChoice& shot, int result);

// One shot of the computer: where, whether by luck, and what it showed.
struct AiShot {
    int x;
    int y;
    bool lucky;
    ShotResult result;
};

// The level's next shot at the player's board map: the square the level
// chooses (Easy at random; Medium and Hard along a ship hit, else at random,
// Hard with the filter; the Champion the same, its luck drawn first; the
// Admiral the likeliest square under prior, from what it has seen), fired
// at, and what it showed remembered. Needs a ship afloat on map.
AiShot aiShoot(AiLevel level, std::uint8_t* map, OpponentMemory* memory, FleetPrior prior);
