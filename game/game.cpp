#include "game/game.h"

#include <cstdio>
#include <cstring>

#include "rules/admiral.h"
#include "rules/text.h"
#include "screen/board_view.h"
#include "terminal/game_assert.h"

void gameInit(Game* g) {
    GAME_ASSERT(g != NULL);
    g->opponent = OpponentMemory{};
    // Value-initialised: open water that nobody has fired at.
    g->mapPlayer = std::make_unique<std::uint8_t[]>(MAP_HEIGHT * MAP_WIDTH);
    g->mapOpponent = std::make_unique<std::uint8_t[]>(MAP_HEIGHT * MAP_WIDTH);
    g->playerWon = 0;
    g->opponentWon = 0;
    consoleInit(&g->console);
    g->shipsToPlace = nullptr;
    g->level = &OPPONENT_LEVELS[3];  // the Champion, until chosen
    g->shipsPlaced.clear();
    g->shotsAtPlayer.reset();
    g->shotsAtOpponent.reset();
    g->firedByPlayer.reset();
    g->figures = {"", 0, {0, 0}, {0, 0}, 0};
    g->hintShown = false;
    g->panel = Panel::Nothing;
}

void gameDestroy(Game* g) {
    GAME_ASSERT(g != NULL);
    g->mapOpponent.reset();
    g->mapPlayer.reset();
    fleetFree(g->shipsToPlace);
}

int gameCheckPlayerWon(Game* g) {
    GAME_ASSERT(g != NULL);
    if (!mapFleetAfloat(g->mapOpponent.get())) g->playerWon = 1;
    return g->playerWon;
}

int gameCheckOpponentWon(Game* g) {
    GAME_ASSERT(g != NULL);
    if (!mapFleetAfloat(g->mapPlayer.get())) g->opponentWon = 1;
    return g->opponentWon;
}

void gameReportShot(Game* g, ShotResult result) {
    GAME_ASSERT(result >= 0 && result <= 2);
    const char* said[] = {"Miss!\n", "Hit!\n", "Hit & Sunk!\n"};
    // The shot's mark and the figures come with its result, in one frame.
    consoleComposeMaps(&g->console, gameBoards(g, DRAW_SHIPS, DRAW_HIDDEN));
    consolePrint(&g->console, "%s", said[result]);
}

void gameDrawMaps(Game* g) { gameDrawMapsAs(g, DRAW_SHIPS, DRAW_HIDDEN); }

BoardsDrawn gameBoards(Game* g, int modePlayer, int modeOpponent) {
    GAME_ASSERT(g != NULL);
    return {{g->mapPlayer.get(), modePlayer, &g->shotsAtPlayer},
            {g->mapOpponent.get(), modeOpponent, &g->shotsAtOpponent, g->hintShown ? &g->odds : nullptr},
            g->panel,
            &g->figures};
}

bool gameDrawsComputerFirst(unsigned seed) {
    AdmiralRandom first = admiralSeed(seed ^ 0x66697273u);
    return admiralBelow(first, 2) == 1;
}

bool gameComputerFirst(Options::First first, unsigned seed) {
    return first == Options::First::Computer || (first == Options::First::Random && gameDrawsComputerFirst(seed));
}

int gameShotsPerTurn(bool salvo, const std::uint8_t* map) { return salvo ? mapShipsAfloat(map) : SHOTS_PER_TURN; }

void gameHint(Game* g, bool show) {
    GAME_ASSERT(g != NULL);
    g->hintShown = show;
    if (show) {
        // The player's own sight of the computer's board, and the prior of
        // the game's random placement, which placed the computer's fleet.
        g->odds = admiralOdds(sightOf(g->mapOpponent.get()), FleetPrior::GamePlacement, g->hintRandom);
        std::size_t likeliest = consoleLikeliest(g->odds);
        g->figures.hints++;
        consoleAimTo(&g->console, {static_cast<int>(likeliest) % MAP_WIDTH, static_cast<int>(likeliest) / MAP_WIDTH});
        // Drawn at once: without the echo no frame of the typing would show it.
        gameDrawMaps(g);
        return;
    }
    consoleComposeMaps(&g->console, gameBoards(g, DRAW_SHIPS, DRAW_HIDDEN));
}

void gameDrawMapsAs(Game* g, int modePlayer, int modeOpponent) {
    consoleDrawMaps(&g->console, gameBoards(g, modePlayer, modeOpponent));
}

void gameCountShot(ShotCount* count, ShotResult result) {
    GAME_ASSERT(result >= 0 && result <= 2);
    count->shots++;
    if (result > 0) count->hits++;
}

