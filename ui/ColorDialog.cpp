#include "ui/ColorDialog.h"

#include <commdlg.h>

#include "ui/SystemLibraries.h"

namespace {
COLORREF g_customColors[16] = {
    0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
    0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
};
}  // namespace

bool TColorDialog::Execute(HWND owner) {
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.rgbResult = Color;
    cc.lpCustColors = g_customColors;
    cc.Flags = CC_RGBINIT;
    if (!ChooseColorLate(&cc)) return false;
    Color = cc.rgbResult;
    return true;
}
