#include "bench/Probe.h"

#include <psapi.h>

#include <cstdio>
#include <cwchar>

namespace Probe {

double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

HWND FindTopWindow(const wchar_t* className, DWORD pid, bool mustBeVisible) {
    struct Search {
        const wchar_t* className;
        DWORD pid;
        bool mustBeVisible;
        HWND found;
    } search{className, pid, mustBeVisible, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            wchar_t name[256];
            if (!GetClassNameW(window, name, 256) || wcscmp(name, s.className) != 0) return TRUE;
            if (s.pid && ProcessOf(window) != s.pid) return TRUE;
            if (s.mustBeVisible && !IsWindowVisible(window)) return TRUE;
            s.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopWindow(const wchar_t* className, DWORD pid, bool mustBeVisible, DWORD timeoutMs) {
    const double end = NowMs() + timeoutMs;
    for (;;) {
        if (HWND window = FindTopWindow(className, pid, mustBeVisible)) return window;
        if (NowMs() > end) return nullptr;
        Sleep(1);
    }
}

HWND FirstChild(HWND parent) { return parent ? GetWindow(parent, GW_CHILD) : nullptr; }

std::optional<std::wstring> SentText(HWND window, DWORD timeoutMs) {
    wchar_t buffer[256];
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, timeoutMs,
                             &length)) {
        return std::nullopt;
    }
    return std::wstring(buffer, length < 256 ? length : 255);
}

std::wstring StoredText(HWND window) {
    wchar_t buffer[256];
    const int n = InternalGetWindowText(window, buffer, 256);
    return std::wstring(buffer, n > 0 ? n : 0);
}

std::wstring ClockText(const SYSTEMTIME& time) {
    wchar_t text[16];
    swprintf(text, 16, L"%02u:%02u:%02u", time.wHour, time.wMinute, time.wSecond);
    return text;
}

// ---------------------------------------------------------------------------------------------------------

Process::~Process() { Kill(); }

bool Process::Start(const std::wstring& exePath) {
    Kill();
    std::wstring folder = exePath.substr(0, exePath.find_last_of(L"\\/"));
    std::wstring commandLine = L"\"" + exePath + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    // No inherited standard handles: a script that reads our output must not wait for the program too.
    startup.dwFlags = STARTF_USESTDHANDLES;
    return CreateProcessW(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, &info_) != 0;
}

bool Process::Close(HWND window, DWORD timeoutMs) {
    if (!info_.hProcess) return false;
    PostMessageW(window, WM_CLOSE, 0, 0);
    const bool ended = WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
    Kill();
    return ended;
}

void Process::Kill() {
    if (!info_.hProcess) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
    info_ = {};
}

// ---------------------------------------------------------------------------------------------------------

Figures ReadFigures(DWORD pid) {
    Figures figures;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return figures;
    const auto reported = [](long long value) { return value > 0 ? value : -1; };
    figures.gdiObjects = reported(GetGuiResources(process, GR_GDIOBJECTS));
    figures.userObjects = reported(GetGuiResources(process, GR_USEROBJECTS));
    DWORD handles = 0;
    if (GetProcessHandleCount(process, &handles)) figures.handles = reported(handles);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        figures.privateBytes = reported(static_cast<long long>(memory.PrivateUsage));
        figures.workingSet = reported(static_cast<long long>(memory.WorkingSetSize));
    }
    CloseHandle(process);
    return figures;
}

std::wstring FiguresText(const Figures& f) {
    const auto text = [](long long value, long long unit = 1) {
        return value < 0 ? std::wstring(L"n/a") : std::to_wstring(value / unit);
    };
    return L"gdi=" + text(f.gdiObjects) + L" user=" + text(f.userObjects) + L" handles=" + text(f.handles) +
           L" private_kib=" + text(f.privateBytes, 1024) + L" working_set_kib=" + text(f.workingSet, 1024);
}

// ---------------------------------------------------------------------------------------------------------

namespace {
void Write(DWORD which, const std::wstring& text) {
    const HANDLE out = GetStdHandle(which);
    if (!out || out == INVALID_HANDLE_VALUE) return;
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
}  // namespace

void Print(const std::wstring& line) { Write(STD_OUTPUT_HANDLE, line + L"\n"); }
void PrintError(const std::wstring& line) { Write(STD_ERROR_HANDLE, line + L"\n"); }

std::wstring Fixed(double value, int decimals) {
    wchar_t text[64];
    swprintf(text, 64, L"%.*f", decimals, value);
    return text;
}

}  // namespace Probe
