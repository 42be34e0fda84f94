#pragma once

// Reading a whole SELECT statement back into what the query builder can hold: its tables with
// their aliases, the joins between columns of two tables (JOIN ... ON, and WHERE conditions in
// the WHERE-clause dialects with their Oracle "(+)" and MSSQL "*=" marks), the field list with
// its aggregates, the other WHERE and HAVING conditions (as written), GROUP BY, ORDER BY and
// DISTINCT. The statement is parsed with PostgreSQL's own parser (libpg_query); the project's
// tokenizer finds the legacy outer-join marks, which that parser does not know, and the
// boundaries of the conditions in the text. Everything the builder cannot represent is named in
// LeftOut, never dropped silently.

#include "diduzacore_export.h"
#include "platform/SchemaTypes.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace Diduza {

// A column as the statement writes it: Qualifier is the table name or alias before the field
// (empty when there is none), Field the field's name or "*".
struct ImportColumn {
    QString Qualifier;
    QString Field;
};

struct ImportTable {
    QString Name; // "schema.table" when the statement names a schema
    QString Alias; // empty without one
};

// A condition "Parent op Child" between columns of two tables (or of one table twice).
struct ImportRelation {
    ImportColumn Parent;
    ImportColumn Child;
    TSDRelationOperator Operator = roEqual;
    TSDRelationJoin Join = rjInner;
};

struct ImportField {
    ImportColumn Column;
    // The aggregate's SQL name in upper case ("SUM", "COUNT", "MAX", "MIN", "AVG"); empty for
    // a plain column.
    QString Aggregate;
};

struct ImportSort {
    ImportColumn Column; // Field is the column's number (from 1) for "ORDER BY 2"
    bool ByPosition = false;
    bool Descending = false;
};

struct ImportedQuery {
    // False when the text is not one SELECT statement that PostgreSQL's parser reads; Error
    // then tells why and nothing else is filled.
    bool Ok = false;
    QString Error;

    bool Distinct = false;
    QVector<ImportTable> Tables; // in the order of the FROM clause, joins flattened
    QVector<ImportRelation> Relations; // ON conditions in FROM order, then WHERE's
    QVector<ImportField> Fields;
    QStringList Where; // the other WHERE conditions, as written, outer parentheses removed
    QVector<ImportColumn> GroupBy;
    QStringList Having; // as Where
    QVector<ImportSort> OrderBy;
    QStringList LeftOut; // what the builder cannot represent, one description each
};

// Reads Sql as described above; never throws.
DIDUZACORE_EXPORT ImportedQuery ImportSelect(const QString &Sql);

// Whether PostgreSQL's parser reads Sql (any statement kind); its message in *Error when not.
DIDUZACORE_EXPORT bool ParsesAsPostgres(const QString &Sql, QString *Error = nullptr);

} // namespace Diduza
