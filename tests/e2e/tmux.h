// The game in a real terminal: a tmux server of its own for each test, a
// window of 80 x 25, keys typed with send-keys, the screen read back with
// capture-pane, colours included.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

constexpr int BG_DARK_YELLOW = 43;  // fired at where no ship is, or the halo
constexpr int BG_BRIGHT_RED = 101;  // a hit on a ship still afloat
constexpr int BG_BLUE = 44;         // a sunk ship

// A character cell as the player sees it: the character (UTF-8) and the SGR
// number of its background, 0 for the terminal's default.
struct Cell {
    std::string ch = " ";
    int bg = 0;
    bool operator==(const Cell&) const = default;
};

struct Screen {
    std::vector<std::vector<Cell>> cells;  // rows of 80
    std::vector<std::string> rows;         // their text, trailing blanks cut
    int cursorX = -1;
    int cursorY = -1;
    bool alternate = false;

    const std::string& row(int y) const { return rows.at(static_cast<std::size_t>(y)); }
    std::string above(int dy) const { return cursorY >= dy ? row(cursorY - dy) : ""; }
    // Square (x, y) of the player's board (left) or the opponent's (right).
    const Cell& left(int x, int y) const {
        return cells.at(static_cast<std::size_t>(2 + y)).at(static_cast<std::size_t>(3 + x));
    }
    const Cell& right(int x, int y) const { return left(18 + x, y); }
    // The game waits for a line: the cursor at column 2 of a row holding only
    // ">", and the last non-empty row above it ends with last.
    bool prompt(std::string_view last) const {
        int dy = 1;
        while (dy < cursorY && above(dy).empty()) dy++;
        return cursorX == 2 && above(0) == ">" && above(dy).ends_with(last);
    }
    std::string dump() const {
        std::string out = "cursor " + std::to_string(cursorX) + "," + std::to_string(cursorY) + "\n";
        for (const std::string& r : rows) out += "|" + r + "\n";
        return out;
    }
};

inline std::string squareName(int x, int y) { return static_cast<char>('a' + x) + std::to_string(y + 1); }

class Terminal {
public:
    // Starts the game (or a shell command around it) under a shell that
    // outlives Ctrl-C (a trap, which the game doesn't inherit), then reports
    // how it ended and whether the terminal modes are as before, and stays
    // for the screen to be read.
    explicit Terminal(const std::string& command = "\"" SALVO_BINARY "\"", int cols = 80, int rows = 25)
        : server("salvo-e2e-" + std::to_string(getpid()) + "-" + std::to_string(servers++)) {
        unsetenv("TMUX");  // set inside another tmux; our server is our own anyway
        tmux("new-session -d -s salvo -x " + std::to_string(cols) + " -y " + std::to_string(rows) +
             " 'trap : INT; b=$(stty -g); " + command + "; st=$?; "
             "[ \"$(stty -g)\" = \"$b\" ] && m=kept || m=lost; echo EXIT=$st, modes $m; exec sleep 600'");
    }
    // An interactive shell with job control instead, for commands to be typed.
    struct Shell {};
    explicit Terminal(Shell) : server("salvo-e2e-" + std::to_string(getpid()) + "-" + std::to_string(servers++)) {
        unsetenv("TMUX");
        tmux("new-session -d -s salvo -x 80 -y 25 'PS1=\"$ \" exec bash --norc --noprofile -i'");
    }
    ~Terminal() {
        std::string socket = tmux("display -p '#{socket_path}'");
        tmux("kill-server");
        std::remove(socket.substr(0, socket.find('\n')).c_str());  // tmux leaves it behind
    }

    // The bytes as typed (in hex, so that none means anything to the shell),
    // then Enter; or a key by its tmux name.
    void type(const std::string& text) {
        std::string keys;
        char hex[4];
        for (char c : text + "\r") {
            std::snprintf(hex, sizeof hex, " %02x", static_cast<unsigned char>(c));
            keys += hex;
        }
        tmux("send-keys -t salvo -H" + keys);
    }
    void key(const std::string& name) { tmux("send-keys -t salvo " + name); }
    void resize(int cols, int rows) {
        tmux("resize-window -t salvo -x " + std::to_string(cols) + " -y " + std::to_string(rows));
    }

