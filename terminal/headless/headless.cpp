#include "terminal/headless/headless.h"

#include <cstring>
#include <utility>

namespace {

Frame screen{};
Coord cursor{0, 0};
int writes = 0;
int sleeps = 0;
std::string input;
std::function<void(const Frame&, Coord)> frameHook;
std::function<bool(char*, int)> readHook;
std::function<void(int)> pauseHook;
std::function<void()> dropHook;
std::function<bool()> awaitHook;
std::string farewellLine;
unsigned seed = 1;
ColourChoice colour = ColourChoice::Auto;
const TerminalAim* aimSet = nullptr;

void show(const Frame& frame, const Coord* at) {
    screen = frame;
    if (at) cursor = *at;
    writes++;
    if (frameHook) frameHook(screen, cursor);
}

bool readLine(char* buf, int size) {
    if (readHook) return readHook(buf, size);
    buf[0] = '\0';
    if (input.empty() || size < 2) return false;
    std::size_t room = static_cast<std::size_t>(size) - 1;
    std::size_t end = input.find('\n');
    std::size_t take = end == std::string::npos ? input.size() : end + 1;
    if (take > room) take = room;
    std::memcpy(buf, input.data(), take);
    buf[take] = '\0';
    input.erase(0, take);
    return true;
}

void pause(int milliseconds) {
    sleeps++;
    if (pauseHook) pauseHook(milliseconds);
}

// Colour unless asked for none: there is no terminal to ask.
void setColour(ColourChoice choice) { colour = choice; }
bool showsColour() { return colour != ColourChoice::Never; }

// No keys here, only lines: the aim is only kept.
void aim(const TerminalAim* a) { aimSet = a; }

void restore() noexcept {}

void exitWith(int status) { throw HeadlessExit{status}; }

unsigned randomSeed() { return seed; }

void farewell(const char* line) { farewellLine = line; }

void dropTyped() {
    if (dropHook) dropHook();
}

bool awaitSight() { return awaitHook && awaitHook(); }

constexpr TerminalBackend HEADLESS{show,     readLine,   pause,    setColour, showsColour, aim,       restore,
                                   exitWith, randomSeed, farewell, dropTyped, awaitSight};

}  // namespace

const TerminalBackend* headlessTerminal() { return &HEADLESS; }

const TerminalAim* headlessAim() { return aimSet; }

const Frame& headlessScreen() { return screen; }

Coord headlessCursor() { return cursor; }

std::string headlessRow(int y) {
    std::string row;
    if (y < 0 || y >= SCREEN_HEIGHT) return row;
    for (int x = 0; x < SCREEN_WIDTH; x++) {
        unsigned ch = screen[static_cast<std::size_t>(x + y * SCREEN_WIDTH)].ch;
        row += ch == 0 ? ' ' : static_cast<char>(ch);
    }
    row.erase(row.find_last_not_of(' ') + 1);
    return row;
}

int headlessWrites() { return writes; }

int headlessSleeps() { return sleeps; }

void headlessQueueInput(std::string_view text) { input += text; }

void headlessOnFrame(std::function<void(const Frame&, Coord)> onFrame) { frameHook = std::move(onFrame); }

void headlessOnRead(std::function<bool(char*, int)> onRead) { readHook = std::move(onRead); }

void headlessOnPause(std::function<void(int)> onPause) { pauseHook = std::move(onPause); }

void headlessOnDrop(std::function<void()> onDrop) { dropHook = std::move(onDrop); }

void headlessOnAwait(std::function<bool()> onAwait) { awaitHook = std::move(onAwait); }

std::string headlessFarewell() { return farewellLine; }

void headlessSetSeed(unsigned value) { seed = value; }

void headlessReset() {
    frameHook = nullptr;
    readHook = nullptr;
    pauseHook = nullptr;
    dropHook = nullptr;
    awaitHook = nullptr;
    farewellLine.clear();
    screen = {};
    cursor = {0, 0};
    writes = 0;
    sleeps = 0;
    input.clear();
    seed = 1;
    colour = ColourChoice::Auto;
    aimSet = nullptr;
}
