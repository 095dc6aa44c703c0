#pragma once
// A check box that the user ticks and unticks (BS_AUTOCHECKBOX).
#include "ui/Control.h"

class TForm;

class TCheckBox : public TControl {
public:
    bool Create(TForm& form, HWND parent, const Bounds96& bounds, std::string_view caption, UINT id,
                bool startsGroup = false);
    bool Checked() const;
    void SetChecked(bool checked);
};
