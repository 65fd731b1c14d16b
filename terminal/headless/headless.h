// The headless terminal: no terminal at all. It keeps the last frame shown
// and the cursor in memory, takes its lines from a queue, and its pauses
// return at once. Tests look at the screen through it; the simulator and the
// fuzzers play whole games on it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "terminal/terminal.h"

// The backend, for terminalUse. Every function below works on it.
const TerminalBackend* headlessTerminal();

// The last frame shown and the cursor.
const Frame& headlessScreen();
Coord headlessCursor();

// Row y of the last frame as text: blank cells as spaces, trailing blanks
// cut; empty for a row off the screen.
std::string headlessRow(int y);

// How many frames were shown, and how often the game paused.
int headlessWrites();
int headlessSleeps();

// Queues text to be read as input; each read takes one line of it (at most
// size - 1 bytes, as fgets would). With the queue empty, input has ended.
void headlessQueueInput(std::string_view text);

// Stand-ins for a terminal: onFrame sees each frame shown with the cursor the
// game wants, onRead, when set, reads the lines instead of the queue (false
// at the end of input), and onPause sees each pause with its length.
void headlessOnFrame(std::function<void(const Frame& cells, Coord cursor)> onFrame);
void headlessOnRead(std::function<bool(char* buf, int size)> onRead);
void headlessOnPause(std::function<void(int milliseconds)> onPause);

// What the headless terminal's exit throws: the game has ended with this
// status (the quit line and the end of input give 0). A test or a fuzz run
// catches it.
struct HeadlessExit {
    int status;
};

// The farewell line the game set last ("" before any).
std::string headlessFarewell();

// Stand-ins for the terminal's answers about the player: onDrop sees each
// drop of what was typed ahead (the queue itself stays: a pipe's lines are
// never dropped), onAwait each wait until the player can see the game, and
// tells whether it had to wait (it doesn't, when unset).
void headlessOnDrop(std::function<void()> onDrop);
void headlessOnAwait(std::function<bool()> onAwait);

// The aim the game set last, or null.
const TerminalAim* headlessAim();

// The seed the headless terminal gives each game from now on (1 until set).
void headlessSetSeed(unsigned seed);

// Forgets the frame, the counts, any queued input, the farewell and the stand-ins; the seed
// is 1 again, and colour is shown unless terminalSetColour asks for none.
void headlessReset();
