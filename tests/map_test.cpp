#include "support.h"

namespace {

using Square = std::pair<int, int>;

struct Firing : GameTest {
    std::uint8_t* map() { return g.mapOpponent.get(); }
    ShotResult fire(Square s) { return mapFire(map(), s.first, s.second, &g.console); }
    std::string lastMessage() { return headlessRow(g.console.consoleLine - 1); }
    // A square fired at before, or shown beside a sunk ship: nothing changes, nothing is printed.
    void expectRepeatIsIgnored(Square s) {
        Board before = boardOf(map());
        int writes = headlessWrites();
        EXPECT_EQ(fire(s), -1);
        EXPECT_EQ(boardOf(map()), before);
        EXPECT_EQ(headlessWrites(), writes);
    }
    // The board as the shots left it: '#' sunk, 'o' hit, 's' ship, 'x' water fired at.
    std::string picture() {
        std::string rows;
        for (int i = 0; i < MAP_WIDTH * MAP_HEIGHT; i++) {
            int f = map()[i];
            rows += f & CELL_SUNK ? '#' : f & CELL_SHIP ? (f & CELL_SHOT ? 'o' : 's') : f & CELL_SHOT ? 'x' : '.';
            if (i % MAP_WIDTH == MAP_WIDTH - 1) rows += '/';
        }
        return rows;
    }
};

}  // namespace

TEST(SquareName, IsTheLetterAndTheRowCutToTheBuffer) {
    struct Row { int x, y, buflen; std::string want; } rows[] = {
        {0, 0, 8, "A1"}, {9, 0, 8, "J1"}, {0, 9, 8, "A10"}, {9, 9, 8, "J10"}, {9, 9, 3, "J1"}, {0, 0, 1, ""},
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

TEST(BoardDeathTest, SquareOffTheBoardStops) {
    Board b{};
    for (auto [x, y] : {Square{10, 0}, Square{-1, 0}, Square{0, 10}, Square{0, -1}}) {
        EXPECT_DEATH(mapGet(b.data(), x, y), "Assertion failed: XYVALID\\(x,y\\)") << x << "," << y;
    }
}

TEST_F(Firing, MissMarksTheSquareAndOnlyItsNeighboursOnTheBoard) {
    const std::pair<Square, std::vector<Square>> rows[] = {
        {{5, 5}, {{4, 5}, {6, 5}, {5, 4}, {5, 6}}}, {{0, 0}, {{1, 0}, {0, 1}}}, {{9, 9}, {{8, 9}, {9, 8}}},
    };
    for (const auto& [shot, beside] : rows) {
        SCOPED_TRACE(std::to_string(shot.first) + "," + std::to_string(shot.second));
        restart();
        Board want{};
        mapSet(want.data(), shot.first, shot.second, CELL_SHOT);
        for (Square b : beside) mapSet(want.data(), b.first, b.second, CELL_BESIDE_SHOT);
        EXPECT_EQ(fire(shot), 0);
        EXPECT_EQ(lastMessage(), "Miss!");
        EXPECT_EQ(boardOf(map()), want);
        expectRepeatIsIgnored(shot);
    }
}

// A 2-master on D5 and E5, a 3-master down the left edge from A8; the shots
// in order with their results, and the board they leave.
TEST_F(Firing, SinkingRevealsTheWaterAroundTheShipCutAtTheEdges) {
    const char* aroundD5 = "........../........../........../..xxxx..../..x##x..../..xxxx..../"
                           "........../s........./s........./s........./";
    struct Row { const char* name; std::vector<std::pair<Square, int>> shots; const char* picture; } rows[] = {
        {"right end first", {{{4, 4}, 1}, {{4, 4}, -1}, {{3, 4}, 2}, {{2, 3}, -1}}, aroundD5},
        {"left end first", {{{3, 4}, 1}, {{4, 4}, 2}}, aroundD5},
        {"ring cut at the edges", {{{0, 8}, 1}, {{0, 9}, 1}, {{0, 7}, 2}}, "........../........../........../"
         "........../...ss...../........../xx......../#x......../#x......../#x......../"},
    };
    Board finals[3];
    for (int i = 0; i < 3; i++) {
        SCOPED_TRACE(rows[i].name);
        restart();
        ASSERT_EQ(placeShip(map(), 2, 3, 4, 0) + placeShip(map(), 3, 0, 7, 1), 2);
        for (auto [square, result] : rows[i].shots) {
            if (result < 0) {
                expectRepeatIsIgnored(square);
                continue;
            }
            EXPECT_EQ(fire(square), result);
            EXPECT_EQ(lastMessage(), result == 1 ? "Hit!" : "Hit & Sunk!");
        }
        EXPECT_EQ(picture(), rows[i].picture);
        finals[i] = boardOf(map());
    }
    EXPECT_EQ(finals[0], finals[1]);
}
