// The popup menu and its shortcut, with real mouse and keyboard input.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/e2e/ClockRun.h"

TEST(Menu, CtrlTOpensTheTimerListUntilTheMenuWasFirstOpened) {
    ClockRun run;
    const RECT r = Driver::WindowRect(run.Clock());
    ASSERT_TRUE(Driver::Activate(run.Clock()));

    // Before the first menu: Ctrl+T runs the timer command, which opens the timer list.
    HWND list = run.OpenTimerList();
    ASSERT_NE(list, nullptr);
    Driver::Post(list, WM_CLOSE);
    ASSERT_TRUE(Driver::WaitUntil([&] { return !IsWindow(list); }, 5000)) << "the timer list is destroyed";

    // A right-click on the label opens the menu too; Escape closes it.
    ASSERT_NE(run.OpenMenu(), nullptr);
    Driver::Key(VK_ESCAPE);
    ASSERT_TRUE(Driver::MenuClosed(run.Program().Pid()));

    // With the keyboard on the clock, the menu key and Shift+F10 open the menu at the clock.
    for (const auto& keys : {std::vector<WORD>{VK_APPS}, std::vector<WORD>{VK_SHIFT, VK_F10}}) {
        ASSERT_TRUE(Driver::Activate(run.Clock()));
        HWND menu = Driver::OpenMenu(run.Program().Pid(), [&] { Driver::KeyChord(keys); });
        ASSERT_NE(menu, nullptr) << keys.size();
        const RECT m = Driver::WindowRect(menu);
        EXPECT_LE(std::abs(m.left - r.left), r.right - r.left);
        EXPECT_LE(std::abs(m.top - r.bottom), r.bottom - r.top);
        Driver::Key(VK_ESCAPE);
        ASSERT_TRUE(Driver::MenuClosed(run.Program().Pid()));
    }

    // From now on the timer item is disabled, and its shortcut with it.
    ASSERT_TRUE(Driver::Activate(run.Clock()));
    Driver::KeyChord({VK_CONTROL, 'T'});
    ASSERT_TRUE(run.InputHandled());
    EXPECT_EQ(Driver::FindDialog(run.Program().Pid(), L"ダイアログ", 0), nullptr);
    ASSERT_TRUE(run.Close());
}

TEST(Menu, TheMenuOpensWhenTheRightButtonIsReleasedAndEndsTheDrag) {
    ClockRun run;
    const RECT r = Driver::WindowRect(run.Clock());
    // A right-press on the margin starts a drag; released over the label, it opens the menu there.
    ASSERT_NE(Driver::OpenMenu(run.Program().Pid(),
                               [&] {
                                   Driver::PressAt(r.left + 1, r.top + 8, Driver::Button::Right);
                                   Driver::ReleaseAt(r.left + 20, r.top + 8, Driver::Button::Right);
                               }),
              nullptr);
    Driver::Key(VK_ESCAPE);
    ASSERT_TRUE(Driver::MenuClosed(run.Program().Pid()));
    // No button is held any more: moving across the margin moves nothing.
    for (int x = 4; x <= 44; x += 8) Driver::MouseMove(r.left + x, r.top + 15);
    ASSERT_TRUE(run.InputHandled());
    const RECT now = Driver::WindowRect(run.Clock());
    EXPECT_EQ(now.left, r.left);
    EXPECT_EQ(now.top, r.top);
    ASSERT_TRUE(run.Close());
}

TEST(Menu, TheLogOpensInTheSystemsTextEditorWhereNoProgramIsAssociated) {
    // Wine's prefix associates no program with ".log".
    ClockRun run;
    ASSERT_NE(run.OpenMenu(), nullptr);
    Driver::Key('L');
    HWND editor = nullptr;
    ASSERT_TRUE(Driver::WaitUntil(
        [&] {
            for (HWND w : Driver::TopWindows(0, L"Notepad")) {
                if (Driver::Visible(w) && Driver::StoredText(w).find(L"Horvane2010") != std::wstring::npos) editor = w;
            }
            return editor != nullptr;
        },
        10000));
    // Owned from here, so that a failure below does not leave it over the screen for the later cases.
    Driver::Program process = Driver::Program::Attach(Driver::ProcessOf(editor));
    const auto edits = Driver::Children(editor, L"Edit");
    ASSERT_FALSE(edits.empty());
    EXPECT_EQ(Driver::Text(edits[0]).value_or(L""), Driver::FromCodePage(run.Log(), 932));
    Driver::Post(editor, WM_CLOSE);
    EXPECT_TRUE(process.WaitForExit(5000)) << "the editor closes";
    ASSERT_TRUE(run.Close());
}
