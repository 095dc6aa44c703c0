// The end of the Windows session while a dialog waits for the user: everything is saved and logged before
// the answer, nothing is written after it, and the process goes.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <functional>

#include "core/Os.h"
#include "core/PowerTexts.h"
#include "tests/e2e/ClockRun.h"

namespace {
constexpr char kTimer[] = "TimerData00=a,0,12:00:00,0\r\n";

HWND OpenTimerList(ClockRun& run) {
    HWND list = run.OpenTimerList();
    // At its first activation it moves to its stored place (320, 320 when none is stored).
    if (list) Driver::WaitUntil([&] { return Driver::WindowRect(list).left == 320; }, 3000);
    return list;
}

// A command of the timer list's menu for its first row, selected by a click.
HWND TimerListCommand(ClockRun& run, WORD accessKey, const wchar_t* opens) {
    HWND list = OpenTimerList(run);
    const auto views = list ? Driver::Children(list, WC_LISTVIEWW) : std::vector<HWND>{};
    if (views.empty()) return nullptr;
    const auto headers = Driver::Children(views.front(), WC_HEADERW);
    if (headers.empty()) return nullptr;
    return Driver::ChooseFromMenu(
        run.Program().Pid(),
        [&] {
            Driver::Activate(list);
            const int firstRow = Driver::WindowRect(headers.front()).bottom + 6;
            Driver::Click(Driver::WindowRect(views.front()).left + 80, firstRow);
            Driver::WaitUntil([&] { return Driver::Send(views.front(), LVM_GETNEXTITEM, -1, LVNI_SELECTED) == 0; },
                              Driver::DefaultTimeoutMs);
            Driver::Key(VK_APPS);
        },
        accessKey, opens);
}

struct OpenDialog {
    const char* name;
    std::function<HWND(ClockRun&)> open;
    bool timerList;  // the timer list is open: its layout is stored
    bool readOnly;   // the settings file refuses the save
    const char* timer = kTimer;
};

// A stored timer that cannot be read: the start tells the user, before the clock is shown.
constexpr char kUnreadableTimer[] = "TimerData00=会議,２,09:30:00,42\r\n";
}  // namespace

TEST(EndSession, WithEachDialogOpenEverythingIsSavedAndLoggedBeforeTheAnswerAndNothingAfter) {
    const OpenDialog cases[] = {
        {"settings", [](ClockRun& run) { return run.OpenSettings(); }, false, false},
        {"colour chooser",
         [](ClockRun& run) -> HWND {
             HWND settings = run.OpenSettings();
             const auto edits = settings ? Driver::Children(settings, L"Edit") : std::vector<HWND>{};
             if (edits.empty()) return nullptr;
             const RECT r = Driver::WindowRect(edits.front());
             Driver::DoubleClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
             return Driver::WaitForWindow(run.Program().Pid(), L"#32770", 5000);
         },
         false, false},
        {"timer list", OpenTimerList, true, false},
        {"timer condition", [](ClockRun& run) { return TimerListCommand(run, 'A', L"条件指定"); }, true, false},
        {"delete confirmation", [](ClockRun& run) { return TimerListCommand(run, 'D', L"確認"); }, true, false},
        {"refused-save message",
         [](ClockRun& run) {
             Driver::Post(run.Clock(), WM_CLOSE);
             return Driver::WaitForWindow(run.Program().Pid(), L"#32770", 15000);
         },
         false, true},
        {"start-up message", [](ClockRun& run) { return Driver::WaitForWindow(run.Program().Pid(), L"#32770", 15000); },
         false, false, kUnreadableTimer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string settings = std::string("[Horvane2010]\r\nFront=2\r\n[TimerData]\r\n") + c.timer;
        ClockRun run(settings, SW_SHOWNORMAL, c.timer == kTimer);
        if (c.readOnly) {
            ASSERT_TRUE(SetFileAttributesW(run.IniPath().c_str(), FILE_ATTRIBUTE_READONLY));
        }
        HWND dialog = c.open(run);
        ASSERT_NE(dialog, nullptr) << "the dialog did not open";
        // Owned, so that it has no task-bar button of its own: the boxes at the start and at the end, with no
        // clock in sight, by the task-bar window.
        const bool noClock = c.readOnly || c.timer != kTimer;
        EXPECT_EQ(Driver::Owner(dialog) == run.App(), noClock);
        EXPECT_NE(Driver::Owner(dialog), nullptr);
        // The task bar's close and minimise to the disabled task-bar window are ignored, as Windows ignores
        // system commands to a disabled window: the dialog and the clock stay.
        for (const WPARAM command : {SC_CLOSE, SC_MINIMIZE}) Driver::Send(run.App(), WM_SYSCOMMAND, command, 0);
        EXPECT_EQ(Driver::Style(run.App()) & WS_MINIMIZE, 0);
        EXPECT_TRUE(Driver::Visible(dialog));
        EXPECT_EQ(Driver::Visible(run.Clock()), !noClock) << "the clock comes after the start and goes at the end";

        EXPECT_EQ(Driver::Send(run.Clock(), WM_ENDSESSION, 1, 0, 15000), 1);
        // Answered: the files are complete now.
        const std::vector<std::string> logged{"Program Start", std::string(EndSessionText), "Program End"};
        EXPECT_EQ(run.LogTexts(), logged);
        const std::string ini = run.Ini();
        if (c.readOnly) {
            EXPECT_EQ(ini, settings);
        } else {
            EXPECT_NE(ini.find("Front=1\r\n"), std::string::npos) << ini;
            EXPECT_NE(ini.find(c.timer), std::string::npos) << "the timer is kept: " << ini;
            EXPECT_EQ(ini.find("[TimerDlg]") != std::string::npos, c.timerList) << ini;
        }
        // The dialogs unwind, the process goes, and nothing more reaches the files.
        EXPECT_TRUE(run.Ended());
        EXPECT_EQ(run.LogTexts(), logged);
        EXPECT_EQ(run.Ini(), ini);
    }
}

// With another copy holding the log's lock, the end of the session is answered well inside Windows' allowance:
// each line waits only briefly and is then written, never after the answer.
TEST(EndSession, AnotherCopyHoldingTheLogLeavesTheAnswerInsideWindowsAllowance) {
    ClockRun run;
    ASSERT_TRUE(Driver::WaitUntil([&] { return run.LogTexts().size() == 1; }, 5000));
    const HANDLE lock = CreateMutexW(nullptr, TRUE, Os::AppendLockName(run.LogPath()).c_str());
    ASSERT_NE(lock, nullptr);
    EXPECT_EQ(Driver::Send(run.App(), WM_ENDSESSION, 1, 0, 1000), 1) << "no answer within a second";
    const std::string answered = run.Log();
    ReleaseMutex(lock);
    CloseHandle(lock);
    EXPECT_TRUE(run.Program().WaitForExit(15000));
    EXPECT_EQ(run.Log(), answered) << "nothing written after the answer";
    EXPECT_EQ(run.LogTexts(), (std::vector<std::string>{"Program Start", std::string(EndSessionText), "Program End"}));
}
