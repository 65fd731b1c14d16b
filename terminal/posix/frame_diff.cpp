#include "terminal/posix/frame_diff.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "terminal/posix/scroll.h"

namespace {

bool isPlainBlank(const Cell& c) { return ansiIsBlank(c) && c.attr == ATTR_PLAIN; }

bool looksSame(const Cell& a, const Cell& b) {
    if (a.attr != b.attr) return false;
    return a.ch == b.ch || (ansiIsBlank(a) && ansiIsBlank(b));
}

// How an attribute shows: the SGR numbers of its colours, reverse video and
// underline. Windows numbers its colour bits blue 1, green 2, red 4; ANSI
// numbers red 1, green 2, blue 4. Light grey on black is the terminal's own
// colours, and so is every attribute on a terminal without colour.
struct Colours {
    unsigned fg;
    unsigned bg;
    bool reverse;
    bool underline;
};
constexpr Colours OWN_COLOURS{39, 49, false, false};

unsigned ansiColourIndex(unsigned bits) { return (bits & 2u) | ((bits & 1u) << 2) | ((bits & 4u) >> 2); }

Colours coloursOf(const AnsiScreen& s, std::uint16_t attr) {
    bool reverse = (attr & ATTR_REVERSE) != 0;
    bool underline = (attr & ATTR_UNDERLINE) != 0;
    if (!s.colour || (attr & 0xffu) == ATTR_PLAIN) return {OWN_COLOURS.fg, OWN_COLOURS.bg, reverse, underline};
    return {ansiColourIndex(attr & 7u) + ((attr & 8u) ? 90u : 30u),
            ansiColourIndex((attr >> 4) & 7u) + ((attr & 128u) ? 100u : 40u), reverse, underline};
}

// Whether a cell already looks right in the colours in force: a blank
// shows only one colour, the background, or in reverse video the
// foreground; underlined, it shows the other too, in its line.
bool inForce(const AnsiScreen& s, const Cell& c) {
    Colours want = coloursOf(s, c.attr);
    if (want.reverse != s.reverse || want.underline != s.underline) return false;
    bool blank = ansiIsBlank(c) && !want.underline;
    bool fgShows = !blank || want.reverse;
    bool bgShows = !blank || !want.reverse;
    return (!fgShows || want.fg == s.fg) && (!bgShows || want.bg == s.bg);
}

// Switches the terminal to the colours of c, naming only what changes.
// Reverse video and underline go off only with everything else (SGR 0): a
// VT100 knows no other way.
void setColours(AnsiScreen& s, std::string& out, const Cell& c) {
    if (inForce(s, c)) return;
    Colours want = coloursOf(s, c.attr);
    Colours now{s.fg, s.bg, s.reverse, s.underline};
    std::string named;
    auto name = [&named](unsigned n) {
        if (!named.empty()) named += ';';
        named += std::to_string(n);
    };
    if ((now.reverse && !want.reverse) || (now.underline && !want.underline)) {
        name(0);
        now = OWN_COLOURS;
    }
    // What a blank doesn't show may stay as it is.
    if (ansiIsBlank(c) && !want.underline) (want.reverse ? want.bg : want.fg) = want.reverse ? now.bg : now.fg;
    if (want.underline && !now.underline) name(4);
    if (want.fg != now.fg) name(want.fg);
    if (want.bg != now.bg) name(want.bg);
    if (want.reverse && !now.reverse) name(7);
    // A reset to the terminal's own colours is shorter, where it will do.
    bool plain = !want.reverse && !want.underline && want.bg == OWN_COLOURS.bg &&
                 (want.fg == OWN_COLOURS.fg || ansiIsBlank(c));
    if (plain && !named.empty()) {
        named.clear();
        want = OWN_COLOURS;
    }
    out += "\x1b[" + named + "m";
    s.fg = want.fg;
    s.bg = want.bg;
    s.reverse = want.reverse;
    s.underline = want.underline;
}

std::string cursorTo(int x, int y) {
    if (x == 0 && y == 0) return "\x1b[H";
    return x == 0 ? ansiSequence({y + 1}, 'H') : ansiSequence({y + 1, x + 1}, 'H');
}

// Appends the bytes that write cells [from, to) of row y again as the
// terminal shows them, which moves the cursor over them without a change.
// False when one of them needs other colours than those in force, or when
// that takes limit bytes or more.
bool writeAgain(const AnsiScreen& s, int y, int from, int to, std::size_t limit, std::string* out) {
    std::size_t start = out->size();
    for (int x = from; x < to; x++) {
        const Cell& c = s.shown[ansiAt(x, y)];
        if (!inForce(s, c)) return false;
        *out += ansiGlyph(c.ch);
        if (out->size() - start >= limit) return false;
    }
    return true;
}

// Writes cell (x, y). A character in the terminal's last column leaves the
// cursor waiting to wrap, where terminals disagree: its place is then unknown.
void put(AnsiScreen& s, std::string& out, int x, int y, const Cell& c) {
    ansiMoveTo(s, out, x, y);
    setColours(s, out, c);
    out += ansiGlyph(c.ch);
    s.shown[ansiAt(x, y)] = c;
    s.cursor = x + 1 < s.cols ? Coord{x + 1, y} : Coord{-1, -1};
}

// Writes the cells of row y in [from, to) that look other than shown. Those
// that look the same are taken as shown byte for byte, so that moved rows
// can be recognised by their bytes.
void writeChanged(AnsiScreen& s, std::string& out, const Cell* row, int y, int from, int to) {
    for (int x = from; x < to; x++) {
        if (looksSame(row[x], s.shown[ansiAt(x, y)])) {
            s.shown[ansiAt(x, y)] = row[x];
        } else {
            put(s, out, x, y, row[x]);
        }
    }
}

// Writes the changed cells of row y (width cells of it are visible). Where
// the row ends in blanks that are not all shown yet, erasing to its end may
// be shorter than writing them: both are tried.
void writeRow(AnsiScreen& s, std::string& out, const Cell* row, int y, int width) {
    int tail = width;
    while (tail > 0 && isPlainBlank(row[tail - 1])) tail--;
    int erase = tail;
    while (erase < width && looksSame(row[erase], s.shown[ansiAt(erase, y)])) erase++;
    if (erase == width) {
        writeChanged(s, out, row, y, 0, width);
        return;
    }
    AnsiScreen written = s;
    std::string writing;
    writeChanged(written, writing, row, y, 0, width);

    std::string erasing;
    writeChanged(s, erasing, row, y, 0, erase);
    ansiMoveTo(s, erasing, erase, y);
    ansiPlainBackground(s, erasing);
    erasing += "\x1b[K";
    for (int x = erase; x < width; x++) s.shown[ansiAt(x, y)] = row[x];

    if (writing.size() <= erasing.size()) {
        s = written;
        out += writing;
    } else {
        out += erasing;
    }
}

}  // namespace

