#pragma once

// Reading a database's catalogue for TSchemaSqlDataEngine::FillTableInfo (not part of the
// public API). Each kind of database is read in a fixed number of statements whatever the number
// of tables: SQLite through its table-valued pragmas over sqlite_master, PostgreSQL through
// pg_catalog for every table of the search path, MySQL and MariaDB through information_schema
// for the connection's database. Other drivers have only Qt's per-table lookups
// (QSqlDatabase::primaryIndex and record) and tell no foreign keys.

#include "engines/SchemaCatalog.h"

#include <QSqlDatabase>
#include <QStringList>
#include <QVector>

namespace Diduza::SqlCatalog {

// The tables of Db named in Tables (all user tables when it is empty), each name matched
// exactly first, then ignoring the case of A to Z; names that match no table are left out, a
// table named twice is given once. In the order of Tables, or the catalogue's order for all.
// With AllSchemas, PostgreSQL's tables are those of ListPostgresTables, by their captions.
// Raises Diduza::Exception with the database's text when the catalogue cannot be read.
QVector<TSchemaTableInfo> ReadTables(
    const QSqlDatabase &Db, const QStringList &Tables, bool AllSchemas = false);

// A PostgreSQL table of any schema the user may use: its caption is its own name when the
// search path reaches it (Schema empty), else its schema, ".", and its name.
struct ListedTable {
    QString Caption;
    QString Schema;
    QString Name;
};

// The tables of the search path, then those of every other schema the user may use (USAGE),
// PostgreSQL's own schemas left out; a table whose caption another one has already is left
// out. Raises Diduza::Exception with the database's text when the catalogue cannot be read.
QVector<ListedTable> ListPostgresTables(const QSqlDatabase &Db);

} // namespace Diduza::SqlCatalog
