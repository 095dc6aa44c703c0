// The clock at the system's DPI: every size is designed at 96 pixels per inch and scales with the DPI.
// Wine takes the system DPI from the registry as each process starts, so a clock started after the value
// changed runs at 144 DPI (150 %) beside this test; Windows takes it at sign-in, so there only the first row.
#include <gtest/gtest.h>

#include <optional>

#include "tests/e2e/ClockRun.h"

namespace {
// The system DPI of the programs started while the object lives.
class SystemDpi {
public:
    explicit SystemDpi(DWORD dpi) {
        DWORD size = sizeof old_;
        RegGetValueW(HKEY_CURRENT_USER, Key, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &old_, &size);
        RegSetKeyValueW(HKEY_CURRENT_USER, Key, L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
    }
    ~SystemDpi() { RegSetKeyValueW(HKEY_CURRENT_USER, Key, L"LogPixels", REG_DWORD, &old_, sizeof old_); }
    SystemDpi(const SystemDpi&) = delete;
    SystemDpi& operator=(const SystemDpi&) = delete;

private:
    static constexpr const wchar_t* Key = L"Control Panel\\Desktop";
    DWORD old_ = 96;
};
}  // namespace

TEST(Dpi, TheClockAndItsLabelScaleInProportion) {
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    for (const int dpi : {static_cast<int>(GetDpiForSystem()), 144}) {
        if (dpi != static_cast<int>(GetDpiForSystem()) && !wine) break;
        SCOPED_TRACE(std::to_string(dpi) + " dpi");
        std::optional<SystemDpi> system(std::in_place, static_cast<DWORD>(dpi));
        ClockRun run;
        system.reset();  // the clock took it at its start; nothing later (nor a crash here) runs at 144
        const RECT r = Driver::WindowRect(run.Clock());
        EXPECT_EQ(r.right - r.left, MulDiv(48, dpi, 96));
        EXPECT_EQ(r.bottom - r.top, MulDiv(16, dpi, 96));
        EXPECT_EQ(r.left, 600) << "stored positions are screen pixels at any DPI";
        const RECT label = Driver::WindowRect(run.Label());
        EXPECT_EQ(label.left - r.left, MulDiv(2, dpi, 96));
        EXPECT_EQ(label.top - r.top, MulDiv(1, dpi, 96));
        // The time fits across the clock (the font's line height may reach past the bottom margin).
        EXPECT_LE(label.right, r.right);
        EXPECT_GE(label.bottom - label.top, MulDiv(12, dpi, 96)) << "the font scales too";
        ASSERT_TRUE(run.Close());
    }
}
