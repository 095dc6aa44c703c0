// The timer condition dialog: its layout, its starting state, the radio handlers, LoadRecord, the record
// that OK fills, and how its modal show ends.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "core/DateTime.h"
#include "forms/SetTimeDlgLayout.h"
#include "tests/win/WinTestSupport.h"
#include "timers/SetTimeDlg_win.h"
#include "ui/Wide.h"

namespace {
constexpr LocalTime Moment{2024, 1, 5, 9, 5, 7, 0};

class SetTimeDlgTest : public testing::Test {
protected:
    void SetUp() override { dlg_ = std::make_unique<TSetTimeDlg>(host_); }

    // The radio button that is checked: 0 once, 1 every day, 2 weekdays, -1 none.
    int Condition() const {
        const TRadioButton* radios[] = {&dlg_->RadioButtonOnece, &dlg_->RadioButtonEveryday, &dlg_->RadioButtonDays};
        int checked = -1;
        for (int i = 0; i < 3; ++i) {
            if (radios[i]->Checked()) checked = checked == -1 ? i : 9;  // 9: more than one
        }
        return checked;
    }
    uint8_t ShownDays() const {
        uint8_t days = 0;
        for (size_t bit = 0; bit < 7; ++bit) days |= dlg_->DayBoxes()[bit]->Checked() ? (1u << bit) : 0;
        return days;
    }
    // All seven boxes share one enabled state; 2 when they do not.
    int DaysEnabled() const {
        int enabled = dlg_->CheckBoxSun.Enabled();
        for (TCheckBox* box : dlg_->DayBoxes()) {
            if (box->Enabled() != (enabled == 1)) return 2;
        }
        return enabled;
    }
    void SetPicker(WORD hour, WORD minute, WORD second) {
        SYSTEMTIME st{2000, 1, 6, 1, hour, minute, second, 0};
        SendMessageW(dlg_->DateTimePicker1.Handle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
    }

    FixedClock clock_{Moment};
    THostForm host_;
    std::unique_ptr<TSetTimeDlg> dlg_;
};
}  // namespace

TEST_F(SetTimeDlgTest, ANewDialogOffersItsTitleNowAndOnceWithTheWeekdaysOffAndOKGivesThat) {
    EXPECT_EQ(dlg_->Caption(), "条件指定");
    EXPECT_EQ(dlg_->EditTitle.Text(), "タイトル");
    EXPECT_EQ(Condition(), 0);
    EXPECT_EQ(ShownDays(), 0);
    EXPECT_EQ(DaysEnabled(), 0);
    EXPECT_EQ(dlg_->Entry.Valid, 0);
    EXPECT_EQ(dlg_->Entry.Title, "");

    dlg_->OKBtnClick();
    EXPECT_EQ(dlg_->Entry.Valid, 1);
    EXPECT_EQ(dlg_->Entry.Title, "タイトル");
    EXPECT_EQ(dlg_->Entry.Kind, 0);
    EXPECT_EQ(dlg_->Entry.Time, ToDateTime(Moment));
    EXPECT_EQ(dlg_->Entry.Days, 0);
}

// Neighbouring weekday boxes overlap by a pixel or two; the later box keeps the shared strip.
TEST_F(SetTimeDlgTest, OverlappingWeekdayBoxesLeaveTheSharedStripToTheLaterBox) {
    for (size_t bit = 0; bit + 1 < 7; ++bit) {
        SCOPED_TRACE(bit);
        const Bounds96 box = PlaceOf(dlg_->DayBoxes()[bit]->Handle());
        const int shown = PlaceOf(dlg_->DayBoxes()[bit + 1]->Handle()).Left - box.Left;
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        const int kind = GetWindowRgn(dlg_->DayBoxes()[bit]->Handle(), region);
        RECT extent{};
        GetRgnBox(region, &extent);
        DeleteObject(region);
        if (shown < box.Width) {
            EXPECT_EQ(kind, SIMPLEREGION);
            EXPECT_EQ(extent.right, shown);
        } else {
            EXPECT_EQ(kind, ERROR);  // no region: the whole box shows
        }
    }
}

TEST_F(SetTimeDlgTest, ARadioHandlerRunsOnlyWhenItsButtonBecomesChecked) {
    int runs[3] = {};
    TRadioButton* radios[] = {&dlg_->RadioButtonOnece, &dlg_->RadioButtonEveryday, &dlg_->RadioButtonDays};
    for (int i = 0; i < 3; ++i) {
        radios[i]->OnClick = [&runs, i, this, original = radios[i]->OnClick] {
            ++runs[i];
            original();
        };
    }
    struct Step {
        int radio;
        bool byUser;  // a click, else SetChecked
        bool check;
        int expectedRuns[3];
        int expectedCondition;
        int expectedEnabled;
    };
    const Step steps[] = {
        {2, true, true, {0, 0, 1}, 2, 1},     // the user picks the weekdays
        {2, true, true, {0, 0, 1}, 2, 1},     // clicking it again runs nothing
        {1, false, true, {0, 1, 1}, 1, 0},    // code checks every day: the weekdays turn off
        {1, false, true, {0, 1, 1}, 1, 0},    // already checked
        {1, false, false, {0, 1, 1}, -1, 0},  // unchecking runs nothing
        {0, true, true, {1, 1, 1}, 0, 0},
    };
    for (const Step& step : steps) {
        if (step.byUser) {
            Click(*radios[step.radio]);
        } else {
            radios[step.radio]->SetChecked(step.check);
        }
        EXPECT_EQ(runs[0], step.expectedRuns[0]);
        EXPECT_EQ(runs[1], step.expectedRuns[1]);
        EXPECT_EQ(runs[2], step.expectedRuns[2]);
        EXPECT_EQ(Condition(), step.expectedCondition);
        EXPECT_EQ(DaysEnabled(), step.expectedEnabled);
    }
    // Only the checked radio button is a tab stop of the group.
    EXPECT_TRUE(HasStyle(radios[0]->Handle(), WS_TABSTOP));
    EXPECT_FALSE(HasStyle(radios[2]->Handle(), WS_TABSTOP));
    // Checking one by code unchecks the rest of its group, a disabled button too.
    radios[2]->SetChecked(true);
    radios[2]->SetEnabled(false);
    radios[0]->SetChecked(true);
    EXPECT_FALSE(radios[2]->Checked());
}

TEST_F(SetTimeDlgTest, TheArrowKeysMoveTheConditionAndRunItsHandler) {
    int condition = 0, enabled = 0;
    ModalScript script({
        [&] {
            if (GetActiveWindow() != dlg_->Handle()) return false;
            SetFocus(dlg_->RadioButtonOnece.Handle());
            Driver::KeyChord({VK_UP});  // from the first button of the group round to the last
            return true;
        },
        [&] {
            condition = Condition();
            enabled = DaysEnabled();
            Click(dlg_->CancelBtn);
            return true;
        },
    });
    dlg_->ShowModal();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(condition, 2);
    EXPECT_EQ(enabled, 1);
}

TEST_F(SetTimeDlgTest, TheWeekdaysAreStoredOnlyForTheWeekdayCondition) {
    Click(dlg_->RadioButtonDays);
    for (TCheckBox* box : {&dlg_->CheckBoxMon, &dlg_->CheckBoxWed, &dlg_->CheckBoxFri}) {
        Click(*box);
    }
    TSetTimeDlg other(host_);
    other.RadioButtonDays.SetChecked(true);
    other.CheckBoxMon.SetChecked(true);
    other.RadioButtonEveryday.SetChecked(true);

    dlg_->OKBtnClick();
    other.OKBtnClick();

    EXPECT_EQ(dlg_->Entry.Kind, 2);
    EXPECT_EQ(dlg_->Entry.Days, 42);
    EXPECT_EQ(other.Entry.Kind, 1);
    EXPECT_EQ(other.Entry.Days, 0);
    EXPECT_TRUE(other.CheckBoxMon.Checked());  // disabled, but still ticked
}

TEST_F(SetTimeDlgTest, LoadRecordShowsConditionAndWeekdaysAndOKStoresWhatIsShown) {
    struct Case {
        int32_t kind;
        uint8_t days;
        int condition;
        int enabled;
        int32_t okKind;
        uint8_t okDays;
    };
    const Case cases[] = {
        {2, 42, 2, 1, 2, 42},
        {0, 42, 0, 0, 0, 0},
        {1, 42 | 0x80, 1, 0, 1, 0},  // bit 7 is no weekday
        {5, 42, -1, 0, 0, 0},        // no condition chosen: Kind and Days stay as constructed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        dlg_ = std::make_unique<TSetTimeDlg>(host_);
        dlg_->LoadRecord({0, "会議", c.kind, 0.25, c.days});
        EXPECT_EQ(dlg_->EditTitle.Text(), "会議");
        EXPECT_EQ(Condition(), c.condition);
        EXPECT_EQ(ShownDays(), 42);
        EXPECT_EQ(DaysEnabled(), c.enabled);
        EXPECT_EQ(dlg_->Entry.Valid, 0);  // LoadRecord does not touch Entry
        dlg_->OKBtnClick();
        EXPECT_EQ(dlg_->Entry.Kind, c.okKind);
        EXPECT_EQ(dlg_->Entry.Days, c.okDays);
    }
}

TEST_F(SetTimeDlgTest, ThePickerShowsSecondsWhateverTheUsersTimeFormat) {
    wchar_t saved[80] = L"";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, saved, 80);
    for (const wchar_t* format : {L"H:mm", L"tt h:mm"}) {
        SCOPED_TRACE(Narrow(format));
        SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, format);
        dlg_ = std::make_unique<TSetTimeDlg>(host_);
        EXPECT_EQ(TextOf(dlg_->DateTimePicker1.Handle()), "09:05:07");
    }
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, saved);
}

