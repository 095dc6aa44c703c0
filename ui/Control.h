#pragma once
// A child control placed by a stored layout. Positions and sizes are kept as designed at 96 pixels per inch
// and scaled to the window's DPI whenever the control is placed.
#include <string>
#include <string_view>

#include "ui/Window.h"

struct Bounds96 {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

int ScaleForDpi(int value96, int dpi);

class TControl : public TWindow {
public:
    const Bounds96& Bounds() const { return bounds_; }
    void SetBounds(const Bounds96& bounds);
    int Left() const { return bounds_.Left; }
    int Top() const { return bounds_.Top; }
    void SetLeftTop(int left, int top);

    // Re-places the control for a DPI and gives it the parent form's font.
    virtual void Place(int dpi, HFONT font);

    void SetText(std::string_view cp932);
    std::string Text() const;
    void SetEnabled(bool enabled);
    bool Enabled() const;
    void SetVisible(bool visible);

protected:
    // For controls that show on their form's ground: the background is painted with the ground's brush,
    // and the colour questions of the controls inside go up to the form. True when the message was one
    // of those, with its answer in result.
    bool HandleGround(HBRUSH ground, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Tells the form when the control receives the keyboard focus, so that the form can give it back later.
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    Bounds96 bounds_;
    int dpi_ = 96;
};
