// The terminal layer without a terminal: frames and keys go through it as
// in the game, and its output is replayed through a model of a terminal that
// knows only the common VT102 set. What counts is the screen the model then
// shows, never the exact bytes.
#include "opponent/aiopponent.h"
#include "platform/posix/tty.h"
#include "support.h"
#include "vt/vt_model.h"

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
Frame promptOn(int y) { return frameWith({{0, y - 1, "You have 3 shots left. What is your target?", 7}, {0, y, "> ", 7}}); }

// f as it should look with typed written after the cursor at (2, y).
Frame typedAt(Frame f, int y, std::string_view typed) {
    for (std::size_t i = 0; i < typed.size(); i++) {
        f[static_cast<std::size_t>(2 + y * ANSI_COLS) + i] = {{static_cast<unsigned char>(typed[i])}, 7};
    }
    return f;
}

COORD after(int y, std::size_t typed) {
    int at = 2 + y * ANSI_COLS + static_cast<int>(typed);
    return {static_cast<SHORT>(at % ANSI_COLS), static_cast<SHORT>(at / ANSI_COLS)};
}

}  // namespace

TEST(AnsiFrame, RandomFramesLookRightOnTerminalsOfEverySize) {
    const std::pair<int, int> sizes[] = {{25, 80}, {24, 80}, {40, 132}, {20, 60}, {3, 7}};
    const WORD attrs[] = {7, 7, 7, 23, 103, 199, 0x9e, 0};
    for (auto [rows, cols] : sizes) {
        SCOPED_TRACE(std::to_string(cols) + " x " + std::to_string(rows));
        std::srand(static_cast<unsigned>(rows * cols));
        AnsiScreen s;
        s.rows = rows;
        s.cols = cols;
        VtScreen vt = vtNew(rows, cols);
        Frame f = frameWith({});
        for (int step = 0; step < 400; step++) {
            switch (std::rand() % 4) {
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
                default: {  // text of any bytes in any colours, anywhere
                    std::size_t at = static_cast<std::size_t>(std::rand()) % f.size();
                    WORD attr = attrs[std::rand() % 8];
                    for (int n = std::rand() % 90; n > 0 && at < f.size(); n--, at++) {
                        f[at] = {{static_cast<WCHAR>(std::rand() % 4 ? ' ' + std::rand() % 95 : std::rand() % 256)}, attr};
                    }
                }
            }
            COORD cursor{static_cast<SHORT>(std::rand() % 81), static_cast<SHORT>(std::rand() % 26)};
            vtFeed(vt, ansiFrame(s, f.data(), cursor));
            ASSERT_EQ(vtDiffers(vt, f.data(), cursor), "") << "step " << step;
            ASSERT_EQ(ansiFrame(s, f.data(), cursor), "") << "an unchanged frame wrote something, step " << step;
        }
    }
}

// Steps of a game in the middle of a match cost a few dozen bytes each:
// the terminal moves the message area when it scrolls.
TEST(AnsiFrame, EverydayStepsAreCheap) {
    Wire w;
    std::vector<Text> texts{{3, 2, "O", 199}};
    for (int y = 14; y <= 22; y++) texts.push_back({0, y, "AI Fires at J" + std::to_string(y - 13) + "... Miss!", 7});
    Frame f = frameWith(texts);
    w.frame(f, {2, 23});
    for (int step = 0; step < 4; step++) {
        SCOPED_TRACE(step);
        // A message on the last row, and its newline scrolls the area.
        std::copy(f.begin() + 15 * ANSI_COLS, f.begin() + 23 * ANSI_COLS, f.begin() + 14 * ANSI_COLS);
        std::copy_n(frameWith({{0, 22, "Hit!", 7}}).begin() + 22 * ANSI_COLS, ANSI_COLS, f.begin() + 22 * ANSI_COLS);
        w.frame(f, {2, 23});
        EXPECT_EQ(vtDiffers(w.vt, f.data(), {2, 23}), "");
        EXPECT_LT(w.sent, step == 0 ? 40u : 20u);
        // One square of the opponent's board turns dark yellow.
        f[static_cast<std::size_t>(20 + step + 2 * ANSI_COLS)] = {{' '}, 103};
        w.frame(f, {2, 23});
        EXPECT_EQ(vtDiffers(w.vt, f.data(), {2, 23}), "");
        EXPECT_LT(w.sent, 25u);
    }
}

TEST(LineEditing, KeysEditTheLineWhichIsShownAsTyped) {
    struct Row { std::string keys, shown, line; } rows[] = {  // before Enter, and the line the game gets
        {"b7", "b7", "b7\n"},
        {"bx\x7f" "7", "b7", "b7\n"},                     // erase (DEL)
        {"bx\b7", "b7", "b7\n"},                          // Backspace sending BS erases too
        {"\x7f\x7f" "b7", "b7", "b7\n"},                  // nothing to erase
        {"a1 5 h\x15" "b7", "b7", "b7\n"},                // kill
        {"fire at c9 \x17" "b7", "fire at b7", "fire at b7\n"},  // word-erase: the blanks, then the word
        {"x\x04" "7", "x7", "x7\n"},                      // end of input on a line being typed does nothing
        {"b\x1b[2J\x07" "7", "b?[2J?7", "b\x1b[2J\x07" "7\n"},  // other control keys are text, drawn harmless
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::PrintToString(r.keys));
        Wire w;
        w.frame(promptOn(20), {2, 20});
        for (char key : r.keys) EXPECT_EQ(w.type(std::string(1, key)), TtyRead::More);
        EXPECT_EQ(vtRow(w.vt, 20), "> " + r.shown);
        EXPECT_EQ(w.vt.x, 2 + static_cast<int>(r.shown.size()));
        std::string got;
        EXPECT_EQ(w.type("\n", &got), TtyRead::Line);
        EXPECT_EQ(got, r.line);
    }
    Wire w;  // the terminal's own keys, whatever they are
    w.t.keys = {'#', '@', '%', 0};
    std::string got;
    EXPECT_EQ(w.type("bx#7 @c8 x%9\x7f" "8\x04\n", &got), TtyRead::Line);
    EXPECT_EQ(got, "c8 8\x04\n");
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

