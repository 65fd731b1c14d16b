#include "support.h"

using Fleet = GameTest;

// Each attempt draws the way (50 and up of 100: down), then column and row. The
// 5-master comes first: an attempt where it fits either way places it.
TEST_F(Fleet, RandomPlacementDrawsTheWayFirstAndPlacesTheWholeFleet) {
    for (int down : {0, 1}) {
        restart();
        int x = 0, y = 0, way = 49 + down;  // the first draw, just below or at the edge
        auto fitsBothWays = [&] { return (x = std::rand() % 10) <= 5 && (y = std::rand() % 10) <= 5; };
        std::srand(seedWhere([&] { return std::rand() % 100 == way && fitsBothWays(); }));
        placeFleetRandomly(&g, g.mapPlayer.get());
        for (int i = 0; i < 5; i++) EXPECT_TRUE(mapTestFlags(g.mapPlayer.get(), x + i * !down, y + i * down, CELL_SHIP));
        EXPECT_FALSE(mapTestFlags(g.mapPlayer.get(), x + down, y + !down, CELL_SHIP)) << "first draw " << way;
        EXPECT_TRUE(shipSquares(g.mapPlayer.get()) == FLEET_SQUARES && g.shipsToPlace == nullptr);
    }
}
