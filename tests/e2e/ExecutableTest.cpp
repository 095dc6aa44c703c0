// What Explorer and the loader read from the executable itself.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "tests/e2e/ClockRun.h"
#include "tools/driver/Driver.h"

namespace {
std::wstring ExePath() { return Driver::ExeFolder() + L"\\Horvane2010.exe"; }

std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
    if (!VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return {};
    return std::wstring(value, length ? length - 1 : 0);
}
}  // namespace

std::string ManifestText(HMODULE module, const wchar_t* name) {
    HRSRC resource = FindResourceW(module, name, MAKEINTRESOURCEW(24));  // RT_MANIFEST
    if (!resource) return {};
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    return std::string(bytes, SizeofResource(module, resource));
}

TEST(Executable, CarriesTheManifestsForPerMonitorDpiAndVisualStyles) {
    HMODULE module =
        LoadLibraryExW(ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    // The process manifest: DPI awareness. The common controls are not in it: the clock starts without them.
    const std::string process = ManifestText(module, MAKEINTRESOURCEW(1));
    EXPECT_NE(process.find("PerMonitorV2"), std::string::npos);
    EXPECT_NE(process.find("true/pm"), std::string::npos);
    size_t systems = 0;  // Windows 7, 8, 8.1 and 10/11
    for (size_t at = process.find("<supportedOS"); at != std::string::npos; at = process.find("<supportedOS", at + 1)) {
        ++systems;
    }
    EXPECT_EQ(systems, 4u);
    EXPECT_EQ(process.find("Common-Controls"), std::string::npos);
    // The one activated before the first window.
    const std::string styles = ManifestText(module, L"VISUALSTYLES");
    EXPECT_NE(styles.find("name=\"Horvane2010.VisualStyles\""), std::string::npos) << "an identity of its own";
    EXPECT_NE(styles.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(styles.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14)), nullptr) << "an application icon";
    FreeLibrary(module);
}

TEST(Executable, CarriesItsVersionAndProductName) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(ExePath().c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(ExePath().c_str(), 0, size, info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(VersionString(info, L"ProductName"), L"Horvane2010");
    EXPECT_EQ(VersionString(info, L"OriginalFilename"), L"Horvane2010.exe");
    EXPECT_EQ(VersionString(info, L"FileDescription"), L"Horvane2010 デスクトップ時計");
}

namespace {
// Functions and DLLs that came after Windows 7 SP1: an executable importing any of them does not start there.
constexpr const char* NewerThanWindows7[] = {
    // Windows 10
    "SetProcessDpiAwarenessContext", "GetDpiForWindow", "GetDpiForSystem", "AdjustWindowRectExForDpi",
    "GetSystemMetricsForDpi", "SystemParametersInfoForDpi", "EnableNonClientDpiScaling", "GetWindowDpiAwarenessContext",
    "GetThreadDpiAwarenessContext", "SetThreadDpiAwarenessContext", "AreDpiAwarenessContextsEqual",
    "GetAwarenessFromDpiAwarenessContext", "IsValidDpiAwarenessContext", "OpenThemeDataForDpi", "SetThreadDescription",
    "GetThreadDescription", "IsWow64Process2",
    // Windows 8 and 8.1 (SetDefaultDllDirectories and its kin: Windows 7 only with an update)
    "RegisterSuspendResumeNotification", "UnregisterSuspendResumeNotification", "SetDefaultDllDirectories",
    "AddDllDirectory", "RemoveDllDirectory", "GetSystemTimePreciseAsFileTime", "CreateFile2", "CopyFile2",
    "GetCurrentThreadStackLimits", "GetOverlappedResultEx", "SetProcessMitigationPolicy", "GetProcessMitigationPolicy",
    "SetThreadInformation", "GetProcessInformation", "SetProcessInformation", "PrefetchVirtualMemory",
    "DiscardVirtualMemory", "OfferVirtualMemory", "ReclaimVirtualMemory", "GetFirmwareType",
    "InitializeSynchronizationBarrier", "EnterSynchronizationBarrier", "WaitOnAddress", "WakeByAddressSingle",
    "WakeByAddressAll", "SetCoalescableTimer", "GetPointerType", "GetPointerInfo", "EnableMouseInPointer",
    "GetCurrentInputMessageSource", "GetDpiForMonitor", "SetProcessDpiAwareness", "GetProcessDpiAwareness"};
// DLLs on the system's list of known DLLs from Windows 7 on: the loader takes these from System32 and never
// looks in the program's folder, where a planted DLL of another name would run before the program's code.
constexpr const char* KnownDlls[] = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "msvcrt.dll"};
constexpr const char* DllsNewerThanWindows7[] = {"shcore.dll",  "ucrtbase.dll", "api-ms-win-",
                                                 "ext-ms-win-", "vcruntime",    "dcomp.dll"};

// "DLL!function" for every function the executable imports by name, read from its import directory.
std::vector<std::string> ImportedFunctions(const std::vector<char>& image) {
    std::vector<std::string> names;
    auto at = [&](size_t offset, size_t size) { return offset + size <= image.size() ? &image[offset] : nullptr; };
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(at(0, sizeof(IMAGE_DOS_HEADER)));
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return names;
    const auto* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS64*>(at(static_cast<size_t>(dos->e_lfanew), sizeof(IMAGE_NT_HEADERS64)));
    if (!nt || nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        return names;
    }
    const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
    auto fileOffset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& s = sections[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData) {
                return rva - s.VirtualAddress + s.PointerToRawData;
            }
        }
        return image.size();
    };
    auto text = [&](DWORD rva) {
        const size_t offset = fileOffset(rva);
        return offset < image.size() ? std::string(&image[offset], strnlen(&image[offset], image.size() - offset))
                                     : std::string();
    };
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (size_t offset = fileOffset(directory.VirtualAddress);; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* entry =
            reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(offset, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
        if (!entry || entry->Name == 0) break;
        const std::string dll = text(entry->Name);
        const DWORD thunks = entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk;
        for (size_t t = fileOffset(thunks);; t += sizeof(ULONGLONG)) {
            const auto* thunk = reinterpret_cast<const ULONGLONG*>(at(t, sizeof(ULONGLONG)));
            if (!thunk || *thunk == 0) break;
            if (*thunk & IMAGE_ORDINAL_FLAG64) continue;
            names.push_back(dll + "!" + text(static_cast<DWORD>(*thunk) + sizeof(WORD)));  // past the hint
        }
    }
    return names;
}
}  // namespace

