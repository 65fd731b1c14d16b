#include "support.h"

namespace {

using Match = GameTest;

// The program run with args on the headless terminal as it is set: its status.
int run(std::vector<std::string> args) {
    args.insert(args.begin(), "salvo");
    std::vector<char*> argv(args.size() + 1, nullptr);
    for (std::size_t i = 0; i < args.size(); i++) argv[i] = args[i].data();
    try { return salvoMain(static_cast<int>(args.size()), argv.data()); } catch (const HeadlessExit& e) { return e.status; }
}

}  // namespace

// Neither a bad square nor one fired at before spends a shot: D4 holds a sunk ship,
// C3 the water beside it; bZ7 names no square. The winning shot ends the match at once.
TEST_F(Match, RefusedLineSpendsNoShotAndTheWinningShotEndsTheMatch) {
    const std::string bad = "Bad coordinates. Try again!", twice = "Not firing at the same spot twice.";
    const std::pair<std::string, std::string> rows[] = {
        {"k1", bad}, {"b11", bad}, {"a0", bad}, {" 7", bad}, {"bZ7", bad}, {"C3", twice}, {"D4", twice}, {"d4", twice},
    };
    for (const auto& [line, message] : rows) {
        SCOPED_TRACE(line);
        restart();
        ASSERT_EQ(placeShip(g.mapOpponent.get(), 1, 3, 3, 0) + placeShip(g.mapOpponent.get(), 1, 9, 9, 0), 2);
        placeShip(g.mapPlayer.get(), 2, 0, 0, 0);  // an opponent that moved would fire at it
        ASSERT_EQ(mapFire(g.mapOpponent.get(), 3, 3), 2);
        play(gamePlay, &g, line + "\nj10\n");
        expectMessages({"You have 3 shots left. What is your target?", "> " + line, message,
                        "> You have 3 shots left. What is your target?", "> j10", "Hit & Sunk!", "You Won!",
                        "Congratulations!", "", ""});
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
