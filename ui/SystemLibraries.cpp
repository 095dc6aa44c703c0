#include "ui/SystemLibraries.h"

#include <objbase.h>

namespace {
// The module stays loaded for the rest of the run once it was needed.
FARPROC Resolve(const wchar_t* library, const char* function) {
    HMODULE module = GetModuleHandleW(library);
    if (!module) module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? GetProcAddress(module, function) : nullptr;
}

template <class Function>
Function* Find(const wchar_t* library, const char* function) {
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(Resolve(library, function)));
}

// Shell verbs may use COM objects of their own: the thread joins a single-threaded apartment before the
// first one, and stays in it.
void EnsureCom() {
    static bool done = false;
    if (done) return;
    done = true;
    if (auto* init = Find<decltype(CoInitializeEx)>(L"ole32.dll", "CoInitializeEx")) {
        init(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    }
}
}  // namespace

BOOL ShellExecuteExLate(SHELLEXECUTEINFOW* info) {
    EnsureCom();
    static auto* function = Find<decltype(ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
    return function ? function(info) : FALSE;
}

DWORD_PTR ShGetFileInfoLate(LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT size, UINT flags) {
    static auto* function = Find<decltype(SHGetFileInfoW)>(L"shell32.dll", "SHGetFileInfoW");
    return function ? function(path, attributes, info, size, flags) : 0;
}

BOOL ChooseColorLate(CHOOSECOLORW* choose) {
    static auto* function = Find<decltype(ChooseColorW)>(L"comdlg32.dll", "ChooseColorW");
    return function ? function(choose) : FALSE;
}
