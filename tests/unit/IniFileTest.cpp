// The settings-file engine against the rules of the Windows profile functions. Every case works on a real
// file in a fresh temporary folder, so the same tests exercise the POSIX and the Windows file layers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "core/Os.h"
#include "settings/IniFile.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

// The engine over bytes in memory, without a file (also used by the fuzzer).
struct TIniFileTestAccess {
    static std::unique_ptr<TIniFile> FromBytes(std::string bytes) {
        return std::unique_ptr<TIniFile>(new TIniFile(TIniFile::InMemory{}, std::move(bytes)));
    }
    static std::string Content(const TIniFile& ini) { return ini.ContentForTesting(); }
};

namespace {

int g_replaceCalls = 0;
bool CountReplace() {
    ++g_replaceCalls;
    return true;
}
bool RefuseReplace() {
    ++g_replaceCalls;
    return false;
}
// A save that fails just as the file was taken from its name by someone else.
PathString g_takenFile;
bool TakeNameAwayAndRefuse() {
    std::filesystem::remove(std::filesystem::path(g_takenFile));
    return false;
}

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override { g_replaceCalls = 0; }
    void TearDown() override { Os::SetBeforeReplaceHookForTesting(nullptr); }

    PathString File(const char* name = "settings.ini") const { return (dir_ / name).native(); }

    static void Put(const PathString& path, const std::string& bytes) {
        std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(out.good());
    }
    static std::optional<std::string> Get(const PathString& path) { return Os::ReadFileBytes(path); }

    // The file's bytes after the operations ran on it (nullopt: no file). `before` nullopt: no file at first.
    std::optional<std::string> Run(const std::optional<std::string>& before,
                                   const std::function<void(TIniFile&)>& ops) {
        const PathString path = File(("case" + std::to_string(++cases_) + ".ini").c_str());
        if (before) Put(path, *before);
        {
            TIniFile ini(path);
            ops(ini);
            EXPECT_TRUE(ini.UpdateFile());
        }
        return Get(path);
    }

    std::string Read(const std::optional<std::string>& content, std::string_view section, std::string_view key,
                     std::string_view defaultValue = "DEFAULT") {
        const PathString path = File(("read" + std::to_string(++cases_) + ".ini").c_str());
        if (content) Put(path, *content);
        return TIniFile(path).ReadString(section, key, defaultValue);
    }

    size_t FilesInFolder() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }

    TempFolder folder_{"horvane-ini-test"};
    const fs::path& dir_ = folder_.Path();
    int cases_ = 0;
};

// ----------------------------------------------------------------------------------------------------------
// The conformance vectors of the notes.

TEST_F(IniFileTest, Vector1_WriteEmptyValueIntoMissingFile) {
    EXPECT_EQ(Run(std::nullopt, [](TIniFile& ini) { ini.WriteString("App", "key", ""); }), "[App]\r\nkey=\r\n");
}

TEST_F(IniFileTest, Vector2_SeveralSectionsIntoMissingFile) {
    const auto content = Run(std::nullopt, [](TIniFile& ini) {
        ini.WriteString("App1", "key1", "string1");
        ini.WriteString("App1", "key2", "string2");
        ini.WriteString("App1", "key3", "string3");
        ini.WriteString("App2", "key4", "string4");
        ini.WriteString("App3", "key5", "string5");
    });
    EXPECT_EQ(content,
              "[App1]\r\nkey1=string1\r\nkey2=string2\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n[App3]\r\n"
              "key5=string5\r\n");
}

TEST_F(IniFileTest, Vector3_DeleteKeyTwice) {
    const std::string before =
        "[App1]\r\nkey1=string1\r\nkey2=string2\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n[App3]\r\nkey5="
        "string5\r\n";
    const auto content = Run(before, [](TIniFile& ini) {
        ini.DeleteKey("App1", "key2");
        ini.DeleteKey("App1", "key2");
    });
    EXPECT_EQ(content,
              "[App1]\r\nkey1=string1\r\nkey3=string3\r\n[App2]\r\nkey4=string4\r\n[App3]\r\nkey5=string5\r\n");
}

TEST_F(IniFileTest, Vector4_DataWithNulBytesBeforeTheFirstSection) {
    const std::string before = "Data \0 before \0 first \0 section"s;
    ASSERT_EQ(before.size(), 31u);
    const auto content = Run(before, [](TIniFile& ini) { ini.WriteString("section1", "key1", "string1"); });
    EXPECT_EQ(content, before + "\r\n[section1]\r\nkey1=string1\r\n");
}

TEST_F(IniFileTest, Vector5And6_ReadsWithCrLfAndWithBareCr) {
    for (const std::string eol : {"\r\n", "\r"}) {
        SCOPED_TRACE(eol == "\r" ? "CR" : "CR LF");
        const std::string file = "[section1]" + eol + "name1=val1" + eol + "name2=\"val2\"" + eol + "name3" + eol +
                                 "name4=a" + eol + "[section2]" + eol;
        EXPECT_EQ(Read(file, "section1", "name1"), "val1");
        EXPECT_EQ(Read(file, "section1", "NaMe1"), "val1");
        EXPECT_EQ(Read(file, "section1", "name2"), "val2");
        EXPECT_EQ(Read(file, "section1", "name3"), "DEFAULT");
        EXPECT_EQ(Read(file, "section1", "name4"), "a");
        EXPECT_EQ(Read(file, "section1", "notakey", "\"default  \""), "\"default  \"");
        EXPECT_EQ(Read(file, "section1", "notakey", "default  "), "default");
    }
}

TEST_F(IniFileTest, Vector7_RewriteKeepsSpellingAndEndsTheLastLine) {
    const auto content = Run("[SectionName]\r\nTestKey=TestValue"s,
                             [](TIniFile& ini) { ini.WriteString("SECTIONNAME", "TESTKEY", "TestValue2"); });
    EXPECT_EQ(content, "[SectionName]\r\nTestKey=TestValue2\r\n");
}

TEST_F(IniFileTest, Vector8_ValueWrittenVerbatimReadTrimmed) {
    const auto content = Run(std::nullopt, [](TIniFile& ini) { ini.WriteString("S", "K", "\tvalue\t"); });
    EXPECT_EQ(content, "[S]\r\nK=\tvalue\t\r\n");
    EXPECT_EQ(Read(content, "S", "K"), "value");
    // Within the same object, too.
    TIniFile ini(File("same.ini"));
    ini.WriteString("S", "K", "\tvalue\t");
    EXPECT_EQ(ini.ReadString("S", "K", ""), "value");
}

