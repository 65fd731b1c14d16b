#include "terminal/posix/posix_terminal.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "terminal/posix/session.h"
#include "terminal/posix/wait.h"

namespace {

Display display;
Keys keys;
ColourChoice colourChoice = ColourChoice::Auto;
bool pollTakesTerminals = true;  // not so on macOS: select() then

void start() { sessionStart(display, keys, colourChoice); }

void show(const Frame& frame, const Coord* cursor) {
    start();
    displayKeepFrame(display, frame, cursor);
    sessionDraw(display, keys);
}

// Waits until standard input has something, or a signal wants the screen
// drawn again; the output's reader going away while the player thinks ends
// the game at once, not on its next write. A background job reading the
// terminal skips the wait: its read stops it until it is brought back, as a
// job that wants the terminal should. False when there is something to draw.
bool waitForKeys() {
    if (sessionReadsTerminal() && !sessionInForeground(STDIN_FILENO)) return true;
    // Input that has ended has nothing more to wait for: only a signal then.
    switch (waitFor(keys.ended ? -1 : STDIN_FILENO, STDOUT_FILENO, sessionWakeFd(), !pollTakesTerminals)) {
        case Woken::Keys: return true;
        case Woken::Signal: return false;
        case Woken::Gone: sessionGone(sessionDrawsOnTerminal() ? EIO : EPIPE);
        case Woken::NoPoll:
            pollTakesTerminals = false;
            return false;
    }
    return false;
}

// Reads the keys there are. A terminal read a key at a time reads nothing
// only when it has hung up.
void readKeys() {
    char bytes[4096];
    ssize_t n = read(STDIN_FILENO, bytes, sizeof bytes);
    if (n > 0) {
        keys.input.append(bytes, static_cast<std::size_t>(n));
    } else if ((n < 0 && errno == EIO && sessionReadsTerminal()) || (n == 0 && keys.editing)) {
        sessionGone(EIO);
    } else if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
        keysEndOfInput(keys);
    }
}

bool readLine(char* buf, int size) {
    start();
    keys.reading = true;
    for (;;) {
        KeysRead got = keysReadLine(keys, buf, size);
        if (got != KeysRead::More) {
            keys.reading = false;
            return got == KeysRead::Line;
        }
        // Show the line as typed so far (and anything a resize or a return
        // to the foreground needs), then wait for more keys.
        sessionDraw(display, keys);
        if (waitForKeys()) readKeys();
    }
}

// A resize or a return to the foreground cuts the pause short, so that the
// screen is drawn again at once; then the pause goes on.
void pause(int milliseconds) {
    timespec left{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) < 0 && errno == EINTR) sessionDraw(display, keys);
}

void setColour(ColourChoice choice) { colourChoice = choice; }

bool showsColour() {
    start();
    return display.screen.colour;
}

void aim(const TerminalAim* a) { keysAim(keys, a); }

void restore() noexcept { sessionGiveBack(); }

void farewell(const char* line) { sessionFarewell(line); }

void dropTyped() {
    start();
    sessionDropTyped(keys);
}

// While the game can't be seen, keys are read and kept, and the screen is
// drawn again as soon as it can be.
bool awaitSight() {
    start();
    bool waited = false;
    for (;;) {
        sessionDraw(display, keys);
        if (sessionShowsGame(display)) return waited;
        waited = true;
        if (waitForKeys()) readKeys();
    }
}

// Through std::exit, so that the exit handlers give the terminal back.
void exitWith(int status) { std::exit(status); }

constexpr TerminalBackend POSIX{show,    readLine,          pause,    setColour, showsColour, aim,       restore,
                                exitWith, terminalClockSeed, farewell, dropTyped, awaitSight};

}  // namespace

const TerminalBackend* posixTerminal() { return &POSIX; }
