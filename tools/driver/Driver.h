#pragma once
// The end-to-end test driver: a test process runs beside the real clock and observes and drives it from
// outside, as a user and the system would. Everything here works across processes: windows are found by
// process and class, read through messages answered by the other side, and driven with real input.
//
// Conventions:
// - Coordinates are physical screen pixels. A process that reads geometry should call
//   `MakeProcessDpiAware()` once, or a scaled desktop reports scaled rectangles.
// - Every call that can block on the other process takes a time-out in milliseconds and returns a
//   "nothing" value (nullopt, nullptr, false) when it runs out; nothing here waits forever.
// - Folder paths are returned without a trailing separator.
// - Tests poll with `WaitUntil`; they never sleep a fixed time.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Driver {

inline constexpr DWORD DefaultTimeoutMs = 5000;

// ---------------------------------------------------------------------------------------------------------
// Processes

// A process started for a test. Owning: the destructor kills the process if it is still running, so a
// failed assertion never leaves a clock behind. Movable, not copyable.
class Program {
public:
    // Starts `exePath` in `workingDir` (empty: the caller's) with `arguments` appended to the quoted path.
    // `showCmd` reaches the program's first ShowWindow (SW_SHOWMINNOACTIVE starts it minimised).
    // On failure the result is empty (`!program`) and `Error()` holds GetLastError().
    static Program Start(const std::wstring& exePath, const std::wstring& workingDir, int showCmd = SW_SHOWNORMAL,
                         const std::wstring& arguments = {});
    // Takes charge of a process that something else started (a program the clock opened); empty when it
    // cannot be opened.
    static Program Attach(DWORD pid);

    Program() = default;
    Program(Program&& other) noexcept;
    Program& operator=(Program&& other) noexcept;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();

    explicit operator bool() const { return process_ != nullptr; }
    DWORD Pid() const { return pid_; }
    HANDLE Handle() const { return process_; }
    DWORD Error() const { return error_; }
    bool Running() const;

    // True when the process has ended within the time-out; its exit code goes to `exitCode`.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    // Terminates the process (exit code 1) and waits for it to be gone.
    void Kill();

private:
    void Reset();

    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    DWORD error_ = 0;
};

// Processes whose executable file name is `exeName` (compared case-insensitively; a path in `exeName`
// is ignored, only its file name counts).
std::vector<DWORD> ProcessesByExe(const std::wstring& exeName);

// ---------------------------------------------------------------------------------------------------------
// Finding windows

// Top-level windows of process `pid` (0: of every process), hidden ones included, in Z order.
// `className` nullptr matches any class.
std::vector<HWND> TopWindows(DWORD pid, const wchar_t* className = nullptr);

// The first top-level window of `pid` with this class (visible, unless `mustBeVisible` is false) that
// appears within the time-out; nullptr when none does.
HWND WaitForWindow(DWORD pid, const wchar_t* className, DWORD timeoutMs, bool mustBeVisible = true);

// A visible top-level window of `pid` with this caption: a dialog box (#32770) first, else a window of
// any class. Waits up to the time-out; nullptr when none appears.
HWND FindDialog(DWORD pid, const wchar_t* caption, DWORD timeoutMs);
// Opens a popup menu of `pid` by `open` and returns it once its loop has the keyboard (a key sent before
// that goes to the window that had it, and is lost to the menu); nullptr when no menu comes in time.
HWND OpenMenu(DWORD pid, const std::function<void()>& open);
// No menu of `pid` is shown or has the keyboard any more.
bool MenuClosed(DWORD pid);
// Opens a popup menu by `open`, chooses an item by its access key, and returns the window the item opens
// (found by caption); nullptr when the menu or the window does not come.
HWND ChooseFromMenu(DWORD pid, const std::function<void()>& open, WORD accessKey, const wchar_t* caption);

// All descendants of `parent` (not only direct children), in Z order, optionally only of one class.
std::vector<HWND> Children(HWND parent, const wchar_t* className = nullptr);

