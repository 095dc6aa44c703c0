#pragma once
// Strict integer text, as the settings file and the stored texts hold it: decimal with an optional minus
// sign, or 0x/0X and hex digits up to 0xFFFFFFFF (read as the 32-bit pattern, so 0xFFFFFFFF is -1). No
// blanks. nullopt for anything else or out of range.
#include <cstdint>
#include <optional>
#include <string_view>

std::optional<int32_t> TryStrToInt(std::string_view text);
int32_t StrToIntDef(std::string_view text, int32_t defaultValue);
