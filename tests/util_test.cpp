#include <climits>

#include "support.h"

// A number past the largest int is held there: no menu choice, no square.
TEST(ParseNumber, TakesEveryDigitAsOneNumber) {
    struct Row { std::string text; int len, value, count; } rows[] = {
        {"abc", 3, 0, 0}, {"007", 3, 7, 3}, {"1 2", 3, 12, 2}, {"-5", 2, 5, 1}, {"987", 2, 98, 2},
        {"2147483646", 10, INT_MAX - 1, 10}, {"2147483647", 10, INT_MAX, 10}, {"2147483648", 10, INT_MAX, 10},
        {"4294967303", 10, INT_MAX, 10}, {std::string(40, '9'), 40, INT_MAX, 40},
    };
    for (const Row& r : rows) {
        int value = -1;
        EXPECT_EQ(parseNumber(r.text.c_str(), r.len, &value), r.count) << r.text;
        EXPECT_EQ(value, r.value) << r.text;
    }
}

// count -1 reads the whole text. x and y are looked at when the square is taken, and
// are 0 when the text is too short to read. 4294967297 is 2^32 + 1: no wrapping to 1.
TEST(ParseSquare, NeedsALetterAToJBeforeARowOneToTen) {
    struct Row { std::string text; int count, ok = 0, x = 0, y = 0; } rows[] = {
        {"b7", -1, 1, 1, 6}, {"j10", -1, 1, 9, 9}, {"a1", -1, 1, 0, 0}, {"b07", -1, 1, 1, 6}, {"(b,7)", -1, 1, 1, 6},
        {"0b5", -1, 1, 1, 4}, {"b7\n", -1, 1, 1, 6}, {"j10", 2, 1, 9, 0}, {"7b", -1}, {"b\n", -1}, {"b0", -1},
        {"b11", -1}, {"k1", -1}, {"bb7", -1}, {"b7c", -1}, {"B7", -1}, {"1b2", -1}, {"b7", 1}, {"b4294967297", -1},
        {"b" + std::string(40, '9'), -1}, {std::string(30, 'a') + "1", -1}, {"", 5}, {"b", 5}, {"7", 5},
    };
    for (const Row& r : rows) {
        int x = -1, y = -1;
        EXPECT_EQ(parseSquare(r.text.c_str(), r.count < 0 ? static_cast<int>(r.text.size()) : r.count, &x, &y), r.ok)
            << r.text << " count " << r.count;
        EXPECT_TRUE((!r.ok && r.text.size() > 1) || Square(x, y) == Square(r.x, r.y)) << r.text << ": " << x << "," << y;
    }
}
