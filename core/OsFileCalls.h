#pragma once
// The counter behind SetFileFaultForTesting, shared by both file layers: each file-system call asks it first
// whether this call is the one to fail.
#include "core/Os.h"

namespace Os {
// The fault the call must report (None: make the call).
FileFault NextFileCall(FileCall call);
}  // namespace Os
