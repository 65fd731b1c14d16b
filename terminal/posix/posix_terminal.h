// The backend for a POSIX terminal: the game's frames out, one write() a
// frame with only what changed, and the player's keys in, edited into lines.
#pragma once

#include "terminal/terminal.h"

const TerminalBackend* posixTerminal();
