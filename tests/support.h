// What the unit tests share: a new game on the headless console, scripted
// input, and the boards and the message area as values to compare.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <set>
#include <vector>

#include "board/map.h"
#include "console/consolewin.h"
#include "fleet/shipplacement.h"
#include "game/game.h"
#include "platform/headless/headless.h"

using Board = std::array<std::uint8_t, MAP_WIDTH * MAP_HEIGHT>;

inline Board boardOf(const std::uint8_t* map) {
    Board b;
    std::memcpy(b.data(), map, b.size());
    return b;
}

// A new game on a blank headless console; restart() begins another.
struct GameTest : testing::Test {
    Game g{};
    GameTest() { restart(); }
    ~GameTest() override { gameDestroy(&g); }
    void restart() { gameDestroy(&g); headlessReset(); gameInit(&g); }
};

// Runs step on g with lines as its input, which it must read to the end.
// Input running out ends the game with status 0, which would pass for
// success: while a script plays it fails instead.
inline void play(void (*step)(Game*), Game* g, std::string_view lines) {
    headlessQueueInput(lines);
    try {
        step(g);
    } catch (const HeadlessExit&) {
        FAIL() << "the game read past the end of its input";
    }
    char rest[256];
    EXPECT_FALSE(platformReadLine(rest, sizeof rest)) << "left unread: " << rest;
}

// The message area, rows 14 to 23, shows the last ten lines printed.
inline void expectMessages(const std::vector<std::string>& lines) {
    std::size_t first = lines.size() > 10 ? lines.size() - 10 : 0;
    for (std::size_t i = 0; i < 10; i++) {
        EXPECT_EQ(headlessRow(14 + static_cast<int>(i)), first + i < lines.size() ? lines[first + i] : "") << i;
    }
}
