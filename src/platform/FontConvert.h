#pragma once

#include "diduzawidgets_export.h"
#include "platform/TFontValue.h"

#include <QFont>

namespace Diduza {

/// A QFont for a font value. A family the machine lacks falls back through Qt's font matching.
DIDUZAWIDGETS_EXPORT QFont FontValueToQFont(const TFontValue &font);
/// The font value of a QFont; colour and character set come from base, which also keeps its
/// name when the QFont's family is the one base names.
DIDUZAWIDGETS_EXPORT TFontValue QFontToFontValue(const QFont &font, const TFontValue &base);

} // namespace Diduza
