// What a shooter knows of the other side's board: the squares fired at, what
// each showed, and the water shown around sunk ships. Nothing in a Sight can
// tell where an unseen ship lies, so an opponent that decides from a Sight
// alone cannot peek.
#pragma once

#include <array>
#include <cstdint>

#include "rules/board.h"

// Water: fired at, or shown beside a sunk ship, with no ship there. Hit: a
// ship square fired at whose ship is still afloat. Sunk: a square of a sunk
// ship.
enum class Seen : std::uint8_t { Unknown, Water, Hit, Sunk };

constexpr int SIGHT_SQUARES = MAP_WIDTH * MAP_HEIGHT;

class Sight {
public:
    // A position given square by square, (x, y) at x + y * MAP_WIDTH. Tests
    // build positions so; the game builds them with sightOf.
    explicit Sight(const std::array<Seen, SIGHT_SQUARES>& squares) : squares_(squares) {}

    // What is known of square (x, y). Needs a square on the board.
    [[nodiscard]] Seen at(int x, int y) const;

private:
    std::array<Seen, SIGHT_SQUARES> squares_;
};

// What whoever fired at map knows of it. Reads whether each square was fired
// at, and whether it holds a ship, sunk or not, only for squares fired at.
// Needs a board.
[[nodiscard]] Sight sightOf(const std::uint8_t* map);
