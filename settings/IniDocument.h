#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zrm58 {

// One line kept inside a section: an entry "key=value", or a bare line without "=" that is
// written back as it was read.
struct IniLine {
    bool isEntry = false;
    std::u16string key;   // entries only
    std::u16string value; // an entry's value as stored, or a bare line's whole text
};

// How the bytes of a settings file were taken as text.
enum class TextEncoding {
    Utf16Le,          // after the mark FF FE
    Utf8,             // well-formed, with or without its mark
    Utf16LeUnmarked,  // no mark, but plainly UTF-16 little-endian text
    Utf8OrWindows1252 // neither: UTF-8 where the bytes form it, Windows-1252 for each other byte
};

struct DecodedText {
    std::u16string text;
    TextEncoding encoding = TextEncoding::Utf8;
    // Whether the text is the file as its writer wrote it. Not so for the last reading, which
    // is a guess at what an 8-bit editor meant, nor for a UTF-16 file of an odd length (its last
    // byte is no code unit). A save then keeps the file's former bytes beside it.
    bool asWritten = true;
};

struct IniSection {
    std::u16string name;
    std::vector<IniLine> lines;
};

// The settings file in memory, the way a save loads, changes and rewrites it: sections in file
// order, each with its entries and bare lines in order. Comments (";"), empty lines and text
// before the first section are not kept. Section and key names compare without regard to case;
// a section that occurs twice is merged into the first. A key may occur more than once in a
// section: reads and writes both address its last occurrence, so what a save writes is what the
// next start reads.
class IniDocument {
public:
    // Whole file as stored: UTF-16 little-endian after the byte-order mark FF FE; otherwise UTF-8
    // when the bytes after its optional mark are well-formed UTF-8 (without NUL bytes, unless
    // the mark is there); otherwise UTF-16 little-endian without a mark when the bytes plainly
    // are that (an even count, paired surrogates, and most line-break bytes standing as the
    // code units CR and LF); otherwise well-formed UTF-8 with NUL bytes; otherwise UTF-8 where
    // the bytes form it and Windows-1252 for every other byte, so that no byte is lost.
    static DecodedText decodeText(std::string_view bytes);
    static std::u16string decode(std::string_view bytes) { return decodeText(bytes).text; }
    static IniDocument parse(std::u16string_view text);
    static IniDocument fromBytes(std::string_view bytes) { return parse(decode(bytes)); }

    // Serialised layout: "[name]" CR LF, one line per entry or bare line, CR LF after each, then
    // an empty line (CR LF) after every section.
    std::u16string serialize() const;
    // Byte-order mark FF FE, then serialize() in UTF-16 little-endian.
    std::string toBytes() const;

    // The stored text of the key's last occurrence; std::nullopt when section or key is missing.
    std::optional<std::u16string_view> find(std::u16string_view section,
                                            std::u16string_view key) const;
    // The profile reader: the key's value by decodeValue(), or `fallback` when the section or
    // the key is missing. A key present with an empty value reads as the empty text.
    std::u16string profileString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view fallback) const;
    // Stores `storedText` as is. An existing key keeps its place and letter case (its last
    // occurrence changes); a new key goes to the end of its section, a new section to the end.
    void set(std::u16string_view section, std::u16string_view key, std::u16string_view storedText);

    const std::vector<IniSection>& sections() const { return sections_; }

    // Value text forms. The loader trims blanks (up to U+0020) around a value, so a value that
    // begins or ends with one is stored in double quotes, and so is one enclosed in a pair of
    // equal quote marks; the reader removes one pair of enclosing '"' or '\'' marks. CR and LF
    // would split the line: encodeValue() stores each as a space.
    static std::u16string encodeValue(std::u16string_view text);
    static std::u16string_view decodeValue(std::u16string_view stored);

private:
    IniSection* findSection(std::u16string_view name);
    const IniSection* findSection(std::u16string_view name) const;
    IniSection& sectionFor(std::u16string_view name);
    // The slot of sectionSlots_ that holds the section of this name, or the empty slot where it
    // would go.
    std::size_t slotOf(std::u16string_view name) const;
    void growIndex();

    std::vector<IniSection> sections_;
    // Open-addressing index of sections_ by the case-folded name (kNoSection marks an empty
    // slot; at most half the slots are used), so that a file of many sections loads in time
    // linear in its size without a node or a folded copy of each name.
    static constexpr std::uint32_t kNoSection = UINT32_MAX;
    std::vector<std::uint32_t> sectionSlots_;
};

// Case-blind comparison of names: ASCII, Latin-1, basic Greek and Cyrillic, full-width Latin.
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);

} // namespace zrm58
