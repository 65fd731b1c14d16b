#include "rules/fleet.h"

#include <cstdlib>
#include <cstring>

#include "rules/board.h"
#include "rules/text.h"
#include "terminal/game_assert.h"

std::unique_ptr<ShipClass> fleetCreate() {
    constexpr int kinds[][2] = {
        {5, NUM_5_MASTERS},
        {4, NUM_4_MASTERS},
        {3, NUM_3_MASTERS},
        {2, NUM_2_MASTERS},
    };
    std::unique_ptr<ShipClass> roster;
    for (int i = 3; i >= 0; i--) {
        roster = std::make_unique<ShipClass>(ShipClass{kinds[i][0], kinds[i][1], std::move(roster)});
    }
    return roster;
}

void fleetFree(std::unique_ptr<ShipClass>& roster) { roster.reset(); }

int fleetHasShipsLeft(const ShipClass* roster) {
    for (const ShipClass* s = roster; s; s = s->next.get()) {
        if (s->remaining != 0) return 1;
    }
    return 0;
}

int placeShip(std::uint8_t* map, int len, int x, int y, int ori) {
    if (!XYVALID(x, y)) return 0;
    if (len < 1 || len > MAX_SHIP_LEN) return 0;
    if (map == nullptr) return 0;
    int dx = ori == 1 ? 0 : 1;
    int dy = ori == 1 ? 1 : 0;

    // Check every square before writing any: a refusal leaves no trace.
    for (int i = 0; i < len; i++) {
        int sx = x + i * dx;
        int sy = y + i * dy;
        if (!XYVALID(sx, sy) || mapTestFlags(map, sx, sy, CELL_SHIP | CELL_NEAR)) return 0;
    }
    for (int i = 0; i < len; i++) mapSetFlags(map, x + i * dx, y + i * dy, CELL_SHIP);

    // The halo: the rectangle one square wider than the ship on every side.
    // No later ship may use it, so ships never touch, not even at a corner.
    int width = dx ? len + 2 : 3;
    int height = dy ? len + 2 : 3;
    for (int hy = y - 1; hy < y - 1 + height; hy++) {
        for (int hx = x - 1; hx < x - 1 + width; hx++) {
            if (XYVALID(hx, hy)) mapSetFlags(map, hx, hy, CELL_NEAR);
        }
    }
    return 1;
}

int placeFleetRandomlyOnce(std::unique_ptr<ShipClass>& roster, std::uint8_t* map) {
    GAME_ASSERT(map != NULL);
    if (!roster) roster = fleetCreate();
    for (ShipClass* s = roster.get(); s; s = s->next.get()) {
        int failures = 0;
        while (s->remaining > 0) {
            // Three draws an attempt, always in this order.
            int ori = std::rand() % 100 >= 50 ? 1 : 0;
            int x = std::rand() % MAP_WIDTH;
            int y = std::rand() % MAP_HEIGHT;
            if (placeShip(map, s->length, x, y, ori)) {
                s->remaining--;
            } else if (++failures > 1000) {
                fleetFree(roster);
                std::memset(map, 0, MAP_WIDTH * MAP_HEIGHT);
                return 0;
            }
        }
    }
    fleetFree(roster);
    return 1;
}

void placeFleetRandomly(std::unique_ptr<ShipClass>& roster, std::uint8_t* map) {
    // Now and then the last small ships find no room; then the whole fleet
    // starts over on an empty board.
    while (!placeFleetRandomlyOnce(roster, map)) {
    }
}

int placeShipCommand(ShipClass* roster, std::uint8_t* map, char* cmd, int len) {
    GAME_ASSERT(cmd != NULL);
    GAME_ASSERT(map != NULL);
    if (len <= 0 || cmd[0] == '\0') return 0;
    strToLower(cmd, len);

    // Tokens are separated by spaces and newlines only. The square, the
    // length, then the orientation, which must itself be ended by a
    // separator; anything after it is ignored.
    int x = 0;
    int y = 0;
    int shiplen = 0;
    int ori = 0;
    int index = 0;
    bool haveOrientation = false;
    const char* start = cmd;
    const char* p = cmd;
    while (len > 0 && !haveOrientation) {
        char ch = *p;
        if (ch == '\0') break;
        if (ch == ' ' || ch == '\n') {
            if (p == start) {
                start = ++p;
                continue;
            }
            int tokenLen = static_cast<int>(p - start);
            switch (index) {
                case 0:
                    if (!parseSquare(start, tokenLen, &x, &y)) return 0;
                    break;
                case 1:
                    if (parseNumber(start, tokenLen, &shiplen) == 0) return 0;
                    break;
                default:
                    if (start[0] == 'h') {
                        ori = 0;
                    } else if (start[0] == 'v') {
                        ori = 1;
                    } else {
                        return 0;
                    }
                    haveOrientation = true;
                    break;
            }
            index++;
            start = ++p;
            continue;
        }
        p++;
        len--;
    }
    if (!haveOrientation) return 0;

    if (!(x >= 0 && x < MAP_WIDTH)) return 0;
    if (!(y >= 0 && y < MAP_HEIGHT)) return 0;
    if (!(shiplen >= 0 && shiplen <= MAX_SHIP_LEN)) return 0;
    ShipClass* kind = roster;
    while (kind && kind->length != shiplen) kind = kind->next.get();
    if (!kind || kind->remaining == 0) return 0;
    if (!placeShip(map, shiplen, x, y, ori)) return 0;
    kind->remaining--;
    return 1;
}
