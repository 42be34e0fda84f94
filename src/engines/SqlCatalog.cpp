#include "engines/SqlCatalog_p.h"

#include "engines/TSchemaSqlDataEngine.h"
#include "platform/CompareText.h"
#include "platform/Exceptions.h"

#include <QHash>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>

#include <functional>
#include <map>

namespace Diduza::SqlCatalog {

namespace {

// Runs sql and hands each result row to row; raises with the database's text on failure.
void forEachRow(
    const QSqlDatabase &db, const QString &sql, const std::function<void(const QSqlQuery &)> &row)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(sql))
        throw Exception(SqlErrorText(query.lastError()));
    while (query.next())
        row(query);
    if (query.lastError().isValid())
        throw Exception(SqlErrorText(query.lastError()));
}

// The tables read, by name, in catalogue order.
class Tables {
public:
    TSchemaTableInfo &Get(const QString &name)
    {
        const auto found = FIndex.constFind(name);
        if (found != FIndex.constEnd())
            return FTables[found.value()];
        FIndex.insert(name, int(FTables.size()));
        FTables.append(TSchemaTableInfo { name, {}, {}, {} });
        return FTables.last();
    }
    bool Contains(const QString &name) const { return FIndex.contains(name); }
    // The table named so exactly, else the first named so ignoring the case of A to Z.
    const TSchemaTableInfo *Match(const QString &name) const
    {
        const auto found = FIndex.constFind(name);
        if (found != FIndex.constEnd())
            return &FTables.at(found.value());
        for (const TSchemaTableInfo &table : FTables) {
            if (SameText(table.Name, name))
                return &table;
        }
        return nullptr;
    }
    QVector<TSchemaTableInfo> &All() { return FTables; }

private:
    QVector<TSchemaTableInfo> FTables;
    QHash<QString, int> FIndex;
};

// Those of all asked for by wanted (see ReadTables).
QVector<TSchemaTableInfo> select(Tables &all, const QStringList &wanted)
{
    if (wanted.isEmpty())
        return all.All();
    QVector<TSchemaTableInfo> chosen;
    QHash<QString, bool> taken;
    for (const QString &name : wanted) {
        const TSchemaTableInfo *table = all.Match(name);
        if (table && !taken.contains(table->Name)) {
            taken.insert(table->Name, true);
            chosen.append(*table);
        }
    }
    return chosen;
}

// --- SQLite -----------------------------------------------------------------------------------

// The tables of the main database that SQLite itself did not make, with their columns (a table
// without any gives one row of NULLs), and every foreign key's field pairs in declaration order
// (SQLite numbers a table's keys from the last declared); one statement, so that both are read
// from one state of the database (a table made between two statements would come with keys
// and without fields). Field rows come first (kind 0: name, type, not null, place in the
// primary key), then key rows (kind 1: key number, referenced table, field, referenced field).
const char SqliteTablesAndKeys[]
    = "SELECT 0 AS kind, m.name AS tbl, p.name, p.type, p.\"notnull\", p.pk,"
      " p.cid AS o1, 0 AS o2"
      " FROM sqlite_master m LEFT JOIN pragma_table_info(m.name, 'main') p"
      " WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"
      " UNION ALL SELECT 1, m.name, f.id, f.\"table\", f.\"from\", f.\"to\", -f.id, f.seq"
      " FROM sqlite_master m JOIN pragma_foreign_key_list(m.name, 'main') f"
      " WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"
      " ORDER BY kind, tbl, o1, o2";
// The same for one table, where the batched reading fails (a virtual table whose module is not
// loaded cannot be described, and makes the whole statement fail).
const char SqliteTableNames[] = "SELECT name FROM sqlite_master WHERE type = 'table'"
                                " AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name";

struct SqliteKeyRow {
    QString table;
    int id;
    QString parent, from, to; // to is null: the parent's primary key
    bool toIsNull;
};

// A field row, its values from column first on: table, field, type, not null, place in the
// primary key.
void sqliteField(Tables &tables, const QSqlQuery &q, int first = 0)
{
    TSchemaTableInfo &table = tables.Get(q.value(first).toString());
    if (q.value(first + 1).isNull())
        return; // a table without columns
    table.Fields.append(TSchemaFieldInfo { q.value(first + 1).toString(),
        q.value(first + 2).toString(), q.value(first + 3).toInt() == 0 });
    const int position = q.value(first + 4).toInt();
    if (position > 0) {
        while (table.PrimaryKey.size() < position)
            table.PrimaryKey.append(QString());
        table.PrimaryKey[position - 1] = q.value(first + 1).toString();
    }
}

