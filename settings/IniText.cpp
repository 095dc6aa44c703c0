#include "settings/IniText.h"

namespace IniText {

size_t FindChar(std::string_view text, char ch) {
    for (size_t i = 0; i < text.size(); i += CharSize(text, i)) {
        if (text[i] == ch) return i;
    }
    return std::string_view::npos;
}

std::string Fold(std::string_view name) {
    std::string folded(name);
    for (size_t i = 0; i < folded.size();) {
        const size_t n = CharSize(folded, i);
        if (n == 1 && folded[i] >= 'A' && folded[i] <= 'Z') folded[i] = static_cast<char>(folded[i] + ('a' - 'A'));
        i += n;
    }
    return folded;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

std::string_view CutToReadLimit(std::string_view text) { return Cp932::Cut(text, kReadLimit); }

LineInfo ClassifyLine(std::string_view line) {
    LineInfo info;
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) return info;
    if (line[i] == '[') {
        // The name runs to the first ']' or, without one, to the end of the line; blanks inside are trimmed.
        std::string_view rest = line.substr(i + 1);
        const size_t close = FindChar(rest, ']');
        if (close != std::string_view::npos) rest = rest.substr(0, close);
        info.kind = LineInfo::Header;
        info.name = TrimBlanks(rest);
        return info;
    }
    if (line[i] == ';') return info;
    const std::string_view body = line.substr(i);
    const size_t equals = FindChar(body, '=');
    if (equals == std::string_view::npos) return info;
    info.kind = LineInfo::Key;
    info.name = TrimBlanks(body.substr(0, equals));
    info.valueBegin = i + equals + 1;
    return info;
}

std::string_view ValueAsRead(std::string_view raw) {
    std::string_view value = TrimBlanks(raw);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace IniText
