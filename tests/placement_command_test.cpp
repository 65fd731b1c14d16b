#include "support.h"

namespace {

struct PlacementCommand : GameTest {
    PlacementCommand() { fleetCreate(&g); }
    // The ships still to place, longest kind first: "1234" for a whole fleet.
    std::string left() const {
        std::string counts;
        for (const ShipClass* s = g.shipsToPlace.get(); s; s = s->next.get()) counts += std::to_string(s->remaining);
        return counts;
    }
    int command(std::string line) { return placeShipCommand(&g, line.data(), static_cast<int>(line.size())); }
};
using ManualPlacement = PlacementCommand;
using PlacementCommandDeathTest = PlacementCommand;

struct Cmd { const char* line; int len, x, y, ori; };

// A whole fleet, ships one square apart.
const Cmd FLEET[] = {
    {"a1 5 h\n", 5, 0, 0, 0}, {"g1 4 h\n", 4, 6, 0, 0}, {"a3 4 h\n", 4, 0, 2, 0}, {"f3 3 h\n", 3, 5, 2, 0},
    {"a5 3 h\n", 3, 0, 4, 0}, {"e5 3 h\n", 3, 4, 4, 0}, {"a7 2 h\n", 2, 0, 6, 0}, {"d7 2 h\n", 2, 3, 6, 0},
    {"g7 2 h\n", 2, 6, 6, 0}, {"a9 2 h\n", 2, 0, 8, 0},
};

Board boardWith(const Cmd* first, const Cmd* last) {
    Board b{};
    for (const Cmd* c = first; c != last; c++) placeShip(b.data(), c->len, c->x, c->y, c->ori);
    return b;
}

}  // namespace

TEST_F(PlacementCommand, SpellingsOfOneCommandPlaceTheSameShip) {
    const Cmd rows[] = {
        {"a1 5 h\n", 5, 0, 0, 0},          {"A1 5 H\n", 5, 0, 0, 0},       {"   a1   5  h\n", 5, 0, 0, 0},
        {"a1 5 horizontal\n", 5, 0, 0, 0}, {"a1 5 h extra\n", 5, 0, 0, 0}, {"a1 5 h ", 5, 0, 0, 0},
        {"J9 2 v\n", 2, 9, 8, 1},          {"g10 4 H\n", 4, 6, 9, 0},
    };
    for (const Cmd& r : rows) {
        SCOPED_TRACE(r.line);
        restart();
        fleetCreate(&g);
        std::string want = left();
        want[static_cast<std::size_t>(5 - r.len)]--;
        EXPECT_EQ(command(r.line), 1);
        EXPECT_EQ(boardOf(g.mapPlayer.get()), boardWith(&r, &r + 1));
        EXPECT_EQ(left(), want);
    }
}

TEST_F(PlacementCommand, FailedCommandChangesNeitherBoardNorRoster) {
    ASSERT_EQ(command("a1 5 h\n"), 1);
    const Board board = boardOf(g.mapPlayer.get());
    const std::string rows[] = {
        "a3 3 x\n", "a3 3\n", "a3\n", "", "a3 3 h", "a3 6 h\n", "a3 1 h\n", "a3 0 h\n", "k1 2 h\n", "a11 2 h\n",
        "j10 2 h\n", "j9 3 v\n", "c3 5 v\n" /* a second 5-master */, "f2 2 h\n", "a2 2 v\n" /* touching the first */,
        "a3 " + std::string(290, '9') + " h\n", std::string(300, 'z') + "\n", "\x1b[A\n", std::string("a3\0 3 h\n", 8),
    };
    for (const std::string& r : rows) {
        SCOPED_TRACE(testing::PrintToString(r));
        EXPECT_EQ(command(r), 0);
        EXPECT_EQ(boardOf(g.mapPlayer.get()), board);
        EXPECT_EQ(left(), "0234");
    }
}

TEST_F(PlacementCommandDeathTest, NeedsALineAndTheGamesBoard) {
    char line[] = "a1 5 h\n";
    EXPECT_DEATH(placeShipCommand(&g, nullptr, 0), "Assertion failed: cmd != NULL");
    g.mapPlayer.reset();
    EXPECT_DEATH(placeShipCommand(&g, line, 7), "Assertion failed: g->mapPlayer != NULL");
}

// Refused along the way: a bad orientation, a ship touching another, an empty
// line, a second 5-master, a 2-master off the board.
TEST_F(ManualPlacement, TakesCommandsUntilTheWholeFleetIsOnTheBoard) {
    fleetFree(&g);  // the loop builds its own
    std::string lines = "a1 5 x\n";
    for (const Cmd& c : FLEET) {
        if (c.y == 8) lines += "j10 2 v\n";
        lines += c.line;
        if (c.len == 5) lines += "b2 2 h\n\nc3 5 v\n";
    }
    play(placeFleetManually, &g, lines);
    EXPECT_EQ(g.shipsToPlace, nullptr);
    EXPECT_EQ(boardOf(g.mapPlayer.get()), boardWith(std::begin(FLEET), std::end(FLEET)));
    expectMessages({"You have 1 2-Master left to place", "", "> j10 2 v", "Placement failed.",
                    "You have 1 2-Master left to place", "", "> a9 2 h", "Placement successful.", "", ">"});
    EXPECT_EQ(headlessScreen()[3 + 5 + 2 * 80].Attributes, 103);  // drawn in the placement view: F1 in the halo
}
