#include "settings/IniDocument.h"

#include "settings/Utf.h"

#include <algorithm>

namespace zrm58 {
namespace {

constexpr std::u16string_view kLineEnd = u"\r\n";

bool isBlank(char16_t c) {
    return c <= u' ';
}

std::u16string_view trimStart(std::u16string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::u16string_view trimEnd(std::u16string_view s) {
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::u16string_view trim(std::u16string_view s) {
    return trimEnd(trimStart(s));
}

char16_t foldCase(char16_t c) {
    const bool upper = (c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
                       (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F) ||
                       (c >= 0xFF21 && c <= 0xFF3A);
    if (upper) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
    return c;
}

// FNV-1a over the case-folded code units, with a final mix so that the low bits, which pick
// the slot, depend on every unit: names equal without regard to case hash alike.
std::uint32_t foldedHash(std::u16string_view name) {
    std::uint64_t hash = 14695981039346656037u;
    for (const char16_t c : name) {
        hash = (hash ^ foldCase(c)) * 1099511628211u;
    }
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdu;
    hash ^= hash >> 33;
    return static_cast<std::uint32_t>(hash);
}

bool isQuote(char16_t c) {
    return c == u'"' || c == u'\'';
}

bool isEnclosedInQuotes(std::u16string_view s) {
    return s.size() >= 2 && isQuote(s.front()) && s.front() == s.back();
}

// Calls `onLine` for every line; a line ends at CR LF, at a lone CR or at a lone LF.
template <typename F> void forEachLine(std::u16string_view text, F&& onLine) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n') continue;
        onLine(text.substr(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) onLine(text.substr(start));
}

} // namespace

void IniSection::addEntry(std::u16string_view key, std::u16string_view value) {
    IniLine line;
    line.begin = static_cast<std::uint32_t>(text.size());
    line.size = static_cast<std::uint32_t>(key.size() + 1 + value.size());
    line.keyLength = static_cast<std::uint32_t>(key.size());
    line.isEntry = true;
    text.append(key).append(u"=").append(value);
    lines.push_back(line);
}

void IniSection::addBare(std::u16string_view bare) {
    if (!lines.empty() && !lines.back().isEntry &&
        lines.back().begin + lines.back().size == text.size()) {
        text.append(kLineEnd).append(bare);
        lines.back().size += static_cast<std::uint32_t>(kLineEnd.size() + bare.size());
        return;
    }
    lines.push_back({static_cast<std::uint32_t>(text.size()),
                     static_cast<std::uint32_t>(bare.size()), 0, false});
    text.append(bare);
}

void IniSection::setValue(IniLine& line, std::u16string_view value) {
    const std::u16string key(this->key(line));
    line.begin = static_cast<std::uint32_t>(text.size());
    line.size = static_cast<std::uint32_t>(key.size() + 1 + value.size());
    text.append(key).append(u"=").append(value);
}

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char16_t x, char16_t y) { return foldCase(x) == foldCase(y); });
}

namespace {

bool isLineBreak(unsigned c) {
    return c == '\r' || c == '\n';
}

// UTF-16 little-endian text without its mark, told from 8-bit text that holds a NUL byte or a
// byte that is no UTF-8: an even count of bytes, surrogates in pairs, and at least one line
// break, with more than half of the bytes 0D and 0A standing as the code units CR and LF. In
// 8-bit text almost every line break is followed by another character than NUL; in UTF-16
// text the others are the low bytes of rare characters such as U+300D.
bool looksLikeUtf16LeUnmarked(std::string_view bytes) {
    if (bytes.size() % 2 != 0) return false;
    std::size_t breakUnits = 0, breakBytes = 0;
    bool expectLow = false;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const auto low = static_cast<unsigned char>(bytes[i]);
        const auto high = static_cast<unsigned char>(bytes[i + 1]);
        const unsigned unit = low | (high << 8);
        const bool isLow = unit >= 0xDC00 && unit <= 0xDFFF;
        if (isLow != expectLow) return false;
        expectLow = unit >= 0xD800 && unit <= 0xDBFF;
        breakUnits += isLineBreak(unit);
        breakBytes += isLineBreak(low) + isLineBreak(high);
    }
    return !expectLow && breakUnits > 0 && breakUnits * 2 > breakBytes;
}

} // namespace

