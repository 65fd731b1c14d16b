// The menus at the start of a game, answers the game can't use, and the
// ways out of the program.
#include "tmux.h"

constexpr std::string_view LEVELS = "4 - Champion (Hard, Lucky)";

TEST(Menus, AnswersWithoutANumberAreAskedAgainAndEchoedHarmlessly) {
    Terminal t;
    Screen start = t.waitPrompt({LEVELS});
    EXPECT_TRUE(start.alternate);
    EXPECT_EQ(start.row(0), "  |ABCDEFGHIJ       |ABCDEFGHIJ    Your fleet          Opponent's fleet");
    EXPECT_EQ(start.row(11), "10|               10|");
    // Each option begins with a tab, shown as one blank.
    std::vector<std::string> menu{"Select Your Opponent (type a number 1-4)", " 1 - Not The Brightest Bulb (Easy)",
                                  " 2 - Adept (Medium)", " 3 - Expert (Hard)", " 4 - Champion (Hard, Lucky)", "", ">"};
    EXPECT_EQ(std::vector(start.rows.begin() + 14, start.rows.begin() + 21), menu);
    const std::pair<std::string, std::string> rows[] = {  // typed, and the echo as the player sees it
        {"abc", "> abc"},
        {"\x1b[H\x1b[J", "> ?[H?[J"},
        {"\xc3\xa9t\xc3\xa9", "> \xc3\x83\xc2\xa9t\xc3\x83\xc2\xa9"},
        {"a\x01" "b\x02" "c\x07" "d\te", "> a?b?c?d e"},
        {std::string(300, 'x'), "> " + std::string(45, 'x')},  // read in pieces of 255, each an answer
    };
    for (const auto& [typed, echoed] : rows) {
        const std::string& echo = echoed;  // older clang lambdas capture no bindings
        SCOPED_TRACE(echo);
        t.type(typed);
        Screen s = t.waitFor([&](const Screen& x) { return x.prompt(LEVELS) && x.above(7) == echo; }, echo);
        EXPECT_EQ(s.above(6), "Select Your Opponent (type a number 1-4)");  // with no message in between
        EXPECT_TRUE(s.alternate);
        EXPECT_TRUE(std::equal(start.rows.begin(), start.rows.begin() + 12, s.rows.begin())) << "the boards changed";
    }
}

TEST(Menus, ADashEndOfInputAndCtrlCGiveTheTerminalBack) {
    for (auto [key, status] : {std::pair("-", 0), std::pair("C-d", 0), std::pair("C-c", 130)}) {
        SCOPED_TRACE(key);
        Terminal t;
        t.waitPrompt({LEVELS});
        Screen s = t.answer("3", {"2 - Place randomly"});
        EXPECT_EQ(s.above(5), "Are you going to place your ships yourself, or would you like them to be placed");
        EXPECT_EQ(s.above(4), "randomly?");  // wrapped at the screen's edge
        t.answer("2", {"What is your target?"});
        *key == '-' ? t.type(key) : t.key(key);
        t.expectExit(status);
    }
}
