// The terminal session on a POSIX system: what standard input and output
// are, the terminal taken (raw mode, the alternate screen) only while in the
// foreground, the signals, the screen written (one write() a frame), and the
// terminal given back as it was found on every way out: the end, the quit
// line, Ctrl-C, a kill, a hangup, a failed assertion. The player's typing is
// read key by key and drawn by us, so that we always know what the screen
// shows.
//
// Who gets what:
// - standard input and output both a terminal: our own line editing and echo,
//   and the mouse where terminfo says the terminal reports it;
// - output a terminal, input a pipe: the game is drawn, typed keys are not echoed;
// - input a terminal, output elsewhere: the terminal's own line editing and
//   echo, and its modes are left alone;
// - neither: frames go out as they are, lines come in as they are.
#pragma once

#include "terminal/posix/display.h"
#include "terminal/posix/keys.h"

// Starts the session once (later calls do nothing): looks at standard input
// and output and at the terminal's type, sets d's colours, k's editing and
// the mouse from them, takes the signals over and the terminal if it is ours
// to take. A dumb terminal ends the program with status 1 and a message.
void sessionStart(Display& d, KeyDecoder& k, ColourChoice colour, MouseChoice mouse);

// Brings the screen up to date with d, unless it is not ours to draw on now
// (a job in the background): then it is drawn whole on coming back. A write
// that fails ends the program. Returns true when the terminal's size was
// read anew (it may have changed).
bool sessionDraw(Display& d);

// Gives the terminal back as it was found, then writes the farewell line.
// Idempotent and async-signal-safe.
void sessionGiveBack() noexcept;

// The line written when the program ends (cut to TERMINAL_FAREWELL_MAX bytes).
void sessionFarewell(const char* line);

// Whether the player can see the game: not while the terminal is too small
// for it, nor while it is somebody else's (a job in the background).
bool sessionShowsGame(const Display& d);

// Forgets what was typed at the terminal and not yet read, in the terminal
// and in k. Keys that come from a pipe stay.
void sessionDropTyped(KeyDecoder& k);

// Whether standard input, and standard output, is a terminal.
bool sessionReadsTerminal();
bool sessionDrawsOnTerminal();

// Whether this process's group is the terminal fd's foreground (or it has none).
bool sessionInForeground(int fd);

// The read end of the self-pipe that the signals which want the screen drawn
// again write to.
int sessionWakeFd();

// The terminal went away (err EPIPE: its reader ended; EIO: it hung up):
// gives the modes back and ends the program.
[[noreturn]] void sessionGone(int err);
