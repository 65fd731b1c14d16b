#include "support.h"

using MessageArea = GameTest;

// Texts printed from row 14, one write each: the rows they leave in plain colours,
// where text and cursor stop; row 13 above stays as it was.
TEST_F(MessageArea, TextRunsOnWrapsScrollsAndBreaksAtNewlines) {
    const std::string x80(80, 'x');
    struct Row { Lines texts, shown; int column, line; } rows[] = {
        {{"AI Fires at B7... ", "Miss!\n"}, {"AI Fires at B7... Miss!"}, 0, 15}, {{"\t1. Easy\n"}, {" 1. Easy"}, 0, 15},
        {{x80 + "\n"}, {x80, ""}, 0, 16}, {{x80 + "x"}, {x80, "x"}, 1, 15},
        {{std::string(300, 'x')}, {x80, x80, x80, std::string(15, 'x')}, 15, 17},  // cut at 255
        {{"L0\nL1\nL2\nL3\nL4\nL5\nL6\nL7\nL8\nL9\nL10\nL11\n"},
         {"L3", "L4", "L5", "L6", "L7", "L8", "L9", "L10", "L11", ""}, 0, 23},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.texts[0]);
        restart();
        consolePrintAt(&g.console, 0, 13, 23, "row 13");
        consolePrintAt(&g.console, 0, 14, 199, "%c", 0);
        int writes = headlessWrites();
        for (const std::string& text : r.texts) consolePrint(&g.console, "%s", text.c_str());
        expectMessages(r.shown);
        EXPECT_EQ(headlessRow(13) + "/" + std::to_string(headlessScreen()[13 * 80].attr), "row 13/23");
        EXPECT_EQ(std::vector<int>({headlessWrites() - writes, headlessScreen()[14 * 80].attr, g.console.consoleColumn,
                                    g.console.consoleLine, headlessCursor().x, headlessCursor().y}),
                  std::vector<int>({static_cast<int>(r.texts.size()), ATTR_PLAIN, r.column, r.line, r.column, r.line}));
    }
}

// The echo comes first; then a line beginning with "-" or the end of input
// tells the game to end. A line cut off by the end of input, or by the
// buffer as fgets cuts it, ends its echo's row all the same: what comes next
// starts below it.
TEST_F(MessageArea, ReadLineEchoesAndSaysToEndOnADashFirstOrTheEndOfInput) {
    const struct { std::string input, echo; bool goesOn; std::string read; int nextRow; } rows[] = {
        {"b-7\n", "> b-7", true, "b-7\n", 15}, {"-\n", "> -", false, "-\n", 15}, {"-5\n", "> -5", false, "-5\n", 15},
        {"", "", false, "", 14}, {"b7", "> b7", true, "b7", 15},
        {std::string(300, 'x') + "\n", "> " + std::string(78, 'x'), true, std::string(255, 'x'), 18},
    };
    for (const auto& r : rows) {
        restart();
        headlessQueueInput(r.input);
        char buf[256] = "x";
        bool goesOn = consoleReadLine(&g.console, buf, sizeof buf);
        std::string echo = headlessRow(14);
        consolePrint(&g.console, "next");
        EXPECT_EQ(std::tuple(goesOn, echo, std::string(buf), headlessRow(r.nextRow), headlessCursor().y),
                  std::tuple(r.goesOn, r.echo, r.read, std::string("next"), r.nextRow))
            << r.input;
    }
}

// Keys typed while the game waits to be seen are kept for the next line read.
TEST_F(MessageArea, KeysTypedWhileTheGameIsOutOfSightWaitForTheNextLine) {
    int hidden = 3;
    headlessOnSight([&] { return hidden-- <= 0; });
    headlessQueueEvents({{EventKind::Char, 'b', {0, 0}}, {EventKind::Char, '5', {0, 0}}, {EventKind::Enter, 0, {0, 0}}});
    EXPECT_TRUE(consoleAwaitSight(&g.console));
    char typed[16] = "";
    EXPECT_TRUE(consoleReadLine(&g.console, typed, sizeof typed));
    EXPECT_STREQ(typed, "b5\n");
}
