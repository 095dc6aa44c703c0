#include "core/Path.h"

namespace {
bool IsDelimiter(PathChar c) { return c == PATH_TEXT('\\') || c == PATH_TEXT('/') || c == PATH_TEXT(':'); }

size_t LastDelimiter(PathView path) {
    for (size_t i = path.size(); i > 0; --i) {
        if (IsDelimiter(path[i - 1])) return i - 1;
    }
    return PathView::npos;
}
}  // namespace

PathString ChangeFileExt(PathView path, PathView extension) {
    const size_t delimiter = LastDelimiter(path);
    const size_t dot = path.rfind(PATH_TEXT('.'));
    PathString result(path);
    if (dot != PathView::npos && (delimiter == PathView::npos || dot > delimiter)) result.resize(dot);
    result.append(extension);
    return result;
}

PathString ExtractFilePath(PathView path) {
    const size_t delimiter = LastDelimiter(path);
    if (delimiter == PathView::npos) return {};
    return PathString(path.substr(0, delimiter + 1));
}

PathString AsciiToPath(std::string_view ascii) { return PathString(ascii.begin(), ascii.end()); }
