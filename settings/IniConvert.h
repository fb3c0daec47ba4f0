#pragma once
#include "settings/StripSettings.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zrm58 {

// A stored colour that is not 1 to 8 hexadecimal digits. what() is UTF-8:
// "'$<text>' は整数ではありません".
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(std::u16string storedText);
    const std::u16string& storedText() const { return storedText_; }
    // Where the text is stored, once the reader has said (empty until then).
    void setPlace(std::u16string_view section, std::u16string_view key) {
        section_ = section, key_ = key;
    }
    const std::u16string& section() const { return section_; }
    const std::u16string& key() const { return key_; }

private:
    std::u16string storedText_;
    std::u16string section_, key_;
};

// Integer text: a leading "0x"/"0X" of a text longer than 2 becomes "$"; then optional spaces, an
// optional sign and either decimal digits within the signed 32-bit range or a hexadecimal prefix
// ("$", "x", "X", "0x", "0X") and at most 8 significant hexadecimal digits, taken as the 32-bit
// pattern ("$FFFFFFFF" is -1). std::nullopt for anything else, the empty text included.
std::optional<std::int32_t> parseIntegerText(std::u16string_view text);

// Float text: optional spaces, optional sign, decimal digits with at most one `decimalSep` (no
// other separator), an optional exponent ("E"/"e", optional sign, digits), optional spaces.
// std::nullopt for anything else, the empty text and values beyond the double range included.
std::optional<double> parseFloatText(std::u16string_view text, char16_t decimalSep);

// Colour text: 1 to 8 significant hexadecimal digits of either case, leading zeros allowed,
// nothing else. The ARGB value, alpha in the top byte.
std::optional<std::uint32_t> parseColourText(std::u16string_view text);

// A stored text converted by the key's type. Integer, Boolean (an integer, true when not 0) and
// Float fall back to the key's default; String is the text itself; a Colour that does not
// convert throws ConversionError.
SettingValue convertSetting(const SettingDef& def, std::u16string_view text, char16_t decimalSep);

// Text forms as saved.
std::u16string formatIntegerText(std::int32_t value); // "-12"
std::u16string formatBooleanText(bool value);         // "1" / "0"
std::u16string formatColourText(std::uint32_t value); // "FFDCDCDC"
// General format, at most 15 significant digits, trailing zeros dropped, `decimalSep` as the
// decimal separator, "E" in exponent forms ("1E+300", "1E-05"). Infinities and NaN give texts
// that read back as the key's default.
std::u16string formatFloatText(double value, char16_t decimalSep);
// The stored form of a value, by its alternative; strings through IniDocument::encodeValue().
std::u16string formatSettingText(const SettingValue& value, char16_t decimalSep);

} // namespace zrm58
