#include "app/MainForm.h"

#include "common/CommonCtrl.h"
#include "core/Clock.h"
#include "core/ClockText.h"
#include "core/Os.h"
#include "core/Scripts.h"
#include "forms/MainFormLayout.h"
#include "settings/MainSettings.h"
#include "settings/SetDialog_win.h"
#include "timers/TimerDlg_win.h"
#include "ui/Application.h"
#include "ui/FormUse.h"
#include "ui/Shell.h"
#include "ui/SystemLibraries.h"
#include "ui/Wide.h"

namespace {
// The error a number that is not an integer gives, quoted as the user typed it.
constexpr char NotAnIntegerFormat[] = "'%s' は有効な整数値ではありません";
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

TMainForm::~TMainForm() { RunFormDestroy(); }

void TMainForm::CreateComponents() {
    // Owned by the task-bar window: that keeps it off the task bar and out of Alt+Tab by itself, Windows counts
    // the button as active, minimises on its click, and brings a buried dialog back along this chain. Not a
    // tool window: Windows 11 does not tell a tool window that its monitor's scale changed.
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
    ApplicationEvents1.OnMinimize = [this] { ApplicationEvents1Minimize(); };
    ApplicationEvents1.OnRestore = [this] { ApplicationEvents1Restore(); };
    // Windows tells every top-level window that the session ends; the task-bar window hears it too.
    ApplicationEvents1.OnMessage = [this](UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
        if (message != WM_ENDSESSION) return false;
        result = HandleEndSession(wParam);
        return true;
    };
    // Suspend and resume reach windows reliably on standby-capable machines only when asked for.
    suspendNotification_ = PowerNotification(Handle());
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
    const std::optional<std::string> notAnInteger = LoadTimers();
    AppendLog(ProgramStartText);
    ShowTakenUpCopy();
    // The timer stays in the file as it stands, so the user can mend it; they are told once, here.
    if (notAnInteger) {
        std::string text = NotAnIntegerFormat;
        text.replace(text.find("%s"), 2, *notAnInteger);
        TApplication::Instance().ShowMessageBox(text, TApplication::Instance().Title(), MB_OK | MB_ICONERROR);
    }
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

// ---------------------------------------------------------------------------------------------------------
// Clock display

void TMainForm::Timer1Timer() {
    if (TickBusy) return;
    TickBusy = true;
    // A tick that fails is reported while it still counts as busy, so that the ticks which come while the
    // message is up are dropped instead of stacking messages of their own; the tick after it runs again.
    RunReportingErrors([this] { TickClock(); });
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
    // Without a border the window's size is its client size.
    SetBorderStyle(TBorderStyle::bsNone, Scale(CompactWidth), Scale(CompactHeight));
    LabelTime.SetLeftTop(CompactLabelLeft, CompactLabelTop);
    ShowBackColor();
}

void TMainForm::ShowBackColor() {
    // In a high-contrast theme the clock wears the system's window colours (the digits always have the window
    // text colour); the stored colour is kept and comes back when the theme ends.
    SetColor(HighContrastOn() ? kSystemColor | COLOR_WINDOW : BackColor);
    // The label has no ground of its own: it is painted anew with the window, not at its next text.
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TMainForm::FormColorsChanged() { ShowBackColor(); }

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
    POINT pointer{x, y};
    ClientToScreen(Handle(), &pointer);
    // During a drag the clock takes the DPI of the monitor under the pointer, not of the monitor that holds
    // most of it: its size then changes once, where the pointer crosses, instead of flipping at every move
    // near the edge. The grabbed point stays under the pointer at the new size.
    if (const int dpi = DpiAtPoint(pointer); dpi != Dpi()) {
        DragX = MulDiv(DragX, dpi, Dpi());
        DragY = MulDiv(DragY, dpi, Dpi());
        ChangeDpi(dpi);
    }
    SetWindowPos(Handle(), nullptr, pointer.x - DragX, pointer.y - DragY, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMainForm::FormMouseUp() {
    if (!Dragging) return;
    Dragging = false;
    // Where the clock came to rest, the monitor holding most of it decides.
    if (const int dpi = DpiForWindow(Handle()); dpi != Dpi()) ChangeDpi(dpi);
}

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

void TMainForm::SetStayOnTop(bool on) { SetFormStyle(on ? TFormStyle::fsStayOnTop : TFormStyle::fsNormal); }

// ---------------------------------------------------------------------------------------------------------
// Commands

void TMainForm::LogoutClick() { OpenDocument(LogPath(Os::ExePath())); }

void TMainForm::AddLogSleepClick() { AppendLog(SleepMarkText); }

void TMainForm::PopupHibernationClick() {
    if (TApplication::Instance().ShowMessageBox("休止状態へ移行します！", "注意", MB_OKCANCEL) == IDOK) {
        RunScript(ScriptHibernate);
    }
}

void TMainForm::RunScript(int32_t index) {
    // An index outside the table launches nothing.
    if (const std::optional<PathString> path = ScriptPath(Os::ExePath(), index)) RunFile(*path);
}

void TMainForm::SettingClick() {
    bool frontChanged = false;
    {
        TSetDialog dialog(*this, StayOnTop, TaskBarMode, BackColor);
        if (dialog.ShowModal() == mrOk) {
            const bool front = dialog.CheckBoxFront.Checked();
            frontChanged = front != StayOnTop;
            StayOnTop = front;
            TaskBarMode = dialog.TaskBarMode;
            const auto color = static_cast<uint32_t>(dialog.EditColor.Color());
            if (color != BackColor) {
                BackColor = color;
                ShowBackColor();
            }
        }
    }
    if (TApplication::Instance().Terminated()) return;  // the session ended under the dialog
    // Only once the dialog is gone: a window that owns another, even a hidden one, does not become topmost.
    if (frontChanged) SetStayOnTop(StayOnTop);
    // Whatever the answer, so that title and clock show the chosen mode at once.
    RefreshClock();
}

void TMainForm::PopupTimerClick() {
    // Destroying the dialog stores its position and column layout.
    FormUse<TTimerDlg>(TimerDlg, *this, Timers)->ShowModal();
}

// ---------------------------------------------------------------------------------------------------------
// Message map

LRESULT TMainForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_POWERBROADCAST: {
            const LRESULT answer = HandlePowerBroadcast(wParam);
            // A machine that wakes shows the time at once, not the one it went to sleep with.
            if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) RefreshClock();
            return answer;
        }
        case WM_ENDSESSION:
            return HandleEndSession(wParam);
        case WM_DPICHANGED:
            // During a drag the pointer's monitor decides (FormMouseMove); the rest waits for its end.
            if (Dragging) return 0;
            break;
        case WM_TIMECHANGE:
            // A clock that runs shows the new time at once, and its ticks follow the new seconds.
            if (Timer1.Enabled()) {
                RefreshClock();
                Timer1.SetEnabled(true);
            }
            return 0;
        default:
            break;
    }
    return TForm::WndProc(message, wParam, lParam);
}
