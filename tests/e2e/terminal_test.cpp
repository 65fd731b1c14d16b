// The real program in tmux, for what only a terminal shows: the ways out,
// job control, a window that changes size, keys typed ahead.
#include "tmux.h"

namespace {

const std::string LEVELS = "5 - Admiral (Hard, Honest)";
const std::string PLACING = "2 - Place randomly";
const std::string TARGET = "You have 3 shots left. What is your target?";
const std::string PLAYING = " --seed=7 --level=1 --place=random";

}  // namespace

// How the game is started (the command line around it), what it shows before
// the way out, the way out (a signal, then a line typed or keys), what after:
// the games of the run, on the terminal's own screen, wherever it is given back.
TEST(Terminal, EveryWayOutGivesTheTerminalBackWithAnHonestStatus) {
    const std::string none = "salvo: 0 games played, 0 won, 0 lost.", one = "salvo: 1 game played, 0 won, 0 lost.";
    struct Row { const char* name; std::string before, after, waitFor, signal, line, keys; int status; std::string shown; } rows[] = {
        {"the quit line, at the first screen, the mouse left to the terminal", "", " --mouse=never", LEVELS, "", "-", "", 0, none},
        {"the end of input", "", PLAYING, TARGET, "", "", "C-d", 0, one},
        {"Ctrl-C", "", PLAYING, TARGET, "", "", "C-c", 130, one},
        {"SIGTERM", "", PLAYING, TARGET, "TERM", "", "", 143, one},
        {"a hangup", "", PLAYING, TARGET, "HUP", "", "", 129, one},
        {"a hangup, ignored as under nohup", "trap \"\" HUP; ", PLAYING, TARGET, "HUP", "-", "", 0, one},
        {"a full disk", "", PLAYING + " >/dev/full", "", "", "", "", 1, "salvo: can't write to standard output: No space left on device"},
        {"a dumb terminal", "TERM=dumb ", "", "", "", "", "", 1, "salvo: a dumb terminal can't show the game"},
        {"a reader that goes away", "", " | head -c 100 >/dev/null", "", "", "", "", 0, ""},
        {"the quit line from a script", "printf \"3\\n2\\n-\\n\" | ", " >/dev/null", "", "", "", "", 0, ""},
        {"the end of a script", "printf \"4\\n1\\na1 5 h\\n\" | ", " >/dev/null", "", "", "", "", 0, ""},
#ifdef __linux__  // LD_PRELOAD: macOS would want a dylib and DYLD_INSERT_LIBRARIES
        {"a failed assertion: the computer's first shot falls off the board (the player's aimed with the arrow keys)",
         "LD_PRELOAD=" SALVO_E2E_SHIM " ", PLAYING, TARGET, "", "", "Right Enter Right Enter Right Enter", 134,
         one + "|Assertion failed: XYVALID(x,y), file rules/board.cpp, line "},
#endif
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Terminal t(r.before + SALVO + r.after);
        if (!r.waitFor.empty()) {
            Screen s = t.waitShows(r.waitFor);
            // tmux's terminal reports the mouse; --mouse=never leaves it not a byte of reporting
            EXPECT_TRUE(s.alternate && s.mouse == (r.after.find("--mouse=never") == std::string::npos));
            if (r.waitFor == LEVELS) {  // the first screen: the boards and the fleets, the first menu
                EXPECT_EQ(s.rows[0] + "/" + s.rows[11] + "/" + s.rows[14] + "/" + s.rows[15] + "/" + s.rows[21],
                          "  |ABCDEFGHIJ       |ABCDEFGHIJ    Your fleet          Opponent's fleet/10|               10|/"
                          "Select Your Opponent (type a number 1-5)/ 1 - Not The Brightest Bulb (Easy)/>");
            }
        }
        if (!r.signal.empty()) t.signal(r.signal);
        if (!r.line.empty()) t.type(r.line);
        if (!r.keys.empty()) t.key(r.keys);
        Screen s = t.expectExit(r.status);
        for (std::size_t from = 0, bar = 0; bar != std::string::npos; from = bar + 1) {
            bar = r.shown.find('|', from);
            EXPECT_TRUE(s.shows(r.shown.substr(from, bar - from))) << s.dump();
        }
        // Nothing else of the run is left: the farewell is the only line of it.
        EXPECT_EQ(std::ranges::count_if(s.rows, [](const std::string& row) { return row.starts_with("salvo: "); }),
                  r.shown.starts_with("salvo: ") ? 1 : 0) << s.dump();
    }
}

