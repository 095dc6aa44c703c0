#pragma once
// The timer condition dialog as designed (positions and sizes at 96 DPI, in the parent's client area). A
// fixed dialog frame centred on the screen. Controls are created in tab order within their parent; the frame
// lies beneath them. The radio buttons and the weekday boxes are children of GroupBox1.
#include <array>

#include "ui/Form.h"

inline constexpr FormDesign SetTimeDlgDesign{
    L"TSetTimeDlg",
    "条件指定",
    227,
    108,
    440,
    190,
    TBorderStyle::bsDialog,
    TPosition::poScreenCenter,
    kSystemColor | COLOR_BTNFACE,
    L"Tahoma",
    -11,
};

inline constexpr Bounds96 Bevel1Bounds{8, 8, 425, 145};
// Form, tab order 0 to 4.
inline constexpr Bounds96 SetTimeOKBtnBounds{276, 159, 75, 25};
inline constexpr char SetTimeOKBtnCaption[] = "OK";
inline constexpr Bounds96 SetTimeCancelBtnBounds{357, 159, 75, 25};
inline constexpr char SetTimeCancelBtnCaption[] = "キャンセル";
inline constexpr Bounds96 GroupBox1Bounds{22, 76, 403, 61};
inline constexpr char GroupBox1Caption[] = "条件";
inline constexpr Bounds96 EditTitleBounds{22, 22, 403, 21};
inline constexpr char EditTitleDesignText[] = "EditTitle";
inline constexpr Bounds96 DateTimePicker1Bounds{22, 49, 81, 21};

// GroupBox1, tab order 0 to 9.
inline constexpr Bounds96 RadioButtonOneceBounds{8, 16, 65, 17};
inline constexpr char RadioButtonOneceCaption[] = "１回のみ";
inline constexpr Bounds96 RadioButtonEverydayBounds{87, 16, 49, 17};
inline constexpr char RadioButtonEverydayCaption[] = "毎日";
inline constexpr Bounds96 RadioButtonDaysBounds{152, 16, 70, 17};
inline constexpr char RadioButtonDaysCaption[] = "曜日指定";

struct DayBoxDesign {
    Bounds96 Bounds;
    const char* Caption;
};
// Sunday (bit 0) to Saturday (bit 6).
inline constexpr std::array<DayBoxDesign, 7> DayBoxDesigns{{
    {{8, 39, 57, 17}, "日曜日"},
    {{65, 39, 57, 17}, "月曜日"},
    {{120, 39, 57, 17}, "火曜日"},
    {{175, 39, 57, 17}, "水曜日"},
    {{230, 39, 57, 17}, "木曜日"},
    {{286, 39, 57, 17}, "金曜日"},
    {{341, 39, 57, 17}, "土曜日"},
}};

// OK is the default button (Enter), Cancel the cancel button (Escape).
inline constexpr UINT GroupBox1Id = 100;
inline constexpr UINT RadioButtonOneceId = 101;
inline constexpr UINT RadioButtonEverydayId = 102;
inline constexpr UINT RadioButtonDaysId = 103;
inline constexpr UINT FirstDayBoxId = 104;  // to 110
inline constexpr UINT EditTitleId = 111;
inline constexpr UINT DateTimePicker1Id = 112;
