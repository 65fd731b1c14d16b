// Fuzz target for the whole program: its own entry, salvoMain, on the
// headless terminal, with the input as the lines typed. Both menus, placement by hand
// and at random, the turns at every level and "Another game?" are all
// reached from here.
//
// Input: four bytes of seed (little-endian), then the text typed.
//
// A run ends as the program would: "2" at "Another game?" returns from the
// entry, the quit line and the end of input end it through terminalExit,
// which throws HeadlessExit here. Anything else the game does wrong stops
// the fuzzer: a failed GAME_ASSERT, a sanitizer report, a leak.
//
// Nothing carries over from one run to the next: headlessReset forgets the
// queued input, the screen and the seed; the entry seeds rand from that seed
// at every game and sets the opponent's level before every match.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "game/program.h"
#include "terminal/game_assert.h"
#include "terminal/headless/headless.h"

namespace {

// Every line the game reads goes through a 256-byte buffer.
constexpr std::size_t LINE_BUFFER = 256;

// The lines the game reads from typed, one a read, cut as the headless
// terminal cuts them: up to the newline, at most LINE_BUFFER - 1 bytes.
std::vector<std::string_view> linesRead(std::string_view typed) {
    std::vector<std::string_view> lines;
    while (!typed.empty()) {
        std::size_t end = typed.find('\n');
        std::size_t take = end == std::string_view::npos ? typed.size() : end + 1;
        if (take > LINE_BUFFER - 1) take = LINE_BUFFER - 1;
        lines.push_back(typed.substr(0, take));
        typed.remove_prefix(take);
    }
    return lines;
}

// How many reads were left when the program ended. (Counted in reads, not
// bytes: a typed NUL hides the rest of its line from strlen.)
std::size_t unreadLines() {
    std::size_t n = 0;
    char rest[LINE_BUFFER];
    while (terminalReadLine(rest, sizeof rest)) n++;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    unsigned seed = static_cast<unsigned>(data[0]) | static_cast<unsigned>(data[1]) << 8 |
                    static_cast<unsigned>(data[2]) << 16 | static_cast<unsigned>(data[3]) << 24;
    std::string_view typed(reinterpret_cast<const char*>(data) + 4, size - 4);

    terminalUse(headlessTerminal());
    headlessReset();
    headlessSetSeed(seed);
    headlessQueueInput(typed);
    char name[] = "salvo";
    char* argv[] = {name, nullptr};
    try {
        GAME_ASSERT(salvoMain(1, argv) == 0);
    } catch (const HeadlessExit& e) {
        // Only the end of input or a line beginning with "-" ends a game.
        GAME_ASSERT(e.status == 0);
        std::size_t unread = unreadLines();
        if (unread > 0) {
            std::vector<std::string_view> lines = linesRead(typed);
            GAME_ASSERT(unread < lines.size() && lines[lines.size() - unread - 1][0] == '-');
        }
        return 0;
    }
    unreadLines();
    return 0;
}