std::string ansiSequence(std::initializer_list<int> numbers, char final) {
    std::string seq = "\x1b[";
    for (int n : numbers) {
        if (seq.size() > 2) seq += ';';
        seq += std::to_string(n);
    }
    seq += final;
    return seq;
}

std::string ansiGlyph(unsigned ch) {
    if (ch == 0) return " ";
    if (ch < 32 || (ch >= 127 && ch < 160) || ch > 255) return "?";
    if (ch < 127) return std::string(1, static_cast<char>(ch));
    // U+00A0..U+00FF in UTF-8.
    return {static_cast<char>(0xc0 | (ch >> 6)), static_cast<char>(0x80 | (ch & 0x3f))};
}

std::size_t ansiAt(int x, int y) { return static_cast<std::size_t>(x + y * SCREEN_WIDTH); }

bool ansiIsBlank(const Cell& c) { return c.ch == 0 || c.ch == ' '; }

void ansiBlankCell(Cell& c) { c = {0, ATTR_PLAIN}; }

// Erased and scrolled-in cells take the background in force.
void ansiPlainBackground(AnsiScreen& s, std::string& out) {
    Cell blank;
    ansiBlankCell(blank);
    setColours(s, out, blank);
}

// Moves the cursor to (x, y) the shortest way: a cursor position, or from
// where it is by BS, by CR and LF, or by writing a few cells again.
void ansiMoveTo(AnsiScreen& s, std::string& out, int x, int y) {
    int cx = s.cursor.x;
    int cy = s.cursor.y;
    if (cx == x && cy == y) return;
    std::string best = cursorTo(x, y);
    if (cx >= 0 && cy >= 0) {
        std::string way;
        if (y == cy && x > cx && writeAgain(s, y, cx, x, best.size(), &way)) best = way;
        if (y == cy && x < cx && static_cast<std::size_t>(cx - x) < best.size()) best.assign(static_cast<std::size_t>(cx - x), '\b');
        // LF on the scroll region's last row would scroll it.
        bool scrolls = s.regionBottom >= 0 && cy <= s.regionBottom && s.regionBottom < y;
        if ((y > cy && !scrolls) || (y == cy && x < cx)) {
            // CR first: the same landing whether or not the driver adds a CR to LF.
            way.clear();
            if (cx != 0) way += '\r';
            way.append(static_cast<std::size_t>(y - cy), '\n');
            if (way.size() < best.size() && writeAgain(s, y, 0, x, best.size() - way.size(), &way)) best = way;
        }
    }
    out += best;
    s.cursor = {x, y};
}

