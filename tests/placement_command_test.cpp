#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "board/map.h"
#include "fleet/shipplacement.h"
#include "game/game.h"
#include "platform/headless/headless.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct FreshGame {
    Game g{};
    FreshGame() {
        headlessReset();
        gameInit(&g);
        fleetCreate(&g);
    }
    ~FreshGame() { gameDestroy(&g); }
    Bytes player() const { return {g.mapPlayer.get(), g.mapPlayer.get() + MAP_WIDTH * MAP_HEIGHT}; }
    std::vector<int> left() const {
        std::vector<int> counts;
        for (const ShipClass* s = g.shipsToPlace.get(); s; s = s->next.get()) counts.push_back(s->remaining);
        return counts;
    }
    int command(std::string line) { return placeShipCommand(&g, line.data(), static_cast<int>(line.size())); }
};

// Input running out ends the program with status 0, which would pass for
// success: while a script plays, it fails instead. A script must be read to
// its end.
bool scriptPlaying = false;
struct Script {
    explicit Script(std::string_view lines) {
        static const int registered = std::atexit([] {
            if (!scriptPlaying) return;
            std::fputs("the game read past the end of its input\n", stderr);
            std::_Exit(1);
        });
        (void)registered;
        headlessQueueInput(lines);
        scriptPlaying = true;
    }
    ~Script() {
        scriptPlaying = false;
        char rest[256];
        EXPECT_FALSE(platformReadLine(rest, sizeof rest)) << "left unread: " << rest;
    }
};

// The message area, rows 14 to 23, shows the last ten lines printed.
void expectMessages(const std::vector<std::string>& lines) {
    std::size_t first = lines.size() > 10 ? lines.size() - 10 : 0;
    for (std::size_t i = 0; i < 10; i++) {
        EXPECT_EQ(headlessRow(14 + static_cast<int>(i)), first + i < lines.size() ? lines[first + i] : "") << i;
    }
}

struct Cmd {
    const char* line;
    int len, x, y, ori;
};

// A whole fleet, ships one square apart.
const Cmd FLEET[] = {
    {"a1 5 h\n", 5, 0, 0, 0}, {"g1 4 h\n", 4, 6, 0, 0}, {"a3 4 h\n", 4, 0, 2, 0}, {"f3 3 h\n", 3, 5, 2, 0},
    {"a5 3 h\n", 3, 0, 4, 0}, {"e5 3 h\n", 3, 4, 4, 0}, {"a7 2 h\n", 2, 0, 6, 0}, {"d7 2 h\n", 2, 3, 6, 0},
    {"g7 2 h\n", 2, 6, 6, 0}, {"a9 2 h\n", 2, 0, 8, 0},
};

Bytes boardOf(const Cmd* first, const Cmd* last) {
    Bytes b(MAP_WIDTH * MAP_HEIGHT);
    for (const Cmd* c = first; c != last; c++) placeShip(b.data(), c->len, c->x, c->y, c->ori);
    return b;
}

}  // namespace

TEST(PlacementCommand, SpellingsOfOneCommandPlaceTheSameShip) {
    const Cmd rows[] = {
        {"a1 5 h\n", 5, 0, 0, 0},          {"A1 5 H\n", 5, 0, 0, 0},       {"   a1   5  h\n", 5, 0, 0, 0},
        {"a1 5 horizontal\n", 5, 0, 0, 0}, {"a1 5 h extra\n", 5, 0, 0, 0}, {"a1 5 h ", 5, 0, 0, 0},
        {"J9 2 v\n", 2, 9, 8, 1},          {"a10 4 h\n", 4, 0, 9, 0},      {"g10 4 H\n", 4, 6, 9, 0},
    };
    for (const Cmd& r : rows) {
        SCOPED_TRACE(r.line);
        FreshGame f;
        std::vector<int> left = f.left();
        EXPECT_EQ(f.command(r.line), 1);
        EXPECT_EQ(f.player(), boardOf(&r, &r + 1));
        left[static_cast<std::size_t>(5 - r.len)]--;
        EXPECT_EQ(f.left(), left);
    }
}

