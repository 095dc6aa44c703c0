// The settings dialog and the main window's SettingClick: layout, the values it opens with, the mode
// button, the glyph, the colour chooser, and what OK, Cancel and the close box apply.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <objbase.h>
#include <vector>
#include <memory>

#include "app/MainForm.h"
#include "core/EventLog.h"
#include "core/Os.h"
#include "forms/SetDialogLayout.h"
#include "settings/SetDialog_win.h"
#include "tests/win/WinTestSupport.h"
#include "ui/Application.h"

namespace {
constexpr LocalTime Moment{2024, 1, 5, 9, 5, 7, 0};

class SetDialogTest : public testing::Test {
protected:
    void SetUp() override {
        RemoveFiles();
        main_ = std::make_unique<TMainForm>();
    }
    void TearDown() override {
        TSetDialog::SetFileIconSourceForTesting(nullptr);
        main_.reset();
        RemoveFiles();
    }
    static void RemoveFiles() {
        RemoveSettingsFile();
        DeleteFileW(LogPath(Os::ExePath()).c_str());
    }
    // The colour the form paints a control's ground with.
    static COLORREF GroundOf(const TForm& form, HWND control) {
        HDC dc = GetDC(control);
        auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
            form.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
        ReleaseDC(control, dc);
        LOGBRUSH lb{};
        GetObjectW(brush, sizeof lb, &lb);
        return lb.lbColor;
    }
    // Runs SettingClick; act() works on the open dialog and then closes it.
    void RunSettingClick(std::function<void(TSetDialog&)> act) {
        ModalScript script({[&] {
            HWND hwnd = FindShownWindow(L"TSetDialog");
            if (!hwnd || GetActiveWindow() != hwnd) return false;
            act(*static_cast<TSetDialog*>(TWindow::FromHandle(hwnd)));
            return true;
        }});
        main_->SettingClick();
        EXPECT_TRUE(script.Done());
        EXPECT_FALSE(script.TimedOut());
    }

    FixedClock clock_{Moment};
    std::unique_ptr<TMainForm> main_;
};
}  // namespace

TEST_F(SetDialogTest, ItOpensWithTheMainWindowsValuesAndShowsTheColourAsAReadOnlyField) {
    for (const bool front : {true, false}) {
        main_->StayOnTop = front;
        main_->TaskBarMode = 1;
        main_->BackColor = 0x123456;
        TSetDialog d(*main_, main_->StayOnTop, main_->TaskBarMode, main_->BackColor);
        EXPECT_EQ(d.CheckBoxFront.Checked(), front);
        EXPECT_EQ(d.TaskBarMode, 1);
        EXPECT_EQ(d.BitBtn1.Text(), "09:05");
        EXPECT_EQ(d.EditColor.Text(), "");
        EXPECT_TRUE(d.EditColor.ReadOnly());
        EXPECT_EQ(GroundOf(d, d.EditColor.Handle()), 0x123456u);
    }
}

TEST_F(SetDialogTest, TheModeButtonStepsOnAndShowsTheCurrentTimeInTheChosenMode) {
    struct Case {
        int32_t start;
        const char* captions[4];  // as opened, then after each of three clicks
        int32_t end;
    };
    const Case cases[] = {
        {0, {"09:05:07", "09:05", "09", "09:05:07"}, 0},
        {2, {"09", "09:05:07", "09:05", "09"}, 2},
        {5, {"", "09:05:07", "09:05", "09"}, 2},  // from the settings file, out of range
        {INT32_MAX, {"", "09:05:07", "09:05", "09"}, 2},
        {-1, {"", "09:05:07", "09:05", "09"}, 2},
        {-5, {"", "", "", ""}, -2},  // negative values move up by one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        main_->TaskBarMode = c.start;
        TSetDialog d(*main_, main_->StayOnTop, main_->TaskBarMode, main_->BackColor);
        EXPECT_EQ(d.BitBtn1.Text(), c.captions[0]);
        for (int click = 1; click <= 3; ++click) {
            Click(d.BitBtn1);
            EXPECT_EQ(d.BitBtn1.Text(), c.captions[click]);
        }
        EXPECT_EQ(d.TaskBarMode, c.end);
    }
}

TEST_F(SetDialogTest, TheModeButtonWearsTheShellsIconAndDoesWithoutIt) {
    {
        TSetDialog d(*main_, main_->StayOnTop, main_->TaskBarMode, main_->BackColor);
        EXPECT_TRUE(d.BitBtn1.HasGlyph());
    }
    TSetDialog::SetFileIconSourceForTesting([](const PathString&) -> HICON { return nullptr; });
    TSetDialog d(*main_, main_->StayOnTop, main_->TaskBarMode, main_->BackColor);
    EXPECT_FALSE(d.BitBtn1.HasGlyph());
    EXPECT_EQ(d.BitBtn1.Text(), "09:05:07");
    Click(d.BitBtn1);
    EXPECT_EQ(d.BitBtn1.Text(), "09:05");
}

