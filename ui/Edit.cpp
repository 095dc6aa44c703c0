#include "ui/Edit.h"

#include "ui/Form.h"

bool TEdit::Create(TForm& form, HWND parent, const Bounds96& bounds, std::string_view text, UINT id) {
    bounds_ = bounds;
    if (!CreateControlWindow(L"EDIT", WS_EX_CLIENTEDGE,
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | ES_LEFT | ES_AUTOHSCROLL, 0, 0, 0,
                             0, parent, id)) {
        return false;
    }
    SetText(text);
    form.AddControl(*this);
    return true;
}

bool TEdit::ReadOnly() const { return Handle() && (GetWindowLongW(Handle(), GWL_STYLE) & ES_READONLY) != 0; }

void TEdit::SetReadOnly(bool readOnly) {
    if (Handle()) SendMessageW(Handle(), EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

void TEdit::SetColor(COLORREF color) {
    color_ = color;
    brush_.reset(CreateSolidBrush(ResolveColor(color)));
    if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT TEdit::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDBLCLK) {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        if (OnDblClick) OnDblClick();
        return result;
    }
    return TControl::WndProc(message, wParam, lParam);
}

bool TEdit::HandleReflected(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    // An editable box asks with WM_CTLCOLOREDIT, a read-only or disabled one with WM_CTLCOLORSTATIC.
    if (message != WM_CTLCOLOREDIT && message != WM_CTLCOLORSTATIC) return false;
    if (!brush_) return false;
    SetBkColor(reinterpret_cast<HDC>(wParam), ResolveColor(color_));
    result = reinterpret_cast<LRESULT>(brush_.get());
    return true;
}
