// The settings file under every failure the system can give: the start's read, the run and the two saves at
// the end, as the main window makes them, with each file-system call in turn made to fail with each error the
// system documents for it. What must hold whatever fails is what the user would see in the folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "core/Os.h"
#include "settings/MainSettings.h"
#include "settings/SettingsStore.h"
#include "tests/support/TestSupport.h"
#include "timers/TimerData.h"

namespace fs = std::filesystem;

namespace {

const std::string Stored =
    "; kept by hand\r\n[Horvane2010]\r\nTop=10\r\nLeft=20\r\nFront=1\r\nTaskBar=0\r\nColor=255\r\n"
    "[TimerData]\r\nTimerData00=meeting,0,12:00:00,0\r\n[Mine]\r\nx=1\r\n";

void Put(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void MakeOld(const fs::path& path) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(24));
}

// A folder as a start finds it.
struct Scenario {
    const char* name;
    std::optional<std::string> file;      // the settings file, if any
    std::optional<std::string> keptCopy;  // "<name>.~4000000.tmp" of a save cut off at its rename
    bool linked = false;                  // the settings file has a second hard link (written in place)
};

struct Outcome {
    bool told = false;  // a save was refused, or the run could not write the file: the user hears of it
};

// What the main window does with its settings file: one load, a change made during the run, two saves.
// `saveSettings` / `saveTimers` false leave a save out, to list the files a run may leave.
Outcome LoadRunSave(const PathString& path, bool saveSettings = true, bool saveTimers = true) {
    Outcome run;
    TSettingsStore store(path);
    MainSettings settings;
    TimerList timers;
    LoadMainSettings(store.Loaded(), kMainSectionName, settings);
    LoadTimers(store.Loaded(), timers);
    store.EndLoad();
    settings.BackColor ^= 0xFF00;
    timers.push_back({1, "call", 1, 0.25, 0});
    if (saveSettings && !store.Save([&](TIniFile& ini) { SaveMainSettings(ini, kMainSectionName, settings); })) {
        run.told = true;
    }
    if (saveTimers && !store.Save([&](TIniFile& ini) { SaveTimers(ini, timers); })) run.told = true;
    return run;
}

class FileFaultSweep : public ::testing::Test {
protected:
    void TearDown() override { Os::SetFileFaultForTesting(-1, Os::FileFault::None); }

    PathString Prepare(const Scenario& s) {
        folder_.emplace("horvane-faults");
        const fs::path dir = folder_->Path();
        const fs::path path = dir / "Horvane2010.ini";
        if (s.file) Put(path, *s.file);
        if (s.linked) fs::create_hard_link(path, dir / "twin.ini");
        if (s.keptCopy) {
            Put(dir / "Horvane2010.ini.~4000000.tmp", *s.keptCopy);  // no process has this id
            MakeOld(dir / "Horvane2010.ini.~4000000.tmp");
        }
        return path.native();
    }
    size_t Files() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(folder_->Path()), fs::directory_iterator()));
    }

    std::optional<TempFolder> folder_;
};

TEST_F(FileFaultSweep, EveryFailureOfEveryFileCallLosesNothing) {
    const Scenario scenarios[] = {
        {"a settings file", Stored, std::nullopt},
        {"no settings file yet", std::nullopt, std::nullopt},
        {"only the copy of a save cut off", std::nullopt, Stored},
        {"a settings file with a second name", Stored, std::nullopt, true},
    };
    int sequences = 0;
    int points = 0;
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        // What the file may hold after a run: as it was, or as either save or both left it, each whole.
        std::set<std::optional<std::string>> whole;
        for (int mask = 0; mask < 4; ++mask) {
            const PathString path = Prepare(s);
            LoadRunSave(path, mask & 1, mask & 2);
            whole.insert(Os::ReadFileBytes(path));
        }
        const PathString first = Prepare(s);
        const std::optional<std::string> before = s.file ? s.file : s.keptCopy;
        Os::SetFileFaultForTesting(-1, Os::FileFault::None);
        ASSERT_FALSE(LoadRunSave(first).told);
        const std::optional<std::string> after = Os::ReadFileBytes(first);
        const std::vector<Os::FileCall> calls = Os::FileCallsForTesting();
        ++sequences;
        for (size_t k = 0; k < calls.size(); ++k) {
            for (const Os::FileFault fault : Os::FaultsFor(calls[k])) {
                SCOPED_TRACE("call " + std::to_string(k) + " of " + std::to_string(calls.size()) + ", fault " +
                             std::to_string(static_cast<int>(fault)));
                const PathString path = Prepare(s);
                Os::SetFileFaultForTesting(static_cast<int>(k), fault);
                const Outcome outcome = LoadRunSave(path);
                Os::SetFileFaultForTesting(-1, Os::FileFault::None);
                ++points;
                // The next start: a copy a save kept is taken up, and what it reads is one whole state.
                std::optional<std::string> seen;
                {
                    TSettingsStore next(path);
                    next.Loaded();
                    seen = Os::ReadFileBytes(path);
                }
                EXPECT_EQ(whole.count(seen), 1u) << (seen ? *seen : "(no file)");
                if (seen != after) {
                    EXPECT_TRUE(outcome.told) << "the save did not happen, and nobody was told";
                }
                // A later run that saves cleanly leaves the one file and nothing beside it.
                EXPECT_FALSE(LoadRunSave(path).told);
                EXPECT_EQ(Files(), s.linked ? 2u : 1u);
                if (before) {
                    EXPECT_NE(Os::ReadFileBytes(path)->find("meeting"), std::string::npos) << "the timer was lost";
                }
            }
        }
    }
    std::printf("[ sweep    ] %d sequences, %d failure points\n", sequences, points);
}

