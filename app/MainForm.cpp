#include "app/MainForm.h"

#include "ui/SystemLibraries.h"

#include "common/CommonCtrl.h"
#include "core/Clock.h"
#include "core/ClockText.h"
#include "core/EventLog.h"
#include "core/Os.h"
#include "core/PowerTexts.h"
#include "core/Scripts.h"
#include "forms/MainFormLayout.h"
#include "settings/MainSettings.h"
#include "timers/TimerDlg_win.h"
#include "ui/Application.h"
#include "ui/Wide.h"

namespace {
// The error a number that is not an integer gives, quoted as the user typed it.
constexpr char NotAnIntegerFormat[] = "'%s' は有効な整数値ではありません";

// Ends a dialog of this thread that waits for the user: a form of the program's own takes the answer Cancel,
// a system dialog (a message box, the colour chooser) is cancelled as by Escape. Their loops return once the
// message being handled is answered.
BOOL CALLBACK CancelDialog(HWND hwnd, LPARAM) {
    if (auto* form = dynamic_cast<TForm*>(TWindow::FromHandle(hwnd))) {
        if (form->IsModal()) form->SetModalResult(mrCancel);
        return TRUE;
    }
    wchar_t className[8] = L"";
    if (GetClassNameW(hwnd, className, 8) && lstrcmpW(className, L"#32770") == 0) {
        SendMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
    }
    return TRUE;
}

// The editor is taken by its full path in the system folders, never found by a search.
void OpenInTextEditor(const std::wstring& path) {
    using FolderFunction = UINT(WINAPI*)(LPWSTR, UINT);
    for (const FolderFunction folder : {FolderFunction{GetSystemDirectoryW}, FolderFunction{GetWindowsDirectoryW}}) {
        wchar_t dir[MAX_PATH];
        const UINT length = folder(dir, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) continue;
        const std::wstring editor = std::wstring(dir, length) + L"\\notepad.exe";
        if (GetFileAttributesW(editor.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        std::wstring command = L"\"" + editor + L"\" \"" + path + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(editor.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        return;
    }
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
    // Owned by the task-bar window: Windows counts the button as active, minimises on its click, and brings a
    // buried dialog back along this chain. A tool window too, so that it never shows in Alt+Tab by itself.
    CreateForm(MainFormDesign, TApplication::Instance().Handle(), false);
    SetWindowLongW(Handle(), GWL_EXSTYLE, GetWindowLongW(Handle(), GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
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
    const std::optional<std::string> notAnInteger = LoadTimers();
    AppendLog(ProgramStartText);
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

void TMainForm::FormDestroy() {
    // Each step runs once, in order, whoever comes first: the end of the program, or the end of the session,
    // which may arrive while a step waits for the user (the refused-write message) and then runs the rest.
    // A refused write does not cut shut-down short: the timers are still attempted, the helper object is
    // still freed and the end is still logged.
    while (shutdownStep_ < kShutdownSteps) {
        switch (shutdownStep_++) {
            case 0:
                Timer1.SetEnabled(false);
                if (suspendNotification_) {
                    UnregisterSuspendResumeLate(suspendNotification_);
                    suspendNotification_ = nullptr;
                }
                break;
            case 1:
                SaveSettings();
                break;
            case 2:
                SaveTimers();
                break;
            case 3:
                delete g;
                g = nullptr;
                break;
            default:
                AppendLog(ProgramEndText);
                break;
        }
    }
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

void TMainForm::EndDrag() {
    FormMouseUp();
    if (GetCapture() == Handle()) ReleaseCapture();
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

void TMainForm::SetStayOnTop(bool on) {
    const bool topmost = (GetWindowLongW(Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (topmost == on) return;
    // Windows takes the switch either way. Under Wine an owned window stays topmost while its owner is the
    // next window below it: without its owner for the moment of the switch, it takes there too.
    HWND owner = on ? nullptr : GetWindow(Handle(), GW_OWNER);
    if (owner) SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, 0);
    SetWindowPos(Handle(), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    if (owner) SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}

// ---------------------------------------------------------------------------------------------------------
// Commands

void TMainForm::LogoutClick() {
    const std::wstring path = LogPath(Os::ExePath());
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = path.c_str();
    info.nShow = SW_SHOW;
    if (ShellExecuteExLate(&info)) return;
    // Where no program is associated with the log's type, the system's own text editor shows it.
    if (GetLastError() == ERROR_NO_ASSOCIATION || info.hInstApp == reinterpret_cast<HINSTANCE>(SE_ERR_NOASSOC)) {
        OpenInTextEditor(path);
    }
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
// Event log

void TMainForm::AppendLog(std::string_view text) { AppendLogLine(LogPath(Os::ExePath()), text); }

// ---------------------------------------------------------------------------------------------------------
// Power and session messages

LRESULT TMainForm::HandlePowerBroadcast(WPARAM wParam) {
    if (shutdownStep_ >= kShutdownSteps) return 0;  // nothing follows "Program End"
    Timer1.SetEnabled(false);
    // Windows waits for the answer: the line waits for another copy's line only briefly.
    AppendLogLine(LogPath(Os::ExePath()), PowerEventText(wParam), LogLockWaitForBroadcast);
    if (shutdownStep_ == 0) Timer1.SetEnabled(true);
    return 0;
}

LRESULT TMainForm::HandleEndSession(WPARAM wParam) {
    Timer1.SetEnabled(false);
    if (wParam == 1 && !sessionEnded_ && shutdownStep_ < kShutdownSteps) {  // nothing follows "Program End"
        sessionEnded_ = true;
        AppendLogLine(LogPath(Os::ExePath()), EndSessionText, LogLockWaitForBroadcast);
        // Windows ends the process as soon as the messages are answered: save and log the end first. Open
        // dialogs, whose loops lie below on the stack, are ended before that (their answer is Cancel) and the
        // timer list stores its layout now; when the loops unwind afterwards nothing more is written.
        quietShutdown_ = true;
        EnumThreadWindows(GetCurrentThreadId(), CancelDialog, 0);
        if (TimerDlg) TimerDlg->FormDestroy();
        FormDestroy();
        TApplication::Instance().Terminate();
    }
    if (!sessionEnded_ && shutdownStep_ == 0) Timer1.SetEnabled(true);  // not once shut-down has begun
    return 1;
}

LRESULT TMainForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
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
        case WM_LBUTTONDBLCLK:
            FormDblClick();
            // The double-click minimised the application and hid the clock: nothing is left to drag.
            if (!IsWindowVisible(Handle())) return 0;
            [[fallthrough]];
        case WM_LBUTTONDOWN:
            // A left press holds the mouse until release, so a fast drag does not lose the window.
            SetCapture(Handle());
            FormMouseDown(x, y);
            return 0;
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            FormMouseDown(x, y);
            return 0;
        case WM_MOUSEMOVE:
            // A drag whose release went elsewhere (onto the label, into the menu) ends at the first move
            // with no button held.
            if (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) {
                FormMouseMove(x, y);
            } else {
                EndDrag();
            }
            return 0;
        case WM_CAPTURECHANGED:
        case WM_CANCELMODE:
            EndDrag();
            break;
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
