// The main window's settings in the settings file, on real files in a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "core/Os.h"
#include "settings/IniFile.h"
#include "settings/MainSettings.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

int g_replaceCalls = 0;
bool CountReplace() {
    ++g_replaceCalls;
    return true;
}

class MainSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { g_replaceCalls = 0; }
    void TearDown() override { Os::SetBeforeReplaceHookForTesting(nullptr); }

    void Put(const std::string& bytes) const {
        std::ofstream out(fs::path(path_), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good());
    }
    std::optional<std::string> Get() const { return Os::ReadFileBytes(path_); }

    MainSettings Load() const {
        MainSettings settings;
        settings.Top = settings.Left = 12345;  // every field must be set by the load
        settings.StayOnTop = true;
        settings.TaskBarMode = 12345;
        settings.BackColor = 12345;
        const TIniFile ini(path_);
        LoadMainSettings(ini, kMainSectionName, settings);
        return settings;
    }
    bool Save(const MainSettings& settings) const {
        TIniFile ini(path_);
        SaveMainSettings(ini, kMainSectionName, settings);
        return ini.UpdateFile();
    }

    TempFolder folder_{"horvane-settings-test"};
    const fs::path& dir_ = folder_.Path();
    PathString path_ = folder_.File("Horvane2010.ini");
};

TEST_F(MainSettingsTest, SettingsPathIsTheExecutableWithIni) {
    EXPECT_EQ(SettingsPath(PATH_TEXT("C:\\Tools\\Horvane2010.exe")), PATH_TEXT("C:\\Tools\\Horvane2010.ini"));
    EXPECT_EQ(SettingsPath(PATH_TEXT("C:\\Tools\\MyClock.exe")), PATH_TEXT("C:\\Tools\\MyClock.ini"));
    EXPECT_EQ(SettingsPath(PATH_TEXT("/opt/my.clock/clock")), PATH_TEXT("/opt/my.clock/clock.ini"));
}

TEST_F(MainSettingsTest, FirstRunGivesDefaultsAndCreatesTheFileInKeyOrder) {
    const MainSettings loaded = Load();
    EXPECT_EQ(loaded.Top, 0);
    EXPECT_EQ(loaded.Left, 600);
    EXPECT_FALSE(loaded.StayOnTop);
    EXPECT_EQ(loaded.TaskBarMode, 0);
    EXPECT_EQ(loaded.BackColor, 65408u);
    EXPECT_EQ(Get(), std::nullopt);  // a load creates nothing
    EXPECT_TRUE(Save(loaded));
    EXPECT_EQ(Get(), "[Horvane2010]\r\nTop=0\r\nLeft=600\r\nFront=0\r\nTaskBar=0\r\nColor=65408\r\n");
}

TEST_F(MainSettingsTest, FrontTwoTurnsStayOnTopOnAndIsWrittenBackAsOne) {
    Put("[Horvane2010]\r\nTop=1\r\nLeft=2\r\nFront=2\r\nTaskBar=1\r\nColor=3\r\n");
    const MainSettings loaded = Load();
    EXPECT_TRUE(loaded.StayOnTop);
    EXPECT_TRUE(Save(loaded));
    EXPECT_EQ(Get(), "[Horvane2010]\r\nTop=1\r\nLeft=2\r\nFront=1\r\nTaskBar=1\r\nColor=3\r\n");
    Put("[Horvane2010]\r\nFront=-1\r\n");
    EXPECT_TRUE(Load().StayOnTop);
    Put("[Horvane2010]\r\nFront=0\r\n");
    EXPECT_FALSE(Load().StayOnTop);
    Put("[Horvane2010]\r\nFront=yes\r\n");
    EXPECT_FALSE(Load().StayOnTop);
}

TEST_F(MainSettingsTest, HexadecimalColourIsReadAndWrittenBackInDecimal) {
    Put("[Horvane2010]\r\nColor=0xFF\r\n");
    const MainSettings loaded = Load();
    EXPECT_EQ(loaded.BackColor, 255u);
    EXPECT_TRUE(Save(loaded));
    EXPECT_EQ(Get(), "[Horvane2010]\r\nColor=255\r\nTop=0\r\nLeft=600\r\nFront=0\r\nTaskBar=0\r\n");
}

