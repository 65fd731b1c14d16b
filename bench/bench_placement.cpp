// salvo-bench-placement: random placement of a whole fleet. How many
// placements a second, and how often a run fails to fit the fleet and the
// placement starts over on an empty board.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "rules/board.h"
#include "rules/fleet.h"

namespace {

void clearBoard(std::uint8_t* map) { std::memset(map, 0, MAP_WIDTH * MAP_HEIGHT); }

// Stops the program if the board does not hold exactly one fleet's squares.
void expectFleet(const std::uint8_t* map, unsigned seed) {
    int squares = 0;
    for (int i = 0; i < MAP_WIDTH * MAP_HEIGHT; i++) squares += map[i] & CELL_SHIP;
    if (squares != FLEET_SQUARES) {
        std::fprintf(stderr, "salvo-bench-placement: seed %u placed %d ship squares\n", seed, squares);
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    int placements = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (placements < 1) {
        std::fprintf(stderr, "usage: salvo-bench-placement [placements]\n");
        return 2;
    }
    std::array<std::uint8_t, MAP_WIDTH * MAP_HEIGHT> board{};
    std::uint8_t* map = board.data();
    std::unique_ptr<ShipClass> roster;
    auto seedOf = [](int i) { return static_cast<unsigned>(i) + 1; };

    // Whole placements, as the game makes them.
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < placements; i++) {
        std::srand(seedOf(i));
        clearBoard(map);
        placeFleetRandomly(roster, map);
    }
    std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    expectFleet(map, seedOf(placements - 1));

    // The same seeds again, one run at a time, counting the runs that gave up.
    std::vector<int> runs(static_cast<std::size_t>(placements));
    for (int i = 0; i < placements; i++) {
        std::srand(seedOf(i));
        clearBoard(map);
        int n = 1;
        while (!placeFleetRandomlyOnce(roster, map)) n++;
        runs[static_cast<std::size_t>(i)] = n;
    }
    expectFleet(map, seedOf(placements - 1));

    long totalRuns = 0;
    int restarted = 0;
    for (int n : runs) {
        totalRuns += n;
        restarted += n > 1 ? 1 : 0;
    }
    int most = *std::max_element(runs.begin(), runs.end());
    long failedRuns = totalRuns - placements;
    double perSecond = placements / wall.count();

    std::printf("Random placement of a whole fleet on an empty board, seeds 1 to %d.\n\n", placements);
    std::printf("%-44s %12.0f\n", "placeFleetRandomly calls a second", perSecond);
    std::printf("%-44s %12.2f\n", "microseconds a placement", 1e6 / perSecond);
    std::printf("%-44s %12d\n", "placements", placements);
    std::printf("%-44s %12d  (%.2f %%)\n", "placements that started over at least once", restarted,
                100.0 * restarted / placements);
    std::printf("%-44s %12.4f\n", "runs a placement, mean", static_cast<double>(totalRuns) / placements);
    std::printf("%-44s %12d\n", "runs a placement, most", most);
    std::printf("%-44s %12ld  (%.2f %% of all runs)\n", "runs given up", failedRuns,
                100.0 * static_cast<double>(failedRuns) / static_cast<double>(totalRuns));
    return 0;
}
