#include "support.h"

using PlacementCommand = GameTest;

// Beside the 5-master on A1 to E1, a ship goes on the board whole, a clear square
// from others, corners too, or not at all: the board and roster stay as they were.
TEST_F(PlacementCommand, PlacesTheShipItNamesOrNothing) {
    struct Row { std::string line; int len = 0, x = 0, y = 0, ori = 0; } rows[] = {  // the ship placed, if any
        {"a3 4 h\n", 4, 0, 2}, {"   a3   4  h\n", 4, 0, 2}, {"a3 4 horizontal\n", 4, 0, 2}, {"a3 4 h extra\n", 4, 0, 2},
        {"a3 4 h ", 4, 0, 2}, {"J9 2 v\n", 2, 9, 8, 1}, {"g10 4 H\n", 4, 6, 9}, {"g1 4 h\n", 4, 6, 0}, {"a7 4 v\n", 4, 0, 6, 1},
        {"f1 2 v\n"}, {"f2 2 h\n"}, {"a2 2 v\n"}, {"c1 3 v\n"}, {"a3 3 x\n"}, {"a3 3\n"}, {"a3\n"}, {""}, {"a3 3 h"}, {"a3 6 h\n"},
        {"a3 1 h\n"}, {"a3 0 h\n"}, {"k1 2 h\n"}, {"a11 2 h\n"}, {"h1 4 h\n"}, {"j8 4 v\n"}, {"c3 5 v\n"} /* a second 5-master */,
        {"a3 " + std::string(290, '9') + " h\n"}, {std::string(300, 'z') + "\n"}, {"\x1b[A\n"}, {std::string("a3\0 4 h\n", 8)},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::PrintToString(r.line));
        restart();
        g.shipsToPlace = fleetCreate();
        auto command = [this](std::string line) {
            return placeShipCommand(g.shipsToPlace.get(), g.mapPlayer.get(), line.data(), static_cast<int>(line.size()));
        };
        ASSERT_EQ(command("a1 5 h\n"), 1);
        std::set<Square> want = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}, ships;
        for (int i = 0; i < r.len; i++) want.insert({r.x + i * !r.ori, r.y + i * r.ori});
        std::string wantLeft = "0234";
        if (r.len > 0) wantLeft[static_cast<std::size_t>(5 - r.len)]--;
        Board before = boardOf(g.mapPlayer.get());
        EXPECT_EQ(command(r.line), r.len > 0);
        EXPECT_TRUE(r.len > 0 || boardOf(g.mapPlayer.get()) == before);
        for (int i = 0; i < MAP_WIDTH * MAP_HEIGHT; i++) if (g.mapPlayer[static_cast<std::size_t>(i)] & CELL_SHIP) ships.insert({i % 10, i / 10});
        EXPECT_EQ(ships, want);
        std::string left;  // the ships still to place, longest kind first
        for (const ShipClass* s = g.shipsToPlace.get(); s; s = s->next.get()) left += std::to_string(s->remaining);
        EXPECT_EQ(left, wantLeft);
    }
}
