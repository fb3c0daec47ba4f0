#include "strip/ColourHex.h"

namespace zrm58 {

std::u16string hexColourText(std::uint32_t argb) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string text(9, u'#');
    for (int i = 0; i < 8; ++i)
        text[static_cast<std::size_t>(8 - i)] = kDigits[(argb >> (4 * i)) & 0xF];
    return text;
}

std::optional<std::uint32_t> parseHexColour(std::u16string_view text) {
    while (!text.empty() && text.front() == u' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == u' ')
        text.remove_suffix(1);
    if (!text.empty() && text.front() == u'#') text.remove_prefix(1);
    if (text.size() != 8 && text.size() != 6) return std::nullopt;
    std::uint32_t value = 0;
    for (char16_t c : text) {
        std::uint32_t digit = 0;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return std::nullopt;
        value = value << 4 | digit;
    }
    return text.size() == 6 ? 0xFF000000u | value : value;
}

} // namespace zrm58
