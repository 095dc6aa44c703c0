#include "ui/GroupBox.h"

#include "ui/Form.h"

bool TGroupBox::Create(TForm& form, HWND parent, const Bounds96& bounds, std::string_view caption, UINT id) {
    form_ = &form;
    bounds_ = bounds;
    if (!CreateControlWindow(L"BUTTON", WS_EX_CONTROLPARENT,
                             WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | BS_GROUPBOX, 0, 0, 0, 0,
                             parent, id)) {
        return false;
    }
    SetText(caption);
    form.AddControl(*this);
    return true;
}

LRESULT TGroupBox::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The frame control paints only its edge and caption; the form clips its children.
    LRESULT result = 0;
    if (HandleGround(form_->BackgroundBrush(), message, wParam, lParam, result)) return result;
    return TControl::WndProc(message, wParam, lParam);
}