TEST(Executable, ImportsOnlyKnownDllsAndNothingThatWindows7Lacks) {
    HANDLE file = CreateFileW(ExePath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::vector<char> image(GetFileSize(file, nullptr));
    DWORD read = 0;
    const BOOL ok = ReadFile(file, image.data(), static_cast<DWORD>(image.size()), &read, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(ok && read == image.size());
    const std::vector<std::string> imports = ImportedFunctions(image);
    ASSERT_GT(imports.size(), 50u) << "the import directory was not read";
    EXPECT_NE(std::find(imports.begin(), imports.end(), "USER32.dll!CreateWindowExW"), imports.end());
    for (const std::string& import : imports) {
        const std::string dll = import.substr(0, import.find('!'));
        const std::string function = import.substr(import.find('!') + 1);
        for (const char* newer : NewerThanWindows7) EXPECT_NE(function, newer) << import;
        for (const char* newer : DllsNewerThanWindows7) {
            EXPECT_NE(_strnicmp(dll.c_str(), newer, strlen(newer)), 0) << import;
        }
        EXPECT_TRUE(std::any_of(std::begin(KnownDlls), std::end(KnownDlls),
                                [&](const char* known) { return _stricmp(dll.c_str(), known) == 0; }))
            << import << " is looked for beside the executable first";
    }
}

namespace {
// The full path of the common-controls library loaded in a process, or "" when it has none.
std::wstring CommonControlsPath(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return L"?";
    HMODULE modules[512];
    DWORD bytes = 0;
    std::wstring found;
    if (EnumProcessModules(process, modules, sizeof modules, &bytes)) {
        for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
            wchar_t path[MAX_PATH];
            const DWORD n = GetModuleFileNameExW(process, modules[i], path, MAX_PATH);
            std::wstring name(path, n);
            for (wchar_t& c : name) c = static_cast<wchar_t>(towlower(c));
            if (name.size() >= 12 && name.compare(name.size() - 12, 12, L"comctl32.dll") == 0) found = name;
        }
    }
    CloseHandle(process);
    return found;
}
}  // namespace

// The clock alone starts without the common controls; the first dialog brings the version 6 ones, which
// draw the dialogs with visual styles.
TEST(Executable, LoadsTheVersion6CommonControlsWithTheFirstDialog) {
    ClockRun run;
    ASSERT_NE(run.Clock(), nullptr);
    EXPECT_EQ(CommonControlsPath(run.Program().Pid()), L"");
    HWND list = run.OpenTimerList();
    ASSERT_NE(list, nullptr);
    const std::wstring path = CommonControlsPath(run.Program().Pid());
    EXPECT_NE(path.find(L"common-controls"), std::wstring::npos) << path;
    EXPECT_NE(path.find(L"_6.0."), std::wstring::npos) << path;
    Driver::Post(list, WM_CLOSE);
    ASSERT_TRUE(Driver::WaitUntil([&] { return !IsWindow(list); }, 5000));
    ASSERT_TRUE(run.Close());
}
