// The clock window in this process, with the clock set by the test.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

#include "app/MainForm.h"
#include "core/Clock.h"
#include "core/EventLog.h"
#include "core/Os.h"
#include "core/PowerTexts.h"
#include "settings/MainSettings.h"
#include "tests/support/TestSupport.h"
#include "ui/Application.h"
#include "ui/SystemLibraries.h"
#include "tests/win/WinTestSupport.h"
#include "ui/Wide.h"

namespace {
LocalTime g_now{2024, 1, 5, 9, 5, 7, 0};
bool g_clockFails = false;
LocalTime TestNow() {
    if (g_clockFails) throw std::runtime_error("clock failed");
    return g_now;
}
std::wstring g_reported;
void RecordError(const std::wstring& text) { g_reported += text; }

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_now = {2024, 1, 5, 9, 5, 7, 0};
        DeleteFileW(SettingsPath(Os::ExePath()).c_str());
        DeleteFileW(LogPath(Os::ExePath()).c_str());
        TApplication::Instance().SetTitle("Horvane2010");
        form_ = std::make_unique<TMainForm>();
        TApplication::Instance().SetMainForm(form_.get());
    }
    void TearDown() override {
        PumpMessages();  // the focus that the task-bar window hands on later goes where it belongs, not to a later test
        form_.reset();
        DeleteFileW(SettingsPath(Os::ExePath()).c_str());
        DeleteFileW(LogPath(Os::ExePath()).c_str());
    }
    // Shows the clock the way the program's start does: first show, then activation.
    void ShowClock() {
        form_->Show();
        if (!form_->Activated) SendMessageW(form_->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
        ASSERT_TRUE(form_->Activated);
    }
    // Ctrl+T as the application's loop receives it, on the clock.
    void CtrlTThroughTheLoop() {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        MSG msg{form_->Handle(), WM_KEYDOWN, 'T', 0, 0, {}};
        TApplication::Instance().ProcessMessage(msg);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    }
    static std::string Title() { return TApplication::Instance().Title(); }
    std::string Label() const { return form_->LabelTime.Caption(); }
    static std::string Log() { return Os::ReadFileBytes(LogPath(Os::ExePath())).value_or(""); }
    void Tick(int h, int m, int s) {
        g_now = {2024, 1, 5, h, m, s, 3};
        form_->Timer1Timer();
    }

    FixedClock clock_{TestNow};
    std::unique_ptr<TMainForm> form_;
};
}  // namespace

TEST_F(MainFormTest, CreationLoadsDefaultsLogsTheStartAndLeavesTheTimerOff) {
    EXPECT_FALSE(form_->Activated);
    EXPECT_FALSE(form_->Timer1.Enabled());
    EXPECT_EQ(form_->Timer1.Interval(), 1000u);
    EXPECT_EQ(form_->SectionName, "Horvane2010");
    EXPECT_EQ(form_->Left(), 600);
    EXPECT_EQ(form_->Top(), 0);
    EXPECT_FALSE(form_->StayOnTop);
    EXPECT_EQ(form_->TaskBarMode, 0);
    EXPECT_EQ(form_->BackColor, 65408u);
    EXPECT_EQ(Title(), "Horvane2010");
    EXPECT_EQ(Log(), FormatLogLine(g_now, "Program Start"));
}

