// The real clock, started in a folder of its own and driven from this process.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/PowerTexts.h"
#include "tests/e2e/ClockRun.h"

namespace {
std::wstring WaitForClockTitle(ClockRun& run) {
    std::wstring title;
    Driver::WaitUntil(
        [&] {
            title = run.Title();
            return IsClockText(title);
        },
        5000);
    return title;
}

bool Topmost(HWND window) { return (Driver::ExStyle(window) & WS_EX_TOPMOST) != 0; }

// Clicks the middle of a window once it is the window there (a dialog may show before it stands in place).
void ClickCentre(HWND window) {
    POINT centre{};
    Driver::WaitUntil(
        [&] {
            const RECT r = Driver::WindowRect(window);
            centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            return WindowFromPoint(centre) == window;
        },
        Driver::DefaultTimeoutMs);
    Driver::Click(centre.x, centre.y);
}
}  // namespace

TEST(Clock, FirstRunShowsTheCompactClockTicksAndSavesDefaults) {
    ClockRun run;
    const RECT r = Driver::WindowRect(run.Clock());
    EXPECT_EQ(r.left, 600);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 48);
    EXPECT_EQ(r.bottom - r.top, 16);
    EXPECT_EQ(Driver::Style(run.Clock()) & (WS_CAPTION | WS_THICKFRAME), 0);
    // Owned by the window that carries the title, which alone has the task-bar button (Wine here runs
    // without a task bar: owner and styles are what can be read). The owner alone keeps it off the task bar.
    EXPECT_EQ(Driver::Owner(run.Clock()), run.App());
    EXPECT_EQ(Driver::ExStyle(run.Clock()) & (WS_EX_TOOLWINDOW | WS_EX_APPWINDOW), 0);
    EXPECT_TRUE(Driver::WaitUntil([&] { return Driver::Text(run.Clock()) == L""; }, Driver::DefaultTimeoutMs))
        << "the caption is cleared at the first activation";

    // The title and the label show the time, and the title moves on with the clock.
    ASSERT_TRUE(run.Ticks()) << Driver::Utf8(run.Title());
    EXPECT_TRUE(IsClockText(Driver::Text(run.Label()).value_or(L"")));
    const RECT label = Driver::WindowRect(run.Label());
    EXPECT_EQ(label.left - r.left, 2);
    EXPECT_EQ(label.top - r.top, 1);

    // The ground shows at the margin: red 128, green 255, blue 0.
    EXPECT_TRUE(Driver::WaitUntil([&] { return Driver::ScreenPixel(r.left, r.top) == RGB(128, 255, 0); }, 3000));

    ASSERT_TRUE(run.Close());
    EXPECT_EQ(run.LogTexts(), (std::vector<std::string>{"Program Start", "Program End"}));
    EXPECT_EQ(run.Ini(), kDefaultSettings);
}

TEST(Clock, StoredSettingsAreAppliedAndWrittenBack) {
    ClockRun run("[Horvane2010]\r\nTop=120\r\nLeft=300\r\nFront=2\r\nTaskBar=1\r\nColor=0xFF\r\n[Other]\r\nk=v\r\n");
    const RECT r = Driver::WindowRect(run.Clock());
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 120);
    EXPECT_TRUE(Driver::WaitUntil([&] { return (Driver::ExStyle(run.Clock()) & WS_EX_TOPMOST) != 0; }, 3000))
        << "Front=2 keeps the clock on top";
    std::wstring title;
    EXPECT_TRUE(Driver::WaitUntil(
        [&] {
            title = run.Title();
            return title.size() == 5 && title[2] == L':';
        },
        3000))
        << "title mode 1 shows hours and minutes: " << Driver::Utf8(title);
    EXPECT_TRUE(Driver::WaitUntil([&] { return Driver::ScreenPixel(r.left, r.top) == RGB(255, 0, 0); }, 3000))
        << "the stored colour, once drawn";
    ASSERT_TRUE(run.Close());
    EXPECT_EQ(run.Ini(),
              "[Horvane2010]\r\nTop=120\r\nLeft=300\r\nFront=1\r\nTaskBar=1\r\nColor=255\r\n[Other]\r\nk=v\r\n");
}

