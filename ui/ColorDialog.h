#pragma once
// The system's colour chooser. Execute shows it modally over its owner and, when the user confirms, keeps
// the chosen colour in Color. The chooser opens on Color; the sixteen custom colours are kept for the run.
#include <windows.h>

class TColorDialog {
public:
    bool Execute(HWND owner);
    COLORREF Color = 0;  // 0x00BBGGRR
};
