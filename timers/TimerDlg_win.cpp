#include "timers/TimerDlg_win.h"

#include <cstdio>

#include "core/Os.h"
#include "core/Placement.h"
#include "forms/TimerDlgLayout.h"
#include "settings/IniFile.h"
#include "settings/MainSettings.h"
#include "timers/SetTimeDlg_win.h"
#include "ui/Application.h"
#include "ui/FormUse.h"
#include "ui/Screen.h"

TTimerDlg* TimerDlg = nullptr;

const std::array<const char*, 7> DayMarks{"(日)", "(月)", "(火)", "(水)", "(木)", "(金)", "(土)"};

const std::array<ColumnLayout, 4> DefaultColumns{{
    {"項", 53, 1},
    {"タイトル", 301, 0},
    {"時間", 65, 0},
    {"タイプ", 57, 0},
}};

std::array<ColumnLayout, 4> CurrentColumns{};

namespace {
constexpr char Section[] = "TimerDlg";
constexpr int32_t DefaultPosition = 320;
constexpr int ColumnCount = 4;

}  // namespace

std::string TimerTypeText(const TIMERDATA& record) {
    switch (record.Kind) {
        case 0:
            return "１度だけ";
        case 1:
            return "毎日";
        case 2: {
            std::string text;
            for (size_t bit = 0; bit < DayMarks.size(); ++bit) {
                if (record.Days & (1u << bit)) text += DayMarks[bit];
            }
            return text;
        }
        default:
            return {};
    }
}

TTimerDlg::TTimerDlg(TForm& owner, TimerList& timers)
    : PopupAddTimer(TimerPopupCaptions[0]),
      PopupEditTimer(TimerPopupCaptions[1]),
      PopupDelTimer(TimerPopupCaptions[2]),
      timers_(timers) {
    CreateComponents(owner.Handle());
    FormCreate();
}

TTimerDlg::~TTimerDlg() { RunFormDestroy(); }

void TTimerDlg::CreateComponents(HWND owner) {
    CreateForm(TimerDlgDesign, owner, true);
    Panel1.Create(*this, Handle(), Panel1Bounds, Panel1DesignCaption, Panel1Id);
    ListView1.Create(*this, Panel1.Handle(), ListView1Bounds, ListView1Id);
    for (const ColumnLayout& column : DefaultColumns) {
        ListView1.AddColumn(column.Caption, Scale(column.Width), column.Alignment);
    }
    columnsDpi_ = Dpi();
    Panel2.Create(*this, Handle(), Panel2Bounds, Panel2DesignCaption, Panel2Id);
    OKBtn.Create(*this, Panel2.Handle(), TimerOKBtnBounds, TimerOKBtnCaption, IDOK, mrOk, true);
    CancelBtn.Create(*this, Panel2.Handle(), TimerCancelBtnBounds, TimerCancelBtnCaption, IDCANCEL, mrCancel);

    PopupMenu1.Items = {&PopupAddTimer, &PopupEditTimer, &PopupDelTimer};
    PopupAddTimer.OnClick = [this] { PopupAddTimerClick(); };
    PopupEditTimer.OnClick = [this] { PopupEditTimerClick(); };
    PopupDelTimer.OnClick = [this] { PopupDelTimerClick(); };
    ListView1.PopupMenu = &PopupMenu1;
}

void TTimerDlg::FormCreate() {
    Panel1.SetCaption("");
    Panel2.SetCaption("");
    LoadLayout();
    ListViewOptions options;
    options.FullRowSelect = 1;
    options.GridLines = 1;
    g->SetListViewOptions(ListView1.Handle(), options);
    FillList();
}

void TTimerDlg::FormDestroy() {
    // While the list view still exists: its columns are read.
    SaveLayout();
}

void TTimerDlg::FormActivate() {
    SetTop(StoredTop);
    SetLeft(StoredLeft);
}

void TTimerDlg::KeepReachable() {
    // A place wholly outside every monitor (one that was unplugged) would leave a modal dialog that nobody
    // can see in front of a disabled clock: it comes back on the nearest monitor instead. A place that is
    // partly on a screen stays as stored.
    RECT window{};
    GetWindowRect(Handle(), &window);
    const ScreenRect placed =
        ReachablePlace(RectAt(StoredLeft, StoredTop, window.right - window.left, window.bottom - window.top));
    StoredTop = placed.Top;
    StoredLeft = placed.Left;
}

