#include <algorithm>

#include "support.h"

namespace {

using Roster = GameTest;
using RandomPlacement = GameTest;

// A lone ship on an empty board: its squares, and the halo on every square
// beside it, corners included, cut off at the edges.
Board loneShip(int len, int x, int y, int ori) {
    Board b{};
    int dx = ori == 1 ? 0 : 1, dy = 1 - dx;
    for (int sy = std::max(y - 1, 0); sy <= std::min(y + (len - 1) * dy + 1, MAP_HEIGHT - 1); sy++) {
        for (int sx = std::max(x - 1, 0); sx <= std::min(x + (len - 1) * dx + 1, MAP_WIDTH - 1); sx++) {
            mapSet(b.data(), sx, sy, CELL_NEAR);
        }
    }
    for (int i = 0; i < len; i++) mapSetFlags(b.data(), x + i * dx, y + i * dy, CELL_SHIP);
    return b;
}

// One run of the draws as the game makes them: for each attempt orientation,
// column, row. False on the 1001st refusal for one kind of ship.
bool replayOneRun(Board* b) {
    constexpr int kinds[][2] = {{5, 1}, {4, 2}, {3, 3}, {2, 4}};
    *b = Board{};
    for (const auto& kind : kinds) {
        for (int left = kind[1], failures = 0; left > 0;) {
            int ori = std::rand() % 100 >= 50 ? 1 : 0;
            int x = std::rand() % 10;
            int y = std::rand() % 10;
            if (placeShip(b->data(), kind[0], x, y, ori)) {
                left--;
            } else if (++failures > 1000) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

TEST(PlacementRule, ShipGoesOnTheBoardApartFromOthersOrNotAtAll) {
    const Board start = loneShip(2, 0, 0, 0);  // A1 and B1
    struct Row { const char* name; int len, x, y, ori, placed; } rows[] = {
        {"five across to the top right corner", 5, 5, 0, 0, 1}, {"five down to the bottom left corner", 5, 0, 5, 1, 1},
        {"orientation 7 runs right", 3, 4, 4, 7, 1},            {"two down to the bottom right corner", 2, 9, 8, 1, 1},
        {"one clear column away", 2, 3, 0, 0, 1},               {"five across from column 6", 5, 6, 0, 0, 0},
        {"five down from row 6", 5, 4, 6, 1, 0},                {"length 0", 0, 5, 5, 0, 0},
        {"length 6", 6, 3, 5, 0, 0},                            {"start left of the board", 2, -1, 5, 0, 0},
        {"start below the board", 1, 5, 10, 1, 0},              {"right behind the ship", 2, 2, 0, 0, 0},
        {"under its first square", 2, 0, 1, 0, 0},              {"at its corner", 2, 2, 1, 1, 0},
        {"crossing it", 3, 1, 0, 1, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Board b = start, want = start;
        for (std::size_t i = 0; r.placed && i < want.size(); i++) want[i] |= loneShip(r.len, r.x, r.y, r.ori)[i];
        EXPECT_EQ(placeShip(b.data(), r.len, r.x, r.y, r.ori), r.placed);
        EXPECT_EQ(b, want);
    }
    EXPECT_EQ(placeShip(nullptr, 2, 5, 5, 0), 0);
}

TEST_F(Roster, ListsTheKindsLongestFirst) {
    fleetCreate(&g);
    fleetPrintRemaining(&g);
    expectMessages({"You have 1 5-Master left to place", "You have 2 4-Masters left to place",
                    "You have 3 3-Masters left to place", "You have 4 2-Masters left to place"});
}

// The same seed gives the same board, draw for draw. A run that gives up on
// the 1001st refusal is thrown away: the next starts on an empty board.
TEST_F(RandomPlacement, DrawsInTheGivenOrderAndStartsOverAfterAThousandRefusals) {
    unsigned restartingSeed = 0;
    for (unsigned seed = 1; seed <= 2000 && (seed <= 50 || restartingSeed == 0); seed++) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        Board want, b{};
        int restarts = 0;
        std::srand(seed);
        while (!replayOneRun(&want)) restarts++;
        int next = std::rand();
        std::srand(seed);
        placeFleetRandomly(&g, b.data());
        ASSERT_EQ(b, want);
        ASSERT_EQ(std::rand(), next);
        ASSERT_EQ(g.shipsToPlace, nullptr);
        if (restarts > 0 && restartingSeed == 0) restartingSeed = seed;
    }
    EXPECT_NE(restartingSeed, 0u) << "no seed up to 2000 made the placement start over";
}
