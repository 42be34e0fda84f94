#include "engines/TSchemaSqlDataEngine.h"

#include "diagram/TSchemaItem.h"
#include "engines/SqlCatalog_p.h"
#include "engines/SqlNames.h"
#include "engines/SqlQueryRun_p.h"
#include "engines/SqlSession_p.h"
#include "platform/CompareText.h"
#include "platform/Exceptions.h"
#include "sqlparser/SqlStatement.h"

#include <QCoreApplication>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>

#include <functional>
#include <memory>
#include <optional>

namespace Diduza {

QString SqlErrorText(const QSqlError &Error)
{
    QString text = Error.databaseText().trimmed();
    // SQLite's text for its last call, which succeeded, when the failure is the driver's own.
    if (text.compare(QLatin1String("not an error"), Qt::CaseInsensitive) == 0)
        text.clear();
    if (text.isEmpty())
        text = Error.driverText().trimmed();
    if (text.isEmpty())
        text = QCoreApplication::translate(
            "Diduza::TSchemaSqlDataEngine", "The database reported an error without a message.");
    return text;
}

namespace {

// Runs a catalogue query whose first column is a name and returns the names in result order.
QStringList queryNames(
    const QSqlDatabase &db, const QString &sql, const QVariantList &values = QVariantList())
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    bool ok = false;
    if (values.isEmpty()) {
        ok = query.exec(sql);
    } else {
        ok = query.prepare(sql);
        if (ok) {
            for (const QVariant &value : values)
                query.addBindValue(value);
            ok = query.exec();
        }
    }
    if (!ok)
        throw Exception(SqlErrorText(query.lastError()));
    QStringList names;
    while (query.next())
        names.append(query.value(0).toString());
    if (query.lastError().isValid())
        throw Exception(SqlErrorText(query.lastError()));
    return names;
}

// Tables of the main database that SQLite itself did not create.
const char SqliteTables[] = "SELECT name FROM sqlite_master WHERE type = 'table'"
                            " AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name";
const char SqliteFields[] = "SELECT name FROM pragma_table_info(?) ORDER BY cid";

// Ordinary and partitioned tables that an unqualified name reaches through the search path.
const char PostgresTables[]
    = "SELECT c.relname FROM pg_catalog.pg_class c"
      " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
      " WHERE c.relkind IN ('r', 'p') AND n.nspname = ANY (pg_catalog.current_schemas(false))"
      " AND pg_catalog.pg_table_is_visible(c.oid) ORDER BY c.relname";
const char PostgresFields[]
    = "SELECT a.attname FROM pg_catalog.pg_attribute a"
      " JOIN pg_catalog.pg_class c ON c.oid = a.attrelid"
      " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
      " WHERE c.relname = ? AND c.relkind IN ('r', 'p')"
      " AND n.nspname = ANY (pg_catalog.current_schemas(false))"
      " AND pg_catalog.pg_table_is_visible(c.oid) AND a.attnum > 0 AND NOT a.attisdropped"
      " ORDER BY a.attnum";

// The fields of a table of another schema (ListAllSchemas), by its schema and name.
const char PostgresSchemaFields[]
    = "SELECT a.attname FROM pg_catalog.pg_attribute a"
      " JOIN pg_catalog.pg_class c ON c.oid = a.attrelid"
      " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
      " WHERE n.nspname = ? AND c.relname = ? AND c.relkind IN ('r', 'p')"
      " AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum";

// The base tables of the connection's database. The catalogue compares names ignoring case;
// the server's database and table names do not (on case-sensitive file systems), so names are
// compared and sorted as binary strings (the plain comparison with the constant lets the server
// read that one database only).
const char MysqlTables[]
    = "SELECT table_name FROM information_schema.tables WHERE table_schema = DATABASE()"
      " AND BINARY table_schema = BINARY DATABASE()"
      " AND table_type IN ('BASE TABLE', 'SYSTEM VERSIONED') ORDER BY BINARY table_name";
const char MysqlFields[]
    = "SELECT column_name FROM information_schema.columns WHERE table_schema = DATABASE()"
      " AND BINARY table_schema = BINARY DATABASE() AND BINARY table_name = BINARY ?"
      " ORDER BY ordinal_position";

// The user tables of Db, as FillItemList lists them.
QStringList listTables(const QSqlDatabase &Db, bool allSchemas)
{
    if (allSchemas && Db.driver()->dbmsType() == QSqlDriver::PostgreSQL) {
        QStringList names;
        for (const SqlCatalog::ListedTable &table : SqlCatalog::ListPostgresTables(Db))
            names << table.Caption;
        return names;
    }
    switch (Db.driver()->dbmsType()) {
    case QSqlDriver::SQLite:
        return queryNames(Db, QString::fromLatin1(SqliteTables));
    case QSqlDriver::PostgreSQL:
        return queryNames(Db, QString::fromLatin1(PostgresTables));
    case QSqlDriver::MySqlServer:
        return queryNames(Db, QString::fromLatin1(MysqlTables));
    default:
        break;
    }
    return Db.tables(QSql::Tables);
}

// Whether MySQL or MariaDB, on the connection named Connection, reads Name bare as Name
// itself wherever a generated statement names a table, an alias or a field. A plain name that
// is none of the server's keywords does; a keyword, a name that begins with "_" (which may
// introduce a character set: _utf8mb4'x') and every name on a server that does not list its
// keywords is tried on the server, which prepares (and never runs) a probe statement that holds
// the name in each of those places. A probe that cannot be prepared means quotes.
class MysqlBareNames {
public:
    explicit MysqlBareNames(QString Connection)
        : FConnection(std::move(Connection))
    {
    }
    bool operator()(const QString &Name)
    {
        if (!IsPlainIdentifier(Name))
            return false;
        const QSqlDatabase db = QSqlDatabase::database(FConnection, false);
        if (!db.isOpen())
            return false;
        if (!FKeywords) {
            FKeywords.emplace();
            QSqlQuery query(db);
            query.setForwardOnly(true);
            if (query.exec(QStringLiteral("SELECT WORD FROM information_schema.KEYWORDS"))) {
                while (query.next())
                    FKeywords->insert(query.value(0).toString().toUpper());
            }
            FKeywordsListed = !FKeywords->isEmpty();
        }
        if (FKeywordsListed && !Name.startsWith(QLatin1Char('_'))
            && !FKeywords->contains(Name.toUpper()))
            return true;
        QSqlQuery probe(db);
        return probe.prepare(QStringLiteral("SELECT 1 AS %1 FROM (SELECT 1 AS %1) %1"
                                            " WHERE %1.%1 = 1 ORDER BY %1")
                                 .arg(Name));
    }

private:
    QString FConnection;
    std::optional<QSet<QString>> FKeywords;
    bool FKeywordsListed = false;
};

// ExecSQL's data set: Qt's model, which tells a view that more rows may come until it has
// fetched the last one, also where no rows can come (no query, or a statement without a
// result set), so that a view or a caller fetching to the end never would.
class SqlResultModel : public QSqlQueryModel {
public:
    bool canFetchMore(const QModelIndex &parent = QModelIndex()) const override
    {
        return query().isActive() && query().isSelect() && QSqlQueryModel::canFetchMore(parent);
    }
};

} // namespace

