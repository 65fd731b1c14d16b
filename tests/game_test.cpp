#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "board/map.h"
#include "fleet/shipplacement.h"
#include "game/game.h"
#include "platform/headless/headless.h"

namespace {

// Input running out ends the program with status 0, which would pass for
// success: while a script plays, it fails instead. A script must be read to
// its end.
bool scriptPlaying = false;
struct Script {
    explicit Script(std::string_view lines) {
        static const int registered = std::atexit([] {
            if (!scriptPlaying) return;
            std::fputs("the game read past the end of its input\n", stderr);
            std::_Exit(1);
        });
        (void)registered;
        headlessQueueInput(lines);
        scriptPlaying = true;
    }
    ~Script() {
        scriptPlaying = false;
        char rest[256];
        EXPECT_FALSE(platformReadLine(rest, sizeof rest)) << "left unread: " << rest;
    }
};

// The message area, rows 14 to 23, shows the last ten lines printed.
void expectMessages(const std::vector<std::string>& lines) {
    std::size_t first = lines.size() > 10 ? lines.size() - 10 : 0;
    for (std::size_t i = 0; i < 10; i++) {
        EXPECT_EQ(headlessRow(14 + static_cast<int>(i)), first + i < lines.size() ? lines[first + i] : "") << i;
    }
}

const CHAR_INFO& opponentSquareOnScreen(int x, int y) { return headlessScreen()[21 + x + (2 + y) * 80]; }

// A stand-in for the computer: its first move sinks the player's ship at
// J10, its second the one at A1. At the first it notes what the player's
// last look at the opponent's board showed.
int opponentMoves = 0;
CHAR_INFO seenShip{}, seenSecondShot{}, seenThirdShot{};
void sinkOneShipAMove(Game* g) {
    if (++opponentMoves == 1) {
        seenShip = opponentSquareOnScreen(5, 2);
        seenSecondShot = opponentSquareOnScreen(0, 1);
        seenThirdShot = opponentSquareOnScreen(0, 2);
    }
    mapFire(g->mapPlayer.get(), opponentMoves == 1 ? 9 : 0, opponentMoves == 1 ? 9 : 0, &g->console);
    gameCheckOpponentWon(g);
}

struct Match : testing::Test {
    Game g{};
    OpponentMove saved = opponentMove;
    Match() {
        headlessReset();
        gameInit(&g);
        opponentMove = sinkOneShipAMove;
        opponentMoves = 0;
    }
    ~Match() override {
        opponentMove = saved;
        gameDestroy(&g);
    }
    void newGame() {
        gameDestroy(&g);
        headlessReset();
        gameInit(&g);
    }
    void ship(std::uint8_t* board, int len, int x, int y, int ori) { ASSERT_EQ(placeShip(board, len, x, y, ori), 1); }
    std::uint8_t* opponent() { return g.mapOpponent.get(); }
};
struct GameRecord : Match {};
struct PlayerTurn : Match {};

}  // namespace

TEST_F(GameRecord, InitStartsEveryGameAfresh) {
    fleetCreate(&g);
    mapSet(g.mapPlayer.get(), 3, 3, CELL_SHIP);
    mapSet(opponent(), 9, 9, CELL_SHOT);
    g.playerWon = g.opponentWon = g.tracking = 1;
    g.trackX = g.trackY = 4;
    g.luckyShots = 0;
    consolePrint(&g.console, "left over from the last game\n");
    gameDestroy(&g);
    gameInit(&g);
    EXPECT_EQ(std::vector<int>(g.mapPlayer.get(), g.mapPlayer.get() + 100), std::vector<int>(100));
    EXPECT_EQ(std::vector<int>(opponent(), opponent() + 100), std::vector<int>(100));
    EXPECT_EQ(g.shipsToPlace, nullptr);
    EXPECT_EQ(std::vector<int>({g.playerWon, g.opponentWon, g.trackX, g.trackY, g.tracking, g.luckyShots}),
              std::vector<int>({0, 0, -1, -1, 0, 5}));
    for (int y = 0; y < 25; y++) EXPECT_EQ(headlessRow(y), "") << "row " << y;
}

TEST_F(GameRecord, EmptyBoardCountsAsASunkFleetAndAWinStaysWon) {
    struct Side { const char* name; std::uint8_t* board; int (*check)(Game*); int* flag; int* other; };
    const Side sides[] = {
        {"player wins", opponent(), gameCheckPlayerWon, &g.playerWon, &g.opponentWon},
        {"opponent wins", g.mapPlayer.get(), gameCheckOpponentWon, &g.opponentWon, &g.playerWon},
    };
    for (const Side& s : sides) {
        SCOPED_TRACE(s.name);
        g.playerWon = g.opponentWon = 0;
        EXPECT_EQ(s.check(&g), 1);
        *s.flag = 0;
        ship(s.board, 2, 4, 4, 0);
        EXPECT_EQ(mapFire(s.board, 4, 4, &g.console), 1);
        EXPECT_EQ(s.check(&g), 0);
        EXPECT_EQ(mapFire(s.board, 5, 4, &g.console), 2);
        EXPECT_EQ(s.check(&g), 1);
        ship(s.board, 2, 0, 0, 1);  // afloat again, yet the win stays
        EXPECT_EQ(s.check(&g), 1);
        EXPECT_EQ(*s.flag, 1);
        EXPECT_EQ(*s.other, 0);
    }
}

