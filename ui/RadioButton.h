#pragma once
// A radio button of a group (BS_AUTORADIOBUTTON; the first button of a group starts it with WS_GROUP).
// OnClick runs whenever the button becomes checked: clicked by the user, reached with the arrow keys, or
// checked by code through SetChecked. It does not run for a button that was checked already, nor when a
// button is unchecked. Checking a button unchecks the others of its group. The checked button of a group
// is the group's tab stop; while none is checked, its first button is.
#include <functional>
#include <vector>

#include "ui/Control.h"

class TForm;

class TRadioButton : public TControl {
public:
    bool Create(TForm& form, HWND parent, const Bounds96& bounds, std::string_view caption, UINT id,
                bool startsGroup = false);
    bool Checked() const;
    void SetChecked(bool checked);

    std::function<void()> OnClick;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    std::vector<HWND> Group() const;  // the radio buttons of this one's group, in order
    void UncheckSiblings();
    void UpdateTabStops();
    void RunPendingClick();

    // Set when the button turned from unchecked to checked; the handler runs once the whole group has
    // settled (after the click notification, or at the end of SetChecked).
    bool becameChecked_ = false;
};