TEST_F(SetTimeDlgTest, ThePickerKeepsTheDatePartAndMidnightOfDayZeroIsExactlyZero) {
    struct Case {
        TDateTime loaded;
        int setHour;  // -1: the picker is left alone
        TDateTime expected;
    };
    const Case cases[] = {
        {0, -1, 0},        // shows 00:00:00 and stays 0
        {0.5, 0, 0},       // day 0, 12:00 set to midnight
        {0.75, -1, 0.75},  // day 0 and a time of day: the date part stays 0
        {45296.5, 6, 45296.25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.loaded);
        dlg_ = std::make_unique<TSetTimeDlg>(host_);
        dlg_->LoadRecord({1, "t", 0, c.loaded, 0});
        SYSTEMTIME shown{};
        SendMessageW(dlg_->DateTimePicker1.Handle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown));
        uint16_t h = 0, m = 0, s = 0;
        DecodeTime(c.loaded, h, m, s);
        EXPECT_EQ(shown.wHour, h);
        EXPECT_EQ(shown.wMinute, m);
        if (c.setHour >= 0) SetPicker(static_cast<WORD>(c.setHour), 0, 0);
        dlg_->OKBtnClick();
        EXPECT_EQ(dlg_->Entry.Time, c.expected);
    }
}

TEST_F(SetTimeDlgTest, TheTitleIsTakenExactlyAsTyped) {
    for (const char* title : {"", " a,b "}) {
        dlg_->EditTitle.SetText(title);
        dlg_->OKBtnClick();
        EXPECT_EQ(dlg_->Entry.Title, title);
    }
}