DecodedText IniDocument::decodeText(std::string_view bytes) {
    constexpr std::string_view kUtf16Mark = "\xFF\xFE";
    constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
    if (bytes.starts_with(kUtf16Mark)) {
        return {fromUtf16Le(bytes.substr(kUtf16Mark.size())), TextEncoding::Utf16Le,
                bytes.size() % 2 == 0};
    }
    std::string_view body = bytes;
    const bool utf8Mark = body.starts_with(kUtf8Mark);
    if (utf8Mark) body.remove_prefix(kUtf8Mark.size());
    // UTF-16 text without its mark is mostly NUL bytes, which UTF-8 text seldom holds.
    const bool hasNul = body.find('\0') != std::string_view::npos;
    auto utf8 = fromUtf8(body);
    if (utf8 && (utf8Mark || !hasNul)) return {std::move(*utf8), TextEncoding::Utf8, true};
    if (!utf8Mark && hasNul && looksLikeUtf16LeUnmarked(bytes))
        return {fromUtf16Le(bytes), TextEncoding::Utf16LeUnmarked, false};
    if (utf8) return {std::move(*utf8), TextEncoding::Utf8, true};
    return {fromUtf8OrWindows1252(body), TextEncoding::Utf8OrWindows1252, false};
}

IniDocument IniDocument::parse(std::u16string_view text) {
    IniDocument doc;
    // Sections are added only at a section line, where `current` is taken afresh.
    IniSection* current = nullptr;
    forEachLine(text, [&](std::u16string_view raw) {
        const std::u16string_view line = trim(raw);
        if (line.empty() || line.front() == u';') return;
        if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
            current = &doc.sectionFor(trim(line.substr(1, line.size() - 2)));
            return;
        }
        if (current == nullptr) return;
        const std::size_t eq = line.find(u'=');
        if (eq == std::u16string_view::npos) {
            current->addBare(line);
        } else {
            current->addEntry(trimEnd(line.substr(0, eq)), trimStart(line.substr(eq + 1)));
        }
    });
    return doc;
}

std::vector<std::optional<std::u16string_view>>
IniDocument::findAll(std::u16string_view text, std::span<const Query> queries) {
    std::vector<std::optional<std::u16string_view>> found(queries.size());
    // The queries whose section the current section is; none before the first section line.
    std::vector<std::size_t> open;
    forEachLine(text, [&](std::u16string_view raw) {
        const std::u16string_view line = trim(raw);
        if (line.empty() || line.front() == u';') return;
        if (line.size() >= 2 && line.front() == u'[' && line.back() == u']') {
            const std::u16string_view name = trim(line.substr(1, line.size() - 2));
            open.clear();
            for (std::size_t i = 0; i < queries.size(); ++i)
                if (equalsIgnoringCase(queries[i].section, name)) open.push_back(i);
            return;
        }
        const std::size_t eq = line.find(u'=');
        if (open.empty() || eq == std::u16string_view::npos) return;
        const std::u16string_view key = trimEnd(line.substr(0, eq));
        for (const std::size_t i : open)
            if (equalsIgnoringCase(queries[i].key, key)) found[i] = trimStart(line.substr(eq + 1));
    });
    return found;
}

template <typename Append> void IniDocument::writeTo(Append&& append) const {
    for (const IniSection& section : sections_) {
        append(u"[");
        append(section.name);
        append(u"]");
        append(kLineEnd);
        for (const IniLine& line : section.lines) {
            append(section.lineText(line));
            append(kLineEnd);
        }
        append(kLineEnd);
    }
}

std::u16string IniDocument::serialize() const {
    std::u16string out;
    writeTo([&](std::u16string_view text) { out.append(text); });
    return out;
}

