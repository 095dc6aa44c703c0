#include <gtest/gtest.h>

#include "core/Placement.h"

TEST(Placement, AWindowOffEveryMonitorComesBackToTheNearestEdge) {
    const ScreenRect monitor{0, 0, 1280, 800};
    struct Case {
        ScreenRect window, expected;
    } cases[] = {
        {{5000, 100, 5048, 116}, {1232, 100, 1280, 116}}, {{-300, -300, -252, -284}, {0, 0, 48, 16}},
        {{600, 900, 648, 916}, {600, 784, 648, 800}},     {{600, 0, 648, 16}, {600, 0, 648, 16}},
        {{-10, 10, 2000, 26}, {0, 10, 2010, 26}},  // wider than the area: the left edge stays visible
    };
    for (const auto& c : cases) {
        const ScreenRect r = MoveInside(c.window, monitor);
        EXPECT_EQ(r.Left, c.expected.Left);
        EXPECT_EQ(r.Top, c.expected.Top);
        EXPECT_EQ(r.Right, c.expected.Right);
        EXPECT_EQ(r.Bottom, c.expected.Bottom);
    }
}

TEST(Placement, PartlyVisibleCounts) {
    const ScreenRect monitor{0, 0, 1280, 800};
    EXPECT_TRUE(Intersects({1270, 0, 1318, 16}, monitor));
    EXPECT_FALSE(Intersects({1280, 0, 1328, 16}, monitor));
    EXPECT_TRUE(Intersects({-47, -15, 1, 1}, monitor));
}
