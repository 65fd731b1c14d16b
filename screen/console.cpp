#include "screen/console.h"

#include <algorithm>
#include <cstdarg>
#include <utility>
#include <cstdio>
#include <cstring>

#include "rules/board.h"
#include "terminal/game_assert.h"

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

void putCell(Cell* cell, char ch, std::uint16_t attr) {
    // The byte itself, 0-255: no code page, one cell a byte.
    cell->ch = static_cast<unsigned char>(ch);
    cell->attr = attr;
}

void blankRow(ConsoleWin* c, int y) {
    for (int x = 0; x < SCREEN_WIDTH; x++) putCell(consoleCell(c, x, y), '\0', ATTR_PLAIN);
}

}  // namespace

void consoleInit(ConsoleWin* c) {
    GAME_ASSERT(c != NULL);
    c->updating = 0;
    c->cursorPos = {0, 0};
    c->cursorSynced = 0;
    c->consoleStart = MAP_HEIGHT + 4;
    c->consoleLine = c->consoleStart;
    c->consoleColumn = 0;
    c->consoleEnd = SCREEN_HEIGHT - 2;  // the last row stays blank
    GAME_ASSERT(c->consoleEnd - c->consoleStart >= 2);
    c->charBuf.fill({0, ATTR_PLAIN});
    c->drawn.clear();
    consoleFlush(c);
}

void consoleFlush(ConsoleWin* c) {
    GAME_ASSERT(c != NULL);
    if (c->updating != 0) return;
    terminalShow(c->charBuf, c->cursorSynced ? &c->cursorPos : nullptr);
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

void consoleEndUpdateLater(ConsoleWin* c) {
    GAME_ASSERT(c != NULL);
    GAME_ASSERT(c->updating == 1);
    c->updating = 0;
}

Cell* consoleCell(ConsoleWin* c, int x, int y) {
    return &c->charBuf[static_cast<std::size_t>(x + y * SCREEN_WIDTH)];
}

void consolePrintAt(ConsoleWin* c, int x, int y, int attr, const char* format, ...) {
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

    auto cellAttr = attr == -1 ? ATTR_PLAIN : static_cast<std::uint16_t>(attr);
    for (int i = 0; i < len; i++) {
        // Text running off the screen is dropped, never written past the image.
        if (x >= 0 && x < SCREEN_WIDTH && y >= 0 && y < SCREEN_HEIGHT) putCell(consoleCell(c, x, y), buf[i], cellAttr);
        x++;
        if (x >= SCREEN_WIDTH) {
            x = 0;
            y++;
        }
    }
    if (!c->updating) consoleFlush(c);
}

void consoleSyncCursor(ConsoleWin* wc) {
    GAME_ASSERT(wc != NULL);
    GAME_ASSERT(wc->cursorPos.x <= SCREEN_WIDTH);
    GAME_ASSERT(wc->cursorPos.y <= SCREEN_HEIGHT);
    wc->cursorSynced = 1;
}

void consoleScroll(ConsoleWin* wc) {
    GAME_ASSERT(wc != NULL);
    GAME_ASSERT(wc->updating == 1);
    if (wc->consoleLine < wc->consoleEnd) return;
    // The row below the area moves up too; it is always blank, and stays so.
    for (int r = wc->consoleStart + 1; r <= wc->consoleEnd + 1; r++) {
        std::copy_n(consoleCell(wc, 0, r), SCREEN_WIDTH, consoleCell(wc, 0, r - 1));
    }
    blankRow(wc, wc->consoleEnd + 1);
    wc->consoleLine--;
    wc->cursorPos.y--;
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
        if (wc->consoleColumn >= SCREEN_WIDTH || ch == '\n') {
            wc->consoleColumn = 0;
            wc->consoleLine++;
            while (wc->consoleLine > wc->consoleEnd) consoleScroll(wc);
        }
    }
    // The cursor waits where the text stopped: after the "> " that ends
    // every prompt, and while the computer plays, where its next words go.
    wc->cursorPos = {wc->consoleColumn, wc->consoleLine};
    consoleSyncCursor(wc);
    consoleEndUpdate(wc);
}

