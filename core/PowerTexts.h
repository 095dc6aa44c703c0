#pragma once
// The log texts for the power broadcasts and the end of the Windows session.
#include <cstdint>
#include <string_view>

inline constexpr std::string_view EndSessionText = "WM_ENDSESSION::Windowsが終了します";
inline constexpr std::string_view UnknownPowerEventText = "default::不明なメッセージ";

// The text for the wParam of a power broadcast. wParam is pointer-sized on 64-bit Windows; the whole value
// is compared, so high bits set by a sender never alias one of the known event codes.
std::string_view PowerEventText(uint64_t wParam);
