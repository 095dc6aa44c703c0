#include "tests/win/WinTestSupport.h"

#include <algorithm>

#include "core/Clock.h"
#include "core/Os.h"
#include "settings/MainSettings.h"
#include "ui/Application.h"
#include "ui/Wide.h"

namespace {
constexpr FormDesign HostDesign{
    L"HorvaneTestHost",           "Host",    40,  40, 200, 100, TBorderStyle::bsDialog, TPosition::poDesigned,
    kSystemColor | COLOR_BTNFACE, L"Tahoma", -11,
};
}  // namespace

THostForm::THostForm() { CreateForm(HostDesign, nullptr, true); }

Bounds96 PlaceOf(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

Bounds96 Scaled(const Bounds96& design, int dpi) {
    return {ScaleForDpi(design.Left, dpi), ScaleForDpi(design.Top, dpi), ScaleForDpi(design.Width, dpi),
            ScaleForDpi(design.Height, dpi)};
}

std::vector<HWND> ChildrenOf(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[128] = L"";
    GetClassNameW(hwnd, name, 128);
    return name;
}

std::string TextOf(HWND hwnd) {
    wchar_t text[512] = L"";
    const int length = GetWindowTextW(hwnd, text, 512);
    return Narrow(std::wstring_view(text, static_cast<size_t>(length)));
}

bool HasStyle(HWND hwnd, DWORD style) { return (static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & style) == style; }

SIZE ClientSize(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return {r.right, r.bottom};
}

void Click(const TControl& control) { SendMessageW(control.Handle(), BM_CLICK, 0, 0); }

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) TApplication::Instance().ProcessMessage(msg);
}

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    return WaitFor(
        [&] {
            PumpMessages();
            return condition();
        },
        timeoutMs);
}

namespace {
struct FindRequest {
    std::wstring className;
    const char* caption;
    HWND found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam) {
    auto* request = reinterpret_cast<FindRequest*>(lParam);
    if (!IsWindowVisible(hwnd) || ClassOf(hwnd) != request->className) return TRUE;
    if (request->caption && TextOf(hwnd) != request->caption) return TRUE;
    request->found = hwnd;
    return FALSE;
}

ModalScript* g_script = nullptr;
}  // namespace

HWND FindShownWindow(const wchar_t* className, const char* captionCp932) {
    FindRequest request{className, captionCp932};
    EnumThreadWindows(GetCurrentThreadId(), MatchWindow, reinterpret_cast<LPARAM>(&request));
    return request.found;
}

void ClickDialogButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

ModalScript::ModalScript(std::vector<std::function<bool()>> steps, int timeoutMs)
    : steps_(std::move(steps)), deadline_(GetTickCount() + static_cast<DWORD>(timeoutMs)) {
    g_script = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
}

ModalScript::~ModalScript() {
    KillTimer(nullptr, timer_);
    g_script = nullptr;
}

void CALLBACK ModalScript::Tick(HWND, UINT, UINT_PTR, DWORD) {
    ModalScript* script = g_script;
    if (!script) return;
    // Past the deadline (even with every step done, if the window they acted on stayed open).
    if (static_cast<LONG>(GetTickCount() - script->deadline_) > 0) {
        script->timedOut_ = true;
        if (HWND front = GetActiveWindow()) PostMessageW(front, WM_CLOSE, 0, 0);
        return;
    }
    if (script->Done()) return;
    // A step may open a modal window of its own; this tick must not run again inside it.
    static bool running = false;
    if (running) return;
    running = true;
    if (script->steps_[script->next_]()) ++script->next_;
    running = false;
}

void RemoveSettingsFile() { DeleteFileW(SettingsPath(Os::ExePath()).c_str()); }

std::string ReadSettingsFile() { return Os::ReadFileBytes(SettingsPath(Os::ExePath())).value_or(""); }

void WriteSettingsFile(const std::string& bytes) { WriteFileBytes(SettingsPath(Os::ExePath()), bytes); }