// A key row, its values from column first on: table, key number, referenced table, field,
// referenced field.
SqliteKeyRow sqliteKey(const QSqlQuery &q, int first = 0)
{
    return SqliteKeyRow { q.value(first).toString(), q.value(first + 1).toInt(),
        q.value(first + 2).toString(), q.value(first + 3).toString(), q.value(first + 4).toString(),
        q.value(first + 4).isNull() };
}

void readSqliteTable(
    const QSqlDatabase &db, const QString &name, Tables &tables, QVector<SqliteKeyRow> &keys)
{
    const QString quoted = QString(name).replace(QLatin1Char('\''), QStringLiteral("''"));
    tables.Get(name);
    try {
        forEachRow(db,
            QStringLiteral("SELECT '%1', name, type, \"notnull\", pk FROM pragma_table_info('%1',"
                           " 'main') ORDER BY cid")
                .arg(quoted),
            [&](const QSqlQuery &q) { sqliteField(tables, q); });
        forEachRow(db,
            QStringLiteral("SELECT '%1', id, \"table\", \"from\", \"to\" FROM "
                           "pragma_foreign_key_list('%1', 'main') ORDER BY id DESC, seq")
                .arg(quoted),
            [&](const QSqlQuery &q) { keys.append(sqliteKey(q)); });
    } catch (const Exception &) {
        // A table that cannot be described is listed without its fields.
    }
}

QVector<TSchemaTableInfo> readSqlite(const QSqlDatabase &db, const QStringList &wanted)
{
    Tables tables;
    QVector<SqliteKeyRow> keys;
    try {
        forEachRow(db, QString::fromLatin1(SqliteTablesAndKeys), [&](const QSqlQuery &q) {
            if (q.value(0).toInt() == 0)
                sqliteField(tables, q, 1);
            else
                keys.append(sqliteKey(q, 1));
        });
    } catch (const Exception &) {
        tables = Tables();
        keys.clear();
        QStringList names;
        forEachRow(db, QString::fromLatin1(SqliteTableNames),
            [&](const QSqlQuery &q) { names.append(q.value(0).toString()); });
        for (const QString &name : std::as_const(names))
            readSqliteTable(db, name, tables, keys);
    }
    // SQLite keeps the referenced table's name as the statement wrote it, and compares names
    // ignoring the case of A to Z. A key that names no referenced fields references the
    // parent's primary key; one whose referenced fields stay unknown links no rows.
    bool implicit = false;
    auto finish = [&](TSchemaTableInfo *table) {
        if (!table || table->ForeignKeys.isEmpty() || !implicit)
            return;
        TSchemaForeignKey &key = table->ForeignKeys.last();
        const TSchemaTableInfo *parent = tables.Match(key.ReferencedTable);
        if (parent && parent->PrimaryKey.size() == key.Fields.size())
            key.ReferencedFields = parent->PrimaryKey;
        else
            key.ReferencedFields.clear();
    };
    TSchemaTableInfo *current = nullptr;
    for (int i = 0; i < keys.size(); ++i) {
        const SqliteKeyRow &row = keys.at(i);
        if (i == 0 || keys.at(i - 1).table != row.table || keys.at(i - 1).id != row.id) {
            finish(current);
            current = &tables.Get(row.table);
            implicit = false;
            const TSchemaTableInfo *parent = tables.Match(row.parent);
            current->ForeignKeys.append(
                TSchemaForeignKey { QString(), {}, parent ? parent->Name : row.parent, {} });
        }
        TSchemaForeignKey &key = current->ForeignKeys.last();
        key.Fields.append(row.from);
        key.ReferencedFields.append(row.to);
        implicit = implicit || row.toIsNull;
    }
    finish(current);
    return select(tables, wanted);
}

// --- PostgreSQL -------------------------------------------------------------------------------

// Every ordinary and partitioned table an unqualified name reaches through the search path,
// with its columns (a table without any gives one row of NULLs) and their place in the primary
// key; then every field pair of their foreign keys. A referenced table that the search path
// does not reach is named with its schema. A key that a partition of the referenced table
// carries for its partitioned parent's key is not a key of its own.
const char PostgresFields[]
    = "SELECT c.relname, a.attname, pg_catalog.format_type(a.atttypid, a.atttypmod),"
      " a.attnotnull, pk.i"
      " FROM pg_catalog.pg_class c"
      " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
      " LEFT JOIN pg_catalog.pg_attribute a"
      "  ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped"
      " LEFT JOIN (SELECT p.conrelid, k.att, k.i FROM pg_catalog.pg_constraint p"
      "  CROSS JOIN LATERAL unnest(p.conkey) WITH ORDINALITY AS k(att, i)"
      "  WHERE p.contype = 'p') pk ON pk.conrelid = c.oid AND pk.att = a.attnum"
      " WHERE c.relkind IN ('r', 'p') AND n.nspname = ANY (pg_catalog.current_schemas(false))"
      " AND pg_catalog.pg_table_is_visible(c.oid)"
      " ORDER BY c.relname, a.attnum";
