#include "platform/posix/tty.h"

#include "platform/posix/terminfo.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

using Cells = std::array<CHAR_INFO, ANSI_COLS * ANSI_ROWS>;

bool tooSmall(const Tty& t) { return t.screen.rows < TTY_MIN_ROWS || t.screen.cols < TTY_MIN_COLS; }

// The notice shown in place of the game on a terminal too small for it, cut
// into rows at the terminal's edge. Drawn once for each size.
std::string notice(Tty& t) {
    int rows = t.screen.rows;
    int cols = std::max(t.screen.cols, 1);
    if (t.notice.X == cols && t.notice.Y == rows) return "";
    t.notice = {static_cast<SHORT>(cols), static_cast<SHORT>(rows)};
    std::string text = "salvo needs a terminal of " + std::to_string(TTY_MIN_COLS) + " x " +
                       std::to_string(TTY_MIN_ROWS) + " (this one is " + std::to_string(t.screen.cols) + " x " +
                       std::to_string(rows) + ")";
    std::string out = "\x1b[r\x1b[m\x1b[H\x1b[2J";
    // Words wrapped at the edge; a word longer than a row is cut.
    auto width = static_cast<std::size_t>(cols);
    std::size_t from = 0;
    for (int row = 0; row < rows && from < text.size(); row++) {
        std::size_t end = std::min(from + width, text.size());
        std::size_t space = text.rfind(' ', end);
        if (end < text.size() && space != std::string::npos && space > from) end = space;
        if (row > 0) out += ansiSequence({row + 1}, 'H');
        out += text.substr(from, end - from);
        from = text.find_first_not_of(' ', end);
    }
    // The game comes back from a clear screen.
    t.screen.known = false;
    return out;
}

// The aimed square on its board: the cursor on it, its column letter and its
// row number in reverse video.
void showAim(const Tty& t, Cells& cells, COORD& cursor) {
    int x = t.aim.a1.X + t.aimed.X;
    int y = t.aim.a1.Y + t.aimed.Y;
    auto highlight = [&cells](int cx, int cy) {
        if (cx >= 0 && cx < ANSI_COLS && cy >= 0 && cy < ANSI_ROWS) {
            cells[static_cast<std::size_t>(cx + cy * ANSI_COLS)].Attributes |= COMMON_LVB_REVERSE_VIDEO;
        }
    };
    highlight(x, t.aim.a1.Y - 2);
    highlight(t.aim.a1.X - 3, y);
    highlight(t.aim.a1.X - 2, y);
    cursor = {static_cast<SHORT>(x), static_cast<SHORT>(y)};
}

// The game's frame with the line typed so far after its cursor (the end of
// the prompt), running on over the rows below it, which are blank; the
// cursor follows the typing. A line too long for that room shows its end.
void withTyping(const Tty& t, Cells& cells, COORD& cursor) {
    cells = t.frame;
    cursor = t.cursor;
    if (!t.editing || !t.reading) return;
    int height = std::min(t.screen.rows, ANSI_ROWS);
    int start = std::clamp(static_cast<int>(cursor.X), 0, ANSI_COLS - 1) +
                std::clamp(static_cast<int>(cursor.Y), 0, height - 1) * ANSI_COLS;
    int room = height * ANSI_COLS - start - 1;  // a cell stays free for the cursor
    std::string_view typed = t.line;
    if (room < 0) return;
    if (typed.size() > static_cast<std::size_t>(room)) typed.remove_prefix(typed.size() - static_cast<std::size_t>(room));
    for (std::size_t i = 0; i < typed.size(); i++) {
        CHAR_INFO& cell = cells[static_cast<std::size_t>(start) + i];
        cell.Char.UnicodeChar = static_cast<WCHAR>(static_cast<unsigned char>(typed[i]));
        cell.Attributes = ANSI_PLAIN;
    }
    int end = start + static_cast<int>(typed.size());
    cursor = {static_cast<SHORT>(end % ANSI_COLS), static_cast<SHORT>(end / ANSI_COLS)};
    if (t.aiming && t.aimShown) showAim(t, cells, cursor);
}

// The square the line names, if the aim's board has it.
bool lineSquare(const Tty& t, COORD* square) {
    int x = 0;
    int y = 0;
    if (!t.aim.squareOf || !t.aim.squareOf(t.line.c_str(), &x, &y)) return false;
    if (x < 0 || x >= t.aim.columns || y < 0 || y >= t.aim.rows) return false;
    *square = {static_cast<SHORT>(x), static_cast<SHORT>(y)};
    return true;
}

// An arrow key (A up, B down, C right, D left): one square on, stopping at
// the board's edges; the line names the square aimed at.
void arrow(Tty& t, char which) {
    if (!t.aiming) return;
    COORD at = t.aimed.X >= 0 ? t.aimed : COORD{0, 0};
    lineSquare(t, &at);
    int x = at.X + (which == 'C') - (which == 'D');
    int y = at.Y + (which == 'B') - (which == 'A');
    t.aimed = {static_cast<SHORT>(std::clamp(x, 0, t.aim.columns - 1)), static_cast<SHORT>(std::clamp(y, 0, t.aim.rows - 1))};
    t.line = static_cast<char>('a' + t.aimed.X) + std::to_string(t.aimed.Y + 1);
    t.aimShown = true;
}