TSchemaSqlDataEngine::TSchemaSqlDataEngine(QObject *AOwner)
    : TSchemaDataEngine(AOwner)
    , FConnectionName(QString::fromLatin1(QSqlDatabase::defaultConnection))
{
    SetSQLSubType(stAnsi);
}

TSchemaSqlDataEngine::~TSchemaSqlDataEngine() = default;

QSqlDatabase TSchemaSqlDataEngine::Database() const
{
    return QSqlDatabase::database(FConnectionName, false);
}

void TSchemaSqlDataEngine::SetDatabase(const QSqlDatabase &Value)
{
    FConnectionName = Value.connectionName();
}

namespace {
// The connection named connectionName, opened when it is not; raises Exception when there is
// no such connection or it does not open.
QSqlDatabase openDatabase(const QString &connectionName)
{
    if (!QSqlDatabase::contains(connectionName))
        throw Exception(QCoreApplication::translate(
            "Diduza::TSchemaSqlDataEngine", "There is no database connection named \"%1\".")
                            .arg(connectionName));
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (!db.isOpen() && !db.open())
        throw Exception(SqlErrorText(db.lastError()));
    return db;
}

// The fields of Table on Db, in column order, from the catalogue of SQLite, PostgreSQL or
// MySQL, or from the driver's record for other databases.
QStringList fieldNames(const QSqlDatabase &Db, const QString &Table)
{
    switch (Db.driver()->dbmsType()) {
    case QSqlDriver::SQLite:
        return queryNames(Db, QString::fromLatin1(SqliteFields), { Table });
    case QSqlDriver::PostgreSQL:
        return queryNames(Db, QString::fromLatin1(PostgresFields), { Table });
    case QSqlDriver::MySqlServer:
        return queryNames(Db, QString::fromLatin1(MysqlFields), { Table });
    default:
        break;
    }
    const QSqlRecord record = Db.record(Table);
    QStringList names;
    for (int i = 0; i < record.count(); ++i)
        names.append(record.fieldName(i));
    return names;
}
} // namespace

