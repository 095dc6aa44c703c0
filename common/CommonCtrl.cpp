#include "common/CommonCtrl.h"

#include <algorithm>
#include <cstdio>
#include <utility>

TCommonCtrl* g = nullptr;

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The blanks that a scanf conversion skips in the "C" locale.
bool IsScanBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// A count from the callers' arrays, never beyond what the array holds.
size_t Clamp(int32_t count, size_t available) {
    return count <= 0 ? 0 : std::min(static_cast<size_t>(count), available);
}

template <typename T, typename ToText>
std::string Join(std::span<const T> values, int32_t count, ToText toText) {
    std::string text;
    const size_t n = Clamp(count, values.size());
    for (size_t i = 0; i < n; ++i) {
        if (i > 0) text += ',';
        text += toText(values[i]);
    }
    return text;
}
}  // namespace

uint32_t ApplyListViewOptions(uint32_t currentStyle, const ListViewOptions& options) {
    const std::pair<uint8_t, uint32_t> flags[] = {
        {options.FullRowSelect, ListViewStyleFullRowSelect}, {options.OneClickActivate, ListViewStyleOneClickActivate},
        {options.UnderlineCold, ListViewStyleUnderlineCold}, {options.UnderlineHot, ListViewStyleUnderlineHot},
        {options.GridLines, ListViewStyleGridLines},
    };
    for (const auto& [flag, bit] : flags) currentStyle = flag == 1 ? (currentStyle | bit) : (currentStyle & ~bit);
    return currentStyle;
}

std::string TCommonCtrl::TimeToText(TDateTime value) const {
    if (value == 0) return {};
    uint16_t hour = 0, minute = 0, second = 0;
    DecodeTime(value, hour, minute, second);
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", static_cast<unsigned>(hour), static_cast<unsigned>(minute),
                  static_cast<unsigned>(second));
    return text;
}

TDateTime TCommonCtrl::TextToTime(std::string_view text) const {
    int numbers[3] = {0, 0, 0};
    size_t pos = 0;
    const auto at = [&](size_t i) { return i < text.size() ? text[i] : '\0'; };
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (at(pos) != ':') break;
            ++pos;
        }
        while (IsScanBlank(at(pos))) ++pos;
        int width = 2;
        const bool negative = at(pos) == '-';
        if (negative || at(pos) == '+') {
            ++pos;
            --width;
        }
        int value = 0;
        int digits = 0;
        for (; digits < width && IsDigit(at(pos)); ++digits, ++pos) value = value * 10 + (at(pos) - '0');
        if (digits == 0) break;
        numbers[i] = negative ? -value : value;
    }
    // A negative number wraps to a 16-bit value above 59 and so fails like any other out-of-range field.
    const auto time = EncodeTime(static_cast<uint16_t>(numbers[0]), static_cast<uint16_t>(numbers[1]),
                                 static_cast<uint16_t>(numbers[2]), 0);
    return time.value_or(0);
}

int32_t TCommonCtrl::SplitText(std::string_view text, std::vector<std::string>& list) const {
    list.clear();
    if (text.empty()) return 0;
    // Code page 932 trail bytes never take the value 0x2C, so a byte-wise split is safe for Japanese text.
    for (;;) {
        const size_t comma = text.find(',');
        list.emplace_back(text.substr(0, comma));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return static_cast<int32_t>(list.size());
}

std::string TCommonCtrl::JoinIntegers(std::span<const int32_t> values, int32_t count) const {
    return Join(values, count, [](int32_t v) { return std::to_string(v); });
}

std::string TCommonCtrl::JoinTexts(std::span<const std::string> values, int32_t count) const {
    return Join(values, count, [](const std::string& v) -> const std::string& { return v; });
}

std::string TCommonCtrl::JoinBytes(std::span<const int8_t> values, int32_t count) const {
    return Join(values, count, [](int8_t v) { return std::to_string(static_cast<int>(v)); });
}

int32_t TCommonCtrl::ParseIntegers(std::string_view text, std::span<int32_t> values, int32_t maxCount) const {
    std::vector<std::string> fields;
    int32_t n = SplitText(text, fields);
    if (maxCount != 0 && maxCount < n) n = std::max(maxCount, 0);
    n = static_cast<int32_t>(Clamp(n, values.size()));
    for (int32_t i = 0; i < n; ++i) values[static_cast<size_t>(i)] = StrToIntDef(fields[static_cast<size_t>(i)], 0);
    return n;
}

int32_t TCommonCtrl::ParseBytes(std::string_view text, std::span<int8_t> values) const {
    std::vector<std::string> fields;
    const auto n = static_cast<int32_t>(Clamp(SplitText(text, fields), values.size()));
    for (int32_t i = 0; i < n; ++i) {
        const auto low = static_cast<uint8_t>(StrToIntDef(fields[static_cast<size_t>(i)], 0) & 0xFF);
        values[static_cast<size_t>(i)] = static_cast<int8_t>(low);
    }
    return n;
}

ColumnLayoutTexts TCommonCtrl::FormatColumnLayout(std::span<const ColumnLayout> layout, int32_t count) const {
    const size_t n = Clamp(count, layout.size());
    std::vector<std::string> captions;
    std::vector<int32_t> widths;
    std::vector<int8_t> alignments;
    for (const ColumnLayout& column : layout.first(n)) {
        captions.push_back(column.Caption);
        widths.push_back(column.Width);
        alignments.push_back(column.Alignment);
    }
    const auto all = static_cast<int32_t>(n);
    return {JoinBytes(alignments, all), JoinIntegers(widths, all), JoinTexts(captions, all)};
}

void TCommonCtrl::ParseColumnLayout(std::span<ColumnLayout> layout, int32_t count, std::string_view alignText,
                                    std::string_view widthText, std::span<const ColumnLayout> defaults) const {
    const size_t n = Clamp(count, std::min(layout.size(), defaults.size()));
    std::vector<int32_t> widths(n, 0);
    std::vector<int8_t> alignments(n, 0);
    ParseIntegers(widthText, widths, static_cast<int32_t>(n));
    ParseBytes(alignText, alignments);
    for (size_t i = 0; i < n; ++i) {
        layout[i].Width = widths[i] > 0 ? std::min(widths[i], MaxColumnWidth) : defaults[i].Width;
        layout[i].Alignment = alignments[i] > 0 ? alignments[i] : defaults[i].Alignment;
    }
}
