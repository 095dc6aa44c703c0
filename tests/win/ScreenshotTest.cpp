// Pictures of the three dialogs for the documentation, taken only when HORVANE_SCREENSHOT_DIR names a
// folder (a Windows path): each dialog is shown with sample content and its client area saved as a 24-bit
// BMP file.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "core/EventLog.h"
#include "core/Os.h"
#include "settings/SetDialog_win.h"
#include "tests/win/WinTestSupport.h"
#include "timers/SetTimeDlg_win.h"
#include "timers/TimerDlg_win.h"

namespace {
const char* ScreenshotFolder() { return std::getenv("HORVANE_SCREENSHOT_DIR"); }

// Shows the form and handles messages until it and every control in it are drawn.
void ShowDrawn(TForm& form) {
    form.Show();
    PumpUntil([&] {
        for (HWND window : Driver::Children(form.Handle())) {
            if (GetUpdateRect(window, nullptr, FALSE)) return false;
        }
        return !GetUpdateRect(form.Handle(), nullptr, FALSE);
    });
}

// The client area only: the frame Wine draws here is not the one Windows draws (its caption buttons lack
// their symbol font), and the guide names each dialog's title in its text.
bool SaveWindowPicture(HWND hwnd, const std::string& name) {
    RECT r;
    GetClientRect(hwnd, &r);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) & ~3u), size = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size), 0, 0,
                          sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    const std::string path = std::string(ScreenshotFolder()) + "\\" + name + ".bmp";
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    const bool ok = out != INVALID_HANDLE_VALUE && WriteFile(out, &file, sizeof file, &written, nullptr) &&
                    WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
                    WriteFile(out, bits, size, &written, nullptr);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}
}  // namespace

TEST(Screenshot, TheThreeDialogs) {
    if (!ScreenshotFolder()) GTEST_SKIP() << "HORVANE_SCREENSHOT_DIR is not set";
    FixedClock clock({2024, 1, 5, 12, 15, 26, 0});
    RemoveSettingsFile();
    {
        TMainForm main;
        main.Timers = {{1, "朝会", 1, 9.0 / 24, 0},
                       {1, "会議", 2, 45296 + 13.5 / 24, 42},
                       {1, "歯医者", 0, 45300 + 16.25 / 24, 0}};
        {
            TSetDialog settings(main, main.StayOnTop, main.TaskBarMode, main.BackColor);
            ShowDrawn(settings);
            EXPECT_TRUE(SaveWindowPicture(settings.Handle(), "settings-dialog"));
        }
        {
            TTimerDlg list(main, main.Timers);
            list.ListView1.SetSelectedIndex(1);
            ShowDrawn(list);
            EXPECT_TRUE(SaveWindowPicture(list.Handle(), "timer-list"));
            TSetTimeDlg condition(list);
            condition.LoadRecord(main.Timers[1]);
            ShowDrawn(condition);
            EXPECT_TRUE(SaveWindowPicture(condition.Handle(), "timer-condition"));
        }
    }
    RemoveSettingsFile();
    DeleteFileW(LogPath(Os::ExePath()).c_str());
}
