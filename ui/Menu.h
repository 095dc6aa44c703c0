#pragma once
// Popup menus whose items keep their own Visible and Enabled state. Win32 menus have no hidden items, so
// the menu that is shown is built from the items each time it opens.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/Handles.h"

class TMenuItem {
public:
    TMenuItem(std::string caption, uint16_t shortCut = 0) : Caption(std::move(caption)), ShortCut(shortCut) {}
    bool IsSeparator() const { return Caption == "-"; }

    std::string Caption;  // code page 932; "-" is a separator
    uint16_t ShortCut;    // 0x4000 Ctrl + virtual key, …
    bool Visible = true;
    bool Enabled = true;
    std::function<void()> OnClick;
};

class TPopupMenu {
public:
    std::vector<TMenuItem*> Items;
    std::function<void()> OnPopup;
    std::function<void()> OnChange;

    // Runs OnPopup, then builds the menu as it will be shown (items tidied). Command ids are item index + 1.
    MenuHandle BuildShownMenu();
    // Opens the menu at a screen point and runs the chosen item's OnClick.
    void Popup(HWND owner, int x, int y);
    // Runs the item whose shortcut this key press is, if that item is enabled. True when a shortcut matched.
    bool IsShortCut(WPARAM virtualKey);
    // The menu last shown (for checks: captions as shown, in order).
    std::vector<const TMenuItem*> LastShown;
};
