#include "ui/Form.h"

#include "ui/Application.h"
#include "ui/Menu.h"
#include "ui/SystemLibraries.h"
#include "ui/Timer.h"
#include "ui/Wide.h"

COLORREF ResolveColor(COLORREF color) {
    return (color & kSystemColor) ? GetSysColor(static_cast<int>(color & 0xFF)) : (color & 0x00FFFFFF);
}

TForm::~TForm() {
    TApplication::Instance().FormDestroyed(this);
    DestroyHandle();
}

DWORD TForm::StyleFor(TBorderStyle style) const {
    switch (style) {
        case TBorderStyle::bsNone:
            return WS_POPUP | WS_CLIPCHILDREN;
        case TBorderStyle::bsDialog:
            return WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN;
        case TBorderStyle::bsSizeable:
        default:
            return WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    }
}

bool TForm::CreateForm(const FormDesign& design, HWND owner, bool dialogKeys) {
    design_ = &design;
    borderStyle_ = design.BorderStyle;
    dialogKeys_ = dialogKeys;
    const DWORD exStyle = WS_EX_CONTROLPARENT | (borderStyle_ == TBorderStyle::bsDialog ? WS_EX_DLGMODALFRAME : 0);
    // Made at its designed size for the system DPI: moving it to another monitor's DPI is then the only resize.
    const int systemDpi = SystemDpi();
    RECT frame{0, 0, ScaleForDpi(design.ClientWidth, systemDpi), ScaleForDpi(design.ClientHeight, systemDpi)};
    AdjustWindowRectForDpi(&frame, StyleFor(borderStyle_), exStyle, systemDpi);
    if (!CreateOwnWindow(design.ClassName, CS_DBLCLKS, exStyle, StyleFor(borderStyle_), design.Left, design.Top,
                         frame.right - frame.left, frame.bottom - frame.top, owner, nullptr)) {
        return false;
    }
    TApplication::Instance().FormCreated(this);
    dpi_ = DpiForWindow(Handle());
    SetColor(design.Color);
    RebuildFont();
    SetCaption(design.Caption);
    if (dpi_ != systemDpi) SetClientSize96(design.ClientWidth, design.ClientHeight);
    if (design.Position == TPosition::poScreenCenter) {
        RECT r;
        GetWindowRect(Handle(), &r);
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        GetMonitorInfoW(MonitorFromWindow(owner ? owner : Handle(), MONITOR_DEFAULTTOPRIMARY), &mi);
        const RECT& wa = mi.rcWork;
        SetWindowPos(Handle(), nullptr, wa.left + ((wa.right - wa.left) - (r.right - r.left)) / 2,
                     wa.top + ((wa.bottom - wa.top) - (r.bottom - r.top)) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return true;
}

void TForm::RebuildFont() {
    if (!design_) return;
    LOGFONTW lf{};
    lf.lfHeight = ScaleForDpi(design_->FontHeight, dpi_);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(lf.lfFaceName, design_->FontName, LF_FACESIZE);
    font_.reset(CreateFontIndirectW(&lf));
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
}

void TForm::PlaceControls() {
    for (TControl* control : controls_) control->Place(dpi_, font_.get());
}

void TForm::ChangeDpi(int dpi, const RECT* rect) {
    dpi_ = dpi;
    // The old font is deleted at the end, once every control has been given the new one.
    const FontHandle previous(font_.release());
    RebuildFont();
    PlaceControls();
    if (rect) {
        SetWindowPos(Handle(), nullptr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    FormDpiChanged();
}

void TForm::AddControl(TControl& control) {
    controls_.push_back(&control);
    control.Place(dpi_, font_.get());
}

void TForm::AddTimer(TTimer& timer) { timers_.push_back(&timer); }

int TForm::Left() const {
    RECT r{};
    GetWindowRect(Handle(), &r);
    return r.left;
}

int TForm::Top() const {
    RECT r{};
    GetWindowRect(Handle(), &r);
    return r.top;
}

void TForm::SetLeft(int left) {
    SetWindowPos(Handle(), nullptr, left, Top(), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetTop(int top) {
    SetWindowPos(Handle(), nullptr, Left(), top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetCaption(std::string_view cp932) { SetWindowTextW(Handle(), Widen(cp932).c_str()); }

std::string TForm::Caption() const {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(Handle())) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(Handle(), text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

void TForm::SetBorderStyle(TBorderStyle style, int width, int height) {
    borderStyle_ = style;
    const LONG keep = GetWindowLongW(Handle(), GWL_STYLE) & (WS_VISIBLE | WS_DISABLED);
    SetWindowLongW(Handle(), GWL_STYLE, static_cast<LONG>(StyleFor(style)) | keep);
    SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TForm::SetClientSize96(int width, int height) {
    RECT r{0, 0, Scale(width), Scale(height)};
    AdjustWindowRectForDpi(&r, static_cast<DWORD>(GetWindowLongW(Handle(), GWL_STYLE)),
                           static_cast<DWORD>(GetWindowLongW(Handle(), GWL_EXSTYLE)), dpi_);
    SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetColor(COLORREF color) {
    color_ = color;
    brush_.reset(CreateSolidBrush(ResolveColor(color)));
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TForm::SetFormStyle(TFormStyle style) {
    const bool on = style == TFormStyle::fsStayOnTop;
    const auto topmost = [this] { return (GetWindowLongW(Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    if (topmost() == on) return;
    constexpr UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    SetWindowPos(Handle(), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    if (on || !topmost()) return;
    // Windows takes the switch. Under Wine an owned window stays topmost while its owner is the next window
    // below it: without its owner for the moment of the switch, it takes there too. Only then, because an
    // unowned moment is one Windows would mark with a task-bar button.
    HWND owner = GetWindow(Handle(), GW_OWNER);
    if (!owner) return;
    SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, 0);
    SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}

void TForm::RunFormDestroy() {
    if (formDestroyed_) return;
    FormDestroy();
    formDestroyed_ = true;
}

void TForm::Show() {
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
}

void TForm::Hide() { ShowWindow(Handle(), SW_HIDE); }

void TForm::Close() { PostMessageW(Handle(), WM_CLOSE, 0, 0); }

int TForm::ShowModal() {
    TApplication& app = TApplication::Instance();
    modalResult_ = mrNone;
    modal_ = true;
    const std::vector<HWND> disabled = app.DisableOtherWindows(Handle());
    Show();
    MSG msg;
    while (modalResult_ == mrNone) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            if (modalResult_ == mrNone) modalResult_ = mrCancel;
            break;
        }
        if (!HandleDialogKey(msg)) app.ProcessMessage(msg);
    }
    // Enable the others before hiding, so that the owner, not some other program, becomes active.
    app.EnableWindows(disabled);
    Hide();
    modal_ = false;
    return modalResult_;
}

void TForm::EndMouse() {
    const bool held = mouseHeld_;
    mouseHeld_ = false;
    if (held) FormMouseUp();
    if (GetCapture() == Handle()) ReleaseCapture();
}

bool TForm::HandleMouse(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    result = 0;
    switch (message) {
        case WM_LBUTTONDBLCLK:
            FormDblClick();
            // The double-click hid the form (the clock's minimises the application): nothing is left to press.
            if (!IsWindowVisible(Handle())) return true;
            [[fallthrough]];
        case WM_LBUTTONDOWN:
            // A left press holds the mouse until release, so a fast drag does not lose the window.
            SetCapture(Handle());
            [[fallthrough]];
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            mouseHeld_ = true;
            FormMouseDown(x, y);
            return true;
        case WM_MOUSEMOVE:
            // A press whose release went elsewhere (onto a control, into a menu) ends at the first move with
            // no button held.
            if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
                EndMouse();
            } else if (mouseHeld_) {
                FormMouseMove(x, y);
            }
            return true;
        case WM_CAPTURECHANGED:
        case WM_CANCELMODE:
            EndMouse();
            return false;
        case WM_LBUTTONUP:
        case WM_MBUTTONUP:
            EndMouse();
            return true;
        case WM_RBUTTONUP:
            // The popup menu opens on the release; the press ends when it has closed.
            result = DefaultProc(message, wParam, lParam);
            EndMouse();
            return true;
        default:
            return false;
    }
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (LRESULT result = 0; HandleMouse(message, wParam, lParam, result)) return result;
    switch (message) {
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(Handle(), &r);
            FillRect(reinterpret_cast<HDC>(wParam), &r, brush_.get());
            return 1;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            SetBkColor(reinterpret_cast<HDC>(wParam), ResolveColor(color_));
            return reinterpret_cast<LRESULT>(brush_.get());
        case WM_SHOWWINDOW:
            if (wParam) FormShow();
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam) && TApplication::Instance().SetActiveForm(this)) {
                FormActivate();
            }
            if (dialogKeys_) {
                // Leaving, the focus is still where the user left it (unless a disabled form already lost it).
                if (LOWORD(wParam) == WA_INACTIVE) {
                    if (HWND focus = GetFocus(); OwnsFocus(focus)) focused_ = focus;
                } else if (!HIWORD(wParam) && RestoreFocus()) {
                    return 0;
                }
            }
            break;
        case WM_SETFOCUS:
            // The form itself does not keep the focus while one of its controls can take it.
            if (dialogKeys_ && RestoreFocus()) return 0;
            break;
        case WM_NEXTDLGCTL:
            if (dialogKeys_) {
                HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                           : GetNextDlgTabItem(Handle(), GetFocus(), wParam != 0);
                if (OwnsFocus(next)) MoveFocus(next);
                return 0;
            }
            break;
        case WM_CLOSE:
            FormClose();
            if (modal_) {
                modalResult_ = mrCancel;
            } else {
                TApplication::Instance().FormClosed(this);
            }
            return 0;
        case WM_TIMER:
            for (TTimer* timer : timers_) {
                if (timer->Id() == wParam) {
                    timer->Tick();
                    return 0;
                }
            }
            break;
        case WM_CONTEXTMENU:
            if (popupMenu_) {
                POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
                if (lParam == -1) {
                    RECT r;
                    GetWindowRect(Handle(), &r);
                    pt = {r.left, r.top};
                }
                popupMenu_->Popup(Handle(), pt.x, pt.y);
                return 0;
            }
            break;
        case WM_SETTINGCHANGE:
            // Broadcast for every setting of the system (the environment, the work area, …): of those only
            // the high-contrast switch changes what a form wears. Colours and themes have messages of their own.
            if (wParam == SPI_SETHIGHCONTRAST) FormColorsChanged();
            break;
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
            FormColorsChanged();
            break;
        case WM_DPICHANGED:
            ChangeDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        default:
            break;
    }
    return DefaultProc(message, wParam, lParam);
}

namespace {
BOOL CALLBACK TellSysColorChange(HWND hwnd, LPARAM) {
    SendMessageW(hwnd, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
}
}  // namespace

void TForm::FormColorsChanged() {
    // Only top-level windows hear of new system colours; the common controls on the form are told too.
    EnumChildWindows(Handle(), TellSysColorChange, 0);
    SetColor(color_);
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}
