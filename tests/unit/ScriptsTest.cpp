#include <gtest/gtest.h>

#include <climits>

#include "core/Scripts.h"

namespace {
// A folder outside code page 932 and with Japanese in it: the path keeps the system's own characters.
#ifdef _WIN32
const PathString Folder = L"C:\\ツール 한\\時計\\";
#else
const PathString Folder = "/home/\xE3\x83\x84\xE3\x83\xBC\xE3\x83\xAB \xED\x95\x9C/\xE6\x99\x82\xE8\xA8\x88/";
#endif
}  // namespace

TEST(Scripts, PathIsTheExecutablesFolderThenVbsThenTheName) {
    const PathString exe = Folder + PATH_TEXT("Horvane2010.exe");
    const PathView names[] = {PATH_TEXT("poweroff.vbs"), PATH_TEXT("logoff.vbs"), PATH_TEXT("reboot.vbs"),
                              PATH_TEXT("hibe.vbs"), PATH_TEXT("TEST")};
    for (int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(ScriptPath(exe, i), Folder + PATH_TEXT("vbs\\") + PathString(names[i]));
    }
    EXPECT_EQ(ScriptPath(PATH_TEXT("C:\\Tools\\Horvane2010.exe"), ScriptHibernate),
              PATH_TEXT("C:\\Tools\\vbs\\hibe.vbs"));
}

TEST(Scripts, IndexOutsideTheTableGivesNoPath) {
    for (const int32_t index : {-1, 5, INT32_MIN, INT32_MAX}) {
        EXPECT_FALSE(ScriptPath(PATH_TEXT("C:\\Tools\\Horvane2010.exe"), index).has_value()) << index;
    }
}
