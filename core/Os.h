#pragma once
// The few operations whose implementation differs between Windows and Linux. Everything above this
// interface is portable and tested on both.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

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

// Whether something exists at the path (a file that exists but cannot be read is not a missing file).
bool FileExists(const PathString& path);

// Replaces (or creates) a file whole: the new content goes to a temporary file in the same folder, is
// flushed to disk, and then takes the old file's place in one rename. A reader sees the old file or the new
// one, never a mixture, and the name never stops naming one of them, even if the process dies. On failure the
// old file is untouched and the temporary file is removed, unless no file stands under the name (then it is
// the one whole copy and stays). A path near MAX_PATH works.
// What the user set on the file stays: a symbolic link keeps pointing at the file it named (the target is
// replaced), the attributes (hidden, system), access entries or permission bits carry over, and a file with
// several hard links, in a folder that takes no new file while the file itself may be written, or held open by
// another program that shares writing but not replacing, is written over in place (as the profile functions
// always did; such a save is not crash-safe). A read-only file refuses.
bool ReplaceFileBytes(const PathString& path, std::string_view bytes);

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

}  // namespace Os
