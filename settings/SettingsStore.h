#pragma once
// The settings file as the main window keeps it: one read at the start gives the settings and the timers
// alike (a lock that hits one read cannot empty the other), a copy a save kept is taken up before it, and a
// file that was there but could not be read is never written by the run.
#include <functional>
#include <memory>

#include "core/Path.h"
#include "settings/IniFile.h"

class TSettingsStore {
public:
    // An empty path: the settings file beside the executable.
    explicit TSettingsStore(PathString path = {});
    ~TSettingsStore();
    TSettingsStore(const TSettingsStore&) = delete;
    TSettingsStore& operator=(const TSettingsStore&) = delete;

    const PathString& Path();
    // The start's read, made on first use and kept until EndLoad().
    const TIniFile& Loaded();
    void EndLoad();
    // The copy the settings came from, when the start took one up (the user is told); else empty.
    const PathString& TakenFrom() const { return takenFrom_; }
    // One save: the file is read afresh (taking up a copy an earlier save kept), changed by `write`, and
    // written back. False when the system refused the write, or when this run may not write the file.
    bool Save(const std::function<void(TIniFile&)>& write);

private:
    PathString path_;
    std::unique_ptr<TIniFile> loaded_;
    PathString takenFrom_;
    bool writable_ = true;
};
