#include "terminal/terminal.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "terminal/game_assert.h"

namespace {

const TerminalBackend* backend = nullptr;

const TerminalBackend& use() {
    GAME_ASSERT(backend != nullptr);
    return *backend;
}

}  // namespace

void terminalUse(const TerminalBackend* b) { backend = b; }

void terminalShow(const Frame& frame, const Coord* cursor) { use().show(frame, cursor); }

TerminalEvent terminalNextEvent(bool wait) { return use().nextEvent(wait); }

void terminalPause(int milliseconds) { use().pause(milliseconds); }

void terminalSetColour(ColourChoice choice) { use().setColour(choice); }

bool terminalShowsColour() { return use().showsColour(); }

void terminalSetMouse(MouseChoice choice) { use().setMouse(choice); }

bool terminalEchoes() { return use().echoes(); }

Coord terminalSize() { return use().size(); }

bool terminalInSight() { return use().inSight(); }

void terminalDropTyped() { use().dropTyped(); }

void terminalRestore() noexcept {
    if (backend) backend->restore();
}

void terminalFarewell(const char* line) { use().farewell(line); }

unsigned terminalRandomSeed() { return use().randomSeed(); }

unsigned terminalClockSeed() {
    return static_cast<unsigned>(static_cast<std::uint64_t>(std::time(nullptr)) & 0xffffffffu);
}

bool terminalColourWanted(ColourChoice choice, const char* noColor, bool terminalHasColour) {
    switch (choice) {
        case ColourChoice::Always: return true;
        case ColourChoice::Never: return false;
        case ColourChoice::Auto: break;
    }
    return !(noColor && *noColor) && terminalHasColour;
}

void assertFailed(const char* condition, const char* file, int line) noexcept {
    // The alternate screen would swallow the message: give the terminal back first.
    terminalRestore();
    std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", condition, file, line);
    std::fflush(stderr);
    std::abort();
}
