#include <gtest/gtest.h>

#include "core/Text.h"

using namespace rigvane;

TEST(FreqText, FormatsFixedWidth) {
    EXPECT_EQ(FreqToText(14550000), "0145.50000 ");
    EXPECT_EQ(FreqToText(0), "0000.00000 ");
    EXPECT_EQ(FreqToText(1), "0000.00001 ");
    EXPECT_EQ(FreqToText(999999999), "9999.99999 ");
    // Out-of-range values keep the fixed width instead of growing or going negative.
    EXPECT_EQ(FreqToText(-5), "0000.00000 ");
    EXPECT_EQ(FreqToText(2000000000), "9999.99999 ");
}
