// LagProbe: watches clocks from outside their process and prints what it measured as "key=value" fields,
// one line per figure, for scripts/bench.
//
//   LagProbe lag NAME TITLE_CLASS LABEL_PARENT_CLASS SECONDS
//       Reads the caption of the top-level window TITLE_CLASS and the text of the first child of
//       LABEL_PARENT_CLASS every millisecond (WM_GETTEXT). At each change the local time is read at once:
//       its milliseconds are the lag behind the second that the new text names. A new text that is not the
//       time just read is a mismatch; a change that skips a second is a missed second.
//   LagProbe startup RUNS EXE_A CLASS_A EXE_B CLASS_B
//       Starts A and B in turn, RUNS times each after one warm-up run of each, and times CreateProcess to
//       the first visible top-level window of the class; closes each with WM_CLOSE before the next start.
//       The ratio is the median of the A/B ratios of the pairs.
//   LagProbe close CLASS
//       Posts WM_CLOSE to every top-level window of CLASS and waits until none is left.
//   LagProbe idle SECONDS CLASS...
//       Counts the caption changes of each top-level window CLASS for SECONDS, reading the text the system
//       keeps (no message reaches the clock, so the probe does not wake it).
#include <windows.h>
#include <timeapi.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

#include "bench/Probe.h"

