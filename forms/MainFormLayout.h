#pragma once
// The clock window as designed (positions and sizes at 96 DPI). The compact layout replaces border, size,
// label position and colour when the window is first shown.
#include <cstdint>

#include "ui/Form.h"

inline constexpr FormDesign MainFormDesign{
    L"TMainForm",
    "MainForm",
    197,
    111,
    264,
    121,
    TBorderStyle::bsSizeable,
    TPosition::poDesigned,
    kSystemColor | COLOR_BTNFACE,
    L"Tahoma",
    -11,
};

inline constexpr Bounds96 LabelTimeBounds{8, 8, 44, 13};
inline constexpr char LabelTimeSample[] = "12:15:26";

// The compact clock.
inline constexpr int CompactWidth = 48;
inline constexpr int CompactHeight = 16;
inline constexpr int CompactLabelLeft = 2;
inline constexpr int CompactLabelTop = 1;

struct MenuItemDesign {
    const char* Caption;
    uint16_t ShortCut;
};

// PopupMenu1, in order: Logout, N3, PopupTimer, N1, PopupHibernation, Minimize, Setting, PopupEnd, N2,
// AddLogSleep.
inline constexpr MenuItemDesign PopupMenu1Design[] = {
    {"ログ表示(&L)", 0}, {"-", 0},        {"タイマー(&T)", 16468}, {"-", 0}, {"休止状態(&R)", 0},
    {"最小化(&M)", 0},   {"設定(&S)", 0}, {"終了(&X)", 0},         {"-", 0}, {"ログ記録(睡眠)(&P)", 0},
};
