// salvo-bench-frames: how many bytes the terminal gets for the frames of a
// game. The game runs on the headless console; after each step its frame
// goes through the ANSI encoder with one persistent picture of the terminal,
// exactly as the terminal backend does, and the size of that one write is
// printed, with the bytes themselves for the small frames.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "board/map.h"
#include "fleet/shipplacement.h"
#include "game/game.h"
#include "platform/headless/headless.h"
#include "platform/posix/ansi_frame.h"

namespace {

// Frames up to this size are shown byte by byte.
constexpr std::size_t SHOW_UP_TO = 160;


// The bytes in a form a reader can follow: ESC as \e, other control bytes
// and bytes above 126 as \xNN.
std::string visible(std::string_view bytes) {
    std::string out;
    for (char ch : bytes) {
        auto b = static_cast<unsigned char>(ch);
        if (b == 0x1b) {
            out += "\\e";
        } else if (b == '\\') {
            out += "\\\\";
        } else if (b < 0x20 || b > 0x7e) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", b);
            out += hex;
        } else {
            out += ch;
        }
    }
    return out;
}

// The terminal as the backend sees it, and the frames sent to it so far.
struct Terminal {
    AnsiScreen shown;
    int writesSeen = 0;
};

// The frame the game wrote last, as the backend would send it.
std::string sendFrame(Terminal* t) {
    t->writesSeen = headlessWrites();
    return ansiFrame(t->shown, headlessScreen(), headlessCursor());
}

void report(const char* step, const std::string& bytes) {
    std::printf("%-58s %6zu\n", step, bytes.size());
    if (!bytes.empty() && bytes.size() <= SHOW_UP_TO) std::printf("    %s\n", visible(bytes).c_str());
}

// Every step below writes the screen once; anything else would make its
// figure meaningless.
void expectOneWrite(const Terminal& t, const char* step) {
    if (headlessWrites() != t.writesSeen + 1) {
        std::fprintf(stderr, "salvo-bench-frames: %s wrote %d frames, not 1\n", step, headlessWrites() - t.writesSeen);
        std::exit(1);
    }
}

// Runs one step that writes one frame, sends it and prints its size.
template <typename Step>
std::string measure(Terminal* t, const char* name, Step step) {
    step();
    expectOneWrite(*t, name);
    std::string bytes = sendFrame(t);
    report(name, bytes);
    return bytes;
}

// Runs a step that writes the screen at most once and sends that frame
// without printing it. Returns the bytes sent.
template <typename Step>
std::size_t sendQuietly(Terminal* t, Step step) {
    int before = headlessWrites();
    step();
    if (headlessWrites() == before) return 0;
    expectOneWrite(*t, "a quiet step");
    return sendFrame(t).size();
}

// The first square of a ship of the given length on map (its left or top
// end), or false.
bool findShip(const std::uint8_t* map, int length, int* fx, int* fy, int* dx, int* dy) {
    auto ship = [map](int x, int y) { return XYVALID(x, y) && (mapGet(map, x, y) & CELL_SHIP); };
    for (int y = 0; y < MAP_HEIGHT; y++) {
        for (int x = 0; x < MAP_WIDTH; x++) {
            if (!ship(x, y) || ship(x - 1, y) || ship(x, y - 1)) continue;
            int sx = ship(x + 1, y) ? 1 : 0;
            int sy = 1 - sx;
            int len = 0;
            while (ship(x + len * sx, y + len * sy)) len++;
            if (len != length) continue;
            *fx = x;
            *fy = y;
            *dx = sx;
            *dy = sy;
            return true;
        }
    }
    return false;
}