TEST(PlacementCommand, FailedCommandChangesNeitherBoardNorRoster) {
    FreshGame f;
    ASSERT_EQ(f.command("a1 5 h\n"), 1);
    const Bytes board = f.player();
    const std::vector<int> left = f.left();
    const std::string rows[] = {
        "a3 3 x\n", "a3 3\n", "a3\n", "", "\n", "   \n", "a3 3 h", "a3\t3\th\n", "a3 6 h\n", "a3 1 h\n", "a3 0 h\n",
        "a3 x h\n", "3a 3 h\n", "k1 2 h\n", "a11 2 h\n", "j10 2 h\n", "j9 3 v\n",
        "c3 5 v\n",                              // a second 5-master
        "f2 2 h\n", "a2 2 v\n", "f1 2 v\n",      // touching the first at its corner, side and end
        "a3 " + std::string(290, '9') + " h\n",  // a length past any int
        std::string(300, 'z') + "\n", "\x1b[A\n", "\x03\x04\x1a\n", std::string("a3\0 3 h\n", 8),
    };
    for (const std::string& r : rows) {
        SCOPED_TRACE(testing::PrintToString(r));
        EXPECT_EQ(f.command(r), 0);
        EXPECT_EQ(f.player(), board);
        EXPECT_EQ(f.left(), left);
    }
}

TEST(PlacementCommand, PlacesNoMoreShipsThanTheFleetHas) {
    FreshGame f;
    for (const Cmd& c : FLEET) EXPECT_EQ(f.command(c.line), 1) << c.line;
    // Column J below row 2 and the end of row 9 are still open water.
    for (const char* line : {"j3 5 v\n", "j3 4 v\n", "e9 3 h\n", "e9 2 h\n", "e9 1 h\n"}) {
        EXPECT_EQ(f.command(line), 0) << line;
    }
    EXPECT_EQ(f.player(), boardOf(std::begin(FLEET), std::end(FLEET)));
}

TEST(PlacementCommandDeathTest, NeedsALineAGameAndItsBoard) {
    FreshGame f;
    char line[] = "a1 5 h\n";
    EXPECT_DEATH(placeShipCommand(nullptr, nullptr, 0), "Assertion failed: cmd != NULL");
    EXPECT_DEATH(placeShipCommand(nullptr, line, 7), "Assertion failed: g != NULL");
    f.g.mapPlayer.reset();
    EXPECT_DEATH(placeShipCommand(&f.g, line, 7), "Assertion failed: g->mapPlayer != NULL");
    EXPECT_DEATH(placeFleetManually(nullptr), "Assertion failed: g != NULL");
}

TEST(ManualPlacement, TakesCommandsUntilTheWholeFleetIsOnTheBoard) {
    FreshGame f;
    fleetFree(&f.g);  // the loop builds its own
    std::string lines = "a1 5 x\n";
    for (const Cmd& c : FLEET) {
        if (c.y == 8) lines += "j10 2 v\n";
        lines += c.line;
        if (c.len == 5) lines += "b2 2 h\n\nc3 5 v\n";
    }
    {
        Script script(lines);
        placeFleetManually(&f.g);
    }
    EXPECT_EQ(f.g.shipsToPlace, nullptr);
    EXPECT_EQ(f.player(), boardOf(std::begin(FLEET), std::end(FLEET)));
    expectMessages({"You have 1 2-Master left to place", "", "> j10 2 v", "Placement failed.",
                    "You have 1 2-Master left to place", "", "> a9 2 h", "Placement successful.", "", ">"});
}

TEST(ManualPlacement, ShowsTheHelpAndTheShipWithItsHalo) {
    FreshGame f;
    for (ShipClass* s = f.g.shipsToPlace.get(); s; s = s->next.get()) s->remaining = s->length == 2 ? 1 : 0;
    {
        Script script("b2 2 v\n");
        placeFleetManually(&f.g);
    }
    expectMessages({"", "Place your ships. Syntax: <Square> <length> <h|v>",
                    "Example: \"A1 3 v\" places 3-mast vertically on grid A1. Type '-' to exit.",
                    "You have 1 2-Master left to place", "> b2 2 v", "Placement successful.", "", ">"});
    // B2 and B3, with the halo from A1 to C4, on the left board.
    for (int y = 0; y < MAP_HEIGHT; y++) {
        for (int x = 0; x < MAP_WIDTH; x++) {
            const CHAR_INFO& cell = headlessScreen()[3 + x + (2 + y) * 80];
            bool ship = x == 1 && (y == 1 || y == 2);
            EXPECT_EQ(cell.Char.UnicodeChar, ship ? u'O' : u' ') << x << "," << y;
            EXPECT_EQ(cell.Attributes, !ship && x <= 2 && y <= 3 ? 103 : 7) << x << "," << y;
        }
    }
}

TEST(ManualPlacement, EndOfInputEndsTheProgramQuietly) {
    FreshGame f;
    headlessQueueInput("a1 5 h\n");
    EXPECT_EXIT(placeFleetManually(&f.g), testing::ExitedWithCode(0), "");
}
