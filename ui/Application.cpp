#include "ui/Application.h"

#include <algorithm>

#include "ui/ApplicationEvents.h"
#include "ui/Form.h"
#include "ui/Menu.h"
#include "ui/SystemLibraries.h"
#include "ui/Wide.h"

namespace {
constexpr UINT kHandFocusOn = WM_APP + 1;
constexpr UINT kUnzoom = WM_APP + 2;

void ReportToUser(const std::wstring& text) { TApplication::Instance().ShowError(text); }

// A shortcut's command runs from the loop, outside any window's handler: a failure inside it is reported as
// the same command's failure from the menu is, and the loop goes on.
bool RunShortCut(TPopupMenu& menu, WPARAM virtualKey) {
    bool taken = true;
    RunReportingErrors([&] { taken = menu.IsShortCut(virtualKey); });
    return taken;
}

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

BOOL CALLBACK CollectEnabled(HWND hwnd, LPARAM lParam) {
    auto* windows = reinterpret_cast<std::vector<HWND>*>(lParam);
    if (hwnd != windows->front() && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) windows->push_back(hwnd);
    return TRUE;
}
}  // namespace

TApplication& TApplication::Instance() {
    static TApplication application;
    return application;
}

void TApplication::Initialize(std::string_view titleCp932) {
    SetErrorReporter(ReportToUser);
    // A visible, zero-sized popup with a caption: it has the task-bar button and is never seen itself. It
    // is made with its title, so that the button does not change its text right after it appears.
    CreateOwnWindow(L"Horvane2010.Application", 0, 0,
                    WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                    GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr,
                    Widen(titleCp932).c_str());
    // The start's show command (a shortcut's 「最小化」 or 「最大化」) is used up here, by the program's
    // first ShowWindow, on purpose: asked for by name, so that it can never land on a later window (Windows
    // may apply it to the first unowned, captioned window shown in a plain way). Minimised is honoured;
    // whatever else it made of the window (maximised, hidden) is put back to the plain, unseen window.
    STARTUPINFOW si{};
    si.cb = sizeof si;
    GetStartupInfoW(&si);
    const bool minimized = StartedMinimized();
    ShowWindow(Handle(), (si.dwFlags & STARTF_USESHOWWINDOW) ? SW_SHOWDEFAULT : SW_SHOWNOACTIVATE);
    if (minimized) {
        if (!IsIconic(Handle())) ShowWindow(Handle(), SW_SHOWMINNOACTIVE);
    } else if (IsZoomed(Handle()) || IsIconic(Handle()) || !IsWindowVisible(Handle())) {
        ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    }
}

void TApplication::SetTitle(std::string_view cp932) { SetWindowTextW(Handle(), Widen(cp932).c_str()); }

std::string TApplication::Title() const {
    wchar_t text[256];
    return Narrow(std::wstring_view(text, static_cast<size_t>(GetWindowTextW(Handle(), text, 256))));
}

bool TApplication::StartedMinimized() {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    GetStartupInfoW(&si);
    if (!(si.dwFlags & STARTF_USESHOWWINDOW)) return false;
    switch (si.wShowWindow) {
        case SW_MINIMIZE:
        case SW_SHOWMINIMIZED:
        case SW_SHOWMINNOACTIVE:
        case SW_FORCEMINIMIZE:
            return true;
        default:
            return false;
    }
}

void TApplication::ShowMainForm() {
    if (!mainForm_) return;
    mainForm_->Show();
}

void TApplication::Run() {
    // The session ended while the start still waited for the user (its message box): nothing is shown.
    if (terminated_) return;
    if (IsMinimized()) {
        // Minimised before the clock was there to hear it.
        for (TApplicationEvents* events : std::vector(events_)) {
            if (events->OnMinimize) events->OnMinimize();
        }
    } else {
        ShowMainForm();
    }
    MSG msg;
    while (!terminated_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) break;
        ProcessMessage(msg);
    }
    terminated_ = true;
    // A quit message left in the queue would close at once any message box that shut-down still has to
    // show (a settings file that refuses the save).
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

