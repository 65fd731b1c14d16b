#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "board/map.h"
#include "fleet/shipplacement.h"
#include "game/game.h"
#include "platform/headless/headless.h"

namespace {

using Square = std::pair<int, int>;

std::vector<int> boardBytes(const std::uint8_t* map) { return {map, map + MAP_WIDTH * MAP_HEIGHT}; }

class Firing : public ::testing::Test {
protected:
    void SetUp() override {
        headlessReset();
        gameInit(&g);
    }
    void TearDown() override { gameDestroy(&g); }
    std::uint8_t* map() { return g.mapOpponent.get(); }
    ShotResult fire(Square s) { return mapFire(map(), s.first, s.second, &g.console); }
    std::string lastMessage() { return headlessRow(g.console.consoleLine - 1); }

    // A square fired at before, or shown beside a sunk ship: nothing changes, nothing is printed.
    void expectRepeatIsIgnored(Square s) {
        std::vector<int> before = boardBytes(map());
        int writes = headlessWrites();
        EXPECT_EQ(fire(s), -1);
        EXPECT_EQ(boardBytes(map()), before);
        EXPECT_EQ(headlessWrites(), writes);
    }
    // The board as the shots left it: '#' sunk, 'o' hit, 's' ship, 'x' water fired at.
    std::string picture() {
        std::string rows;
        for (int i = 0; i < MAP_WIDTH * MAP_HEIGHT; i++) {
            int f = map()[i];
            rows += f & CELL_SUNK ? '#' : f & CELL_SHIP ? (f & CELL_SHOT ? 'o' : 's') : f & CELL_SHOT ? 'x' : '.';
            if (i % MAP_WIDTH == MAP_WIDTH - 1) rows += '\n';
        }
        return rows;
    }
    Game g{};
};

}  // namespace

TEST(SquareName, IsTheLetterAndTheRowCutToTheBuffer) {
    struct Row {
        int x, y, buflen;
        std::string want;
    } rows[] = {
        {0, 0, 8, "A1"}, {9, 0, 8, "J1"}, {0, 9, 8, "A10"}, {9, 9, 8, "J10"},
        {9, 9, 4, "J10"}, {9, 9, 3, "J1"}, {9, 9, 2, "J"}, {0, 0, 1, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.want + " in " + std::to_string(r.buflen));
        char buf[8];
        std::memset(buf, '#', sizeof buf);
        mapSquareName(r.x, r.y, buf, r.buflen);
        ASSERT_NE(std::memchr(buf, '\0', static_cast<std::size_t>(r.buflen)), nullptr);
        EXPECT_EQ(std::string(buf), r.want);
        for (int i = r.buflen; i < 8; i++) EXPECT_EQ(buf[i], '#') << "written past the buffer at " << i;
    }
}

TEST(Board, FlagsAreAddedAndTestedAsBitsAndTheFleetIsAfloatUntilAllSunk) {
    std::uint8_t map[MAP_WIDTH * MAP_HEIGHT]{};
    EXPECT_EQ(mapFleetAfloat(map), 0);
    mapSetFlags(map, 4, 6, CELL_SHIP | CELL_NEAR);
    mapSetFlags(map, 4, 6, CELL_NEAR);
    EXPECT_EQ(mapTestFlags(map, 4, 6, CELL_SHIP | CELL_NEAR), 5);
    EXPECT_EQ(mapTestFlags(map, 4, 6, CELL_SHOT), 0);
    mapSetFlags(map, 4, 6, CELL_SHOT | CELL_SUNK);
    mapSetFlags(map, 9, 9, CELL_SHIP | CELL_SHOT);  // hit, not sunk; the very last square
    EXPECT_EQ(mapFleetAfloat(map), 1);
    mapSetFlags(map, 9, 9, CELL_SUNK);
    EXPECT_EQ(mapFleetAfloat(map), 0);
}