namespace {

std::function<void(const char*)> readWatch;
std::function<void(bool)> aimWatch;

// What the player did next: first what was kept while the game did not read.
TerminalEvent nextInput(ConsoleWin* wc, bool wait) {
    std::deque<TerminalEvent>& kept = wc->input.waiting;
    if (kept.empty()) return terminalNextEvent(wait);
    TerminalEvent e = kept.front();
    if (e.kind != EventKind::End) kept.pop_front();
    return e;
}

// The line read, echoed after "> " on a row of its own. A line cut off
// (by the end of input, or longer than the buffer) ends its row all the
// same, so what comes next never writes over it.
void echoRead(ConsoleWin* wc, const char* buf) {
    if (readWatch) readWatch(buf);
    wc->consoleColumn = 0;
    consolePrint(wc, "> %s", buf);
    if (wc->consoleColumn != 0) consolePrint(wc, "\n");
}

}  // namespace

bool consoleAsksHint(const char* line) { return std::strcmp(line, "?\n") == 0 || std::strcmp(line, "?") == 0; }

bool consoleReadLine(ConsoleWin* wc, char* buf, int size) {
    GAME_ASSERT(wc != NULL && buf != NULL && size > 1);
    ConsoleInput& in = wc->input;
    LineEditor& e = in.editor;
    bool echo = terminalEchoes();
    e.hintKey = in.hint && echo;
    for (;;) {
        if (editorTake(e, buf, size)) {
            // A line holding only "?" asks for the hint too.
            bool asks = in.hint && consoleAsksHint(buf);
            if (!asks) break;
            echoRead(wc, buf);
            e.hintAsked = true;
        }
        if (e.hintAsked) {
            e.hintAsked = false;
            in.hint(true);
            in.hintShown = true;
            // Unseen, the line the hint aims with waits for an empty one.
            if (!echo) in.hintLine = std::exchange(e.line, "");
            continue;
        }
        // End of input ends the game as the quit line does: asking again
        // would only read nothing for ever.
        if (e.ended) {
            buf[0] = '\0';
            return false;
        }
        // All that was typed already, then the line as it stands is shown,
        // then the wait for more.
        TerminalEvent event = nextInput(wc, false);
        if (event.kind == EventKind::None) {
            if (echo) {
                Frame shown = wc->charBuf;
                Coord cursor = wc->cursorPos;
                editorCompose(e, shown, cursor, terminalSize().y);
                terminalShow(shown, &cursor);
            }
            event = nextInput(wc, true);
        }
        // Any key takes the hint away, then does what it does.
        if (in.hintShown && event.kind != EventKind::Resize) {
            in.hintShown = false;
            in.hint(false);
        }
        editorApply(e, event, wc->charBuf, echo);
    }
    if (in.hintShown) {
        in.hintShown = false;
        in.hint(false);
    }
    if (!in.hintLine.empty() && (buf[0] == '\0' || std::strcmp(buf, "\n") == 0)) {
        std::snprintf(buf, static_cast<std::size_t>(size), "%s\n", in.hintLine.c_str());
    }
    in.hintLine.clear();
    echoRead(wc, buf);
    return buf[0] != '-';
}

void consoleClicks(ConsoleWin* wc, Clicks clicks) { wc->input.editor.clicks = clicks; }

void consoleAimTo(ConsoleWin* wc, Coord square) {
    GAME_ASSERT(wc->input.editor.aiming);
    editorAimTo(wc->input.editor, square);
}

void consoleHint(ConsoleWin* wc, std::function<void(bool show)> hint) {
    wc->input.hint = std::move(hint);
    wc->input.hintShown = false;
}

void consoleAimAt(ConsoleWin* wc, const AimBoard* board) {
    editorAim(wc->input.editor, board);
    if (aimWatch) aimWatch(board != nullptr);
}

bool consoleAwaitSight(ConsoleWin* wc) {
    bool waited = false;
    while (!terminalInSight()) {
        waited = true;
        TerminalEvent e = terminalNextEvent(true);
        if (e.kind != EventKind::Resize) wc->input.waiting.push_back(e);
        // With input ended, nothing will come to show the game again.
        if (e.kind == EventKind::End) break;
    }
    return waited;
}

void consoleDropTyped(ConsoleWin* wc) {
    std::deque<TerminalEvent>& kept = wc->input.waiting;
    bool ended = !kept.empty() && kept.back().kind == EventKind::End;
    kept.clear();
    if (ended) kept.push_back({EventKind::End, 0, {0, 0}});
    editorDrop(wc->input.editor);
    terminalDropTyped();
}

void consoleWatch(std::function<void(const char*)> onRead, std::function<void(bool)> onAim) {
    readWatch = std::move(onRead);
    aimWatch = std::move(onAim);
}
