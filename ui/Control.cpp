#include "ui/Control.h"

#include "ui/Form.h"
#include "ui/Wide.h"

int ScaleForDpi(int value96, int dpi) { return MulDiv(value96, dpi, 96); }

void TControl::SetBounds(const Bounds96& bounds) {
    bounds_ = bounds;
    if (Handle()) Place(dpi_, reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)));
}

void TControl::SetLeftTop(int left, int top) { SetBounds({left, top, bounds_.Width, bounds_.Height}); }

void TControl::Place(int dpi, HFONT font) {
    dpi_ = dpi;
    if (!Handle()) return;
    if (font) SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowPos(Handle(), nullptr, ScaleForDpi(bounds_.Left, dpi), ScaleForDpi(bounds_.Top, dpi),
                 ScaleForDpi(bounds_.Width, dpi), ScaleForDpi(bounds_.Height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TControl::SetText(std::string_view cp932) {
    if (Handle()) SetWindowTextW(Handle(), Widen(cp932).c_str());
}

std::string TControl::Text() const {
    if (!Handle()) return {};
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(Handle())) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(Handle(), text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

void TControl::SetEnabled(bool enabled) {
    if (Handle()) EnableWindow(Handle(), enabled);
}

bool TControl::Enabled() const { return Handle() && IsWindowEnabled(Handle()); }

void TControl::SetVisible(bool visible) {
    if (Handle()) ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

bool TControl::HandleGround(HBRUSH ground, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(Handle(), &r);
            FillRect(reinterpret_cast<HDC>(wParam), &r, ground);
            result = 1;
            return true;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            result = SendMessageW(GetParent(Handle()), message, wParam, lParam);
            return true;
        default:
            return false;
    }
}

LRESULT TControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFOCUS) {
        if (auto* form = dynamic_cast<TForm*>(FromHandle(GetAncestor(Handle(), GA_ROOT))))
            form->ControlFocused(Handle());
    }
    return TWindow::WndProc(message, wParam, lParam);
}
