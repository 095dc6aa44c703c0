#include "timers/SetTimeDlg_win.h"

#include "core/Clock.h"
#include "forms/SetTimeDlgLayout.h"

TSetTimeDlg* SetTimeDlg = nullptr;

TSetTimeDlg::TSetTimeDlg(TForm& owner) {
    CreateComponents(owner.Handle());
    FormCreate();
    Entry = TIMERDATA{};
}

void TSetTimeDlg::CreateComponents(HWND owner) {
    CreateForm(SetTimeDlgDesign, owner, true);
    OKBtn.Create(*this, Handle(), SetTimeOKBtnBounds, SetTimeOKBtnCaption, IDOK, mrOk, true);
    CancelBtn.Create(*this, Handle(), SetTimeCancelBtnBounds, SetTimeCancelBtnCaption, IDCANCEL, mrCancel);
    GroupBox1.Create(*this, Handle(), GroupBox1Bounds, GroupBox1Caption, GroupBox1Id);
    HWND group = GroupBox1.Handle();
    RadioButtonOnece.Create(*this, group, RadioButtonOneceBounds, RadioButtonOneceCaption, RadioButtonOneceId, true);
    RadioButtonEveryday.Create(*this, group, RadioButtonEverydayBounds, RadioButtonEverydayCaption,
                               RadioButtonEverydayId);
    RadioButtonDays.Create(*this, group, RadioButtonDaysBounds, RadioButtonDaysCaption, RadioButtonDaysId);
    const auto boxes = DayBoxes();
    for (size_t bit = 0; bit < boxes.size(); ++bit) {
        // The first weekday box closes the radio buttons' group, so the arrow keys stay among them.
        boxes[bit]->Create(*this, group, DayBoxDesigns[bit].Bounds, DayBoxDesigns[bit].Caption,
                           FirstDayBoxId + static_cast<UINT>(bit), bit == 0);
    }
    EditTitle.Create(*this, Handle(), EditTitleBounds, EditTitleDesignText, EditTitleId);
    DateTimePicker1.Create(*this, Handle(), DateTimePicker1Bounds, DateTimePicker1Id);
    Bevel1.Create(*this, Handle(), Bevel1Bounds);

    OKBtn.OnClick = [this] { OKBtnClick(); };
    RadioButtonOnece.OnClick = [this] { RadioButtonOneceClick(); };
    RadioButtonEveryday.OnClick = [this] { RadioButtonEverydayClick(); };
    RadioButtonDays.OnClick = [this] { RadioButtonDaysClick(); };
}

std::array<TCheckBox*, 7> TSetTimeDlg::DayBoxes() {
    return {&CheckBoxSun, &CheckBoxMon, &CheckBoxTue, &CheckBoxWed, &CheckBoxThu, &CheckBoxFri, &CheckBoxSat};
}

void TSetTimeDlg::FormCreate() {
    EditTitle.SetText("タイトル");
    const TDateTime now = ToDateTime(Now());
    DateTimePicker1.SetDate(now);
    DateTimePicker1.SetTime(now);
    // Checking "once" runs its handler, which disables the weekday boxes.
    RadioButtonOnece.SetChecked(true);
    RadioButtonEveryday.SetChecked(false);
    RadioButtonDays.SetChecked(false);
}

void TSetTimeDlg::LoadRecord(const TIMERDATA& record) {
    EditTitle.SetText(record.Title);
    DateTimePicker1.SetDate(record.Time);
    DateTimePicker1.SetTime(record.Time);
    RadioButtonOnece.SetChecked(record.Kind == 0);
    RadioButtonEveryday.SetChecked(record.Kind == 1);
    RadioButtonDays.SetChecked(record.Kind == 2);
    const auto boxes = DayBoxes();
    for (size_t bit = 0; bit < boxes.size(); ++bit) boxes[bit]->SetChecked((record.Days >> bit) & 1);
}

void TSetTimeDlg::OKBtnClick() {
    Entry.Valid = 1;
    Entry.Title = EditTitle.Text();
    Entry.Time = DateTimePicker1.Value();
    if (RadioButtonOnece.Checked()) {
        Entry.Kind = 0;
    } else if (RadioButtonEveryday.Checked()) {
        Entry.Kind = 1;
    } else if (RadioButtonDays.Checked()) {
        Entry.Kind = 2;
        const auto boxes = DayBoxes();
        for (size_t bit = 0; bit < boxes.size(); ++bit) {
            const auto mask = static_cast<uint8_t>(1u << bit);
            Entry.Days = static_cast<uint8_t>(boxes[bit]->Checked() ? (Entry.Days | mask) : (Entry.Days & ~mask));
        }
    }
    // With no condition chosen, Kind and Days keep what they hold.
}

void TSetTimeDlg::RadioButtonOneceClick() { EnableDayBoxes(false); }

void TSetTimeDlg::RadioButtonEverydayClick() { EnableDayBoxes(false); }

void TSetTimeDlg::RadioButtonDaysClick() { EnableDayBoxes(true); }

void TSetTimeDlg::EnableDayBoxes(bool enabled) {
    for (TCheckBox* box : DayBoxes()) box->SetEnabled(enabled);
}
