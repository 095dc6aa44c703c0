#include "app/MainForm.h"

#include "ui/SystemLibraries.h"

#include "common/CommonCtrl.h"
#include "core/Clock.h"
#include "core/ClockText.h"
#include "core/EventLog.h"
#include "core/Os.h"
#include "core/Placement.h"
#include "core/PowerTexts.h"
#include "core/Scripts.h"
#include "forms/MainFormLayout.h"
#include "settings/IniFile.h"
#include "settings/MainSettings.h"
#include "ui/Application.h"
#include "ui/Wide.h"

namespace {
// The error the settings file gives when the system refuses a write.
constexpr char WriteErrorFormat[] = "%s に書き込めません";

ScreenRect WindowScreenRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return {r.left, r.top, r.right, r.bottom};
}
}  // namespace

TMainForm::TMainForm()
    : Logout(PopupMenu1Design[0].Caption),
      N3(PopupMenu1Design[1].Caption),
      PopupTimer(PopupMenu1Design[2].Caption, PopupMenu1Design[2].ShortCut),
      N1(PopupMenu1Design[3].Caption),
      PopupHibernation(PopupMenu1Design[4].Caption),
      Minimize(PopupMenu1Design[5].Caption),
      Setting(PopupMenu1Design[6].Caption),
      PopupEnd(PopupMenu1Design[7].Caption),
      N2(PopupMenu1Design[8].Caption),
      AddLogSleep(PopupMenu1Design[9].Caption) {
    CreateComponents();
    FormCreate();
}

TMainForm::~TMainForm() {
    FormDestroy();
    TApplication& app = TApplication::Instance();
    app.OnMinimize = nullptr;
    app.OnRestore = nullptr;
    app.OnMessage = nullptr;
}

void TMainForm::CreateComponents() {
    CreateForm(MainFormDesign, TApplication::Instance().Handle(), false);
    LabelTime.Create(*this, Handle(), LabelTimeBounds, LabelTimeSample);
    PopupMenu1.Items = {&Logout,   &N3,      &PopupTimer, &N1, &PopupHibernation,
                        &Minimize, &Setting, &PopupEnd,   &N2, &AddLogSleep};
    PopupMenu1.OnPopup = [this] { PopupMenu1Popup(); };
    PopupMenu1.OnChange = [this] { PopupMenu1Change(); };
    Logout.OnClick = [this] { LogoutClick(); };
    PopupTimer.OnClick = [this] { PopupTimerClick(); };
    PopupHibernation.OnClick = [this] { PopupHibernationClick(); };
    Minimize.OnClick = [this] { MinimizeClick(); };
    Setting.OnClick = [this] { SettingClick(); };
    PopupEnd.OnClick = [this] { PopupEndClick(); };
    AddLogSleep.OnClick = [this] { AddLogSleepClick(); };
    SetPopupMenu(&PopupMenu1);
    Timer1.OnTimer = [this] { Timer1Timer(); };
    // Each tick lands just after the wall clock's second changes, so the clock is never up to a second late. No
    // margin: a tick that comes a little early finds the old second, shows nothing new and is re-armed for
    // the millisecond left.
    Timer1.SetAlignment([] { return MillisecondsToNextSecond(Now(), 0); });
    TApplication& app = TApplication::Instance();
    app.OnMinimize = [this] { ApplicationEvents1Minimize(); };
    app.OnRestore = [this] { ApplicationEvents1Restore(); };
    // Windows tells every top-level window that the session ends; the task-bar window hears it too.
    app.OnMessage = [this](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        if (message != WM_ENDSESSION) return false;
        result = HandleEndSession(wParam);
        return true;
    };
    // Suspend and resume reach windows reliably on standby-capable machines only when asked for.
    suspendNotification_ = RegisterSuspendResumeLate(Handle());
}

// ---------------------------------------------------------------------------------------------------------
// Lifecycle

void TMainForm::FormCreate() {
    Timer1.SetEnabled(false);
    Timer1.SetInterval(1000);
    Activated = false;
    TickBusy = false;
    g = new TCommonCtrl;
    SectionName = kMainSectionName;
    LoadSettings();
    LoadTimers();
    AppendLog(ProgramStartText);
}

void TMainForm::FormShow() {
    if (!Activated) ApplyCompactLayout();
}

void TMainForm::FormActivate() {
    if (!Activated) {
        SetCaption("");
        TickBusy = false;
        RefreshClock();
        Timer1.SetEnabled(true);
        Activated = true;
    }
    if (StayOnTop) SetStayOnTop(true);
}

