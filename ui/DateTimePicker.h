#pragma once
// A time-of-day picker (DTS_TIMEFORMAT) whose value is a full date-time. The control shows and edits only
// the time of day, to the second (as HH:mm:ss, whatever the user's time format); the date part is kept here and carried
// along unseen. That way every date part works, 0 (30 December 1899) included, which a system time in the control's
// range could not hold: with the date part 0 and the time 00:00:00 the value is exactly 0.
#include "core/DateTime.h"
#include "ui/Control.h"

class TForm;

class TDateTimePicker : public TControl {
public:
    bool Create(TForm& form, HWND parent, const Bounds96& bounds, UINT id);

    // The date part of value (its time of day is ignored).
    void SetDate(TDateTime value);
    // The time of day of value, to the second (its date part is ignored).
    void SetTime(TDateTime value);
    // The date part and the time of day as the control shows it.
    TDateTime Value() const;

private:
    TDateTime date_ = 0;
};
