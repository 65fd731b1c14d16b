#include "platform/headless/headless.h"

#include <array>
#include <cstring>
#include <utility>

namespace {

constexpr int WIDTH = 80;
constexpr int HEIGHT = 25;

std::array<CHAR_INFO, WIDTH * HEIGHT> screen{};
COORD cursor{0, 0};
int writes = 0;
int sleeps = 0;
std::string input;
std::function<void(const CHAR_INFO*, COORD)> frameHook;
std::function<bool(char*, int)> readHook;
std::function<void(unsigned)> pauseHook;
unsigned seed = 1;
ColourChoice colour = ColourChoice::Auto;
const PlatformAim* aimSet = nullptr;

int stdHandle = 0;

BOOL writeFrame(const CHAR_INFO* cells, COORD size, COORD from, SMALL_RECT* area) {
    if (size.X != WIDTH || size.Y != HEIGHT || from.X != 0 || from.Y != 0) return FALSE;
    std::memcpy(screen.data(), cells, sizeof screen);
    if (area) *area = {0, 0, WIDTH - 1, HEIGHT - 1};
    writes++;
    if (frameHook) frameHook(screen.data(), cursor);
    return TRUE;
}

}  // namespace

HANDLE GetStdHandle(DWORD) { return &stdHandle; }
BOOL SetConsoleWindowInfo(HANDLE, BOOL, const SMALL_RECT*) { return TRUE; }
BOOL SetConsoleScreenBufferSize(HANDLE, COORD) { return TRUE; }
BOOL SetConsoleCP(UINT) { return TRUE; }

BOOL WriteConsoleOutputA(HANDLE, const CHAR_INFO* cells, COORD size, COORD from, SMALL_RECT* area) {
    return writeFrame(cells, size, from, area);
}

BOOL WriteConsoleOutputW(HANDLE, const CHAR_INFO* cells, COORD size, COORD from, SMALL_RECT* area) {
    return writeFrame(cells, size, from, area);
}

BOOL SetConsoleCursorPosition(HANDLE, COORD pos) {
    cursor = pos;
    return TRUE;
}

void Sleep(DWORD milliseconds) {
    sleeps++;
    if (pauseHook) pauseHook(milliseconds);
}

bool platformReadLine(char* buf, int size) {
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

void platformRestoreTerminal() noexcept {}

void platformExit(int status) { throw HeadlessExit{status}; }

unsigned platformRandomSeed() { return seed; }

// Colour unless asked for none: there is no terminal to ask.
void platformSetColour(ColourChoice choice) { colour = choice; }

bool platformShowsColour() { return colour != ColourChoice::Never; }

// No keys here, only lines: the aim is only kept.
void platformAim(const PlatformAim* aim) { aimSet = aim; }

const PlatformAim* headlessAim() { return aimSet; }

const CHAR_INFO* headlessScreen() { return screen.data(); }

COORD headlessCursor() { return cursor; }

std::string headlessRow(int y) {
    std::string row;
    for (int x = 0; x < WIDTH; x++) {
        unsigned ch = screen[static_cast<std::size_t>(x + y * WIDTH)].Char.UnicodeChar;
        row += ch == 0 ? ' ' : static_cast<char>(ch);
    }
    row.erase(row.find_last_not_of(' ') + 1);
    return row;
}

int headlessWrites() { return writes; }

int headlessSleeps() { return sleeps; }

void headlessQueueInput(std::string_view text) { input += text; }

void headlessOnFrame(std::function<void(const CHAR_INFO*, COORD)> onFrame) { frameHook = std::move(onFrame); }

void headlessOnRead(std::function<bool(char*, int)> onRead) { readHook = std::move(onRead); }

void headlessOnPause(std::function<void(unsigned milliseconds)> onPause) { pauseHook = std::move(onPause); }

void headlessSetSeed(unsigned value) { seed = value; }

void headlessReset() {
    frameHook = nullptr;
    readHook = nullptr;
    pauseHook = nullptr;
    screen = {};
    cursor = {0, 0};
    writes = 0;
    sleeps = 0;
    input.clear();
    seed = 1;
    colour = ColourChoice::Auto;
    aimSet = nullptr;
}
