#pragma once
// A list view in report style: columns with caption, width (pixels) and alignment (0 left, 1 right,
// 2 centred), items with a caption, a data value and sub-items, one selected item at most, and an optional
// popup menu that opens on a right-click or the context-menu key (at the selected item, or at the list's
// corner). Every column is drawn with its alignment, the first one too, which the control itself always
// draws left-aligned; a column reads back the alignment it was given.
#include <initializer_list>
#include <string>
#include <string_view>

#include <windows.h>

#include <commctrl.h>

#include "ui/Control.h"

class TForm;
class TPopupMenu;

// The list-view column format (LVCFMT_*) for an alignment code: 0 left, 1 right, 2 centred.
int ColumnFormat(int alignment);

class TListView : public TControl {
public:
    bool Create(TForm& form, HWND parent, const Bounds96& bounds, UINT id);

    void AddColumn(std::string_view caption, int width, int alignment);
    int ColumnCount() const;

    // Updates between BeginUpdate and EndUpdate are drawn once, at the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();

    void Clear();
    // Appends an item and returns its index.
    int AddItem(std::string_view caption, LPARAM data, std::initializer_list<std::string_view> subItems = {});
    int ItemCount() const;
    // Sub-item 0 is the caption.
    std::string ItemText(int item, int subItem = 0) const;
    LPARAM ItemData(int item) const;

    int SelectedIndex() const;  // -1 when no item is selected
    void SetSelectedIndex(int item);

    TPopupMenu* PopupMenu = nullptr;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    static constexpr int TextMargin = 6;  // between a cell's edge and its text, at 96 DPI

    void ShowPopupMenu(LPARAM screenPoint);
    void ShowFirstColumnFormat();
    void DrawFirstColumnText(const NMLVCUSTOMDRAW& draw) const;

    int updateDepth_ = 0;
    int firstColumnFormat_ = 0;  // LVCFMT_LEFT, LVCFMT_RIGHT or LVCFMT_CENTER
};
