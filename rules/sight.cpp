#include "rules/sight.h"

#include "terminal/game_assert.h"

Seen Sight::at(int x, int y) const {
    GAME_ASSERT(XYVALID(x, y));
    return squares_[static_cast<std::size_t>(x + y * MAP_WIDTH)];
}

Sight sightOf(const std::uint8_t* map) {
    GAME_ASSERT(map != nullptr);
    std::array<Seen, SIGHT_SQUARES> squares{};
    for (std::size_t i = 0; i < squares.size(); i++) {
        int flags = map[i];
        // A square nobody fired at stays Unknown whatever lies there.
        if (!(flags & CELL_SHOT)) continue;
        squares[i] = !(flags & CELL_SHIP) ? Seen::Water : (flags & CELL_SUNK) ? Seen::Sunk : Seen::Hit;
    }
    return Sight(squares);
}
