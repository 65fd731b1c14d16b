// The record of one game, from set-up to the end of the match, and the match
// loop with the player's turn.
#pragma once

#include <cstdint>
#include <memory>

#include "game/opponent_turn.h"
#include "rules/board.h"
#include "rules/fleet.h"
#include "rules/opponent.h"
#include "screen/console.h"

constexpr int SHOTS_PER_TURN = 3;

struct Game {
    std::unique_ptr<std::uint8_t[]> mapPlayer;    // the player's board
    std::unique_ptr<std::uint8_t[]> mapOpponent;  // the computer's board
    std::unique_ptr<ShipClass> shipsToPlace;      // only while a fleet is being placed
    int playerWon;
    int opponentWon;
    ConsoleWin console;
    OpponentMemory opponent;    // the ship the computer follows up, its luck, its draws
    OpponentMove opponentMove;  // the computer's turn at the level chosen for this game
    int placedByHand;           // 1 when the player placed the fleet by hand
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

// Prints what a shot did: "Miss!\n", "Hit!\n" or "Hit & Sunk!\n".
void gameReportShot(Game* g, ShotResult result);

// Draws both boards as during play: the player's ships shown, the
// computer's hidden.
void gameDrawMaps(Game* g);

// Plays the match: the player's turn, then the opponent's, until one fleet
// is sunk; prints the result and shows both fleets.
void gamePlay(Game* g);

// The player's turn: up to three shots at the opponent's board.
void gamePlayerTurn(Game* g);
