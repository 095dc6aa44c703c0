#pragma once
// What the bench probes share: finding another process's windows, reading their text, starting and ending
// programs, process figures, and printing. Everything works from outside the observed program.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace Probe {

// Milliseconds since an arbitrary start, with sub-millisecond resolution.
double NowMs();

// The first top-level window of this class (of process `pid`, or of any process when 0), optionally only a
// visible one.
HWND FindTopWindow(const wchar_t* className, DWORD pid = 0, bool mustBeVisible = false);
// Waits for FindTopWindow to succeed, polling every millisecond; nullptr on time-out.
HWND WaitForTopWindow(const wchar_t* className, DWORD pid, bool mustBeVisible, DWORD timeoutMs);
HWND FirstChild(HWND parent);
DWORD ProcessOf(HWND window);

// WM_GETTEXT through SendMessageTimeoutW: the window answers itself, so a reading also proves that it runs.
std::optional<std::wstring> SentText(HWND window, DWORD timeoutMs = 1000);
// The text the system keeps for the window, read without waking the window's thread.
std::wstring StoredText(HWND window);

// "hh:mm:ss" of a local time.
std::wstring ClockText(const SYSTEMTIME& time);

// A started program. The destructor kills it if it still runs, so a failed probe leaves nothing behind.
class Process {
public:
    Process() = default;
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts the program in its own folder; false on failure.
    bool Start(const std::wstring& exePath);
    // Posts WM_CLOSE to `window` and waits for the end; kills the program after `timeoutMs`.
    bool Close(HWND window, DWORD timeoutMs = 15000);
    void Kill();
    HANDLE Handle() const { return info_.hProcess; }
    DWORD Pid() const { return info_.dwProcessId; }

private:
    PROCESS_INFORMATION info_{};
};

// What the system reports about a process's resources. A figure the system does not report is -1 (Wine
// answers 0 for GDI and USER objects, handles and private bytes of another process: never true of a
// running program with windows, so 0 counts as not reported too).
struct Figures {
    long long gdiObjects = -1;
    long long userObjects = -1;
    long long handles = -1;
    long long privateBytes = -1;
    long long workingSet = -1;
};
Figures ReadFigures(DWORD pid);
std::wstring FiguresText(const Figures& figures);

// Output for a Linux script: UTF-8 bytes on standard output, whatever the console code page.
void Print(const std::wstring& line);
void PrintError(const std::wstring& line);

std::wstring Fixed(double value, int decimals = 1);

}  // namespace Probe
