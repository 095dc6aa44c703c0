#pragma once
// Shell and common-dialog functions, loaded from System32 the first time they are needed. The clock itself
// never needs them; loading shell32, comdlg32 and COM at start would make every start slower for the sake
// of commands that most runs never use.
#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>

// Each returns what the system function returns, or FALSE / 0 when the function cannot be had.
BOOL ShellExecuteExLate(SHELLEXECUTEINFOW* info);
DWORD_PTR ShGetFileInfoLate(LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT size, UINT flags);
BOOL ChooseColorLate(CHOOSECOLORW* choose);
