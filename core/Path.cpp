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

unsigned long TempFileOwner(PathView fileName, PathView targetName, bool* whole) {
    const PathView prefix = PATH_TEXT(".~");
    const PathView suffix = PATH_TEXT(".tmp");
    if (fileName.size() <= targetName.size() + prefix.size() + suffix.size()) return 0;
    if (fileName.substr(0, targetName.size()) != targetName) return 0;
    fileName.remove_prefix(targetName.size());
    if (fileName.substr(0, prefix.size()) != prefix) return 0;
    fileName.remove_prefix(prefix.size());
    if (fileName.substr(fileName.size() - suffix.size()) != suffix) return 0;
    fileName.remove_suffix(suffix.size());
    const PathView kept = PATH_TEXT(".whole");
    const bool isKept = fileName.size() > kept.size() && fileName.substr(fileName.size() - kept.size()) == kept;
    if (isKept && !whole) return 0;
    if (whole) *whole = isKept;
    if (isKept) fileName.remove_suffix(kept.size());
    if (fileName.empty()) return 0;
    unsigned long pid = 0;
    for (PathChar c : fileName) {
        if (c < PATH_TEXT('0') || c > PATH_TEXT('9') || pid > 0xFFFFFFFFul / 10) return 0;
        pid = pid * 10 + static_cast<unsigned long>(c - PATH_TEXT('0'));
    }
    return pid;
}
