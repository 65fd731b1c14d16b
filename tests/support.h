// What the unit tests share: a new game on the headless terminal, scripted
// input, the boards and the message area as values to compare, and seeds.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <string>
#include <set>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "game/game.h"
#include "game/opponent_turn.h"
#include "game/placement.h"
#include "game/program.h"
#include "rules/text.h"
#include "terminal/headless/headless.h"

// Every test plays on the headless terminal.
inline const bool HEADLESS_IN_USE = (terminalUse(headlessTerminal()), true);

using Board = std::array<std::uint8_t, MAP_WIDTH * MAP_HEIGHT>;
using Square = std::pair<int, int>;
using Lines = std::vector<std::string>;

inline auto shipSquares(const std::uint8_t* m) {
    return std::count_if(m, m + MAP_WIDTH * MAP_HEIGHT, [](int f) { return f & CELL_SHIP; });
}

// A new game on a blank headless terminal, nothing typed yet; restart()
// begins another.
struct GameTest : testing::Test {
    Game g{};
    GameTest() { restart(); }
    ~GameTest() override { gameDestroy(&g); }
    void restart() {
        gameDestroy(&g);
        headlessReset();
        g.console.input = {};
        gameInit(&g);
    }
};

// Runs step on g with lines as its input, which it must read to the end:
// running out would end the game as quitting does, and pass for success.
inline void play(bool (*step)(Game*), Game* g, std::string_view lines) {
    headlessQueueInput(lines);
    EXPECT_TRUE(step(g)) << "the game read past the end of its input";
    const LineEditor& typed = g->console.input.editor;
    EXPECT_TRUE(typed.line.empty() && typed.lines.empty() && terminalNextEvent(false).kind == EventKind::End)
        << "left unread: " << typed.lines;
}

// The program run with args on the headless terminal as it is set: its status.
inline int run(std::vector<std::string> args) {
    args.insert(args.begin(), "salvo");
    std::vector<char*> argv(args.size() + 1, nullptr);
    for (std::size_t i = 0; i < args.size(); i++) argv[i] = args[i].data();
    return salvoMain(static_cast<int>(args.size()), argv.data());
}

// The message area, rows 14 to 23, shows the last ten lines printed.
inline void expectMessages(const Lines& lines) {
    std::size_t first = lines.size() > 10 ? lines.size() - 10 : 0;
    for (std::size_t i = 0; i < 10; i++) {
        EXPECT_EQ(headlessRow(14 + static_cast<int>(i)), first + i < lines.size() ? lines[first + i] : "") << i;
    }
}

// The first seed whose first draws pass want: how a test puts a described
// chance at its edge, or has the game draw the way it needs.
inline unsigned seedWhere(const std::function<bool()>& want) {
    unsigned seed = 1;
    while (std::srand(seed), !want()) seed++;
    return seed;
}