// The first descendant of `parent` with this class (nullptr: any) and exactly this text; nullptr when
// there is none. Finds a dialog's button by its caption.
HWND FindChild(HWND parent, const wchar_t* className, const std::wstring& text);

// ---------------------------------------------------------------------------------------------------------
// Reading windows

// The window's text through WM_GETTEXT; nullopt when the window is gone or does not answer in time, so a
// hung program never reads as an empty caption.
std::optional<std::wstring> Text(HWND window, DWORD timeoutMs = DefaultTimeoutMs);

RECT WindowRect(HWND window);  // all zero when the window is gone
LONG Style(HWND window);
LONG ExStyle(HWND window);
HWND Owner(HWND window);
// The window with the keyboard focus in the thread of `window`; nullptr when none has it.
HWND Focus(HWND window);
std::wstring ClassName(HWND window);
bool Visible(HWND window);
// The text the system keeps for a window, read without a message: never stalls on a hung window, but
// misses what a window answers to WM_GETTEXT on its own.
std::wstring StoredText(HWND window);
DWORD ProcessOf(HWND window);

// The colour at a screen point, CLR_INVALID outside the screen. Reads what is really shown, so a
// window covered by another reads as the one on top.
COLORREF ScreenPixel(int x, int y);

// ---------------------------------------------------------------------------------------------------------
// Messages

// SendMessageTimeoutW with SMTO_ABORTIFHUNG: the window's answer, or nullopt when the window is gone,
// hung, or slower than the time-out.
std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                            DWORD timeoutMs = DefaultTimeoutMs);
bool Post(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// ---------------------------------------------------------------------------------------------------------
// Waiting

// Calls `condition` until it holds or the time-out has passed; true when it held. Between calls the
// thread's own messages are dispatched, so a test that owns windows keeps them answering.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs = 10);

// ---------------------------------------------------------------------------------------------------------
// Real input (SendInput): it travels the same way as a user's, so capture, double-click timing,
// accelerators and the key state all behave as for a person at the keyboard.

enum class Button { Left, Right, Middle };

bool MouseMove(int x, int y);
// A press or a release at a point, sent once the pointer has settled there, and carrying the point itself.
bool PressAt(int x, int y, Button button = Button::Left);
bool ReleaseAt(int x, int y, Button button = Button::Left);
bool Click(int x, int y, Button button = Button::Left);
bool DoubleClick(int x, int y, Button button = Button::Left);
// Presses at `from`, moves in `steps` even steps to `to`, releases there. `stepMs` paces the moves as a
// hand would, so a window that follows the mouse (or takes capture on the press) keeps up with it.
bool Drag(Button button, int fromX, int fromY, int toX, int toY, int steps = 10, DWORD stepMs = 15);

// Presses and releases one virtual key.
bool Key(WORD virtualKey);
// Presses the keys in order and releases them in reverse: KeyChord({VK_CONTROL, 'T'}).
bool KeyChord(const std::vector<WORD>& virtualKeys);

// Makes `window` the foreground window (where keys go) and waits until its thread has made it active; true
// when that happens within the time-out.
bool Activate(HWND window, DWORD timeoutMs = DefaultTimeoutMs);

// ---------------------------------------------------------------------------------------------------------
// Text and files

std::string Utf8(const std::wstring& text);
// Bytes in a code page (932 for the program's files) as UTF-16, for comparing and printing.
std::wstring FromCodePage(const std::string& bytes, UINT codePage);

// Copies a file, replacing the target.
bool CopyFileTo(const std::wstring& source, const std::wstring& target);
// Creates or truncates the file and writes exactly these bytes (read them back with Os::ReadFileBytes).
bool WriteBytes(const std::wstring& path, const std::string& bytes);

// Folder of the running executable.
std::wstring ExeFolder();

// Per-monitor DPI awareness for this process (the best that the system grants).
void MakeProcessDpiAware();

}  // namespace Driver
