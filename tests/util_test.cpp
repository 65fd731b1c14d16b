#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "game/util.h"

TEST(LowerCase, ChangesOnlyCapitalsWithinTheBounds) {
    struct Row { std::string text; int maxlen; std::string want; } rows[] = {  // the neighbours of A and Z stay
        {"B7", 2, "b7"}, {"@AZ[ a9\xc9", 9, "@az[ a9\xc9"}, {"ABCD", 2, "abCD"},
        {std::string("AB\0CD", 5), 5, std::string("ab\0CD", 5)},
    };
    for (Row& r : rows) {
        SCOPED_TRACE(r.want);
        EXPECT_EQ(strToLower(r.text.data(), r.maxlen), r.text.data());
        EXPECT_EQ(r.text, r.want);
    }
}

TEST(ParseNumber, TakesEveryDigitAsOneNumber) {
    struct Row { std::string text; int len, value, count; } rows[] = {
        {"abc", 3, 0, 0}, {"007", 3, 7, 3}, {"1 2", 3, 12, 2}, {"-5", 2, 5, 1}, {"987", 2, 98, 2},
        {"4294967303", 10, -1, 10},  // 2^32 + 7, and a number past any int: no menu choice
        {std::string(40, '9'), 40, -1, 40},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        int value = 0;
        EXPECT_EQ(parseNumber(r.text.c_str(), r.len, &value), r.count);
        EXPECT_TRUE(r.value >= 0 ? value == r.value : value < 0 || value > 10) << value;
    }
}

TEST(ParseSquare, NeedsALetterAToJBeforeARowOneToTen) {
    const int NO = -1;  // not looked at
    struct Row { std::string text; int count, ok, x, y; } rows[] = {  // count -1: the whole text
        {"b7", -1, 1, 1, 6}, {"j10", -1, 1, 9, 9}, {"a1", -1, 1, 0, 0}, {"b07", -1, 1, 1, 6},
        {"(b,7)", -1, 1, 1, 6}, {"0b5", -1, 1, 1, 4}, {"b7\n", -1, 1, 1, 6}, {"j10", 2, 1, 9, 0},
        {"7b", -1, 0, NO, NO}, {"b\n", -1, 0, NO, NO}, {"b0", -1, 0, NO, NO}, {"b11", -1, 0, NO, NO},
        {"k1", -1, 0, NO, NO}, {"bb7", -1, 0, NO, NO}, {"b7c", -1, 0, NO, NO}, {"B7", -1, 0, NO, NO},
        {"1b2", -1, 0, NO, NO}, {"b7", 1, 0, NO, NO},
        {"b4294967297", -1, 0, NO, NO},  // 2^32 + 1: a wrapping row would be 0
        {"b" + std::string(40, '9'), -1, 0, NO, NO}, {std::string(30, 'a') + "1", -1, 0, NO, NO},
        {"", 5, 0, 0, 0}, {"b", 5, 0, 0, 0}, {"7", 5, 0, 0, 0},  // too short: nothing read, zeroes left
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text + " count " + std::to_string(r.count));
        int x = NO, y = NO;
        EXPECT_EQ(parseSquare(r.text.c_str(), r.count < 0 ? static_cast<int>(r.text.size()) : r.count, &x, &y), r.ok);
        EXPECT_TRUE(r.x == NO || (x == r.x && y == r.y)) << x << "," << y;
    }
}
