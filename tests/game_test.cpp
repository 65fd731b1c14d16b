#include "support.h"

using Match = GameTest;

// Neither a bad square nor one fired at before spends a shot: D4 holds a sunk ship,
// C3 the water beside it, never fired at; bZ7 names no square. The winning shot
// ends the match at once; the summary counts the hints asked for.
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
        g.figures.hints = 2;
        play(gamePlay, &g, "d4\n" + line + "\nj10\n");
        expectMessages({"> " + line, message, "You have 2 shots left. What is your target?", "> j10", "Hit & Sunk!",
                        "You Won!", "Congratulations!", "",
                        "You won in 1 turn. You fired 2 shots: 2 hits, 100%.",
                        "Champion (Hard, Lucky) fired 0 shots: 0 hits, -. Hints used: 2.", ""});
    }
}
