// The game in terminals that are not just right: edited lines, a job
// stopped and sent to the background, a window too small, a dumb terminal,
// a reader that goes away.
#include "tmux.h"

namespace {

constexpr std::string_view LEVELS = "4 - Champion (Hard, Lucky)";
constexpr std::string_view PLACING = "2 - Place randomly";

// Keys by their tmux names, one send each.
void keys(Terminal& t, std::initializer_list<const char*> names) {
    for (const char* name : names) t.key(name);
}

bool shows(const Screen& s, std::string_view row) { return std::ranges::find(s.rows, row) != s.rows.end(); }

}  // namespace

TEST(Terminal, TheTerminalsOwnEditingKeysEditTheLine) {
    Terminal t;
    t.waitPrompt({LEVELS});
    // Backspace, Ctrl-W and Ctrl-U as the terminal sends them; Ctrl-D on a
    // line being typed does nothing.
    keys(t, {"l", "e", "v", "x", "BSpace", "C-d"});
    t.waitFor([](const Screen& s) { return s.row(s.cursorY) == "> lev" && s.cursorX == 5; }, "> lev");
    keys(t, {"Space", "9", "C-w"});
    t.waitFor([](const Screen& s) { return s.row(s.cursorY) == "> lev" && s.cursorX == 6; }, "word erased");
    keys(t, {"C-u", "e", "l", "3", "Escape", "[", "H"});
    t.waitFor([](const Screen& s) { return s.row(s.cursorY) == "> el3?[H" && s.cursorX == 8; }, "> el3?[H");
    Screen s = t.answer("", {PLACING});
    EXPECT_EQ(s.above(6), "> el3?[H");  // level 3, the line as it was typed
    t.type("-");
    t.expectExit(0);
}

TEST(Terminal, StoppedSentToTheBackgroundAndBroughtBack) {
    Terminal t{Terminal::Shell{}};
    t.waitFor([](const Screen& s) { return s.row(0) == "$"; }, "the shell");
    t.type("b=$(stty -g); \"" SALVO_BINARY "\"");
    t.waitPrompt({LEVELS});
    t.type("3");
    t.waitPrompt({PLACING});
    t.key("C-z");
    Screen s = t.waitFor([](const Screen& x) { return !x.alternate && x.row(x.cursorY) == "$"; }, "the stop");
    EXPECT_NE(s.rows[static_cast<std::size_t>(s.cursorY - 1)].find("Stopped"), std::string::npos) << s.dump();
    // In the background it leaves the terminal alone: it stops again as
    // soon as it wants a key, until it is brought back.
    t.type("bg");
    auto sentToBackground = [](const Screen& x) {
        return x.row(x.cursorY) == "$" && std::ranges::any_of(x.rows, [](auto& r) { return r.ends_with("&"); });
    };
    t.waitFor(sentToBackground, "bg");
    t.type("sleep 1; stty -g | cmp - <(echo $b) && echo modes kept");
    t.waitFor([](const Screen& x) { return shows(x, "modes kept") && !x.alternate; }, "the shell's modes");
    t.type("fg");
    s = t.waitPrompt({PLACING});
    EXPECT_TRUE(s.alternate);
    EXPECT_EQ(s.above(6), "> 3");
    t.answer("2", {"What is your target?"});
    t.type("-");
    t.waitFor([](const Screen& x) { return !x.alternate && x.row(x.cursorY) == "$"; }, "the end");
    t.type("stty -g | cmp - <(echo $b) && echo modes kept again");
    t.waitFor([](const Screen& x) { return shows(x, "modes kept again"); }, "modes kept");
}

TEST(Terminal, ATooSmallTerminalShowsANoticeAndTheGameWhenItGrows) {
    Terminal t("\"" SALVO_BINARY "\"", 60, 20);
    t.waitFor([](const Screen& s) { return s.row(0) == "salvo needs a terminal of 80 x 24 (this one is 60 x 20)"; },
              "the notice");
    t.type("3");  // read while the notice shows, and kept
    t.resize(80, 25);
    Screen s = t.waitPrompt({PLACING});
    EXPECT_EQ(s.row(0), "  |ABCDEFGHIJ       |ABCDEFGHIJ    Your fleet          Opponent's fleet");
    EXPECT_EQ(s.above(6), "> 3");
    t.resize(79, 25);
    t.waitFor([](const Screen& x) { return x.row(0).starts_with("salvo needs a terminal of 80 x 24"); }, "notice");
    t.resize(80, 24);
    s = t.waitPrompt({PLACING});
    EXPECT_EQ(s.row(11), "10|               10|");
    t.type("-");
    t.expectExit(0);
}

TEST(Terminal, ADumbTerminalOrAReaderThatGoesAwayLeaveTheTerminalAsItWas) {
    const std::pair<std::string, std::string> rows[] = {
        {"TERM=dumb \"" SALVO_BINARY "\"", "EXIT=1, modes kept"},
        {"\"" SALVO_BINARY "\" | head -c 100 >/dev/null", "EXIT=0, modes kept"},
    };
    for (const auto& [command, end] : rows) {
        SCOPED_TRACE(command);
        Terminal t(command);
        Screen s = t.waitFor([](const Screen& x) { return x.above(1).starts_with("EXIT="); }, "the end");
        EXPECT_EQ(s.above(1), end) << s.dump();
        EXPECT_FALSE(s.alternate);
        EXPECT_EQ(s.row(0).starts_with("salvo: a dumb terminal"), command.starts_with("TERM")) << s.dump();
    }
}
