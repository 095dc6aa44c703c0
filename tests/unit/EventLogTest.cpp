#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <map>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "core/Clock.h"
#include "core/EventLog.h"
#include "core/Os.h"

namespace {
namespace fs = std::filesystem;
using namespace std::string_literals;

struct TempFolder {
    fs::path Path;
    TempFolder() {
        Path = fs::temp_directory_path() / ("horvane-log-" + std::to_string(std::random_device()()));
        fs::create_directories(Path);
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(Path, ignored);
    }
    PathString File(const char* name) const { return (Path / name).native(); }
};

struct FixedClock {
    FixedClock(NowFunction now) { SetNowForTesting(now); }
    ~FixedClock() { SetNowForTesting(nullptr); }
};

LocalTime SleepMoment() { return {2024, 1, 5, 7, 8, 9, 765}; }

// Each call is one second later than the one before.
int g_ticks = 0;
LocalTime TickingClock() { return {2024, 12, 31, 23, 59, g_ticks++, 0}; }

bool IsStamp(std::string_view line) {
    static constexpr std::string_view Pattern = "dddd/dd/dd dd:dd:dd ";
    if (line.size() < Pattern.size()) return false;
    for (size_t i = 0; i < Pattern.size(); ++i) {
        const bool ok = Pattern[i] == 'd' ? (line[i] >= '0' && line[i] <= '9') : line[i] == Pattern[i];
        if (!ok) return false;
    }
    return true;
}
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
    const std::string content = Os::ReadFileBytes(log).value_or("");
    size_t start = 0;
    for (size_t end; (end = content.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string_view line(content.data() + start, end - start);
        ASSERT_TRUE(IsStamp(line)) << line;
        ++seen[std::string(line.substr(20))];
    }
    EXPECT_EQ(start, content.size()) << "the file does not end with a whole line";
    ASSERT_EQ(seen.size(), static_cast<size_t>(writers * Lines));
    for (int w = 0; w < writers; ++w) {
        for (int i = 0; i < Lines; ++i) ASSERT_EQ(seen[text(w, i)], 1) << text(w, i).substr(0, 12);
    }
}
