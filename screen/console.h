// The console window: an 80 x 25 cell image of the screen, handed to the
// terminal whole; positioned text for the boards, a scrolling message area
// below them, and line input echoed into it.
#pragma once

#include "terminal/terminal.h"

#if defined(__GNUC__) || defined(__clang__)
#define CONSOLE_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define CONSOLE_PRINTF(fmt, args)
#endif

struct ConsoleWin {
    Frame charBuf;      // the screen image
    int updating;       // 1 while an update bracket is open
    int consoleStart;   // the message area: its first row,
    int consoleColumn;  // where the next message character goes,
    int consoleLine;
    int consoleEnd;     // and its last row
    Coord cursorPos;    // where the visible cursor goes
    int cursorSynced;   // 1 once cursorPos is where the cursor is to be
};

// Sets up the console window and blanks the screen. The cursor stays where
// it was until the first message.
void consoleInit(ConsoleWin* c);

// Hands the cell image to the terminal, unless an update bracket is open.
void consoleFlush(ConsoleWin* c);

// The update bracket: changes made inside it reach the screen once, when it
// closes. Brackets do not nest.
void consoleBeginUpdate(ConsoleWin* c);
void consoleEndUpdate(ConsoleWin* c);

// Closes the bracket without writing the screen: its changes go out with
// the next write, as part of one frame.
void consoleEndUpdateLater(ConsoleWin* c);

// Cell (x, y) of the image. The caller keeps 0 <= x < 80 and 0 <= y < 25.
Cell* consoleCell(ConsoleWin* c, int x, int y);

// Formatted text at (x, y) with attribute attr (-1 for plain), one cell a
// byte, running on to the next row at the right edge. Text that would fall
// outside the screen is dropped. Flushes unless a bracket is open.
void consolePrintAt(ConsoleWin* c, int x, int y, int attr, const char* format, ...) CONSOLE_PRINTF(5, 6);

// The visible cursor goes to cursorPos with the next flush.
void consoleSyncCursor(ConsoleWin* wc);

// Scrolls the message area up one row when the message position is on its
// last row. Only inside a bracket.
void consoleScroll(ConsoleWin* wc);

// Formatted text (at most 255 characters) into the message area, wrapping at
// the right edge and scrolling at the bottom; then the cursor goes where the
// text stopped and the screen is written once. Not inside a bracket.
void consolePrint(ConsoleWin* wc, const char* format, ...) CONSOLE_PRINTF(2, 3);

// Reads a line into buf (size bytes at most, newline kept) and echoes it as
// "> " and the line. A line beginning with "-" ends the program with status
// 0, and so does the end of input.
void consoleReadLine(ConsoleWin* wc, char* buf, int size);
