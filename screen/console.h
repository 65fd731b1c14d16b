// The console window: an 80 x 25 cell image of the screen, handed to the
// terminal whole; positioned text for the boards, a scrolling message area
// below them, and line input echoed into it.
#pragma once

#include <deque>
#include <functional>
#include <string>

#include "screen/line_editor.h"
#include "terminal/terminal.h"

#if defined(__GNUC__) || defined(__clang__)
#define CONSOLE_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define CONSOLE_PRINTF(fmt, args)
#endif

// The player's input: the line being typed and those typed ahead, and what
// the player did while the game was not reading. It outlives a game: what
// was typed ahead goes on to the next.
struct ConsoleInput {
    LineEditor editor;
    std::deque<TerminalEvent> waiting;
    std::function<void(bool show)> hint;  // shows the hint, or takes it away; null: no hint
    bool hintShown = false;
    std::string hintLine;  // without the echo: the square the hint aims at, for an empty line
};

struct ConsoleWin {
    Frame charBuf{};        // the screen image
    int updating = 0;       // 1 while an update bracket is open
    int consoleStart = 0;   // the message area: its first row,
    int consoleColumn = 0;  // where the next message character goes,
    int consoleLine = 0;
    int consoleEnd = 0;     // and its last row
    Coord cursorPos{0, 0};  // where the visible cursor goes
    int cursorSynced = 0;   // 1 once cursorPos is where the cursor is to be
    std::string drawn;      // what the board view last drew in the image, to skip drawing it again
    std::string drawing;    // what it is asked to draw now: kept, so that asking allocates nothing
    ConsoleInput input;
};

// Sets up the console window and blanks the screen. The cursor stays where
// it was until the first message. What was typed ahead is kept.
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

// Reads a line into buf (size bytes at most, newline kept, as fgets would)
// and echoes it as "> " and the line; at a terminal, the line is drawn as it
// is typed. Returns false when the game is to end: the line begins with "-"
// (it is echoed first), or input has ended (buf is then empty).
[[nodiscard]] bool consoleReadLine(ConsoleWin* wc, char* buf, int size);

// What a click means from now on (see line_editor.h).
void consoleClicks(ConsoleWin* wc, Clicks clicks);

// Sets the board that the arrow keys aim over and clicks fire at (null:
// none), with nothing aimed at yet.
void consoleAimAt(ConsoleWin* wc, const AimBoard* board);

// Aims at square of that board, as the arrow keys would.
void consoleAimTo(ConsoleWin* wc, Coord square);

// The hint while lines are read (null: none). hint(true) shows it and aims
// at a square; the player asks with ? as a key on an empty line, at a
// terminal, or with a line holding only ?. The next key takes it away,
// hint(false), and goes on as it would: Enter fires at the square the hint
// aims at, which the line names; without the echo, an empty line does.
void consoleHint(ConsoleWin* wc, std::function<void(bool show)> hint);

// Whether a line read asks for the hint: it holds only "?".
bool consoleAsksHint(const char* line);

// Returns once the player can see the game, at once unless the terminal is
// too small for it, say; what the player does meanwhile is kept for the
// next line read. True when it had to wait.
bool consoleAwaitSight(ConsoleWin* wc);

// Forgets what was typed and not yet read, here and in the terminal: the
// next line read is one typed after this call.
void consoleDropTyped(ConsoleWin* wc);

// Watchers of the line input, for the recorded sessions: each line read, and
// the aim set (true) or taken away.
void consoleWatch(std::function<void(const char* line)> onRead, std::function<void(bool aiming)> onAim);
