// The timer schedule edited through the real dialogs, with real mouse and keyboard input, and found in the
// settings file after the program ended.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <regex>

#include "tests/e2e/ClockRun.h"

namespace {
class TimerDialogs {
public:
    explicit TimerDialogs(ClockRun& run) : run_(run), pid_(run.Program().Pid()) {}

    HWND OpenList() {
        list_ = run_.OpenTimerList();
        const auto views = list_ ? Driver::Children(list_, WC_LISTVIEWW) : std::vector<HWND>{};
        listView_ = views.empty() ? nullptr : views.front();
        return listView_;
    }

    // Runs a command of the list's popup menu by its access key and returns the window it opens (found by
    // caption). The menu opens by a right-click on a point of the list (which, as in every list view,
    // selects the item there) or, with no point, from the keyboard (the context-menu key) for
    // the selected item.
    HWND Command(int x, int y, WORD accessKey, const wchar_t* opens) {
        return Driver::ChooseFromMenu(
            pid_, [&] { Driver::Click(x, y, Driver::Button::Right); }, accessKey, opens);
    }
    HWND Command(WORD accessKey, const wchar_t* opens) {
        // Keys go where the focus is, which comes back to the list a moment after a dialog over it closed.
        Driver::WaitUntil([&] { return Driver::Focus(listView_) == listView_; }, Driver::DefaultTimeoutMs);
        return Driver::ChooseFromMenu(
            pid_, [] { Driver::Key(VK_APPS); }, accessKey, opens);
    }

    // Fills in the condition dialog's title and presses Enter, which its OK button answers. The menu that opened
    // it is gone, not left open (and waiting for a key) beside it.
    void Condition(HWND dialog, const std::wstring& title) const {
        ASSERT_NE(dialog, nullptr) << "the condition dialog";
        EXPECT_TRUE(Driver::MenuClosed(pid_)) << "the menu that opened it is still shown";
        EXPECT_TRUE(
            Driver::WaitUntil([&] { return GetLastActivePopup(GetAncestor(dialog, GA_ROOTOWNER)) == dialog; }, 3000))
            << "the task-bar window brings it back";
        const auto edits = Driver::Children(dialog, L"Edit");
        ASSERT_FALSE(edits.empty());
        Driver::Send(edits.front(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
        Driver::Key(VK_RETURN);
        // Gone, not only hidden: until then its modal loop takes the keys meant for the list.
        ASSERT_TRUE(Driver::WaitUntil([&] { return !IsWindow(dialog); }, 3000));
    }

    static void Press(HWND dialog, const wchar_t* caption) {
        HWND button = Driver::FindChild(dialog, L"Button", caption);
        ASSERT_NE(button, nullptr) << Driver::Utf8(caption);
        Driver::Post(button, BM_CLICK);
    }

    LRESULT Items() const { return Driver::Send(listView_, LVM_GETITEMCOUNT, 0, 0).value_or(-1); }
    LRESULT Selected() const { return Driver::Send(listView_, LVM_GETNEXTITEM, -1, LVNI_SELECTED).value_or(-2); }
    HWND List() const { return list_; }
    HWND ListView() const { return listView_; }

private:
    ClockRun& run_;
    DWORD pid_;
    HWND list_ = nullptr;
    HWND listView_ = nullptr;
};

std::string Cp932(const std::wstring& text) {
    std::string bytes(text.size() * 2, '\0');
    bytes.resize(
        static_cast<size_t>(WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                                static_cast<int>(bytes.size()), nullptr, nullptr)));
    return bytes;
}
}  // namespace

TEST(TimerDialogs, AddEditAndDeleteThroughTheRealDialogsReachTheSettingsFile) {
    ClockRun run;
    TimerDialogs dialogs(run);
    HWND listView = dialogs.OpenList();
    ASSERT_NE(listView, nullptr);
    EXPECT_EQ(dialogs.Items(), 0);
    EXPECT_TRUE(Driver::WaitUntil([&] { return GetLastActivePopup(run.App()) == dialogs.List(); }, 3000))
        << "the task-bar button brings the dialog back";
    const RECT area = Driver::WindowRect(listView);
    const auto headers = Driver::Children(listView, WC_HEADERW);
    ASSERT_FALSE(headers.empty());
    const int firstRow = Driver::WindowRect(headers.front()).bottom + 6;
    const int x = area.left + 80;

    // The list has the keyboard from the start: its menu opens from the keyboard.
    const wchar_t* condition = L"条件指定";
    dialogs.Condition(dialogs.Command('A', condition), L"朝会");
    dialogs.Condition(dialogs.Command('A', condition), L"会議,定例");  // a comma
    ASSERT_TRUE(Driver::WaitUntil([&] { return dialogs.Items() == 2; }, 3000));

    // Edit the first: select it with the mouse, change its title.
    Driver::Click(x, firstRow);
    ASSERT_TRUE(Driver::WaitUntil([&] { return dialogs.Selected() == 0; }, 3000));
    dialogs.Condition(dialogs.Command('E', condition), L"朝会 (変更)");
    ASSERT_TRUE(Driver::WaitUntil([&] { return dialogs.Items() == 2; }, 3000));

    // Delete the second, after the confirmation: a click selects the first (away from the last click, which a
    // click on the same spot so soon would make a double-click), the arrow key the second.
    Driver::Click(x + 20, firstRow);
    ASSERT_TRUE(Driver::WaitUntil([&] { return dialogs.Selected() == 0; }, 3000));
    Driver::Key(VK_DOWN);
    ASSERT_TRUE(Driver::WaitUntil([&] { return dialogs.Selected() == 1; }, 3000));
    HWND confirm = dialogs.Command('D', L"確認");
    ASSERT_NE(confirm, nullptr);
    EXPECT_TRUE(Driver::WaitUntil([&] { return GetLastActivePopup(run.App()) == confirm; }, 3000));
    TimerDialogs::Press(confirm, L"OK");
    ASSERT_TRUE(Driver::WaitUntil([&] { return dialogs.Items() == 1; }, 3000));

    // Escape closes the list, as its cancel button, once the focus is back on the list.
    ASSERT_TRUE(Driver::WaitUntil([&] { return Driver::Focus(listView) == listView; }, Driver::DefaultTimeoutMs));
    Driver::Key(VK_ESCAPE);
    ASSERT_TRUE(Driver::WaitUntil([&] { return !IsWindow(dialogs.List()) || !Driver::Visible(dialogs.List()); }, 3000));
    ASSERT_TRUE(run.Close());

    const std::string ini = run.Ini();
    const std::regex timers("\\[TimerData\\]\r\nTimerData00=" + Cp932(L"朝会 \\(変更\\)") +
                            ",0,\\d\\d:\\d\\d:\\d\\d,0\r\n$");
    EXPECT_TRUE(std::regex_search(ini, timers)) << ini;
    EXPECT_EQ(ini.find("TimerData01"), std::string::npos) << "the deleted record is gone";
    EXPECT_NE(ini.find("[TimerDlg]\r\nTop=320\r\nLeft=320\r\nWidth=53,301,65,57\r\nAliment=1,0,0,0\r\n"),
              std::string::npos)
        << ini;
}
