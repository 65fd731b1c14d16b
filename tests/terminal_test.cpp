// The terminal layer without a terminal, its output replayed through a model
// of a terminal that knows only the common VT102 set: the screen counts, never the bytes.
#include <unistd.h>

#include "screen/board_view.h"
#include "screen/line_editor.h"
#include "terminal/posix/keys.h"
#include "support.h"
#include "terminal/posix/display.h"
#include "terminal/posix/terminfo.h"
#include "terminal/posix/wait.h"
#include "vt/vt_model.h"

namespace {

// f with text written from (x, y) on.
Frame withText(Frame f, int x, int y, std::string_view text, std::uint16_t attr = 7) {
    for (std::size_t i = 0; i < text.size(); i++) f[static_cast<std::size_t>(x + y * SCREEN_WIDTH) + i] = {static_cast<unsigned char>(text[i]), attr};
    return f;
}

const Frame BLANK = withText({}, 0, 0, std::string(SCREEN_WIDTH * SCREEN_HEIGHT, '\0'));

// The game at a target prompt, its frames sent by the posix display to the
// model terminal; keys as the posix backend decodes them, a byte a read (a
// sequence cut between reads is still taken whole). When the keys run out,
// atRest runs once, and may queue more.
struct Typing : GameTest {
    Display d;
    VtScreen vt = vtNew(25, 80);
    KeyDecoder keys;
    std::string left;
    std::function<void()> atRest;
    void prompt(bool aim, int row = 15, const char* text = "You have 3 shots left. What is your target?\n> ") {
        restart();
        headlessEcho(true);
        keys = {};
        keys.editing = true;
        displayRepaint(d, 25, 80);
        vt = vtNew(25, 80);
        headlessOnFrame([this](const Frame& f, Coord c) { displayKeepFrame(d, f, &c); vtFeed(vt, displayShow(d)); });
        headlessOnNeed([this] {
            // A byte a read, until one makes an event.
            while (!left.empty() && keys.events.empty()) {
                keysFeed(keys, left.substr(0, 1));
                left.erase(0, 1);
            }
            if (keys.events.empty() && atRest) {
                auto rest = std::move(atRest);
                atRest = nullptr;
                rest();
            }
            headlessQueueEvents({keys.events.begin(), keys.events.end()});
            keys.events.clear();
        });
        consoleAim(&g.console, aim);
        gameDrawMaps(&g);
        for (int y = 14; y < row - 1; y++) consolePrint(&g.console, "\n");
        consolePrint(&g.console, "%s", text);
    }
    // The lines read until the keys and atRest's are all taken, each asked
    // for again with "> ".
    Lines read() {
        Lines got;
        char buf[256];
        while (consoleReadLine(&g.console, buf, sizeof buf)) {
            got.push_back(buf);
            consolePrint(&g.console, "> ");
        }
        return got;
    }
};

}  // namespace

TEST(AnsiFrame, RandomFramesLookRightOnTerminalsOfEverySize) {
    const struct { int rows, cols; bool colour; } sizes[] = {{25, 80, true}, {24, 80, false}, {40, 132, true}, {20, 60, false}, {3, 7, true}};
    const std::uint16_t attrs[] = {7, 7, 7, 23, 103, 199, 0x9e, 0, 7 | ATTR_REVERSE, 103 | ATTR_REVERSE};
    for (auto [rows, cols, colour] : sizes) {
        SCOPED_TRACE(std::to_string(cols) + " x " + std::to_string(rows) + (colour ? "" : " without colour"));
        std::srand(static_cast<unsigned>(rows * cols));
        AnsiScreen s;
        std::tie(s.rows, s.cols, s.colour) = std::tuple(rows, cols, colour);
        VtScreen vt = vtNew(rows, cols);
        Frame f = BLANK;
        for (int step = 0; step < 400; step++) {
            switch (std::rand() % 5) {
                case 0: {  // a block of rows scrolls, mostly the message area as a message does
                    int top = std::rand() % 2 ? 14 : std::rand() % 23;
                    int bottom = std::rand() % 2 ? 24 : top + 1 + std::rand() % (24 - top);
                    int k = 1 + std::rand() % std::min(3, bottom - top);
                    std::copy(f.begin() + (top + k) * SCREEN_WIDTH, f.begin() + (bottom + 1) * SCREEN_WIDTH, f.begin() + top * SCREEN_WIDTH);
                    std::fill(f.begin() + (bottom + 1 - k) * SCREEN_WIDTH, f.begin() + (bottom + 1) * SCREEN_WIDTH, Cell{0, 7});
                    break;
                }
                case 1:  // a row goes blank
                    std::fill_n(f.begin() + (std::rand() % SCREEN_HEIGHT) * SCREEN_WIDTH, SCREEN_WIDTH, Cell{0, 7});
                    break;
                case 2:  // drawn anew, as after a resize: nothing left over from before
                    s.known = false;
                    break;
                default: {  // text of any bytes in any colours, anywhere
                    std::size_t at = static_cast<std::size_t>(std::rand()) % f.size();
                    std::uint16_t attr = attrs[std::rand() % 10];
                    for (int n = std::rand() % 90; n > 0 && at < f.size(); n--, at++) {
                        f[at] = {static_cast<std::uint16_t>(std::rand() % 4 ? ' ' + std::rand() % 95 : std::rand() % 256), attr};
                    }
                }
            }
            Coord cursor{std::rand() % 81, std::rand() % 26};
            vtFeed(vt, frameDiff(s, f, cursor));
            ASSERT_EQ(vtDiffers(vt, f, cursor, colour), "") << "step " << step;
            ASSERT_EQ(frameDiff(s, f, cursor), "") << "an unchanged frame wrote something, step " << step;
        }
    }
}

