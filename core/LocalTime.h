#pragma once
// The local wall-clock time, as the system gives it, split into its fields.
struct LocalTime {
    int Year = 1899;
    int Month = 12;
    int Day = 30;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
};
