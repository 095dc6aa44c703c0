#include "ui/Button.h"

#include "ui/Form.h"

bool TButton::Create(TForm& form, HWND parent, const Bounds96& bounds, std::string_view caption, UINT id,
                     int modalResult, bool isDefault) {
    ModalResult = modalResult;
    if (!CreateButton(form, parent, bounds, caption, id, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)) return false;
    if (isDefault) form.SetDefaultButton(this);
    if (id == IDCANCEL) form.SetCancelButton(this);
    return true;
}

bool TButton::CreateButton(TForm& form, HWND parent, const Bounds96& bounds, std::string_view caption, UINT id,
                           DWORD buttonStyle) {
    form_ = &form;
    bounds_ = bounds;
    if (!CreateControlWindow(L"BUTTON", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | buttonStyle, 0, 0, 0,
                             0, parent, id)) {
        return false;
    }
    SetText(caption);
    form.AddControl(*this);
    return true;
}

void TButton::Click() {
    // The modal result goes first, so that a handler can still take it back.
    if (ModalResult != 0 && form_) form_->SetModalResult(ModalResult);
    if (OnClick) OnClick();
}

bool TButton::HandleReflected(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_COMMAND) return false;
    // A quick second click arrives as a double-click for some button styles; it is a click all the same.
    const WORD code = HIWORD(wParam);
    if (code != BN_CLICKED && code != BN_DOUBLECLICKED) return false;
    Click();
    result = 0;
    return true;
}
