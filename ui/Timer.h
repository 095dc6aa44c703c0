#pragma once
// A timer owned by a form, ticking as WM_TIMER messages of the form's window. With an alignment function
// set, every wait is re-armed for the delay it returns (so ticks can follow the wall clock's seconds)
// instead of running freely at Interval.
#include <functional>

#include <windows.h>

class TForm;

class TTimer {
public:
    explicit TTimer(TForm& owner);
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    bool Enabled() const { return enabled_; }
    // Switching on always starts a fresh wait; switching off drops the pending tick.
    void SetEnabled(bool enabled);
    UINT Interval() const { return interval_; }
    void SetInterval(UINT interval);
    void SetAlignment(std::function<UINT()> nextDelay) { nextDelay_ = std::move(nextDelay); }

    std::function<void()> OnTimer;

    UINT_PTR Id() const { return id_; }
    void Tick();

private:
    void Arm();

    TForm& owner_;
    UINT_PTR id_;
    UINT interval_ = 1000;
    bool enabled_ = false;
    std::function<UINT()> nextDelay_;
};
