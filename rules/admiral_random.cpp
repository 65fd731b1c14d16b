#include "rules/admiral_random.h"

#include "terminal/game_assert.h"

namespace {

// The next 64 bits of the generator: a splitmix64 step.
std::uint64_t nextBits(AdmiralRandom& random) {
    std::uint64_t z = random.state += 0x9e3779b97f4a7c15u;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
}

}  // namespace

AdmiralRandom admiralSeed(unsigned seed) { return {seed}; }

int admiralBelow(AdmiralRandom& random, int n) {
    GAME_ASSERT(n > 0);
    return static_cast<int>((nextBits(random) >> 32) * static_cast<std::uint64_t>(n) >> 32);
}
