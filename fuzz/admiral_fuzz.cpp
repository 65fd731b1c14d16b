// Fuzz target for the Admiral's search on its own, with the game's budget,
// over sights that a fleet can give: a fleet placed as the game places it
// (or drawn evenly among all layouts), fired at square by square as the
// input says, and the Admiral asked for its next square now and then. It
// must name a square never fired at, and find layouts that agree with what
// it has seen; anything else stops the fuzzer (a failed GAME_ASSERT, a
// sanitizer report).
//
// Input: four bytes of seed (little-endian), a byte whose low bit chooses
// the fleet (0 placed as the game does, 1 drawn evenly) and the prior (the
// same), then a byte a shot: the square (its value modulo 100) fired at,
// or, for a value of 200 and up, a question to the Admiral.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "rules/admiral.h"
#include "rules/board.h"
#include "rules/fleet.h"
#include "terminal/game_assert.h"

namespace {

constexpr int QUESTIONS = 4;  // at most, a run: each is a whole search

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    unsigned seed = static_cast<unsigned>(data[0]) | static_cast<unsigned>(data[1]) << 8 |
                    static_cast<unsigned>(data[2]) << 16 | static_cast<unsigned>(data[3]) << 24;
    bool even = (data[4] & 1) != 0;
    std::array<std::uint8_t, MAP_WIDTH * MAP_HEIGHT> board{};
    AdmiralRandom random = admiralSeed(seed);
    if (even) {
        for (const ShipPlace& s : admiralDrawEvenFleet(random)) GAME_ASSERT(placeShip(board.data(), s.len, s.x, s.y, s.vertical) == 1);
    } else {
        std::srand(seed);
        std::unique_ptr<ShipClass> roster;
        placeFleetRandomly(roster, board.data());
    }
    FleetPrior prior = even ? FleetPrior::Even : FleetPrior::GamePlacement;
    int questions = 0;
    for (std::size_t i = 5; i < size && mapFleetAfloat(board.data()) && questions < QUESTIONS; i++) {
        if (data[i] < 200) {
            (void)mapFire(board.data(), data[i] % MAP_WIDTH, data[i] / MAP_WIDTH % MAP_HEIGHT);
            continue;
        }
        questions++;
        int x = -1;
        int y = -1;
        Sight sight = sightOf(board.data());
        admiralChoose(sight, prior, random, &x, &y);
        GAME_ASSERT(XYVALID(x, y) && sight.at(x, y) == Seen::Unknown);
    }
    return 0;
}
