// The console on Windows: the kernel32 calls are the real ones, straight
// from <windows.h>. This file adds reading a line and giving the console
// back as it was found (the input code page the game switches to UTF-8).
#include <cstdio>
#include <cstdlib>

#include "platform/console.h"

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

}  // namespace

bool platformReadLine(char* buf, int size) {
    if (std::fgets(buf, size, stdin)) return true;
    buf[0] = '\0';
    return false;
}

void platformRestoreTerminal() noexcept {
    if (InterlockedExchange(&ownsConsole, 0) == 0) return;
    if (savedInputCodePage != 0) SetConsoleCP(savedInputCodePage);
}
