// The whole-file save and the start's take-up of the copies a save kept, on Linux (Os.h: ReplaceFileBytes,
// TakeUpKeptCopy). The same steps as on Windows, with permission bits for access entries.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <vector>

#include "core/Os.h"
#include "core/OsFiles_posix.h"

namespace Os {
namespace {
BeforeReplaceHook g_beforeReplace = nullptr;

// On a network file system a temporary file younger than this may belong to a save still running on another
// machine (a process id says nothing there): it is left alone. On a local disk the process id alone tells.
constexpr time_t InUseFor = 10 * 60;

bool SharedWithOtherMachines(const PathString& target) {
    struct statfs fs {};
    const PathString folder = ExtractFilePath(target);
    if (::statfs(folder.empty() ? "." : folder.c_str(), &fs) != 0) return true;
    switch (static_cast<unsigned long>(fs.f_type)) {
        case 0x6969ul:      // NFS
        case 0x517Bul:      // SMB
        case 0xFF534D42ul:  // CIFS
        case 0xFE534D42ul:  // SMB2
        case 0x65735546ul:  // FUSE (sshfs and the like)
            return true;
        default:
            return false;
    }
}

bool ProcessIsGone(unsigned long pid) {
    // At the start, or once this process's own save is done, a file with its id is a leftover of an earlier
    // process that had the same id.
    if (pid == static_cast<unsigned long>(::getpid())) return true;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

struct TempFile {
    PathString path;
    time_t written;
    bool whole;
};

// The target's temporary files of processes that are gone; `listed` false when the folder could not be read.
std::vector<TempFile> AbandonedTemps(const PathString& target, bool* listed = nullptr) {
    std::vector<TempFile> temps;
    const PathString folder = ExtractFilePath(target);
    const PathString name = target.substr(folder.size());
    if (listed) *listed = false;
    if (!Files::CanList(FileCall::List)) return temps;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return temps;
    if (listed) *listed = true;
    while (const dirent* entry = ::readdir(dir)) {
        bool whole = false;
        const unsigned long pid = TempFileOwner(entry->d_name, name, &whole);
        struct stat st {};
        if (pid != 0 && ProcessIsGone(pid) && ::stat((folder + entry->d_name).c_str(), &st) == 0) {
            temps.push_back({folder + entry->d_name, st.st_mtime, whole});
        }
    }
    ::closedir(dir);
    return temps;
}

// After a replace, while a whole file stands under the name: the temporary files of killed saves go. Copies
// kept whole are never cleared away here; the start takes them up.
void RemoveAbandonedTemps(const PathString& target) {
    const time_t now = ::time(nullptr);
    const bool shared = SharedWithOtherMachines(target);
    for (const TempFile& temp : AbandonedTemps(target)) {
        if (!temp.whole && !(shared && temp.written + InUseFor > now)) Files::Delete(temp.path);
    }
}

enum class InPlace { Written, NotOpened, Failed };
// See ReplaceFileBytes: only where replacing cannot work.
InPlace WriteInPlace(const PathString& path, std::string_view bytes) {
    Files::UniqueFd fd = Files::Open(FileCall::Open, path, O_WRONLY);
    if (!fd) return InPlace::NotOpened;
    bool ok = Files::WriteAll(fd.get(), bytes) && Files::Truncate(fd.get(), static_cast<long long>(bytes.size())) &&
              Files::Flush(fd.get());
    ok = fd.Close() && ok;
    return ok ? InPlace::Written : InPlace::Failed;
}

bool Retryable(int error) { return error == EACCES || error == EBUSY; }

// The save has failed with the temporary file whole: it goes only while a whole file stands under the name.
void DropOrKeep(const PathString& temp, const PathString& target) {
    struct stat now {};
    if (Files::Stat(target, &now) && S_ISREG(now.st_mode)) Files::Delete(temp);
}

bool InPlaceWithCopy(const PathString& temp, const PathString& target, std::string_view bytes) {
    const InPlace written = WriteInPlace(target, bytes);
    const int error = errno;
    if (written == InPlace::Written) {
        Files::Delete(temp);
        return true;
    }
    if (written == InPlace::Failed) {
        Files::Rename(temp, temp.substr(0, temp.size() - 4) + ".whole.tmp");
    } else {
        DropOrKeep(temp, target);
    }
    errno = error;
    return false;
}
}  // namespace

bool ReplaceFileBytes(const PathString& path, std::string_view bytes) {
    struct stat st {};
    const bool exists = Files::Stat(path, &st);
    if (!exists && errno != ENOENT) return false;  // present, but not to be looked at
    PathString target = path;
    if (exists) {
        if (S_ISDIR(st.st_mode)) {
            errno = EISDIR;
            return false;
        }
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {  // a symbolic link: its target is replaced
            target = resolved;
            ::free(resolved);
        }
        if (::access(target.c_str(), W_OK) != 0) return false;
    }
    const PathString temp = target + ".~" + std::to_string(::getpid()) + ".tmp";
    Files::UniqueFd fd = Files::Open(FileCall::Create, temp, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!fd) {
        if (exists && (errno == EACCES || errno == EPERM)) return WriteInPlace(target, bytes) == InPlace::Written;
        return false;
    }
    bool ok = true;
    if (exists) {
        if (::geteuid() == 0) ok = ::fchown(fd.get(), st.st_uid, st.st_gid) == 0;
        ok = ok && ::fchmod(fd.get(), st.st_mode & 07777) == 0;
    }
    ok = ok && Files::WriteAll(fd.get(), bytes) && Files::Flush(fd.get());
    ok = fd.Close() && ok;
    if (!ok) {
        const int error = errno;
        Files::Delete(temp);  // not whole: never a copy worth keeping
        errno = error;
        return false;
    }
    if (g_beforeReplace && !g_beforeReplace()) {
        DropOrKeep(temp, target);
        errno = ECANCELED;
        return false;
    }
    if (exists && st.st_nlink > 1) return InPlaceWithCopy(temp, target, bytes);
    int error = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (Files::Rename(temp, target)) {
            RemoveAbandonedTemps(target);
            return true;
        }
        error = errno;
        if (!Retryable(error)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    if (exists && Retryable(error)) return InPlaceWithCopy(temp, target, bytes);
    DropOrKeep(temp, target);
    errno = error;
    return false;
}

KeptCopy TakeUpKeptCopy(const PathString& path) {
    struct stat st {};
    const bool exists = Files::Stat(path, &st);
    const bool known = exists || errno == ENOENT;
    PathString target = path;
    if (char* resolved = exists ? ::realpath(path.c_str(), nullptr) : nullptr) {
        target = resolved;
        ::free(resolved);
    }
    bool listed = false;
    const std::vector<TempFile> temps = AbandonedTemps(target, &listed);
    const TempFile* newest = nullptr;
    for (const TempFile& temp : temps) {
        if (temp.whole && (!newest || temp.written > newest->written)) newest = &temp;
    }
    KeptCopy kept;
    if (!newest) {
        // A rename that was cut off: only where nothing at all stands under the name.
        if (exists) return kept;
        if (!known || !listed) {
            kept.state = KeptCopy::Unknown;
            return kept;
        }
        for (const TempFile& temp : temps) {
            if (!newest || temp.written > newest->written) newest = &temp;
        }
    }
    if (!newest) return kept;
    kept.copy = newest->path;
    // Never over a file that came meanwhile, unless it is the file that is not whole.
    bool moved = false;
    if (newest->whole) {
        moved = Files::Rename(newest->path, target);
    } else {
        moved = Files::MoveNoReplace(newest->path, target);
    }
    kept.state = moved ? KeptCopy::Moved : KeptCopy::Stranded;
    return kept;
}

void SetBeforeReplaceHookForTesting(BeforeReplaceHook hook) { g_beforeReplace = hook; }

}  // namespace Os
