// Reading what the player types: lower-casing, numbers and squares. Lenient:
// anything that is neither a letter nor a digit is skipped wherever it stands.
#pragma once

// Lower-cases A-Z in place, stopping at the NUL or after maxlen bytes.
// Returns str. Needs str != NULL and maxlen > 0.
char* strToLower(char* str, int maxlen);

// Reads every decimal digit among the first len bytes of str (up to its NUL)
// as one number, skipping everything else, and stores it at res (0 without
// digits). Returns how many digits were taken. A number too large for an int
// is stored as the largest int, which no caller accepts.
int parseNumber(const char* str, int len, int* res);

// Reads a square such as b7 or j10 from the first count bytes of cmd: the
// lower-case letters make the column (a = 0), the digits the row (1 = 0).
// Returns 1 when a letter stands before a digit and the square is on the
// board, else 0. resx and resy are written in every case.
int parseSquare(const char* cmd, int count, int* resx, int* resy);

// The square a typed line names, as the player's turn reads it: the line
// lower-cased (a copy: line is left as it is), then read by parseSquare.
// Returns 1 with x and y set, else 0. Needs a NUL-terminated line.
int squareOfText(const char* line, int* x, int* y);
