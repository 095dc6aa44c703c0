#pragma once
// The timer records and their stored form: one key "TimerDataNN" (00 to 99) per live record in the section
// "TimerData" of the settings file, the value "title,kind,hh:nn:ss,days".
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/DateTime.h"

class TIniFile;

struct TIMERDATA {
    uint8_t Valid = 0;  // 1 = live, KeptAsStored; anything else is deleted or unreadable, kept only for its index
    std::string Title;
    int32_t Kind = 0;  // 0 once, 1 every day, 2 chosen weekdays; other values are kept as read
    TDateTime Time = 0;
    uint8_t Days = 0;  // bit 0 Sunday .. bit 6 Saturday
};

// Valid of a stored value whose kind or days is not an integer: never listed, and written back as it stands
// from Title, which holds that whole value.
inline constexpr uint8_t KeptAsStored = 2;

// Records are never removed during a run: the list dialog names a record by its index.
using TimerList = std::vector<TIMERDATA>;

inline constexpr std::string_view TimerSection = "TimerData";
constexpr int MaxStoredTimers = 100;

std::string TimerKey(int number);  // "TimerData%02d"

// True when the value was readable; the record is filled only then. The last three fields are kind, time
// text and days; everything before them, commas included, is the title. Fewer than four fields, or a kind
// or days that is not an integer, is unreadable. Days keeps the low 8 bits of its number.
bool ParseTimer(TIMERDATA& record, std::string_view value);
// The stored value. Line breaks in the title become blanks and an over-long title is cut, so that the value
// stays one line that a read gives back whole.
std::string FormatTimer(const TIMERDATA& record);

// For a value of four or more fields whose kind or days is not an integer: the first of them (the text the user
// is told of); nullopt for any other value.
std::optional<std::string> NotAnInteger(std::string_view value);

// Appends one record per non-empty key TimerData00..TimerData99, unreadable ones with Valid 0, or
// KeptAsStored when their kind or days is not an integer. Returns the first NotAnInteger() text met, if any.
std::optional<std::string> LoadTimers(const TIniFile& ini, TimerList& timers);
// Writes the live records, and the values of those KeptAsStored, as TimerData00 upward in list order, without
// gaps, and deletes every other key up to TimerData99. Never writes beyond TimerData99.
void SaveTimers(TIniFile& ini, const TimerList& timers);

// False once the list holds MaxStoredTimers records to store: a further one could not be stored.
bool CanAddTimer(const TimerList& timers);
