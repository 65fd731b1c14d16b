// A board as bits, for counting where ships fit: every place for a ship of
// one length is found in a few operations on two words.
#pragma once

#include <bit>
#include <cstdint>

#include "rules/board.h"

// Square (x, y) is bit x + y * STRIDE. The spare column at x = MAP_WIDTH is
// never set: a run of squares cannot wrap into the next row, and a shift by
// one cannot carry a square across a row's end.
constexpr int STRIDE = MAP_WIDTH + 1;
static_assert(STRIDE * MAP_HEIGHT <= 128, "a board must fit in two words");

struct Bits {
    std::uint64_t lo = 0;
    std::uint64_t hi = 0;
};
constexpr Bits operator&(Bits a, Bits b) { return {a.lo & b.lo, a.hi & b.hi}; }
constexpr Bits operator|(Bits a, Bits b) { return {a.lo | b.lo, a.hi | b.hi}; }
constexpr Bits operator~(Bits a) { return {~a.lo, ~a.hi}; }
constexpr bool operator==(Bits a, Bits b) { return a.lo == b.lo && a.hi == b.hi; }
// Shifts by 1 to 63 bits.
constexpr Bits operator>>(Bits a, int n) { return {(a.lo >> n) | (a.hi << (64 - n)), a.hi >> n}; }
constexpr Bits operator<<(Bits a, int n) { return {a.lo << n, (a.hi << n) | (a.lo >> (64 - n))}; }
constexpr bool bitsAny(Bits a) { return (a.lo | a.hi) != 0; }
// Bits set in a word, inline: without a popcount instruction in the target
// std::popcount becomes a call, and counting is most of the search's work.
constexpr int wordCount(std::uint64_t w) {
    w -= (w >> 1) & 0x5555555555555555u;
    w = (w & 0x3333333333333333u) + ((w >> 2) & 0x3333333333333333u);
    w = (w + (w >> 4)) & 0x0f0f0f0f0f0f0f0fu;
    return static_cast<int>((w * 0x0101010101010101u) >> 56);
}
constexpr int bitsCount(Bits a) { return wordCount(a.lo) + wordCount(a.hi); }
constexpr Bits bitOf(int i) { return i < 64 ? Bits{1ull << i, 0} : Bits{0, 1ull << (i - 64)}; }
constexpr bool bitsHas(Bits a, int i) { return bitsAny(a & bitOf(i)); }
// The lowest set bit's index, and a without it. Need a bit set.
constexpr int bitsLowest(Bits a) { return a.lo ? std::countr_zero(a.lo) : 64 + std::countr_zero(a.hi); }
constexpr Bits bitsDropLowest(Bits a) { return a.lo ? Bits{a.lo & (a.lo - 1), a.hi} : Bits{0, a.hi & (a.hi - 1)}; }
constexpr int bitOfSquare(int x, int y) { return x + y * STRIDE; }

constexpr int ACROSS = 1;
constexpr int DOWN = STRIDE;
constexpr int BITS_USED = STRIDE * MAP_HEIGHT;

constexpr Bits boardBits() {
    Bits b;
    for (int y = 0; y < MAP_HEIGHT; y++) {
        for (int x = 0; x < MAP_WIDTH; x++) b = b | bitOf(bitOfSquare(x, y));
    }
    return b;
}
constexpr Bits BOARD = boardBits();

// The squares of a ship of len squares from bit start, step apart. Needs
// every one of them below BITS_USED.
constexpr Bits shipBits(int start, int len, int step) {
    Bits b;
    for (int k = 0; k < len; k++) b = b | bitOf(start + k * step);
    return b;
}

// The ship's squares and every square touching them, corners included: no
// other ship may use any of them.
inline Bits halo(Bits ship) {
    Bits row = ship | (ship << 1) | (ship >> 1);
    return (row | (row << STRIDE) | (row >> STRIDE)) & BOARD;
}

// The first squares of every run of len squares of free, step apart.
inline Bits starts(Bits free, int len, int step) {
    Bits s = free;
    for (int k = 1; k < len; k++) s = s & (free >> (k * step));
    return s;
}

// How many ways a ship of len squares fits in free.
inline int placements(Bits free, int len) {
    return bitsCount(starts(free, len, ACROSS)) + bitsCount(starts(free, len, DOWN));
}

// The index of the r-th set bit of a. Needs r < bitsCount(a).
inline int bitsNth(Bits a, int r) {
    std::uint64_t word = a.lo;
    int base = 0;
    if (r >= wordCount(a.lo)) {
        r -= wordCount(a.lo);
        word = a.hi;
        base = 64;
    }
    for (; r > 0; r--) word &= word - 1;
    return base + std::countr_zero(word);
}

