#pragma once
// A check box that the user ticks and unticks (BS_AUTOCHECKBOX). Where a layout lets neighbouring boxes
// overlap by a pixel or two, the box laid out later shows in the shared strip, as it did where the layout was
// drawn: the earlier box gives the strip up through its window region.
#include "ui/Control.h"

class TForm;

class TCheckBox : public TControl {
public:
    bool Create(TForm& form, HWND parent, const Bounds96& bounds, std::string_view caption, UINT id,
                bool startsGroup = false);
    bool Checked() const;
    void SetChecked(bool checked);
    void Place(int dpi, HFONT font) override;
};
