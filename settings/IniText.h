#pragma once
// The byte and line rules of the settings file, on its raw code page 932 bytes (the choices where Windows
// gives no rule are listed at the top of IniFile.cpp).
#include <cstddef>
#include <string>
#include <string_view>

#include "core/Cp932.h"

namespace IniText {

constexpr size_t kReadLimit = 2047;  // the program reads into 2048-byte buffers

inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v'; }
inline bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }
using Cp932::CharSize;

// First occurrence of an ASCII character as a character of its own (never the trail byte of a pair).
size_t FindChar(std::string_view text, char ch);
// The name as a hash key: ASCII letters folded to lower case, the bytes of double-byte characters kept.
std::string Fold(std::string_view name);
// Blanks (space, tab, VT) at both ends; they are never trail bytes, so this is safe byte by byte.
std::string_view TrimBlanks(std::string_view text);
std::string_view TrimSpaces(std::string_view text);
// A read's cut: at most kReadLimit bytes, never half a double-byte character.
std::string_view CutToReadLimit(std::string_view text);

// What one line (without its line break) is.
struct LineInfo {
    enum Kind { Other, Header, Key } kind = Other;
    std::string_view name;  // section name, or the key as the file spells it
    size_t valueBegin = 0;  // Key: the raw value runs from here to the end of the line
};

LineInfo ClassifyLine(std::string_view line);
// A key's raw value as a read gives it: blanks trimmed, one pair of matching quotes removed.
std::string_view ValueAsRead(std::string_view raw);

}  // namespace IniText
