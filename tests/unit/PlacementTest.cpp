#include <gtest/gtest.h>

#include <limits>

#include "core/Placement.h"

namespace {
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
}  // namespace

TEST(Placement, AWindowOffEveryMonitorComesBackToTheNearestEdge) {
    const ScreenRect monitor{0, 0, 1280, 800};
    struct Case {
        int32_t left, top, width, height;
        ScreenRect expected;
    } cases[] = {
        {5000, 100, 48, 16, {1232, 100, 1280, 116}},
        {-300, -300, 48, 16, {0, 0, 48, 16}},
        {600, 900, 48, 16, {600, 784, 648, 800}},
        {600, 0, 48, 16, {600, 0, 648, 16}},
        {-10, 10, 2010, 16, {0, 10, 2010, 26}},  // wider than the area: the left edge stays visible
        // Stored values at the ends of the 32-bit range.
        {kMax, kMax, 48, 16, {1232, 784, 1280, 800}},
        {kMax - 47, kMin, 48, 16, {1232, 0, 1280, 16}},
        {kMin, kMax - 5, 48, 16, {0, 784, 48, 800}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.left << "," << c.top);
        const ScreenRect r = MoveInside(c.left, c.top, c.width, c.height, monitor);
        EXPECT_EQ(r.Left, c.expected.Left);
        EXPECT_EQ(r.Top, c.expected.Top);
        EXPECT_EQ(r.Right, c.expected.Right);
        EXPECT_EQ(r.Bottom, c.expected.Bottom);
    }
    // A monitor far out: the moved window's far edges stop at the end of the range.
    const ScreenRect far = MoveInside(0, 0, kMax, 16, {kMax - 100, 0, kMax, 800});
    EXPECT_EQ(far.Left, kMax - 100);
    EXPECT_EQ(far.Right, kMax);
}

TEST(Placement, PartlyVisibleCounts) {
    const ScreenRect monitor{0, 0, 1280, 800};
    EXPECT_TRUE(Intersects({1270, 0, 1318, 16}, monitor));
    EXPECT_FALSE(Intersects({1280, 0, 1328, 16}, monitor));
    EXPECT_TRUE(Intersects({-47, -15, 1, 1}, monitor));
    // A window stored at the end of the range is on no monitor, and computing that overflows nothing.
    EXPECT_FALSE(Intersects(RectAt(kMax, kMax, 48, 16), monitor));
    EXPECT_EQ(RectAt(kMax - 10, 0, 48, 16).Right, kMax);
}
