// The headless terminal: no terminal at all. It keeps the last frame shown
// and the cursor in memory, takes its input from a queue, and its pauses
// return at once. Tests look at the screen through it; the simulator and the
// fuzzers play whole games on it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "terminal/terminal.h"

// The backend, for terminalUse. Every function below works on it.
const TerminalBackend* headlessTerminal();

// The last frame shown and the cursor.
const Frame& headlessScreen();
Coord headlessCursor();

// Row y of the last frame as text: blank cells as spaces, trailing blanks
// cut; empty for a row off the screen.
std::string headlessRow(int y);

// How many frames were shown.
int headlessWrites();

// Queues input as a script brings it: each byte a character, each newline
// Enter. Input has ended once the queue is empty (and onRead gives no more).
void headlessQueueInput(std::string_view text);

// Queues events as a terminal's keys bring them.
void headlessQueueEvents(const std::vector<TerminalEvent>& events);

// Stand-ins for a terminal: onFrame sees each frame shown with the cursor
// the game wants; onRead, when the queue is empty and the game waits for
// input, gives a line of it (at most size - 1 bytes; false at the end of
// input); onNeed, when set instead, queues more itself (nothing: the end);
// onPause sees each pause with its length; onDrop each drop of what was typed
// ahead (the queue itself stays: a script's lines are never dropped); onSight
// tells whether the player can see the game (yes, when unset). With onRead
// or onNeed set, a look that does not wait finds nothing when the queue is
// empty, for the game to show what it has first.
void headlessOnFrame(std::function<void(const Frame& cells, Coord cursor)> onFrame);
void headlessOnRead(std::function<bool(char* buf, int size)> onRead);
void headlessOnNeed(std::function<void()> onNeed);
void headlessOnPause(std::function<void(int milliseconds)> onPause);
void headlessOnDrop(std::function<void()> onDrop);
void headlessOnSight(std::function<bool()> onSight);

// Whether the game is to draw the typing (no, until set).
void headlessEcho(bool echo);

// The farewell line the game set last ("" before any).
std::string headlessFarewell();

// The seed the headless terminal gives each game from now on (1 until set).
void headlessSetSeed(unsigned seed);

// Forgets the frame, the counts, any queued input, the farewell and the
// stand-ins; the seed is 1 again, no echo, 80 x 25, and colour is shown
// unless terminalSetColour asks for none.
void headlessReset();
