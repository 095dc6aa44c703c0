#pragma once
// The timer condition dialog: edits one timer record (title, time of day, once / every day / chosen
// weekdays). The list dialog creates it for one add or edit, puts the record to edit in with LoadRecord,
// shows it modally, and after OK takes the record that OK filled from Entry.
#include <array>

#include "timers/TimerData.h"
#include "ui/Bevel.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/DateTimePicker.h"
#include "ui/Edit.h"
#include "ui/Form.h"
#include "ui/GroupBox.h"
#include "ui/RadioButton.h"

class TSetTimeDlg : public TForm {
public:
    explicit TSetTimeDlg(TForm& owner);

    TBevel Bevel1;
    TButton OKBtn;
    TButton CancelBtn;
    TGroupBox GroupBox1;
    TRadioButton RadioButtonOnece;
    TRadioButton RadioButtonEveryday;
    TRadioButton RadioButtonDays;
    TCheckBox CheckBoxSun, CheckBoxMon, CheckBoxTue, CheckBoxWed, CheckBoxThu, CheckBoxFri, CheckBoxSat;
    TEdit EditTitle;
    TDateTimePicker DateTimePicker1;

    // Filled by OKBtnClick; as constructed until then.
    TIMERDATA Entry;

    void LoadRecord(const TIMERDATA& record);

    void FormCreate();
    void OKBtnClick();
    void RadioButtonOneceClick();
    void RadioButtonEverydayClick();
    void RadioButtonDaysClick();

    // Sunday (bit 0) to Saturday (bit 6).
    std::array<TCheckBox*, 7> DayBoxes();

private:
    void CreateComponents(HWND owner);
    void EnableDayBoxes(bool enabled);
};

// The condition dialog while a command of the list dialog shows it.
extern TSetTimeDlg* SetTimeDlg;
