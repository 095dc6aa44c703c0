#include "core/DateTime.h"

#include <cmath>

namespace {
// Day numbers counted from 1970-01-01, the civil-calendar arithmetic of the proleptic Gregorian calendar.
constexpr int64_t EpochShift = 25569;  // 1899-12-30 lies this many days before 1970-01-01
constexpr int64_t MinDay = -693593;    // 0001-01-01
constexpr int64_t MaxDay = 2958465;    // 9999-12-31

int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int64_t& year, int64_t& month, int64_t& day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

bool IsLeapYear(int64_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int64_t DaysInMonth(int64_t year, int64_t month) {
    static constexpr int8_t Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : Days[month - 1];
}

struct DayAndTime {
    int64_t Day = 0;          // days since 1899-12-30, negative before it
    int64_t Millisecond = 0;  // of the day, 0 .. MillisecondsPerDay - 1
};

// The one place that turns a double into calendar parts, so every decoder rounds the same way.
DayAndTime Split(TDateTime value) {
    if (!std::isfinite(value)) return {};
    const double magnitude = std::fabs(value);
    double whole = std::floor(magnitude);
    int64_t millisecond = std::llround((magnitude - whole) * static_cast<double>(MillisecondsPerDay));
    if (millisecond >= MillisecondsPerDay) {
        millisecond -= MillisecondsPerDay;
        whole += 1;
    }
    const double limit = static_cast<double>(value < 0 ? -MinDay : MaxDay);
    if (whole > limit) whole = limit;
    const auto day = static_cast<int64_t>(whole);
    return {value < 0 ? -day : day, millisecond};
}

TDateTime Join(int64_t day, int64_t millisecond) {
    const double fraction = static_cast<double>(millisecond) / static_cast<double>(MillisecondsPerDay);
    return day < 0 ? static_cast<double>(day) - fraction : static_cast<double>(day) + fraction;
}
}  // namespace

std::optional<TDateTime> EncodeTime(uint16_t hour, uint16_t minute, uint16_t second, uint16_t millisecond) {
    if (hour > 23 || minute > 59 || second > 59 || millisecond > 999) return std::nullopt;
    const int64_t total = ((hour * int64_t{60} + minute) * 60 + second) * 1000 + millisecond;
    return static_cast<double>(total) / static_cast<double>(MillisecondsPerDay);
}

std::optional<TDateTime> EncodeDate(uint16_t year, uint16_t month, uint16_t day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) {
        return std::nullopt;
    }
    return static_cast<double>(DaysFromCivil(year, month, day) + EpochShift);
}

void DecodeTime(TDateTime value, uint16_t& hour, uint16_t& minute, uint16_t& second) {
    const int64_t seconds = Split(value).Millisecond / 1000;
    hour = static_cast<uint16_t>(seconds / 3600);
    minute = static_cast<uint16_t>(seconds / 60 % 60);
    second = static_cast<uint16_t>(seconds % 60);
}

void DecodeDate(TDateTime value, uint16_t& year, uint16_t& month, uint16_t& day) {
    int64_t y = 0, m = 0, d = 0;
    CivilFromDays(Split(value).Day - EpochShift, y, m, d);
    year = static_cast<uint16_t>(y);
    month = static_cast<uint16_t>(m);
    day = static_cast<uint16_t>(d);
}

TDateTime DateOf(TDateTime value) { return static_cast<double>(Split(value).Day); }

TDateTime TimeOf(TDateTime value) { return Join(0, Split(value).Millisecond); }

TDateTime ToDateTime(const LocalTime& time) {
    const auto inRange = [](int value, int low, int high) { return value >= low && value <= high; };
    if (!inRange(time.Year, 1, 9999) || !inRange(time.Month, 1, 12) || !inRange(time.Day, 1, 31) ||
        !inRange(time.Hour, 0, 23) || !inRange(time.Minute, 0, 59) || !inRange(time.Second, 0, 59) ||
        !inRange(time.Millisecond, 0, 999)) {
        return 0;
    }
    const auto date = EncodeDate(static_cast<uint16_t>(time.Year), static_cast<uint16_t>(time.Month),
                                 static_cast<uint16_t>(time.Day));
    if (!date) return 0;
    const int64_t millisecond = ((time.Hour * int64_t{60} + time.Minute) * 60 + time.Second) * 1000 + time.Millisecond;
    return Join(static_cast<int64_t>(*date), millisecond);
}

LocalTime FromDateTime(TDateTime value) {
    const DayAndTime parts = Split(value);
    int64_t year = 0, month = 0, day = 0;
    CivilFromDays(parts.Day - EpochShift, year, month, day);
    const int64_t ms = parts.Millisecond;
    return {static_cast<int>(year),
            static_cast<int>(month),
            static_cast<int>(day),
            static_cast<int>(ms / 3'600'000),
            static_cast<int>(ms / 60'000 % 60),
            static_cast<int>(ms / 1000 % 60),
            static_cast<int>(ms % 1000)};
}
