// The record of one game, from set-up to the end of the match, and the
// match loop with the player's turn.
#pragma once

#include <cstdint>
#include <memory>

#include "console/consolewin.h"
#include "fleet/shipplacement.h"

constexpr int SHOTS_PER_TURN = 3;
constexpr int LUCKY_SHOTS = 5;

// The first menu of every game.
constexpr const char* MENU_OPPONENT =
    "Select Your Opponent (type a number 1-4)\n"
    "\t1 - Not The Brightest Bulb (Easy)\n"
    "\t2 - Adept (Medium)\n"
    "\t3 - Expert (Hard)\n"
    "\t4 - Champion (Hard, Lucky)\n\n> ";

struct Game {
    std::unique_ptr<std::uint8_t[]> mapPlayer;    // the player's board
    std::unique_ptr<std::uint8_t[]> mapOpponent;  // the computer's board
    std::unique_ptr<ShipClass> shipsToPlace;      // only while a fleet is being placed
    int playerWon;
    int opponentWon;
    ConsoleWin console;
    int trackX;  // the first hit on the ship the opponent follows, -1 when none
    int trackY;
    int tracking;
    int luckyShots;  // the Champion's lucky shots left in this game
};

// The chosen opponent level's move: fires the opponent's shots of one turn.
using OpponentMove = void (*)(Game* g);
extern OpponentMove opponentMove;

// Sets up a fresh game: empty boards, no winner, a blank screen.
void gameInit(Game* g);

// Frees the boards and any roster left.
void gameDestroy(Game* g);

// Sets playerWon once the opponent's fleet is all sunk; returns playerWon.
int gameCheckPlayerWon(Game* g);

// Sets opponentWon once the player's fleet is all sunk; returns opponentWon.
int gameCheckOpponentWon(Game* g);

// Plays the match: the player's turn, then the opponent's, until one fleet
// is sunk; prints the result and shows both fleets.
void gamePlay(Game* g);

// The player's turn: up to three shots at the opponent's board.
void gamePlayerTurn(Game* g);
