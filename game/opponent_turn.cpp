#include "game/opponent_turn.h"

#include "game/game.h"
#include "rules/admiral.h"
#include "rules/opponent.h"
#include "screen/console.h"
#include "terminal/game_assert.h"
#include "terminal/terminal.h"

namespace {

// Half a second before each shot, so that the player can follow them.
constexpr int SHOT_PAUSE_MS = 500;

// One paced shot: redraw, pause, fire (fire chooses the square and fires at
// it), redraw. Returns 0 when the shot won the game, else 1.
template <typename Fire>
int pacedShot(Game* g, Fire fire) {
    GAME_ASSERT(g != NULL);
    gameDrawMaps(g);
    terminalPause(SHOT_PAUSE_MS);
    fire();
    // aiFireAt has checked for the win on a sinking; the winning shot is not drawn again.
    if (g->opponentWon) return 0;
    gameDrawMaps(g);
    return 1;
}

}  // namespace

const OpponentLevel OPPONENT_LEVELS[OPPONENT_LEVEL_COUNT] = {
    {"Not The Brightest Bulb (Easy)", aiMoveEasy},
    {"Adept (Medium)", aiMoveMedium},
    {"Expert (Hard)", aiMoveHard},
    {"Champion (Hard, Lucky)", aiMoveChampion},
    {"Admiral (Hard, Honest)", aiMoveAdmiral},
};

ShotResult aiFireAt(Game* g, int x, int y) {
    GAME_ASSERT(g != NULL);
    GAME_ASSERT(XYVALID(x,y));
    // No shot while the player can't see the game; once the game is in
    // sight again, a moment to take in where things stand.
    if (consoleAwaitSight(&g->console)) terminalPause(SHOT_PAUSE_MS);
    char buf[256];
    mapSquareName(x, y, buf, sizeof buf);
    // No line end: the shot's result completes the line.
    consolePrint(&g->console, "AI Fires at %s... ", buf);
    ShotResult ret = mapFire(g->mapPlayer.get(), x, y);
    GAME_ASSERT(ret != -1);
    // The first shot of a turn takes the marks of the turn before away.
    if (g->shotsAtPlayerDone) g->shotsAtPlayer.reset();
    g->shotsAtPlayerDone = false;
    g->shotsAtPlayer.set(static_cast<std::size_t>(x + y * MAP_WIDTH));
    gameCountShot(&g->figures.computer, ret);
    gameReportShot(g, ret);
    if (ret == 2) gameCheckOpponentWon(g);
    return ret;
}

void aiMoveEasy(Game* g) {
    GAME_ASSERT(g != NULL);
    for (int shot = 0; shot < SHOTS_PER_TURN; shot++) {
        AiChoice c = aiChooseSquare(g->mapPlayer.get(), g->opponent, false, false);
        aiFireAt(g, c.x, c.y);
        if (g->opponentWon) return;
    }
}

void aiMoveMedium(Game* g) { aiTurn(g, 0, 0); }

void aiMoveHard(Game* g) { aiTurn(g, 1, 0); }

void aiMoveChampion(Game* g) {
    GAME_ASSERT(g != NULL);
    for (int shot = 0; shot < SHOTS_PER_TURN; shot++) {
        if (aiShot(g, 1, aiDrawLuck(&g->opponent)) == 0) return;
    }
}

void aiTurn(Game* g, int smart, int lucky) {
    GAME_ASSERT(g != NULL);
    for (int shot = 0; shot < SHOTS_PER_TURN; shot++) {
        if (aiShot(g, smart, lucky) == 0) return;
    }
}

int aiShot(Game* g, int smart, int lucky) {
    return pacedShot(g, [g, smart, lucky] {
        AiChoice c = aiChooseSquare(g->mapPlayer.get(), g->opponent, smart != 0, lucky != 0);
        ShotResult result = aiFireAt(g, c.x, c.y);
        if (c.lucky) consolePrint(&g->console, "What a lucky shot!\n");
        aiRemember(&g->opponent, c, result);
    });
}

void aiMoveAdmiral(Game* g) {
    GAME_ASSERT(g != NULL);
    // What the player chose in plain sight is all it assumes of where the
    // ships lie: placed by hand, any layout as likely as another.
    FleetPrior prior = g->placedByHand ? FleetPrior::Even : FleetPrior::GamePlacement;
    for (int shot = 0; shot < SHOTS_PER_TURN; shot++) {
        int won = !pacedShot(g, [g, prior] {
            int x = 0;
            int y = 0;
            admiralChoose(sightOf(g->mapPlayer.get()), prior, g->opponent.random, &x, &y);
            aiFireAt(g, x, y);
        });
        if (won) return;
    }
}
