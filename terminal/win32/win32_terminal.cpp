// The Windows console, through kernel32. The game draws on a screen buffer
// of its own, 80 x 25, a whole frame a call; and every way out (the end of
// main, the quit line, Ctrl-C, Ctrl-Break, the window closed, a failed
// assertion) makes the player's buffer the active one again and puts back
// the console modes and both code pages.
#include "terminal/win32/win32_terminal.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <array>
#include <cstdio>
#include <cstdlib>

namespace {

// Taking the console and giving it back are done under this lock: the
// control handler runs on a thread of its own, and gives the console back
// while the game's thread may be doing the same, or still taking it.
SRWLOCK consoleLock = SRWLOCK_INIT;
bool asked = false;  // the game has shown its first frame
bool taken = false;  // what is below is ours to give back

// The console as the game found it.
HANDLE shownBuffer = nullptr;  // the buffer on the screen, or null: the game draws on the standard output
HANDLE gameBuffer = nullptr;   // the game's own buffer, or null
HANDLE inputHandle = nullptr;
SMALL_RECT shownWindow{};  // the part of it in the window
bool shownWindowKnown = false;
DWORD outputMode = 0;
DWORD inputMode = 0;
bool outputModeKnown = false;
bool inputModeKnown = false;
UINT inputCodePage = 0;  // 0: no console to ask
UINT outputCodePage = 0;
// The line written on the player's own buffer when the game ends.
char farewellLine[TERMINAL_FAREWELL_MAX];
DWORD farewellLength = 0;

void restore() noexcept;

BOOL WINAPI onControl(DWORD) {
    // Ctrl-C, Ctrl-Break, the window closed (the process is ended as soon
    // as this returns), logoff, shutdown.
    restore();
    return FALSE;  // go on to the default handler, which ends the program
}

// Notes what the game will change and makes its own buffer the active one.
// Without a console on the standard output (redirected), or without a buffer
// of its own, the game draws on the standard output as it is.
void takeConsole() {
    inputCodePage = GetConsoleCP();
    outputCodePage = GetConsoleOutputCP();
    inputHandle = GetStdHandle(STD_INPUT_HANDLE);
    inputModeKnown = GetConsoleMode(inputHandle, &inputMode) != 0;

    DWORD mode = 0;
    if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) {
        // The buffer the player sees, by a handle of its own: wine's standard
        // output handle follows whichever buffer is active.
        HANDLE shown = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
        if (shown != INVALID_HANDLE_VALUE) {
            HANDLE game = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                    nullptr, CONSOLE_TEXTMODE_BUFFER, nullptr);
            if (game != INVALID_HANDLE_VALUE) {
                shownBuffer = shown;
                gameBuffer = game;
                outputModeKnown = GetConsoleMode(shown, &outputMode) != 0;
                CONSOLE_SCREEN_BUFFER_INFO info;
                shownWindowKnown = GetConsoleScreenBufferInfo(shown, &info) != 0;
                if (shownWindowKnown) shownWindow = info.srWindow;
            } else {
                CloseHandle(shown);
            }
        }
    }

    std::atexit([] { restore(); });
    SetConsoleCtrlHandler(onControl, TRUE);
    taken = true;
    if (gameBuffer) SetConsoleActiveScreenBuffer(gameBuffer);
    // The game's 80 x 25: the window is sized before the buffer. Typed
    // lines come in UTF-8.
    HANDLE out = gameBuffer ? gameBuffer : GetStdHandle(STD_OUTPUT_HANDLE);
    SMALL_RECT window{0, 0, SCREEN_WIDTH - 1, SCREEN_HEIGHT - 1};
    SetConsoleWindowInfo(out, TRUE, &window);
    SetConsoleScreenBufferSize(out, COORD{SCREEN_WIDTH, SCREEN_HEIGHT});
    SetConsoleCP(65001);
}

