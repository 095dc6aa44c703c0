#pragma once
// The few operations whose implementation differs between Windows and Linux. Everything above this
// interface is portable and tested on both.
#include <optional>
#include <string>
#include <string_view>

#include "core/LocalTime.h"
#include "core/Path.h"

namespace Os {

// Full path of the running executable.
PathString ExePath();

// The system's local wall-clock time.
LocalTime LocalNow();

// Whole content of a file; nullopt when it cannot be opened or read.
std::optional<std::string> ReadFileBytes(const PathString& path);

// Whether something exists at the path (a file that exists but cannot be read is not a missing file).
bool FileExists(const PathString& path);

// Replaces (or creates) a file whole: the new content goes to a temporary file in the same folder, is
// flushed to disk, and then takes the old file's place in one step. A reader sees the old file or the new
// one, never a mixture; on failure the old file is untouched and the temporary file is removed.
bool ReplaceFileBytes(const PathString& path, std::string_view bytes);

// Appends bytes to a file (created when missing, never truncated) in a single append write, so that lines
// from several threads or processes never tear or interleave. False when the file cannot be written.
bool AppendFileBytes(const PathString& path, std::string_view bytes);

// For tests: called after the temporary file is complete and before it replaces the old one; returning
// false makes the replace fail there, as a crash at that moment would.
using BeforeReplaceHook = bool (*)();
void SetBeforeReplaceHookForTesting(BeforeReplaceHook hook);

}  // namespace Os
