// The game in a real terminal: a tmux server of its own for each test, a
// window of 80 x 25, keys typed with send-keys, the screen read back with
// capture-pane, colours included.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A character cell as the player sees it: the character (UTF-8) and the SGR
// number of its background, 0 for the terminal's default.
struct Cell {
    std::string ch = " ";
    int bg = 0;
    bool operator==(const Cell&) const = default;
};

constexpr int BG_DARK_YELLOW = 43;  // fired at where no ship is, or the halo
constexpr int BG_BRIGHT_RED = 101;  // a hit on a ship still afloat
constexpr int BG_BLUE = 44;         // a sunk ship

struct Screen {
    std::vector<std::vector<Cell>> cells;  // 25 rows of 80
    std::vector<std::string> rows;         // their text, trailing blanks cut
    int cursorX = -1;
    int cursorY = -1;
    bool alternate = false;

    const std::string& row(int y) const { return rows.at(static_cast<std::size_t>(y)); }
    std::string above(int dy) const { return cursorY >= dy ? row(cursorY - dy) : ""; }
    // Square (x, y) of the player's board (left) or the opponent's (right).
    const Cell& left(int x, int y) const { return cell(3 + x, 2 + y); }
    const Cell& right(int x, int y) const { return cell(21 + x, 2 + y); }
    const Cell& cell(int x, int y) const {
        return cells.at(static_cast<std::size_t>(y)).at(static_cast<std::size_t>(x));
    }
    bool has(std::string_view text) const;
    std::string dump() const;
};

// The game waits for a line: the cursor at column 2 of a row holding only
// "> ", and the last non-empty row above it ends with last.
bool atPrompt(const Screen& s, std::string_view last);

std::string squareName(int x, int y);  // as typed: "a1" .. "j10"

class Terminal {
public:
    Terminal();   // starts the game
    ~Terminal();  // kills the tmux server, whatever the game is doing

    void type(std::string_view text);  // the bytes as typed, then Enter
    void key(std::string_view name);   // a tmux key name such as C-c
    Screen screen() const;

    // Polls the screen until ok holds on two like captures in a row. After
    // 20 s the test is abandoned with an exception that shows the screen.
    Screen waitFor(const std::function<bool(const Screen&)>& ok, std::string_view what) const;
    Screen waitPrompt(std::initializer_list<std::string_view> lasts) const;
    // Types a line, waits for the screen to change, then for a prompt. (The
    // same line twice at the same prompt may bring back the same screen.)
    Screen answer(std::string_view line, std::initializer_list<std::string_view> lasts);

    // Waits for the program's end and expects its status, the normal screen
    // back, and the terminal modes as they were before the game.
    void expectExit(int status) const;

private:
    std::string tmux(const std::string& args) const;
    std::string dir;
};

class TerminalTest : public ::testing::Test {
protected:
    Terminal& start() {
        term.reset();
        term = std::make_unique<Terminal>();
        return *term;
    }
    void TearDown() override { term.reset(); }
    std::unique_ptr<Terminal> term;
};
