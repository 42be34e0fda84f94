#include "engines/SqlSession_p.h"

#include "engines/SqlNames.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "platform/CompareText.h"
#include "platform/Exceptions.h"
#include "sqlparser/SqlStatement.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <sqlite3.h>

namespace Diduza::SqlSession {

namespace {

QString tooManyStatements()
{
    return QCoreApplication::translate("Diduza::TSchemaSqlDataEngine",
        "The text holds more than one SQL statement; only one statement can be run at a "
        "time. Nothing was run.");
}

// The first statement of a text as SQLite itself reads it, on the connection handle of Qt's
// driver: its length up to and including its ";" (-1 when anything but blanks, comments and
// empty statements follows it) and whether there is one at all.
struct SqliteReading {
    qsizetype length;
    bool statement;
};

// A first statement SQLite cannot read raises its message.
SqliteReading sqliteStatement(sqlite3 *handle, const QString &Text)
{
    const auto *begin = reinterpret_cast<const char *>(Text.utf16());
    const char *end = begin + Text.size() * qsizetype(sizeof(char16_t));
    // Prepares the text from at on and finalizes it again: SQLite's result code, whether the
    // text began with a statement (not only blanks, comments or an empty ";"), and where that
    // first part ends.
    struct Prepared {
        int rc;
        bool statement;
        const char *tail;
    };
    auto prepare = [&](const char *at) {
        sqlite3_stmt *statement = nullptr;
        const void *tail = nullptr;
        const int rc = sqlite3_prepare16_v2(handle, at, int(end - at), &statement, &tail);
        const Prepared prepared { rc, statement != nullptr,
            tail ? static_cast<const char *>(tail) : end };
        sqlite3_finalize(statement);
        return prepared;
    };
    const Prepared first = prepare(begin);
    if (first.rc != SQLITE_OK)
        throw Exception(
            QString::fromUtf16(static_cast<const char16_t *>(sqlite3_errmsg16(handle))));
    for (const char *at = first.tail; at < end;) {
        const Prepared next = prepare(at);
        if (next.rc != SQLITE_OK || next.statement || next.tail <= at)
            return { -1, first.statement };
        at = next.tail;
    }
    return { (first.tail - begin) / qsizetype(sizeof(char16_t)), first.statement };
}

// The tables and views of the connection's temporary database that hide one of the main
// database (SQLite looks an unqualified name up in the temporary database first, and compares
// names ignoring the case of A to Z).
struct Shadow {
    QString name;
    bool view;
};

QVector<Shadow> sqliteShadows(const QSqlDatabase &Db)
{
    QVector<Shadow> shadows;
    QSqlQuery query(Db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral(
            "SELECT t.name, t.type = 'view' FROM sqlite_temp_master t"
            " WHERE t.type IN ('table', 'view') AND EXISTS (SELECT 1 FROM main.sqlite_master m"
            " WHERE m.type IN ('table', 'view') AND m.name = t.name COLLATE NOCASE)")))
        throw Exception(SqlErrorText(query.lastError()));
    while (query.next())
        shadows.append({ query.value(0).toString(), query.value(1).toBool() });
    return shadows;
}

// What an authorizer sees of a statement being prepared: the first hidden table it reads or
// writes, or the first hiding view it reads through.
struct ShadowWatch {
    const QVector<Shadow> *shadows;
    QString found;

