// What the terminal layer knows of the terminal and of the player's typing,
// without a single system call: the game's last frame, what the terminal
// shows, the line being typed and the lines waiting to be read. The terminal
// layer feeds it what it reads and writes what it returns; tests, the
// benchmark and the fuzzers drive it the same way.
#pragma once

#include <array>
#include <string>

#include "platform/console.h"
#include "platform/posix/ansi_frame.h"

// The game needs this much of the terminal; row 24 is always blank.
constexpr int TTY_MIN_COLS = 80;
constexpr int TTY_MIN_ROWS = 24;
// The longest line kept while it is typed, as a terminal's own line editing
// keeps; further characters are dropped until the line ends.
constexpr std::size_t TTY_LINE_MAX = 4095;

// The terminal's editing keys; 0 turns a key off.
struct TtyKeys {
    unsigned char erase = 0x7f;      // Backspace
    unsigned char kill = 0x15;       // Ctrl-U
    unsigned char wordErase = 0x17;  // Ctrl-W
    unsigned char endOfInput = 0x04; // Ctrl-D
};

struct Tty {
    AnsiScreen screen;                                     // what the terminal shows
    std::array<CHAR_INFO, ANSI_COLS * ANSI_ROWS> frame{};  // the game's last frame
    COORD cursor{0, 0};                                    // and where it wants the cursor
    // Typing: with editing on, the bytes read are keys and the line is drawn
    // here as it is typed; off, they are taken as they come (a pipe, or a
    // terminal doing its own echo).
    bool editing = false;
    TtyKeys keys;
    bool reading = false;  // a line is being waited for: show what is typed
    std::string input;     // bytes read and not yet looked at
    std::string line;      // the line being typed
    std::string lines;     // lines ended by Enter, waiting to be read
    bool ended = false;    // no more input will come
    COORD notice{0, 0};    // the terminal size the too-small notice was drawn for
    // Escape sequences the keys send (arrow keys, Home, function keys ...),
    // taken whole: how far into one the keys are.
    enum class Escape { None, Begun, Csi, LinuxFunction, Ss3 } escape = Escape::None;
    // Aiming: the board the arrow keys aim over, if any; the square last
    // aimed or fired at, -1 while there is none; whether it is shown, which
    // it is from an arrow key to the next other key.
    bool aiming = false;
    PlatformAim aim{};
    COORD aimed{-1, -1};
    bool aimShown = false;
};

// The game wrote a frame (80 x 25 cells) and wants the cursor at cursor:
// keep them. ttyShow draws them.
void ttyKeepFrame(Tty& t, const CHAR_INFO* cells, COORD cursor);

// Whether the game's colours are shown: as the --color option says, and by
// default not when NO_COLOR is set and not empty, nor when the terminal's
// terminfo entry has fewer than 8 colours (colours from terminfoColours).
// A terminal that terminfo doesn't know keeps them.
bool ttyColour(ColourChoice choice, const char* noColor, int colours);

// The terminal's size, new or not: ttyShow draws everything again.
void ttyRepaint(Tty& t, int rows, int cols);

// The bytes that bring the terminal up to date: the game's frame, the line
// typed so far after the prompt, or, on a terminal smaller than the game,
// a notice in its place. Nothing when it is up to date.
std::string ttyShow(Tty& t);

// What a wait for a line comes to.
enum class TtyRead {
    Line,  // buf holds a line, or its next piece
    More,  // more input is needed
    End,   // input has ended; buf holds an empty text
};

// Takes the next line out of what was read, as fgets would: at most size - 1
// bytes, through the newline, NUL-terminated. A line longer than that comes
// in pieces; a last line without a newline comes when input ends. With
// editing on, the keys are applied first: erase, kill and word-erase change
// the line, Enter ends it, and end of input on an empty line ends input.
// Escape sequences are taken whole and do nothing, but for the arrow keys
// while aiming: they move the aim one square, from the square the line
// names, else the one last aimed or fired at, else A1; the line becomes the
// aimed square's name, and the aim shows on the board (the cursor on the
// square, its column letter and row number in reverse video). A lone Escape
// is dropped, and so is the Escape before a key that begins no sequence.
TtyRead ttyRead(Tty& t, char* buf, int size);

// Sets the board the arrow keys aim over (null: none), with nothing aimed at yet.
void ttyAim(Tty& t, const PlatformAim* aim);

// Input has ended (the pipe's end, or the terminal gone).
void ttyEndOfInput(Tty& t);
