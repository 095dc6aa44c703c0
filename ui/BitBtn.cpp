#include "ui/BitBtn.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <string>

#include "ui/SystemLibraries.h"

namespace {
// The theme functions, from uxtheme loaded late (SystemFunction): the classic look where they are missing.
struct ThemeApi {
    decltype(IsAppThemed)* isAppThemed = SystemFunction<decltype(IsAppThemed)>(L"uxtheme.dll", "IsAppThemed");
    decltype(OpenThemeData)* open = SystemFunction<decltype(OpenThemeData)>(L"uxtheme.dll", "OpenThemeData");
    decltype(CloseThemeData)* close = SystemFunction<decltype(CloseThemeData)>(L"uxtheme.dll", "CloseThemeData");
    decltype(IsThemeBackgroundPartiallyTransparent)* partiallyTransparent =
        SystemFunction<decltype(IsThemeBackgroundPartiallyTransparent)>(L"uxtheme.dll",
                                                                        "IsThemeBackgroundPartiallyTransparent");
    decltype(DrawThemeParentBackground)* drawParent =
        SystemFunction<decltype(DrawThemeParentBackground)>(L"uxtheme.dll", "DrawThemeParentBackground");
    decltype(DrawThemeBackground)* draw =
        SystemFunction<decltype(DrawThemeBackground)>(L"uxtheme.dll", "DrawThemeBackground");
    bool Usable() const { return isAppThemed && open && close && partiallyTransparent && drawParent && draw; }
};

const ThemeApi& Theme() {
    static const ThemeApi api;
    return api;
}

constexpr int GlyphSize = 16;
constexpr int GlyphSpacing = 4;  // between glyph and caption, at 96 DPI

class ThemeScope {
public:
    explicit ThemeScope(HWND hwnd)
        : theme_(Theme().Usable() && Theme().isAppThemed() ? Theme().open(hwnd, L"BUTTON") : nullptr) {}
    ~ThemeScope() {
        if (theme_) Theme().close(theme_);
    }
    ThemeScope(const ThemeScope&) = delete;
    ThemeScope& operator=(const ThemeScope&) = delete;
    HTHEME get() const { return theme_; }

private:
    HTHEME theme_;
};
}  // namespace

bool TBitBtn::Create(TForm& form, HWND parent, const Bounds96& bounds, std::string_view caption, UINT id) {
    return CreateButton(form, parent, bounds, caption, id, BS_OWNERDRAW);
}

void TBitBtn::SetGlyph(HBITMAP bitmap) {
    glyph_.reset(bitmap ? static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, 0)) : nullptr);
    if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

bool TBitBtn::HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_DRAWITEM) {
        Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    }
    return TButton::HandleReflected(message, wParam, lParam, result);
}

void TBitBtn::Draw(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;

    ThemeScope theme(Handle());
    if (theme.get()) {
        const int state = disabled ? PBS_DISABLED : pushed ? PBS_PRESSED : focused ? PBS_DEFAULTED : PBS_NORMAL;
        if (Theme().partiallyTransparent(theme.get(), BP_PUSHBUTTON, state)) {
            Theme().drawParent(Handle(), dc, &r);
        }
        Theme().draw(theme.get(), dc, BP_PUSHBUTTON, state, &r, nullptr);
    } else {
        // The classic look: the focused button wears the dark frame of the default button.
        if (focused) {
            FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
            InflateRect(&r, -1, -1);
        }
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
    }

    wchar_t text[256];
    const int length = GetWindowTextW(Handle(), text, 256);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
    SelectScope selectFont(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SIZE textSize{};
    GetTextExtentPoint32W(dc, text, length, &textSize);

    const int glyphSize = glyph_ ? ScaleForDpi(GlyphSize, dpi_) : 0;
    const int spacing = glyph_ && length > 0 ? ScaleForDpi(GlyphSpacing, dpi_) : 0;
    const int shift = pushed && !theme.get() ? 1 : 0;
    const RECT& whole = item.rcItem;
    int x = whole.left + ((whole.right - whole.left) - (glyphSize + spacing + textSize.cx)) / 2 + shift;
    const int middle = whole.top + (whole.bottom - whole.top) / 2 + shift;

    if (glyph_) {
        BITMAP bm{};
        GetObjectW(glyph_.get(), sizeof bm, &bm);
        const int top = middle - glyphSize / 2;
        if (disabled) {
            // DrawState selects the bitmap into a DC of its own, so it must be selected into no other one.
            BitmapHandle sized(static_cast<HBITMAP>(CopyImage(glyph_.get(), IMAGE_BITMAP, glyphSize, glyphSize, 0)));
            DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(sized ? sized.get() : glyph_.get()), 0, x, top,
                       glyphSize, glyphSize, DST_BITMAP | DSS_DISABLED);
        } else {
            MemoryDc source(dc);
            SelectScope selectGlyph(source, glyph_.get());
            // As glyphs have always worked: the colour of the bottom-left pixel is the transparent colour.
            const COLORREF transparent = GetPixel(source, 0, bm.bmHeight - 1);
            GdiTransparentBlt(dc, x, top, glyphSize, glyphSize, source, 0, 0, bm.bmWidth, bm.bmHeight, transparent);
        }
        x += glyphSize + spacing;
    }

    RECT textRect{x, middle - textSize.cy / 2, x + textSize.cx, middle - textSize.cy / 2 + textSize.cy};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    DrawTextW(dc, text, length, &textRect, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);

    if (focused && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT focusRect = item.rcItem;
        InflateRect(&focusRect, -4, -4);
        DrawFocusRect(dc, &focusRect);
    }
}
