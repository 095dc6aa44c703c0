#include "ui/DateTimePicker.h"

#include <commctrl.h>

#include "ui/Form.h"
#include "ui/SystemLibraries.h"

namespace {
// The day the control holds under the time it shows; any day in its range serves.
constexpr WORD ShownYear = 2000, ShownMonth = 1, ShownDay = 1, ShownDayOfWeek = 6;

// Negative values count their days backwards while the fraction counts the time forwards (see DateTime.h).
TDateTime Combine(TDateTime date, TDateTime time) { return date < 0 ? date - time : date + time; }
}  // namespace

bool TDateTimePicker::Create(TForm& form, HWND parent, const Bounds96& bounds, UINT id) {
    bounds_ = bounds;
    // Registered when the first picker is made, not at every start of the program.
    InitCommonControlsLate(ICC_DATE_CLASSES);
    if (!CreateControlWindow(DATETIMEPICK_CLASSW, 0,
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | DTS_TIMEFORMAT, 0, 0, 0, 0, parent,
                             id)) {
        return false;
    }
    // Hours, minutes and seconds always, whatever time format the user chose for the system.
    SendMessageW(Handle(), DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm:ss"));
    form.AddControl(*this);
    return true;
}

void TDateTimePicker::SetDate(TDateTime value) { date_ = DateOf(value); }

void TDateTimePicker::SetTime(TDateTime value) {
    uint16_t hour = 0, minute = 0, second = 0;
    DecodeTime(value, hour, minute, second);
    SYSTEMTIME st{ShownYear, ShownMonth, ShownDayOfWeek, ShownDay, hour, minute, second, 0};
    SendMessageW(Handle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}

TDateTime TDateTimePicker::Value() const {
    SYSTEMTIME st{};
    if (SendMessageW(Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID) return date_;
    const auto time = EncodeTime(st.wHour, st.wMinute, st.wSecond, 0);
    return Combine(date_, time.value_or(0));
}
