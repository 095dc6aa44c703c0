#include <gtest/gtest.h>

#include <cstdint>

#include "core/PowerTexts.h"

TEST(PowerTexts, EachKnownEventHasItsOwnText) {
    const struct {
        uint64_t Code;
        const char* Text;
    } cases[] = {
        {0x0000, "PBT_APMQUERYSUSPEND::待機要求をする"},
        {0x0002, "PBT_APMQUERYSUSPENDFAILED::待機要求が拒否された"},
        {0x0004, "PBT_APMSUSPEND::システムが待機状態になろうとしている"},
        {0x0006, "PBT_APMRESUMECRITICAL::致命的な待機状態からシステムが復帰しようとしている"},
        {0x0007, "PBT_APMRESUMESUSPEND::待機状態から復帰しようとしている"},
        {0x0009, "PBT_APMBATTERLOW::バッテリ電力が低下した"},
        {0x000A, "PBT_APMPOWERSTATUSCHANGE::パワー状態が変化した"},
        {0x000B, "PBT_APMOEMEVENT::OEM定義のイベントが発生した"},
        {0x0012, "PBT_APMRESUMEAUTOMATIC::システムが自動的に復帰しようとしている"},
    };
    for (const auto& c : cases) EXPECT_EQ(PowerEventText(c.Code), c.Text) << c.Code;
}

TEST(PowerTexts, StandbyUnassignedAndLargeCodesShareTheUnknownText) {
    const uint64_t codes[] = {0x1, 0x3, 0x5, 0x8, 0xC, 0xD, 0x11, 0x13, 0x8013, 0xFFFFFFFF,
                              // High bits set: a 64-bit wParam must not be cut down to a known code.
                              0x100000000, 0x100000004, 0xFFFFFFFF00000009};
    for (const uint64_t code : codes) EXPECT_EQ(PowerEventText(code), "default::不明なメッセージ") << code;
}
