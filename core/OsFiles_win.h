#pragma once
// The Windows file layer's own calls, shared by Os_win.cpp and FileReplace_win.cpp. Each file-system call
// of a read or a save goes through one of these, so that a test can make any one of them fail as the system
// would (SetFileFaultForTesting); the error is then in GetLastError() as after the real call.
#include <windows.h>

#include <string>
#include <string_view>

#include "core/Os.h"
#include "core/WinHandle_win.h"

namespace Os::Files {

// The full path in the form that lifts the MAX_PATH limit ("\\?\C:\..." or "\\?\UNC\server\...").
std::wstring ExtendedPath(const PathString& path);

UniqueHandle Open(FileCall call, const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags);
bool Read(HANDLE file, void* buffer, DWORD size, DWORD* done);
bool WriteAll(HANDLE file, std::string_view bytes);  // false unless every byte was written
bool Flush(HANDLE file);
bool Truncate(HANDLE file);
DWORD Attributes(const std::wstring& path);  // INVALID_FILE_ATTRIBUTES on failure
bool GetInformation(HANDLE file, BY_HANDLE_FILE_INFORMATION* info);
// Renames the open file (opened with DELETE) to `target` (a "\\?\" path), replacing a file there when
// `replace`.
bool RenameOpenFile(HANDLE file, const std::wstring& target, bool replace);
bool Move(const std::wstring& from, const std::wstring& to, bool replace);
// Marks the open file (opened with DELETE) for deletion at its close.
bool DeleteOpenFile(HANDLE file);
bool Delete(const std::wstring& path);
HANDLE FindFirst(const std::wstring& pattern, WIN32_FIND_DATAW* found);  // INVALID_HANDLE_VALUE on failure

// "Not found": of the file, or of a folder on its path.
inline bool IsNotFound(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

}  // namespace Os::Files
