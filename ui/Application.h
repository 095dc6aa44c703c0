#pragma once
// The application object: a hidden window that owns the program's task-bar button (its caption is the
// application title, the button's text), the program's message loop, minimising and restoring the
// application as a whole, and the error handler that reports a handler's failure in a message box.
#include <functional>
#include <string>
#include <vector>

#include "ui/Window.h"

class TForm;

class TApplication : public TWindow {
public:
    static TApplication& Instance();

    // Creates the task-bar window with its title (the button's text) and shows it, minimised when the
    // program was started with a minimised show command. Call once, before any form.
    void Initialize(std::string_view titleCp932 = {});
    void SetTitle(std::string_view cp932);
    std::string Title() const;

    void SetMainForm(TForm* form) { mainForm_ = form; }
    TForm* MainForm() const { return mainForm_; }

    // Shows the main form (unless the application started minimised) and runs the message loop until the
    // main form is closed or the program terminated.
    void Run();
    void ProcessMessage(MSG& msg);
    void Terminate();
    bool Terminated() const { return terminated_; }

    void Minimize();
    void Restore();
    bool IsMinimized() const;

    // TApplicationEvents: told after the application was minimised or restored, whatever caused it.
    std::function<void()> OnMinimize;
    std::function<void()> OnRestore;
    // Messages the task-bar window receives that the program wants to see first (the end of the session).
    std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> OnMessage;

    // A modal message box owned by the program's active window.
    int ShowMessageBox(std::string_view text, std::string_view caption, UINT flags);
    void ShowError(const std::wstring& text);

    // Form bookkeeping (called by TForm).
    bool SetActiveForm(TForm* form);  // true when the program's active form changed
    TForm* ActiveForm() const { return activeForm_; }
    void FormClosed(TForm* form);
    void FormDestroyed(TForm* form);
    std::vector<HWND> DisableOtherWindows(HWND except);
    void EnableWindows(const std::vector<HWND>& windows);

    // For tests: whether the program was started with a minimised show command.
    static bool StartedMinimized();

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TApplication() = default;
    void ShowMainForm();

    TForm* mainForm_ = nullptr;
    TForm* activeForm_ = nullptr;
    bool terminated_ = false;
};
