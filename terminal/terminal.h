// The terminal, as the game sees it: a screen of 80 x 25 cells that it hands
// over whole, frame by frame, with the cursor; what the player does, as
// events; a pause; and the terminal given back. Each system has a backend
// (posix/, win32/, headless/) that fills in a TerminalBackend, translating
// its own input into events; the program installs one with terminalUse and
// the game calls the functions below, which go to it. The line the player
// types, its echo and the aim are the game's, the same on every backend.
#pragma once

#include <array>
#include <cstdint>

constexpr int SCREEN_WIDTH = 80;
constexpr int SCREEN_HEIGHT = 25;

// A cell's colours: foreground blue 1, green 2, red 4, bright 8; the same
// times 16 for the background; reverse video, for a terminal without colour
// and for the aim; and underline, which marks the latest shots. The two are
// the Windows console's own bits for them.
constexpr std::uint16_t ATTR_PLAIN = 7;  // light grey on black: the terminal's own colours
constexpr std::uint16_t ATTR_REVERSE = 0x4000;
constexpr std::uint16_t ATTR_UNDERLINE = 0x8000;

// One character cell: a byte of text, 0-255 (0 shows blank), and its colours.
struct Cell {
    std::uint16_t ch;
    std::uint16_t attr;
    bool operator==(const Cell&) const = default;
};

// A whole screen, row after row: cell (x, y) at x + y * SCREEN_WIDTH.
using Frame = std::array<Cell, SCREEN_WIDTH * SCREEN_HEIGHT>;

struct Coord {
    int x;
    int y;
    bool operator==(const Coord&) const = default;
};

// Colour or not, as the --color option asks: always, never, or as the
// terminal can (auto).
enum class ColourChoice { Auto, Always, Never };

// The mouse, as the --mouse option asks: the game's where the terminal
// reports it (auto), or left to the terminal, for selecting text (never).
enum class MouseChoice { Auto, Never };

// What the player does.
enum class EventKind : std::uint8_t {
    None,       // nothing yet: only from a look that does not wait
    Char,       // a character typed, ch
    Enter,      // the line is done
    Erase,      // the character before the cursor goes (Backspace)
    EraseLine,  // the whole line goes (the terminal's kill key, Ctrl-U; Esc on Windows)
    EraseWord,  // the word before the cursor goes (Ctrl-W)
    Up,         // the arrow keys
    Down,
    Left,
    Right,
    Click,   // the main mouse button pressed on the cell at
    Resize,  // the terminal is now at.x columns by at.y rows
    EndKey,  // the terminal's end-of-input key (Ctrl-D): input ends if the line is empty
    End,     // input has ended: nothing more will come
};

struct TerminalEvent {
    EventKind kind = EventKind::None;
    unsigned char ch = 0;
    Coord at{0, 0};
    bool operator==(const TerminalEvent&) const = default;
};

// What a backend does; see the functions below.
struct TerminalBackend {
    void (*show)(const Frame& frame, const Coord* cursor);
    TerminalEvent (*nextEvent)(bool wait);
    void (*pause)(int milliseconds);
    void (*setColour)(ColourChoice choice);
    bool (*showsColour)();
    void (*setMouse)(MouseChoice choice);
    bool (*echoes)();
    Coord (*size)();
    bool (*inSight)();
    void (*dropTyped)();
    void (*restore)() noexcept;
    void (*farewell)(const char* line);
    unsigned (*randomSeed)();
};

// The backend the game talks to from now on.
void terminalUse(const TerminalBackend* backend);

// Shows frame, with the cursor at *cursor, or where it was when cursor is null.
void terminalShow(const Frame& frame, const Coord* cursor);

// The next thing the player does. With wait, waits for it (the screen kept
// up to date meanwhile); without, returns None at once when there is
// nothing yet. After End, End again.
TerminalEvent terminalNextEvent(bool wait);

// Waits so long, showing the screen meanwhile. What the player does
// meanwhile waits for the next terminalNextEvent.
void terminalPause(int milliseconds);

// Colour or not, as the option asks; before the first frame.
void terminalSetColour(ColourChoice choice);

// Whether the game's colours are shown. Without them the board view draws its
// squares in reverse video and plain, which every terminal has.
bool terminalShowsColour();

// The mouse, as the option asks; before the first frame.
void terminalSetMouse(MouseChoice choice);

// Whether the game is to draw what is typed as it is typed: a person at a
// terminal whose own echo is off. Not for a script's lines, nor where the
// terminal echoes for itself.
bool terminalEchoes();

// The terminal's size, columns and rows: the game's screen may be cut by it.
Coord terminalSize();

// Whether the player can see the game now: not while the terminal is too
// small for it, say.
bool terminalInSight();

// Forgets whatever was typed and not yet taken as events. Only keys typed at
// a terminal go; lines that come from a script are answers written in
// advance, and stay.
void terminalDropTyped();

// Gives the terminal back as it was found, and writes the farewell line
// below whatever was there before the game. Idempotent, and safe in a
// signal handler or a failed assertion; does nothing before a backend is in
// use.
void terminalRestore() noexcept;

// The line (at most TERMINAL_FAREWELL_MAX bytes, newline included) written
// on the terminal's own screen when the program ends, by whatever way out:
// set again whenever it changes, so that a signal finds it ready.
constexpr int TERMINAL_FAREWELL_MAX = 120;
void terminalFarewell(const char* line);

// The seed of a new game's draws: the clock, or a chosen number.
unsigned terminalRandomSeed();

// The clock's seed, for the backends of real terminals: the time in seconds.
unsigned terminalClockSeed();

// Whether a backend shows the game's colours: as the --color option says,
// and by default not when NO_COLOR (noColor) is set and not empty, nor on a
// terminal without colours.
bool terminalColourWanted(ColourChoice choice, const char* noColor, bool terminalHasColour);