TEST_F(MainFormTest, TheFirstShowAndActivationMakeTheCompactClockAndStartIt) {
    ShowClock();
    RECT client;
    GetClientRect(form_->Handle(), &client);
    EXPECT_EQ(client.right, 48);
    EXPECT_EQ(client.bottom, 16);
    EXPECT_EQ(GetWindowLongW(form_->Handle(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
    RECT label;
    GetWindowRect(form_->LabelTime.Handle(), &label);
    MapWindowPoints(nullptr, form_->Handle(), reinterpret_cast<POINT*>(&label), 2);
    EXPECT_EQ(label.left, 2);
    EXPECT_EQ(label.top, 1);
    EXPECT_EQ(form_->Caption(), "");
    EXPECT_EQ(Title(), "09:05:07");
    EXPECT_EQ(Label(), "09:05:07");
    EXPECT_TRUE(form_->Timer1.Enabled());
    // Later activations repeat nothing of the first.
    g_now.Second = 30;
    form_->Timer1.SetEnabled(false);
    SendMessageW(form_->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    TApplication::Instance().SetActiveForm(nullptr);
    SendMessageW(form_->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(Title(), "09:05:07");
    EXPECT_FALSE(form_->Timer1.Enabled());
}

TEST_F(MainFormTest, TitleModesOnEveryTick) {
    ShowClock();
    struct Step {
        int mode, h, m, s;
        const char* title;
    } steps[] = {
        {0, 9, 5, 8, "09:05:08"}, {1, 9, 5, 9, "09:05"},                         // a new mode shows at the next tick
        {1, 9, 6, 0, "09:06"},    {1, 9, 6, 1, "09:06"}, {1, 9, 7, 2, "09:07"},  // a missed second 0
        {2, 9, 7, 3, "09"},       {2, 9, 59, 59, "09"},  {2, 10, 0, 0, "10"},
        {3, 10, 0, 1, "10"},      {-1, 10, 0, 2, "10"},  // other modes leave the title alone
        {0, 0, 0, 0, "00:00:00"}, {1, 0, 0, 0, "00:00"}, {2, 0, 0, 0, "00"},
    };
    for (const auto& step : steps) {
        form_->TaskBarMode = step.mode;
        Tick(step.h, step.m, step.s);
        char label[16];
        snprintf(label, sizeof label, "%02d:%02d:%02d", step.h, step.m, step.s);
        EXPECT_EQ(Title(), step.title) << step.mode << " " << label;
        EXPECT_EQ(Label(), label) << "the label runs in every mode";
    }
}

TEST_F(MainFormTest, TickBusyDropsATickAndMinimisedLeavesTheLabel) {
    ShowClock();
    form_->TickBusy = true;
    Tick(9, 5, 20);
    EXPECT_EQ(Title(), "09:05:07");
    EXPECT_EQ(Label(), "09:05:07");
    form_->TickBusy = false;
    form_->Minimized = true;
    Tick(9, 5, 21);
    EXPECT_EQ(Title(), "09:05:21");
    EXPECT_EQ(Label(), "09:05:07");
    // RefreshClock writes both, minimised or not, whatever the second.
    form_->TaskBarMode = 1;
    g_now.Second = 33;
    form_->RefreshClock();
    EXPECT_EQ(Title(), "09:05");
    EXPECT_EQ(Label(), "09:05:33");
    // A tick that fails is reported once and leaves nothing busy: the next tick shows its second.
    form_->Minimized = false;
    g_reported.clear();
    SetErrorReporter(RecordError);
    g_clockFails = true;
    EXPECT_NO_THROW(form_->Timer1Timer());
    g_clockFails = false;
    SetErrorReporter(nullptr);
    EXPECT_EQ(g_reported, L"clock failed");
    Tick(9, 5, 40);
    EXPECT_EQ(Label(), "09:05:40");
}

// Windows hides the owned clock itself when the task-bar window is minimised and shows it again before the
// restore's WM_SIZE arrives (WM_SHOWWINDOW with SW_PARENTCLOSING, SW_PARENTOPENING; Wine does neither unless
// asked, and ShowOwnedPopups sends the same messages). In either order, and after a restore to maximised, the
// clock is back, ticking, and the task-bar window is plain again.
TEST_F(MainFormTest, AMinimiseAndRestoreInEitherOrderBringTheClockBackTicking) {
    ShowClock();
    TApplication& app = TApplication::Instance();
    struct Case {
        const char* name;
        bool windowsOrder, maximizedFirst;
    } cases[] = {{"Wine's order", false, false}, {"Windows' order", true, false}, {"to maximised", true, true}};
    int second = 10;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.maximizedFirst) ShowWindow(app.Handle(), SW_MAXIMIZE);
        if (c.windowsOrder) ShowOwnedPopups(app.Handle(), FALSE);
        app.Minimize();
        EXPECT_FALSE(IsWindowVisible(form_->Handle()));
        EXPECT_TRUE(form_->Minimized);
        if (c.windowsOrder) ShowOwnedPopups(app.Handle(), TRUE);
        app.Restore();
        PumpMessages();
        EXPECT_TRUE(IsWindowVisible(form_->Handle()));
        EXPECT_FALSE(form_->Minimized);
        EXPECT_FALSE(IsZoomed(app.Handle()) || IsIconic(app.Handle()));
        Tick(9, 6, ++second);
        EXPECT_EQ(Label(), "09:06:" + std::to_string(second));
    }
}

TEST_F(MainFormTest, PowerAndSessionMessagesLogExactLinesAndRestartTheTimer) {
    struct Case {
        WPARAM code;
        const char* text;
    } cases[] = {
        {0x4, "PBT_APMSUSPEND::システムが待機状態になろうとしている"},
        {0x9, "PBT_APMBATTERLOW::バッテリ電力が低下した"},
        {0x8013, "default::不明なメッセージ"},
    };
    std::string expected = FormatLogLine(g_now, "Program Start");
    for (const auto& c : cases) {
        EXPECT_FALSE(form_->Timer1.Enabled());
        EXPECT_EQ(SendMessageW(form_->Handle(), WM_POWERBROADCAST, c.code, 0), 0);
        expected += FormatLogLine(g_now, c.text);
        EXPECT_EQ(Log(), expected);
        // The handler leaves the timer on, even when it was off before (here: before the first activation).
        EXPECT_TRUE(form_->Timer1.Enabled());
        form_->Timer1.SetEnabled(false);
    }
    EXPECT_EQ(SendMessageW(form_->Handle(), WM_ENDSESSION, 0, 0), 1);
    EXPECT_EQ(Log(), expected) << "a session end that was called off writes nothing";
    EXPECT_TRUE(form_->Timer1.Enabled());
}

// No tick runs here while the test does not pump: what the title and the label show, only the handler wrote.
TEST_F(MainFormTest, ATimeChangeOrAWakingMachineShowsTheTimeAtOnce) {
    ShowClock();
    form_->TaskBarMode = 1;
    const std::pair<UINT, WPARAM> events[] = {
        {WM_TIMECHANGE, 0}, {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC}, {WM_POWERBROADCAST, PBT_APMRESUMESUSPEND}};
    int minute = 10;
    for (const auto& [message, wParam] : events) {
        g_now = {2024, 1, 5, 10, ++minute, 30, 0};
        TApplication::Instance().SetTitle("stale");
        form_->LabelTime.SetCaption("stale");
        SendMessageW(form_->Handle(), message, wParam, 0);
        const std::string shown = "10:" + std::to_string(minute);
        EXPECT_EQ(Title(), shown) << message << " " << wParam;
        EXPECT_EQ(Label(), shown + ":30") << message << " " << wParam;
    }
}

// A broadcast while the end's refused-write message waits for the user is logged before "Program End", and
// the timer stays off; once the session's end has run the whole shut-down, a broadcast writes nothing.
TEST_F(MainFormTest, APowerBroadcastDuringTheEndComesBeforeItAndAfterTheEndWritesNothing) {
    const std::wstring ini = SettingsPath(Os::ExePath());
    WriteSettingsFile(kDefaultSettings);
    ASSERT_TRUE(SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY));
    form_->TaskBarMode = 2;  // something to save
    TMainForm* form = form_.get();
    bool timerOn = true;
    {
        ModalScript script({[&] {
            HWND box = FindShownWindow(L"#32770");
            if (!box) return false;
            EXPECT_EQ(SendMessageW(form->Handle(), WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0), 0);
            timerOn = form->Timer1.Enabled();
            ClickDialogButton(box, IDOK);
            return true;
        }});
        form_.reset();
        EXPECT_TRUE(script.Done() && !script.TimedOut()) << "the refused write was reported";
    }
    SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(timerOn);
    EXPECT_EQ(Log(), FormatLogLine(g_now, "Program Start") +
                         FormatLogLine(g_now, PowerEventText(PBT_APMPOWERSTATUSCHANGE)) +
                         FormatLogLine(g_now, "Program End"));

    DeleteFileW(LogPath(Os::ExePath()).c_str());
    form_ = std::make_unique<TMainForm>();
    TApplication::Instance().SetMainForm(form_.get());
    ShowClock();
    EXPECT_EQ(SendMessageW(form_->Handle(), WM_ENDSESSION, 1, 0), 1);
    const std::string ended = Log();
    EXPECT_EQ(SendMessageW(form_->Handle(), WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0), 0);
    EXPECT_EQ(Log(), ended);
    EXPECT_FALSE(form_->Timer1.Enabled());
    MSG quit;  // the session's end stopped the application's loop, which this process has not got
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST_F(MainFormTest, TheMenuShowsFiveEntriesAndCtrlTStopsWithTheFirstOpening) {
    EXPECT_TRUE(form_->PopupTimer.Enabled) << "Ctrl+T works until the menu was first opened";
    MenuHandle menu = form_->PopupMenu1.BuildShownMenu();
    std::vector<std::wstring> shown;
    for (int i = 0; i < GetMenuItemCount(menu.get()); ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        wchar_t text[64] = L"";
        info.fMask = MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 64;
        GetMenuItemInfoW(menu.get(), static_cast<UINT>(i), TRUE, &info);
        shown.push_back((info.fType & MFT_SEPARATOR) ? L"-" : text);
    }
    EXPECT_EQ(shown, (std::vector<std::wstring>{Widen("ログ表示(&L)"), L"-", Widen("最小化(&M)"), Widen("設定(&S)"),
                                                Widen("終了(&X)")}));
    for (TMenuItem* item : {&form_->PopupTimer, &form_->AddLogSleep, &form_->PopupHibernation}) {
        EXPECT_FALSE(item->Visible);
        EXPECT_FALSE(item->Enabled);
    }
    EXPECT_EQ(form_->PopupTimer.ShortCut, 16468);
}

TEST_F(MainFormTest, StayOnTopSwitchesBothWaysWithoutMovingOrActivatingTheClock) {
    ShowClock();
    RECT before;
    GetWindowRect(form_->Handle(), &before);
    HWND other =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    for (const bool on : {true, true, false, true, false}) {
        form_->SetStayOnTop(on);
        EXPECT_EQ((GetWindowLongW(form_->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, on);
        EXPECT_EQ(GetActiveWindow(), other);
    }
    DestroyWindow(other);
    RECT after;
    GetWindowRect(form_->Handle(), &after);
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(MainFormTest, ADragFollowsThePointFirstGrabbedAndEndsWhereverTheButtonWasReleased) {
    ShowClock();
    HWND clock = form_->Handle();
    const int left = form_->Left();
    const int top = form_->Top();
    SendMessageW(clock, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 8));
    SendMessageW(clock, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(31, 18));  // as the window stands: 30, 10 on
    EXPECT_EQ(form_->Left(), left + 30);
    EXPECT_EQ(form_->Top(), top + 10);
    // A DPI change in the middle of the drag (the clock half across the edge of a monitor of another scale)
    // neither moves nor resizes it: the monitor under the pointer decides, so the size does not flip at each
    // move, and the grabbed point stays under the pointer.
    RECT elsewhere{700, 100, 772, 124};
    SendMessageW(clock, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&elsewhere));
    SendMessageW(clock, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(11, 18));
    RECT dragged;
    GetWindowRect(clock, &dragged);
    EXPECT_EQ(dragged.left, left + 40);
    EXPECT_EQ(dragged.top, top + 20);
    EXPECT_EQ(dragged.right - dragged.left, 48);
    EXPECT_EQ(form_->Dpi(), 96) << "at the release, the DPI of the monitor that holds the clock";
    // A release, a move with no button held (the release reached another window), a cancelled mode, a lost
    // capture: the next move drags nothing.
    const UINT endings[] = {WM_LBUTTONUP, WM_MOUSEMOVE, WM_CANCELMODE, WM_CAPTURECHANGED};
    for (const UINT message : endings) {
        SendMessageW(clock, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 8));
        SendMessageW(clock, message, 0, MAKELPARAM(1, 8));
        EXPECT_NE(GetCapture(), clock) << message;
        const int now = form_->Left();
        SendMessageW(clock, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(21, 8));
        EXPECT_EQ(form_->Left(), now) << message;
    }
    // A double-click that minimises leaves nothing armed for the clock's return.
    SendMessageW(clock, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(1, 8));
    EXPECT_FALSE(IsWindowVisible(clock));
    EXPECT_TRUE(form_->Minimized);
    TApplication::Instance().Restore();
    EXPECT_TRUE(IsWindowVisible(clock));
    EXPECT_FALSE(form_->Minimized);
    EXPECT_FALSE(form_->Dragging);
    EXPECT_NE(GetCapture(), clock);
}

TEST_F(MainFormTest, DestructionSavesTheSettingsAndLogsTheEndLast) {
    form_->TaskBarMode = 2;
    form_->StayOnTop = true;
    form_->BackColor = 0xFF;
    form_.reset();
    EXPECT_EQ(Os::ReadFileBytes(SettingsPath(Os::ExePath())).value_or(""),
              "[Horvane2010]\r\nTop=0\r\nLeft=600\r\nFront=1\r\nTaskBar=2\r\nColor=255\r\n");
    EXPECT_EQ(Log(), FormatLogLine(g_now, "Program Start") + FormatLogLine(g_now, "Program End"));
}

TEST_F(MainFormTest, MovingToA150PercentMonitorScalesTheClockAndItsFont) {
    ShowClock();
    RECT label96;
    GetClientRect(form_->LabelTime.Handle(), &label96);
    RECT suggested{600, 0, 672, 24};
    SendMessageW(form_->Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT r;
    GetWindowRect(form_->Handle(), &r);
    EXPECT_EQ(r.right - r.left, 72);
    EXPECT_EQ(r.bottom - r.top, 24);
    RECT label;
    GetWindowRect(form_->LabelTime.Handle(), &label);
    EXPECT_EQ(label.left - r.left, 3);
    EXPECT_EQ(label.top - r.top, 2);
    EXPECT_GT(label.right - label.left, label96.right) << "the label follows its larger font";
    LOGFONTW font{};
    GetObjectW(form_->Font(), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, MulDiv(-11, 144, 96));
}

TEST_F(MainFormTest, AFailureInsideTheCtrlTCommandIsReportedAndTheLoopGoesOn) {
    form_->PopupTimer.OnClick = [] { throw std::runtime_error("timer list failed"); };
    TApplication::Instance().SetActiveForm(form_.get());
    g_reported.clear();
    SetErrorReporter(RecordError);
    EXPECT_NO_THROW(CtrlTThroughTheLoop());
    SetErrorReporter(nullptr);
    EXPECT_EQ(g_reported, L"timer list failed");
}

// On Windows a handler that returns with an activation context of its own still active ends the program: each
// dialog, opened from the loop (Ctrl+T) or from inside the clock's menu, leaves the thread's context as found.
TEST_F(MainFormTest, OpeningEachDialogFromTheKeyboardOrTheMenuLeavesTheActivationContextAsFound) {
    ShowClock();
    const auto current = [] {
        HANDLE context = nullptr;
        GetCurrentActCtx(&context);
        if (context) ReleaseActCtx(context);
        return context;
    };
    // A step that acts once its window is there: a key pressed, or the dialog closed.
    const auto when = [](std::function<HWND()> window, std::function<void(HWND)> act) {
        return [=] {
            HWND hwnd = window();
            if (hwnd) act(hwnd);
            return hwnd != nullptr;
        };
    };
    const auto close = [](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); };
    HWND clock = form_->Handle();
    const HANDLE before = current();
    {
        ModalScript script({when([] { return FindShownWindow(L"TTimerDlg"); }, close)});
        CtrlTThroughTheLoop();
        EXPECT_TRUE(script.Done() && !script.TimedOut()) << "the timer list";
    }
    EXPECT_EQ(current(), before) << "Ctrl+T";
    ModalScript script({when([clock] { return GetActiveWindow() == clock ? clock : nullptr; },
                             [](HWND) { Driver::KeyChord({VK_APPS}); }),
                        when([] { return FindShownWindow(L"#32768"); }, [](HWND) { Driver::KeyChord({'S'}); }),
                        when([] { return FindShownWindow(L"TSetDialog"); }, close)});
    SetForegroundWindow(clock);
    const DWORD end = GetTickCount() + 5000;
    while (!script.Done() && static_cast<LONG>(GetTickCount() - end) < 0) {
        PumpMessages();
        Sleep(10);
    }
    EXPECT_TRUE(script.Done() && !script.TimedOut()) << "the settings dialog from the menu";
    EXPECT_EQ(current(), before) << "the menu";
}

// In a high-contrast theme the clock wears the system's window colour while the theme lasts, read from the
// screen at its margin; the stored colour comes back after it and is what the settings file keeps. Wine cannot
// switch the theme on: the query answers as Windows would, and the messages come as Windows sends them.
TEST_F(MainFormTest, AHighContrastThemeGivesTheClockTheWindowColourAndKeepsTheStoredOne) {
    ShowClock();
    const auto margin = [this] {
        HDC screen = GetDC(nullptr);
        const COLORREF pixel = GetPixel(screen, form_->Left(), form_->Top());
        ReleaseDC(nullptr, screen);
        return pixel;
    };
    const std::pair<bool, UINT> steps[] = {
        {true, WM_SETTINGCHANGE}, {false, WM_SYSCOLORCHANGE}, {true, WM_THEMECHANGED}, {false, WM_SETTINGCHANGE}};
    for (const auto& [on, message] : steps) {
        SetHighContrastForTesting(on ? 1 : 0);
        SendMessageW(form_->Handle(), message, message == WM_SETTINGCHANGE ? SPI_SETHIGHCONTRAST : 0, 0);
        const COLORREF expected = on ? GetSysColor(COLOR_WINDOW) : RGB(128, 255, 0);
        const DWORD end = GetTickCount() + 3000;
        while (margin() != expected && static_cast<LONG>(GetTickCount() - end) < 0) {
            PumpMessages();
            Sleep(10);
        }
        EXPECT_EQ(margin(), expected) << on << " " << message;
    }
    SetHighContrastForTesting(-1);
    EXPECT_EQ(form_->BackColor, 65408u);
}
