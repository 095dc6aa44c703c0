// Stored column texts, however mangled, give every column a usable width and alignment, and a layout that
// was parsed once is stored and parsed again unchanged.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/CommonCtrl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte is the count (beyond the arrays on purpose at times); the rest is "align\nwidth".
    const int32_t count = static_cast<int8_t>(data[0]);
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t cut = rest.find('\n');
    const std::string_view alignText = rest.substr(0, cut);
    const std::string_view widthText = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);

    const TCommonCtrl ctrl;
    const std::array<ColumnLayout, 4> defaults = {{{"", 53, 1}, {"", 301, 0}, {"", 65, 2}, {"", 57, 0}}};
    std::array<ColumnLayout, 4> layout = {{{"a", -9, -9}, {"b", -9, -9}, {"c", -9, -9}, {"d", -9, -9}}};
    ctrl.ParseColumnLayout(layout, count, alignText, widthText, defaults);

    const size_t n = count <= 0 ? 0 : std::min<size_t>(static_cast<size_t>(count), 4);
    for (size_t i = 0; i < 4; ++i) {
        if (i >= n) {
            if (layout[i].Width != -9 || layout[i].Alignment != -9) std::abort();
            continue;
        }
        if (layout[i].Width <= 0 && layout[i].Width != defaults[i].Width) std::abort();
        if (layout[i].Alignment <= 0 && layout[i].Alignment != defaults[i].Alignment) std::abort();
        if (layout[i].Caption.size() != 1) std::abort();
    }
    if (n == 0) return 0;

    const ColumnLayoutTexts texts = ctrl.FormatColumnLayout(layout, count);
    std::array<ColumnLayout, 4> again = layout;
    ctrl.ParseColumnLayout(again, count, texts.Alignment, texts.Width, defaults);
    for (size_t i = 0; i < n; ++i) {
        if (again[i].Width != layout[i].Width || again[i].Alignment != layout[i].Alignment) std::abort();
    }
    return 0;
}
