// libFuzzer target for the settings-file engine (settings/IniFile.cpp), without file I/O.
//
// Input: a settings file; its last bytes also choose up to 8 operations (FuzzedDataProvider takes integers
// from the end), so any plain INI file is a useful seed. Section and key names and values come from the
// file's own lines and from a fixed list (Shift-JIS trail bytes, quotes, blanks, over-long values).
//
// Besides crashes and sanitizer reports it checks:
//   - an untouched file joins back to exactly its bytes;
//   - reads return at most 2047 bytes; a missing section gives the default less its trailing spaces;
//   - a clean value written under clean names reads back as written;
//   - after every write or delete (for its own names) and after the last operation (for more names), the
//     object answers reads exactly as a fresh object over the bytes it would write (model and file never
//     disagree), and those bytes join back to themselves.
// "Clean" means what a file can hold on one line and read back: no CR or LF, names without edge blanks,
// a section name without `]` that does not end in a lone lead byte, a key without `=` that does not start
// with `[` or `;`. Writes of other names and values still run (for crashes) but end the consistency checks.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Os.h"
#include "settings/IniFile.h"

struct TIniFileTestAccess {
    static std::unique_ptr<TIniFile> FromBytes(std::string bytes) {
        return std::unique_ptr<TIniFile>(new TIniFile(TIniFile::InMemory{}, std::move(bytes)));
    }
    static std::string Content(const TIniFile& ini) { return ini.ContentForTesting(); }
};

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_ini: invariant broken: %s\n", what);
    std::abort();
}
#define CHECK(condition)                    \
    do {                                    \
        if (!(condition)) Fail(#condition); \
    } while (0)

// Text that a Unicode file holds unchanged: it comes back from UTF-16 as the same code page 932 bytes.
bool SurvivesUtf16(std::string_view text) { return Os::Utf16ToCp932(Os::Cp932ToUtf16(text)) == text; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v'; }
bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// Does `s` hold the single-byte character ch (not as a trail byte)? Also: does it end in a lone lead byte?
bool HasChar(std::string_view s, char ch, bool* endsInLoneLead = nullptr) {
    bool found = false, lone = false;
    for (size_t i = 0; i < s.size();) {
        const bool pair = IsLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() &&
                          IsTrail(static_cast<unsigned char>(s[i + 1]));
        lone = !pair && IsLead(static_cast<unsigned char>(s[i]));
        if (!pair && s[i] == ch) found = true;
        i += pair ? 2 : 1;
    }
    if (endsInLoneLead) *endsInLoneLead = lone;
    return found;
}

std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

bool CleanName(std::string_view name) {
    name = TrimSpaces(name);
    return !HasLineBreak(name) && (name.empty() || (!IsBlank(name.front()) && !IsBlank(name.back())));
}

bool CleanSection(std::string_view name) {
    if (!CleanName(name)) return false;
    bool lone = false;
    return !HasChar(TrimSpaces(name), ']', &lone) && !lone;
}

bool CleanKey(std::string_view name) {
    if (!CleanName(name)) return false;
    name = TrimSpaces(name);
    return !HasChar(name, '=') && (name.empty() || (name.front() != '[' && name.front() != ';'));
}

// A value that reads back exactly as written.
bool PlainValue(std::string_view value) {
    if (HasLineBreak(value) || value.size() > 2047) return false;
    if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()))) return false;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return false;
    return true;
}

void AddUnique(std::vector<std::string>& list, std::string_view item, size_t limit) {
    if (list.size() >= limit) return;
    for (const auto& existing : list) {
        if (existing == item) return;
    }
    list.emplace_back(item);
}

// Names and values the file itself suggests: text after `[` up to `]`, before and after `=`.
void Harvest(std::string_view file, std::vector<std::string>& sections, std::vector<std::string>& keys,
             std::vector<std::string>& values) {
    size_t pos = 0;
    for (int line = 0; line < 64 && pos < file.size(); ++line) {
        size_t end = file.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = file.size();
        const std::string_view text = file.substr(pos, end - pos);
        const size_t open = text.find('[');
        if (open != std::string_view::npos) {
            const size_t close = text.find(']', open);
            AddUnique(
                sections,
                text.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1), 24);
        }
        const size_t equals = text.find('=');
        if (equals != std::string_view::npos) {
            AddUnique(keys, text.substr(0, equals), 24);
            AddUnique(values, text.substr(equals + 1), 24);
        }
        pos = end + 1;
    }
}

using Names = std::vector<std::pair<std::string_view, std::string_view>>;  // section, key

