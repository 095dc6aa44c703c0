// The settings-file engine: the rules of the Windows profile functions
// on the file's raw code page 932 bytes.
//
// The file is read once and split into pieces kept in a doubly linked list:
//   - a Header piece for the first header line of every section name (only the first section of a name is
//     ever searched or written, so later duplicates are plain text);
//   - a Key piece for every key line inside such a first section;
//   - Text pieces for everything else, consecutive lines merged into one piece (comments, blank lines,
//     lines before the first section, lines without '=', duplicate sections and their keys).
// A piece is a byte range of the bytes read or of an append-only pool that holds rewritten and new lines,
// so untouched lines (NUL bytes included) are written back exactly as they were read. Sections are found
// by a hash of their folded names and keys by a hash per section, so every read and write costs the length
// of the names and the line it touches, not the size of the file; UpdateFile() joins the pieces once.
//
// Choices where Windows gives no rule to copy:
//   - A file starting with the UTF-16LE mark FF FE is Unicode, as on Windows: its lines are converted to code
//     page 932 for the engine (a character code page 932 lacks reads as '?'), and it stays UTF-16 when
//     written, its untouched lines kept as the very UTF-16 bytes read. A new file is never made Unicode. A
//     Unicode file with an odd number of bytes reads the same but is never written over (its last byte
//     belongs to no character). FE FF and the UTF-8 mark are ordinary bytes, as on Windows (a header on
//     line 1 behind them is lost).
//   - A lead byte (81-9F, E0-FC) pairs with the next byte only when that byte is a trail byte (40-7E,
//     80-FC); otherwise it stands alone and the next byte is read on its own. CR and LF are never trail
//     bytes, so a line always ends at them.
//   - A read is cut to 2047 bytes without splitting a double-byte character (it may then be 2046 bytes).
//   - Integer reads: "0x"/"0X" and 1 or more hexadecimal digits up to FFFFFFFF read as the 32-bit pattern
//     (0xFFFFFFFF is -1, 0x80000000 is -2147483648), as the framework's StrToInt does; larger hexadecimal
//     values and decimal values outside -2147483648..2147483647 give the default. No blanks, no '+', no
//     "-0x". The text is cut to 2047 bytes before the conversion, as the program's 2048-byte buffer did.
//   - Rewriting a key with a line that would be byte-identical (same spelling, value and CR LF) changes
//     nothing; so does deleting a missing key. UpdateFile() writes only when the joined bytes differ from
//     those on disk, so a load, or a save of unchanged values, never rewrites the file.
//   - A value is returned with any NUL bytes it holds (the engine keeps bytes; Windows' C strings would
//     stop there).
//   - Within one object a key written under a caller's name is found again under that same name (as in
//     Windows' profile cache) and its value reads with the file's rules (blanks trimmed, quotes removed).
#include "settings/IniFile.h"

#include "core/Cp932.h"
#include "core/IntText.h"
#include "settings/IniDocument.h"
#include "settings/IniText.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/Os.h"

using namespace IniText;

TIniFile::TIniFile(PathString path) : path_(std::move(path)), doc_(std::make_unique<IniDocument>()) {
    if (auto bytes = Os::ReadFileBytes(path_)) {
        doc_->Load(std::move(*bytes));
    } else {
        // A file that is there but cannot be read (locked, no permission) reads as defaults, but must not
        // be replaced by a file holding only our keys: that would lose everything else in it.
        unreadable_ = Os::FileExists(path_);
    }
}

TIniFile::TIniFile(InMemory, std::string bytes) : doc_(std::make_unique<IniDocument>()), inMemory_(true) {
    doc_->Load(std::move(bytes));
}

TIniFile::~TIniFile() {
    if (!pending_) return;
    try {
        UpdateFile();
    } catch (...) {
        // A destructor must not throw; the caller who wants to know calls UpdateFile() itself.
    }
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const {
    if (const auto value = doc_->Read(section, key)) return std::string(CutToReadLimit(*value));
    while (!defaultValue.empty() && defaultValue.back() == ' ') defaultValue.remove_suffix(1);
    return std::string(CutToReadLimit(defaultValue));
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const {
    const auto value = doc_->Read(section, key);
    if (!value) return defaultValue;
    return TryStrToInt(CutToReadLimit(*value)).value_or(defaultValue);
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    doc_->Write(section, key, value);
    pending_ = true;
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
    doc_->Delete(section, key);
    pending_ = true;
}

bool TIniFile::UpdateFile() {
    pending_ = false;
    IniDocument& doc = *doc_;
    if (!doc.changed) return true;
    std::string content = doc.Join();
    if (content == doc.OnDisk()) {
        doc.changed = false;
        return true;
    }
    if (doc.keepUnicode || unreadable_) return false;  // never write over a file we could not read
    if (!inMemory_ && !Os::ReplaceFileBytes(path_, content)) return false;
    doc.written = std::move(content);
    doc.changed = false;
    return true;
}

std::string TIniFile::ContentForTesting() const { return doc_->keepUnicode ? doc_->raw : doc_->Join(); }
