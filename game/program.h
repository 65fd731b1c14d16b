// The program: its command line, then one game after another, each with its
// menus, until the player quits.
#pragma once

// Runs the program on the terminal in use (terminalUse) with the command
// line argv. Returns the status to exit with.
int salvoMain(int argc, char** argv);
