// salvo-bench-pty: the real program in a pseudo-terminal of 80 x 25, played
// to the end by a player who types its answers key by key, with every byte
// it writes counted and replayed through the model of a terminal that knows
// only the common VT102 set. The player reads the screen from the model:
// it answers the menus, and fires at squares in a seeded random order,
// skipping those the opponent's board shows as fired at; with --arrows,
// every other square it aims at with the arrow keys instead of typing it;
// with --clicks, where the terminal reports the mouse (terminfo's kmous),
// every other square it clicks at, in the terminal's encoding.
// The game is seeded with the same seed (--seed=S), so that a run is
// repeatable.
//
// Usage: salvo-bench-pty [--level 1-5] [--seed S] [--term T] [--arrows | --clicks] [--plain] [--check]
//                        [--record FILE | --expect FILE] SALVO
// Prints the bytes of the whole game, a player turn (the arrow keys aside)
// and an arrow key, with TERM=T (xterm-256color unless given). With --check it prints nothing on
// success and fails (status 1) when the model meets a sequence outside its
// set (mouse reporting included where terminfo says the terminal has none),
// or with --plain any colour, the game does not end, it ends other than with
// status 0, or it leaves the terminal other than as it found it, mouse
// reporting off. A click that does not fire is a key left unanswered.
// --record writes every byte the program wrote to FILE; --expect fails
// unless they are those in FILE, byte for byte (games drawn from glibc's
// rand(): with another C library it skips, with status 77).
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "terminal/posix/terminfo.h"
#include "vt/vt_model.h"

namespace {

struct Run {
    int fd = -1;
    pid_t child = -1;
    VtScreen vt = vtNew(25, 80);
    std::size_t bytes = 0;
    std::string written;  // every byte, for --record and --expect
    // When the first byte came after a key was pressed: how long a key waits
    // for its answer, mean and longest.
    std::chrono::steady_clock::time_point pressed;
    std::chrono::steady_clock::time_point answered;
    bool waiting = false;
    double answerMs = 0;
    double longestMs = 0;
    int keys = 0;
};

[[noreturn]] void fail(const Run& run, const std::string& why) {
    std::fprintf(stderr, "salvo-bench-pty: %s\n", why.c_str());
    for (int y = 0; y < run.vt.rows; y++) std::fprintf(stderr, "|%s\n", vtRow(run.vt, y).c_str());
    if (run.child > 0) kill(run.child, SIGKILL);
    std::exit(1);
}

// Reads what the program writes until it has been quiet for quietMs, or
// the deadline. Returns false when the program has closed the terminal.
// select() rather than poll(), which macOS does not take terminals to.
bool drain(Run& run, int quietMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(run.fd, &readable);
        timeval quiet{quietMs / 1000, quietMs % 1000 * 1000};
        int n = select(run.fd + 1, &readable, nullptr, nullptr, &quiet);
        if (n == 0) return true;
        if (n < 0) continue;
        char buf[4096];
        ssize_t got = read(run.fd, buf, sizeof buf);
        if (got <= 0) return false;
        if (run.waiting) {
            run.waiting = false;
            double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - run.pressed).count();
            run.answerMs += ms;
            run.longestMs = std::max(run.longestMs, ms);
            run.keys++;
        }
        run.bytes += static_cast<std::size_t>(got);
        run.written.append(buf, static_cast<std::size_t>(got));
        vtFeed(run.vt, std::string_view(buf, static_cast<std::size_t>(got)));
        if (!run.vt.error.empty()) fail(run, "the model met " + run.vt.error);
        if (std::chrono::steady_clock::now() > deadline) fail(run, "the program never went quiet");
    }
}

// The last non-empty row above the cursor, when the cursor waits after "> ".
std::string prompt(const VtScreen& vt) {
    if (vt.x != 2 || vtRow(vt, vt.y) != ">") return "";
    for (int y = vt.y - 1; y >= 0; y--) {
        std::string row = vtRow(vt, y);
        if (!row.empty()) return row;
    }
    return "";
}

