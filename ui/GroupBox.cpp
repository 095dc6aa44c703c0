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
    switch (message) {
        case WM_ERASEBKGND: {
            // The frame control paints only its edge and caption; the form clips its children.
            RECT r;
            GetClientRect(Handle(), &r);
            FillRect(reinterpret_cast<HDC>(wParam), &r, form_->BackgroundBrush());
            return 1;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            // Not taken by the child itself: the controls inside show on the form's ground.
            return SendMessageW(GetParent(Handle()), message, wParam, lParam);
        default:
            break;
    }
    return TControl::WndProc(message, wParam, lParam);
}
