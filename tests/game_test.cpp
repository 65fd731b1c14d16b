#include "support.h"

namespace {

// How square (x, y) of the opponent's board looks on the screen: character, attribute.
std::string look(int x, int y) {
    const CHAR_INFO& c = headlessScreen()[21 + x + (2 + y) * 80];
    return static_cast<char>(c.Char.UnicodeChar) + std::to_string(c.Attributes) + ",";
}

// A stand-in for the computer: its first move sinks the player's ship at J10,
// its second the one at A1. At the first it notes how the player's last look
// at the opponent's board showed F3, A2 and A3.
int opponentMoves = 0;
std::string seen;
void sinkOneShipAMove(Game* g) {
    if (++opponentMoves == 1) seen = look(5, 2) + look(0, 1) + look(0, 2);
    int at = opponentMoves == 1 ? 9 : 0;
    mapFire(g->mapPlayer.get(), at, at, &g->console);
    gameCheckOpponentWon(g);
}

struct Match : GameTest {
    OpponentMove saved = opponentMove;
    Match() { opponentMove = sinkOneShipAMove; opponentMoves = 0; seen.clear(); }
    ~Match() override { opponentMove = saved; }
    void ship(std::uint8_t* board, int len, int x, int y, int ori) { ASSERT_EQ(placeShip(board, len, x, y, ori), 1); }
    std::uint8_t* opponent() { return g.mapOpponent.get(); }
};
using GameRecord = Match;
using PlayerTurn = Match;

}  // namespace

TEST_F(GameRecord, InitStartsEveryGameAfresh) {
    fleetCreate(&g);
    mapSet(g.mapPlayer.get(), 3, 3, CELL_SHIP);
    mapSet(opponent(), 9, 9, CELL_SHOT);
    g.playerWon = g.opponentWon = g.tracking = g.trackX = g.trackY = g.luckyShots = 1;
    consolePrint(&g.console, "left over from the last game\n");
    gameDestroy(&g);
    gameInit(&g);
    EXPECT_TRUE(boardOf(g.mapPlayer.get()) == Board{} && boardOf(opponent()) == Board{} && !g.shipsToPlace);
    EXPECT_EQ(std::vector<int>({g.playerWon, g.opponentWon, g.trackX, g.trackY, g.tracking, g.luckyShots,
                                g.console.consoleColumn, g.console.consoleLine, g.console.updating}),
              std::vector<int>({0, 0, -1, -1, 0, 5, 0, 14, 0}));
    expectMessages({});
}

TEST_F(GameRecord, WinComesWithTheLastSinkingAndStays) {
    EXPECT_EQ(gameCheckOpponentWon(&g), 1);  // an empty board counts as a sunk fleet
    g.opponentWon = 0;
    ship(opponent(), 2, 8, 9, 0);
    EXPECT_EQ(mapFire(opponent(), 9, 9, &g.console), 1);
    EXPECT_EQ(gameCheckPlayerWon(&g), 0);  // hit, not sunk, on the last square
    EXPECT_EQ(mapFire(opponent(), 8, 9, &g.console), 2);
    EXPECT_EQ(gameCheckPlayerWon(&g), 1);
    ship(opponent(), 2, 0, 0, 1);  // afloat again, yet the win stays
    EXPECT_EQ(std::vector<int>({gameCheckPlayerWon(&g), g.playerWon, g.opponentWon}), std::vector<int>({1, 1, 0}));
}

TEST(GameDeathTest, OperationsNeedAGame) { EXPECT_DEATH(gamePlayerTurn(nullptr), "Assertion failed: g != NULL"); }

// The prompt counts the shots down: 3 shots, 2 shots, 1 shot.
TEST_F(PlayerTurn, CapitalAndSmallLetterNameTheSameSquare) {
    ship(opponent(), 2, 1, 6, 0);
    play(gamePlayerTurn, &g, "B7\nb7\na1\na2\n");
    EXPECT_EQ(mapTestFlags(opponent(), 1, 6, CELL_SHIP | CELL_SHOT), CELL_SHIP | CELL_SHOT);
    expectMessages({"You have 2 shots left. What is your target?", "> b7", "Not firing at the same spot twice.",
                    "> You have 2 shots left. What is your target?", "> a1", "Miss!",
                    "You have 1 shot left. What is your target?", "> a2", "Miss!", ""});
}

TEST_F(PlayerTurn, RefusedLineSpendsNoShot) {
    const std::string bad = "Bad coordinates. Try again!", twice = "Not firing at the same spot twice.";
    const std::pair<std::string, std::string> rows[] = {
        {"k1", bad}, {"b11", bad}, {"a0", bad}, {"   ", bad}, {"C3", twice},  // C3: water beside a sunk ship
    };
    for (const auto& [line, message] : rows) {
        SCOPED_TRACE(line);
        restart();
        ship(opponent(), 1, 3, 3, 0);
        ship(opponent(), 1, 9, 9, 0);
        ASSERT_EQ(mapFire(opponent(), 3, 3, &g.console), 2);
        play(gamePlayerTurn, &g, line + "\nj10\n");  // the last ship sunk, nothing more is read
        std::string echo = "> " + line;
        echo.erase(echo.find_last_not_of(' ') + 1);
        expectMessages({"Hit & Sunk!", "You have 3 shots left. What is your target?", echo, message,
                        "> You have 3 shots left. What is your target?", "> j10", "Hit & Sunk!", ""});
        EXPECT_EQ(g.playerWon, 1);
    }
}

TEST_F(Match, PlayersWinEndsTheMatchBeforeTheOpponentMoves) {
    ship(opponent(), 1, 1, 6, 0);
    play(gamePlay, &g, "b7\n");
    EXPECT_EQ(std::make_pair(opponentMoves, g.opponentWon), std::make_pair(0, 0));
    expectMessages({"You have 3 shots left. What is your target?", "> b7", "Hit & Sunk!", "You Won!",
                    "Congratulations!", "", ""});
}

TEST_F(Match, OpponentsWinEndsTheMatchAndRevealsItsFleet) {
    ship(opponent(), 3, 5, 2, 0);
    ship(opponent(), 2, 1, 8, 1);
    ship(g.mapPlayer.get(), 1, 0, 0, 0);
    ship(g.mapPlayer.get(), 1, 9, 9, 0);
    play(gamePlay, &g, "a1\na2\na3\na4\na5\na6\n");
    EXPECT_EQ(std::make_pair(opponentMoves, g.playerWon), std::make_pair(2, 0));
    expectMessages({"> a5", "Miss!", "You have 1 shot left. What is your target?", "> a6", "Miss!", "Hit & Sunk!",
                    "The Opponent Won!", "Try again?", "", ""});
    // Before each prompt the boards were drawn with the opponent's ships hidden:
    // F3 looked like water, the second shot's miss showed, the third was not drawn yet.
    EXPECT_EQ(seen, " 7, 103, 7,");
    EXPECT_EQ(look(5, 2) + look(6, 2) + look(7, 2) + look(1, 8) + look(1, 9), "O7,O7,O7,O7,O7,");
}
