#include "rules/layouts.h"

#include "terminal/game_assert.h"

namespace {

// The fleet in the game's order: the slots of ships of len come first
// at firstSlot(len).
constexpr int firstSlot(int len) {
    int slot = 0;
    for (int l = MAX_SHIP_LEN; l > len; l--) slot += FLEET_OF_LENGTH[static_cast<std::size_t>(l)];
    return slot;
}

using Ships = std::array<Bits, FLEET_SHIPS>;
static_assert(NUM_2_MASTERS <= 4 && NUM_3_MASTERS <= 4 && NUM_4_MASTERS <= 4 && NUM_5_MASTERS <= 4,
              "the chance over orders keeps a table for every subset of one length's ships");
using Counts = std::array<int, MAX_SHIP_LEN + 1>;
// An index into a std::array.
constexpr std::size_t at(int i) { return static_cast<std::size_t>(i); }

// How likely ships, n of len squares, are to be laid where they are by
// laying them one after another, in any order, each evenly among the places
// in free that the ones before left it. One order's chance is the product
// of 1 / places; the sum over orders runs over the subsets already laid.
double orderedChance(Bits free, const Bits* ships, int n, int len) {
    std::array<Bits, 4> halos{};
    for (int i = 0; i < n; i++) halos[at(i)] = halo(ships[i]);
    // room[done]: free less the halos of the ships in done.
    std::array<Bits, 16> room{};
    room[0] = free;
    for (int done = 1; done < 1 << n; done++) {
        room[at(done)] = room[at(done & (done - 1))] & ~halos[at(std::countr_zero(static_cast<unsigned>(done)))];
    }
    std::array<double, 16> rest{};
    int full = (1 << n) - 1;
    rest[at(full)] = 1;
    for (int done = full - 1; done >= 0; done--) {
        double sum = 0;
        for (int i = 0; i < n; i++) {
            if (!(done & (1 << i))) sum += rest[at(done | (1 << i))];
        }
        rest[at(done)] = sum / placements(room[at(done)], len);
    }
    return rest[0];
}

// How likely the game's placement is to lay the whole fleet as fleet, which
// lists it longest first, in any order among ships of one length.
double fleetChance(const Ships& fleet) {
    Bits free = BOARD;
    double chance = 1;
    for (int len = MAX_SHIP_LEN; len >= 2; len--) {
        int first = firstSlot(len);
        int n = FLEET_OF_LENGTH[at(len)];
        chance *= orderedChance(free, &fleet[at(first)], n, len);
        for (int i = first; i < first + n; i++) free = free & ~halo(fleet[at(i)]);
    }
    return chance;
}

// A layout being built: the fleet longest first, sunk ships included.
struct Fleet {
    Ships ships{};
    Counts filled{};
    Bits afloat;
    void add(Bits ship, int len) { ships[at(firstSlot(len) + filled[at(len)]++)] = ship; }
};

// The places for a ship afloat over the hit at bit hit: on free squares,
// not touching any other hit (that hit would need a ship touching this
// one), and not all hits (then it would have sunk).
struct Cover {
    Bits ship;
    int len;
};
using Covers = std::array<Cover, 4 * 2 * MAX_SHIP_LEN>;
int coversOf(const Position& p, Bits free, const Counts& left, int hit, Covers* covers) {
    int n = 0;
    for (int len = 2; len <= MAX_SHIP_LEN; len++) {
        if (left[at(len)] == 0) continue;
        for (int step : {ACROSS, DOWN}) {
            for (int k = 0; k < len; k++) {
                int start = hit - k * step;
                if (start < 0 || start + (len - 1) * step >= BITS_USED) continue;
                Bits ship = shipBits(start, len, step);
                if (bitsAny(ship & ~free) || bitsAny(halo(ship) & ~ship & p.hits) || !bitsAny(ship & ~p.hits)) continue;
                (*covers)[at(n++)] = {ship, len};
            }
        }
    }
    return n;
}

// The weight of a layout of the ships afloat, drawn with the given chance
// (1 when counted): the even prior's is the same for every layout, the
// game's is its chance of laying the whole fleet so, sunk ships included.
// Adds the sunk ships to fleet.
double weightOf(const Position& p, FleetPrior prior, Fleet& fleet, double chance) {
    if (prior == FleetPrior::Even) return 1 / chance;
    for (int i = 0; i < p.sunkCount; i++) fleet.add(p.sunk[at(i)], p.sunkLength[at(i)]);
    return fleetChance(fleet.ships) / chance;
}

// The exhaustive search: ships over each hit not yet covered, lowest first,
// then the other ships of each length in increasing order of place, so that
// each layout is met once.
struct Search {
    const Position& p;
    FleetPrior prior;
    int nodesLeft;
    int most;
    std::vector<Layout>* out;  // null while counting
    int found = 0;
    Fleet fleet{};
};

// A layout found: counted, and weighed when the search is the second one.
// Returns false once there are more than the search may count.
bool searchLeaf(Search& s) {
    if (s.out) {
        Fleet whole = s.fleet;
        s.out->push_back({whole.afloat, weightOf(s.p, s.prior, whole, 1)});
    }
    return ++s.found <= s.most;
}

// Lays ship, searches on, takes it away again. Returns false to stop.
template <typename Next>
bool searchWith(Search& s, Bits ship, int len, Counts& left, Next next) {
    Fleet before = s.fleet;
    s.fleet.add(ship, len);
    s.fleet.afloat = s.fleet.afloat | ship;
    left[at(len)]--;
    bool go = next();
    left[at(len)]++;
    s.fleet = before;
    return go;
}

// Lays the ships left, longest first, in free; a ship of len squares only
// at a place from `from` on, so that ships of one length come in one order.
// Returns false to stop.
bool searchRest(Search& s, Bits free, Counts& left, int len, int from) {
    while (len >= 2 && left[at(len)] == 0) len--, from = 0;
    if (len < 2) return searchLeaf(s);
    if (--s.nodesLeft < 0) return false;
    for (int step : {ACROSS, DOWN}) {
        Bits first = starts(free, len, step);
        for (; bitsAny(first); first = bitsDropLowest(first)) {
            int start = bitsLowest(first);
            int place = start * 2 + (step == DOWN);
            if (place < from) continue;
            Bits ship = shipBits(start, len, step);
            auto next = [&] { return searchRest(s, free & ~halo(ship), left, len, place + 1); };
            if (!searchWith(s, ship, len, left, next)) return false;
        }
    }
    return true;
}

// Lays a ship over the lowest hit not yet covered, each way one fits, and
// searches on. Returns false to stop.
bool searchCover(Search& s, Bits free, Bits uncovered, Counts& left) {
    if (!bitsAny(uncovered)) return searchRest(s, free, left, MAX_SHIP_LEN, 0);
    if (--s.nodesLeft < 0) return false;
    Covers covers;
    int n = coversOf(s.p, free, left, bitsLowest(uncovered), &covers);
    for (int i = 0; i < n; i++) {
        Bits ship = covers[at(i)].ship;
        auto next = [&] { return searchCover(s, free & ~halo(ship), uncovered & ~ship, left); };
        if (!searchWith(s, ship, covers[at(i)].len, left, next)) return false;
    }
    return true;
}

// One layout drawn at random: over each hit not yet covered, lowest first,
// a ship drawn among those that fit, each length as often as it has ships
// left; then the other ships, longest first, each evenly among its places.
// Every layout has one way to be drawn but for the order among ships of one
// length, which chance sums over. Returns the layout's weight, 0 for a dead
// end: its chance under the prior over the chance of drawing it.
double drawLayout(const Position& p, FleetPrior prior, AdmiralRandom& random, Fleet* fleet) {
    Counts left = p.afloat;
    Bits free = p.open;
    double chance = 1;
    for (Bits uncovered = p.hits; bitsAny(uncovered);) {
        Covers covers;
        int n = coversOf(p, free, left, bitsLowest(uncovered), &covers);
        int sum = 0;
        for (int i = 0; i < n; i++) sum += left[at(covers[at(i)].len)];
        if (sum == 0) return 0;
        int r = admiralBelow(random, sum);
        int i = 0;
        while (r >= left[at(covers[at(i)].len)]) r -= left[at(covers[at(i++)].len)];
        auto [ship, len] = covers[at(i)];
        chance *= static_cast<double>(left[at(len)]) / sum;
        fleet->add(ship, len);
        fleet->afloat = fleet->afloat | ship;
        left[at(len)]--;
        free = free & ~halo(ship);
        uncovered = uncovered & ~ship;
    }
    for (int len = MAX_SHIP_LEN; len >= 2; len--) {
        Bits classFree = free;
        int first = firstSlot(len) + fleet->filled[at(len)];
        for (int k = 0; k < left[at(len)]; k++) {
            Bits across = starts(free, len, ACROSS);
            Bits down = starts(free, len, DOWN);
            int places = bitsCount(across) + bitsCount(down);
            if (places == 0) return 0;
            int r = admiralBelow(random, places);
            int nAcross = bitsCount(across);
            Bits ship = r < nAcross ? shipBits(bitsNth(across, r), len, ACROSS)
                                    : shipBits(bitsNth(down, r - nAcross), len, DOWN);
            fleet->add(ship, len);
            fleet->afloat = fleet->afloat | ship;
            free = free & ~halo(ship);
        }
        chance *= orderedChance(classFree, &fleet->ships[at(first)], left[at(len)], len);
    }
    return weightOf(p, prior, *fleet, chance);
}

}  // namespace

