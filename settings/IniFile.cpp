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
#include "settings/IniText.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/Os.h"

using namespace IniText;

struct TIniFile::Document {
    enum class Kind : uint8_t { Text, Header, Key };
    struct Piece {
        size_t begin = 0;  // in source or, when inPool, in pool
        size_t size = 0;   // line(s) with their line breaks
        // Key pieces, relative to begin: the file's spelling of the key, and the raw value (no line break).
        size_t nameBegin = 0, nameSize = 0, valueBegin = 0, valueSize = 0;
        int32_t prev = -1, next = -1;
        Kind kind = Kind::Text;
        bool inPool = false;
        // A pool piece that starts with a copy of source[keptBegin, keptBegin + keptSize) (a line that only got
        // a line break added): a Unicode file writes that part as the bytes read.
        size_t keptBegin = 0, keptSize = 0;
    };
    struct Section {
        int32_t header = -1;
        int32_t lastKey = -1;                                        // the last key line, -1 when the section has none
        std::unordered_map<std::string, std::vector<int32_t>> keys;  // folded name -> its lines, file order
    };

    std::string source;  // the bytes read
    std::string pool;    // rewritten and new lines
    std::vector<Piece> pieces;
    int32_t head = -1, tail = -1;
    std::vector<Section> sections;
    std::unordered_map<std::string, int32_t> sectionByName;  // folded name -> first section of that name
    // A Unicode file: `source` holds its lines converted to code page 932, `raw` the bytes read, and
    // `rawAt` pairs the offset of every line start (and of the end) in `source` with the same place in `raw`.
    bool unicode = false;
    bool keepUnicode = false;  // a Unicode file with an odd byte count: never written over
    std::string raw;
    std::vector<std::pair<size_t, size_t>> rawAt;
    bool changed = false;                // pieces changed since the content was last compared with the disk
    std::optional<std::string> written;  // what the last UpdateFile() wrote; else the disk holds what was read

    static bool HasUnicodeMark(std::string_view bytes) {
        return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
               static_cast<unsigned char>(bytes[1]) == 0xFE;
    }

    void Load(std::string bytes) {
        if (HasUnicodeMark(bytes)) {
            raw = std::move(bytes);
            unicode = true;
            keepUnicode = raw.size() % 2 != 0;
            DecodeUnicode();
        } else {
            source = std::move(bytes);
        }
        Parse();
    }

