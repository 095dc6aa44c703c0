#include <gtest/gtest.h>

#include "core/MenuLayout.h"

namespace {
MenuEntryState Item(bool visible = true) { return {false, visible}; }
MenuEntryState Separator(bool visible = true) { return {true, visible}; }
}  // namespace

TEST(MenuLayout, TheClockMenuAfterItsThreeItemsAreHidden) {
    // Log, N3, Timer(hidden), N1, Hibernation(hidden), Minimise, Settings, End, N2, Sleep mark(hidden)
    const std::vector<MenuEntryState> items = {Item(), Separator(), Item(false), Separator(), Item(false),
                                               Item(), Item(),      Item(),      Separator(), Item(false)};
    EXPECT_EQ(ShownMenuItems(items), (std::vector<size_t>{0, 3, 5, 6, 7}));
}

TEST(MenuLayout, SeparatorsNeverStandFirstLastOrTwice) {
    struct Case {
        std::vector<MenuEntryState> items;
        std::vector<size_t> shown;
    } cases[] = {
        {{}, {}},
        {{Separator(), Separator()}, {}},
        {{Separator(), Item(), Separator()}, {1}},
        {{Item(), Separator(), Separator(), Item()}, {0, 2, 3}},
        {{Item(), Separator(), Item(false), Separator(false), Item()}, {0, 1, 4}},
        {{Item(false), Item(false)}, {}},
        {{Item(), Separator(), Item()}, {0, 1, 2}},
    };
    for (const auto& c : cases) EXPECT_EQ(ShownMenuItems(c.items), c.shown);
}

TEST(MenuLayout, ShortCutTexts) {
    EXPECT_EQ(ShortCutText(16468), "Ctrl+T");
    EXPECT_EQ(ShortCutText(0), "");
    EXPECT_EQ(ShortCutText(0x2000 | 0x4000 | 'A'), "Shift+Ctrl+A");
    EXPECT_EQ(ShortCutText(0x8000 | 0x73), "Alt+F4");
}
