#pragma once
// The Linux file layer's own calls, shared by Os_posix.cpp and FileReplace_posix.cpp: each file-system call of
// a read or a save goes through one of these, so that a test can make any one of them fail
// (SetFileFaultForTesting); errno is then set as after the real call.
#include <sys/stat.h>

#include <string_view>

#include "core/Os.h"

namespace Os::Files {

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd();
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    bool Close();  // false when the close reports a failed write

private:
    int fd_;
};

UniqueFd Open(FileCall call, const PathString& path, int flags, int mode = 0);
long Read(int fd, void* buffer, unsigned long size);  // as read(2)
bool WriteAll(int fd, std::string_view bytes);
bool Flush(int fd);
bool Truncate(int fd, long long size);
bool Stat(const PathString& path, struct stat* st);
bool Rename(const PathString& from, const PathString& to);
bool MoveNoReplace(const PathString& from, const PathString& to);  // a rename that never replaces a file
bool Delete(const PathString& path);
bool CanList(FileCall call);  // the seam's answer for listing a folder (opendir)

}  // namespace Os::Files
