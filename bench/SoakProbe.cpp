// SoakProbe: drives a running clock hard from outside and watches whether its resources stay flat.
// Prints "key=value" fields for scripts/soak.
//
//   SoakProbe figures
//       The clock process's GDI and USER objects, handles, private bytes, working set and CPU time.
//   SoakProbe ticks COUNT LOG_PATH
//       Posts COUNT WM_TIMER messages with the clock timer's id to the clock window, in batches. After each
//       batch a power broadcast is posted behind the ticks and the probe waits for its log line, so it knows
//       the clock has handled every tick before it (and the queue never grows without bound). Between
//       batches the label must show the current time. Figures are read before, after the first batch
//       (caches filled) and at the end.
//   SoakProbe dialogs CYCLES DIALOG OPEN
//       Opens and closes one of the clock's dialogs CYCLES times: DIALOG is settings, timers or condition
//       (named here, not by caption, because a Japanese argument does not survive every Wine set-up). OPEN
//       is "menu:K" (the clock's popup menu, then the item's access key K), "keys:ctrl+t" (a shortcut typed at
//       the clock) or "listmenu:K" (the popup menu of the timer list's list view; the timer list is opened
//       with Ctrl+T first when needed). Exit code 3 when the dialog never opens (not built yet).
#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <set>
#include <string>

#include "bench/Probe.h"

namespace {

using Probe::Print;
using Probe::PrintError;

constexpr WPARAM ClockTimerId = 1;         // the clock's one TTimer, the first one the program creates
constexpr WPARAM BarrierEvent = 0xA;       // PBT_APMPOWERSTATUSCHANGE: logged, otherwise harmless
constexpr long long TicksPerBatch = 2000;  // well below the 10,000 messages a Windows queue takes

HWND Clock() { return Probe::WaitForTopWindow(L"TMainForm", 0, false, 20000); }

size_t LogLines(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    size_t lines = 0;
    char buffer[65536];
    DWORD n = 0;
    while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0) {
        for (DWORD i = 0; i < n; ++i) lines += buffer[i] == '\n';
    }
    CloseHandle(file);
    return lines;
}

bool WaitFor(const auto& condition, DWORD timeoutMs) {
    const double end = Probe::NowMs() + timeoutMs;
    while (!condition()) {
        if (Probe::NowMs() > end) return false;
        Sleep(2);
    }
    return true;
}

// The label shows the second just read, or the one before it when the tick for the new one is still due.
bool LabelIsCurrent(const std::wstring& text) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (text == Probe::ClockText(now)) return true;
    FILETIME ft;
    SystemTimeToFileTime(&now, &ft);
    ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}};
    t.QuadPart -= 10000000ull;
    ft = {t.LowPart, t.HighPart};
    SYSTEMTIME before;
    FileTimeToSystemTime(&ft, &before);
    return text == Probe::ClockText(before);
}

int Figures() {
    HWND clock = Clock();
    if (!clock) return PrintError(L"SoakProbe: no clock"), 1;
    Print(L"figures " + Probe::FiguresText(Probe::ReadFigures(Probe::ProcessOf(clock))));
    return 0;
}

