#pragma once
// The application object: a hidden window that owns the program's task-bar button (its caption is the
// application title, the button's text), the program's message loop, minimising and restoring the
// application as a whole, and the error handler that reports a handler's failure in a message box.
#include <string>
#include <vector>

#include "ui/Window.h"

class TForm;
class TApplicationEvents;

class TApplication : public TWindow {
public:
    static TApplication& Instance();

    // Creates the task-bar window with its title (the button's text) and shows it, minimised when the
    // program was started with a minimised show command. Call once, before any form.
    void Initialize(std::string_view titleCp932 = {});
    void SetTitle(std::string_view cp932);
    std::string Title() const;

    void SetMainForm(TForm* form) { mainForm_ = form; }

    // Shows the main form (unless the application started minimised) and runs the message loop until the
    // main form is closed or the program terminated.
    void Run();
    void ProcessMessage(MSG& msg);
    void Terminate();
    // True once the program is ending: code that runs after a modal loop returned does nothing more then.
    bool Terminated() const { return terminated_; }
    // The one end of every path (the main form closed by the menu or the task bar, the end of the session):
    // every modal loop is ended (the program's forms answer Cancel, system dialogs as by Escape), every live
    // form runs its FormDestroy once, newest first, and the program terminates. The loops unwind once the
    // current message is answered. It may be entered again while a FormDestroy waits for the user.
    void EndSession();

    void Minimize();
    void Restore();
    bool IsMinimized() const;

    // A modal message box, owned by the program's active form when it is shown, else by the main form when
    // it is shown, else by the task-bar window: never a window of its own on the task bar.
    int ShowMessageBox(std::string_view text, std::string_view caption, UINT flags);
    int ShowMessageBox(const std::wstring& text, UINT flags);  // captioned with the title
    void ShowError(const std::wstring& text);
    HWND MessageBoxOwner() const;

    // Form bookkeeping (called by TForm).
    bool SetActiveForm(TForm* form);  // true when the program's active form changed
    TForm* ActiveForm() const { return activeForm_; }
    void FormCreated(TForm* form);
    void FormClosed(TForm* form);
    void FormDestroyed(TForm* form);
    void AddEvents(TApplicationEvents* events);
    void RemoveEvents(TApplicationEvents* events);
    std::vector<HWND> DisableOtherWindows(HWND except);
    void EnableWindows(const std::vector<HWND>& windows);

    // For tests: whether the program was started with a minimised show command.
    static bool StartedMinimized();

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TApplication() = default;
    void ShowMainForm();
    void Minimized();
    void Restored(bool maximized);
    // A system command that Windows ignores while a modal dialog has this window disabled.
    bool IgnoredWhileDisabled(WPARAM command);

    TForm* mainForm_ = nullptr;
    TForm* activeForm_ = nullptr;
    std::vector<TForm*> forms_;  // live forms, oldest first
    std::vector<TApplicationEvents*> events_;
    bool terminated_ = false;
    // The task-bar window's own state. Windows hides and shows the owned clock itself around a minimise
    // and a restore, before the WM_SIZE, so the clock's visibility says nothing about which came last.
    bool minimized_ = false;
};
