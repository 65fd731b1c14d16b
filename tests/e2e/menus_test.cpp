// The menus at the start of a game, answers the game can't use, and the
// ways out of the program.
#include <cstdio>
#include <string>
#include <vector>

#include "tmux.h"

using Menus = TerminalTest;

namespace {

constexpr std::string_view LEVELS = "4 - Champion (Hard, Lucky)";

void expectBoardsIntact(const Screen& s) {
    std::vector<std::string> empty = {"  |ABCDEFGHIJ       |ABCDEFGHIJ", "--+----------     --+----------"};
    for (int y = 1; y <= 10; y++) {
        char row[32];
        std::snprintf(row, sizeof row, "%2d|               %2d|", y, y);
        empty.push_back(row);
    }
    EXPECT_EQ(std::vector<std::string>(s.rows.begin(), s.rows.begin() + 12), empty) << s.dump();
}

}  // namespace

TEST_F(Menus, StartShowsBothBoardsAndTheLevelsAndADashQuits) {
    Terminal& t = start();
    Screen s = t.waitPrompt({LEVELS});
    EXPECT_TRUE(s.alternate);
    expectBoardsIntact(s);
    // Each option begins with a tab, shown as one blank.
    EXPECT_EQ(std::vector<std::string>(s.rows.begin() + 14, s.rows.begin() + 21),
              (std::vector<std::string>{"Select Your Opponent (type a number 1-4)",
                                        " 1 - Not The Brightest Bulb (Easy)", " 2 - Adept (Medium)",
                                        " 3 - Expert (Hard)", " 4 - Champion (Hard, Lucky)", "", ">"}));
    EXPECT_EQ(s.cursorY, 20);

    // No digits: the menu again, with no message in between.
    s = t.answer("abc", {LEVELS});
    EXPECT_EQ(s.above(7), "> abc");
    EXPECT_EQ(s.above(6), "Select Your Opponent (type a number 1-4)");

    s = t.answer("3", {"2 - Place randomly"});
    EXPECT_EQ(s.above(4), "randomly?");  // the question wraps at the screen's edge
    EXPECT_EQ(s.above(5), "Are you going to place your ships yourself, or would you like them to be placed");
    t.type("-");
    t.expectExit(0);
}

TEST_F(Menus, EveryWayOutGivesTheTerminalBack) {
    struct Row {
        const char* name;
        std::vector<std::string> answers;  // the way to the prompt
        std::string_view last;             // its last line
        const char* key;
        int status;
    };
    const Row rows[] = {
        {"end of input at the level menu", {}, LEVELS, "C-d", 0},
        {"Ctrl-C at the placement menu", {"4"}, "2 - Place randomly", "C-c", 130},
        {"end of input at a target prompt", {"1", "2"}, "What is your target?", "C-d", 0},
        {"Ctrl-C at a target prompt", {"2", "2"}, "What is your target?", "C-c", 130},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Terminal& t = start();
        t.waitPrompt({LEVELS});
        for (const std::string& a : row.answers) t.type(a);
        t.waitPrompt({row.last});
        t.key(row.key);
        t.expectExit(row.status);
    }
}

TEST_F(Menus, BadAnswersAreAskedAgainAndEchoedHarmlessly) {
    struct Row {
        const char* name;
        std::string typed;
        std::string echo;  // as the player sees it
    };
    const Row rows[] = {
        {"an empty line", "", ">"},
        // Read in pieces of 255 characters, each an answer of its own.
        {"a line of 300 characters", std::string(300, 'x'), "> " + std::string(45, 'x')},
        {"an escape sequence", "\x1b[H\x1b[J", "> ?[H?[J"},  // a digit would make it an answer
        {"UTF-8 text", "\xc3\xa9t\xc3\xa9", "> \xc3\x83\xc2\xa9t\xc3\x83\xc2\xa9"},
        {"a C1 control in UTF-8", "x\xc2\x85y", "> x\xc3\x82?y"},
        {"control characters and a tab", "a\x01" "b\x02" "c\x07" "d\te", "> a?b?c?d e"},
    };
    Terminal& t = start();
    t.waitPrompt({LEVELS});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        t.type(row.typed);
        Screen s = t.waitFor([&](const Screen& x) { return atPrompt(x, LEVELS) && x.above(7) == row.echo; }, row.echo);
        EXPECT_EQ(s.above(6), "Select Your Opponent (type a number 1-4)");
        EXPECT_TRUE(s.alternate);
        expectBoardsIntact(s);
    }
    expectBoardsIntact(t.answer("1", {"2 - Place randomly"}));
    t.type("-");
    t.expectExit(0);
}
