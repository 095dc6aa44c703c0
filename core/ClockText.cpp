#include "core/ClockText.h"

#include <cstdio>

std::string LabelText(const LocalTime& time) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.Hour, time.Minute, time.Second);
    return text;
}

std::optional<std::string> TitleText(int32_t taskBarMode, const LocalTime& time) {
    char text[16];
    switch (taskBarMode) {
        case 0:
            std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.Hour, time.Minute, time.Second);
            return text;
        case 1:
            std::snprintf(text, sizeof text, "%02d:%02d", time.Hour, time.Minute);
            return text;
        case 2:
            std::snprintf(text, sizeof text, "%02d", time.Hour);
            return text;
        default:
            return std::nullopt;
    }
}

std::optional<std::string> TickTitle(int32_t taskBarMode, const LocalTime& time, const std::string& currentTitle) {
    std::optional<std::string> text = TitleText(taskBarMode, time);
    if (!text) return std::nullopt;
    if (taskBarMode == 0 || time.Second == 0 || *text != currentTitle) return text;
    return std::nullopt;
}

unsigned MillisecondsToNextSecond(const LocalTime& now, unsigned margin) {
    const int ms = now.Millisecond < 0 ? 0 : (now.Millisecond > 999 ? 999 : now.Millisecond);
    return static_cast<unsigned>(1000 - ms) + margin;
}
