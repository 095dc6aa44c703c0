#include "ui/Label.h"

#include "ui/Form.h"
#include "ui/Wide.h"

bool TLabel::Create(TForm& form, HWND parent, const Bounds96& bounds, std::string_view caption, bool autoSize) {
    form_ = &form;
    autoSize_ = autoSize;
    bounds_ = bounds;
    if (!CreateOwnWindow(L"Horvane2010.Label", CS_DBLCLKS, 0, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, nullptr,
                         Widen(caption).c_str())) {
        return false;
    }
    form.AddControl(*this);  // placed and fitted to its text in the form's font
    return true;
}

void TLabel::SetCaption(std::string_view cp932) {
    const std::wstring text = Widen(cp932);
    wchar_t current[256];
    GetWindowTextW(Handle(), current, 256);
    if (text == current) return;
    SetWindowTextW(Handle(), text.c_str());
    FitToText();
    // Not erased first: the paint covers the ground itself, so that no erased label is ever on screen (where
    // no compositor hides it, the digits would flicker once a second).
    InvalidateRect(Handle(), nullptr, FALSE);
    // Paint now rather than when the queue is empty: the clock's second must show when it changes.
    UpdateWindow(Handle());
}

void TLabel::Place(int dpi, HFONT font) {
    dpi_ = dpi;
    if (font) font_ = font;
    if (!Handle()) return;
    // One move puts the label in its place at its size: the window system is asked once, not three times.
    fitted_ = autoSize_ ? TextSize() : SIZE{ScaleForDpi(bounds_.Width, dpi), ScaleForDpi(bounds_.Height, dpi)};
    SetWindowPos(Handle(), nullptr, ScaleForDpi(bounds_.Left, dpi), ScaleForDpi(bounds_.Top, dpi), fitted_.cx,
                 fitted_.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(Handle(), nullptr, TRUE);
}

SIZE TLabel::TextSize() const {
    WindowDc dc(Handle());
    SelectScope select(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
    wchar_t text[256];
    const int length = GetWindowTextW(Handle(), text, 256);
    SIZE size{};
    GetTextExtentPoint32W(dc, text, length, &size);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    return {size.cx, tm.tmHeight};
}

void TLabel::FitToText() {
    if (!autoSize_ || !Handle()) return;
    // Most new texts (a clock's next second) take the size the last one had: nothing to move then.
    const SIZE size = TextSize();
    if (size.cx == fitted_.cx && size.cy == fitted_.cy) return;
    fitted_ = size;
    SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TLabel::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    HBRUSH ground = form_ ? form_->BackgroundBrush() : GetSysColorBrush(COLOR_BTNFACE);
    LRESULT result = 0;
    if (HandleGround(ground, message, wParam, lParam, result)) return result;
    switch (message) {
        case WM_SETFONT: {
            font_ = reinterpret_cast<HFONT>(wParam);
            FitToText();
            return 0;
        }
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_);
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(Handle(), &ps);
            RECT r;
            GetClientRect(Handle(), &r);
            FillRect(dc, &r, ground);
            {
                // The old font goes back into the DC before EndPaint hands the DC back.
                SelectScope select(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
                SetBkMode(dc, TRANSPARENT);
                SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
                wchar_t text[256];
                const int length = GetWindowTextW(Handle(), text, 256);
                DrawTextW(dc, text, length, &r, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
            }
            EndPaint(Handle(), &ps);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP:
        case WM_MBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MOUSEMOVE:
            return 0;
        default:
            break;
    }
    return DefaultProc(message, wParam, lParam);
}