// A file that another program holds without sharing while the clock starts: defaults are shown, and the
// saves at the end, when the file can be read again, write nothing over it.
TEST_F(FileFaultSweep, AFileHeldAtTheStartIsNeverWrittenByThatRun) {
    const PathString path = Prepare({"held", Stored, std::nullopt});
    Os::SetFileFaultForTesting(-1, Os::FileFault::None);
    TSettingsStore(path).Loaded();
    const std::vector<Os::FileCall> calls = Os::FileCallsForTesting();
    const auto read = std::find(calls.begin(), calls.end(), Os::FileCall::Open);
    ASSERT_NE(read, calls.end());
    // The read's open fails as a lock makes it fail.
    Os::SetFileFaultForTesting(static_cast<int>(read - calls.begin()), Os::FileFault::SharingViolation);
    MainSettings settings;
    TSettingsStore store(path);
    LoadMainSettings(store.Loaded(), kMainSectionName, settings);
    EXPECT_EQ(settings.BackColor, 65408u);
#ifdef _WIN32
    // The real lock, where the system has one: held from before the read until after it.
    Os::SetFileFaultForTesting(-1, Os::FileFault::None);
    const HANDLE held =
        CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    TSettingsStore locked(path);
    LoadMainSettings(locked.Loaded(), kMainSectionName, settings);
    CloseHandle(held);
    EXPECT_FALSE(locked.Save([](TIniFile& ini) { SaveTimers(ini, {}); }));
#endif
    EXPECT_FALSE(store.Save([](TIniFile& ini) { SaveTimers(ini, {}); }));
    EXPECT_EQ(Os::ReadFileBytes(path), Stored);
}

// The temporary files of saves: those of killed saves go once a whole file stands (on a local disk the
// process id tells, however fresh the file), the only whole copy stays, and the start takes it up.
TEST_F(FileFaultSweep, TemporaryFilesOfOtherSavesGoOnlyWhenNothingDependsOnThem) {
    const PathString path = Prepare({"kept", Stored, std::nullopt});
    const fs::path dir = folder_->Path();
    Put(dir / "Horvane2010.ini.~4000001.tmp", "a save killed a moment ago");
    Put(dir / "other.ini.~4000000.tmp", "someone else's");
    MakeOld(dir / "other.ini.~4000000.tmp");
    Put(dir / "Horvane2010.ini.~4000000.tmp", "a killed save");
    MakeOld(dir / "Horvane2010.ini.~4000000.tmp");
    EXPECT_FALSE(LoadRunSave(path).told);
    EXPECT_FALSE(fs::exists(dir / "Horvane2010.ini.~4000000.tmp"));
    EXPECT_FALSE(fs::exists(dir / "Horvane2010.ini.~4000001.tmp"));
    EXPECT_TRUE(fs::exists(dir / "other.ini.~4000000.tmp"));

    // A write in place that stopped part way kept the whole copy: the start puts it back over the half file.
    Put(dir / "Horvane2010.ini", Stored.substr(0, 40));
    Put(dir / "Horvane2010.ini.~4000002.whole.tmp", Stored);
    TSettingsStore store(path);
    EXPECT_EQ(store.Loaded().ReadString("TimerData", "TimerData00", ""), "meeting,0,12:00:00,0");
    EXPECT_EQ(store.TakenFrom(), (dir / "Horvane2010.ini.~4000002.whole.tmp").native());
    EXPECT_EQ(Os::ReadFileBytes(path), Stored);
    EXPECT_FALSE(fs::exists(dir / "Horvane2010.ini.~4000002.whole.tmp"));

    // A folder at the settings file's name: refused before anything is written, and nothing is left.
    const PathString taken = (dir / "taken.ini").native();
    fs::create_directory(taken);
    EXPECT_FALSE(TSettingsStore(taken).Save([](TIniFile& ini) { ini.WriteString("S", "k", "v"); }));
    EXPECT_EQ(Files(), 3u);
}

}  // namespace
