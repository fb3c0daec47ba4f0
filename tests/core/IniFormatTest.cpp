// The file's text layer: decoding, parsing, value text forms and the conversions by type.
#include "settings/IniConvert.h"
#include "settings/IniDocument.h"
#include "settings/Utf.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace zrm58 {
namespace {

using namespace std::string_literals;

struct DecodeCase {
    const char* note;
    std::string bytes;
    std::u16string text;
    TextEncoding encoding;
    bool asWritten;
};

TEST(IniDecode, ChoosesTheEncodingByMarkAndContent) {
    using E = TextEncoding;
    const DecodeCase cases[] = {
        {"UTF-16 mark", "\xFF\xFE[\0A\0]\0"s, u"[A]", E::Utf16Le, true},
        {"UTF-16 mark, odd last byte dropped: not as written",
         "\xFF\xFE"
         "A\0B"s,
         u"A", E::Utf16Le, false},
        {"UTF-16 mark, lone surrogate kept", "\xFF\xFE\x00\xD8"s, u"\xD800", E::Utf16Le, true},
        {"UTF-8 without mark", "a=\xE2\x98\x85", u"a=★", E::Utf8, true},
        {"UTF-8 with its mark",
         "\xEF\xBB\xBF"
         "a=\xC3\xA9",
         u"a=é", E::Utf8, true},
        {"UTF-8 astral character", "\xF0\x9F\x98\x80", u"😀", E::Utf8, true},
        {"UTF-16 without mark: a guess", "[\0A\0]\0\r\0\n\0k\0=\0\xE9\0"s, u"[A]\r\nk=é",
         E::Utf16LeUnmarked, false},
        {"UTF-16 without mark, a CR byte inside U+300D",
         "\x0C\x30"
         "a\0\x0D\x30\r\0\n\0"s,
         u"「a」\r\n", E::Utf16LeUnmarked, false},
        {"a Latin-1 byte: Windows-1252, every other byte kept", "[Font]\r\nFamily=Caf\xE9\r\n",
         u"[Font]\r\nFamily=Café\r\n", E::Utf8OrWindows1252, false},
        {"Windows-1252 where it differs from Latin-1; its undefined bytes as C1 controls",
         "\x80\x81\x93\x9D\x9F", u"€\x81“\x9DŸ", E::Utf8OrWindows1252, false},
        {"UTF-8 with one Latin-1 byte: the UTF-8 stays UTF-8",
         "FORMAT=yyyy\xE5\xB9\xB4\r\nFamily=Caf\xE9", u"FORMAT=yyyy年\r\nFamily=Café",
         E::Utf8OrWindows1252, false},
        {"UTF-8 mark, then a Latin-1 byte: the mark is no text", "\xEF\xBB\xBF[A]\r\nk=\xE9",
         u"[A]\r\nk=é", E::Utf8OrWindows1252, false},
        {"a NUL byte in UTF-8 text: UTF-8, the NUL kept", "[Form]\nTop=5\n\0"s,
         u"[Form]\nTop=5\n"s + u'\0', E::Utf8, true},
        {"a NUL byte beside a Latin-1 byte", "[Form]\nTop=5\nk=\xE9\0\n"s,
         u"[Form]\nTop=5\nk=é"s + u'\0' + u"\n", E::Utf8OrWindows1252, false},
        {"overlong UTF-8 is no UTF-8", "\xC0\xAF", u"\xC0\xAF", E::Utf8OrWindows1252, false},
        {"an encoded surrogate is no UTF-8", "\xED\xA0\x80", u"\xED\xA0€", E::Utf8OrWindows1252,
         false},
        {"empty file", "", u"", E::Utf8, true},
    };
    for (const auto& c : cases) {
        const DecodedText decoded = IniDocument::decodeText(c.bytes);
        EXPECT_EQ(decoded.text, c.text) << c.note;
        EXPECT_EQ(decoded.encoding, c.encoding) << c.note;
        EXPECT_EQ(decoded.asWritten, c.asWritten) << c.note;
    }
}

TEST(IniDecode, EveryByteOfAnEightBitFileIsItsOwnCharacter) {
    std::u16string seen;
    for (int byte = 0; byte < 256; ++byte) {
        // A byte from 80 up alone is never UTF-8; below it is ASCII.
        const std::u16string text = fromUtf8OrWindows1252(std::string(1, static_cast<char>(byte)));
        ASSERT_EQ(text.size(), 1u) << byte;
        if (byte < 0x80 || byte >= 0xA0) {
            EXPECT_EQ(text[0], byte) << "as Latin-1: " << byte;
        }
        seen += text;
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end()) << "two bytes share a character";
}

TEST(IniDocument, FindsTheLastOccurrenceWithoutRegardToCase) {
    const IniDocument doc = IniDocument::parse(u"[Form]\r\nTop=1\r\ntop=2\r\nEmpty=\r\n"
                                               u"[Ärger]\r\nКлюч=x\r\n[]\r\nk=v\r\n");
    struct Row {
        const char* note;
        std::u16string_view section, key;
        std::optional<std::u16string_view> value;
    } rows[] = {
        {"duplicate key: the last line", u"FORM", u"TOP", u"2"},
        {"present but empty", u"form", u"Empty", u""},
        {"missing key", u"Form", u"Left", std::nullopt},
        {"missing section", u"Font", u"Top", std::nullopt},
        {"Latin-1 and Cyrillic case", u"äRGER", u"кЛЮЧ", u"x"},
        {"empty section name", u"", u"K", u"v"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(doc.find(r.section, r.key), r.value) << r.note;
    EXPECT_EQ(doc.profileString(u"Form", u"Left", u"200"), u"200");
    EXPECT_EQ(doc.profileString(u"Form", u"Empty", u"200"), u"");
}

TEST(IniDocument, SetChangesTheLastOccurrenceAndAppendsNewKeysAndSections) {
    IniDocument doc = IniDocument::parse(u"[form]\nTOP=1\nbare\nTOP=2\n");
    doc.set(u"Form", u"Top", u"5");
    doc.set(u"Form", u"Left", u"6");
    doc.set(u"DATE", u"SEP", u"|");
    EXPECT_EQ(doc.serialize(), u"[form]\r\nTOP=1\r\nbare\r\nTOP=5\r\nLeft=6\r\n\r\n"
                               u"[DATE]\r\nSEP=|\r\n\r\n");
    EXPECT_EQ(doc.toBytes().substr(0, 4), "\xFF\xFE[\0"s);
}

TEST(IniValueText, EncodedValuesSurviveTheLoadersTrimming) {
    struct Row {
        const char* note;
        std::u16string text, stored;
    } rows[] = {
        {"plain", u"Segoe UI", u"Segoe UI"},
        {"empty", u"", u""},
        {"blanks around", u" | ", u"\" | \""},
        {"tab only", u"\t", u"\"\t\""},
        {"ideographic space is no blank", u"\x3000|\x3000", u"\x3000|\x3000"},
        {"enclosed in double quotes", u"\"x\"", u"\"\"x\"\""},
        {"enclosed in single quotes", u"'at' hh 'h'", u"\"'at' hh 'h'\""},
        {"one quote only", u"\"x", u"\"x"},
        {"a lone quote mark", u"'", u"'"},
        {"equals sign and comment mark inside", u";a=b", u";a=b"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(IniDocument::encodeValue(r.text), r.stored) << r.note;
        const IniDocument doc = IniDocument::parse(u"[S]\r\nk=" + r.stored + u"\r\n");
        EXPECT_EQ(doc.profileString(u"S", u"k", u"default"), r.text) << r.note;
    }
    // Line breaks would split the entry; they are stored as spaces.
    EXPECT_EQ(IniDocument::encodeValue(u"a\r\nb\n"), u"\"a  b \"");
}

struct IntegerCase {
    std::u16string_view text;
    std::optional<std::int32_t> value;
};

TEST(IniConvert, IntegerText) {
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    const IntegerCase cases[] = {
        {u"", std::nullopt},
        {u"0", 0},
        {u"-12", -12},
        {u"+7", 7},
        {u"  42", 42},
        {u"42 ", std::nullopt}, // nothing may follow
        {u"007", 7},
        {u"2147483647", 2147483647},
        {u"2147483648", std::nullopt},
        {u"-2147483648", kMin},
        {u"-2147483649", std::nullopt},
        {u"99999999999999999999", std::nullopt},
        {u"0x3E8", 1000},
        {u"0X3e8", 1000},
        {u"$3E8", 1000},
        {u"x10", 16},
        {u"X10", 16},
        {u" 0x10", 16}, // prefix after spaces
        {u"-$10", -16},
        {u"$FFFFFFFF", -1},
        {u"$80000000", kMin},
        {u"$000000001", 1}, // leading zeros are not significant
        {u"$123456789", std::nullopt},
        {u"0x", std::nullopt},
        {u"$", std::nullopt},
        {u"+", std::nullopt},
        {u"--1", std::nullopt},
        {u"1e3", std::nullopt},
        {u"12a", std::nullopt},
        {u"true", std::nullopt},
        {u"１２", std::nullopt}, // full-width digits
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseIntegerText(c.text), c.value) << std::string(c.text.begin(), c.text.end());
}

struct FloatCase {
    std::u16string_view text;
    char16_t sep;
    std::optional<double> value;
};

TEST(IniConvert, FloatTextAcceptsOnlyTheLocalesSeparator) {
    const FloatCase cases[] = {
        {u"1", u'.', 1.0},
        {u"0.5", u'.', 0.5},
        {u"1,2", u'.', std::nullopt},
        {u"1,2", u',', 1.2},
        {u"1.2", u',', std::nullopt},
        {u".5", u'.', 0.5},
        {u"5.", u'.', 5.0},
        {u".", u'.', std::nullopt},
        {u"", u'.', std::nullopt},
        {u" -1.5e3 ", u'.', -1500.0},
        {u"+0.25", u'.', 0.25},
        {u"1E+300", u'.', 1e300},
        {u"1E-05", u'.', 1e-5},
        {u"1e", u'.', std::nullopt},
        {u"1e+", u'.', std::nullopt},
        {u"1e999", u'.', std::nullopt}, // beyond the double range
        {u"nan", u'.', std::nullopt},
        {u"inf", u'.', std::nullopt},
        {u"1.2.3", u'.', std::nullopt},
        {u"1 2", u'.', std::nullopt},
        {u"0x10", u'.', std::nullopt},
        // Files written while Arabic locales took the Arabic decimal mark keep their values.
        {u"0\u066B55", u'.', 0.55},
        {u"1\u066B2", u',', 1.2},
        {u"1\u066C2", u'.', std::nullopt}, // the Arabic thousands mark is no decimal mark
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseFloatText(c.text, c.sep), c.value)
            << std::string(c.text.begin(), c.text.end()) << " sep " << char(c.sep);
}

TEST(IniConvert, ColourTextIsOneToEightHexDigitsOnly) {
    const IntegerCase cases[] = {
        {u"ff00ff00", static_cast<std::int32_t>(0xFF00FF00u)},
        {u"FF", 0xFF},
        {u"000000000FF", 0xFF}, // leading zeros allowed
        {u"0", 0},
        {u"123456789", std::nullopt},
        {u"", std::nullopt},
        {u"0xFF", std::nullopt},
        {u"$FF", std::nullopt},
        {u" FF", std::nullopt},
        {u"-1", std::nullopt},
        {u"black", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto colour = parseColourText(c.text);
        const std::optional<std::int32_t> asSigned =
            colour ? std::optional(static_cast<std::int32_t>(*colour)) : std::nullopt;
        EXPECT_EQ(asSigned, c.value) << std::string(c.text.begin(), c.text.end());
    }
}

TEST(IniConvert, ColourConversionErrorNamesTheTextBehindADollar) {
    const SettingDef& fontColor = kSettingDefs[9];
    ASSERT_EQ(fontColor.key, SettingKey::FontColor);
    try {
        convertSetting(fontColor, u"黒", u'.');
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'$黒' は整数ではありません");
        EXPECT_EQ(e.storedText(), u"黒");
    }
}

struct FloatFormatCase {
    double value;
    char16_t sep;
    std::u16string_view text;
};

TEST(IniConvert, FloatTextFormReadsBack) {
    const FloatFormatCase cases[] = {
        {1.0, u'.', u"1"},
        {10.0, u'.', u"10"},
        {0.5, u'.', u"0.5"},
        {1.1, u'.', u"1.1"},
        {0.1, u'.', u"0.1"},
        {0.0, u'.', u"0"},
        {-2.5, u'.', u"-2.5"},
        {1.2, u',', u"1,2"},
        {double{0.6f}, u'.', u"0.600000023841858"},
        {double{0.7f}, u',', u"0,699999988079071"},
        {1e300, u'.', u"1E+300"},
        {1e-5, u',', u"1E-05"},
        {123456789012345678.0, u'.', u"1.23456789012346E+17"},
    };
    for (const auto& c : cases) {
        const std::u16string text = formatFloatText(c.value, c.sep);
        EXPECT_EQ(text, c.text) << c.value;
        const auto back = parseFloatText(text, c.sep);
        ASSERT_TRUE(back.has_value()) << c.value;
        EXPECT_NEAR(*back, c.value, std::abs(c.value) * 1e-14) << c.value;
    }
    // Values no setting can hold give texts that read back as the default.
    EXPECT_EQ(parseFloatText(formatFloatText(HUGE_VAL, u'.'), u'.'), std::nullopt);
    EXPECT_EQ(parseFloatText(formatFloatText(std::nan(""), u'.'), u'.'), std::nullopt);
}

TEST(IniConvert, ColourAndIntegerTextForms) {
    EXPECT_EQ(formatColourText(0xFF00FF00u), u"FF00FF00");
    EXPECT_EQ(formatColourText(0xABCDEFu), u"00ABCDEF");
    EXPECT_EQ(formatIntegerText(std::numeric_limits<std::int32_t>::min()), u"-2147483648");
}

} // namespace
} // namespace zrm58
