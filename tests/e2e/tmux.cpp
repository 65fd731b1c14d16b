#include "tmux.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

std::string shellQuoted(std::string_view text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// The 25 rows of capture-pane -p -e -N (whose only escapes are SGR), then
// the line of display -p with the cursor.
Screen parse(const std::string& out) {
    Screen s;
    std::istringstream lines(out);
    std::string line;
    int bg = 0;
    for (int y = 0; y < 25 && std::getline(lines, line); y++) {
        std::vector<Cell> row;
        for (std::size_t i = 0; i < line.size(); i++) {
            if (line[i] == '\x1b') {
                std::size_t m = line.find('m', i);
                std::istringstream sgr(line.substr(i + 2, m - i - 2));
                for (std::string n; std::getline(sgr, n, ';');) {
                    int p = std::atoi(n.c_str());
                    if (p == 0 || p == 49) bg = 0;
                    if ((p >= 40 && p <= 47) || (p >= 100 && p <= 107)) bg = p;
                }
                if (m == i + 2) bg = 0;
                i = m;
            } else if ((line[i] & 0xc0) == 0x80 && !row.empty()) {
                row.back().ch += line[i];  // the rest of a UTF-8 character
            } else {
                row.push_back({std::string(1, line[i]), bg});
            }
        }
        row.resize(80);
        std::string text;
        for (const Cell& c : row) text += c.ch;
        s.cells.push_back(row);
        s.rows.push_back(text.erase(text.find_last_not_of(' ') + 1));
    }
    int alternate = 0;
    if (!(lines >> s.cursorX >> s.cursorY >> alternate) || s.rows.size() != 25) {
        throw std::runtime_error("unreadable capture:\n" + out);
    }
    s.alternate = alternate != 0;
    return s;
}

}  // namespace

bool Screen::has(std::string_view text) const {
    for (const std::string& r : rows) {
        if (r.find(text) != std::string::npos) return true;
    }
    return false;
}

std::string Screen::dump() const {
    std::string out = "cursor " + std::to_string(cursorX) + "," + std::to_string(cursorY) + "\n";
    for (const std::string& r : rows) out += "|" + r + "\n";
    return out;
}

bool atPrompt(const Screen& s, std::string_view last) {
    if (s.cursorX != 2 || s.above(0) != ">") return false;
    int dy = 1;
    while (dy < s.cursorY && s.above(dy).empty()) dy++;
    return s.above(dy).ends_with(last);
}

std::string squareName(int x, int y) { return static_cast<char>('a' + x) + std::to_string(y + 1); }

Terminal::Terminal() {
    char tmpl[] = "/tmp/salvo-e2e-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("no temporary directory");
    dir = tmpl;
    unsetenv("TMUX");  // set inside another tmux; our server is our own anyway
    // The shell outlives Ctrl-C (a trap, which the game doesn't inherit) to
    // report how the game ended, and stays for the screen to be read.
    std::ofstream(dir + "/run") << "trap : INT\nstty -g > before\n" << shellQuoted(SALVO_BINARY)
                                << "\nst=$?\nstty -g > after\necho \"EXIT=$st\"\nexec sleep 600\n";
    tmux("new-session -d -s salvo -x 80 -y 25 -c " + shellQuoted(dir) + " 'sh run'");
}

Terminal::~Terminal() {
    tmux("kill-server");
    for (const char* f : {"/run", "/before", "/after"}) std::remove((dir + f).c_str());
    rmdir(dir.c_str());
}

// Runs tmux on this test's own server, named after the directory, and
// returns what it printed.
std::string Terminal::tmux(const std::string& args) const {
    std::string cmd = "tmux -f /dev/null -L " + dir.substr(5) + " " + args + " </dev/null 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) throw std::runtime_error("no tmux");
    std::string out;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    pclose(p);
    return out;
}

void Terminal::type(std::string_view text) {
    tmux("send-keys -t salvo -l -- " + shellQuoted(text) + " \\; send-keys -t salvo Enter");
}

void Terminal::key(std::string_view name) { tmux("send-keys -t salvo " + std::string(name)); }

Screen Terminal::screen() const {
    return parse(tmux("capture-pane -p -e -N -t salvo \\; "
                      "display -p -t salvo '#{cursor_x} #{cursor_y} #{alternate_on}'"));
}

Screen Terminal::waitFor(const std::function<bool(const Screen&)>& ok, std::string_view what) const {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    Screen held;
    for (;;) {
        Screen s = screen();
        // A frame may reach the terminal in two pieces, and half a frame can
        // look like a prompt: what holds must hold on two captures alike.
        bool holds = ok(s);
        if (holds && s.cells == held.cells && s.cursorX == held.cursorX && s.cursorY == held.cursorY) return s;
        held = holds ? s : Screen{};
        if (std::chrono::steady_clock::now() > deadline) {
            throw std::runtime_error("waited in vain for " + std::string(what) + "\n" + s.dump());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

Screen Terminal::waitPrompt(std::initializer_list<std::string_view> lasts) const {
    auto any = [&](const Screen& s) {
        for (std::string_view l : lasts) {
            if (atPrompt(s, l)) return true;
        }
        return false;
    };
    return waitFor(any, "a prompt after \"" + std::string(*lasts.begin()) + "\"");
}

Screen Terminal::answer(std::string_view line, std::initializer_list<std::string_view> lasts) {
    Screen before = screen();
    type(line);
    waitFor([&](const Screen& s) { return s.rows != before.rows || s.cursorY != before.cursorY; },
            "the screen to change after \"" + std::string(line) + "\"");
    return waitPrompt(lasts);
}

void Terminal::expectExit(int status) const {
    // The shell's report lands at the top of the normal screen, blank since
    // the game began.
    Screen s = waitFor([](const Screen& t) { return t.has("EXIT="); }, "the end of the game");
    EXPECT_EQ(s.row(0), "EXIT=" + std::to_string(status)) << s.dump();
    EXPECT_FALSE(s.alternate) << "the alternate screen is still on";
    auto modes = [&](const char* name) {
        std::ifstream in(dir + name);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_FALSE(modes("/before").empty());
    EXPECT_EQ(modes("/after"), modes("/before")) << "terminal modes not given back";
}
