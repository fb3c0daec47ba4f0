#include "settings/IniConvert.h"

#include "settings/IniDocument.h"
#include "settings/Utf.h"
#include "texts/Texts.h"

#include <charconv>
#include <system_error>

namespace zrm58 {
namespace {

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

std::optional<unsigned> hexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return std::nullopt;
}

// The whole of `digits` as hexadecimal: at least one digit, at most 8 significant ones.
std::optional<std::uint32_t> parseHexDigits(std::u16string_view digits) {
    if (digits.empty()) return std::nullopt;
    std::uint32_t value = 0;
    int significant = 0;
    for (const char16_t c : digits) {
        const auto digit = hexDigit(c);
        if (!digit) return std::nullopt;
        if (value != 0 || *digit != 0) ++significant;
        if (significant > 8) return std::nullopt;
        value = (value << 4) | *digit;
    }
    return value;
}

// The whole of `digits` as decimal: at least one digit; std::nullopt beyond `limit`.
std::optional<std::uint64_t> parseDecimalDigits(std::u16string_view digits, std::uint64_t limit) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (const char16_t c : digits) {
        if (!isDigit(c)) return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > limit) return std::nullopt;
    }
    return value;
}

std::size_t hexPrefixLength(std::u16string_view s) {
    if (s.starts_with(u"0x") || s.starts_with(u"0X")) return 2;
    if (s.starts_with(u"$") || s.starts_with(u"x") || s.starts_with(u"X")) return 1;
    return 0;
}

std::u16string fromAscii(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

} // namespace

ConversionError::ConversionError(std::u16string storedText)
    : std::runtime_error(toUtf8(fillText(localText(TextId::NotAnInteger), {storedText}))),
      storedText_(std::move(storedText)) {}

std::optional<std::int32_t> parseIntegerText(std::u16string_view text) {
    std::u16string replaced;
    if (text.size() > 2 && (text.starts_with(u"0x") || text.starts_with(u"0X"))) {
        replaced = u"$" + std::u16string(text.substr(2));
        text = replaced;
    }
    while (text.starts_with(u' '))
        text.remove_prefix(1);
    const bool negative = text.starts_with(u'-');
    if (negative || text.starts_with(u'+')) text.remove_prefix(1);
    if (const std::size_t prefix = hexPrefixLength(text)) {
        const auto pattern = parseHexDigits(text.substr(prefix));
        if (!pattern) return std::nullopt;
        return static_cast<std::int32_t>(negative ? 0u - *pattern : *pattern);
    }
    const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
    const auto magnitude = parseDecimalDigits(text, limit);
    if (!magnitude) return std::nullopt;
    const auto signedValue = static_cast<std::int64_t>(*magnitude);
    return static_cast<std::int32_t>(negative ? -signedValue : signedValue);
}

std::optional<double> parseFloatText(std::u16string_view text, char16_t decimalSep) {
    // The accepted text is copied in the form std::from_chars reads, which ignores the locale.
    std::string ascii;
    std::size_t i = 0;
    const auto skipSpaces = [&] {
        while (i < text.size() && text[i] == u' ')
            ++i;
    };
    const auto copySign = [&] {
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
            if (text[i] == u'-') ascii += '-';
            ++i;
        }
    };
    const auto copyDigits = [&] {
        const std::size_t start = i;
        for (; i < text.size() && isDigit(text[i]); ++i)
            ascii += static_cast<char>(text[i]);
        return i - start;
    };
    skipSpaces();
    copySign();
    std::size_t digits = copyDigits();
    // U+066B, the Arabic decimal mark, is read as well: Arabic locales once wrote it, and it
    // can mean nothing else.
    if (i < text.size() && (text[i] == decimalSep || text[i] == u'\u066B')) {
        ascii += '.';
        ++i;
        digits += copyDigits();
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ascii += 'e';
        ++i;
        copySign();
        if (copyDigits() == 0) return std::nullopt;
    }
    skipSpaces();
    if (i != text.size()) return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec != std::errc{} || end != ascii.data() + ascii.size()) return std::nullopt;
    return value;
}

std::optional<std::uint32_t> parseColourText(std::u16string_view text) {
    return parseHexDigits(text);
}

SettingValue convertSetting(const SettingDef& def, std::u16string_view text, char16_t decimalSep) {
    switch (def.type) {
    case SettingType::Integer:
        return parseIntegerText(text).value_or(parseIntegerText(def.defaultText).value_or(0));
    case SettingType::Boolean:
        return parseIntegerText(text).value_or(parseIntegerText(def.defaultText).value_or(0)) != 0;
    case SettingType::Float:
        // Default texts are written with ".", whatever the locale's separator.
        return parseFloatText(text, decimalSep)
            .value_or(parseFloatText(def.defaultText, u'.').value_or(0.0));
    case SettingType::Colour:
        if (const auto colour = parseColourText(text)) return *colour;
        throw ConversionError(std::u16string(text));
    case SettingType::String:
        break;
    }
    return std::u16string(text);
}

std::u16string formatIntegerText(std::int32_t value) {
    return fromAscii(std::to_string(value));
}

std::u16string formatBooleanText(bool value) {
    return value ? u"1" : u"0";
}

std::u16string formatColourText(std::uint32_t value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::u16string out(8, u'0');
    for (int i = 7; i >= 0; --i, value >>= 4)
        out[i] = static_cast<char16_t>(kHex[value & 0xF]);
    return out;
}

std::u16string formatFloatText(double value, char16_t decimalSep) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::u16string out;
    for (const char* p = buffer; p != result.ptr; ++p) {
        if (*p == '.') {
            out += decimalSep;
        } else if (*p >= 'a' && *p <= 'z') {
            out += static_cast<char16_t>(*p - 'a' + 'A'); // "1E+300"; "INF" and "NAN" too
        } else {
            out += static_cast<char16_t>(*p);
        }
    }
    return out;
}

std::u16string formatSettingText(const SettingValue& value, char16_t decimalSep) {
    struct Formatter {
        char16_t decimalSep;
        std::u16string operator()(std::int32_t v) const { return formatIntegerText(v); }
        std::u16string operator()(bool v) const { return formatBooleanText(v); }
        std::u16string operator()(double v) const { return formatFloatText(v, decimalSep); }
        std::u16string operator()(std::uint32_t v) const { return formatColourText(v); }
        std::u16string operator()(const std::u16string& v) const {
            return IniDocument::encodeValue(v);
        }
    };
    return std::visit(Formatter{decimalSep}, value);
}

} // namespace zrm58
