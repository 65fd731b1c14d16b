#include "support.h"

namespace {

struct Placing : GameTest {
    // The player places the fleet by hand with lines; what the message area
    // shows after each, from its first row that differs from before.
    std::string said() {
        for (int y = 23; y >= 14; y--) {
            std::string row = headlessRow(y);
            if (row.starts_with("> ")) return headlessRow(y + 1);
        }
        return "";
    }
};

}  // namespace

// After the 5-master on A1 to E1, each line is refused for its own reason,
// and the board is as it was. The ship in the way is named by its first
// square, whichever of its squares is touched.
TEST_F(Placing, EveryRefusalSaysWhyAndChangesNothing) {
    const std::pair<const char*, std::string> rows[] = {
        {"A1 6 h", "Placement failed. Ships are 2 to 5 squares long."},
        {"a1 1 h", "Placement failed. Ships are 2 to 5 squares long."},
        {"J1 4 h", "Placement failed. The ship would not lie wholly on the board."},
        {"a8 4 v", "Placement failed. The ship would not lie wholly on the board."},
        {"k1 2 h", "Placement failed. The ship would not lie wholly on the board."},
        {"a2 4 h", "Placement failed. It would touch the 5-Master at A1."},
        {"F2 2 v", "Placement failed. It would touch the 5-Master at A1."},  // at a corner
        {"c1 3 v", "Placement failed. It would cross the 5-Master at A1."},
        {"a5 5 h", "Placement failed. No 5-Master is left to place."},
        {"A5 4h", "Placement failed. Type a square, a length and h or v, such as A1 3 v."},
        {"zz", "Placement failed. Type a square, a length and h or v, such as A1 3 v."},
        {"undo it", "Placement failed. Type a square, a length and h or v, such as A1 3 v."},
    };
    for (const auto& [line, reason] : rows) {
        SCOPED_TRACE(line);
        restart();
        headlessQueueInput("a1 5 h\n" + std::string(line) + "\n");
        EXPECT_FALSE(placeFleetManually(&g));  // the input ends before the fleet is placed
        EXPECT_EQ(said(), reason);
        Board fiveMaster{};
        placeShip(fiveMaster.data(), 5, 0, 0, 0);
        EXPECT_TRUE(std::equal(fiveMaster.begin(), fiveMaster.end(), g.mapPlayer.get()));
    }
}

// Undo takes the ships back, last first, to an empty board (what each says,
// the placing session records); then there is nothing to undo. Random places
// the whole fleet as the random placement does, a fleet placed at random; a
// ship by hand before it makes a fleet placed by hand.
TEST_F(Placing, UndoBackToAnEmptyBoardAndRandomPlacesTheRest) {
    const unsigned seed = 77;
    Board drawn{};
    std::srand(seed);
    placeFleetRandomly(&g, drawn.data());

    restart();
    std::srand(seed);
    play(placeFleetManually, &g, "a1 5 h\nc3 4 v\nundo\nundo\nundo\nrandom\n");
    Lines area;
    for (int y = 14; y < 24; y++) area.push_back(headlessRow(y));
    EXPECT_NE(std::ranges::find(area, "Nothing to undo: no ship is placed yet."), area.end());
    EXPECT_TRUE(std::equal(drawn.begin(), drawn.end(), g.mapPlayer.get()));
    EXPECT_TRUE(g.shipsPlaced.empty());  // a fleet placed at random

    restart();
    play(placeFleetManually, &g, "j1 2 v\nRandom\n");
    EXPECT_EQ(mapShipAt(g.mapPlayer.get(), 9, 0), (ShipPlace{9, 0, 2, 1}));
    EXPECT_EQ(shipSquares(g.mapPlayer.get()), FLEET_SQUARES);
    EXPECT_EQ(g.shipsPlaced.size(), 1u);  // a fleet placed by hand
}

// All but the 5-master placed by hand so that no run of five squares is left
// clear of them: random finds no room, says so, and changes nothing, the
// board nor the ships left to place.
TEST_F(Placing, RandomWithNoRoomLeftChangesNothing) {
    const std::string fleet = "a2 4 h\nf2 4 h\na5 3 h\ne5 3 h\ni5 2 h\na8 2 h\nd8 2 h\ng8 2 h\nd10 3 h\n";
    headlessQueueInput(fleet + "random\n");
    EXPECT_FALSE(placeFleetManually(&g));  // the input ends with the 5-master left to place
    Board placed{};
    for (auto [x, y, len] : {std::tuple{0, 1, 4}, {5, 1, 4}, {0, 4, 3}, {4, 4, 3}, {8, 4, 2}, {0, 7, 2}, {3, 7, 2}, {6, 7, 2}, {3, 9, 3}}) {
        ASSERT_EQ(placeShip(placed.data(), len, x, y, 0), 1);
    }
    EXPECT_TRUE(std::equal(placed.begin(), placed.end(), g.mapPlayer.get()));
    EXPECT_EQ(said(), "Placement failed. No room for the rest at random: undo a ship or two.");
    int left = 0;
    for (const ShipClass* s = g.shipsToPlace.get(); s; s = s->next.get()) left += s->remaining * s->length;
    EXPECT_EQ(left, 5);
}
