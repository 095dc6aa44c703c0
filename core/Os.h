#pragma once
// The few operations whose implementation differs between Windows and Linux. Everything above this
// interface is portable and tested on both.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/LocalTime.h"
#include "core/Path.h"

namespace Os {

// Code page 932 text to UTF-16 and back, as Windows converts them: a character the other side cannot hold
// becomes a stand-in ('?' in code page 932, U+30FB in UTF-16) instead of failing the whole text.
std::u16string Cp932ToUtf16(std::string_view text);
std::string Utf16ToCp932(std::u16string_view text);

// Full path of the running executable.
PathString ExePath();

// The system's local wall-clock time.
LocalTime LocalNow();

// Whole content of a file; nullopt when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const PathString& path);

// Whether something exists at the path. Only "not found" (of the file or of a folder on its path) counts as
// missing: a file the system refuses to show (locked, no permission, an offline cloud file) is present.
bool FileExists(const PathString& path);

// Replaces (or creates) a file whole: the new content goes to a temporary file "<name>.~<pid>.tmp" in the
// same folder, is flushed to disk, and then takes the old file's place in one rename. A reader sees the old
// file or the new one, never a mixture, and the name never stops naming one of them, even if the process
// dies. On failure the old file is untouched and the temporary file is removed, unless it may be the one
// whole copy: then it stays for the next start to take up (TakeUpKeptCopy). A path near MAX_PATH works.
// What the user set on the file stays: a symbolic link keeps pointing at the file it named (the target is
// replaced), the attributes (hidden, system, encrypted), access entries or permission bits and the creation
// time carry over, and a file with several hard links, in a folder that takes no new file while the file
// itself may be written, or held open by another program that shares writing but not replacing, is written
// over in place (as the profile functions always did). An in-place write that stops part way keeps the
// whole copy as "<name>.~<pid>.whole.tmp". A read-only file, or a folder at the name, refuses.
bool ReplaceFileBytes(const PathString& path, std::string_view bytes);

// A copy a save kept because it may be the only whole one, put back under the name before a read:
//   - "<name>.~<pid>.whole.tmp": an in-place write stopped part way, so the file under the name is not whole;
//     the newest such copy replaces it;
//   - "<name>.~<pid>.tmp" of a process that is gone, when nothing stands under the name: a rename that was cut
//     off; the newest such copy is moved there (never over a file).
struct KeptCopy {
    enum State : uint8_t {
        None,      // no such copy
        Moved,     // `copy` now stands under the name
        Stranded,  // `copy` could not be put there: read it where it stands, and write nothing this run
        Unknown,   // nothing stands under the name, and the folder could not be looked at for a copy
    } state = None;
    PathString copy;
};
KeptCopy TakeUpKeptCopy(const PathString& path);

// Appends bytes to a file (created when missing, never truncated) in a single append write, so that lines
// from several threads or processes never tear or interleave. False when the file cannot be written.
bool AppendFileBytes(const PathString& path, std::string_view bytes);

// The same, with the bytes made by `make` once the file is this caller's: on Windows appends to one file,
// under any spelling of its path, take turns through a lock named after the file, so bytes stamped in
// `make` land in time order. A caller waits for the lock at most maxWaitMilliseconds, then writes anyway.
bool AppendFileBytes(const PathString& path, const std::function<std::string()>& make, int maxWaitMilliseconds);

// The name of that lock: the same for every spelling of one file (letter case, / or \, "..", short names).
PathString AppendLockName(const PathString& path);

// For tests: called after the temporary file is complete and before it replaces the old one; returning
// false makes the replace fail there, as a crash at that moment would.
using BeforeReplaceHook = bool (*)();
void SetBeforeReplaceHookForTesting(BeforeReplaceHook hook);

// For tests: the file-system calls of reads and saves, counted in the order they are made, so that a test
// can make the call numbered `failAt` (from 0) fail as the system fails it. Every later call runs normally.
enum class FileCall : uint8_t { Open, Create, Read, Write, Flush, Truncate, Query, Rename, Delete, List };
enum class FileFault : uint8_t {
    None,
    NotFound,
    AccessDenied,
    SharingViolation,
    DiskFull,
    ShortWrite,  // a write that stops part way: half the bytes land, then the disk is full
};
// The failures the system documents for a call of that kind.
std::vector<FileFault> FaultsFor(FileCall call);
void SetFileFaultForTesting(int failAt, FileFault fault);  // failAt -1: none; clears the calls counted
const std::vector<FileCall>& FileCallsForTesting();        // the calls made since then

}  // namespace Os
