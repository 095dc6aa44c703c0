// The timer list dialog: layout, the list it fills, its stored place and column layout, the add, edit and
// delete commands (with the condition dialog and the delete question answered from inside their modal
// loops), the refusal of a record the settings file could not keep, and PopupTimerClick.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "app/MainForm.h"
#include "core/Os.h"
#include "forms/TimerDlgLayout.h"
#include "tests/win/WinTestSupport.h"
#include "timers/SetTimeDlg_win.h"
#include "timers/TimerDlg_win.h"
#include "ui/Application.h"

namespace {
class TimerDlgTest : public testing::Test {
protected:
    void SetUp() override {
        RemoveSettingsFile();
        g = &common_;
    }
    void TearDown() override {
        dlg_.reset();
        g = nullptr;
        RemoveSettingsFile();
    }
    TTimerDlg& Open() {
        dlg_ = std::make_unique<TTimerDlg>(host_, timers_);
        return *dlg_;
    }
    // Shows the dialog and makes it the program's active window, as its modal show does.
    void Activate() {
        dlg_->Show();
        if (TApplication::Instance().ActiveForm() != dlg_.get()) {
            SendMessageW(dlg_->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
        }
    }
    std::vector<std::string> Row(int item) const {
        std::vector<std::string> row;
        for (int sub = 0; sub < 4; ++sub) row.push_back(dlg_->ListView1.ItemText(item, sub));
        return row;
    }
    std::vector<LPARAM> Data() const {
        std::vector<LPARAM> data;
        for (int i = 0; i < dlg_->ListView1.ItemCount(); ++i) data.push_back(dlg_->ListView1.ItemData(i));
        return data;
    }
    std::array<ColumnLayout, 4> Columns() const {
        std::array<ColumnLayout, 4> columns{};
        g->GetColumnLayout(dlg_->ListView1.Handle(), columns);
        return columns;
    }
    // Runs a command that shows the condition dialog; answer() sets it up and returns the button to press.
    void WithConditionDialog(void (TTimerDlg::*command)(), std::function<int(TSetTimeDlg&)> answer) {
        ModalScript script({[&] {
            if (!SetTimeDlg || GetActiveWindow() != SetTimeDlg->Handle()) return false;
            const int button = answer(*SetTimeDlg);
            SendMessageW(GetDlgItem(SetTimeDlg->Handle(), button), BM_CLICK, 0, 0);
            return true;
        }});
        (dlg_.get()->*command)();
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(SetTimeDlg, nullptr);
    }
    // Runs a command that may show a message box "確認"; returns its text ("" when none showed).
    std::string WithQuestion(void (TTimerDlg::*command)(), int button) {
        std::string text;
        ModalScript script({[&] {
            HWND box = FindShownWindow(L"#32770", "確認");
            if (!box) return false;
            text = TextOf(GetDlgItem(box, 0xFFFF));
            ClickDialogButton(box, button);
            return true;
        }});
        (dlg_.get()->*command)();
        return text;
    }

    TCommonCtrl common_;
    THostForm host_;
    TimerList timers_;
    std::unique_ptr<TTimerDlg> dlg_;
};

TIMERDATA Live(const char* title, int32_t kind = 0, TDateTime time = 0.5, uint8_t days = 0) {
    return {1, title, kind, time, days};
}
}  // namespace

TEST_F(TimerDlgTest, ARightClickOnTheListOpensItsThreeCommands) {
    TTimerDlg& d = Open();
    Activate();
    POINT shownAt{-1, -1};
    ModalScript script({[&] {
        HWND menu = FindShownWindow(L"#32768");
        if (!menu) return false;
        RECT m;
        GetWindowRect(menu, &m);
        shownAt = {m.left, m.top};
        EndMenu();
        return true;
    }});
    RECT r;
    GetWindowRect(d.ListView1.Handle(), &r);
    Driver::Click(r.left + 20, r.top + 40, Driver::Button::Right);
    EXPECT_TRUE(PumpUntil([&] { return script.Done(); }));
    EXPECT_EQ(shownAt.x, r.left + 20);  // where the pointer was
    EXPECT_EQ(shownAt.y, r.top + 40);
    std::vector<std::string> shown;
    for (const TMenuItem* item : d.PopupMenu1.LastShown) shown.push_back(item->Enabled ? item->Caption : "-");
    EXPECT_EQ(shown, (std::vector<std::string>{"追加(&A)", "編集(&E)", "削除(&D)"}));
}

TEST_F(TimerDlgTest, TheListShowsLiveRecordsInOrderNumberedFromOneWithTheirIndexAsData) {
    timers_ = {
        Live("朝"),
        {0, "deleted", 0, 0.5, 0},
        Live("会議", 2, 45296.0 + 9.5 / 24, 42),
        Live("毎日", 1, 0, 0),        // midnight read back from the file: no date part, no time text
        Live("週", 2, 45296.0, 127),  // midnight of a day: a time text
        Live("", 2, 0.25, 0),
        Live("?", 3, 0.25, 42),
    };
    Open();
    const std::vector<std::string> expected[] = {
        {"1", "朝", "12:00:00", "１度だけ"}, {"2", "会議", "09:30:00", "(月)(水)(金)"},
        {"3", "毎日", "", "毎日"},           {"4", "週", "00:00:00", "(日)(月)(火)(水)(木)(金)(土)"},
        {"5", "", "06:00:00", ""},           {"6", "?", "06:00:00", ""},
    };
    ASSERT_EQ(dlg_->ListView1.ItemCount(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Row(i), expected[i]);
    EXPECT_EQ(Data(), (std::vector<LPARAM>{0, 2, 3, 4, 5, 6}));
    EXPECT_EQ(dlg_->ListView1.SelectedIndex(), -1);
}

TEST_F(TimerDlgTest, WithoutAStoredLayoutTheDialogOpensAt320AndWritesTheDefaults) {
    TTimerDlg& d = Open();
    Activate();
    EXPECT_EQ(d.Left(), 320);
    EXPECT_EQ(d.Top(), 320);
    const auto columns = Columns();
    const ColumnLayoutTexts texts = g->FormatColumnLayout(columns, 4);
    EXPECT_EQ(texts.Width, d.Dpi() == 96 ? "53,301,65,57" : texts.Width);
    EXPECT_EQ(texts.Alignment, "1,0,0,0");
    dlg_.reset();
    EXPECT_EQ(ReadSettingsFile(), "[TimerDlg]\r\nTop=320\r\nLeft=320\r\nWidth=53,301,65,57\r\nAliment=1,0,0,0\r\n");
}

TEST_F(TimerDlgTest, TheNumberColumnIsDrawnRightAlignedAsDesigned) {
    timers_ = {Live("a")};
    TTimerDlg& d = Open();
    Activate();
    UpdateWindow(d.ListView1.Handle());
    HWND header = reinterpret_cast<HWND>(SendMessageW(d.ListView1.Handle(), LVM_GETHEADER, 0, 0));
    HDITEMW headerItem{};
    headerItem.mask = HDI_FORMAT;
    SendMessageW(header, HDM_GETITEMW, 0, reinterpret_cast<LPARAM>(&headerItem));
    EXPECT_EQ(headerItem.fmt & HDF_JUSTIFYMASK, HDF_RIGHT);

    // The ink of "1" in the first cell, read from the screen: it stands at the cell's right end.
    RECT cell{LVIR_LABEL, 0, 0, 0};
    ASSERT_TRUE(SendMessageW(d.ListView1.Handle(), LVM_GETSUBITEMRECT, 0, reinterpret_cast<LPARAM>(&cell)));
    MapWindowPoints(d.ListView1.Handle(), nullptr, reinterpret_cast<POINT*>(&cell), 2);
    const int width = cell.right - cell.left - 1, height = cell.bottom - cell.top - 1;  // without the grid lines
    HDC screen = GetDC(nullptr);
    int first = -1, last = -1;
    // Read again until the cell is drawn: the screen may show it a moment after the paint.
    EXPECT_TRUE(PumpUntil([&] {
        const COLORREF ground = GetPixel(screen, cell.left + 1, cell.top + 1);
        first = last = -1;
        for (int x = 0; x < width; ++x) {
            for (int y = 0; y < height; ++y) {
                if (GetPixel(screen, cell.left + x, cell.top + y) != ground) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
            }
        }
        return first > width / 2 && last >= width - d.Scale(12);
    })) << "ink from "
        << first << " to " << last << " in a cell " << width << " wide";

    // A selected row in the focused list, drawn after a control that left black text in the DC, with the cell's
    // margin outside the paint's clip (as Windows' themed control and a partial repaint leave them): the
    // number comes out in the highlight's text colour on the highlight.
    d.ListView1.SetSelectedIndex(0);
    SetFocus(d.ListView1.Handle());
    RECT local{LVIR_LABEL, 0, 0, 0};
    ASSERT_TRUE(SendMessageW(d.ListView1.Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&local)));
    HDC dc = CreateCompatibleDC(screen);
    BitmapHandle bitmap(CreateCompatibleBitmap(screen, local.right + 4, local.bottom + 4));
    {
        SelectScope select(dc, bitmap.get());
        RECT all{0, 0, local.right + 4, local.bottom + 4};
        FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
        SetTextColor(dc, RGB(0, 0, 0));
        IntersectClipRect(dc, local.left + 3, local.top, local.right, local.bottom);
        NMLVCUSTOMDRAW draw{};
        draw.nmcd.hdr = {d.ListView1.Handle(), static_cast<UINT_PTR>(GetDlgCtrlID(d.ListView1.Handle())),
                         static_cast<UINT>(NM_CUSTOMDRAW)};
        draw.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT | CDDS_SUBITEM;
        draw.nmcd.hdc = dc;
        SendMessageW(d.Panel1.Handle(), WM_NOTIFY, draw.nmcd.hdr.idFrom, reinterpret_cast<LPARAM>(&draw));
        SelectClipRgn(dc, nullptr);
        int ink = 0, black = 0;
        for (int x = local.left + 3; x < local.right; ++x) {
            for (int y = local.top; y < local.bottom; ++y) {
                const COLORREF pixel = GetPixel(dc, x, y);
                ink += pixel == GetSysColor(COLOR_HIGHLIGHTTEXT);
                black += pixel == RGB(0, 0, 0);
            }
        }
        EXPECT_EQ(GetPixel(dc, local.left + 4, local.top + 1), GetSysColor(COLOR_HIGHLIGHT));
        EXPECT_GT(ink, 0);
        EXPECT_EQ(black, 0);
    }
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

TEST_F(TimerDlgTest, AStoredLayoutIsAppliedWithDefaultsForUnusableValuesAndTheLastPlaceIsKept) {
    WriteSettingsFile("[TimerDlg]\r\nTop=50\r\nLeft=60\r\nWidth=80,0,abc\r\nAliment=0,2,0,0\r\n");
    TTimerDlg& d = Open();
    Activate();
    EXPECT_EQ(d.Left(), 60);
    EXPECT_EQ(d.Top(), 50);
    const auto columns = Columns();
    EXPECT_EQ(g->FormatColumnLayout(columns, 4).Alignment, "1,2,0,0");
    EXPECT_EQ(columns[0].Width, d.Scale(80));
    EXPECT_EQ(columns[1].Width, d.Scale(301));

    // The user drags a column border and moves the dialog.
    SendMessageW(d.ListView1.Handle(), LVM_SETCOLUMNWIDTH, 3, MAKELPARAM(d.Scale(90), 0));
    d.SetLeft(70);
    d.SetTop(80);
    dlg_.reset();
    EXPECT_EQ(ReadSettingsFile(), "[TimerDlg]\r\nTop=80\r\nLeft=70\r\nWidth=80,301,65,90\r\nAliment=1,2,0,0\r\n");
}

TEST_F(TimerDlgTest, AStoredPlaceOffEveryMonitorComesBackOnTheNearestOne) {
    struct Case {
        int left, top;
        bool kept;
    };
    const Case cases[] = {{-100, -50, true}, {-5000, 300, false}, {300, 90000, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.left);
        WriteSettingsFile("[TimerDlg]\r\nTop=" + std::to_string(c.top) + "\r\nLeft=" + std::to_string(c.left) + "\r\n");
        TTimerDlg& d = Open();
        Activate();
        if (c.kept) {
            EXPECT_EQ(d.Left(), c.left);
            EXPECT_EQ(d.Top(), c.top);
        } else {
            RECT r;
            GetWindowRect(d.Handle(), &r);
            EXPECT_NE(MonitorFromRect(&r, MONITOR_DEFAULTTONULL), nullptr);
            EXPECT_EQ(d.Left(), d.StoredLeft);
            EXPECT_EQ(d.Top(), d.StoredTop);
        }
        dlg_.reset();
    }
}

TEST_F(TimerDlgTest, ColumnWidthsAreKeptIn96DpiTermsWhenTheDialogMovesToAnotherDpi) {
    TTimerDlg& d = Open();
    Activate();
    RECT r;
    GetWindowRect(d.Handle(), &r);
    r.right = r.left + (r.right - r.left) * 3 / 2;
    r.bottom = r.top + (r.bottom - r.top) * 3 / 2;
    SendMessageW(d.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(Columns()[1].Width, 452);  // 301 at 144 DPI
    EXPECT_EQ(PlaceOf(d.OKBtn.Handle()), Scaled({264, 6, 75, 25}, 144));
    dlg_.reset();
    EXPECT_NE(ReadSettingsFile().find("Width=53,301,65,57\r\n"), std::string::npos);
}

TEST_F(TimerDlgTest, EveryActivationPutsTheDialogBackAtItsStoredPlaceWithTheFocusWhereItWas) {
    timers_ = {Live("a")};
    TTimerDlg& d = Open();
    Activate();
    d.SetLeft(100);
    d.SetTop(120);
    SetFocus(d.CancelBtn.Handle());
    WithConditionDialog(&TTimerDlg::PopupAddTimerClick, [](TSetTimeDlg&) { return IDCANCEL; });
    // The focus comes back through posted messages, and activation through the X server: awaited, not
    // read after one pass over the queue.
    const auto focusOnCancel = [&] { return GetFocus() == d.CancelBtn.Handle(); };
    EXPECT_TRUE(PumpUntil(focusOnCancel));
    EXPECT_EQ(d.Left(), 320);
    EXPECT_EQ(d.Top(), 320);
    // The same after a message box, and after another window was active for a while.
    d.ListView1.SetSelectedIndex(0);
    EXPECT_NE(WithQuestion(&TTimerDlg::PopupDelTimerClick, IDCANCEL), "");
    EXPECT_TRUE(PumpUntil(focusOnCancel));
    host_.Show();
    EXPECT_TRUE(PumpUntil([&] { return !focusOnCancel(); }));
    SetForegroundWindow(d.Handle());
    EXPECT_TRUE(PumpUntil(focusOnCancel));
    host_.Hide();
}

TEST_F(TimerDlgTest, AddAppendsTheConfirmedRecordAfterAllOthersAndCancelAddsNothing) {
    timers_ = {Live("a"), {0, "deleted", 0, 0.5, 0}};
    Open();
    WithConditionDialog(&TTimerDlg::PopupAddTimerClick, [](TSetTimeDlg& c) {
        c.EditTitle.SetText("新規");
        c.RadioButtonEveryday.SetChecked(true);
        return IDOK;
    });
    ASSERT_EQ(timers_.size(), 3u);
    EXPECT_EQ(timers_[2].Valid, 1);
    EXPECT_EQ(timers_[2].Title, "新規");
    EXPECT_EQ(timers_[2].Kind, 1);
    EXPECT_EQ(Data(), (std::vector<LPARAM>{0, 2}));
    EXPECT_EQ(Row(1)[0], "2");

    dlg_->ListView1.SetSelectedIndex(0);
    WithConditionDialog(&TTimerDlg::PopupAddTimerClick, [](TSetTimeDlg&) { return IDCANCEL; });
    EXPECT_EQ(timers_.size(), 3u);
    EXPECT_EQ(dlg_->ListView1.SelectedIndex(), -1);  // rebuilt all the same
}

TEST_F(TimerDlgTest, EditChangesTheSelectedRecordInPlaceAndCancelKeepsIt) {
    timers_ = {{0, "deleted", 0, 0.5, 0}, Live("週", 2, 0.5, 42), Live("b")};
    Open();
    // No selection: no dialog, nothing changes.
    bool opened = false;
    {
        ModalScript script({[&] { return opened = SetTimeDlg != nullptr; }}, 300);
        dlg_->PopupEditTimerClick();
    }
    EXPECT_FALSE(opened);

    dlg_->ListView1.SetSelectedIndex(0);
    WithConditionDialog(&TTimerDlg::PopupEditTimerClick, [](TSetTimeDlg& c) {
        EXPECT_EQ(c.EditTitle.Text(), "週");
        EXPECT_TRUE(c.CheckBoxWed.Checked());
        return IDCANCEL;
    });
    EXPECT_EQ(timers_[1].Days, 42);
    EXPECT_EQ(dlg_->ListView1.SelectedIndex(), -1);

    dlg_->ListView1.SetSelectedIndex(0);
    WithConditionDialog(&TTimerDlg::PopupEditTimerClick, [](TSetTimeDlg& c) {
        c.RadioButtonOnece.SetChecked(true);
        return IDOK;
    });
    ASSERT_EQ(timers_.size(), 3u);
    EXPECT_EQ(timers_[1].Title, "週");
    EXPECT_EQ(timers_[1].Kind, 0);
    EXPECT_EQ(timers_[1].Days, 0);  // the weekday set goes with the weekday condition
    EXPECT_EQ(timers_[1].Time, 0.5);
    EXPECT_EQ(Row(0)[3], "１度だけ");
}

TEST_F(TimerDlgTest, DeleteAsksFirstAndThenOnlyMarksTheRecordDeleted) {
    timers_ = {Live("a"), Live("b"), Live("c")};
    Open();
    EXPECT_EQ(WithQuestion(&TTimerDlg::PopupDelTimerClick, IDOK), "");  // nothing selected: no question

    dlg_->ListView1.SetSelectedIndex(1);
    EXPECT_EQ(WithQuestion(&TTimerDlg::PopupDelTimerClick, IDCANCEL), "削除します.よろしいですか.");
    EXPECT_EQ(timers_[1].Valid, 1);
    EXPECT_EQ(dlg_->ListView1.SelectedIndex(), 1);  // not rebuilt

    WithQuestion(&TTimerDlg::PopupDelTimerClick, IDOK);
    EXPECT_EQ(timers_.size(), 3u);
    EXPECT_EQ(timers_[1].Valid, 0);
    EXPECT_EQ(Row(1), (std::vector<std::string>{"2", "c", "12:00:00", "１度だけ"}));
    EXPECT_EQ(Data(), (std::vector<LPARAM>{0, 2}));
}

TEST_F(TimerDlgTest, AddingBeyondWhatTheSettingsFileKeepsIsRefusedWithAWarning) {
    timers_.assign(MaxStoredTimers, Live("t"));
    Open();
    bool conditionShown = false;
    std::string warning;
    {
        ModalScript script({[&] {
            conditionShown = conditionShown || SetTimeDlg != nullptr;
            HWND box = FindShownWindow(L"#32770", "確認");
            if (!box) return false;
            warning = TextOf(GetDlgItem(box, 0xFFFF));
            ClickDialogButton(box, IDOK);
            return true;
        }});
        dlg_->PopupAddTimerClick();
    }
    EXPECT_FALSE(conditionShown);
    EXPECT_NE(warning.find("100"), std::string::npos) << warning;
    EXPECT_EQ(timers_.size(), static_cast<size_t>(MaxStoredTimers));

    // A deleted record makes room again.
    timers_[5].Valid = 0;
    WithConditionDialog(&TTimerDlg::PopupAddTimerClick, [](TSetTimeDlg&) { return IDOK; });
    EXPECT_EQ(timers_.size(), static_cast<size_t>(MaxStoredTimers) + 1);
}

TEST_F(TimerDlgTest, TheListHasTheFocusItsMenuOpensFromTheKeyboardAndEnterOrEscapeClose) {
    timers_ = {Live("a"), Live("b")};
    for (const auto& [key, result] : {std::pair{VK_RETURN, mrOk}, std::pair{VK_ESCAPE, mrCancel}}) {
        TTimerDlg& d = Open();
        HWND focus = nullptr;
        std::vector<POINT> menus, expected;
        const auto menuShown = [&] {
            HWND menu = FindShownWindow(L"#32768");
            if (!menu) return false;
            RECT r;
            GetWindowRect(menu, &r);
            menus.push_back({r.left, r.top});
            Driver::KeyChord({VK_ESCAPE});
            return true;
        };
        ModalScript script({
            [&] {
                if (GetActiveWindow() != d.Handle()) return false;
                focus = GetFocus();
                POINT corner{0, 0};
                ClientToScreen(d.ListView1.Handle(), &corner);
                expected.push_back(corner);
                Driver::KeyChord({VK_SHIFT, VK_F10});  // nothing selected: at the list's corner
                return true;
            },
            menuShown,
            [&] {
                if (FindShownWindow(L"#32768")) return false;
                d.ListView1.SetSelectedIndex(1);
                RECT item{LVIR_BOUNDS, 0, 0, 0};
                SendMessageW(d.ListView1.Handle(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
                POINT below{item.left, item.bottom};
                ClientToScreen(d.ListView1.Handle(), &below);
                expected.push_back(below);
                Driver::KeyChord({VK_APPS});  // at the selected item
                return true;
            },
            menuShown,
            [&, key = key] {
                if (FindShownWindow(L"#32768")) return false;
                Driver::KeyChord({static_cast<WORD>(key)});
                return true;
            },
        });
        EXPECT_EQ(d.ShowModal(), result);
        EXPECT_FALSE(script.TimedOut());
        EXPECT_EQ(focus, d.ListView1.Handle());
        ASSERT_EQ(menus.size(), 2u);
        for (size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(menus[i].x, expected[i].x);
            EXPECT_EQ(menus[i].y, expected[i].y);
        }
    }
}

TEST(PopupTimerClickTest, ShowsTheListOverTheMainWindowAndStoresItsLayoutWhenClosed) {
    RemoveSettingsFile();
    {
        TMainForm main;
        main.Timers = {Live("a")};
        HWND owner = nullptr;
        int items = 0;
        ModalScript script({[&] {
            if (!TimerDlg || GetActiveWindow() != TimerDlg->Handle()) return false;
            owner = GetWindow(TimerDlg->Handle(), GW_OWNER);
            items = TimerDlg->ListView1.ItemCount();
            SendMessageW(TimerDlg->CancelBtn.Handle(), BM_CLICK, 0, 0);
            return true;
        }});
        main.PopupTimerClick();
        EXPECT_EQ(owner, main.Handle());
        EXPECT_EQ(items, 1);
        EXPECT_EQ(TimerDlg, nullptr);
        EXPECT_NE(ReadSettingsFile().find("[TimerDlg]\r\nTop=320\r\nLeft=320\r\n"), std::string::npos);
    }
    RemoveSettingsFile();
    DeleteFileW(ChangeFileExt(Os::ExePath(), PATH_TEXT(".log")).c_str());
}