Position positionOf(const Sight& sight) {
    Position p;
    Bits sunk;
    Bits water;
    for (int y = 0; y < MAP_HEIGHT; y++) {
        for (int x = 0; x < MAP_WIDTH; x++) {
            Bits b = bitOf(bitOfSquare(x, y));
            switch (sight.at(x, y)) {
                case Seen::Unknown: p.unknown = p.unknown | b; break;
                case Seen::Water: water = water | b; break;
                case Seen::Hit: p.hits = p.hits | b; break;
                case Seen::Sunk: sunk = sunk | b; break;
            }
        }
    }
    p.afloat = FLEET_OF_LENGTH;
    for (Bits rest = sunk; bitsAny(rest);) {
        // A sunk ship runs right or down from its first square.
        int first = bitsLowest(rest);
        int step = bitsHas(rest, first + ACROSS) ? ACROSS : DOWN;
        int len = 0;
        while (first + len * step < BITS_USED && bitsHas(rest, first + len * step)) len++;
        Bits ship = shipBits(first, len, step);
        GAME_ASSERT(len >= 2 && len <= MAX_SHIP_LEN && p.afloat[at(len)] > 0);
        GAME_ASSERT(!bitsAny(halo(ship) & ~ship & sunk));
        p.afloat[at(len)]--;
        p.sunk[at(p.sunkCount)] = ship;
        p.sunkLength[at(p.sunkCount++)] = len;
        rest = rest & ~ship;
    }
    p.open = (p.unknown | p.hits) & ~halo(sunk);
    return p;
}

