#include "ui/Bevel.h"

#include "ui/Form.h"

bool TBevel::Create(TForm& form, HWND parent, const Bounds96& bounds) {
    form_ = &form;
    bounds_ = bounds;
    // WS_CLIPSIBLINGS: the frame's ground is painted around the controls above it, never over them.
    if (!CreateControlWindow(L"STATIC", 0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_ETCHEDFRAME, 0, 0, 0, 0, parent,
                             0)) {
        return false;
    }
    SetWindowPos(Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    form.AddControl(*this);
    return true;
}

LRESULT TBevel::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        // The frame control paints only its edge, and the form clips its children: the ground inside the
        // frame is painted here.
        RECT r;
        GetClientRect(Handle(), &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, form_->BackgroundBrush());
        return 1;
    }
    return TControl::WndProc(message, wParam, lParam);
}
