// hvdriver: the end-to-end driver on the command line, for shell scripts. Every command prints UTF-8 on
// stdout and answers with its exit code: 0 done, 1 not found / timed out / refused, 2 bad command line.
// One file because each command is a few lines over the driver; the table of commands reads best in one place.
#include <windows.h>

#include <cwctype>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/driver/Driver.h"

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
  text HWND                                     WM_GETTEXT, as it is
  rect HWND                                     LEFT TOP RIGHT BOTTOM WIDTH HEIGHT on the screen
Messages (MSG is a number or a name such as WM_CLOSE, WM_USER+3; numbers are decimal or 0x hex):
  send HWND MSG WPARAM LPARAM [--timeout MS]    prints the result
  close HWND                                    posts WM_CLOSE
Processes:
  wait-exit (--pid N | --exe NAME) [--timeout MS]                 prints the exit code when known
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

class Args {
public:
    Args(int argc, wchar_t** argv) {
        static const wchar_t* const withValue[] = {L"--pid", L"--exe", L"--class", L"--timeout"};
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

int CmdClose(const Args& args) {
    if (auto misfit = Misfit(args, 1)) return *misfit;
    const HWND window = WindowArg(args, 0);
    if (!window) return Failed;
    return Driver::Post(window, WM_CLOSE) ? Done : Fail(L"post failed");
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

struct CommandEntry {
    const wchar_t* name;
    Command run;
};

constexpr CommandEntry Commands[] = {
    {L"windows", CmdWindows}, {L"children", CmdChildren},  {L"wait-window", CmdWaitWindow},
    {L"text", CmdText},       {L"rect", CmdRect},          {L"send", CmdSend},
    {L"close", CmdClose},     {L"wait-exit", CmdWaitExit},
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
