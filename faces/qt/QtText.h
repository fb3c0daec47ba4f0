#pragma once
#include "strip/StripGeometry.h"
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QString>
#include <string>
#include <string_view>

// The core holds UTF-16 text as std::u16string and geometry in plain structs; the Qt face holds
// QString and Qt's geometry. Text is UTF-16 on both sides, so its conversion is a copy, never a
// re-encoding.
namespace zrm58 {

inline QString toQString(std::u16string_view s) {
    return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

inline std::u16string toU16(const QString& s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()),
                          static_cast<std::size_t>(s.size()));
}

inline QPointF toQPointF(PointF p) {
    return {p.x, p.y};
}
inline PointF toPointF(QPointF p) {
    return {p.x(), p.y()};
}
inline QRectF toQRectF(const RectF& r) {
    return {r.x, r.y, r.width, r.height};
}
inline QRect toQRect(const Rect& r) {
    return {r.left, r.top, r.width, r.height};
}

} // namespace zrm58
