#include <fcntl.h>
#include <stdio.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <sys/time.h>

#include "core/Os.h"
#include "core/OsFileCalls.h"
#include "core/OsFiles_posix.h"

namespace Os {
namespace {
// Runs iconv over the whole input; where it meets a sequence it cannot convert, `standIn` goes to the output
// and `skip(rest)` input bytes are passed over.
template <typename Skip>
std::string Convert(const char* to, const char* from, std::string_view input, std::string_view standIn, Skip skip) {
    std::string output;
    if (input.empty()) return output;
    const iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return output;  // NOLINT(performance-no-int-to-ptr): its failure value
    output.resize(input.size() * 2 + 16);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    size_t done = 0;
    while (inLeft > 0) {
        char* out = output.data() + done;
        size_t outLeft = output.size() - done;
        const size_t result = ::iconv(cd, &in, &inLeft, &out, &outLeft);
        done = output.size() - outLeft;
        if (result != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            output.resize(output.size() * 2);
        } else {  // EILSEQ or EINVAL (cut short at the end)
            output.resize(std::max(output.size(), done + standIn.size() + 16));
            output.replace(done, standIn.size(), standIn);
            done += standIn.size();
            const size_t n = std::min(inLeft, skip(std::string_view(in, inLeft)));
            in += n;
            inLeft -= n;
        }
    }
    ::iconv_close(cd);
    output.resize(done);
    return output;
}
}  // namespace

std::u16string Cp932ToUtf16(std::string_view text) {
    static constexpr char standIn[] = {'\xFB', '\x30'};  // U+30FB
    const std::string bytes =
        Convert("UTF-16LE", "CP932", text, std::string_view(standIn, 2), [](std::string_view) { return size_t{1}; });
    std::u16string result(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < result.size(); ++i) {
        result[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                          (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return result;
}

std::string Utf16ToCp932(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    // A surrogate pair stands for one character: one '?' for both halves.
    return Convert("CP932", "UTF-16LE", bytes, "?", [](std::string_view rest) {
        const bool pair = rest.size() >= 4 && (static_cast<unsigned char>(rest[1]) & 0xFC) == 0xD8 &&
                          (static_cast<unsigned char>(rest[3]) & 0xFC) == 0xDC;
        return size_t{pair ? 4u : 2u};
    });
}

PathString ExePath() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    return n > 0 ? PathString(buffer, static_cast<size_t>(n)) : PathString();
}

LocalTime LocalNow() {
    timeval tv{};
    ::gettimeofday(&tv, nullptr);
    std::tm tm{};
    const time_t seconds = tv.tv_sec;
    ::localtime_r(&seconds, &tm);
    return {tm.tm_year + 1900,
            tm.tm_mon + 1,
            tm.tm_mday,
            tm.tm_hour,
            tm.tm_min,
            tm.tm_sec,
            static_cast<int>(tv.tv_usec / 1000)};
}

namespace Files {
namespace {
bool Injected(FileCall call) {
    switch (NextFileCall(call)) {
        case FileFault::None:
            return false;
        case FileFault::NotFound:
            errno = ENOENT;
            break;
        case FileFault::AccessDenied:
            errno = EACCES;
            break;
        case FileFault::SharingViolation:
            errno = EBUSY;
            break;
        case FileFault::DiskFull:
        case FileFault::ShortWrite:
            errno = ENOSPC;
            break;
    }
    return true;
}
}  // namespace

UniqueFd::~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
}

bool UniqueFd::Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0;
}

UniqueFd Open(FileCall call, const PathString& path, int flags, int mode) {
    if (Injected(call)) return UniqueFd();
    return UniqueFd(::open(path.c_str(), flags | O_CLOEXEC, mode));
}

long Read(int fd, void* buffer, unsigned long size) {
    if (Injected(FileCall::Read)) return -1;
    return static_cast<long>(::read(fd, buffer, size));
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const FileFault fault = NextFileCall(FileCall::Write);
        if (fault == FileFault::ShortWrite) {
            [[maybe_unused]] const ssize_t half = ::write(fd, bytes.data(), bytes.size() / 2);
            errno = ENOSPC;
            return false;
        }
        if (fault != FileFault::None) {
            errno = fault == FileFault::AccessDenied ? EACCES : ENOSPC;
            return false;
        }
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool Flush(int fd) { return !Injected(FileCall::Flush) && ::fsync(fd) == 0; }

bool Truncate(int fd, long long size) {
    return !Injected(FileCall::Truncate) && ::ftruncate(fd, static_cast<off_t>(size)) == 0;
}

bool Stat(const PathString& path, struct stat* st) {
    return !Injected(FileCall::Query) && ::stat(path.c_str(), st) == 0;
}

bool Rename(const PathString& from, const PathString& to) {
    return !Injected(FileCall::Rename) && ::rename(from.c_str(), to.c_str()) == 0;
}

bool MoveNoReplace(const PathString& from, const PathString& to) {
    if (Injected(FileCall::Rename)) return false;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without that rename: a second name, then the first one goes.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    ::unlink(from.c_str());
    return true;
}

bool Delete(const PathString& path) { return !Injected(FileCall::Delete) && ::unlink(path.c_str()) == 0; }

bool CanList(FileCall call) { return !Injected(call); }
}  // namespace Files

std::optional<std::string> ReadFileBytes(const PathString& path) {
    const Files::UniqueFd fd = Files::Open(FileCall::Open, path, O_RDONLY);
    if (!fd) return std::nullopt;
    std::string content;
    char buffer[65536];
    for (;;) {
        const long n = Files::Read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        content.append(buffer, static_cast<size_t>(n));
    }
    return content;
}

bool FileExists(const PathString& path) {
    struct stat st {};
    if (Files::Stat(path, &st)) return true;
    return errno != ENOENT && errno != ENOTDIR;
}

bool AppendFileBytes(const PathString& path, const std::function<std::string()>& make, int /*maxWaitMilliseconds*/) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    // One write() with O_APPEND: the kernel positions and writes the whole line as one step, no lock needed.
    const std::string bytes = make();
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    ::close(fd);
    return n == static_cast<ssize_t>(bytes.size());
}

bool AppendFileBytes(const PathString& path, std::string_view bytes) {
    return AppendFileBytes(
        path, [bytes] { return std::string(bytes); }, 0);
}

PathString AppendLockName(const PathString& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return path;
    PathString name = resolved;
    ::free(resolved);
    return name;
}

}  // namespace Os
