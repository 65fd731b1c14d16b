// The terminal layer without a terminal: frames and keys go through it as
// in the game, and its output is replayed through a model of a terminal that
// knows only the common VT102 set. What counts is the screen the model then
// shows, never the exact bytes.
#include <unistd.h>

#include "platform/posix/terminfo.h"
#include "platform/posix/tty.h"
#include "platform/posix/wait.h"
#include "support.h"
#include "vt/vt_model.h"

namespace {

using Frame = std::array<CHAR_INFO, ANSI_COLS * ANSI_ROWS>;

// f with text written from (x, y) on.
Frame withText(Frame f, int x, int y, std::string_view text, WORD attr = 7) {
    for (std::size_t i = 0; i < text.size(); i++) f[static_cast<std::size_t>(x + y * ANSI_COLS) + i] = {{static_cast<unsigned char>(text[i])}, attr};
    return f;
}

const Frame BLANK = withText({}, 0, 0, std::string(ANSI_COLS * ANSI_ROWS, '\0'));

// The layer and the terminal it writes to, kept in step: every byte the
// layer sends goes through the model.
struct Wire {
    Tty t;
    VtScreen vt;
    std::size_t sent = 0;  // bytes of the last show
    explicit Wire(int rows = 25, int cols = 80) : vt(vtNew(rows, cols)) {
        ttyRepaint(t, rows, cols);
        t.editing = true;
    }
    void show() {
        std::string out = ttyShow(t);
        sent = out.size();
        vtFeed(vt, out);
    }
    void frame(const Frame& f, COORD cursor) {
        ttyKeepFrame(t, f.data(), cursor);
        show();
    }
    void resize(int rows, int cols) {
        vtResize(vt, rows, cols);
        ttyRepaint(t, rows, cols);
        show();
    }
    // Keys as they arrive while the game waits for a line; the line typed so
    // far is shown when more keys are needed.
    TtyRead type(std::string_view keys, std::string* line = nullptr) {
        t.input += keys;
        t.reading = true;
        char buf[256];
        TtyRead got = ttyRead(t, buf, sizeof buf);
        if (got == TtyRead::More) show();
        t.reading = got == TtyRead::More;
        if (line) *line = got == TtyRead::Line ? buf : "";
        return got;
    }
};

// A frame that waits for a line on row y: a prompt, "> " and the cursor after it.
Frame promptOn(int y) { return withText(withText(BLANK, 0, y - 1, "You have 3 shots left. What is your target?"), 0, y, "> "); }

// The cursor after typed on row y.
COORD after(int y, std::size_t typed) {
    int at = 2 + y * ANSI_COLS + static_cast<int>(typed);
    return {static_cast<SHORT>(at % ANSI_COLS), static_cast<SHORT>(at / ANSI_COLS)};
}

}  // namespace

TEST(AnsiFrame, RandomFramesLookRightOnTerminalsOfEverySize) {
    const struct { int rows, cols; bool colour; } sizes[] = {{25, 80, true}, {24, 80, false}, {40, 132, true}, {20, 60, false}, {3, 7, true}};
    const WORD attrs[] = {7, 7, 7, 23, 103, 199, 0x9e, 0, 7 | COMMON_LVB_REVERSE_VIDEO, 103 | COMMON_LVB_REVERSE_VIDEO};
    for (auto [rows, cols, colour] : sizes) {
        SCOPED_TRACE(std::to_string(cols) + " x " + std::to_string(rows) + (colour ? "" : " without colour"));
        std::srand(static_cast<unsigned>(rows * cols));
        AnsiScreen s;
        s.rows = rows;
        s.cols = cols;
        s.colour = colour;
        VtScreen vt = vtNew(rows, cols);
        Frame f = BLANK;
        for (int step = 0; step < 400; step++) {
            switch (std::rand() % 5) {
                case 0: {  // a block of rows scrolls, mostly the message area as a message does
                    int top = std::rand() % 2 ? 14 : std::rand() % 23;
                    int bottom = std::rand() % 2 ? 24 : top + 1 + std::rand() % (24 - top);
                    int k = 1 + std::rand() % std::min(3, bottom - top);
                    std::copy(f.begin() + (top + k) * ANSI_COLS, f.begin() + (bottom + 1) * ANSI_COLS, f.begin() + top * ANSI_COLS);
                    std::fill(f.begin() + (bottom + 1 - k) * ANSI_COLS, f.begin() + (bottom + 1) * ANSI_COLS, CHAR_INFO{{0}, 7});
                    break;
                }
                case 1:  // a row goes blank
                    std::fill_n(f.begin() + (std::rand() % ANSI_ROWS) * ANSI_COLS, ANSI_COLS, CHAR_INFO{{0}, 7});
                    break;
                case 2:  // drawn anew, as after a resize: nothing left over from before
                    s.known = false;
                    break;
                default: {  // text of any bytes in any colours, anywhere
                    std::size_t at = static_cast<std::size_t>(std::rand()) % f.size();
                    WORD attr = attrs[std::rand() % 10];
                    for (int n = std::rand() % 90; n > 0 && at < f.size(); n--, at++) {
                        f[at] = {{static_cast<WCHAR>(std::rand() % 4 ? ' ' + std::rand() % 95 : std::rand() % 256)}, attr};
                    }
                }
            }
            COORD cursor{static_cast<SHORT>(std::rand() % 81), static_cast<SHORT>(std::rand() % 26)};
            vtFeed(vt, ansiFrame(s, f.data(), cursor));
            ASSERT_EQ(vtDiffers(vt, f.data(), cursor, colour), "") << "step " << step;
            ASSERT_EQ(ansiFrame(s, f.data(), cursor), "") << "an unchanged frame wrote something, step " << step;
        }
    }
}

