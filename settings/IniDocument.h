#pragma once
// The settings file as a list of pieces (see IniFile.cpp for the layout and the rules it keeps): the parsed
// bytes, their line index and the UTF-16 form of a Unicode file. Used by TIniFile only.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

struct IniDocument {
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

    void Load(std::string bytes);

    static char16_t UnitAt(std::string_view bytes, size_t offset) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[offset]) |
                                     (static_cast<unsigned char>(bytes[offset + 1]) << 8));
    }

    // Converts the UTF-16 text in one go and pairs its line starts with those of the result. Both sides
    // split by the rule of Parse() (CR LF, CR, LF); a conversion maps CR and LF to themselves and nothing
    // else to them, so the two sides have the same lines.
    void DecodeUnicode();

    template <typename View>
    static size_t NextLine(View text, size_t pos) {
        while (pos < text.size() && text[pos] != '\r' && text[pos] != '\n') ++pos;
        if (pos < text.size()) pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
        return pos;
    }

    // The UTF-16 bytes read for source[begin, begin + size): both ends are line starts or the end.
    std::string_view RawOf(size_t begin, size_t size) const;

    std::string_view Text(const Piece& piece) const;

    int32_t Link(Piece piece, int32_t after);  // after == -1: at the end

    void Unlink(int32_t index);

    void Parse();

    int32_t FindSection(std::string_view name) const;

    // The first live line of the key, or -1.
    int32_t FindKey(int32_t section, std::string_view key) const;

    // A line that gets something after it must end with a line break: CR LF is added when it has none.
    void EnsureLineBreak(int32_t index);

    // A Key piece holding `name=value` CR LF in the pool.
    Piece KeyLine(std::string_view name, std::string_view value);

    void Write(std::string_view sectionName, std::string_view keyName, std::string_view value);

    void Delete(std::string_view sectionName, std::string_view keyName);

    std::optional<std::string_view> Read(std::string_view sectionName, std::string_view keyName) const;

    // The file's bytes: in UTF-16 for a Unicode file, untouched lines as read and the others converted.
    std::string Join() const;

    // The bytes the file holds as far as this object knows.
    std::string_view OnDisk() const;
};