void CheckSameAnswers(const TIniFile& ini, const Names& names) {
    const std::string content = TIniFileTestAccess::Content(ini);
    const auto fresh = TIniFileTestAccess::FromBytes(content);
    CHECK(TIniFileTestAccess::Content(*fresh) == content);
    for (const auto& [section, key] : names) {
        CHECK(ini.ReadString(section, key, "\x01") == fresh->ReadString(section, key, "\x01"));
        CHECK(ini.ReadInteger(section, key, 77) == fresh->ReadInteger(section, key, 77));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    struct Op {
        uint8_t kind, section, key, value;
    };
    std::vector<Op> ops(size >= 16 ? provider.ConsumeIntegralInRange<size_t>(0, 8) : 0);
    for (auto& op : ops) {
        op.kind = provider.ConsumeIntegralInRange<uint8_t>(0, 5);
        op.section = provider.ConsumeIntegral<uint8_t>();
        op.key = provider.ConsumeIntegral<uint8_t>();
        op.value = provider.ConsumeIntegral<uint8_t>();
    }
    const std::string file = provider.ConsumeRemainingBytesAsString();
    const bool unicode =
        file.size() >= 2 && static_cast<unsigned char>(file[0]) == 0xFF && static_cast<unsigned char>(file[1]) == 0xFE;

    std::vector<std::string> sections = {"", "Horvane2010", "timerdata", " S ", "S\t", "\x83\x5D", "\x82\x61", "\x81"};
    std::vector<std::string> keys = {"", "Top", "COLOR", " k ", "\x82\x41", "a=b", ";c", "\x83\x5D"};
    std::vector<std::string> values = {"",
                                       "1",
                                       "-2147483648",
                                       "0xFFFFFFFF",
                                       "\"q\"",
                                       " spaced ",
                                       "\x83\x5D\x95\x5C",
                                       std::string(3000, 'x'),
                                       "a\r\nb",
                                       std::string("nul\0byte", 8)};
    Harvest(file, sections, keys, values);

    const auto ini = TIniFileTestAccess::FromBytes(file);
    CHECK(TIniFileTestAccess::Content(*ini) == file);
    // A Unicode file holds what it is given in UTF-16: the checks hold for names and values that survive it.
    bool consistent = !unicode || file.size() % 2 == 0;
    for (const auto& op : ops) {
        const std::string& section = sections[op.section % sections.size()];
        const std::string& key = keys[op.key % keys.size()];
        const std::string& value = values[op.value % values.size()];
        const bool clean =
            CleanSection(section) && CleanKey(key) && (!unicode || (SurvivesUtf16(section) && SurvivesUtf16(key)));
        switch (op.kind) {
            case 0: {
                const std::string read = ini->ReadString(section, key, value);
                CHECK(read.size() <= 2047);
                break;
            }
            case 1:
                ini->ReadInteger(section, key, op.value);
                break;
            case 2:
                ini->WriteString(section, key, value);
                if (!clean || HasLineBreak(value) || (unicode && !SurvivesUtf16(value))) consistent = false;
                if (clean && PlainValue(value)) CHECK(ini->ReadString(section, key, "\x01") == value);
                break;
            case 3:
                ini->DeleteKey(section, key);
                break;
            case 4:
                ini->WriteInteger(section, key, static_cast<int32_t>(op.value) - 128);
                if (!clean) consistent = false;
                if (clean) CHECK(ini->ReadInteger(section, key, 1000) == static_cast<int32_t>(op.value) - 128);
                break;
            default:
                CHECK(ini->UpdateFile() || (unicode && file.size() % 2 != 0));
                break;
        }
        if (consistent && op.kind >= 2 && op.kind <= 4) CheckSameAnswers(*ini, {{section, key}});
    }
    if (consistent && !ops.empty()) {
        // Every section an operation used with every key one used; then all other names pairwise.
        Names names;
        for (const auto& a : ops) {
            for (const auto& b : ops)
                names.emplace_back(sections[a.section % sections.size()], keys[b.key % keys.size()]);
        }
        for (size_t i = 0; i < sections.size() || i < keys.size(); ++i) {
            names.emplace_back(sections[i % sections.size()], keys[i % keys.size()]);
        }
        CheckSameAnswers(*ini, names);
    }
    // A section that is not in the file gives the default less its trailing spaces.
    if (!consistent || ops.empty()) {
        CHECK(ini->ReadString("\x01no such section\x01", "k", "d  ") == "d");
    }
    return 0;
}
