#pragma once

#include "diduzawidgets_export.h"
#include "platform/TColor.h"

#include <QColor>
#include <QPalette>

namespace Diduza {

/// Resolves a colour value for painting: RGB values directly, system colours through the
/// palette (the application's unless one is given), clNone as transparent.
DIDUZAWIDGETS_EXPORT QColor ColorToQColor(TColor color);
DIDUZAWIDGETS_EXPORT QColor ColorToQColor(TColor color, const QPalette &palette);
/// An RGB colour value for a QColor (alpha is dropped).
DIDUZAWIDGETS_EXPORT TColor QColorToColor(const QColor &color);
/// The contrast ratio of two colours as the Web Content Accessibility Guidelines define it, from
/// 1 (the same luminance) to 21 (black on white).
DIDUZAWIDGETS_EXPORT qreal ContrastRatio(const QColor &a, const QColor &b);
/// A fixed colour of the design (navy labels) made readable on a palette's background: the
/// colour itself when it stands out from the background by a ratio of 4.5, else the same hue
/// lightened (on a dark background) or darkened (on a light one) until it does.
DIDUZAWIDGETS_EXPORT QColor ReadableOn(const QColor &color, const QColor &background);

} // namespace Diduza
