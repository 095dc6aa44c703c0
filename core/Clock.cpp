#include "core/Clock.h"

#include "core/Os.h"

namespace {
NowFunction g_now = nullptr;
}

LocalTime Now() { return g_now ? g_now() : Os::LocalNow(); }

void SetNowForTesting(NowFunction now) { g_now = now; }
