#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zrm58 {

// One line kept inside a section: an entry "key=value", or bare text without "=" that is
// written back as it was read (a run of bare lines is kept as one, joined by CR LF). Its text
// stands in its section's text; the line is where, so that a file of millions of short lines
// costs little more than its text.
struct IniLine {
    std::uint32_t begin = 0;     // of the line's text in IniSection::text
    std::uint32_t size = 0;      // "key=value", or the bare text
    std::uint32_t keyLength = 0; // entries only
    bool isEntry = false;
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
    // Whether the text is surely the file as its writer wrote it. Not so for the two readings
    // without a mark that are guesses (unmarked UTF-16, the 8-bit reading), nor for a UTF-16
    // file of an odd length (its last byte is no code unit). A save then keeps the file's former
    // bytes beside it.
    bool asWritten = true;
};

struct IniSection {
    std::u16string name;
    std::u16string text; // the lines' texts one after the other (and replaced values' old texts)
    std::vector<IniLine> lines;

    std::u16string_view lineText(const IniLine& line) const {
        return std::u16string_view(text).substr(line.begin, line.size);
    }
    // Entries only.
    std::u16string_view key(const IniLine& line) const {
        return lineText(line).substr(0, line.keyLength);
    }
    // An entry's value as stored, or the bare text.
    std::u16string_view value(const IniLine& line) const {
        return line.isEntry ? lineText(line).substr(line.keyLength + 1) : lineText(line);
    }
    void addEntry(std::u16string_view key, std::u16string_view value);
    // Joins a bare line to a run of bare lines that ends the section.
    void addBare(std::u16string_view bare);
    // The entry's value; the new text goes to the end of `text`.
    void setValue(IniLine& line, std::u16string_view value);
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

    // What find() would give for each (section, key) of `queries` on parse(text), in one pass
    // over the text without building the document: the views point into `text`. The reader's
    // way, which needs no more memory than the text however many lines it holds.
    struct Query {
        std::u16string_view section, key;
    };
    static std::vector<std::optional<std::u16string_view>> findAll(std::u16string_view text,
                                                                   std::span<const Query> queries);
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
    std::size_t slotOf(std::u16string_view name, std::uint32_t hash) const;
    // Hands the serialised text to `append` piece by piece.
    template <typename Append> void writeTo(Append&& append) const;
    void growIndex();

    std::vector<IniSection> sections_;
    // Open-addressing index of sections_ by the case-folded name's hash (index kNoSection marks
    // an empty slot; at most half the slots are used). The hash kept in the slot spares a look
    // at the name for nearly every slot passed and lets the index grow without the names, so
    // that a file of many sections loads in time linear in its size.
    struct SectionSlot {
        std::uint32_t index;
        std::uint32_t hash;
    };
    static constexpr std::uint32_t kNoSection = UINT32_MAX;
    std::vector<SectionSlot> sectionSlots_;
};

// Case-blind comparison of names: ASCII, Latin-1, basic Greek and Cyrillic, full-width Latin.
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);

} // namespace zrm58
