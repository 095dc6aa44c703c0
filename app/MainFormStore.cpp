// The main window's settings and timer records: read from the settings file at the start, written back at
// the end, and the one message a refused write gives.
#include "app/MainForm.h"

#include "core/Os.h"
#include "core/Placement.h"
#include "forms/MainFormLayout.h"
#include "settings/IniFile.h"
#include "settings/MainSettings.h"
#include "ui/Application.h"
#include "ui/Wide.h"

namespace {
// The error the settings file gives when the system refuses a write.
constexpr char WriteErrorFormat[] = "%s に書き込めません";

ScreenRect WindowScreenRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return {r.left, r.top, r.right, r.bottom};
}
}  // namespace

void TMainForm::LoadSettings() {
    TIniFile ini(SettingsPath(Os::ExePath()));
    MainSettings settings;
    LoadMainSettings(ini, SectionName, settings);
    SetTop(settings.Top);
    SetLeft(settings.Left);
    StayOnTop = settings.StayOnTop;
    TaskBarMode = settings.TaskBarMode;
    BackColor = settings.BackColor;

    // A clock stored wholly outside every monitor (one that was unplugged) comes back on the nearest one.
    const ScreenRect clock = RectAt(settings.Left, settings.Top, Scale(CompactWidth), Scale(CompactHeight));
    const RECT rc{clock.Left, clock.Top, clock.Right, clock.Bottom};
    if (!MonitorFromRect(&rc, MONITOR_DEFAULTTONULL)) {
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        GetMonitorInfoW(MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST), &mi);
        const ScreenRect placed = MoveInside(settings.Left, settings.Top, Scale(CompactWidth), Scale(CompactHeight),
                                             {mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom});
        SetTop(placed.Top);
        SetLeft(placed.Left);
    }
}

bool TMainForm::SaveSettings() {
    TIniFile ini(SettingsPath(Os::ExePath()));
    MainSettings settings;
    const ScreenRect r = WindowScreenRect(Handle());
    settings.Top = r.Top;
    settings.Left = r.Left;
    settings.StayOnTop = StayOnTop;
    settings.TaskBarMode = TaskBarMode;
    settings.BackColor = BackColor;
    SaveMainSettings(ini, SectionName, settings);
    if (ini.UpdateFile()) return true;
    ShowWriteError(ini.FileName());
    return false;
}

std::optional<std::string> TMainForm::LoadTimers() {
    TIniFile ini(SettingsPath(Os::ExePath()));
    return ::LoadTimers(ini, Timers);
}

bool TMainForm::SaveTimers() {
    TIniFile ini(SettingsPath(Os::ExePath()));
    ::SaveTimers(ini, Timers);
    if (ini.UpdateFile()) return true;
    ShowWriteError(ini.FileName());
    return false;
}

void TMainForm::ShowWriteError(const PathString& path) {
    // Once per shut-down, and never at the end of the Windows session, when nobody could answer it.
    if (writeErrorShown_ || quietShutdown_) return;
    writeErrorShown_ = true;
    std::wstring text = Widen(WriteErrorFormat);
    text.replace(text.find(L"%s"), 2, path);
    TApplication::Instance().ShowMessageBox(text, MB_OK | MB_ICONERROR);
}