TEST_F(IniFileTest, Vector9_LinesBeforeTheFirstSectionAndTheEmptySection) {
    EXPECT_EQ(Read("TestKey=TestValue\r\n[S]\r\n"s, "S", "TestKey"), "DEFAULT");
    EXPECT_EQ(Read("TestKey=TestValue\r\n[S]\r\n"s, "", "TestKey"), "DEFAULT");
    EXPECT_EQ(Read("[]\r\nTestKey=TestValue\r\n"s, "", "TestKey"), "TestValue");
}

// ----------------------------------------------------------------------------------------------------------
// Parsing.

struct ReadCase {
    const char* name;
    std::string file;
    std::string section, key;
    std::string expected;  // "DEFAULT": the default
};

TEST_F(IniFileTest, ParsingRules) {
    const ReadCase cases[] = {
        {"CR LF", "[S]\r\nk=v\r\n", "S", "k", "v"},
        {"LF", "[S]\nk=v\n", "S", "k", "v"},
        {"CR", "[S]\rk=v\r", "S", "k", "v"},
        {"LF CR is two breaks", "[S]\n\rk=v\n\r", "S", "k", "v"},
        {"mixed", "x\r[S]\nk0=0\r\nk=v", "S", "k", "v"},
        {"blanks around the header", " \t\v[ \t\vS \t\v]\r\nk=v", "S", "k", "v"},
        {"spaced header name", "[ section1 ]\r\nk=v", "section1", "k", "v"},
        {"name ends at the first ]", "[S]x]\r\nk=v", "S", "k", "v"},
        {"no lookup by text after ]", "[S]x]\r\nk=v", "S]x", "k", "DEFAULT"},
        {"text after ] is no key", "[S]K=V\r\nk2=v2", "S", "K", "DEFAULT"},
        {"the next line is", "[S]K=V\r\nk2=v2", "S", "k2", "v2"},
        {"missing ]", "[Name   \r\nk=v", "Name", "k", "v"},
        {"missing ] at the end of the file", "[Name", "Name", "k", "DEFAULT"},
        {"empty section name", "[]\r\nk=v", "", "k", "v"},
        {"blank section name", "[  ]\r\nk=v", "", "k", "v"},
        {"caller's spaces trimmed", "[S]\r\nk=v", "  S  ", "  k  ", "v"},
        {"caller's tab kept (section)", "[S]\r\nk=v", "S\t", "k", "DEFAULT"},
        {"caller's tab kept (key)", "[S]\r\nk=v", "S", "\tk", "DEFAULT"},
        {"inner spaces of names kept", "[a b]\r\nc d=v", "a b", "c d", "v"},
        {"key and value trimmed", "[S]\r\n \t\vk \t\v= \t\vv w \t\v\r\n", "S", "k", "v w"},
        {"empty key", "[S]\r\n=v", "S", "", "v"},
        {"empty key after blanks", "[S]\r\n  =v", "S", "", "v"},
        {"empty value", "[S]\r\nk=", "S", "k", ""},
        {"first = splits", "[S]\r\nk=a=b", "S", "k", "a=b"},
        {"no = is no key", "[S]\r\nk\r\n", "S", "k", "DEFAULT"},
        {"comment", "[S]\r\n;k=v", "S", ";k", "DEFAULT"},
        {"indented comment", "[S]\r\n \t;k=v", "S", "k", "DEFAULT"},
        {"; in a value is data", "[S]\r\nk=;x", "S", "k", ";x"},
        {"; inside a key is data", "[S]\r\na;b=v", "S", "a;b", "v"},
        {"# is not special", "[S]\r\n#k=v", "S", "#k", "v"},
        {"duplicate key: first wins", "[S]\r\nk=1\r\nK=2", "S", "k", "1"},
        {"duplicate section: first only", "[S]\r\na=1\r\n[s]\r\nb=2", "S", "b", "DEFAULT"},
        {"duplicate section: first found", "[S]\r\na=1\r\n[s]\r\na=2", "s", "a", "1"},
        {"section case", "[MySection]\r\nk=v", "MYSECTION", "k", "v"},
        {"key case", "[S]\r\nMyKey=v", "S", "mykey", "v"},
        {"keys end at the next section", "[A]\r\n[B]\r\nk=v", "A", "k", "DEFAULT"},
        {"lines before the first section", "k=v\r\n[S]", "S", "k", "DEFAULT"},
        {"quotes removed", "[S]\r\nk=\"v\"", "S", "k", "v"},
        {"single quotes removed", "[S]\r\nk='v'", "S", "k", "v"},
        {"blanks inside quotes kept", "[S]\r\nk= \" v \" ", "S", "k", " v "},
        {"one pair only", "[S]\r\nk=\"\"v\"\"", "S", "k", "\"v\""},
        {"inner quote kept", "[S]\r\nk=\"a\"b\"", "S", "k", "a\"b"},
        {"empty quotes", "[S]\r\nk=\"\"", "S", "k", ""},
        {"mismatched quotes", "[S]\r\nk=\"v'", "S", "k", "\"v'"},
        {"lone quote", "[S]\r\nk=\"", "S", "k", "\""},
        {"leading quote only", "[S]\r\nk=\"v", "S", "k", "\"v"},
        {"UTF-8 mark hides the header on line 1", "\xEF\xBB\xBF[S]\r\nk=v\r\n", "S", "k", "DEFAULT"},
        {"UTF-8 mark: later sections found", "\xEF\xBB\xBF[S]\r\nk=v\r\n[T]\r\nk=w", "T", "k", "w"},
        {"UTF-16LE file", "\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0v\0"s, "S", "k", "v"},
        {"UTF-16LE file, bare CR", "\xFF\xFE[\0S\0]\0\r\0k\0=\0v\0"s, "S", "k", "v"},
        {"UTF-16LE mark with ANSI text", "\xFF\xFE\r\n[S]\r\nk=v", "S", "k", "DEFAULT"},
        {"FE FF is ordinary data", "\xFE\xFF\r\n[S]\r\nk=v", "S", "k", "v"},
        {"NUL bytes in a value", "[S]\r\nk=a\0b\r\n"s, "S", "k", "a\0b"s},
        {"NUL-only file", std::string(100, '\0'), "S", "k", "DEFAULT"},
        {"empty file", "", "S", "k", "DEFAULT"},
        {"form feed is no blank", "[S]\r\n\fk=v", "S", "k", "DEFAULT"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Read(c.file, c.section, c.key), c.expected);
    }
}

