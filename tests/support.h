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

// A new game on a blank headless terminal; restart() begins another.
struct GameTest : testing::Test {
    Game g{};
    GameTest() { restart(); }
    ~GameTest() override { gameDestroy(&g); }
    void restart() { gameDestroy(&g); headlessReset(); gameInit(&g); }
};

// Runs step on g with lines as its input, which it must read to the end:
// running out would end the game with status 0 and pass for success.
inline void play(void (*step)(Game*), Game* g, std::string_view lines) {
    headlessQueueInput(lines);
    EXPECT_NO_THROW(step(g)) << "the game read past the end of its input";
    char rest[256];
    EXPECT_FALSE(terminalReadLine(rest, sizeof rest)) << "left unread: " << rest;
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
