#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "board/map.h"
#include "console/consolewin.h"
#include "fleet/shipplacement.h"
#include "game/game.h"
#include "platform/headless/headless.h"

namespace {

struct Look {
    char ch;
    unsigned attr;
};

class BoardView : public ::testing::Test {
protected:
    void SetUp() override {
        headlessReset();
        gameInit(&g);
    }
    void TearDown() override { gameDestroy(&g); }
    const CHAR_INFO& screen(int x, int y) { return headlessScreen()[x + y * CONSOLE_WIDTH]; }
    void expectLook(int x, int y, Look want) {
        EXPECT_EQ(screen(x, y).Char.UnicodeChar, static_cast<unsigned>(want.ch)) << "at " << x << "," << y;
        EXPECT_EQ(screen(x, y).Attributes, want.attr) << "at " << x << "," << y;
    }
    Game g{};
};

constexpr Look WATER{' ', 7};
constexpr Look SHIP{'O', 7};
constexpr Look HIT{'O', 199};
constexpr Look SUNK{'#', 23};
constexpr Look MARKED{' ', 103};  // fired at, or the halo

}  // namespace

TEST_F(BoardView, EmptyBoardShowsOnlyItsFrameInEveryMode) {
    for (int mode : {DRAW_SHIPS, DRAW_HIDDEN, DRAW_PLACEMENT}) {
        SCOPED_TRACE(mode);
        // Marks in the cells the view must leave alone.
        for (int y = 0; y < 12; y++) consolePrintAt(&g, 0, y, 99, "%s", std::string(32, 'Z').c_str());
        consoleDrawMaps(&g, mode, mode);
        EXPECT_EQ(headlessRow(0), "ZZ|ABCDEFGHIJZZZZZZZ|ABCDEFGHIJZ");
        EXPECT_EQ(headlessRow(1), "--+----------ZZZZZ--+----------Z");
        for (int y = 0; y < 10; y++) {
            std::string number = (y < 9 ? " " : "") + std::to_string(y + 1) + "|";
            EXPECT_EQ(headlessRow(2 + y), number + std::string(10, ' ') + "ZZZZZ" + number + std::string(10, ' ') + "Z");
        }
        for (int y = 0; y < 12; y++) {
            for (int x = 0; x < 32; x++) {
                bool untouched = screen(x, y).Char.UnicodeChar == 'Z';
                EXPECT_EQ(screen(x, y).Attributes, untouched ? 99u : 7u) << "at " << x << "," << y;
            }
        }
    }
}

TEST_F(BoardView, SquareTakesTheLookOfTheFirstMatchingRule) {
    struct Row {
        int flags;
        Look ships, hidden, placement;
    } rows[] = {
        {0, WATER, WATER, WATER},
        {CELL_SHIP, SHIP, WATER, SHIP},
        {CELL_SHIP | CELL_SHOT, HIT, HIT, HIT},
        {CELL_SHIP | CELL_SHOT | CELL_SUNK, SUNK, SUNK, SUNK},
        {CELL_SHOT, MARKED, MARKED, MARKED},
        {CELL_NEAR, WATER, WATER, MARKED},
        {CELL_SHOT | CELL_NEAR, MARKED, MARKED, MARKED},
        {CELL_SHIP | CELL_NEAR, SHIP, WATER, SHIP},
        {CELL_SHIP | CELL_SHOT | CELL_NEAR, HIT, HIT, HIT},
        {CELL_SHIP | CELL_SHOT | CELL_SUNK | CELL_NEAR, SUNK, SUNK, SUNK},
        {CELL_BESIDE_SHOT, WATER, WATER, WATER},
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

TEST_F(BoardView, PlacementShowsTheHaloAroundAShip) {
    ASSERT_EQ(placeShip(g.mapPlayer.get(), 2, 0, 0, 1), 1);  // A1-A2
    consoleDrawMaps(&g, DRAW_PLACEMENT, DRAW_HIDDEN);
    for (int y = 0; y < MAP_HEIGHT; y++) {
        for (int x = 0; x < MAP_WIDTH; x++) {
            bool ship = x == 0 && y <= 1;
            bool halo = !ship && x <= 1 && y <= 2;
            expectLook(3 + x, 2 + y, ship ? SHIP : halo ? MARKED : WATER);
            expectLook(18 + 3 + x, 2 + y, WATER);
        }
    }
}

TEST_F(BoardView, DrawingWritesOnceAndLeavesTheMessageAreaAlone) {
    consolePrint(&g.console, "Choose your opponent:\n\t1. Easy\n> ");
    mapSetFlags(g.mapPlayer.get(), 9, 9, CELL_SHIP | CELL_SHOT);
    mapSetFlags(g.mapOpponent.get(), 0, 0, CELL_SHOT);
    const ConsoleWin before = g.console;
    COORD cursor = headlessCursor();
    int writes = headlessWrites();

    consoleDrawMaps(&g, DRAW_SHIPS, DRAW_HIDDEN);
    EXPECT_EQ(headlessWrites(), writes + 1);
    expectLook(3 + 9, 2 + 9, HIT);
    expectLook(18 + 3, 2, MARKED);
    EXPECT_EQ(std::memcmp(&g.console.charBuf[12 * CONSOLE_WIDTH], &before.charBuf[12 * CONSOLE_WIDTH],
                          13 * CONSOLE_WIDTH * sizeof(CHAR_INFO)),
              0);
    EXPECT_EQ(std::make_pair(g.console.consoleColumn, g.console.consoleLine),
              std::make_pair(before.consoleColumn, before.consoleLine));
    EXPECT_EQ(std::make_pair(g.console.cursorPos.X, g.console.cursorPos.Y),
              std::make_pair(before.cursorPos.X, before.cursorPos.Y));
    EXPECT_EQ(std::make_pair(headlessCursor().X, headlessCursor().Y), std::make_pair(cursor.X, cursor.Y));
    EXPECT_EQ(g.console.updating, 0);
}