void TSchemaSqlDataEngine::FillItemList(TStringList &List)
{
    if (OnGetItemList()) {
        TSchemaDataEngine::FillItemList(List);
        return;
    }
    List.Clear();
    const QStringList names = listTables(openDatabase(FConnectionName), FListAllSchemas);
    List.BeginUpdate();
    for (const QString &name : names)
        List.Add(name);
    List.EndUpdate();
}

void TSchemaSqlDataEngine::FillSubItemList(TSchemaItem *Item, TStringList &List)
{
    if (OnGetSubItemList()) {
        TSchemaDataEngine::FillSubItemList(Item, List);
        return;
    }
    List.Clear();
    if (Item)
        FillFieldList(Item->GetCaption(), List);
}

void TSchemaSqlDataEngine::FillFieldList(const QString &TableName, TStringList &List)
{
    List.Clear();
    const QSqlDatabase db = openDatabase(FConnectionName);
    const QStringList tables = listTables(db, FListAllSchemas);
    qsizetype index = tables.indexOf(TableName);
    if (index < 0) {
        for (qsizetype i = 0; i < tables.size(); ++i) {
            if (SameText(tables.at(i), TableName)) {
                index = i;
                break;
            }
        }
    }
    if (index < 0)
        return;
    QStringList names;
    if (FListAllSchemas && db.driver()->dbmsType() == QSqlDriver::PostgreSQL) {
        // A table of another schema is named by its schema and its own name.
        const QVector<SqlCatalog::ListedTable> listed = SqlCatalog::ListPostgresTables(db);
        const SqlCatalog::ListedTable &table = listed.at(index);
        names = table.Schema.isEmpty() ? fieldNames(db, table.Name)
                                       : queryNames(db, QString::fromLatin1(PostgresSchemaFields),
                                           { table.Schema, table.Name });
    } else {
        names = fieldNames(db, tables.at(index));
    }
    List.BeginUpdate();
    for (const QString &name : names)
        List.Add(name);
    List.EndUpdate();
}

void TSchemaSqlDataEngine::FillTableInfo(const QStringList &Tables, QVector<TSchemaTableInfo> &List)
{
    if (OnGetTableInfo()) {
        TSchemaDataEngine::FillTableInfo(Tables, List);
        return;
    }
    List.clear();
    List = SqlCatalog::ReadTables(openDatabase(FConnectionName), Tables, FListAllSchemas);
}

QAbstractItemModel *TSchemaSqlDataEngine::ExecSQL(const QString &SQL)
{
    if (OnExecSQL())
        return TSchemaDataEngine::ExecSQL(SQL);
    // Several statements in one text would all run on some drivers (PostgreSQL's simple query
    // protocol): refuse them before anything runs.
    const QSqlDatabase db = openDatabase(FConnectionName);
    bool empty = false;
    const QString statement = SqlSession::OneStatement(db, SQL, &empty);
    // A text of blanks and comments runs nothing: its data set has no columns and no rows.
    if (empty)
        return new SqlResultModel;
    QSqlQuery query(db);
    if (!query.exec(statement))
        throw Exception(SqlErrorText(query.lastError()));
    auto model = std::make_unique<SqlResultModel>();
    model->setQuery(std::move(query));
    if (model->lastError().isValid())
        throw Exception(SqlErrorText(model->lastError()));
    return model.release();
}