std::string IniDocument::toBytes() const {
    // Counted first and written straight as bytes: a save holds its output once.
    std::size_t units = 0;
    writeTo([&](std::u16string_view text) { units += text.size(); });
    std::string out;
    out.reserve(2 + 2 * units);
    out.append("\xFF\xFE");
    writeTo([&](std::u16string_view text) {
        for (const char16_t unit : text) {
            out += static_cast<char>(unit & 0xFF);
            out += static_cast<char>(unit >> 8);
        }
    });
    return out;
}

std::optional<std::u16string_view> IniDocument::find(std::u16string_view section,
                                                     std::u16string_view key) const {
    const IniSection* found = findSection(section);
    if (found == nullptr) return std::nullopt;
    for (auto it = found->lines.rbegin(); it != found->lines.rend(); ++it) {
        if (it->isEntry && equalsIgnoringCase(found->key(*it), key)) return found->value(*it);
    }
    return std::nullopt;
}

std::u16string IniDocument::profileString(std::u16string_view section, std::u16string_view key,
                                          std::u16string_view fallback) const {
    const auto stored = find(section, key);
    return std::u16string(stored ? decodeValue(*stored) : fallback);
}

void IniDocument::set(std::u16string_view section, std::u16string_view key,
                      std::u16string_view storedText) {
    IniSection& target = sectionFor(section);
    for (auto it = target.lines.rbegin(); it != target.lines.rend(); ++it) {
        if (it->isEntry && equalsIgnoringCase(target.key(*it), key)) {
            target.setValue(*it, storedText);
            return;
        }
    }
    target.addEntry(key, storedText);
}

std::u16string IniDocument::encodeValue(std::u16string_view text) {
    std::u16string out(text);
    std::replace_if(
        out.begin(), out.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; }, u' ');
    const bool needsQuotes =
        !out.empty() && (isBlank(out.front()) || isBlank(out.back()) || isEnclosedInQuotes(out));
    return needsQuotes ? u'"' + out + u'"' : out;
}

std::u16string_view IniDocument::decodeValue(std::u16string_view stored) {
    return isEnclosedInQuotes(stored) ? stored.substr(1, stored.size() - 2) : stored;
}

std::size_t IniDocument::slotOf(std::u16string_view name, std::uint32_t hash) const {
    const std::size_t mask = sectionSlots_.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const SectionSlot& at = sectionSlots_[slot];
        if (at.index == kNoSection) return slot;
        if (at.hash == hash && equalsIgnoringCase(sections_[at.index].name, name)) return slot;
    }
}

void IniDocument::growIndex() {
    std::vector<SectionSlot> old(std::max<std::size_t>(16, sectionSlots_.size() * 2),
                                 SectionSlot{kNoSection, 0});
    old.swap(sectionSlots_);
    const std::size_t mask = sectionSlots_.size() - 1;
    for (const SectionSlot& entry : old) {
        if (entry.index == kNoSection) continue;
        std::size_t slot = entry.hash & mask;
        while (sectionSlots_[slot].index != kNoSection)
            slot = (slot + 1) & mask;
        sectionSlots_[slot] = entry;
    }
}

IniSection* IniDocument::findSection(std::u16string_view name) {
    if (sectionSlots_.empty()) return nullptr;
    const std::uint32_t index = sectionSlots_[slotOf(name, foldedHash(name))].index;
    return index == kNoSection ? nullptr : &sections_[index];
}

const IniSection* IniDocument::findSection(std::u16string_view name) const {
    return const_cast<IniDocument*>(this)->findSection(name);
}

IniSection& IniDocument::sectionFor(std::u16string_view name) {
    if ((sections_.size() + 1) * 2 > sectionSlots_.size()) growIndex();
    const std::uint32_t hash = foldedHash(name);
    SectionSlot& slot = sectionSlots_[slotOf(name, hash)];
    if (slot.index != kNoSection) return sections_[slot.index];
    slot = {static_cast<std::uint32_t>(sections_.size()), hash};
    return sections_.emplace_back(IniSection{std::u16string(name), {}, {}});
}

} // namespace zrm58
