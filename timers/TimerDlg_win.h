#pragma once
// The timer list dialog: the main window's timer records in a four-column list, with add, edit and delete
// through the list's popup menu. Every command changes the timer list at once; OK and Cancel only close the
// dialog. The dialog keeps its screen position and its column layout in the section "TimerDlg" of the
// settings file: read when it is created, written when it is destroyed.
#include <array>
#include <cstdint>
#include <string>

#include "common/CommonCtrl.h"
#include "timers/TimerData.h"
#include "ui/Button.h"
#include "ui/Form.h"
#include "ui/ListView.h"
#include "ui/Menu.h"
#include "ui/Panel.h"

class TTimerDlg : public TForm {
public:
    TTimerDlg(TForm& owner, TimerList& timers);
    ~TTimerDlg() override;

    TPanel Panel1;
    TListView ListView1;
    TPanel Panel2;
    TButton OKBtn;
    TButton CancelBtn;
    TPopupMenu PopupMenu1;
    TMenuItem PopupAddTimer, PopupEditTimer, PopupDelTimer;

    // The dialog's top and left edge in screen pixels as stored (brought back onto a monitor when they lie
    // wholly outside every one); applied at every activation.
    int32_t StoredTop = 0;
    int32_t StoredLeft = 0;

    void FormCreate();
    void FormDestroy() override;
    void PopupAddTimerClick();
    void PopupEditTimerClick();
    void PopupDelTimerClick();

    void FillList();
    void LoadLayout();
    void SaveLayout();

protected:
    void FormActivate() override;
    void FormDpiChanged() override;

private:
    void CreateComponents(HWND owner);
    void KeepReachable();

    TimerList& timers_;
    int columnsDpi_ = 96;  // the DPI the list's column widths were last set for
};

// Indexed by weekday bit: 0 "(日)" to 6 "(土)".
extern const std::array<const char*, 7> DayMarks;
// "項" 53 right, "タイトル" 301, "時間" 65, "タイプ" 57 left; widths at 96 DPI.
extern const std::array<ColumnLayout, 4> DefaultColumns;
// The working layout of LoadLayout and SaveLayout; widths at 96 DPI.
extern std::array<ColumnLayout, 4> CurrentColumns;

// The condition column: "１度だけ", "毎日", the day marks of the chosen weekdays, or empty.
std::string TimerTypeText(const TIMERDATA& record);

// The list dialog while the main window's PopupTimerClick shows it.
extern TTimerDlg* TimerDlg;
