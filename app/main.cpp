// Horvane2010: a tiny desktop clock.
#include <windows.h>

#include <commctrl.h>

#include "app/MainForm.h"
#include "ui/Application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Load system DLLs only from System32, never from the program's folder or the current directory.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Per-monitor DPI awareness comes from the manifest; this covers systems that ignore it.
    if (!SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
        SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    }
    // The list view and the time picker register their classes when the timer dialogs first need them.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    TApplication& app = TApplication::Instance();
    app.Initialize();
    app.SetTitle("Horvane2010");
    {
        TMainForm mainForm;
        app.SetMainForm(&mainForm);
        app.Run();
    }
    return 0;
}
