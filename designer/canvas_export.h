#pragma once

#include <QString>

class QImage;

namespace vocara {

class CVocaraDoc;

// The whole canvas as the screen draws it scrolled to the top left with nothing selected,
// at 1:1 scale, into a picture file: PNG, SVG or PDF by the file name's extension. False,
// with the reason, when the picture cannot be made or written.
bool exportCanvasImage(const CVocaraDoc &doc, const QString &path, QString *error = nullptr);

// The same drawing as an image, for the PNG and for tests; null when it would be too large.
QImage canvasImage(const CVocaraDoc &doc);

} // namespace vocara