TEST(Clock, AClockStoredOffEveryMonitorComesBackOnTheNearestOne) {
    ClockRun run("[Horvane2010]\r\nTop=5000\r\nLeft=-4000\r\n");
    const RECT r = Driver::WindowRect(run.Clock());
    EXPECT_EQ(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.bottom, GetSystemMetrics(SM_CYSCREEN));
    ASSERT_TRUE(run.Close());
}

TEST(Clock, EveryPowerBroadcastIsLoggedAndAnsweredWithZero) {
    ClockRun run;
    const WPARAM codes[] = {0x0, 0x1, 0x2, 0x3, 0x4, 0x5, 0x6, 0x7, 0x8, 0x9, 0xA, 0xB, 0xC, 0x11, 0x12, 0x8013};
    std::vector<std::string> expected{"Program Start"};
    for (WPARAM code : codes) {
        EXPECT_EQ(Driver::Send(run.Clock(), WM_POWERBROADCAST, code, 0), 0) << code;
        expected.emplace_back(PowerEventText(code));
    }
    EXPECT_TRUE(run.Ticks()) << "after the handlers switched the timer off and on";
    ASSERT_TRUE(run.Close());
    expected.emplace_back("Program End");
    EXPECT_EQ(run.LogTexts(), expected);
}

TEST(Clock, TheEndOfTheSessionSavesAndLogsOnceWhicheverWindowHearsItFirst) {
    for (bool appFirst : {true, false}) {
        SCOPED_TRACE(appFirst ? "task-bar window first" : "clock window first");
        ClockRun run;
        WaitForClockTitle(run);
        // Called off: no line, the answer is still 1, and the clock runs on.
        EXPECT_EQ(Driver::Send(run.Clock(), WM_ENDSESSION, 0, 0), 1);
        HWND first = appFirst ? run.App() : run.Clock();
        HWND second = appFirst ? run.Clock() : run.App();
        EXPECT_EQ(Driver::Send(first, WM_QUERYENDSESSION, 0, 0), 1);
        EXPECT_EQ(Driver::Send(second, WM_QUERYENDSESSION, 0, 0), 1);
        EXPECT_EQ(Driver::Send(first, WM_ENDSESSION, 1, 0, 15000), 1);
        // By the time the first window has answered, everything is on disk.
        EXPECT_EQ(run.LogTexts(),
                  (std::vector<std::string>{"Program Start", std::string(EndSessionText), "Program End"}));
        EXPECT_EQ(run.Ini(), kDefaultSettings);
        Driver::Send(second, WM_ENDSESSION, 1, 0, 2000);
        EXPECT_TRUE(run.Ended());
        EXPECT_EQ(run.LogTexts(),
                  (std::vector<std::string>{"Program Start", std::string(EndSessionText), "Program End"}));
    }
}

