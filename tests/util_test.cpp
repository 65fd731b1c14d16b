#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "game/util.h"

TEST(LowerCase, ChangesOnlyCapitalsWithinTheBounds) {
    struct Row {
        std::string text;  // may hold a NUL of its own
        int maxlen;
        std::string want;
    } rows[] = {
        {"B7", 2, "b7"},
        {"@AZ[ a9\xc9", 9, "@az[ a9\xc9"},  // the neighbours of A and Z stay
        {"ABCD", 2, "abCD"},
        {std::string("AB\0CD", 5), 5, std::string("ab\0CD", 5)},
    };
    for (Row& r : rows) {
        SCOPED_TRACE(r.want);
        EXPECT_EQ(strToLower(r.text.data(), r.maxlen), r.text.data());
        EXPECT_EQ(r.text, r.want);
    }
}

TEST(ParseNumber, TakesEveryDigitAsOneNumber) {
    struct Row {
        std::string text;
        int len, value, count;
    } rows[] = {
        {"abc", 3, 0, 0}, {"007", 3, 7, 3}, {"1 2", 3, 12, 2}, {"-5", 2, 5, 1}, {"987", 2, 98, 2}, {"", 4, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        int value = -1;
        EXPECT_EQ(parseNumber(r.text.c_str(), r.len, &value), r.count);
        EXPECT_EQ(value, r.value);
    }
    // 4294967303 is 2^32 + 7: a number that wraps would pass as a menu choice.
    for (const std::string& text : {std::string("4294967303"), std::string(40, '9'), std::string(40, '1')}) {
        SCOPED_TRACE(text);
        int value = 0;
        EXPECT_EQ(parseNumber(text.c_str(), static_cast<int>(text.size()), &value), static_cast<int>(text.size()));
        EXPECT_FALSE(value >= 0 && value <= 10) << value;
    }
}

TEST(ParseSquare, NeedsALetterAToJBeforeARowOneToTen) {
    struct Row {
        std::string text;
        int count;  // -1: the whole text
        int ok, x, y;
    } rows[] = {
        {"b7", -1, 1, 1, 6}, {"j10", -1, 1, 9, 9}, {"a1", -1, 1, 0, 0}, {"b07", -1, 1, 1, 6},
        {"b 7", -1, 1, 1, 6}, {"b-7", -1, 1, 1, 6}, {"(b,7)", -1, 1, 1, 6}, {"0b5", -1, 1, 1, 4},
        {"b7\n", -1, 1, 1, 6}, {"j10", 2, 1, 9, 0}, {"b7", 1, 0, 0, 0},
        {"7b", -1, 0, 0, 0}, {"b\n", -1, 0, 0, 0}, {"b0", -1, 0, 0, 0}, {"b11", -1, 0, 0, 0},
        {"k1", -1, 0, 0, 0}, {"bb7", -1, 0, 0, 0}, {"b7c", -1, 0, 0, 0}, {"B7", -1, 0, 0, 0},
        {"1b2", -1, 0, 0, 0},
        {"b4294967297", -1, 0, 0, 0},  // 2^32 + 1: a wrapping row would be 0
        {"b" + std::string(40, '9'), -1, 0, 0, 0},
        {std::string(30, 'a') + "1", -1, 0, 0, 0},
        {std::string(30, 'z') + std::string(30, '9'), -1, 0, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text + " count " + std::to_string(r.count));
        int x = -1;
        int y = -1;
        EXPECT_EQ(parseSquare(r.text.c_str(), r.count < 0 ? static_cast<int>(r.text.size()) : r.count, &x, &y), r.ok);
        if (r.ok) {
            EXPECT_EQ(std::make_pair(x, y), std::make_pair(r.x, r.y));
        }
    }
    for (const char* text : {"", "b", "7"}) {  // too short: nothing read, zeroes left
        SCOPED_TRACE(text);
        int x = -1;
        int y = -1;
        EXPECT_EQ(parseSquare(text, 5, &x, &y), 0);
        EXPECT_EQ(std::make_pair(x, y), std::make_pair(0, 0));
    }
}
