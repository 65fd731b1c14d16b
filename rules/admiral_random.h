// The Admiral's own generator, apart from rand(): the other levels' draws
// stay as they were, and the same seed gives the same shots.
#pragma once

#include <cstdint>

// Its whole state: splitmix64's counter.
struct AdmiralRandom {
    std::uint64_t state;
};

// A generator that draws the same for the same seed.
[[nodiscard]] AdmiralRandom admiralSeed(unsigned seed);

// A whole number in [0, n). Needs n > 0.
[[nodiscard]] int admiralBelow(AdmiralRandom& random, int n);
