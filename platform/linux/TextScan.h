#pragma once
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The small steps through the text of /proc and /sys files that every parser here shares.
namespace zrm58::procfs::scan {

inline bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

inline std::string_view skipBlanks(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i]))
        ++i;
    return s.substr(i);
}

// Without the blanks before and the blanks and line ends after.
inline std::string_view trim(std::string_view s) {
    s = skipBlanks(s);
    while (!s.empty() && (isBlank(s.back()) || s.back() == '\n' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// One unsigned decimal number after optional blanks; advances `s` past it.
inline std::optional<std::uint64_t> takeNumber(std::string_view& s) {
    s = skipBlanks(s);
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end == s.data()) return std::nullopt;
    s.remove_prefix(static_cast<std::size_t>(end - s.data()));
    return value;
}

// Splits off the next line (without its '\n').
inline std::string_view takeLine(std::string_view& s) {
    const std::size_t eol = s.find('\n');
    const std::string_view line = s.substr(0, eol);
    s = eol == std::string_view::npos ? std::string_view() : s.substr(eol + 1);
    return line;
}

// Calls `entry(key, bytes)` for every "Key:   1234 kB" line of /proc/meminfo, kB turned into
// bytes; lines of another shape are skipped.
template <typename Entry> void forEachMemInfoEntry(std::string_view memInfo, Entry&& entry) {
    while (!memInfo.empty()) {
        const std::string_view line = takeLine(memInfo);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string_view value = line.substr(colon + 1);
        const auto kb = takeNumber(value);
        if (!kb || trim(value) != "kB") continue;
        entry(line.substr(0, colon), *kb * 1024);
    }
}

} // namespace zrm58::procfs::scan
