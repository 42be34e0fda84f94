#pragma once

// The statement template language of the query builder. A template is literal text with
// sections: "%[" opens a section, "]%" closes it, and between them stands one macro, a name
// between two "#" signs ("%[WHERE #wherefilter#]%"). Filling a macro with a value keeps the
// section's literal text and drops the markers; filling it with nothing drops the whole
// section. A final pass removes the lines that emptied sections leave behind.

#include "diduzacore_export.h"

#include <QString>

namespace Diduza {

/// Fills the first occurrence of Macro (compared exactly, case-sensitively) in SQL with Value.
///
/// The section begins at the nearest "%[" that ends right before the macro or anywhere earlier
/// (or at the macro itself when there is none) and ends at the first "]%" after the macro. An
/// empty Value deletes the section with its markers and literal text; any other Value (blanks
/// included) replaces the section by its literal text with Value in the macro's place. Text
/// outside the section is never touched. A Macro that does not occur, or an empty Macro, leaves
/// SQL unchanged.
///
/// A macro with no "]%" anywhere after it has a section that ends with the macro: an empty Value
/// deletes from the opening marker through the macro, a non-empty one replaces the opening
/// marker, the literal text and the macro, and the rest of the text stays as it is.
DIDUZACORE_EXPORT void ExpandSQL(QString &SQL, const QString &Macro, const QString &Value);

/// Rewrites SQL without blank lines. Carriage returns and line feeds each end a line; a line is
/// blank when nothing but characters of code 32 or below remains after trimming. The other
/// lines are kept exactly as they were, each ended by carriage return and line feed.
DIDUZACORE_EXPORT void RemoveBlankLines(QString &SQL);

} // namespace Diduza
