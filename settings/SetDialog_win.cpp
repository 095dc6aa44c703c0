#include "settings/SetDialog_win.h"

#include <objbase.h>
#include <shellapi.h>

#include "core/Clock.h"
#include "core/ClockText.h"
#include "core/Os.h"
#include "forms/SetDialogLayout.h"
#include "ui/ColorDialog.h"
#include "ui/SystemLibraries.h"

namespace {
constexpr int GlyphSize = 16;

HICON ShellSmallIcon(const PathString& path) {
    // With SHGFI_USEFILEATTRIBUTES the shell does not open the file: it gives the icon it shows for a file
    // of that name and type.
    SHFILEINFOW sfi{};
    if (!ShGetFileInfoLate(path.c_str(), FILE_ATTRIBUTE_ARCHIVE, &sfi, sizeof sfi,
                           SHGFI_ICON | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON)) {
        return nullptr;
    }
    return sfi.hIcon;
}

TSetDialog::FileIconSource g_fileIconSource = ShellSmallIcon;

template <class Function>
Function* Ole32(const char* name) {
    HMODULE module = GetModuleHandleW(L"ole32.dll");
    if (!module) module = LoadSystemLibrary(L"ole32.dll");
    return module ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// The shell may use COM objects to find an icon: the thread is in a single-threaded apartment while it asks,
// and leaves it again afterwards unless it was in one already. COM is loaded only when the dialog needs it.
class ComApartment {
public:
    ComApartment() {
        auto* initialize = Ole32<decltype(CoInitializeEx)>("CoInitializeEx");
        uninitialize_ = Ole32<decltype(CoUninitialize)>("CoUninitialize");
        joined_ = initialize && uninitialize_ &&
                  SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    }
    ~ComApartment() {
        if (joined_) uninitialize_();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    decltype(CoUninitialize)* uninitialize_ = nullptr;
    bool joined_ = false;
};
}  // namespace

void TSetDialog::SetFileIconSourceForTesting(FileIconSource source) {
    g_fileIconSource = source ? source : ShellSmallIcon;
}

TSetDialog::TSetDialog(TForm& owner, bool stayOnTop, int32_t taskBarMode, uint32_t backColor) {
    CreateComponents(owner.Handle());
    TaskBarMode = taskBarMode;
    CheckBoxFront.SetChecked(stayOnTop);
    SetGlyphFromShell();
    ShowModeSample();
    EditColor.SetText("");
    EditColor.SetReadOnly(true);
    EditColor.SetColor(backColor);
}

void TSetDialog::CreateComponents(HWND owner) {
    CreateForm(SetDialogDesign, owner, true);
    CheckBoxFront.Create(*this, Handle(), CheckBoxFrontBounds, CheckBoxFrontCaption, CheckBoxFrontId);
    BitBtn1.Create(*this, Handle(), BitBtn1Bounds, "", BitBtn1Id);
    ButtonOK.Create(*this, Handle(), ButtonOKBounds, ButtonOKCaption, ButtonOKId, mrOk);
    ButtonCancel.Create(*this, Handle(), ButtonCancelBounds, ButtonCancelCaption, ButtonCancelId, mrCancel);
    EditColor.Create(*this, Handle(), EditColorBounds, "", EditColorId);
    Label1.Create(*this, Handle(), Label1Bounds, Label1Caption);
    Label2.Create(*this, Handle(), Label2Bounds, Label2Caption);
    Bevel2.Create(*this, Handle(), Bevel2Bounds);
    BitBtn1.OnClick = [this] { BitBtn1Click(); };
    ButtonOK.OnClick = [this] { ButtonOKClick(); };
    EditColor.OnDblClick = [this] { EditColorDblClick(); };
}

void TSetDialog::SetGlyphFromShell() {
    IconHandle icon;
    {
        ComApartment com;
        icon.reset(g_fileIconSource(Os::ExePath()));
    }
    if (!icon) return;
    // The glyph is made at the size the button shows it, and the icon drawn whole into it: the shell's small
    // icon grows with the DPI (24 pixels at 144 DPI), and a 16-pixel glyph would show only its corner.
    const int size = Scale(GlyphSize);
    WindowDc screen(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    BitmapHandle bitmap(CreateCompatibleBitmap(screen, size, size));
    {
        SelectScope select(dc, bitmap.get());
        // The ground takes the button's face colour, which the button treats as transparent (bottom-left pixel).
        RECT r{0, 0, size, size};
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
        DrawIconEx(dc, 0, 0, icon.get(), size, size, 0, nullptr, DI_NORMAL);
    }
    DeleteDC(dc);
    BitBtn1.SetGlyph(bitmap.get());
}

void TSetDialog::ShowModeSample() {
    // Taken once: the sample does not follow the clock while the dialog is open.
    BitBtn1.SetText(TitleText(TaskBarMode, Now()).value_or(""));
}

void TSetDialog::BitBtn1Click() {
    // Add one, and a result above 2 becomes 0 (written so that no stored value can overflow).
    TaskBarMode = TaskBarMode >= 2 ? 0 : TaskBarMode + 1;
    ShowModeSample();
}

void TSetDialog::EditColorDblClick() {
    // The chooser opens on its own initial colour, not the box's.
    TColorDialog dialog;
    if (dialog.Execute(Handle())) EditColor.SetColor(dialog.Color);
}