// The terminal's own editing keys (stty), and Ctrl-Z each time; in the
// background the game leaves the terminal alone, stopped when it wants a key.
TEST(Terminal, StoppedSentToTheBackgroundAndBroughtBack) {
    Terminal t{Terminal::Shell{}};
    t.waitFor([](const Screen& s) { return s.rows[0] == "$"; }, "the shell");
    t.type("stty werase ^E; b=$(stty -g); " + SALVO);
    t.waitShows(LEVELS);
    t.key("l e v x BSpace Space 9 C-e");
    t.waitFor([](const Screen& s) { return s.atCursor() == "> lev" && s.cursorX == 6; }, "> lev, erased with the keys");
    t.key("C-u 3 Enter");
    t.waitShows(PLACING);
    // The game is brought back only if it gave the shell its modes back.
    const std::string kept = "stty -g | cmp - <(echo $b) && ";
    for (std::string then : {"bg; until [ -n \"$(jobs -s)\" ]; do :; done; " + kept + "fg", std::string("fg")}) {
        t.key("C-z");
        t.waitFor([](const Screen& s) { return !s.alternate && !s.mouse && s.atCursor() == "$" && s.shows("Stopped"); }, "the stop");
        t.type(kept + then);
        Screen s = t.waitShows(PLACING);
        EXPECT_TRUE(s.alternate && s.mouse && s.shows("> 3")) << s.dump();
    }
    t.type("-");
    t.waitFor([](const Screen& x) { return !x.alternate && x.atCursor() == "$"; }, "the end");
    t.type("stty -g | cmp - <(echo $b) && echo modes kept");
    EXPECT_FALSE(t.waitShows("modes kept").mouse);
}

// A window change shows at once, with no key. While the window is too small
// a notice stands in for the game, drawn anew for each size; lines typed are
// read and kept, and the computer holds its fire: the Easy level fires at
// once, so had it fired unseen its shots would show as soon as the game does.
// Once in sight it takes half a second and fires. 80 x 24 is room enough.
TEST(Terminal, ATooSmallWindowShowsANoticeAndTheComputerWaitsUntilItGrows) {
    Terminal t(SALVO + PLAYING, 60, 20);
    t.waitShows("salvo needs a terminal of 80 x 24 (this one is 60 x 20)");
    t.type("a1");
    t.resize(80, 24);
    Screen s = t.waitShows("You have 2 shots left");
    EXPECT_TRUE(s.shows("> a1") && s.rows[11].starts_with("10|")) << s.dump();
    t.type("a2");
    t.waitShows("You have 1 shot left");
    t.resize(79, 25);
    t.waitShows("salvo needs a terminal of 80 x 24 (this one is 79 x 25)");
    t.type("a3");
    t.resize(62, 20);
    t.waitShows("(this one is 62 x 20)");
    t.resize(80, 25);
    auto after = [](const Screen& x, const std::string& row) {
        auto at = std::ranges::find(x.rows, row);
        return at == x.rows.end() ? std::vector<std::string>{} : std::vector<std::string>(at + 1, x.rows.end());
    };
    t.waitFor([&](const Screen& x) { auto rest = after(x, "> a3"); return rest.size() > 1 && rest[0].ends_with("!") && rest[1].empty(); },
              "the shot, in sight before the computer's");
    t.waitFor([&](const Screen& x) { return x.atCursor() == ">" && x.rows[static_cast<std::size_t>(x.cursorY - 1)] == TARGET; },
              "the computer's turn, then the player's");
    t.type("-");
    t.expectExit(0);
}

// Keys typed while the computer plays its winning turn answer no question: the
// player fires row by row, typing "2" after each turn's last shot (bad
// coordinates at a target prompt; at "Another game?" it would quit).
TEST(Terminal, LinesTypedDuringTheWinningTurnAnswerNoQuestion) {
    Terminal t(SALVO + " --seed=43 --level=5 --place=random");
    auto prompt = [](const Screen& s) { return s.cursorY > 0 ? s.rows[static_cast<std::size_t>(s.cursorY - 1)] : ""; };
    for (int square = 0; square < 100; square++) {
        Screen s = t.waitFor([&](const Screen& x) { return x.atCursor() == ">" && (prompt(x).ends_with("target?") || x.shows("Another game?")); },
                             "a target prompt or the end");
        if (s.shows("Another game?")) break;
        std::string line = std::string(1, static_cast<char>('a' + square % 10)) + std::to_string(square / 10 + 1);
        t.type(line);
        t.waitShows("> " + line);
        if (prompt(s).starts_with("You have 1 shot left")) t.type("2");
    }
    Screen s = t.waitShows("Another game?");
    EXPECT_TRUE(s.shows("The Opponent Won!") && s.shows("The opponent won in ") && s.shows("Admiral (Hard, Honest) fired ")) << s.dump();
    EXPECT_TRUE(s.alternate && s.atCursor() == ">" && !s.shows("> 2")) << s.dump();
    t.type("2");
    s = t.expectExit(0);
    EXPECT_TRUE(s.shows("salvo: 1 game played, 0 won, 1 lost.")) << s.dump();
}
