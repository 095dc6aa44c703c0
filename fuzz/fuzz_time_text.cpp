// TextToTime against the C library's own sscanf, which it must agree with on every text, and the time
// texts it produces must read back to themselves.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/CommonCtrl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TCommonCtrl ctrl;
    const TDateTime time = ctrl.TextToTime(text);

    // sscanf sees the text only up to its first NUL; so does TextToTime, which stops at any mismatch.
    const std::string terminated(text.substr(0, text.find('\0')));
    int hour = 0, minute = 0, second = 0;
    (void)std::sscanf(terminated.c_str(), "%02d:%02d:%02d", &hour, &minute, &second);
    const TDateTime expected =
        EncodeTime(static_cast<uint16_t>(hour), static_cast<uint16_t>(minute), static_cast<uint16_t>(second), 0)
            .value_or(0);
    if (time != expected) std::abort();

    if (time < 0 || time >= 1) std::abort();
    if (time != 0 && ctrl.TextToTime(ctrl.TimeToText(time)) != time) std::abort();
    return 0;
}
