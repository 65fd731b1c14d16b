#include "rules/admiral.h"

#include <algorithm>
#include <vector>

#include "terminal/game_assert.h"

namespace {

// Every layout counted when there are at most 3000, found within 20000
// steps of the search; else 2000 drawn, of at most 10000 tries, so that a
// sight where most draws run into dead ends still answers in time. More
// draws, or more candidates below, did not sink fleets sooner.
constexpr LayoutBudget BUDGET = {20000, 3000, 2000, 10000};
LayoutBudget budget = BUDGET;

// Draws for one even fleet: the one kept is drawn among them by weight.
constexpr int EVEN_DRAWS = 1000;

constexpr std::size_t at(int i) { return static_cast<std::size_t>(i); }

// How much of the layouts' weight covers each unknown square.
struct Odds {
    std::array<double, 128> square{};
    double total = 0;
};

Odds oddsOf(const std::vector<Layout>& layouts, Bits unknown) {
    Odds odds;
    for (const Layout& l : layouts) {
        odds.total += l.weight;
        for (Bits rest = l.ships & unknown; bitsAny(rest); rest = bitsDropLowest(rest)) {
            odds.square[at(bitsLowest(rest))] += l.weight;
        }
    }
    return odds;
}

// With no layout to go by (a sight no fleet gives, or a search that found
// none in its budget), an unknown square beside a hit, else any.
int anyTarget(const Position& p) {
    Bits beside = (p.hits << 1) | (p.hits >> 1) | (p.hits << STRIDE) | (p.hits >> STRIDE);
    Bits near = p.unknown & p.open & beside;
    return bitsLowest(bitsAny(near) ? near : p.unknown);
}

// The squares worth a lookahead: the likeliest unknown ones, best first.
constexpr int CANDIDATES = 8;
struct Candidates {
    std::array<int, CANDIDATES> square{};
    int n = 0;
};

Candidates candidatesOf(const Odds& odds, Bits unknown) {
    Candidates c;
    for (Bits rest = unknown; bitsAny(rest); rest = bitsDropLowest(rest)) {
        int b = bitsLowest(rest);
        double o = odds.square[at(b)];
        if (o <= 0 || (c.n == CANDIDATES && o <= odds.square[at(c.square[at(c.n - 1)])])) continue;
        int i = c.n < CANDIDATES ? c.n++ : c.n - 1;
        for (; i > 0 && odds.square[at(c.square[at(i - 1)])] < o; i--) c.square[at(i)] = c.square[at(i - 1)];
        c.square[at(i)] = b;
    }
    return c;
}

// Whether a shot at square sinks the ship of layout ships that lies there:
// ships never touch, so its ship is the run of ships through it, and it
// sinks when the rest of the run is hit already.
bool sinks(Bits ships, Bits hits, int square) {
    Bits rest = hits & ~bitOf(square);
    for (int step : {1, STRIDE}) {
        for (int b = square + step; b < 128 && bitsHas(ships, b); b += step) {
            if (!bitsHas(rest, b)) return false;
        }
        for (int b = square - step; b >= 0 && bitsHas(ships, b); b -= step) {
            if (!bitsHas(rest, b)) return false;
        }
    }
    return true;
}

// Of the candidates, the square that makes this shot and the next one the
// likeliest to hit, the next one being chosen knowing what this one showed:
// a miss, a hit, or a sinking, which ends that ship. A square that settles
// where a ship lies may be worth more than a slightly likelier one that
// settles nothing.
int bestOf(const std::vector<Layout>& layouts, const Odds& odds, const Position& p, const Candidates& c,
           AdmiralRandom& random) {
    // ifHit[k][b]: weight of the layouts with a ship on candidate k and on
    // square b, sinking (1) or not (0) when k is fired at.
    std::array<std::array<std::array<double, 128>, 2>, CANDIDATES> ifHit{};
    for (const Layout& l : layouts) {
        for (int k = 0; k < c.n; k++) {
            int square = c.square[at(k)];
            if (!bitsHas(l.ships, square)) continue;
            auto& row = ifHit[at(k)][sinks(l.ships, p.hits, square) ? 1 : 0];
            for (Bits rest = l.ships & p.unknown; bitsAny(rest); rest = bitsDropLowest(rest)) {
                row[at(bitsLowest(rest))] += l.weight;
            }
        }
    }
    std::array<double, CANDIDATES> score{};
    double top = 0;
    for (int k = 0; k < c.n; k++) {
        int square = c.square[at(k)];
        std::array<double, 3> next{};  // after a hit afloat, a sinking, a miss
        for (Bits rest = p.unknown & ~bitOf(square); bitsAny(rest); rest = bitsDropLowest(rest)) {
            auto b = at(bitsLowest(rest));
            const auto& hit = ifHit[at(k)];
            next[0] = std::max(next[0], hit[0][b]);
            next[1] = std::max(next[1], hit[1][b]);
            next[2] = std::max(next[2], odds.square[b] - hit[0][b] - hit[1][b]);
        }
        score[at(k)] = odds.square[at(square)] + next[0] + next[1] + next[2];
        top = std::max(top, score[at(k)]);
    }
    // Of equal scores the likelier square now: a sure hit gains nothing by
    // waiting. Layouts drawn or counted alike weigh alike to the last bit;
    // sums in another order may not.
    auto near = [](double a, double b) { return a >= b * (1 - 1e-12); };
    double likeliest = 0;
    for (int k = 0; k < c.n; k++) {
        if (near(score[at(k)], top)) likeliest = std::max(likeliest, odds.square[at(c.square[at(k)])]);
    }
    auto best = [&](int k) { return near(score[at(k)], top) && near(odds.square[at(c.square[at(k)])], likeliest); };
    int ties = 0;
    for (int k = 0; k < c.n; k++) ties += best(k);
    int pick = admiralBelow(random, ties);
    for (int k = 0;; k++) {
        if (best(k) && pick-- == 0) return c.square[at(k)];
    }
}

}  // namespace

