#pragma once
// Texts that must fit their cells.

#include <QFontMetrics>
#include <QString>

namespace acremark {

// A number wider than the room of its cell shows as "###" (the cell's tooltip gives it whole),
// never as a figure cut at one end, which would read as another number.
inline bool FitsIn(const QFontMetrics& fm, const QString& text, int room) {
    return fm.horizontalAdvance(text) <= room;
}
inline QString FittedNumber(const QFontMetrics& fm, const QString& text, int room) {
    return FitsIn(fm, text, room) ? text : QStringLiteral("###");
}

} // namespace acremark
