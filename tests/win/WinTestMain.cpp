// The form tests run in one process with the program's application object, as the program itself does.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include "ui/Application.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    TApplication::Instance().Initialize();
    return RUN_ALL_TESTS();
}
