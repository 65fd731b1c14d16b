// The backend for the Windows console.
#pragma once

#include "terminal/terminal.h"

const TerminalBackend* win32Terminal();
