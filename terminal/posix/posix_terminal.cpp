#include "terminal/posix/posix_terminal.h"

#include <sys/select.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "terminal/posix/session.h"
#include "terminal/posix/wait.h"

namespace {

Display display;
KeyDecoder keys;
ColourChoice colourChoice = ColourChoice::Auto;
MouseChoice mouseChoice = MouseChoice::Auto;
bool pollTakesTerminals = true;  // not so on macOS: select() then

void start() { sessionStart(display, keys, colourChoice, mouseChoice); }

// Brings the screen up to date; a new size of the terminal is an event.
void draw() {
    int rows = display.screen.rows;
    int cols = display.screen.cols;
    if (sessionDraw(display) && (rows != display.screen.rows || cols != display.screen.cols)) {
        keys.events.push_back({EventKind::Resize, 0, {display.screen.cols, display.screen.rows}});
    }
}

void show(const Frame& frame, const Coord* cursor) {
    start();
    displayKeepFrame(display, frame, cursor);
    draw();
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

// Whether standard input has something to read now (select(), which takes
// terminals everywhere).
bool keysWaiting() {
    if (keys.ended) return false;
    fd_set in;
    FD_ZERO(&in);
    FD_SET(STDIN_FILENO, &in);
    timeval now{0, 0};
    return select(STDIN_FILENO + 1, &in, nullptr, nullptr, &now) > 0;
}

// Reads the keys there are. A terminal read a key at a time reads nothing
// only when it has hung up.
void readKeys() {
    char bytes[4096];
    ssize_t n = read(STDIN_FILENO, bytes, sizeof bytes);
    if (n > 0) {
        keysFeed(keys, std::string_view(bytes, static_cast<std::size_t>(n)));
    } else if ((n < 0 && errno == EIO && sessionReadsTerminal()) || (n == 0 && keys.editing)) {
        sessionGone(EIO);
    } else if (n == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)) {
        keysEnd(keys);
    }
}

TerminalEvent nextEvent(bool wait) {
    start();
    for (;;) {
        // Show what the game last drew (and anything a resize or a return to
        // the foreground needs) before waiting for the player.
        draw();
        if (!keys.events.empty()) {
            TerminalEvent e = keys.events.front();
            if (e.kind != EventKind::End) keys.events.pop_front();
            return e;
        }
        if (!wait && !keysWaiting()) return {};
        if (waitForKeys()) readKeys();
    }
}

// A resize or a return to the foreground cuts the pause short, so that the
// screen is drawn again at once; then the pause goes on.
void pause(int milliseconds) {
    timespec left{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) < 0 && errno == EINTR) draw();
}

void setColour(ColourChoice choice) { colourChoice = choice; }

bool showsColour() {
    start();
    return display.screen.colour;
}

void setMouse(MouseChoice choice) { mouseChoice = choice; }

bool echoes() {
    start();
    return keys.editing;
}

Coord size() {
    start();
    return {display.screen.cols, display.screen.rows};
}

bool inSight() {
    start();
    draw();
    return sessionShowsGame(display);
}

void dropTyped() {
    start();
    sessionDropTyped(keys);
}

void restore() noexcept { sessionGiveBack(); }

void farewell(const char* line) { sessionFarewell(line); }

constexpr TerminalBackend POSIX{show,     nextEvent, pause,   setColour, showsColour, setMouse,         echoes,
                                size,     inSight,   dropTyped, restore, farewell,    terminalClockSeed};

}  // namespace

const TerminalBackend* posixTerminal() { return &POSIX; }
