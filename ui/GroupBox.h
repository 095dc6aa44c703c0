#pragma once
// A captioned frame that holds controls: the controls laid out in it are its child windows, placed in its
// own coordinates, and their notifications reach their objects through it. Tab and the arrow keys move
// into it (WS_EX_CONTROLPARENT).
#include "ui/Control.h"

class TForm;

class TGroupBox : public TControl {
public:
    bool Create(TForm& form, HWND parent, const Bounds96& bounds, std::string_view caption, UINT id);

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TForm* form_ = nullptr;
};