    Screen screen() const {
        std::istringstream out(tmux("capture-pane -p -e -N -t salvo \\; "
                                    "display -p -t salvo '#{cursor_x} #{cursor_y} #{alternate_on}'"));
        Screen s;
        int bg = 0;
        std::string line;
        int height = std::stoi(tmux("display -p -t salvo '#{pane_height}'"));
        for (int y = 0; y < height && std::getline(out, line); y++) {
            std::vector<Cell> cells;
            for (std::size_t i = 0; i < line.size(); i++) {
                if (line[i] == '\x1b') {  // SGR, the only escape capture-pane writes
                    std::size_t m = line.find('m', i);
                    std::istringstream sgr(line.substr(i + 2, m - i - 2));
                    for (int p = 0; sgr >> p; sgr.ignore()) {
                        if (p == 0 || p == 49) bg = 0;
                        if ((p >= 40 && p <= 47) || (p >= 100 && p <= 107)) bg = p;
                    }
                    if (m == i + 2) bg = 0;
                    i = m;
                } else if ((line[i] & 0xc0) == 0x80 && !cells.empty()) {
                    cells.back().ch += line[i];  // the rest of a UTF-8 character
                } else {
                    cells.push_back({std::string(1, line[i]), bg});
                }
            }
            cells.resize(80);
            std::string text;
            for (const Cell& c : cells) text += c.ch;
            s.cells.push_back(cells);
            s.rows.push_back(text.erase(text.find_last_not_of(' ') + 1));
        }
        if (!(out >> s.cursorX >> s.cursorY >> s.alternate) || s.rows.size() != static_cast<std::size_t>(height)) {
            throw std::runtime_error("no pane");
        }
        return s;
    }

    // Polls the screen until ok holds on two like captures in a row (a frame
    // may arrive in two pieces, and half a frame can look like a prompt).
    // After 20 s the test is abandoned with an exception showing the screen.
    Screen waitFor(const std::function<bool(const Screen&)>& ok, const std::string& what) const {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (Screen held;; std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
            Screen s = screen();
            bool holds = ok(s);
            if (holds && s.cells == held.cells && s.cursorY == held.cursorY) return s;
            held = holds ? s : Screen{};
            if (std::chrono::steady_clock::now() > deadline) {
                throw std::runtime_error("waited in vain for " + what + "\n" + s.dump());
            }
        }
    }
    // Waits for a prompt after one of the lines.
    Screen waitPrompt(std::initializer_list<std::string_view> lasts) const {
        auto ok = [&](const Screen& s) { return std::ranges::any_of(lasts, [&](auto l) { return s.prompt(l); }); };
        return waitFor(ok, "a prompt after " + std::string(*lasts.begin()));
    }
    // Types a line and waits for the screen to change, then for a prompt.
    Screen answer(const std::string& line, std::initializer_list<std::string_view> lasts) {
        Screen before = screen();
        type(line);
        waitFor([&](const Screen& s) { return s.rows != before.rows; }, "a change after " + line);
        return waitPrompt(lasts);
    }

    // Waits for the program's end and expects its status, the normal screen
    // back, and the terminal modes as they were before the game.
    void expectExit(int status) const {
        Screen s = waitFor([](const Screen& t) { return t.row(0).starts_with("EXIT="); }, "the end of the game");
        EXPECT_EQ(s.row(0), "EXIT=" + std::to_string(status) + ", modes kept") << s.dump();
        EXPECT_FALSE(s.alternate);
    }

private:
    // Runs tmux on this test's own server.
    std::string tmux(const std::string& args) const {
        std::string cmd = "tmux -f /dev/null -L " + server + " " + args + " </dev/null 2>/dev/null";
        std::string out;
        std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
        for (int c; p && (c = std::fgetc(p.get())) != EOF;) out += static_cast<char>(c);
        return out;
    }
    static inline int servers = 0;
    std::string server;
};
