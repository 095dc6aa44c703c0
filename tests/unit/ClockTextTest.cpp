#include <gtest/gtest.h>

#include "core/ClockText.h"

namespace {
LocalTime At(int h, int m, int s, int ms = 0) { return {2024, 1, 5, h, m, s, ms}; }
}  // namespace

TEST(ClockText, TitleFormatsByMode) {
    EXPECT_EQ(TitleText(0, At(9, 5, 7)), "09:05:07");
    EXPECT_EQ(TitleText(1, At(9, 5, 7)), "09:05");
    EXPECT_EQ(TitleText(2, At(9, 5, 7)), "09");
    EXPECT_EQ(TitleText(3, At(9, 5, 7)), std::nullopt);
    EXPECT_EQ(TitleText(-1, At(9, 5, 7)), std::nullopt);
    EXPECT_EQ(LabelText(At(0, 0, 0)), "00:00:00");
    EXPECT_EQ(TitleText(1, At(0, 0, 0)), "00:00");
    EXPECT_EQ(TitleText(2, At(0, 0, 0)), "00");
}

TEST(ClockText, TickWritesModeZeroAlwaysAndOtherModesOnlyWhenTheTextChanges) {
    EXPECT_EQ(TickTitle(0, At(9, 5, 7), "09:05:07"), "09:05:07");
    // Second 0 always writes, as it always did.
    EXPECT_EQ(TickTitle(1, At(9, 5, 0), "09:05"), "09:05");
    EXPECT_EQ(TickTitle(2, At(10, 0, 0), "09"), "10");
    // Within the minute nothing changes.
    EXPECT_EQ(TickTitle(1, At(9, 5, 1), "09:05"), std::nullopt);
    EXPECT_EQ(TickTitle(2, At(9, 5, 59), "09"), std::nullopt);
    // A tick that missed second 0 still brings the new minute or hour.
    EXPECT_EQ(TickTitle(1, At(9, 6, 1), "09:05"), "09:06");
    EXPECT_EQ(TickTitle(2, At(10, 0, 1), "09"), "10");
    EXPECT_EQ(TickTitle(1, At(9, 5, 30), "Horvane2010"), "09:05");
    EXPECT_EQ(TickTitle(7, At(9, 5, 0), "Horvane2010"), std::nullopt);
}

TEST(ClockText, NextTickLandsJustAfterTheSecond) {
    EXPECT_EQ(MillisecondsToNextSecond(At(9, 0, 0, 0)), 1002u);
    EXPECT_EQ(MillisecondsToNextSecond(At(9, 0, 0, 998)), 4u);
    EXPECT_EQ(MillisecondsToNextSecond(At(9, 0, 0, 999), 5), 6u);
}
