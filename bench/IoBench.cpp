// The settings file and event log I/O of the program, each next to the plainest code that moves the same
// bytes, so the figure that matters is the ratio and not the (noisy) absolute time.
//
// The settings file holds the main section, 100 timer records and 1,000 keys of other sections, as a
// long-used file might. Load and save go exactly as the program does them: one accessor object per load
// or save of the main settings and one per load or save of the timers.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/EventLog.h"
#include "core/Os.h"
#include "settings/IniFile.h"
#include "settings/MainSettings.h"
#include "timers/TimerData.h"

namespace {

std::string Folder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/horvane-iobench-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made) std::abort();
        return std::string(made);
    }();
    return folder;
}

std::string SettingsFile() { return Folder() + "/Horvane2010.ini"; }
std::string LogFile() { return Folder() + "/Horvane2010.log"; }

std::string SettingsContent() {
    std::string text = "[Horvane2010]\r\nTop=120\r\nLeft=300\r\nFront=1\r\nTaskBar=0\r\nColor=65408\r\n";
    text += "[TimerData]\r\n";
    for (int i = 0; i < MaxStoredTimers; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "%s=timer %d,%d,%02d:%02d:00,%d\r\n", TimerKey(i).c_str(), i, i % 3, i % 24,
                      i % 60, i % 128);
        text += line;
    }
    for (int section = 0; section < 10; ++section) {
        text += "[Other" + std::to_string(section) + "]\r\n";
        for (int key = 0; key < 100; ++key) {
            text += "Key" + std::to_string(key) + "=some value of another program " + std::to_string(key) + "\r\n";
        }
    }
    return text;
}

void WriteFileWhole(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

std::string ReadFileWhole(const std::string& path) {
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) std::abort();
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
}

void Reset() { WriteFileWhole(SettingsFile(), SettingsContent()); }

// ---------------------------------------------------------------------------------------------------------
// Load

void Load(benchmark::State& state) {
    Reset();
    for (auto _ : state) {
        MainSettings settings;
        TimerList timers;
        {
            TIniFile ini(SettingsFile());
            LoadMainSettings(ini, kMainSectionName, settings);
        }
        {
            TIniFile ini(SettingsFile());
            LoadTimers(ini, timers);
        }
        if (timers.size() != MaxStoredTimers) state.SkipWithError("the timers did not load");
        benchmark::DoNotOptimize(settings);
    }
}
BENCHMARK(Load)->Unit(benchmark::kMicrosecond);

// Baseline: the same bytes read whole, as often as the program reads the file for one load.
void LoadBaselineRead(benchmark::State& state) {
    Reset();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadFileWhole(SettingsFile()));
        benchmark::DoNotOptimize(ReadFileWhole(SettingsFile()));
    }
}
BENCHMARK(LoadBaselineRead)->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------------------------------------------------
// Save: a moved window and one renamed timer, so both saves really write.

void Save(benchmark::State& state) {
    Reset();
    TimerList timers;
    {
        TIniFile ini(SettingsFile());
        LoadTimers(ini, timers);
    }
    MainSettings settings;
    int round = 0;
    for (auto _ : state) {
        ++round;
        settings.Top = round;
        timers[0].Title = "timer " + std::to_string(round);
        {
            TIniFile ini(SettingsFile());
            SaveMainSettings(ini, kMainSectionName, settings);
            if (!ini.UpdateFile()) state.SkipWithError("the settings save failed");
        }
        {
            TIniFile ini(SettingsFile());
            SaveTimers(ini, timers);
            if (!ini.UpdateFile()) state.SkipWithError("the timer save failed");
        }
    }
}
BENCHMARK(Save)->Unit(benchmark::kMicrosecond);

// Baseline: read the file and write it back whole in place, twice, as plainly as it can be done.
void SaveBaselinePlain(benchmark::State& state) {
    Reset();
    for (auto _ : state) {
        for (int i = 0; i < 2; ++i) WriteFileWhole(SettingsFile(), ReadFileWhole(SettingsFile()));
    }
}
BENCHMARK(SaveBaselinePlain)->Unit(benchmark::kMicrosecond);

// Baseline: the same, but each write replaces the file atomically as the program's does (a temporary
// file flushed to disk, then renamed). The difference to Save is what the settings engine itself costs.
void SaveBaselineAtomic(benchmark::State& state) {
    Reset();
    for (auto _ : state) {
        for (int i = 0; i < 2; ++i) {
            if (!Os::ReplaceFileBytes(SettingsFile(), ReadFileWhole(SettingsFile()))) {
                state.SkipWithError("the replace failed");
            }
        }
    }
}
BENCHMARK(SaveBaselineAtomic)->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------------------------------------------------------
// Event log

void AppendLog(benchmark::State& state) {
    std::remove(LogFile().c_str());
    for (auto _ : state) AppendLogLine(LogFile(), "Program Start");
}
BENCHMARK(AppendLog)->Unit(benchmark::kMicrosecond);

// Baseline: the same line bytes appended with a plain stdio open, write and close.
void AppendLogBaseline(benchmark::State& state) {
    std::remove(LogFile().c_str());
    const std::string line = FormatLogLine(Os::LocalNow(), "Program Start");
    for (auto _ : state) {
        std::FILE* file = std::fopen(LogFile().c_str(), "ab");
        if (!file) std::abort();
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    }
}
BENCHMARK(AppendLogBaseline)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::printf("settings file: %zu bytes, 100 timers, 1000 keys of other sections\n", SettingsContent().size());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(SettingsFile().c_str());
    std::remove(LogFile().c_str());
    rmdir(Folder().c_str());
    return 0;
}
