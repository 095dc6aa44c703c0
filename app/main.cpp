// Horvane2010: a tiny desktop clock.
#include <windows.h>

#include "app/MainForm.h"
#include "ui/Application.h"
#include "ui/SystemLibraries.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // No DLL from the current directory.
    RestrictDllSearch();
    // Per-monitor DPI awareness comes from the manifest; this covers systems that ignore it.
    DeclareDpiAwareness();
    // Before the first window and for the whole run, and never deactivated: the process ends with it. A module
    // loaded into this thread meanwhile (a shell extension, an input method) may have left an activation of its
    // own on top, and deactivating ours under it would raise at the very end. The common controls themselves
    // are loaded with the first control or dialog: the clock window has none.
    static_cast<void>(new VisualStyles);

    TApplication& app = TApplication::Instance();
    app.Initialize("Horvane2010");  // the title is the task-bar button's text until the clock runs
    {
        TMainForm mainForm;
        app.SetMainForm(&mainForm);
        app.Run();
    }
    return 0;
}
