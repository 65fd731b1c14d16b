#include "rules/board.h"

#include <cstdio>
#include <cstring>

#include "terminal/game_assert.h"

int mapGet(const std::uint8_t* map, int x, int y) {
    GAME_ASSERT(map != NULL);
    GAME_ASSERT(XYVALID(x,y));
    return map[x + y * MAP_WIDTH];
}

void mapSet(std::uint8_t* map, int x, int y, int value) {
    GAME_ASSERT(XYVALID(x,y));
    map[x + y * MAP_WIDTH] = static_cast<std::uint8_t>(value & 0xff);
}

void mapSetFlags(std::uint8_t* map, int x, int y, int flags) {
    mapSet(map, x, y, mapGet(map, x, y) | flags);
}

int mapTestFlags(const std::uint8_t* map, int x, int y, int mask) {
    return mapGet(map, x, y) & mask;
}

int mapFleetAfloat(const std::uint8_t* map) {
    GAME_ASSERT(map != NULL);
    for (int i = 0; i < MAP_WIDTH * MAP_HEIGHT; i++) {
        if ((map[i] & CELL_SHIP) && !(map[i] & CELL_SUNK)) return 1;
    }
    return 0;
}

bool mapAnyAround(const std::uint8_t* map, int x, int y, int mask, int want) {
    for (int ny = y - 1; ny <= y + 1; ny++) {
        for (int nx = x - 1; nx <= x + 1; nx++) {
            if (XYVALID(nx, ny) && (mapGet(map, nx, ny) & mask) == want) return true;
        }
    }
    return false;
}

void mapSquareName(int x, int y, char* outbuf, int buflen) {
    GAME_ASSERT(outbuf != NULL);
    GAME_ASSERT(buflen > 0);
    GAME_ASSERT(XYVALID(x,y));

    // The column in base 26, 'A' standing for zero, most significant letter
    // first; on a ten-column board that is always one letter.
    int charvals[8];
    int cvi = 0;
    while (x > 25) {
        charvals[cvi++] = x % 26;
        x /= 26;
    }
    char name[32];
    int n = 0;
    name[n++] = static_cast<char>('A' + x % 26);
    GAME_ASSERT(buflen >= cvi+1);
    while (cvi > 0) name[n++] = static_cast<char>('A' + charvals[--cvi]);
    std::snprintf(name + n, sizeof name - static_cast<unsigned>(n), "%d", y + 1);

    // Cut to the caller's buffer: never a byte past it, always a NUL.
    std::size_t room = static_cast<std::size_t>(buflen) - 1;
    std::size_t len = std::strlen(name);
    if (len > room) len = room;
    std::memcpy(outbuf, name, len);
    outbuf[len] = '\0';
}

namespace {

// Read straight from the block: every redraw asks it for every square.
bool hasShip(const std::uint8_t* map, int x, int y) {
    return XYVALID(x, y) && (map[x + y * MAP_WIDTH] & CELL_SHIP) != 0;
}

// The ship a segment belongs to: its first (left or top) square, its
// direction and its length. Ships are straight and never touch, so the ship
// squares next to a segment are all of the same ship.
struct Ship {
    int x, y, dx, dy, len;
};

Ship shipThrough(const std::uint8_t* map, int x, int y) {
    while (hasShip(map, x - 1, y)) x--;
    while (hasShip(map, x, y - 1)) y--;
    int dx = hasShip(map, x + 1, y) ? 1 : 0;
    Ship ship{x, y, dx, 1 - dx, 0};
    while (hasShip(map, x + ship.len * dx, y + ship.len * ship.dy)) ship.len++;
    return ship;
}

void markShot(std::uint8_t* map, int x, int y, int flags) {
    if (XYVALID(x, y)) mapSetFlags(map, x, y, flags);
}

// The ring around a sunk ship: the two squares across the ship's direction
// from (x, y).
void markAcross(std::uint8_t* map, int x, int y, int dx, int dy) {
    markShot(map, x + dy, y + dx, CELL_SHOT);
    markShot(map, x - dy, y - dx, CELL_SHOT);
}

}  // namespace

ShotResult mapFire(std::uint8_t* map, int x, int y) {
    GAME_ASSERT(map != NULL);
    GAME_ASSERT(XYVALID(x,y));

    int flags = mapGet(map, x, y);
    if (flags & CELL_SHOT) return -1;
    mapSet(map, x, y, flags | CELL_SHOT);

    // The opponent's targeting reads these marks.
    markShot(map, x - 1, y, CELL_BESIDE_SHOT);
    markShot(map, x, y - 1, CELL_BESIDE_SHOT);
    markShot(map, x, y + 1, CELL_BESIDE_SHOT);
    markShot(map, x + 1, y, CELL_BESIDE_SHOT);

    if (!(flags & CELL_SHIP)) return 0;

    Ship ship = shipThrough(map, x, y);
    int fx = ship.x;
    int fy = ship.y;
    int dx = ship.dx;
    int dy = ship.dy;

    for (int sx = fx, sy = fy; hasShip(map, sx, sy); sx += dx, sy += dy) {
        if (!mapTestFlags(map, sx, sy, CELL_SHOT)) return 1;
    }

    // Sunk: mark it, and show the water all around it, from one square
    // before its first to one square past its last.
    int sx = fx - dx;
    int sy = fy - dy;
    markAcross(map, sx, sy, dx, dy);
    markShot(map, sx, sy, CELL_SHOT);
    for (sx = fx, sy = fy; hasShip(map, sx, sy); sx += dx, sy += dy) {
        mapSetFlags(map, sx, sy, CELL_SUNK);
        markAcross(map, sx, sy, dx, dy);
    }
    markAcross(map, sx, sy, dx, dy);
    markShot(map, sx, sy, CELL_SHOT);
    return 2;
}

int mapShipsAfloat(const std::uint8_t* map) {
    ShipCount count = mapCountShips(map);
    int afloat = 0;
    for (int n : count.afloat) afloat += n;
    return afloat;
}

ShipPlace mapShipAt(const std::uint8_t* map, int x, int y) {
    GAME_ASSERT(map != NULL);
    GAME_ASSERT(hasShip(map, x, y));
    Ship ship = shipThrough(map, x, y);
    return {ship.x, ship.y, ship.len, ship.dy};
}

ShipCount mapCountShips(const std::uint8_t* map) {
    GAME_ASSERT(map != NULL);
    ShipCount count{};
    // Each ship counted at its first (left or top) square.
    for (int y = 0; y < MAP_HEIGHT; y++) {
        for (int x = 0; x < MAP_WIDTH; x++) {
            if (!hasShip(map, x, y) || hasShip(map, x - 1, y) || hasShip(map, x, y - 1)) continue;
            int len = shipThrough(map, x, y).len;
            ((map[x + y * MAP_WIDTH] & CELL_SUNK) ? count.sunk : count.afloat)[len]++;
        }
    }
    return count;
}
