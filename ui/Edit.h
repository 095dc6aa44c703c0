#pragma once
// A single-line edit box with a background colour of its own (a colour value as the forms keep it:
// 0x00BBGGRR or kSystemColor | COLOR_xxx) and a read-only state. OnDblClick runs after the box has handled a
// double-click with the left button.
#include <functional>

#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/Handles.h"

class TEdit : public TControl {
public:
    bool Create(TForm& form, HWND parent, const Bounds96& bounds, std::string_view text, UINT id);

    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);
    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);

    std::function<void()> OnDblClick;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    COLORREF color_ = kSystemColor | COLOR_WINDOW;
    BrushHandle brush_;  // none until a colour is set: the system's own colours apply
};
