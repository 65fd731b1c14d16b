#include "rules/text.h"

#include <climits>
#include <cstring>

#include "rules/board.h"
#include "terminal/game_assert.h"

namespace {

// value * 10 + digit, or (value + 1) * 26 + letter, held at INT_MAX once it
// would overflow: a run of digits or letters of any length stays defined, and
// a saturated value is never on the board nor a menu choice.
int growDecimal(int value, int digit) {
    if (value > (INT_MAX - digit) / 10) return INT_MAX;
    return value * 10 + digit;
}

int growColumn(int value, int letter) {
    if (value > (INT_MAX - letter) / 26 - 1) return INT_MAX;
    return (value + 1) * 26 + letter;
}

bool isDigit(char ch) { return ch >= '0' && ch <= '9'; }
bool isLower(char ch) { return ch >= 'a' && ch <= 'z'; }

}  // namespace

char* strToLower(char* str, int maxlen) {
    GAME_ASSERT(str != NULL);
    GAME_ASSERT(maxlen > 0);
    for (int i = 0; i < maxlen && str[i] != '\0'; i++) {
        if (str[i] >= 'A' && str[i] <= 'Z') str[i] = static_cast<char>(str[i] + 32);
    }
    return str;
}

int parseNumber(const char* str, int len, int* res) {
    GAME_ASSERT(str != NULL);
    GAME_ASSERT(res != NULL);
    GAME_ASSERT(len > 0);
    int number = 0;
    int count = 0;
    for (int i = 0; i < len && str[i] != '\0'; i++) {
        if (!isDigit(str[i])) continue;
        number = growDecimal(number, str[i] - '0');
        count++;
    }
    *res = number;
    return count;
}

int parseSquare(const char* cmd, int count, int* resx, int* resy) {
    GAME_ASSERT(cmd != NULL);
    GAME_ASSERT(resx != NULL);
    GAME_ASSERT(resy != NULL);
    *resx = 0;
    *resy = 0;
    if (std::strlen(cmd) < 2) return 0;

    enum { NOTHING, LETTER, LETTER_THEN_DIGIT } state = NOTHING;
    int column = 0;
    int row = 0;
    bool anyLetter = false;
    for (int i = 0; i < count && cmd[i] != '\0'; i++) {
        char ch = cmd[i];
        if (isLower(ch)) {
            column = anyLetter ? growColumn(column, ch - 'a') : ch - 'a';
            anyLetter = true;
            if (state == NOTHING) state = LETTER;
        } else if (isDigit(ch)) {
            row = growDecimal(row, ch - '0');
            if (state == LETTER) state = LETTER_THEN_DIGIT;
        }
    }
    row -= 1;
    *resx = column;
    *resy = row;
    return state == LETTER_THEN_DIGIT && XYVALID(column, row) ? 1 : 0;
}

int squareOfText(const char* line, int* x, int* y) {
    GAME_ASSERT(line != NULL);
    // As long a line as the game ever reads.
    constexpr int LINE_BUFFER = 256;
    char buf[LINE_BUFFER];
    int len = 0;
    while (len < LINE_BUFFER - 1 && line[len] != '\0') {
        buf[len] = line[len];
        len++;
    }
    buf[len] = '\0';
    *x = 0;
    *y = 0;
    return len > 0 && parseSquare(strToLower(buf, len), len, x, y) ? 1 : 0;
}
