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

// Writes rows (n of them, top to bottom) of next that differ from what s
// shows: top to bottom, or, where a few rows changed, in the order that
// costs least, each row taken from where the one before left the cursor and
// the colours. A ring of water around a sunk ship, a mark and a figure
// change colours less that way. Up to EVERY_ORDER rows every order is
// tried; up to FEW, the cheapest next row each time.
void writeRows(AnsiScreen& s, std::string& out, const Cell* next, const int* rows, int n, int width) {
    constexpr int EVERY_ORDER = 4;
    constexpr int FEW = 6;
    AnsiScreen best = s;
    std::string bestBytes;
    for (int i = 0; i < n; i++) writeRow(best, bestBytes, next + ansiAt(0, rows[i]), rows[i], width);
    if (n >= 2 && n <= EVERY_ORDER) {
        std::array<int, EVERY_ORDER> order{};
        for (int i = 0; i < n; i++) order[static_cast<std::size_t>(i)] = i;
        while (std::next_permutation(order.begin(), order.begin() + n)) {
            AnsiScreen tried = s;
            std::string bytes;
            for (int i = 0; i < n && bytes.size() < bestBytes.size(); i++) {
                int y = rows[order[static_cast<std::size_t>(i)]];
                writeRow(tried, bytes, next + ansiAt(0, y), y, width);
            }
            if (bytes.size() < bestBytes.size()) {
                best = tried;
                bestBytes = bytes;
            }
        }
    } else if (n > EVERY_ORDER && n <= FEW) {
        std::array<bool, FEW> done{};
        AnsiScreen cheap = s;
        std::string cheapest;
        for (int step = 0; step < n; step++) {
            int pick = -1;
            std::string pickBytes;
            AnsiScreen pickScreen;
            for (int i = 0; i < n; i++) {
                if (done[static_cast<std::size_t>(i)]) continue;
                AnsiScreen tried = cheap;
                std::string bytes;
                writeRow(tried, bytes, next + ansiAt(0, rows[i]), rows[i], width);
                if (pick < 0 || bytes.size() < pickBytes.size()) {
                    pick = i;
                    pickBytes = bytes;
                    pickScreen = tried;
                }
            }
            done[static_cast<std::size_t>(pick)] = true;
            cheap = pickScreen;
            cheapest += pickBytes;
        }
        if (cheapest.size() < bestBytes.size()) {
            best = cheap;
            bestBytes = cheapest;
        }
    }
    s = best;
    out += bestBytes;
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
    auto rowDiffers = [&](const AnsiScreen& on, int y) {
        return std::memcmp(next + ansiAt(0, y), on.shown.data() + ansiAt(0, y), ANSI_ROW_BYTES) != 0;
    };
    int differing = 0;
    for (int y = 0; y < height; y++) differing += rowDiffers(s, y);
    Scroll sc = !cleared && differing > 1 ? findScroll(s, next, height) : Scroll{};
    // Never past the terminal's edge: a wrapped or scrolled terminal would
    // shift everything after it. Cells out of sight count as shown.
    auto outOfSight = [&](AnsiScreen& on) {
        if (width == SCREEN_WIDTH && height == SCREEN_HEIGHT) return;
        for (int y = 0; y < SCREEN_HEIGHT; y++) {
            for (int x = y < height ? width : 0; x < SCREEN_WIDTH; x++) on.shown[ansiAt(x, y)] = next[ansiAt(x, y)];
        }
    };
    // The rows that still differ, top to bottom, and the cursor last.
    auto finish = [&](AnsiScreen& on, std::string& bytes) {
        outOfSight(on);
        std::array<int, SCREEN_HEIGHT> rows{};
        int n = 0;
        for (int y = 0; y < height; y++) {
            if (rowDiffers(on, y)) rows[static_cast<std::size_t>(n++)] = y;
        }
        writeRows(on, bytes, next, rows.data(), n, width);
        ansiMoveTo(on, bytes, std::clamp(cursor.x, 0, width - 1), std::clamp(cursor.y, 0, height - 1));
    };
    if (sc.k == 0) {
        finish(s, out);
        return out;
    }
    // Two ways with a scroll: scroll, then write what changed; or first write
    // into the rows about to move up what they are to show, where the cursor
    // often is already (a message's last row), then scroll. The cheaper wins.
    ScrollWay way = scrollChoose(s, sc, height);
    AnsiScreen after = s;
    std::string scrolledFirst;
    scrollRows(after, scrolledFirst, way);
    finish(after, scrolledFirst);
    std::string writtenFirst;
    const Scroll& moved = way.scroll;
    for (int y = moved.top; y + moved.k <= moved.bottom; y++) {
        const Cell* row = next + ansiAt(0, y);
        if (std::memcmp(row, s.shown.data() + ansiAt(0, y + moved.k), ANSI_ROW_BYTES) != 0) {
            writeRow(s, writtenFirst, row, y + moved.k, width);
        }
    }
    scrollRows(s, writtenFirst, way);
    finish(s, writtenFirst);
    if (scrolledFirst.size() < writtenFirst.size()) {
        s = after;
        return out + scrolledFirst;
    }
    return out + writtenFirst;
}