    void see(const char *name, bool throughView)
    {
        if (!name || !found.isEmpty())
            return;
        const QString text = QString::fromUtf8(name);
        for (const Shadow &shadow : *shadows) {
            if ((!throughView || shadow.view) && SameText(shadow.name, text)) {
                found = shadow.name;
                return;
            }
        }
    }
};

int watchShadows(
    void *data, int action, const char *table, const char *, const char *database, const char *view)
{
    auto *watch = static_cast<ShadowWatch *>(data);
    switch (action) {
    case SQLITE_READ:
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
        // A table the statement names without reading any of its columns comes without its
        // database: such a name is taken as the temporary table's, which SQLite looks up first.
        if (!database || qstrcmp(database, "temp") == 0)
            watch->see(table, false);
        watch->see(view, true);
        break;
    default:
        break;
    }
    return SQLITE_OK;
}

// Raises when Statement reads or writes a temporary table or view that hides a table the
// engine lists: the catalogue, the builder and a run on a clone of the connection all name the
// main database's table. Only a connection with such a table is watched (the watch replaces
// the connection's authorizer while the statement is prepared).
void refuseShadows(const QSqlDatabase &Db, sqlite3 *handle, const QString &Statement)
{
    const QVector<Shadow> shadows = sqliteShadows(Db);
    if (shadows.isEmpty())
        return;
    ShadowWatch watch { &shadows, QString() };
    sqlite3_set_authorizer(handle, watchShadows, &watch);
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare16_v2(handle, Statement.utf16(),
        int(Statement.size() * qsizetype(sizeof(char16_t))), &statement, nullptr);
    sqlite3_finalize(statement);
    sqlite3_set_authorizer(handle, nullptr, nullptr);
    if (!watch.found.isEmpty())
        throw Exception(QCoreApplication::translate("Diduza::TSchemaSqlDataEngine",
            "The statement names \"%1\", a temporary table of the connection that hides "
            "the database's table of that name, which the table list shows. Nothing was run.")
                            .arg(watch.found));
}

// PostgreSQL looks an unqualified name up in the session's temporary schema before the search
// path: a temporary table or view of the name of one in the search path's schemas (those the
// table list shows) hides it. A statement that names such a table without a schema is refused.
void refusePostgresShadows(const QSqlDatabase &Db, const QString &Statement)
{
    QSqlQuery query(Db);
    if (!query.exec(QStringLiteral("SELECT t.relname FROM pg_catalog.pg_class t"
                                   " WHERE t.relnamespace = pg_catalog.pg_my_temp_schema()"
                                   " AND EXISTS (SELECT 1 FROM pg_catalog.pg_class o"
                                   " JOIN pg_catalog.pg_namespace n ON n.oid = o.relnamespace"
                                   " WHERE o.relname = t.relname"
                                   " AND n.nspname = ANY (pg_catalog.current_schemas(false)))")))
        return; // an older server without pg_my_temp_schema has no such session state to check
    QStringList shadows;
    while (query.next())
        shadows << query.value(0).toString();
    if (shadows.isEmpty())
        return;
    for (const QString &name : PostgresUnqualifiedRelations(Statement)) {
        if (shadows.contains(name))
            throw Exception(QCoreApplication::translate("Diduza::TSchemaSqlDataEngine",
                "The statement names \"%1\", a temporary table of the connection that hides "
                "the database's table of that name, which the table list shows. Nothing was run.")
                                .arg(name));
    }
}

// Whether the PostgreSQL session reads strings as standard SQL (a backslash is a character
// like any other), as PostgreSQL's parser in the library does.
bool standardConformingStrings(const QSqlDatabase &Db)
{
    QSqlQuery query(Db);
    return query.exec(QStringLiteral("SHOW standard_conforming_strings")) && query.next()
        && query.value(0).toString() == QLatin1String("on");
}

sqlite3 *sqliteHandle(const QSqlDatabase &Db)
{
    const QVariant handle = Db.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(handle.constData());
    return nullptr;
}

} // namespace

MysqlReading ReadMysql(const QSqlDatabase &Db)
{
    MysqlReading reading;
    QSqlQuery query(Db);
    if (query.exec(QStringLiteral(
            "SELECT @@SESSION.sql_mode, @@SESSION.character_set_client, (SELECT MAXLEN FROM "
            "information_schema.CHARACTER_SETS WHERE CHARACTER_SET_NAME = "
            "@@SESSION.character_set_client)"))
        && query.next()) {
        const QStringList flags = query.value(0).toString().toUpper().split(QLatin1Char(','));
        reading.Mode.BackslashEscapes = !flags.contains(QLatin1String("NO_BACKSLASH_ESCAPES"));
        reading.Mode.AnsiQuotes
            = flags.contains(QLatin1String("ANSI_QUOTES")) || flags.contains(QLatin1String("ANSI"));
        reading.CharacterSet = query.value(1).toString();
        const QString set = reading.CharacterSet.toLower();
        reading.SplitsAsUtf8 = set == QLatin1String("utf8") || set == QLatin1String("utf8mb3")
            || set == QLatin1String("utf8mb4")
            || (!query.value(2).isNull() && query.value(2).toInt() == 1);
    }
    return reading;
}

