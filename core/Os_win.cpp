#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>

#include <algorithm>

#include "core/Os.h"

namespace Os {
namespace {
BeforeReplaceHook g_beforeReplace = nullptr;

struct HandleCloser {
    HANDLE h;
    ~HandleCloser() {
        if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

// The full path in the form that lifts the MAX_PATH limit ("\\?\C:\..." or "\\?\UNC\server\..."): a save adds a
// temporary name to the file's, which must work even when the file's own path is near that limit, and a file
// that was saved must read again.
std::wstring ExtendedPath(const PathString& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0) return path;
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    const DWORD n = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (n == 0 || n >= size) return path;
    full.resize(n);
    if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) return full;  // a device ("CON")
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    if (full.size() < 3 || full[1] != L':') return path;
    return L"\\\\?\\" + full;
}

// The file's path in one form: full (no "..", backslashes), long names where the path exists, upper case.
std::wstring CanonicalPath(const PathString& path) {
    std::wstring full(MAX_PATH, L'\0');
    DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n >= full.size()) {
        full.resize(n);
        n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    full.resize(n < full.size() ? n : 0);
    if (full.empty()) full = path;
    // The file may not exist yet: then its folder gives the long form.
    auto longForm = [](const std::wstring& p) {
        std::wstring result(MAX_PATH, L'\0');
        DWORD m = GetLongPathNameW(p.c_str(), result.data(), static_cast<DWORD>(result.size()));
        if (m >= result.size()) {
            result.resize(m);
            m = GetLongPathNameW(p.c_str(), result.data(), static_cast<DWORD>(result.size()));
        }
        result.resize(m < result.size() ? m : 0);
        return result;
    };
    std::wstring canonical = longForm(full);
    if (canonical.empty()) {
        const size_t slash = full.find_last_of(L'\\');
        const std::wstring folder = slash == std::wstring::npos ? std::wstring() : longForm(full.substr(0, slash));
        canonical = folder.empty() ? full : folder + full.substr(slash);
    }
    if (!canonical.empty()) CharUpperBuffW(canonical.data(), static_cast<DWORD>(canonical.size()));
    return canonical;
}

bool ProcessIsGone(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
    const bool gone = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return gone;
}

// A save that was killed leaves its temporary file behind; the next save clears away those of processes
// that are gone.
void RemoveAbandonedTemps(const PathString& path) {
    const PathString folder = ExtractFilePath(path);
    const PathString name = path.substr(folder.size());
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L".~*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const unsigned long pid = TempFileOwner(found.cFileName, name);
        if (pid != 0 && pid != GetCurrentProcessId() && ProcessIsGone(pid)) {
            DeleteFileW((folder + found.cFileName).c_str());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// What a save must know of the file it replaces.
struct ExistingFile {
    bool exists = false;
    DWORD attributes = 0;
    DWORD links = 1;
    FILETIME created{};
    PathString target;  // where the bytes go: the file's final path (a symbolic link's target), "\\?\" form
};

ExistingFile Inspect(const PathString& path) {
    ExistingFile file;
    file.target = ExtendedPath(path);
    HandleCloser handle{CreateFileW(file.target.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
    if (handle.h == INVALID_HANDLE_VALUE) return file;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle.h, &info)) return file;
    file.exists = true;
    file.attributes = info.dwFileAttributes;
    file.links = info.nNumberOfLinks;
    file.created = info.ftCreationTime;
    // The path the handle really reached: through a symbolic link (which not every system marks as a reparse
    // point) to its target, so that the save replaces the target and the link stays.
    std::wstring final(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(handle.h, final.data(), static_cast<DWORD>(final.size()), 0);
    if (n >= final.size()) {
        final.resize(n + 1);
        n = GetFinalPathNameByHandleW(handle.h, final.data(), static_cast<DWORD>(final.size()), 0);
    }
    if (n > 0 && n < final.size()) {
        final.resize(n);
        file.target = ExtendedPath(final);
    }
    return file;
}

// The attributes a user sets on a file that the replacing file takes over (read-only never gets this far).
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool WriteAllBytes(HANDLE file, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        if (!WriteFile(file, bytes.data() + done, chunk, &n, nullptr) || n != chunk) return false;
        done += n;
    }
    return true;
}

// Writes over the file where it stands, as the profile functions do: for a file with several hard links
// (a new file would leave the other names with the old bytes), for a folder that allows no new file, and for a
// file that another program holds open without letting it be replaced. Not crash-safe, so only where
// replacing cannot work. Others may share the file for reading and writing, as such a holder does.
enum class InPlace { Written, NotOpened, Failed };
InPlace WriteInPlace(const PathString& path, std::string_view bytes) {
    HandleCloser file{CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.h == INVALID_HANDLE_VALUE) return InPlace::NotOpened;
    return WriteAllBytes(file.h, bytes) && SetEndOfFile(file.h) && FlushFileBuffers(file.h) ? InPlace::Written
                                                                                            : InPlace::Failed;
}

// What a replacing file would otherwise lose that the user or an administrator set on the old one: who may
// do what with it (its own access entries, and whether it takes those of its folder), and when it was made.
// Only where the system lets this program read them; the new file otherwise keeps its folder's defaults.
void CarryOver(const ExistingFile& existing, const std::wstring& temp) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(existing.target.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &dacl, nullptr, &descriptor) == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        GetSecurityDescriptorControl(descriptor, &control, &revision);
        const SECURITY_INFORMATION what =
            DACL_SECURITY_INFORMATION | ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                       : UNPROTECTED_DACL_SECURITY_INFORMATION);
        SetNamedSecurityInfoW(const_cast<wchar_t*>(temp.c_str()), SE_FILE_OBJECT, what, nullptr, nullptr, dacl,
                              nullptr);
        LocalFree(descriptor);
    }
    HandleCloser file{CreateFileW(temp.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr)};
    if (file.h != INVALID_HANDLE_VALUE) SetFileTime(file.h, &existing.created, nullptr, nullptr);
}

bool Retryable(DWORD error) { return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION; }
}  // namespace

