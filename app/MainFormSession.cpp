// The main window's event log, its power and session messages, and the end of the program.
#include "app/MainForm.h"

#include "common/CommonCtrl.h"
#include "core/Os.h"
#include "core/PowerTexts.h"
#include "ui/Application.h"

void TMainForm::AppendLog(std::string_view text, int maxWaitMilliseconds) {
    AppendLogLine(LogPath(Os::ExePath()), text, maxWaitMilliseconds);
}

void TMainForm::FormDestroy() {
    // Each step runs once, in order, whoever comes first: the end of the program, or the end of the session,
    // which may arrive while a step waits for the user (the refused-write message) and then runs the rest.
    // A refused write does not cut shut-down short: the timers are still attempted, the helper object is
    // still freed and the end is still logged.
    while (shutdownStep_ < kShutdownSteps) {
        switch (shutdownStep_++) {
            case 0:
                Timer1.SetEnabled(false);
                suspendNotification_.Reset();
                break;
            case 1:
                SaveSettings();
                break;
            case 2:
                SaveTimers();
                break;
            case 3:
                delete g;
                g = nullptr;
                break;
            default:
                // Inside the end of the session Windows allows the answer a few seconds in all: the line waits
                // for another copy's line only briefly, and is then written anyway.
                AppendLog(ProgramEndText, sessionEnded_ ? LogLockWaitForBroadcast : LogLockWait);
                break;
        }
    }
}

LRESULT TMainForm::HandlePowerBroadcast(WPARAM wParam) {
    if (shutdownStep_ >= kShutdownSteps) return 0;  // nothing follows "Program End"
    Timer1.SetEnabled(false);
    // Windows waits for the answer: the line waits for another copy's line only briefly.
    AppendLog(PowerEventText(wParam), LogLockWaitForBroadcast);
    if (shutdownStep_ == 0) Timer1.SetEnabled(true);
    return 0;
}

LRESULT TMainForm::HandleEndSession(WPARAM wParam) {
    Timer1.SetEnabled(false);
    if (wParam == 1 && !sessionEnded_ && shutdownStep_ < kShutdownSteps) {  // nothing follows "Program End"
        sessionEnded_ = true;
        AppendLog(EndSessionText, LogLockWaitForBroadcast);
        // Windows ends the process as soon as the messages are answered: everything is saved and logged
        // first, with nobody asked (no message box). Open dialogs, whose loops lie below on the stack, answer
        // Cancel; when they unwind afterwards nothing more is written.
        quietShutdown_ = true;
        TApplication::Instance().EndSession();
    }
    if (!sessionEnded_ && shutdownStep_ == 0) Timer1.SetEnabled(true);  // not once shut-down has begun
    return 1;
}
