// The driver: everything a test or a script does to the real clock from outside (start and end it, find its
// windows, read texts, rectangles and pixels, send messages and real input, work menus). Longer than a few
// hundred lines because it is one toolbox with one policy for waits; each part is a short function.
#include "tools/driver/Driver.h"

#include <tlhelp32.h>
#include <cstdio>

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <utility>

namespace Driver {
namespace {

struct HandleCloser {
    HANDLE h;
    ~HandleCloser() {
        if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

std::wstring FileNameOf(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool HasClass(HWND window, const wchar_t* className) {
    return className == nullptr || SameTextIgnoringCase(ClassName(window), className);
}

// Dispatches this thread's messages for up to `ms`. Returns false once WM_QUIT has been taken, which the
// caller must put back when it is done waiting.
bool PumpFor(DWORD ms, int* quitCode) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                *quitCode = static_cast<int>(msg.wParam);
                return false;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return true;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

// ---------------------------------------------------------------------------------------------------------
// Input

bool SendInputs(std::vector<INPUT>& inputs) {
    const UINT n = static_cast<UINT>(inputs.size());
    return SendInput(n, inputs.data(), sizeof(INPUT)) == n;
}

// MOUSEEVENTF_ABSOLUTE with VIRTUALDESK maps 0..65535 onto the virtual screen and the system takes the
// pixel as floor(n * width / 65536); rounding up here makes every pixel reachable exactly.
LONG Normalise(int coordinate, int origin, int extent) {
    if (extent <= 0) return 0;
    const long long n = (static_cast<long long>(coordinate - origin) * 65536 + extent - 1) / extent;
    return static_cast<LONG>(std::clamp(n, 0LL, 65535LL));
}

INPUT MoveInput(int x, int y) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = Normalise(x, GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_CXVIRTUALSCREEN));
    input.mi.dy = Normalise(y, GetSystemMetrics(SM_YVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    return input;
}

// A press or a release carries its own point: the system moves the pointer there first, so the button
// acts where it is meant to whatever moved the pointer since (see MoveAndSettle).
INPUT ButtonInput(Button button, bool down, int x, int y) {
    INPUT input = MoveInput(x, y);
    switch (button) {
        case Button::Left:
            input.mi.dwFlags |= down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
            break;
        case Button::Right:
            input.mi.dwFlags |= down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
            break;
        case Button::Middle:
            input.mi.dwFlags |= down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP;
            break;
    }
    return input;
}

bool IsExtendedKey(WORD vk) {
    switch (vk) {
        case VK_INSERT:
        case VK_DELETE:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_RCONTROL:
        case VK_RMENU:
        case VK_LWIN:
        case VK_RWIN:
        case VK_APPS:
        case VK_DIVIDE:
        case VK_NUMLOCK:
        case VK_SNAPSHOT:
        case VK_CANCEL:
            return true;
        default:
            return false;
    }
}

// Real keyboards send a scan code with each key; programs that look at it see the same as from a person.
INPUT KeyInput(WORD vk, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0) | (down ? 0 : KEYEVENTF_KEYUP);
    return input;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------
// Program

Program Program::Start(const std::wstring& exePath, const std::wstring& workingDir, int showCmd,
                       const std::wstring& arguments) {
    Program program;
    std::wstring commandLine = L"\"" + exePath + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    // Empty standard handles, or the program holds the caller's output pipe open and a script reading
    // that pipe waits for the clock to end (Wine passes the caller's own output on unless told otherwise).
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = static_cast<WORD>(showCmd);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info)) {
        program.error_ = GetLastError();
        return program;
    }
    CloseHandle(info.hThread);
    program.process_ = info.hProcess;
    program.pid_ = info.dwProcessId;
    return program;
}

Program Program::Attach(DWORD pid) {
    Program program;
    program.process_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (program.process_) {
        program.pid_ = pid;
    } else {
        program.error_ = GetLastError();
    }
    return program;
}

Program::Program(Program&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)),
      pid_(std::exchange(other.pid_, 0)),
      error_(std::exchange(other.error_, 0)) {}

Program& Program::operator=(Program&& other) noexcept {
    if (this != &other) {
        Reset();
        process_ = std::exchange(other.process_, nullptr);
        pid_ = std::exchange(other.pid_, 0);
        error_ = std::exchange(other.error_, 0);
    }
    return *this;
}

Program::~Program() { Reset(); }

void Program::Reset() {
    if (!process_) return;
    if (Running()) Kill();
    CloseHandle(process_);
    process_ = nullptr;
    pid_ = 0;
}

bool Program::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool Program::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode && !GetExitCodeProcess(process_, exitCode)) *exitCode = 0;
    return true;
}