std::u16string Cp932ToUtf16(std::string_view text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string result(static_cast<size_t>(std::max(n, 0)), u'\0');
    MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), reinterpret_cast<wchar_t*>(result.data()),
                        n);
    return result;
}

std::string Utf16ToCp932(std::u16string_view text) {
    if (text.empty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int n = WideCharToMultiByte(932, 0, wide, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(std::max(n, 0)), '\0');
    WideCharToMultiByte(932, 0, wide, static_cast<int>(text.size()), result.data(), n, nullptr, nullptr);
    return result;
}

PathString ExePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

LocalTime LocalNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

std::optional<std::string> ReadFileBytes(const PathString& path) {
    HandleCloser file{CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (file.h == INVALID_HANDLE_VALUE) return std::nullopt;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.h, &size) || size.QuadPart > 0x7FFFFFFF) return std::nullopt;
    std::string content(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < content.size()) {
        DWORD n = 0;
        if (!ReadFile(file.h, content.data() + done, static_cast<DWORD>(content.size() - done), &n, nullptr)) {
            return std::nullopt;
        }
        if (n == 0) break;
        done += n;
    }
    content.resize(done);
    return content;
}

bool FileExists(const PathString& path) {
    return GetFileAttributesW(ExtendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReplaceFileBytes(const PathString& path, std::string_view bytes) {
    const ExistingFile existing = Inspect(path);
    // A read-only settings file refuses the write, as the profile functions do.
    if (existing.exists && (existing.attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    const PathString& target = existing.target;
    if (existing.exists && existing.links > 1) return WriteInPlace(target, bytes) == InPlace::Written;
    wchar_t suffix[32];
    wsprintfW(suffix, L".~%lu.tmp", GetCurrentProcessId());
    const std::wstring temp = target + suffix;
    bool ok = false;
    {
        const DWORD attributes = existing.exists ? (existing.attributes & kKeptAttributes) : 0;
        HandleCloser file{CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr)};
        if (file.h == INVALID_HANDLE_VALUE) {
            // A folder that takes no new file (the user may write the file but not the folder): the file itself
            // is still written, as the profile functions would.
            const DWORD error = GetLastError();
            if (existing.exists && error == ERROR_ACCESS_DENIED) return WriteInPlace(target, bytes) == InPlace::Written;
            SetLastError(error);
            return false;
        }
        ok = WriteAllBytes(file.h, bytes) && FlushFileBuffers(file.h);
    }
    const bool whole = ok;
    if (ok && existing.exists) CarryOver(existing, temp);
    if (ok && g_beforeReplace && !g_beforeReplace()) ok = false;
    DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    if (ok) {
        // One rename that replaces the old file: the name names the old file or the new one at every moment,
        // even if the process dies there. (ReplaceFileW may leave the name empty for a moment.) Another
        // program may hold the old file open for a moment (a viewer, a virus scanner): retry briefly.
        for (int attempt = 0; attempt < 20; ++attempt) {
            ok = MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
            error = ok ? ERROR_SUCCESS : GetLastError();
            if (ok || !Retryable(error)) break;
            Sleep(25);
        }
        if (ok) {
            // Only now that a whole file stands under the name, never while one of them might be its one copy.
            RemoveAbandonedTemps(target);
            return true;
        }
        // Held for longer (an editor, a sync client that shares reading and writing but not deletion): written
        // where it stands, as the profile functions would.
        if (existing.exists && Retryable(error)) {
            const InPlace written = WriteInPlace(target, bytes);
            if (written == InPlace::Failed) return false;  // half written: the temporary file is the whole copy
            ok = written == InPlace::Written;
        }
    }
    // The temporary file goes only while a file stands under the name: it may be the one whole copy.
    const ExistingFile now = Inspect(target);
    if (!whole || (now.exists && !(now.attributes & FILE_ATTRIBUTE_DIRECTORY))) DeleteFileW(temp.c_str());
    SetLastError(error);
    return ok;
}

// Windows promises that append-only writes to a local file never overwrite each other, but not every
// Windows-compatible system keeps that promise across processes. A mutex named after the file makes the
// one append write exclusive everywhere.
PathString AppendLockName(const PathString& path) {
    unsigned long long hash = 1469598103934665603ull;
    for (wchar_t c : CanonicalPath(path)) {
        hash ^= static_cast<unsigned long long>(c);
        hash *= 1099511628211ull;
    }
    wchar_t name[64];
    wsprintfW(name, L"Local\\Horvane2010.append.%08x%08x", static_cast<unsigned>(hash >> 32),
              static_cast<unsigned>(hash));
    return name;
}

bool AppendFileBytes(const PathString& path, const std::function<std::string()>& make, int maxWaitMilliseconds) {
    HandleCloser mutex{CreateMutexW(nullptr, FALSE, AppendLockName(path).c_str())};
    const DWORD wait =
        mutex.h ? WaitForSingleObject(mutex.h, static_cast<DWORD>(std::max(maxWaitMilliseconds, 0))) : WAIT_FAILED;
    // Abandoned: its last holder died holding it; it is ours now all the same.
    const bool locked = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    bool ok = false;
    {
        HandleCloser file{CreateFileW(ExtendedPath(path).c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr)};
        if (file.h != INVALID_HANDLE_VALUE) {
            const std::string bytes = make();
            DWORD n = 0;
            ok = WriteFile(file.h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) && n == bytes.size();
        }
    }
    if (locked) ReleaseMutex(mutex.h);
    return ok;
}

bool AppendFileBytes(const PathString& path, std::string_view bytes) {
    return AppendFileBytes(
        path, [bytes] { return std::string(bytes); }, 5000);
}

void SetBeforeReplaceHookForTesting(BeforeReplaceHook hook) { g_beforeReplace = hook; }

}  // namespace Os
