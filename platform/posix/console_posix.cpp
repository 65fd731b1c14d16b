// The console on a POSIX terminal. The game's frames go to the alternate
// screen, one write() a frame carrying only what changed; the player's
// typing is read key by key and drawn by us through the same frames, so
// that we always know what the screen shows. The terminal is taken only in
// the foreground and given back as it was found on every way out.
//
// Who gets what:
// - standard input and output both a terminal: our own line editing and echo;
// - output a terminal, input a pipe: the game is drawn, typed keys are not echoed;
// - input a terminal, output elsewhere: the terminal's own line editing and
//   echo, and its modes are left alone;
// - neither: frames go out as they are, lines come in as they are.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/console.h"
#include "platform/posix/terminfo.h"
#include "platform/posix/tty.h"
#include "platform/posix/wait.h"

namespace {

Tty tty;
COORD cursorWanted{0, 0};
int stdHandle = 0;
bool started = false;
bool readsTerminal = false;    // standard input is a terminal
bool drawsOnTerminal = false;  // standard output is a terminal
int modesFd = -1;              // the terminal whose modes we set, or -1
termios savedMode{};           // its modes as we found them
ColourChoice colourChoice = ColourChoice::Auto;
bool pollTakesTerminals = true;  // not so on macOS: select() then
bool pipeSignalIgnored = false;  // as we were started
int wakeFds[2] = {-1, -1};       // the self-pipe: signal handlers write, the wait for keys reads

// Read by signal handlers.
volatile std::sig_atomic_t ownsTerminal = 0;
volatile std::sig_atomic_t mustRepaint = 0;  // resized, or back in the foreground
volatile std::sig_atomic_t outputGone = 0;
volatile std::sig_atomic_t screenRows = ANSI_ROWS;

bool inForeground(int fd) {
    pid_t group = tcgetpgrp(fd);
    return group < 0 || group == getpgrp();  // no controlling terminal: nobody to share with
}

// Writes all of bytes: after a short write the rest, and output that would
// block (a full pipe, a terminal set non-blocking by another program) is
// waited for. Returns 0, or the errno of the write that failed.
// Async-signal-safe.
int writeRaw(const char* bytes, std::size_t n) {
    while (n > 0) {
        ssize_t done = write(STDOUT_FILENO, bytes, n);
        if (done < 0 && errno == EINTR) continue;
        if (done < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            fd_set out;
            FD_ZERO(&out);
            FD_SET(STDOUT_FILENO, &out);
            select(STDOUT_FILENO + 1, nullptr, &out, nullptr, nullptr);
            continue;
        }
        if (done <= 0) return done < 0 ? errno : EIO;
        bytes += done;
        n -= static_cast<std::size_t>(done);
    }
    return 0;
}

// Takes the terminal if it is ours to take: our modes, the alternate
// screen, and a full repaint to come. Only in the foreground, where a
// background job would be stopped for it or draw over somebody else's
// screen. Async-signal-safe.
void takeTerminal() {
    if (ownsTerminal || (modesFd < 0 && !drawsOnTerminal)) return;
    if (modesFd >= 0) {
        if (!inForeground(modesFd) || tcgetattr(modesFd, &savedMode) < 0) return;
        termios mode = savedMode;
        // Keys one by one, with no echo: we draw them. The signal keys stay,
        // so Ctrl-C, Ctrl-Z and Ctrl-\ work as everywhere. Enter gives a
        // newline, and what we write goes out as it is.
        mode.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ECHONL | IEXTEN));
        mode.c_iflag |= ICRNL;
        mode.c_iflag &= static_cast<tcflag_t>(~(INLCR | IGNCR));
        mode.c_oflag &= static_cast<tcflag_t>(~OPOST);
        mode.c_cc[VMIN] = 1;
        mode.c_cc[VTIME] = 0;
        while (tcsetattr(modesFd, TCSANOW, &mode) < 0 && errno == EINTR) {
        }
    }
    if (drawsOnTerminal && !outputGone) (void)writeRaw("\x1b[?1049h", 8);
    ownsTerminal = 1;
    mustRepaint = 1;
}

