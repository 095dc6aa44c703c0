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
