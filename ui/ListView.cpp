#include "ui/ListView.h"

#include <commctrl.h>

#include "ui/Form.h"
#include "ui/SystemLibraries.h"
#include "ui/Menu.h"
#include "ui/Wide.h"

int ColumnFormat(int alignment) {
    switch (alignment) {
        case 1:
            return LVCFMT_RIGHT;
        case 2:
            return LVCFMT_CENTER;
        default:
            return LVCFMT_LEFT;
    }
}

bool TListView::Create(TForm& form, HWND parent, const Bounds96& bounds, UINT id) {
    bounds_ = bounds;
    // Registered when the first list view is made, not at every start of the program.
    InitCommonControlsLate(ICC_LISTVIEW_CLASSES);
    if (!CreateControlWindow(
            WC_LISTVIEWW, WS_EX_CLIENTEDGE,
            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SINGLESEL | LVS_SHAREIMAGELISTS, 0,
            0, 0, 0, parent, id)) {
        return false;
    }
    form.AddControl(*this);
    return true;
}

void TListView::AddColumn(std::string_view caption, int width, int alignment) {
    std::wstring text = Widen(caption);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = ColumnFormat(alignment);
    column.cx = width;
    column.pszText = text.data();
    column.iSubItem = ColumnCount();
    SendMessageW(Handle(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(column.iSubItem), reinterpret_cast<LPARAM>(&column));
}

int TListView::ColumnCount() const {
    HWND header = reinterpret_cast<HWND>(SendMessageW(Handle(), LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

void TListView::BeginUpdate() {
    if (updateDepth_++ == 0) SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TListView::EndUpdate() {
    if (updateDepth_ == 0 || --updateDepth_ > 0) return;
    SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TListView::Clear() { SendMessageW(Handle(), LVM_DELETEALLITEMS, 0, 0); }

int TListView::AddItem(std::string_view caption, LPARAM data, std::initializer_list<std::string_view> subItems) {
    std::wstring text = Widen(caption);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = ItemCount();
    item.pszText = text.data();
    item.lParam = data;
    const int index = static_cast<int>(SendMessageW(Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) return index;
    int subItem = 1;
    for (std::string_view sub : subItems) {
        std::wstring subText = Widen(sub);
        LVITEMW subEntry{};
        subEntry.iSubItem = subItem++;
        subEntry.pszText = subText.data();
        SendMessageW(Handle(), LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&subEntry));
    }
    return index;
}

int TListView::ItemCount() const { return static_cast<int>(SendMessageW(Handle(), LVM_GETITEMCOUNT, 0, 0)); }

std::string TListView::ItemText(int item, int subItem) const {
    wchar_t text[1024] = L"";
    LVITEMW entry{};
    entry.iSubItem = subItem;
    entry.pszText = text;
    entry.cchTextMax = 1024;
    const auto length =
        SendMessageW(Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&entry));
    return Narrow(std::wstring_view(text, static_cast<size_t>(length)));
}

LPARAM TListView::ItemData(int item) const {
    LVITEMW entry{};
    entry.mask = LVIF_PARAM;
    entry.iItem = item;
    SendMessageW(Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&entry));
    return entry.lParam;
}

int TListView::SelectedIndex() const {
    return static_cast<int>(SendMessageW(Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TListView::SetSelectedIndex(int item) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = 0;
    SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    if (item < 0) return;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
}

void TListView::ShowPopupMenu(LPARAM screenPoint) {
    POINT pt{static_cast<short>(LOWORD(screenPoint)), static_cast<short>(HIWORD(screenPoint))};
    if (screenPoint == -1) {
        // From the keyboard: at the selected item, or at the top-left corner of the list.
        RECT r{};
        const int selected = SelectedIndex();
        r.left = LVIR_BOUNDS;
        if (selected < 0 ||
            !SendMessageW(Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&r))) {
            r = {};
        }
        pt = {r.left, r.bottom};
        ClientToScreen(Handle(), &pt);
    }
    PopupMenu->Popup(GetAncestor(Handle(), GA_ROOT), pt.x, pt.y);
}

void TListView::ShowFirstColumnFormat() {
    // The header takes the first column's alignment too (the list view gives its first header item a left one).
    HWND header = reinterpret_cast<HWND>(SendMessageW(Handle(), LVM_GETHEADER, 0, 0));
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    if (!header || !SendMessageW(header, HDM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return;
    item.fmt = (item.fmt & ~HDF_JUSTIFYMASK) | firstColumnFormat_;
    SendMessageW(header, HDM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void TListView::DrawFirstColumnText(const NMLVCUSTOMDRAW& draw) const {
    // The control has drawn the cell left-aligned: the cell is covered with its ground and the text drawn
    // again as the column asks, in the colours of the item's own state. What the control left in the device
    // context is no guide: Windows' themed list view leaves neither its highlight nor its text colour there.
    const auto item = static_cast<WPARAM>(draw.nmcd.dwItemSpec);
    // The label rectangle: for subitem 0, LVM_GETSUBITEMRECT gives the whole row.
    RECT cell{LVIR_LABEL, 0, 0, 0};
    if (!SendMessageW(Handle(), LVM_GETITEMRECT, item, reinterpret_cast<LPARAM>(&cell))) return;
    wchar_t text[256] = L"";
    LVITEMW entry{};
    entry.pszText = text;
    entry.cchTextMax = 256;
    const auto length =
        static_cast<int>(SendMessageW(Handle(), LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&entry)));
    const auto listColor = [this](UINT message, COLORREF otherwise) {
        const auto color = static_cast<COLORREF>(SendMessageW(Handle(), message, 0, 0));
        return color == CLR_NONE || color == CLR_DEFAULT ? otherwise : color;
    };
    const bool selected = (SendMessageW(Handle(), LVM_GETITEMSTATE, item, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    const bool focused = GetFocus() == Handle();
    const bool showsSelection = (GetWindowLongW(Handle(), GWL_STYLE) & LVS_SHOWSELALWAYS) != 0;
    COLORREF ink = listColor(LVM_GETTEXTCOLOR, GetSysColor(COLOR_WINDOWTEXT));
    COLORREF usualGround = listColor(LVM_GETTEXTBKCOLOR, listColor(LVM_GETBKCOLOR, GetSysColor(COLOR_WINDOW)));
    if (selected && focused) {
        ink = GetSysColor(COLOR_HIGHLIGHTTEXT);
        usualGround = GetSysColor(COLOR_HIGHLIGHT);
    } else if (selected && showsSelection) {
        ink = GetSysColor(COLOR_BTNTEXT);
        usualGround = GetSysColor(COLOR_BTNFACE);
    }
    HDC dc = draw.nmcd.hdc;
    const int savedDc = SaveDC(dc);
    // The row's ground as the control drew it (a theme's highlight), read from the cell's margin, which the
    // control's text never reaches; where the margin is outside this paint's clip, the state's colour.
    const POINT margin{cell.left + 1, (cell.top + cell.bottom) / 2};
    const COLORREF ground = PtVisible(dc, margin.x, margin.y) ? GetPixel(dc, margin.x, margin.y) : CLR_INVALID;
    SetBkColor(dc, ground != CLR_INVALID ? ground : usualGround);
    ExtTextOutW(dc, cell.left, cell.top, ETO_OPAQUE, &cell, nullptr, 0, nullptr);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ink);
    InflateRect(&cell, -ScaleForDpi(TextMargin, dpi_), 0);
    DrawTextW(dc, text, length, &cell,
              (firstColumnFormat_ == LVCFMT_RIGHT ? DT_RIGHT : DT_CENTER) | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX |
                  DT_END_ELLIPSIS);
    RestoreDC(dc, savedDc);
}

bool TListView::HandleReflected(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
    // Every list view draws its first column left-aligned, whatever the column says: a first column aligned
    // otherwise has its text drawn again, after the control drew the cell.
    if (message != WM_NOTIFY || firstColumnFormat_ == LVCFMT_LEFT) return false;
    const auto* draw = reinterpret_cast<const NMLVCUSTOMDRAW*>(lParam);
    if (draw->nmcd.hdr.code != NM_CUSTOMDRAW) return false;
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            result = CDRF_NOTIFYITEMDRAW;
            return true;
        case CDDS_ITEMPREPAINT:
            result = CDRF_NOTIFYSUBITEMDRAW;
            return true;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
            result = draw->iSubItem == 0 ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
            return true;
        case CDDS_ITEMPOSTPAINT | CDDS_SUBITEM:
            if (draw->iSubItem == 0) DrawFirstColumnText(*draw);
            result = CDRF_DODEFAULT;
            return true;
        default:
            return false;
    }
}

LRESULT TListView::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CONTEXTMENU:
            if (!PopupMenu) break;
            ShowPopupMenu(lParam);
            return 0;
        // The first column keeps the alignment it was given, whatever the control makes of it, and reports it.
        case LVM_INSERTCOLUMNW:
        case LVM_SETCOLUMNW: {
            const auto* column = reinterpret_cast<const LVCOLUMNW*>(lParam);
            const LRESULT result = TControl::WndProc(message, wParam, lParam);
            const bool first = message == LVM_INSERTCOLUMNW ? result == 0 : (wParam == 0 && result);
            if (first && column) {
                firstColumnFormat_ = (column->mask & LVCF_FMT) ? (column->fmt & LVCFMT_JUSTIFYMASK) : LVCFMT_LEFT;
                ShowFirstColumnFormat();
                InvalidateRect(Handle(), nullptr, TRUE);
            }
            return result;
        }
        case LVM_GETCOLUMNW: {
            auto* column = reinterpret_cast<LVCOLUMNW*>(lParam);
            const LRESULT result = TControl::WndProc(message, wParam, lParam);
            if (result && wParam == 0 && column && (column->mask & LVCF_FMT)) {
                column->fmt = (column->fmt & ~LVCFMT_JUSTIFYMASK) | firstColumnFormat_;
            }
            return result;
        }
        case LVM_DELETECOLUMN: {
            const LRESULT result = TControl::WndProc(message, wParam, lParam);
            if (result && wParam == 0) {
                LVCOLUMNW column{};
                column.mask = LVCF_FMT;
                firstColumnFormat_ = TControl::WndProc(LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column))
                                         ? (column.fmt & LVCFMT_JUSTIFYMASK)
                                         : LVCFMT_LEFT;
            }
            return result;
        }
        default:
            break;
    }
    return TControl::WndProc(message, wParam, lParam);
}
