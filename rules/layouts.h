// Where the ships still afloat may lie, given what a shooter has seen: every
// layout that agrees with the sight, counted when they are few and drawn at
// random when they are many, each with how much it counts under a prior.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "rules/admiral_random.h"
#include "rules/fleet.h"
#include "rules/bits.h"
#include "rules/sight.h"

// How the fleet may have been placed. Even: by hand, any legal layout as
// likely as another. GamePlacement: by the game's random placement, which
// puts each ship, longest first, evenly among the places left to it.
enum class FleetPrior { Even, GamePlacement };


// What a sight tells the search.
struct Position {
    Bits open;     // squares a ship afloat may cover: not water, not sunk, not next to a sunk ship
    Bits hits;     // squares hit whose ship is afloat
    Bits unknown;  // squares never fired at
    std::array<int, MAX_SHIP_LEN + 1> afloat{};  // ships afloat of each length
    std::array<Bits, FLEET_SHIPS> sunk{};        // the squares of each sunk ship
    std::array<int, FLEET_SHIPS> sunkLength{};
    int sunkCount = 0;
};

// The position a sight shows. Needs a sight that a real fleet can give:
// sunk ships straight, of the fleet's lengths, no more of one length than
// the fleet has.
[[nodiscard]] Position positionOf(const Sight& sight);

// One layout of the ships afloat: their squares, and how much it counts.
struct Layout {
    Bits ships;
    double weight;
};

// How hard the search tries.
struct LayoutBudget {
    int exactNodes;  // steps of the exhaustive search before it gives up
    int exactMost;   // layouts it may count; more and the search draws instead
    int draws;       // layouts to draw
    int tries;       // draws to attempt, dead ends included, at most
};

// Fills out with layouts of p's ships afloat that agree with it: all of
// them, each weighed exactly under prior, when there are few; else layouts
// drawn from random, weighed so that a sum over them estimates the same.
// Returns true when the count was exact. out is empty when no layout was
// found within the budget. Needs a ship afloat.
bool layoutsFind(const Position& p, FleetPrior prior, const LayoutBudget& budget, AdmiralRandom& random,
                 std::vector<Layout>* out);

// Draws one layout of the whole fleet on an empty board, each ship's squares
// in ships (longest first); returns its weight under the even prior against
// the chance of drawing it, 0 for a dead end.
[[nodiscard]] double layoutsDrawFleet(AdmiralRandom& random, std::array<Bits, FLEET_SHIPS>* ships);