void Program::Kill() {
    if (!process_) return;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, DefaultTimeoutMs);
}

std::vector<DWORD> ProcessesByExe(const std::wstring& exeName) {
    std::vector<DWORD> pids;
    const std::wstring wanted = FileNameOf(exeName);
    HandleCloser snapshot{CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)};
    if (snapshot.h == INVALID_HANDLE_VALUE) return pids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.h, &entry); more; more = Process32NextW(snapshot.h, &entry)) {
        if (SameTextIgnoringCase(FileNameOf(entry.szExeFile), wanted)) pids.push_back(entry.th32ProcessID);
    }
    return pids;
}

// ---------------------------------------------------------------------------------------------------------
// Finding windows

std::vector<HWND> TopWindows(DWORD pid, const wchar_t* className) {
    struct Search {
        DWORD pid;
        const wchar_t* className;
        std::vector<HWND> found;
    } search{pid, className, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            if ((s.pid == 0 || ProcessOf(window) == s.pid) && HasClass(window, s.className)) {
                s.found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(DWORD pid, const wchar_t* className, DWORD timeoutMs, bool mustBeVisible) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopWindows(pid, className)) {
                if (!mustBeVisible || IsWindowVisible(window)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

HWND FindDialog(DWORD pid, const wchar_t* caption, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            HWND other = nullptr;
            for (HWND window : TopWindows(pid)) {
                if (!IsWindowVisible(window) || StoredText(window) != caption) continue;
                if (ClassName(window) == L"#32770") {
                    found = window;
                    return true;
                }
                if (!other) other = window;
            }
            found = other;
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

// The thread of a shown menu of `pid` while that menu's loop runs in the foreground thread, where keys go.
static DWORD MenuLoopThread(DWORD pid) {
    for (HWND menu : TopWindows(pid, L"#32768")) {
        const DWORD thread = GetWindowThreadProcessId(menu, nullptr);
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (IsWindowVisible(menu) && GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMENUMODE) &&
            GetWindowThreadProcessId(GetForegroundWindow(), nullptr) == thread) {
            return thread;
        }
    }
    return 0;
}

// What a test sees of `pid` when an awaited window did not come, on the error output for the log: the
// window in front, and the process's shown windows.
static void ReportWindows(DWORD pid, const char* missing) {
    const HWND front = GetForegroundWindow();
    POINT cursor{};
    GetCursorPos(&cursor);
    const HWND pointed = WindowFromPoint(cursor);
    std::fprintf(stderr, "driver: %s; in front: %ls of process %lu; under the pointer: %ls of process %lu\n", missing,
                 ClassName(front).c_str(), static_cast<unsigned long>(ProcessOf(front)), ClassName(pointed).c_str(),
                 static_cast<unsigned long>(ProcessOf(pointed)));
    for (HWND window : TopWindows(pid)) {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
        if (IsWindowVisible(window)) {
            std::fprintf(stderr, "driver:   shown %ls \"%s\", its thread's flags %lx\n", ClassName(window).c_str(),
                         Utf8(StoredText(window)).c_str(), info.flags);
        }
    }
}

HWND OpenMenu(DWORD pid, const std::function<void()>& open) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        open();
        if (WaitUntil([&] { return MenuLoopThread(pid) != 0; }, 2 * DefaultTimeoutMs)) {
            if (HWND menu = WaitForWindow(pid, L"#32768", 0)) return menu;
        }
        // Seen under Wine only: a menu opened just after a dialog of the program closed may be cancelled (a late
        // focus change from the X server) before any key reaches it. Reported, and opened once more while no
        // menu is open.
        ReportWindows(pid, "no menu kept the keyboard");
        if (!MenuClosed(pid)) return nullptr;
    }
    return nullptr;
}

bool MenuClosed(DWORD pid) {
    return WaitUntil(
        [&] {
            for (HWND menu : TopWindows(pid, L"#32768")) {
                if (IsWindowVisible(menu)) return false;
            }
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            const HWND front = GetForegroundWindow();
            return ProcessOf(front) != pid || !GetGUIThreadInfo(GetWindowThreadProcessId(front, nullptr), &info) ||
                   !(info.flags & GUI_INMENUMODE);
        },
        DefaultTimeoutMs);
}

HWND ChooseFromMenu(DWORD pid, const std::function<void()>& open, WORD accessKey, const wchar_t* caption) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!OpenMenu(pid, open)) return nullptr;
        Key(accessKey);
        if (const HWND found = FindDialog(pid, caption, 2 * DefaultTimeoutMs)) return found;
        ReportWindows(pid, "the menu's choice opened nothing");
        // The same cancellation, after the menu had the keyboard and before the key reached it.
        if (!MenuClosed(pid)) return nullptr;
    }
    return nullptr;
}

