#include "console/consolewin.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/map.h"
#include "fleet/shipplacement.h"
#include "game/game.h"
#include "game/util.h"

namespace {

// Every formatting goes through one 256-byte buffer: at most 255
// characters, cut there, never written past.
constexpr int FORMAT_BUFFER = 256;

int formatText(char (&buf)[FORMAT_BUFFER], const char* format, std::va_list args) {
    int n = std::vsnprintf(buf, sizeof buf, format, args);
    if (n < 0) {
        buf[0] = '\0';
        return 0;
    }
    return n < FORMAT_BUFFER ? n : FORMAT_BUFFER - 1;
}

void putCell(CHAR_INFO* cell, char ch, WORD attr) {
    // The byte itself, 0-255: no code page, one cell a byte.
    cell->Char.UnicodeChar = static_cast<WCHAR>(static_cast<unsigned char>(ch));
    cell->Attributes = attr;
}

void blankRow(ConsoleWin* c, int y) {
    for (int x = 0; x < c->bufferSize.X; x++) putCell(consoleCell(c, x, y), '\0', ATTR_PLAIN);
}

}  // namespace

void consoleInit(Game* g) {
    GAME_ASSERT(g != NULL);
    ConsoleWin* c = &g->console;
    c->outputHandle = GetStdHandle(STD_OUTPUT_HANDLE);
    c->inputHandle = GetStdHandle(STD_INPUT_HANDLE);
    c->updating = 0;
    c->cursorPos = {0, 0};
    c->windowRect = {0, 0, CONSOLE_WIDTH - 1, CONSOLE_HEIGHT - 1};
    c->consoleStart = MAP_HEIGHT + 4;
    c->consoleLine = c->consoleStart;
    c->consoleColumn = 0;
    c->consoleEnd = c->windowRect.Bottom - 1;
    GAME_ASSERT(c->consoleEnd - c->consoleStart >= 2);

    // The window is sized before the buffer.
    SetConsoleWindowInfo(c->outputHandle, TRUE, &c->windowRect);
    c->bufferSize = {CONSOLE_WIDTH, CONSOLE_HEIGHT};
    SetConsoleScreenBufferSize(c->outputHandle, c->bufferSize);
    for (CHAR_INFO& cell : c->charBuf) {
        cell.Char.UnicodeChar = 0;
        cell.Attributes = ATTR_PLAIN;
    }
    c->charBufSize = {CONSOLE_WIDTH, CONSOLE_HEIGHT};
    c->characterPos = {0, 0};
    c->writeArea = {0, 0, CONSOLE_WIDTH - 1, CONSOLE_HEIGHT - 1};
    SetConsoleCP(65001);
    WriteConsoleOutputA(c->outputHandle, c->charBuf.data(), c->charBufSize, c->characterPos, &c->writeArea);
}

void consoleFlush(ConsoleWin* c) {
    GAME_ASSERT(c != NULL);
    if (c->updating != 0) return;
    WriteConsoleOutputW(c->outputHandle, c->charBuf.data(), c->charBufSize, c->characterPos, &c->writeArea);
}

void consoleBeginUpdate(ConsoleWin* c) {
    GAME_ASSERT(c != NULL);
    GAME_ASSERT(c->updating == 0);
    c->updating = 1;
}

void consoleEndUpdate(ConsoleWin* c) {
    GAME_ASSERT(c != NULL);
    GAME_ASSERT(c->updating == 1);
    c->updating = 0;
    consoleFlush(c);
}

CHAR_INFO* consoleCell(ConsoleWin* c, int x, int y) {
    return &c->charBuf[static_cast<std::size_t>(x + y * c->bufferSize.X)];
}

void consolePrintAt(Game* g, int x, int y, int attr, const char* format, ...) {
    ConsoleWin* c = &g->console;
    char buf[FORMAT_BUFFER];
    std::va_list args;
    va_start(args, format);
    // A board redraw is 264 of these, nearly all a lone "%c" or a text
    // without conversions: those skip the formatter.
    int len = 0;
    if (std::strcmp(format, "%c") == 0) {
        buf[len++] = static_cast<char>(va_arg(args, int));
    } else if (!std::strchr(format, '%')) {
        while (len < FORMAT_BUFFER - 1 && format[len] != '\0') {
            buf[len] = format[len];
            len++;
        }
    } else {
        len = formatText(buf, format, args);
    }
    va_end(args);

    WORD cellAttr = attr == -1 ? ATTR_PLAIN : static_cast<WORD>(attr);
    for (int i = 0; i < len; i++) {
        // Text running off the screen is dropped, never written past the image.
        if (x >= 0 && x < c->bufferSize.X && y >= 0 && y < c->bufferSize.Y) putCell(consoleCell(c, x, y), buf[i], cellAttr);
        x++;
        if (x >= c->bufferSize.X) {
            x = 0;
            y++;
        }
    }
    if (!c->updating) consoleFlush(c);
}

