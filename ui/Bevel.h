#pragma once
// An etched frame drawn on the form's ground, with nothing inside it of its own. It lies beneath every other
// control of its parent, so it never hides them.
#include "ui/Control.h"

class TForm;

class TBevel : public TControl {
public:
    bool Create(TForm& form, HWND parent, const Bounds96& bounds);

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TForm* form_ = nullptr;
};
