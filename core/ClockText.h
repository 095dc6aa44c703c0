#pragma once
// The clock's texts: the label always shows hours, minutes and seconds; the application title shows the
// time in one of three modes (0 "hh:nn:ss", 1 "hh:nn", 2 "hh"), and any other mode leaves the title alone.
#include <cstdint>
#include <optional>
#include <string>

#include "core/LocalTime.h"

std::string LabelText(const LocalTime& time);
std::optional<std::string> TitleText(int32_t taskBarMode, const LocalTime& time);

// The title a tick writes, if any. Mode 0 writes on every tick. Modes 1 and 2 write whenever their text
// differs from the title as it stands: a tick that misses second 0 (late, or dropped while the machine was
// busy) must not leave the previous minute or hour showing for another minute.
std::optional<std::string> TickTitle(int32_t taskBarMode, const LocalTime& time, const std::string& currentTitle);

// How long to wait for the next tick so that it lands just after the wall clock's next second begins.
unsigned MillisecondsToNextSecond(const LocalTime& now, unsigned margin = 2);
