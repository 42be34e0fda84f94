#pragma once

// The part of a text that is measured or painted. A caption, a row or a cell holding more than
// VisibleTextLength characters is cut to that length before any font metrics or painting, so
// that a huge text costs no more than one wider than any screen; the text itself is kept and
// saved whole.

#include "diduzacore_export.h"

#include <QString>

namespace Diduza {

/// The most characters of a text that are measured or painted.
constexpr int VisibleTextLength = 4096;

/// Text cut to VisibleTextLength characters, a surrogate pair never split; shared, not copied,
/// when shorter.
DIDUZACORE_EXPORT QString VisibleText(const QString &Text);

} // namespace Diduza
