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
    bool mouse = false;  // mouse reporting on
    bool operator==(const Screen&) const = default;

    const std::string& atCursor() const { return rows.at(static_cast<std::size_t>(cursorY)); }
    bool shows(std::string_view text) const {
        return std::ranges::any_of(rows, [text](const std::string& r) { return r.find(text) != std::string::npos; });
    }
    std::string dump() const {
        std::string out = "cursor " + std::to_string(cursorX) + "," + std::to_string(cursorY);
        for (const std::string& r : rows) out += "\n|" + r;
        return out;
    }
};

class Terminal {
public:
    // Starts the game (or a command around it) under a shell that outlives Ctrl-C
    // and then reports its status and whether the terminal's modes are as before.
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
        std::remove(socket.c_str());  // tmux leaves it behind
    }

    // The bytes as typed (in hex, so that none means anything to the shell), then Enter.
    void type(const std::string& text) {
        std::string keys;
        for (char c : text + "\r") keys += {' ', "0123456789abcdef"[(c >> 4) & 15], "0123456789abcdef"[c & 15]};
        tmux("send-keys -t salvo -H" + keys);
    }
    // Keys by their tmux names.
    void key(const std::string& names) { tmux("send-keys -t salvo " + names); }
    // Sends a signal (TERM, HUP ...) to what the command started, the game.
    void signal(const std::string& name) {
        EXPECT_EQ(std::system(("pkill -" + name + " -P " + tmux("display -p -t salvo '#{pane_pid}'")).c_str()), 0) << name;
    }
    void resize(int cols, int rows) { tmux("resize-window -t salvo -x " + std::to_string(cols) + " -y " + std::to_string(rows)); }

    Screen screen() const {
        std::istringstream out(tmux("display -p -t salvo '#{cursor_x} #{cursor_y} #{alternate_on} #{mouse_any_flag}' \\; capture-pane -p -t salvo"));
        Screen s;
        if (!(out >> s.cursorX >> s.cursorY >> s.alternate >> s.mouse)) throw std::runtime_error("no pane");
        out.ignore();
        for (std::string line; std::getline(out, line);) s.rows.push_back(line.erase(line.find_last_not_of(' ') + 1));
        return s;
    }

    // Polls the screen until ok holds on two like captures in a row (a frame may
    // come in two pieces); after 20 s, throws with the screen.
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

    // Waits for the program's end: its status, the normal screen, mouse
    // reporting off and the modes back.
    Screen expectExit(int status) const {
        Screen s = waitShows("EXIT=");
        EXPECT_TRUE(s.shows("EXIT=" + std::to_string(status) + ", modes kept")) << s.dump();
        EXPECT_FALSE(s.alternate);
        EXPECT_FALSE(s.mouse);
        return s;
    }

private:
    // Runs tmux on this test's own server.
    std::string tmux(const std::string& args) const {
        std::string cmd = "TMUX= tmux -f /dev/null -L " + server + " " + args + " </dev/null 2>/dev/null";
        std::string out;
        std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
        for (int c; p && (c = std::fgetc(p.get())) != EOF;) out += static_cast<char>(c);
        return out.ends_with('\n') ? out.substr(0, out.size() - 1) : out;
    }
    static inline int servers = 0;
    std::string server = "salvo-e2e-" + std::to_string(getpid()) + "-" + std::to_string(servers++);
};