namespace {
// Red above, green at the bottom left (the glyph's transparent corner), blue at the bottom right: a glyph that
// shows only part of the icon loses the blue first.
HICON QuarteredIcon(int size) {
    std::vector<uint32_t> pixels(static_cast<size_t>(size * size));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            pixels[static_cast<size_t>(y * size + x)] =
                y < size / 2 ? 0xFFFF0000u : (x < size / 2 ? 0xFF00FF00u : 0xFF0000FFu);
        }
    }
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::memcpy(bits, pixels.data(), pixels.size() * 4);
    const std::vector<uint8_t> opaque(static_cast<size_t>((size + 15) / 16 * 2 * size), 0);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, opaque.data());
    ICONINFO icon{TRUE, 0, 0, mask, colour};
    HICON result = CreateIconIndirect(&icon);
    DeleteObject(mask);
    DeleteObject(colour);
    return result;
}

// The thread's COM apartment (APTTYPE), or -1 outside any.
int Apartment() {
    using GetType = HRESULT(WINAPI*)(APTTYPE*, APTTYPEQUALIFIER*);
    auto get = reinterpret_cast<GetType>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"ole32.dll"), "CoGetApartmentType")));
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    return get && get(&type, &qualifier) == S_OK ? static_cast<int>(type) : -1;
}

int g_apartmentAsked = -2;
}  // namespace

TEST_F(SetDialogTest, TheGlyphShowsTheWholeIconAt144DpiAndTheShellIsAskedInAnApartment) {
    const int before = Apartment();
    TSetDialog::SetFileIconSourceForTesting([](const PathString&) {
        g_apartmentAsked = Apartment();
        return QuarteredIcon(24);  // the shell's small icon at 144 DPI
    });
    TSetDialog d(*main_, main_->StayOnTop, main_->TaskBarMode, main_->BackColor);
    EXPECT_TRUE(g_apartmentAsked == APTTYPE_STA || g_apartmentAsked == APTTYPE_MAINSTA) << g_apartmentAsked;
    EXPECT_EQ(Apartment(), before);

    RECT r;
    GetWindowRect(d.Handle(), &r);
    r.right = r.left + (r.right - r.left) * 3 / 2;
    r.bottom = r.top + (r.bottom - r.top) * 3 / 2;
    SendMessageW(d.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&r));
    d.Show();

    // The blue quarter, read from the screen once the button is drawn, is 12 pixels square.
    RECT button;
    GetWindowRect(d.BitBtn1.Handle(), &button);
    HDC screen = GetDC(nullptr);
    RECT blue{};
    EXPECT_TRUE(PumpUntil([&] {
        blue = {INT_MAX, INT_MAX, -1, -1};
        for (int y = button.top; y < button.bottom; ++y) {
            for (int x = button.left; x < (button.left + button.right) / 2; ++x) {
                if (GetPixel(screen, x, y) != 0xFF0000) continue;  // blue as a COLORREF
                blue = {std::min<LONG>(blue.left, x), std::min<LONG>(blue.top, y), std::max<LONG>(blue.right, x + 1),
                        std::max<LONG>(blue.bottom, y + 1)};
            }
        }
        return blue.right - blue.left == 12 && blue.bottom - blue.top == 12;
    })) << blue.right - blue.left
        << " x " << blue.bottom - blue.top;

    // Disabled, the glyph shows embossed in the shadow colour (the caption stands further right).
    d.BitBtn1.SetEnabled(false);
    int shadow = 0;
    EXPECT_TRUE(PumpUntil([&] {
        shadow = 0;
        for (int y = button.top + 2; y < button.bottom - 2; ++y) {
            for (int x = button.left + 2; x < button.left + (button.right - button.left) / 3; ++x) {
                shadow += GetPixel(screen, x, y) == GetSysColor(COLOR_3DSHADOW);
            }
        }
        return shadow > 12;
    })) << shadow;
    ReleaseDC(nullptr, screen);
}