std::array<double, SIGHT_SQUARES> admiralOdds(const Sight& sight, FleetPrior prior, AdmiralRandom& random) {
    std::array<double, SIGHT_SQUARES> share{};
    Position p = positionOf(sight);
    if (p.sunkCount == FLEET_SHIPS || !bitsAny(p.unknown)) return share;
    std::vector<Layout> layouts;
    layoutsFind(p, prior, budget, random, &layouts);
    Odds odds = oddsOf(layouts, p.unknown);
    if (odds.total <= 0) return share;
    for (int y = 0; y < MAP_HEIGHT; y++) {
        for (int x = 0; x < MAP_WIDTH; x++) share[at(x + y * MAP_WIDTH)] = odds.square[at(bitOfSquare(x, y))] / odds.total;
    }
    return share;
}

void admiralChoose(const Sight& sight, FleetPrior prior, AdmiralRandom& random, int* x, int* y) {
    Position p = positionOf(sight);
    GAME_ASSERT(p.sunkCount < FLEET_SHIPS && bitsAny(p.unknown));
    std::vector<Layout> layouts;
    layoutsFind(p, prior, budget, random, &layouts);
    Odds odds = oddsOf(layouts, p.unknown);
    Candidates c = candidatesOf(odds, p.unknown);
    int best = c.n > 0 ? bestOf(layouts, odds, p, c, random) : anyTarget(p);
    *x = best % STRIDE;
    *y = best / STRIDE;
}

void admiralSetBudget(const LayoutBudget* b) { budget = b ? *b : BUDGET; }

std::array<ShipPlace, FLEET_SHIPS> admiralDrawEvenFleet(AdmiralRandom& random) {
    std::array<Bits, FLEET_SHIPS> kept{};
    double total = 0;
    for (int i = 0; i < EVEN_DRAWS || total == 0; i++) {
        std::array<Bits, FLEET_SHIPS> ships;
        double weight = layoutsDrawFleet(random, &ships);
        total += weight;
        // Keeps each draw with the chance its weight is of the total so far.
        if (weight > 0 && admiralBelow(random, 1 << 30) < weight / total * (1 << 30)) kept = ships;
    }
    std::array<ShipPlace, FLEET_SHIPS> fleet{};
    for (std::size_t i = 0; i < fleet.size(); i++) {
        int first = bitsLowest(kept[i]);
        fleet[i] = {first % STRIDE, first / STRIDE, bitsCount(kept[i]), bitsHas(kept[i], first + STRIDE) ? 1 : 0};
    }
    return fleet;
}
