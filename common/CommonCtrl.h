#pragma once
// The helper object shared by the forms: time texts, comma splitting, and the texts that keep a list
// view's column layout in the settings file. It holds no state; the main window creates the one instance
// into g and deletes it at its end, but any instance does the same work.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/DateTime.h"
#include "core/IntText.h"

#ifdef _WIN32
struct HWND__;
using HWND = HWND__*;
#endif

// The widest column a list view takes: its width travels as a 16-bit signed value, so a wider one would
// wrap (65535 would even mean "size to the content").
inline constexpr int32_t MaxColumnWidth = 32767;

// One list-view column. Alignment: 0 left, 1 right, 2 centred.
struct ColumnLayout {
    std::string Caption;
    int32_t Width = 0;
    int8_t Alignment = 0;
};

struct ColumnLayoutTexts {
    std::string Alignment;  // "1,0,0,0"
    std::string Width;      // "53,301,65,57"
    std::string Caption;
};

// Each flag is on only when it holds exactly 1.
struct ListViewOptions {
    uint8_t FullRowSelect = 0;
    uint8_t OneClickActivate = 0;
    uint8_t UnderlineCold = 0;
    uint8_t UnderlineHot = 0;
    uint8_t GridLines = 0;
};

// The extended list-view style bits, named apart from the system header's macros so both can be included.
inline constexpr uint32_t ListViewStyleFullRowSelect = 0x20;
inline constexpr uint32_t ListViewStyleOneClickActivate = 0x40;
inline constexpr uint32_t ListViewStyleUnderlineCold = 0x1000;
inline constexpr uint32_t ListViewStyleUnderlineHot = 0x800;
inline constexpr uint32_t ListViewStyleGridLines = 0x1;

// The style with the five option bits set or cleared; every other bit keeps its value.
uint32_t ApplyListViewOptions(uint32_t currentStyle, const ListViewOptions& options);

class TCommonCtrl {
public:
    // "hh:nn:ss" of the time of day, always with ':' so that TextToTime reads it back; "" for exactly 0.
    std::string TimeToText(TDateTime value) const;
    // Reads "%02d:%02d:%02d" as sscanf would: at most two characters a number (blanks before it skipped, a
    // sign counting as one of the two), each ':' required, reading stops at the first mismatch and unread
    // numbers stay 0. A time out of range, a negative number included, gives 0. Never has a date part.
    TDateTime TextToTime(std::string_view text) const;
    // Every comma separates; no trimming, no quoting; empty fields count. "" gives no field at all.
    int32_t SplitText(std::string_view text, std::vector<std::string>& list) const;

    // Count values joined by single commas; count is cut to the array's length.
    std::string JoinIntegers(std::span<const int32_t> values, int32_t count) const;
    std::string JoinTexts(std::span<const std::string> values, int32_t count) const;
    std::string JoinBytes(std::span<const int8_t> values, int32_t count) const;

    // Fields that are not integers give 0. At most maxCount values (0: no maximum) and never more than the
    // output holds; returns how many were written.
    int32_t ParseIntegers(std::string_view text, std::span<int32_t> values, int32_t maxCount) const;
    // As ParseIntegers, keeping the low 8 bits of each value.
    int32_t ParseBytes(std::string_view text, std::span<int8_t> values) const;

    ColumnLayoutTexts FormatColumnLayout(std::span<const ColumnLayout> layout, int32_t count) const;
    // Sets Width and Alignment of the first count entries from the stored texts. A stored value of 0 or
    // below, or one that is missing or not a number, takes the default entry's value; a width above
    // MaxColumnWidth becomes MaxColumnWidth. Caption is untouched.
    void ParseColumnLayout(std::span<ColumnLayout> layout, int32_t count, std::string_view alignText,
                           std::string_view widthText, std::span<const ColumnLayout> defaults) const;

#ifdef _WIN32
    // The list-view side, in CommonCtrl_win.cpp.
    void GetColumnLayout(HWND listView, std::span<ColumnLayout> layout) const;
    void SetColumnLayout(HWND listView, std::span<const ColumnLayout> layout, bool rebuild, int32_t count) const;
    void SetListViewOptions(HWND listView, const ListViewOptions& options) const;
#endif
};

extern TCommonCtrl* g;
