// The keys the player presses and the line editor they drive, without a
// system call: bytes read go in, lines come out as fgets would give them.
// With editing on, the keys are ours to apply (the terminal's own erase,
// kill and word-erase keys, Enter, end of input); keys that send escape
// sequences are taken whole, and the arrow keys aim while an aim is set.
#pragma once

#include <cstddef>
#include <string>

#include "terminal/terminal.h"

// The longest line kept while it is typed, as a terminal's own line editing
// keeps; further characters are dropped until the line ends.
constexpr std::size_t KEYS_LINE_MAX = 4095;

// The terminal's editing keys; 0 turns a key off.
struct EditingKeys {
    unsigned char erase = 0x7f;      // Backspace
    unsigned char kill = 0x15;       // Ctrl-U
    unsigned char wordErase = 0x17;  // Ctrl-W
    unsigned char endOfInput = 0x04; // Ctrl-D
};

struct Keys {
    // With editing on, the bytes read are keys and the line is drawn as it
    // is typed; off, they are taken as they come (a pipe, or a terminal
    // doing its own echo).
    bool editing = false;
    EditingKeys settings;
    bool reading = false;  // a line is being waited for: show what is typed
    std::string input;     // bytes read and not yet looked at
    std::string line;      // the line being typed
    std::string lines;     // lines ended by Enter, waiting to be read
    bool ended = false;    // no more input will come
    // Escape sequences the keys send (arrow keys, Home, function keys ...),
    // taken whole: how far into one the keys are.
    enum class Escape { None, Begun, Csi, LinuxFunction, Ss3 } escape = Escape::None;
    // Aiming: the board the arrow keys aim over, if any; the square last
    // aimed or fired at, -1 while there is none; whether it is shown, which
    // it is from an arrow key to the next other key.
    bool aiming = false;
    TerminalAim aim{};
    Coord aimed{-1, -1};
    bool aimShown = false;
};

// What a wait for a line comes to.
enum class KeysRead {
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
// aimed square's name, and the aim shows. A lone Escape is dropped, and so is
// the Escape before a key that begins no sequence.
KeysRead keysReadLine(Keys& k, char* buf, int size);

// Input has ended (the pipe's end, or the terminal gone).
void keysEndOfInput(Keys& k);

// Sets the board the arrow keys aim over (null: none), with nothing aimed at yet.
void keysAim(Keys& k, const TerminalAim* aim);