TEST(GameDeathTest, EveryOperationNeedsAGame) {
    void (*const ops[])(Game*) = {
        gameInit, gameDestroy, [](Game* g) { (void)gameCheckPlayerWon(g); },
        [](Game* g) { (void)gameCheckOpponentWon(g); }, gamePlay, gamePlayerTurn,
    };
    for (auto op : ops) EXPECT_DEATH(op(nullptr), "Assertion failed: g != NULL");
}

// The prompt counts the shots down: 3 shots, 2 shots, 1 shot.
TEST_F(PlayerTurn, CapitalAndSmallLetterNameTheSameSquare) {
    ship(opponent(), 2, 1, 6, 0);
    {
        Script script("B7\nb7\na1\na2\n");
        gamePlayerTurn(&g);
    }
    EXPECT_EQ(mapTestFlags(opponent(), 1, 6, CELL_SHIP | CELL_SHOT), CELL_SHIP | CELL_SHOT);
    expectMessages({"You have 2 shots left. What is your target?", "> b7", "Not firing at the same spot twice.",
                    "> You have 2 shots left. What is your target?", "> a1", "Miss!",
                    "You have 1 shot left. What is your target?", "> a2", "Miss!", ""});
}

TEST_F(PlayerTurn, RefusedLineSpendsNoShot) {
    const std::string bad = "Bad coordinates. Try again!", twice = "Not firing at the same spot twice.";
    const std::pair<std::string, std::string> rows[] = {
        {"k1", bad}, {"b11", bad}, {"7b", bad}, {"a0", bad}, {"", bad}, {"   ", bad},
        {"d4", twice}, {"C3", twice}, {"e4", twice},  // the sunk ship and the water around it
    };
    for (const auto& [line, message] : rows) {
        SCOPED_TRACE(line);
        newGame();
        ship(opponent(), 1, 3, 3, 0);
        ship(opponent(), 1, 9, 9, 0);
        ASSERT_EQ(mapFire(opponent(), 3, 3, &g.console), 2);
        {
            // Sinking the last ship ends the turn at once: nothing more is read.
            Script script(line + "\nj10\n");
            gamePlayerTurn(&g);
        }
        std::string echo = "> " + line;
        echo.erase(echo.find_last_not_of(' ') + 1);
        expectMessages({"Hit & Sunk!", "You have 3 shots left. What is your target?", echo, message,
                        "> You have 3 shots left. What is your target?", "> j10", "Hit & Sunk!", ""});
        EXPECT_EQ(g.playerWon, 1);
    }
}

TEST_F(Match, PlayersWinEndsTheMatchBeforeTheOpponentMoves) {
    ship(opponent(), 1, 1, 6, 0);
    {
        Script script("b7\n");
        gamePlay(&g);
    }
    EXPECT_EQ(opponentMoves, 0);
    EXPECT_EQ(g.opponentWon, 0);
    expectMessages({"You have 3 shots left. What is your target?", "> b7", "Hit & Sunk!", "You Won!",
                    "Congratulations!", "", ""});
}

TEST_F(Match, OpponentsWinEndsTheMatchAndRevealsItsFleet) {
    ship(opponent(), 3, 5, 2, 0);
    ship(opponent(), 2, 1, 8, 1);
    ship(g.mapPlayer.get(), 1, 0, 0, 0);
    ship(g.mapPlayer.get(), 1, 9, 9, 0);
    {
        Script script("a1\na2\na3\na4\na5\na6\n");
        gamePlay(&g);
    }
    EXPECT_EQ(opponentMoves, 2);
    EXPECT_EQ(g.playerWon, 0);
    expectMessages({"> a5", "Miss!", "You have 1 shot left. What is your target?", "> a6", "Miss!", "Hit & Sunk!",
                    "The Opponent Won!", "Try again?", "", ""});
    // Before each prompt the boards were drawn with the opponent's ships
    // hidden: the second shot's miss showed, the third was not drawn yet.
    EXPECT_EQ(seenShip.Char.UnicodeChar, u' ');
    EXPECT_EQ(seenShip.Attributes, 7);
    EXPECT_EQ(seenSecondShot.Attributes, 103);
    EXPECT_EQ(seenThirdShot.Attributes, 7);
    for (auto [x, y] : std::vector<std::pair<int, int>>{{5, 2}, {6, 2}, {7, 2}, {1, 8}, {1, 9}}) {
        EXPECT_EQ(opponentSquareOnScreen(x, y).Char.UnicodeChar, u'O') << x << "," << y;
        EXPECT_EQ(opponentSquareOnScreen(x, y).Attributes, 7) << x << "," << y;
    }
}
