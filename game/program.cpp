#include "game/program.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/game.h"
#include "game/options.h"
#include "game/placement.h"
#include "rules/text.h"
#include "screen/board_view.h"
#include "terminal/terminal.h"

namespace {

// The hint's draws: a stream of the game's seed besides rand's and the Admiral's.
constexpr unsigned HINT_STREAM = 0x68696e74u;

// The first menu of every game.
constexpr const char* MENU_OPPONENT =
    "Select Your Opponent (type a number 1-5)\n"
    "\t1 - Not The Brightest Bulb (Easy)\n"
    "\t2 - Adept (Medium)\n"
    "\t3 - Expert (Hard)\n"
    "\t4 - Champion (Hard, Lucky)\n"
    "\t5 - Admiral (Hard, Honest)\n\n> ";

// Prints the menu and reads answers until one passes the test. All digits
// of the line make the number; a line without digits gives 0. With fresh,
// what was typed before the menu was first shown answers nothing. A click
// on one of its lines answers it too. Returns 0 when the player quit.
template <typename Accept>
int askMenu(Game* g, const char* text, Accept accept, bool fresh = false) {
    int choice = 0;
    consoleClicks(&g->console, Clicks::MenuLines);
    do {
        char buf[256];
        consolePrint(&g->console, "%s", text);
        if (fresh) consoleDropTyped(&g->console);
        fresh = false;
        if (!consoleReadLine(&g->console, buf, sizeof buf)) {
            choice = 0;
            break;
        }
        int len = static_cast<int>(std::strlen(buf));
        choice = 0;
        if (len > 0) parseNumber(buf, len, &choice);
    } while (!accept(choice));
    consoleClicks(&g->console, Clicks::Ignored);
    return choice;
}

}  // namespace

namespace {

// The games of this run, told on the terminal's own screen when it ends.
struct Tally {
    int played = 0;
    int won = 0;
    int lost = 0;
};

void sayTally(const Tally& t) {
    char line[TERMINAL_FAREWELL_MAX];
    std::snprintf(line, sizeof line, "salvo: %d game%s played, %d won, %d lost.\n", t.played, t.played == 1 ? "" : "s",
                  t.won, t.lost);
    terminalFarewell(line);
}

}  // namespace

int salvoMain(int argc, char** argv) {
    Options opt;
    std::string out;
    std::string err;
    int status = optionsParse(argc, argv, &opt, &out, &err);
    if (status >= 0) {
        // Before the terminal is touched. Help that can't be written is a failure too.
        std::fputs(err.c_str(), stderr);
        if (std::fputs(out.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "salvo: standard output: %s\n", std::strerror(errno));
            return 1;
        }
        return status;
    }
    terminalSetColour(opt.colour);
    terminalSetMouse(opt.mouse);
    Tally tally;
    sayTally(tally);

    Game g;
    // Every way of quitting (the quit line, the end of input, 2 at "Another
    // game?") comes back here, and the program ends as main returns.
    for (unsigned game = 0;; game++) {
        gameInit(&g);
        gameDrawMaps(&g);
        // Every draw of the game comes from its seed: rand's, the Admiral's
        // own, the hint's, and who fires first at random; each apart, so
        // that one draws the same whatever the others do.
        unsigned seed = opt.seeded ? opt.seed + game : terminalRandomSeed();
        std::srand(seed);
        g.opponent.random = admiralSeed(seed);
        g.hintRandom = admiralSeed(seed ^ HINT_STREAM);
        g.salvo = opt.salvo;
        g.hints = opt.hints;
        g.computerFirst = gameComputerFirst(opt.first, seed);

        auto offered = [](int n) { return n >= 1 && n <= OPPONENT_LEVEL_COUNT; };
        int choice = opt.level ? opt.level : askMenu(&g, MENU_OPPONENT, offered);
        if (choice == 0) break;
        g.level = &OPPONENT_LEVELS[choice - 1];

        choice = opt.place ? opt.place
                           : askMenu(&g,
                                     "Are you going to place your ships yourself, or would you like them to be placed "
                                     "randomly?\n"
                                     " 1 - Place yourself\n"
                                     " 2 - Place randomly\n\n> ",
                                     [](int n) { return n == 1 || n == 2; });
        if (choice == 0 || (choice == 1 && !placeFleetManually(&g))) break;
        if (choice == 2) placeFleetRandomly(&g, g.mapPlayer.get());
        // The computer's fleet always comes second.
        placeFleetRandomly(&g, g.mapOpponent.get());

        tally.played++;
        sayTally(tally);
        if (!gamePlay(&g)) break;
        (g.playerWon ? tally.won : tally.lost)++;
        sayTally(tally);
        gameDestroy(&g);

        // Only a line typed once the result is in sight answers: one typed
        // ahead during the last turn would quit, or start another game, unseen.
        choice = askMenu(
            &g, "Another game?\n 1 - keep playing\n 2 - quit\n\n> ", [](int n) { return n == 1 || n == 2; }, true);
        if (choice != 1) break;
    }
    gameDestroy(&g);
    return 0;
}
