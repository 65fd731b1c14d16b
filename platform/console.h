// The console calls the game makes, and the pause.
//
// On Windows these are the real kernel32 functions. Everywhere else this header
// declares look-alikes with the same names, types and arguments, and a backend
// (posix/ for a real terminal, headless/ for tests and the simulator) provides
// them. The game's console window code is the same on every system.
//
// Besides the kernel32 calls, every backend provides the few things a console
// program needs that kernel32 does not spell out: reading one line of input,
// giving the terminal back as it was found, ending the program, and a seed
// for each game's draws.
//
// A build that plays on the headless console defines SALVO_HEADLESS, which
// takes the look-alikes on Windows too: there <windows.h> would declare the
// real kernel32 functions, which the headless backend cannot stand in for.
#pragma once

#if defined(_WIN32) && !defined(SALVO_HEADLESS)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The game draws on a screen buffer of its own, so that the player's
// buffer, window and scrollback stay as they are. Its output handle comes
// from this (platform/win32): the first call for it saves the console's
// state and makes the game's buffer the active one; every other handle is
// kernel32's own.
#define GetStdHandle platformGetStdHandle
HANDLE platformGetStdHandle(DWORD which);

// A real console shows a cell holding 0 as a blank; wine's terminal console
// shows it as "?". The game's frames go to the console through these
// (platform/win32), which hand it a blank for 0 and are otherwise the
// kernel32 calls.
#define WriteConsoleOutputA platformWriteConsoleOutputA
#define WriteConsoleOutputW platformWriteConsoleOutputW
BOOL platformWriteConsoleOutputA(HANDLE out, const CHAR_INFO* cells, COORD size, COORD from, SMALL_RECT* area);
BOOL platformWriteConsoleOutputW(HANDLE out, const CHAR_INFO* cells, COORD size, COORD from, SMALL_RECT* area);
#else
#include <cstdint>

using BOOL = int;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using SHORT = std::int16_t;
using WCHAR = char16_t;
using CHAR = char;
using UINT = unsigned int;
using HANDLE = void*;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
constexpr DWORD STD_INPUT_HANDLE = static_cast<DWORD>(-10);
constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
// Reverse video, the one attribute bit besides the colours that the game uses:
// the looks of a console without colour, and the aim.
constexpr WORD COMMON_LVB_REVERSE_VIDEO = 0x4000;

struct COORD {
    SHORT X;
    SHORT Y;
};

struct SMALL_RECT {
    SHORT Left;
    SHORT Top;
    SHORT Right;
    SHORT Bottom;
};

struct CHAR_INFO {
    union {
        WCHAR UnicodeChar;
        CHAR AsciiChar;
    } Char;
    WORD Attributes;
};

HANDLE GetStdHandle(DWORD which);
BOOL SetConsoleWindowInfo(HANDLE out, BOOL absolute, const SMALL_RECT* window);
BOOL SetConsoleScreenBufferSize(HANDLE out, COORD size);
BOOL SetConsoleCP(UINT codePage);
BOOL WriteConsoleOutputA(HANDLE out, const CHAR_INFO* cells, COORD size, COORD from, SMALL_RECT* area);
BOOL WriteConsoleOutputW(HANDLE out, const CHAR_INFO* cells, COORD size, COORD from, SMALL_RECT* area);
BOOL SetConsoleCursorPosition(HANDLE out, COORD pos);
void Sleep(DWORD milliseconds);
#endif

// Reads one line from standard input into buf (at most size - 1 bytes, the
// newline kept, NUL-terminated), like fgets. Returns false at end of input or
// on a read error; buf then holds an empty text.
bool platformReadLine(char* buf, int size);

// Gives the terminal back as it was found: colours, cursor, screen, modes
// (on Windows: the active screen buffer, the modes and both code pages).
// Idempotent, and safe to call from a signal handler (on Windows, the
// control handler's thread) or a failed assertion.
void platformRestoreTerminal() noexcept;

// Ends the program with status: std::exit on a real console (the terminal is
// given back by the exit handlers). The headless console throws HeadlessExit
// instead, so that a test or a fuzz run can go on after the game has ended.
[[noreturn]] void platformExit(int status);

// The seed for a new game's random draws: the clock on a real console, a
// chosen number on the headless one.
unsigned platformRandomSeed();

// Colour or not, as the --color option asks: always, never, or as the
// console can (auto). Taken before the first console call.
enum class ColourChoice { Auto, Always, Never };
void platformSetColour(ColourChoice choice);

// Whether the console shows the game's colours. Without them the board view
// draws its squares in reverse video and plain, which every terminal has.
bool platformShowsColour();

// Aiming with the arrow keys, where the console has them (a POSIX terminal).
// While an aim is set, every line read names a square of a board of columns
// x rows squares (at most 26 columns, lettered a to z), drawn as the board
// view draws it, with square A1 at a1: its column letters two rows above,
// its row numbers in the two columns before the bar left of A1. squareOf
// tells which square a line names, as the game reads it: 1 with x and y set,
// else 0.
struct PlatformAim {
    COORD a1;
    int columns;
    int rows;
    int (*squareOf)(const char* line, int* x, int* y);
};

// Sets the aim (null: none). Each new aim starts afresh, with nothing aimed
// at yet.
void platformAim(const PlatformAim* aim);
