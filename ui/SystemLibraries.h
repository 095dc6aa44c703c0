#pragma once
// System functions the program reaches at run time rather than through its import table:
//   - shell, common-dialog and common-control functions, loaded from System32 the first time they are
//     needed. The clock itself never needs them; loading shell32, comdlg32, COM or the version 6 common
//     controls at start would make every start slower and every clock larger for the sake of commands and
//     dialogs that most runs never use.
//   - functions that Windows 7 SP1 and 8.1 do not have (they came with Windows 8 or 10), each with the way
//     those systems did it, so that one executable starts on all of them.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

// A system DLL, loaded from System32 only (never from the program's folder or the current directory).
HMODULE LoadSystemLibrary(const wchar_t* name);

// A function of a system DLL reached late: one that is not a known DLL (uxtheme) would, in the import table,
// be looked for in the program's folder first, before any code of the program runs; others are needed
// only by one command. Loaded with its first use and kept for the run; nullptr when the system lacks it.
template <class Function>
Function* SystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = GetModuleHandleW(library);
    if (!module) module = LoadSystemLibrary(library);
    return module ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// Each returns what the system function returns, or FALSE / 0 when the function cannot be had.
BOOL ShellExecuteExLate(SHELLEXECUTEINFOW* info);
DWORD_PTR ShGetFileInfoLate(LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT size, UINT flags);
BOOL ChooseColorLate(CHOOSECOLORW* choose);

// Visual styles: while it lives, this thread's windows, dialogs and message boxes use the version 6 common
// controls (the program's manifest resource "VISUALSTYLES"). Made once, in wWinMain before the first window,
// so that the activation lies at the bottom of the thread's stack. On Windows each window procedure runs in
// an activation frame of its own, and a handler that returns with an activation of its own still on top
// ends the process (STATUS_SXS_EARLY_DEACTIVATION): nothing in a handler activates or deactivates. Making
// it costs no library load: the common controls still come with the first control or system dialog.
class VisualStyles {
public:
    VisualStyles();
    ~VisualStyles();
    VisualStyles(const VisualStyles&) = delete;
    VisualStyles& operator=(const VisualStyles&) = delete;

private:
    HANDLE context_ = INVALID_HANDLE_VALUE;
    ULONG_PTR cookie_ = 0;
};
// Registers the common-control classes (ICC_xxx), with visual styles.
void InitCommonControlsLate(DWORD classes);
BOOL SetWindowSubclassLate(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR refData);
BOOL RemoveWindowSubclassLate(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id);
LRESULT DefSubclassProcLate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The current directory is taken out of the process's DLL search. The search order itself is left to the
// system, so that an input method or shell extension loaded into the process still finds the DLLs beside
// it; the program's own late loads name System32 (LoadSystemLibrary).
void RestrictDllSearch();
// Per-monitor DPI awareness (version 2 where there is one) for systems that ignore the manifest's; system
// DPI awareness where neither exists.
void DeclareDpiAwareness();
// The DPI a window is shown at: its own (Windows 10), its monitor's (Windows 8.1), else the system DPI.
int DpiForWindow(HWND hwnd);
int SystemDpi();
// The DPI of the monitor at a screen point (Windows 8.1 and later), else the system DPI.
int DpiAtPoint(POINT point);
// AdjustWindowRectEx for a DPI; where the system has no such function, for the system DPI.
void AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD exStyle, int dpi);
// Suspend and resume notifications for a window (Windows 8 and later; Windows 7 broadcasts them to every
// top-level window anyway). nullptr when the system has no such function.
HPOWERNOTIFY RegisterSuspendResumeLate(HWND hwnd);
void UnregisterSuspendResumeLate(HPOWERNOTIFY notification);
// Whether a high-contrast theme is on. A test may give the answer instead (1 on, 0 off, -1 ask the system
// again): Wine has no high-contrast theme to switch on.
bool HighContrastOn();
void SetHighContrastForTesting(int answer);
