#include "support.h"

using Firing = GameTest;

// A 2-master on D5 and E5, a 3-master down from A8; the shots with their results
// (-1: refused, nothing changes), and the board they leave: '#' sunk, 'o' hit,
// 's' ship, 'x' water fired at, '+' beside a shot.
TEST_F(Firing, MarksTheShotAndOnASinkingTheWaterAroundTheShip) {
    const char* aroundD5 = "........../........../........../..xxxx..../..x##x..../..xxxx..../"
                           "........../s........./s........./s........./";
    struct Row { const char* name; std::vector<std::pair<Square, int>> shots; const char* picture; } rows[] = {
        {"right end first", {{{4, 4}, 1}, {{4, 4}, -1}, {{3, 4}, 2}, {{2, 3}, -1}}, aroundD5},
        {"left end first", {{{3, 4}, 1}, {{4, 4}, 2}}, aroundD5},
        {"ring cut at the edges", {{{0, 8}, 1}, {{0, 9}, 1}, {{0, 7}, 2}}, "........../........../........../"
         "........../...ss...../........../xx......../#x......../#x......../#x......../"},
        {"misses in the corners and beside a ship", {{{0, 0}, 0}, {{9, 9}, 0}, {{5, 5}, 0}, {{5, 5}, -1}},
         "x+......../+........./........../........../...ss+..../....+x+.../.....+..../s........./"
         "s........+/s.......+x/"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        restart();
        std::uint8_t* map = g.mapOpponent.get();
        ASSERT_EQ(placeShip(map, 2, 3, 4, 0) + placeShip(map, 3, 0, 7, 1), 2);
        for (auto [square, result] : r.shots) {
            Board before = boardOf(map);
            EXPECT_EQ(mapFire(map, square.first, square.second), result);
            EXPECT_TRUE(result >= 0 || boardOf(map) == before);
        }
        std::string picture;
        for (int i = 0; i < MAP_WIDTH * MAP_HEIGHT; i++) {
            int f = map[i];
            picture += f & CELL_SUNK ? '#' : f & CELL_SHIP ? (f & CELL_SHOT ? 'o' : 's')
                     : f & CELL_SHOT ? 'x' : f & CELL_BESIDE_SHOT ? '+' : '.';
            if (i % MAP_WIDTH == MAP_WIDTH - 1) picture += '/';
        }
        EXPECT_EQ(picture, r.picture);
    }
}