// Each key is a read of its own: an escape sequence cut between reads is
// still taken whole.
TEST(LineEditing, KeysEditTheLineWhichIsShownAsTyped) {
    struct Row { std::string keys, shown, line; } rows[] = {  // before Enter, and the line the game gets
        {"b7", "b7", "b7\n"},
        {"bx\x7f" "7", "b7", "b7\n"},                     // erase (DEL)
        {"bx\b7", "b7", "b7\n"},                          // Backspace sending BS erases too
        {"\x7f\x7f" "b7", "b7", "b7\n"},                  // nothing to erase
        {"a1 5 h\x15" "b7", "b7", "b7\n"},                // kill
        {"fire at c9 \x17" "b7", "fire at b7", "fire at b7\n"},  // word-erase: the blanks, then the word
        {"x\x04" "7", "x7", "x7\n"},                      // end of input on a line being typed does nothing
        {"b\x1b[2J\x07" "7", "b?7", "b\x07" "7\n"},       // a sequence is taken whole; control keys drawn harmless
        {"\x1b" "b7\x1b", "b7", "b7\n"},                   // a lone Escape
        {"\x1b[A\x1bOD\x1b[1;5C\x1b[[A\x1bOP\x1b[15~\x1b[H", "", "\n"},  // arrows with no aim, function keys, Home
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::PrintToString(r.keys));
        Wire w;
        w.frame(promptOn(20), {2, 20});
        for (char key : r.keys) EXPECT_EQ(w.type(std::string(1, key)), TtyRead::More);
        EXPECT_EQ(vtRow(w.vt, 20), r.shown.empty() ? ">" : "> " + r.shown);
        EXPECT_EQ(w.vt.x, 2 + static_cast<int>(r.shown.size()));
        std::string got;
        EXPECT_EQ(w.type("\n", &got), TtyRead::Line);
        EXPECT_EQ(got, r.line);
    }
}

// The game's own aim, over a frame the game drew, at a target prompt on row 15.
struct Aim : GameTest {};

TEST_F(Aim, ArrowKeysMoveOverTheOpponentsBoardAndTheLineNamesTheSquare) {
    struct Row { const char* name; std::string fired, keys, line; int x, y; } rows[] = {  // x -1: no aim shown
        {"from A1", "", "\x1b[C\x1b[C\x1b[B", "c2", 2, 1},
        {"stopped at the edges, either form", "", "\x1bOA\x1b[D", "a1", 0, 0},
        {"from the square typed, to the last corner", "", "J9\x1b[B\x1b[C\x1b[B", "j10", 9, 9},
        {"the line names no square: from the last aim", "", "\x1b[B\x1b[B\x15zz\x1b[C", "b3", 1, 2},
        {"from the square last fired at", "e5", "\x1b[B", "e6", 4, 5},
        {"typing goes on from the line shown", "", "\x1b[C" "0", "b10", -1, -1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        restart();
        Wire w;
        consoleAim(&g, 1);
        ttyAim(w.t, headlessAim());
        consoleDrawMaps(&g, DRAW_SHIPS, DRAW_HIDDEN);
        consolePrint(&g.console, "You have 3 shots left. What is your target?\n> ");
        w.frame(*reinterpret_cast<const Frame*>(headlessScreen()), headlessCursor());
        if (!r.fired.empty()) w.type(r.fired + "\n");
        for (char key : r.keys) w.type(std::string(1, key));
        EXPECT_EQ(vtRow(w.vt, 15), "> " + r.line);
        bool aimed = r.x >= 0;
        EXPECT_EQ(std::make_pair(w.vt.x, w.vt.y), aimed ? std::make_pair(21 + r.x, 2 + r.y) : std::make_pair(2 + static_cast<int>(r.line.size()), 15));
        for (int y = 0; y < 12; y++) {  // the column letter and the row number in reverse video, nothing else
            for (int x = 0; x < 80; x++) {
                bool marked = aimed && ((y == 0 && x == 21 + r.x) || (y == 2 + r.y && (x == 18 || x == 19)));
                EXPECT_EQ(vtAt(w.vt, x, y).reverse, marked) << x << "," << y;
            }
        }
        std::string got;
        EXPECT_EQ(w.type("\n", &got), TtyRead::Line);
        EXPECT_EQ(got, r.line + "\n");  // Enter takes it as if typed
    }
}

// Lines as fgets would give them: one a read, through the newline, at most
// 255 bytes; keys typed ahead wait for their read.
TEST(LineEditing, InputComesALineAtATime) {
    std::string longLine(300, 'x');
    struct Row { std::string keys; bool cutOff; std::vector<std::string> lines; TtyRead then; } rows[] = {
        {"a1\nb2\x7f" "3\nc3\nd", false, {"a1\n", "b3\n", "c3\n"}, TtyRead::More},  // a paste
        {longLine + "\n", false, {longLine.substr(0, 255), longLine.substr(255) + "\n"}, TtyRead::More},
        {"\x04", false, {}, TtyRead::End},                   // Ctrl-D on an empty line
        {"b7\n\x04" "c8\n", false, {"b7\n"}, TtyRead::End},  // what follows it is not read
        {"b7", true, {"b7"}, TtyRead::End},                  // the terminal gone mid-line: the line as it stands
        {"", true, {}, TtyRead::End},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::PrintToString(r.keys));
        Wire w;
        w.t.input = r.keys;
        if (r.cutOff) ttyEndOfInput(w.t);
        char buf[256];
        for (const std::string& line : r.lines) {
            ASSERT_EQ(ttyRead(w.t, buf, sizeof buf), TtyRead::Line);
            EXPECT_EQ(buf, line);
        }
        EXPECT_EQ(ttyRead(w.t, buf, sizeof buf), r.then);
    }
}

