#include "ui/Wide.h"

#include <windows.h>

std::wstring Widen(std::string_view cp932) {
    if (cp932.empty()) return {};
    const int n = MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), result.data(), n);
    return result;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int n =
        WideCharToMultiByte(932, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(932, 0, utf16.data(), static_cast<int>(utf16.size()), result.data(), n, nullptr, nullptr);
    return result;
}
