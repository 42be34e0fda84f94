#pragma once

// How a database reads the names in a statement. A name is written as it stands only where the
// database reads it bare as that very name; every other name is quoted. What "bare as itself"
// means is each database's own: PostgreSQL folds bare names to lower case and reserves some of
// its keywords, SQLite compares names ignoring case but reserves all of its keywords, and a
// full stop separates schema from table in both.
//
// The generator (querybuilder/QueryGenerator.h) is handed a SqlNameQuoting by the data engine;
// engines without a database hand none and keep the generator's own rule.

#include "diduzacore_export.h"

#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

namespace Diduza {

/// How a database reads names, as a data engine tells the query builder. Unset functions
/// leave the builder's own rule.
struct SqlNameQuoting {
    /// The text of one name (a field, an alias, one part of a table's name) in a statement: the
    /// name as it stands when the database reads it bare as itself, else the name quoted the way
    /// the database quotes names.
    std::function<QString(const QString &Name)> QuoteName;
    /// The parts of the table name Caption: the schema and the table when the database's
    /// catalogue lists Caption so, else Caption as one name.
    std::function<QStringList(const QString &Caption)> TableParts;
    /// The quotes the database writes a name in (MySQL's back quotes, where standard SQL has
    /// double quotes).
    QChar OpenQuote = QLatin1Char('"');
    /// See OpenQuote.
    QChar CloseQuote = QLatin1Char('"');
    /// The most bytes of UTF-8 the database keeps of a name it is given (PostgreSQL cuts longer
    /// ones to 63); 0 where it keeps every name whole or refuses a longer one.
    int NameLengthLimit = 0;
};

/// Base followed by Suffix, Base cut short (between characters) as far as needed for the whole
/// to take at most Limit bytes of UTF-8; Base and Suffix as they stand when Limit is 0 or less.
/// Names the generator forms itself (a table's alias: its name and the item's number) stay
/// apart so, where the database would cut them to one name.
DIDUZACORE_EXPORT QString NameWithSuffix(const QString &Base, const QString &Suffix, int Limit);

/// Name enclosed in Open and Close, each Close inside it doubled, so that a database that quotes
/// names this way reads back exactly Name.
DIDUZACORE_EXPORT QString QuotedName(QStringView Name, QChar Open, QChar Close);

/// Whether PostgreSQL reads Name, written bare, as Name itself wherever a generated statement
/// names a table, an alias or a field: PostgreSQL's own parser reads a probe statement that
/// holds Name in each of those places, and every place must give back Name unchanged (not
/// folded to lower case, not a keyword that those places refuse, not split at a full stop).
DIDUZACORE_EXPORT bool PostgresReadsBare(QStringView Name);

/// Whether SQLite reads Name, written bare, as Name itself: a plain identifier (letters, digits
/// after the first character, "_" and "$" after the first) that is none of SQLite's keywords.
DIDUZACORE_EXPORT bool SqliteReadsBare(QStringView Name);

/// A plain identifier: a letter or "_" first, then letters, digits, "_" or "$" (letters of any
/// script). The database reads such a name as it stands; the generator writes every other name
/// enclosed in double quotes.
DIDUZACORE_EXPORT bool IsPlainIdentifier(QStringView Name);
/// A plain identifier, or plain identifiers joined by single full stops ("schema.table").
DIDUZACORE_EXPORT bool IsPlainTableName(QStringView Name);

} // namespace Diduza