// The line editor and the aim, through events. shown: the line once the
// keys are typed, then Enter takes it: read, unless read says otherwise;
// x, y: the square the aim shows, -1 for none.
TEST_F(Typing, EditTheLineShownAsTypedAimWithTheArrowsAndFireWithAClick) {
    struct Row { const char* name; bool aim; std::string keys, shown, read; int x = -1, y = -1; } rows[] = {
        {"erase (DEL), Backspace sending BS, nothing to erase", false, "\x7f" "bx\x7f" "x\b7", "b7", ""},
        {"kill", false, "a1 5 h\x15" "b7", "b7", ""},
        {"word-erase: the blanks, then the word", false, "fire at c9 \x17" "b7", "fire at b7", ""},
        {"end of input on a line being typed does nothing", false, "x\x04" "7", "x7", ""},
        {"a sequence taken whole; control keys drawn harmless", false, "b\x1b[2J\x07" "7", "b?7", "b\x07" "7"},
        {"a lone Escape", false, "\x1b" "b7\x1b", "b7", ""},
        {"arrows with no aim, function keys, Home", false, "\x1b[A\x1bOD\x1b[1;5C\x1b[[A\x1bOP\x1b[15~\x1b[H", "", ""},
        {"aimed from A1", true, "\x1b[C\x1b[C\x1b[B", "c2", "", 2, 1},
        {"stopped at the edges, either form", true, "\x1bOA\x1b[D", "a1", "", 0, 0},
        {"from the square typed, to the last corner", true, "J9\x1b[B\x1b[C\x1b[B", "j10", "", 9, 9},
        {"the line names no square: from the last aim", true, "\x1b[B\x1b[B\x15zz\x1b[C", "b3", "", 1, 2},
        {"from the square last fired at", true, "e5\n\x1b[B", "e6", "", 4, 5},
        {"typing goes on from the line shown", true, "\x1b[C" "0", "b10", ""},
        {"the right button, the wheel, a move: no click", true, "b7\x1b[<2;24;5M\x1b[<64;24;5M\x1b[<32;24;5M", "b7", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        prompt(r.aim);
        left = r.keys;
        bool seen = false;
        atRest = [&] {
            seen = true;
            int row = 15 + static_cast<int>(std::ranges::count(r.keys, '\n'));  // a row more for each line read
            EXPECT_EQ(vt.error, "");
            EXPECT_EQ(vtRow(vt, row), r.shown.empty() ? ">" : "> " + r.shown);
            bool aimed = r.x >= 0;
            EXPECT_EQ(std::make_pair(vt.x, vt.y), aimed ? std::make_pair(21 + r.x, 2 + r.y) : std::make_pair(2 + static_cast<int>(r.shown.size()), row));
            int reversed = 0;  // the column letter and the row number, nothing else
            for (int i = 0; i < 80 * 12; i++) reversed += vtAt(vt, i % 80, i / 80).reverse;
            EXPECT_EQ(reversed, aimed ? 3 : 0);
            EXPECT_TRUE(!aimed || (vtAt(vt, 21 + r.x, 0).reverse && vtAt(vt, 18, 2 + r.y).reverse && vtAt(vt, 19, 2 + r.y).reverse));
            keysFeed(keys, "\n");  // Enter takes the line as if typed
        };
        Lines got = read();
        EXPECT_TRUE(seen);
        ASSERT_FALSE(got.empty());
        std::string want = r.read.empty() ? r.shown : r.read;
        EXPECT_EQ(got.back(), want + "\n");
    }
}

// A click is a line and Enter: on a square of the board aimed at, its name;
// elsewhere then, an empty line (bad coordinates); at a menu, the number its
// line begins with. "Another game?" stands on rows 20 to 24 (from 1).
TEST_F(Typing, AClickFiresAtASquareOrAnswersAMenu) {
    const struct { const char* name; Clicks clicks; std::string keys; Lines read; } rows[] = {
        {"a square, a line typed before it gone; its release is nothing", Clicks::Squares, "x\x1b[<0;24;5M\x1b[<0;24;5m", {"c3\n"}},
        {"off the squares", Clicks::Squares, "\x1b[<0;19;5M", {"\n"}},
        {"the old report, and its release", Clicks::Squares, "\x1b[M ?&\x1b[M#?&", {"j4\n"}},
        {"a menu's line, and another once the echo has scrolled it up", Clicks::MenuLines, "\x1b[<0;5;22M\x1b[<0;1;20M", {"2\n", "1\n"}},
        {"a menu's other lines", Clicks::MenuLines, "\x1b[<0;5;20M\x1b[<0;5;23M\x1b[<0;24;5M", {}},
        {"neither", Clicks::Ignored, "\x1b[<0;24;5M\x1b[<0;5;22M", {}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        prompt(false, 20, "Another game?\n 1 - keep playing\n 2 - quit\n\n> ");
        if (r.clicks == Clicks::Squares) consoleAim(&g.console, 1);
        consoleClicks(&g.console, r.clicks);
        left = r.keys;
        EXPECT_EQ(read(), r.read);
    }
}

// A line too long for the rows below its prompt shows its end; more rows, more of it.
TEST(LineEditing, ALongLineShowsItsEndInTheRoomTheTerminalHas) {
    LineEditor e;
    for (int i = 0; i < 300; i++) e.line += static_cast<char>('a' + i % 26);
    for (int rows : {24, 25, 40}) {
        SCOPED_TRACE(rows);
        Frame cells = BLANK;
        Coord cursor{2, 23};
        editorCompose(e, cells, cursor, rows);
        std::size_t room = rows == 24 ? 77 : 157;  // to the last row, a cell kept for the cursor
        std::string shown;
        for (std::size_t i = 0; i < room; i++) shown += static_cast<char>(cells[2 + 23 * 80 + i].ch);
        EXPECT_EQ(shown, e.line.substr(e.line.size() - room));
        EXPECT_EQ(cursor, (Coord{static_cast<int>((2 + room) % 80), static_cast<int>(23 + (2 + room) / 80)}));
    }
}

// A terminal too small for the game gets a notice, cut into rows at its edge
// and drawn once for each size; the game's frames wait meanwhile.
TEST(Notice, StandsInForTheGameWhileTheTerminalIsTooSmall) {
    Display d;
    VtScreen vt = vtNew(25, 80);
    auto resize = [&](int rows, int cols) { vtResize(vt, rows, cols); displayRepaint(d, rows, cols); vtFeed(vt, displayShow(d)); };
    Frame f = withText(withText(BLANK, 0, 22, "You have 3 shots left. What is your target?"), 0, 23, "> ");
    f[3 + 2 * SCREEN_WIDTH] = {'O', 199};
    displayRepaint(d, 25, 80);
    displayKeepFrame(d, f, nullptr);
    vtFeed(vt, displayShow(d));
    resize(20, 60);
    EXPECT_EQ(vtRow(vt, 0), "salvo needs a terminal of 80 x 24 (this one is 60 x 20)");
    for (int y = 1; y < 20; y++) EXPECT_EQ(vtRow(vt, y), "") << y;
    displayKeepFrame(d, withText(f, 2, 23, "b7"), nullptr);
    EXPECT_EQ(displayShow(d), "");
    resize(20, 30);
    EXPECT_EQ(vtRow(vt, 0) + "|" + vtRow(vt, 1), "salvo needs a terminal of 80 x|24 (this one is 30 x 20)");
}

TEST(Colour, OffForNoColorOrATerminalWithoutThemUnlessTheOptionSays) {
    const int vt100 = terminfoColours("vt100"), xterm = terminfoColours("xterm-256color");
    EXPECT_EQ(std::tuple(vt100 < 8, xterm, terminfoColours("no-such-terminal")), std::tuple(true, 256, TERMINFO_UNKNOWN));
    using C = ColourChoice;
    const struct { C choice; const char* noColor; int colours; bool on; } rows[] = {
        {C::Auto, nullptr, xterm, true}, {C::Auto, "", xterm, true},  {C::Auto, "1", xterm, false},
        {C::Auto, nullptr, vt100, false}, {C::Auto, nullptr, 8, true}, {C::Auto, nullptr, TERMINFO_UNKNOWN, true},
        {C::Always, "1", vt100, true},    {C::Never, nullptr, xterm, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(r.choice) << " " << (r.noColor ? r.noColor : "unset") << " " << r.colours);
        EXPECT_EQ(displayColour(r.choice, r.noColor, r.colours), r.on);
    }
}

TEST(WaitForKeys, EndsForKeysForASignalAndForAReaderGone) {
    for (bool useSelect : {false, true}) {
        SCOPED_TRACE(useSelect ? "select" : "poll");
        int in[2], out[2], wake[2];
        char byte = 0;
        ASSERT_EQ(pipe(in) + pipe(out) + pipe(wake) + write(wake[1], &byte, 1) + write(wake[1], &byte, 1), 2);
        EXPECT_EQ(waitFor(in[0], out[1], wake[0], useSelect), Woken::Signal);
        ASSERT_EQ(write(in[1], &byte, 1), 1);
        EXPECT_EQ(waitFor(in[0], out[1], wake[0], useSelect), Woken::Keys);  // the self-pipe was emptied
        close(out[0]);
        EXPECT_EQ(waitFor(in[0], out[1], wake[0], useSelect), Woken::Gone);
        for (int fd : {in[0], in[1], out[1], wake[0], wake[1]}) close(fd);
    }
}
