#include "rules/opponent.h"

#include <cstdlib>

#include "rules/admiral.h"
#include "rules/board.h"
#include "rules/fleet.h"
#include "terminal/game_assert.h"

bool aiIsHit(const std::uint8_t* map, int x, int y) {
    return (mapGet(map, x, y) & (CELL_SHOT | CELL_SHIP)) == (CELL_SHOT | CELL_SHIP);
}

bool aiIsMiss(const std::uint8_t* map, int x, int y) {
    return (mapGet(map, x, y) & (CELL_SHOT | CELL_SHIP)) == CELL_SHOT;
}

bool aiDrawLuck(OpponentMemory* memory) {
    GAME_ASSERT(memory != NULL);
    if (memory->luckyShots <= 0 || std::rand() % 1000 >= 147) return false;
    memory->luckyShots--;
    return true;
}

namespace {

// The beside-shot filter: a square next to an earlier shot is worth a shot
// only when a ship lies on it or touches it and no hit lies around it.
bool worthShootingBesideShot(const std::uint8_t* map, int x, int y) {
    return (mapGet(map, x, y) & CELL_NEAR) && !mapAnyAround(map, x, y, CELL_SHIP | CELL_SHOT, CELL_SHIP | CELL_SHOT);
}

// Draws squares, column then row, until one is acceptable: never one fired
// at before; with the filter on, not one beside an earlier shot unless
// worthShootingBesideShot.
AiChoice randomSquare(const std::uint8_t* map, bool filter) {
    for (;;) {
        int x = std::rand() % MAP_WIDTH;
        int y = std::rand() % MAP_HEIGHT;
        int flags = mapGet(map, x, y);
        if (flags & CELL_SHOT) continue;
        if (!filter || !(flags & CELL_BESIDE_SHOT) || worthShootingBesideShot(map, x, y)) return {x, y, false};
    }
}

// A lucky shot with no ship followed: squares drawn until one holds a ship
// not yet hit.
AiChoice luckySquare(const std::uint8_t* map) {
    for (;;) {
        int x = std::rand() % MAP_WIDTH;
        int y = std::rand() % MAP_HEIGHT;
        if ((mapGet(map, x, y) & (CELL_SHIP | CELL_SHOT)) == CELL_SHIP) return {x, y, true};
    }
}

// The next square along the ship followed from its first hit (tx, ty).
AiChoice trackSquare(const std::uint8_t* map, int tx, int ty) {
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
        if (!aiIsHit(map, x, y)) return {x, y, false};
    }
}

// A lucky shot while following a ship: straight to one of its squares not
// yet hit, trying left, right, below, above from its first hit (x, y).
AiChoice luckyTrackSquare(const std::uint8_t* map, int x, int y) {
    // Every square of a ship lies within four steps of any other of its squares.
    constexpr int directions[4][2] = {{-1, 0}, {1, 0}, {0, 1}, {0, -1}};
    for (const auto& d : directions) {
        int sx = x;
        int sy = y;
        for (int step = 0; step < MAX_SHIP_LEN - 1; step++) {
            sx += d[0];
            sy += d[1];
            if (!XYVALID(sx, sy) || !mapTestFlags(map, sx, sy, CELL_SHIP)) break;
            if (!mapTestFlags(map, sx, sy, CELL_SHOT)) return {sx, sy, true};
        }
    }
    GAME_ASSERT(0);
    return {x, y, true};
}

}  // namespace

AiChoice aiChooseSquare(const std::uint8_t* map, const OpponentMemory& memory, bool smart, bool lucky) {
    GAME_ASSERT(map != NULL);
    if (memory.tracking == 1) {
        int tx = memory.trackX;
        int ty = memory.trackY;
        GAME_ASSERT(XYVALID(tx,ty));
        return lucky ? luckyTrackSquare(map, tx, ty) : trackSquare(map, tx, ty);
    }
    return lucky ? luckySquare(map) : randomSquare(map, smart);
}

void aiRemember(OpponentMemory* memory, const AiChoice& shot, int result) {
    GAME_ASSERT(memory != NULL);
    if (memory->tracking == 1) {
        if (result == 2) *memory = {-1, -1, 0, memory->luckyShots, memory->random};
    } else if (shot.lucky || result != 0) {
        memory->trackX = shot.x;
        memory->trackY = shot.y;
        memory->tracking = 1;
    }
}

AiShot aiShoot(AiLevel level, std::uint8_t* map, OpponentMemory* memory, FleetPrior prior) {
    GAME_ASSERT(map != NULL && memory != NULL);
    AiChoice c{0, 0, false};
    switch (level) {
        case AiLevel::Easy: c = aiChooseSquare(map, *memory, false, false); break;
        case AiLevel::Medium: c = aiChooseSquare(map, *memory, false, false); break;
        case AiLevel::Hard: c = aiChooseSquare(map, *memory, true, false); break;
        case AiLevel::Champion: {
            bool lucky = aiDrawLuck(memory);  // before the shot's other draws
            c = aiChooseSquare(map, *memory, true, lucky);
            break;
        }
        case AiLevel::Admiral: admiralChoose(sightOf(map), prior, memory->random, &c.x, &c.y); break;
    }
    ShotResult result = mapFire(map, c.x, c.y);
    GAME_ASSERT(result != -1);
    // The Easy level follows up nothing, and the Admiral needs no memory but its sight.
    if (level != AiLevel::Easy && level != AiLevel::Admiral) aiRemember(memory, c, result);
    return {c.x, c.y, c.lucky, result};
}
