#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix/ansi_frame.h"

namespace {

using Frame = std::array<CHAR_INFO, ANSI_COLS * ANSI_ROWS>;

CHAR_INFO& at(Frame& f, int x, int y) { return f[static_cast<std::size_t>(x + y * ANSI_COLS)]; }

void put(Frame& f, int x, int y, const std::string& text, WORD attr = 7) {
    for (char b : text) at(f, x++, y) = {{static_cast<unsigned char>(b)}, attr};
}

Frame blankFrame() {
    Frame f{};
    for (CHAR_INFO& c : f) c.Attributes = 7;
    return f;
}

// Coloured squares, every byte value typed somewhere, a full message area.
Frame sampleFrame() {
    Frame f = blankFrame();
    const WORD squareAttrs[] = {7, 23, 199, 103};
    for (int i = 0; i < 100; i++) put(f, 3 + i % 10, 2 + i / 10, i % 3 ? " " : "O", squareAttrs[i % 4]);
    for (int i = 0; i < 256; i++) at(f, 40 + i % 32, i / 32).Char.UnicodeChar = static_cast<WCHAR>(i);
    for (int y = 14; y <= 23; y++) put(f, 0, y, "message " + std::to_string(y));
    return f;
}

// A cell as a terminal shows it: (glyph, attribute).
std::pair<unsigned, unsigned> looks(const CHAR_INFO& c) {
    unsigned ch = c.Char.UnicodeChar;
    return {ch == 0 ? ' ' : ch < 32 || (ch >= 127 && ch < 160) ? '?' : ch, c.Attributes};
}

std::string firstDifference(const Frame& shown, const Frame& want, int cols = ANSI_COLS, int rows = ANSI_ROWS) {
    for (int i = 0; i < ANSI_COLS * ANSI_ROWS; i++) {
        auto k = static_cast<std::size_t>(i);
        if (i % ANSI_COLS < cols && i / ANSI_COLS < rows && looks(shown[k]) != looks(want[k]))
            return "cell " + std::to_string(i % ANSI_COLS) + "," + std::to_string(i / ANSI_COLS);
    }
    return "";
}

unsigned swapRedBlue(int n) { return static_cast<unsigned>((n & 2) | ((n & 1) << 2) | ((n & 4) >> 2)); }

// Just enough of a terminal to replay the encoder's bytes (cursor moves,
// colours, clearing, scroll regions), noting whatever a real one would take
// otherwise: raw control bytes, foreign sequences, anything past its edge.
struct Term {
    int cols, rows;
    Frame cells{};
    int x = 0, y = 0, top = 0, bottom;
    unsigned attr = 7;
    std::string faults;

    Term(int c, int r) : cols(c), rows(r), bottom(r - 1) {
        for (CHAR_INFO& cell : cells) cell = {{u'Z'}, 99};  // whatever was there before
    }
    void write(int cx, int cy, unsigned ch) { at(cells, cx, cy) = {{static_cast<WCHAR>(ch)}, static_cast<WORD>(attr)}; }
    void feed(const std::string& out) {
        for (std::size_t i = 0; i < out.size(); i++) {
            auto b = static_cast<unsigned char>(out[i]);
            unsigned ch = b;
            if (b == 0x1b) {
                i = sequence(out, i + 1);
                continue;
            }
            if (b < 32 || b == 127 || (b >= 0x80 && b < 0xc0)) faults += "raw byte; ";
            if (b >= 0xc0 && i + 1 < out.size()) ch = (b & 0x1fu) << 6 | (static_cast<unsigned char>(out[++i]) & 0x3fu);
            if (x >= cols || y >= rows) faults += "written off the edge; ";
            else write(x++, y, ch);
        }
    }
    std::size_t sequence(const std::string& out, std::size_t i) {
        std::vector<int> p{-1};  // -1: left out
        std::size_t j = i + 1;
        for (; j < out.size() && ((out[j] >= '0' && out[j] <= '9') || out[j] == ';'); j++) {
            if (out[j] == ';') p.push_back(-1);
            else p.back() = (p.back() < 0 ? 0 : p.back() * 10) + (out[j] - '0');
        }
        auto arg = [&](std::size_t k, int fallback) { return k < p.size() && p[k] >= 0 ? p[k] : fallback; };
        char cmd = i < out.size() && out[i] == '[' && j < out.size() ? out[j] : '\0';
        if (cmd == 'H') {
            y = arg(0, 1) - 1;
            x = arg(1, 1) - 1;
            if (x >= cols || y >= rows) faults += "cursor off the edge; ";
        } else if (cmd == 'J' && arg(0, 0) == 2) {
            for (int n = 0; n < cols * rows; n++) write(n % cols, n / cols, ' ');
        } else if (cmd == 'r') {
            top = arg(0, 1) - 1;
            bottom = arg(1, rows) - 1;
            x = y = 0;
        } else if (cmd == 'S') {
            for (int cy = top; cy <= bottom; cy++)
                for (int cx = 0; cx < cols; cx++) {
                    if (cy + arg(0, 1) <= bottom) at(cells, cx, cy) = at(cells, cx, cy + arg(0, 1));
                    else write(cx, cy, ' ');
                }
        } else if (cmd == 'm') {
            for (int v : p) {
                unsigned fg = v <= 0 ? 7 : attr & 15;
                unsigned bg = v <= 0 ? 0 : attr >> 4;
                if (v >= 30 && v <= 37) fg = swapRedBlue(v - 30);
                else if (v >= 90 && v <= 97) fg = swapRedBlue(v - 90) | 8;
                else if (v >= 40 && v <= 47) bg = swapRedBlue(v - 40);
                else if (v >= 100 && v <= 107) bg = swapRedBlue(v - 100) | 8;
                else if (v > 0) faults += "unknown colour; ";
                attr = fg | bg << 4;
            }
        } else {
            faults += "foreign sequence; ";
        }
        return j;
    }
};

void expectShows(const Term& t, const Frame& want, int cursorX, int cursorY) {
    EXPECT_EQ(t.faults, "");
    EXPECT_EQ(firstDifference(t.cells, want, t.cols, t.rows), "");
    EXPECT_EQ(std::make_pair(t.x, t.y), std::make_pair(cursorX, cursorY));
    EXPECT_EQ(t.attr, 7u) << "the player's typing would take the last colour";
}

}  // namespace

