#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <cwchar>
#include <functional>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "core/Clock.h"
#include "core/EventLog.h"
#include "core/Os.h"
#include "tests/support/TestSupport.h"

namespace {
namespace fs = std::filesystem;
using namespace std::string_literals;

LocalTime SleepMoment() { return {2024, 1, 5, 7, 8, 9, 765}; }

// Each call is one second later than the one before.
int g_ticks = 0;
LocalTime TickingClock() { return {2024, 12, 31, 23, 59, g_ticks++, 0}; }

}  // namespace

TEST(EventLog, LineIsStampBlankTextAndCrLf) {
    const struct {
        std::string Text;
        std::string Expected;
    } cases[] = {
        {std::string(SleepMarkText), "2024/01/05 07:08:09 \x90\x87\x96\xB0\r\n"},
        {"", "2024/01/05 07:08:09 \r\n"},
        {"a\nb\n", "2024/01/05 07:08:09 a\r\nb\r\n\r\n"},
        {"a\r\nb", "2024/01/05 07:08:09 a\r\r\nb\r\n"},
        // Trail bytes 0x5C and 0x7C belong to their characters and pass unchanged.
        {"表示ソ|", "2024/01/05 07:08:09 \x95\x5C\x8E\xA6\x83\x5C|\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatLogLine(SleepMoment(), c.Text), c.Expected);
    EXPECT_EQ(FormatLogLine({987, 1, 2, 3, 4, 5, 0}, "x"), "0987/01/02 03:04:05 x\r\n");
}

TEST(EventLog, AppendsToAForeignFileInCallOrderWithTheTimeOfEachWrite) {
    TempFolder folder;
    const PathString log = folder.File("clock.log");
    const std::string foreign = "written by someone else\xFF\x00 no line end"s;
    ASSERT_TRUE(Os::AppendFileBytes(log, foreign));

    g_ticks = 7;
    FixedClock clock(TickingClock);
    AppendLogLine(log, ProgramStartText);
    AppendLogLine(log, "");
    AppendLogLine(log, ProgramEndText);
    EXPECT_EQ(Os::ReadFileBytes(log), foreign +
                                          "2024/12/31 23:59:07 Program Start\r\n"
                                          "2024/12/31 23:59:08 \r\n"
                                          "2024/12/31 23:59:09 Program End\r\n");
}

TEST(EventLog, FirstLineCreatesTheFileAndLinesOfOneSecondKeepTheirOrder) {
    TempFolder folder;
    const PathString log = folder.File("clock.log");
    FixedClock clock(SleepMoment);
    AppendLogLine(log, "1");
    AppendLogLine(log, "2");
    EXPECT_EQ(Os::ReadFileBytes(log), "2024/01/05 07:08:09 1\r\n2024/01/05 07:08:09 2\r\n");
}

TEST(EventLog, UnwritableLocationLosesTheLineSilently) {
    TempFolder folder;
    // A file where the folder should be: no system lets a file be created below it.
    const PathString blocker = folder.File("blocker");
    ASSERT_TRUE(Os::AppendFileBytes(blocker, "x"));
    const PathString log = blocker + PATH_TEXT("/clock.log");
    AppendLogLine(log, "lost");
    EXPECT_FALSE(Os::ReadFileBytes(log).has_value());
    EXPECT_EQ(Os::ReadFileBytes(blocker), "x");
}

TEST(EventLog, ConcurrentWritersNeitherTearNorLoseLines) {
    TempFolder folder;
    const PathString log = folder.File("clock.log");
    constexpr int Threads = 4;
    constexpr int Lines = 1000;
    // Long lines, so that a write split in two would show as a torn line.
    const auto text = [](int writer, int line) {
        return "w" + std::to_string(writer) + "-" + std::to_string(line) + " " +
               std::string(200, static_cast<char>('a' + writer));
    };
    const auto write = [&](int writer) {
        for (int i = 0; i < Lines; ++i) AppendLogLine(log, text(writer, i));
    };
    int writers = Threads;
#ifndef _WIN32
    constexpr int Processes = 3;
    std::vector<pid_t> children;
    for (int p = 0; p < Processes; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            write(Threads + p);
            ::_exit(0);
        }
        children.push_back(pid);
    }
    writers += Processes;
#endif
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t) threads.emplace_back(write, t);
    for (auto& thread : threads) thread.join();
#ifndef _WIN32
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
#endif

    std::map<std::string, int> seen;
    bool whole = false;
    for (const LogLine& line : ParseLog(Os::ReadFileBytes(log).value_or(""), &whole)) ++seen[line.Text];
    EXPECT_TRUE(whole) << "a torn line";
    ASSERT_EQ(seen.size(), static_cast<size_t>(writers * Lines));
    for (int w = 0; w < writers; ++w) {
        for (int i = 0; i < Lines; ++i) ASSERT_EQ(seen[text(w, i)], 1) << text(w, i).substr(0, 12);
    }
}

