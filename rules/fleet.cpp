#include "rules/fleet.h"

#include <cstdlib>
#include <cstring>

#include "rules/board.h"
#include "rules/text.h"
#include "terminal/game_assert.h"

std::unique_ptr<ShipClass> fleetCreate() {
    // Built from the shortest up, so that the roster runs longest first.
    std::unique_ptr<ShipClass> roster;
    for (int len = 2; len <= MAX_SHIP_LEN; len++) {
        roster = std::make_unique<ShipClass>(ShipClass{len, FLEET_OF_LENGTH[static_cast<std::size_t>(len)], std::move(roster)});
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

namespace {

// One attempt at placing the roster's ships left on map: each kind in
// roster order, three draws a try. False after the 1001st refusal for one
// kind, with some of the ships placed.
bool fillOnce(ShipClass* roster, std::uint8_t* map) {
    for (ShipClass* s = roster; s; s = s->next.get()) {
        int failures = 0;
        while (s->remaining > 0) {
            // Three draws an attempt, always in this order.
            int ori = std::rand() % 100 >= 50 ? 1 : 0;
            int x = std::rand() % MAP_WIDTH;
            int y = std::rand() % MAP_HEIGHT;
            if (placeShip(map, s->length, x, y, ori)) {
                s->remaining--;
            } else if (++failures > 1000) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

int placeFleetRandomlyOnce(std::unique_ptr<ShipClass>& roster, std::uint8_t* map) {
    GAME_ASSERT(map != NULL);
    if (!roster) roster = fleetCreate();
    bool placed = fillOnce(roster.get(), map);
    if (!placed) std::memset(map, 0, MAP_WIDTH * MAP_HEIGHT);
    fleetFree(roster);
    return placed ? 1 : 0;
}

void placeFleetRandomly(std::unique_ptr<ShipClass>& roster, std::uint8_t* map) {
    // Now and then the last small ships find no room; then the whole fleet
    // starts over on an empty board.
    while (!placeFleetRandomlyOnce(roster, map)) {
    }
}

int fleetFillRandomly(ShipClass* roster, std::uint8_t* map, int tries) {
    GAME_ASSERT(map != NULL);
    std::uint8_t board[MAP_WIDTH * MAP_HEIGHT];
    std::memcpy(board, map, sizeof board);
    std::vector<int> remaining;
    for (const ShipClass* s = roster; s; s = s->next.get()) remaining.push_back(s->remaining);
    for (int attempt = 0; tries <= 0 || attempt < tries; attempt++) {
        if (fillOnce(roster, map)) return 1;
        std::memcpy(map, board, sizeof board);
        std::size_t i = 0;
        for (ShipClass* s = roster; s; s = s->next.get()) s->remaining = remaining[i++];
    }
    return 0;
}

ShipPlace fleetUndo(ShipClass* roster, std::uint8_t* map, std::vector<ShipPlace>* placed) {
    GAME_ASSERT(placed != NULL && !placed->empty());
    ShipPlace last = placed->back();
    placed->pop_back();
    // The halos of neighbouring ships overlap: the board is drawn again.
    std::memset(map, 0, MAP_WIDTH * MAP_HEIGHT);
    for (const ShipPlace& s : *placed) placeShip(map, s.len, s.x, s.y, s.vertical);
    for (ShipClass* s = roster; s; s = s->next.get()) {
        if (s->length == last.len) s->remaining++;
    }
    return last;
}

Placement placeShipCheck(const std::uint8_t* map, ShipPlace ship) {
    GAME_ASSERT(map != NULL);
    GAME_ASSERT(ship.len >= 1 && ship.len <= MAX_SHIP_LEN);
    int dx = ship.vertical ? 0 : 1;
    int dy = ship.vertical ? 1 : 0;
    Placement p{Refusal::None, ship, {}};
    for (int i = 0; i < ship.len; i++) {
        if (!XYVALID(ship.x + i * dx, ship.y + i * dy)) return {Refusal::OffBoard, ship, {}};
    }
    for (int i = 0; i < ship.len && p.refusal != Refusal::Crosses; i++) {
        int x = ship.x + i * dx;
        int y = ship.y + i * dy;
        if (mapTestFlags(map, x, y, CELL_SHIP)) {
            p = {Refusal::Crosses, ship, mapShipAt(map, x, y)};
        } else if (p.refusal == Refusal::None && mapTestFlags(map, x, y, CELL_NEAR)) {
            // The halo: some ship square lies in the 3 x 3 block around it.
            for (int ny = y - 1; ny <= y + 1 && p.refusal == Refusal::None; ny++) {
                for (int nx = x - 1; nx <= x + 1; nx++) {
                    if (XYVALID(nx, ny) && mapTestFlags(map, nx, ny, CELL_SHIP)) {
                        p = {Refusal::Touches, ship, mapShipAt(map, nx, ny)};
                        break;
                    }
                }
            }
        }
    }
    return p;
}

namespace {

// Whether a word that is no square on the board still reads as one, a
// letter and then a digit (k1, a11): a square off the board.
bool namesSquareOffBoard(const char* word, int len) {
    bool letter = false;
    for (int i = 0; i < len; i++) {
        if (word[i] >= 'a' && word[i] <= 'z') letter = true;
        if (letter && word[i] >= '0' && word[i] <= '9') return true;
    }
    return false;
}

}  // namespace

int placeShipCommand(ShipClass* roster, std::uint8_t* map, char* cmd, int len) {
    return placeShipCommandWhy(roster, map, cmd, len).refusal == Refusal::None ? 1 : 0;
}

Placement placeShipCommandWhy(ShipClass* roster, std::uint8_t* map, char* cmd, int len) {
    GAME_ASSERT(cmd != NULL);
    GAME_ASSERT(map != NULL);
    const Placement notACommand{Refusal::NotACommand, {}, {}};
    if (len <= 0 || cmd[0] == '\0') return notACommand;
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
                    if (!parseSquare(start, tokenLen, &x, &y)) {
                        return namesSquareOffBoard(start, tokenLen) ? Placement{Refusal::OffBoard, {}, {}} : notACommand;
                    }
                    break;
                case 1:
                    if (parseNumber(start, tokenLen, &shiplen) == 0) return notACommand;
                    break;
                default:
                    if (start[0] == 'h') {
                        ori = 0;
                    } else if (start[0] == 'v') {
                        ori = 1;
                    } else {
                        return notACommand;
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
    if (!haveOrientation) return notACommand;

    ShipPlace ship{x, y, shiplen, ori};
    if (!(shiplen >= 0 && shiplen <= MAX_SHIP_LEN)) return {Refusal::NoSuchShip, ship, {}};
    ShipClass* kind = roster;
    while (kind && kind->length != shiplen) kind = kind->next.get();
    if (!kind) return {Refusal::NoSuchShip, ship, {}};
    if (kind->remaining == 0) return {Refusal::NoneLeft, ship, {}};
    Placement placed = placeShipCheck(map, ship);
    if (placed.refusal != Refusal::None) return placed;
    GAME_ASSERT(placeShip(map, shiplen, x, y, ori) == 1);
    kind->remaining--;
    return placed;
}
