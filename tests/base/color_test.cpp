#include "base/color.h"

#include <gtest/gtest.h>

TEST(Color, ChannelsClampAndRoundHalfUp) {
    EXPECT_EQ(packChannel(1.0f), 255u);
    EXPECT_EQ(packChannel(7.5f), 255u);
    EXPECT_EQ(packChannel(0.0f), 0u);
    EXPECT_EQ(packChannel(-0.3f), 0u);
    EXPECT_EQ(packChannel(0.5f), 128u);        // 127.5 + 0.5
    EXPECT_EQ(packChannel(0.999f), 255u);      // 254.745 + 0.5
    EXPECT_EQ(packChannel(1.0f / 255.0f), 1u); // exactly one step
    EXPECT_EQ(packChannel(0.0019f), 0u);       // 0.48 rounds down
}

TEST(Color, PackingOrderIsAlphaRedGreenBlue) {
    EXPECT_EQ(packColor(1.0f, 0.0f, 0.0f, 1.0f), 0xFFFF0000u);
    EXPECT_EQ(packColor(0.0f, 1.0f, 0.0f, 0.0f), 0x0000FF00u);
    EXPECT_EQ(packColor(0.0f, 0.0f, 1.0f, 0.5f), 0x800000FFu);
    EXPECT_EQ(packColor(0.2f, 0.4f, 0.6f, 0.8f), 0xCC336699u);
}
