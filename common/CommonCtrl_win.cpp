// The helper object's list-view side: reading and applying column layouts and switching the extended
// display styles of a list view in report style.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "common/CommonCtrl.h"
#include "ui/ListView.h"
#include "ui/Wide.h"

namespace {
int ColumnCountOf(HWND listView) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(listView, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int8_t AlignmentOf(int format) {
    switch (format & LVCFMT_JUSTIFYMASK) {
        case LVCFMT_RIGHT:
            return 1;
        case LVCFMT_CENTER:
            return 2;
        default:
            return 0;
    }
}
}  // namespace

void TCommonCtrl::GetColumnLayout(HWND listView, std::span<ColumnLayout> layout) const {
    const int count = std::min(ColumnCountOf(listView), static_cast<int>(layout.size()));
    for (int i = 0; i < count; ++i) {
        wchar_t caption[256] = L"";
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.pszText = caption;
        column.cchTextMax = 256;
        SendMessageW(listView, LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        layout[i].Caption = Narrow(caption);
        // The live width, so that a border the user dragged is kept.
        layout[i].Width = static_cast<int32_t>(SendMessageW(listView, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
        layout[i].Alignment = AlignmentOf(column.fmt);
    }
}

void TCommonCtrl::SetColumnLayout(HWND listView, std::span<const ColumnLayout> layout, bool rebuild,
                                  int32_t count) const {
    const int n = std::clamp(count, 0, static_cast<int32_t>(layout.size()));
    SendMessageW(listView, WM_SETREDRAW, FALSE, 0);
    if (rebuild) {
        SendMessageW(listView, LVM_DELETEALLITEMS, 0, 0);
        for (int i = ColumnCountOf(listView); i > 0; --i) SendMessageW(listView, LVM_DELETECOLUMN, 0, 0);
    }
    for (int i = 0; i < n; ++i) {
        const ColumnLayout& entry = layout[i];
        if (rebuild) {
            // The column's sub-item index is its tag: the position it was built at.
            std::wstring caption = Widen(entry.Caption);
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_SUBITEM;
            column.pszText = caption.data();
            column.iSubItem = i;
            SendMessageW(listView, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        }
        LVCOLUMNW column{};
        column.mask = LVCF_FMT;
        column.fmt = ColumnFormat(entry.Alignment);
        SendMessageW(listView, LVM_SETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        // Widths past what the message carries would wrap into other widths or the auto-size codes.
        const int width = std::clamp(entry.Width, 0, MaxColumnWidth);
        SendMessageW(listView, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), MAKELPARAM(width, 0));
    }
    SendMessageW(listView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listView, nullptr, TRUE);
}

void TCommonCtrl::SetListViewOptions(HWND listView, const ListViewOptions& options) const {
    const auto current = static_cast<uint32_t>(SendMessageW(listView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    SendMessageW(listView, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 static_cast<LPARAM>(ApplyListViewOptions(current, options)));
}
