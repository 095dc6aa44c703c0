#include "settings/IniDocument.h"

#include <algorithm>

#include "core/Cp932.h"
#include "settings/IniText.h"

using namespace IniText;

void IniDocument::Load(std::string bytes) {
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

void IniDocument::DecodeUnicode() {
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

std::string_view IniDocument::RawOf(size_t begin, size_t size) const {
    auto offset = [this](size_t at) {
        const auto found = std::lower_bound(rawAt.begin(), rawAt.end(), std::make_pair(at, size_t{0}));
        return found->second;
    };
    const size_t from = offset(begin);
    return std::string_view(raw).substr(from, offset(begin + size) - from);
}

std::string_view IniDocument::Text(const Piece& piece) const {
    return std::string_view(piece.inPool ? pool : source).substr(piece.begin, piece.size);
}

int32_t IniDocument::Link(Piece piece, int32_t after) {
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

void IniDocument::Unlink(int32_t index) {
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

void IniDocument::Parse() {
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

int32_t IniDocument::FindSection(std::string_view name) const {
    const auto found = sectionByName.find(Fold(TrimSpaces(name)));
    return found == sectionByName.end() ? -1 : found->second;
}

int32_t IniDocument::FindKey(int32_t section, std::string_view key) const {
    if (section < 0) return -1;
    const auto& keys = sections[section].keys;
    const auto found = keys.find(Fold(TrimSpaces(key)));
    return found == keys.end() || found->second.empty() ? -1 : found->second.front();
}

void IniDocument::EnsureLineBreak(int32_t index) {
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

IniDocument::Piece IniDocument::KeyLine(std::string_view name, std::string_view value) {
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

void IniDocument::Write(std::string_view sectionName, std::string_view keyName, std::string_view value) {
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

void IniDocument::Delete(std::string_view sectionName, std::string_view keyName) {
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

std::optional<std::string_view> IniDocument::Read(std::string_view sectionName, std::string_view keyName) const {
    const int32_t index = FindKey(FindSection(sectionName), keyName);
    if (index < 0) return std::nullopt;
    const Piece& piece = pieces[index];
    return ValueAsRead(Text(piece).substr(piece.valueBegin, piece.valueSize));
}

std::string IniDocument::Join() const {
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

std::string_view IniDocument::OnDisk() const {
    if (written) return *written;
    return unicode ? std::string_view(raw) : std::string_view(source);
}
