// The Admiral: an opponent that fires where a ship is most likely to be,
// from what it has seen of the board and nothing else.
#pragma once

#include <array>

#include "rules/layouts.h"
#include "rules/sight.h"

// How likely each square, (x, y) at x + y * MAP_WIDTH, is to hold a ship,
// from what sight shows and nothing else: the share of the layouts that agree
// with it, weighed under prior, that have a ship there (0 for a square seen),
// as the Admiral weighs them before it chooses. Draws only from random.
// Needs a sight that a real fleet can give.
[[nodiscard]] std::array<double, SIGHT_SQUARES> admiralOdds(const Sight& sight, FleetPrior prior, AdmiralRandom& random);

// The square to fire at next, into *x and *y: an Unknown square of sight.
// Draws only from random, so the same seed and sights give the same shots.
// Needs a sight that a real fleet can give, with a ship afloat.
void admiralChoose(const Sight& sight, FleetPrior prior, AdmiralRandom& random, int* x, int* y);

// How hard the search tries from now on (null: as hard as in the game). A
// smaller budget aims worse and answers sooner: the whole-game fuzzer plays
// so, to play more games.
void admiralSetBudget(const LayoutBudget* budget);

// A whole fleet, longest ship first, drawn so that every legal layout is
// about as likely as any other: a fleet as a player might place it by hand.
[[nodiscard]] std::array<ShipPlace, FLEET_SHIPS> admiralDrawEvenFleet(AdmiralRandom& random);
