#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix/ansi_frame.h"

namespace {

using Frame = std::array<CHAR_INFO, ANSI_COLS * ANSI_ROWS>;
struct Text { int x, y; std::string text; WORD attr; };

Frame frameWith(const std::vector<Text>& texts) {
    Frame f{};
    for (CHAR_INFO& c : f) c.Attributes = 7;
    for (const auto& [x, y, text, attr] : texts) {
        for (std::size_t i = 0; i < text.size(); i++) {
            f[static_cast<std::size_t>(x + y * ANSI_COLS) + i] = {{static_cast<unsigned char>(text[i])}, attr};
        }
    }
    return f;
}

// A terminal of the given size that shows a blank frame, the cursor at (2, 14).
AnsiScreen settled(int cols = ANSI_COLS, int rows = ANSI_ROWS) { return {frameWith({}), true, rows, cols, {2, 14}}; }

// The first cell that the encoder takes for shown and that looks other than in f.
std::string firstDifference(const AnsiScreen& s, const Frame& f) {
    auto looks = [](CHAR_INFO c) { return std::pair(c.Char.UnicodeChar ? c.Char.UnicodeChar : u' ', c.Attributes); };
    for (std::size_t i = 0; i < f.size(); i++) {
        if (looks(s.shown[i]) != looks(f[i]))
            return std::to_string(i % ANSI_COLS) + "," + std::to_string(i / ANSI_COLS);
    }
    return "";
}

}  // namespace

TEST(AnsiFrame, UnknownScreenIsPaintedFromClearAndThenLeftAlone) {
    AnsiScreen s;
    Frame f = frameWith({{0, 20, "Hit!", 7}});
    EXPECT_EQ(ansiFrame(s, f.data(), {2, 21}), "\x1b[m\x1b[H\x1b[2J\x1b[21HHit!\x1b[22;3H");
    EXPECT_EQ(ansiFrame(s, f.data(), {2, 21}), "");
}

TEST(AnsiFrame, SendsOnlyTheChangedCellsThenTheCursor) {
    struct Row { const char* name; std::vector<Text> texts; COORD cursor; const char* want; } rows[] = {
        // Windows numbers the colour bits blue 1, green 2, red 4; ANSI red 1, green 2, blue 4.
        {"squares", {{5, 3, "O", 199}, {6, 3, "#", 23}, {7, 3, " ", 103}, {8, 3, "a", 0x9e}}, {2, 14},
         "\x1b[4;6H\x1b[37;101mO\x1b[37;44m#\x1b[37;43m \x1b[93;104ma\x1b[m\x1b[15;3H"},
        // Writing a few blanks again is shorter than moving the cursor over them.
        {"five blanks in a row", {{0, 1, "a     c", 7}}, {2, 14}, "\x1b[2Ha     c\x1b[15;3H"},
        {"six blanks in a row", {{0, 1, "a", 7}, {7, 1, "c", 7}}, {2, 14}, "\x1b[2Ha\x1b[2;8Hc\x1b[15;3H"},
        {"gap in another colour", {{0, 1, "a c", 7}, {1, 1, " ", 103}}, {2, 14},
         "\x1b[2Ha\x1b[37;43m \x1b[mc\x1b[15;3H"},
        {"last cell, cursor past it", {{79, 24, "z", 7}}, {80, 25}, "\x1b[25;80Hz\x1b[25;80H"},
        // Typed: a screen clear, a window title with its BEL, the one-byte CSI, a newline, UTF-8 for the rest.
        {"typed escapes", {{0, 14, "> \x1b[2J\x1b]0;owned\x07\x9b" "1m\n\x7f\xa0\xe9\xff", 7}}, {2, 15},
         "\x1b[15H> ?[2J?]0;owned??1m??\xc2\xa0\xc3\xa9\xc3\xbf\x1b[16;3H"},
        {"cursor only", {}, {2, 15}, "\x1b[16;3H"},
        {"nothing", {}, {2, 14}, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        AnsiScreen s = settled();
        Frame next = frameWith(r.texts);
        EXPECT_EQ(ansiFrame(s, next.data(), r.cursor), r.want);
        EXPECT_EQ(firstDifference(s, next), "");
    }
}

TEST(AnsiFrame, SmallTerminalGetsNothingPastItsEdge) {
    AnsiScreen s = settled(40, 20);
    Frame next = frameWith({{38, 19, "abc", 7}, {0, 20, "x", 7}});
    EXPECT_EQ(ansiFrame(s, next.data(), {79, 24}), "\x1b[20;39Hab\x1b[20;40H");
}

TEST(AnsiFrame, ScrolledMessageAreaIsMovedByTheTerminal) {
    std::vector<Text> before{{3, 2, "O", 199}}, after{{3, 2, "O", 199}, {0, 23, "> b7", 7}};
    for (int y = 14; y <= 23; y++) before.push_back({0, y, "message " + std::to_string(y), 7});
    for (int y = 14; y <= 22; y++) after.push_back({0, y, "message " + std::to_string(y + 1), 7});
    AnsiScreen s = settled();
    (void)ansiFrame(s, frameWith(before).data(), {2, 23});
    Frame next = frameWith(after);
    EXPECT_EQ(ansiFrame(s, next.data(), {2, 23}), "\x1b[15;25r\x1b[S\x1b[r\x1b[24H> b7\x1b[24;3H");
    EXPECT_EQ(firstDifference(s, next), "");
}
