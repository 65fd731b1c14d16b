#include "platform/posix/ansi_frame.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string_view>

namespace {

std::size_t at(int x, int y) { return static_cast<std::size_t>(x + y * ANSI_COLS); }

bool isBlank(const CHAR_INFO& c) { return c.Char.UnicodeChar == 0 || c.Char.UnicodeChar == ' '; }
bool isPlainBlank(const CHAR_INFO& c) { return isBlank(c) && c.Attributes == ANSI_PLAIN; }

bool looksSame(const CHAR_INFO& a, const CHAR_INFO& b) {
    if (a.Attributes != b.Attributes) return false;
    return a.Char.UnicodeChar == b.Char.UnicodeChar || (isBlank(a) && isBlank(b));
}

void blankCell(CHAR_INFO& c) {
    c.Char.UnicodeChar = 0;
    c.Attributes = ANSI_PLAIN;
}

// The SGR numbers of an attribute's colours. Windows numbers its colour
// bits blue 1, green 2, red 4; ANSI numbers red 1, green 2, blue 4. The
// plain attribute is the terminal's own colours.
struct Colours {
    unsigned fg;
    unsigned bg;
    bool operator==(const Colours&) const = default;
};
constexpr Colours OWN_COLOURS{39, 49};

unsigned ansiColourIndex(unsigned bits) { return (bits & 2u) | ((bits & 1u) << 2) | ((bits & 4u) >> 2); }

Colours coloursOf(WORD attr) {
    if (attr == ANSI_PLAIN) return OWN_COLOURS;
    return {ansiColourIndex(attr & 7u) + ((attr & 8u) ? 90u : 30u),
            ansiColourIndex((attr >> 4) & 7u) + ((attr & 128u) ? 100u : 40u)};
}

// Switches the terminal to attr's colours, naming only what changes.
void setColours(AnsiScreen& s, std::string& out, WORD attr) {
    Colours from = coloursOf(s.attr);
    Colours to = coloursOf(attr);
    s.attr = attr;
    if (from == to) return;
    if (to == OWN_COLOURS) {
        out += "\x1b[m";
        return;
    }
    out += "\x1b[";
    if (from.fg != to.fg) out += std::to_string(to.fg);
    if (from.fg != to.fg && from.bg != to.bg) out += ';';
    if (from.bg != to.bg) out += std::to_string(to.bg);
    out += 'm';
}

std::string cursorTo(int x, int y) {
    if (x == 0 && y == 0) return "\x1b[H";
    std::string seq = "\x1b[" + std::to_string(y + 1);
    if (x > 0) seq += ";" + std::to_string(x + 1);
    return seq + "H";
}

// Appends the bytes that write cells [from, to) of row y again as the
// terminal shows them, which moves the cursor over them without a change.
// False when one of them needs other colours than those in force, or when
// that takes limit bytes or more.
bool writeAgain(const AnsiScreen& s, int y, int from, int to, std::size_t limit, std::string* out) {
    Colours now = coloursOf(s.attr);
    std::size_t start = out->size();
    for (int x = from; x < to; x++) {
        const CHAR_INFO& c = s.shown[at(x, y)];
        if (!(coloursOf(c.Attributes) == now)) return false;
        *out += ansiGlyph(c.Char.UnicodeChar);
        if (out->size() - start >= limit) return false;
    }
    return true;
}

// Moves the cursor to (x, y) the shortest way: a cursor position, or from
// where it is by BS, by CR and LF, or by writing a few cells again.
void moveTo(AnsiScreen& s, std::string& out, int x, int y) {
    int cx = s.cursor.X;
    int cy = s.cursor.Y;
    if (cx == x && cy == y) return;
    std::string best = cursorTo(x, y);
    if (cx >= 0 && cy >= 0) {
        std::string way;
        if (y == cy && x > cx && writeAgain(s, y, cx, x, best.size(), &way)) best = way;
        if (y == cy && x < cx && static_cast<std::size_t>(cx - x) < best.size()) best.assign(static_cast<std::size_t>(cx - x), '\b');
        if (y > cy || (y == cy && x < cx)) {
            // CR first: the same landing whether or not the driver adds a CR to LF.
            way = cx == 0 ? "" : "\r";
            way.append(static_cast<std::size_t>(y - cy), '\n');
            if (way.size() < best.size() && writeAgain(s, y, 0, x, best.size() - way.size(), &way)) best = way;
        }
    }
    out += best;
    s.cursor = {static_cast<SHORT>(x), static_cast<SHORT>(y)};
}

// Writes cell (x, y). A character in the terminal's last column leaves the
// cursor waiting to wrap, where terminals disagree: its place is then unknown.
void put(AnsiScreen& s, std::string& out, int x, int y, const CHAR_INFO& c) {
    moveTo(s, out, x, y);
    setColours(s, out, c.Attributes);
    out += ansiGlyph(c.Char.UnicodeChar);
    s.shown[at(x, y)] = c;
    s.cursor = x + 1 < s.cols ? COORD{static_cast<SHORT>(x + 1), static_cast<SHORT>(y)} : COORD{-1, -1};
}

// Writes the cells of row y in [from, to) that look other than shown. Those
// that look the same are taken as shown byte for byte, so that moved rows
// can be recognised by their bytes.
void writeChanged(AnsiScreen& s, std::string& out, const CHAR_INFO* row, int y, int from, int to) {
    for (int x = from; x < to; x++) {
        if (looksSame(row[x], s.shown[at(x, y)])) {
            s.shown[at(x, y)] = row[x];
        } else {
            put(s, out, x, y, row[x]);
        }
    }
}

// What writing one row changes, so that two ways can be tried.
struct RowState {
    COORD cursor;
    WORD attr;
    std::array<CHAR_INFO, ANSI_COLS> shown;
};

RowState saveRow(const AnsiScreen& s, int y) {
    RowState r{s.cursor, s.attr, {}};
    std::copy_n(s.shown.begin() + static_cast<std::ptrdiff_t>(at(0, y)), ANSI_COLS, r.shown.begin());
    return r;
}

void restoreRow(AnsiScreen& s, int y, const RowState& r) {
    s.cursor = r.cursor;
    s.attr = r.attr;
    std::copy(r.shown.begin(), r.shown.end(), s.shown.begin() + static_cast<std::ptrdiff_t>(at(0, y)));
}

// Writes the changed cells of row y (width cells of it are visible). Where
// the row ends in blanks that are not all shown yet, erasing to its end may
// be shorter than writing them: both are tried.
void writeRow(AnsiScreen& s, std::string& out, const CHAR_INFO* row, int y, int width) {
    int tail = width;
    while (tail > 0 && isPlainBlank(row[tail - 1])) tail--;
    int erase = tail;
    while (erase < width && looksSame(row[erase], s.shown[at(erase, y)])) erase++;
    if (erase == width) {
        writeChanged(s, out, row, y, 0, width);
        return;
    }
    RowState before = saveRow(s, y);
    std::string written;
    writeChanged(s, written, row, y, 0, width);
    RowState afterWriting = saveRow(s, y);

    restoreRow(s, y, before);
    std::string erased;
    writeChanged(s, erased, row, y, 0, tail);
    moveTo(s, erased, erase, y);
    setColours(s, erased, ANSI_PLAIN);  // erased cells take the colours in force
    erased += "\x1b[K";
    for (int x = erase; x < width; x++) blankCell(s.shown[at(x, y)]);

    if (erased.size() < written.size()) {
        out += erased;
    } else {
        restoreRow(s, y, afterWriting);
        out += written;
    }
}

// A row's bytes, to find moved rows quickly: equal rows have equal hashes.
// Rows that look the same with other bytes (a 0 where a blank was) are
// merely drawn again.
struct RowLook {
    std::size_t hash = 0;
    bool blank = true;
    int weight = 4;  // about what drawing it costs: a move, and its text
};

RowLook lookOf(const CHAR_INFO* row) {
    static const std::array<CHAR_INFO, ANSI_COLS> BLANK_ROW = [] {
        std::array<CHAR_INFO, ANSI_COLS> r{};
        for (CHAR_INFO& c : r) blankCell(c);
        return r;
    }();
    RowLook look;
    std::string_view bytes(reinterpret_cast<const char*>(row), sizeof(CHAR_INFO) * ANSI_COLS);
    look.hash = std::hash<std::string_view>{}(bytes);
    look.blank = std::memcmp(row, BLANK_ROW.data(), bytes.size()) == 0;
    look.weight += look.blank ? 0 : 16;
    return look;
}

// A block of rows that moved up together, as the message area does when it
// scrolls: from row top to the bottom, k rows up. Deleting k lines at top
// lets the terminal move them (and brings blank rows in at the bottom)
// instead of drawing them again. Returns k, 0 when that does not pay.
int findScroll(const AnsiScreen& s, const CHAR_INFO* next, int height, int* top) {
    std::array<RowLook, ANSI_ROWS> want;
    std::array<RowLook, ANSI_ROWS> have;
    for (int y = 0; y < height; y++) {
        want[static_cast<std::size_t>(y)] = lookOf(next + at(0, y));
        have[static_cast<std::size_t>(y)] = lookOf(s.shown.data() + at(0, y));
    }
    auto same = [&](int y, int from) {
        const RowLook& a = want[static_cast<std::size_t>(y)];
        const RowLook& b = have[static_cast<std::size_t>(from)];
        if (a.hash != b.hash || a.blank != b.blank) return false;
        return a.blank || std::memcmp(next + at(0, y), s.shown.data() + at(0, from), sizeof(CHAR_INFO) * ANSI_COLS) == 0;
    };
    std::array<bool, ANSI_ROWS> sameNow{};
    for (int y = 0; y < height; y++) sameNow[static_cast<std::size_t>(y)] = same(y, y);

    int best = 0;
    int bestGain = 8;  // about what moving there and deleting lines costs
    for (int k = 1; k < height; k++) {
        int gain = 0;
        for (int t = height - 1; t >= 0; t--) {
            const RowLook& w = want[static_cast<std::size_t>(t)];
            bool sameAfter = t + k < height ? same(t, t + k) : w.blank;
            gain += (static_cast<int>(sameAfter) - static_cast<int>(sameNow[static_cast<std::size_t>(t)])) * w.weight;
            if (t + k < height && gain > bestGain) {
                bestGain = gain;
                best = k;
                *top = t;
            }
        }
    }
    return best;
}

void deleteLines(AnsiScreen& s, std::string& out, int top, int k, int height) {
    moveTo(s, out, 0, top);
    setColours(s, out, ANSI_PLAIN);  // the new blank rows take the colours in force
    out += k == 1 ? std::string("\x1b[M") : "\x1b[" + std::to_string(k) + "M";
    for (int y = top; y < height; y++) {
        for (int x = 0; x < ANSI_COLS; x++) {
            if (y + k < height) {
                s.shown[at(x, y)] = s.shown[at(x, y + k)];
            } else {
                blankCell(s.shown[at(x, y)]);
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

std::string ansiFrame(AnsiScreen& s, const CHAR_INFO* next, COORD cursor) {
    std::string out;
    int width = std::clamp(s.cols, 1, ANSI_COLS);
    int height = std::clamp(s.rows, 1, ANSI_ROWS);
    bool cleared = !s.known;
    if (cleared) {
        // From a blank screen in the terminal's own colours, with no scroll
        // region left over from before.
        out += "\x1b[r\x1b[m\x1b[H\x1b[2J";
        for (CHAR_INFO& c : s.shown) blankCell(c);
        s.known = true;
        s.cursor = {0, 0};
        s.attr = ANSI_PLAIN;
    }
    // A first look, byte for byte: most frames change a row or two.
    auto rowDiffers = [&](int y) {
        return std::memcmp(next + at(0, y), s.shown.data() + at(0, y), sizeof(CHAR_INFO) * ANSI_COLS) != 0;
    };
    std::array<bool, ANSI_ROWS> differs{};
    int differing = 0;
    for (int y = 0; y < height; y++) differing += differs[static_cast<std::size_t>(y)] = rowDiffers(y);
    int top = 0;
    int k = !cleared && differing > 1 ? findScroll(s, next, height, &top) : 0;
    if (k > 0) {
        deleteLines(s, out, top, k, height);
        for (int y = top; y < height; y++) differs[static_cast<std::size_t>(y)] = rowDiffers(y);
    }
    // Never past the terminal's edge: a wrapped or scrolled terminal would
    // shift everything after it. Cells out of sight count as shown.
    if (width < ANSI_COLS || height < ANSI_ROWS) {
        for (int y = 0; y < ANSI_ROWS; y++) {
            for (int x = y < height ? width : 0; x < ANSI_COLS; x++) s.shown[at(x, y)] = next[at(x, y)];
        }
    }
    for (int y = 0; y < height; y++) {
        if (differs[static_cast<std::size_t>(y)]) writeRow(s, out, next + at(0, y), y, width);
    }
    moveTo(s, out, std::clamp(static_cast<int>(cursor.X), 0, width - 1), std::clamp(static_cast<int>(cursor.Y), 0, height - 1));
    return out;
}
