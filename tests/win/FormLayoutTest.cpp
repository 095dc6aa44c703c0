// The four forms as designed: every control's class, place and size (written out here at 96 DPI, never
// taken from the program's own layout tables), text, tab order (the Z order) and button role.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "core/EventLog.h"
#include "core/Os.h"
#include "settings/SetDialog_win.h"
#include "tests/win/WinTestSupport.h"
#include "timers/SetTimeDlg_win.h"
#include "timers/TimerDlg_win.h"
#include "ui/Application.h"
#include "ui/Wide.h"

namespace {
enum Role { None = 0, Tab = 1, Default = 2, Ok = 4, Cancel = 8 };

struct Designed {
    const wchar_t* className;  // nullptr: a label, whose size follows its text
    Bounds96 bounds;
    const char* text;  // nullptr: not compared
    int role;
};

struct Parent {
    HWND handle;
    std::vector<Designed> children;  // in Z order, which is the order Tab visits them in
};

struct FormSeen {
    const char* caption;
    SIZE client;
    bool sizeable;
    std::optional<POINT> at;
    std::vector<Parent> parents;
};

void ExpectAsDesigned(const TForm& form, const FormSeen& designed) {
    EXPECT_EQ(form.Caption(), designed.caption);
    EXPECT_EQ(ClientSize(form.Handle()).cx, ScaleForDpi(designed.client.cx, form.Dpi()));
    EXPECT_EQ(ClientSize(form.Handle()).cy, ScaleForDpi(designed.client.cy, form.Dpi()));
    EXPECT_EQ(HasStyle(form.Handle(), WS_THICKFRAME), designed.sizeable);
    if (designed.at) {
        EXPECT_EQ(form.Left(), designed.at->x);
        EXPECT_EQ(form.Top(), designed.at->y);
    }
    for (const Parent& parent : designed.parents) {
        const std::vector<HWND> children = ChildrenOf(parent.handle);
        ASSERT_EQ(children.size(), parent.children.size());
        for (size_t i = 0; i < children.size(); ++i) {
            const Designed& e = parent.children[i];
            SCOPED_TRACE(std::to_string(i) + " " + (e.text ? e.text : ""));
            const Bounds96 place = PlaceOf(children[i]);
            const Bounds96 expected = Scaled(e.bounds, form.Dpi());
            if (e.className) {
                EXPECT_EQ(ClassOf(children[i]), e.className);
                EXPECT_EQ(place, expected);
            } else {
                EXPECT_EQ(place.Left, expected.Left);
                EXPECT_EQ(place.Top, expected.Top);
            }
            if (e.text) {
                EXPECT_EQ(TextOf(children[i]), e.text);
            }
            EXPECT_EQ(HasStyle(children[i], WS_TABSTOP), (e.role & Tab) != 0);
            if (ClassOf(children[i]) == L"Button") {
                EXPECT_EQ((GetWindowLongW(children[i], GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON,
                          (e.role & Default) != 0);
            }
            EXPECT_EQ(GetDlgCtrlID(children[i]) == IDOK, (e.role & Ok) != 0);
            EXPECT_EQ(GetDlgCtrlID(children[i]) == IDCANCEL, (e.role & Cancel) != 0);
        }
    }
}

class FormLayout : public testing::Test {
protected:
    void SetUp() override {
        RemoveSettingsFile();
        DeleteFileW(LogPath(Os::ExePath()).c_str());
    }
    void TearDown() override {
        g = nullptr;
        RemoveSettingsFile();
        DeleteFileW(LogPath(Os::ExePath()).c_str());
    }

    FixedClock clock_{LocalTime{2024, 1, 5, 9, 5, 7, 0}};
    TCommonCtrl common_;
    THostForm host_;
};
}  // namespace

TEST_F(FormLayout, ControlsStandAsDesignedOnEveryForm) {
    {
        SCOPED_TRACE("clock");
        TMainForm clock;
        TApplication::Instance().SetMainForm(&clock);
        clock.Show();
        if (!clock.Activated) SendMessageW(clock.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
        ExpectAsDesigned(clock,
                         {"", {48, 16}, false, {}, {{clock.Handle(), {{nullptr, {2, 1, 44, 13}, nullptr, None}}}}});
        EXPECT_EQ(GetWindowLongW(clock.Handle(), GWL_STYLE) & WS_CAPTION, 0);
        TApplication::Instance().SetMainForm(nullptr);
    }
    {
        SCOPED_TRACE("settings");
        TMainForm owner;
        TSetDialog d(owner, owner.StayOnTop, owner.TaskBarMode, owner.BackColor);
        ExpectAsDesigned(d, {"設定",
                             {205, 152},
                             true,
                             POINT{0, 0},
                             {{d.Handle(),
                               {
                                   {L"Button", {16, 16, 121, 17}, "常に手前に表示する", Tab},
                                   {L"Button", {104, 42, 81, 25}, "09:05:07", Tab},
                                   {L"Button", {42, 120, 75, 25}, "OK", Tab},
                                   {L"Button", {123, 120, 75, 25}, "キャンセル", Tab},
                                   {L"Edit", {104, 78, 81, 21}, "", Tab},
                                   {nullptr, {16, 48, 69, 13}, "タスクバー表示", None},
                                   {nullptr, {16, 80, 36, 13}, "背景色", None},
                                   {L"Static", {8, 8, 190, 106}, "", None},
                               }}}});
    }
    {
        SCOPED_TRACE("timer list");
        g = &common_;  // each clock made its own and took it away again
        TimerList timers;
        TTimerDlg d(host_, timers);
        ExpectAsDesigned(d, {"ダイアログ",
                             {424, 441},
                             false,
                             {},
                             {{d.Handle(),
                               {{L"Horvane2010.Panel", {0, 0, 424, 405}, "", None},
                                {L"Horvane2010.Panel", {0, 405, 424, 36}, "", None}}},
                              {d.Panel1.Handle(), {{WC_LISTVIEWW, {1, 1, 422, 403}, nullptr, Tab}}},
                              {d.Panel2.Handle(),
                               {{L"Button", {264, 6, 75, 25}, "OK", Tab | Default | Ok},
                                {L"Button", {345, 6, 75, 25}, "キャンセル", Tab | Cancel}}}}});
        std::vector<std::string> captions;
        for (int i = 0; i < 4; ++i) {
            wchar_t text[32] = L"";
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT;
            column.pszText = text;
            column.cchTextMax = 32;
            SendMessageW(d.ListView1.Handle(), LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
            captions.push_back(Narrow(text));
        }
        EXPECT_EQ(captions, (std::vector<std::string>{"項", "タイトル", "時間", "タイプ"}));
        const auto style = SendMessageW(d.ListView1.Handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
        EXPECT_EQ(style & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES), LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    }
    {
        SCOPED_TRACE("timer condition");
        TSetTimeDlg d(host_);
        ExpectAsDesigned(d, {"条件指定",
                             {440, 190},
                             false,
                             {},
                             {{d.Handle(),
                               {
                                   {L"Button", {276, 159, 75, 25}, "OK", Tab | Default | Ok},
                                   {L"Button", {357, 159, 75, 25}, "キャンセル", Tab | Cancel},
                                   {L"Button", {22, 76, 403, 61}, "条件", None},
                                   {L"Edit", {22, 22, 403, 21}, "タイトル", Tab},
                                   {L"SysDateTimePick32", {22, 49, 81, 21}, nullptr, Tab},
                                   {L"Static", {8, 8, 425, 145}, "", None},
                               }},
                              {d.GroupBox1.Handle(),
                               {
                                   {L"Button", {8, 16, 65, 17}, "１回のみ", Tab},  // the checked one
                                   {L"Button", {87, 16, 49, 17}, "毎日", None},
                                   {L"Button", {152, 16, 70, 17}, "曜日指定", None},
                                   {L"Button", {8, 39, 57, 17}, "日曜日", Tab},
                                   {L"Button", {65, 39, 57, 17}, "月曜日", Tab},
                                   {L"Button", {120, 39, 57, 17}, "火曜日", Tab},
                                   {L"Button", {175, 39, 57, 17}, "水曜日", Tab},
                                   {L"Button", {230, 39, 57, 17}, "木曜日", Tab},
                                   {L"Button", {286, 39, 57, 17}, "金曜日", Tab},
                                   {L"Button", {341, 39, 57, 17}, "土曜日", Tab},
                               }}}});
    }
}
