// The console window: an 80 x 25 cell image of the screen, written to the
// console in one call; positioned text for the boards, a scrolling message
// area below them, and line input echoed into it.
#pragma once

#include <array>
#include <cstdint>

#include "platform/console.h"

struct Game;

#if defined(__GNUC__) || defined(__clang__)
#define CONSOLE_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define CONSOLE_PRINTF(fmt, args)
#endif

constexpr int CONSOLE_WIDTH = 80;
constexpr int CONSOLE_HEIGHT = 25;
constexpr int CONSOLE_CELLS = CONSOLE_WIDTH * CONSOLE_HEIGHT;

// Plain attribute of message text and blank cells: light grey on black.
constexpr WORD ATTR_PLAIN = 7;

struct ConsoleWin {
    HANDLE outputHandle;
    HANDLE inputHandle;
    SMALL_RECT windowRect;
    COORD bufferSize;
    std::array<CHAR_INFO, CONSOLE_CELLS> charBuf;
    COORD charBufSize;
    COORD characterPos;
    SMALL_RECT writeArea;
    int updating;
    int consoleStart;
    int consoleColumn;
    int consoleLine;
    int consoleEnd;
    COORD cursorPos;
};

// Board display modes for consoleDrawMaps.
constexpr int DRAW_SHIPS = 0;      // every ship segment shown
constexpr int DRAW_HIDDEN = 1;     // segments not hit look like water
constexpr int DRAW_PLACEMENT = 2;  // as DRAW_SHIPS, and the halo marked

// Sets up g's console window and the console, and blanks the screen.
void consoleInit(Game* g);

// Writes the cell image to the console, unless an update bracket is open.
void consoleFlush(ConsoleWin* c);

// The update bracket: changes made inside it reach the screen once, when it
// closes. Brackets do not nest.
void consoleBeginUpdate(ConsoleWin* c);
void consoleEndUpdate(ConsoleWin* c);

// Cell (x, y) of the image. The caller keeps 0 <= x < 80 and 0 <= y < 25.
CHAR_INFO* consoleCell(ConsoleWin* c, int x, int y);

// Formatted text at (x, y) with attribute attr (-1 for plain), one cell a
// byte, running on to the next row at the right edge. Text that would fall
// outside the screen is dropped. Flushes unless a bracket is open.
void consolePrintAt(Game* g, int x, int y, int attr, const char* format, ...) CONSOLE_PRINTF(5, 6);

// Puts the console's visible cursor at cursorPos.
void consoleSyncCursor(ConsoleWin* wc);

// Scrolls the message area up one row when the message position is on its
// last row. Only inside a bracket.
void consoleScroll(ConsoleWin* wc);

// Formatted text (at most 255 characters) into the message area, wrapping at
// the right edge and scrolling at the bottom; then the cursor goes to column 2
// of the current row and the screen is written once. Not inside a bracket.
void consolePrint(ConsoleWin* wc, const char* format, ...) CONSOLE_PRINTF(2, 3);

// Reads a line into buf (size bytes at most, newline kept) and echoes it as
// "> " and the line. A line beginning with "-" ends the program with status
// 0, and so does the end of input.
void consoleReadLine(ConsoleWin* wc, char* buf, int size);

// While on is 1, the lines read name squares of the opponent's board: where
// the console has arrow keys, they aim over it. Turning it on starts afresh,
// with nothing aimed at yet; 0 turns it off.
void consoleAim(Game* g, int on);

// Draws both boards, the player's at the left with modePlayer and the
// opponent's at the right with modeOpponent, and writes the screen once.
void consoleDrawMaps(Game* g, int modePlayer, int modeOpponent);

// Draws one board into the cell image with its top-left corner at (ox, oy).
// Only consoleDrawMaps calls it, inside its bracket.
void consoleDrawMap(Game* g, const std::uint8_t* map, int ox, int oy, int mode);
