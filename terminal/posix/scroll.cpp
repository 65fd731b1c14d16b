#include "terminal/posix/scroll.h"

#include <array>
#include <cstring>
#include <functional>
#include <string_view>

namespace {

// A row's bytes, to find moved rows quickly: equal rows have equal hashes.
// Rows that look the same with other bytes (a 0 where a blank was) are
// merely drawn again.
struct RowLook {
    std::size_t hash = 0;
    bool blank = true;
    int weight = 4;  // about what drawing it costs: a move, and its text
};

RowLook lookOf(const Cell* row) {
    static const std::array<Cell, SCREEN_WIDTH> BLANK_ROW = [] {
        std::array<Cell, SCREEN_WIDTH> r{};
        for (Cell& c : r) ansiBlankCell(c);
        return r;
    }();
    RowLook look;
    std::string_view bytes(reinterpret_cast<const char*>(row), ANSI_ROW_BYTES);
    look.hash = std::hash<std::string_view>{}(bytes);
    look.blank = std::memcmp(row, BLANK_ROW.data(), ANSI_ROW_BYTES) == 0;
    for (int x = 0; x < SCREEN_WIDTH && !look.blank; x++) look.weight += ansiIsBlank(row[x]) ? 0 : 1;
    return look;
}

// Scrolls rows top..bottom up by k: delete lines at the top, when the
// block reaches the bottom of the region in force (or of the screen), or
// line feeds at the bottom of a scroll region around the block.
std::string scrollWay(AnsiScreen& s, const Scroll& sc, bool byDeleting) {
    std::string out;
    if (byDeleting) {
        ansiMoveTo(s, out, 0, sc.top);
        ansiPlainBackground(s, out);
        out += sc.k == 1 ? std::string("\x1b[M") : ansiSequence({sc.k}, 'M');
    } else {
        if (s.regionTop != sc.top || s.regionBottom != sc.bottom) {
            out += ansiSequence({sc.top + 1, sc.bottom + 1}, 'r');
            s.regionTop = sc.top;
            s.regionBottom = sc.bottom;
            s.cursor = {0, 0};  // setting the region homes the cursor
        }
        ansiMoveTo(s, out, 0, sc.bottom);
        ansiPlainBackground(s, out);
        out.append(static_cast<std::size_t>(sc.k), '\n');
    }
    for (int y = sc.top; y <= sc.bottom; y++) {
        for (int x = 0; x < SCREEN_WIDTH; x++) {
            if (y + sc.k <= sc.bottom) {
                s.shown[ansiAt(x, y)] = s.shown[ansiAt(x, y + sc.k)];
            } else {
                ansiBlankCell(s.shown[ansiAt(x, y)]);
            }
        }
    }
    return out;
}

}  // namespace

// A block of rows that moved up together, as the message area does when it
// scrolls, so that the terminal can move them instead of their being drawn
// again.
Scroll findScroll(const AnsiScreen& s, const Cell* next, int height) {
    std::array<RowLook, SCREEN_HEIGHT> want;
    std::array<RowLook, SCREEN_HEIGHT> have;
    for (int y = 0; y < height; y++) {
        want[static_cast<std::size_t>(y)] = lookOf(next + ansiAt(0, y));
        have[static_cast<std::size_t>(y)] = lookOf(s.shown.data() + ansiAt(0, y));
    }
    auto same = [&](int y, int from) {
        const RowLook& a = want[static_cast<std::size_t>(y)];
        const RowLook& b = have[static_cast<std::size_t>(from)];
        if (a.hash != b.hash || a.blank != b.blank) return false;
        return a.blank || std::memcmp(next + ansiAt(0, y), s.shown.data() + ansiAt(0, from), ANSI_ROW_BYTES) == 0;
    };
    std::array<bool, SCREEN_HEIGHT> sameNow{};
    for (int y = 0; y < height; y++) sameNow[static_cast<std::size_t>(y)] = same(y, y);

    // A scroll within the region in force costs a line feed or two; any
    // other, a new region or a move and a line deletion as well. Blank rows
    // below a block may scroll with it, so the region in force serves every
    // block from its top whose blank rows below reach its bottom.
    std::array<int, SCREEN_HEIGHT> blankTo{};  // the lowest row of the blank rows from y + 1 down
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

// The cheapest way to scroll by sc. Blank rows below the block may as well
// scroll with it: what they bring up is blank either way. The block's bottom
// is chosen among them, with the region in force, the cursor's row and the
// lowest as the likely cheap ones.
ScrollWay scrollChoose(const AnsiScreen& s, Scroll sc, int height) {
    int lowest = sc.lowest;
    int region = s.regionBottom >= 0 ? s.regionBottom : height - 1;
    ScrollWay best{sc, false};
    std::size_t bestCost = 0;
    bool found = false;
    for (int bottom : {region, static_cast<int>(s.cursor.y), lowest}) {
        if (bottom < sc.bottom || bottom > lowest) continue;
        for (bool byDeleting : {true, false}) {
            // Deleting lines moves everything down to the region's bottom.
            if (byDeleting && (bottom != region || sc.top < s.regionTop)) continue;
            AnsiScreen tried = s;
            Scroll way{sc.top, bottom, sc.k, lowest};
            std::size_t cost = scrollWay(tried, way, byDeleting).size();
            // A new region serves the scrolls to come as well (a message
            // area scrolls again and again): what counts is what a scroll
            // costs once it is set, and a little more.
            if (tried.regionTop != s.regionTop || tried.regionBottom != s.regionBottom) {
                AnsiScreen set = s;
                set.regionTop = sc.top;
                set.regionBottom = bottom;
                cost = scrollWay(set, way, false).size() + 2;
            }
            if (!found || cost < bestCost) {
                best = {way, byDeleting};
                bestCost = cost;
                found = true;
            }
        }
    }
    return best;
}

void scrollRows(AnsiScreen& s, std::string& out, const ScrollWay& way) { out += scrollWay(s, way.scroll, way.byDeleting); }