// Gives the terminal back as it was found: colours, no scroll region, the
// cursor shown at the bottom left (where the shell's prompt comes next, below
// the game, on a terminal without an alternate screen), the normal screen,
// and the modes. Idempotent and async-signal-safe.
void giveBackTerminal() {
    if (!ownsTerminal) return;
    ownsTerminal = 0;
    if (drawsOnTerminal && !outputGone) {
        char leave[64] = "\x1b[m\x1b[r\x1b[";
        std::size_t n = std::strlen(leave);
        char digits[8];
        int d = 0;
        for (int rows = screenRows > 0 ? static_cast<int>(screenRows) : 1; rows > 0 && d < 8; rows /= 10) {
            digits[d++] = static_cast<char>('0' + rows % 10);
        }
        while (d > 0) leave[n++] = digits[--d];
        const char tail[] = "H\n\x1b[?25h\x1b[?1049l";
        std::memcpy(leave + n, tail, sizeof tail - 1);
        (void)writeRaw(leave, n + sizeof tail - 1);
    }
    if (modesFd >= 0) tcsetattr(modesFd, TCSANOW, &savedMode);
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

// Without SA_RESTART: a resize or a return to the foreground interrupts a
// pause, so the screen is drawn again at once.
void install(int sig, void (*handler)(int)) {
    struct sigaction sa{};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    sigaction(sig, &sa, nullptr);
}

bool ignoredAtStart(int sig) {
    struct sigaction old{};
    return sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN;
}

// Takes sig over, unless we were started with it ignored: then it stays
// ignored, as nohup and a shell's background jobs want.
void adopt(int sig, void (*handler)(int)) {
    if (!ignoredAtStart(sig)) install(sig, handler);
}

// Wakes the wait for keys, so that the screen is drawn at once: a signal
// that comes just before the wait would otherwise wait for the next key.
// Async-signal-safe.
void wake() {
    int saved = errno;
    if (wakeFds[1] >= 0) (void)!write(wakeFds[1], "", 1);
    errno = saved;
}

void onFatalSignal(int sig) {
    giveBackTerminal();
    raiseDefault(sig);
}

void onResize(int) {
    mustRepaint = 1;
    wake();
}

// Ctrl-Z gives the terminal back while stopped. A background job that
// touches the terminal (SIGTTIN, SIGTTOU) is stopped too; the terminal is
// somebody else's then, so it is only let go of. Either way it is taken
// again when continued, if in the foreground.
void onStop(int sig) {
    int saved = errno;
    if (sig == SIGTSTP) {
        giveBackTerminal();
    } else {
        ownsTerminal = 0;
    }
    raiseDefault(sig);
    install(sig, onStop);
    takeTerminal();
    mustRepaint = 1;
    wake();
    errno = saved;
}

void onContinue(int) {
    int saved = errno;
    takeTerminal();
    mustRepaint = 1;
    wake();
    errno = saved;
}

// The terminal went away (its reader ended, or it hung up): nothing more
// can be shown. Restore the modes, and end as a program whose output was
// cut off does: by SIGPIPE, unless we were started with it ignored.
[[noreturn]] void terminalGone(int err) {
    outputGone = 1;
    giveBackTerminal();
    if (err == EPIPE && !pipeSignalIgnored) raiseDefault(SIGPIPE);
    _exit(1);
}

// Every frame goes out whole or the game ends: a write that fails for any
// other reason than the terminal going away (a full disk, say) is an error,
// reported as one.
void send(const std::string& bytes) {
    int err = writeRaw(bytes.data(), bytes.size());
    if (err == 0) return;
    if (err == EPIPE || err == EIO) terminalGone(err);
    outputGone = 1;
    giveBackTerminal();
    std::fprintf(stderr, "salvo: can't write to standard output: %s\n", std::strerror(err));
    _exit(1);
}

void readTerminalSize() {
    winsize ws{};
    int rows = ANSI_ROWS;
    int cols = ANSI_COLS;
    if (drawsOnTerminal && ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0) {
        rows = ws.ws_row;
        cols = ws.ws_col;
    }
    screenRows = rows;
    ttyRepaint(tty, rows, cols);
}

// Brings the screen up to date, unless it is not ours to draw on now (a
// job in the background): then it is drawn whole on coming back.
void draw() {
    takeTerminal();
    if (drawsOnTerminal && !ownsTerminal) return;
    if (mustRepaint) {
        mustRepaint = 0;
        readTerminalSize();
    }
    send(ttyShow(tty));
}

TtyKeys editingKeys(const termios& mode) {
    auto key = [&mode](int which) {
        cc_t k = mode.c_cc[which];
        return k == static_cast<cc_t>(_POSIX_VDISABLE) ? static_cast<unsigned char>(0) : static_cast<unsigned char>(k);
    };
    return {key(VERASE), key(VKILL), key(VWERASE), key(VEOF)};
}

void start() {
    if (started) return;
    started = true;
    readsTerminal = isatty(STDIN_FILENO) != 0;
    drawsOnTerminal = isatty(STDOUT_FILENO) != 0;
    const char* term = std::getenv("TERM");
    if (drawsOnTerminal && term && std::strcmp(term, "dumb") == 0) {
        std::fputs("salvo: a dumb terminal can't show the game (it needs a VT100-class terminal)\n", stderr);
        std::exit(1);
    }
    tty.screen.colour = ttyColour(colourChoice, std::getenv("NO_COLOR"), terminfoColours(term));
    modesFd = readsTerminal && drawsOnTerminal ? STDIN_FILENO : drawsOnTerminal ? STDOUT_FILENO : -1;
    tty.editing = readsTerminal && drawsOnTerminal;
    if (tty.editing) {
        termios mode{};
        if (tcgetattr(STDIN_FILENO, &mode) == 0) tty.keys = editingKeys(mode);
    }
    std::atexit([] { giveBackTerminal(); });
    if (pipe(wakeFds) == 0) {
        for (int fd : wakeFds) {
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
            fcntl(fd, F_SETFD, FD_CLOEXEC);
        }
    }
    // A reader that goes away shows as EPIPE from write.
    pipeSignalIgnored = ignoredAtStart(SIGPIPE);
    std::signal(SIGPIPE, SIG_IGN);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) adopt(sig, onFatalSignal);
    // SIGABRT always: abort() can't be ignored, and an exception nobody
    // catches (the heap running out) ends in it.
    install(SIGABRT, onFatalSignal);
    adopt(SIGWINCH, onResize);
    if (modesFd >= 0) {
        for (int sig : {SIGTSTP, SIGTTIN, SIGTTOU}) adopt(sig, onStop);
        adopt(SIGCONT, onContinue);
    }
    readTerminalSize();
    takeTerminal();
}

