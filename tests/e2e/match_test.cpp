// A whole match against the easiest opponent, fought square by square.
#include <map>

#include "tmux.h"

namespace {

constexpr std::string_view TARGET = "What is your target?";

std::string shotsLeft(int n) {
    return "You have " + std::to_string(n) + (n == 1 ? " shot" : " shots") + " left. " + std::string(TARGET);
}

// Squares of a board that show one of the characters.
int count(const Screen& s, bool right, std::string_view chars) {
    int n = 0;
    for (int i = 0; i < 100; i++) {
        n += chars.find((right ? s.right(i % 10, i / 10) : s.left(i % 10, i / 10)).ch) != chars.npos;
    }
    return n;
}

}  // namespace

TEST(Match, PlayerFiresAtEverySquareUntilTheMatchIsDecided) {
    Terminal t;
    t.waitPrompt({"4 - Champion (Hard, Lucky)"});
    t.answer("1", {"2 - Place randomly"});
    Screen s = t.answer("2", {TARGET});
    EXPECT_EQ(count(s, false, "O"), 30);
    EXPECT_EQ(count(s, true, "O#"), 0) << "the opponent's fleet shows";
    for (std::string bad : {"k1", "b11", "7b"}) {  // each refused without spending a shot
        s = t.answer(bad, {TARGET});
        EXPECT_EQ((std::vector{s.above(3), s.above(2), s.above(1)}),
                  (std::vector<std::string>{"> " + bad, "Bad coordinates. Try again!", "> " + shotsLeft(3)}));
    }
    t.answer("a1", {TARGET});
    s = t.answer("A1", {TARGET});  // either case will do
    EXPECT_EQ(s.above(2), "Not firing at the same spot twice.");
    EXPECT_EQ(s.above(1), "> " + shotsLeft(2));

    const std::map<std::string, Cell> looks{
        {"Miss!", {" ", BG_DARK_YELLOW}}, {"Hit!", {"O", BG_BRIGHT_RED}}, {"Hit & Sunk!", {"#", BG_BLUE}}};
    std::string revealed;  // a square shown around a sunk ship, fired at again once
    for (int i = 1, shots = 2; i < 100 && s.prompt(TARGET); i++) {
        if (s.right(i % 10, i / 10) != Cell{}) continue;
        std::string name = squareName(i % 10, i / 10);
        EXPECT_TRUE(s.above(1).ends_with(shotsLeft(shots))) << s.dump();
        s = t.answer(name, {TARGET, "2 - quit"});
        int echo = s.cursorY;
        while (echo > 14 && s.row(echo) != "> " + name) echo--;
        std::string result = s.row(echo + 1);
        ASSERT_TRUE(looks.count(result)) << s.dump();
        EXPECT_EQ(s.right(i % 10, i / 10), looks.at(result)) << name << " " << result;
        if (!s.prompt(TARGET)) break;
        for (int y = echo + 2; shots == 1 && y < echo + 5; y++) {  // then the opponent's three shots
            EXPECT_TRUE(s.row(y).starts_with("AI Fires at ")) << s.dump();
        }
        shots = shots == 1 ? 3 : shots - 1;
        for (int w = i + 1; w < 100 && revealed.empty() && result == "Hit & Sunk!"; w++) {
            if (s.right(w % 10, w / 10).bg != BG_DARK_YELLOW) continue;
            revealed = squareName(w % 10, w / 10);
            s = t.answer(revealed, {TARGET});
            EXPECT_EQ(s.above(2), "Not firing at the same spot twice.") << revealed;
            EXPECT_EQ(s.above(1), "> " + shotsLeft(shots));
        }
    }
    EXPECT_FALSE(revealed.empty());

    ASSERT_TRUE(s.prompt("2 - quit")) << s.dump();
    EXPECT_EQ(s.above(4), "Another game?");
    bool won = s.above(7) == "You Won!";
    EXPECT_EQ(s.above(7) + " " + s.above(6), won ? "You Won! Congratulations!" : "The Opponent Won! Try again?");
    EXPECT_EQ(count(s, won, "#"), 30) << "the losing fleet not all sunk";
    EXPECT_EQ(count(s, true, "O#"), 30) << "the opponent's fleet not revealed";
    t.type("2");
    t.expectExit(0);
}
