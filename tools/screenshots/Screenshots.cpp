// The pictures in the user's guide, taken from the real forms in this process: the clock (and the same with
// its drag edge marked), the clock with its menu open, the settings dialog, the timer list with its menu open
// and the timer condition dialog. Each is saved as a 24-bit BMP file in the folder named on the command line
// (a Windows path); tools/screenshots/take turns them into the PNG files of docs/screenshots.
//
// The forms read the same settings file as the guide's example (written beside this program first), so the
// pictures and the text show the same timers. The clock reads a fixed time, the one the guide's examples use.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "core/EventLog.h"
#include "core/Os.h"
#include "settings/SetDialog_win.h"
#include "tests/win/WinTestSupport.h"
#include "timers/SetTimeDlg_win.h"
#include "timers/TimerDlg_win.h"
#include "ui/Application.h"
#include "ui/Handles.h"
#include "ui/SystemLibraries.h"

namespace {
// The guide's example settings file, byte for byte (code page 932, CR LF). The timer list's columns are
// narrowed as the guide tells the reader to do, so that the 「タイプ」 column shows.
constexpr char SampleSettings[] =
    "[Horvane2010]\r\nTop=0\r\nLeft=600\r\nFront=0\r\nTaskBar=0\r\nColor=65408\r\n"
    "[TimerData]\r\nTimerData00=朝会,1,09:00:00,0\r\nTimerData01=会議,2,13:30:00,42\r\n"
    "TimerData02=歯医者,0,16:15:00,0\r\n"
    "[TimerDlg]\r\nTop=320\r\nLeft=320\r\nWidth=32,120,65,110\r\nAliment=1,0,0,0\r\n";

std::wstring g_folder;

int g_failures = 0;

// A plain ground behind the windows: the virtual display's own is black, which would read as a frame.
constexpr COLORREF Desktop = RGB(58, 110, 165);

LRESULT CALLBACK BackdropProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND CreateBackdrop() {
    static const BrushHandle ground(CreateSolidBrush(Desktop));
    WNDCLASSW wc{};
    wc.lpfnWndProc = BackdropProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ScreenshotBackdrop";
    wc.hbrBackground = ground.get();
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                wc.hInstance, nullptr);
    SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return hwnd;
}

bool Drawn(HWND window) {
    bool pending = GetUpdateRect(window, nullptr, FALSE);
    EnumChildWindows(
        window,
        [](HWND child, LPARAM pendingFlag) {
            if (GetUpdateRect(child, nullptr, FALSE)) *reinterpret_cast<bool*>(pendingFlag) = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&pending));
    return !pending;
}

// Shows the form and handles messages until it and every control in it are drawn.
void ShowDrawn(TForm& form) {
    form.Show();
    PumpUntil([&] { return Drawn(form.Handle()); });
}

RECT WindowRectOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

RECT Around(RECT r, int margin) { return {r.left - margin, r.top - margin, r.right + margin, r.bottom + margin}; }

// Part of the screen as 24-bit rows, top row first, each padded to four bytes as in a BMP file.
struct Picture {
    RECT Place{};
    DWORD Stride = 0;
    std::string Bits;
};

Picture Capture(RECT wanted) {
    // Only what is on the screen: a copy reaching past its edge gives nothing at all here.
    const RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                      GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    Picture picture;
    IntersectRect(&picture.Place, &wanted, &screen);
    const RECT& r = picture.Place;
    const int w = r.right - r.left, h = r.bottom - r.top;
    picture.Stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    WindowDc display(nullptr);
    MemoryDc memory(display);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    BitmapHandle bitmap(CreateDIBSection(display, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return picture;
    SelectScope selected(memory, bitmap.get());
    if (!BitBlt(memory, 0, 0, w, h, display, r.left, r.top, SRCCOPY)) return picture;
    GdiFlush();
    picture.Bits.assign(static_cast<const char*>(bits), picture.Stride * static_cast<DWORD>(h));
    return picture;
}

// Pixels inside `mark` but outside `keep` turn red, to show what the guide points at.
void Tint(Picture& picture, RECT mark, RECT keep) {
    const RECT& r = picture.Place;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            if (!PtInRect(&mark, {x, y}) || PtInRect(&keep, {x, y})) continue;
            auto* px = reinterpret_cast<BYTE*>(&picture.Bits[(y - r.top) * picture.Stride + (x - r.left) * 3]);
            px[0] = static_cast<BYTE>(px[0] / 4);  // blue, green, red
            px[1] = static_cast<BYTE>(px[1] / 4);
            px[2] = static_cast<BYTE>(0xC0 + px[2] / 4);
        }
    }
}