TEST_F(IniFileTest, MissingOrUnreadableFileGivesDefaults) {
    TIniFile missing(File("missing.ini"));
    EXPECT_EQ(missing.ReadString("S", "k", "d"), "d");
    EXPECT_EQ(missing.ReadInteger("S", "k", 7), 7);
    TIniFile folder(File("missing-folder/x.ini"));
    EXPECT_EQ(folder.ReadString("S", "k", "d"), "d");
}

TEST_F(IniFileTest, AFileThatExistsButCannotBeReadIsNeverReplaced) {
    // A folder where the file should be: it exists, and no read succeeds.
    const PathString path = File("taken.ini");
    fs::create_directory(fs::path(path));
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("S", "k", "d"), "d");
    ini.WriteString("S", "k", "v");
    EXPECT_FALSE(ini.UpdateFile());
    EXPECT_TRUE(fs::is_directory(fs::path(path)));
}

TEST_F(IniFileTest, DefaultLosesTrailingSpacesOnly) {
    EXPECT_EQ(Read(std::nullopt, "S", "k", "d  "), "d");
    EXPECT_EQ(Read(std::nullopt, "S", "k", "  d"), "  d");
    EXPECT_EQ(Read(std::nullopt, "S", "k", "d\t"), "d\t");
    EXPECT_EQ(Read(std::nullopt, "S", "k", "   "), "");
    EXPECT_EQ(Read("[S]\r\n"s, "S", "k", "\"q\" "), "\"q\"");
}

TEST_F(IniFileTest, ReadsAreCutTo2047Bytes) {
    const std::string longValue(3000, 'x');
    EXPECT_EQ(Read("[S]\r\nk=" + longValue, "S", "k"), std::string(2047, 'x'));
    EXPECT_EQ(Read("[S]\r\nk=" + std::string(2047, 'y'), "S", "k"), std::string(2047, 'y'));
    EXPECT_EQ(Read(std::nullopt, "S", "k", longValue), std::string(2047, 'x'));
    // A double-byte character is never split: it is left out when its second byte would be byte 2048.
    const std::string dbcs = std::string(2046, 'x') + "\x82\xA0" + "z";
    EXPECT_EQ(Read("[S]\r\nk=" + dbcs, "S", "k"), std::string(2046, 'x'));
    EXPECT_EQ(Read("[S]\r\nk=" + std::string(2045, 'x') + "\x82\xA0z", "S", "k"), std::string(2045, 'x') + "\x82\xA0");
    // The cut comes after the quotes are removed.
    EXPECT_EQ(Read("[S]\r\nk=\"" + longValue + "\"", "S", "k"), std::string(2047, 'x'));
}

// Shift-JIS: the trail byte of a double-byte character is never `]`, `=` or a letter to fold.
TEST_F(IniFileTest, ShiftJisTrailBytesAreNotSyntaxOrLetters) {
    const std::string zo = "\x83\x5D";     // a katakana whose trail byte is 0x5D `]`
    const std::string fullB = "\x82\x61";  // full-width B, trail byte 0x61 `a`
    const std::string hyo = "\x95\x5C";    // trail byte 0x5C `\`
    const ReadCase cases[] = {
        {"] as trail byte in a header", "[" + zo + "]\r\nk=v", zo, "k", "v"},
        {"] as trail byte, real ] later", "[" + zo + "x]y]\r\nk=v", zo + "x", "k", "v"},
        {"] as trail byte, no real ]", "[" + zo + "\r\nk=v", zo, "k", "v"},
        {"lone lead byte before ] pairs with it", "[\x81]\r\nk=v", "\x81]", "k", "v"},
        {"lone lead byte before ]: no section without ]", "[\x81]\r\nk=v", "\x81", "k", "DEFAULT"},
        {"trail a in a key", "[S]\r\n" + fullB + "=v", "S", fullB, "v"},
        {"trail a is not folded to match A", "[S]\r\n" + fullB + "=v", "S", "\x82\x41", "DEFAULT"},
        {"trail A is not folded to match a", "[S]\r\n\x82\x41=v", "S", fullB, "DEFAULT"},
        {"trail a in a section", "[" + fullB + "]\r\nk=v", "\x82\x41", "k", "DEFAULT"},
        {"letter after a double-byte character folds", "[S]\r\n" + fullB + "A=v", "S", fullB + "a", "v"},
        {"lead byte before = stands alone", "[S]\r\n\x81=v", "S", "\x81", "v"},
        {"trail bytes in a value", "[S]\r\nk=" + zo + hyo + "=" + fullB, "S", "k", zo + hyo + "=" + fullB},
        {"japanese names", "[\x90\x87\x96\xB0]\r\n\x95\x5C\x8E\xA6=1", "\x90\x87\x96\xB0", hyo + "\x8E\xA6", "1"},
        {"half-width katakana are single bytes", "[\xB1]\r\n\xB2=v", "\xB1", "\xB2", "v"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Read(c.file, c.section, c.key), c.expected);
    }
}

TEST_F(IniFileTest, ShiftJisNamesAreWrittenAndFoundAgain) {
    const std::string zo = "\x83\x5D";
    const auto content = Run(std::nullopt, [&](TIniFile& ini) {
        ini.WriteString(zo, "\x82\x61", "1");
        ini.WriteString(zo, "\x82\x41", "2");  // another key: no folding of trail bytes
        ini.WriteString(zo, "\x82\x61", "3");
    });
    EXPECT_EQ(content, "[" + zo + "]\r\n\x82\x61=3\r\n\x82\x41=2\r\n");
    EXPECT_EQ(Read(content, zo, "\x82\x61"), "3");
    EXPECT_EQ(Read(content, zo, "\x82\x41"), "2");
}

// ----------------------------------------------------------------------------------------------------------
// Writing.

struct WriteCase {
    const char* name;
    std::optional<std::string> before;
    std::function<void(TIniFile&)> ops;
    std::string after;
};

