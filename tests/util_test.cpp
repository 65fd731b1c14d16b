#include <gtest/gtest.h>

#include "game/util.h"

TEST(ParseSquare, ReadsALetterThenARow) {
    int x = -1;
    int y = -1;
    EXPECT_EQ(parseSquare("b7", 2, &x, &y), 1);
    EXPECT_EQ(x, 1);
    EXPECT_EQ(y, 6);
}
