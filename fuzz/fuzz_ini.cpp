// Fuzz target: the settings file loader, the profile reader and the conversions, on the input as
// a stored file.
//
// Properties: the document the writer serialises loads back as the same document; every entry
// the loader kept is found by its reader; every value that converts is written in a text form
// that converts back to the same value; a text stored through encodeValue() reads back as the
// text (CR and LF as spaces); the one-pass reader finds what the document finds; the settings
// reader hands over every loaded key once, in table order, with a value of the key's type, or
// stops at a colour that does not convert.
#include "FuzzSupport.h"
#include "fakes/FakeFileStore.h"
#include "settings/IniConvert.h"
#include "settings/IniDocument.h"
#include "settings/SettingsFile.h"

#include <algorithm>
#include <cmath>
#include <variant>

namespace {

using namespace zrm58;
using fakes::FakeFileStore;

bool sameDocument(const IniDocument& a, const IniDocument& b) {
    return std::equal(
        a.sections().begin(), a.sections().end(), b.sections().begin(), b.sections().end(),
        [&](const IniSection& x, const IniSection& y) {
            const auto sameLine = [&](const IniLine& l, const IniLine& m) {
                return l.isEntry == m.isEntry && x.key(l) == y.key(m) && x.value(l) == y.value(m);
            };
            return x.name == y.name && std::equal(x.lines.begin(), x.lines.end(), y.lines.begin(),
                                                  y.lines.end(), sameLine);
        });
}

void checkDocumentRoundTrip(const IniDocument& doc) {
    const IniDocument again = IniDocument::fromBytes(doc.toBytes());
    FUZZ_CHECK(sameDocument(doc, again));
    for (const IniSection& section : doc.sections()) {
        for (const IniLine& line : section.lines) {
            if (line.isEntry) FUZZ_CHECK(doc.find(section.name, section.key(line)).has_value());
        }
    }
}

// The one-pass reader finds what the document finds, for the program's keys and the file's own.
void checkFindAll(std::u16string_view text, const IniDocument& doc) {
    std::vector<IniDocument::Query> queries;
    for (const SettingDef& def : kSettingDefs)
        queries.push_back({def.section, def.name});
    for (const IniSection& section : doc.sections()) {
        for (const IniLine& line : section.lines) {
            if (line.isEntry && queries.size() < 64)
                queries.push_back({section.name, section.key(line)});
        }
    }
    const auto found = IniDocument::findAll(text, queries);
    for (std::size_t i = 0; i < queries.size(); ++i)
        FUZZ_CHECK(found[i] == doc.find(queries[i].section, queries[i].key));
}

void checkStoredText(std::u16string_view text) {
    std::u16string expected(text);
    std::replace_if(
        expected.begin(), expected.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; },
        u' ');
    IniDocument doc;
    doc.set(u"S", u"K", IniDocument::encodeValue(text));
    const IniDocument loaded = IniDocument::fromBytes(doc.toBytes());
    FUZZ_CHECK(loaded.profileString(u"s", u"k", u"missing") == expected);
}

void checkConversions(std::u16string_view text) {
    if (const auto integer = parseIntegerText(text))
        FUZZ_CHECK(parseIntegerText(formatIntegerText(*integer)) == integer);
    if (const auto colour = parseColourText(text))
        FUZZ_CHECK(parseColourText(formatColourText(*colour)) == colour);
    for (const char16_t sep : {u'.', u','}) {
        const auto value = parseFloatText(text, sep);
        if (!value) continue;
        FUZZ_CHECK(std::isfinite(*value));
        // 15 significant digits: the first save may round, later saves keep the text.
        const std::u16string written = formatFloatText(*value, sep);
        const auto reread = parseFloatText(written, sep);
        // A value within 15 digits of the largest double rounds beyond the range; it then reads
        // as the key's default, as any other out-of-range text does.
        if (!reread) continue;
        FUZZ_CHECK(formatFloatText(*reread, sep) == written);
    }
}

bool holdsTypeOf(const SettingDef& def, const SettingValue& value) {
    switch (def.type) {
    case SettingType::Integer:
        return std::holds_alternative<std::int32_t>(value);
    case SettingType::Boolean:
        return std::holds_alternative<bool>(value);
    case SettingType::Float:
        return std::holds_alternative<double>(value);
    case SettingType::Colour:
        return std::holds_alternative<std::uint32_t>(value);
    case SettingType::String:
        return std::holds_alternative<std::u16string>(value);
    }
    return false;
}

void checkReader(const std::string& file, char16_t decimalSep) {
    FakeFileStore store;
    store.files["/s/ZRM58.ini"] = file;
    std::size_t next = 0; // index into kSettingDefs of the next key expected
    const auto apply = [&](SettingKey key, const SettingValue& value) {
        while (next < kSettingDefs.size() && !kSettingDefs[next].loaded)
            ++next;
        FUZZ_CHECK(next < kSettingDefs.size() && kSettingDefs[next].key == key);
        FUZZ_CHECK(holdsTypeOf(kSettingDefs[next], value));
        if (key == SettingKey::Opacity) {
            const double opacity = std::get<double>(value);
            FUZZ_CHECK(opacity >= 0 && opacity <= 1);
        }
        ++next;
    };
    try {
        ReadIniFile(store, "/s/ZRM58.ini", decimalSep, apply);
    } catch (const ConversionError& e) {
        FUZZ_CHECK(next < kSettingDefs.size() && kSettingDefs[next].type == SettingType::Colour);
        FUZZ_CHECK(!parseColourText(e.storedText()).has_value());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file(fuzz::asBytes(data, size));
    const std::u16string text = IniDocument::decode(file);
    const IniDocument doc = IniDocument::parse(text);
    checkDocumentRoundTrip(doc);
    checkFindAll(text, doc);
    for (const IniSection& section : doc.sections()) {
        for (const IniLine& line : section.lines) {
            checkConversions(IniDocument::decodeValue(section.value(line)));
            checkStoredText(section.value(line));
        }
    }
    checkReader(file, u'.');
    checkReader(file, u',');
    return 0;
}