TSchemaQueryRun *TSchemaSqlDataEngine::StartSQL(const QString &SQL, int RowLimit, int PageSize)
{
    if (OnExecSQL())
        return nullptr;
    const QSqlDatabase db = openDatabase(FConnectionName);
    bool empty = false;
    const QString statement = SqlSession::OneStatement(db, SQL, &empty);
    if (empty)
        return nullptr; // ExecSQL gives the empty data set at once
    // The run's clone of the connection is a fresh session: it takes over the settings that
    // decide which tables the statement names and how its text splits, and the statement is
    // checked again on it before it runs.
    const SqlSession::State state = SqlSession::Read(db);
    auto prepare = [state, statement](const QSqlDatabase &clone) {
        const QString error = SqlSession::TakeOver(clone, state);
        if (!error.isEmpty())
            return error;
        try {
            if (SqlSession::OneStatement(clone, statement) != statement)
                return QCoreApplication::translate("Diduza::TSchemaSqlDataEngine",
                    "The text holds more than one SQL statement; only one statement can be run "
                    "at a time. Nothing was run.");
        } catch (const Exception &e) {
            return e.Message();
        }
        return QString();
    };
    return new SqlQueryRun(db.connectionName(), statement, RowLimit, PageSize, prepare);
}

namespace {
// The names a kind of database reads without quotes.
std::function<bool(const QString &)> bareNames(QSqlDriver::DbmsType dbms, const QString &connection)
{
    if (dbms == QSqlDriver::SQLite)
        return [](const QString &Name) { return SqliteReadsBare(Name); };
    if (dbms == QSqlDriver::PostgreSQL)
        return [](const QString &Name) { return PostgresReadsBare(Name); };
    if (dbms == QSqlDriver::MySqlServer)
        return MysqlBareNames(connection);
    return [](const QString &Name) { return IsPlainIdentifier(Name); };
}

// A caption with a full stop: a table the catalogue lists under that name is one name (SQLite,
// PostgreSQL and MySQL list the tables of the main database, of the search path and of the
// connection's database by their own names; other drivers qualify a table of another schema
// as "schema.table"). A caption the catalogue does not list keeps the reading of the text it
// came from: plain names joined by full stops are schema and table.
std::function<QStringList(const QString &)> tableParts(
    const QString &connection, QSqlDriver::DbmsType dbms, bool allSchemas)
{
    auto listed = std::make_shared<std::optional<QStringList>>();
    // With every schema on PostgreSQL: the tables off the search path, by caption, as schema
    // and name.
    auto qualified = std::make_shared<QHash<QString, QStringList>>();
    const bool qualifiedByDriver = dbms != QSqlDriver::SQLite && dbms != QSqlDriver::PostgreSQL
        && dbms != QSqlDriver::MySqlServer;
    return [listed, qualified, connection, qualifiedByDriver, dbms, allSchemas](
               const QString &Caption) {
        const QStringList whole { Caption };
        if (!Caption.contains(QLatin1Char('.')))
            return whole;
        if (!listed->has_value()) {
            QStringList names;
            try {
                const QSqlDatabase db = QSqlDatabase::database(connection, false);
                if (db.isOpen() && allSchemas && dbms == QSqlDriver::PostgreSQL) {
                    for (const SqlCatalog::ListedTable &table :
                        SqlCatalog::ListPostgresTables(db)) {
                        names << table.Caption;
                        if (!table.Schema.isEmpty())
                            qualified->insert(table.Caption, { table.Schema, table.Name });
                    }
                } else if (db.isOpen()) {
                    names = listTables(db, false);
                }
            } catch (const Exception &) {
                // A catalogue that cannot be read lists nothing.
            }
            *listed = names;
        }
        if (const auto found = qualified->constFind(Caption); found != qualified->constEnd())
            return found.value();
        const QStringList &names = **listed;
        bool isListed = names.contains(Caption);
        if (!isListed && dbms == QSqlDriver::SQLite) { // SQLite ignores the case of A to Z
            isListed = std::any_of(names.begin(), names.end(),
                [&](const QString &name) { return SameText(name, Caption); });
        }
        if (isListed)
            return qualifiedByDriver ? Caption.split(QLatin1Char('.')) : whole;
        return IsPlainTableName(Caption) ? Caption.split(QLatin1Char('.')) : whole;
    };
}
} // namespace

