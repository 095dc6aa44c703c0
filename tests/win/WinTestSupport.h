#pragma once
// What the form tests share: reading child windows, running the message loop, answering modal windows from
// inside their loops, the settings file beside the test program, and a fixed clock.
#include <windows.h>

#include <functional>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "core/LocalTime.h"
#include "tools/driver/Driver.h"
#include "tests/support/TestSupport.h"
#include "ui/Control.h"
#include "ui/Form.h"

// A plain form to own the dialogs under test.
class THostForm : public TForm {
public:
    THostForm();
};

inline bool operator==(const Bounds96& a, const Bounds96& b) {
    return a.Left == b.Left && a.Top == b.Top && a.Width == b.Width && a.Height == b.Height;
}
inline void PrintTo(const Bounds96& b, std::ostream* os) {
    *os << "{" << b.Left << ", " << b.Top << ", " << b.Width << " x " << b.Height << "}";
}

// A child's place in its parent's client area, in pixels.
Bounds96 PlaceOf(HWND child);
// A designed place at a DPI.
Bounds96 Scaled(const Bounds96& design, int dpi);
// The children of a window in Z order, which is the order Tab visits them in.
std::vector<HWND> ChildrenOf(HWND parent);
std::wstring ClassOf(HWND hwnd);
std::string TextOf(HWND hwnd);  // code page 932
bool HasStyle(HWND hwnd, DWORD style);
SIZE ClientSize(HWND hwnd);

// Clicks a button, check box or radio button as the user would. Real input (Driver::Click, KeyChord) goes
// through the system as the user's does; keys reach whichever window has the focus when they are read.
void Click(const TControl& control);

// Handles the messages waiting now, as the application's loop would.
void PumpMessages();
// Handles messages until `condition` holds or the time-out has passed; true when it held.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 3000);

// The shown window of this thread with that class (and caption, when given), or nullptr.
HWND FindShownWindow(const wchar_t* className, const char* captionCp932 = nullptr);
// Clicks a button of a system dialog or message box as the user would.
void ClickDialogButton(HWND dialog, int id);

// Steps run one after the other on this thread while a modal loop (a form's, a message box's, the colour
// chooser's) waits: each is tried every 20 ms until it returns true. If a modal loop still runs when the
// script's time is up, the window in front is closed over and over so that the test ends instead of hanging
// (TimedOut() tells).
class ModalScript {
public:
    explicit ModalScript(std::vector<std::function<bool()>> steps, int timeoutMs = 5000);
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;
    bool Done() const { return next_ == steps_.size(); }
    bool TimedOut() const { return timedOut_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    std::vector<std::function<bool()>> steps_;
    size_t next_ = 0;
    DWORD deadline_;
    bool timedOut_ = false;
    UINT_PTR timer_;
};

// The settings file the forms use: win_tests.ini beside the test program.
void RemoveSettingsFile();
std::string ReadSettingsFile();
void WriteSettingsFile(const std::string& bytes);
