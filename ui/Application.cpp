#include "ui/Application.h"

#include <exception>

#include "ui/Form.h"
#include "ui/Menu.h"
#include "ui/SystemLibraries.h"
#include "ui/Wide.h"

namespace {
constexpr UINT kHandFocusOn = WM_APP + 1;

void ReportToUser(const std::wstring& text) { TApplication::Instance().ShowError(text); }

// A shortcut's command runs from the loop, outside any window's handler: a failure inside it is reported as
// the same command's failure from the menu is, and the loop goes on.
bool RunShortCut(TPopupMenu& menu, WPARAM virtualKey) {
    try {
        return menu.IsShortCut(virtualKey);
    } catch (const std::exception& e) {
        ReportHandlerError(Widen(e.what()));
    } catch (...) {
        ReportHandlerError(L"Unexpected error");
    }
    return true;
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
    // The first ShowWindow of the program is this one, on purpose: Windows may put the show command of the
    // start (a shortcut's 「最小化」 or 「最大化」) in place of its own. Minimised is honoured; whatever
    // else it made of the window (maximised, hidden) is put back to the plain, unseen window.
    const bool minimized = StartedMinimized();
    ShowWindow(Handle(), minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNOACTIVATE);
    if (!minimized && (IsZoomed(Handle()) || IsIconic(Handle()) || !IsWindowVisible(Handle()))) {
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
    if (IsMinimized()) {
        if (OnMinimize) OnMinimize();  // minimised before the clock was there to hear it
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

void TApplication::Minimize() {
    if (IsIconic(Handle())) return;
    ShowWindow(Handle(), SW_MINIMIZE);
}

void TApplication::Restore() {
    if (!IsIconic(Handle())) return;
    ShowWindow(Handle(), SW_RESTORE);
}

bool TApplication::IsMinimized() const { return IsIconic(Handle()) != FALSE; }

int TApplication::ShowMessageBox(std::string_view text, std::string_view caption, UINT flags) {
    HWND owner = activeForm_ ? activeForm_->Handle() : (mainForm_ ? mainForm_->Handle() : nullptr);
    return MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), flags);
}

void TApplication::ShowError(const std::wstring& text) {
    HWND owner = activeForm_ ? activeForm_->Handle() : nullptr;
    MessageBoxW(owner, text.c_str(), Widen(Title()).c_str(), MB_OK | MB_ICONERROR);
}

bool TApplication::SetActiveForm(TForm* form) {
    if (activeForm_ == form) return false;
    activeForm_ = form;
    return true;
}

void TApplication::FormClosed(TForm* form) {
    form->Hide();
    if (form == mainForm_) Terminate();
}

void TApplication::FormDestroyed(TForm* form) {
    if (activeForm_ == form) activeForm_ = nullptr;
    if (mainForm_ == form) mainForm_ = nullptr;
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

LRESULT TApplication::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnMessage && OnMessage(message, wParam, lParam, result)) return result;
    switch (message) {
        case WM_SYSCOMMAND:
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
            // Whoever minimised the application (Minimize, the task bar, another program), the clock goes.
            if (wParam == SIZE_MINIMIZED) {
                if (mainForm_) mainForm_->Hide();
                if (OnMinimize) OnMinimize();
            } else if (wParam == SIZE_RESTORED && mainForm_ && !IsWindowVisible(mainForm_->Handle())) {
                // Restored from the task bar (or by Restore): the clock comes back, shown for the first time
                // if the program started minimised.
                if (OnRestore) OnRestore();
                ShowMainForm();
            }
            break;
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
