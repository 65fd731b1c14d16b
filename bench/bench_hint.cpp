// salvo-bench-hint: how long the hint takes to work out. Plays seeded games
// in which the player fires at the likeliest square of each hint, asking for
// a hint before every shot, and prints the mean and the longest time to work
// one out: the Admiral's odds from the player's sight of a fleet placed at
// random, with the game's budget.
//
// Usage: salvo-bench-hint [games]
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "rules/admiral.h"
#include "rules/board.h"
#include "rules/fleet.h"

int main(int argc, char** argv) {
    int games = argc > 1 ? std::atoi(argv[1]) : 100;
    if (games < 1) {
        std::fprintf(stderr, "usage: salvo-bench-hint [games]\n");
        return 2;
    }
    double total = 0;
    double most = 0;
    long hints = 0;
    for (int game = 0; game < games; game++) {
        auto seed = static_cast<unsigned>(game + 1);
        std::srand(seed);
        std::array<std::uint8_t, MAP_WIDTH * MAP_HEIGHT> sea{};
        std::unique_ptr<ShipClass> roster;
        placeFleetRandomly(roster, sea.data());
        AdmiralRandom random = admiralSeed(seed);
        while (mapFleetAfloat(sea.data())) {
            auto start = std::chrono::steady_clock::now();
            std::array<double, SIGHT_SQUARES> odds = admiralOdds(sightOf(sea.data()), FleetPrior::GamePlacement, random);
            double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            total += ms;
            most = std::max(most, ms);
            hints++;
            auto likeliest = static_cast<int>(std::max_element(odds.begin(), odds.end()) - odds.begin());
            (void)mapFire(sea.data(), likeliest % MAP_WIDTH, likeliest / MAP_WIDTH);
        }
    }
    std::printf("%ld hints over %d games: %.2f ms a hint, %.2f ms at most\n", hints, games, total / static_cast<double>(hints), most);
    return 0;
}
