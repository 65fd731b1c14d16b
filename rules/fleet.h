// The fleet: the roster of ships still to place, the placement rule that
// keeps ships on the board and apart, random placement, and the typed command
// that places one ship.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "rules/board.h"

constexpr int MAX_SHIP_LEN = 5;
constexpr int NUM_5_MASTERS = 1;
constexpr int NUM_4_MASTERS = 2;
constexpr int NUM_3_MASTERS = 3;
constexpr int NUM_2_MASTERS = 4;

// The whole fleet: how many ships of each length, the smallest a 2-master.
constexpr std::array<int, MAX_SHIP_LEN + 1> FLEET_OF_LENGTH = {0, 0, NUM_2_MASTERS, NUM_3_MASTERS, NUM_4_MASTERS,
                                                               NUM_5_MASTERS};
static_assert(MAX_SHIP_LEN == 5, "the fleet lists lengths 2 to 5");
constexpr int FLEET_SHIPS = NUM_2_MASTERS + NUM_3_MASTERS + NUM_4_MASTERS + NUM_5_MASTERS;
constexpr int FLEET_SQUARES = 2 * NUM_2_MASTERS + 3 * NUM_3_MASTERS + 4 * NUM_4_MASTERS + 5 * NUM_5_MASTERS;

// One kind of ship still to place. The roster runs 5, 4, 3, 2: longest first.
struct ShipClass {
    int length;
    int remaining;
    std::unique_ptr<ShipClass> next;
};

// A roster of the whole fleet.
[[nodiscard]] std::unique_ptr<ShipClass> fleetCreate();

// Frees the roster, which becomes null. A null roster is fine.
void fleetFree(std::unique_ptr<ShipClass>& roster);

// 1 while any kind of ship in the roster has some left to place, else 0.
int fleetHasShipsLeft(const ShipClass* roster);

// Places a ship of len squares whose first (left or top) square is (x, y),
// running down when ori is 1 and right otherwise, with its halo. Returns 1,
// or 0 with the board unchanged when the ship would leave the board or
// touch another ship, even at a corner, or when an argument is bad.
int placeShip(std::uint8_t* map, int len, int x, int y, int ori);

// Why a ship can't go where a command puts it.
enum class Refusal {
    None,         // it was placed
    NotACommand,  // not a square, a length and h or v
    NoSuchShip,   // no ship of the fleet is that long
    NoneLeft,     // every ship of that length is placed already
    OffBoard,     // it would not lie wholly on the board
    Crosses,      // it would lie on another ship
    Touches,      // it would touch another ship, at a side or a corner
};

// What a placement command did: the ship it asked for and whether it was
// placed; for Crosses and Touches, the ship in the way.
struct Placement {
    Refusal refusal;
    ShipPlace ship;
    ShipPlace other;
};

// Whether ship may be placed on map, and if not, why: OffBoard, Crosses or
// Touches (the ship in the way in other). Needs a length of 1 to MAX_SHIP_LEN.
[[nodiscard]] Placement placeShipCheck(const std::uint8_t* map, ShipPlace ship);

// Places the roster's fleet (a full one if there is none) at random on map,
// starting over on an empty board with a full roster whenever one kind of
// ship has been refused more than 1000 times. The roster is freed after.
void placeFleetRandomly(std::unique_ptr<ShipClass>& roster, std::uint8_t* map);

// One run of that: returns 1 with the fleet placed, or 0 after the 1001st
// refusal for one kind of ship, with the board cleared. The roster is freed.
int placeFleetRandomlyOnce(std::unique_ptr<ShipClass>& roster, std::uint8_t* map);

// Places the roster's ships left at random on map, around those already
// there, drawing as placeFleetRandomly does: on an empty board with a whole
// roster, the very same draws. Starts over from the ships already there
// after the 1001st refusal for one kind, at most tries times (0: as often as
// it takes, which only an empty board may ask). Returns 1, or 0 with map and
// the roster as they were. The roster is kept.
int fleetFillRandomly(ShipClass* roster, std::uint8_t* map, int tries);

// Takes back the last ship of placed, which were placed on map in that
// order: the board is drawn again from the others, and the roster has the
// ship to place again. Returns it. Needs a ship in placed.
ShipPlace fleetUndo(ShipClass* roster, std::uint8_t* map, std::vector<ShipPlace>* placed);

// Carries out one typed command such as "a1 3 v\n": places a ship of the
// roster on map. cmd is lower-cased in place. Returns 1 if a ship was
// placed, else 0 with the board and the roster unchanged.
int placeShipCommand(ShipClass* roster, std::uint8_t* map, char* cmd, int len);

// The same, with the ship asked for, and why it was not placed.
Placement placeShipCommandWhy(ShipClass* roster, std::uint8_t* map, char* cmd, int len);
