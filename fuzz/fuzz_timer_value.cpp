// A stored timer value either reads or leaves the record alone (and is kept as it stands only when a number of
// it is not an integer); a record that read is written back as a
// value that reads to the same record; and any record, written and read, keeps its fields.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "timers/TimerData.h"

namespace {
bool Same(const TIMERDATA& a, const TIMERDATA& b) {
    return a.Title == b.Title && a.Kind == b.Kind && a.Time == b.Time && a.Days == b.Days;
}

// A title after a save and a load: line breaks became blanks, and only a start of it may be left.
bool IsStoredFormOf(const std::string& stored, std::string title) {
    for (char& c : title) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return title.compare(0, stored.size(), stored) == 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view value(reinterpret_cast<const char*>(data), size);

    TIMERDATA record{7, "untouched", 3, 0.25, 9};
    const TIMERDATA before = record;
    const auto notAnInteger = NotAnInteger(value);
    if (!ParseTimer(record, value)) {
        if (!Same(record, before) || record.Valid != 7) std::abort();
        // Kept as it stands only when one of its numbers is not one: then that text is in the value.
        if (notAnInteger && value.find(*notAnInteger) == std::string_view::npos) std::abort();
    } else {
        if (notAnInteger) std::abort();
        if (record.Time < 0 || record.Time >= 1) std::abort();
        const std::string stored = FormatTimer(record);
        TIMERDATA again;
        if (!ParseTimer(again, stored)) std::abort();
        if (again.Kind != record.Kind || again.Time != record.Time || again.Days != record.Days) std::abort();
        if (!IsStoredFormOf(again.Title, record.Title)) std::abort();
        if (FormatTimer(again) != stored) std::abort();
    }

    // The same bytes as a record: 4 bytes kind, 4 bytes milliseconds of the day, 1 byte days, then the title.
    if (size >= 9) {
        TIMERDATA made;
        uint32_t kind = 0, millisecond = 0;
        std::memcpy(&kind, data, 4);
        std::memcpy(&millisecond, data + 4, 4);
        made.Kind = static_cast<int32_t>(kind);
        made.Time = static_cast<double>(millisecond % MillisecondsPerDay) / static_cast<double>(MillisecondsPerDay);
        made.Days = data[8];
        made.Title.assign(reinterpret_cast<const char*>(data + 9), size - 9);
        const std::string stored = FormatTimer(made);
        if (stored.size() > 2047 || stored.find_first_of("\r\n") != std::string::npos) std::abort();
        TIMERDATA back;
        if (!ParseTimer(back, stored)) std::abort();
        if (back.Kind != made.Kind || back.Days != made.Days || !IsStoredFormOf(back.Title, made.Title)) std::abort();
        // Only whole seconds are stored, and 00:00:00 is stored as no time at all.
        uint16_t h = 0, m = 0, s = 0;
        DecodeTime(made.Time, h, m, s);
        if (back.Time != EncodeTime(h, m, s, 0).value_or(0)) std::abort();
    }
    return 0;
}
