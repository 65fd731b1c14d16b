#include "support.h"

namespace {

struct Look { char ch; unsigned attr; };
constexpr Look WATER{' ', 7}, SHIP{'O', 7}, HIT{'O', 199}, SUNK{'#', 23};
constexpr Look MARKED{' ', 103};  // fired at, or the halo

struct BoardView : GameTest {
    const CHAR_INFO& screen(int x, int y) { return headlessScreen()[x + y * CONSOLE_WIDTH]; }
    void expectLook(int x, int y, Look want) {
        EXPECT_EQ(screen(x, y).Char.UnicodeChar, static_cast<unsigned>(want.ch)) << "at " << x << "," << y;
        EXPECT_EQ(screen(x, y).Attributes, want.attr) << "at " << x << "," << y;
    }
};

}  // namespace

TEST_F(BoardView, SquareTakesTheLookOfTheFirstMatchingRule) {
    struct Row { int flags; Look ships, hidden, placement; } rows[] = {
        {0, WATER, WATER, WATER},
        {CELL_SHIP, SHIP, WATER, SHIP},
        {CELL_SHIP | CELL_SHOT, HIT, HIT, HIT},
        {CELL_SHIP | CELL_SHOT | CELL_SUNK, SUNK, SUNK, SUNK},
        {CELL_SHOT, MARKED, MARKED, MARKED},
        {CELL_NEAR, WATER, WATER, MARKED},
        {CELL_SHIP | CELL_NEAR, SHIP, WATER, SHIP},
        {CELL_SHIP | CELL_SHOT | CELL_NEAR, HIT, HIT, HIT},
        {CELL_SHIP | CELL_BESIDE_SHOT, SHIP, WATER, SHIP},
    };
    for (const Row& r : rows) {
        mapSet(g.mapPlayer.get(), 4, 6, r.flags);
        mapSet(g.mapOpponent.get(), 4, 6, r.flags);
        const Look looks[] = {r.ships, r.hidden, r.placement};
        for (int mode : {DRAW_SHIPS, DRAW_HIDDEN, DRAW_PLACEMENT}) {
            SCOPED_TRACE("flags " + std::to_string(r.flags) + " mode " + std::to_string(mode));
            consoleDrawMaps(&g, mode, mode);
            expectLook(3 + 4, 2 + 6, looks[mode]);
            expectLook(18 + 3 + 4, 2 + 6, looks[mode]);
        }
    }
}

TEST_F(BoardView, DrawingWritesOnceAndLeavesTheMessageAreaAlone) {
    consolePrint(&g.console, "Choose your opponent:\n\t1. Easy\n> ");
    mapSetFlags(g.mapPlayer.get(), 9, 9, CELL_SHIP | CELL_SHOT);
    int writes = headlessWrites();
    consoleDrawMaps(&g, DRAW_SHIPS, DRAW_HIDDEN);
    EXPECT_EQ(headlessWrites(), writes + 1);
    expectLook(3 + 9, 2 + 9, HIT);
    expectMessages({"Choose your opponent:", " 1. Easy", ">"});
    EXPECT_EQ(std::make_pair(g.console.consoleColumn, g.console.consoleLine), std::make_pair(2, 16));
    EXPECT_EQ(std::make_pair(headlessCursor().X, headlessCursor().Y), std::make_pair(SHORT{2}, SHORT{16}));
    EXPECT_EQ(g.console.updating, 0);
}
