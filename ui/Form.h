#pragma once
// A top-level window built from a stored layout (sizes at 96 DPI), with the lifecycle events the forms
// implement: FormShow (before the first time the window becomes visible and at every later show),
// FormActivate (whenever it becomes the program's active window), FormClose; FormCreate is called by the
// form itself at the end of construction, FormDestroy through RunFormDestroy, exactly once: by the form's
// destructor, or earlier by the application when the session ends. The mouse on the form's own area is
// decoded here: a left press holds the mouse until its release, and the form hears FormMouseDown,
// FormMouseMove (while a button is held), FormMouseUp (once per press, however it ended) and FormDblClick.
#include <string>
#include <vector>

#include "ui/Control.h"
#include "ui/Handles.h"

class TButton;
class TTimer;
class TPopupMenu;

enum class TBorderStyle { bsNone, bsSizeable, bsDialog };
enum class TPosition { poDesigned, poScreenCenter };
enum class TFormStyle { fsNormal, fsStayOnTop };

constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

struct FormDesign {
    const wchar_t* ClassName;
    const char* Caption;  // code page 932
    int Left, Top;        // screen pixels
    int ClientWidth, ClientHeight;
    TBorderStyle BorderStyle;
    TPosition Position;
    COLORREF Color;  // 0x00BBGGRR, or kSystemColor | COLOR_xxx
    const wchar_t* FontName;
    int FontHeight;  // at 96 DPI, negative: character height
};

// A colour value that names a system colour (COLOR_BTNFACE, …) rather than an RGB value.
constexpr COLORREF kSystemColor = 0x80000000u;
COLORREF ResolveColor(COLORREF color);

class TForm : public TWindow {
public:
    ~TForm() override;

    int Left() const;
    int Top() const;
    void SetLeft(int left);
    void SetTop(int top);
    int Dpi() const { return dpi_; }
    int Scale(int value96) const { return ScaleForDpi(value96, dpi_); }

    void SetCaption(std::string_view cp932);
    std::string Caption() const;
    // Changes the border and gives the window its new size (pixels) in the same move.
    void SetBorderStyle(TBorderStyle style, int width, int height);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetClientSize96(int width, int height);
    void SetColor(COLORREF color);
    COLORREF Color() const { return color_; }
    HFONT Font() const { return font_.get(); }
    HBRUSH BackgroundBrush() const { return brush_.get(); }

    // Stay on top of other programs' windows, or not; neither moves nor activates the window.
    void SetFormStyle(TFormStyle style);

    // Runs FormDestroy unless it has already run to its end. A FormDestroy that waits for the user (a message
    // box) can be entered once more meanwhile, by the end of the session, and must then finish the rest.
    void RunFormDestroy();

    void Show();
    void Hide();
    void Close();  // as the user closing the window
    int ShowModal();
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    bool IsModal() const { return modal_; }

    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu) { popupMenu_ = menu; }

    // Whether the form works as a dialog: it answers the dialog keys and keeps a focused control.
    bool WantsDialogKeys() const { return dialogKeys_; }

    // The keyboard of a dialog, for a key message bound for this form or one of its controls: Tab and
    // Shift+Tab move between the tab stops; Enter presses the focused button, else the default button; Escape
    // presses the cancel button; Shift+F10 and the context-menu key open the popup menu of the focused control.
    // Enter and Escape do nothing more on a form without such a button. True when the message was used up.
    bool HandleDialogKey(const MSG& msg);
    // The buttons that answer Enter and Escape wherever the focus is (set by the buttons themselves).
    void SetDefaultButton(TButton* button) { defaultButton_ = button; }
    void SetCancelButton(TButton* button) { cancelButton_ = button; }
    // Told by a control of this form that it has received the keyboard focus.
    void ControlFocused(HWND control);

    void AddControl(TControl& control);
    void AddTimer(TTimer& timer);

protected:
    // Creates the window from its design, hidden. Owner: the window that owns this one (no task-bar button
    // of its own when set).
    bool CreateForm(const FormDesign& design, HWND owner, bool dialogKeys);

    // Takes another DPI: the font and the controls, the window's new rectangle when one is given, then
    // FormDpiChanged.
    void ChangeDpi(int dpi, const RECT* rect = nullptr);

    virtual void FormShow() {}
    virtual void FormActivate() {}
    virtual void FormClose() {}
    virtual void FormDestroy() {}
    virtual void FormMouseDown(int /*x*/, int /*y*/) {}  // client coordinates
    virtual void FormMouseMove(int /*x*/, int /*y*/) {}
    virtual void FormMouseUp() {}
    virtual void FormDblClick() {}
    virtual void FormDpiChanged() {}
    // Called when the system's colours, theme or settings changed (a high-contrast theme switched on or off):
    // brushes taken from system colours are made anew and the form is painted again.
    virtual void FormColorsChanged();

    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The mouse messages on the form's own area; true when the message is answered.
    bool HandleMouse(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void EndMouse();
    void RebuildFont();
    void PlaceControls();
    DWORD StyleFor(TBorderStyle style) const;
    // The focus model of a dialog: the control that had the focus gets it back whenever the form becomes
    // active again; the first time, the first tab stop gets it.
    bool OwnsFocus(HWND hwnd) const;
    HWND FirstTabStop() const;
    bool RestoreFocus();
    void MoveFocus(HWND control);
    void ShowDefaultButton(HWND focus);

    const FormDesign* design_ = nullptr;
    TBorderStyle borderStyle_ = TBorderStyle::bsSizeable;
    COLORREF color_ = 0;
    BrushHandle brush_;
    FontHandle font_;
    int dpi_ = 96;
    int modalResult_ = mrNone;
    bool modal_ = false;
    bool dialogKeys_ = false;
    bool formDestroyed_ = false;
    bool mouseHeld_ = false;  // a press on the form whose FormMouseUp is still due
    TPopupMenu* popupMenu_ = nullptr;
    TButton* defaultButton_ = nullptr;
    TButton* cancelButton_ = nullptr;
    HWND focused_ = nullptr;  // the control that had the focus last
    UINT swallowKeyUp_ = 0;   // the key whose release belongs to a key this form used
    std::vector<TControl*> controls_;
    std::vector<TTimer*> timers_;
};
