#include "game/placement.h"

#include <cstring>

#include "game/game.h"
#include "screen/board_view.h"
#include "terminal/game_assert.h"

namespace {

void drawPlacement(Game* g) {
    consoleDrawMaps(&g->console, g->mapPlayer.get(), g->mapOpponent.get(), DRAW_PLACEMENT, DRAW_HIDDEN);
}

}  // namespace

void fleetPrintRemaining(Game* g) {
    GAME_ASSERT(g != NULL);
    for (const ShipClass* s = g->shipsToPlace.get(); s; s = s->next.get()) {
        if (s->remaining == 0) continue;
        consolePrint(&g->console, "You have %d %d-Master%s left to place\n", s->remaining, s->length,
                     s->remaining == 1 ? "" : "s");
    }
}

void placeFleetManually(Game* g) {
    GAME_ASSERT(g != NULL);
    ConsoleWin* c = &g->console;
    if (!g->shipsToPlace) g->shipsToPlace = fleetCreate();
    drawPlacement(g);
    consolePrint(c, "\nPlace your ships. Syntax: <Square> <length> <h|v>\n"
                    "Example: \"A1 3 v\" places 3-mast vertically on grid A1. Type '-' to exit.\n");
    fleetPrintRemaining(g);
    consolePrint(c, "> ");
    do {
        char buf[256];
        consoleReadLine(c, buf, sizeof buf);
        int placed = placeShipCommand(g->shipsToPlace.get(), g->mapPlayer.get(), buf, static_cast<int>(std::strlen(buf)));
        drawPlacement(g);
        consolePrint(c, placed ? "Placement successful.\n" : "Placement failed.\n");
        fleetPrintRemaining(g);
        consolePrint(c, "\n> ");
    } while (fleetHasShipsLeft(g->shipsToPlace.get()));
    fleetFree(g->shipsToPlace);
}

void placeFleetRandomly(Game* g, std::uint8_t* map) {
    GAME_ASSERT(g != NULL);
    placeFleetRandomly(g->shipsToPlace, map);
}
