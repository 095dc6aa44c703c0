#pragma once
// Which items of a menu are drawn. Hidden items are left out, and so are the separators that would then
// stand first or last; of separators that would stand next to each other only the later one is drawn.
#include <cstddef>
#include <vector>

struct MenuEntryState {
    bool Separator = false;
    bool Visible = true;
};

std::vector<size_t> ShownMenuItems(const std::vector<MenuEntryState>& items);

// The text a menu shows for a shortcut value (modifier flags 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt plus a
// virtual-key code), for example "Ctrl+T"; empty for 0.
#include <cstdint>
#include <string>
std::string ShortCutText(uint16_t shortCut);
