#include "core/MenuLayout.h"

std::vector<size_t> ShownMenuItems(const std::vector<MenuEntryState>& items) {
    std::vector<size_t> shown;
    bool pendingSeparator = false;
    size_t separatorIndex = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!items[i].Visible) continue;
        if (items[i].Separator) {
            // The later of two neighbouring separators is the one that stays.
            pendingSeparator = true;
            separatorIndex = i;
            continue;
        }
        if (pendingSeparator && !shown.empty()) shown.push_back(separatorIndex);
        pendingSeparator = false;
        shown.push_back(i);
    }
    return shown;
}

std::string ShortCutText(uint16_t shortCut) {
    if (shortCut == 0) return {};
    std::string text;
    if (shortCut & 0x2000) text += "Shift+";
    if (shortCut & 0x4000) text += "Ctrl+";
    if (shortCut & 0x8000) text += "Alt+";
    const unsigned key = shortCut & 0xFF;
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
        text += static_cast<char>(key);
    } else if (key >= 0x70 && key <= 0x87) {
        text += "F" + std::to_string(key - 0x6F);
    } else {
        text += "#" + std::to_string(key);
    }
    return text;
}
