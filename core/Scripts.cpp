#include "core/Scripts.h"

std::optional<PathString> ScriptPath(PathView exePath, int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= ScriptNames.size()) return std::nullopt;
    return ExtractFilePath(exePath) + AsciiToPath("vbs\\") + AsciiToPath(ScriptNames[static_cast<size_t>(index)]);
}
