#include <windows.h>

#include <algorithm>
#include <vector>

#include "core/Os.h"
#include "core/OsFileCalls.h"
#include "core/OsFiles_win.h"

namespace Os {
namespace Files {
namespace {
// Fails the call as the system would when the test seam says so.
bool Injected(FileCall call) {
    DWORD error = ERROR_SUCCESS;
    switch (NextFileCall(call)) {
        case FileFault::None:
            return false;
        case FileFault::NotFound:
            error = call == FileCall::Create ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
            break;
        case FileFault::AccessDenied:
            error = call == FileCall::Truncate ? ERROR_USER_MAPPED_FILE : ERROR_ACCESS_DENIED;
            break;
        case FileFault::SharingViolation:
            error = call == FileCall::Read ? ERROR_LOCK_VIOLATION : ERROR_SHARING_VIOLATION;
            break;
        case FileFault::DiskFull:
        case FileFault::ShortWrite:
            error = ERROR_DISK_FULL;
            break;
    }
    SetLastError(error);
    return true;
}
}  // namespace

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

UniqueHandle Open(FileCall call, const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    if (Injected(call)) return UniqueHandle();
    return UniqueHandle(CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr));
}

bool Read(HANDLE file, void* buffer, DWORD size, DWORD* done) {
    return !Injected(FileCall::Read) && ReadFile(file, buffer, size, done, nullptr);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        const FileFault fault = NextFileCall(FileCall::Write);
        if (fault == FileFault::ShortWrite) {
            WriteFile(file, bytes.data() + done, chunk / 2, &n, nullptr);
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        if (fault != FileFault::None) {
            SetLastError(fault == FileFault::AccessDenied ? ERROR_ACCESS_DENIED : ERROR_DISK_FULL);
            return false;
        }
        if (!WriteFile(file, bytes.data() + done, chunk, &n, nullptr) || n != chunk) return false;
        done += n;
    }
    return true;
}

bool Flush(HANDLE file) { return !Injected(FileCall::Flush) && FlushFileBuffers(file); }

bool Truncate(HANDLE file) { return !Injected(FileCall::Truncate) && SetEndOfFile(file); }

DWORD Attributes(const std::wstring& path) {
    return Injected(FileCall::Query) ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
}

bool GetInformation(HANDLE file, BY_HANDLE_FILE_INFORMATION* info) {
    return !Injected(FileCall::Query) && GetFileInformationByHandle(file, info);
}

bool RenameOpenFile(HANDLE file, const std::wstring& target, bool replace) {
    if (Injected(FileCall::Rename)) return false;
    // The call takes the system's own form of the path: "\??\C:\..." where Win32 says "\\?\C:\...".
    std::wstring native = target;
    if (native.rfind(L"\\\\?\\", 0) == 0) native.replace(0, 4, L"\\??\\");
    const size_t nameBytes = native.size() * sizeof(wchar_t);
    std::vector<ULONGLONG> buffer((sizeof(FILE_RENAME_INFO) + nameBytes) / sizeof(ULONGLONG) + 1, 0);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = replace ? TRUE : FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    native.copy(info->FileName, native.size());
    return SetFileInformationByHandle(file, FileRenameInfo, info,
                                      static_cast<DWORD>(buffer.size() * sizeof(ULONGLONG)));
}

bool Move(const std::wstring& from, const std::wstring& to, bool replace) {
    return !Injected(FileCall::Rename) &&
           MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0));
}

bool DeleteOpenFile(HANDLE file) {
    if (Injected(FileCall::Delete)) return false;
    FILE_DISPOSITION_INFO info{TRUE};
    return SetFileInformationByHandle(file, FileDispositionInfo, &info, sizeof info);
}

bool Delete(const std::wstring& path) { return !Injected(FileCall::Delete) && DeleteFileW(path.c_str()); }