int Ticks(long long count, const std::wstring& logPath) {
    HWND clock = Clock();
    HWND label = Probe::FirstChild(clock);
    if (!clock || !label) return PrintError(L"SoakProbe: no clock"), 1;
    const DWORD pid = Probe::ProcessOf(clock);
    Print(L"ticks stage=start " + Probe::FiguresText(Probe::ReadFigures(pid)));
    std::set<std::wstring> labels;
    long long posted = 0;
    int stale = 0;
    const double start = Probe::NowMs();
    while (posted < count) {
        const long long batch = std::min(TicksPerBatch, count - posted);
        for (long long i = 0; i < batch; ++i) {
            if (!PostMessageW(clock, WM_TIMER, ClockTimerId, 0)) {
                PrintError(L"SoakProbe: PostMessage failed, error " + std::to_wstring(GetLastError()));
                return 1;
            }
        }
        posted += batch;
        const size_t lines = LogLines(logPath);
        PostMessageW(clock, WM_POWERBROADCAST, BarrierEvent, 0);
        if (!WaitFor([&] { return LogLines(logPath) > lines; }, 60000)) {
            PrintError(L"SoakProbe: the clock did not work through its queue within a minute");
            return 1;
        }
        const std::wstring text = Probe::SentText(label).value_or(L"?");
        labels.insert(text);
        if (!LabelIsCurrent(text)) ++stale;
        if (posted == batch) Print(L"ticks stage=warm " + Probe::FiguresText(Probe::ReadFigures(pid)));
    }
    const double seconds = (Probe::NowMs() - start) / 1000.0;
    Print(L"ticks stage=end " + Probe::FiguresText(Probe::ReadFigures(pid)));
    Print(L"ticks posted=" + std::to_wstring(posted) + L" seconds=" + Probe::Fixed(seconds) + L" per_second=" +
          Probe::Fixed(posted / seconds, 0) + L" label_values=" + std::to_wstring(labels.size()) + L" stale_labels=" +
          std::to_wstring(stale));
    return stale == 0 ? 0 : 1;
}