SqlNameQuoting TSchemaSqlDataEngine::NameQuoting()
{
    const QSqlDatabase db = Database();
    const QSqlDriver *driver = db.driver();
    if (!db.isValid() || !driver)
        return SqlNameQuoting();
    // The driver's quote characters, as it writes a plain name; the closing one is doubled
    // inside a name (Qt's escapeIdentifier leaves some names alone that need quotes).
    const QString probe = driver->escapeIdentifier(QStringLiteral("a"), QSqlDriver::FieldName);
    QChar open(QLatin1Char('"'));
    QChar close(QLatin1Char('"'));
    if (probe.size() == 3 && probe.at(1) == QLatin1Char('a')) {
        open = probe.at(0);
        close = probe.at(2);
    }
    const QSqlDriver::DbmsType dbms = driver->dbmsType();
    const std::function<bool(const QString &)> readsBare = bareNames(dbms, FConnectionName);

    // Names already decided for this kind of database, these quotes and (where the server
    // decides) this connection.
    QString rules = QString::number(int(dbms)) + open + close;
    if (dbms == QSqlDriver::MySqlServer)
        rules += FConnectionName;
    if (!FQuotedNames || FQuotedNamesRules != rules) {
        FQuotedNames = std::make_shared<QHash<QString, QString>>();
        FQuotedNamesRules = rules;
    }
    SqlNameQuoting quoting;
    quoting.OpenQuote = open;
    quoting.CloseQuote = close;
    quoting.QuoteName = [cache = FQuotedNames, readsBare, open, close](const QString &Name) {
        auto found = cache->constFind(Name);
        if (found == cache->constEnd())
            found = cache->insert(Name, readsBare(Name) ? Name : QuotedName(Name, open, close));
        return *found;
    };

    quoting.TableParts = tableParts(FConnectionName, dbms, FListAllSchemas);
    // PostgreSQL cuts a longer name to max_identifier_length bytes (a constant of its build).
    if (dbms == QSqlDriver::PostgreSQL && db.isOpen()) {
        QSqlQuery limit(db);
        if (limit.exec(QStringLiteral("SHOW max_identifier_length")) && limit.next())
            quoting.NameLengthLimit = limit.value(0).toInt();
    }
    return quoting;
}

bool TSchemaSqlDataEngine::JoinAvailable(TSDRelationJoin Join) const
{
    if (Join != rjFull)
        return true;
    const QSqlDatabase db = Database();
    return !(db.isValid() && db.driver() && db.driver()->dbmsType() == QSqlDriver::MySqlServer);
}

QString TSchemaSqlDataEngine::RowLimitClause(qint64 Limit, qint64 Offset) const
{
    if (Limit >= 0 || Offset <= 0)
        return QString();
    const QSqlDatabase db = Database();
    const QSqlDriver *driver = db.isValid() ? db.driver() : nullptr;
    if (driver && driver->dbmsType() == QSqlDriver::SQLite)
        return QStringLiteral("LIMIT -1 OFFSET %1").arg(Offset);
    if (driver && driver->dbmsType() == QSqlDriver::MySqlServer)
        return QStringLiteral("LIMIT 18446744073709551615 OFFSET %1").arg(Offset);
    return QString();
}

SqlSpelling TSchemaSqlDataEngine::StatementSpelling()
{
    SqlSpelling spelling;
    const QSqlDatabase db = Database();
    if (db.isValid() && db.driver() && db.driver()->dbmsType() == QSqlDriver::MySqlServer) {
        spelling.Mysql = true;
        if (db.isOpen())
            spelling.Mode = SqlSession::ReadMysql(db).Mode;
    }
    return spelling;
}

QString TSchemaSqlDataEngine::ResultsNote()
{
    const QSqlDatabase db = Database();
    if (!db.isValid() || !db.driver() || db.driver()->dbmsType() != QSqlDriver::MySqlServer)
        return QString();
    return QCoreApplication::translate("Diduza::TSchemaSqlDataEngine",
        "MySQL and MariaDB hand over a whole result at once: all its rows are held in memory.");
}

} // namespace Diduza
