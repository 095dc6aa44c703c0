#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "common/CommonCtrl.h"
#include "core/Os.h"
#include "settings/IniFile.h"
#include "timers/TimerData.h"
#include "tests/support/TestSupport.h"

namespace {

// A settings file in a folder of its own, removed with the object.
struct SettingsFile {
    TempFolder Folder{"horvane-timers"};
    PathString Path = Folder.File("Horvane2010.ini");
    explicit SettingsFile(std::string_view content = "") {
        if (!content.empty()) {
            EXPECT_TRUE(WriteFileBytes(Path, content));
        }
    }
    TimerList Load() const {
        TimerList timers;
        LoadTimers(TIniFile(Path), timers);
        return timers;
    }
    std::string Save(const TimerList& timers) const {
        TIniFile ini(Path);
        SaveTimers(ini, timers);
        EXPECT_TRUE(ini.UpdateFile());
        return Os::ReadFileBytes(Path).value_or("(no file)");
    }
};

TIMERDATA Live(std::string title, int32_t kind, uint16_t h, uint16_t m, uint8_t days) {
    return {1, std::move(title), kind, *EncodeTime(h, m, 0, 0), days};
}

std::string Describe(const TIMERDATA& r) {
    return std::to_string(r.Valid) + "|" + r.Title + "|" + std::to_string(r.Kind) + "|" +
           TCommonCtrl().TimeToText(r.Time) + "|" + std::to_string(r.Days);
}
}  // namespace

TEST(TimerData, ParseReadsTheLastThreeFieldsFromTheRight) {
    const struct {
        const char* Value;
        const char* Expected;  // Describe() of the record; "" when the value is unreadable
    } cases[] = {
        {"会議,2,09:30:00,42", "1|会議|2|09:30:00|42"},
        {",0,08:00:00,0", "1||0|08:00:00|0"},
        {"朝,1,,0", "1|朝|1||0"},
        {"a,b,0,08:00:00,0", "1|a,b|0|08:00:00|0"},
        {",,,1,08:00:00,3", "1|,,|1|08:00:00|3"},
        {"x,7,08:00:00,300", "1|x|7|08:00:00|44"},
        {"x,-1,08:00:00,-1", "1|x|-1|08:00:00|255"},
        {"x,1,8:5,0x7F", "1|x|1|08:05:00|127"},
        {"x,1,25:00:00,0", "1|x|1||0"},
        {"x,1,08:00", ""},
        {",,", ""},
        {"x,one,08:00:00,0", ""},
        {"x,1,08:00:00,many", ""},
        {"x,1,08:00:00,", ""},
        {"x, 1,08:00:00,0", ""},
    };
    for (const auto& c : cases) {
        TIMERDATA record{5, "untouched", 9, 0.25, 9};
        const bool ok = ParseTimer(record, c.Value);
        if (ok) record.Valid = 1;
        EXPECT_EQ(ok ? Describe(record) : "", c.Expected) << c.Value;
        if (!ok) {
            EXPECT_EQ(Describe(record), "5|untouched|9|06:00:00|9") << c.Value;
        }
    }
}

TEST(TimerData, FormatWritesTitleKindTimeAndDaysVerbatim) {
    EXPECT_EQ(FormatTimer(Live("会議", 2, 9, 30, 42)), "会議,2,09:30:00,42");
    EXPECT_EQ(FormatTimer({1, "朝", 1, 0, 0}), "朝,1,,0");
    EXPECT_EQ(FormatTimer({1, "", -7, 45296.5, 200}), ",-7,12:00:00,200");
    // A typed title is data, never a format.
    EXPECT_EQ(FormatTimer({1, "%s%n%d", 0, 0, 0}), "%s%n%d,0,,0");
}

TEST(TimerData, FormatKeepsTheValueOneReadableLine) {
    EXPECT_EQ(FormatTimer({1, "a\r\nTimerData05=b", 0, 0, 0}), "a  TimerData05=b,0,,0");

    // Over-long titles are cut, whole characters only, so that a read still ends with the right days.
    for (const std::string unit : {"x", "表"}) {
        std::string title;
        while (title.size() < 3000) title += unit;
        const std::string value = FormatTimer({1, title, 1, 0.5, 127});
        EXPECT_LE(value.size(), 2047u);
        EXPECT_GE(value.size(), 2046u);
        TIMERDATA back;
        ASSERT_TRUE(ParseTimer(back, value));
        EXPECT_EQ(back.Days, 127);
        EXPECT_EQ(back.Title.size() % unit.size(), 0u);
        EXPECT_EQ(title.compare(0, back.Title.size(), back.Title), 0);
    }
}

TEST(TimerData, RecordsSurviveASaveAndALoad) {
    SettingsFile file;
    const TimerList timers = {
        Live("会議", 2, 9, 30, 42), Live("a,b", 0, 8, 0, 0), {1, "朝", 1, 0, 3}, Live("", 1, 23, 59, 127)};
    EXPECT_EQ(file.Save(timers),
              "[TimerData]\r\nTimerData00=会議,2,09:30:00,42\r\nTimerData01=a,b,0,08:00:00,0\r\n"
              "TimerData02=朝,1,,3\r\nTimerData03=,1,23:59:00,127\r\n");
    const TimerList loaded = file.Load();
    ASSERT_EQ(loaded.size(), timers.size());
    for (size_t i = 0; i < timers.size(); ++i) EXPECT_EQ(Describe(loaded[i]), Describe(timers[i]));
    EXPECT_EQ(loaded[0].Time, timers[0].Time);
}

