// The terminal layer without a terminal, its output replayed through a model
// of a terminal that knows only the common VT102 set: the screen counts, never the bytes.
#include <unistd.h>

#include "screen/board_view.h"
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

// The layer and the terminal it writes to, kept in step: every byte sent goes through the model.
struct Wire {
    Display d;
    Keys k;
    VtScreen vt = vtNew(25, 80);
    std::size_t sent = 0;  // bytes of the last show
    Wire() { displayRepaint(d, 25, 80); k.editing = true; }
    void show() { std::string out = displayShow(d, k); sent = out.size(); vtFeed(vt, out); }
    void frame(const Frame& f, Coord cursor) { displayKeepFrame(d, f, &cursor); show(); }
    void resize(int rows, int cols) { vtResize(vt, rows, cols); displayRepaint(d, rows, cols); show(); }
    // Keys as they come while the game waits for a line; the line so far is shown.
    KeysRead type(std::string_view keys, std::string* line = nullptr) {
        k.input += keys;
        k.reading = true;
        char buf[256];
        KeysRead got = keysReadLine(k, buf, sizeof buf);
        if (got == KeysRead::More) show();
        k.reading = got == KeysRead::More;
        if (line) *line = got == KeysRead::Line ? buf : "";
        return got;
    }
};

// A frame that waits for a line on row y: a prompt, "> " and the cursor after it.
Frame promptOn(int y) { return withText(withText(BLANK, 0, y - 1, "You have 3 shots left. What is your target?"), 0, y, "> "); }

// The cursor after typed on row y.
Coord after(int y, std::size_t typed) {
    int at = 2 + y * SCREEN_WIDTH + static_cast<int>(typed);
    return {at % SCREEN_WIDTH, at / SCREEN_WIDTH};
}

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

// Keys at a target prompt (row 15), each a read of its own: a sequence cut
// between reads is still taken whole. shown: the line before Enter, and read
// unless read says otherwise; x, y: the square the aim shows, -1 for none.
struct Typing : GameTest {};

TEST_F(Typing, EditTheLineShownAsTypedAndAimWithTheArrows) {
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
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        restart();
        Wire w;
        consoleAim(r.aim);
        keysAim(w.k, headlessAim());
        gameDrawMaps(&g);
        consolePrint(&g.console, "You have 3 shots left. What is your target?\n> ");
        w.frame(headlessScreen(), headlessCursor());
        for (char key : r.keys) EXPECT_EQ(w.type(std::string(1, key)), key == '\n' ? KeysRead::Line : KeysRead::More);
        EXPECT_EQ(vtRow(w.vt, 15), r.shown.empty() ? ">" : "> " + r.shown);
        bool aimed = r.x >= 0;
        EXPECT_EQ(std::make_pair(w.vt.x, w.vt.y), aimed ? std::make_pair(21 + r.x, 2 + r.y) : std::make_pair(2 + static_cast<int>(r.shown.size()), 15));
        int reversed = 0;  // the column letter and the row number, nothing else
        for (int i = 0; i < 80 * 12; i++) reversed += vtAt(w.vt, i % 80, i / 80).reverse;
        EXPECT_EQ(reversed, aimed ? 3 : 0);
        EXPECT_TRUE(!aimed || (vtAt(w.vt, 21 + r.x, 0).reverse && vtAt(w.vt, 18, 2 + r.y).reverse && vtAt(w.vt, 19, 2 + r.y).reverse));
        std::string got;
        EXPECT_EQ(w.type("\n", &got), KeysRead::Line);
        EXPECT_EQ(got, (r.read.empty() ? r.shown : r.read) + "\n");  // Enter takes it as if typed
    }
}

// A line too long for the rows below the prompt shows its end; a resize draws
// all again, a terminal too small gets a notice, and the typing goes on meanwhile.
TEST(LineEditing, ALongLineResizedAndShownAgainAfterANoticeOfATooSmallTerminal) {
    std::string typed;
    for (int i = 0; i < 300; i++) typed += static_cast<char>('a' + i % 26);
    Wire w;
    Frame f = promptOn(23);
    f[3 + 2 * SCREEN_WIDTH] = {'O', 199};
    w.frame(f, {2, 23});
    auto shows = [&](std::string_view line) {  // to the last row shown, less a cell for the cursor
        std::size_t room = std::min<std::size_t>(line.size(), static_cast<std::size_t>((std::min(w.vt.rows, 25) - 23) * 80 - 3));
        return vtDiffers(w.vt, withText(f, 2, 23, line.substr(line.size() - room)), after(23, room));
    };
    w.type("b");
    EXPECT_EQ(shows("b"), "");
    w.type(typed);
    w.resize(30, 100);
    EXPECT_EQ(shows("b" + typed), "");

    w.resize(20, 60);
    EXPECT_EQ(vtRow(w.vt, 0), "salvo needs a terminal of 80 x 24 (this one is 60 x 20)");
    for (int y = 1; y < 20; y++) EXPECT_EQ(vtRow(w.vt, y), "") << y;
    w.type("7");  // read, not shown
    w.frame(f, {2, 23});
    EXPECT_EQ(w.sent, 0u);
    w.resize(20, 30);
    EXPECT_EQ(vtRow(w.vt, 0) + "|" + vtRow(w.vt, 1), "salvo needs a terminal of 80 x|24 (this one is 30 x 20)");

    w.resize(24, 80);
    EXPECT_EQ(shows("b" + typed + "7"), "");
    std::string line;
    EXPECT_EQ(w.type("\n", &line), KeysRead::Line);
    EXPECT_EQ(line, ("b" + typed).substr(0, 255));  // the line comes in pieces of 255
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
