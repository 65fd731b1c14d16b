// The computer's turn at the top level as the player sees it: paced shots,
// and now and then a lucky one.
#include "tmux.h"

constexpr std::string_view TARGET = "What is your target?";

TEST(Opponent, ChampionPacesItsShotsAndGetsLucky) {
    Terminal t;
    t.waitPrompt({"4 - Champion (Hard, Lucky)"});
    t.answer("4", {"2 - Place randomly"});
    Screen s = t.answer("2", {TARGET});
    auto freeSquare = [&] {  // the first square of the opponent's board not fired at yet
        int i = 0;
        while (i < 99 && s.right(i % 10, i / 10) != Cell{}) i++;
        return squareName(i % 10, i / 10);
    };

    bool paced = false;  // seen some but not all of the opponent's three shots announced: the pause
    bool lucky = false;  // seen a lucky shot, right after a hit
    for (int turn = 1; turn <= 20 && !(paced && lucky); turn++) {  // about one shot in seven is lucky
        s = t.answer(freeSquare(), {TARGET});
        s = t.answer(freeSquare(), {TARGET});
        std::string echo = "> " + freeSquare();
        t.type(echo.substr(2));
        auto turnOver = [&](const Screen& now) {
            int y = 14;
            while (y < 24 && now.row(y) != echo) y++;
            int announced = 0;
            while (++y < 24) {
                announced += now.row(y).starts_with("AI Fires at ");
                lucky = lucky || (now.row(y) == "What a lucky shot!" && !now.row(y - 1).ends_with("Miss!"));
            }
            paced = paced || (announced > 0 && announced < 3);
            return (announced == 3 && now.prompt(TARGET)) || now.prompt("2 - quit");
        };
        s = t.waitFor(turnOver, "the opponent's turn, turn " + std::to_string(turn));
        if (s.prompt("2 - quit")) {  // sunk before its luck came: another game
            t.answer("1", {"4 - Champion (Hard, Lucky)"});
            t.answer("4", {"2 - Place randomly"});
            s = t.answer("2", {TARGET});
        }
    }
    EXPECT_TRUE(paced) << "the opponent's shots never seen one by one";
    EXPECT_TRUE(lucky);
    t.type("-");
    t.expectExit(0);
}
