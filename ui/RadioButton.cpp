#include "ui/RadioButton.h"

#include <algorithm>

#include "ui/Form.h"

bool TRadioButton::Create(TForm& form, HWND parent, const Bounds96& bounds, std::string_view caption, UINT id,
                          bool startsGroup) {
    bounds_ = bounds;
    // The first button is the group's tab stop while none is checked.
    const DWORD style =
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_AUTORADIOBUTTON | (startsGroup ? WS_GROUP | WS_TABSTOP : 0);
    if (!CreateControlWindow(L"BUTTON", 0, style, 0, 0, 0, 0, parent, id)) return false;
    SetText(caption);
    form.AddControl(*this);
    return true;
}

bool TRadioButton::Checked() const { return Handle() && SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TRadioButton::SetChecked(bool checked) {
    if (!Handle()) return;
    SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (checked) UncheckSiblings();
    RunPendingClick();
}

std::vector<HWND> TRadioButton::Group() const {
    // The group runs from the nearest window at or before this one with WS_GROUP to the next one with it.
    // Disabled and hidden buttons belong to it too (the dialog manager's own walk skips them).
    const auto startsGroup = [](HWND hwnd) { return (GetWindowLongW(hwnd, GWL_STYLE) & WS_GROUP) != 0; };
    HWND first = Handle();
    while (!startsGroup(first)) {
        HWND previous = GetWindow(first, GW_HWNDPREV);
        if (!previous) break;
        first = previous;
    }
    std::vector<HWND> group;
    for (HWND sibling = first; sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        if (sibling != first && startsGroup(sibling)) break;
        const LONG type = GetWindowLongW(sibling, GWL_STYLE) & BS_TYPEMASK;
        if (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON) group.push_back(sibling);
    }
    return group;
}

void TRadioButton::UncheckSiblings() {
    for (HWND sibling : Group()) {
        if (sibling != Handle()) SendMessageW(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

void TRadioButton::UpdateTabStops() {
    // Tab reaches a group at its checked button, or at its first button while none is checked.
    const std::vector<HWND> group = Group();
    const auto checked = [](HWND hwnd) { return SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED; };
    const bool anyChecked = std::any_of(group.begin(), group.end(), checked);
    for (size_t i = 0; i < group.size(); ++i) {
        const bool stop = anyChecked ? checked(group[i]) : i == 0;
        const LONG style = GetWindowLongW(group[i], GWL_STYLE);
        const LONG wanted = stop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
        if (wanted != style) SetWindowLongW(group[i], GWL_STYLE, wanted);
    }
}

void TRadioButton::RunPendingClick() {
    if (!becameChecked_) return;
    becameChecked_ = false;
    if (OnClick) OnClick();
}

LRESULT TRadioButton::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == BM_SETCHECK) {
        // Every change of state passes here: the user's click, the group unchecking its other buttons, and
        // SetChecked.
        const bool was = SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED;
        const LRESULT result = DefaultProc(message, wParam, lParam);
        const bool now = wParam == BST_CHECKED;
        if (now && !was) becameChecked_ = true;
        if (!now) becameChecked_ = false;
        UpdateTabStops();
        return result;
    }
    return TControl::WndProc(message, wParam, lParam);
}

bool TRadioButton::HandleReflected(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_COMMAND) return false;
    const WORD code = HIWORD(wParam);
    if (code != BN_CLICKED && code != BN_DOUBLECLICKED) return false;
    RunPendingClick();
    result = 0;
    return true;
}
