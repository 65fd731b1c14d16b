// The console on Windows: the kernel32 calls are the real ones, straight
// from <windows.h>. This file adds reading a line, blanks for the cells that
// hold 0, and the console left as it was found: the game draws on a screen
// buffer of its own, and every way out (the end of main, the quit line,
// Ctrl-C, Ctrl-Break, the window closed, a failed assertion) makes the
// player's buffer the active one again and puts back the console modes and
// both code pages.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/console.h"

// Here the names are kernel32's own again.
#undef GetStdHandle
#undef WriteConsoleOutputA
#undef WriteConsoleOutputW

namespace {

// Taking the console and giving it back are done under this lock: the
// control handler runs on a thread of its own, and gives the console back
// while the game's thread may be doing the same, or still taking it.
SRWLOCK consoleLock = SRWLOCK_INIT;
bool asked = false;  // the game has asked for its output handle
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

BOOL WINAPI onControl(DWORD) {
    // Ctrl-C, Ctrl-Break, the window closed (the process is ended as soon
    // as this returns), logoff, shutdown.
    platformRestoreTerminal();
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

    std::atexit([] { platformRestoreTerminal(); });
    SetConsoleCtrlHandler(onControl, TRUE);
    taken = true;
    if (gameBuffer) SetConsoleActiveScreenBuffer(gameBuffer);
}

// The cells as the console is to show them: a blank where the game's cell
// holds 0, as a real console would show it.
std::vector<CHAR_INFO> withBlanks(const CHAR_INFO* cells, COORD size) {
    std::vector<CHAR_INFO> shown(cells, cells + static_cast<std::size_t>(size.X) * static_cast<std::size_t>(size.Y));
    for (CHAR_INFO& cell : shown) {
        if (cell.Char.UnicodeChar == 0) cell.Char.UnicodeChar = L' ';
    }
    return shown;
}

}  // namespace

HANDLE platformGetStdHandle(DWORD which) {
    if (which != STD_OUTPUT_HANDLE) return GetStdHandle(which);
    AcquireSRWLockExclusive(&consoleLock);
    if (!asked) {
        asked = true;
        takeConsole();
    }
    // Once given back, the game's buffer stays the game's: whatever it still
    // draws before the end is drawn off the screen.
    HANDLE out = gameBuffer ? gameBuffer : GetStdHandle(STD_OUTPUT_HANDLE);
    ReleaseSRWLockExclusive(&consoleLock);
    return out;
}

BOOL platformWriteConsoleOutputA(HANDLE out, const CHAR_INFO* cells, COORD size, COORD from, SMALL_RECT* area) {
    return WriteConsoleOutputA(out, withBlanks(cells, size).data(), size, from, area);
}

BOOL platformWriteConsoleOutputW(HANDLE out, const CHAR_INFO* cells, COORD size, COORD from, SMALL_RECT* area) {
    return WriteConsoleOutputW(out, withBlanks(cells, size).data(), size, from, area);
}

bool platformReadLine(char* buf, int size) {
    if (std::fgets(buf, size, stdin)) return true;
    buf[0] = '\0';
    return false;
}

void platformRestoreTerminal() noexcept {
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
    }
    ReleaseSRWLockExclusive(&consoleLock);
}

// The console shows its colours whatever the option says, and keeps typed
// squares only: its line input knows no arrow keys.
void platformSetColour(ColourChoice) {}

bool platformShowsColour() { return true; }

void platformAim(const PlatformAim*) {}
