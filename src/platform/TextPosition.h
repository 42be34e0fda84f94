#pragma once

// A place in a text as a reader finds it: its line and its column, both counted from 1. Lines
// end at a line feed, a carriage return, or both together; columns count characters, a pair
// of UTF-16 surrogates as one.

#include "diduzacore_export.h"

#include <QString>
#include <QStringView>

namespace Diduza {

/// A line and a column, both counted from 1.
struct TextLineColumn {
    int Line = 1; ///< the line, from 1
    int Column = 1; ///< the column, from 1
};

/// The line and column of the character at Position in Text (0-based UTF-16 index; a position
/// beyond the end is the end).
DIDUZACORE_EXPORT TextLineColumn LineColumnAt(QStringView Text, qsizetype Position);

/// "line L, column C" of the character at Position in Text, in the user's language.
DIDUZACORE_EXPORT QString LineColumnText(QStringView Text, qsizetype Position);

} // namespace Diduza
