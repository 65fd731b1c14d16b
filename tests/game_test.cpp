#include "support.h"

using Match = GameTest;

// Neither a bad square nor one fired at before spends a shot: D4 holds a sunk ship,
// C3 the water beside it, never fired at; bZ7 names no square. The winning shot
// ends the match at once.
TEST_F(Match, RefusedLineSpendsNoShotAndTheWinningShotEndsTheMatch) {
    const std::string bad = "Bad coordinates. Try again!", twice = "Not firing at the same spot twice.",
                      beside = "Water beside a sunk ship: no ship can lie there.";
    const std::pair<std::string, std::string> rows[] = {
        {"k1", bad}, {"b11", bad}, {"a0", bad}, {" 7", bad}, {"bZ7", bad}, {"C3", beside}, {"D4", twice}, {"d4", twice},
    };
    for (const auto& [line, message] : rows) {
        SCOPED_TRACE(line);
        restart();
        ASSERT_EQ(placeShip(g.mapOpponent.get(), 1, 3, 3, 0) + placeShip(g.mapOpponent.get(), 1, 9, 9, 0), 2);
        placeShip(g.mapPlayer.get(), 2, 0, 0, 0);  // an opponent that moved would fire at it
        play(gamePlay, &g, "d4\n" + line + "\nj10\n");
        expectMessages({"> " + line, message, "You have 2 shots left. What is your target?", "> j10", "Hit & Sunk!",
                        "You Won!", "Congratulations!", "",
                        "You won in 1 turn. You fired 2 shots: 2 hits, 100%.",
                        "Champion (Hard, Lucky) fired 0 shots: 0 hits, -.", ""});
    }
}

// The menus ask again, with no word said, until the line's digits, all of them
// together, make a number they offer: what each read was asked shows it.
TEST(Menus, AskAgainUntilTheAnswerIsANumberTheyOffer) {
    const std::string levels = " 5 - Admiral (Hard, Honest)", placing = " 2 - Place randomly";
    const char* answers[] = {"6", "0", "x", "", "99999999999", "1 2", "5x", "3", "4", " 2 ", "-"};
    Lines asked;
    headlessReset();
    headlessOnRead([&](char* buf, int size) {
        int y = headlessCursor().y - 1;
        while (y > 0 && headlessRow(y).empty()) y--;
        asked.push_back(headlessRow(y));
        std::snprintf(buf, static_cast<std::size_t>(size), "%s\n", answers[std::min(asked.size(), std::size(answers)) - 1]);
        return asked.size() <= std::size(answers);
    });
    EXPECT_EQ(run({}), 0);
    Lines want(7, levels);
    want.insert(want.end(), 3, placing);
    want.push_back("You have 3 shots left. What is your target?");
    EXPECT_EQ(asked, want);
}

// Before each of its shots the computer waits until the player can see the
// game; when it had to wait, it pauses as before a shot, then fires. What
// was typed meanwhile waits for the next prompt.
TEST_F(Match, TheComputerFiresOnlyOnceThePlayerCanSeeTheGame) {
    placeShip(g.mapPlayer.get(), 5, 0, 0, 0);
    Lines events;
    int fired = 0;
    int hiddenBefore = -1;  // out of sight once before each shot
    headlessOnSight([&] {
        if (hiddenBefore == fired) return true;
        hiddenBefore = fired;
        events.push_back("await after " + std::to_string(fired));
        return false;
    });
    headlessOnPause([&](int ms) { events.push_back("pause " + std::to_string(ms)); });
    headlessOnFrame([&](const Frame&, Coord cursor) {
        if (headlessRow(cursor.y).starts_with("AI Fires at ")) events.push_back("shot " + std::to_string(++fired));
    });
    headlessQueueEvents({{EventKind::Char, 'b', {0, 0}}, {EventKind::Char, '5', {0, 0}}, {EventKind::Enter, 0, {0, 0}}});
    g.level = &OPPONENT_LEVELS[0];
    aiTurn(&g);
    EXPECT_EQ(events, Lines({"await after 0", "pause 500", "shot 1", "await after 1", "pause 500", "shot 2",
                             "await after 2", "pause 500", "shot 3"}));
    char typed[16] = "";
    EXPECT_TRUE(consoleReadLine(&g.console, typed, sizeof typed));
    EXPECT_STREQ(typed, "b5\n");
}

// Lines typed ahead answer no "Another game?": the question drops them, once
// it is shown with the result, the match in figures and both fleets whole.
TEST(Menus, AnotherGameDropsWhatWasTypedBeforeItShowed) {
    headlessReset();
    int square = 0, drops = 0, shown = 0;
    Lines area;
    headlessOnRead([&](char* buf, int size) {
        bool asked = headlessRow(headlessCursor().y - 2) == " 2 - quit";
        std::string line = asked ? "2" : std::string(1, static_cast<char>('a' + square % 10)) + std::to_string(square / 10 + 1);
        square++;
        std::snprintf(buf, static_cast<std::size_t>(size), "%s\n", line.c_str());
        return true;
    });
    headlessOnDrop([&] {
        drops++;
        for (int y = 14; y < 24; y++) area.push_back(headlessRow(y));
        for (int i = 0; i < 100; i++) shown += std::string("O#").find(static_cast<char>(headlessScreen()[static_cast<std::size_t>(21 + i % 10 + (2 + i / 10) * 80)].ch)) != std::string::npos;
    });
    EXPECT_EQ(run({"--seed=3", "--level=1", "--place=random"}), 0);
    ASSERT_EQ(drops, 1);
    EXPECT_EQ(shown, 30);
    EXPECT_EQ(Lines(area.begin() + 1, area.end()),
              Lines({"Congratulations!", "", area[3], area[4], "Another game?", " 1 - keep playing", " 2 - quit", "", ">"}));
    EXPECT_EQ(area[0], "You Won!");
    EXPECT_TRUE(area[3].starts_with("You won in ") && area[4].starts_with("Not The Brightest Bulb (Easy) fired ")) << area[3];
}