// Takes key into the escape sequence under way, if any: ESC [ with
// parameters and a final byte, ESC O and a byte, and the Linux console's
// ESC [ [ and a byte for its function keys. Returns false when the key is
// not part of one and counts as typed.
bool escapeKey(Tty& t, unsigned char key) {
    using E = Tty::Escape;
    bool printable = key >= 0x20 && key < 0x7f;
    switch (t.escape) {
        case E::None:
            if (key != 0x1b) return false;
            t.escape = E::Begun;
            return true;
        case E::Begun:
            t.escape = key == '[' ? E::Csi : key == 'O' ? E::Ss3 : key == 0x1b ? E::Begun : E::None;
            return t.escape != E::None;
        case E::Csi:
            if (key == '[') {
                t.escape = E::LinuxFunction;
                return true;
            }
            if (key >= 0x20 && key < 0x40) return true;  // parameters
            break;
        case E::LinuxFunction:
        case E::Ss3:
            break;
    }
    // The final byte; anything else breaks the sequence off and counts as typed.
    if (printable && t.escape != E::LinuxFunction && key >= 'A' && key <= 'D') arrow(t, static_cast<char>(key));
    t.escape = E::None;
    return printable;
}

// Applies one key to the line being typed. The terminal's own keys come
// first; Backspace sends DEL on some terminals and BS on others, and both
// erase. Returns true when the key ended the line, or the input.
bool edit(Tty& t, unsigned char key) {
    if (escapeKey(t, key)) return false;
    t.aimShown = false;
    const TtyKeys& k = t.keys;
    auto is = [key](unsigned char setting) { return setting != 0 && key == setting; };
    if (key == '\n') {
        if (t.aiming) lineSquare(t, &t.aimed);  // fired at: the next aim starts there
        t.lines += t.line;
        t.lines += '\n';
        t.line.clear();
        return true;
    }
    if (is(k.endOfInput)) {
        // On an empty line only: a terminal hands over what was typed, and
        // the game would wait for the rest of that line anyway.
        t.ended = t.line.empty();
        return t.ended;
    }
    if (is(k.kill)) {
        t.line.clear();
    } else if (is(k.wordErase)) {
        auto blank = [&t] { return t.line.back() == ' ' || t.line.back() == '\t'; };
        while (!t.line.empty() && blank()) t.line.pop_back();
        while (!t.line.empty() && !blank()) t.line.pop_back();
    } else if (is(k.erase) || key == 0x7f || key == '\b') {
        if (!t.line.empty()) t.line.pop_back();
    } else if (t.line.size() < TTY_LINE_MAX) {
        t.line += static_cast<char>(key);
    }
    return false;
}

// fgets on text: through the first newline, or size - 1 bytes; short of
// both, only when whole says that no more will come.
bool takePiece(std::string& text, bool whole, char* buf, int size) {
    std::size_t room = static_cast<std::size_t>(size) - 1;
    std::size_t newline = text.find('\n');
    std::size_t n = newline == std::string::npos ? text.size() : newline + 1;
    if (n > room) {
        n = room;
    } else if (newline == std::string::npos && !whole) {
        return false;
    }
    if (n == 0) return false;
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    text.erase(0, n);
    return true;
}

}  // namespace

std::string ttyShow(Tty& t) {
    if (tooSmall(t)) return notice(t);
    t.notice = {0, 0};
    Cells cells;
    COORD cursor;
    withTyping(t, cells, cursor);
    return ansiFrame(t.screen, cells.data(), cursor);
}

void ttyKeepFrame(Tty& t, const CHAR_INFO* cells, COORD cursor) {
    std::copy_n(cells, t.frame.size(), t.frame.begin());
    t.cursor = cursor;
}

bool ttyColour(ColourChoice choice, const char* noColor, int colours) {
    switch (choice) {
        case ColourChoice::Always: return true;
        case ColourChoice::Never: return false;
        case ColourChoice::Auto: break;
    }
    if (noColor && *noColor) return false;
    return colours == TERMINFO_UNKNOWN || colours >= 8;
}

void ttyRepaint(Tty& t, int rows, int cols) {
    t.screen.rows = rows;
    t.screen.cols = cols;
    t.screen.known = false;
    t.notice = {0, 0};
}

TtyRead ttyRead(Tty& t, char* buf, int size) {
    if (size < 2) {
        if (size == 1) buf[0] = '\0';
        return TtyRead::End;
    }
    if (t.editing) {
        std::size_t used = 0;
        while (t.lines.empty() && !t.ended && used < t.input.size()) edit(t, static_cast<unsigned char>(t.input[used++]));
        t.input.erase(0, used);
        if (takePiece(t.lines, t.ended, buf, size)) return TtyRead::Line;
    } else if (takePiece(t.input, t.ended, buf, size)) {
        return TtyRead::Line;
    }
    if (!t.ended) return TtyRead::More;
    buf[0] = '\0';
    return TtyRead::End;
}

void ttyEndOfInput(Tty& t) {
    // Keys read before the end still count, and a line cut off by it comes
    // as a last line without its newline.
    if (t.editing) {
        for (std::size_t i = 0; i < t.input.size() && !t.ended; i++) edit(t, static_cast<unsigned char>(t.input[i]));
        t.input.clear();
        t.lines += t.line;
        t.line.clear();
    }
    t.ended = true;
}

void ttyAim(Tty& t, const PlatformAim* aim) {
    t.aiming = aim != nullptr;
    if (aim) t.aim = *aim;
    t.aimed = {-1, -1};
    t.aimShown = false;
}
