#pragma once
// The settings-file accessor. It keeps the rules of the Windows profile functions for reading and writing
// INI files, working on the file's raw code page 932 bytes, and saves a changed file whole and atomically.
//
// One object serves one load or one save: the constructor reads the file once, reads answer from memory,
// writes change the memory copy, and UpdateFile() (called by the destructor too, if the caller has not)
// writes the result back when anything changed.
//
// A file that starts with the UTF-16LE mark is read and written in UTF-16, as Windows does, and stays so.
// Where Windows gives no rule to copy, the choices (a read is never cut inside a double-byte character, how
// hexadecimal above 0x7FFFFFFF reads, ...) are listed at the top of IniFile.cpp.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/Path.h"

class TIniFile {
public:
    explicit TIniFile(PathString path);
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const PathString& FileName() const { return path_; }
    // The file is there but could not be read (locked, no permission): it reads as empty and is never written.
    bool Unreadable() const { return unreadable_; }

    // At most 2047 bytes of the value; the default (less its trailing blanks) when file, section or key
    // is missing.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // Strict conversion of the stored text: decimal with an optional minus sign, or 0x/0X hexadecimal, to a
    // 32-bit signed value; anything else gives the default.
    int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);  // decimal
    void DeleteKey(std::string_view section, std::string_view key);

    // Writes pending changes (nothing when the content did not change). False when the system refused
    // the write; the old file is then left as it was.
    bool UpdateFile();

private:
    // Tests and the fuzzer build an object over bytes in memory (no file: UpdateFile never touches the disk)
    // and look at the bytes it would write. The struct is defined by them, not by the product.
    friend struct TIniFileTestAccess;
    struct InMemory {};
    TIniFile(InMemory, std::string bytes);
    std::string ContentForTesting() const;

    PathString path_;
    std::unique_ptr<struct IniDocument> doc_;  // the parsed file and its line index
    bool inMemory_ = false;
    bool pending_ = false;     // a write or delete was called since the last UpdateFile()
    bool unreadable_ = false;  // the file exists but could not be read: never replace it
};
