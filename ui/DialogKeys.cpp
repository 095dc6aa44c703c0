// The keyboard and focus model of a form that works as a dialog. The keys taken here are Tab and Shift+Tab,
// Enter, Escape and Shift+F10, before the message reaches the application's loop; everything else (access
// keys, arrows within a group, the context-menu key) is left to IsDialogMessageW and to the system.
#include "ui/Button.h"
#include "ui/Form.h"

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
