#include <gtest/gtest.h>

#include "core/Path.h"

TEST(Path, ChangeFileExtCutsAtTheLastDotAfterTheLastDelimiter) {
    struct Case {
        const PathChar* path;
        const PathChar* expected;
    } cases[] = {
        {PATH_TEXT("C:\\Tools\\Horvane2010.exe"), PATH_TEXT("C:\\Tools\\Horvane2010.ini")},
        {PATH_TEXT("C:\\Tools\\clock.v2.exe"), PATH_TEXT("C:\\Tools\\clock.v2.ini")},
        {PATH_TEXT("C:\\my.tools\\clock"), PATH_TEXT("C:\\my.tools\\clock.ini")},
        {PATH_TEXT("/opt/my.dir/clock"), PATH_TEXT("/opt/my.dir/clock.ini")},
        {PATH_TEXT("C:clock.exe"), PATH_TEXT("C:clock.ini")},
        {PATH_TEXT("C:.x\\a"), PATH_TEXT("C:.x\\a.ini")},
        {PATH_TEXT("clock"), PATH_TEXT("clock.ini")},
    };
    for (const auto& c : cases) EXPECT_EQ(ChangeFileExt(c.path, PATH_TEXT(".ini")), c.expected);
}

TEST(Path, ExtractFilePathKeepsTheTrailingDelimiter) {
    EXPECT_EQ(ExtractFilePath(PATH_TEXT("C:\\Tools\\Horvane2010.exe")), PATH_TEXT("C:\\Tools\\"));
    EXPECT_EQ(ExtractFilePath(PATH_TEXT("C:clock.exe")), PATH_TEXT("C:"));
    EXPECT_EQ(ExtractFilePath(PATH_TEXT("/opt/clock")), PATH_TEXT("/opt/"));
    EXPECT_EQ(ExtractFilePath(PATH_TEXT("clock.exe")), PATH_TEXT(""));
}

TEST(Path, TemporaryFilesOfASaveAreRecognisedByTheirExactName) {
    EXPECT_EQ(TempFileOwner(PATH_TEXT("clock.ini.~1234.tmp"), PATH_TEXT("clock.ini")), 1234u);
    EXPECT_EQ(TempFileOwner(PATH_TEXT("clock.ini.~.tmp"), PATH_TEXT("clock.ini")), 0u);
    EXPECT_EQ(TempFileOwner(PATH_TEXT("clock.ini.~12a4.tmp"), PATH_TEXT("clock.ini")), 0u);
    EXPECT_EQ(TempFileOwner(PATH_TEXT("other.ini.~1234.tmp"), PATH_TEXT("clock.ini")), 0u);
    EXPECT_EQ(TempFileOwner(PATH_TEXT("clock.ini.~1234.tmp.bak"), PATH_TEXT("clock.ini")), 0u);
    EXPECT_EQ(TempFileOwner(PATH_TEXT("clock.ini"), PATH_TEXT("clock.ini")), 0u);
    EXPECT_EQ(TempFileOwner(PATH_TEXT("clock.ini.~99999999999.tmp"), PATH_TEXT("clock.ini")), 0u);
    // The copy kept whole: never taken for an ordinary temporary file, which a save may clear away.
    bool whole = false;
    EXPECT_EQ(TempFileOwner(PATH_TEXT("clock.ini.~1234.whole.tmp"), PATH_TEXT("clock.ini")), 0u);
    EXPECT_EQ(TempFileOwner(PATH_TEXT("clock.ini.~1234.whole.tmp"), PATH_TEXT("clock.ini"), &whole), 1234u);
    EXPECT_TRUE(whole);
    EXPECT_EQ(TempFileOwner(PATH_TEXT("clock.ini.~.whole.tmp"), PATH_TEXT("clock.ini"), &whole), 0u);
    EXPECT_EQ(TempFileOwner(PATH_TEXT("clock.ini.~1234.tmp"), PATH_TEXT("clock.ini"), &whole), 1234u);
    EXPECT_FALSE(whole);
}
