#include "core/EventLog.h"

#include <cstdio>

#include "core/Clock.h"
#include "core/Os.h"

std::string FormatLogLine(const LocalTime& time, std::string_view text) {
    // Room for six full-width ints, so a field out of its usual range widens the line instead of cutting it.
    char prefix[80];
    const int length = std::snprintf(prefix, sizeof prefix, "%04d/%02d/%02d %02d:%02d:%02d ", time.Year, time.Month,
                                     time.Day, time.Hour, time.Minute, time.Second);
    std::string line(prefix, length > 0 ? static_cast<size_t>(length) : 0);
    line.reserve(line.size() + text.size() + 2);
    for (const char c : text) {
        if (c == '\n') line += '\r';
        line += c;
    }
    line += "\r\n";
    return line;
}

PathString LogPath(PathView exePath) { return ChangeFileExt(exePath, PATH_TEXT(".log")); }

void AppendLogLine(const PathString& logPath, std::string_view text, int maxWaitMilliseconds) {
    (void)Os::AppendFileBytes(
        logPath, [text] { return FormatLogLine(Now(), text); }, maxWaitMilliseconds);
}