// A square of map that holds no ship and was never fired at, or false.
bool findWater(const std::uint8_t* map, int* wx, int* wy) {
    for (int y = 0; y < MAP_HEIGHT; y++) {
        for (int x = 0; x < MAP_WIDTH; x++) {
            if (mapGet(map, x, y) & (CELL_SHIP | CELL_SHOT | CELL_NEAR)) continue;
            *wx = x;
            *wy = y;
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    unsigned seed = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 1;
    static Game g{};
    ConsoleWin* c = &g.console;
    Terminal t;

    std::printf("Bytes a frame, one write() each: 80 x 25 cells through the ANSI encoder, seed %u.\n\n", seed);
    std::printf("%-58s %6s\n", "step", "bytes");

    // The start screen as the game opens it: blank, boards, menu. Each is
    // also sent, as the backend would, to a terminal of its own.
    Terminal opening;
    headlessReset();
    gameInit(&g);
    std::size_t openingBytes = sendFrame(&opening).size();
    consoleDrawMaps(&g, DRAW_SHIPS, DRAW_HIDDEN);
    openingBytes += sendFrame(&opening).size();
    consolePrint(c, "%s", MENU_OPPONENT);
    openingBytes += sendFrame(&opening).size();
    // The terminal of the measurements knows nothing yet: it gets the whole
    // start screen in its first frame.
    report("start screen, first full frame (empty boards, menu)", sendFrame(&t));
    std::printf("%-58s %6zu\n", "  the same as the game opens it: blank + boards + menu", openingBytes);

    std::srand(seed);
    placeFleetRandomly(&g, g.mapPlayer.get());
    placeFleetRandomly(&g, g.mapOpponent.get());
    measure(&t, "boards redrawn with the player's fleet placed", [] { consoleDrawMaps(&g, DRAW_SHIPS, DRAW_HIDDEN); });
    measure(&t, "one short message line: \"Miss!\\n\"", [c] { consolePrint(c, "Miss!\n"); });
    measure(&t, "boards redrawn, one square changed (a miss flag set)", [] {
        int x = 0;
        int y = 0;
        if (findWater(g.mapOpponent.get(), &x, &y)) mapSetFlags(g.mapOpponent.get(), x, y, CELL_SHOT);
        consoleDrawMaps(&g, DRAW_SHIPS, DRAW_HIDDEN);
    });
    measure(&t, "boards redrawn, nothing changed", [] { consoleDrawMaps(&g, DRAW_SHIPS, DRAW_HIDDEN); });

    // Fill the message area to its last row; from then on every message
    // scrolls it.
    int fillFrames = 0;
    std::size_t fillBytes = 0;
    for (int i = 1; c->consoleLine < c->consoleEnd; i++) {
        fillBytes += sendQuietly(&t, [c, i] { consolePrint(c, "AI Fires at J%d... Miss!\n", i % 10 + 1); });
        fillFrames++;
    }
    std::printf("%-58s %6zu\n", "  (message area filled, bytes in all)", fillBytes);
    std::printf("%-58s %6d\n", "  (frames to fill it)", fillFrames);
    measure(&t, "one message line that scrolls the area by a row", [c] { consolePrint(c, "Hit!\n"); });

    // One shot by the player: the result message, then the redraw.
    int wx = 0;
    int wy = 0;
    if (findWater(g.mapOpponent.get(), &wx, &wy)) {
        std::size_t bytes = measure(&t, "player's shot, a miss: the result message",
                                    [c, wx, wy] { mapFire(g.mapOpponent.get(), wx, wy, c); }).size();
        bytes += measure(&t, "player's shot, a miss: the redraw",
                         [] { consoleDrawMaps(&g, DRAW_SHIPS, DRAW_HIDDEN); }).size();
        std::printf("%-58s %6zu\n", "  player's shot, a miss, in all", bytes);
    }
    int fx = 0;
    int fy = 0;
    int dx = 0;
    int dy = 0;
    if (findShip(g.mapOpponent.get(), 2, &fx, &fy, &dx, &dy)) {
        std::size_t bytes = measure(&t, "player's shot, a hit: the result message",
                                    [c, fx, fy] { mapFire(g.mapOpponent.get(), fx, fy, c); }).size();
        bytes += measure(&t, "player's shot, a hit: the redraw",
                         [] { consoleDrawMaps(&g, DRAW_SHIPS, DRAW_HIDDEN); }).size();
        std::printf("%-58s %6zu\n", "  player's shot, a hit, in all", bytes);
        bytes = measure(&t, "player's shot, sinking: the result message",
                        [c, fx, fy, dx, dy] { mapFire(g.mapOpponent.get(), fx + dx, fy + dy, c); }).size();
        bytes += measure(&t, "player's shot, sinking: the redraw (water shown around)",
                         [] { consoleDrawMaps(&g, DRAW_SHIPS, DRAW_HIDDEN); }).size();
        std::printf("%-58s %6zu\n", "  player's shot, sinking, in all", bytes);
    }

    // The opponent's shots. The headless console keeps only the last frame
    // and a shot of the game writes four (redraw, announcement, result,
    // redraw), so the shot is played here in those four writes, at random
    // squares not fired at before, each frame sent on its own.
    constexpr const char* SHOT_FRAMES[] = {
        "opponent's shot: redraw before the pause, mean",
        "opponent's shot: the announcement, mean",
        "opponent's shot: the result, mean",
        "opponent's shot: redraw after it, mean",
    };
    std::size_t shotBytes[4] = {};
    const int shots = 9;
    for (int shot = 0; shot < shots; shot++) {
        shotBytes[0] += sendQuietly(&t, [] { consoleDrawMaps(&g, DRAW_SHIPS, DRAW_HIDDEN); });
        int x = 0;
        int y = 0;
        do {
            x = std::rand() % MAP_WIDTH;
            y = std::rand() % MAP_HEIGHT;
        } while (mapGet(g.mapPlayer.get(), x, y) & CELL_SHOT);
        char name[8];
        mapSquareName(x, y, name, sizeof name);
        shotBytes[1] += sendQuietly(&t, [c, &name] { consolePrint(c, "AI Fires at %s... ", name); });
        shotBytes[2] += sendQuietly(&t, [c, x, y] { mapFire(g.mapPlayer.get(), x, y, c); });
        shotBytes[3] += sendQuietly(&t, [] { consoleDrawMaps(&g, DRAW_SHIPS, DRAW_HIDDEN); });
    }
    std::size_t all = 0;
    for (int part = 0; part < 4; part++) {
        std::printf("%-58s %6zu\n", SHOT_FRAMES[part], shotBytes[part] / shots);
        all += shotBytes[part];
    }
    std::printf("%-58s %6zu\n", "  opponent's shot, 4 frames in all, mean of 9 random shots", all / shots);

    // After a line of input the backend paints everything again: the
    // terminal's echo and the Enter changed the screen behind its back.
    measure(&t, "prompt for the player's shot", [c] { consolePrint(c, "You have 3 shots left. What is your target?\n> "); });
    headlessQueueInput("b7\n");
    t.shown.known = false;
    measure(&t, "repaint after a line of input (the echo of \"b7\")", [c] {
        char buf[256];
        consoleReadLine(c, buf, sizeof buf);
    });

    gameDestroy(&g);
    return 0;
}
