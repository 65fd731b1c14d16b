// One side's sea: MAP_WIDTH x MAP_HEIGHT bytes of flags, square (x, y) at
// x + y * MAP_WIDTH. The Game owns each board; the operations here take it
// as a plain pointer. Where a shot is fired: mapFire.
#pragma once

#include <bitset>
#include <cstdint>

constexpr int MAP_WIDTH = 10;
constexpr int MAP_HEIGHT = 10;

// The flags of one square. They are only ever added during a game.
constexpr int CELL_SHIP = 1;          // a ship segment lies here
constexpr int CELL_SHOT = 2;          // fired at, or shown as water beside a sunk ship
constexpr int CELL_NEAR = 4;          // the halo that keeps ships from touching
constexpr int CELL_SUNK = 8;          // a segment of a sunk ship
constexpr int CELL_BESIDE_SHOT = 16;  // orthogonally next to a square fired at

// What mapFire tells: -1 fired at before, 0 miss, 1 hit, 2 hit and sunk.
using ShotResult = int;

using Map = std::uint8_t*;

// Some squares of a board, (x, y) at x + y * MAP_WIDTH: the shots of a turn, say.
using SquareSet = std::bitset<MAP_WIDTH * MAP_HEIGHT>;

constexpr bool XYVALID(int x, int y) { return x >= 0 && x < MAP_WIDTH && y >= 0 && y < MAP_HEIGHT; }

// The flags of square (x, y). Needs a board and a square on it.
int mapGet(const std::uint8_t* map, int x, int y);

// Stores value (its low 8 bits) as the flags of square (x, y).
void mapSet(std::uint8_t* map, int x, int y, int value);

// Adds flags to square (x, y).
void mapSetFlags(std::uint8_t* map, int x, int y, int flags);

// The flags of square (x, y) that are in mask (the bits, not 0 or 1).
int mapTestFlags(const std::uint8_t* map, int x, int y, int mask);

// 1 while any ship segment on the board is not sunk, else 0.
int mapFleetAfloat(const std::uint8_t* map);

// Whether any square of the 3 x 3 block around (x, y) that lies on the board
// has (flags & mask) == want.
bool mapAnyAround(const std::uint8_t* map, int x, int y, int mask, int want);

// A ship of len squares whose first (left or top) square is (x, y), running
// down when vertical is 1 and right otherwise.
struct ShipPlace {
    int x, y, len, vertical;
    bool operator==(const ShipPlace&) const = default;
};

// The ship that square (x, y), a ship square, belongs to: ships are
// straight and never touch, so it is the run of ship squares through it.
ShipPlace mapShipAt(const std::uint8_t* map, int x, int y);

// How many ships of each length lie on the board, afloat and sunk. A ship is
// a straight run of ship squares: ships never touch.
constexpr int MAP_LONGEST = MAP_WIDTH > MAP_HEIGHT ? MAP_WIDTH : MAP_HEIGHT;
struct ShipCount {
    int afloat[MAP_LONGEST + 1];
    int sunk[MAP_LONGEST + 1];
};
ShipCount mapCountShips(const std::uint8_t* map);

// How many ships on the board are afloat.
int mapShipsAfloat(const std::uint8_t* map);

// Writes the name of square (x, y), such as A1 or J10, into outbuf. Never
// writes more than buflen bytes; a name that does not fit is cut short, and
// the text is always NUL-terminated.
void mapSquareName(int x, int y, char* outbuf, int buflen);

// Fires at square (x, y): marks it shot and its four neighbours as beside a
// shot; on a sinking marks the ship sunk and shows the water around it.
// Returns 0 (a miss), 1 (a hit) or 2 (hit and sunk), for the caller to
// report; returns -1, changing nothing, when the square was fired at before.
[[nodiscard]] ShotResult mapFire(std::uint8_t* map, int x, int y);