void TMainForm::FormDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    Timer1.SetEnabled(false);
    if (suspendNotification_) {
        UnregisterSuspendResumeLate(suspendNotification_);
        suspendNotification_ = nullptr;
    }
    // A refused write does not cut shut-down short: the timers are still attempted, the helper object is
    // still freed and the end is still logged.
    SaveSettings();
    SaveTimers();
    delete g;
    g = nullptr;
    AppendLog(ProgramEndText);
}

// ---------------------------------------------------------------------------------------------------------
// Clock display

void TMainForm::Timer1Timer() {
    if (TickBusy) return;
    TickBusy = true;
    TickClock();
    TickBusy = false;
}

void TMainForm::SetTitle(const std::string& text) { TApplication::Instance().SetTitle(text); }

void TMainForm::TickClock() {
    const LocalTime now = Now();
    if (auto title = TickTitle(TaskBarMode, now, TApplication::Instance().Title())) SetTitle(*title);
    if (!Minimized) LabelTime.SetCaption(LabelText(now));
}

void TMainForm::RefreshClock() {
    const LocalTime now = Now();
    if (auto title = TitleText(TaskBarMode, now)) SetTitle(*title);
    LabelTime.SetCaption(LabelText(now));
}

void TMainForm::ApplyCompactLayout() {
    SetBorderStyle(TBorderStyle::bsNone);
    SetWindowPos(Handle(), nullptr, 0, 0, Scale(CompactWidth), Scale(CompactHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    LabelTime.SetLeftTop(CompactLabelLeft, CompactLabelTop);
    SetColor(BackColor);
}

void TMainForm::FormDpiChanged() {
    // The suggested rectangle scales the whole window; the clock keeps its designed proportions.
    if (Activated || BorderStyle() == TBorderStyle::bsNone) {
        SetWindowPos(Handle(), nullptr, 0, 0, Scale(CompactWidth), Scale(CompactHeight),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// ---------------------------------------------------------------------------------------------------------
// Window interaction

void TMainForm::FormMouseDown(int x, int y) {
    Dragging = true;
    DragX = x;
    DragY = y;
}

void TMainForm::FormMouseMove(int x, int y) {
    if (!Dragging) return;
    SetLeft(Left() + (x - DragX));
    SetTop(Top() + (y - DragY));
}

void TMainForm::FormMouseUp() { Dragging = false; }

void TMainForm::FormDblClick() { TApplication::Instance().Minimize(); }

void TMainForm::MinimizeClick() {
    TApplication::Instance().Minimize();
    RefreshClock();
}

void TMainForm::PopupEndClick() { Close(); }

void TMainForm::PopupMenu1Popup() {
    PopupTimer.Visible = false;
    PopupTimer.Enabled = false;
    AddLogSleep.Visible = false;
    AddLogSleep.Enabled = false;
    PopupHibernation.Visible = false;
    PopupHibernation.Enabled = false;
}

void TMainForm::ApplicationEvents1Minimize() { Minimized = true; }

void TMainForm::ApplicationEvents1Restore() { Minimized = false; }

void TMainForm::SetStayOnTop(bool on) {
    const bool topmost = (GetWindowLongW(Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (topmost == on) return;
    SetWindowPos(Handle(), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

// ---------------------------------------------------------------------------------------------------------
// Commands

void TMainForm::LogoutClick() {
    const std::wstring path = LogPath(Os::ExePath());
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.lpVerb = L"open";
    info.lpFile = path.c_str();
    info.nShow = SW_SHOW;
    ShellExecuteExLate(&info);
}

void TMainForm::AddLogSleepClick() { AppendLog(SleepMarkText); }

void TMainForm::PopupHibernationClick() {
    if (TApplication::Instance().ShowMessageBox("休止状態へ移行します！", "注意", MB_OKCANCEL) == IDOK) {
        RunScript(ScriptHibernate);
    }
}

void TMainForm::RunScript(int32_t index) {
    // An index outside the table launches nothing.
    const std::optional<PathString> path = ScriptPath(Os::ExePath(), index);
    if (!path) return;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.lpFile = path->c_str();
    info.nShow = SW_SHOW;
    ShellExecuteExLate(&info);
}

// ---------------------------------------------------------------------------------------------------------
// Event log, settings and timer records

void TMainForm::AppendLog(std::string_view text) { AppendLogLine(LogPath(Os::ExePath()), text); }

void TMainForm::LoadSettings() {
    TIniFile ini(SettingsPath(Os::ExePath()));
    MainSettings settings;
    LoadMainSettings(ini, SectionName, settings);
    SetTop(settings.Top);
    SetLeft(settings.Left);
    StayOnTop = settings.StayOnTop;
    TaskBarMode = settings.TaskBarMode;
    BackColor = settings.BackColor;

    // A clock stored wholly outside every monitor (one that was unplugged) comes back on the nearest one.
    const ScreenRect clock{settings.Left, settings.Top, settings.Left + Scale(CompactWidth),
                           settings.Top + Scale(CompactHeight)};
    const RECT rc{clock.Left, clock.Top, clock.Right, clock.Bottom};
    if (!MonitorFromRect(&rc, MONITOR_DEFAULTTONULL)) {
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        GetMonitorInfoW(MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST), &mi);
        const ScreenRect placed = MoveInside(clock, {mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom});
        SetTop(placed.Top);
        SetLeft(placed.Left);
    }
}

bool TMainForm::SaveSettings() {
    TIniFile ini(SettingsPath(Os::ExePath()));
    MainSettings settings;
    const ScreenRect r = WindowScreenRect(Handle());
    settings.Top = r.Top;
    settings.Left = r.Left;
    settings.StayOnTop = StayOnTop;
    settings.TaskBarMode = TaskBarMode;
    settings.BackColor = BackColor;
    SaveMainSettings(ini, SectionName, settings);
    if (ini.UpdateFile()) return true;
    ShowWriteError(ini.FileName());
    return false;
}

void TMainForm::LoadTimers() {
    TIniFile ini(SettingsPath(Os::ExePath()));
    ::LoadTimers(ini, Timers);
}

bool TMainForm::SaveTimers() {
    TIniFile ini(SettingsPath(Os::ExePath()));
    ::SaveTimers(ini, Timers);
    if (ini.UpdateFile()) return true;
    ShowWriteError(ini.FileName());
    return false;
}

void TMainForm::ShowWriteError(const PathString& path) {
    // Once per shut-down, and never at the end of the Windows session, when nobody could answer it.
    if (writeErrorShown_ || quietShutdown_) return;
    writeErrorShown_ = true;
    std::wstring text = Widen(WriteErrorFormat);
    text.replace(text.find(L"%s"), 2, path);
    HWND owner = IsWindowVisible(Handle()) ? Handle() : nullptr;
    UseVisualStyles();
    MessageBoxW(owner, text.c_str(), Widen(TApplication::Instance().Title()).c_str(), MB_OK | MB_ICONERROR);
}

// ---------------------------------------------------------------------------------------------------------
// Power and session messages

LRESULT TMainForm::HandlePowerBroadcast(WPARAM wParam) {
    Timer1.SetEnabled(false);
    AppendLog(PowerEventText(wParam));
    Timer1.SetEnabled(true);
    return 0;
}

LRESULT TMainForm::HandleEndSession(WPARAM wParam) {
    Timer1.SetEnabled(false);
    if (wParam == 1 && !sessionEnded_) {
        sessionEnded_ = true;
        AppendLog(EndSessionText);
        // Windows ends the process as soon as the messages are answered: save and log the end first.
        quietShutdown_ = true;
        FormDestroy();
        TApplication::Instance().Terminate();
    }
    if (!sessionEnded_) Timer1.SetEnabled(true);
    return 1;
}

LRESULT TMainForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    switch (message) {
        case WM_POWERBROADCAST:
            return HandlePowerBroadcast(wParam);
        case WM_ENDSESSION:
            return HandleEndSession(wParam);
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            // A left press holds the mouse until release, so a fast drag does not lose the window.
            SetCapture(Handle());
            if (message == WM_LBUTTONDBLCLK) FormDblClick();
            FormMouseDown(x, y);
            return 0;
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            FormMouseDown(x, y);
            return 0;
        case WM_MOUSEMOVE:
            FormMouseMove(x, y);
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() == Handle()) ReleaseCapture();
            FormMouseUp();
            return 0;
        case WM_MBUTTONUP:
            FormMouseUp();
            return 0;
        case WM_RBUTTONUP: {
            // The popup menu opens on release; the drag ends when it has closed.
            const LRESULT result = DefaultProc(message, wParam, lParam);
            FormMouseUp();
            return result;
        }
        default:
            break;
    }
    return TForm::WndProc(message, wParam, lParam);
}