const char PostgresKeys[]
    = "SELECT c.relname, con.conname, r.relname, rn.nspname,"
      " pg_catalog.pg_table_is_visible(r.oid), ca.attname, ra.attname, con.oid"
      " FROM pg_catalog.pg_constraint con"
      " JOIN pg_catalog.pg_class c ON c.oid = con.conrelid"
      " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
      " JOIN pg_catalog.pg_class r ON r.oid = con.confrelid"
      " JOIN pg_catalog.pg_namespace rn ON rn.oid = r.relnamespace"
      " CROSS JOIN LATERAL unnest(con.conkey, con.confkey) WITH ORDINALITY AS k(att, ratt, i)"
      " JOIN pg_catalog.pg_attribute ca ON ca.attrelid = c.oid AND ca.attnum = k.att"
      " JOIN pg_catalog.pg_attribute ra ON ra.attrelid = r.oid AND ra.attnum = k.ratt"
      " WHERE con.contype = 'f' AND c.relkind IN ('r', 'p')"
      " AND n.nspname = ANY (pg_catalog.current_schemas(false))"
      " AND pg_catalog.pg_table_is_visible(c.oid)"
      " AND (con.conparentid = 0 OR con.confrelid = (SELECT pc.confrelid"
      "  FROM pg_catalog.pg_constraint pc WHERE pc.oid = con.conparentid))"
      " ORDER BY c.relname, con.conname, con.oid, k.i";

// The same for every schema the user may use (ListPostgresTables): each table by its caption,
// with its schema and its own name after the caption's columns, so that a table whose caption
// another one has already is left out.
#define DIDUZA_PG_REACHED                                                                          \
    "n.nspname = ANY (pg_catalog.current_schemas(false)) AND "                                     \
    "pg_catalog.pg_table_is_visible(c.oid)"
#define DIDUZA_PG_USABLE                                                                           \
    "(" DIDUZA_PG_REACHED ") OR (n.nspname !~ '^pg_' AND n.nspname <> 'information_schema'"        \
    " AND pg_catalog.has_schema_privilege(n.oid, 'USAGE'))"
#define DIDUZA_PG_CAPTION                                                                          \
    "CASE WHEN " DIDUZA_PG_REACHED " THEN c.relname ELSE n.nspname || '.' || c.relname END"
const char PostgresAllTables[] = "SELECT " DIDUZA_PG_CAPTION ", n.nspname, c.relname,"
                                 " (" DIDUZA_PG_REACHED ") AS reached"
                                 " FROM pg_catalog.pg_class c"
                                 " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
                                 " WHERE c.relkind IN ('r', 'p') AND (" DIDUZA_PG_USABLE ")"
                                 " ORDER BY 4 DESC, 2, 3";
const char PostgresAllFields[]
    = "SELECT " DIDUZA_PG_CAPTION ", a.attname, pg_catalog.format_type(a.atttypid, a.atttypmod),"
      " a.attnotnull, pk.i, n.nspname, c.relname"
      " FROM pg_catalog.pg_class c"
      " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
      " LEFT JOIN pg_catalog.pg_attribute a"
      "  ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped"
      " LEFT JOIN (SELECT p.conrelid, k.att, k.i FROM pg_catalog.pg_constraint p"
      "  CROSS JOIN LATERAL unnest(p.conkey) WITH ORDINALITY AS k(att, i)"
      "  WHERE p.contype = 'p') pk ON pk.conrelid = c.oid AND pk.att = a.attnum"
      " WHERE c.relkind IN ('r', 'p') AND (" DIDUZA_PG_USABLE ")"
      " ORDER BY (" DIDUZA_PG_REACHED ") DESC, n.nspname, c.relname, a.attnum";
