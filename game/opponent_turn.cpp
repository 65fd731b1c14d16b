#include "game/opponent_turn.h"

#include "game/game.h"
#include "screen/console.h"
#include "terminal/game_assert.h"
#include "terminal/terminal.h"

namespace {

// Half a second before each shot, so that the player can follow them.
constexpr int SHOT_PAUSE_MS = 500;

}  // namespace

const OpponentLevel OPPONENT_LEVELS[OPPONENT_LEVEL_COUNT] = {
    {"Not The Brightest Bulb (Easy)", AiLevel::Easy, false},
    {"Adept (Medium)", AiLevel::Medium, true},
    {"Expert (Hard)", AiLevel::Hard, true},
    {"Champion (Hard, Lucky)", AiLevel::Champion, true},
    {"Admiral (Hard, Honest)", AiLevel::Admiral, true},
};

void aiTurn(Game* g) {
    GAME_ASSERT(g != NULL && g->level != NULL);
    const OpponentLevel& level = *g->level;
    // What the player chose in plain sight is all the Admiral assumes of
    // where the ships lie: placed by hand, any layout as likely as another.
    // Any ship placed by hand, and the fleet may lie anywhere.
    FleetPrior prior = g->shipsPlaced.empty() ? FleetPrior::GamePlacement : FleetPrior::Even;
    int shots = gameShotsPerTurn(g->salvo, g->mapOpponent.get());
    for (int shot = 0; shot < shots; shot++) {
        if (level.paced) {
            gameDrawMaps(g);
            terminalPause(SHOT_PAUSE_MS);
        }
        // No shot while the player can't see the game; once the game is in
        // sight again, a moment to take in where things stand.
        if (consoleAwaitSight(&g->console)) terminalPause(SHOT_PAUSE_MS);
        AiShot s = aiShoot(level.level, g->mapPlayer.get(), &g->opponent, prior);
        char name[8];
        mapSquareName(s.x, s.y, name, sizeof name);
        // No line end: the shot's result completes the line.
        consolePrint(&g->console, "AI Fires at %s... ", name);
        // The first shot of a turn takes the marks of the turn before away.
        if (shot == 0) g->shotsAtPlayer.reset();
        g->shotsAtPlayer.set(static_cast<std::size_t>(s.x + s.y * MAP_WIDTH));
        gameCountShot(&g->figures.computer, s.result);
        gameReportShot(g, s.result);
        if (s.lucky) consolePrint(&g->console, "What a lucky shot!\n");
        // The winning shot is not drawn again.
        if (s.result == 2 && gameCheckOpponentWon(g)) return;
        if (level.paced) gameDrawMaps(g);
    }
}