TEST_F(SetTimeDlgTest, OKAndEnterGiveOKWhileCancelEscapeAndTheCloseBoxGiveCancel) {
    struct Case {
        const char* name;
        std::function<void(TSetTimeDlg&)> act;
        int result;
        uint8_t valid;
    };
    const Case cases[] = {
        {"OK", [](TSetTimeDlg& d) { Click(d.OKBtn); }, mrOk, 1},
        {"Enter", [](TSetTimeDlg&) { Driver::KeyChord({VK_RETURN}); }, mrOk, 1},
        {"Enter in the title", [](TSetTimeDlg& d) { SetFocus(d.EditTitle.Handle()), Driver::KeyChord({VK_RETURN}); },
         mrOk, 1},
        {"Enter on the focused cancel button",
         [](TSetTimeDlg&) { Driver::KeyChord({VK_TAB}), Driver::KeyChord({VK_RETURN}); }, mrCancel, 0},
        {"Cancel", [](TSetTimeDlg& d) { Click(d.CancelBtn); }, mrCancel, 0},
        {"Escape", [](TSetTimeDlg& d) { SetFocus(d.DateTimePicker1.Handle()), Driver::KeyChord({VK_ESCAPE}); },
         mrCancel, 0},
        {"close box", [](TSetTimeDlg& d) { PostMessageW(d.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }, mrCancel, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dlg_ = std::make_unique<TSetTimeDlg>(host_);
        TSetTimeDlg& d = *dlg_;
        ModalScript script({[&] {
            if (GetActiveWindow() != d.Handle()) return false;
            c.act(d);
            return true;
        }});
        EXPECT_EQ(d.ShowModal(), c.result);
        EXPECT_FALSE(script.TimedOut());
        EXPECT_EQ(d.Entry.Valid, c.valid);
    }
}

TEST_F(SetTimeDlgTest, TheKeyboardStartsAtOKAndTabReachesTheConditionsEvenWithNoneChosen) {
    dlg_->LoadRecord({1, "t", 5, 0.5, 0});
    std::vector<HWND> focus;
    bool cancelIsDefault = false;
    int condition = -2;
    ModalScript script({
        [&] {
            if (GetActiveWindow() != dlg_->Handle()) return false;
            focus.push_back(GetFocus());
            Driver::KeyChord({VK_TAB});
            return true;
        },
        [&] {
            // The focused push button wears the default frame in place of OK.
            cancelIsDefault = HasStyle(dlg_->CancelBtn.Handle(), BS_DEFPUSHBUTTON) &&
                              !HasStyle(dlg_->OKBtn.Handle(), BS_DEFPUSHBUTTON);
            Driver::KeyChord({VK_TAB});
            return true;
        },
        [&] {
            focus.push_back(GetFocus());
            Driver::KeyChord({VK_SPACE});
            return true;
        },
        [&] {
            condition = Condition();
            Click(dlg_->CancelBtn);
            return true;
        },
    });
    dlg_->ShowModal();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(focus, (std::vector<HWND>{dlg_->OKBtn.Handle(), dlg_->RadioButtonOnece.Handle()}));
    EXPECT_TRUE(cancelIsDefault);
    EXPECT_EQ(condition, 0);
}
