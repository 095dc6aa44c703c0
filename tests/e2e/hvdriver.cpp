// hvdriver: the end-to-end driver on the command line, for shell scripts. Every command prints UTF-8 on
// stdout and answers with its exit code: 0 done, 1 not found / timed out / refused, 2 bad command line.
#include <windows.h>

#include <cwctype>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/Driver.h"

namespace {

constexpr int Done = 0;
constexpr int Failed = 1;
constexpr int Usage = 2;

const wchar_t* const UsageText =
    LR"(usage: hvdriver COMMAND ...
Windows (a window line: HWND PID CLASS visible|hidden LEFT TOP RIGHT BOTTOM TEXT, separated by tabs; tabs,
line breaks and backslashes in TEXT are written \t \r \n \\):
  windows [--pid N | --exe NAME] [--class C]   top-level windows, in Z order
  children HWND [--class C]                     descendants of a window
  wait-window (--pid N | --exe NAME) --class C [--timeout MS] [--hidden]
                                                prints the HWND of the first (visible) match
  find-dialog (--pid N | --exe NAME) CAPTION [--timeout MS] [--hex]
  text HWND                                     WM_GETTEXT, as it is
  rect HWND | client-rect HWND                  LEFT TOP RIGHT BOTTOM WIDTH HEIGHT on the screen
  style HWND                                    STYLE EXSTYLE in hex
  owner HWND | class HWND
  wait-text HWND TEXT [--timeout MS] [--hex]    prints the milliseconds waited
  wait-text-change HWND [--timeout MS]          prints MS<tab>HH:MM:SS.mmm<tab>NEW TEXT
Messages (MSG is a number or a name such as WM_CLOSE, WM_USER+3; numbers are decimal or 0x hex):
  send HWND MSG WPARAM LPARAM [--timeout MS]    prints the result
  post HWND MSG WPARAM LPARAM
  close HWND                                    posts WM_CLOSE
Screen:
  pixel X Y                                     prints RRGGBB
  capture LEFT TOP RIGHT BOTTOM FILE.bmp | capture HWND FILE.bmp
Input (real input, to whatever is under the cursor or in the foreground):
  move X Y | click X Y | double-click X Y       [--right | --middle]
  drag X1 Y1 X2 Y2 [--steps N] [--right | --middle]
  key KEY...                                    each KEY a chord: ctrl+t, escape, alt+f4, 0x41
  type TEXT [--hex]
  activate HWND
With --hex, TEXT and CAPTION are the hex digits of their UTF-8 bytes (e.g. from xxd -p), for hosts where
Wine mangles non-ASCII arguments (a missing glibc locale).
Processes:
  start EXEPATH [--min | --show N] [--cwd DIR] [-- ARGUMENTS...]   prints the PID
  pids --exe NAME
  wait-exit (--pid N | --exe NAME) [--timeout MS]                 prints the exit code when known
  kill (--pid N | --exe NAME)
)";

// ---------------------------------------------------------------------------------------------------------
// Output: UTF-8 bytes for a pipe or a file, so a Linux script reads them whatever the code page; a real
// console gets UTF-16.

