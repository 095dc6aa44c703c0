#pragma once
// The clock window: a borderless 48 x 16 window with the time label, the one-second timer, the popup menu and
// the program's own operations. MainForm.cpp: the start, the clock's face, the mouse, the menu's commands and
// the message map; MainFormStore.cpp: the settings and the timer records; MainFormSession.cpp: the event log,
// power and session messages and the end.
#include <cstdint>
#include <optional>
#include <string>

#include "core/EventLog.h"
#include "core/Path.h"
#include "settings/SettingsStore.h"
#include "timers/TimerData.h"
#include "ui/ApplicationEvents.h"
#include "ui/Form.h"
#include "ui/Handles.h"
#include "ui/Label.h"
#include "ui/Menu.h"
#include "ui/Timer.h"

class TMainForm : public TForm {
public:
    TMainForm();
    ~TMainForm() override;

    // Run-time state.
    bool Activated = false;
    std::string SectionName;
    bool TickBusy = false;
    bool Minimized = false;
    bool Dragging = false;
    int32_t DragX = 0;
    int32_t DragY = 0;
    bool StayOnTop = false;
    int32_t TaskBarMode = 0;
    uint32_t BackColor = 0;
    TimerList Timers;

    // Components.
    TLabel LabelTime;
    TTimer Timer1{*this};
    TApplicationEvents ApplicationEvents1;
    TPopupMenu PopupMenu1;
    TMenuItem Logout, N3, PopupTimer, N1, PopupHibernation, Minimize, Setting, PopupEnd, N2, AddLogSleep;

    // Lifecycle.
    void FormCreate();
    void FormDestroy() override;

    // Clock display.
    void Timer1Timer();
    void TickClock();
    void RefreshClock();
    void ApplyCompactLayout();
    void ShowBackColor();

    // Window interaction and menu.
    void FormMouseDown(int x, int y) override;
    void FormMouseMove(int x, int y) override;
    void FormMouseUp() override;
    void FormDblClick() override;
    void MinimizeClick();
    void PopupEndClick();
    void PopupMenu1Popup();
    void PopupMenu1Change() {}
    void ApplicationEvents1Minimize();
    void ApplicationEvents1Restore();
    void SetStayOnTop(bool on);

    // Commands.
    void LogoutClick();
    void AddLogSleepClick();
    void SettingClick();
    void PopupTimerClick();
    void PopupHibernationClick();
    void RunScript(int32_t index);

    // Event log, settings and timer records.
    void AppendLog(std::string_view text, int maxWaitMilliseconds = LogLockWait);
    void LoadSettings();
    bool SaveSettings();
    std::optional<std::string> LoadTimers();  // the first stored number that is not an integer, if any
    bool SaveTimers();

    // Power and session messages; each returns the answer to Windows.
    LRESULT HandlePowerBroadcast(WPARAM wParam);
    LRESULT HandleEndSession(WPARAM wParam);

protected:
    void FormShow() override;
    void FormActivate() override;
    void FormDpiChanged() override;
    void FormColorsChanged() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateComponents();
    void ShowTakenUpCopy();
    void ShowWriteError(const PathString& path);
    void SetTitle(const std::string& text);

    static constexpr int kShutdownSteps = 5;  // FormDestroy: stop, settings, timers, helper, "Program End"
    int shutdownStep_ = 0;                    // the FormDestroy steps begun
    bool sessionEnded_ = false;
    bool writeErrorShown_ = false;
    bool quietShutdown_ = false;
    PowerNotification suspendNotification_;
    // The settings file: one read at the start for settings and timers, and whether this run may write it.
    TSettingsStore store_;
};
