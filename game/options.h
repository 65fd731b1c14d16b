// The command line, by the GNU conventions: long options, "--name=value" or
// "--name value", any unambiguous start of a name, "--" to end them.
#pragma once

#include <string>

#include "terminal/terminal.h"

struct Options {
    int level = 0;  // 1-5 answers the opponent menu of every game; 0 asks it
    int place = 0;  // 1 by hand, 2 at random, as the placement menu numbers them; 0 asks it
    bool seeded = false;  // the first game draws from seed, each next game from the next number
    unsigned seed = 0;
    ColourChoice colour = ColourChoice::Auto;
    MouseChoice mouse = MouseChoice::Auto;
    bool salvo = false;  // each side fires as many shots a turn as it has ships afloat
    enum class First { Player, Computer, Random } first = First::Player;  // who fires first
    bool hints = true;   // the hint key at a target prompt
};

// Reads the arguments into opt. Returns -1 when the game is to be played.
// Otherwise returns the status to end with: 0 for --help and --version, with
// their text in out; 2 for an argument that is not an option of the game,
// with one line for standard error in err.
int optionsParse(int argc, const char* const* argv, Options* opt, std::string* out, std::string* err);