TEST(AnsiFrame, UnknownScreenIsRepaintedFromClearAndThenLeftAlone) {
    Term t(ANSI_COLS, ANSI_ROWS);
    AnsiScreen s;
    Frame f = sampleFrame();
    std::string out = ansiFrame(s, f.data(), {2, 23});
    EXPECT_NE(out.find("\x1b[2J"), std::string::npos);
    t.feed(out);
    expectShows(t, f, 2, 23);
    EXPECT_EQ(ansiFrame(s, f.data(), {2, 23}), "");
}

TEST(AnsiFrame, SendsOnlyTheChangedCellsThenTheCursor) {
    struct Text {
        int x, y;
        std::string text;
        WORD attr;
    };
    struct Row {
        const char* name;
        std::vector<Text> texts;
        COORD cursor;
        const char* want;
    } rows[] = {
        {"message", {{0, 20, "Hit!", 7}}, {2, 21}, "\x1b[21HHit!\x1b[22;3H"},
        // Windows numbers the colour bits blue 1, green 2, red 4; ANSI red 1, green 2, blue 4.
        {"squares", {{5, 3, "O", 199}, {6, 3, "#", 23}, {7, 3, " ", 103}, {8, 3, "a", 0x9e}}, {2, 14},
         "\x1b[4;6H\x1b[37;101mO\x1b[37;44m#\x1b[37;43m \x1b[93;104ma\x1b[m\x1b[15;3H"},
        // Writing a few blanks again is shorter than moving the cursor over them.
        {"short gap in a row", {{0, 1, "a    c", 7}}, {2, 14}, "\x1b[2Ha    c\x1b[15;3H"},
        {"long gap in a row", {{0, 1, "a", 7}, {20, 1, "c", 7}}, {2, 14}, "\x1b[2Ha\x1b[2;21Hc\x1b[15;3H"},
        {"gap in another colour", {{0, 1, "a", 7}, {2, 1, "c", 7}, {1, 1, " ", 103}}, {2, 14},
         "\x1b[2Ha\x1b[37;43m \x1b[mc\x1b[15;3H"},
        {"cursor only", {}, {2, 15}, "\x1b[16;3H"},
        {"nothing", {}, {2, 14}, ""},
    };
    AnsiScreen settled;
    Frame before = blankFrame();
    (void)ansiFrame(settled, before.data(), {2, 14});
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        AnsiScreen s = settled;
        Frame next = before;
        for (const Text& t : r.texts) put(next, t.x, t.y, t.text, t.attr);
        EXPECT_EQ(ansiFrame(s, next.data(), r.cursor), r.want);
    }
}

TEST(AnsiFrame, TypedEscapeIsDrawnAsPlaceholder) {
    Term t(ANSI_COLS, ANSI_ROWS);
    AnsiScreen s;
    Frame f = blankFrame();
    t.feed(ansiFrame(s, f.data(), {2, 14}));
    // Typed: a screen clear, a window title with its BEL, the one-byte CSI, a newline.
    put(f, 0, 14, "> \x1b[2J\x1b]0;owned\x07\x9b" "1m\n");
    std::string out = ansiFrame(s, f.data(), {2, 15});
    EXPECT_NE(out.find("?[2J?]0;owned??1m?"), std::string::npos);
    EXPECT_EQ(out.find("\x1b[2J"), std::string::npos);
    t.feed(out);
    expectShows(t, f, 2, 15);
}

TEST(AnsiFrame, SmallTerminalGetsNothingPastItsEdge) {
    Term t(40, 20);
    AnsiScreen s;
    s.cols = 40;
    s.rows = 20;
    Frame f = blankFrame();
    for (int i = 0; i < ANSI_COLS * ANSI_ROWS; i++) put(f, i % ANSI_COLS, i / ANSI_COLS, "x", static_cast<WORD>(i % 200));
    t.feed(ansiFrame(s, f.data(), {79, 24}));
    expectShows(t, f, 39, 19);
    put(f, 50, 3, "y");
    put(f, 0, 22, "y");
    t.feed(ansiFrame(s, f.data(), {79, 24}));
    expectShows(t, f, 39, 19);
}

TEST(AnsiFrame, ScrolledMessageAreaIsMovedByTheTerminal) {
    Term t(ANSI_COLS, ANSI_ROWS);
    AnsiScreen s;
    Frame before = sampleFrame();
    t.feed(ansiFrame(s, before.data(), {2, 23}));
    Frame next = before;
    for (int i = 14 * ANSI_COLS; i < 24 * ANSI_COLS; i++) next[static_cast<std::size_t>(i)] = before[static_cast<std::size_t>(i + ANSI_COLS)];
    put(next, 0, 23, "> b7");
    std::string out = ansiFrame(s, next.data(), {2, 23});
    EXPECT_EQ(out.rfind("\x1b[15;25r\x1b[S\x1b[r", 0), 0u);
    EXPECT_LT(out.size(), 40u);
    EXPECT_EQ(firstDifference(s.shown, next), "");
    t.feed(out);
    expectShows(t, next, 2, 23);
}
