// The record of one game, from set-up to the end of the match, and the match
// loop with the player's turn.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "game/opponent_turn.h"
#include "game/options.h"
#include "rules/board.h"
#include "rules/fleet.h"
#include "rules/opponent.h"
#include "screen/board_view.h"
#include "screen/console.h"

constexpr int SHOTS_PER_TURN = 3;

struct Game {
    std::unique_ptr<std::uint8_t[]> mapPlayer;    // the player's board
    std::unique_ptr<std::uint8_t[]> mapOpponent;  // the computer's board
    std::unique_ptr<ShipClass> shipsToPlace;      // only while a fleet is being placed
    int playerWon = 0;
    int opponentWon = 0;
    ConsoleWin console;
    OpponentMemory opponent;              // the ship the computer follows up, its luck, its draws
    const OpponentLevel* level = nullptr;  // the computer's level chosen for this game
    std::vector<ShipPlace> shipsPlaced;   // placed by hand, in order: any, and the fleet may lie anywhere
    SquareSet shotsAtPlayer;              // the computer's latest turn, marked on the player's board
    SquareSet shotsAtOpponent;            // the player's turn under way, marked on the computer's board
    SquareSet firedByPlayer;              // every square the player fired at
    MatchFigures figures{"", 0, {0, 0}, {0, 0}, 0};  // the turn, each side's shots and hits, the hints
    Panel panel = Panel::Nothing;         // what shows under the fleets
    bool salvo = false;                   // each side fires as many shots a turn as it has ships afloat
    bool computerFirst = false;           // the computer fires first in every turn
    bool hints = true;                    // ? at a target prompt shows the odds of the computer's board
    AdmiralRandom hintRandom{0};          // the hint's draws, apart from the Admiral's
    SquareOdds odds{};                    // the odds the hint shows
    bool hintShown = false;               // over the computer's board now
};

// Sets up a fresh game: empty boards, no winner, a blank screen, the
// computer's memory cleared; the level is the Champion and the fleet placed
// at random until chosen.
void gameInit(Game* g);

// Frees the boards and any roster left.
void gameDestroy(Game* g);

// Sets playerWon once the opponent's fleet is all sunk; returns playerWon.
int gameCheckPlayerWon(Game* g);

// Sets opponentWon once the player's fleet is all sunk; returns opponentWon.
int gameCheckOpponentWon(Game* g);

// Prints what a shot did: "Miss!\n", "Hit!\n" or "Hit & Sunk!\n", with the
// boards as they now are.
void gameReportShot(Game* g, ShotResult result);

// Whether the computer fires first, drawn from a game's seed, for
// --first=random: a stream of its own, so that every other draw of the game is
// as it would be without it.
bool gameDrawsComputerFirst(unsigned seed);

// Whether the computer fires first in the games of seed, as --first says.
bool gameComputerFirst(Options::First first, unsigned seed);

// Draws both boards as during play: the player's ships shown, the
// computer's hidden; the latest shots marked, and the panel.
void gameDrawMaps(Game* g);

// Draws both boards with the given modes, the rest as gameDrawMaps.
void gameDrawMapsAs(Game* g, int modePlayer, int modeOpponent);

// What gameDrawMapsAs draws.
BoardsDrawn gameBoards(Game* g, int modePlayer, int modeOpponent);

// Counts a shot with its result into count.
void gameCountShot(ShotCount* count, ShotResult result);

// The shots a side has this turn, its own board being map: three, or under
// the Salvo rule as many as it has ships afloat.
int gameShotsPerTurn(bool salvo, const std::uint8_t* map);

// Shows the hint over the computer's board (show), or takes it away: the
// odds of each square not fired at, worked out as the Admiral would from the
// player's own shots alone, for a fleet placed at random; the aim goes to the
// likeliest square. A hint shown is counted in the figures.
void gameHint(Game* g, bool show);

// Plays the match: the player's turn, then the opponent's, until one fleet
// is sunk; prints the result and the match in figures, and shows both fleets.
// Returns false when the player quit instead (the quit line, or the end of
// input).
[[nodiscard]] bool gamePlay(Game* g);

// The player's turn: up to three shots at the opponent's board. Returns false
// when the player quit.
[[nodiscard]] bool gamePlayerTurn(Game* g);