const char PostgresAllKeys[]
    = "SELECT " DIDUZA_PG_CAPTION ", con.conname, r.relname, rn.nspname,"
      " rn.nspname = ANY (pg_catalog.current_schemas(false))"
      "  AND pg_catalog.pg_table_is_visible(r.oid),"
      " ca.attname, ra.attname, con.oid, n.nspname, c.relname"
      " FROM pg_catalog.pg_constraint con"
      " JOIN pg_catalog.pg_class c ON c.oid = con.conrelid"
      " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
      " JOIN pg_catalog.pg_class r ON r.oid = con.confrelid"
      " JOIN pg_catalog.pg_namespace rn ON rn.oid = r.relnamespace"
      " CROSS JOIN LATERAL unnest(con.conkey, con.confkey) WITH ORDINALITY AS k(att, ratt, i)"
      " JOIN pg_catalog.pg_attribute ca ON ca.attrelid = c.oid AND ca.attnum = k.att"
      " JOIN pg_catalog.pg_attribute ra ON ra.attrelid = r.oid AND ra.attnum = k.ratt"
      " WHERE con.contype = 'f' AND c.relkind IN ('r', 'p') AND (" DIDUZA_PG_USABLE ")"
      " AND (con.conparentid = 0 OR con.confrelid = (SELECT pc.confrelid"
      "  FROM pg_catalog.pg_constraint pc WHERE pc.oid = con.conparentid))"
      " ORDER BY (" DIDUZA_PG_REACHED ") DESC, n.nspname, c.relname, con.conname, con.oid, k.i";
#undef DIDUZA_PG_CAPTION
#undef DIDUZA_PG_USABLE
#undef DIDUZA_PG_REACHED

QVector<TSchemaTableInfo> readPostgres(
    const QSqlDatabase &db, const QStringList &wanted, bool allSchemas)
{
    Tables tables;
    // With every schema: whose each caption is (its schema and name), the first one's.
    QHash<QString, QString> owner;
    auto owns = [&](const QSqlQuery &q, int schema) {
        if (!allSchemas)
            return true;
        const QString name = q.value(0).toString();
        const QString table
            = q.value(schema).toString() + QChar(0) + q.value(schema + 1).toString();
        return owner.value(name, table) == table && (owner.insert(name, table), true);
    };
    // Primary-key fields by their place in the key, until the table is complete.
    std::map<int, QString> key;
    QString keyTable;
    auto flushKey = [&] {
        if (!keyTable.isEmpty()) {
            QStringList &primary = tables.Get(keyTable).PrimaryKey;
            for (const auto &entry : key)
                primary.append(entry.second);
        }
        key.clear();
    };
    forEachRow(db, QString::fromLatin1(allSchemas ? PostgresAllFields : PostgresFields),
        [&](const QSqlQuery &q) {
            if (!owns(q, 5))
                return;
            const QString name = q.value(0).toString();
            if (name != keyTable) {
                flushKey();
                keyTable = name;
            }
            TSchemaTableInfo &table = tables.Get(name);
            if (q.value(1).isNull())
                return;
            table.Fields.append(TSchemaFieldInfo {
                q.value(1).toString(), q.value(2).toString(), !q.value(3).toBool() });
            if (!q.value(4).isNull())
                key.emplace(q.value(4).toInt(), q.value(1).toString());
        });
    flushKey();
    QString lastKey;
    forEachRow(db, QString::fromLatin1(allSchemas ? PostgresAllKeys : PostgresKeys),
        [&](const QSqlQuery &q) {
            const QString name = q.value(0).toString();
            if (!tables.Contains(name) || !owns(q, 8))
                return;
            TSchemaTableInfo &table = tables.Get(name);
            const QString constraint = q.value(7).toString();
            if (constraint != lastKey) {
                lastKey = constraint;
                const QString parent = q.value(4).toBool()
                    ? q.value(2).toString()
                    : q.value(3).toString() + QLatin1Char('.') + q.value(2).toString();
                table.ForeignKeys.append(
                    TSchemaForeignKey { q.value(1).toString(), {}, parent, {} });
            }
            table.ForeignKeys.last().Fields.append(q.value(5).toString());
            table.ForeignKeys.last().ReferencedFields.append(q.value(6).toString());
        });
    return select(tables, wanted);
}

// --- MySQL and MariaDB ------------------------------------------------------------------------

// The base tables of the connection's database with their columns (a table the server cannot
// describe is left out; none is without columns); then the fields of every primary key (its
// rows reference no table) and every field pair of the foreign keys. information_schema
// compares names ignoring case, the server's database and table names do not (on
// case-sensitive file systems): names are compared and sorted as binary strings. Each
// information_schema table is also compared with DATABASE() in WHERE, which lets the server open
// the tables of that one database only. A referenced table of another database (one whose name
// differs from the connection's in case only, too) is named with its database.
const char MysqlFields[]
    = "SELECT t.table_name, c.column_name, c.column_type, c.is_nullable"
      " FROM information_schema.tables t"
      " JOIN information_schema.columns c ON BINARY c.table_schema = BINARY t.table_schema"
      "  AND BINARY c.table_name = BINARY t.table_name"
      " WHERE t.table_schema = DATABASE() AND c.table_schema = DATABASE()"
      " AND BINARY t.table_schema = BINARY DATABASE()"
      " AND t.table_type IN ('BASE TABLE', 'SYSTEM VERSIONED')"
      " ORDER BY BINARY t.table_name, c.ordinal_position";
