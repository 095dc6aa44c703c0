#include "settings/MainSettings.h"

PathString SettingsPath(PathView exePath) { return ChangeFileExt(exePath, PATH_TEXT(".ini")); }

void LoadMainSettings(const TIniFile& ini, std::string_view section, MainSettings& settings) {
    const MainSettings defaults;
    settings.Top = ini.ReadInteger(section, "Top", defaults.Top);
    settings.Left = ini.ReadInteger(section, "Left", defaults.Left);
    settings.StayOnTop = ini.ReadInteger(section, "Front", 0) != 0;
    settings.TaskBarMode = ini.ReadInteger(section, "TaskBar", defaults.TaskBarMode);
    settings.BackColor =
        static_cast<uint32_t>(ini.ReadInteger(section, "Color", static_cast<int32_t>(defaults.BackColor)));
}

void SaveMainSettings(TIniFile& ini, std::string_view section, const MainSettings& settings) {
    ini.WriteInteger(section, "Top", settings.Top);
    ini.WriteInteger(section, "Left", settings.Left);
    ini.WriteInteger(section, "Front", settings.StayOnTop ? 1 : 0);
    ini.WriteInteger(section, "TaskBar", settings.TaskBarMode);
    ini.WriteInteger(section, "Color", static_cast<int32_t>(settings.BackColor));
}
