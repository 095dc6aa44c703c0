#pragma once
// Code page 932 (the program's text and the settings file's bytes): which bytes pair into one character, how
// a text is cut without splitting one, and the conversion to and from UTF-16 as Windows makes it.
#include <cstddef>
#include <string>
#include <string_view>

namespace Cp932 {

inline bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
inline bool IsTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Bytes of the character starting at text[i]: 2 for a lead byte followed by a trail byte, else 1 (a lead
// byte without a trail byte stands alone, and CR and LF are never trail bytes).
inline size_t CharSize(std::string_view text, size_t i) {
    return IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
                   IsTrailByte(static_cast<unsigned char>(text[i + 1]))
               ? 2
               : 1;
}

// The longest start of the text of at most maxBytes bytes that ends between two characters.
std::string_view Cut(std::string_view text, size_t maxBytes);

// A character the other side cannot hold becomes a stand-in ('?' in code page 932, U+30FB in UTF-16)
// instead of failing the whole text (the conversions live in the two Os implementations).
std::u16string ToUtf16(std::string_view text);
std::string FromUtf16(std::u16string_view text);

}  // namespace Cp932
