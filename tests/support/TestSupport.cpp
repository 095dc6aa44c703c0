#include "tests/support/TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

TempFolder::TempFolder(std::string_view prefix) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = fs::temp_directory_path() / (std::string(prefix) + "-" + std::to_string(random()));
        std::error_code error;
        if (fs::create_directory(path_, error)) return;
    }
    path_.clear();
}

TempFolder::~TempFolder() {
    if (path_.empty()) return;
    // A program that has just ended may hold its files for a moment longer.
    const bool removed = WaitFor(
        [this] {
            std::error_code error;
            fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
            for (auto it = fs::recursive_directory_iterator(path_, error); !error && it != fs::end(it);
                 it.increment(error)) {
                fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add | fs::perm_options::nofollow,
                                error);
            }
            fs::remove_all(path_, error);
            return !fs::exists(fs::symlink_status(path_, error));
        },
        2000);
    // Not a failure of the case; but what is left piles up in the prefix until the next session empties it.
    if (!removed) std::fprintf(stderr, "TempFolder: could not remove %s\n", path_.string().c_str());
}

bool WriteFileBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

namespace {
LocalTime g_fixedTime;
}

FixedClock::FixedClock(const LocalTime& time) {
    g_fixedTime = time;
    SetNowForTesting([] { return g_fixedTime; });
}

FixedClock::FixedClock(NowFunction now) { SetNowForTesting(now); }

FixedClock::~FixedClock() { SetNowForTesting(nullptr); }

std::vector<LogLine> ParseLog(std::string_view bytes, bool* whole) {
    static constexpr std::string_view Form = "dddd/dd/dd dd:dd:dd ";
    std::vector<LogLine> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string_view::npos; start = end + 2) {
        const std::string_view line = bytes.substr(start, end - start);
        bool stamped = line.size() >= Form.size();
        for (size_t i = 0; stamped && i < Form.size(); ++i) {
            stamped = Form[i] == 'd' ? line[i] >= '0' && line[i] <= '9' : line[i] == Form[i];
        }
        if (!stamped || line.find('\r') != std::string_view::npos) break;
        lines.push_back({std::string(line.substr(0, Form.size() - 1)), std::string(line.substr(Form.size()))});
    }
    if (whole) *whole = start == bytes.size();
    return lines;
}

// (<chrono> has literals that code page 932 cannot hold.)
long long SteadyMs() {
#ifdef _WIN32
    return static_cast<long long>(GetTickCount64());
#else
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
#endif
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    const long long deadline = SteadyMs() + timeoutMs;
    while (!condition()) {
        if (SteadyMs() >= deadline) return false;
#ifdef _WIN32
        Sleep(10);
#else
        ::usleep(10000);
#endif
    }
    return true;
}

bool RunUnix(const std::string& command) {
#ifdef _WIN32
    if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) return false;
    // Wine starts the shell beside this process, and the handle it gives back does not tell when the shell
    // ends: the command leaves its exit status in a file, and that is waited for.
    const TempFolder folder("unix");
    const fs::path status = folder.Path() / "status";
    const std::string statusPath = UnixPath(status);
    if (statusPath.empty()) return false;
    const std::string script = command + "; echo $? >" + statusPath;
    std::wstring line = L"/bin/sh -c \"" + std::wstring(script.begin(), script.end()) + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::string answer;
    WaitFor(
        [&] {
            std::ifstream file(status, std::ios::binary);
            answer.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
            return answer.find('\n') != std::string::npos;  // the whole line is there
        },
        20000);
    return answer == "0\n";
#else
    return std::system(command.c_str()) == 0;
#endif
}

std::string UnixPath(const fs::path& path) {
#ifdef _WIN32
    using ToUnix = char*(__cdecl*)(const wchar_t*);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return {};
    char* unix = toUnix(path.c_str());
    if (!unix) return {};
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
#else
    std::string result = path.native();
#endif
    return "'" + result + "'";
}
