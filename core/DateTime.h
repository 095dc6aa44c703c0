#pragma once
// Date-time values as the timer records and the time picker hold them: a double counting days since
// 30 December 1899, whose fraction is the time of day. The value 0 is 30 December 1899, 00:00:00.
//
// Values before 1899 count their days backwards while the fraction still counts the time of day forwards:
// -1.25 is 29 December 1899, 06:00. Decoding rounds to the nearest millisecond first, so a value that
// floating-point arithmetic left a hair below a whole second still decodes to that second; a value that
// rounds up to midnight belongs to the next day.
#include <cstdint>
#include <optional>

#include "core/LocalTime.h"

using TDateTime = double;

inline constexpr int64_t MillisecondsPerDay = 86'400'000;

// nullopt when hour > 23, minute > 59, second > 59 or millisecond > 999.
std::optional<TDateTime> EncodeTime(uint16_t hour, uint16_t minute, uint16_t second, uint16_t millisecond);
// nullopt outside 0001-01-01 .. 9999-12-31 or for a day the month does not have.
std::optional<TDateTime> EncodeDate(uint16_t year, uint16_t month, uint16_t day);

// Milliseconds are dropped. NaN and infinities decode as 0.
void DecodeTime(TDateTime value, uint16_t& hour, uint16_t& minute, uint16_t& second);
// Values beyond the years 1 to 9999 decode as the nearest end of that range.
void DecodeDate(TDateTime value, uint16_t& year, uint16_t& month, uint16_t& day);

TDateTime DateOf(TDateTime value);  // the whole days, time 00:00:00
TDateTime TimeOf(TDateTime value);  // the time of day alone, in [0, 1)

// A moment as the system or a picker gives it. A field out of its range makes the result 0.
TDateTime ToDateTime(const LocalTime& time);
LocalTime FromDateTime(TDateTime value);