TEST(LineEditing, ALongLineRunsOnBelowThePromptAndShowsItsEnd) {
    std::string typed;
    for (int i = 0; i < 300; i++) typed += static_cast<char>('a' + i % 26);
    for (SHORT y : {SHORT{14}, SHORT{23}}) {
        SCOPED_TRACE(y);
        Wire w;
        Frame f = promptOn(y);
        w.frame(f, {2, y});
        w.type(typed);
        // From row 14 all of it fits; from row 23 the room through row 24,
        // less a cell for the cursor, shows its end.
        std::size_t room = y == 14 ? typed.size() : 78 + 80 - 1;
        std::string_view end = std::string_view(typed).substr(typed.size() - room);
        EXPECT_EQ(vtDiffers(w.vt, typedAt(f, y, end).data(), after(y, room)), "");
    }
}

TEST(LineEditing, ResizesRedrawAllAndATooSmallTerminalGetsANoticeInstead) {
    Wire w;
    Frame f = promptOn(23);
    f[3 + 2 * ANSI_COLS] = {{'O'}, 199};
    w.frame(f, {2, 23});
    w.type("b");
    w.resize(30, 100);
    EXPECT_EQ(vtDiffers(w.vt, typedAt(f, 23, "b").data(), after(23, 1)), "");

    w.resize(20, 60);
    EXPECT_EQ(vtRow(w.vt, 0), "salvo needs a terminal of 80 x 24 (this one is 60 x 20)");
    for (int y = 1; y < 20; y++) EXPECT_EQ(vtRow(w.vt, y), "") << y;
    w.type("7");  // read, not shown
    w.frame(f, {2, 23});
    EXPECT_EQ(w.sent, 0u);
    w.resize(20, 30);
    EXPECT_EQ(vtRow(w.vt, 0) + "|" + vtRow(w.vt, 1), "salvo needs a terminal of 80 x|24 (this one is 30 x 20)");

    w.resize(24, 80);
    EXPECT_EQ(vtDiffers(w.vt, typedAt(f, 23, "b7").data(), after(23, 2)), "");
    std::string line;
    EXPECT_EQ(w.type("\n", &line), TtyRead::Line);
    EXPECT_EQ(line, "b7\n");
}

// Whole matches at every level, on an 80 x 24 terminal, through the model:
// after every frame the model shows it, and while a line is typed it shows
// the frame with the typing after the prompt.
struct Terminal : GameTest {};

TEST_F(Terminal, WholeMatchesAtEveryLevelLookRightThroughTheModel) {
    for (int level = 0; level < 4; level++) {
        SCOPED_TRACE(OPPONENT_LEVELS[level].name);
        restart();
        Wire w(24, 80);
        headlessOnFrame([&](const CHAR_INFO* cells, COORD cursor) {
            ttyKeepFrame(w.t, cells, cursor);
            w.show();
            ASSERT_EQ(vtDiffers(w.vt, cells, cursor), "");
        });
        int lines = 0;
        headlessOnRead([&](char* buf, int size) {
            Frame f;
            std::copy_n(w.t.frame.begin(), f.size(), f.begin());
            int y = w.t.cursor.Y;
            int sq = 0;
            do {
                sq = std::rand() % 100;
            } while (mapGet(g.mapOpponent.get(), sq % 10, sq / 10) & CELL_SHOT);
            std::string square = static_cast<char>('a' + sq % 10) + std::to_string(sq / 10 + 1);
            // Now and then a square the game refuses, or a slip mended before Enter.
            lines++;
            std::string keys = lines % 7 == 0 ? "k1" : lines % 5 == 0 ? "zz\x7f\x7f" + square : square;
            std::string typed;
            for (char key : keys) {
                typed = key == '\x7f' ? typed.substr(0, typed.size() - 1) : typed + key;
                EXPECT_EQ(w.type(std::string(1, key)), TtyRead::More);
                EXPECT_EQ(vtDiffers(w.vt, typedAt(f, y, typed).data(), after(y, typed.size())), "");
            }
            w.t.input += "\n";
            w.t.reading = false;
            return ttyRead(w.t, buf, size) == TtyRead::Line;
        });
        std::srand(static_cast<unsigned>(level + 1));
        placeFleetRandomly(&g, g.mapPlayer.get());
        placeFleetRandomly(&g, g.mapOpponent.get());
        opponentMove = OPPONENT_LEVELS[level].move;
        gamePlay(&g);
        EXPECT_TRUE(g.playerWon || g.opponentWon);
        EXPECT_EQ(vtDiffers(w.vt, headlessScreen(), headlessCursor()), "");
    }
}
