// The console on a POSIX terminal: the game's frames go to the alternate
// screen as ANSI sequences, one write() a frame, and the terminal is given
// back as it was found on every way out.
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/console.h"
#include "platform/posix/ansi_frame.h"

namespace {

constexpr std::string_view ENTER = "\x1b[?1049h";
constexpr std::string_view LEAVE = "\x1b[0m\x1b[?25h\x1b[?1049l";

termios savedMode{};
bool started = false;
bool stdinIsTty = false;
bool stdoutIsTty = false;
volatile std::sig_atomic_t ownsTerminal = 0;
volatile std::sig_atomic_t mustRepaint = 0;  // resized, or back from a stop

AnsiScreen screen;
std::array<CHAR_INFO, ANSI_COLS * ANSI_ROWS> lastFrame{};
COORD cursorWanted{0, 0};
int stdHandle = 0;

void writeAll(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void setEcho(bool on) {
    if (!stdinIsTty) return;
    termios mode = savedMode;
    // Canonical input stays (the terminal's own line editing), and so do the
    // signal keys. Echo only while a line is read: keys typed while the
    // computer plays wait silently for the next prompt instead of landing
    // on the board.
    if (on) {
        mode.c_lflag |= ECHO;
    } else {
        mode.c_lflag &= static_cast<tcflag_t>(~ECHO);
    }
    while (tcsetattr(STDIN_FILENO, TCSANOW, &mode) < 0 && errno == EINTR) {
    }
}

// Takes the terminal: alternate screen, no echo. Async-signal-safe.
void takeTerminal() {
    if (stdoutIsTty) (void)!write(STDOUT_FILENO, ENTER.data(), ENTER.size());
    setEcho(false);
    ownsTerminal = 1;
}

void readTerminalSize() {
    winsize ws{};
    if (stdoutIsTty && ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0) {
        screen.rows = ws.ws_row;
        screen.cols = ws.ws_col;
    } else {
        screen.rows = ANSI_ROWS;
        screen.cols = ANSI_COLS;
    }
}

// Delivers sig with its default action at once: the handler runs with sig
// blocked, so unblock it first.
void raiseDefault(int sig) {
    std::signal(sig, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, sig);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    std::raise(sig);
}

void onFatalSignal(int sig) {
    platformRestoreTerminal();
    raiseDefault(sig);
}

void onResize(int) { mustRepaint = 1; }

// Without SA_RESTART, a resize or a stop while waiting for a line interrupts
// the read, so that the screen can be drawn again at once.
void install(int sig, void (*handler)(int), int flags = 0) {
    struct sigaction sa{};
    sa.sa_handler = handler;
    sa.sa_flags = flags;
    sigemptyset(&sa.sa_mask);
    sigaction(sig, &sa, nullptr);
}

void onStop(int) {
    // Give the terminal back while stopped, take it again when continued.
    int saved = errno;
    bool owned = ownsTerminal != 0;
    platformRestoreTerminal();
    raiseDefault(SIGTSTP);
    // Continued.
    install(SIGTSTP, onStop);
    if (owned) takeTerminal();
    mustRepaint = 1;
    errno = saved;
}

void start() {
    if (started) return;
    started = true;
    stdinIsTty = isatty(STDIN_FILENO) != 0;
    stdoutIsTty = isatty(STDOUT_FILENO) != 0;
    if (stdinIsTty) tcgetattr(STDIN_FILENO, &savedMode);
    std::atexit([] { platformRestoreTerminal(); });
    // SIGABRT too: an exception nobody catches (the heap running out) ends in
    // abort, and the terminal must come back then as well.
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGABRT}) install(sig, onFatalSignal);
    // A terminal hands over whole lines, so an interrupted read loses
    // nothing; a pipe may be mid-line, and fgets would drop what it had.
    install(SIGWINCH, onResize, stdinIsTty ? 0 : SA_RESTART);
    if (stdinIsTty) install(SIGTSTP, onStop);
    readTerminalSize();
    takeTerminal();
}

void drawFrame(const CHAR_INFO* cells) {
    if (mustRepaint) {
        mustRepaint = 0;
        readTerminalSize();
        screen.known = false;
    }
    std::copy(cells, cells + lastFrame.size(), lastFrame.begin());
    writeAll(ansiFrame(screen, cells, cursorWanted));
}

BOOL writeOutput(const CHAR_INFO* cells, COORD size, COORD from, SMALL_RECT* area) {
    start();
    if (size.X != ANSI_COLS || size.Y != ANSI_ROWS || from.X != 0 || from.Y != 0) return FALSE;
    drawFrame(cells);
    if (area) *area = {0, 0, ANSI_COLS - 1, ANSI_ROWS - 1};
    return TRUE;
}

}  // namespace

HANDLE GetStdHandle(DWORD) {
    start();
    return &stdHandle;
}

// The terminal's size is the player's; the game draws into its 80 x 25
// corner of it and clips what does not fit.
BOOL SetConsoleWindowInfo(HANDLE, BOOL, const SMALL_RECT*) { return TRUE; }
BOOL SetConsoleScreenBufferSize(HANDLE, COORD) { return TRUE; }

// Terminals take UTF-8 already.
BOOL SetConsoleCP(UINT) { return TRUE; }

BOOL WriteConsoleOutputA(HANDLE, const CHAR_INFO* cells, COORD size, COORD from, SMALL_RECT* area) {
    return writeOutput(cells, size, from, area);
}

BOOL WriteConsoleOutputW(HANDLE, const CHAR_INFO* cells, COORD size, COORD from, SMALL_RECT* area) {
    return writeOutput(cells, size, from, area);
}

// The cursor goes where it is wanted at the end of the next frame: every
// frame ends with it.
BOOL SetConsoleCursorPosition(HANDLE, COORD pos) {
    cursorWanted = pos;
    return TRUE;
}

void Sleep(DWORD milliseconds) {
    timespec left{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) < 0 && errno == EINTR) {
        if (mustRepaint) drawFrame(lastFrame.data());
    }
}

bool platformReadLine(char* buf, int size) {
    start();
    setEcho(true);
    bool ok = false;
    for (;;) {
        if (std::fgets(buf, size, stdin)) {
            ok = true;
            break;
        }
        if (!std::ferror(stdin) || errno != EINTR) break;
        // A resize or a stop interrupted the wait: draw the screen again and
        // go on waiting for the same line.
        std::clearerr(stdin);
        if (mustRepaint) {
            drawFrame(lastFrame.data());
            setEcho(true);
        }
    }
    setEcho(false);
    if (!ok) buf[0] = '\0';
    // The terminal's echo of the line, and its Enter, changed the screen
    // behind our back: the next frame draws everything.
    screen.known = false;
    return ok;
}

void platformRestoreTerminal() noexcept {
    if (!ownsTerminal) return;
    ownsTerminal = 0;
    if (stdoutIsTty) (void)!write(STDOUT_FILENO, LEAVE.data(), LEAVE.size());
    if (stdinIsTty) tcsetattr(STDIN_FILENO, TCSANOW, &savedMode);
}
