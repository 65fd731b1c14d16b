// Placing the fleet by hand, command by command, with the halo on the board.
#include <algorithm>
#include <set>

#include "tmux.h"

namespace {

// "O" on the ships, dark yellow under the halo, blank black elsewhere on the
// player's board; squares numbered x + 10 y.
void expectLeftBoard(const Screen& s, const std::set<int>& ships, const std::set<int>& halo) {
    for (int i = 0; i < 100; i++) {
        EXPECT_EQ(s.left(i % 10, i / 10), (Cell{ships.count(i) ? "O" : " ", halo.count(i) ? BG_DARK_YELLOW : 0}))
            << squareName(i % 10, i / 10);
    }
}

}  // namespace

TEST(Placement, TypedCommandsPlaceTheWholeFleet) {
    constexpr std::string_view LEFT = "left to place";
    Terminal t;
    t.waitPrompt({"4 - Champion (Hard, Lucky)"});
    t.answer("1", {"2 - Place randomly"});
    Screen s = t.answer("1", {LEFT});
    EXPECT_EQ(s.above(6), "Place your ships. Syntax: <Square> <length> <h|v>");
    EXPECT_EQ(s.above(5), "Example: \"A1 3 v\" places 3-mast vertically on grid A1. Type '-' to exit.");
    EXPECT_EQ(s.above(4), "You have 1 5-Master left to place");
    EXPECT_EQ(s.above(1), "You have 4 2-Masters left to place");

    s = t.answer("a1 5 h", {LEFT});
    EXPECT_EQ(s.above(5), "Placement successful.");
    EXPECT_EQ(s.above(4), "You have 2 4-Masters left to place");
    std::set<int> ships{0, 1, 2, 3, 4};
    expectLeftBoard(s, ships, {5, 10, 11, 12, 13, 14, 15});

    // Touching it at a corner fails and changes nothing.
    Screen failed = t.answer("F2 2 v", {LEFT});
    EXPECT_EQ(failed.above(5), "Placement failed.");
    EXPECT_EQ(failed.above(4), "You have 2 4-Masters left to place");
    EXPECT_TRUE(std::equal(s.cells.begin(), s.cells.begin() + 12, failed.cells.begin()));

    for (std::string cmd : {"a3 4 h", "f3 4 h", "a5 3 h", "e5 3 h", "i5 2 v", "a7 3 h", "e7 2 h", "h8 2 h", "a9 2 h"}) {
        int x = cmd[0] - 'a';
        int y = cmd[1] - '1';
        for (int k = 0; k < cmd[3] - '0'; k++) ships.insert(cmd[5] == 'v' ? x + (y + k) * 10 : x + k + y * 10);
        s = t.answer(cmd, {LEFT, "What is your target?"});
    }
    // The match begins at once, with the fleet as placed and no halo.
    ASSERT_TRUE(s.prompt("What is your target?")) << s.dump();
    EXPECT_EQ(s.above(1), "> You have 3 shots left. What is your target?");
    EXPECT_EQ(ships.size(), 30u);
    expectLeftBoard(s, ships, {});
    t.type("-");
    t.expectExit(0);
}