std::vector<HWND> Children(HWND parent, const wchar_t* className) {
    struct Search {
        const wchar_t* className;
        std::vector<HWND> found;
    } search{className, {}};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            if (HasClass(window, s.className)) s.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindChild(HWND parent, const wchar_t* className, const std::wstring& text) {
    for (HWND child : Children(parent, className)) {
        if (Text(child) == text) return child;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------------------
// Reading windows

std::optional<std::wstring> Text(HWND window, DWORD timeoutMs) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &length)) {
        return std::nullopt;
    }
    // The length is an upper bound and the text may grow between the two messages: a buffer that comes
    // back full is read again, larger.
    std::wstring buffer;
    for (size_t capacity = length + 1;; capacity *= 2) {
        buffer.assign(capacity, L'\0');
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutW(window, WM_GETTEXT, capacity, reinterpret_cast<LPARAM>(buffer.data()),
                                 SMTO_ABORTIFHUNG, timeoutMs, &copied)) {
            return std::nullopt;
        }
        if (copied + 1 < capacity || capacity >= (1u << 20)) {
            buffer.resize(std::min<size_t>(copied, capacity - 1));
            return buffer;
        }
    }
}

RECT WindowRect(HWND window) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) rect = RECT{};
    return rect;
}

LONG Style(HWND window) { return GetWindowLongW(window, GWL_STYLE); }
LONG ExStyle(HWND window) { return GetWindowLongW(window, GWL_EXSTYLE); }
HWND Owner(HWND window) { return GetWindow(window, GW_OWNER); }
HWND Focus(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}
bool Visible(HWND window) { return IsWindowVisible(window) != 0; }

std::wstring StoredText(HWND window) {
    wchar_t buffer[1024];
    const int n = InternalGetWindowText(window, buffer, static_cast<int>(std::size(buffer)));
    return std::wstring(buffer, n > 0 ? n : 0);
}

std::wstring ClassName(HWND window) {
    wchar_t buffer[256];
    const int n = GetClassNameW(window, buffer, static_cast<int>(std::size(buffer)));
    return std::wstring(buffer, n > 0 ? n : 0);
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

COLORREF ScreenPixel(int x, int y) {
    const HDC screen = GetDC(nullptr);
    if (!screen) return CLR_INVALID;
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// ---------------------------------------------------------------------------------------------------------
// Messages and waiting

std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &result)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return PostMessageW(window, message, wParam, lParam) != 0;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    bool quit = false;
    int quitCode = 0;
    bool held = false;
    for (;;) {
        if (condition()) {
            held = true;
            break;
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        const DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(std::max<DWORD>(pollMs, 1), deadline - now));
        // After WM_QUIT the thread's loop is ending: only wait, and hand the message back at the end.
        if (quit) {
            Sleep(wait);
        } else {
            quit = !PumpFor(wait, &quitCode);
        }
    }
    if (quit) PostQuitMessage(quitCode);
    return held;
}

// ---------------------------------------------------------------------------------------------------------
// Input

bool MouseMove(int x, int y) {
    std::vector<INPUT> inputs{MoveInput(x, y)};
    return SendInputs(inputs);
}

