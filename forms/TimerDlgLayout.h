#pragma once
// The timer list dialog as designed (positions and sizes at 96 DPI, in the parent's client area). A fixed
// dialog frame; its design position is replaced by the stored one at every activation. Panel1 holds the
// list, Panel2 the two buttons; controls are created in tab order within their parent.
#include <array>

#include "ui/Form.h"

inline constexpr FormDesign TimerDlgDesign{
    L"TTimerDlg",
    "ダイアログ",
    227,
    108,
    424,
    441,
    TBorderStyle::bsDialog,
    TPosition::poDesigned,
    kSystemColor | COLOR_BTNFACE,
    L"Tahoma",
    -11,
};

inline constexpr Bounds96 Panel1Bounds{0, 0, 424, 405};
inline constexpr char Panel1DesignCaption[] = "Panel1";
inline constexpr Bounds96 ListView1Bounds{1, 1, 422, 403};
inline constexpr Bounds96 Panel2Bounds{0, 405, 424, 36};
inline constexpr char Panel2DesignCaption[] = "Panel2";
inline constexpr Bounds96 TimerOKBtnBounds{264, 6, 75, 25};
inline constexpr char TimerOKBtnCaption[] = "OK";
inline constexpr Bounds96 TimerCancelBtnBounds{345, 6, 75, 25};
inline constexpr char TimerCancelBtnCaption[] = "キャンセル";

// PopupMenu1: PopupAddTimer, PopupEditTimer, PopupDelTimer.
inline constexpr std::array<const char*, 3> TimerPopupCaptions{"追加(&A)", "編集(&E)", "削除(&D)"};

// OK is the default button (Enter), Cancel the cancel button (Escape).
inline constexpr UINT Panel1Id = 100;
inline constexpr UINT ListView1Id = 101;
inline constexpr UINT Panel2Id = 102;
