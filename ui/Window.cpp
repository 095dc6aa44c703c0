#include "ui/Window.h"

#include <commctrl.h>

#include "ui/SystemLibraries.h"
#include "ui/Wide.h"

namespace {
constexpr wchar_t kObjectProperty[] = L"Horvane2010.Object";
ErrorReporter g_reporter = nullptr;

bool IsReflected(UINT message) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
        case WM_DRAWITEM:
            return true;
        default:
            return false;
    }
}

HWND ReflectionTarget(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            return reinterpret_cast<HWND>(lParam);  // 0 for menus and accelerators
        case WM_NOTIFY:
            return reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
        case WM_DRAWITEM:
            return reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
        default:
            (void)wParam;
            return reinterpret_cast<HWND>(lParam);
    }
}
}  // namespace

void SetErrorReporter(ErrorReporter reporter) { g_reporter = reporter; }

void ReportHandlerError(const std::wstring& text) {
    if (g_reporter) g_reporter(text);
}

TWindow::~TWindow() { DestroyHandle(); }

TWindow* TWindow::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<TWindow*>(GetPropW(hwnd, kObjectProperty)) : nullptr;
}

void TWindow::DestroyHandle() {
    if (handle_) DestroyWindow(handle_);  // WM_NCDESTROY clears handle_
    handle_ = nullptr;
}

void TWindow::Attach(HWND hwnd) {
    handle_ = hwnd;
    SetPropW(hwnd, kObjectProperty, this);
}

bool TWindow::CreateOwnWindow(const wchar_t* className, UINT classStyle, DWORD exStyle, DWORD style, int x, int y,
                              int w, int h, HWND parent, HMENU menuOrId, const wchar_t* caption) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(GetModuleHandleW(nullptr), className, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.style = classStyle;
        wc.lpfnWndProc = OwnWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        // Each at the system's own size, from the image drawn for it rather than the large one shrunk.
        const auto icon = [](int width, int height) {
            return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                 GetSystemMetrics(width), GetSystemMetrics(height), LR_SHARED));
        };
        wc.hIcon = icon(SM_CXICON, SM_CYICON);
        wc.hIconSm = icon(SM_CXSMICON, SM_CYSMICON);
        wc.lpszClassName = className;
        if (!RegisterClassExW(&wc)) return false;
    }
    return CreateWindowExW(exStyle, className, caption, style, x, y, w, h, parent, menuOrId, GetModuleHandleW(nullptr),
                           this) != nullptr;
}

bool TWindow::CreateControlWindow(const wchar_t* className, DWORD exStyle, DWORD style, int x, int y, int w, int h,
                                  HWND parent, UINT id) {
    InitCommonControlsLate(ICC_STANDARD_CLASSES);
    HWND hwnd = CreateWindowExW(exStyle, className, L"", style, x, y, w, h, parent,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) return false;
    Attach(hwnd);
    subclassed_ = true;
    SetWindowSubclassLate(hwnd, ControlSubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
    return true;
}

LRESULT TWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam) { return DefaultProc(message, wParam, lParam); }

LRESULT TWindow::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return subclassed_ ? DefSubclassProcLate(handle_, message, wParam, lParam)
                       : DefWindowProcW(handle_, message, wParam, lParam);
}

bool TWindow::HandleReflected(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT TWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = handle_;
    LRESULT result = 0;
    const bool handled = RunReportingErrors([&] {
        if (IsReflected(message)) {
            HWND target = ReflectionTarget(message, wParam, lParam);
            TWindow* child = target && target != hwnd ? FromHandle(target) : nullptr;
            if (child && child->HandleReflected(message, wParam, lParam, result)) return;
        }
        result = WndProc(message, wParam, lParam);
    });
    if (!handled) result = 0;
    if (message == WM_NCDESTROY) {
        RemovePropW(hwnd, kObjectProperty);
        if (subclassed_) RemoveWindowSubclassLate(hwnd, ControlSubclassProc, 1);
        handle_ = nullptr;
        HandleDestroyed();
    }
    return result;
}

LRESULT CALLBACK TWindow::OwnWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) self->Attach(hwnd);
    }
    TWindow* self = FromHandle(hwnd);
    return self ? self->Dispatch(message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK TWindow::ControlSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR refData) {
    auto* self = reinterpret_cast<TWindow*>(refData);
    return self ? self->Dispatch(message, wParam, lParam) : DefSubclassProcLate(hwnd, message, wParam, lParam);
}
