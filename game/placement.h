// Placing the fleet: by hand, with typed commands such as "A1 3 v", or at random.
#pragma once

#include <cstdint>

struct Game;

// Prints one line for each kind of ship with some left to place, in roster order.
void fleetPrintRemaining(Game* g);

// Lets the player place the whole fleet on the player's board by typed
// commands, the board drawn with the halo around the ships after each.
// Returns false when the player quit instead.
[[nodiscard]] bool placeFleetManually(Game* g);

// Places a whole fleet at random on map, one of the Game's boards.
void placeFleetRandomly(Game* g, std::uint8_t* map);
