// The game's assertion: always on, in release builds too. A failed one is a
// programming error, never the player's doing: it gives the terminal back,
// prints the condition as written in the source, and stops the program.
#pragma once

#define GAME_ASSERT(cond) ((cond) ? static_cast<void>(0) : assertFailed(#cond, __FILE__, __LINE__))

[[noreturn]] void assertFailed(const char* condition, const char* file, int line) noexcept;
