// The console on Windows: the kernel32 calls are the real ones, straight
// from <windows.h>. This file adds reading a line, giving the console back
// as it was found (the input code page the game switches to UTF-8), and
// blanks for the cells that hold 0.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/console.h"

// Here the names are kernel32's own again.
#undef WriteConsoleOutputA
#undef WriteConsoleOutputW

namespace {

UINT savedInputCodePage = 0;
volatile LONG ownsConsole = 0;

BOOL WINAPI onControl(DWORD) {
    platformRestoreTerminal();
    return FALSE;  // go on to the default handler, which ends the program
}

// Runs before main: note what we will change, and arrange to put it back.
struct ConsoleGuard {
    ConsoleGuard() {
        savedInputCodePage = GetConsoleCP();
        ownsConsole = 1;
        std::atexit([] { platformRestoreTerminal(); });
        SetConsoleCtrlHandler(onControl, TRUE);
    }
} guard;

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
    if (InterlockedExchange(&ownsConsole, 0) == 0) return;
    if (savedInputCodePage != 0) SetConsoleCP(savedInputCodePage);
}

// The console shows its colours whatever the option says, and keeps typed
// squares only: its line input knows no arrow keys.
void platformSetColour(ColourChoice) {}

bool platformShowsColour() { return true; }

void platformAim(const PlatformAim*) {}
