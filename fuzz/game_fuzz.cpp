// Fuzz target for the whole program: its own entry, salvoMain, on the
// headless terminal, with the input as the lines typed. Both menus, placement by hand
// and at random, the turns at every level and "Another game?" are all
// reached from here.
//
// Input: four bytes of seed (little-endian), then the text typed.
//
// A run ends as the program would: "2" at "Another game?", the quit line and
// the end of input return from the entry with status 0. Anything else the
// game does wrong stops the fuzzer: a failed GAME_ASSERT, a sanitizer
// report, a leak.
//
// Nothing carries over from one run to the next: headlessReset forgets the
// queued input, the screen and the seed; the entry seeds rand from that seed
// at every game and sets the opponent's level before every match.
//
// The Admiral searches with a small budget here: its shots come sooner, and
// the fuzzer plays many more games (its search has a target of its own,
// fuzz_admiral, with the game's budget).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <string>

#include "game/program.h"
#include "rules/admiral.h"
#include "rules/text.h"
#include "screen/console.h"
#include "terminal/game_assert.h"
#include "terminal/headless/headless.h"

namespace {

// The last line the game read.
std::string lastRead;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    unsigned seed = static_cast<unsigned>(data[0]) | static_cast<unsigned>(data[1]) << 8 |
                    static_cast<unsigned>(data[2]) << 16 | static_cast<unsigned>(data[3]) << 24;
    std::string_view typed(reinterpret_cast<const char*>(data) + 4, size - 4);

    static constexpr LayoutBudget QUICK = {100, 10, 4, 20};
    admiralSetBudget(&QUICK);
    terminalUse(headlessTerminal());
    headlessReset();
    headlessSetSeed(seed);
    headlessQueueInput(typed);
    lastRead.clear();
    consoleWatch([](const char* line) { lastRead = line; }, nullptr);
    char name[] = "salvo";
    char* argv[] = {name, nullptr};
    GAME_ASSERT(salvoMain(1, argv) == 0);
    // Only the end of input, a line beginning with "-" or 2 at "Another
    // game?" ends the program: with input left, the last line read was one
    // of the two.
    if (terminalNextEvent(false).kind != EventKind::End) {
        int answer = 0;
        if (!lastRead.empty()) parseNumber(lastRead.c_str(), static_cast<int>(lastRead.size()), &answer);
        GAME_ASSERT(lastRead[0] == '-' || answer == 2);
    }
    consoleWatch(nullptr, nullptr);
    return 0;
}
