#include "opponent/aiopponent.h"

#include <cstdlib>

#include "console/consolewin.h"
#include "game/game.h"
#include "game/util.h"
#include "opponent/aitracking.h"

bool aiIsHit(const std::uint8_t* map, int x, int y) {
    return (mapGet(map, x, y) & (CELL_SHOT | CELL_SHIP)) == (CELL_SHOT | CELL_SHIP);
}

bool aiIsMiss(const std::uint8_t* map, int x, int y) {
    return (mapGet(map, x, y) & (CELL_SHOT | CELL_SHIP)) == CELL_SHOT;
}

ShotResult aiFireAt(std::uint8_t* map, int x, int y, Game* g) {
    GAME_ASSERT(map != NULL);
    GAME_ASSERT(g != NULL);
    GAME_ASSERT(XYVALID(x,y));
    char buf[256];
    mapSquareName(x, y, buf, sizeof buf);
    // No line end: the shot's result completes the line.
    consolePrint(&g->console, "AI Fires at %s... ", buf);
    ShotResult ret = mapFire(map, x, y, &g->console);
    GAME_ASSERT(ret != -1);
    if (ret == 2) gameCheckOpponentWon(g);
    return ret;
}

namespace {

// The beside-shot filter: a square next to an earlier shot is worth a shot
// only when a ship lies on it or touches it and no hit lies around it.
bool worthShootingBesideShot(const std::uint8_t* map, int x, int y) {
    return (mapGet(map, x, y) & CELL_NEAR) && !mapAnyAround(map, x, y, CELL_SHIP | CELL_SHOT, CELL_SHIP | CELL_SHOT);
}

}  // namespace

ShotResult aiRandomShot(Game* g, int* x, int* y, int smart, int avoid) {
    GAME_ASSERT(g != NULL);
    GAME_ASSERT(x != NULL);
    GAME_ASSERT(y != NULL);
    const std::uint8_t* map = g->mapPlayer.get();
    for (;;) {
        *x = std::rand() % MAP_WIDTH;
        *y = std::rand() % MAP_HEIGHT;
        int flags = mapGet(map, *x, *y);
        if (flags & CELL_SHOT) continue;
        if (!smart || !avoid) break;
        if (!(flags & CELL_BESIDE_SHOT)) break;
        if (worthShootingBesideShot(map, *x, *y)) break;
    }
    ShotResult ret = aiFireAt(g->mapPlayer.get(), *x, *y, g);
    if (ret == 2) gameCheckOpponentWon(g);
    return ret;
}

const OpponentLevel OPPONENT_LEVELS[4] = {
    {"Not The Brightest Bulb (Easy)", aiMoveEasy},
    {"Adept (Medium)", aiMoveMedium},
    {"Expert (Hard)", aiMoveHard},
    {"Champion (Hard, Lucky)", aiMoveChampion},
};

void aiMoveEasy(Game* g) {
    GAME_ASSERT(g != NULL);
    for (int shot = 0; shot < SHOTS_PER_TURN; shot++) {
        int x = 0;
        int y = 0;
        aiRandomShot(g, &x, &y, 0, 0);
        if (g->opponentWon) return;
    }
}

void aiMoveMedium(Game* g) { aiTurn(g, 0, 0); }

void aiMoveHard(Game* g) { aiTurn(g, 1, 0); }

void aiMoveChampion(Game* g) {
    GAME_ASSERT(g != NULL);
    for (int shot = 0; shot < SHOTS_PER_TURN; shot++) {
        // The luck is drawn before the shot's other draws, and only while
        // some luck is left.
        int lucky = 0;
        if (g->luckyShots > 0 && std::rand() % 1000 < 147) {
            lucky = 1;
            g->luckyShots--;
        }
        if (aiShot(g, 1, lucky) == 0) return;
    }
}
