// What a program on a real console does, the same on every system: it ends
// through std::exit, so that the exit handlers give the terminal back, and it
// seeds each game from the clock.
#include <cstdint>
#include <cstdlib>
#include <ctime>

#include "platform/console.h"

void platformExit(int status) { std::exit(status); }

unsigned platformRandomSeed() {
    return static_cast<unsigned>(static_cast<std::uint64_t>(std::time(nullptr)) & 0xffffffffu);
}
