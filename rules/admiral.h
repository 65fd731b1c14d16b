// The Admiral: an opponent that fires where a ship is most likely to be,
// from what it has seen of the board and nothing else.
#pragma once

#include <array>

#include "rules/layouts.h"
#include "rules/sight.h"

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
