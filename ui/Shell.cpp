#include "ui/Shell.h"

#include "ui/SystemLibraries.h"

namespace {
// The editor is taken by its full path in the system folders, never found by a search.
void OpenInTextEditor(const std::wstring& path) {
    using FolderFunction = UINT(WINAPI*)(LPWSTR, UINT);
    for (const FolderFunction folder : {FolderFunction{GetSystemDirectoryW}, FolderFunction{GetWindowsDirectoryW}}) {
        wchar_t dir[MAX_PATH];
        const UINT length = folder(dir, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) continue;
        const std::wstring editor = std::wstring(dir, length) + L"\\notepad.exe";
        if (GetFileAttributesW(editor.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        std::wstring command = L"\"" + editor + L"\" \"" + path + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(editor.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        return;
    }
}
}  // namespace

void OpenDocument(const std::wstring& path) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = path.c_str();
    info.nShow = SW_SHOW;
    if (ShellExecuteExLate(&info)) return;
    if (GetLastError() == ERROR_NO_ASSOCIATION || info.hInstApp == reinterpret_cast<HINSTANCE>(SE_ERR_NOASSOC)) {
        OpenInTextEditor(path);
    }
}

void RunFile(const std::wstring& path) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.lpFile = path.c_str();
    info.nShow = SW_SHOW;
    ShellExecuteExLate(&info);
}