TEST_F(MainSettingsTest, ColourWithTheTopBitSetIsStoredAsASignedInteger) {
    MainSettings settings;
    settings.BackColor = 0xFF000000u;
    EXPECT_TRUE(Save(settings));
    EXPECT_EQ(Get(), "[Horvane2010]\r\nTop=0\r\nLeft=600\r\nFront=0\r\nTaskBar=0\r\nColor=-16777216\r\n");
    EXPECT_EQ(Load().BackColor, 0xFF000000u);
    Put("[Horvane2010]\r\nColor=0xFFFFFFFF\r\n");
    EXPECT_EQ(Load().BackColor, 0xFFFFFFFFu);
    Put("[Horvane2010]\r\nColor=4294967295\r\n");  // beyond a 32-bit signed integer: not a number
    EXPECT_EQ(Load().BackColor, 65408u);
}

TEST_F(MainSettingsTest, ValuesThatAreNotNumbersReadAsDefaultsAndAreWrittenBack) {
    Put("[Horvane2010]\r\nTop=abc\r\nLeft=\r\nFront=1x\r\nTaskBar=0x\r\nColor=green\r\n");
    const MainSettings loaded = Load();
    EXPECT_EQ(loaded.Top, 0);
    EXPECT_EQ(loaded.Left, 600);
    EXPECT_FALSE(loaded.StayOnTop);
    EXPECT_EQ(loaded.TaskBarMode, 0);
    EXPECT_EQ(loaded.BackColor, 65408u);
    EXPECT_TRUE(Save(loaded));
    EXPECT_EQ(Get(), "[Horvane2010]\r\nTop=0\r\nLeft=600\r\nFront=0\r\nTaskBar=0\r\nColor=65408\r\n");
}

TEST_F(MainSettingsTest, NegativePositionsAndOddModesAreUsedUnchanged) {
    Put("[Horvane2010]\r\nTop=-30\r\nLeft=-1200\r\nTaskBar=7\r\n");
    const MainSettings loaded = Load();
    EXPECT_EQ(loaded.Top, -30);
    EXPECT_EQ(loaded.Left, -1200);
    EXPECT_EQ(loaded.TaskBarMode, 7);
    EXPECT_TRUE(Save(loaded));
    EXPECT_EQ(Get(), "[Horvane2010]\r\nTop=-30\r\nLeft=-1200\r\nTaskBar=7\r\nFront=0\r\nColor=65408\r\n");
}

TEST_F(MainSettingsTest, OtherSectionsStayUntouched) {
    const std::string timers = "[TimerData]\r\nTimer0=1,\x90\x87\x96\xB0,0,0.5,0\r\n; note\n\r\n";
    const std::string dialog = "[TimerDlg]\nLeft=10\nTop=20\nWidth=300\n";
    Put(timers + "[horvane2010]\r\nTOP=5\r\n;kept\r\n" + dialog);
    MainSettings settings = Load();
    EXPECT_EQ(settings.Top, 5);
    EXPECT_EQ(settings.Left, 600);  // not the dialog's Left
    settings.Top = 6;
    settings.Left = 7;
    EXPECT_TRUE(Save(settings));
    EXPECT_EQ(Get(),
              timers + "[horvane2010]\r\nTOP=6\r\nLeft=7\r\nFront=0\r\nTaskBar=0\r\nColor=65408\r\n;kept\r\n" + dialog);
}

TEST_F(MainSettingsTest, SavingUnchangedSettingsDoesNotRewriteTheFile) {
    Put("[Horvane2010]\r\nTop=0\r\nLeft=600\r\nFront=0\r\nTaskBar=0\r\nColor=65408\r\n");
    Os::SetBeforeReplaceHookForTesting(&CountReplace);
    EXPECT_TRUE(Save(Load()));
    EXPECT_EQ(g_replaceCalls, 0);
}

TEST_F(MainSettingsTest, ARefusedSaveReportsFailure) {
    path_ = (dir_ / "no-such-folder" / "Horvane2010.ini").native();
    EXPECT_FALSE(Save(MainSettings{}));
}

}  // namespace
