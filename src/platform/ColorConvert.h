#pragma once

#include "diduzawidgets_export.h"
#include "platform/TColor.h"

#include <QColor>
#include <QPalette>

namespace Diduza {

// Resolves a colour value for painting: RGB values directly, system colours through the
// palette (the application's unless one is given), clNone as transparent.
DIDUZAWIDGETS_EXPORT QColor ColorToQColor(TColor color);
DIDUZAWIDGETS_EXPORT QColor ColorToQColor(TColor color, const QPalette &palette);
// An RGB colour value for a QColor (alpha is dropped).
DIDUZAWIDGETS_EXPORT TColor QColorToColor(const QColor &color);

} // namespace Diduza
