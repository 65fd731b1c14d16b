#include "platform/posix/ansi_frame.h"

#include <cstdio>

namespace {

constexpr unsigned PLAIN = 7;

bool isBlank(const CHAR_INFO& c) { return c.Char.UnicodeChar == 0 || c.Char.UnicodeChar == ' '; }

bool looksSame(const CHAR_INFO& a, const CHAR_INFO& b) {
    if (a.Attributes != b.Attributes) return false;
    return a.Char.UnicodeChar == b.Char.UnicodeChar || (isBlank(a) && isBlank(b));
}

bool rowsLookSame(const CHAR_INFO* a, const CHAR_INFO* b) {
    for (int x = 0; x < ANSI_COLS; x++) {
        if (!looksSame(a[x], b[x])) return false;
    }
    return true;
}

bool rowIsBlank(const CHAR_INFO* row) {
    for (int x = 0; x < ANSI_COLS; x++) {
        if (!isBlank(row[x]) || row[x].Attributes != PLAIN) return false;
    }
    return true;
}

void appendCursorTo(std::string& out, int x, int y) {
    char buf[32];
    if (x == 0 && y == 0) {
        out += "\x1b[H";
        return;
    }
    if (x == 0) {
        std::snprintf(buf, sizeof buf, "\x1b[%dH", y + 1);
    } else {
        std::snprintf(buf, sizeof buf, "\x1b[%d;%dH", y + 1, x + 1);
    }
    out += buf;
}

// Windows numbers its colour bits blue 1, green 2, red 4; ANSI numbers red
// 1, green 2, blue 4.
unsigned ansiColourIndex(unsigned bits) { return (bits & 2) | ((bits & 1) << 2) | ((bits & 4) >> 2); }

void blankCell(CHAR_INFO& c) {
    c.Char.UnicodeChar = 0;
    c.Attributes = PLAIN;
}

// Over a short gap of unchanged cells in the colour in force, writing the
// cells again is shorter than moving the cursor past them (a message on a
// blank row is words and spaces). Appends them and returns true when so.
bool bridgeGap(std::string& out, const CHAR_INFO* next, int from, int to, unsigned attr) {
    std::string gap;
    for (int i = from; i < to; i++) {
        if (next[i].Attributes != attr) return false;
        gap += ansiGlyph(next[i].Char.UnicodeChar);
    }
    std::string move;
    appendCursorTo(move, to % ANSI_COLS, to / ANSI_COLS);
    if (gap.size() >= move.size()) return false;
    out += gap;
    return true;
}

// A block of rows that moved up together, as the message area does when it
// scrolls: let the terminal move them (a scroll region over the rows from
// top to the bottom of the screen) instead of drawing them again. Returns
// the number of rows moved, 0 when no scroll pays off.
int findScroll(const AnsiScreen& s, const CHAR_INFO* next, int* top) {
    const CHAR_INFO* shown = s.shown.data();
    auto row = [](const CHAR_INFO* cells, int y) { return cells + y * ANSI_COLS; };
    bool sameNow[ANSI_ROWS];
    bool blankNext[ANSI_ROWS];
    for (int y = 0; y < ANSI_ROWS; y++) {
        sameNow[y] = rowsLookSame(row(next, y), row(shown, y));
        blankNext[y] = rowIsBlank(row(next, y));
    }
    int best = 0;
    int bestGain = 1;  // a scroll costs about as much as drawing one row
    for (int k = 1; k < ANSI_ROWS; k++) {
        // gain[t]: rows from t down that look right after scrolling by k,
        // less those that looked right before.
        int gain = 0;
        for (int t = ANSI_ROWS - 1; t >= 0; t--) {
            bool sameAfter = t + k < ANSI_ROWS ? rowsLookSame(row(next, t), row(shown, t + k)) : blankNext[t];
            gain += static_cast<int>(sameAfter) - static_cast<int>(sameNow[t]);
            if (t + k < ANSI_ROWS && gain > bestGain) {
                bestGain = gain;
                best = k;
                *top = t;
            }
        }
    }
    return best;
}

void applyScroll(AnsiScreen& s, std::string& out, int top, int k) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "\x1b[%d;%dr", top + 1, ANSI_ROWS);
    out += buf;
    if (k == 1) {
        out += "\x1b[S";
    } else {
        std::snprintf(buf, sizeof buf, "\x1b[%dS", k);
        out += buf;
    }
    out += "\x1b[r";
    for (int y = top; y < ANSI_ROWS; y++) {
        for (int x = 0; x < ANSI_COLS; x++) {
            CHAR_INFO& c = s.shown[static_cast<std::size_t>(x + y * ANSI_COLS)];
            if (y + k < ANSI_ROWS) {
                c = s.shown[static_cast<std::size_t>(x + (y + k) * ANSI_COLS)];
            } else {
                blankCell(c);
            }
        }
    }
}

}  // namespace