// Wine echoes each move of the pointer back from the process that owns the window under it, whenever that
// process next reads its display's events; a busy program can so put the pointer back where it was after
// GetCursorPos has shown it arrive, and a press sent then would land at the old point (seen as a click on a
// dialog's button that never took). Presses carry their point for that reason; here the move also waits
// until the threads under the old and the new point have answered, and is sent again if it was undone.
static bool MoveAndSettle(int x, int y) {
    POINT from{};
    GetCursorPos(&from);
    const ULONGLONG deadline = GetTickCount64() + 2000;
    for (;;) {
        if (!MouseMove(x, y)) return false;
        POINT p{};
        for (;;) {
            if (!GetCursorPos(&p)) return false;  // not the input desktop (a secure desktop is up)
            if (p.x == x && p.y == y) break;
            if (GetTickCount64() >= deadline) return false;
            Sleep(5);
        }
        for (const POINT at : {from, POINT{x, y}}) {
            DWORD_PTR ignored = 0;
            if (HWND window = WindowFromPoint(at)) {
                SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, &ignored);
            }
        }
        if (GetCursorPos(&p) && p.x == x && p.y == y) return true;
        if (GetTickCount64() >= deadline) return false;
    }
}

// Presses (true) and releases (false) of one button at one point, in one call.
static bool SendButtons(Button button, int x, int y, std::initializer_list<bool> downs) {
    std::vector<INPUT> inputs;
    for (const bool down : downs) inputs.push_back(ButtonInput(button, down, x, y));
    return SendInputs(inputs);
}

bool PressAt(int x, int y, Button button) { return MoveAndSettle(x, y) && SendButtons(button, x, y, {true}); }

bool ReleaseAt(int x, int y, Button button) {
    const bool there = MoveAndSettle(x, y);
    // The button goes up even when the pointer did not settle, or it would stay pressed for the rest of the run.
    return SendButtons(button, x, y, {false}) && there;
}

bool Click(int x, int y, Button button) { return MoveAndSettle(x, y) && SendButtons(button, x, y, {true, false}); }

bool DoubleClick(int x, int y, Button button) {
    return MoveAndSettle(x, y) && SendButtons(button, x, y, {true, false, true, false});
}

bool Drag(Button button, int fromX, int fromY, int toX, int toY, int steps, DWORD stepMs) {
    steps = std::max(steps, 1);
    if (!PressAt(fromX, fromY, button)) return false;
    bool ok = true;
    for (int i = 1; i < steps && ok; ++i) {
        Sleep(stepMs);
        ok = MouseMove(fromX + MulDiv(toX - fromX, i, steps), fromY + MulDiv(toY - fromY, i, steps));
    }
    Sleep(stepMs);
    return ReleaseAt(toX, toY, button) && ok;
}

bool Key(WORD virtualKey) { return KeyChord({virtualKey}); }

bool KeyChord(const std::vector<WORD>& virtualKeys) {
    std::vector<INPUT> inputs;
    for (WORD vk : virtualKeys) inputs.push_back(KeyInput(vk, true));
    for (auto it = std::rbegin(virtualKeys); it != std::rend(virtualKeys); ++it) inputs.push_back(KeyInput(*it, false));
    return SendInputs(inputs);
}

bool Activate(HWND window, DWORD timeoutMs) {
    if (GetForegroundWindow() != window) SetForegroundWindow(window);
    // The window's own thread makes it active when it handles the request: until then a click or a key may
    // land in the middle of the activation (and a menu opened by it be closed again).
    return WaitUntil(
        [&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            return GetForegroundWindow() == window &&
                   GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndActive == window;
        },
        timeoutMs);
}

// ---------------------------------------------------------------------------------------------------------
// Text and files

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(n > 0 ? n : 0, '\0');
    if (n > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), n, nullptr, nullptr);
    }
    return result;
}

std::wstring FromCodePage(const std::string& bytes, UINT codePage) {
    if (bytes.empty()) return {};
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring result(n > 0 ? n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), result.data(), n);
    return result;
}

bool CopyFileTo(const std::wstring& source, const std::wstring& target) {
    return CopyFileW(source.c_str(), target.c_str(), FALSE) != 0;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HandleCloser file{CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.h == INVALID_HANDLE_VALUE) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD n = 0;
        if (!WriteFile(file.h, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n, nullptr) || n == 0) {
            return false;
        }
        done += n;
    }
    return true;
}

std::wstring ExeFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    const size_t cut = buffer.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring{} : buffer.substr(0, cut);
}

void MakeProcessDpiAware() {
    // Some systems grant only the first version of per-monitor awareness; older ones only system awareness.
    if (SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) return;
    if (SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE)) return;
    SetProcessDPIAware();
}

}  // namespace Driver