TEST(BoardDeathTest, SquareOffTheBoardStops) {
    std::uint8_t map[MAP_WIDTH * MAP_HEIGHT]{};
    char name[8];
    for (Square s : {Square{10, 0}, Square{-1, 0}, Square{0, 10}, Square{0, -1}}) {
        auto [x, y] = s;
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        EXPECT_DEATH(mapGet(map, x, y), "XYVALID\\(x,y\\)");
        EXPECT_DEATH(mapSet(map, x, y, CELL_SHIP), "XYVALID\\(x,y\\)");
        EXPECT_DEATH(mapSetFlags(map, x, y, CELL_SHIP), "XYVALID\\(x,y\\)");
        EXPECT_DEATH(mapTestFlags(map, x, y, CELL_SHIP), "XYVALID\\(x,y\\)");
        EXPECT_DEATH(mapFire(map, x, y, nullptr), "XYVALID\\(x,y\\)");
        EXPECT_DEATH(mapSquareName(x, y, name, 8), "XYVALID\\(x,y\\)");
    }
}

TEST_F(Firing, MissMarksTheSquareAndOnlyItsNeighboursOnTheBoard) {
    struct Row {
        Square shot;
        std::vector<Square> beside;
    } rows[] = {
        {{5, 5}, {{4, 5}, {6, 5}, {5, 4}, {5, 6}}},
        {{0, 0}, {{1, 0}, {0, 1}}},
        {{9, 9}, {{8, 9}, {9, 8}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.shot.first) + "," + std::to_string(r.shot.second));
        std::memset(map(), 0, MAP_WIDTH * MAP_HEIGHT);
        std::vector<int> want(MAP_WIDTH * MAP_HEIGHT, 0);
        want[static_cast<std::size_t>(r.shot.first + r.shot.second * MAP_WIDTH)] = CELL_SHOT;
        for (Square b : r.beside) want[static_cast<std::size_t>(b.first + b.second * MAP_WIDTH)] = CELL_BESIDE_SHOT;
        EXPECT_EQ(fire(r.shot), 0);
        EXPECT_EQ(lastMessage(), "Miss!");
        EXPECT_EQ(boardBytes(map()), want);
        expectRepeatIsIgnored(r.shot);
    }
}

TEST_F(Firing, SinkingMarksTheShipAndRevealsWaterAroundIt) {
    const char* sunk =
        "..........\n"
        "..........\n"
        "..........\n"
        "..xxxx....\n"
        "..x##x....\n"
        "..xxxx....\n"
        "..........\n..........\n..........\n..........\n";
    const std::vector<Square> orders[2] = {{{4, 4}, {3, 4}}, {{3, 4}, {4, 4}}};
    std::vector<int> finals[2];
    for (int i = 0; i < 2; i++) {
        SCOPED_TRACE(i == 0 ? "right end first" : "left end first");
        std::memset(map(), 0, MAP_WIDTH * MAP_HEIGHT);
        ASSERT_EQ(placeShip(map(), 2, 3, 4, 0), 1);
        EXPECT_EQ(fire(orders[i][0]), 1);
        EXPECT_EQ(lastMessage(), "Hit!");
        expectRepeatIsIgnored(orders[i][0]);
        EXPECT_EQ(fire(orders[i][1]), 2);
        EXPECT_EQ(lastMessage(), "Hit & Sunk!");
        EXPECT_EQ(picture(), sunk);
        finals[i] = boardBytes(map());
    }
    EXPECT_EQ(finals[0], finals[1]);
    EXPECT_EQ(mapFleetAfloat(map()), 0);
    for (int i = 0; i < MAP_WIDTH * MAP_HEIGHT; i++) {
        if (map()[i] & CELL_SHOT) expectRepeatIsIgnored({i % MAP_WIDTH, i / MAP_WIDTH});
    }
}

TEST_F(Firing, ShipAtTheEdgeGetsAClippedRing) {
    ASSERT_EQ(placeShip(map(), 3, 0, 7, 1), 1);
    ASSERT_EQ(placeShip(map(), 2, 3, 4, 0), 1);
    EXPECT_EQ(fire({0, 8}), 1);
    EXPECT_EQ(fire({0, 9}), 1);
    EXPECT_EQ(fire({0, 7}), 2);
    EXPECT_EQ(headlessRow(14) + headlessRow(15) + headlessRow(16), "Hit!Hit!Hit & Sunk!");
    EXPECT_EQ(picture(),
              "..........\n..........\n..........\n..........\n"
              "...ss.....\n"
              "..........\n"
              "xx........\n"
              "#x........\n"
              "#x........\n"
              "#x........\n");
    EXPECT_EQ(mapFleetAfloat(map()), 1);
}
