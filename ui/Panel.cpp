#include "ui/Panel.h"

#include "ui/Form.h"

bool TPanel::Create(TForm& form, HWND parent, const Bounds96& bounds, std::string_view caption, UINT id) {
    form_ = &form;
    bounds_ = bounds;
    if (!CreateOwnWindow(L"Horvane2010.Panel", 0, WS_EX_CONTROLPARENT,
                         WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)))) {
        return false;
    }
    SetText(caption);
    form.AddControl(*this);
    return true;
}

void TPanel::SetCaption(std::string_view cp932) {
    SetText(cp932);
    if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TPanel::Paint(HDC dc) const {
    RECT r;
    GetClientRect(Handle(), &r);
    DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    wchar_t text[256];
    const int length = GetWindowTextW(Handle(), text, 256);
    if (length == 0) return;
    SelectScope select(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawTextW(dc, text, length, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT TPanel::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (HandleGround(form_->BackgroundBrush(), message, wParam, lParam, result)) return result;
    switch (message) {
        case WM_SETFONT:
            font_ = reinterpret_cast<HFONT>(wParam);
            if (LOWORD(lParam)) InvalidateRect(Handle(), nullptr, TRUE);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(Handle(), &ps);
            Paint(dc);
            EndPaint(Handle(), &ps);
            return 0;
        }
        default:
            break;
    }
    return TControl::WndProc(message, wParam, lParam);
}
