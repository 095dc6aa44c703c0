// The clock at the system's DPI: every size is designed at 96 pixels per inch and scales with the DPI.
// The test run does this at 96 and again in a prefix set to 144 DPI (150 %).
#include <gtest/gtest.h>

#include "tests/e2e/ClockRun.h"

TEST(Dpi, TheClockAndItsLabelScaleInProportion) {
    Driver::MakeProcessDpiAware();
    const int dpi = static_cast<int>(GetDpiForSystem());
    ClockRun run;
    const RECT r = Driver::WindowRect(run.Clock());
    EXPECT_EQ(r.right - r.left, MulDiv(48, dpi, 96)) << dpi << " dpi";
    EXPECT_EQ(r.bottom - r.top, MulDiv(16, dpi, 96));
    EXPECT_EQ(r.left, 600) << "stored positions are screen pixels at any DPI";
    const RECT label = Driver::WindowRect(run.Label());
    EXPECT_EQ(label.left - r.left, MulDiv(2, dpi, 96));
    EXPECT_EQ(label.top - r.top, MulDiv(1, dpi, 96));
    // The time fits across the clock (the font's line height may reach past the bottom margin).
    EXPECT_LE(label.right, r.right);
    EXPECT_GE(label.bottom - label.top, MulDiv(12, dpi, 96)) << "the font scales too";
    ASSERT_TRUE(run.Close());
}
