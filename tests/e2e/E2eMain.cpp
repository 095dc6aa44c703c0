// The end-to-end run: one process drives many clocks, one case after another.
#include <gtest/gtest.h>

#include "tools/driver/Driver.h"

namespace {
// Each case starts with the pointer in a corner no clock or dialog covers, so a press can never land where
// the last case left the pointer and test a path it did not mean to.
class NeutralPointer : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override {
        Driver::MouseMove(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
};
}  // namespace

int main(int argc, char** argv) {
    // Process-wide, and the first call wins: geometry is read in physical pixels by every case.
    Driver::MakeProcessDpiAware();
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new NeutralPointer);
    return RUN_ALL_TESTS();
}
