#pragma once
// The base of every window object. A window object owns its HWND (destroys it with itself) and receives
// its messages through one static window procedure: windows of the program's own classes are bound at
// WM_NCCREATE, standard controls are subclassed. A container reflects WM_COMMAND, WM_NOTIFY and the
// colour messages back to the child's object, so forms never switch on control ids.
//
// Exception policy: nothing escapes a window procedure. An exception thrown by a handler ends that handler
// and is reported by the application's error handler; the program goes on.
#include <windows.h>

#include <exception>
#include <string>

#include "ui/Wide.h"

class TWindow {
public:
    TWindow() = default;
    virtual ~TWindow();
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    HWND Handle() const { return handle_; }
    static TWindow* FromHandle(HWND hwnd);

    void DestroyHandle();

protected:
    // Creates a window of one of the program's own classes (registered on first use).
    bool CreateOwnWindow(const wchar_t* className, UINT classStyle, DWORD exStyle, DWORD style, int x, int y, int w,
                         int h, HWND parent, HMENU menuOrId, const wchar_t* caption = L"");
    // Creates a standard control (BUTTON, EDIT, SysListView32, …) and subclasses it.
    bool CreateControlWindow(const wchar_t* className, DWORD exStyle, DWORD style, int x, int y, int w, int h,
                             HWND parent, UINT id);

    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    // A message reflected from the parent (WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR*, WM_DRAWITEM). Return true
    // and set result when handled.
    virtual bool HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Called after WM_NCDESTROY; the handle is gone.
    virtual void HandleDestroyed() {}

private:
    static LRESULT CALLBACK OwnWindowProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ControlSubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void Attach(HWND hwnd);

    HWND handle_ = nullptr;
    bool subclassed_ = false;
};

// Reports an error that ended a handler (a message box with its text). Set by the application object.
using ErrorReporter = void (*)(const std::wstring& text);
void SetErrorReporter(ErrorReporter reporter);
void ReportHandlerError(const std::wstring& text);

// Runs one handler's work; an error it raises is reported and ends only that work. False when it raised.
template <class Work>
bool RunReportingErrors(Work&& work) {
    try {
        work();
        return true;
    } catch (const std::exception& e) {
        ReportHandlerError(Widen(e.what()));
    } catch (...) {
        ReportHandlerError(L"予期しないエラーです");
    }
    return false;
}
