#pragma once
// The fixed choices the settings window offers: separator characters and font families.
#include <array>
#include <string_view>

namespace zrm58 {

// ListBox1's entries, in order, as code points: each entry is exactly one character, so the
// astral ones (most of the emoji) are one code point held as two UTF-16 units.
inline constexpr std::array<char32_t, 44> kSeparatorEntries = {
    0xFF5C,  0x1F42F, 0x1F424, 0x1F600, 0x1F534, 0x1F7E0, 0x1F7E1, 0x1F7E2, 0x1F535,
    0x1F7E3, 0x1F7E4, 0x26AB,  0x26AA,  0x1F7E5, 0x1F7E7, 0x1F7E8, 0x1F7E9, 0x1F7E6,
    0x1F7EA, 0x1F7EB, 0x2B1B,  0x2B1C,  0x25FC,  0x25FB,  0x25FE,  0x25FD,  0x25AA,
    0x25AB,  0x1F536, 0x1F537, 0x1F538, 0x1F539, 0x1F53A, 0x1F53B, 0x1F4A0, 0x1F518,
    0x1F533, 0x1F532, 0x1F530, 0x1F516, 0x1F3F7, 0x1F58C, 0x1F438, 0x1F4A9,
};

// ComboBox1's font families, in order.
inline constexpr std::array<std::u16string_view, 12> kFontFamilies = {
    u"Segoe UI",
    u"Tahoma",
    u"Arial",
    u"メイリオ",
    u"Meiryo UI",
    u"MS UI Gothic",
    u"MS P ゴシック",
    u"MS 明朝",
    u"MS P 明朝",
    u"UD デジタル 教科書体 N-R",
    u"UD デジタル 教科書体 NK-R",
    u"游明朝",
};

} // namespace zrm58
