// The baseline clock of the display-lag bench: the plainest way to write a clock in Win32. A top-level
// window whose caption is the time and a static label that shows it too, both rewritten by a free-running
// one-second timer, so whatever phase the timer starts with is the lag it keeps.
#include <windows.h>

#include <cwchar>

namespace {
HWND g_label = nullptr;

void ShowTime(HWND window) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t text[16];
    swprintf(text, 16, L"%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
    SetWindowTextW(window, text);
    SetWindowTextW(g_label, text);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            g_label = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 2, 1, 60, 16, window, nullptr, nullptr,
                                      nullptr);
            ShowTime(window);
            SetTimer(window, 1, 1000, nullptr);
            return 0;
        case WM_TIMER:
            ShowTime(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCmd) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"PlainClock";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"PlainClock", L"", WS_OVERLAPPEDWINDOW, 100, 100, 160, 60, nullptr, nullptr,
                                  instance, nullptr);
    ShowWindow(window, showCmd);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