bool TypeKeys(const std::wstring& chord) {
    std::vector<WORD> keys;
    size_t begin = 0;
    while (begin <= chord.size()) {
        size_t plus = chord.find(L'+', begin);
        if (plus == std::wstring::npos) plus = chord.size();
        const std::wstring key = chord.substr(begin, plus - begin);
        if (key == L"ctrl") {
            keys.push_back(VK_CONTROL);
        } else if (key == L"alt") {
            keys.push_back(VK_MENU);
        } else if (key == L"shift") {
            keys.push_back(VK_SHIFT);
        } else if (key.size() == 1) {
            keys.push_back(static_cast<WORD>(std::towupper(key[0])));
        } else {
            return false;
        }
        begin = plus + 1;
    }
    std::vector<INPUT> inputs;
    for (WORD key : keys) inputs.push_back({INPUT_KEYBOARD, {.ki = {key, 0, 0, 0, 0}}});
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
        inputs.push_back({INPUT_KEYBOARD, {.ki = {*it, 0, KEYEVENTF_KEYUP, 0, 0}}});
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

// A visible top-level window of the process with exactly this caption.
HWND FindCaption(DWORD pid, const std::wstring& caption) {
    struct Search {
        DWORD pid;
        const std::wstring* caption;
        HWND found;
    } search{pid, &caption, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            if (Probe::ProcessOf(window) != s.pid || !IsWindowVisible(window)) return TRUE;
            if (Probe::StoredText(window) != *s.caption) return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Keys typed while `window` is the foreground window, so that they reach it and not the one before.
bool TypeAt(HWND window, const std::wstring& chord) {
    SetForegroundWindow(window);
    if (!WaitFor([&] { return GetForegroundWindow() == window; }, 2000)) return false;
    return TypeKeys(chord);
}

HWND FindDescendant(HWND parent, const wchar_t* className) {
    struct Search {
        const wchar_t* className;
        HWND found;
    } search{className, nullptr};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            wchar_t name[64];
            if (!GetClassNameW(window, name, 64) || wcscmp(name, s.className) != 0) return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool OpenPopupAndChoose(HWND target, LPARAM where, const std::wstring& key) {
    const DWORD pid = Probe::ProcessOf(target);
    PostMessageW(target, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(target), where);
    if (!Probe::WaitForTopWindow(L"#32768", pid, true, 3000)) return false;
    // A key that arrives before the menu has taken the keyboard goes to the window below it: type again
    // while the menu stays open.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (!TypeKeys(key)) return false;
        if (WaitFor([&] { return !Probe::FindTopWindow(L"#32768", pid, true); }, 1000)) return true;
    }
    return false;
}

bool OpenDialog(HWND clock, const std::wstring& how) {
    if (how.starts_with(L"menu:")) {
        RECT r;
        GetWindowRect(clock, &r);
        return OpenPopupAndChoose(clock, MAKELPARAM(r.left + 8, r.top + 8), how.substr(5));
    }
    if (how.starts_with(L"keys:")) return TypeAt(clock, how.substr(5));
    if (how.starts_with(L"listmenu:")) {
        // The list's popup menu in the timer list, which is opened first when it is not open yet.
        const DWORD pid = Probe::ProcessOf(clock);
        HWND list = FindCaption(pid, L"ダイアログ");
        if (!list && TypeAt(clock, L"ctrl+t")) {
            WaitFor([&] { return (list = FindCaption(pid, L"ダイアログ")) != nullptr; }, 5000);
        }
        HWND view = list ? FindDescendant(list, L"SysListView32") : nullptr;
        return view && OpenPopupAndChoose(view, -1, how.substr(9));
    }
    return false;
}

int Dialogs(int cycles, const std::wstring& caption, const std::wstring& how) {
    HWND clock = Clock();
    if (!clock) return PrintError(L"SoakProbe: no clock"), 1;
    const DWORD pid = Probe::ProcessOf(clock);
    Print(L"dialogs caption=" + caption + L" stage=start " + Probe::FiguresText(Probe::ReadFigures(pid)));
    const double start = Probe::NowMs();
    int retries = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        HWND dialog = nullptr;
        // Synthetic input races with the focus changes of the dialog that just closed: a menu can close
        // before it sees its key. Such a miss is Wine's timing, not the program's; try again, and count it.
        for (int attempt = 0; attempt < 3 && !dialog; ++attempt) {
            if (attempt > 0) ++retries;
            if (OpenDialog(clock, how)) {
                WaitFor([&] { return (dialog = FindCaption(pid, caption)) != nullptr; }, 3000);
            }
            // Leave no menu open behind us.
            if (HWND menu = Probe::FindTopWindow(L"#32768", pid, true)) PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
            if (!dialog && cycle == 0) break;
        }
        if (!dialog) {
            if (cycle == 0) {
                Print(L"dialogs caption=" + caption + L" opened=0 (the dialog does not open: skipped)");
                return 3;
            }
            PrintError(L"SoakProbe: dialog " + caption + L" did not open in cycle " + std::to_wstring(cycle));
            return 1;
        }
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        if (!WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000)) {
            PrintError(L"SoakProbe: dialog " + caption + L" did not close in cycle " + std::to_wstring(cycle));
            return 1;
        }
        if (cycle == 0) Print(L"dialogs stage=warm " + Probe::FiguresText(Probe::ReadFigures(pid)));
    }
    Print(L"dialogs caption=" + caption + L" stage=end " + Probe::FiguresText(Probe::ReadFigures(pid)));
    // The timer list that was opened on the way to its condition dialog closes too.
    if (HWND list = how.starts_with(L"listmenu:") ? FindCaption(pid, L"ダイアログ") : nullptr) {
        PostMessageW(list, WM_CLOSE, 0, 0);
        WaitFor([&] { return !IsWindow(list) || !IsWindowVisible(list); }, 5000);
    }
    Print(L"dialogs caption=" + caption + L" opened=" + std::to_wstring(cycles) + L" retries=" +
          std::to_wstring(retries) + L" seconds=" + Probe::Fixed((Probe::NowMs() - start) / 1000.0));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"figures" && argc == 2) return Figures();
    if (command == L"ticks" && argc == 4) return Ticks(std::wcstoll(argv[2], nullptr, 10), argv[3]);
    if (command == L"dialogs" && argc == 5) {
        const std::wstring name = argv[3];
        const wchar_t* caption = name == L"settings"    ? L"設定"
                                 : name == L"timers"    ? L"ダイアログ"
                                 : name == L"condition" ? L"条件指定"
                                                        : nullptr;
        if (caption) return Dialogs(_wtoi(argv[2]), caption, argv[4]);
    }
    PrintError(
        L"usage: SoakProbe figures | ticks COUNT LOG_PATH | dialogs CYCLES settings|timers|condition "
        L"menu:K|keys:CHORD|listmenu:K");
    return 2;
}