// Starts program on the far side of a new pseudo-terminal of 25 x 80, in a
// session of its own whose controlling terminal that is. Returns the child's
// pid, or -1; sets the master, and the terminal's modes as the program finds
// them, read before it can change them. POSIX calls and the two ioctls every
// system with pseudo-terminals has: forkpty would do it all, but lives in a
// different header and library on each system, and glibc's <pty.h> on none
// of the others.
pid_t startInPty(const char* program, const char* term, const std::string& seed, int& master, termios& modes) {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) return -1;
    const char* name = grantpt(master) == 0 && unlockpt(master) == 0 ? ptsname(master) : nullptr;
    int slave = name ? open(name, O_RDWR | O_NOCTTY) : -1;
    winsize size{25, 80, 0, 0};
    if (slave < 0 || ioctl(slave, TIOCSWINSZ, &size) != 0 || tcgetattr(master, &modes) != 0) return -1;
    pid_t child = fork();
    if (child == 0) {
        close(master);
        setsid();
#ifdef TIOCSCTTY
        // The BSDs and macOS give a session its terminal only when asked.
        if (ioctl(slave, TIOCSCTTY, 0) != 0) _exit(127);
#else
        // Elsewhere the first terminal a session leader opens becomes it.
        close(open(name, O_RDWR));
#endif
        for (int fd = 0; fd < 3; fd++) dup2(slave, fd);
        if (slave > 2) close(slave);
        setenv("TERM", term, 1);
        execl(program, program, seed.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(slave);
    return child;
}

// Presses a key (the bytes it sends) and lets the program draw it: every
// key at a prompt changes the screen, so the next goes only after that, and
// the program reads the keys one at a time however busy the machine.
void press(Run& run, std::string_view key) {
    run.pressed = std::chrono::steady_clock::now();
    run.waiting = true;
    if (write(run.fd, key.data(), key.size()) != static_cast<ssize_t>(key.size())) fail(run, "the terminal is gone");
    std::size_t before = run.bytes;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (run.bytes == before && drain(run, 20)) {
        if (std::chrono::steady_clock::now() > deadline) fail(run, "a key went unanswered");
    }
}

// Types a line key by key.
void type(Run& run, const std::string& line) {
    for (char key : line + "\r") press(run, std::string_view(&key, 1));
}

}  // namespace