void TApplication::ProcessMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        // Shortcuts of the active form's popup menu, while that form (or a control on it) has the focus.
        TForm* form = activeForm_;
        if (form && form->PopupMenu() && !form->IsModal() &&
            (msg.hwnd == form->Handle() || IsChild(form->Handle(), msg.hwnd)) &&
            RunShortCut(*form->PopupMenu(), msg.wParam)) {
            return;
        }
    }
    if (activeForm_ && activeForm_->WantsDialogKeys() && IsDialogMessageW(activeForm_->Handle(), &msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void TApplication::Terminate() {
    terminated_ = true;
    PostQuitMessage(0);
}

void TApplication::EndSession() {
    EnumThreadWindows(GetCurrentThreadId(), CancelDialog, 0);
    // A FormDestroy can let messages in (a message box): a form gone meanwhile is passed over.
    const std::vector<TForm*> newestFirst(forms_.rbegin(), forms_.rend());
    for (TForm* form : newestFirst) {
        if (std::find(forms_.begin(), forms_.end(), form) != forms_.end()) form->RunFormDestroy();
    }
    Terminate();
}

void TApplication::Minimize() {
    if (IsIconic(Handle())) return;
    ShowWindow(Handle(), SW_MINIMIZE);
}

void TApplication::Restore() {
    if (!IsIconic(Handle())) return;
    ShowWindow(Handle(), SW_RESTORE);
}

bool TApplication::IsMinimized() const { return IsIconic(Handle()) != FALSE; }

HWND TApplication::MessageBoxOwner() const {
    // An unowned box would have a task-bar button of its own, which the program's button cannot bring back.
    for (const TForm* form : {activeForm_, mainForm_}) {
        if (form && IsWindowVisible(form->Handle())) return form->Handle();
    }
    return Handle();
}

int TApplication::ShowMessageBox(std::string_view text, std::string_view caption, UINT flags) {
    return MessageBoxW(MessageBoxOwner(), Widen(text).c_str(), Widen(caption).c_str(), flags);
}

int TApplication::ShowMessageBox(const std::wstring& text, UINT flags) {
    return MessageBoxW(MessageBoxOwner(), text.c_str(), Widen(Title()).c_str(), flags);
}

void TApplication::ShowError(const std::wstring& text) { ShowMessageBox(text, MB_OK | MB_ICONERROR); }

bool TApplication::SetActiveForm(TForm* form) {
    if (activeForm_ == form) return false;
    activeForm_ = form;
    return true;
}

void TApplication::FormCreated(TForm* form) { forms_.push_back(form); }

void TApplication::AddEvents(TApplicationEvents* events) { events_.push_back(events); }

void TApplication::RemoveEvents(TApplicationEvents* events) {
    events_.erase(std::remove(events_.begin(), events_.end(), events), events_.end());
}

void TApplication::FormClosed(TForm* form) {
    form->Hide();
    if (form == mainForm_) EndSession();
}

void TApplication::FormDestroyed(TForm* form) {
    if (activeForm_ == form) activeForm_ = nullptr;
    if (mainForm_ == form) mainForm_ = nullptr;
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}

std::vector<HWND> TApplication::DisableOtherWindows(HWND except) {
    std::vector<HWND> windows{except};
    EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&windows));
    windows.erase(windows.begin());
    for (HWND hwnd : windows) EnableWindow(hwnd, FALSE);
    return windows;
}

void TApplication::EnableWindows(const std::vector<HWND>& windows) {
    for (HWND hwnd : windows) {
        if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
    }
}

void TApplication::Minimized() {
    if (minimized_) return;
    minimized_ = true;
    // Windows has hidden the owned clock already; Wine has not.
    if (mainForm_) mainForm_->Hide();
    for (TApplicationEvents* events : std::vector(events_)) {
        if (events->OnMinimize) events->OnMinimize();
    }
}

void TApplication::Restored(bool maximized) {
    if (!minimized_) return;
    minimized_ = false;
    for (TApplicationEvents* events : std::vector(events_)) {
        if (events->OnRestore) events->OnRestore();
    }
    // Shown for the first time after a minimised start; brought forward when Windows showed it again itself.
    ShowMainForm();
    // Restored to maximised (someone maximised it before the minimise): back to the plain window, so that
    // the next minimise and restore are plain ones too.
    if (maximized) PostMessageW(Handle(), kUnzoom, 0, 0);
}

bool TApplication::IgnoredWhileDisabled(WPARAM command) {
    // As DefWindowProc does for a window a modal dialog has disabled; the task bar's 「ウィンドウを閉じる」
    // then brings the dialog forward instead. A restore still goes through: the dialog comes back with it.
    if (IsWindowEnabled(Handle()) || (command != SC_CLOSE && command != SC_MINIMIZE)) return false;
    HWND popup = GetLastActivePopup(Handle());
    if (popup && popup != Handle()) SetForegroundWindow(popup);
    return true;
}

LRESULT TApplication::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    for (TApplicationEvents* events : std::vector(events_)) {
        if (events->OnMessage && events->OnMessage(message, wParam, lParam, result)) return result;
    }
    switch (message) {
        case WM_SYSCOMMAND:
            if (IgnoredWhileDisabled(wParam & 0xFFF0)) return 0;
            switch (wParam & 0xFFF0) {
                case SC_MINIMIZE:
                    Minimize();
                    return 0;
                case SC_RESTORE:
                    Restore();
                    return 0;
                case SC_CLOSE:
                    if (mainForm_) mainForm_->Close();
                    return 0;
                default:
                    break;
            }
            break;
        case WM_SIZE:
            // Whoever minimised or restored the application (the program, the task bar, another program).
            if (wParam == SIZE_MINIMIZED) {
                Minimized();
            } else if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) {
                Restored(wParam == SIZE_MAXIMIZED);
            }
            break;
        case kUnzoom:
            if (IsZoomed(Handle())) ShowWindow(Handle(), SW_SHOWNOACTIVATE);
            return 0;
        case WM_ACTIVATE:
            // The task-bar window never keeps the focus: it is handed to the form that had it once the
            // activation is over (the focus is not moved to another window from inside WM_ACTIVATE).
            if (LOWORD(wParam) != WA_INACTIVE && !IsIconic(Handle())) PostMessageW(Handle(), kHandFocusOn, 0, 0);
            break;
        case kHandFocusOn:
            if (GetActiveWindow() == Handle() && !IsIconic(Handle())) {
                TForm* form = activeForm_ ? activeForm_ : mainForm_;
                if (form && IsWindowVisible(form->Handle())) SetFocus(form->Handle());
            }
            return 0;
        case WM_GETMINMAXINFO: {
            // Never seen, even maximised (by a start command, or by another program).
            RECT r{};
            GetWindowRect(Handle(), &r);
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMaxSize = {0, 0};
            info->ptMaxPosition = {r.left, r.top};
            return 0;
        }
        case WM_CLOSE:
            if (mainForm_) mainForm_->Close();
            return 0;
        default:
            break;
    }
    return DefaultProc(message, wParam, lParam);
}