// The output handle the game draws on, the console taken on the first call.
// Once given back, the game's buffer stays the game's: whatever it still
// draws before the end is drawn off the screen.
HANDLE gameOutput() {
    AcquireSRWLockExclusive(&consoleLock);
    if (!asked) {
        asked = true;
        takeConsole();
    }
    HANDLE out = gameBuffer ? gameBuffer : GetStdHandle(STD_OUTPUT_HANDLE);
    ReleaseSRWLockExclusive(&consoleLock);
    return out;
}

// A real console shows a cell holding 0 as a blank; wine's terminal console
// shows it as "?": a blank goes in its place.
void show(const Frame& frame, const Coord* cursor) {
    HANDLE out = gameOutput();
    std::array<CHAR_INFO, SCREEN_WIDTH * SCREEN_HEIGHT> cells;
    for (std::size_t i = 0; i < cells.size(); i++) {
        cells[i].Char.UnicodeChar = frame[i].ch == 0 ? L' ' : static_cast<WCHAR>(frame[i].ch);
        cells[i].Attributes = static_cast<WORD>(frame[i].attr);
    }
    SMALL_RECT area{0, 0, SCREEN_WIDTH - 1, SCREEN_HEIGHT - 1};
    WriteConsoleOutputW(out, cells.data(), COORD{SCREEN_WIDTH, SCREEN_HEIGHT}, COORD{0, 0}, &area);
    if (cursor) SetConsoleCursorPosition(out, COORD{static_cast<SHORT>(cursor->x), static_cast<SHORT>(cursor->y)});
}

// Typed lines, as the C library reads them: each byte a character, a newline Enter.
TerminalEvent nextEvent(bool) {
    int c = std::fgetc(stdin);
    if (c == EOF) return {EventKind::End, 0, {0, 0}};
    if (c == '\n') return {EventKind::Enter, 0, {0, 0}};
    return {EventKind::Char, static_cast<unsigned char>(c), {0, 0}};
}

void pause(int milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

void restore() noexcept {
    AcquireSRWLockExclusive(&consoleLock);
    if (taken) {
        taken = false;
        if (shownBuffer) SetConsoleActiveScreenBuffer(shownBuffer);
        // The window as it was too, wherever the game's 80 x 25 has left it.
        if (shownWindowKnown) SetConsoleWindowInfo(shownBuffer, TRUE, &shownWindow);
        if (outputModeKnown) SetConsoleMode(shownBuffer, outputMode);
        if (inputModeKnown) SetConsoleMode(inputHandle, inputMode);
        if (inputCodePage != 0) SetConsoleCP(inputCodePage);
        if (outputCodePage != 0) SetConsoleOutputCP(outputCodePage);
        DWORD written = 0;
        HANDLE out = shownBuffer ? shownBuffer : GetStdHandle(STD_OUTPUT_HANDLE);
        if (farewellLength > 0) WriteFile(out, farewellLine, farewellLength, &written, nullptr);
        farewellLength = 0;
    }
    ReleaseSRWLockExclusive(&consoleLock);
}

void farewell(const char* line) {
    AcquireSRWLockExclusive(&consoleLock);
    farewellLength = 0;
    while (farewellLength < sizeof farewellLine && line[farewellLength] != '\0') {
        farewellLine[farewellLength] = line[farewellLength];
        farewellLength++;
    }
    ReleaseSRWLockExclusive(&consoleLock);
}

// What was typed at the console and not yet read.
void dropTyped() {
    DWORD mode = 0;
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    if (GetConsoleMode(in, &mode)) FlushConsoleInputBuffer(in);
}



// The console shows its colours whatever the option says, and keeps typed
// squares only: its line input knows no arrow keys.
void setColour(ColourChoice) {}

bool showsColour() { return true; }

void setMouse(MouseChoice) {}

bool echoes() { return false; }

Coord size() { return {SCREEN_WIDTH, SCREEN_HEIGHT}; }

bool inSight() { return true; }

constexpr TerminalBackend WIN32_CONSOLE{show, nextEvent, pause,     setColour, showsColour, setMouse,         echoes,
                                        size, inSight,   dropTyped, restore,   farewell,    terminalClockSeed};

}  // namespace

const TerminalBackend* win32Terminal() { return &WIN32_CONSOLE; }
