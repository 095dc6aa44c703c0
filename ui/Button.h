#pragma once
// A push button. A click (mouse, Space, Enter on the default button, BM_CLICK) sets the button's modal
// result, when it has one, as the form's modal result, which ends the form's modal show, and then runs
// OnClick. Enter presses the button that has the focus. The form's default button (Enter wherever the focus
// is) takes the id IDOK, its cancel button (Escape) the id IDCANCEL; every other button gets an id of its own
// from 100 up.
#include <functional>

#include "ui/Control.h"

class TForm;

class TButton : public TControl {
public:
    bool Create(TForm& form, HWND parent, const Bounds96& bounds, std::string_view caption, UINT id,
                int modalResult = 0, bool isDefault = false);
    void Click();

    std::function<void()> OnClick;
    int ModalResult = 0;

protected:
    bool CreateButton(TForm& form, HWND parent, const Bounds96& bounds, std::string_view caption, UINT id,
                      DWORD buttonStyle);
    bool HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    TForm* Form() const { return form_; }

private:
    TForm* form_ = nullptr;
};
