#pragma once
// The settings dialog as designed (positions and sizes at 96 DPI). Its design names only place, size, colour
// and font, so the rest is the default: a sizeable window at the top-left of the screen. Controls that take
// the focus are created in tab order; labels and the frame lie beneath them.
#include "ui/Form.h"

inline constexpr FormDesign SetDialogDesign{
    L"TSetDialog",
    "設定",
    0,
    0,
    205,
    152,
    TBorderStyle::bsSizeable,
    TPosition::poDesigned,
    kSystemColor | COLOR_BTNFACE,
    L"Tahoma",
    -11,
};

inline constexpr Bounds96 Bevel2Bounds{8, 8, 190, 106};
inline constexpr Bounds96 CheckBoxFrontBounds{16, 16, 121, 17};
inline constexpr char CheckBoxFrontCaption[] = "常に手前に表示する";
inline constexpr Bounds96 Label1Bounds{16, 48, 69, 13};
inline constexpr char Label1Caption[] = "タスクバー表示";
inline constexpr Bounds96 BitBtn1Bounds{104, 42, 81, 25};
inline constexpr Bounds96 Label2Bounds{16, 80, 36, 13};
inline constexpr char Label2Caption[] = "背景色";
inline constexpr Bounds96 EditColorBounds{104, 78, 81, 21};
inline constexpr Bounds96 ButtonOKBounds{42, 120, 75, 25};
inline constexpr char ButtonOKCaption[] = "OK";
inline constexpr Bounds96 ButtonCancelBounds{123, 120, 75, 25};
inline constexpr char ButtonCancelCaption[] = "キャンセル";

// Tab order: CheckBoxFront, BitBtn1, ButtonOK, ButtonCancel, EditColor. Neither button is the form's default
// or cancel button, so Enter presses only a button that has the focus and Escape does nothing here; ids from
// 100 up keep them from IDOK and IDCANCEL.
inline constexpr UINT CheckBoxFrontId = 100;
inline constexpr UINT BitBtn1Id = 101;
inline constexpr UINT ButtonOKId = 102;
inline constexpr UINT ButtonCancelId = 103;
inline constexpr UINT EditColorId = 104;
