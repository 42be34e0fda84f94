#pragma once

#include "diduzacore_export.h"

#include <QString>
#include <QStringView>

namespace Diduza {

/// Compares two texts, folding only the letters A to Z to upper case; every other character,
/// accented and non-Latin letters included, compares by its UTF-16 code unit. Negative, zero or
/// positive as a sorts before, with or after b.
DIDUZACORE_EXPORT int CompareText(QStringView a, QStringView b);

/// CompareText(a, b) == 0.
DIDUZACORE_EXPORT bool SameText(QStringView a, QStringView b);

} // namespace Diduza
