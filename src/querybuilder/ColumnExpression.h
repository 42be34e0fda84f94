#pragma once

// The expression of a calculated column, read as the SQL page reads a statement (PostgreSQL's
// parser, in the database's spelling), against the tables of a diagram: whether it is one
// expression, where it fails, and which tables its columns name. Free of widgets.

#include "diduzacore_export.h"
#include "sqlparser/SqlStatement.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace Diduza {

/// A table of the diagram as a statement names it.
struct ColumnExpressionTable {
    /// The table-list entry ("customer customer1", quoted as the database needs).
    QString Entry;
    /// The fields of the table, for columns written without one.
    QStringList Fields;
};

/// What ReadColumnExpression read of a calculated column's text.
struct ColumnExpressionReading {
    /// The text is one expression over the tables.
    bool Ok = false;
    /// Why not, with the place it points at (an index into the text, -1 for none) as line and
    /// column (from 1).
    QString Error;
    qsizetype ErrorPosition = -1; ///< See Error.
    int ErrorLine = 0; ///< See Error.
    int ErrorColumn = 0; ///< See Error.
    /// The name the text gives its column: "total: price * quantity" or "price * quantity AS
    /// total" (quotes removed; AliasQuoted tells it had them).
    QString Alias;
    bool AliasQuoted = false; ///< See Alias.
    /// The expression as the statement writes it: comments blanked, without the name.
    QString Text;
    /// The qualifier of each column that names a table of the diagram: where it stands in Text
    /// (without its full stop) and the table's index.
    struct Reference {
        qsizetype Start = 0; ///< Where the qualifier begins in Text.
        qsizetype Length = 0; ///< The qualifier's length.
        int Table = -1; ///< Its table, an index into the Tables given to ReadColumnExpression.
    };
    QVector<Reference> References; ///< In text order.
    /// The tables the expression depends on: those its qualifiers name and, for a column
    /// written without a table, the one table that has such a field.
    QVector<int> Tables;
    bool Aggregate = false; ///< it calls an aggregate outside a window
    bool Window = false; ///< it holds a window function
    bool Subquery = false; ///< it holds a subquery
};

/// Reads Text as the expression of a calculated column over Tables (see ColumnExpressionReading):
/// the text must be exactly one value of the field list, so that a second statement, a clause or
/// a further column in it is refused (the one-statement rule holds for what a cell holds too).
/// A leading "name:" (a plain or double-quoted name, then a colon that is not "::") names the
/// column.
DIDUZACORE_EXPORT ColumnExpressionReading ReadColumnExpression(const QString &Text,
    const QVector<ColumnExpressionTable> &Tables, const SqlSpelling &Spelling = SqlSpelling());

} // namespace Diduza
