#include "terminal/headless/headless.h"

#include <deque>
#include <utility>

namespace {

Frame screen{};
Coord cursor{0, 0};
int writes = 0;
std::deque<TerminalEvent> input;
std::function<void(const Frame&, Coord)> frameHook;
std::function<bool(char*, int)> readHook;
std::function<void()> needHook;
std::function<void(int)> pauseHook;
std::function<void()> dropHook;
std::function<bool()> sightHook;
unsigned seed = 1;
ColourChoice colour = ColourChoice::Auto;
bool echo = false;
std::string farewellLine;

void show(const Frame& frame, const Coord* at) {
    screen = frame;
    if (at) cursor = *at;
    writes++;
    if (frameHook) frameHook(screen, cursor);
}

// With the queue empty, input ends, unless a stand-in gives more.
TerminalEvent nextEvent(bool wait) {
    if (input.empty() && (readHook || needHook)) {
        if (!wait) return {};
        char buf[256] = "";
        if (needHook) {
            needHook();
        } else if (readHook(buf, sizeof buf)) {
            headlessQueueInput(buf);
        }
    }
    if (input.empty()) return {EventKind::End, 0, {0, 0}};
    TerminalEvent e = input.front();
    input.pop_front();
    return e;
}

void pause(int milliseconds) {
    if (pauseHook) pauseHook(milliseconds);
}

// Colour unless asked for none: there is no terminal to ask.
void setColour(ColourChoice choice) { colour = choice; }
bool showsColour() { return colour != ColourChoice::Never; }

void setMouse(MouseChoice) {}

bool echoes() { return echo; }

Coord size() { return {SCREEN_WIDTH, SCREEN_HEIGHT}; }

bool inSight() { return !sightHook || sightHook(); }

void dropTyped() {
    if (dropHook) dropHook();
}

void restore() noexcept {}

void farewell(const char* line) { farewellLine = line; }

unsigned randomSeed() { return seed; }

constexpr TerminalBackend HEADLESS{show,    nextEvent, pause,     setColour, showsColour, setMouse,  echoes,
                                   size,    inSight,   dropTyped, restore,   farewell,    randomSeed};

}  // namespace

const TerminalBackend* headlessTerminal() { return &HEADLESS; }

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


void headlessQueueInput(std::string_view text) {
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        input.push_back(byte == '\n' ? TerminalEvent{EventKind::Enter, 0, {0, 0}} : TerminalEvent{EventKind::Char, byte, {0, 0}});
    }
}

void headlessQueueEvents(const std::vector<TerminalEvent>& events) { input.insert(input.end(), events.begin(), events.end()); }

void headlessOnFrame(std::function<void(const Frame&, Coord)> onFrame) { frameHook = std::move(onFrame); }

void headlessOnRead(std::function<bool(char*, int)> onRead) { readHook = std::move(onRead); }

void headlessOnNeed(std::function<void()> onNeed) { needHook = std::move(onNeed); }

void headlessOnPause(std::function<void(int)> onPause) { pauseHook = std::move(onPause); }

void headlessOnDrop(std::function<void()> onDrop) { dropHook = std::move(onDrop); }

void headlessOnSight(std::function<bool()> onSight) { sightHook = std::move(onSight); }

void headlessEcho(bool on) { echo = on; }


std::string headlessFarewell() { return farewellLine; }

void headlessSetSeed(unsigned value) { seed = value; }

void headlessReset() {
    frameHook = nullptr;
    readHook = nullptr;
    needHook = nullptr;
    pauseHook = nullptr;
    dropHook = nullptr;
    sightHook = nullptr;
    farewellLine.clear();
    screen = {};
    cursor = {0, 0};
    writes = 0;
    input.clear();
    seed = 1;
    colour = ColourChoice::Auto;
    echo = false;
}