BOOL writeOutput(const CHAR_INFO* cells, COORD size, COORD from, SMALL_RECT* area) {
    start();
    if (size.X != ANSI_COLS || size.Y != ANSI_ROWS || from.X != 0 || from.Y != 0) return FALSE;
    ttyKeepFrame(tty, cells, cursorWanted);
    draw();
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
    while (nanosleep(&left, &left) < 0 && errno == EINTR) draw();
}

namespace {

// Waits until standard input has something, or a signal wants the screen
// drawn again; the output's reader going away while the player thinks ends
// the game at once, not on its next write. A background job reading the
// terminal skips the wait: its read stops it until it is brought back, as a
// job that wants the terminal should. False when there is something to draw.
bool waitForKeys() {
    if (readsTerminal && !inForeground(STDIN_FILENO)) return true;
    switch (waitFor(STDIN_FILENO, STDOUT_FILENO, wakeFds[0], !pollTakesTerminals)) {
        case Woken::Keys: return true;
        case Woken::Signal: return false;
        case Woken::Gone: terminalGone(drawsOnTerminal ? EIO : EPIPE);
        case Woken::NoPoll:
            pollTakesTerminals = false;
            return false;
    }
    return false;
}

}  // namespace

bool platformReadLine(char* buf, int size) {
    start();
    tty.reading = true;
    for (;;) {
        TtyRead got = ttyRead(tty, buf, size);
        if (got != TtyRead::More) {
            tty.reading = false;
            return got == TtyRead::Line;
        }
        // Show the line as typed so far (and anything a resize or a return
        // to the foreground needs), then wait for more keys.
        draw();
        if (!waitForKeys()) continue;
        char keys[4096];
        ssize_t n = read(STDIN_FILENO, keys, sizeof keys);
        if (n > 0) {
            tty.input.append(keys, static_cast<std::size_t>(n));
        } else if ((n < 0 && errno == EIO && readsTerminal) || (n == 0 && tty.editing)) {
            terminalGone(EIO);  // hung up: a key at a time, only a hangup reads nothing
        } else if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
            ttyEndOfInput(tty);
        }
    }
}

void platformRestoreTerminal() noexcept { giveBackTerminal(); }

void platformSetColour(ColourChoice choice) { colourChoice = choice; }

bool platformShowsColour() {
    start();
    return tty.screen.colour;
}

void platformAim(const PlatformAim* aim) { ttyAim(tty, aim); }
