#include "rules/admiral.h"
#include "support.h"

namespace {

using Fleet = std::array<ShipPlace, FLEET_SHIPS>;

// What the level fires at, shot by shot, and what each showed, at ships
// placed on a board, its draws from seed, until the fleet sinks: the squares
// from the rules themselves.
std::vector<AiShot> shotsAt(const Fleet& ships, AiLevel level, unsigned seed) {
    Board board{};
    for (const ShipPlace& s : ships) EXPECT_EQ(placeShip(board.data(), s.len, s.x, s.y, s.vertical), 1);
    OpponentMemory memory;
    memory.random = admiralSeed(seed);
    std::srand(seed);
    std::vector<AiShot> fired;
    while (mapFleetAfloat(board.data()) && fired.size() < 100) fired.push_back(aiShoot(level, board.data(), &memory, FleetPrior::GamePlacement));
    return fired;
}

// Whether the level, playing from seed, fires at another square at two fleets
// that differ by one ship before any of its shots has shown it a difference.
bool partsEarly(AiLevel level, unsigned seed) {
    AdmiralRandom draws = admiralSeed(~seed);  // not the Admiral's own draws
    Fleet one = admiralDrawEvenFleet(draws), other = one;
    ShipPlace& moved = other.back();  // a 2-master, to the first place it fits elsewhere
    for (int at = 0; at < 200 && moved.x == one.back().x && moved.y == one.back().y && moved.vertical == one.back().vertical; at++) {
        Board b{};
        ShipPlace tried{at % 10, at / 10 % 10, 2, at / 100};
        for (std::size_t i = 0; i + 1 < one.size(); i++) placeShip(b.data(), one[i].len, one[i].x, one[i].y, one[i].vertical);
        if (placeShip(b.data(), 2, tried.x, tried.y, tried.vertical)) moved = tried;
    }
    std::vector<AiShot> a = shotsAt(one, level, seed), b = shotsAt(other, level, seed);
    auto same = [](const AiShot& p, const AiShot& q) { return p.x == q.x && p.y == q.y && p.result == q.result; };
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && same(a[i], b[i])) i++;
    return a.at(i).x != b.at(i).x || a.at(i).y != b.at(i).y;
}

}  // namespace

// Two fleets that differ by one ship, the same draws: a level that sees only
// its own shots fires alike at both until one shows something else; one that
// reads the player's board parts sooner, from some seed on.
TEST(Honesty, OnlyTheExpertAndTheChampionFireOtherwiseBeforeTheyHaveSeenADifference) {
    using L = AiLevel;
    const std::pair<AiLevel, unsigned> honest[] = {{L::Easy, 1}, {L::Medium, 2}, {L::Admiral, 1}, {L::Admiral, 2}};
    for (auto [level, seed] : honest) EXPECT_FALSE(partsEarly(level, seed)) << "seed " << seed;
    for (AiLevel level : {L::Hard, L::Champion}) {
        unsigned seed = 1;
        while (seed <= 40 && !partsEarly(level, seed)) seed++;
        EXPECT_LE(seed, 40u) << (level == L::Hard ? "the Expert" : "the Champion") << " never peeked";
    }
}
