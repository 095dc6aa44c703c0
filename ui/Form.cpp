#include "ui/Form.h"

#include "ui/Application.h"
#include "ui/Button.h"
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

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
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
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
        case WM_SETTINGCHANGE:
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

bool TForm::OwnsFocus(HWND hwnd) const { return hwnd && IsChild(Handle(), hwnd); }

HWND TForm::FirstTabStop() const {
    HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE);
    return OwnsFocus(first) && (GetWindowLongW(first, GWL_STYLE) & WS_TABSTOP) ? first : nullptr;
}

void TForm::MoveFocus(HWND control) {
    // An edit box that the keyboard moves to has its text selected, as in every dialog.
    if (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(control, EM_SETSEL, 0, -1);
    SetFocus(control);
}

bool TForm::RestoreFocus() {
    const auto usable = [](HWND hwnd) {
        return (GetWindowLongW(hwnd, GWL_STYLE) & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE;
    };
    if (OwnsFocus(focused_) && usable(focused_)) {
        SetFocus(focused_);
        return true;
    }
    HWND first = FirstTabStop();
    if (!first) return false;
    MoveFocus(first);
    return true;
}

void TForm::ControlFocused(HWND control) {
    focused_ = control;
    ShowDefaultButton(control);
}

void TForm::ShowDefaultButton(HWND focus) {
    // The push button with the focus wears the default button's frame, as Enter presses it; with the focus
    // anywhere else the default button wears it.
    const TButton* focusedButton = dynamic_cast<TButton*>(FromHandle(focus));
    const TButton* wearer = focusedButton ? focusedButton : defaultButton_;
    for (TControl* control : controls_) {
        auto* button = dynamic_cast<TButton*>(control);
        if (!button || !button->Handle()) continue;
        const LONG type = GetWindowLongW(button->Handle(), GWL_STYLE) & BS_TYPEMASK;
        if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) continue;
        const LONG wanted = button == wearer ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if (type != wanted) SendMessageW(button->Handle(), BM_SETSTYLE, static_cast<WPARAM>(wanted), TRUE);
    }
}

bool TForm::HandleDialogKey(const MSG& msg) {
    if (!dialogKeys_ || !msg.hwnd || (msg.hwnd != Handle() && !IsChild(Handle(), msg.hwnd))) return false;
    const auto key = static_cast<UINT>(msg.wParam);
    HWND focus = GetFocus();
    if (!OwnsFocus(focus)) focus = nullptr;
    if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) {
        if (key != swallowKeyUp_) return false;
        swallowKeyUp_ = 0;
        return true;
    }
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    swallowKeyUp_ = 0;  // a release that never came here (a menu took it) is forgotten at the next key
    const LRESULT wants = focus ? SendMessageW(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) : 0;
    if (wants & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool alt = (HIWORD(msg.lParam) & KF_ALTDOWN) != 0;
    if (alt || control) return false;
    switch (key) {
        case VK_TAB:
            if (wants & DLGC_WANTTAB) return false;
            if (HWND next = GetNextDlgTabItem(Handle(), focus, shift); OwnsFocus(next)) MoveFocus(next);
            return true;
        case VK_RETURN: {
            TButton* button = dynamic_cast<TButton*>(FromHandle(focus));
            if (!button) button = defaultButton_;
            if (button && button->Enabled()) button->Click();
            return true;
        }
        case VK_ESCAPE:
            if (cancelButton_ && cancelButton_->Enabled()) cancelButton_->Click();
            return true;
        case VK_APPS:
            // The system itself makes WM_CONTEXTMENU of the context-menu key when it is released (Windows in
            // DefWindowProc, Wine as the key is taken from the queue), and the focused control hands it on as
            // for a right-click. Opening the menu here as well showed it twice, one inside the other.
            return false;
        case VK_F10:
            if (!shift) return false;
            swallowKeyUp_ = VK_F10;  // its release would otherwise take the keyboard to the window menu
            {
                // As the system does for a right-click: a control without a menu of its own hands the message on
                // to its parent.
                HWND target = focus ? focus : Handle();
                SendMessageW(target, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(target), -1);
            }
            return true;
        default:
            return false;
    }
}