// A line too long for the rows below the prompt shows its end; a resize
// draws everything again, a terminal too small gets a notice instead, and
// the typing goes on meanwhile.
TEST(LineEditing, ALongLineResizedAndShownAgainAfterANoticeOfATooSmallTerminal) {
    std::string typed;
    for (int i = 0; i < 300; i++) typed += static_cast<char>('a' + i % 26);
    Wire w;
    Frame f = promptOn(23);
    f[3 + 2 * ANSI_COLS] = {{'O'}, 199};
    w.frame(f, {2, 23});
    auto shows = [&](std::string_view line) {  // to the last row shown, less a cell for the cursor
        std::size_t room = std::min<std::size_t>(line.size(), static_cast<std::size_t>((std::min(w.vt.rows, 25) - 23) * 80 - 3));
        return vtDiffers(w.vt, withText(f, 2, 23, line.substr(line.size() - room)).data(), after(23, room));
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
    EXPECT_EQ(w.type("\n", &line), TtyRead::Line);
    EXPECT_EQ(line, ("b" + typed).substr(0, 255));  // the line comes in pieces of 255
}

TEST(Colour, OffForNoColorOrATerminalWithoutThemUnlessTheOptionSays) {
    const int vt100 = terminfoColours("vt100");
    const int xterm = terminfoColours("xterm-256color");
    EXPECT_LT(vt100, 8);
    EXPECT_EQ(xterm, 256);
    EXPECT_EQ(terminfoColours("no-such-terminal"), TERMINFO_UNKNOWN);
    using C = ColourChoice;
    const struct { C choice; const char* noColor; int colours; bool on; } rows[] = {
        {C::Auto, nullptr, xterm, true}, {C::Auto, "", xterm, true},  {C::Auto, "1", xterm, false},
        {C::Auto, nullptr, vt100, false}, {C::Auto, nullptr, 8, true}, {C::Auto, nullptr, TERMINFO_UNKNOWN, true},
        {C::Always, "1", vt100, true},    {C::Never, nullptr, xterm, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(r.choice) << " " << (r.noColor ? r.noColor : "unset") << " " << r.colours);
        EXPECT_EQ(ttyColour(r.choice, r.noColor, r.colours), r.on);
    }
}

TEST(WaitForKeys, EndsForKeysForASignalAndForAReaderGone) {
    for (bool useSelect : {false, true}) {
        SCOPED_TRACE(useSelect ? "select" : "poll");
        int in[2], out[2], wake[2];
        ASSERT_EQ(pipe(in) + pipe(out) + pipe(wake), 0);
        char byte = 0;
        ASSERT_EQ(write(wake[1], &byte, 1) + write(wake[1], &byte, 1), 2);
        EXPECT_EQ(waitFor(in[0], out[1], wake[0], useSelect), Woken::Signal);
        ASSERT_EQ(write(in[1], &byte, 1), 1);
        EXPECT_EQ(waitFor(in[0], out[1], wake[0], useSelect), Woken::Keys);  // the self-pipe was emptied
        close(out[0]);
        EXPECT_EQ(waitFor(in[0], out[1], wake[0], useSelect), Woken::Gone);
        for (int fd : {in[0], in[1], out[1], wake[0], wake[1]}) close(fd);
    }
}
