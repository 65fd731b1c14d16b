// salvo-bench-frames: what one whole game costs on the line to the terminal.
//
// A seeded game is played through the program's own entry on the headless
// console, by a player who fires at random squares not fired at before, and
// recorded: every frame the game writes, and every line the player types.
// The recording is then replayed through two writers, and each write is
// counted:
// - the terminal layer: each frame is sent as the layer sends it, each key
//   typed drawn by the game as it comes;
// - ncurses (when the bench is built with it), on the same frames: every
//   cell put on its screen, the cursor moved, one refresh a frame.
// Usage: salvo-bench-frames [level 1-5] [seed]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "game/opponent_turn.h"
#include "game/program.h"
#include "rules/board.h"
#include "terminal/headless/headless.h"
#include "terminal/posix/display.h"
#include "vt/vt_model.h"

#ifdef SALVO_BENCH_NCURSES
#include <curses.h>
#include <sys/stat.h>

#include <map>
#endif

namespace {

enum class Phase { Opening, Match, End };

// One frame written.
struct Event {
    Phase phase;
    Frame cells;
    Coord cursor;
};

struct Recording {
    std::vector<Event> events;
    int playerTurns = 0;
    std::size_t keys = 0;
};

Recording recording;
Phase phase = Phase::Opening;

void record(const Frame& cells, Coord cursor) {
    // The match is over once its result is printed; the reveal comes after.
    for (int y = 14; y < 24 && phase == Phase::Match; y++) {
        std::string row = headlessRow(y);
        if (row == "You Won!" || row == "The Opponent Won!") phase = Phase::End;
    }
    recording.events.push_back({phase, cells, cursor});
}

// What the game asks: the last row with text above the cursor.
std::string question() {
    for (int y = headlessCursor().y - 1; y >= 0; y--) {
        if (std::string row = headlessRow(y); !row.empty()) return row;
    }
    return "";
}

// The player: the level, random placement, then random squares that the
// opponent's board does not show as fired at, and at "Another game?" 2.
std::string answer(int level) {
    std::string asked = question();
    std::string line = "2\n";
    if (asked.ends_with("5 - Admiral (Hard, Honest)")) {
        line = std::to_string(level) + "\n";
    } else if (asked.ends_with("What is your target?")) {
        phase = Phase::Match;
        if (asked.find(" 3 shots ") != std::string::npos) recording.playerTurns++;
        int square = 0;
        const Frame& cells = headlessScreen();
        auto firedAt = [&cells](int sq) { return cells[static_cast<std::size_t>(21 + sq % MAP_WIDTH + (2 + sq / MAP_WIDTH) * SCREEN_WIDTH)].attr != 7; };
        do {
            square = std::rand() % (MAP_WIDTH * MAP_HEIGHT);
        } while (firedAt(square));
        line = static_cast<char>('a' + square % MAP_WIDTH) + std::to_string(square / MAP_WIDTH + 1) + "\n";
    }
    recording.keys += line.size();
    return line;
}

// Plays one game through the program's own entry, salvoMain, on the
// headless terminal seeded with seed, the answers typed key by key.
void recordGame(int level, unsigned seed) {
    terminalUse(headlessTerminal());
    headlessReset();
    headlessSetSeed(seed);
    headlessEcho(true);
    headlessOnFrame(record);
    static std::string typing;
    headlessOnNeed([level] {
        if (typing.empty()) typing = answer(level);
        headlessQueueInput(typing.substr(0, 1));
        typing.erase(0, 1);
    });
    char name[] = "salvo";
    char* argv[] = {name, nullptr};
    if (salvoMain(1, argv) != 0) std::exit(1);
    headlessReset();
}

// The writes of one writer over the whole recording.
struct Writes {
    std::vector<std::size_t> all;
    std::size_t total = 0;
    std::size_t largestInMatch = 0;
    void add(std::size_t n, Phase p) {
        if (n == 0) return;
        all.push_back(n);
        total += n;
        if (p == Phase::Match) largestInMatch = std::max(largestInMatch, n);
    }
    std::size_t median() const {
        std::vector<std::size_t> sorted = all;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[(sorted.size() - 1) / 2];
    }
    std::size_t largest() const { return all.empty() ? 0 : *std::max_element(all.begin(), all.end()); }
};

// The terminal layer: frames as they come, keys drawn one by one. A model
// terminal checks every screen on the way.
Writes replayTerminalLayer() {
    Writes w;
    Display d;
    displayRepaint(d, SCREEN_HEIGHT, SCREEN_WIDTH);
    VtScreen vt = vtNew(SCREEN_HEIGHT, SCREEN_WIDTH);
    for (const Event& e : recording.events) {
        displayKeepFrame(d, e.cells, &e.cursor);
        std::string out = displayShow(d);
        vtFeed(vt, out);
        w.add(out.size(), e.phase);
        std::string wrong = vtDiffers(vt, e.cells, e.cursor);
        if (!wrong.empty()) {
            std::fprintf(stderr, "salvo-bench-frames: the terminal shows the wrong screen: %s\n", wrong.c_str());
            std::exit(1);
        }
    }
    return w;
}

#ifdef SALVO_BENCH_NCURSES
// ncurses on the same frames, for a terminal of the given type, in the
// terminal's own colours and with line insertion and deletion allowed.
Writes replayNcurses(const char* term) {
    Writes w;
    FILE* out = std::tmpfile();
    FILE* in = std::fopen("/dev/null", "r");
    setenv("LINES", "25", 1);
    setenv("COLUMNS", "80", 1);
    SCREEN* screen = newterm(term, out, in);
    if (!screen) {
        std::fprintf(stderr, "salvo-bench-frames: ncurses knows no terminal %s\n", term);
        std::exit(1);
    }
    set_term(screen);
    start_color();
    use_default_colors();
    idlok(stdscr, TRUE);
    std::map<std::uint16_t, short> pairs;
    auto pairOf = [&](std::uint16_t attr) -> short {
        if (attr == 7) return 0;
        auto it = pairs.find(attr);
        if (it != pairs.end()) return it->second;
        constexpr short ANSI_OF_BITS[8] = {0, 4, 2, 6, 1, 5, 3, 7};
        short bright = COLORS >= 16 ? 8 : 0;
        short fg = static_cast<short>(ANSI_OF_BITS[attr & 7] + ((attr & 8) ? bright : 0));
        short bg = static_cast<short>(ANSI_OF_BITS[(attr >> 4) & 7] + ((attr & 128) ? bright : 0));
        short pair = static_cast<short>(pairs.size() + 1);
        init_pair(pair, fg, bg);
        return pairs[attr] = pair;
    };
    auto written = [&] {
        struct stat st{};
        fstat(fileno(out), &st);
        return static_cast<std::size_t>(st.st_size);
    };
    refresh();
    std::size_t before = written();
    auto flush = [&](Phase p) {
        refresh();
        std::size_t now = written();
        w.add(now - before, p);
        before = now;
    };
    for (const Event& e : recording.events) {
        for (int y = 0; y < SCREEN_HEIGHT; y++) {
            for (int x = 0; x < SCREEN_WIDTH; x++) {
                const Cell& c = e.cells[static_cast<std::size_t>(x + y * SCREEN_WIDTH)];
                unsigned ch = c.ch;
                chtype glyph = ch == 0 ? ' ' : (ch < 32 || ch > 126) ? '?' : ch;
                chtype look = static_cast<chtype>(COLOR_PAIR(pairOf(c.attr & 0xff)));
                if (c.attr & ATTR_REVERSE) look |= A_REVERSE;
                if (c.attr & ATTR_UNDERLINE) look |= A_UNDERLINE;
                mvaddch(y, x, glyph | look);
            }
        }
        move(e.cursor.y, e.cursor.x);
        flush(e.phase);
    }
    endwin();
    delscreen(screen);
    std::fclose(out);
    std::fclose(in);
    return w;
}
#endif

void row(const char* what, const std::vector<std::string>& cells) {
    std::printf("%-26s", what);
    for (const std::string& c : cells) std::printf("%24s", c.c_str());
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    int level = argc > 1 ? std::atoi(argv[1]) : 3;
    unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 1;
    if (level < 1 || level > 5) {
        std::fprintf(stderr, "usage: salvo-bench-frames [level 1-5] [seed]\n");
        return 2;
    }
    recordGame(level, seed);
    std::printf("One whole game: %s, seed %u, fleets placed at random; %d player turns, %zu frames, %zu keys.\n\n",
                OPPONENT_LEVELS[level - 1].name, seed, recording.playerTurns, recording.events.size(), recording.keys);

    std::vector<std::pair<std::string, Writes>> writers{{"terminal layer", replayTerminalLayer()}};
#ifdef SALVO_BENCH_NCURSES
    for (const char* term : {"xterm-256color", "linux"}) writers.emplace_back(std::string("ncurses ") + term, replayNcurses(term));
#endif
    std::vector<std::string> names;
    std::vector<std::string> total, perTurn, count, median, largest, inMatch, ratio;
    for (const auto& [name, w] : writers) {
        names.push_back(name);
        total.push_back(std::to_string(w.total));
        perTurn.push_back(std::to_string(w.total / static_cast<std::size_t>(std::max(recording.playerTurns, 1))));
        count.push_back(std::to_string(w.all.size()));
        median.push_back(std::to_string(w.median()));
        largest.push_back(std::to_string(w.largest()));
        inMatch.push_back(std::to_string(w.largestInMatch));
        char r[16];
        std::snprintf(r, sizeof r, "%.2f", static_cast<double>(writers[0].second.total) / static_cast<double>(w.total));
        ratio.push_back(r);
    }
    row("bytes", names);
    row("in all", total);
    row("a player turn", perTurn);
    row("writes", count);
    row("median write", median);
    row("largest write", largest);
    row("largest write in the match", inMatch);
    row("terminal layer / this", ratio);
    return 0;
}