TEST(TimerData, LoadKeepsGoingPastGapsAndUnreadableValues) {
    SettingsFile file(
        "[TimerData]\r\nTimerData00=a,1,08:00:00,0\r\nTimerData01=b,one,08:00:00,0\r\n"
        "TimerData03=\r\nTimerData05=c,1,09:00:00,0\r\nTimerData07=d,1\r\nTimerData99=e,1,10:00:00,0\r\n"
        "TimerData100=f,1,11:00:00,0\r\n");
    TimerList timers;
    EXPECT_EQ(LoadTimers(TIniFile(file.Path), timers), "one");
    ASSERT_EQ(timers.size(), 5u);
    const char* expected[] = {"1|a|1|08:00:00|0", "2|b,one,08:00:00,0|0||0", "1|c|1|09:00:00|0", "0||0||0",
                              "1|e|1|10:00:00|0"};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(Describe(timers[i]), expected[i]);
    // A kind that is not an integer (typed by hand) goes back as it stands; too few fields do not.
    EXPECT_EQ(file.Save(timers),
              "[TimerData]\r\nTimerData00=a,1,08:00:00,0\r\nTimerData01=b,one,08:00:00,0\r\n"
              "TimerData03=e,1,10:00:00,0\r\nTimerData100=f,1,11:00:00,0\r\nTimerData02=c,1,09:00:00,0\r\n");
}

TEST(TimerData, SaveRenumbersLiveRecordsAndRemovesEveryOtherKeyUpTo99) {
    SettingsFile file(
        "[TimerData]\r\nTimerData00=a,1,08:00:00,0\r\nTimerData01=b,1,08:00:00,0\r\nTimerData02=c,1,08:00:00,0\r\n"
        "TimerData50=stale,1,08:00:00,0\r\nTimerData100=beyond,1,08:00:00,0\r\n");
    TimerList timers = file.Load();
    ASSERT_EQ(timers.size(), 4u);
    timers[1].Valid = 0;
    EXPECT_EQ(file.Save(timers),
              "[TimerData]\r\nTimerData00=a,1,08:00:00,0\r\nTimerData01=c,1,08:00:00,0\r\n"
              "TimerData02=stale,1,08:00:00,0\r\nTimerData100=beyond,1,08:00:00,0\r\n");

    for (TIMERDATA& r : timers) r.Valid = 0;
    EXPECT_EQ(file.Save(timers), "[TimerData]\r\nTimerData100=beyond,1,08:00:00,0\r\n");
}

// A file saved as "Unicode" by a text editor keeps that form through a delete: the later records move up one
// key, and the key left over at the end goes.
TEST(TimerData, ADeleteInAUtf16FileRenumbersTheKeysInUtf16) {
    const auto utf16 = [](std::u16string_view text) {
        std::string bytes = "\xFF\xFE";
        for (const char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        return bytes;
    };
    SettingsFile file(
        utf16(u"[TimerData]\r\nTimerData00=朝会,1,08:00:00,0\r\nTimerData01=昼,1,12:00:00,0\r\n"
              u"TimerData02=会議,2,09:30:00,42\r\n"));
    TimerList timers = file.Load();
    ASSERT_EQ(timers.size(), 3u);
    EXPECT_EQ(Describe(timers[2]), "1|会議|2|09:30:00|42");
    timers[1].Valid = 0;
    EXPECT_EQ(file.Save(timers),
              utf16(u"[TimerData]\r\nTimerData00=朝会,1,08:00:00,0\r\nTimerData01=会議,2,09:30:00,42\r\n"));
}

TEST(TimerData, NoMoreThanOneHundredLiveRecordsAreAddedOrStored) {
    TimerList timers(MaxStoredTimers - 1, Live("t", 1, 8, 0, 0));
    timers.push_back({0, "deleted", 0, 0, 0});
    EXPECT_TRUE(CanAddTimer(timers));
    timers.push_back(Live("last", 1, 8, 0, 0));
    EXPECT_FALSE(CanAddTimer(timers));
    // A value kept as it stood (its kind is not an integer) is stored too, so it counts as well.
    TimerList kept(MaxStoredTimers - 1, Live("t", 1, 8, 0, 0));
    kept.push_back({KeptAsStored, "x,one,08:00:00,0", 0, 0, 0});
    EXPECT_FALSE(CanAddTimer(kept));
    kept.front().Valid = 0;
    EXPECT_TRUE(CanAddTimer(kept));

    timers.push_back(Live("too many", 1, 8, 0, 0));
    SettingsFile file;
    const std::string saved = file.Save(timers);
    EXPECT_NE(saved.find("TimerData99=last,"), std::string::npos);
    EXPECT_EQ(saved.find("TimerData100"), std::string::npos);
    EXPECT_EQ(saved.find("too many"), std::string::npos);
}
