#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "core/DateTime.h"

namespace {
struct Hms {
    uint16_t H, M, S;
    bool operator==(const Hms&) const = default;
};

Hms Decode(TDateTime value) {
    Hms t{};
    DecodeTime(value, t.H, t.M, t.S);
    return t;
}
}  // namespace

// Where the comparison can find it, beside LocalTime; internal to this file.
static bool operator==(const LocalTime& a, const LocalTime& b) {
    return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day && a.Hour == b.Hour && a.Minute == b.Minute &&
           a.Second == b.Second && a.Millisecond == b.Millisecond;
}

TEST(DateTime, EncodeTimeRefusesFieldsOutOfRange) {
    const struct {
        uint16_t H, M, S, Ms;
        bool Valid;
    } cases[] = {
        {0, 0, 0, 0, true},   {23, 59, 59, 999, true}, {24, 0, 0, 0, false},    {0, 60, 0, 0, false},
        {0, 0, 60, 0, false}, {0, 0, 0, 1000, false},  {65535, 0, 0, 0, false},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodeTime(c.H, c.M, c.S, c.Ms).has_value(), c.Valid) << c.H << ":" << c.M;
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
}

TEST(DateTime, EncodeDateCountsDaysFromTheEpochAndKnowsLeapYears) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2024, 1, 5), 45296.0);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593.0);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
    EXPECT_TRUE(EncodeDate(2000, 2, 29).has_value());
    EXPECT_TRUE(EncodeDate(2024, 2, 29).has_value());
    for (const auto& [y, m, d] : {std::array<uint16_t, 3>{1900, 2, 29},
                                  {2023, 2, 29},
                                  {2024, 4, 31},
                                  {2024, 13, 1},
                                  {2024, 0, 1},
                                  {2024, 1, 0},
                                  {0, 1, 1},
                                  {10000, 1, 1}}) {
        EXPECT_FALSE(EncodeDate(y, m, d).has_value()) << y << "-" << m << "-" << d;
    }
}

TEST(DateTime, EverySecondOfTheDayDecodesToItselfWithOrWithoutADate) {
    for (uint16_t h = 0; h < 24; ++h) {
        for (uint16_t m = 0; m < 60; ++m) {
            for (uint16_t s = 0; s < 60; ++s) {
                const TDateTime time = *EncodeTime(h, m, s, 0);
                ASSERT_EQ(Decode(time), (Hms{h, m, s}));
                // A large date part leaves fewer bits for the time: rounding must still find the second.
                ASSERT_EQ(Decode(45296 + time), (Hms{h, m, s}));
                ASSERT_EQ(Decode(time + 0.999 / 86400), (Hms{h, m, s})) << "milliseconds are dropped";
            }
        }
    }
}

TEST(DateTime, DecodingRoundsToTheNearestMillisecond) {
    EXPECT_EQ(Decode(0.5 - 1e-12), (Hms{12, 0, 0}));
    // Rounds up to midnight: the time is 00:00:00 of the next day.
    EXPECT_EQ(Decode(0.9999999999999), (Hms{0, 0, 0}));
    EXPECT_EQ(DateOf(45296.9999999999), 45297.0);
    EXPECT_EQ(DateOf(45296.75), 45296.0);
    EXPECT_EQ(TimeOf(45296.75), 0.75);
}

TEST(DateTime, ValuesBefore1899CountDaysBackAndTheTimeForward) {
    EXPECT_EQ(FromDateTime(-1.25), (LocalTime{1899, 12, 29, 6, 0, 0, 0}));
    EXPECT_EQ(ToDateTime({1899, 12, 29, 6, 0, 0, 0}), -1.25);
    EXPECT_EQ(DateOf(-1.25), -1.0);
    EXPECT_EQ(TimeOf(-1.25), 0.25);
    EXPECT_EQ(Decode(-1.25), (Hms{6, 0, 0}));
}

TEST(DateTime, MomentsSurviveTheRoundTrip) {
    const LocalTime moments[] = {{2024, 1, 5, 7, 8, 9, 765},
                                 {1899, 12, 30, 0, 0, 0, 0},
                                 {1, 1, 1, 0, 0, 0, 0},
                                 {9999, 12, 31, 23, 59, 59, 999},
                                 {2000, 2, 29, 12, 0, 0, 1}};
    for (const LocalTime& t : moments) EXPECT_EQ(FromDateTime(ToDateTime(t)), t) << t.Year;
    EXPECT_EQ(ToDateTime({2024, 1, 5, 9, 30, 0, 0}), 45296 + *EncodeTime(9, 30, 0, 0));
}

TEST(DateTime, ImpossibleMomentsAndValuesHaveASafeMeaning) {
    for (const LocalTime& t : {LocalTime{2024, 2, 30, 0, 0, 0, 0}, LocalTime{2024, 1, 1, 24, 0, 0, 0},
                               LocalTime{70000, 1, 1, 0, 0, 0, 0}, LocalTime{2024, 1, 1, 0, 0, 0, -1}}) {
        EXPECT_EQ(ToDateTime(t), 0.0) << t.Year << "-" << t.Month << "-" << t.Day << " " << t.Hour;
    }
    EXPECT_EQ(FromDateTime(std::numeric_limits<double>::quiet_NaN()), (LocalTime{1899, 12, 30, 0, 0, 0, 0}));
    EXPECT_EQ(FromDateTime(std::numeric_limits<double>::infinity()), (LocalTime{1899, 12, 30, 0, 0, 0, 0}));
    EXPECT_EQ(FromDateTime(1e300), (LocalTime{9999, 12, 31, 0, 0, 0, 0}));
    EXPECT_EQ(FromDateTime(-1e300), (LocalTime{1, 1, 1, 0, 0, 0, 0}));
}
