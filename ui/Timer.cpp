#include "ui/Timer.h"

#include "ui/Form.h"

namespace {
UINT_PTR g_nextTimerId = 1;
}

TTimer::TTimer(TForm& owner) : owner_(owner), id_(g_nextTimerId++) { owner.AddTimer(*this); }

TTimer::~TTimer() {
    if (enabled_ && owner_.Handle()) KillTimer(owner_.Handle(), id_);
}

void TTimer::Arm() {
    if (!owner_.Handle()) return;
    const UINT delay = nextDelay_ ? nextDelay_() : interval_;
    SetTimer(owner_.Handle(), id_, delay ? delay : USER_TIMER_MINIMUM, nullptr);
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled) {
        enabled_ = true;
        Arm();
    } else {
        enabled_ = false;
        if (owner_.Handle()) KillTimer(owner_.Handle(), id_);
    }
}

void TTimer::SetInterval(UINT interval) {
    interval_ = interval;
    if (enabled_) Arm();
}

void TTimer::Tick() {
    if (!enabled_) return;
    if (nextDelay_) Arm();
    if (OnTimer) OnTimer();
}