void TTimerDlg::FormDpiChanged() {
    // The form has placed its controls for the new DPI; the columns keep their widths in 96-DPI terms.
    std::array<ColumnLayout, 4> columns{};
    g->GetColumnLayout(ListView1.Handle(), columns);
    for (ColumnLayout& column : columns) column.Width = MulDiv(column.Width, Dpi(), columnsDpi_);
    g->SetColumnLayout(ListView1.Handle(), columns, false, ColumnCount);
    columnsDpi_ = Dpi();
}

void TTimerDlg::LoadLayout() {
    TIniFile ini(SettingsPath(Os::ExePath()));
    StoredTop = ini.ReadInteger(Section, "Top", DefaultPosition);
    StoredLeft = ini.ReadInteger(Section, "Left", DefaultPosition);
    KeepReachable();
    const std::string widths = ini.ReadString(Section, "Width", "");
    const std::string alignments = ini.ReadString(Section, "Aliment", "");
    g->ParseColumnLayout(CurrentColumns, ColumnCount, alignments, widths, DefaultColumns);
    // Widths are kept at 96 DPI, so that the file means the same on a screen of any DPI.
    std::array<ColumnLayout, 4> shown = CurrentColumns;
    for (ColumnLayout& column : shown) column.Width = Scale(column.Width);
    g->SetColumnLayout(ListView1.Handle(), shown, false, ColumnCount);
    columnsDpi_ = Dpi();
}

void TTimerDlg::SaveLayout() {
    TIniFile ini(SettingsPath(Os::ExePath()));
    ini.WriteInteger(Section, "Top", Top());
    ini.WriteInteger(Section, "Left", Left());
    g->GetColumnLayout(ListView1.Handle(), CurrentColumns);
    for (ColumnLayout& column : CurrentColumns) column.Width = MulDiv(column.Width, 96, Dpi());
    const ColumnLayoutTexts texts = g->FormatColumnLayout(CurrentColumns, ColumnCount);
    ini.WriteString(Section, "Width", texts.Width);
    ini.WriteString(Section, "Aliment", texts.Alignment);
}

void TTimerDlg::FillList() {
    if (TApplication::Instance().Terminated()) return;  // the session ended under a command of this dialog
    ListView1.BeginUpdate();
    ListView1.Clear();
    const size_t count = timers_.size();
    int number = 1;
    for (size_t i = 0; i < count; ++i) {
        const TIMERDATA& record = timers_[i];
        if (record.Valid != 1) continue;
        ListView1.AddItem(std::to_string(number++), static_cast<LPARAM>(i),
                          {record.Title, g->TimeToText(record.Time), TimerTypeText(record)});
    }
    ListView1.EndUpdate();
}

void TTimerDlg::PopupAddTimerClick() {
    if (!CanAddTimer(timers_)) {
        // The settings file keeps TimerData00 to TimerData99: a further record would be lost at the next save.
        char text[160];
        std::snprintf(text, sizeof text, "設定ファイルに保存できるタイマーは%d件までです。これ以上追加できません。",
                      MaxStoredTimers);
        TApplication::Instance().ShowMessageBox(text, "確認", MB_OK | MB_ICONWARNING);
        return;
    }
    {
        FormUse<TSetTimeDlg> dialog(SetTimeDlg, *this);
        if (dialog->ShowModal() == mrOk) timers_.push_back(dialog->Entry);
    }
    FillList();
}

void TTimerDlg::PopupEditTimerClick() {
    const int selected = ListView1.SelectedIndex();
    if (selected < 0) return;
    const auto i = static_cast<size_t>(ListView1.ItemData(selected));
    {
        FormUse<TSetTimeDlg> dialog(SetTimeDlg, *this);
        dialog->LoadRecord(timers_.at(i));
        if (dialog->ShowModal() == mrOk) {
            TIMERDATA& record = timers_.at(i);
            record.Title = dialog->Entry.Title;
            record.Time = dialog->Entry.Time;
            record.Days = dialog->Entry.Days;
            record.Valid = dialog->Entry.Valid;
            record.Kind = dialog->Entry.Kind;
        }
    }
    FillList();
}

void TTimerDlg::PopupDelTimerClick() {
    const int selected = ListView1.SelectedIndex();
    if (selected < 0) return;
    const auto i = static_cast<size_t>(ListView1.ItemData(selected));
    if (TApplication::Instance().ShowMessageBox("削除します.よろしいですか.", "確認", MB_OKCANCEL) != IDOK) return;
    timers_.at(i).Valid = 0;
    FillList();
}