const char MysqlKeys[]
    = "SELECT k.table_name, k.constraint_name, k.referenced_table_name,"
      " k.referenced_table_schema, BINARY k.referenced_table_schema = BINARY DATABASE(),"
      " k.column_name, k.referenced_column_name"
      " FROM information_schema.key_column_usage k"
      " WHERE k.table_schema = DATABASE() AND BINARY k.table_schema = BINARY DATABASE()"
      " AND (k.referenced_table_name IS NOT NULL OR k.constraint_name = 'PRIMARY')"
      " ORDER BY BINARY k.table_name, BINARY k.constraint_name, k.ordinal_position";

QVector<TSchemaTableInfo> readMysql(const QSqlDatabase &db, const QStringList &wanted)
{
    Tables tables;
    forEachRow(db, QString::fromLatin1(MysqlFields), [&](const QSqlQuery &q) {
        tables.Get(q.value(0).toString())
            .Fields.append(TSchemaFieldInfo { q.value(1).toString(), q.value(2).toString(),
                q.value(3).toString().compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0 });
    });
    QString lastTable, lastKey;
    forEachRow(db, QString::fromLatin1(MysqlKeys), [&](const QSqlQuery &q) {
        const QString name = q.value(0).toString();
        if (!tables.Contains(name))
            return;
        TSchemaTableInfo &table = tables.Get(name);
        if (q.value(2).isNull()) { // the primary key's fields, in key order
            table.PrimaryKey.append(q.value(5).toString());
            return;
        }
        const QString constraint = q.value(1).toString();
        if (name != lastTable || constraint != lastKey) {
            lastTable = name;
            lastKey = constraint;
            const QString parent = q.value(4).toBool()
                ? q.value(2).toString()
                : q.value(3).toString() + QLatin1Char('.') + q.value(2).toString();
            table.ForeignKeys.append(TSchemaForeignKey { constraint, {}, parent, {} });
        }
        table.ForeignKeys.last().Fields.append(q.value(5).toString());
        table.ForeignKeys.last().ReferencedFields.append(q.value(6).toString());
    });
    return select(tables, wanted);
}

// --- other drivers ----------------------------------------------------------------------------

QVector<TSchemaTableInfo> readByDriver(const QSqlDatabase &db, const QStringList &wanted)
{
    Tables tables;
    const QStringList names = db.tables(QSql::Tables);
    for (const QString &name : names)
        tables.Get(name);
    QVector<TSchemaTableInfo> chosen = select(tables, wanted);
    for (TSchemaTableInfo &table : chosen) {
        const QSqlRecord record = db.record(table.Name);
        for (int i = 0; i < record.count(); ++i) {
            const QSqlField field = record.field(i);
            table.Fields.append(
                TSchemaFieldInfo { field.name(), QString::fromLatin1(field.metaType().name()),
                    field.requiredStatus() != QSqlField::Required });
        }
        const QSqlIndex primary = db.primaryIndex(table.Name);
        for (int i = 0; i < primary.count(); ++i)
            table.PrimaryKey.append(primary.fieldName(i));
    }
    return chosen;
}

} // namespace

QVector<TSchemaTableInfo> ReadTables(
    const QSqlDatabase &Db, const QStringList &Tables, bool AllSchemas)
{
    switch (Db.driver()->dbmsType()) {
    case QSqlDriver::SQLite:
        return readSqlite(Db, Tables);
    case QSqlDriver::PostgreSQL:
        return readPostgres(Db, Tables, AllSchemas);
    case QSqlDriver::MySqlServer:
        return readMysql(Db, Tables);
    default:
        return readByDriver(Db, Tables);
    }
}

QVector<ListedTable> ListPostgresTables(const QSqlDatabase &Db)
{
    QVector<ListedTable> listed;
    QSet<QString> captions;
    forEachRow(Db, QString::fromLatin1(PostgresAllTables), [&](const QSqlQuery &q) {
        const QString caption = q.value(0).toString();
        if (captions.contains(caption))
            return; // "a.b" of the search path hides table b of schema a
        captions.insert(caption);
        listed.append(ListedTable { caption,
            q.value(3).toBool() ? QString() : q.value(1).toString(), q.value(2).toString() });
    });
    return listed;
}

} // namespace Diduza::SqlCatalog
