// The main window's settings and timer records: read from the settings file at the start, written back at
// the end, and the messages a kept copy taken up and a refused write give.
#include "app/MainForm.h"

#include "core/Os.h"
#include "forms/MainFormLayout.h"
#include "settings/IniFile.h"
#include "settings/MainSettings.h"
#include "settings/SettingsStore.h"
#include "ui/Application.h"
#include "ui/Screen.h"
#include "ui/Wide.h"

namespace {
// The error the settings file gives when the system refuses a write, or when the run could not read it.
constexpr char WriteErrorFormat[] = "%s に書き込めません";
// A save that was cut off left its one whole copy, which the start put back.
constexpr char TakenUpFormat[] = "設定を %s から読み込みました";

ScreenRect WindowScreenRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return {r.left, r.top, r.right, r.bottom};
}
}  // namespace

void TMainForm::LoadSettings() {
    const TIniFile& ini = store_.Loaded();
    MainSettings settings;
    LoadMainSettings(ini, SectionName, settings);
    SetTop(settings.Top);
    SetLeft(settings.Left);
    StayOnTop = settings.StayOnTop;
    TaskBarMode = settings.TaskBarMode;
    BackColor = settings.BackColor;

    // A clock stored wholly outside every monitor (one that was unplugged) comes back on the nearest one.
    const ScreenRect placed =
        ReachablePlace(RectAt(settings.Left, settings.Top, Scale(CompactWidth), Scale(CompactHeight)));
    SetTop(placed.Top);
    SetLeft(placed.Left);
}

bool TMainForm::SaveSettings() {
    MainSettings settings;
    const ScreenRect r = WindowScreenRect(Handle());
    settings.Top = r.Top;
    settings.Left = r.Left;
    settings.StayOnTop = StayOnTop;
    settings.TaskBarMode = TaskBarMode;
    settings.BackColor = BackColor;
    if (store_.Save([&](TIniFile& ini) { SaveMainSettings(ini, SectionName, settings); })) return true;
    ShowWriteError(store_.Path());
    return false;
}

std::optional<std::string> TMainForm::LoadTimers() {
    std::optional<std::string> first = ::LoadTimers(store_.Loaded(), Timers);
    store_.EndLoad();
    return first;
}

void TMainForm::ShowTakenUpCopy() {
    if (store_.TakenFrom().empty()) return;
    // Built wide, as the write error is: the folder's name may hold characters code page 932 lacks.
    std::wstring text = Widen(TakenUpFormat);
    text.replace(text.find(L"%s"), 2, store_.TakenFrom());
    TApplication::Instance().ShowMessageBox(text, MB_OK | MB_ICONINFORMATION);
}

bool TMainForm::SaveTimers() {
    if (store_.Save([this](TIniFile& ini) { ::SaveTimers(ini, Timers); })) return true;
    ShowWriteError(store_.Path());
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
