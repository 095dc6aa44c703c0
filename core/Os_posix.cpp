#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <sys/time.h>

#include "core/Os.h"

namespace Os {
namespace {
BeforeReplaceHook g_beforeReplace = nullptr;

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}
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

std::optional<std::string> ReadFileBytes(const PathString& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        content.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return content;
}

bool FileExists(const PathString& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// A save that was killed leaves its temporary file behind; the next save clears away those of processes
// that are gone.
void RemoveAbandonedTemps(const PathString& path) {
    const PathString folder = ExtractFilePath(path);
    const PathString name = path.substr(folder.size());
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const unsigned long pid = TempFileOwner(entry->d_name, name);
        if (pid == 0 || pid == static_cast<unsigned long>(::getpid())) continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) ::unlink((folder + entry->d_name).c_str());
    }
    ::closedir(dir);
}

namespace {
// See ReplaceFileBytes: only where replacing cannot work.
bool WriteInPlace(const PathString& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    return ok;
}
}  // namespace

bool ReplaceFileBytes(const PathString& path, std::string_view bytes) {
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    PathString target = path;
    if (exists) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {  // a symbolic link: its target is replaced
            target = resolved;
            ::free(resolved);
        }
        if (::access(target.c_str(), W_OK) != 0) return false;
        if (st.st_nlink > 1) return WriteInPlace(target, bytes);
    }
    const PathString temp = target + ".~" + std::to_string(::getpid()) + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (exists && (errno == EACCES || errno == EPERM)) return WriteInPlace(target, bytes);
        return false;
    }
    bool ok = true;
    if (exists) {
        if (::geteuid() == 0) ok = ::fchown(fd, st.st_uid, st.st_gid) == 0;
        ok = ok && ::fchmod(fd, st.st_mode & 07777) == 0;
    }
    ok = ok && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    const bool whole = ok;
    if (ok && g_beforeReplace && !g_beforeReplace()) ok = false;
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) ok = false;
    // Only now that a whole file stands under the name, never while one of them might be its one copy.
    if (ok) RemoveAbandonedTemps(target);
    // The temporary file goes only while a file stands under the name: it may be the one whole copy.
    struct stat now {};
    if (!ok && (!whole || (::stat(target.c_str(), &now) == 0 && S_ISREG(now.st_mode)))) ::unlink(temp.c_str());
    return ok;
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

void SetBeforeReplaceHookForTesting(BeforeReplaceHook hook) { g_beforeReplace = hook; }

}  // namespace Os