QString OneStatement(const QSqlDatabase &Db, const QString &SQL, bool *Empty)
{
    // Every driver hands the database a text that ends at a NUL character: what follows it
    // would not run, and what runs would not be what was asked.
    if (SQL.contains(QChar(0)))
        throw Exception(QCoreApplication::translate("Diduza::TSchemaSqlDataEngine",
            "The text holds a NUL character, which would end the statement "
            "early. Nothing was run."));
    bool empty = false;
    qsizetype length = SQL.size();
    switch (Db.driver()->dbmsType()) {
    case QSqlDriver::SQLite:
        // SQLite's own reading, on the connection's handle. Qt's driver refuses a text with
        // anything after its first statement, comments included, so only that statement goes.
        if (sqlite3 *handle = sqliteHandle(Db)) {
            const SqliteReading reading = sqliteStatement(handle, SQL);
            length = reading.length;
            empty = !reading.statement && length >= 0;
            if (length >= 0 && !empty)
                refuseShadows(Db, handle, SQL.left(length));
            break;
        }
        length = SingleStatementLength(SQL);
        break;
    case QSqlDriver::PostgreSQL: {
        // A session that reads backslashes in strings as escapes splits otherwise than the
        // library's parser: then every ";" counts.
        const int count = PostgresStatementCount(SQL);
        empty = count == 0;
        if (SQL.contains(QLatin1Char('\\')) && !standardConformingStrings(Db))
            length = SingleStatementLength(SQL);
        else if (count > 1)
            length = -1;
        if (length >= 0 && !empty)
            refusePostgresShadows(Db, SQL.left(length));
        break;
    }
    case QSqlDriver::MySqlServer: {
        // The server's own splitting in the session's mode (backslash escapes, ANSI_QUOTES),
        // in a character set whose bytes it splits as UTF-8's.
        const MysqlReading reading = ReadMysql(Db);
        if (!reading.SplitsAsUtf8)
            throw Exception(QCoreApplication::translate("Diduza::TSchemaSqlDataEngine",
                "The session reads statements in the character set %1, in which "
                "a character may end in a backslash or a quote: the server "
                "would read other strings and statements than the text holds. "
                "Set the character set utf8mb4 (SET NAMES utf8mb4). Nothing "
                "was run.")
                                .arg(reading.CharacterSet));
        length = MysqlStatementLength(SQL, reading.Mode);
        empty = length >= 0 && !MysqlHoldsStatement(SQL, reading.Mode);
        break;
    }
    default:
        length = SingleStatementLength(SQL);
        break;
    }
    if (length < 0)
        throw Exception(tooManyStatements());
    if (Empty)
        *Empty = empty;
    return SQL.left(length);
}

bool State::operator==(const State &Other) const
{
    return Dbms == Other.Dbms && Database == Other.Database && SqlMode == Other.SqlMode
        && SearchPath == Other.SearchPath
        && StandardConformingStrings == Other.StandardConformingStrings;
}

State Read(const QSqlDatabase &Db)
{
    State state;
    state.Dbms = Db.driver()->dbmsType();
    QString sql;
    if (state.Dbms == QSqlDriver::MySqlServer)
        sql = QStringLiteral("SELECT DATABASE(), @@SESSION.sql_mode");
    else if (state.Dbms == QSqlDriver::PostgreSQL)
        sql = QStringLiteral("SELECT pg_catalog.current_setting('search_path'),"
                             " pg_catalog.current_setting('standard_conforming_strings')");
    else
        return state;
    QSqlQuery query(Db);
    if (!query.exec(sql) || !query.next())
        throw Exception(SqlErrorText(query.lastError()));
    if (state.Dbms == QSqlDriver::MySqlServer) {
        state.Database = query.value(0).toString();
        state.SqlMode = query.value(1).toString();
    } else {
        state.SearchPath = query.value(0).toString();
        state.StandardConformingStrings = query.value(1).toString();
    }
    return state;
}

QString TakeOver(const QSqlDatabase &Db, const State &Wanted)
{
    auto run = [&](const QString &sql, const QStringList &values) {
        QSqlQuery query(Db);
        bool ok = false;
        if (values.isEmpty()) {
            ok = query.exec(sql);
        } else {
            ok = query.prepare(sql);
            for (const QString &value : values)
                query.addBindValue(value);
            ok = ok && query.exec();
        }
        return ok ? QString() : SqlErrorText(query.lastError());
    };
    QString error;
    if (Wanted.Dbms == QSqlDriver::MySqlServer) {
        error = run(QStringLiteral("SET NAMES utf8mb4"), {});
        if (error.isEmpty() && !Wanted.Database.isEmpty())
            error = run(QStringLiteral("USE ")
                    + QuotedName(Wanted.Database, QLatin1Char('`'), QLatin1Char('`')),
                {});
        if (error.isEmpty())
            error = run(QStringLiteral("SET SESSION sql_mode = ?"), { Wanted.SqlMode });
    } else if (Wanted.Dbms == QSqlDriver::PostgreSQL) {
        error = run(QStringLiteral("SELECT pg_catalog.set_config('search_path', ?, false),"
                                   " pg_catalog.set_config('standard_conforming_strings', ?,"
                                   " false)"),
            { Wanted.SearchPath, Wanted.StandardConformingStrings });
    } else {
        return QString();
    }
    State now;
    if (error.isEmpty()) {
        try {
            now = Read(Db);
        } catch (const Exception &e) {
            error = e.Message();
        }
    }
    if (error.isEmpty() && now == Wanted)
        return QString();
    if (error.isEmpty())
        error = Wanted.Dbms == QSqlDriver::MySqlServer
            ? QStringLiteral("%1, %2").arg(now.Database, now.SqlMode)
            : QStringLiteral("%1, %2").arg(now.SearchPath, now.StandardConformingStrings);
    return QCoreApplication::translate("Diduza::TSchemaSqlDataEngine",
        "The run's own connection could not take over the settings of the engine's "
        "connection that decide how the statement reads (%1). Nothing was run.")
        .arg(error);
}

} // namespace Diduza::SqlSession
