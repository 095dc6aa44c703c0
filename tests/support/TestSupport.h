#pragma once
// What the tests of every level share: temporary folders, a fixed clock, reading an event log's lines,
// Unix commands for what Windows calls cannot set up under Wine, and waiting for a condition.
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

// Calls `condition` until it holds or the time-out has passed; true when it held.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000);

// Runs a command of the Unix shell (under Wine, on the host); false when it cannot be started here. Under
// Wine it runs beside the caller: wait for its effect.
bool RunUnix(const std::string& command);
// A path as Unix programs see it, quoted for the shell; empty where that cannot be told.
std::string UnixPath(const std::filesystem::path& path);