TEST_F(SetDialogTest, ADoubleClickOnTheColourBoxOffersTheChooserWhichStartsFromItsOwnColour) {
    main_->BackColor = 0x123456;
    TSetDialog d(*main_, main_->StayOnTop, main_->TaskBarMode, main_->BackColor);
    for (const int button : {IDCANCEL, IDOK}) {
        ModalScript script({[&] {
            HWND chooser = FindShownWindow(L"#32770");
            if (!chooser || GetWindow(chooser, GW_OWNER) != d.Handle()) return false;
            ClickDialogButton(chooser, button);
            return true;
        }});
        SendMessageW(d.EditColor.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
        EXPECT_TRUE(script.Done());
        // Cancel keeps the box's colour; OK at once gives the chooser's starting colour, black.
        EXPECT_EQ(d.EditColor.Color(), button == IDOK ? 0u : 0x123456u);
    }
}

TEST_F(SetDialogTest, TheKeyboardStartsOnTheFirstControlAndEnterPressesOnlyTheFocusedButton) {
    TSetDialog d(*main_, main_->StayOnTop, main_->TaskBarMode, main_->BackColor);
    std::vector<HWND> focus;
    bool ticked = false, stillOpen = false;
    std::string mode;
    ModalScript script({
        [&] {
            if (GetActiveWindow() != d.Handle()) return false;
            focus.push_back(GetFocus());
            Driver::KeyChord({VK_SPACE});
            return true;
        },
        [&] {
            ticked = d.CheckBoxFront.Checked();
            Driver::KeyChord({VK_TAB});
            return true;
        },
        [&] {
            focus.push_back(GetFocus());
            Driver::KeyChord({VK_RETURN});  // the focused mode button steps on
            return true;
        },
        [&] {
            mode = d.BitBtn1.Text();
            for (int i = 0; i < 3; ++i) Driver::KeyChord({VK_TAB});  // OK, Cancel, the colour box
            return true;
        },
        [&] {
            focus.push_back(GetFocus());
            // Neither button is the default or the cancel button: Enter and Escape do nothing here.
            Driver::KeyChord({VK_RETURN});
            Driver::KeyChord({VK_ESCAPE});
            return true;
        },
        [&] {
            stillOpen = IsWindowVisible(d.Handle()) && d.ModalResult() == mrNone;
            PostMessageW(d.EditColor.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
            return true;
        },
        [&] {
            HWND chooser = FindShownWindow(L"#32770");
            if (!chooser || GetActiveWindow() != chooser) return false;
            Driver::KeyChord({VK_ESCAPE});
            return true;
        },
        [&] {
            if (FindShownWindow(L"#32770") || GetActiveWindow() != d.Handle()) return false;
            focus.push_back(GetFocus());  // back where it was before the chooser
            Driver::KeyChord({VK_SHIFT, VK_TAB});
            Driver::KeyChord({VK_SHIFT, VK_TAB});
            return true;
        },
        [&] {
            focus.push_back(GetFocus());
            Driver::KeyChord({VK_RETURN});
            return true;
        },
    });
    EXPECT_EQ(d.ShowModal(), mrOk);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(focus, (std::vector<HWND>{d.CheckBoxFront.Handle(), d.BitBtn1.Handle(), d.EditColor.Handle(),
                                        d.EditColor.Handle(), d.ButtonOK.Handle()}));
    EXPECT_TRUE(ticked);
    EXPECT_EQ(mode, "09:05");
    EXPECT_TRUE(stillOpen);
}

TEST_F(SetDialogTest, CancelAndTheCloseBoxApplyNothingButTheClockIsRefreshed) {
    const std::function<void(TSetDialog&)> closers[] = {
        [](TSetDialog& d) { Click(d.ButtonCancel); },
        [](TSetDialog& d) { PostMessageW(d.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    for (const auto& close : closers) {
        TApplication::Instance().SetTitle("stale");
        RunSettingClick([&](TSetDialog& d) {
            Click(d.CheckBoxFront);
            Click(d.BitBtn1);
            d.EditColor.SetColor(0x0000FF);
            close(d);
        });
        EXPECT_FALSE(main_->StayOnTop);
        EXPECT_EQ(main_->TaskBarMode, 0);
        EXPECT_EQ(main_->BackColor, 65408u);
        EXPECT_EQ(TApplication::Instance().Title(), "09:05:07");
    }
}

TEST_F(SetDialogTest, OKWithoutChangesLeavesStayOnTopAndTheColourAlone) {
    // Window and colour deliberately out of step with the settings: only a call would bring them back.
    SetWindowPos(main_->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    main_->SetColor(0x0000FF);
    RunSettingClick([](TSetDialog& d) { Click(d.ButtonOK); });
    EXPECT_TRUE(GetWindowLongW(main_->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(main_->Color(), 0x0000FFu);
    EXPECT_EQ(main_->BackColor, 65408u);
}

TEST_F(SetDialogTest, OKAppliesEveryChangedValue) {
    for (const bool front : {false, true}) {
        SCOPED_TRACE(front);
        main_->StayOnTop = front;
        main_->SetStayOnTop(front);
        main_->TaskBarMode = 0;
        RunSettingClick([](TSetDialog& d) {
            Click(d.CheckBoxFront);
            Click(d.BitBtn1);
            d.EditColor.SetColor(0x00FF00);
            Click(d.ButtonOK);
        });
        EXPECT_EQ(main_->StayOnTop, !front);
        EXPECT_EQ((GetWindowLongW(main_->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, !front);
        EXPECT_EQ(main_->TaskBarMode, 1);
        EXPECT_EQ(main_->BackColor, 0x00FF00u);
        EXPECT_EQ(main_->Color(), 0x00FF00u);
        EXPECT_EQ(TApplication::Instance().Title(), "09:05");
    }
}