HANDLE FindFirst(const std::wstring& pattern, WIN32_FIND_DATAW* found) {
    return Injected(FileCall::List) ? INVALID_HANDLE_VALUE : FindFirstFileW(pattern.c_str(), found);
}
}  // namespace Files

namespace {
using Files::ExtendedPath;

// The long form of a path that exists ("C:\PROGRA~1\..." becomes "C:\Program Files\..."), or nothing.
std::wstring LongPathOrEmpty(const std::wstring& path) {
    std::wstring result(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD n = GetLongPathNameW(path.c_str(), result.data(), static_cast<DWORD>(result.size()));
        if (n == 0) return {};
        if (n < result.size()) {
            result.resize(n);
            return result;
        }
        result.resize(n);
    }
    return {};
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
    std::wstring canonical = LongPathOrEmpty(full);
    if (canonical.empty()) {
        const size_t slash = full.find_last_of(L'\\');
        const std::wstring folder =
            slash == std::wstring::npos ? std::wstring() : LongPathOrEmpty(full.substr(0, slash));
        canonical = folder.empty() ? full : folder + full.substr(slash);
    }
    if (!canonical.empty()) CharUpperBuffW(canonical.data(), static_cast<DWORD>(canonical.size()));
    return canonical;
}

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

namespace {
PathString FindExePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    if (std::wstring longer = LongPathOrEmpty(buffer); !longer.empty()) buffer = std::move(longer);
    // The prefix only where it is not needed: a path that fits MAX_PATH reads the same without it.
    if (buffer.size() < MAX_PATH + 8) {
        if (buffer.rfind(L"\\\\?\\UNC\\", 0) == 0 && buffer.size() - 6 < MAX_PATH) {
            buffer = L"\\\\" + buffer.substr(8);
        } else if (buffer.rfind(L"\\\\?\\", 0) == 0 && buffer.size() > 6 && buffer[5] == L':' &&
                   buffer.size() - 4 < MAX_PATH) {
            buffer = buffer.substr(4);
        }
    }
    return buffer;
}
}  // namespace

// The settings and log names come from here: one executable started through a short name, or through a
// "\\?\" path, must still find the same files as a normal start. Found once: the long form asks the file
// system for every folder on the way, and the answer cannot change while the program runs.
PathString ExePath() {
    static const PathString path = FindExePath();
    return path;
}

LocalTime LocalNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

std::optional<std::string> ReadFileBytes(const PathString& path) {
    const UniqueHandle file =
        Files::Open(FileCall::Open, ExtendedPath(path), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (!file) return std::nullopt;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) return std::nullopt;
    std::string content(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < content.size()) {
        DWORD n = 0;
        if (!Files::Read(file.get(), content.data() + done, static_cast<DWORD>(content.size() - done), &n)) {
            return std::nullopt;
        }
        if (n == 0) break;
        done += n;
    }
    content.resize(done);
    return content;
}

bool FileExists(const PathString& path) {
    if (Files::Attributes(ExtendedPath(path)) != INVALID_FILE_ATTRIBUTES) return true;
    return !Files::IsNotFound(GetLastError());
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
    const UniqueHandle mutex(CreateMutexW(nullptr, FALSE, AppendLockName(path).c_str()));
    const DWORD wait =
        mutex ? WaitForSingleObject(mutex.get(), static_cast<DWORD>(std::max(maxWaitMilliseconds, 0))) : WAIT_FAILED;
    // Abandoned: its last holder died holding it; it is ours now all the same.
    const bool locked = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    bool ok = false;
    {
        const UniqueHandle file(CreateFileW(ExtendedPath(path).c_str(), FILE_APPEND_DATA,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            const std::string bytes = make();
            DWORD n = 0;
            ok =
                WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) && n == bytes.size();
        }
    }
    if (locked) ReleaseMutex(mutex.get());
    return ok;
}

bool AppendFileBytes(const PathString& path, std::string_view bytes) {
    return AppendFileBytes(
        path, [bytes] { return std::string(bytes); }, 5000);
}

}  // namespace Os
