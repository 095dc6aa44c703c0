// SplitText loses and invents nothing, and the number parsers never write past their output.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/CommonCtrl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the maximum count, the rest is the text.
    const int32_t maxCount = static_cast<int8_t>(data[0]);
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const TCommonCtrl ctrl;

    std::vector<std::string> fields = {"stale"};
    const int32_t count = ctrl.SplitText(text, fields);
    if (count != static_cast<int32_t>(fields.size())) std::abort();
    std::string joined;
    for (size_t i = 0; i < fields.size(); ++i) joined += (i > 0 ? "," : "") + fields[i];
    if (joined != text) std::abort();
    const auto commas = static_cast<int32_t>(std::count(text.begin(), text.end(), ','));
    if (count != (text.empty() ? 0 : commas + 1)) std::abort();

    // Exactly as large as the output may be, so that AddressSanitizer sees any write beyond it.
    std::vector<int32_t> integers(5);
    const int32_t written = ctrl.ParseIntegers(text, integers, maxCount);
    if (written < 0 || written > 5 || written > count) std::abort();
    if (maxCount > 0 && written > maxCount) std::abort();
    for (int32_t i = 0; i < written; ++i) {
        if (integers[static_cast<size_t>(i)] != StrToIntDef(fields[static_cast<size_t>(i)], 0)) std::abort();
    }

    std::vector<int8_t> bytes(3);
    const int32_t bytesWritten = ctrl.ParseBytes(text, bytes);
    if (bytesWritten != std::min(count, 3)) std::abort();
    for (int32_t i = 0; i < bytesWritten; ++i) {
        const int32_t value = StrToIntDef(fields[static_cast<size_t>(i)], 0);
        if (static_cast<uint8_t>(bytes[static_cast<size_t>(i)]) != (value & 0xFF)) std::abort();
    }
    return 0;
}
