// The popup menu and its shortcut, with real mouse and keyboard input.
#include <gtest/gtest.h>

#include "tests/e2e/ClockRun.h"

namespace {
HWND OpenMenu(ClockRun& run, int x, int y) {
    // A click that lands while the program is still coming back from a closed dialog may be taken for
    // activation only: one more try then.
    for (int attempt = 0; attempt < 2; ++attempt) {
        Driver::Activate(run.Clock());
        Driver::Click(x, y, Driver::Button::Right);
        if (HWND menu = Driver::WaitForWindow(run.Program().Pid(), L"#32768", 3000)) return menu;
    }
    return nullptr;
}
}  // namespace

TEST(Menu, CtrlTOpensTheTimerListUntilTheMenuWasFirstOpened) {
    ClockRun run;
    Driver::MakeProcessDpiAware();
    const RECT r = Driver::WindowRect(run.Clock());
    ASSERT_TRUE(Driver::Activate(run.Clock()));

    // Before the first menu: Ctrl+T runs the timer command, which opens the timer list.
    Driver::KeyChord({VK_CONTROL, 'T'});
    HWND list = Driver::FindDialog(run.Program().Pid(), L"ダイアログ", 5000);
    ASSERT_NE(list, nullptr);
    Driver::Post(list, WM_CLOSE);
    ASSERT_TRUE(Driver::WaitUntil([&] { return !IsWindow(list); }, 5000)) << "the timer list is destroyed";

    // A right-click on the label opens the menu too; Escape closes it.
    ASSERT_NE(OpenMenu(run, r.left + 20, r.top + 8), nullptr);
    Driver::Key(VK_ESCAPE);
    ASSERT_TRUE(Driver::WaitUntil(
        [&] {
            return Driver::TopWindows(run.Program().Pid(), L"#32768").empty() ||
                   !Driver::Visible(Driver::TopWindows(run.Program().Pid(), L"#32768")[0]);
        },
        3000));

    // From now on the timer item is disabled, and its shortcut with it.
    ASSERT_TRUE(Driver::Activate(run.Clock()));
    Driver::KeyChord({VK_CONTROL, 'T'});
    EXPECT_EQ(Driver::FindDialog(run.Program().Pid(), L"ダイアログ", 1000), nullptr);
    ASSERT_TRUE(run.Close());
}

TEST(Menu, TheMenuOpensWhenTheRightButtonIsReleasedAndEndsTheDrag) {
    ClockRun run;
    Driver::MakeProcessDpiAware();
    const RECT r = Driver::WindowRect(run.Clock());
    // While the pointer stays on the window's own surface, the right button drags too.
    Driver::MouseMove(r.left + 47, r.top + 15);
    Driver::MouseDown(Driver::Button::Right);
    Driver::MouseMove(r.left + 47, r.top + 15);
    Driver::MouseUp(Driver::Button::Right);
    HWND menu = Driver::WaitForWindow(run.Program().Pid(), L"#32768", 3000);
    ASSERT_NE(menu, nullptr);
    Driver::Key(VK_ESCAPE);
    ASSERT_TRUE(Driver::WaitUntil([&] { return !Driver::Visible(menu); }, 3000));
    // The drag ended with the menu: moving the mouse now moves nothing.
    Driver::MouseMove(r.left + 30, r.top + 10);
    EXPECT_FALSE(Driver::WaitUntil([&] { return Driver::WindowRect(run.Clock()).left != r.left; }, 300));
    ASSERT_TRUE(run.Close());
}
