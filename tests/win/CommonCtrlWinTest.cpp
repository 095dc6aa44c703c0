// The helper object's list-view side against a real list view: column layouts read and applied, and the
// extended styles switched without touching the other bits.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "common/CommonCtrl.h"

namespace {
class ListViewHost : public testing::Test {
protected:
    void SetUp() override {
        parent_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 600, 300, nullptr, nullptr, nullptr, nullptr);
        list_ = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 600, 300, parent_,
                                nullptr, nullptr, nullptr);
    }
    void TearDown() override { DestroyWindow(parent_); }

    void AddColumn(const wchar_t* caption, int width, int format) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = const_cast<wchar_t*>(caption);
        column.cx = width;
        column.fmt = format;
        const int count = ColumnCount();
        SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&column));
    }
    void AddItem(const wchar_t* caption) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = 0;
        item.pszText = const_cast<wchar_t*>(caption);
        SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    int ColumnCount() const {
        HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
        return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    }
    LVCOLUMNW Column(int i, UINT mask) const {
        LVCOLUMNW column{};
        column.mask = mask;
        SendMessageW(list_, LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        return column;
    }
    int Width(int i) const { return static_cast<int>(SendMessageW(list_, LVM_GETCOLUMNWIDTH, i, 0)); }

    TCommonCtrl common_;
    HWND parent_ = nullptr;
    HWND list_ = nullptr;
};

const std::array<ColumnLayout, 4> Timers{{{"項", 53, 1}, {"タイトル", 301, 0}, {"時間", 65, 2}, {"タイプ", 57, 0}}};
}  // namespace

TEST_F(ListViewHost, RebuildLeavesExactlyTheLayoutsColumnsTaggedByPositionAndNoItems) {
    AddColumn(L"old", 40, LVCFMT_LEFT);
    AddColumn(L"old2", 40, LVCFMT_LEFT);
    AddItem(L"a");
    AddItem(L"b");

    common_.SetColumnLayout(list_, Timers, true, 4);

    EXPECT_EQ(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0), 0);
    ASSERT_EQ(ColumnCount(), 4);
    std::array<ColumnLayout, 4> read{};
    common_.GetColumnLayout(list_, read);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Column(i, LVCF_SUBITEM).iSubItem, i);
        EXPECT_EQ(read[i].Caption, Timers[i].Caption);
        EXPECT_EQ(read[i].Width, Timers[i].Width);
        EXPECT_EQ(read[i].Alignment, Timers[i].Alignment);
    }
}

TEST_F(ListViewHost, WithoutRebuildOnlyWidthAndAlignmentOfTheFirstCountColumnsChange) {
    AddColumn(L"A", 10, LVCFMT_LEFT);
    AddColumn(L"B", 20, LVCFMT_LEFT);
    AddColumn(L"C", 30, LVCFMT_LEFT);
    AddItem(L"kept");

    common_.SetColumnLayout(list_, Timers, false, 2);

    EXPECT_EQ(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0), 1);
    std::array<ColumnLayout, 3> read{};
    common_.GetColumnLayout(list_, read);
    EXPECT_EQ(read[0].Caption, "A");
    EXPECT_EQ(read[0].Width, 53);
    EXPECT_EQ(read[0].Alignment, 1);
    EXPECT_EQ(read[1].Width, 301);
    EXPECT_EQ(read[2].Width, 30);
    // Widths past what a list takes stop there instead of wrapping (65535 would size to the content).
    const std::array<ColumnLayout, 2> wide{{{"", 65535, 0}, {"", 40000, 0}}};
    common_.SetColumnLayout(list_, wide, false, 2);
    common_.GetColumnLayout(list_, read);
    EXPECT_EQ(read[0].Width, MaxColumnWidth);
    EXPECT_EQ(read[1].Width, MaxColumnWidth);
}

TEST_F(ListViewHost, ALayoutReadBackGivesTheStoredTextsWithTheLiveWidth) {
    common_.SetColumnLayout(list_, Timers, true, 4);
    // As if the user had dragged the border of the title column.
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(200, 0));

    std::array<ColumnLayout, 4> read{};
    common_.GetColumnLayout(list_, read);
    const ColumnLayoutTexts texts = common_.FormatColumnLayout(read, 4);
    EXPECT_EQ(texts.Width, "53,200,65,57");
    EXPECT_EQ(texts.Alignment, "1,0,2,0");
}

TEST_F(ListViewHost, AnArrayShorterThanTheColumnsTakesOnlyWhatFits) {
    common_.SetColumnLayout(list_, Timers, true, 4);
    std::vector<ColumnLayout> two(2);
    common_.GetColumnLayout(list_, two);
    EXPECT_EQ(two[1].Width, 301);
}

TEST_F(ListViewHost, OptionsSwitchTheirFiveBitsAndKeepEveryOtherBit) {
    const DWORD others = LVS_EX_CHECKBOXES | LVS_EX_HEADERDRAGDROP;
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 others | LVS_EX_ONECLICKACTIVATE | LVS_EX_UNDERLINEHOT | LVS_EX_UNDERLINECOLD);

    ListViewOptions options;
    options.FullRowSelect = 1;
    options.GridLines = 1;
    options.OneClickActivate = 2;  // on only when exactly 1
    common_.SetListViewOptions(list_, options);

    EXPECT_EQ(SendMessageW(list_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0),
              static_cast<LRESULT>(others | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES));
}
