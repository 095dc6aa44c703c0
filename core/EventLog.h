#pragma once
// The event log: one line per event in a text file beside the executable, never read back by the program.
// Each line is "yyyy/mm/dd hh:nn:ss " + the event text + CR LF, in code page 932 bytes as they stand.
#include <string>
#include <string_view>

#include "core/LocalTime.h"
#include "core/Path.h"

inline constexpr std::string_view ProgramStartText = "Program Start";
inline constexpr std::string_view ProgramEndText = "Program End";
inline constexpr std::string_view SleepMarkText = "睡眠";

// The whole line as it lands in the file. Every LF of the text becomes CR LF, as a text-mode file would
// store it; a CR already in front of that LF stays, so "a\r\nb" gives "a\r\r\nb".
std::string FormatLogLine(const LocalTime& time, std::string_view text);

// The executable's path with ".log" in place of its extension.
PathString LogPath(PathView exePath);

// How long a line waits for another copy's line to the same log before it is written anyway. A power or
// session message must be answered at once, so its line waits less.
inline constexpr int LogLockWait = 5000;
inline constexpr int LogLockWaitForBroadcast = 250;

// Stamps the line with Now() once it is this line's turn to write and appends it with one write, so lines
// from other copies of the program never tear it and stand in time order. A line that cannot be written is
// lost without a word: the log must never stop the clock.
void AppendLogLine(const PathString& logPath, std::string_view text, int maxWaitMilliseconds = LogLockWait);
