// The headless console: no terminal at all. It keeps the last frame written
// and the cursor in memory, takes its input lines from a queue, and Sleep
// returns at once. Tests look at the screen through these calls; the
// simulator plays whole games on it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/console.h"

// The last frame written (80 x 25 cells, row after row) and the cursor.
const CHAR_INFO* headlessScreen();
COORD headlessCursor();

// Row y of the last frame as text: blank cells as spaces, trailing blanks cut.
std::string headlessRow(int y);

// How often the screen was written, and how often the game paused.
int headlessWrites();
int headlessSleeps();

// Queues text to be read as input; each platformReadLine takes one line of
// it (at most size - 1 bytes, as fgets would). With the queue empty, input
// has ended.
void headlessQueueInput(std::string_view text);

// Stand-ins for a terminal: onFrame sees each frame written with the cursor
// the game wants, and onRead, when set, reads the lines instead of the
// queue (false at the end of input).
void headlessOnFrame(std::function<void(const CHAR_INFO* cells, COORD cursor)> onFrame);
void headlessOnRead(std::function<bool(char* buf, int size)> onRead);
// onPause sees each pause the game makes, with its length.
void headlessOnPause(std::function<void(unsigned milliseconds)> onPause);

// What platformExit throws here: the game has ended with this status (the
// quit line and the end of input give 0). A test or a fuzz run catches it.
struct HeadlessExit {
    int status;
};

// The aim the game set last (platformAim), or null.
const PlatformAim* headlessAim();

// The seed platformRandomSeed gives from now on (1 until set).
void headlessSetSeed(unsigned seed);

// Forgets the frame, the counts, any queued input and the stand-ins; the
// seed is 1 again, and the console shows colour unless platformSetColour
// asks for none.
void headlessReset();
