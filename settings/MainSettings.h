#pragma once
// The main window's settings in the settings file: where the settings file lives, and the
// load and save of the five keys of the main section.
#include <cstdint>
#include <string_view>

#include "core/Path.h"
#include "settings/IniFile.h"

// The main window's `SectionName`.
inline constexpr std::string_view kMainSectionName = "Horvane2010";

struct MainSettings {
    int32_t Top = 0;             // "Top": window top, screen pixels
    int32_t Left = 600;          // "Left": window left, screen pixels
    bool StayOnTop = false;      // "Front": stored 1 or 0, any value other than 0 reads as true
    int32_t TaskBarMode = 0;     // "TaskBar": title mode, as read (no range is enforced)
    uint32_t BackColor = 65408;  // "Color": 0x00BBGGRR; stored as the decimal of the signed 32-bit value
};

// The executable's path with ".ini" in place of its extension.
PathString SettingsPath(PathView exePath);

// Reads "Top", "Left", "Front", "TaskBar", "Color" in that order; a missing key or one that is not a number
// gives its default (the defaults of MainSettings).
void LoadMainSettings(const TIniFile& ini, std::string_view section, MainSettings& settings);

// Writes "Top", "Left", "Front", "TaskBar", "Color" in that order, in decimal. A colour with the top bit set
// is written as a negative number (the file has always held 32-bit signed integers) and reads back as the
// same colour. The caller completes the save with ini.UpdateFile() (or by releasing the object).
void SaveMainSettings(TIniFile& ini, std::string_view section, const MainSettings& settings);
