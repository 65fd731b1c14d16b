// The terminal, as the game sees it: a screen of 80 x 25 cells that it hands
// over whole, frame by frame, with the cursor; lines of typing; a pause; and
// the ways out. Each system has a backend (posix/, win32/, headless/) that
// fills in a TerminalBackend; the program installs one with terminalUse and
// the game calls the functions below, which go to it.
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

// Aiming with the arrow keys, where the terminal has them. While an aim is
// set, every line read names a square of a board of columns x rows squares
// (at most 26 columns, lettered a to z), drawn with square A1 at a1, its
// column letters two rows above and its row numbers in the two columns before
// the bar left of A1. squareOf tells which square a line names, as the game
// reads it: 1 with x and y set, else 0.
struct TerminalAim {
    Coord a1;
    int columns;
    int rows;
    int (*squareOf)(const char* line, int* x, int* y);
};

// What a backend does; see the functions below.
struct TerminalBackend {
    void (*show)(const Frame& frame, const Coord* cursor);
    bool (*readLine)(char* buf, int size);
    void (*pause)(int milliseconds);
    void (*setColour)(ColourChoice choice);
    bool (*showsColour)();
    void (*aim)(const TerminalAim* aim);
    void (*restore)() noexcept;
    void (*exit)(int status);
    unsigned (*randomSeed)();
    void (*farewell)(const char* line);
    void (*dropTyped)();
    bool (*awaitSight)();
};

// The backend the game talks to from now on.
void terminalUse(const TerminalBackend* backend);

// Shows frame, with the cursor at *cursor, or where it was when cursor is null.
void terminalShow(const Frame& frame, const Coord* cursor);

// Reads one line of typing into buf (at most size - 1 bytes, the newline
// kept, NUL-terminated), like fgets. False at the end of input or on a read
// error; buf then holds an empty text.
bool terminalReadLine(char* buf, int size);

// Waits so long, showing the screen meanwhile.
void terminalPause(int milliseconds);

// Colour or not, as the option asks; before the first frame.
void terminalSetColour(ColourChoice choice);

// Whether the game's colours are shown. Without them the board view draws its
// squares in reverse video and plain, which every terminal has.
bool terminalShowsColour();

// Sets the aim (null: none). Each new aim starts afresh, with nothing aimed at.
void terminalAim(const TerminalAim* aim);

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

// Forgets whatever was typed and not yet read: the next line read is one
// typed after this call. Only keys typed at a terminal are dropped; lines
// that come from a script are answers written in advance, and stay.
void terminalDropTyped();

// Returns once the player can see the game: at once, unless the terminal is
// too small for it (or the game is stopped in the background); then after it
// has been made large enough, the keys typed meanwhile kept. True when it
// had to wait.
bool terminalAwaitSight();

// Ends the program with status, the terminal given back (the headless
// backend throws instead, so that a test can go on).
[[noreturn]] void terminalExit(int status);

// The seed of a new game's draws: the clock, or a chosen number.
unsigned terminalRandomSeed();

// The clock's seed, for the backends of real terminals: the time in seconds.
unsigned terminalClockSeed();