void consoleSyncCursor(ConsoleWin* wc) {
    GAME_ASSERT(wc != NULL);
    GAME_ASSERT(wc->cursorPos.X <= wc->bufferSize.X);
    GAME_ASSERT(wc->cursorPos.Y <= wc->bufferSize.Y);
    SetConsoleCursorPosition(wc->outputHandle, wc->cursorPos);
}

void consoleScroll(ConsoleWin* wc) {
    GAME_ASSERT(wc != NULL);
    GAME_ASSERT(wc->updating == 1);
    if (wc->consoleLine < wc->consoleEnd) return;
    // The row below the area moves up too; it is always blank, and stays so.
    for (int r = wc->consoleStart + 1; r <= wc->consoleEnd + 1; r++) {
        std::memcpy(consoleCell(wc, 0, r - 1), consoleCell(wc, 0, r), sizeof(CHAR_INFO) * static_cast<std::size_t>(wc->bufferSize.X));
    }
    blankRow(wc, wc->consoleEnd + 1);
    wc->consoleLine--;
    wc->cursorPos.Y = static_cast<SHORT>(wc->cursorPos.Y - 1);
    consoleSyncCursor(wc);
}

void consolePrint(ConsoleWin* wc, const char* format, ...) {
    GAME_ASSERT(wc != NULL && format != NULL);
    char buf[FORMAT_BUFFER];
    std::va_list args;
    va_start(args, format);
    int len = formatText(buf, format, args);
    va_end(args);

    consoleBeginUpdate(wc);
    for (int i = 0; i < len; i++) {
        char ch = buf[i];
        if (ch != '\n') {
            // No tab stops: a tab is one blank.
            putCell(consoleCell(wc, wc->consoleColumn, wc->consoleLine), ch == '\t' ? ' ' : ch, ATTR_PLAIN);
        }
        wc->consoleColumn++;
        if (wc->consoleColumn >= wc->bufferSize.X || ch == '\n') {
            wc->consoleColumn = 0;
            wc->consoleLine++;
            while (wc->consoleLine > wc->consoleEnd) consoleScroll(wc);
        }
    }
    // Every prompt ends its last row with "> ": the cursor waits after it.
    wc->cursorPos = {2, static_cast<SHORT>(wc->consoleLine)};
    consoleSyncCursor(wc);
    consoleEndUpdate(wc);
}

void consoleReadLine(ConsoleWin* wc, char* buf, int size) {
    // End of input (or a read error) ends the game as the quit line does:
    // asking again would only read nothing for ever.
    if (!platformReadLine(buf, size)) platformExit(0);
    wc->consoleColumn = 0;
    consolePrint(wc, "> %s", buf);
    wc->consoleColumn = 0;
    if (buf[0] == '-') platformExit(0);
}

