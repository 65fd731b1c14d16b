#include "terminal/posix/session.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>

#include "terminal/posix/terminfo.h"
#include "terminal/posix/wait.h"

namespace {

bool started = false;
bool readsTerminal = false;    // standard input is a terminal
bool drawsOnTerminal = false;  // standard output is a terminal
int modesFd = -1;              // the terminal whose modes we set, or -1
termios savedMode{};           // its modes as we found them
bool pipeSignalIgnored = false;  // as we were started
int wakeFds[2] = {-1, -1};       // the self-pipe: signal handlers write, the wait for keys reads
char farewell[TERMINAL_FAREWELL_MAX];  // the line written when the program ends
// Mouse reporting, turned on with the terminal where terminfo says it
// reports the mouse, and off with every giving back; empty where not.
const char* mouseOn = "";
const char* mouseOff = "";

// Read by signal handlers.
volatile std::sig_atomic_t ownsTerminal = 0;
volatile std::sig_atomic_t mustRepaint = 0;  // resized, or back in the foreground
volatile std::sig_atomic_t outputGone = 0;
volatile std::sig_atomic_t screenRows = SCREEN_HEIGHT;
volatile std::sig_atomic_t farewellLength = 0;  // 0 while farewell is being written, or said

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
    if (drawsOnTerminal && !outputGone) {
        (void)writeRaw("\x1b[?1049h", 8);
        (void)writeRaw(mouseOn, std::strlen(mouseOn));
    }
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
        (void)writeRaw(mouseOff, std::strlen(mouseOff));
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

// Leaves for good: gives the terminal back, then writes the farewell line
// where the shell's prompt comes next, once. Not from a job in the
// background: the terminal is somebody else's then. Async-signal-safe.
void leave() {
    bool ours = ownsTerminal || (!drawsOnTerminal && started);
    giveBackTerminal();
    std::size_t n = static_cast<std::size_t>(farewellLength);
    farewellLength = 0;
    if (ours && n > 0 && !outputGone) (void)writeRaw(farewell, n);
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
    leave();
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

// Every frame goes out whole or the game ends: a write that fails for any
// other reason than the terminal going away (a full disk, say) is an error,
// reported as one.
void send(const std::string& bytes) {
    int err = writeRaw(bytes.data(), bytes.size());
    if (err == 0) return;
    if (err == EPIPE || err == EIO) sessionGone(err);
    outputGone = 1;
    giveBackTerminal();
    std::fprintf(stderr, "salvo: can't write to standard output: %s\n", std::strerror(err));
    _exit(1);
}

void readTerminalSize(Display& d) {
    winsize ws{};
    int rows = SCREEN_HEIGHT;
    int cols = SCREEN_WIDTH;
    if (drawsOnTerminal && ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0) {
        rows = ws.ws_row;
        cols = ws.ws_col;
    }
    screenRows = rows;
    displayRepaint(d, rows, cols);
}

EditingKeys editingKeys(const termios& mode) {
    auto key = [&mode](int which) {
        cc_t k = mode.c_cc[which];
        return k == static_cast<cc_t>(_POSIX_VDISABLE) ? static_cast<unsigned char>(0) : static_cast<unsigned char>(k);
    };
    return {key(VERASE), key(VKILL), key(VWERASE), key(VEOF)};
}

}  // namespace

void sessionStart(Display& d, KeyDecoder& k, ColourChoice colour, MouseChoice mouse) {
    if (started) return;
    started = true;
    readsTerminal = isatty(STDIN_FILENO) != 0;
    drawsOnTerminal = isatty(STDOUT_FILENO) != 0;
    const char* term = std::getenv("TERM");
    if (drawsOnTerminal && term && std::strcmp(term, "dumb") == 0) {
        std::fputs("salvo: a dumb terminal can't show the game (it needs a VT100-class terminal)\n", stderr);
        std::exit(1);
    }
    d.screen.colour = displayColour(colour, std::getenv("NO_COLOR"), terminfoColours(term));
    modesFd = readsTerminal && drawsOnTerminal ? STDIN_FILENO : drawsOnTerminal ? STDOUT_FILENO : -1;
    k.editing = readsTerminal && drawsOnTerminal;
    // The mouse is ours only where we read the keys, and the player wants it.
    TerminfoMouse reports = k.editing && mouse == MouseChoice::Auto ? terminfoMouse(term) : TerminfoMouse::None;
    if (reports != TerminfoMouse::None) {
        bool sgr = reports == TerminfoMouse::Sgr;
        mouseOn = sgr ? "\x1b[?1000h\x1b[?1006h" : "\x1b[?1000h";
        mouseOff = sgr ? "\x1b[?1006l\x1b[?1000l" : "\x1b[?1000l";
    }
    if (k.editing) {
        termios mode{};
        if (tcgetattr(STDIN_FILENO, &mode) == 0) k.settings = editingKeys(mode);
    }
    std::atexit([] { leave(); });
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
    readTerminalSize(d);
    takeTerminal();
}

bool sessionDraw(Display& d) {
    takeTerminal();
    if (drawsOnTerminal && !ownsTerminal) return false;
    bool sized = mustRepaint != 0;
    if (sized) {
        mustRepaint = 0;
        readTerminalSize(d);
    }
    send(displayShow(d));
    return sized;
}

void sessionGiveBack() noexcept { leave(); }

void sessionFarewell(const char* line) {
    // Emptied first: a signal meanwhile says nothing rather than half a line.
    farewellLength = 0;
    std::size_t n = std::min(std::strlen(line), sizeof farewell);
    std::memcpy(farewell, line, n);
    farewellLength = static_cast<std::sig_atomic_t>(n);
}

bool sessionShowsGame(const Display& d) { return !drawsOnTerminal || (ownsTerminal && displayFits(d)); }

void sessionDropTyped(KeyDecoder& k) {
    if (!readsTerminal) return;
    tcflush(STDIN_FILENO, TCIFLUSH);
    keysDrop(k);
}

bool sessionReadsTerminal() { return readsTerminal; }

bool sessionDrawsOnTerminal() { return drawsOnTerminal; }

bool sessionInForeground(int fd) { return inForeground(fd); }

int sessionWakeFd() { return wakeFds[0]; }

// Nothing more can be shown: end as a program whose output was cut off
// does, by SIGPIPE, unless we were started with it ignored.
void sessionGone(int err) {
    outputGone = 1;
    giveBackTerminal();
    if (err == EPIPE && !pipeSignalIgnored) raiseDefault(SIGPIPE);
    _exit(1);
}
