#include <gtest/gtest.h>

#include <string>

// The program's narrow literals must be code page 932 bytes, as the files hold them. A wrong compiler
// flag would turn these into UTF-8 and silently corrupt every Japanese text in the settings and the log.
TEST(TextEncoding, NarrowLiteralsAreCodePage932) {
    EXPECT_EQ(std::string("睡眠"), std::string("\x90\x87\x96\xB0"));
    // Trail byte 0x5C (a backslash in ASCII) must survive the conversion.
    EXPECT_EQ(std::string("表"), std::string("\x95\x5C"));
    EXPECT_EQ(std::string("！"), std::string("\x81\x49"));
}
