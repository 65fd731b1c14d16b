// salvo: a naval battle against the computer, in the terminal.
#include "game/program.h"
#include "terminal/terminal.h"
#ifdef _WIN32
#include "terminal/win32/win32_terminal.h"
#else
#include "terminal/posix/posix_terminal.h"
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    terminalUse(win32Terminal());
#else
    terminalUse(posixTerminal());
#endif
    return salvoMain(argc, argv);
}
