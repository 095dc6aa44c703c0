#include "timers/TimerData.h"

#include <algorithm>
#include <cstdio>

#include "common/CommonCtrl.h"
#include "core/Cp932.h"
#include "settings/IniFile.h"

namespace {
// The helper is stateless, so the records need not wait for the main window's instance in g.
const TCommonCtrl Helper;

// A read gives back at most this many bytes of a value; the rest would be cut off its end, days first.
constexpr size_t MaxValueBytes = 2047;

}  // namespace

std::string TimerKey(int number) {
    char key[32];
    std::snprintf(key, sizeof key, "TimerData%02d", number);
    return key;
}

namespace {
// Reads from the right: a title may hold commas of its own, the three fields after it never do. False for
// fewer than four fields.
bool SplitValue(std::string_view value, std::string_view& title, std::string_view (&fields)[3]) {
    size_t end = value.size();
    for (int i = 2; i >= 0; --i) {
        if (end == 0) return false;
        const size_t comma = value.rfind(',', end - 1);
        if (comma == std::string_view::npos) return false;
        fields[i] = value.substr(comma + 1, end - comma - 1);
        end = comma;
    }
    title = value.substr(0, end);
    return true;
}
}  // namespace

bool ParseTimer(TIMERDATA& record, std::string_view value) {
    std::string_view title;
    std::string_view fields[3];
    if (!SplitValue(value, title, fields)) return false;
    const auto kind = TryStrToInt(fields[0]);
    const auto days = TryStrToInt(fields[2]);
    if (!kind || !days) return false;
    record.Title = std::string(title);
    record.Kind = *kind;
    record.Time = Helper.TextToTime(fields[1]);
    record.Days = static_cast<uint8_t>(*days & 0xFF);
    return true;
}

namespace {
// A record the settings file keeps: a live one, or a value kept as it stands.
bool Stored(const TIMERDATA& record) { return record.Valid == 1 || record.Valid == KeptAsStored; }
}  // namespace

std::optional<std::string> NotAnInteger(std::string_view value) {
    std::string_view title;
    std::string_view fields[3];
    if (!SplitValue(value, title, fields)) return std::nullopt;
    if (!TryStrToInt(fields[0])) return std::string(fields[0]);
    if (!TryStrToInt(fields[2])) return std::string(fields[2]);
    return std::nullopt;
}

std::string FormatTimer(const TIMERDATA& record) {
    std::string tail = ",";
    tail += std::to_string(record.Kind);
    tail += ',';
    tail += Helper.TimeToText(record.Time);
    tail += ',';
    tail += std::to_string(static_cast<unsigned>(record.Days));

    std::string value(Cp932::Cut(record.Title, MaxValueBytes - tail.size()));
    std::replace(value.begin(), value.end(), '\r', ' ');
    std::replace(value.begin(), value.end(), '\n', ' ');
    return value + tail;
}

std::optional<std::string> LoadTimers(const TIniFile& ini, TimerList& timers) {
    std::optional<std::string> first;
    for (int i = 0; i < MaxStoredTimers; ++i) {
        const std::string value = ini.ReadString(TimerSection, TimerKey(i), "");
        if (value.empty()) continue;
        TIMERDATA record;
        if (ParseTimer(record, value)) {
            record.Valid = 1;
        } else if (auto text = NotAnInteger(value)) {
            // Most likely typed by hand (a full-width digit): the user may mend it, so it is never dropped.
            record.Valid = KeptAsStored;
            record.Title = value;
            if (!first) first = std::move(text);
        }
        // An unreadable value still takes a place, so the next save rewrites or removes its key.
        timers.push_back(std::move(record));
    }
    return first;
}

void SaveTimers(TIniFile& ini, const TimerList& timers) {
    int n = 0;
    for (const TIMERDATA& record : timers) {
        if (!Stored(record)) continue;
        if (n == MaxStoredTimers) break;
        ini.WriteString(TimerSection, TimerKey(n), record.Valid == 1 ? FormatTimer(record) : record.Title);
        ++n;
    }
    // Every number up to the last one a load reads: hand-edited files may hold keys beyond the list count.
    for (int k = n; k < MaxStoredTimers; ++k) ini.DeleteKey(TimerSection, TimerKey(k));
}

bool CanAddTimer(const TimerList& timers) {
    return std::count_if(timers.begin(), timers.end(), Stored) < MaxStoredTimers;
}
