#include "ui/Wide.h"

#include "core/Cp932.h"

// wchar_t is UTF-16 on Windows: the same code units as char16_t.
std::wstring Widen(std::string_view cp932) {
    const std::u16string text = Cp932::ToUtf16(cp932);
    return std::wstring(text.begin(), text.end());
}

std::string Narrow(std::wstring_view utf16) {
    return Cp932::FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(utf16.data()), utf16.size()));
}
