#pragma once

#include <QIcon>
#include <QRect>

class QPainter;

namespace fieldora {

inline constexpr int IconSize = 16;

// The icon of a value button; an open button shows the icon of the file its value names.
QIcon buttonIcon(short buttonType, const QString &value);
// The small icon at the left of a category band.
void drawCategoryIcon(QPainter &painter, const QRect &area);
// A boxed plus (collapsed) or minus (expanded) centred in the area.
void drawExpandGlyph(QPainter &painter, const QRect &area, bool expanded);

} // namespace fieldora
