#include "game/game.h"

#include <cstring>

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
    g->opponentMove = aiMoveChampion;
    g->placedByHand = 0;
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
    consolePrint(&g->console, "%s", said[result]);
}

void gameDrawMaps(Game* g) {
    GAME_ASSERT(g != NULL);
    consoleDrawMaps(&g->console, g->mapPlayer.get(), g->mapOpponent.get(), DRAW_SHIPS, DRAW_HIDDEN);
}

void gamePlay(Game* g) {
    GAME_ASSERT(g != NULL);
    // Every line of the match names a square: the arrow keys may aim it.
    consoleAim(1);
    for (;;) {
        gamePlayerTurn(g);
        if (g->playerWon == 1) {
            // The opponent does not move after the player has won.
            consolePrint(&g->console, "You Won!\nCongratulations!\n\n");
            break;
        }
        g->opponentMove(g);
        gameDrawMaps(g);
        if (g->opponentWon == 1) {
            consolePrint(&g->console, "The Opponent Won!\nTry again?\n\n");
            break;
        }
    }
    consoleAim(0);
    consoleDrawMaps(&g->console, g->mapPlayer.get(), g->mapOpponent.get(), DRAW_SHIPS, DRAW_SHIPS);
}

void gamePlayerTurn(Game* g) {
    GAME_ASSERT(g != NULL);
    ConsoleWin* c = &g->console;
    int shotsLeft = SHOTS_PER_TURN;
    while (shotsLeft > 0) {
        // The previous shot's mark is on the board before the next is asked for.
        gameDrawMaps(g);
        consolePrint(c, "You have %d shot%s left. What is your target?\n> ", shotsLeft, shotsLeft == 1 ? "" : "s");
        char buf[256];
        consoleReadLine(c, buf, sizeof buf);
        int len = static_cast<int>(std::strlen(buf));
        int x = 0;
        int y = 0;
        // An empty text is bad coordinates like any other. Neither a bad
        // square nor a repeated one spends a shot.
        if (len == 0 || !parseSquare(strToLower(buf, len), len, &x, &y)) {
            consolePrint(c, "Bad coordinates. Try again!\n> ");
            continue;
        }
        ShotResult result = mapFire(g->mapOpponent.get(), x, y);
        if (result == -1) {
            consolePrint(c, "Not firing at the same spot twice.\n> ");
            continue;
        }
        gameReportShot(g, result);
        if (result == 2) gameCheckPlayerWon(g);
        shotsLeft--;
        if (g->playerWon == 1) return;
    }
}
