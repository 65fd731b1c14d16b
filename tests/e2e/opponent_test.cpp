// The computer's turn at the top level as the player sees it: paced shots,
// and now and then a lucky one.
#include <chrono>
#include <string>
#include <vector>

#include "tmux.h"

using Opponent = TerminalTest;

namespace {

constexpr std::string_view TARGET = "What is your target?";

int opponentLines(const Screen& s) {
    int n = 0;
    for (int y = 14; y < 24; y++) n += s.row(y).starts_with("AI Fires at");
    return n;
}

// The first square of the opponent's board not fired at yet.
std::string freeSquare(const Screen& s) {
    int i = 0;
    while (i < 99 && s.right(i % 10, i / 10) != Cell{}) i++;
    return squareName(i % 10, i / 10);
}

}  // namespace

TEST_F(Opponent, ChampionPacesItsShotsAndGetsLucky) {
    using Clock = std::chrono::steady_clock;
    Terminal& t = start();
    t.waitPrompt({"4 - Champion (Hard, Lucky)"});
    t.answer("4", {"2 - Place randomly"});
    Screen s = t.answer("2", {TARGET});

    // About one shot in seven is lucky while luck lasts: seen within a few
    // turns almost always, within twenty all but never.
    for (int turn = 1; turn <= 20 && !s.has("What a lucky shot!"); turn++) {
        SCOPED_TRACE("turn " + std::to_string(turn));
        s = t.answer(freeSquare(s), {TARGET});
        s = t.answer(freeSquare(s), {TARGET});
        ASSERT_TRUE(s.above(1).starts_with("You have 1 shot left")) << s.dump();

        // The last shot pushes the previous turn's lines away; then the
        // opponent's three come one at a time, half a second apart.
        std::vector<int> counts;
        std::vector<Clock::time_point> seen;
        Screen before = s;
        t.type(freeSquare(s));
        s = t.waitFor(
            [&](const Screen& now) {
                if (now.rows == before.rows) return false;
                int n = opponentLines(now);
                if (counts.empty() ? n == 0 : n != counts.back()) {
                    counts.push_back(n);
                    seen.push_back(Clock::now());
                }
                return atPrompt(now, TARGET) || atPrompt(now, "2 - quit");
            },
            "the opponent's turn");
        ASSERT_TRUE(atPrompt(s, TARGET)) << "the match ended\n" << s.dump();
        ASSERT_EQ(counts, (std::vector<int>{0, 1, 2, 3})) << s.dump();
        EXPECT_GT(seen[3] - seen[1], std::chrono::milliseconds(800));
    }

    // A lucky shot goes straight to a ship.
    int lucky = s.cursorY;
    while (lucky > 15 && s.row(lucky) != "What a lucky shot!") lucky--;
    ASSERT_EQ(s.row(lucky), "What a lucky shot!") << s.dump();
    EXPECT_TRUE(s.row(lucky - 1).starts_with("AI Fires at")) << s.row(lucky - 1);
    EXPECT_TRUE(s.row(lucky - 1).ends_with("... Hit!") || s.row(lucky - 1).ends_with("... Hit & Sunk!"));
    t.type("-");
    t.expectExit(0);
}