void Write(DWORD which, const std::wstring& text) {
    const HANDLE out = GetStdHandle(which);
    if (!out || out == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = Driver::Utf8(text);
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Print(const std::wstring& line) { Write(STD_OUTPUT_HANDLE, line + L"\n"); }

int Fail(const std::wstring& message) {
    Write(STD_ERROR_HANDLE, L"hvdriver: " + message + L"\n");
    return Failed;
}

int BadUsage(const std::wstring& message) {
    Write(STD_ERROR_HANDLE, L"hvdriver: " + message + L" (hvdriver help lists the commands)\n");
    return Usage;
}

std::wstring Hex(unsigned long long value, int digits = 1) {
    std::wstring text;
    do {
        text.insert(text.begin(), L"0123456789ABCDEF"[value & 15]);
        value >>= 4;
    } while (value != 0 || static_cast<int>(text.size()) < digits);
    return text;
}

std::wstring HwndText(HWND window) { return L"0x" + Hex(reinterpret_cast<ULONG_PTR>(window)); }

std::wstring Escaped(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
            case L'\t':
                out += L"\\t";
                break;
            case L'\r':
                out += L"\\r";
                break;
            case L'\n':
                out += L"\\n";
                break;
            case L'\\':
                out += L"\\\\";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::wstring RectText(const RECT& r) {
    return std::to_wstring(r.left) + L"\t" + std::to_wstring(r.top) + L"\t" + std::to_wstring(r.right) + L"\t" +
           std::to_wstring(r.bottom);
}

std::wstring WindowLine(HWND window) {
    return HwndText(window) + L"\t" + std::to_wstring(Driver::ProcessOf(window)) + L"\t" + Driver::ClassName(window) +
           L"\t" + (Driver::Visible(window) ? L"visible" : L"hidden") + L"\t" + RectText(Driver::WindowRect(window)) +
           L"\t" + Escaped(Driver::StoredText(window));
}

// ---------------------------------------------------------------------------------------------------------
// Command line

// Decimal or 0x hex, optionally negative; the whole argument must be the number.
std::optional<long long> ParseNumber(const std::wstring& text) {
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == L'-';
    if (negative) ++i;
    int base = 10;
    if (text.size() > i + 1 && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return std::nullopt;
    unsigned long long value = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = static_cast<wchar_t>(std::towlower(text[i]));
        int digit;
        if (c >= L'0' && c <= L'9') {
            digit = c - L'0';
        } else if (base == 16 && c >= L'a' && c <= L'f') {
            digit = c - L'a' + 10;
        } else {
            return std::nullopt;
        }
        if (value > (~0ull - digit) / base) return std::nullopt;
        value = value * base + digit;
    }
    return negative ? -static_cast<long long>(value) : static_cast<long long>(value);
}

const std::map<std::wstring, long long>& MessageNames() {
    static const std::map<std::wstring, long long> names{
        {L"WM_NULL", WM_NULL},
        {L"WM_CLOSE", WM_CLOSE},
        {L"WM_QUERYENDSESSION", WM_QUERYENDSESSION},
        {L"WM_ENDSESSION", WM_ENDSESSION},
        {L"WM_SETTINGCHANGE", WM_SETTINGCHANGE},
        {L"WM_TIMECHANGE", WM_TIMECHANGE},
        {L"WM_DISPLAYCHANGE", WM_DISPLAYCHANGE},
        {L"WM_GETTEXT", WM_GETTEXT},
        {L"WM_GETTEXTLENGTH", WM_GETTEXTLENGTH},
        {L"WM_KEYDOWN", WM_KEYDOWN},
        {L"WM_KEYUP", WM_KEYUP},
        {L"WM_CHAR", WM_CHAR},
        {L"WM_COMMAND", WM_COMMAND},
        {L"WM_SYSCOMMAND", WM_SYSCOMMAND},
        {L"WM_TIMER", WM_TIMER},
        {L"WM_MOUSEMOVE", WM_MOUSEMOVE},
        {L"WM_LBUTTONDOWN", WM_LBUTTONDOWN},
        {L"WM_LBUTTONUP", WM_LBUTTONUP},
        {L"WM_LBUTTONDBLCLK", WM_LBUTTONDBLCLK},
        {L"WM_RBUTTONDOWN", WM_RBUTTONDOWN},
        {L"WM_RBUTTONUP", WM_RBUTTONUP},
        {L"WM_CONTEXTMENU", WM_CONTEXTMENU},
        {L"WM_POWERBROADCAST", WM_POWERBROADCAST},
        {L"WM_DPICHANGED", WM_DPICHANGED},
        {L"WM_USER", WM_USER},
        {L"WM_APP", WM_APP},
        {L"BM_CLICK", BM_CLICK},
        {L"PBT_APMSUSPEND", PBT_APMSUSPEND},
        {L"PBT_APMRESUMESUSPEND", PBT_APMRESUMESUSPEND},
        {L"PBT_APMRESUMEAUTOMATIC", PBT_APMRESUMEAUTOMATIC},
        {L"PBT_POWERSETTINGCHANGE", PBT_POWERSETTINGCHANGE},
        {L"ENDSESSION_LOGOFF", static_cast<long long>(ENDSESSION_LOGOFF)},
        {L"ENDSESSION_CLOSEAPP", ENDSESSION_CLOSEAPP},
        {L"ENDSESSION_CRITICAL", ENDSESSION_CRITICAL},
        {L"SC_MINIMIZE", SC_MINIMIZE},
        {L"SC_RESTORE", SC_RESTORE},
        {L"SC_CLOSE", SC_CLOSE},
    };
    return names;
}

// A number, a known name, or NAME+N.
std::optional<long long> ParseValue(const std::wstring& text) {
    if (auto number = ParseNumber(text)) return number;
    const size_t plus = text.find(L'+');
    std::wstring name = text.substr(0, plus);
    for (auto& c : name) c = static_cast<wchar_t>(std::towupper(c));
    const auto found = MessageNames().find(name);
    if (found == MessageNames().end()) return std::nullopt;
    if (plus == std::wstring::npos) return found->second;
    const auto offset = ParseNumber(text.substr(plus + 1));
    if (!offset) return std::nullopt;
    return found->second + *offset;
}

struct KeyName {
    const wchar_t* name;
    WORD vk;
};

constexpr KeyName KeyNames[] = {
    {L"ctrl", VK_CONTROL},  {L"control", VK_CONTROL}, {L"shift", VK_SHIFT},   {L"alt", VK_MENU},
    {L"win", VK_LWIN},      {L"esc", VK_ESCAPE},      {L"escape", VK_ESCAPE}, {L"enter", VK_RETURN},
    {L"return", VK_RETURN}, {L"tab", VK_TAB},         {L"space", VK_SPACE},   {L"backspace", VK_BACK},
    {L"delete", VK_DELETE}, {L"del", VK_DELETE},      {L"insert", VK_INSERT}, {L"home", VK_HOME},
    {L"end", VK_END},       {L"pgup", VK_PRIOR},      {L"pageup", VK_PRIOR},  {L"pgdn", VK_NEXT},
    {L"pagedown", VK_NEXT}, {L"up", VK_UP},           {L"down", VK_DOWN},     {L"left", VK_LEFT},
    {L"right", VK_RIGHT},   {L"apps", VK_APPS},       {L"menu", VK_APPS},
};

std::optional<WORD> ParseKey(std::wstring name) {
    for (auto& c : name) c = static_cast<wchar_t>(std::towlower(c));
    if (name.size() == 1 && ((name[0] >= L'a' && name[0] <= L'z') || (name[0] >= L'0' && name[0] <= L'9'))) {
        return static_cast<WORD>(std::towupper(name[0]));
    }
    for (const auto& key : KeyNames) {
        if (name == key.name) return key.vk;
    }
    if (name.size() >= 2 && name[0] == L'f') {
        const auto n = ParseNumber(name.substr(1));
        if (n && *n >= 1 && *n <= 24) return static_cast<WORD>(VK_F1 + *n - 1);
    }
    if (name.rfind(L"0x", 0) == 0) {
        const auto n = ParseNumber(name);
        if (n && *n > 0 && *n < 0xFF) return static_cast<WORD>(*n);
    }
    return std::nullopt;
}

class Args {
public:
    Args(int argc, wchar_t** argv) {
        static const wchar_t* const withValue[] = {L"--pid",   L"--exe", L"--class", L"--timeout",
                                                   L"--steps", L"--cwd", L"--show"};
        for (int i = 2; i < argc; ++i) {
            const std::wstring arg = argv[i];
            if (arg == L"--") {
                for (++i; i < argc; ++i) rest_.push_back(argv[i]);
                break;
            }
            if (arg.rfind(L"--", 0) != 0) {
                positional_.push_back(arg);
                continue;
            }
            bool takesValue = false;
            for (const wchar_t* name : withValue) takesValue = takesValue || arg == name;
            if (takesValue) {
                if (i + 1 >= argc) {
                    error_ = arg + L" needs a value";
                    return;
                }
                options_[arg] = argv[++i];
            } else {
                options_[arg] = L"";
            }
        }
    }

    const std::wstring& Error() const { return error_; }
    const std::vector<std::wstring>& Positional() const { return positional_; }
    const std::vector<std::wstring>& Rest() const { return rest_; }
    bool Has(const wchar_t* option) const { return options_.count(option) != 0; }
    std::wstring Option(const wchar_t* option) const {
        const auto found = options_.find(option);
        return found == options_.end() ? std::wstring{} : found->second;
    }
    // Options the command does not know are mistakes, not things to ignore.
    std::optional<std::wstring> Unknown(std::initializer_list<const wchar_t*> known) const {
        for (const auto& [name, value] : options_) {
            bool ok = false;
            for (const wchar_t* k : known) ok = ok || name == k;
            if (!ok) return name;
        }
        return std::nullopt;
    }

private:
    std::vector<std::wstring> positional_;
    std::vector<std::wstring> rest_;
    std::map<std::wstring, std::wstring> options_;
    std::wstring error_;
};

// Which processes a command is about: one pid, or every process of one executable (looked up again on
// each poll, so a command can wait for a program that has not started yet).
struct Target {
    DWORD pid = 0;
    std::wstring exe;

    std::vector<DWORD> Pids() const { return exe.empty() ? std::vector<DWORD>{pid} : Driver::ProcessesByExe(exe); }
};

std::optional<Target> ParseTarget(const Args& args, bool required, std::wstring* error) {
    Target target;
    if (args.Has(L"--pid") && args.Has(L"--exe")) {
        *error = L"give --pid or --exe, not both";
        return std::nullopt;
    }
    if (args.Has(L"--pid")) {
        const auto pid = ParseNumber(args.Option(L"--pid"));
        if (!pid || *pid <= 0 || *pid > 0xFFFFFFFFLL) {
            *error = L"bad --pid";
            return std::nullopt;
        }
        target.pid = static_cast<DWORD>(*pid);
    } else if (args.Has(L"--exe")) {
        target.exe = args.Option(L"--exe");
    } else if (required) {
        *error = L"needs --pid N or --exe NAME";
        return std::nullopt;
    }
    return target;
}

DWORD TimeoutOf(const Args& args) {
    if (!args.Has(L"--timeout")) return Driver::DefaultTimeoutMs;
    const auto ms = ParseNumber(args.Option(L"--timeout"));
    return ms && *ms >= 0 && *ms < 0x7FFFFFFF ? static_cast<DWORD>(*ms) : Driver::DefaultTimeoutMs;
}

std::optional<HWND> ParseWindow(const std::wstring& text) {
    const auto value = ParseNumber(text);
    if (!value) return std::nullopt;
    const HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(*value));
    if (!IsWindow(window)) return std::nullopt;
    return window;
}

// A text argument as given, or with --hex as the hex digits of its UTF-8 bytes: where the host's locale is
// missing, Wine can turn non-ASCII command-line bytes into other characters before wmain sees them.
std::optional<std::wstring> TextArg(const Args& args, const std::wstring& given) {
    if (!args.Has(L"--hex")) return given;
    if (given.size() % 2 != 0) return std::nullopt;
    std::string bytes;
    for (size_t i = 0; i < given.size(); i += 2) {
        const auto byte = ParseNumber(L"0x" + given.substr(i, 2));
        if (!byte) return std::nullopt;
        bytes += static_cast<char>(*byte);
    }
    return Driver::FromUtf8(bytes);
}

Driver::Button ButtonOf(const Args& args) {
    if (args.Has(L"--right")) return Driver::Button::Right;
    if (args.Has(L"--middle")) return Driver::Button::Middle;
    return Driver::Button::Left;
}

// ---------------------------------------------------------------------------------------------------------
// Commands

using Command = int (*)(const Args&);

// Checks the count of positional arguments and the options; a usage exit code when they do not fit.
std::optional<int> Misfit(const Args& args, size_t count, std::initializer_list<const wchar_t*> known = {}) {
    if (args.Positional().size() != count) return BadUsage(L"wrong number of arguments");
    if (auto unknown = args.Unknown(known)) return BadUsage(L"unknown option " + *unknown);
    return std::nullopt;
}

// The window named by a positional argument; nullptr (after reporting) when there is none.
HWND WindowArg(const Args& args, size_t index) {
    const auto window = ParseWindow(args.Positional()[index]);
    if (!window) {
        Fail(L"no such window: " + args.Positional()[index]);
        return nullptr;
    }
    return *window;
}

int CmdWindows(const Args& args) {
    if (auto misfit = Misfit(args, 0, {L"--pid", L"--exe", L"--class"})) return *misfit;
    std::wstring error;
    const auto target = ParseTarget(args, false, &error);
    if (!target) return BadUsage(error);
    const std::wstring cls = args.Option(L"--class");
    const wchar_t* className = args.Has(L"--class") ? cls.c_str() : nullptr;
    if (target->pid == 0 && target->exe.empty()) {
        for (HWND window : Driver::TopWindows(0, className)) Print(WindowLine(window));
        return Done;
    }
    const auto pids = target->Pids();
    // One pass over the windows keeps the Z order across several processes of the same executable.
    for (HWND window : Driver::TopWindows(0, className)) {
        for (DWORD pid : pids) {
            if (Driver::ProcessOf(window) == pid) Print(WindowLine(window));
        }
    }
    return Done;
}

int CmdChildren(const Args& args) {
    if (auto misfit = Misfit(args, 1, {L"--class"})) return *misfit;
    const HWND parent = WindowArg(args, 0);
    if (!parent) return Failed;
    const std::wstring cls = args.Option(L"--class");
    for (HWND child : Driver::Children(parent, args.Has(L"--class") ? cls.c_str() : nullptr)) {
        Print(WindowLine(child));
    }
    return Done;
}

int CmdWaitWindow(const Args& args) {
    if (auto misfit = Misfit(args, 0, {L"--pid", L"--exe", L"--class", L"--timeout", L"--hidden"})) return *misfit;
    std::wstring error;
    const auto target = ParseTarget(args, true, &error);
    if (!target) return BadUsage(error);
    if (!args.Has(L"--class")) return BadUsage(L"needs --class C");
    const std::wstring cls = args.Option(L"--class");
    const bool mustBeVisible = !args.Has(L"--hidden");
    HWND found = nullptr;
    Driver::WaitUntil(
        [&] {
            for (DWORD pid : target->Pids()) {
                if ((found = Driver::WaitForWindow(pid, cls.c_str(), 0, mustBeVisible))) return true;
            }
            return false;
        },
        TimeoutOf(args));
    if (!found) return Fail(L"no window of class " + cls);
    Print(HwndText(found));
    return Done;
}

int CmdFindDialog(const Args& args) {
    if (auto misfit = Misfit(args, 1, {L"--pid", L"--exe", L"--timeout", L"--hex"})) return *misfit;
    std::wstring error;
    const auto target = ParseTarget(args, true, &error);
    if (!target) return BadUsage(error);
    const auto captionArg = TextArg(args, args.Positional()[0]);
    if (!captionArg) return BadUsage(L"bad hex text");
    const std::wstring& caption = *captionArg;
    HWND found = nullptr;
    Driver::WaitUntil(
        [&] {
            for (DWORD pid : target->Pids()) {
                if ((found = Driver::FindDialog(pid, caption.c_str(), 0))) return true;
            }
            return false;
        },
        TimeoutOf(args));
    if (!found) return Fail(L"no window captioned " + caption);
    Print(HwndText(found));
    return Done;
}

int CmdText(const Args& args) {
    if (auto misfit = Misfit(args, 1, {L"--timeout"})) return *misfit;
    const HWND window = WindowArg(args, 0);
    if (!window) return Failed;
    const auto text = Driver::Text(window, TimeoutOf(args));
    if (!text) return Fail(L"the window does not answer");
    Print(*text);
    return Done;
}

int PrintRect(const RECT& r) {
    Print(RectText(r) + L"\t" + std::to_wstring(r.right - r.left) + L"\t" + std::to_wstring(r.bottom - r.top));
    return Done;
}

int CmdRect(const Args& args) {
    if (auto misfit = Misfit(args, 1)) return *misfit;
    const HWND window = WindowArg(args, 0);
    if (!window) return Failed;
    return PrintRect(Driver::WindowRect(window));
}

int CmdClientRect(const Args& args) {
    if (auto misfit = Misfit(args, 1)) return *misfit;
    const HWND window = WindowArg(args, 0);
    if (!window) return Failed;
    return PrintRect(Driver::ClientRectOnScreen(window));
}

int CmdStyle(const Args& args) {
    if (auto misfit = Misfit(args, 1)) return *misfit;
    const HWND window = WindowArg(args, 0);
    if (!window) return Failed;
    Print(L"0x" + Hex(static_cast<DWORD>(Driver::Style(window)), 8) + L"\t0x" +
          Hex(static_cast<DWORD>(Driver::ExStyle(window)), 8));
    return Done;
}

int CmdOwner(const Args& args) {
    if (auto misfit = Misfit(args, 1)) return *misfit;
    const HWND window = WindowArg(args, 0);
    if (!window) return Failed;
    Print(HwndText(Driver::Owner(window)));
    return Done;
}

int CmdClass(const Args& args) {
    if (auto misfit = Misfit(args, 1)) return *misfit;
    const HWND window = WindowArg(args, 0);
    if (!window) return Failed;
    Print(Driver::ClassName(window));
    return Done;
}

int CmdWaitText(const Args& args) {
    if (auto misfit = Misfit(args, 2, {L"--timeout", L"--hex"})) return *misfit;
    const HWND window = WindowArg(args, 0);
    if (!window) return Failed;
    const auto wantedArg = TextArg(args, args.Positional()[1]);
    if (!wantedArg) return BadUsage(L"bad hex text");
    const std::wstring& wanted = *wantedArg;
    const ULONGLONG start = GetTickCount64();
    std::optional<std::wstring> last;
    if (!Driver::WaitUntil([&] { return (last = Driver::Text(window)) == wanted; }, TimeoutOf(args), 1)) {
        return Fail(L"the text is " + (last ? L"\"" + Escaped(*last) + L"\"" : L"unreadable") + L", not \"" +
                    Escaped(wanted) + L"\"");
    }
    Print(std::to_wstring(GetTickCount64() - start));
    return Done;
}

int CmdWaitTextChange(const Args& args) {
    if (auto misfit = Misfit(args, 1, {L"--timeout"})) return *misfit;
    const HWND window = WindowArg(args, 0);
    if (!window) return Failed;
    const auto before = Driver::Text(window);
    if (!before) return Fail(L"the window does not answer");
    const ULONGLONG start = GetTickCount64();
    std::optional<std::wstring> now;
    SYSTEMTIME at{};
    const bool changed = Driver::WaitUntil(
        [&] {
            now = Driver::Text(window);
            GetLocalTime(&at);
            return !now || *now != *before;
        },
        TimeoutOf(args), 1);
    if (!changed) return Fail(L"the text stayed \"" + Escaped(*before) + L"\"");
    if (!now) return Fail(L"the window stopped answering");
    wchar_t clock[32];
    wsprintfW(clock, L"%02u:%02u:%02u.%03u", at.wHour, at.wMinute, at.wSecond, at.wMilliseconds);
    Print(std::to_wstring(GetTickCount64() - start) + L"\t" + clock + L"\t" + *now);
    return Done;
}

struct MessageArgs {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

std::optional<MessageArgs> ParseMessage(const Args& args, std::wstring* error) {
    const auto window = ParseWindow(args.Positional()[0]);
    const auto message = ParseValue(args.Positional()[1]);
    const auto wParam = ParseValue(args.Positional()[2]);
    const auto lParam = ParseValue(args.Positional()[3]);
    if (!window) *error = L"no such window: " + args.Positional()[0];
    if (!message || *message < 0 || *message > 0xFFFF) *error = L"bad message: " + args.Positional()[1];
    if (!wParam) *error = L"bad WPARAM: " + args.Positional()[2];
    if (!lParam) *error = L"bad LPARAM: " + args.Positional()[3];
    if (!error->empty()) return std::nullopt;
    return MessageArgs{*window, static_cast<UINT>(*message), static_cast<WPARAM>(*wParam),
                       static_cast<LPARAM>(*lParam)};
}

int CmdSend(const Args& args) {
    if (auto misfit = Misfit(args, 4, {L"--timeout"})) return *misfit;
    std::wstring error;
    const auto m = ParseMessage(args, &error);
    if (!m) return Fail(error);
    const auto result = Driver::Send(m->window, m->message, m->wParam, m->lParam, TimeoutOf(args));
    if (!result) return Fail(L"no answer");
    Print(std::to_wstring(static_cast<long long>(*result)));
    return Done;
}

int CmdPost(const Args& args) {
    if (auto misfit = Misfit(args, 4)) return *misfit;
    std::wstring error;
    const auto m = ParseMessage(args, &error);
    if (!m) return Fail(error);
    return Driver::Post(m->window, m->message, m->wParam, m->lParam) ? Done : Fail(L"post failed");
}

int CmdClose(const Args& args) {
    if (auto misfit = Misfit(args, 1)) return *misfit;
    const HWND window = WindowArg(args, 0);
    if (!window) return Failed;
    return Driver::Post(window, WM_CLOSE) ? Done : Fail(L"post failed");
}

std::optional<std::vector<int>> ParseInts(const Args& args, size_t from, size_t count) {
    std::vector<int> values;
    for (size_t i = from; i < from + count; ++i) {
        const auto n = ParseNumber(args.Positional()[i]);
        if (!n || *n < -0x7FFFFFFFLL || *n > 0x7FFFFFFFLL) return std::nullopt;
        values.push_back(static_cast<int>(*n));
    }
    return values;
}

int CmdPixel(const Args& args) {
    if (auto misfit = Misfit(args, 2)) return *misfit;
    const auto at = ParseInts(args, 0, 2);
    if (!at) return BadUsage(L"bad coordinates");
    const COLORREF colour = Driver::ScreenPixel((*at)[0], (*at)[1]);
    if (colour == CLR_INVALID) return Fail(L"no pixel there");
    Print(Hex((GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour), 6));
    return Done;
}

int CmdCapture(const Args& args) {
    if (auto unknown = args.Unknown({})) return BadUsage(L"unknown option " + *unknown);
    RECT area{};
    if (args.Positional().size() == 2) {
        const HWND window = WindowArg(args, 0);
        if (!window) return Failed;
        area = Driver::WindowRect(window);
    } else if (args.Positional().size() == 5) {
        const auto r = ParseInts(args, 0, 4);
        if (!r) return BadUsage(L"bad rectangle");
        area = RECT{(*r)[0], (*r)[1], (*r)[2], (*r)[3]};
    } else {
        return BadUsage(L"wrong number of arguments");
    }
    return Driver::CaptureScreen(area, args.Positional().back()) ? Done : Fail(L"capture failed");
}

int CmdMove(const Args& args) {
    if (auto misfit = Misfit(args, 2)) return *misfit;
    const auto at = ParseInts(args, 0, 2);
    if (!at) return BadUsage(L"bad coordinates");
    return Driver::MouseMove((*at)[0], (*at)[1]) ? Done : Fail(L"input refused");
}

int CmdClick(const Args& args) {
    if (auto misfit = Misfit(args, 2, {L"--right", L"--middle"})) return *misfit;
    const auto at = ParseInts(args, 0, 2);
    if (!at) return BadUsage(L"bad coordinates");
    return Driver::Click((*at)[0], (*at)[1], ButtonOf(args)) ? Done : Fail(L"input refused");
}

int CmdDoubleClick(const Args& args) {
    if (auto misfit = Misfit(args, 2, {L"--right", L"--middle"})) return *misfit;
    const auto at = ParseInts(args, 0, 2);
    if (!at) return BadUsage(L"bad coordinates");
    return Driver::DoubleClick((*at)[0], (*at)[1], ButtonOf(args)) ? Done : Fail(L"input refused");
}

int CmdDrag(const Args& args) {
    if (auto misfit = Misfit(args, 4, {L"--steps", L"--right", L"--middle"})) return *misfit;
    const auto p = ParseInts(args, 0, 4);
    if (!p) return BadUsage(L"bad coordinates");
    int steps = 10;
    if (args.Has(L"--steps")) {
        const auto n = ParseNumber(args.Option(L"--steps"));
        if (!n || *n < 1 || *n > 1000) return BadUsage(L"bad --steps");
        steps = static_cast<int>(*n);
    }
    return Driver::Drag(ButtonOf(args), (*p)[0], (*p)[1], (*p)[2], (*p)[3], steps) ? Done : Fail(L"input refused");
}

int CmdKey(const Args& args) {
    if (args.Positional().empty()) return BadUsage(L"which key?");
    if (auto unknown = args.Unknown({})) return BadUsage(L"unknown option " + *unknown);
    std::vector<std::vector<WORD>> chords;
    for (const auto& chord : args.Positional()) {
        std::vector<WORD> keys;
        size_t start = 0;
        // "+" alone, or a chord ending in "+", names the plus key itself.
        for (;;) {
            size_t plus = chord.find(L'+', start + 1);
            if (plus == std::wstring::npos) plus = chord.size();
            const auto key = ParseKey(chord.substr(start, plus - start));
            if (!key) return BadUsage(L"unknown key in " + chord);
            keys.push_back(*key);
            if (plus >= chord.size()) break;
            start = plus + 1;
        }
        chords.push_back(keys);
    }
    for (const auto& keys : chords) {
        if (!Driver::KeyChord(keys)) return Fail(L"input refused");
    }
    return Done;
}

int CmdType(const Args& args) {
    if (auto misfit = Misfit(args, 1, {L"--hex"})) return *misfit;
    const auto text = TextArg(args, args.Positional()[0]);
    if (!text) return BadUsage(L"bad hex text");
    return Driver::TypeText(*text) ? Done : Fail(L"input refused");
}

int CmdActivate(const Args& args) {
    if (auto misfit = Misfit(args, 1, {L"--timeout"})) return *misfit;
    const HWND window = WindowArg(args, 0);
    if (!window) return Failed;
    return Driver::Activate(window, TimeoutOf(args)) ? Done : Fail(L"the window did not come to the front");
}

int CmdStart(const Args& args) {
    if (auto misfit = Misfit(args, 1, {L"--min", L"--show", L"--cwd"})) return *misfit;
    int show = SW_SHOWNORMAL;
    if (args.Has(L"--min")) show = SW_SHOWMINNOACTIVE;
    if (args.Has(L"--show")) {
        const auto n = ParseNumber(args.Option(L"--show"));
        if (!n || *n < 0 || *n > 11) return BadUsage(L"bad --show");
        show = static_cast<int>(*n);
    }
    std::wstring arguments;
    for (const auto& a : args.Rest()) {
        if (!arguments.empty()) arguments += L' ';
        arguments += a.find_first_of(L" \t") == std::wstring::npos && !a.empty() ? a : L"\"" + a + L"\"";
    }
    auto program = Driver::Program::Start(args.Positional()[0], args.Option(L"--cwd"), show, arguments);
    if (!program)
        return Fail(L"cannot start " + args.Positional()[0] + L" (error " + std::to_wstring(program.Error()) + L")");
    Print(std::to_wstring(program.Pid()));
    program.Detach();
    return Done;
}

int CmdPids(const Args& args) {
    if (auto misfit = Misfit(args, 0, {L"--exe"})) return *misfit;
    if (!args.Has(L"--exe")) return BadUsage(L"needs --exe NAME");
    for (DWORD pid : Driver::ProcessesByExe(args.Option(L"--exe"))) Print(std::to_wstring(pid));
    return Done;
}

int CmdWaitExit(const Args& args) {
    if (auto misfit = Misfit(args, 0, {L"--pid", L"--exe", L"--timeout"})) return *misfit;
    std::wstring error;
    const auto target = ParseTarget(args, true, &error);
    if (!target) return BadUsage(error);
    if (target->exe.empty()) {
        const HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, target->pid);
        if (!process) return Done;  // already gone, its exit code with it
        const bool ended = WaitForSingleObject(process, TimeoutOf(args)) == WAIT_OBJECT_0;
        DWORD code = 0;
        if (ended && GetExitCodeProcess(process, &code)) Print(std::to_wstring(code));
        CloseHandle(process);
        return ended ? Done : Fail(L"still running");
    }
    return Driver::WaitUntil([&] { return target->Pids().empty(); }, TimeoutOf(args)) ? Done : Fail(L"still running");
}

int CmdKill(const Args& args) {
    if (auto misfit = Misfit(args, 0, {L"--pid", L"--exe"})) return *misfit;
    std::wstring error;
    const auto target = ParseTarget(args, true, &error);
    if (!target) return BadUsage(error);
    bool ok = true;
    for (DWORD pid : target->Pids()) {
        const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!process) continue;
        ok = TerminateProcess(process, 1) && WaitForSingleObject(process, Driver::DefaultTimeoutMs) == WAIT_OBJECT_0 &&
             ok;
        CloseHandle(process);
    }
    return ok ? Done : Fail(L"could not end every process");
}

struct CommandEntry {
    const wchar_t* name;
    Command run;
};

constexpr CommandEntry Commands[] = {
    {L"windows", CmdWindows},
    {L"children", CmdChildren},
    {L"wait-window", CmdWaitWindow},
    {L"find-dialog", CmdFindDialog},
    {L"text", CmdText},
    {L"rect", CmdRect},
    {L"client-rect", CmdClientRect},
    {L"style", CmdStyle},
    {L"owner", CmdOwner},
    {L"class", CmdClass},
    {L"wait-text", CmdWaitText},
    {L"wait-text-change", CmdWaitTextChange},
    {L"send", CmdSend},
    {L"post", CmdPost},
    {L"close", CmdClose},
    {L"pixel", CmdPixel},
    {L"capture", CmdCapture},
    {L"move", CmdMove},
    {L"click", CmdClick},
    {L"double-click", CmdDoubleClick},
    {L"drag", CmdDrag},
    {L"key", CmdKey},
    {L"type", CmdType},
    {L"activate", CmdActivate},
    {L"start", CmdStart},
    {L"pids", CmdPids},
    {L"wait-exit", CmdWaitExit},
    {L"kill", CmdKill},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return BadUsage(L"which command?");
    const std::wstring name = argv[1];
    if (name == L"help" || name == L"--help" || name == L"-h") {
        Write(STD_OUTPUT_HANDLE, UsageText);
        return Done;
    }
    Driver::MakeProcessDpiAware();
    const Args args(argc, argv);
    if (!args.Error().empty()) return BadUsage(args.Error());
    for (const auto& command : Commands) {
        if (name == command.name) return command.run(args);
    }
    return BadUsage(L"unknown command " + name);
}