TEST(Clock, AStartWithAMinimisedShowCommandKeepsTheClockHiddenAndTheTitleUntilRestored) {
    ClockRun run("", SW_SHOWMINNOACTIVE, false);
    HWND clock = run.Clock();
    ASSERT_NE(clock, nullptr);
    EXPECT_TRUE(Driver::WaitUntil([&] { return (Driver::Style(run.App()) & WS_MINIMIZE) != 0; }, 5000));
    EXPECT_FALSE(Driver::Visible(clock));
    // Nothing ticks: the title stays as set at start while two whole seconds begin.
    for (int boundary = 0; boundary < 2; ++boundary) {
        const auto second = [] {
            SYSTEMTIME now;
            GetLocalTime(&now);
            return now.wSecond;
        };
        const WORD started = second();
        ASSERT_TRUE(Driver::WaitUntil([&] { return second() != started; }, 2000));
    }
    ASSERT_TRUE(Driver::Send(run.App(), WM_NULL, 0, 0));
    EXPECT_EQ(run.Title(), L"Horvane2010");
    Driver::Send(run.App(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(Driver::WaitUntil([&] { return Driver::Visible(clock); }, 5000));
    EXPECT_TRUE(IsClockText(WaitForClockTitle(run)));
    const RECT r = Driver::WindowRect(clock);
    EXPECT_EQ(r.right - r.left, 48);
    ASSERT_TRUE(run.Close());
    EXPECT_EQ(run.LogTexts(), (std::vector<std::string>{"Program Start", "Program End"}));
}

TEST(Clock, AMaximisedOrAnyOtherStartCommandGivesThePlainClockAndAnUnseenTaskBarWindow) {
    // Windows puts the start's show command in place of the program's first ShowWindow; Wine does not, so
    // here these rows show that the program's own reading of it leaves nothing zoomed or hidden.
    for (const int show : {SW_SHOWMAXIMIZED, SW_HIDE, SW_SHOWNA}) {
        SCOPED_TRACE(show);
        ClockRun run("", show);
        ASSERT_NE(run.Clock(), nullptr);
        const RECT r = Driver::WindowRect(run.Clock());
        EXPECT_EQ(r.right - r.left, 48);
        EXPECT_EQ(r.bottom - r.top, 16);
        EXPECT_TRUE(Driver::Visible(run.App()));
        EXPECT_EQ(Driver::Style(run.App()) & (WS_MAXIMIZE | WS_MINIMIZE), 0);
        const RECT app = Driver::WindowRect(run.App());
        EXPECT_TRUE(IsRectEmpty(&app));
        ASSERT_TRUE(run.Close());
    }
}

TEST(Clock, DraggingTheMarginMovesTheClockByExactlyThePointersTravel) {
    ClockRun run;
    const RECT r = Driver::WindowRect(run.Clock());
    // Left margin: client x 0..1. The label starts at x 2.
    ASSERT_TRUE(Driver::Drag(Driver::Button::Left, r.left + 1, r.top + 8, r.left + 101, r.top + 58, 10));
    EXPECT_TRUE(Driver::WaitUntil([&] { return Driver::WindowRect(run.Clock()).left == r.left + 100; }, 3000));
    RECT moved = Driver::WindowRect(run.Clock());
    EXPECT_EQ(moved.left, r.left + 100);
    EXPECT_EQ(moved.top, r.top + 50);
    // On the label nothing moves.
    ASSERT_TRUE(Driver::Drag(Driver::Button::Left, moved.left + 20, moved.top + 8, moved.left + 80, moved.top + 48));
    ASSERT_TRUE(run.InputHandled());
    EXPECT_EQ(Driver::WindowRect(run.Clock()).left, moved.left);
    ASSERT_TRUE(run.Close());
    EXPECT_NE(run.Ini().find("Top=50\r\nLeft=700\r\n"), std::string::npos) << run.Ini();
}

TEST(Clock, MinimiseAndRestoreHideAndShowTheClockWhoeverAsksAndADoubleClickLeavesNoDrag) {
    ClockRun run;
    const RECT r = Driver::WindowRect(run.Clock());
    const auto label = [&] { return Driver::Text(run.Label()).value_or(L""); };
    const auto labelRuns = [&] {
        const std::wstring shown = label();
        return Driver::WaitUntil([&] { return label() != shown; }, 3000);
    };
    ASSERT_TRUE(Driver::DoubleClick(r.left + 20, r.top + 8));
    ASSERT_TRUE(run.InputHandled()) << "a double-click on the label leaves the clock shown";
    ASSERT_TRUE(Driver::DoubleClick(r.left + 1, r.top + 8));
    EXPECT_TRUE(Driver::WaitUntil([&] { return !Driver::Visible(run.Clock()); }, 3000));
    EXPECT_TRUE(Driver::WaitUntil([&] { return (Driver::Style(run.App()) & WS_MINIMIZE) != 0; }, 3000));
    EXPECT_TRUE(run.Ticks()) << "the title goes on ticking while minimised";

    // Back through the task-bar button's command: the label runs again, and no drag was left armed.
    Driver::Send(run.App(), WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_TRUE(Driver::WaitUntil([&] { return Driver::Visible(run.Clock()); }, 3000));
    EXPECT_TRUE(labelRuns());
    Driver::MouseMove(r.left + 1, r.top + 3);
    Driver::MouseMove(r.left + 1, r.top + 12);
    ASSERT_TRUE(run.InputHandled());
    EXPECT_EQ(Driver::WindowRect(run.Clock()).top, r.top);

    // Another program minimising and restoring the application is followed the same way.
    ShowWindow(run.App(), SW_MINIMIZE);
    EXPECT_TRUE(Driver::WaitUntil([&] { return !Driver::Visible(run.Clock()); }, 3000));
    // The label rests while the title, set by the same tick, moves on.
    const std::wstring rested = label();
    const std::wstring minimisedTitle = run.Title();
    EXPECT_TRUE(Driver::WaitUntil([&] { return run.Title() != minimisedTitle; }, 3000));
    ASSERT_TRUE(Driver::Send(run.Clock(), WM_NULL, 0, 0));  // that tick is over
    EXPECT_EQ(label(), rested) << "the label rests while the application is minimised";
    ShowWindow(run.App(), SW_RESTORE);
    EXPECT_TRUE(Driver::WaitUntil([&] { return Driver::Visible(run.Clock()); }, 3000));
    EXPECT_TRUE(labelRuns());

    // In Windows' order: the system hides the owned clock before the minimise and shows it again before the
    // restore's WM_SIZE reaches the task-bar window.
    Driver::Send(run.Clock(), WM_SHOWWINDOW, FALSE, SW_PARENTCLOSING);
    Driver::Send(run.App(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(Driver::WaitUntil([&] { return (Driver::Style(run.App()) & WS_MINIMIZE) != 0; }, 3000));
    Driver::Send(run.Clock(), WM_SHOWWINDOW, TRUE, SW_PARENTOPENING);
    Driver::Send(run.App(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(Driver::WaitUntil([&] { return Driver::Visible(run.Clock()); }, 3000));
    EXPECT_TRUE(labelRuns()) << "the label runs again after a restore in Windows' order";
    ASSERT_TRUE(run.Close());
}

TEST(Clock, StayOnTopFromTheSettingsDialogTakesBothWaysUnderTheDialog) {
    ClockRun run("[Horvane2010]\r\nFront=1\r\n");
    ASSERT_TRUE(Driver::WaitUntil([&] { return Topmost(run.Clock()); }, 3000)) << "from the stored setting";
    for (const bool on : {false, true}) {
        SCOPED_TRACE(on ? "ticked" : "unticked");
        HWND dialog = run.OpenSettings();
        ASSERT_NE(dialog, nullptr);
        // Modal over the clock, and above it, topmost or not; the task-bar button brings it back.
        EXPECT_NE(Driver::Style(run.Clock()) & WS_DISABLED, 0);
        EXPECT_TRUE(Driver::WaitUntil([&] { return GetLastActivePopup(run.App()) == dialog; }, 3000))
            << GetLastActivePopup(run.App()) << " " << dialog << " " << run.Clock();
        const auto windows = Driver::TopWindows(run.Program().Pid());
        EXPECT_LT(std::find(windows.begin(), windows.end(), dialog),
                  std::find(windows.begin(), windows.end(), run.Clock()));
        HWND box = Driver::FindChild(dialog, L"Button", L"常に手前に表示する");
        ClickCentre(box);
        ASSERT_TRUE(Driver::WaitUntil([&] { return Driver::Send(box, BM_GETCHECK, 0, 0) == (on ? 1 : 0); }, 5000));
        ClickCentre(Driver::FindChild(dialog, L"Button", L"OK"));
        ASSERT_TRUE(Driver::WaitUntil([&] { return !IsWindow(dialog); }, 5000));
        EXPECT_TRUE(Driver::WaitUntil([&] { return Topmost(run.Clock()) == on; }, 3000));
    }
    ASSERT_TRUE(run.Close());
    EXPECT_NE(run.Ini().find("Front=1\r\n"), std::string::npos) << run.Ini();
}

TEST(Clock, OKWithANewColourShowsItOnTheWholeClockAtOnce) {
    ClockRun run;
    const RECT r = Driver::WindowRect(run.Clock());
    const RECT label = Driver::WindowRect(run.Label());
    // The margin, and points of the label's ground along its top and bottom rows, once the clock is drawn.
    std::vector<POINT> ground;
    ASSERT_TRUE(Driver::WaitUntil(
        [&] {
            ground = {{r.left, r.top}};
            for (const LONG y : {label.top, label.bottom - 1}) {
                for (LONG x = label.left; x < label.right; x += 4) {
                    if (Driver::ScreenPixel(x, y) == RGB(128, 255, 0)) ground.push_back({x, y});
                }
            }
            return ground.size() > 5u;
        },
        3000));
    HWND dialog = run.OpenSettings();
    ASSERT_NE(dialog, nullptr);
    const auto edits = Driver::Children(dialog, L"Edit");
    ASSERT_EQ(edits.size(), 1u);
    const RECT box = Driver::WindowRect(edits[0]);
    Driver::DoubleClick((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    // The chooser starts on black, so its OK gives black.
    HWND chooser = nullptr;
    ASSERT_TRUE(Driver::WaitUntil(
        [&] {
            for (HWND w : Driver::TopWindows(run.Program().Pid(), L"#32770")) {
                if (Driver::Visible(w) && Driver::Owner(w) == dialog) chooser = w;
            }
            return chooser != nullptr;
        },
        5000));
    ClickCentre(Driver::FindChild(chooser, L"Button", L"OK"));
    ASSERT_TRUE(Driver::WaitUntil([&] { return !IsWindow(chooser); }, 5000));
    ClickCentre(Driver::FindChild(dialog, L"Button", L"OK"));
    // No tick repaints the margin: black there is the whole clock redrawn, however long the way here took.
    EXPECT_TRUE(Driver::WaitUntil(
        [&] {
            return std::all_of(ground.begin(), ground.end(),
                               [](POINT p) { return Driver::ScreenPixel(p.x, p.y) == RGB(0, 0, 0); });
        },
        Driver::DefaultTimeoutMs))
        << [&] {
               std::string seen;
               for (const POINT p : ground) {
                   const COLORREF c = Driver::ScreenPixel(p.x, p.y);
                   if (c != RGB(0, 0, 0)) {
                       seen += std::to_string(p.x) + "," + std::to_string(p.y) + " is " + std::to_string(c) + " on " +
                               Driver::Utf8(Driver::ClassName(WindowFromPoint(p))) + "; ";
                   }
               }
               return seen;
           }();
    ASSERT_TRUE(run.Close());
    EXPECT_NE(run.Ini().find("Color=0\r\n"), std::string::npos) << run.Ini();
}

// What the title and the label show after these messages is checked in the form tests, where no tick can
// come between; here, that they cross from the system as it sends them and are logged in order.
TEST(Clock, ATimeChangeAndAWakingMachineAreAnsweredAndLoggedInOrder) {
    ClockRun run;
    const std::pair<UINT, WPARAM> events[] = {
        {WM_TIMECHANGE, 0}, {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC}, {WM_POWERBROADCAST, PBT_APMRESUMESUSPEND}};
    for (const auto& [message, wParam] : events) EXPECT_EQ(Driver::Send(run.Clock(), message, wParam, 0), 0) << wParam;
    EXPECT_TRUE(run.Ticks());
    ASSERT_TRUE(run.Close());
    EXPECT_EQ(run.LogTexts(), (std::vector<std::string>{"Program Start", std::string(PowerEventText(0x12)),
                                                        std::string(PowerEventText(0x7)), "Program End"}));
}
