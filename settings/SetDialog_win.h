#pragma once
// The settings dialog: stay on top, the task-bar title mode and the clock's colour. It works on its own
// copies of the three values it is given; its owner reads them back after OK.
#include <cstdint>

#include "core/Path.h"
#include "ui/BitBtn.h"
#include "ui/Bevel.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/Edit.h"
#include "ui/Form.h"
#include "ui/Label.h"

class TSetDialog : public TForm {
public:
    TSetDialog(TForm& owner, bool stayOnTop, int32_t taskBarMode, uint32_t backColor);

    TCheckBox CheckBoxFront;
    TLabel Label1;
    TBitBtn BitBtn1;
    TButton ButtonOK;
    TButton ButtonCancel;
    TLabel Label2;
    TEdit EditColor;
    TBevel Bevel2;

    // The title mode being edited (0, 1 or 2; other values pass through untouched until BitBtn1 is clicked).
    int32_t TaskBarMode = 0;

    void BitBtn1Click();
    void ButtonOKClick() {}
    void EditColorDblClick();

    // The shell's small icon for a file name (nullptr when it gives none); tests replace it.
    using FileIconSource = HICON (*)(const PathString& path);
    static void SetFileIconSourceForTesting(FileIconSource source);

protected:
    void FormDpiChanged() override { SetGlyphFromShell(); }

private:
    void CreateComponents(HWND owner);
    void SetGlyphFromShell();
    void ShowModeSample();
};
