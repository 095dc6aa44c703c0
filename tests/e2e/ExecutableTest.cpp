// What Explorer and the loader read from the executable itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/e2e/Driver.h"

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

TEST(Executable, CarriesTheManifestForVisualStylesAndPerMonitorDpi) {
    HMODULE module =
        LoadLibraryExW(ExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST, id 1
    ASSERT_NE(resource, nullptr);
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    const std::string manifest(bytes, SizeofResource(module, resource));
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
    EXPECT_NE(manifest.find("true/pm"), std::string::npos);
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