namespace {

constexpr int OPPONENT_BOARD_X = MAP_WIDTH + 8;

// The square a line names, read as the player's turn reads it.
int squareOfLine(const char* line, int* x, int* y) {
    char buf[FORMAT_BUFFER];
    int len = 0;
    while (len < FORMAT_BUFFER - 1 && line[len] != '\0') {
        buf[len] = line[len];
        len++;
    }
    buf[len] = '\0';
    return len > 0 && parseSquare(strToLower(buf, len), len, x, y);
}

// What a square shows: the first rule that matches its flags.
enum class Kind { Water, Ship, Hit, Sunk, Miss, Ring };

// ring: whether to tell the water around a sunk ship from a miss, which
// look the same in colour.
Kind squareKind(const std::uint8_t* map, int x, int y, int mode, bool ring) {
    int flags = mapGet(map, x, y);
    Kind kind = Kind::Water;
    if (flags & CELL_SUNK) {
        kind = Kind::Sunk;
    } else if ((flags & CELL_SHIP) && (flags & CELL_SHOT)) {
        kind = Kind::Hit;
    } else if (mode != DRAW_HIDDEN && (flags & CELL_SHIP)) {
        kind = Kind::Ship;
    } else if (flags & CELL_SHOT) {
        kind = ring && mapAnyAround(map, x, y, CELL_SUNK, CELL_SUNK) ? Kind::Ring : Kind::Miss;
    }
    if (mode == DRAW_PLACEMENT && (flags & CELL_NEAR) && !(flags & CELL_SHIP)) kind = Kind::Ring;
    return kind;
}

struct SquareLook {
    char ch;
    int attr;
};

// In colour: an O on bright red for a hit, # on blue for a sunk ship, dark
// yellow for water fired at and for the halo. Without colour every kind has
// a look of its own: reverse video for each square that takes no more shots
// and no ship, its character telling why.
constexpr int ATTR_STRUCK = ATTR_PLAIN | COMMON_LVB_REVERSE_VIDEO;
constexpr SquareLook LOOKS[2][6] = {
    {{' ', ATTR_PLAIN}, {'O', ATTR_PLAIN}, {'O', ATTR_STRUCK}, {'#', ATTR_STRUCK}, {' ', ATTR_STRUCK}, {'.', ATTR_STRUCK}},
    {{' ', ATTR_PLAIN}, {'O', ATTR_PLAIN}, {'O', 199}, {'#', 23}, {' ', 103}, {' ', 103}},
};

SquareLook lookOf(Kind kind, bool colour) { return LOOKS[colour][static_cast<int>(kind)]; }

// The fleets beside the boards, each under its title: a row for each length
// of ship, longest first, with the ships afloat and then those sunk, drawn
// as their squares look on a board. Counts only: nothing tells where a ship lies.
constexpr int FLEET_WIDTH = 16;
constexpr int FLEET_X[2] = {35, 55};

void drawFleet(Game* g, const std::uint8_t* map, int ox, const char* title, bool colour) {
    ShipCount ships = mapCountShips(map);
    consolePrintAt(g, ox, 0, -1, "%-*s", FLEET_WIDTH, title);
    consolePrintAt(g, ox, 1, -1, "%.*s", FLEET_WIDTH, "----------------");
    for (int len = MAX_SHIP_LEN; len >= 2; len--) {  // the smallest ship is a 2-master
        // The row's cells, each written once: a redraw is on every shot's way.
        SquareLook row[FLEET_WIDTH];
        for (SquareLook& cell : row) cell = lookOf(Kind::Water, colour);
        int x = 0;
        for (Kind kind : {Kind::Ship, Kind::Sunk}) {
            for (int n = kind == Kind::Ship ? ships.afloat[len] : ships.sunk[len]; n > 0; n--, x += len + 1) {
                for (int i = x; i < x + len && i < FLEET_WIDTH; i++) row[i] = lookOf(kind, colour);
            }
        }
        for (int i = 0; i < FLEET_WIDTH; i++) consolePrintAt(g, ox + i, 2 + MAX_SHIP_LEN - len, row[i].attr, "%c", row[i].ch);
    }
}

}  // namespace

void consoleAim(Game* g, int on) {
    GAME_ASSERT(g != NULL);
    static const PlatformAim aim{{OPPONENT_BOARD_X + 3, 2}, MAP_WIDTH, MAP_HEIGHT, squareOfLine};
    platformAim(on ? &aim : nullptr);
}

void consoleDrawMaps(Game* g, int modePlayer, int modeOpponent) {
    GAME_ASSERT(g != NULL);
    GAME_ASSERT(g->mapOpponent != NULL);
    GAME_ASSERT(g->mapPlayer != NULL);
    consoleBeginUpdate(&g->console);
    consoleDrawMap(g, g->mapPlayer.get(), 0, 0, modePlayer);
    consoleDrawMap(g, g->mapOpponent.get(), OPPONENT_BOARD_X, 0, modeOpponent);
    bool colour = platformShowsColour();
    drawFleet(g, g->mapPlayer.get(), FLEET_X[0], "Your fleet", colour);
    drawFleet(g, g->mapOpponent.get(), FLEET_X[1], "Opponent's fleet", colour);
    consoleEndUpdate(&g->console);
}

void consoleDrawMap(Game* g, const std::uint8_t* map, int ox, int oy, int mode) {
    GAME_ASSERT(g != NULL);
    GAME_ASSERT(map != NULL);
    GAME_ASSERT(ox >= 0 && oy >= 0);
    bool colour = platformShowsColour();
    consolePrintAt(g, ox + 2, oy, -1, "|");
    for (int x = 0; x < MAP_WIDTH; x++) consolePrintAt(g, ox + 3 + x, oy, -1, "%c", 'A' + x);
    consolePrintAt(g, ox, oy + 1, -1, "--+");
    for (int x = 0; x < MAP_WIDTH; x++) consolePrintAt(g, ox + 3 + x, oy + 1, -1, "%c", '-');
    for (int y = 0; y < MAP_HEIGHT; y++) {
        consolePrintAt(g, ox, oy + 2 + y, -1, "%2d|", y + 1);
        for (int x = 0; x < MAP_WIDTH; x++) {
            SquareLook look = lookOf(squareKind(map, x, y, mode, !colour), colour);
            consolePrintAt(g, ox + 3 + x, oy + 2 + y, look.attr, "%c", look.ch);
        }
    }
}