std::string frameDiff(AnsiScreen& s, const Frame& frame, Coord cursor) {
    const Cell* next = frame.data();
    std::string out;
    int width = std::clamp(s.cols, 1, SCREEN_WIDTH);
    int height = std::clamp(s.rows, 1, SCREEN_HEIGHT);
    bool cleared = !s.known;
    if (cleared) {
        // From a blank screen in the terminal's own colours, with no scroll
        // region left over from before.
        out += "\x1b[r\x1b[m\x1b[H\x1b[2J";
        for (Cell& c : s.shown) ansiBlankCell(c);
        s.known = true;
        s.cursor = {0, 0};
        s.fg = OWN_COLOURS.fg;
        s.bg = OWN_COLOURS.bg;
        s.reverse = false;
        s.underline = false;
        s.regionTop = 0;
        s.regionBottom = -1;
    }
    // A first look, byte for byte: most frames change a row or two.
    auto rowDiffers = [&](int y) { return std::memcmp(next + ansiAt(0, y), s.shown.data() + ansiAt(0, y), ANSI_ROW_BYTES) != 0; };
    std::array<bool, SCREEN_HEIGHT> differs{};
    int differing = 0;
    for (int y = 0; y < height; y++) differing += differs[static_cast<std::size_t>(y)] = rowDiffers(y);
    Scroll sc = !cleared && differing > 1 ? findScroll(s, next, height) : Scroll{};
    if (sc.k > 0) {
        scrollRows(s, out, sc, height);
        for (int y = sc.top; y < height; y++) differs[static_cast<std::size_t>(y)] = rowDiffers(y);
    }
    // Never past the terminal's edge: a wrapped or scrolled terminal would
    // shift everything after it. Cells out of sight count as shown.
    if (width < SCREEN_WIDTH || height < SCREEN_HEIGHT) {
        for (int y = 0; y < SCREEN_HEIGHT; y++) {
            for (int x = y < height ? width : 0; x < SCREEN_WIDTH; x++) s.shown[ansiAt(x, y)] = next[ansiAt(x, y)];
        }
    }
    for (int y = 0; y < height; y++) {
        if (differs[static_cast<std::size_t>(y)]) writeRow(s, out, next + ansiAt(0, y), y, width);
    }
    ansiMoveTo(s, out, std::clamp(cursor.x, 0, width - 1), std::clamp(cursor.y, 0, height - 1));
    return out;
}
