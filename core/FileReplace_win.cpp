// The whole-file save and the start's take-up of the copies a save kept (Os.h: ReplaceFileBytes,
// TakeUpKeptCopy).
#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>

#include <vector>

#include "core/Os.h"
#include "core/OsFiles_win.h"

namespace Os {
namespace {
using Files::ExtendedPath;

BeforeReplaceHook g_beforeReplace = nullptr;

// On a network share a temporary file younger than this may belong to a save still running on another
// machine (a process id says nothing there): it is left alone. On a local disk, or a stick that one machine
// at a time has, the process id alone tells.
constexpr ULONGLONG InUseFor = 10ull * 60 * 10'000'000;  // 10 minutes in 100 ns units

bool SharedWithOtherMachines(const PathString& target) {
    const bool extended = target.rfind(L"\\\\?\\", 0) == 0;
    if (target.rfind(L"\\\\?\\UNC\\", 0) == 0 || (!extended && target.rfind(L"\\\\", 0) == 0)) return true;
    const size_t drive = extended ? 4 : 0;
    if (target.size() < drive + 2 || target[drive + 1] != L':') return true;
    const wchar_t root[] = {target[drive], L':', L'\\', L'\0'};
    const UINT type = GetDriveTypeW(root);
    return type == DRIVE_REMOTE || type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR;
}

bool ProcessIsGone(DWORD pid) {
    // At the start, or once this process's own save is done, a file with its id is a leftover of an earlier
    // process that had the same id.
    if (pid == GetCurrentProcessId()) return true;
    const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
    return WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
}

bool Fresh(const FILETIME& written) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG then = (ULONGLONG{written.dwHighDateTime} << 32) | written.dwLowDateTime;
    const ULONGLONG current = (ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    return current < then + InUseFor;
}

struct TempFile {
    PathString path;
    FILETIME written;
    bool whole;
};

// The target's temporary files of processes that are gone; `listed` false when the folder could not be read.
std::vector<TempFile> AbandonedTemps(const PathString& target, bool* listed = nullptr) {
    std::vector<TempFile> temps;
    const PathString folder = ExtractFilePath(target);
    const PathString name = target.substr(folder.size());
    WIN32_FIND_DATAW found;
    const UniqueFind search(Files::FindFirst(target + L".~*.tmp", &found));
    if (listed) *listed = search || GetLastError() == ERROR_FILE_NOT_FOUND;
    if (!search) return temps;
    do {
        bool whole = false;
        const unsigned long pid = TempFileOwner(found.cFileName, name, &whole);
        if (pid != 0 && ProcessIsGone(pid)) temps.push_back({folder + found.cFileName, found.ftLastWriteTime, whole});
    } while (FindNextFileW(search.get(), &found));
    return temps;
}

// After a replace, while a whole file stands under the name: the temporary files of killed saves go. Copies
// kept whole are never cleared away here; the start takes them up.
void RemoveAbandonedTemps(const PathString& target) {
    const bool shared = SharedWithOtherMachines(target);
    for (const TempFile& temp : AbandonedTemps(target)) {
        if (!temp.whole && !(shared && Fresh(temp.written))) Files::Delete(temp.path);
    }
}

// What a save must know of the file it replaces.
struct ExistingFile {
    bool exists = false;
    bool known = true;  // false: something may stand there that could not be looked at
    DWORD attributes = 0;
    DWORD links = 1;
    FILETIME created{};
    PathString target;  // where the bytes go: the file's final path (a symbolic link's target), "\\?\" form
};

ExistingFile Inspect(const PathString& path) {
    ExistingFile file;
    file.target = ExtendedPath(path);
    const UniqueHandle handle =
        Files::Open(FileCall::Query, file.target, FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (!handle) {
        file.known = Files::IsNotFound(GetLastError());
        return file;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!Files::GetInformation(handle.get(), &info)) {
        file.known = false;
        return file;
    }
    file.exists = true;
    file.attributes = info.dwFileAttributes;
    file.links = info.nNumberOfLinks;
    file.created = info.ftCreationTime;
    // The path the handle really reached: through a symbolic link (which not every system marks as a reparse
    // point) to its target, so that the save replaces the target and the link stays.
    std::wstring final(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(handle.get(), final.data(), static_cast<DWORD>(final.size()), 0);
    if (n >= final.size()) {
        final.resize(n + 1);
        n = GetFinalPathNameByHandleW(handle.get(), final.data(), static_cast<DWORD>(final.size()), 0);
    }
    if (n > 0 && n < final.size()) {
        final.resize(n);
        file.target = ExtendedPath(final);
    }
    return file;
}

// The attributes a user sets on a file that the replacing file takes over (read-only never gets this far).
// Encryption does not combine with the system attribute: an encrypted file stays encrypted.
DWORD KeptAttributes(DWORD old) {
    if (old & FILE_ATTRIBUTE_ENCRYPTED) {
        return FILE_ATTRIBUTE_ENCRYPTED |
               (old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
    }
    return old & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
}

// Writes over the file where it stands, as the profile functions do: for a file with several hard links
// (a new file would leave the other names with the old bytes), for a folder that allows no new file, and for a
// file that another program holds open without letting it be replaced. Not crash-safe, so only where
// replacing cannot work, and with a whole copy kept beside it wherever the folder takes one. Others may share
// the file for reading and writing, as such a holder does.
enum class InPlace { Written, NotOpened, Failed };
InPlace WriteInPlace(const PathString& path, std::string_view bytes) {
    const UniqueHandle file =
        Files::Open(FileCall::Open, path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (!file) return InPlace::NotOpened;
    return Files::WriteAll(file.get(), bytes) && Files::Truncate(file.get()) && Files::Flush(file.get())
               ? InPlace::Written
               : InPlace::Failed;
}

// What a replacing file would otherwise lose that the user or an administrator set on the old one: who may
// do what with it (its own access entries, and whether it takes those of its folder), and when it was made.
// Only where the system lets this program read them; the new file otherwise keeps its folder's defaults.
// Set through the handle opened with these rights: an access list without them cannot take them away again.
void CarryOver(const ExistingFile& existing, HANDLE temp) {
    PACL dacl = nullptr;
    LocalMemory descriptor;
    if (GetNamedSecurityInfoW(existing.target.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &dacl, nullptr, descriptor.out()) == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        GetSecurityDescriptorControl(descriptor.get(), &control, &revision);
        const SECURITY_INFORMATION what =
            DACL_SECURITY_INFORMATION | ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                       : UNPROTECTED_DACL_SECURITY_INFORMATION);
        SetSecurityInfo(temp, SE_FILE_OBJECT, what, nullptr, nullptr, dacl, nullptr);
    }
    SetFileTime(temp, &existing.created, nullptr, nullptr);
}

bool Retryable(DWORD error) { return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION; }

// The temporary file, open with the rights to finish it whatever access entries it is given: it is renamed
// and deleted through this handle.
constexpr DWORD TempAccess = GENERIC_WRITE | DELETE | WRITE_DAC | FILE_WRITE_ATTRIBUTES;

// The save has failed with the temporary file whole: it goes only while a whole file stands under the name.
void DropOrKeep(HANDLE temp, const PathString& target) {
    const ExistingFile now = Inspect(target);
    if (now.exists && !(now.attributes & FILE_ATTRIBUTE_DIRECTORY)) Files::DeleteOpenFile(temp);
}

// An in-place write after the whole copy was made: the copy goes once the file holds the bytes, and is kept
// under the name that tells the next start the file is not whole when the write stopped part way.
bool InPlaceWithCopy(HANDLE temp, const PathString& temp_name, const PathString& target, std::string_view bytes) {
    const InPlace written = WriteInPlace(target, bytes);
    if (written == InPlace::Written) {
        Files::DeleteOpenFile(temp);
        return true;
    }
    if (written == InPlace::Failed) {
        const DWORD error = GetLastError();
        Files::RenameOpenFile(temp, temp_name.substr(0, temp_name.size() - 4) + L".whole.tmp", true);
        SetLastError(error);
        return false;
    }
    const DWORD error = GetLastError();
    DropOrKeep(temp, target);
    SetLastError(error);
    return false;
}
}  // namespace

bool ReplaceFileBytes(const PathString& path, std::string_view bytes) {
    const ExistingFile existing = Inspect(path);
    if (!existing.known) return false;  // present, but not to be looked at: nothing is written over it
    // A read-only settings file refuses the write, as the profile functions do; so does a folder at the name.
    if (existing.exists && (existing.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    const PathString& target = existing.target;
    wchar_t suffix[32];
    wsprintfW(suffix, L".~%lu.tmp", GetCurrentProcessId());
    const std::wstring temp = target + suffix;
    const DWORD attributes = existing.exists ? KeptAttributes(existing.attributes) : 0;
    const UniqueHandle file = Files::Open(FileCall::Create, temp, TempAccess, 0, CREATE_ALWAYS,
                                          attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    if (!file) {
        // A folder that takes no new file (the user may write the file but not the folder), or an encrypted file
        // whose copy cannot be made encrypted: the file itself is still written, as the profile functions would.
        const DWORD error = GetLastError();
        if (existing.exists && (error == ERROR_ACCESS_DENIED || (attributes & FILE_ATTRIBUTE_ENCRYPTED))) {
            return WriteInPlace(target, bytes) == InPlace::Written;
        }
        SetLastError(error);
        return false;
    }
    if (!Files::WriteAll(file.get(), bytes) || !Files::Flush(file.get())) {
        const DWORD error = GetLastError();
        Files::DeleteOpenFile(file.get());  // not whole: never a copy worth keeping
        SetLastError(error);
        return false;
    }
    if (existing.exists) CarryOver(existing, file.get());
    if (g_beforeReplace && !g_beforeReplace()) {
        DropOrKeep(file.get(), target);
        SetLastError(ERROR_CANCELLED);
        return false;
    }
    if (existing.exists && existing.links > 1) return InPlaceWithCopy(file.get(), temp, target, bytes);
    // One rename that replaces the old file: the name names the old file or the new one at every moment,
    // even if the process dies there. (ReplaceFileW may leave the name empty for a moment.) Another
    // program may hold the old file open for a moment (a viewer, a virus scanner): retry briefly.
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (Files::RenameOpenFile(file.get(), target, true)) {
            Files::Flush(file.get());  // the rename itself on disk, as MOVEFILE_WRITE_THROUGH would
            RemoveAbandonedTemps(target);
            return true;
        }
        error = GetLastError();
        if (!Retryable(error)) break;
        Sleep(25);
    }
    // Held for longer (an editor, a sync client that shares reading and writing but not deletion): written
    // where it stands, as the profile functions would.
    if (existing.exists && Retryable(error)) return InPlaceWithCopy(file.get(), temp, target, bytes);
    DropOrKeep(file.get(), target);
    SetLastError(error);
    return false;
}

namespace {
// A path in the caller's spelling again: without the "\\?\" form the file layer added, which the user
// never typed.
PathString AsCallerSpells(const PathString& extended, const PathString& original) {
    if (original.rfind(L"\\\\?\\", 0) == 0) return extended;
    if (extended.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + extended.substr(8);
    if (extended.rfind(L"\\\\?\\", 0) == 0) return extended.substr(4);
    return extended;
}
}  // namespace

KeptCopy TakeUpKeptCopy(const PathString& path) {
    const ExistingFile existing = Inspect(path);
    const PathString& target = existing.target;
    bool listed = false;
    const std::vector<TempFile> temps = AbandonedTemps(target, &listed);
    const TempFile* newest = nullptr;
    auto newer = [](const TempFile& a, const TempFile* b) {
        return !b || CompareFileTime(&a.written, &b->written) > 0;
    };
    for (const TempFile& temp : temps) {
        if (temp.whole && newer(temp, newest)) newest = &temp;
    }
    KeptCopy kept;
    if (!newest) {
        // A rename that was cut off: only where nothing at all stands under the name.
        if (existing.exists) return kept;
        if (!existing.known || !listed) {
            kept.state = KeptCopy::Unknown;
            return kept;
        }
        for (const TempFile& temp : temps) {
            if (newer(temp, newest)) newest = &temp;
        }
    }
    if (!newest) return kept;
    kept.copy = AsCallerSpells(newest->path, path);
    kept.state = Files::Move(newest->path, target, newest->whole) ? KeptCopy::Moved : KeptCopy::Stranded;
    return kept;
}

void SetBeforeReplaceHookForTesting(BeforeReplaceHook hook) { g_beforeReplace = hook; }

}  // namespace Os