TEST_F(IniFileTest, WritingRules) {
    const WriteCase cases[] = {
        {"new section at the end", "[A]\r\na=1\r\n", [](TIniFile& ini) { ini.WriteString("B", "b", "2"); },
         "[A]\r\na=1\r\n[B]\r\nb=2\r\n"},
        {"CR LF first when the file does not end with a break", "[A]\r\na=1",
         [](TIniFile& ini) { ini.WriteString("B", "b", "2"); }, "[A]\r\na=1\r\n[B]\r\nb=2\r\n"},
        {"a bare LF at the end is a break", "[A]\na=1\n", [](TIniFile& ini) { ini.WriteString("B", "b", "2"); },
         "[A]\na=1\n[B]\r\nb=2\r\n"},
        {"a bare CR at the end is a break", "[A]\ra=1\r", [](TIniFile& ini) { ini.WriteString("B", "b", "2"); },
         "[A]\ra=1\r[B]\r\nb=2\r\n"},
        {"empty file", "", [](TIniFile& ini) { ini.WriteString("B", "b", "2"); }, "[B]\r\nb=2\r\n"},
        {"new key after the last key, before comments", "[A]\r\na=1\r\n;c\r\n\r\n[B]\r\n",
         [](TIniFile& ini) { ini.WriteString("A", "b", "2"); }, "[A]\r\na=1\r\nb=2\r\n;c\r\n\r\n[B]\r\n"},
        {"new key right after the header when the section has none", "[A]\r\n;c\r\n[B]\r\n",
         [](TIniFile& ini) { ini.WriteString("A", "k", "v"); }, "[A]\r\nk=v\r\n;c\r\n[B]\r\n"},
        {"lines without = are no key lines", "[A]\r\na=1\r\nname3\r\n",
         [](TIniFile& ini) { ini.WriteString("A", "b", "2"); }, "[A]\r\na=1\r\nb=2\r\nname3\r\n"},
        {"header at the end without a break", "[A]", [](TIniFile& ini) { ini.WriteString("A", "k", "v"); },
         "[A]\r\nk=v\r\n"},
        {"last key without a break", "[A]\r\na=1", [](TIniFile& ini) { ini.WriteString("A", "b", "2"); },
         "[A]\r\na=1\r\nb=2\r\n"},
        {"new keys keep their order", "[A]\r\na=0\r\n;c\r\n",
         [](TIniFile& ini) {
             ini.WriteString("A", "x", "1");
             ini.WriteString("A", "y", "2");
             ini.WriteString("A", "x", "3");
         },
         "[A]\r\na=0\r\nx=3\r\ny=2\r\n;c\r\n"},
        {"existing key keeps its place and spelling", "[Sec]\r\n  MyKey = old \r\nz=1\r\n",
         [](TIniFile& ini) { ini.WriteString("SEC", "mykey", "new"); }, "[Sec]\r\nMyKey=new\r\nz=1\r\n"},
        {"rewritten line ends in CR LF", "[A]\nk=1\nz=2\n", [](TIniFile& ini) { ini.WriteString("A", "k", "3"); },
         "[A]\nk=3\r\nz=2\n"},
        {"rewrite of a CR line", "[A]\rk=1\rz=2", [](TIniFile& ini) { ini.WriteString("A", "k", "3"); },
         "[A]\rk=3\r\nz=2"},
        {"first duplicate key replaced", "[A]\r\nk=1\r\nk=2\r\n", [](TIniFile& ini) { ini.WriteString("A", "k", "3"); },
         "[A]\r\nk=3\r\nk=2\r\n"},
        {"first duplicate section written", "[A]\r\na=1\r\n[B]\r\n[a]\r\nb=2\r\n",
         [](TIniFile& ini) { ini.WriteString("A", "b", "3"); }, "[A]\r\na=1\r\nb=3\r\n[B]\r\n[a]\r\nb=2\r\n"},
        {"values verbatim", "[A]\r\n", [](TIniFile& ini) { ini.WriteString("A", "k", "  \"q\" ;x\t"); },
         "[A]\r\nk=  \"q\" ;x\t\r\n"},
        {"names lose surrounding spaces only", std::nullopt,
         [](TIniFile& ini) {
             ini.WriteString("  A  ", "  k  ", " v ");
             ini.WriteString("B\t", "\tk", "w");
         },
         "[A]\r\nk= v \r\n[B\t]\r\n\tk=w\r\n"},
        {"a key before the first section is not the section's", "k=1\r\n[A]\r\n",
         [](TIniFile& ini) { ini.WriteString("A", "k", "2"); }, "k=1\r\n[A]\r\nk=2\r\n"},
        {"text after ] on the header line", "[S]K=V\r\n", [](TIniFile& ini) { ini.WriteString("S", "K", "W"); },
         "[S]K=V\r\nK=W\r\n"},
        {"UTF-8 mark: the section on line 1 is not found", "\xEF\xBB\xBF[S]\r\nk=v\r\n",
         [](TIniFile& ini) { ini.WriteString("S", "k", "w"); }, "\xEF\xBB\xBF[S]\r\nk=v\r\n[S]\r\nk=w\r\n"},
        {"empty section name", std::nullopt, [](TIniFile& ini) { ini.WriteString("", "", ""); }, "[]\r\n=\r\n"},
        {"delete removes the line", "[A]\r\na=1\r\nb=2\r\n", [](TIniFile& ini) { ini.DeleteKey("A", "A"); },
         "[A]\r\nb=2\r\n"},
        {"delete the last line without a break", "[A]\r\na=1\r\nb=2", [](TIniFile& ini) { ini.DeleteKey("A", "b"); },
         "[A]\r\na=1\r\n"},
        {"an emptied section stays", "[A]\r\na=1\r\n[B]\r\n", [](TIniFile& ini) { ini.DeleteKey("A", "a"); },
         "[A]\r\n[B]\r\n"},
        {"delete of missing keys and sections", "[A]\r\na=1\r\n",
         [](TIniFile& ini) {
             ini.DeleteKey("A", "b");
             ini.DeleteKey("B", "a");
         },
         "[A]\r\na=1\r\n"},
        {"delete reveals a duplicate", "[A]\r\nk=1\r\nk=2\r\n",
         [](TIniFile& ini) {
             ini.DeleteKey("A", "k");
             EXPECT_EQ(ini.ReadString("A", "k", ""), "2");
             ini.WriteString("A", "k", "3");
         },
         "[A]\r\nk=3\r\n"},
        {"after deleting the last key a new key follows the one before", "[A]\r\na=1\r\n;c\r\nb=2\r\n;d\r\n",
         [](TIniFile& ini) {
             ini.DeleteKey("A", "b");
             ini.WriteString("A", "c", "3");
         },
         "[A]\r\na=1\r\nc=3\r\n;c\r\n;d\r\n"},
        {"after deleting every key a new key follows the header", "[A]\r\n;x\r\na=1\r\n",
         [](TIniFile& ini) {
             ini.DeleteKey("A", "a");
             ini.WriteString("A", "c", "3");
         },
         "[A]\r\nc=3\r\n;x\r\n"},
        {"delete a key written before", std::nullopt,
         [](TIniFile& ini) {
             ini.WriteString("A", "a", "1");
             ini.WriteString("A", "b", "2");
             ini.DeleteKey("A", "b");
             ini.WriteString("A", "c", "3");
         },
         "[A]\r\na=1\r\nc=3\r\n"},
        {"write then delete in a missing file leaves the section", std::nullopt,
         [](TIniFile& ini) {
             ini.WriteString("A", "a", "1");
             ini.DeleteKey("A", "a");
         },
         "[A]\r\n"},
        {"NUL bytes in untouched lines", "[A]\r\nx=\0\0y\r\n\0\0\r\n[B]\r\nk=1\r\n\0"s,
         [](TIniFile& ini) { ini.WriteString("B", "k", "2"); }, "[A]\r\nx=\0\0y\r\n\0\0\r\n[B]\r\nk=2\r\n\0"s},
        {"NUL bytes after a new key", "[A]\r\nx=\0\0y\r\n\0\0\r\n[B]\r\nk=1\r\n\0"s,
         [](TIniFile& ini) { ini.WriteString("A", "z", "2"); }, "[A]\r\nx=\0\0y\r\nz=2\r\n\0\0\r\n[B]\r\nk=1\r\n\0"s},
        {"Shift-JIS values verbatim", "[A]\r\n", [](TIniFile& ini) { ini.WriteString("A", "k", "\x95\x5C\x83\x5D"); },
         "[A]\r\nk=\x95\x5C\x83\x5D\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Run(c.before, c.ops), c.after);
    }
}

TEST_F(IniFileTest, DeleteOfAMissingKeyDoesNotCreateTheFile) {
    EXPECT_EQ(Run(std::nullopt, [](TIniFile& ini) { ini.DeleteKey("A", "a"); }), std::nullopt);
}

TEST_F(IniFileTest, ReadsSeeTheWritesOfTheSameObject) {
    TIniFile ini(File());
    ini.WriteString("A", "k", "\"quoted\"");
    ini.WriteInteger("A", "n", -12);
    EXPECT_EQ(ini.ReadString("a", "K", ""), "quoted");
    EXPECT_EQ(ini.ReadInteger("A", "N", 0), -12);
    ini.DeleteKey("A", "k");
    EXPECT_EQ(ini.ReadString("A", "k", "gone"), "gone");
}

// ----------------------------------------------------------------------------------------------------------
// Integers.

TEST_F(IniFileTest, IntegerReads) {
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    const struct {
        std::string text;
        int32_t expected;  // 4242: the default
    } cases[] = {
        {"0", 0},
        {"-0", 0},
        {"123", 123},
        {"-123", -123},
        {"007", 7},
        {"00000000000000000000012", 12},
        {"2147483647", kMax},
        {"-2147483648", kMin},
        {"2147483648", 4242},
        {"-2147483649", 4242},
        {"99999999999999999999", 4242},
        {"0x10", 16},
        {"0XfF", 255},
        {"0x7FFFFFFF", kMax},
        {"0x80000000", kMin},
        {"0xFFFFFFFF", -1},
        {"0x00000000000000FF", 255},
        {"0x100000000", 4242},
        {"0x", 4242},
        {"0x-1", 4242},
        {"-0x1", 4242},
        {"0xG", 4242},
        {"x10", 4242},
        {"$10", 4242},
        {"+1", 4242},
        {"", 4242},
        {"-", 4242},
        {"abc", 4242},
        {"1a", 4242},
        {"1.0", 4242},
        {"1e3", 4242},
        {"1 2", 4242},
        {"\" 1\"", 4242},
        {"\"12\"", 12},
        {"  12  ", 12},
        {"\x82\x50", 4242},  // full-width digit one
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const PathString path = File(("int" + std::to_string(++cases_) + ".ini").c_str());
        Put(path, "[S]\r\nn=" + c.text + "\r\n");
        EXPECT_EQ(TIniFile(path).ReadInteger("S", "n", 4242), c.expected);
    }
    EXPECT_EQ(TIniFile(File("none.ini")).ReadInteger("S", "n", -5), -5);
}

TEST_F(IniFileTest, IntegerWritesAreDecimal) {
    const auto content = Run(std::nullopt, [](TIniFile& ini) {
        ini.WriteInteger("S", "a", 0);
        ini.WriteInteger("S", "b", -5);
        ini.WriteInteger("S", "c", std::numeric_limits<int32_t>::min());
        ini.WriteInteger("S", "d", std::numeric_limits<int32_t>::max());
    });
    EXPECT_EQ(content, "[S]\r\na=0\r\nb=-5\r\nc=-2147483648\r\nd=2147483647\r\n");
}

// ----------------------------------------------------------------------------------------------------------
// Saving.

TEST_F(IniFileTest, UnchangedFileIsNotRewritten) {
    const PathString path = File();
    const std::string content = "[A]\r\na=1\r\n ; comment\r\nb = 2\n";
    Put(path, content);
#ifndef _WIN32
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
#endif
    Os::SetBeforeReplaceHookForTesting(&CountReplace);
    {
        TIniFile ini(path);  // a load only
        EXPECT_EQ(ini.ReadString("A", "a", ""), "1");
        EXPECT_EQ(ini.ReadString("A", "b", ""), "2");
    }
    {
        TIniFile ini(path);
        ini.WriteString("A", "a", "1");  // the same line again
        ini.DeleteKey("A", "missing");
        ini.DeleteKey("Missing", "a");
        EXPECT_TRUE(ini.UpdateFile());
    }
    {
        TIniFile ini(path);
        ini.WriteString("A", "a", "9");
        ini.WriteString("A", "a", "1");  // back to the bytes on disk
        EXPECT_TRUE(ini.UpdateFile());
    }
    {
        TIniFile ini(path);  // the destructor's save
        ini.WriteString("A", "a", "9");
        ini.WriteString("A", "a", "1");
    }
    EXPECT_EQ(g_replaceCalls, 0);
    EXPECT_EQ(Get(path), content);
#ifndef _WIN32
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
#endif
    {
        TIniFile ini(path);              // a real change is written
        ini.WriteString("A", "b", "2");  // "b = 2" LF becomes "b=2" CR LF
    }
    EXPECT_EQ(g_replaceCalls, 1);
    EXPECT_EQ(Get(path), "[A]\r\na=1\r\n ; comment\r\nb=2\r\n");
}

TEST_F(IniFileTest, RefusedSaveLeavesTheOldFileIntact) {
    const PathString path = File();
    const std::string old = "[A]\r\na=1\r\n";
    Put(path, old);
    Os::SetBeforeReplaceHookForTesting(&RefuseReplace);
    {
        TIniFile ini(path);
        ini.WriteString("A", "a", "2");
        ini.WriteString("B", "b", "3");
        EXPECT_FALSE(ini.UpdateFile());
        EXPECT_EQ(g_replaceCalls, 1);
        EXPECT_EQ(Get(path), old);
        EXPECT_EQ(FilesInFolder(), 1u);  // no temporary file left behind
        Os::SetBeforeReplaceHookForTesting(nullptr);
        // The caller has called UpdateFile(): the destructor does not try again.
    }
    EXPECT_EQ(Get(path), old);
    EXPECT_EQ(FilesInFolder(), 1u);

    // Nothing stands under the name when the save fails: the temporary file is the one whole copy and stays.
    g_takenFile = path;
    Os::SetBeforeReplaceHookForTesting(&TakeNameAwayAndRefuse);
    {
        TIniFile ini(path);
        ini.WriteString("A", "a", "2");
        EXPECT_FALSE(ini.UpdateFile());
    }
    ASSERT_EQ(FilesInFolder(), 1u);
    EXPECT_EQ(Get(fs::directory_iterator(dir_)->path().native()), "[A]\r\na=2\r\n");
}

TEST_F(IniFileTest, ASaveCanBeRetriedAfterARefusal) {
    const PathString path = File();
    Put(path, "[A]\r\na=1\r\n");
    TIniFile ini(path);
    ini.WriteString("A", "a", "2");
    Os::SetBeforeReplaceHookForTesting(&RefuseReplace);
    EXPECT_FALSE(ini.UpdateFile());
    Os::SetBeforeReplaceHookForTesting(nullptr);
    EXPECT_TRUE(ini.UpdateFile());
    EXPECT_EQ(Get(path), "[A]\r\na=2\r\n");
}

TEST_F(IniFileTest, DestructorSavesPendingWrites) {
    const PathString path = File();
    { TIniFile(path).WriteString("A", "a", "1"); }
    EXPECT_EQ(Get(path), "[A]\r\na=1\r\n");
}

TEST_F(IniFileTest, SeveralSavesFromOneObject) {
    const PathString path = File();
    Os::SetBeforeReplaceHookForTesting(&CountReplace);
    TIniFile ini(path);
    ini.WriteString("A", "a", "1");
    EXPECT_TRUE(ini.UpdateFile());
    EXPECT_TRUE(ini.UpdateFile());
    EXPECT_EQ(g_replaceCalls, 1);
    ini.WriteString("A", "b", "2");
    EXPECT_TRUE(ini.UpdateFile());
    EXPECT_EQ(g_replaceCalls, 2);
    EXPECT_EQ(Get(path), "[A]\r\na=1\r\nb=2\r\n");
    ini.WriteString("A", "b", "2");
    EXPECT_TRUE(ini.UpdateFile());
    EXPECT_EQ(g_replaceCalls, 2);
}

TEST_F(IniFileTest, AFirstSaveWorksWhereThePathIsNearMaxPath) {
    // A folder of 247 characters (the longest made without the long form): the file's path goes past MAX_PATH.
    const fs::path folder = dir_ / std::string(247 - dir_.native().size() - 1, 'd');
    ASSERT_TRUE(fs::create_directory(folder));
    const PathString path = (folder / "Horvane2010.ini").native();
    { TIniFile(path).WriteString("A", "a", "1"); }
    { TIniFile(path).WriteString("A", "b", "2"); }
    EXPECT_EQ(Os::ReadFileBytes(path), "[A]\r\na=1\r\nb=2\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

#ifdef _WIN32
// What the folder reports of its names during a save: the settings file's name is never removed or renamed away.
TEST_F(IniFileTest, ASaveNeverTakesTheNameAwayFromTheFile) {
    const PathString path = File();
    Put(path, "[A]\r\na=1\r\n");
    HANDLE dir = CreateFileW(dir_.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    alignas(DWORD) static char buffer[1 << 16];
    const auto watch = [&] {
        ResetEvent(overlapped.hEvent);
        return ReadDirectoryChangesW(dir, buffer, sizeof buffer, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME, nullptr,
                                     &overlapped, nullptr);
    };
    ASSERT_TRUE(watch());
    { TIniFile(path).WriteString("A", "a", "2"); }
    std::wstring trace;  // "action:name|" per change, up to the new file's arrival under the name
    const std::wstring arrived = L"5:settings.ini|";
    while (trace.find(arrived) == std::wstring::npos && WaitForSingleObject(overlapped.hEvent, 5000) == WAIT_OBJECT_0) {
        DWORD n = 0;
        GetOverlappedResult(dir, &overlapped, &n, FALSE);
        for (size_t at = 0; n > 0; at += reinterpret_cast<FILE_NOTIFY_INFORMATION*>(buffer + at)->NextEntryOffset) {
            const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer + at);
            trace += std::to_wstring(info->Action) + L":" +
                     std::wstring(info->FileName, info->FileNameLength / sizeof(wchar_t)) + L"|";
            if (info->NextEntryOffset == 0) break;
        }
        if (!watch()) break;
    }
    CancelIo(dir);
    CloseHandle(overlapped.hEvent);
    CloseHandle(dir);
    EXPECT_NE(trace.find(arrived), std::wstring::npos) << trace;
    // A replacing rename may report the old file's removal just before itself: one step all the same.
    const std::wstring rest = std::regex_replace(trace, std::wregex(L"2:settings\\.ini\\|4:[^|]*\\|5:"), L"5:");
    EXPECT_EQ(rest.find(L"2:settings.ini|"), std::wstring::npos) << trace;
    EXPECT_EQ(rest.find(L"4:settings.ini|"), std::wstring::npos) << trace;
    EXPECT_EQ(Get(path), "[A]\r\na=2\r\n");
}
#endif

TEST_F(IniFileTest, MissingFolderMakesTheWriteFail) {
    const PathString path = File("no-such-folder/settings.ini");
    {
        TIniFile ini(path);
        ini.WriteString("A", "a", "1");
        EXPECT_FALSE(ini.UpdateFile());
    }
    EXPECT_FALSE(fs::exists(dir_ / "no-such-folder"));
}

// A Unix command, run by the shell: directly on Linux; under Wine through its launch of Unix programs,
// which returns before the command ends (callers wait for its effect). False when it cannot run here.
bool FolderTakesNewFiles(const fs::path& folder) {
    const fs::path probe = folder / "probe";
    if (!std::ofstream(probe)) return false;
    std::error_code error;
    fs::remove(probe, error);
    return true;
}

TEST_F(IniFileTest, ASaveKeepsLinksAndWhatTheUserSetOnTheFile) {
    // A symbolic link: the file it names gets the bytes, and the link stays a link to it.
    const PathString real = File("real.ini");
    const PathString link = File("link.ini");
    Put(real, "[A]\r\na=1\r\n");
    const bool linked = RunUnix("ln -s real.ini " + UnixPath(fs::path(link)));
    struct Unlink {  // by a Unix command: Wine's delete would remove the target and leave the link
        const PathString& link;
        bool linked;
        ~Unlink() {
            if (!linked || !RunUnix("rm -f " + UnixPath(fs::path(link)))) return;
            WaitFor([this] {
                for (const auto& entry : fs::directory_iterator(fs::path(link).parent_path())) {
                    if (entry.path().filename() == fs::path(link).filename()) return false;
                }
                return true;
            });
        }
    } unlink{link, linked};
    if (linked) {
        ASSERT_TRUE(WaitFor([&] { return Os::FileExists(link); }));
        {
            TIniFile ini(link);
            ini.WriteString("A", "a", "2");
            EXPECT_TRUE(ini.UpdateFile());
        }
        EXPECT_EQ(Get(real), "[A]\r\na=2\r\n");
        { TIniFile(link).WriteString("A", "a", "3"); }
        EXPECT_EQ(Get(real), "[A]\r\na=3\r\n");  // still a link after the first save
    }
    // A hard link: both names keep showing one file.
    const PathString first = File("first.ini");
    const PathString second = File("second.ini");
    Put(first, "[A]\r\na=1\r\n");
    fs::create_hard_link(fs::path(first), fs::path(second));
    { TIniFile(first).WriteString("A", "a", "2"); }
    EXPECT_EQ(Get(second), "[A]\r\na=2\r\n");
    { TIniFile(second).WriteString("A", "a", "3"); }
    EXPECT_EQ(Get(first), "[A]\r\na=3\r\n");
    // What the user set on the file carries over to the saved one.
    const PathString marked = File("marked.ini");
    Put(marked, "[A]\r\na=1\r\n");
#ifdef _WIN32
    ASSERT_TRUE(SetFileAttributesW(marked.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    { TIniFile(marked).WriteString("A", "a", "3"); }
    EXPECT_EQ(GetFileAttributesW(marked.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    // Held open by another program that shares reading and writing but not replacing: written where it stands.
    HANDLE held = CreateFileW(marked.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    { TIniFile(marked).WriteString("A", "a", "2"); }
    CloseHandle(held);
#else
    fs::permissions(fs::path(marked), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    { TIniFile(marked).WriteString("A", "a", "2"); }
    EXPECT_EQ(fs::status(fs::path(marked)).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
#endif
    EXPECT_EQ(Get(marked), "[A]\r\na=2\r\n");
    EXPECT_EQ(FilesInFolder(), linked ? 5u : 4u);  // no temporary file left behind
    if (linked) {
        EXPECT_EQ(Get(link), "[A]\r\na=3\r\n");
    }
}

TEST_F(IniFileTest, AFolderThatTakesNoNewFileStillSavesTheFile) {
    const PathString path = File();
    Put(path, "[A]\r\na=1\r\n");
    // Root may write any folder: the folder is made immutable instead (the file in it stays writable).
    struct Unlock {
        fs::path folder;
        bool locked = false;
        ~Unlock() {
            if (locked && RunUnix("chattr -i " + UnixPath(folder)))
                WaitFor([this] { return FolderTakesNewFiles(folder); });
        }
    } unlock{dir_};
#ifndef _WIN32
    if (::geteuid() != 0) {
        fs::permissions(dir_, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    } else
#endif
    {
        unlock.locked = RunUnix("chattr +i " + UnixPath(dir_));
        if (!unlock.locked || !WaitFor([this] { return !FolderTakesNewFiles(dir_); })) {
            GTEST_SKIP() << "no way here to make a folder refuse new files";
        }
    }
    ASSERT_FALSE(FolderTakesNewFiles(dir_));
    {
        TIniFile ini(path);
        ini.WriteString("A", "a", "2");
        ini.WriteString("B", "b", "3");
        EXPECT_TRUE(ini.UpdateFile());
    }
    EXPECT_EQ(Get(path), "[A]\r\na=2\r\n[B]\r\nb=3\r\n");
    EXPECT_EQ(FilesInFolder(), 1u);
    // A file that is not there yet cannot be made.
    TIniFile missing(File("new.ini"));
    missing.WriteString("A", "a", "1");
    EXPECT_FALSE(missing.UpdateFile());
}

// UTF-16LE bytes with the mark, from a UTF-16 literal.
std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

TEST_F(IniFileTest, Utf16FileIsReadAndWrittenInUtf16) {
    // Untouched lines come back as the very bytes read, even a character code page 932 lacks (U+1F600, a
    // lone surrogate); lines written are converted from code page 932.
    const std::u16string kept = u"; \U0001F600 \xD800 日本語\r\n";
    const std::string before = Utf16File(kept + u"[A]\r\na=1\r\nthai=\u0E01\r\n[B]\rb= 睡眠 \nz=\U0001F600");
    const auto after = Run(before, [](TIniFile& ini) {
        EXPECT_EQ(ini.ReadString("A", "a", ""), "1");
        EXPECT_EQ(ini.ReadString("a", "THAI", ""), "?");
        EXPECT_EQ(ini.ReadString("B", "b", ""), "睡眠");
        ini.WriteString("A", "a", "2");
        ini.WriteString("A", "表", "睡眠");
        ini.WriteString("C", "c", "3");
    });
    EXPECT_EQ(
        after,
        Utf16File(kept + u"[A]\r\na=2\r\nthai=\u0E01\r\n表=睡眠\r\n[B]\rb= 睡眠 \nz=\U0001F600\r\n[C]\r\nc=3\r\n"));
    // The mark alone is an empty Unicode file, and stays Unicode.
    EXPECT_EQ(Run("\xFF\xFE", [](TIniFile& ini) { ini.WriteString("S", "k", "v"); }), Utf16File(u"[S]\r\nk=v\r\n"));
    // An odd byte at the end belongs to no character: the file reads, but is never written over.
    const PathString path = File();
    const std::string odd = Utf16File(u"[A]\r\na=1\r\n") + "x";
    Put(path, odd);
    {
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadString("A", "a", ""), "1");
        ini.WriteString("A", "a", "2");
        EXPECT_FALSE(ini.UpdateFile());
    }
    EXPECT_EQ(Get(path), odd);
}

TEST_F(IniFileTest, InMemoryObjectsNeverTouchTheDisk) {
    auto ini = TIniFileTestAccess::FromBytes("[A]\r\na=1");
    ini->WriteString("A", "b", "2");
    EXPECT_EQ(TIniFileTestAccess::Content(*ini), "[A]\r\na=1\r\nb=2\r\n");
    EXPECT_TRUE(ini->UpdateFile());
    ini.reset();
    EXPECT_EQ(FilesInFolder(), 0u);
}

// ----------------------------------------------------------------------------------------------------------
// Large files.

// Several MB: long comment blocks, a thousand foreign keys (some with LF or CR line ends, NUL bytes and
// Shift-JIS), a hundred timer keys. Reads and writes touch only their lines; everything else stays
// byte-identical; the whole load, 1,100 reads, 250 writes and the save stay fast.
TEST_F(IniFileTest, LargeFileStaysByteIdenticalOutsideTheTouchedLines) {
    std::string head = "; settings\r\n";
    for (int i = 0; i < 20000; ++i) head += "; comment line " + std::to_string(i) + " \x95\x5C\x83\x5D ]=[\r\n";
    head += "[Foreign]\r\n";
    for (int i = 0; i < 1000; ++i) {
        head += "Key" + std::to_string(i) + "=" + std::string(2000, static_cast<char>('a' + i % 26));
        head += i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r";
        if (i % 100 == 0) head += "\0\0 noise without equals \x83\x5D\r\n"s;
    }
    std::string timersBefore = "[TimerData]\r\n", timersAfter = "[TimerData]\r\n";
    for (int i = 0; i < 100; ++i) {
        timersBefore += "Timer" + std::to_string(i) + "=1,old title " + std::to_string(i) + ",0,0.5,0\r\n";
        timersAfter += "Timer" + std::to_string(i) + "=1,new title " + std::to_string(i) + ",2,0.25,127\r\n";
        if (i % 10 == 0) timersBefore += ";between\r\n", timersAfter += ";between\r\n";
    }
    for (int i = 100; i < 150; ++i) {
        timersAfter += "Timer" + std::to_string(i) + "=1,new title " + std::to_string(i) + ",2,0.25,127\r\n";
    }
    std::string tail = "[TimerDlg]\r\nWidth=300\r\n";
    for (int i = 0; i < 20000; ++i) tail += "; trailing comment " + std::to_string(i) + "\n";
    tail += "[Foreign]\r\nDuplicateSection=1";
    const std::string before = head + timersBefore + tail;
    ASSERT_GT(before.size(), 3'000'000u);

    const PathString path = File();
    Put(path, before);
    const std::clock_t start = std::clock();
    {
        TIniFile ini(path);
        for (int i = 0; i < 1000; ++i) {
            const auto value = ini.ReadString("Foreign", "key" + std::to_string(i), "");
            ASSERT_EQ(value, std::string(2000, static_cast<char>('a' + i % 26)));
        }
        for (int i = 0; i < 100; ++i) {
            ASSERT_EQ(ini.ReadString("TimerData", "Timer" + std::to_string(i), ""),
                      "1,old title " + std::to_string(i) + ",0,0.5,0");
        }
        for (int i = 0; i < 150; ++i) {
            ini.WriteString("TimerData", "Timer" + std::to_string(i),
                            "1,new title " + std::to_string(i) + ",2,0.25,127");
        }
        EXPECT_EQ(ini.ReadString("Foreign", "DuplicateSection", "none"), "none");
        ASSERT_TRUE(ini.UpdateFile());
    }
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    const auto after = Get(path);
    const std::string expected = head + timersAfter + tail;
    ASSERT_TRUE(after);
    EXPECT_EQ(after->size(), expected.size());
    EXPECT_TRUE(*after == expected)
        << "first difference at byte "
        << std::mismatch(after->begin(), after->end(), expected.begin(), expected.end()).first - after->begin();
    // Generous (<chrono> does not compile under -fexec-charset=CP932, so this is processor time): the limit
    // is for a quadratic engine, not for a slow machine.
    EXPECT_LT(seconds, 20.0);
    std::printf("    %.3f s\n", seconds);
}

// Many lines and many keys in one section, many writes: each operation costs its own line, not the file.
TEST_F(IniFileTest, ManyWritesIntoAHugeSectionStayLinear) {
    std::string content = "[Big]\r\n";
    for (int i = 0; i < 200000; ++i) content += "k" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    const PathString path = File();
    Put(path, content);
    const std::clock_t start = std::clock();
    {
        TIniFile ini(path);
        for (int i = 0; i < 20000; ++i) ini.WriteInteger("BIG", "new" + std::to_string(i), i);
        for (int i = 0; i < 20000; ++i) ini.WriteInteger("Big", "k" + std::to_string(i * 10), -i);
        for (int i = 0; i < 20000; ++i) ini.DeleteKey("Big", "k" + std::to_string(i * 10 + 1));
        EXPECT_EQ(ini.ReadInteger("big", "K10", 0), -1);
        ASSERT_TRUE(ini.UpdateFile());
    }
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    TIniFile reread(path);
    EXPECT_EQ(reread.ReadInteger("Big", "new19999", 0), 19999);
    EXPECT_EQ(reread.ReadInteger("Big", "k199990", 0), -19999);
    EXPECT_EQ(reread.ReadInteger("Big", "k11", 0), 0);
    EXPECT_EQ(reread.ReadInteger("Big", "k12", 0), 12);
    EXPECT_LT(seconds, 20.0);
    std::printf("    %.3f s\n", seconds);
}

// Garbage reads as defaults, fast, and is written back untouched around a new section.
TEST_F(IniFileTest, GarbageReadsAsDefaults) {
    std::mt19937 random(12345);
    std::string garbage(4'000'000, '\0');
    for (auto& c : garbage) {
        c = static_cast<char>(random() % 64 == 0 ? '\n' : random() % 256);
        if (c == '[') c = '{';  // no section headers: every read gives its default
    }
    const PathString path = File();
    Put(path, garbage);
    {
        TIniFile ini(path);
        EXPECT_EQ(ini.ReadString("Horvane2010", "Top", "d"), "d");
        ini.WriteInteger("Horvane2010", "Top", 5);
    }
    const auto after = Get(path);
    ASSERT_TRUE(after);
    const std::string added = "[Horvane2010]\r\nTop=5\r\n";
    ASSERT_GT(after->size(), added.size());
    EXPECT_EQ(after->substr(after->size() - added.size()), added);
    const std::string kept = after->substr(0, after->size() - added.size());
    EXPECT_TRUE(kept == garbage || kept == garbage + "\r\n");
}

}  // namespace