bool layoutsFind(const Position& p, FleetPrior prior, const LayoutBudget& budget, AdmiralRandom& random,
                 std::vector<Layout>* out) {
    out->clear();
    // Counted first, then weighed: a search that gives up has weighed nothing.
    Search count{p, prior, budget.exactNodes, budget.exactMost, nullptr};
    Counts left = p.afloat;
    if (searchCover(count, p.open, p.hits, left)) {
        Search weigh{p, prior, budget.exactNodes, budget.exactMost, out};
        out->reserve(static_cast<std::size_t>(count.found));
        searchCover(weigh, p.open, p.hits, left);
        return true;
    }
    out->reserve(static_cast<std::size_t>(budget.draws));
    for (int i = 0; i < budget.tries && static_cast<int>(out->size()) < budget.draws; i++) {
        Fleet fleet;
        double weight = drawLayout(p, prior, random, &fleet);
        if (weight > 0) out->push_back({fleet.afloat, weight});
    }
    return false;
}

double layoutsDrawFleet(AdmiralRandom& random, std::array<Bits, FLEET_SHIPS>* ships) {
    Position empty;
    empty.open = BOARD;
    empty.afloat = FLEET_OF_LENGTH;
    Fleet fleet;
    double weight = drawLayout(empty, FleetPrior::Even, random, &fleet);
    *ships = fleet.ships;
    return weight;
}
