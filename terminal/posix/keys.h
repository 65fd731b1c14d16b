// The keys the player presses, as events, without a system call: bytes read
// go in, events come out. With editing on, the bytes are keys: the
// terminal's own erase, kill, word-erase and end-of-input keys (as stty sets
// them), Enter, and escape sequences taken whole, of which the arrow keys and
// the mouse's reports mean something. Off (a pipe, or a terminal doing its
// own line editing), every byte is a character and a newline Enter.
#pragma once

#include <deque>
#include <string_view>

#include "terminal/terminal.h"

// The terminal's editing keys; 0 turns a key off.
struct EditingKeys {
    unsigned char erase = 0x7f;      // Backspace
    unsigned char kill = 0x15;       // Ctrl-U
    unsigned char wordErase = 0x17;  // Ctrl-W
    unsigned char endOfInput = 0x04; // Ctrl-D
};

struct KeyDecoder {
    bool editing = false;
    EditingKeys settings;
    // Escape sequences the keys send (arrow keys, Home, function keys, the
    // mouse ...), taken whole: how far into one the keys are, and for a
    // mouse report its parameters or its three bytes so far.
    enum class Escape { None, Begun, Csi, LinuxFunction, Ss3, SgrMouse, X10Mouse } escape = Escape::None;
    std::string_view::size_type reportBytes = 0;
    int report[3] = {0, 0, 0};
    std::deque<TerminalEvent> events;  // made and not yet taken
    bool ended = false;                // End has been made: no more will come
};

// Takes bytes read, in order, into events. A sequence cut between two feeds
// is taken whole all the same. A lone Escape is dropped, and so is the Escape
// before a key that begins no sequence.
void keysFeed(KeyDecoder& k, std::string_view bytes);

// Input has ended (the pipe's end, or the terminal gone): End is made.
void keysEnd(KeyDecoder& k);

// Forgets the events made and any sequence under way, but End.
void keysDrop(KeyDecoder& k);
