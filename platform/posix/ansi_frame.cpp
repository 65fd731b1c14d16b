#include "platform/posix/ansi_frame.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string_view>

namespace {

constexpr std::size_t ROW_BYTES = sizeof(CHAR_INFO) * ANSI_COLS;

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

// How an attribute shows: the SGR numbers of its colours, and reverse video.
// Windows numbers its colour bits blue 1, green 2, red 4; ANSI numbers red 1,
// green 2, blue 4. Light grey on black is the terminal's own colours, and so
// is every attribute on a terminal without colour.
struct Colours {
    unsigned fg;
    unsigned bg;
    bool reverse;
};
constexpr Colours OWN_COLOURS{39, 49, false};

unsigned ansiColourIndex(unsigned bits) { return (bits & 2u) | ((bits & 1u) << 2) | ((bits & 4u) >> 2); }

Colours coloursOf(const AnsiScreen& s, WORD attr) {
    bool reverse = (attr & COMMON_LVB_REVERSE_VIDEO) != 0;
    if (!s.colour || (attr & 0xffu) == ANSI_PLAIN) return {OWN_COLOURS.fg, OWN_COLOURS.bg, reverse};
    return {ansiColourIndex(attr & 7u) + ((attr & 8u) ? 90u : 30u),
            ansiColourIndex((attr >> 4) & 7u) + ((attr & 128u) ? 100u : 40u), reverse};
}

// Whether a cell already looks right in the colours in force: a blank
// shows only one colour, the background, or in reverse video the foreground.
bool inForce(const AnsiScreen& s, const CHAR_INFO& c) {
    Colours want = coloursOf(s, c.Attributes);
    if (want.reverse != s.reverse) return false;
    bool fgShows = !isBlank(c) || want.reverse;
    bool bgShows = !isBlank(c) || !want.reverse;
    return (!fgShows || want.fg == s.fg) && (!bgShows || want.bg == s.bg);
}

// Switches the terminal to the colours of c, naming only what changes.
// Reverse video goes off only with everything else (SGR 0): a VT100 knows no
// other way.
void setColours(AnsiScreen& s, std::string& out, const CHAR_INFO& c) {
    if (inForce(s, c)) return;
    Colours want = coloursOf(s, c.Attributes);
    Colours now{s.fg, s.bg, s.reverse};
    std::string named;
    auto name = [&named](unsigned n) {
        if (!named.empty()) named += ';';
        named += std::to_string(n);
    };
    if (now.reverse && !want.reverse) {
        name(0);
        now = OWN_COLOURS;
    }
    // What a blank doesn't show may stay as it is.
    if (isBlank(c)) (want.reverse ? want.bg : want.fg) = want.reverse ? now.bg : now.fg;
    if (want.fg != now.fg) name(want.fg);
    if (want.bg != now.bg) name(want.bg);
    if (want.reverse && !now.reverse) name(7);
    // A reset to the terminal's own colours is shorter, where it will do.
    bool plain = !want.reverse && want.bg == OWN_COLOURS.bg && (want.fg == OWN_COLOURS.fg || isBlank(c));
    if (plain && !named.empty()) {
        named.clear();
        want = OWN_COLOURS;
    }
    out += "\x1b[" + named + "m";
    s.fg = want.fg;
    s.bg = want.bg;
    s.reverse = want.reverse;
}

// Erased and scrolled-in cells take the background in force.
void plainBackground(AnsiScreen& s, std::string& out) {
    CHAR_INFO blank;
    blankCell(blank);
    setColours(s, out, blank);
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
        const CHAR_INFO& c = s.shown[at(x, y)];
        if (!inForce(s, c)) return false;
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
    s.cursor = {static_cast<SHORT>(x), static_cast<SHORT>(y)};
}

// Writes cell (x, y). A character in the terminal's last column leaves the
// cursor waiting to wrap, where terminals disagree: its place is then unknown.
void put(AnsiScreen& s, std::string& out, int x, int y, const CHAR_INFO& c) {
    moveTo(s, out, x, y);
    setColours(s, out, c);
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
    AnsiScreen written = s;
    std::string writing;
    writeChanged(written, writing, row, y, 0, width);

    std::string erasing;
    writeChanged(s, erasing, row, y, 0, erase);
    moveTo(s, erasing, erase, y);
    plainBackground(s, erasing);
    erasing += "\x1b[K";
    for (int x = erase; x < width; x++) s.shown[at(x, y)] = row[x];

    if (writing.size() <= erasing.size()) {
        s = written;
        out += writing;
    } else {
        out += erasing;
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
    std::string_view bytes(reinterpret_cast<const char*>(row), ROW_BYTES);
    look.hash = std::hash<std::string_view>{}(bytes);
    look.blank = std::memcmp(row, BLANK_ROW.data(), ROW_BYTES) == 0;
    for (int x = 0; x < ANSI_COLS && !look.blank; x++) look.weight += isBlank(row[x]) ? 0 : 1;
    return look;
}

// Rows top to bottom move up by k rows, blank rows coming in below them.
struct Scroll {
    int top = 0;
    int bottom = 0;
    int k = 0;       // 0: no scroll pays
    int lowest = 0;  // the blank rows shown below the block reach down to here
};

// A block of rows that moved up together, as the message area does when it
// scrolls, so that the terminal can move them instead of their being drawn
// again.
Scroll findScroll(const AnsiScreen& s, const CHAR_INFO* next, int height) {
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
        return a.blank || std::memcmp(next + at(0, y), s.shown.data() + at(0, from), ROW_BYTES) == 0;
    };
    std::array<bool, ANSI_ROWS> sameNow{};
    for (int y = 0; y < height; y++) sameNow[static_cast<std::size_t>(y)] = same(y, y);

    // A scroll within the region in force costs a line feed or two; any
    // other, a new region or a move and a line deletion as well. Blank rows
    // below a block may scroll with it, so the region in force serves every
    // block from its top whose blank rows below reach its bottom.
    std::array<int, ANSI_ROWS> blankTo{};  // the lowest row of the blank rows from y + 1 down
    for (int y = height - 1; y >= 0; y--) {
        bool nextBlank = y + 1 < height && have[static_cast<std::size_t>(y + 1)].blank;
        blankTo[static_cast<std::size_t>(y)] = nextBlank ? blankTo[static_cast<std::size_t>(y + 1)] : y;
    }
    auto setUp = [&](int top, int bottom) {
        bool inRegion = s.regionBottom >= 0 && top == s.regionTop && bottom <= s.regionBottom &&
                        s.regionBottom <= blankTo[static_cast<std::size_t>(bottom)];
        return inRegion ? 0 : 8;
    };
    Scroll best;
    int bestGain = 2;
    int bestSetUp = 0;
    for (int k = 1; k < height; k++) {
        for (int bottom = k; bottom < height; bottom++) {
            int gain = 0;
            for (int t = bottom; t >= 0; t--) {
                const RowLook& w = want[static_cast<std::size_t>(t)];
                bool sameAfter = t + k <= bottom ? same(t, t + k) : w.blank;
                gain += (static_cast<int>(sameAfter) - static_cast<int>(sameNow[static_cast<std::size_t>(t)])) * w.weight;
                if (t + k > bottom) continue;
                int cost = setUp(t, bottom);
                if (gain - cost > bestGain - bestSetUp || (gain - cost == bestGain - bestSetUp && cost < bestSetUp)) {
                    bestGain = gain;
                    bestSetUp = cost;
                    best = {t, bottom, k, blankTo[static_cast<std::size_t>(bottom)]};
                }
            }
        }
    }
    return best;
}

// Scrolls rows top..bottom up by k: delete lines at the top, when the
// block reaches the bottom of the region in force (or of the screen), or
// line feeds at the bottom of a scroll region around the block.
std::string scrollWay(AnsiScreen& s, const Scroll& sc, bool byDeleting) {
    std::string out;
    if (byDeleting) {
        moveTo(s, out, 0, sc.top);
        plainBackground(s, out);
        out += sc.k == 1 ? std::string("\x1b[M") : ansiSequence({sc.k}, 'M');
    } else {
        if (s.regionTop != sc.top || s.regionBottom != sc.bottom) {
            out += ansiSequence({sc.top + 1, sc.bottom + 1}, 'r');
            s.regionTop = sc.top;
            s.regionBottom = sc.bottom;
            s.cursor = {0, 0};  // setting the region homes the cursor
        }
        moveTo(s, out, 0, sc.bottom);
        plainBackground(s, out);
        out.append(static_cast<std::size_t>(sc.k), '\n');
    }
    for (int y = sc.top; y <= sc.bottom; y++) {
        for (int x = 0; x < ANSI_COLS; x++) {
            if (y + sc.k <= sc.bottom) {
                s.shown[at(x, y)] = s.shown[at(x, y + sc.k)];
            } else {
                blankCell(s.shown[at(x, y)]);
            }
        }
    }
    return out;
}

// Scrolls by sc the cheapest way. Blank rows below the block may as well
// scroll with it: what they bring up is blank either way. The block's bottom
// is chosen among them, with the region in force, the cursor's row and the
// lowest as the likely cheap ones.
void scroll(AnsiScreen& s, std::string& out, Scroll sc, int height) {
    int lowest = sc.lowest;
    int region = s.regionBottom >= 0 ? s.regionBottom : height - 1;
    std::string best;
    std::size_t bestCost = 0;
    AnsiScreen bestScreen;
    for (int bottom : {region, static_cast<int>(s.cursor.Y), lowest}) {
        if (bottom < sc.bottom || bottom > lowest) continue;
        for (bool byDeleting : {true, false}) {
            // Deleting lines moves everything down to the region's bottom.
            if (byDeleting && (bottom != region || sc.top < s.regionTop)) continue;
            AnsiScreen tried = s;
            std::string way = scrollWay(tried, {sc.top, bottom, sc.k, lowest}, byDeleting);
            // A new region serves the scrolls to come as well (a message
            // area scrolls again and again): what counts is what a scroll
            // costs once it is set, and a little more.
            std::size_t cost = way.size();
            if (tried.regionTop != s.regionTop || tried.regionBottom != s.regionBottom) {
                AnsiScreen set = s;
                set.regionTop = sc.top;
                set.regionBottom = bottom;
                cost = scrollWay(set, {sc.top, bottom, sc.k, lowest}, false).size() + 2;
            }
            if (best.empty() || cost < bestCost) {
                best = way;
                bestCost = cost;
                bestScreen = tried;
            }
        }
    }
    s = bestScreen;
    out += best;
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
        s.fg = OWN_COLOURS.fg;
        s.bg = OWN_COLOURS.bg;
        s.reverse = false;
        s.regionTop = 0;
        s.regionBottom = -1;
    }
    // A first look, byte for byte: most frames change a row or two.
    auto rowDiffers = [&](int y) { return std::memcmp(next + at(0, y), s.shown.data() + at(0, y), ROW_BYTES) != 0; };
    std::array<bool, ANSI_ROWS> differs{};
    int differing = 0;
    for (int y = 0; y < height; y++) differing += differs[static_cast<std::size_t>(y)] = rowDiffers(y);
    Scroll sc = !cleared && differing > 1 ? findScroll(s, next, height) : Scroll{};
    if (sc.k > 0) {
        scroll(s, out, sc, height);
        for (int y = sc.top; y < height; y++) differs[static_cast<std::size_t>(y)] = rowDiffers(y);
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