namespace {

using Probe::Fixed;
using Probe::Print;
using Probe::PrintError;

// ---------------------------------------------------------------------------------------------------------
// lag

struct LagSeries {
    std::wstring name;
    HWND window = nullptr;
    std::wstring last;
    bool seen = false;
    std::vector<int> lags;
    int mismatches = 0;
    int missed = 0;
    int unanswered = 0;
};

int SecondsOfDay(const std::wstring& text) {
    if (text.size() != 8 || text[2] != L':' || text[5] != L':') return -1;
    return _wtoi(text.substr(0, 2).c_str()) * 3600 + _wtoi(text.substr(3, 2).c_str()) * 60 +
           _wtoi(text.substr(6, 2).c_str());
}

void Observe(LagSeries& series) {
    const std::optional<std::wstring> text = Probe::SentText(series.window, 200);
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (!text) {
        ++series.unanswered;
        return;
    }
    if (!series.seen) {
        series.seen = true;
        series.last = *text;
        return;
    }
    if (*text == series.last) return;
    const int before = SecondsOfDay(series.last);
    const int after = SecondsOfDay(*text);
    series.last = *text;
    if (*text != Probe::ClockText(now)) {
        ++series.mismatches;
        return;
    }
    if (before >= 0 && after != (before + 1) % 86400) ++series.missed;
    series.lags.push_back(now.wMilliseconds);
}

void Report(const std::wstring& clock, const LagSeries& series) {
    const size_t n = series.lags.size();
    double mean = 0;
    int worst = 0;
    int median = 0;
    if (n) {
        mean = std::accumulate(series.lags.begin(), series.lags.end(), 0.0) / static_cast<double>(n);
        worst = *std::max_element(series.lags.begin(), series.lags.end());
        std::vector<int> sorted = series.lags;
        std::sort(sorted.begin(), sorted.end());
        median = sorted[n / 2];
    }
    Print(L"lag clock=" + clock + L" text=" + series.name + L" changes=" + std::to_wstring(n) + L" mean_ms=" +
          Fixed(mean) + L" median_ms=" + std::to_wstring(median) + L" worst_ms=" + std::to_wstring(worst) +
          L" mismatches=" + std::to_wstring(series.mismatches) + L" missed=" + std::to_wstring(series.missed) +
          L" unanswered=" + std::to_wstring(series.unanswered));
}

int Lag(const std::wstring& clock, const wchar_t* titleClass, const wchar_t* labelParentClass, int seconds) {
    LagSeries title;
    LagSeries label;
    title.name = L"title";
    label.name = L"label";
    title.window = Probe::WaitForTopWindow(titleClass, 0, false, 20000);
    label.window = Probe::FirstChild(Probe::WaitForTopWindow(labelParentClass, 0, true, 20000));
    if (!title.window || !label.window) {
        PrintError(L"LagProbe: no window of class " + std::wstring(title.window ? labelParentClass : titleClass));
        return 1;
    }
    // One-millisecond sleeps, as far as the system allows.
    timeBeginPeriod(1);
    const double end = Probe::NowMs() + seconds * 1000.0;
    while (Probe::NowMs() < end) {
        Observe(title);
        Observe(label);
        Sleep(1);
    }
    timeEndPeriod(1);
    Report(clock, title);
    Report(clock, label);
    return title.lags.empty() || label.lags.empty() ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------------------
// startup

// Milliseconds from CreateProcess to the first visible window of the class, or a negative value.
double TimeStartup(const std::wstring& exe, const wchar_t* className) {
    Probe::Process process;
    const double start = Probe::NowMs();
    if (!process.Start(exe)) return -1;
    HWND window = Probe::WaitForTopWindow(className, process.Pid(), true, 30000);
    const double shown = Probe::NowMs();
    if (!window) return -2;
    if (!process.Close(window)) PrintError(L"LagProbe: " + exe + L" did not end after WM_CLOSE; killed");
    return shown - start;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int Startup(int runs, const std::wstring (&exes)[2], const std::wstring (&classes)[2]) {
    // A window of our own keeps the desktop alive between the runs. Without one, a Wine desktop process
    // ends with the last window and every start would pay for a new one, hiding the programs' own cost.
    HWND keeper = CreateWindowExW(0, L"STATIC", L"LagProbe", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    std::vector<double> times[2];
    std::vector<double> pairRatios;
    for (int run = -1; run < runs; ++run) {
        // Alternate which goes first, so neither always starts on the heels of the other's exit.
        for (int turn = 0; turn < 2; ++turn) {
            const int which = run % 2 == 0 ? 1 - turn : turn;
            const double ms = TimeStartup(exes[which], classes[which].c_str());
            if (ms < 0) {
                PrintError(L"LagProbe: " + exes[which] + (ms == -1 ? L" did not start" : L" showed no window"));
                return 1;
            }
            if (run >= 0) times[which].push_back(ms);
        }
        if (run >= 0) pairRatios.push_back(times[0].back() / times[1].back());
    }
    for (int which = 0; which < 2; ++which) {
        const auto& t = times[which];
        std::wstring all;
        for (double ms : t) all += (all.empty() ? L"" : L",") + Fixed(ms, 0);
        Print(L"startup class=" + classes[which] + L" runs=" + std::to_wstring(t.size()) + L" median_ms=" +
              Fixed(Median(t)) + L" min_ms=" + Fixed(*std::min_element(t.begin(), t.end())) + L" max_ms=" +
              Fixed(*std::max_element(t.begin(), t.end())) + L" all_ms=" + all);
    }
    // The median of the ratios within each pair: the two starts of a pair see the same load on a shared
    // machine, so a busy spell raises both and leaves their ratio alone.
    Print(L"startup ratio=" + Fixed(Median(pairRatios), 2) + L" ratio_of_medians=" +
          Fixed(Median(times[0]) / Median(times[1]), 2));
    DestroyWindow(keeper);
    return 0;
}

// ---------------------------------------------------------------------------------------------------------
// idle

int Idle(int seconds, const std::vector<std::wstring>& classes) {
    struct Watched {
        std::wstring className;
        HWND window;
        std::wstring last;
        int changes;
    };
    std::vector<Watched> watched;
    for (const auto& name : classes) {
        HWND window = Probe::WaitForTopWindow(name.c_str(), 0, false, 20000);
        if (!window) {
            PrintError(L"LagProbe: no window of class " + name);
            return 1;
        }
        watched.push_back({name, window, Probe::StoredText(window), 0});
    }
    const double start = Probe::NowMs();
    const double end = start + seconds * 1000.0;
    while (Probe::NowMs() < end) {
        for (auto& w : watched) {
            const std::wstring text = Probe::StoredText(w.window);
            if (text != w.last) {
                ++w.changes;
                w.last = text;
            }
        }
        Sleep(20);
    }
    const double elapsed = (Probe::NowMs() - start) / 1000.0;
    for (auto& w : watched) {
        Print(L"idle class=" + w.className + L" seconds=" + Fixed(elapsed) + L" title_changes=" +
              std::to_wstring(w.changes) + L" changes_per_s=" + Fixed(w.changes / elapsed, 3));
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------------------
// close

int Close(const wchar_t* className) {
    const double end = Probe::NowMs() + 20000;
    while (HWND window = Probe::FindTopWindow(className)) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        if (Probe::NowMs() > end) {
            PrintError(L"LagProbe: a window of class " + std::wstring(className) + L" did not close");
            return 1;
        }
        Sleep(50);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"lag" && argc == 6) return Lag(argv[2], argv[3], argv[4], _wtoi(argv[5]));
    if (command == L"startup" && argc == 7) return Startup(_wtoi(argv[2]), {argv[3], argv[5]}, {argv[4], argv[6]});
    if (command == L"close" && argc == 3) return Close(argv[2]);
    if (command == L"idle" && argc >= 4) return Idle(_wtoi(argv[2]), std::vector<std::wstring>(argv + 3, argv + argc));
    PrintError(
        L"usage: LagProbe lag NAME TITLE_CLASS LABEL_PARENT_CLASS SECONDS | startup RUNS EXE_A CLASS_A EXE_B CLASS_B"
        L" | close CLASS | idle SECONDS CLASS...");
    return 2;
}
