#pragma once

#include "document/node_kind.h"

#include <QIcon>
#include <QImage>
#include <QString>

namespace vocara {

// The resource path of a kind's drawing (":/icons/playwave.svg"); unknown kinds get a plain one.
QString kindIconPath(NodeKind kind);
// The drawing as an icon for menus and toolbars, sharp at any size.
QIcon kindIcon(NodeKind kind);
// The drawing rendered once for a `side` x `side` box on a device of `ratio` pixels per point,
// for painting many node boxes quickly.
const QImage &kindImage(NodeKind kind, int side, int ratio = 1);
// The application's icon.
QIcon applicationIcon();
// A theme icon where the desktop has one, else our drawing.
QIcon themedIcon(const char *themeName, const QString &fallbackPath);

} // namespace vocara