int main(int argc, char** argv) {
    int level = 3;
    unsigned seed = 1;
    const char* term = "xterm-256color";
    bool plain = false;
    bool aiming = false;
    bool clicking = false;
    bool check = false;
    const char* record = nullptr;
    const char* expect = nullptr;
    const char* program = nullptr;
    for (int i = 1; i < argc; i++) {
        std::string_view a = argv[i];
        if (a == "--level" && i + 1 < argc) {
            level = std::atoi(argv[++i]);
        } else if (a == "--seed" && i + 1 < argc) {
            seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        } else if (a == "--term" && i + 1 < argc) {
            term = argv[++i];
        } else if (a == "--arrows") {
            aiming = true;
        } else if (a == "--clicks") {
            clicking = true;
        } else if (a == "--plain") {
            plain = true;
        } else if (a == "--check") {
            check = true;
        } else if (a == "--record" && i + 1 < argc) {
            record = argv[++i];
        } else if (a == "--expect" && i + 1 < argc) {
            expect = argv[++i];
        } else {
            program = argv[i];
        }
    }
    if (!program || level < 1 || level > 5) {
        std::fprintf(stderr, "usage: salvo-bench-pty [--level 1-5] [--seed S] [--term T] [--arrows | --clicks] [--plain] [--check]\n"
                             "                       [--record FILE | --expect FILE] SALVO\n");
        return 2;
    }
    std::string expected;
    if (expect) {
        std::srand(1);
        if (std::rand() != 1804289383) return 77;
        std::ifstream in(expect, std::ios::binary);
        expected.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!in && expected.empty()) fail(Run{}, std::string("can't read ") + expect);
    }

    Run run;
    // The model reports the mouse where the terminal's entry says it does,
    // and takes its modes only there.
    TerminfoMouse mouse = terminfoMouse(term);
    run.vt.mouse = mouse != TerminfoMouse::None;
    clicking = clicking && run.vt.mouse;
    termios before{};
    run.child = startInPty(program, term, "--seed=" + std::to_string(seed), run.fd, before);
    if (run.child < 0) fail(run, "no pseudo-terminal");

    std::vector<int> squares(100);
    std::iota(squares.begin(), squares.end(), 0);
    // Fisher-Yates on the generator's own numbers: std::shuffle differs between libraries.
    std::mt19937 draw(seed);
    for (std::size_t i = squares.size() - 1; i > 0; i--) std::swap(squares[i], squares[draw() % (i + 1)]);
    std::size_t next = 0;
    int turns = 0;
    int shots = 0;
    int aimX = 0;  // where the next arrow key's aim starts: the last square fired at, or A1
    int aimY = 0;
    int arrows = 0;
    std::size_t arrowBytes = 0;
    std::size_t matchStart = 0;
    bool over = false;
    // A game that waits at a question the player does not know would wait for ever.
    auto answered = std::chrono::steady_clock::now();
    while (!over && drain(run, 60)) {
        std::string last = prompt(run.vt);
        if (!last.empty()) answered = std::chrono::steady_clock::now();
        if (std::chrono::steady_clock::now() - answered > std::chrono::seconds(30)) fail(run, "no question the player knows");
        if (last.ends_with("5 - Admiral (Hard, Honest)")) {
            type(run, std::to_string(level));
        } else if (last.ends_with("2 - Place randomly")) {
            matchStart = run.bytes;
            type(run, "2");
        } else if (last.ends_with("What is your target?")) {
            if (last.find(" 3 shots ") != std::string::npos) turns++;
            // The first square not yet shown as fired at, on the right board:
            // in colour, or in reverse video.
            auto firedAt = [&run](int sq) {
                const VtCell& c = vtAt(run.vt, 21 + sq % 10, 2 + sq / 10);
                return c.bg != 49 || c.reverse;
            };
            while (next < squares.size() && firedAt(squares[next])) next++;
            if (next == squares.size()) fail(run, "every square fired at, and no end");
            int sq = squares[next++];
            int x = sq % 10;
            int y = sq / 10;
            if ((!aiming && !clicking) || shots++ % 2 == 0) {
                type(run, static_cast<char>('a' + x) + std::to_string(y + 1));
            } else if (clicking) {
                // The main button pressed on the square, then released: the
                // press fires at once, as typing the square and Enter would.
                int cx = 21 + x + 1;
                int cy = 2 + y + 1;
                std::string click = mouse == TerminfoMouse::Sgr
                                        ? "\x1b[<0;" + std::to_string(cx) + ";" + std::to_string(cy) + "M"
                                        : std::string("\x1b[M ") + static_cast<char>(32 + cx) + static_cast<char>(32 + cy);
                std::string release = mouse == TerminfoMouse::Sgr ? click.substr(0, click.size() - 1) + "m"
                                                                  : "\x1b[M#" + click.substr(4);
                press(run, click + release);
            } else {
                // Columns first, then rows. At A1 with nothing fired at yet,
                // the first press already moves off it.
                for (bool first = x == aimX && y == aimY; first || x != aimX || y != aimY; first = false, arrows++) {
                    int dx = first ? (x > 0 ? -1 : 1) : (x > aimX) - (x < aimX);
                    int dy = dx == 0 ? (y > aimY) - (y < aimY) : 0;
                    aimX += dx;
                    aimY += dy;
                    std::size_t sent = run.bytes;
                    press(run, dx > 0 ? "\x1b[C" : dx < 0 ? "\x1b[D" : dy > 0 ? "\x1bOB" : "\x1bOA");
                    arrowBytes += run.bytes - sent;
                }
                type(run, "");
            }
            aimX = x;
            aimY = y;
        } else if (last.ends_with("2 - quit")) {
            type(run, "2");
            over = true;
        } else if (!last.empty()) {
            fail(run, "a question the player does not know: " + last);
        }
    }
    std::size_t matchBytes = run.bytes - matchStart;
    while (drain(run, 200)) {
    }
    int status = 0;
    waitpid(run.child, &status, 0);
    termios after{};
    bool modesKept = tcgetattr(run.fd, &after) == 0 && std::memcmp(&before, &after, sizeof before) == 0;
    if (!over) fail(run, "the game ended before \"Another game?\"");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) fail(run, "the program did not end with status 0");
    if (run.vt.alternate || !run.vt.cursorShown || run.vt.top != 0 || run.vt.bottom != 24 || run.vt.mouseReports) {
        fail(run, "the terminal was not given back: alternate screen, cursor, scroll region or mouse reporting");
    }
    if (!modesKept) fail(run, "the terminal's modes changed");
    if (plain && run.vt.coloursNamed > 0) fail(run, "colours sent to a terminal without colour");
    if (record) std::ofstream(record, std::ios::binary) << run.written;
    if (expect && run.written != expected) {
        auto [at, _] = std::mismatch(expected.begin(), expected.end(), run.written.begin(), run.written.end());
        auto offset = static_cast<std::size_t>(at - expected.begin());
        auto near = [offset](const std::string& bytes) {
            std::string shown;
            for (std::size_t i = offset > 20 ? offset - 20 : 0; i < std::min(bytes.size(), offset + 20); i++) {
                unsigned char c = static_cast<unsigned char>(bytes[i]);
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02x", c);
                shown += c >= 0x20 && c < 0x7f ? std::string(1, static_cast<char>(c)) : std::string(hex);
            }
            return shown;
        };
        fail(run, "the bytes differ from " + std::string(expect) + " at byte " + std::to_string(offset) + " of " +
                      std::to_string(expected.size()) + ": want ..." + near(expected) + "..., got ..." + near(run.written) + "...");
    }
    if (check) return 0;
    std::printf("%s through a pseudo-terminal, TERM=%s, level %d, seed %u: %d player turns\n", program, term, level, seed, turns);
    std::printf("  bytes in all            %8zu\n", run.bytes);
    std::printf("  bytes of the match      %8zu\n", matchBytes);
    std::printf("  bytes a player turn     %8zu\n", (matchBytes - arrowBytes) / static_cast<std::size_t>(std::max(turns, 1)));
    if (aiming) std::printf("  bytes an arrow key      %8zu  (%d pressed)\n", arrowBytes / static_cast<std::size_t>(std::max(arrows, 1)), arrows);
    std::printf("  ms a key waits for its answer: %.2f mean, %.2f at most (%d keys)\n", run.answerMs / std::max(run.keys, 1),
                run.longestMs, run.keys);
    return 0;
}