namespace {

// The match in figures, under its result: who won, in how many turns, and
// each side's shots, hits and accuracy. Two rows, so that the result, the
// figures and the question after them all stay in the message area.
void printSummary(Game* g) {
    const MatchFigures& f = g->figures;
    char mine[16];
    char theirs[16];
    consoleAccuracy(f.player, mine, sizeof mine);
    consoleAccuracy(f.computer, theirs, sizeof theirs);
    consolePrint(&g->console, "%s won in %d turn%s. You fired %d shot%s: %d hit%s, %s.\n",
                 g->playerWon ? "You" : "The opponent", f.turn, f.turn == 1 ? "" : "s", f.player.shots,
                 f.player.shots == 1 ? "" : "s", f.player.hits, f.player.hits == 1 ? "" : "s", mine);
    // The hints asked for, once there are some, where the row has room.
    char hints[32] = "";
    if (f.hints > 0) std::snprintf(hints, sizeof hints, " Hints used: %d.", f.hints);
    consolePrint(&g->console, "%s fired %d shot%s: %d hit%s, %s.%s\n", f.opponent, f.computer.shots,
                 f.computer.shots == 1 ? "" : "s", f.computer.hits, f.computer.hits == 1 ? "" : "s", theirs, hints);
}

}  // namespace

namespace {

// The computer's turn in the match: the marks of its turn before and of the
// player's go, its own come; the boards as it leaves them go out with the
// next message. Returns true when it has won.
bool computerTurn(Game* g) {
    // The computer's shots are marked until its next turn, the player's
    // until the computer has fired.
    aiTurn(g);
    g->shotsAtOpponent.reset();
    return g->opponentWon == 1;
}

}  // namespace

bool gamePlay(Game* g) {
    GAME_ASSERT(g != NULL);
    g->figures.opponent = g->level->name;
    g->panel = Panel::Figures;
    g->figures.turn = 1;
    // Every line of the match names a square: the arrow keys may aim it.
    consoleAim(&g->console, 1);
    bool won = g->computerFirst && computerTurn(g);
    while (!won) {
        if (!gamePlayerTurn(g)) return false;
        // The opponent does not move after the player has won.
        if (g->playerWon == 1) break;
        // Then the computer's turn ends the round, or begins it.
        if (g->computerFirst) g->figures.turn++;
        won = computerTurn(g);
        if (!won && !g->computerFirst) g->figures.turn++;
        // What the turn changed goes out with the next message, in one frame.
        consoleComposeMaps(&g->console, gameBoards(g, DRAW_SHIPS, DRAW_HIDDEN));
    }
    consolePrint(&g->console, won ? "The Opponent Won!\nTry again?\n\n" : "You Won!\nCongratulations!\n\n");
    consoleAim(&g->console, 0);
    printSummary(g);
    gameDrawMapsAs(g, DRAW_SHIPS, DRAW_SHIPS);
    return true;
}

bool gamePlayerTurn(Game* g) {
    GAME_ASSERT(g != NULL);
    ConsoleWin* c = &g->console;
    // ? asks for the hint, where the game has it.
    if (g->hints) consoleHint(c, [g](bool show) { gameHint(g, show); });
    struct NoHint {
        ConsoleWin* c;
        ~NoHint() { consoleHint(c, nullptr); }
    } noHint{c};
    int shotsLeft = gameShotsPerTurn(g->salvo, g->mapPlayer.get());
    while (shotsLeft > 0) {
        // The previous shot's mark is on the board before the next is asked
        // for, shown with the prompt.
        consoleComposeMaps(c, gameBoards(g, DRAW_SHIPS, DRAW_HIDDEN));
        consolePrint(c, "You have %d shot%s left. What is your target?\n> ", shotsLeft, shotsLeft == 1 ? "" : "s");
        char buf[256];
        if (!consoleReadLine(c, buf, sizeof buf)) return false;
        if (!g->hints && consoleAsksHint(buf)) {
            consolePrint(c, "No hints in this game (--hints=never).\n");
            continue;
        }
        int x = 0;
        int y = 0;
        // An empty text is bad coordinates like any other. Neither a bad
        // square nor a repeated one spends a shot.
        if (!squareOfText(buf, &x, &y)) {
            consolePrint(c, "Bad coordinates. Try again!\n");
            continue;
        }
        auto square = static_cast<std::size_t>(x + y * MAP_WIDTH);
        ShotResult result = mapFire(g->mapOpponent.get(), x, y);
        if (result == -1) {
            // The water shown around a sunk ship was never fired at: it
            // has a reason of its own.
            consolePrint(c, g->firedByPlayer.test(square) ? "Not firing at the same spot twice.\n"
                                                          : "Water beside a sunk ship: no ship can lie there.\n");
            continue;
        }
        g->firedByPlayer.set(square);
        g->shotsAtOpponent.set(square);
        gameCountShot(&g->figures.player, result);
        gameReportShot(g, result);
        if (result == 2) gameCheckPlayerWon(g);
        shotsLeft--;
        if (g->playerWon == 1) return true;
    }
    return true;
}
