#include "ui/Menu.h"

#include "core/MenuLayout.h"
#include "ui/Wide.h"

MenuHandle TPopupMenu::BuildShownMenu() {
    if (OnPopup) OnPopup();
    std::vector<MenuEntryState> states;
    states.reserve(Items.size());
    for (const TMenuItem* item : Items) states.push_back({item->IsSeparator(), item->Visible});
    MenuHandle menu(CreatePopupMenu());
    LastShown.clear();
    for (size_t index : ShownMenuItems(states)) {
        const TMenuItem* item = Items[index];
        LastShown.push_back(item);
        if (item->IsSeparator()) {
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        std::string text = item->Caption;
        if (item->ShortCut) text += "\t" + ShortCutText(item->ShortCut);
        AppendMenuW(menu.get(), MF_STRING | (item->Enabled ? MF_ENABLED : MF_GRAYED), index + 1, Widen(text).c_str());
    }
    return menu;
}

void TPopupMenu::Popup(HWND owner, int x, int y) {
    MenuHandle menu = BuildShownMenu();
    // The owner must be the foreground window, or the menu does not close when the user clicks elsewhere.
    SetForegroundWindow(owner);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);
    if (chosen == 0 || chosen > Items.size()) return;
    TMenuItem* item = Items[chosen - 1];
    if (item->Enabled && item->OnClick) item->OnClick();
}

bool TPopupMenu::IsShortCut(WPARAM virtualKey) {
    uint16_t pressed = static_cast<uint16_t>(virtualKey & 0xFF);
    if (GetKeyState(VK_SHIFT) < 0) pressed |= 0x2000;
    if (GetKeyState(VK_CONTROL) < 0) pressed |= 0x4000;
    if (GetKeyState(VK_MENU) < 0) pressed |= 0x8000;
    for (TMenuItem* item : Items) {
        if (item->ShortCut == 0 || item->ShortCut != pressed) continue;
        // A shortcut acts only while its item is enabled.
        if (!item->Enabled) return false;
        if (item->OnClick) item->OnClick();
        return true;
    }
    return false;
}
