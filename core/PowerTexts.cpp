#include "core/PowerTexts.h"

namespace {
struct PowerEvent {
    uint64_t Code;
    std::string_view Text;
};

// The standby codes (1, 3, 5, 8) are deliberately absent: they share the text for unknown events.
constexpr PowerEvent PowerEvents[] = {
    {0x0000, "PBT_APMQUERYSUSPEND::待機要求をする"},
    {0x0002, "PBT_APMQUERYSUSPENDFAILED::待機要求が拒否された"},
    {0x0004, "PBT_APMSUSPEND::システムが待機状態になろうとしている"},
    {0x0006, "PBT_APMRESUMECRITICAL::致命的な待機状態からシステムが復帰しようとしている"},
    {0x0007, "PBT_APMRESUMESUSPEND::待機状態から復帰しようとしている"},
    {0x0009, "PBT_APMBATTERLOW::バッテリ電力が低下した"},  // sic: the logs already written carry this spelling
    {0x000A, "PBT_APMPOWERSTATUSCHANGE::パワー状態が変化した"},
    {0x000B, "PBT_APMOEMEVENT::OEM定義のイベントが発生した"},
    {0x0012, "PBT_APMRESUMEAUTOMATIC::システムが自動的に復帰しようとしている"},
};
}  // namespace

std::string_view PowerEventText(uint64_t wParam) {
    for (const PowerEvent& event : PowerEvents) {
        if (event.Code == wParam) return event.Text;
    }
    return UnknownPowerEventText;
}
