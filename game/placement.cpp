#include "game/placement.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "game/game.h"
#include "screen/board_view.h"
#include "terminal/game_assert.h"

namespace {

void drawPlacement(Game* g) { gameDrawMapsAs(g, DRAW_PLACEMENT, DRAW_HIDDEN); }

// Whether line, whatever its case, is word alone, blanks around it aside.
bool isWord(const char* line, const char* word) {
    while (*line == ' ') line++;
    for (; *word; line++, word++) {
        if (*line != *word && *line != *word - 'a' + 'A') return false;
    }
    while (*line == ' ' || *line == '\n') line++;
    return *line == '\0';
}

// printf into a string, as long as the message area's longest text.
template <typename... Args>
std::string said(const char* format, Args... args) {
    char text[256];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// Why a command placed no ship, in a few words.
std::string refusal(const Placement& p) {
    char square[8];
    mapSquareName(p.other.x, p.other.y, square, sizeof square);
    switch (p.refusal) {
        case Refusal::None: break;
        case Refusal::NotACommand: return "Type a square, a length and h or v, such as A1 3 v.";
        case Refusal::NoSuchShip: return said("Ships are 2 to %d squares long.", MAX_SHIP_LEN);
        case Refusal::NoneLeft: return said("No %d-Master is left to place.", p.ship.len);
        case Refusal::OffBoard: return "The ship would not lie wholly on the board.";
        case Refusal::Crosses: return said("It would cross the %d-Master at %s.", p.other.len, square);
        case Refusal::Touches: return said("It would touch the %d-Master at %s.", p.other.len, square);
    }
    return "";
}

// Carries out one line typed while placing: a ship, undo or random.
// Returns what it did, or why it did nothing.
std::string placementCommand(Game* g, char* line) {
    ShipClass* roster = g->shipsToPlace.get();
    std::uint8_t* map = g->mapPlayer.get();
    if (isWord(line, "undo")) {
        if (g->shipsPlaced.empty()) return "Nothing to undo: no ship is placed yet.\n";
        ShipPlace ship = fleetUndo(roster, map, &g->shipsPlaced);
        char square[8];
        mapSquareName(ship.x, ship.y, square, sizeof square);
        return said("Took back the %d-Master at %s.\n", ship.len, square);
    }
    if (isWord(line, "random")) {
        // The ships left go where the random placement would put them; an
        // empty board always has room, and draws as the menu's choice does.
        if (fleetFillRandomly(roster, map, g->shipsPlaced.empty() ? 0 : 100)) {
            return "The rest of the fleet is placed at random.\n";
        }
        return "Placement failed. No room for the rest at random: undo a ship or two.\n";
    }
    Placement p = placeShipCommandWhy(roster, map, line, static_cast<int>(std::strlen(line)));
    if (p.refusal != Refusal::None) return "Placement failed. " + refusal(p) + "\n";
    g->shipsPlaced.push_back(p.ship);
    return "Placement successful.\n";
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

bool placeFleetManually(Game* g) {
    GAME_ASSERT(g != NULL);
    ConsoleWin* c = &g->console;
    if (!g->shipsToPlace) g->shipsToPlace = fleetCreate();
    g->shipsPlaced.clear();
    // The syntax stays in sight under the fleets while ships are left to place.
    g->panel = Panel::PlacingHelp;
    drawPlacement(g);
    consolePrint(c, "\nPlace your ships. Syntax: <Square> <length> <h|v>\n"
                    "Example: \"A1 3 v\" places 3-mast vertically on grid A1. Type '-' to exit.\n");
    fleetPrintRemaining(g);
    consolePrint(c, "> ");
    do {
        char buf[256];
        if (!consoleReadLine(c, buf, sizeof buf)) return false;
        std::string outcome = placementCommand(g, buf);
        if (!fleetHasShipsLeft(g->shipsToPlace.get())) g->panel = Panel::Nothing;
        drawPlacement(g);
        consolePrint(c, "%s", outcome.c_str());
        fleetPrintRemaining(g);
        // After the last ship the game goes on: no prompt is left behind.
        if (fleetHasShipsLeft(g->shipsToPlace.get())) consolePrint(c, "\n> ");
    } while (fleetHasShipsLeft(g->shipsToPlace.get()));
    fleetFree(g->shipsToPlace);
    return true;
}

void placeFleetRandomly(Game* g, std::uint8_t* map) {
    GAME_ASSERT(g != NULL);
    placeFleetRandomly(g->shipsToPlace, map);
}
