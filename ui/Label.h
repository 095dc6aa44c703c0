#pragma once
// A text label with no colour of its own: it shows on its parent's colour. It takes the mouse input that
// lands on it and does nothing with it (a press on a label is not a press on the form), but lets a
// right-click reach the parent's popup menu. With AutoSize the label takes the size of its text.
#include "ui/Control.h"

class TForm;

class TLabel : public TControl {
public:
    bool Create(TForm& form, HWND parent, const Bounds96& bounds, std::string_view caption, bool autoSize = true);
    void SetCaption(std::string_view cp932);
    std::string Caption() const { return Text(); }
    void Place(int dpi, HFONT font) override;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    SIZE TextSize() const;
    void FitToText();
    TForm* form_ = nullptr;
    SIZE fitted_{};         // the size the label was last given
    HFONT font_ = nullptr;  // the form's font; the form owns it
    bool autoSize_ = true;
};