std::string ansiGlyph(unsigned ch) {
    if (ch == 0) return " ";
    if (ch < 32 || (ch >= 127 && ch < 160) || ch > 255) return "?";
    if (ch < 127) return std::string(1, static_cast<char>(ch));
    // U+00A0..U+00FF in UTF-8.
    return {static_cast<char>(0xc0 | (ch >> 6)), static_cast<char>(0x80 | (ch & 0x3f))};
}

std::string ansiColour(unsigned attr) {
    if (attr == PLAIN) return "\x1b[m";
    unsigned fg = ansiColourIndex(attr & 7) + ((attr & 8) ? 90 : 30);
    unsigned bg = ansiColourIndex((attr >> 4) & 7) + ((attr & 128) ? 100 : 40);
    char buf[32];
    std::snprintf(buf, sizeof buf, "\x1b[%u;%um", fg, bg);
    return buf;
}

std::string ansiFrame(AnsiScreen& s, const CHAR_INFO* next, COORD cursor) {
    std::string out;
    if (!s.known) {
        // Start from a blank screen in plain colours.
        out += "\x1b[m\x1b[H\x1b[2J";
        for (CHAR_INFO& c : s.shown) blankCell(c);
        s.known = true;
        s.cursor = {-1, -1};
    } else if (s.rows >= ANSI_ROWS && s.cols >= 1) {
        int top = 0;
        int k = findScroll(s, next, &top);
        if (k > 0) applyScroll(s, out, top, k);
    }

    unsigned attr = PLAIN;
    int lastWritten = -2;
    for (int i = 0; i < ANSI_COLS * ANSI_ROWS; i++) {
        int x = i % ANSI_COLS;
        int y = i / ANSI_COLS;
        CHAR_INFO& shown = s.shown[static_cast<std::size_t>(i)];
        if (looksSame(next[i], shown)) continue;
        shown = next[i];
        // Never past the terminal's edge: a wrapped or scrolled terminal
        // would shift everything after it.
        if (x >= s.cols || y >= s.rows) continue;
        if (i != lastWritten + 1 || x == 0) {
            if (lastWritten < 0 || lastWritten / ANSI_COLS != y || !bridgeGap(out, next, lastWritten + 1, i, attr)) {
                appendCursorTo(out, x, y);
            }
        }
        if (next[i].Attributes != attr) {
            attr = next[i].Attributes;
            out += ansiColour(attr);
        }
        out += ansiGlyph(next[i].Char.UnicodeChar);
        lastWritten = i;
    }
    // Plain colours between frames: the player's typing must not take the
    // colour of the last square drawn.
    if (attr != PLAIN) out += ansiColour(PLAIN);

    int cx = cursor.X < 0 ? 0 : (cursor.X >= s.cols ? s.cols - 1 : cursor.X);
    int cy = cursor.Y < 0 ? 0 : (cursor.Y >= s.rows ? s.rows - 1 : cursor.Y);
    if (!out.empty() || cx != s.cursor.X || cy != s.cursor.Y) {
        appendCursorTo(out, cx, cy);
        s.cursor = {static_cast<SHORT>(cx), static_cast<SHORT>(cy)};
    }
    return out;
}
