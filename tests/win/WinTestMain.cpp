// The form tests run in one process on one thread, as the program does: the common controls of version 6
// (as the program's manifest asks for), the application object, then every test.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "ui/Application.h"

namespace {
constexpr char CommonControlsManifest[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <dependency><dependentAssembly>
    <assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0"
                      processorArchitecture="*" publicKeyToken="6595b64144ccf1df" language="*"/>
  </dependentAssembly></dependency>
</assembly>
)";

// The test program has no manifest of its own: activate one for the whole run.
void UseCommonControls6() {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"horvane-win-tests.manifest";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, CommonControlsManifest, sizeof CommonControlsManifest - 1, &written, nullptr);
    CloseHandle(file);
    ACTCTXW context{};
    context.cbSize = sizeof context;
    context.lpSource = path.c_str();
    HANDLE handle = CreateActCtxW(&context);
    ULONG_PTR cookie = 0;
    if (handle != INVALID_HANDLE_VALUE) ActivateActCtx(handle, &cookie);
}
}  // namespace

int main(int argc, char** argv) {
    UseCommonControls6();
    if (!SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) {
        SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    }
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    TApplication::Instance().Initialize();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