void Save(const Picture& picture, const wchar_t* name) {
    const int w = picture.Place.right - picture.Place.left, h = picture.Place.bottom - picture.Place.top;
    const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(headers + picture.Bits.size()), 0, 0, headers};
    const BITMAPINFOHEADER info{sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const std::wstring path = g_folder + L"\\" + name + L".bmp";
    bool ok = !picture.Bits.empty();
    if (ok) {
        std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
        bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
        bytes += picture.Bits;
        ok = Os::ReplaceFileBytes(path, bytes);
    }
    std::fwprintf(ok ? stdout : stderr, L"%ls %ls (%d x %d)\n", ok ? L"saved" : L"could not save", path.c_str(), w, h);
    if (!ok) ++g_failures;
}

void SaveScreen(RECT wanted, const wchar_t* name) { Save(Capture(wanted), name); }

// Opens a popup menu by sending `open` and, inside the menu's own loop, saves the screen from `around` and
// the menu once the menu is drawn, then closes it. A menu without an update region may still be drawing its
// items here, so it counts as drawn once two looks, a script step apart, see the same pixels.
void SaveWithMenu(const std::function<void()>& open, HWND around, const wchar_t* name) {
    bool saved = false;
    std::string last;
    ModalScript script({[&] {
        HWND menu = FindWindowW(L"#32768", nullptr);
        if (!menu || !IsWindowVisible(menu) || !Drawn(menu)) return false;
        RECT both{};
        const RECT a = WindowRectOf(around), m = WindowRectOf(menu);
        UnionRect(&both, &a, &m);
        Picture picture = Capture(Around(both, 8));
        if (picture.Bits.empty() || picture.Bits != last) {
            last = std::move(picture.Bits);
            return false;
        }
        Save(picture, name);
        saved = true;
        EndMenu();
        return true;
    }});
    open();
    PumpUntil([&] { return script.Done() || script.TimedOut(); });
    if (!saved) {
        std::fwprintf(stderr, L"the menu for %ls did not open\n", name);
        ++g_failures;
    }
}

POINT Inside(HWND hwnd, int dx, int dy) {
    const RECT r = WindowRectOf(hwnd);
    return {r.left + dx, r.top + dy};
}

void TakePictures() {
    FixedClock clock({2026, 12, 8, 9, 5, 7, 0});
    WriteSettingsFile(SampleSettings);
    HWND backdrop = CreateBackdrop();
    {
        TMainForm main;
        TApplication::Instance().SetMainForm(&main);
        // Below the top of the screen, so that the margins around it are on the screen too.
        main.SetTop(main.Top() + 40);
        main.Show();
        SendMessageW(main.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
        PumpUntil([&] { return Drawn(main.Handle()); });
        const RECT face = WindowRectOf(main.Handle());
        SaveScreen(face, L"clock");
        Picture edge = Capture(Around(face, 2));
        Tint(edge, face, WindowRectOf(main.LabelTime.Handle()));
        Save(edge, L"clock-edge");

        const int dpi = static_cast<int>(GetDpiForWindow(main.Handle()));
        SaveWithMenu(
            [&] {
                // Near its right end, so that the menu leaves the digits in sight.
                const POINT at{face.right - MulDiv(3, dpi, 96), face.bottom - MulDiv(3, dpi, 96)};
                PostMessageW(main.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(main.Handle()),
                             MAKELPARAM(at.x, at.y));
            },
            main.Handle(), L"clock-menu");

        {
            TSetDialog settings(main, main.StayOnTop, main.TaskBarMode, main.BackColor);
            ShowDrawn(settings);
            SaveScreen(WindowRectOf(settings.Handle()), L"settings-dialog");
        }
        {
            TTimerDlg list(main, main.Timers);
            list.ListView1.SetSelectedIndex(1);
            ShowDrawn(list);
            SaveScreen(WindowRectOf(list.Handle()), L"timer-list");
            SaveWithMenu(
                [&] {
                    // Below the rows, so that the menu leaves them in sight.
                    const POINT at = Inside(list.ListView1.Handle(), MulDiv(110, dpi, 96), MulDiv(84, dpi, 96));
                    PostMessageW(list.ListView1.Handle(), WM_CONTEXTMENU,
                                 reinterpret_cast<WPARAM>(list.ListView1.Handle()), MAKELPARAM(at.x, at.y));
                },
                list.Handle(), L"timer-list-menu");
            TSetTimeDlg condition(list);
            condition.LoadRecord(main.Timers[1]);
            ShowDrawn(condition);
            SaveScreen(WindowRectOf(condition.Handle()), L"timer-condition");
        }
        TApplication::Instance().SetMainForm(nullptr);
    }
    DestroyWindow(backdrop);
    RemoveSettingsFile();
    DeleteFileW(LogPath(Os::ExePath()).c_str());
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fwprintf(stderr, L"usage: screenshots FOLDER\n");
        return 2;
    }
    g_folder = argv[1];
    DeclareDpiAwareness();
    const VisualStyles visualStyles;  // the program's own manifest resource is linked into this one
    TApplication::Instance().Initialize("Horvane2010");
    TakePictures();
    return g_failures == 0 ? 0 : 1;
}
