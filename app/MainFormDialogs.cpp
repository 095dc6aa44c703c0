// The main window's commands that open dialogs.
#include "app/MainForm.h"

void TMainForm::SettingClick() {}

void TMainForm::PopupTimerClick() {}
