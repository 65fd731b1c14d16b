#include "support.h"

namespace {

using Squares = std::vector<Square>;

struct Opponent : GameTest {
    std::uint8_t* map() { return g.mapPlayer.get(); }
    void mark(const Squares& squares, int flags) { for (Square s : squares) mapSetFlags(map(), s.first, s.second, flags); }
    auto tracked() { return std::tuple(g.opponent.trackX, g.opponent.trackY, g.opponent.tracking); }
};

// A shot as "F7 Miss!": its square and what it showed.
std::string said(int x, int y, ShotResult result) {
    char name[8];
    mapSquareName(x, y, name, sizeof name);
    const char* what[] = {"Miss!", "Hit!", "Hit & Sunk!"};
    return std::string(name) + " " + what[result];
}

}  // namespace

// Luck is drawn before the shot while some is left: a first draw of 146 of 1000
// makes it lucky, 147 not. A lucky shot hits the lone 5-master and tracks it.
TEST_F(Opponent, ChampionsLuckIsDrawnBeforeTheShot) {
    const struct { int draw, luckLeft; bool lucky; } rows[] = {{146, 5, true}, {147, 5, false}, {146, 0, false}};
    for (const auto& r : rows) {
        restart();
        placeShip(map(), 5, 0, 0, 0);
        g.opponent.luckyShots = r.luckLeft;
        std::srand(seedWhere([&] { return std::rand() % 1000 == r.draw; }));
        AiShot s = aiShoot(AiLevel::Champion, map(), &g.opponent, FleetPrior::GamePlacement);
        EXPECT_EQ(s.lucky, r.lucky) << r.draw << ", luck " << r.luckLeft;
        EXPECT_EQ(g.opponent.luckyShots, r.luckLeft - r.lucky);
        EXPECT_TRUE(!r.lucky || (s.result == 1 && s.y == 0 && tracked() == std::tuple(s.x, 0, 1))) << s.x << "," << s.y;
    }
}

// Shots tracking from the first hit, the ship's other squares and misses about. With no hit
// beside the tracked square the line is drawn. The shot that sinks the fleet ends the tracking.
TEST_F(Opponent, TrackingFollowsTheShipAlongItsLine) {
    const struct { const char* name; Squares hits, ship, misses; const char* line; int lucky; Lines said; } rows[] = {
        {"open sea, drawn down", {{5, 5}}, {}, {}, "y+", 0, {"F7 Miss!"}},
        {"A1, a miss right: off, off, then down", {{0, 0}}, {}, {{1, 0}}, "x+", 0, {"A2 Miss!"}},
        {"misses both ways along x: the other axis", {{5, 5}}, {}, {{4, 5}, {6, 5}}, "x+", 0, {"F5 Miss!"}},
        {"hits left and right: right wins", {{5, 5}, {4, 5}, {6, 5}}, {}, {}, "", 0, {"H6 Miss!"}},
        {"hits all around: below wins", {{5, 5}, {4, 5}, {6, 5}, {5, 4}, {5, 6}}, {}, {}, "", 0, {"F8 Miss!"}},
        {"a miss past the run: the other side", {{5, 5}, {6, 5}, {7, 5}}, {}, {{8, 5}}, "", 0, {"E6 Miss!"}},
        {"along the run to the sinking", {{5, 5}, {4, 5}}, {{3, 5}}, {}, "", 0, {"D6 Hit & Sunk!"}},
        // The lucky walk: left leaves the board at once, right holds no ship, below comes before above.
        {"lucky, A4 to A7 tracked on A5", {{0, 4}, {0, 5}}, {{0, 3}, {0, 6}}, {}, "", 1, {"A7 Hit!", "A4 Hit & Sunk!"}},
        {"lucky, A1 to E1 tracked on A1: four steps", {{0, 0}, {1, 0}, {2, 0}, {3, 0}}, {{4, 0}}, {}, "", 1, {"E1 Hit & Sunk!"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        restart();
        mark(r.hits, CELL_SHIP | CELL_SHOT);
        mark(r.ship, CELL_SHIP);
        mark(r.misses, CELL_SHOT);
        std::tie(g.opponent.trackX, g.opponent.trackY, g.opponent.tracking) = std::tuple(r.hits[0].first, r.hits[0].second, 1);
        std::srand(seedWhere([&] {
            return !*r.line || ((std::rand() % 100 < 50) == (r.line[0] == 'x') && (std::rand() % 100 < 50) == (r.line[1] == '+'));
        }));
        Lines fired;
        for (std::size_t n = 0; n < r.said.size(); n++) {
            AiChoice c = aiChooseSquare(map(), g.opponent, true, r.lucky);
            ShotResult result = mapFire(map(), c.x, c.y);
            aiRemember(&g.opponent, c, result);
            fired.push_back(said(c.x, c.y, result));
        }
        EXPECT_EQ(fired, r.said);
        bool sinks = r.said.back().ends_with("Sunk!");
        EXPECT_EQ(tracked(), sinks ? std::tuple(-1, -1, 0) : std::tuple(r.hits[0].first, r.hits[0].second, 1));
    }
}
