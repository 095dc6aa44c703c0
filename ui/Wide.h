#pragma once
// The program's texts are code page 932 bytes; Win32 sees them only as UTF-16, converted here with code
// page 932 named explicitly, so the Japanese interface is right on a Windows of any language.
#include <string>
#include <string_view>

std::wstring Widen(std::string_view cp932);
std::string Narrow(std::wstring_view utf16);
