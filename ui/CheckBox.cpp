#include "ui/CheckBox.h"

#include "ui/Form.h"

bool TCheckBox::Create(TForm& form, HWND parent, const Bounds96& bounds, std::string_view caption, UINT id,
                       bool startsGroup) {
    bounds_ = bounds;
    const DWORD style =
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | BS_AUTOCHECKBOX | (startsGroup ? WS_GROUP : 0);
    if (!CreateControlWindow(L"BUTTON", 0, style, 0, 0, 0, 0, parent, id)) return false;
    SetText(caption);
    form.AddControl(*this);
    return true;
}

bool TCheckBox::Checked() const { return Handle() && SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TCheckBox::SetChecked(bool checked) {
    if (Handle()) SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

namespace {
// Cuts out of a window the parts that siblings created after it cover (those lie below it in the Z order).
void YieldToLaterSiblings(HWND window) {
    RECT own;
    GetWindowRect(window, &own);
    HRGN region = nullptr;
    for (HWND later = GetWindow(window, GW_HWNDNEXT); later; later = GetWindow(later, GW_HWNDNEXT)) {
        RECT other, shared;
        GetWindowRect(later, &other);
        if (!(GetWindowLongW(later, GWL_STYLE) & WS_VISIBLE) || !IntersectRect(&shared, &own, &other)) continue;
        if (!region) region = CreateRectRgn(0, 0, own.right - own.left, own.bottom - own.top);
        HRGN cut = CreateRectRgn(shared.left - own.left, shared.top - own.top, shared.right - own.left,
                                 shared.bottom - own.top);
        CombineRgn(region, region, cut, RGN_DIFF);
        DeleteObject(cut);
    }
    // The window takes the region over; nullptr gives it its whole rectangle back.
    SetWindowRgn(window, region, TRUE);
}
}  // namespace

void TCheckBox::Place(int dpi, HFONT font) {
    TControl::Place(dpi, font);
    if (!Handle()) return;
    for (HWND earlier = GetWindow(Handle(), GW_HWNDPREV); earlier; earlier = GetWindow(earlier, GW_HWNDPREV)) {
        if (TWindow* object = FromHandle(earlier); dynamic_cast<TCheckBox*>(object)) YieldToLaterSiblings(earlier);
    }
}
