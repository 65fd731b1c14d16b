// A whole match against the easiest opponent, fought square by square.
#include <map>
#include <regex>
#include <string>

#include "tmux.h"

using Match = TerminalTest;

namespace {

constexpr std::string_view TARGET = "What is your target?";
constexpr std::string_view QUIT = "2 - quit";

std::string shotsLeft(int n) {
    return "You have " + std::to_string(n) + (n == 1 ? " shot" : " shots") + " left. " + std::string(TARGET);
}

// Squares of a board that show one of the characters.
int countCells(const Screen& s, bool right, std::string_view chars) {
    int n = 0;
    for (int i = 0; i < 100; i++) {
        const Cell& c = right ? s.right(i % 10, i / 10) : s.left(i % 10, i / 10);
        n += c.ch.size() == 1 && chars.find(c.ch[0]) != std::string_view::npos;
    }
    return n;
}

// Each of the opponent's three shots is one line, from row `from` down to the
// next question, and its mark is on the player's board.
void expectOpponentShots(const Screen& s, int from) {
    static const std::regex line("AI Fires at ([A-J])([0-9]+)\\.\\.\\. (Miss!|Hit!|Hit & Sunk!)");
    EXPECT_EQ(s.cursorY - 1 - from, 3) << s.dump();
    for (int y = from; y < s.cursorY - 1; y++) {
        std::smatch m;
        const std::string& row = s.row(y);
        ASSERT_TRUE(std::regex_match(row, m, line)) << s.dump();
        int bg = s.left(m[1].str()[0] - 'A', std::stoi(m[2].str()) - 1).bg;
        EXPECT_TRUE(m[3] == "Miss!" ? bg == BG_DARK_YELLOW : bg == BG_BRIGHT_RED || bg == BG_BLUE) << row;
    }
}

}  // namespace

TEST_F(Match, PlayerFiresAtEverySquareUntilTheMatchIsDecided) {
    Terminal& t = start();
    t.waitPrompt({"4 - Champion (Hard, Lucky)"});
    t.answer("1", {"2 - Place randomly"});
    Screen s = t.answer("2", {TARGET});
    EXPECT_EQ(countCells(s, false, "O"), 30);
    EXPECT_EQ(countCells(s, true, "O#"), 0) << "the opponent's fleet shows";

    for (const char* bad : {"k1", "b11", "7b"}) {
        SCOPED_TRACE(bad);
        s = t.answer(bad, {TARGET});
        EXPECT_EQ(s.above(3), std::string("> ") + bad);
        EXPECT_EQ(s.above(2), "Bad coordinates. Try again!");
        EXPECT_EQ(s.above(1), "> " + shotsLeft(3)) << "a bad square spent a shot";
    }

    const std::map<std::string, Cell> looks{
        {"Miss!", {" ", BG_DARK_YELLOW}}, {"Hit!", {"O", BG_BRIGHT_RED}}, {"Hit & Sunk!", {"#", BG_BLUE}}};
    std::string repeat;  // the two kinds of square already fired at, once each
    std::string revealed;
    int shots = 3;
    for (int i = 0; i < 100 && atPrompt(s, TARGET); i++) {
        if (s.right(i % 10, i / 10) != Cell{}) continue;
        std::string name = squareName(i % 10, i / 10);
        SCOPED_TRACE(name);
        EXPECT_TRUE(s.above(1).ends_with(shotsLeft(shots))) << s.dump();
        if (i / 10 % 2) name[0] = static_cast<char>(name[0] - 'a' + 'A');  // either case will do
        s = t.answer(name, {TARGET, QUIT});

        int echo = s.cursorY;
        while (echo > 14 && s.row(echo) != "> " + name) echo--;
        std::string result = s.row(echo + 1);
        ASSERT_TRUE(looks.count(result)) << s.dump();
        EXPECT_EQ(s.right(i % 10, i / 10), looks.at(result)) << result;
        if (!atPrompt(s, TARGET)) break;
        if (shots == 1) expectOpponentShots(s, echo + 2);
        shots = shots == 1 ? 3 : shots - 1;

        std::string again;
        if (repeat.empty() && result == "Miss!") again = repeat = squareName(i % 10, i / 10);
        // Squares past this one have not been fired at: marked, they lie around the sunk ship.
        for (int w = i + 1; w < 100 && revealed.empty() && result == "Hit & Sunk!"; w++) {
            if (s.right(w % 10, w / 10).bg == BG_DARK_YELLOW) {
                again = revealed = squareName(w % 10, w / 10);
            }
        }
        if (!again.empty()) {
            SCOPED_TRACE("again at " + again);
            s = t.answer(again, {TARGET});
            EXPECT_EQ(s.above(2), "Not firing at the same spot twice.");
            EXPECT_EQ(s.above(1), "> " + shotsLeft(shots));
        }
    }
    EXPECT_FALSE(repeat.empty() || revealed.empty());

    ASSERT_TRUE(atPrompt(s, QUIT)) << s.dump();
    EXPECT_EQ(s.above(4), "Another game?");
    if (s.above(7) == "You Won!") {
        EXPECT_EQ(s.above(6), "Congratulations!");
        EXPECT_EQ(countCells(s, true, "#"), 30);
    } else {
        // A match lost to random shots: the opponent's ships are revealed.
        EXPECT_EQ(s.above(7), "The Opponent Won!") << s.dump();
        EXPECT_EQ(s.above(6), "Try again?");
        EXPECT_EQ(countCells(s, true, "O#"), 30);
        EXPECT_EQ(countCells(s, false, "#"), 30);
    }
    t.type("2");
    t.expectExit(0);
}
