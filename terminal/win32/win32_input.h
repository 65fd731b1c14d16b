// The Windows console's input records, as events, and the game's cell
// attributes as the console's: the translations, apart from the console
// itself, so that a test can feed them.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <deque>

#include "terminal/terminal.h"

// What the translation keeps between records: the mouse's buttons as last
// reported, so that a press is told from a hold or a release.
struct Win32Input {
    DWORD buttons = 0;
};

// Appends the events record makes to events: a key pressed (as many times as
// it repeats) is a character in UTF-8, Enter, Backspace (with Ctrl, a word)
// or Esc (the whole line), Ctrl-U and Ctrl-W as on POSIX terminals, Ctrl-Z
// the end of input on an empty line, or an arrow; the left button pressed is
// a click on its cell; a new size of the buffer, a resize. Anything else, a
// key let go among them, makes nothing.
void win32Translate(Win32Input& state, const INPUT_RECORD& record, std::deque<TerminalEvent>* events);

// The attribute the console shows a cell of attr with: the colours and the
// underline as they are (the console's own bits), reverse video as the two
// colours swapped, which every console shows.
WORD win32Attribute(std::uint16_t attr);
