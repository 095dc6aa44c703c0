#include "settings/SettingsStore.h"

#include "core/Os.h"
#include "settings/MainSettings.h"

TSettingsStore::TSettingsStore(PathString path) : path_(std::move(path)) {}

TSettingsStore::~TSettingsStore() = default;

const PathString& TSettingsStore::Path() {
    if (path_.empty()) path_ = SettingsPath(Os::ExePath());
    return path_;
}

const TIniFile& TSettingsStore::Loaded() {
    if (loaded_) return *loaded_;
    const Os::KeptCopy kept = Os::TakeUpKeptCopy(Path());
    if (kept.state == Os::KeptCopy::Moved || kept.state == Os::KeptCopy::Stranded) takenFrom_ = kept.copy;
    // A copy that could not be put back is read where it stands, and the file under the name is left as it
    // is; where a copy may lie unseen, a save of defaults could clear it away.
    if (kept.state == Os::KeptCopy::Stranded || kept.state == Os::KeptCopy::Unknown) writable_ = false;
    loaded_ = std::make_unique<TIniFile>(kept.state == Os::KeptCopy::Stranded ? kept.copy : Path());
    if (loaded_->Unreadable()) writable_ = false;
    return *loaded_;
}

void TSettingsStore::EndLoad() { loaded_.reset(); }

bool TSettingsStore::Save(const std::function<void(TIniFile&)>& write) {
    if (!writable_) return false;
    Os::TakeUpKeptCopy(Path());
    TIniFile ini(Path());
    write(ini);
    return ini.UpdateFile();
}
