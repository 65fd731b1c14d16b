#include "support.h"

namespace {

using Squares = std::vector<Square>;

struct Opponent : GameTest {
    std::uint8_t* map() { return g.mapPlayer.get(); }
    void mark(const Squares& squares, int flags) { for (Square s : squares) mapSetFlags(map(), s.first, s.second, flags); }
    auto tracked() { return std::tuple(g.opponent.trackX, g.opponent.trackY, g.opponent.tracking); }
};

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
        aiMoveChampion(&g);
        EXPECT_EQ(headlessRow(15) == "What a lucky shot!", r.lucky) << r.draw << ", luck " << r.luckLeft;
        EXPECT_TRUE(!r.lucky || tracked() == std::tuple(headlessRow(14)[12] - 'A', 0, 1)) << headlessRow(14);
    }
}

// Shots tracking from the first hit, the ship's other squares and misses about. With no hit
// beside the tracked square the line is drawn. The shot that sinks the fleet wins, ends the tracking.
TEST_F(Opponent, TrackingFollowsTheShipAlongItsLine) {
    const struct { const char* name; Squares hits, ship, misses; const char* line; int lucky; Lines said; } rows[] = {
        {"open sea, drawn down", {{5, 5}}, {}, {}, "y+", 0, {"AI Fires at F7... Miss!"}},
        {"A1, a miss right: off, off, then down", {{0, 0}}, {}, {{1, 0}}, "x+", 0, {"AI Fires at A2... Miss!"}},
        {"misses both ways along x: the other axis", {{5, 5}}, {}, {{4, 5}, {6, 5}}, "x+", 0, {"AI Fires at F5... Miss!"}},
        {"hits left and right: right wins", {{5, 5}, {4, 5}, {6, 5}}, {}, {}, "", 0, {"AI Fires at H6... Miss!"}},
        {"hits all around: below wins", {{5, 5}, {4, 5}, {6, 5}, {5, 4}, {5, 6}}, {}, {}, "", 0, {"AI Fires at F8... Miss!"}},
        {"a miss past the run: the other side", {{5, 5}, {6, 5}, {7, 5}}, {}, {{8, 5}}, "", 0, {"AI Fires at E6... Miss!"}},
        {"along the run to the sinking", {{5, 5}, {4, 5}}, {{3, 5}}, {}, "", 0, {"AI Fires at D6... Hit & Sunk!"}},
        // The lucky walk: left leaves the board at once, right holds no ship, below comes before above.
        {"lucky, A4 to A7 tracked on A5", {{0, 4}, {0, 5}}, {{0, 3}, {0, 6}}, {}, "", 1,
         {"AI Fires at A7... Hit!", "What a lucky shot!", "AI Fires at A4... Hit & Sunk!", "What a lucky shot!"}},
        {"lucky, A1 to E1 tracked on A1: four steps", {{0, 0}, {1, 0}, {2, 0}, {3, 0}}, {{4, 0}}, {}, "", 1,
         {"AI Fires at E1... Hit & Sunk!", "What a lucky shot!"}},
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
        bool sinks = std::ranges::any_of(r.said, [](const std::string& s) { return s.ends_with("Sunk!"); });
        for (std::size_t left = r.said.size() / (r.lucky ? 2 : 1); left > 0; left--) {
            EXPECT_EQ(aiShot(&g, 1, r.lucky), left > 1 || !sinks);
        }
        expectMessages(r.said);
        EXPECT_EQ(tracked(), sinks ? std::tuple(-1, -1, 0) : std::tuple(r.hits[0].first, r.hits[0].second, 1));
    }
}
