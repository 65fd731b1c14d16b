#include "opponent/aitracking.h"

#include <cstdlib>

#include "console/consolewin.h"
#include "game/game.h"
#include "game/util.h"
#include "opponent/aiopponent.h"
#include "platform/console.h"

namespace {

constexpr DWORD SHOT_PAUSE_MS = 500;

void startTracking(Game* g, int x, int y) {
    g->trackX = x;
    g->trackY = y;
    g->tracking = 1;
}

void stopTracking(Game* g) {
    g->trackX = -1;
    g->trackY = -1;
    g->tracking = 0;
}

}  // namespace

void aiTurn(Game* g, int smart, int lucky) {
    GAME_ASSERT(g != NULL);
    for (int shot = 0; shot < SHOTS_PER_TURN; shot++) {
        if (aiShot(g, smart, lucky) == 0) return;
    }
}

int aiShot(Game* g, int smart, int lucky) {
    GAME_ASSERT(g != NULL);
    consoleDrawMaps(g, DRAW_SHIPS, DRAW_HIDDEN);
    Sleep(SHOT_PAUSE_MS);

    if (g->tracking == 1) {
        ShotResult (*trackShot)(Game*) = lucky ? aiLuckyTrackShot : aiTrackShot;
        if (trackShot(g) == 2 && gameCheckOpponentWon(g)) return 0;
        consoleDrawMaps(g, DRAW_SHIPS, DRAW_HIDDEN);
        return 1;
    }

    std::uint8_t* map = g->mapPlayer.get();
    if (lucky) {
        int x = 0;
        int y = 0;
        do {
            x = std::rand() % MAP_WIDTH;
            y = std::rand() % MAP_HEIGHT;
        } while ((mapGet(map, x, y) & (CELL_SHIP | CELL_SHOT)) != CELL_SHIP);
        aiFireAt(map, x, y, g);
        consolePrint(&g->console, "What a lucky shot!\n");
        startTracking(g, x, y);
    } else {
        int x = 0;
        int y = 0;
        if (aiRandomShot(g, &x, &y, smart, 1) != 0) startTracking(g, x, y);
    }

    // aiFireAt has already checked for the win on a sinking.
    if (g->opponentWon) return 0;
    consoleDrawMaps(g, DRAW_SHIPS, DRAW_HIDDEN);
    return 1;
}

ShotResult aiTrackShot(Game* g) {
    GAME_ASSERT(g != NULL);
    int tx = g->trackX;
    int ty = g->trackY;
    GAME_ASSERT(XYVALID(tx,ty));
    std::uint8_t* map = g->mapPlayer.get();

    // A hit beside the tracked square shows the ship's line; a later find
    // wins: below over above over right over left.
    bool alongX = true;
    int dir = 1;
    bool found = false;
    constexpr int neighbours[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (const auto& n : neighbours) {
        int nx = tx + n[0];
        int ny = ty + n[1];
        if (XYVALID(nx, ny) && aiIsHit(map, nx, ny)) {
            alongX = n[0] != 0;
            dir = alongX ? n[0] : n[1];
            found = true;
        }
    }
    if (!found) {
        alongX = std::rand() % 100 < 50;
        dir = std::rand() % 100 < 50 ? 1 : -1;
    }

    // Walk out over the run of hits to the first square not fired at; at the
    // board's edge or a miss, turn: the other way, the other axis, the other
    // way again, each time from the tracked square.
    int turns = 0;
    int x = tx;
    int y = ty;
    for (;;) {
        if (alongX) {
            x += dir;
        } else {
            y += dir;
        }
        if (!XYVALID(x, y) || aiIsMiss(map, x, y)) {
            switch (turns) {
                case 0: dir = -dir; break;
                case 1: alongX = !alongX; break;
                case 2: dir = -dir; break;
                default: GAME_ASSERT(0);
            }
            turns++;
            x = tx;
            y = ty;
            continue;
        }
        if (aiIsHit(map, x, y)) continue;
        ShotResult ret = aiFireAt(map, x, y, g);
        if (ret == 2) stopTracking(g);
        return ret;
    }
}

ShotResult aiLuckyTrackShot(Game* g) {
    GAME_ASSERT(g != NULL);
    int x = g->trackX;
    int y = g->trackY;
    GAME_ASSERT(XYVALID(x,y));
    std::uint8_t* map = g->mapPlayer.get();

    // Every square of a ship lies within four steps of any other of its squares.
    constexpr int directions[4][2] = {{-1, 0}, {1, 0}, {0, 1}, {0, -1}};
    for (const auto& d : directions) {
        int sx = x;
        int sy = y;
        for (int step = 0; step < MAX_SHIP_LEN - 1; step++) {
            sx += d[0];
            sy += d[1];
            if (!XYVALID(sx, sy) || !mapTestFlags(map, sx, sy, CELL_SHIP)) break;
            if (mapTestFlags(map, sx, sy, CELL_SHOT)) continue;
            ShotResult ret = aiFireAt(map, sx, sy, g);
            consolePrint(&g->console, "What a lucky shot!\n");
            if (ret == 2) stopTracking(g);
            return ret;
        }
    }
    GAME_ASSERT(0);
    return 0;
}
