#include "support.h"

namespace {

struct ConsoleWindow : GameTest {
    ConsoleWin* c() { return &g.console; }
    std::pair<unsigned, unsigned> cell(int x, int y) {
        return {consoleCell(c(), x, y)->Char.UnicodeChar, consoleCell(c(), x, y)->Attributes};
    }
    // The text position, and both cursors after the "> " of its row.
    void expectPosition(int column, int line) {
        EXPECT_EQ(std::vector<int>({c()->consoleColumn, c()->consoleLine, c()->cursorPos.X, c()->cursorPos.Y,
                                    headlessCursor().X, headlessCursor().Y}),
                  std::vector<int>({column, line, 2, line, 2, line}));
    }
    std::string readLine() {
        char buf[256];
        consoleReadLine(c(), buf, sizeof buf);
        return buf;
    }
};
using MessageArea = ConsoleWindow;
using LineInput = ConsoleWindow;
using ConsoleWindowDeathTest = ConsoleWindow;

}  // namespace

// Each case leaves shown on row, and column x's on the row after it, where the text position stops.
TEST_F(MessageArea, TextRunsOnWrapsAndBreaksAtNewlines) {
    struct Row { const char* name; int line; std::vector<std::string> texts; int row; std::string shown; int column; };
    const Row rows[] = {
        {"report", 20, {"Hit!\n"}, 20, "Hit!", 0},
        {"no newline", 14, {"AI Fires at B7... ", "Miss!\n"}, 14, "AI Fires at B7... Miss!", 0},
        {"tab", 14, {"\t1. Easy\n"}, 14, " 1. Easy", 0},
        {"80 and newline", 14, {std::string(80, 'x') + "\n"}, 15, "", 0},
        {"81", 14, {std::string(81, 'x')}, 14, std::string(80, 'x'), 1},
        {"cut at 255", 14, {std::string(300, 'x')}, 16, std::string(80, 'x'), 15},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        restart();
        c()->consoleLine = r.line;
        consolePrintAt(&g, 0, r.line, 199, "%c", 0);
        for (const std::string& text : r.texts) consolePrint(c(), "%s", text.c_str());
        EXPECT_EQ(headlessRow(r.row), r.shown);
        EXPECT_EQ(headlessRow(r.row + 1), std::string(static_cast<std::size_t>(r.column), 'x'));
        EXPECT_EQ(cell(0, r.line), std::make_pair(r.shown.empty() ? 'x' : unsigned(r.shown[0]), 7u));  // a tab is ' '
        expectPosition(r.column, r.row + 1);
    }
}

TEST_F(MessageArea, NewlinesOnTheLastRowScrollTheAreaOnlyWithOneWrite) {
    consolePrintAt(&g, 0, 0, 23, "board");
    consolePrintAt(&g, 0, 13, 23, "row 13");
    std::string text;
    for (int i = 0; i < 12; i++) text += "L" + std::to_string(i) + "\n";
    int writes = headlessWrites();
    consolePrint(c(), "%s", text.c_str());
    EXPECT_EQ(headlessWrites(), writes + 1);
    expectMessages({"L3", "L4", "L5", "L6", "L7", "L8", "L9", "L10", "L11", ""});
    EXPECT_EQ(headlessRow(0) + "/" + headlessRow(13) + "/" + headlessRow(24), "board/row 13/");
    EXPECT_EQ(cell(0, 13).second, 23u);
    expectPosition(0, 23);
}

TEST_F(LineInput, DashFirstOrEndOfInputEndsTheProgramAfterTheEcho) {
    const std::pair<const char*, const char*> rows[] = {{"-\n", "> -"}, {"-5\n", "> -5"}, {"", ""}};
    for (auto [line, echo] : rows) {
        SCOPED_TRACE(line);
        restart();
        headlessQueueInput(line);
        try {
            readLine();
            ADD_FAILURE() << "the program went on";
        } catch (const HeadlessExit& e) {
            EXPECT_EQ(e.status, 0);
        }
        EXPECT_EQ(headlessRow(14), echo);
    }
    restart();
    headlessQueueInput("b-7\nc8");
    EXPECT_EQ(readLine(), "b-7\n");
    EXPECT_EQ(readLine(), "c8");  // no newline: the next text starts the same row
    consolePrint(c(), "Hi");
    EXPECT_EQ(headlessRow(14) + "/" + headlessRow(15), "> b-7/Hic8");
}

TEST_F(ConsoleWindowDeathTest, BracketMisuseStops) {
    consoleBeginUpdate(c());
    EXPECT_DEATH(consolePrint(c(), "x"), "c->updating == 0");
    consoleEndUpdate(c());
    EXPECT_DEATH(consoleEndUpdate(c()), "c->updating == 1");
    EXPECT_DEATH(consoleScroll(c()), "wc->updating == 1");
}
