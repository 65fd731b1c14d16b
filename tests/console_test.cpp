#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "console/consolewin.h"
#include "game/game.h"
#include "platform/headless/headless.h"

namespace {

class ConsoleWindow : public ::testing::Test {
protected:
    void SetUp() override { restart(); }
    void TearDown() override { gameDestroy(&g); }
    void restart() {
        headlessReset();
        gameInit(&g);
    }
    ConsoleWin* c() { return &g.console; }
    std::pair<unsigned, unsigned> cell(int x, int y) {
        return {consoleCell(c(), x, y)->Char.UnicodeChar, consoleCell(c(), x, y)->Attributes};
    }
    void expectPosition(int column, int line) {
        EXPECT_EQ(std::make_pair(c()->consoleColumn, c()->consoleLine), std::make_pair(column, line));
        EXPECT_EQ(std::make_pair(c()->cursorPos.X, c()->cursorPos.Y), std::make_pair(SHORT{2}, SHORT(line)));
        EXPECT_EQ(std::make_pair(headlessCursor().X, headlessCursor().Y), std::make_pair(SHORT{2}, SHORT(line)));
    }
    std::string readLine() {
        char buf[256];
        consoleReadLine(c(), buf, sizeof buf);
        return buf;
    }
    Game g{};
};
using MessageArea = ConsoleWindow;
using LineInput = ConsoleWindow;
using ConsoleWindowDeathTest = ConsoleWindow;

// Runs in a child that exits: shows what the echo left on the screen.
void showEchoRow() { std::fprintf(stderr, "[%s]\n", headlessRow(14).c_str()); }

}  // namespace

TEST_F(ConsoleWindow, NewGameStartsOnABlankScreen) {
    consolePrint(c(), "last game\n");
    consolePrintAt(&g, 5, 5, 23, "x");
    gameInit(&g);
    for (int i = 0; i < CONSOLE_CELLS; i++) {
        ASSERT_EQ(cell(i % 80, i / 80), std::make_pair(0u, 7u)) << i;
        ASSERT_EQ(headlessScreen()[i].Char.UnicodeChar, 0) << i;
    }
    EXPECT_EQ(std::make_pair(c()->consoleColumn, c()->consoleLine), std::make_pair(0, 14));
    EXPECT_EQ(std::make_pair(c()->cursorPos.X, c()->cursorPos.Y), std::make_pair(SHORT{0}, SHORT{0}));
    EXPECT_EQ(c()->updating, 0);
}

TEST_F(MessageArea, TextRunsOnWrapsAndBreaksAtNewlines) {
    struct Row {
        const char* name;
        int line;
        std::vector<std::string> texts;
        int row;
        std::string shown;
        int endColumn, endLine;
    } rows[] = {
        {"report", 20, {"Hit!\n"}, 20, "Hit!", 0, 21},
        {"no newline", 14, {"AI Fires at B7... ", "Miss!\n"}, 14, "AI Fires at B7... Miss!", 0, 15},
        {"tab", 14, {"\t1. Easy\n"}, 14, " 1. Easy", 0, 15},
        {"80 and newline", 14, {std::string(80, 'x') + "\n"}, 15, "", 0, 16},
        {"81", 14, {std::string(81, 'x')}, 15, "x", 1, 15},
        {"cut at 255", 14, {std::string(300, 'x')}, 17, std::string(15, 'x'), 15, 17},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        restart();
        c()->consoleLine = r.line;
        consolePrintAt(&g, 0, r.line, 199, "%c", 0);
        for (const std::string& text : r.texts) consolePrint(c(), "%s", text.c_str());
        EXPECT_EQ(headlessRow(r.row), r.shown);
        EXPECT_EQ(cell(0, r.line).second, 7u);
        EXPECT_NE(cell(0, r.line).first, 0u);  // a tab is a blank, not an empty cell
        expectPosition(r.endColumn, r.endLine);
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
    for (int y = 14; y <= 22; y++) EXPECT_EQ(headlessRow(y), "L" + std::to_string(y - 11));
    EXPECT_EQ(headlessRow(23), "");
    EXPECT_EQ(headlessRow(24), "");
    EXPECT_EQ(headlessRow(0), "board");
    EXPECT_EQ(headlessRow(13), "row 13");
    EXPECT_EQ(cell(0, 13).second, 23u);
    expectPosition(0, 23);
}

TEST_F(ConsoleWindow, PositionedTextTakesOneCellPerByteAndStaysOnTheScreen) {
    int writes = headlessWrites();
    consolePrintAt(&g, 78, 8, -1, "ab\ncd\xe9");
    EXPECT_EQ(headlessWrites(), writes + 1);
    const std::pair<int, unsigned> want[] = {{78, 'a'}, {79, 'b'}, {80, '\n'}, {81, 'c'}, {82, 'd'}, {83, 0xe9}};
    for (auto [x, ch] : want) EXPECT_EQ(cell(x % 80, 8 + x / 80), std::make_pair(ch, 7u)) << x;
    consolePrintAt(&g, 10, 5, 103, "z");
    EXPECT_EQ(cell(10, 5).second, 103u);

    consolePrintAt(&g, 0, 0, 23, "%s", std::string(300, 'x').c_str());
    EXPECT_EQ(headlessRow(3), std::string(15, 'x'));
    consolePrintAt(&g, 78, 24, 23, "abcdef");  // past the last cell: dropped
    EXPECT_EQ(cell(79, 24), std::make_pair(unsigned{'b'}, 23u));
    EXPECT_EQ(headlessRow(0), std::string(80, 'x'));
}

TEST_F(LineInput, EchoesTheLineOverThePrompt) {
    consolePrint(c(), "What is your target?\n> ");
    headlessQueueInput("b7\n");
    EXPECT_EQ(readLine(), "b7\n");
    EXPECT_EQ(headlessRow(15), "> b7");
    consolePrint(c(), "Miss!\n");
    EXPECT_EQ(headlessRow(16), "Miss!");

    headlessQueueInput("c8");  // no newline: the next text starts the same row
    readLine();
    consolePrint(c(), "Hi");
    EXPECT_EQ(headlessRow(17), "Hic8");
}

TEST_F(LineInput, DashFirstOrEndOfInputEndsTheProgramAfterTheEcho) {
    for (const char* line : {"-\n", "-5\n", "-", ""}) {
        SCOPED_TRACE(line);
        EXPECT_EXIT(
            {
                std::atexit(showEchoRow);
                headlessQueueInput(line);
                readLine();
            },
            ::testing::ExitedWithCode(0), *line ? "\\[> -5?\\]" : "\\[\\]");
    }
    headlessQueueInput("b-7\n");
    EXPECT_EQ(readLine(), "b-7\n");
}

TEST_F(ConsoleWindowDeathTest, BracketMisuseStops) {
    EXPECT_DEATH(
        {
            consoleBeginUpdate(c());
            consolePrint(c(), "x");
        },
        "c->updating == 0");
    EXPECT_DEATH(consoleEndUpdate(c()), "c->updating == 1");
    EXPECT_DEATH(consoleScroll(c()), "wc->updating == 1");
}
