#pragma once
// A container with a raised one-pixel edge and a centred caption, on the form's ground. The controls laid
// out in it are its child windows, placed in its own coordinates; their notifications reach their objects
// through it, and Tab moves into it (WS_EX_CONTROLPARENT). Its place is fixed by the layout.
#include "ui/Control.h"
#include "ui/Handles.h"

class TForm;

class TPanel : public TControl {
public:
    bool Create(TForm& form, HWND parent, const Bounds96& bounds, std::string_view caption, UINT id);
    void SetCaption(std::string_view cp932);
    std::string Caption() const { return Text(); }

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc) const;

    TForm* form_ = nullptr;
    HFONT font_ = nullptr;  // the form's font; the form owns it
};