#ifdef _WIN32
// Another copy of the program holding the log's lock, on a thread of its own.
class LockHolder {
public:
    explicit LockHolder(const PathString& log) : name_(Os::AppendLockName(log)) {
        thread_ = std::thread([this] {
            HANDLE mutex = CreateMutexW(nullptr, TRUE, name_.c_str());
            SetEvent(taken_);
            WaitForSingleObject(release_, INFINITE);
            if (beforeRelease_) beforeRelease_();
            ReleaseMutex(mutex);
            CloseHandle(mutex);
        });
        WaitForSingleObject(taken_, INFINITE);
    }
    ~LockHolder() { Release(); }
    // `last` runs while the lock is still held.
    void Release(std::function<void()> last = nullptr) {
        if (!thread_.joinable()) return;
        beforeRelease_ = std::move(last);
        SetEvent(release_);
        thread_.join();
    }

private:
    PathString name_;
    HANDLE taken_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::function<void()> beforeRelease_;
    std::thread thread_;
};

std::vector<LogLine> LinesOf(const PathString& log) { return ParseLog(Os::ReadFileBytes(log).value_or("")); }

// Handles open to a lock, in every process: a writer opens the lock before it waits for it.
ULONG Handles(const PathString& lockName) {
    using Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
    const HANDLE lock = OpenMutexW(SYNCHRONIZE, FALSE, lockName.c_str());
    alignas(8) ULONG basic[14]{};  // ObjectBasicInformation: attributes, access, handles, ...
    const bool ok = lock && query && query(lock, 0, basic, sizeof basic, nullptr) >= 0;
    if (lock) CloseHandle(lock);
    return ok ? basic[2] - 1 : 0;
}

TEST(EventLog, EverySpellingOfTheLogSharesOneLockAndABroadcastLineNeverWaitsLong) {
    TempFolder folder;
    fs::create_directories(folder.Path() / "Sub");
    const PathString log = folder.File("Sub\\clock.log");
    // The same file: other letter case, forward slashes, "..", and the folder's short name where there is one.
    wchar_t shortFolder[MAX_PATH] = L"";
    if (!GetShortPathNameW(folder.Path().c_str(), shortFolder, MAX_PATH)) wcscpy(shortFolder, folder.Path().c_str());
    PathString other = std::wstring(shortFolder) + L"/sub/../SUB/CLOCK.LOG";
    EXPECT_EQ(Os::AppendLockName(other), Os::AppendLockName(log));
    EXPECT_NE(Os::AppendLockName(folder.File("Sub\\other.log")), Os::AppendLockName(log));

    // A line written while another copy holds the lock follows that copy's line, stamped no earlier (each
    // reading of the clock is a second later than the one before).
    {
        g_ticks = 0;
        FixedClock clock(TickingClock);
        LockHolder holder(log);
        std::thread writer([&] { AppendLogLine(other, "second"); });
        EXPECT_TRUE(WaitFor([&] { return Handles(Os::AppendLockName(log)) == 2; })) << "the writer waits";
        holder.Release([&] { AppendLogLine(log, "first"); });
        writer.join();
    }
    auto lines = LinesOf(log);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Text, "first");
    EXPECT_EQ(lines[1].Text, "second");
    EXPECT_GT(lines[1].Stamp, lines[0].Stamp);

    // A broadcast's line is written while the lock is still held by a copy that does not let go.
    LockHolder stuck(log);
    const ULONGLONG start = GetTickCount64();
    AppendLogLine(other, "broadcast", LogLockWaitForBroadcast);
    EXPECT_LT(GetTickCount64() - start, 2500u);  // not the seconds an ordinary line would wait
    lines = LinesOf(log);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2].Text, "broadcast");
}
#endif
