#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "common/CommonCtrl.h"

using namespace std::string_literals;

namespace {
const TCommonCtrl Ctrl;

TDateTime Time(uint16_t h, uint16_t m, uint16_t s) { return *EncodeTime(h, m, s, 0); }
}  // namespace

TEST(CommonCtrl, TimeToTextShowsTheTimeOfDayAndNothingForZero) {
    const struct {
        TDateTime Value;
        const char* Text;
    } cases[] = {
        {0, ""},
        {45296, "00:00:00"},
        {0.5, "12:00:00"},
        {45296 + Time(9, 30, 0), "09:30:00"},
        {*EncodeTime(23, 59, 59, 999), "23:59:59"},
        {-1.25, "06:00:00"},
    };
    for (const auto& c : cases) EXPECT_EQ(Ctrl.TimeToText(c.Value), c.Text) << c.Value;
}

TEST(CommonCtrl, TextToTimeReadsLikeScanfOfTwoDigitFields) {
    const struct {
        std::string Text;
        TDateTime Expected;
    } cases[] = {
        {"09:30:00", Time(9, 30, 0)},
        {"9:5:7", Time(9, 5, 7)},
        {"12:34", Time(12, 34, 0)},
        {"123456", Time(12, 0, 0)},  // the third character is not a colon
        {" 9:05", Time(9, 5, 0)},
        {"\t7: 8: 9", Time(7, 8, 9)},  // blanks before a number are skipped
        {"12 :30", Time(12, 0, 0)},    // but not before a colon
        {"+9:05:00", Time(9, 5, 0)},
        {"-0:30:00", Time(0, 30, 0)},
        {"1-:30", Time(1, 0, 0)},
        {"07:08:09xyz", Time(7, 8, 9)},
        {"07:08:099", Time(7, 8, 9)},
        {"7:", Time(7, 0, 0)},
        {"12\0:30"s, Time(12, 0, 0)},
        {"-1:00:00", 0},
        {"00:-1:00", 0},
        {"24:00:00", 0},
        {"12:60:00", 0},
        {"abc", 0},
        {"::", 0},
        {"", 0},
        {"０９:３０", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(Ctrl.TextToTime(c.Text), c.Expected) << c.Text;
}

TEST(CommonCtrl, SplitTextCutsAtEveryCommaAndKeepsEverythingElse) {
    const struct {
        std::string Text;
        std::vector<std::string> Fields;
    } cases[] = {
        {"a,,b", {"a", "", "b"}},
        {",", {"", ""}},
        {"a,", {"a", ""}},
        {" a , b ", {" a ", " b "}},
        {"abc", {"abc"}},
        {"", {}},
        {"項,タイトル,表", {"項", "タイトル", "表"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> list = {"left over"};
        EXPECT_EQ(Ctrl.SplitText(c.Text, list), static_cast<int32_t>(c.Fields.size())) << c.Text;
        EXPECT_EQ(list, c.Fields) << c.Text;
    }
}

TEST(CommonCtrl, IntegerTextsAreStrictDecimalOrHex) {
    const struct {
        const char* Text;
        std::optional<int32_t> Value;
    } cases[] = {
        {"0", 0},
        {"007", 7},
        {"-5", -5},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"0x1F", 31},
        {"0XfF", 255},
        {"0xFFFFFFFF", -1},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"0x100000000", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"0x", std::nullopt},
        {"+5", std::nullopt},
        {" 5", std::nullopt},
        {"5 ", std::nullopt},
        {"1e3", std::nullopt},
        {"-0x5", std::nullopt},
        {"０", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(TryStrToInt(c.Text), c.Value) << c.Text;
    EXPECT_EQ(StrToIntDef("abc", 42), 42);
}

TEST(CommonCtrl, JoinWritesCountValuesWithCommasBetween) {
    const std::array<int32_t, 3> integers = {53, -1, 2147483647};
    const std::array<int8_t, 3> bytes = {1, -128, 127};
    const std::array<std::string, 3> texts = {"項", "", "a b"};
    EXPECT_EQ(Ctrl.JoinIntegers(integers, 3), "53,-1,2147483647");
    EXPECT_EQ(Ctrl.JoinBytes(bytes, 3), "1,-128,127");
    EXPECT_EQ(Ctrl.JoinTexts(texts, 3), "項,,a b");
    EXPECT_EQ(Ctrl.JoinIntegers(integers, 2), "53,-1");
    EXPECT_EQ(Ctrl.JoinIntegers(integers, 0), "");
    // A count beyond the array, or below zero, never reads past it.
    EXPECT_EQ(Ctrl.JoinBytes(bytes, 9), "1,-128,127");
    EXPECT_EQ(Ctrl.JoinTexts(texts, -1), "");
}

TEST(CommonCtrl, ParseWritesAtMostTheMaximumAndNeverPastTheOutput) {
    std::array<int32_t, 5> integers{};
    EXPECT_EQ(Ctrl.ParseIntegers("1,x,,0x10", integers, 0), 4);
    EXPECT_EQ(integers, (std::array<int32_t, 5>{1, 0, 0, 16, 0}));

    integers.fill(9);
    EXPECT_EQ(Ctrl.ParseIntegers("1,2,3", integers, 2), 2);
    EXPECT_EQ(integers, (std::array<int32_t, 5>{1, 2, 9, 9, 9}));
    EXPECT_EQ(Ctrl.ParseIntegers("1,2,3", integers, -1), 0);
    EXPECT_EQ(Ctrl.ParseIntegers("", integers, 0), 0);
    EXPECT_EQ(Ctrl.ParseIntegers("1,2,3,4,5,6,7", integers, 0), 5);

    std::array<int8_t, 3> bytes{};
    EXPECT_EQ(Ctrl.ParseBytes("256,-1,300,5,6", bytes), 3);
    EXPECT_EQ(bytes, (std::array<int8_t, 3>{0, -1, 44}));
}

TEST(CommonCtrl, ColumnLayoutTextsRoundTrip) {
    const std::array<ColumnLayout, 4> layout = {
        {{"項", 53, 1}, {"タイトル", 301, 0}, {"時間", 65, 0}, {"タイプ", 57, 2}}};
    const ColumnLayoutTexts texts = Ctrl.FormatColumnLayout(layout, 4);
    EXPECT_EQ(texts.Width, "53,301,65,57");
    EXPECT_EQ(texts.Alignment, "1,0,0,2");
    EXPECT_EQ(texts.Caption, "項,タイトル,時間,タイプ");

    const ColumnLayoutTexts none = Ctrl.FormatColumnLayout(layout, 0);
    EXPECT_EQ(none.Width + none.Alignment + none.Caption, "");
}

TEST(CommonCtrl, ParseColumnLayoutFallsBackToTheDefaultsForAnythingUnusable) {
    const std::array<ColumnLayout, 4> defaults = {{{"", 53, 1}, {"", 301, 0}, {"", 65, 0}, {"", 57, 0}}};
    const struct {
        const char* Align;
        const char* Width;
        std::array<int32_t, 4> Widths;
        std::array<int8_t, 4> Alignments;
    } cases[] = {
        {"", "", {53, 301, 65, 57}, {1, 0, 0, 0}},
        {"", "80,0,abc", {80, 301, 65, 57}, {1, 0, 0, 0}},
        {"0,2,0,0", "-5,1,2,3,4,5", {53, 1, 2, 3}, {1, 2, 0, 0}},
        {"2,2,2,2,2,2,2,2", "", {53, 301, 65, 57}, {2, 2, 2, 2}},
        {"-1,255,x", "", {53, 301, 65, 57}, {1, 0, 0, 0}},                                 // 255 is -1 as a signed byte
        {"", "32767,32768,65535,2147483647", {32767, 32767, 32767, 32767}, {1, 0, 0, 0}},  // what a list shows
    };
    for (const auto& c : cases) {
        std::array<ColumnLayout, 4> layout = {{{"a", 1, 1}, {"b", 1, 1}, {"c", 1, 1}, {"d", 1, 1}}};
        Ctrl.ParseColumnLayout(layout, 4, c.Align, c.Width, defaults);
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(layout[i].Width, c.Widths[i]) << c.Width << " #" << i;
            EXPECT_EQ(layout[i].Alignment, c.Alignments[i]) << c.Align << " #" << i;
            EXPECT_EQ(layout[i].Caption, std::string(1, static_cast<char>('a' + i)));
        }
    }
    // A count beyond either array stops at the shorter one.
    std::array<ColumnLayout, 2> shorter{};
    Ctrl.ParseColumnLayout(shorter, 9, "", "7,7,7", defaults);
    EXPECT_EQ(shorter[1].Width, 7);
}

TEST(CommonCtrl, ListViewOptionsSwitchOnlyTheirOwnBits) {
    constexpr uint32_t CheckBoxes = 0x4;
    EXPECT_EQ(ApplyListViewOptions(CheckBoxes, {1, 1, 1, 1, 1}), CheckBoxes | 0x20 | 0x40 | 0x1000 | 0x800 | 0x1);
    EXPECT_EQ(ApplyListViewOptions(0xFFFFFFFF, {0, 0, 0, 0, 0}), 0xFFFFFFFF & ~0x1861u);
    // Only exactly 1 counts as on.
    EXPECT_EQ(ApplyListViewOptions(0x21, {2, 0, 0, 0, 1}), 0x1u);
}
