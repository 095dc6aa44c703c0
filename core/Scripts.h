#pragma once
// The helper scripts that do the machine's power actions. They live in the folder "vbs\" beside the
// executable; the user supplies them and the program only launches them.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/Path.h"

enum ScriptIndex : int32_t {
    ScriptPowerOff = 0,
    ScriptLogOff = 1,
    ScriptReboot = 2,
    ScriptHibernate = 3,
    ScriptTest = 4,
};

inline constexpr std::array<std::string_view, 5> ScriptNames = {"poweroff.vbs", "logoff.vbs", "reboot.vbs", "hibe.vbs",
                                                                "TEST"};

// The script's full path, built from the executable's folder so that the current directory never matters.
// nullopt for an index outside the table: the launcher then launches nothing.
std::optional<PathString> ScriptPath(PathView exePath, int32_t index);
