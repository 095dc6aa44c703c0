// The main window's commands that open dialogs.
#include <memory>

#include "app/MainForm.h"
#include "settings/SetDialog_win.h"
#include "timers/TimerDlg_win.h"

void TMainForm::SettingClick() {
    bool frontChanged = false;
    {
        auto dialog = std::make_unique<TSetDialog>(*this);
        if (dialog->ShowModal() == mrOk) {
            const bool front = dialog->CheckBoxFront.Checked();
            if (front != StayOnTop) {
                StayOnTop = front;
                frontChanged = true;
            }
            if (dialog->TaskBarMode != TaskBarMode) TaskBarMode = dialog->TaskBarMode;
            const auto color = static_cast<uint32_t>(dialog->EditColor.Color());
            if (color != BackColor) {
                BackColor = color;
                ShowBackColor();
            }
        }
    }
    // Only once the dialog is gone: a window that owns another, even a hidden one, does not become topmost.
    if (frontChanged) SetStayOnTop(StayOnTop);
    // Whatever the answer, so that title and clock show the chosen mode at once.
    RefreshClock();
}

void TMainForm::PopupTimerClick() {
    struct Scope {
        explicit Scope(TMainForm& owner) : dialog(std::make_unique<TTimerDlg>(owner, owner.Timers)) {
            TimerDlg = dialog.get();
        }
        ~Scope() {
            // Destroying the dialog stores its position and column layout.
            dialog.reset();
            TimerDlg = nullptr;
        }
        std::unique_ptr<TTimerDlg> dialog;
    } scope(*this);
    scope.dialog->ShowModal();
}
