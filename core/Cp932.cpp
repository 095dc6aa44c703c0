#include "core/Cp932.h"

#include "core/Os.h"

namespace Cp932 {

std::string_view Cut(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t end = 0;
    while (end < text.size()) {
        const size_t n = CharSize(text, end);
        if (end + n > maxBytes) break;
        end += n;
    }
    return text.substr(0, end);
}

std::u16string ToUtf16(std::string_view text) { return Os::Cp932ToUtf16(text); }
std::string FromUtf16(std::u16string_view text) { return Os::Utf16ToCp932(text); }

}  // namespace Cp932
