// The terminal layer's one wait: for keys, for a signal that wants the
// screen drawn again, or for the output's reader to go away.
#pragma once

enum class Woken {
    Keys,    // input has something (or has ended)
    Signal,  // a signal cut the wait short, or wrote to the self-pipe
    Gone,    // the output's reader has gone away
    NoPoll,  // poll() doesn't take these descriptors (macOS's terminals): wait with select()
};

// Waits on input for keys (none when it is -1) and on wake, the read end of a self-pipe, which
// it empties. With output 0 or more it also notices its reader going away
// (a pipe, not a terminal). useSelect waits with select() instead of poll(),
// which notices no reader going away while it waits.
Woken waitFor(int input, int output, int wake, bool useSelect);
