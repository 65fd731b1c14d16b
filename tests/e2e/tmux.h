// The real program in a real terminal: a tmux server of its own for each
// test, a window of 80 x 25, keys typed with send-keys, the screen read back
// with capture-pane.
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

const std::string SALVO = "\"" SALVO_BINARY "\"";

struct Screen {
    std::vector<std::string> rows;  // trailing blanks cut
    int cursorX = -1;
    int cursorY = -1;
    bool alternate = false;
    bool operator==(const Screen&) const = default;

    const std::string& atCursor() const { return rows.at(static_cast<std::size_t>(cursorY)); }
    bool shows(std::string_view text) const {
        return std::ranges::any_of(rows, [text](const std::string& r) { return r.find(text) != std::string::npos; });
    }
    std::string dump() const {
        std::string out = "cursor " + std::to_string(cursorX) + "," + std::to_string(cursorY) + "\n";
        for (const std::string& r : rows) out += "|" + r + "\n";
        return out;
    }
};

class Terminal {
public:
    // Starts the game (or a shell command around it) under a shell that
    // outlives Ctrl-C (a trap, which the game doesn't inherit), then reports
    // how it ended and whether the terminal's modes are as before, and stays
    // for the screen to be read.
    explicit Terminal(const std::string& command, int cols = 80, int rows = 25) {
        tmux("new-session -d -s salvo -x " + std::to_string(cols) + " -y " + std::to_string(rows) +
             " 'trap : INT; b=$(stty -g); " + command + "; st=$?; "
             "[ \"$(stty -g)\" = \"$b\" ] && m=kept || m=lost; echo EXIT=$st, modes $m; exec sleep 600'");
    }
    // An interactive shell with job control instead, for commands to be typed.
    struct Shell {};
    explicit Terminal(Shell) { tmux("new-session -d -s salvo -x 80 -y 25 'PS1=\"$ \" exec bash --norc --noprofile -i'"); }
    ~Terminal() {
        std::string socket = tmux("display -p '#{socket_path}'");
        tmux("kill-server");
        std::remove(socket.substr(0, socket.find('\n')).c_str());  // tmux leaves it behind
    }

    // The bytes as typed (in hex, so that none means anything to the shell), then Enter.
    void type(const std::string& text) {
        std::string keys;
        char hex[4];
        for (char c : text + "\r") {
            std::snprintf(hex, sizeof hex, " %02x", static_cast<unsigned char>(c));
            keys += hex;
        }
        tmux("send-keys -t salvo -H" + keys);
    }
    // Keys by their tmux names.
    void key(const std::string& names) { tmux("send-keys -t salvo " + names); }
    // Sends a signal (TERM, HUP ...) to what the command started, the game.
    void signal(const std::string& name) {
        std::string shell = tmux("display -p -t salvo '#{pane_pid}'");
        EXPECT_EQ(std::system(("pkill -" + name + " -P " + shell.substr(0, shell.find('\n'))).c_str()), 0) << name;
    }
    void resize(int cols, int rows) {
        tmux("resize-window -t salvo -x " + std::to_string(cols) + " -y " + std::to_string(rows));
    }

    Screen screen() const {
        std::istringstream out(tmux("capture-pane -p -t salvo \\; display -p -t salvo '#{cursor_x} #{cursor_y} #{alternate_on}'"));
        Screen s;
        int height = std::stoi(tmux("display -p -t salvo '#{pane_height}'"));
        std::string line;
        for (int y = 0; y < height && std::getline(out, line); y++) s.rows.push_back(line.erase(line.find_last_not_of(' ') + 1));
        if (!(out >> s.cursorX >> s.cursorY >> s.alternate) || s.rows.size() != static_cast<std::size_t>(height)) {
            throw std::runtime_error("no pane");
        }
        return s;
    }

    // Polls the screen until ok holds on two like captures in a row (a frame
    // may arrive in two pieces). After 20 s the test is abandoned with an
    // exception showing the screen.
    Screen waitFor(const std::function<bool(const Screen&)>& ok, const std::string& what) const {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (Screen held;; std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
            Screen s = screen();
            if (ok(s) && s == held) return s;
            held = ok(s) ? s : Screen{};
            if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("waited in vain for " + what + "\n" + s.dump());
        }
    }
    Screen waitShows(std::string_view text) const {
        return waitFor([text](const Screen& s) { return s.shows(text); }, std::string(text));
    }

    // Waits for the program's end and expects its status, the normal screen
    // back, and the terminal's modes as they were before the game.
    Screen expectExit(int status) const {
        Screen s = waitShows("EXIT=");
        EXPECT_TRUE(s.shows("EXIT=" + std::to_string(status) + ", modes kept")) << s.dump();
        EXPECT_FALSE(s.alternate);
        return s;
    }

private:
    // Runs tmux on this test's own server.
    std::string tmux(const std::string& args) const {
        std::string cmd = "TMUX= tmux -f /dev/null -L " + server + " " + args + " </dev/null 2>/dev/null";
        std::string out;
        std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
        for (int c; p && (c = std::fgetc(p.get())) != EOF;) out += static_cast<char>(c);
        return out;
    }
    static inline int servers = 0;
    std::string server = "salvo-e2e-" + std::to_string(getpid()) + "-" + std::to_string(servers++);
};
