#include "ui/SystemLibraries.h"

#include <objbase.h>

#include <string>

namespace {
// Whether LoadLibraryExW knows the LOAD_LIBRARY_SEARCH_xxx flags (Windows 8, or 7 with its update).
bool SearchFlagsKnown() {
    static const bool known = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories") != nullptr;
    return known;
}

template <class Function>
Function* FindIn(HMODULE module, const char* function) {
    return module ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, function))) : nullptr;
}

template <class Function>
Function* FindInUser32(const char* function) {
    return FindIn<Function>(GetModuleHandleW(L"user32.dll"), function);
}

// Shell verbs may use COM objects of their own: the thread joins a single-threaded apartment before the
// first one, and stays in it.
void EnsureCom() {
    static bool done = false;
    if (done) return;
    done = true;
    if (auto* init = SystemFunction<decltype(CoInitializeEx)>(L"ole32.dll", "CoInitializeEx")) {
        init(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    }
}

// The common controls, loaded with the first control or subclass: by their plain name, so that the thread's
// activation context sends the load to the version 6 library; the search itself goes to System32 only.
HMODULE CommonControls() {
    static const HMODULE module = [] {
        HMODULE loaded = SearchFlagsKnown() ? LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)
                                            : LoadLibraryW(L"comctl32.dll");
        if (auto* init = FindIn<decltype(InitCommonControlsEx)>(loaded, "InitCommonControlsEx")) {
            INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
            init(&icc);
        }
        return loaded;
    }();
    return module;
}
}  // namespace

namespace {
// The monitor's effective DPI (shcore.dll, Windows 8.1; Windows 7 has none and keeps the system DPI).
int DpiForMonitor(HMONITOR monitor) {
    using GetDpiForMonitorFunction = HRESULT WINAPI(HMONITOR, int, UINT*, UINT*);
    static auto* forMonitor = SystemFunction<GetDpiForMonitorFunction>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    constexpr int EffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    if (forMonitor && SUCCEEDED(forMonitor(monitor, EffectiveDpi, &x, &y)) && x) return static_cast<int>(x);
    return SystemDpi();
}
}  // namespace

HMODULE LoadSystemLibrary(const wchar_t* name) {
    if (SearchFlagsKnown()) return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    // A full path alone still lets the library's own dependencies be looked for in the program's folder;
    // with this flag their search starts in System32.
    return LoadLibraryExW((std::wstring(folder, length) + L"\\" + name).c_str(), nullptr,
                          LOAD_WITH_ALTERED_SEARCH_PATH);
}

BOOL ShellExecuteExLate(SHELLEXECUTEINFOW* info) {
    EnsureCom();
    static auto* function = SystemFunction<decltype(ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
    return function ? function(info) : FALSE;
}

DWORD_PTR ShGetFileInfoLate(LPCWSTR path, DWORD attributes, SHFILEINFOW* info, UINT size, UINT flags) {
    static auto* function = SystemFunction<decltype(SHGetFileInfoW)>(L"shell32.dll", "SHGetFileInfoW");
    return function ? function(path, attributes, info, size, flags) : 0;
}

BOOL ChooseColorLate(CHOOSECOLORW* choose) {
    static auto* function = SystemFunction<decltype(ChooseColorW)>(L"comdlg32.dll", "ChooseColorW");
    return function ? function(choose) : FALSE;
}

VisualStyles::VisualStyles() {
    wchar_t exe[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    ACTCTXW context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.hModule = GetModuleHandleW(nullptr);
    context.lpResourceName = L"VISUALSTYLES";
    context.lpSource = length && length < MAX_PATH ? exe : nullptr;
    context_ = CreateActCtxW(&context);
    if (context_ != INVALID_HANDLE_VALUE && !ActivateActCtx(context_, &cookie_)) cookie_ = 0;
}

VisualStyles::~VisualStyles() {
    if (cookie_) DeactivateActCtx(0, cookie_);
    if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
}

void InitCommonControlsLate(DWORD classes) {
    static auto* function = FindIn<decltype(InitCommonControlsEx)>(CommonControls(), "InitCommonControlsEx");
    INITCOMMONCONTROLSEX icc{sizeof icc, classes};
    if (function) function(&icc);
}

BOOL SetWindowSubclassLate(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR refData) {
    static auto* function = FindIn<decltype(SetWindowSubclass)>(CommonControls(), "SetWindowSubclass");
    return function ? function(hwnd, proc, id, refData) : FALSE;
}

BOOL RemoveWindowSubclassLate(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id) {
    static auto* function = FindIn<decltype(RemoveWindowSubclass)>(CommonControls(), "RemoveWindowSubclass");
    return function ? function(hwnd, proc, id) : FALSE;
}

LRESULT DefSubclassProcLate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    static auto* function = FindIn<decltype(DefSubclassProc)>(CommonControls(), "DefSubclassProc");
    return function ? function(hwnd, message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------------------
// Functions newer than Windows 7

void RestrictDllSearch() {
    // Not SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32): it holds for every module of the process, and
    // an input method or shell extension would no longer find the DLLs in its own folder.
    SetDllDirectoryW(L"");
}

void DeclareDpiAwareness() {
    if (auto* function = FindInUser32<decltype(SetProcessDpiAwarenessContext)>("SetProcessDpiAwarenessContext")) {
        if (!function(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
            function(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
        }
    } else {
        // Windows 8.1 takes per-monitor awareness from the manifest; this is for the systems before it.
        SetProcessDPIAware();
    }
}

int SystemDpi() {
    static auto* function = FindInUser32<decltype(GetDpiForSystem)>("GetDpiForSystem");
    if (function) return static_cast<int>(function());
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int DpiForWindow(HWND hwnd) {
    if (!hwnd) return SystemDpi();
    static auto* forWindow = FindInUser32<decltype(GetDpiForWindow)>("GetDpiForWindow");
    if (forWindow) {
        const UINT dpi = forWindow(hwnd);
        return dpi ? static_cast<int>(dpi) : SystemDpi();
    }
    return DpiForMonitor(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST));
}

int DpiAtPoint(POINT point) { return DpiForMonitor(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST)); }

void AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD exStyle, int dpi) {
    static auto* function = FindInUser32<decltype(AdjustWindowRectExForDpi)>("AdjustWindowRectExForDpi");
    if (function) {
        function(rect, style, FALSE, exStyle, static_cast<UINT>(dpi));
    } else {
        AdjustWindowRectEx(rect, style, FALSE, exStyle);
    }
}

HPOWERNOTIFY RegisterSuspendResumeLate(HWND hwnd) {
    static auto* function =
        FindInUser32<decltype(RegisterSuspendResumeNotification)>("RegisterSuspendResumeNotification");
    return function ? function(hwnd, DEVICE_NOTIFY_WINDOW_HANDLE) : nullptr;
}

void UnregisterSuspendResumeLate(HPOWERNOTIFY notification) {
    static auto* function =
        FindInUser32<decltype(UnregisterSuspendResumeNotification)>("UnregisterSuspendResumeNotification");
    if (function && notification) function(notification);
}

namespace {
int g_highContrastForTesting = -1;
}  // namespace

bool HighContrastOn() {
    if (g_highContrastForTesting >= 0) return g_highContrastForTesting != 0;
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

void SetHighContrastForTesting(int answer) { g_highContrastForTesting = answer; }
