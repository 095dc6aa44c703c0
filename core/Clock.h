#pragma once
// The one source of "now" for the whole program. Tests replace it to set any moment.
#include "core/LocalTime.h"

using NowFunction = LocalTime (*)();

LocalTime Now();

// Replaces the clock (nullptr restores the system clock). For tests only.
void SetNowForTesting(NowFunction now);