    static char16_t UnitAt(std::string_view bytes, size_t offset) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[offset]) |
                                     (static_cast<unsigned char>(bytes[offset + 1]) << 8));
    }

    // Converts the UTF-16 text in one go and pairs its line starts with those of the result. Both sides
    // split by the rule of Parse() (CR LF, CR, LF); a conversion maps CR and LF to themselves and nothing
    // else to them, so the two sides have the same lines.
    void DecodeUnicode() {
        const size_t end = raw.size() - raw.size() % 2;
        std::u16string text((end - 2) / 2, u'\0');
        for (size_t i = 0; i < text.size(); ++i) text[i] = UnitAt(raw, 2 + 2 * i);
        source = Cp932::FromUtf16(text);
        size_t at = 0;
        for (size_t unit = 0; unit < text.size();) {
            if (at == source.size()) keepUnicode = true;  // the sides disagree: never write over the file
            rawAt.emplace_back(at, 2 + 2 * unit);
            unit = NextLine(std::u16string_view(text), unit);
            at = NextLine(std::string_view(source), at);
        }
        if (at != source.size()) keepUnicode = true;
        rawAt.emplace_back(source.size(), end);
    }

    template <typename View>
    static size_t NextLine(View text, size_t pos) {
        while (pos < text.size() && text[pos] != '\r' && text[pos] != '\n') ++pos;
        if (pos < text.size()) pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
        return pos;
    }

    // The UTF-16 bytes read for source[begin, begin + size): both ends are line starts or the end.
    std::string_view RawOf(size_t begin, size_t size) const {
        auto offset = [this](size_t at) {
            const auto found = std::lower_bound(rawAt.begin(), rawAt.end(), std::make_pair(at, size_t{0}));
            return found->second;
        };
        const size_t from = offset(begin);
        return std::string_view(raw).substr(from, offset(begin + size) - from);
    }

    std::string_view Text(const Piece& piece) const {
        return std::string_view(piece.inPool ? pool : source).substr(piece.begin, piece.size);
    }

    int32_t Link(Piece piece, int32_t after) {  // after == -1: at the end
        const auto index = static_cast<int32_t>(pieces.size());
        if (after < 0) after = tail;
        piece.prev = after;
        piece.next = after < 0 ? head : pieces[after].next;
        pieces.push_back(piece);
        if (piece.prev >= 0)
            pieces[piece.prev].next = index;
        else
            head = index;
        if (piece.next >= 0)
            pieces[piece.next].prev = index;
        else
            tail = index;
        return index;
    }

    void Unlink(int32_t index) {
        Piece& piece = pieces[index];
        if (piece.prev >= 0)
            pieces[piece.prev].next = piece.next;
        else
            head = piece.next;
        if (piece.next >= 0)
            pieces[piece.next].prev = piece.prev;
        else
            tail = piece.prev;
        piece.prev = piece.next = -1;
    }

    void Parse() {
        const std::string_view text = source;
        size_t pendingText = std::string_view::npos;  // start of the Text lines not yet made a piece
        int32_t section = -1;                         // the first section of its name we are in, or -1
        auto flushText = [&](size_t end) {
            if (pendingText == std::string_view::npos) return;
            Piece piece;
            piece.begin = pendingText;
            piece.size = end - pendingText;
            Link(piece, -1);
            pendingText = std::string_view::npos;
        };
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = pos;
            while (end < text.size() && !IsLineBreak(text[end])) ++end;
            size_t next = end;
            if (next < text.size()) {
                next += (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
            }
            const std::string_view line = text.substr(pos, end - pos);
            const LineInfo info = ClassifyLine(line);
            Piece piece;
            piece.begin = pos;
            piece.size = next - pos;
            if (info.kind == LineInfo::Header) {
                section = -1;
                std::string folded = Fold(info.name);
                if (sectionByName.find(folded) == sectionByName.end()) {
                    flushText(pos);
                    piece.kind = Kind::Header;
                    section = static_cast<int32_t>(sections.size());
                    sections.emplace_back().header = Link(piece, -1);
                    sectionByName.emplace(std::move(folded), section);
                }
            } else if (info.kind == LineInfo::Key && section >= 0) {
                flushText(pos);
                piece.kind = Kind::Key;
                piece.nameBegin = static_cast<size_t>(info.name.data() - line.data());
                piece.nameSize = info.name.size();
                piece.valueBegin = info.valueBegin;
                piece.valueSize = line.size() - info.valueBegin;
                const int32_t index = Link(piece, -1);
                sections[section].keys[Fold(info.name)].push_back(index);
                sections[section].lastKey = index;
            }
            if (piece.kind == Kind::Text && pendingText == std::string_view::npos) pendingText = pos;
            pos = next;
        }
        flushText(text.size());
    }

    int32_t FindSection(std::string_view name) const {
        const auto found = sectionByName.find(Fold(TrimSpaces(name)));
        return found == sectionByName.end() ? -1 : found->second;
    }

    // The first live line of the key, or -1.
    int32_t FindKey(int32_t section, std::string_view key) const {
        if (section < 0) return -1;
        const auto& keys = sections[section].keys;
        const auto found = keys.find(Fold(TrimSpaces(key)));
        return found == keys.end() || found->second.empty() ? -1 : found->second.front();
    }

    // A line that gets something after it must end with a line break: CR LF is added when it has none.
    void EnsureLineBreak(int32_t index) {
        Piece& piece = pieces[index];
        const std::string_view text = Text(piece);
        if (!text.empty() && IsLineBreak(text.back())) return;
        std::string line(text);  // a copy: text may lie in the pool that grows here
        line += "\r\n";
        const size_t begin = pool.size();
        pool.append(line);
        if (!piece.inPool) {
            piece.keptBegin = piece.begin;
            piece.keptSize = piece.size;
        }
        piece.begin = begin;
        piece.size = pool.size() - begin;
        piece.inPool = true;
    }

    // A Key piece holding `name=value` CR LF in the pool.
    Piece KeyLine(std::string_view name, std::string_view value) {
        Piece piece;
        piece.kind = Kind::Key;
        piece.inPool = true;
        piece.begin = pool.size();
        pool.append(name);
        pool.push_back('=');
        pool.append(value);
        pool.append("\r\n");
        piece.size = pool.size() - piece.begin;
        piece.nameSize = name.size();
        piece.valueBegin = name.size() + 1;
        piece.valueSize = value.size();
        return piece;
    }

    void Write(std::string_view sectionName, std::string_view keyName, std::string_view value) {
        sectionName = TrimSpaces(sectionName);
        keyName = TrimSpaces(keyName);
        int32_t section = FindSection(sectionName);
        if (section < 0) {
            if (tail >= 0) EnsureLineBreak(tail);
            Piece header;
            header.kind = Kind::Header;
            header.inPool = true;
            header.begin = pool.size();
            pool.push_back('[');
            pool.append(sectionName);
            pool.append("]\r\n");
            header.size = pool.size() - header.begin;
            section = static_cast<int32_t>(sections.size());
            sections.emplace_back().header = Link(header, -1);
            sectionByName.emplace(Fold(sectionName), section);
            changed = true;
        }
        const int32_t existing = FindKey(section, keyName);
        if (existing >= 0) {
            const Piece& old = pieces[existing];
            const std::string_view oldText = Text(old);
            std::string line(oldText.substr(old.nameBegin, old.nameSize));  // the file's spelling
            const size_t nameSize = line.size();
            line += '=';
            line += value;
            line += "\r\n";
            if (line == oldText) return;  // the line would not change
            Piece rewritten = KeyLine(std::string_view(line).substr(0, nameSize), value);
            rewritten.prev = old.prev;
            rewritten.next = old.next;
            pieces[existing] = rewritten;
            changed = true;
            return;
        }
        Section& target = sections[section];
        const int32_t anchor = target.lastKey >= 0 ? target.lastKey : target.header;
        EnsureLineBreak(anchor);
        const int32_t index = Link(KeyLine(keyName, value), anchor);
        target.keys[Fold(keyName)].push_back(index);
        target.lastKey = index;
        changed = true;
    }

    void Delete(std::string_view sectionName, std::string_view keyName) {
        const int32_t section = FindSection(sectionName);
        if (section < 0) return;
        auto& keys = sections[section].keys;
        const auto found = keys.find(Fold(TrimSpaces(keyName)));
        if (found == keys.end() || found->second.empty()) return;
        const int32_t index = found->second.front();
        found->second.erase(found->second.begin());
        if (found->second.empty()) keys.erase(found);
        Section& target = sections[section];
        if (target.lastKey == index) {
            int32_t previous = pieces[index].prev;
            while (previous >= 0 && pieces[previous].kind == Kind::Text) previous = pieces[previous].prev;
            target.lastKey = previous >= 0 && pieces[previous].kind == Kind::Key ? previous : -1;
        }
        Unlink(index);
        changed = true;
    }

    std::optional<std::string_view> Read(std::string_view sectionName, std::string_view keyName) const {
        const int32_t index = FindKey(FindSection(sectionName), keyName);
        if (index < 0) return std::nullopt;
        const Piece& piece = pieces[index];
        return ValueAsRead(Text(piece).substr(piece.valueBegin, piece.valueSize));
    }

    // The file's bytes: in UTF-16 for a Unicode file, untouched lines as read and the others converted.
    std::string Join() const {
        std::string content;
        if (!unicode) {
            content.reserve(source.size() + pool.size());
            for (int32_t i = head; i >= 0; i = pieces[i].next) content.append(Text(pieces[i]));
            return content;
        }
        content.reserve(raw.size() + 2 * pool.size());
        content.append("\xFF\xFE");
        for (int32_t i = head; i >= 0; i = pieces[i].next) {
            const Piece& piece = pieces[i];
            if (!piece.inPool) {
                content.append(RawOf(piece.begin, piece.size));
                continue;
            }
            content.append(RawOf(piece.keptBegin, piece.keptSize));
            for (const char16_t unit : Cp932::ToUtf16(Text(piece).substr(piece.keptSize))) {
                content.push_back(static_cast<char>(unit & 0xFF));
                content.push_back(static_cast<char>(unit >> 8));
            }
        }
        return content;
    }

    // The bytes the file holds as far as this object knows.
    std::string_view OnDisk() const {
        if (written) return *written;
        return unicode ? std::string_view(raw) : std::string_view(source);
    }
};

TIniFile::TIniFile(PathString path) : path_(std::move(path)), doc_(std::make_unique<Document>()) {
    if (auto bytes = Os::ReadFileBytes(path_)) {
        doc_->Load(std::move(*bytes));
    } else {
        // A file that is there but cannot be read (locked, no permission) reads as defaults, but must not
        // be replaced by a file holding only our keys: that would lose everything else in it.
        unreadable_ = Os::FileExists(path_);
    }
}

TIniFile::TIniFile(InMemory, std::string bytes) : doc_(std::make_unique<Document>()), inMemory_(true) {
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
    Document& doc = *doc_;
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
