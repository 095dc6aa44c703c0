#pragma once
// A push button that shows a glyph of 16 x 16 pixels at 96 DPI (scaled with the DPI; a bitmap of another size
// is stretched to it) to the left of its caption, the two centred together. The
// button paints itself (owner-drawn), so glyph and text show the same with every version of the common
// controls; with visual styles on it paints the themed push button beneath them. The colour of the glyph's
// bottom-left pixel is transparent.
#include "ui/Button.h"
#include "ui/Handles.h"

class TBitBtn : public TButton {
public:
    bool Create(TForm& form, HWND parent, const Bounds96& bounds, std::string_view caption, UINT id);

    // The button keeps its own copy; the caller still owns the bitmap it passes. nullptr removes the glyph.
    void SetGlyph(HBITMAP bitmap);
    bool HasGlyph() const { return glyph_ != nullptr; }

protected:
    bool HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void Draw(const DRAWITEMSTRUCT& item) const;

    BitmapHandle glyph_;
};
