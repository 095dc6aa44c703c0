// The popup menu and its shortcut, with real mouse and keyboard input.
#include <gtest/gtest.h>

#include <cstdlib>

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
            // One listing: the menu window may go between two.
            const auto menus = Driver::TopWindows(run.Program().Pid(), L"#32768");
            return menus.empty() || !Driver::Visible(menus[0]);
        },
        3000));

    // With the keyboard on the clock, the menu key and Shift+F10 open the menu at the clock.
    for (const auto& keys : {std::vector<WORD>{VK_APPS}, std::vector<WORD>{VK_SHIFT, VK_F10}}) {
        ASSERT_TRUE(Driver::Activate(run.Clock()));
        Driver::KeyChord(keys);
        HWND menu = Driver::WaitForWindow(run.Program().Pid(), L"#32768", 3000);
        ASSERT_NE(menu, nullptr) << keys.size();
        const RECT m = Driver::WindowRect(menu);
        EXPECT_LE(std::abs(m.left - r.left), r.right - r.left);
        EXPECT_LE(std::abs(m.top - r.bottom), r.bottom - r.top);
        Driver::Key(VK_ESCAPE);
        ASSERT_TRUE(Driver::WaitUntil([&] { return !Driver::Visible(menu); }, 3000));
    }

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
    // A right-press on the margin starts a drag; released over the label, it opens the menu there.
    Driver::MouseMove(r.left + 1, r.top + 8);
    Driver::MouseDown(Driver::Button::Right);
    Driver::MouseMove(r.left + 20, r.top + 8);
    Driver::MouseUp(Driver::Button::Right);
    HWND menu = Driver::WaitForWindow(run.Program().Pid(), L"#32768", 3000);
    ASSERT_NE(menu, nullptr);
    Driver::Key(VK_ESCAPE);
    ASSERT_TRUE(Driver::WaitUntil([&] { return !Driver::Visible(menu); }, 3000));
    // No button is held any more: moving across the margin moves nothing.
    for (int x = 4; x <= 44; x += 8) Driver::MouseMove(r.left + x, r.top + 15);
    EXPECT_FALSE(Driver::WaitUntil(
        [&] {
            const RECT now = Driver::WindowRect(run.Clock());
            return now.left != r.left || now.top != r.top;
        },
        300));
    ASSERT_TRUE(run.Close());
}

TEST(Menu, TheLogOpensInTheSystemsTextEditorWhereNoProgramIsAssociated) {
    // Wine's prefix associates no program with ".log".
    ClockRun run;
    Driver::MakeProcessDpiAware();
    const RECT r = Driver::WindowRect(run.Clock());
    ASSERT_NE(OpenMenu(run, r.left + 20, r.top + 8), nullptr);
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
    const auto edits = Driver::Children(editor, L"Edit");
    ASSERT_FALSE(edits.empty());
    EXPECT_EQ(Driver::Text(edits[0]).value_or(L""), Driver::FromCodePage(run.Log(), 932));
    // Closed again, and its process with it.
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, Driver::ProcessOf(editor));
    Driver::Post(editor, WM_CLOSE);
    if (process) {
        if (WaitForSingleObject(process, 5000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
        CloseHandle(process);
    }
    ASSERT_TRUE(run.Close());
}
