#pragma once
#include <QString>
#include <string>
#include <string_view>

// The core holds UTF-16 text as std::u16string; the GUI holds QString. Both are UTF-16, so the
// conversion at this boundary is a copy, never a re-encoding.
namespace zrm58 {

inline QString toQString(std::u16string_view s) {
    return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

inline std::u16string toU16(const QString& s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()),
                          static_cast<std::size_t>(s.size()));
}

} // namespace zrm58
