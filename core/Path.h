#pragma once
// Paths are never stored in the files, so they keep the operating system's own character type: UTF-16 on
// Windows (a folder name outside code page 932 must work), bytes on Linux.
#include <string>
#include <string_view>

#ifdef _WIN32
using PathChar = wchar_t;
#define PATH_TEXT(s) L##s
#else
using PathChar = char;
#define PATH_TEXT(s) s
#endif
using PathString = std::basic_string<PathChar>;
using PathView = std::basic_string_view<PathChar>;

// The path with its extension replaced: the cut is at the last dot that comes after the last backslash,
// slash or colon; without such a dot nothing is cut and the extension is appended.
PathString ChangeFileExt(PathView path, PathView extension);

// The folder part of a path up to and including its last backslash, slash or colon ("" when it has none).
PathString ExtractFilePath(PathView path);

// An ASCII text as a path (for fixed names such as "vbs\\hibe.vbs").
PathString AsciiToPath(std::string_view ascii);

// Saves write "<name>.~<pid>.tmp" beside the file first, and keep it as "<name>.~<pid>.whole.tmp" when it is
// the one whole copy. For a file name in the folder, the process id of such a file of the target, or 0 when
// the name is not one; `whole` (when given) tells the kept form, which is otherwise not accepted.
unsigned long TempFileOwner(PathView fileName, PathView targetName, bool* whole = nullptr);
