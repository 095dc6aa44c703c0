#include <windows.h>

#include <algorithm>
#include <cwctype>

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

// Windows promises that append-only writes to a local file never overwrite each other, but not every
// Windows-compatible system keeps that promise across processes. A mutex named after the file makes the
// one append write exclusive everywhere.
std::wstring AppendMutexName(const PathString& path) {
    unsigned long long hash = 1469598103934665603ull;
    for (wchar_t c : path) {
        hash ^= static_cast<unsigned long long>(towlower(c));
        hash *= 1099511628211ull;
    }
    wchar_t name[64];
    wsprintfW(name, L"Local\\Horvane2010.append.%08x%08x", static_cast<unsigned>(hash >> 32),
              static_cast<unsigned>(hash));
    return name;
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

bool IsReadOnlyFile(const PathString& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}
}  // namespace

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
    HandleCloser file{CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
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

bool FileExists(const PathString& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool ReplaceFileBytes(const PathString& path, std::string_view bytes) {
    // A read-only settings file refuses the write, as the profile functions do.
    if (IsReadOnlyFile(path)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    RemoveAbandonedTemps(path);
    wchar_t suffix[32];
    wsprintfW(suffix, L".~%lu.tmp", GetCurrentProcessId());
    const std::wstring temp = path + suffix;
    bool ok = false;
    {
        HandleCloser file{
            CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
        if (file.h == INVALID_HANDLE_VALUE) return false;
        ok = true;
        size_t done = 0;
        while (ok && done < bytes.size()) {
            DWORD n = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
            ok = WriteFile(file.h, bytes.data() + done, chunk, &n, nullptr) && n == chunk;
            done += n;
        }
        ok = ok && FlushFileBuffers(file.h);
    }
    if (ok && g_beforeReplace && !g_beforeReplace()) ok = false;
    if (ok) {
        // Another program may hold the old file open for a moment (a viewer, a virus scanner): retry briefly.
        ok = false;
        for (int attempt = 0; attempt < 20 && !ok; ++attempt) {
            ok = MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
            if (!ok) {
                const DWORD error = GetLastError();
                if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) break;
                Sleep(25);
            }
        }
    }
    if (!ok) {
        const DWORD error = GetLastError();
        DeleteFileW(temp.c_str());
        SetLastError(error);
    }
    return ok;
}

bool AppendFileBytes(const PathString& path, std::string_view bytes) {
    HandleCloser mutex{CreateMutexW(nullptr, FALSE, AppendMutexName(path).c_str())};
    const bool locked = mutex.h && WaitForSingleObject(mutex.h, 5000) != WAIT_FAILED;
    bool ok = false;
    {
        HandleCloser file{CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr)};
        if (file.h != INVALID_HANDLE_VALUE) {
            DWORD n = 0;
            ok = WriteFile(file.h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) && n == bytes.size();
        }
    }
    if (locked) ReleaseMutex(mutex.h);
    return ok;
}

void SetBeforeReplaceHookForTesting(BeforeReplaceHook hook) { g_beforeReplace = hook; }

}  // namespace Os
