#pragma once
// What the tests of every level share: temporary folders, fixture files written as bytes, a fixed clock,
// reading an event log's lines, Unix commands for what Windows calls cannot set up under Wine, and waiting
// for a condition.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Clock.h"
#include "core/LocalTime.h"
#include "core/Path.h"

// A new, empty folder under the system's temporary folder, removed with everything in it (read-only
// entries too) when the object ends.
class TempFolder {
public:
    explicit TempFolder(std::string_view prefix = "horvane");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    PathString File(std::string_view name) const { return (path_ / name).native(); }

private:
    std::filesystem::path path_;
};

// The main section as the program writes it with every value at its default.
inline constexpr char kDefaultSettings[] =
    "[Horvane2010]\r\nTop=0\r\nLeft=600\r\nFront=0\r\nTaskBar=0\r\nColor=65408\r\n";

// Creates or truncates the file and writes exactly these bytes with the C++ library, never through the
// program's own save, so a fault in the save cannot shape the fixture it is tested on.
bool WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

// Fixes Now() at a moment, or hands it to a function, until the object ends.
class FixedClock {
public:
    explicit FixedClock(const LocalTime& time);
    explicit FixedClock(NowFunction now);
    ~FixedClock();
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;
};

// One line of an event log: "yyyy/mm/dd hh:nn:ss " (the stamp), the text, CR LF.
struct LogLine {
    std::string Stamp;
    std::string Text;
};
// The lines at the start of `bytes` that have the log's form; `whole` (when given) tells whether they are
// all there is, so that a torn line or foreign bytes show.
std::vector<LogLine> ParseLog(std::string_view bytes, bool* whole = nullptr);

// Milliseconds of a steady clock.
long long SteadyMs();
// Calls `condition` until it holds or the time-out has passed; true when it held.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000);

// Runs a command of the Unix shell (under Wine, on the host) and waits for its end; true when it ran and
// exited with status 0, false when it failed, cannot run here or did not end within 20 s.
bool RunUnix(const std::string& command);
// A path as Unix programs see it, quoted for the shell; empty where that cannot be told.
std::string UnixPath(const std::filesystem::path& path);
