// Tables and fields whose names are written to do harm, put on the query builder's diagram and
// run in every dialect on SQLite, PostgreSQL and MariaDB: each statement returns the rows of the
// table on the diagram or fails with the database's error, and no other table is read or
// changed.

#include "../common/SampleConnections.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "platform/Application.h"
#include "platform/TStringList.h"
#include "querybuilder/TfrmZkSQLBuilder.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Diduza;

namespace {

const QString SqliteConnection = QStringLiteral("hostile-sqlite");
const QString PostgresConnection = QStringLiteral("hostile-pg");
const QString MariaDbConnection = QStringLiteral("hostile-mariadb");

// Where the statement must run; elsewhere it may fail with the database's error.
enum RunsOn : int { OnSqlite = 1, OnPostgres = 2, OnMariaDb = 4, Everywhere = 7 };

struct Hostile {
    const char *label;
    QString name; // of the table and of its second field
    int runs;
    // Where the table is made: SQLite cannot hold a name that differs from a canary's in the
    // case of its letters only; MariaDB no name that ends in a blank, is longer than 64
    // characters or holds a character beyond the Basic Multilingual Plane.
    int made = Everywhere;
};

int databaseOf(const QString &connection)
{
    if (connection == SqliteConnection)
        return OnSqlite;
    return connection == PostgresConnection ? OnPostgres : OnMariaDb;
}

QVector<Hostile> hostileNames()
{
    const int notOnMariaDb = OnSqlite | OnPostgres;
    return {
        { "separator and comment", "other;DROP/**/TABLE/**/victim;--", Everywhere },
        { "union in block comments", "other/**/UNION/**/SELECT/**/s/**/FROM/**/secrets--",
            Everywhere },
        { "line comment", "a--b", Everywhere },
        { "line comment and blank", "a-- b", Everywhere },
        { "hash comment", "s#FROM secrets", Everywhere },
        { "executable comment", "/*!UNION SELECT id, s FROM secrets*/", Everywhere },
        { "parentheses and comma", "f(x),y", Everywhere },
        { "tab and line breaks", "a\tb\r\nc", Everywhere },
        { "double quotes", "say \"hi\"", Everywhere },
        { "single quote", "it's", Everywhere },
        { "backtick", "a`b", Everywhere },
        { "backticks, separator and comment", "`,s FROM secrets;DROP TABLE victim;#`", Everywhere },
        { "only spaces", "   ", Everywhere, notOnMariaDb },
        { "a canary's name and a blank", "secrets ", Everywhere, notOnMariaDb },
        { "digit first", "1st", Everywhere },
        { "non-ASCII letters", "größe_日本", Everywhere },
        { "letter beyond the BMP", QString::fromUcs4(U"\U0001D49Cx"), Everywhere, notOnMariaDb },
        { "dollar inside", "a$b", Everywhere },
        // Longer than PostgreSQL keeps: its cut names make the two aliases one.
        { "very long", "long;--/*" + QString(300, QLatin1Char('x')) + "\";DROP TABLE victim;--",
            OnSqlite, notOnMariaDb },
        // MariaDB's longest name, which PostgreSQL cuts.
        { "as long as MariaDB keeps", "max`;--/*" + QString(55, QLatin1Char('m')),
            OnSqlite | OnMariaDb },
        // The catalogue lists the table by this name: the dot is part of it.
        { "schema.table", "nosuch.other", Everywhere },
        // Names that written bare read another table, or no table, or are no name at all.
        { "a canary's name in upper case", "Secrets", Everywhere, OnPostgres | OnMariaDb },
        { "all upper case", "OTHER", Everywhere, OnPostgres | OnMariaDb },
        { "mixed case", "MixedCase", Everywhere },
        { "SQLite's schema and a canary", "main.secrets", Everywhere },
        { "the test's schema or database and a canary", "diduza_hostile.secrets", Everywhere },
        { "reserved word select", "select", Everywhere },
        { "reserved word from", "from", Everywhere },
        { "reserved word order", "order", Everywhere },
        { "reserved word user", "user", Everywhere },
        { "all fields", "*", Everywhere },
        { "backslash, quote and separator", "q\\\";x", Everywhere },
        { "backslash last", "b\\", Everywhere },
        { "backslash and backtick", "\\`", Everywhere },
        // MariaDB's keywords, reserved there and not (all) in PostgreSQL, and a few it reads
        // as names.
        { "MariaDB's rlike", "rlike", Everywhere },
        { "MariaDB's regexp", "regexp", Everywhere },
        { "MariaDB's div", "div", Everywhere },
        { "MariaDB's mod", "mod", Everywhere },
        { "MariaDB's xor", "xor", Everywhere },
        { "MariaDB's key", "key", Everywhere },
        { "MariaDB's keys", "keys", Everywhere },
        { "MariaDB's database", "database", Everywhere },
        { "MariaDB's dual", "dual", Everywhere },
        { "MariaDB's over", "over", Everywhere },
        { "MariaDB's window", "window", Everywhere },
        { "MariaDB's status", "status", Everywhere },
        { "MariaDB's json_table", "json_table", Everywhere },
        { "MariaDB's system_time", "system_time", Everywhere },
        // A leading "_" that names a character set introduces a string on MariaDB.
        { "character set introducer", "_utf8mb4", Everywhere },
        { "binary introducer", "_binary", Everywhere },
        { "latin1 introducer", "_latin1", Everywhere },
        { "plain leading underscore", "_x", Everywhere },
    };
}

QString quoted(const QString &connection, QString name)
{
    const QChar quote = QLatin1Char(connection == MariaDbConnection ? '`' : '"');
    return quote + name.replace(quote, QString(2, quote)) + quote;
}

bool exec(QSqlQuery &query, const QString &sql, const QVariantList &values = {})
{
    if (!query.prepare(sql))
        return false;
    for (const QVariant &v : values)
        query.addBindValue(v);
    return query.exec();
}

// The row of item after its "*" row whose caption is not "id": the table's hostile field.
TSchemaSubItem *hostileRow(TSchemaItem *item)
{
    for (int i = 1; i < item->GetSubItemCount(); ++i) {
        if (item->GetSubItem(i)->Caption() != QLatin1String("id"))
            return item->GetSubItem(i);
    }
    return nullptr;
}

TSchemaSubItem *idRow(TSchemaItem *item)
{
    for (int i = 0; i < item->GetSubItemCount(); ++i) {
        if (item->GetSubItem(i)->Caption() == QLatin1String("id"))
            return item->GetSubItem(i);
    }
    return nullptr;
}

} // namespace

class tst_HostileNames : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void statements_data();
    void statements();

private:
    void initMariaDb();
    // Creates the canary tables and one table per hostile name; fills m_names[connection].
    void createTables(const QString &connection);
    // The canaries' row counts and the list of tables, as the engine sees them.
    QString databaseState(TSchemaSqlDataEngine &engine);

    QTemporaryDir m_dir;
    bool m_hasPostgres = false;
    bool m_hasMariaDb = false;
    QHash<QString, QStringList> m_names; // the database's name of each hostile table
    QHash<QString, QString> m_state;
};

void tst_HostileNames::initTestCase()
{
    SetExceptionHandler([](const Exception &e) { QFAIL(qPrintable(e.Message())); });
    QVERIFY(m_dir.isValid());
    QSqlDatabase lite = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), SqliteConnection);
    lite.setDatabaseName(m_dir.filePath(QStringLiteral("hostile.sqlite")));
    QVERIFY2(lite.open(), qPrintable(lite.lastError().text()));
    createTables(SqliteConnection);

    initMariaDb();
    if (!SampleConnections::PostgresConfigured())
        return;
    QString error;
    QVERIFY2(SampleConnections::OpenPostgres(PostgresConnection, error), qPrintable(error));
    // A schema of its own, alone on the search path, dropped at the end.
    QSqlQuery query(QSqlDatabase::database(PostgresConnection, false));
    for (const char *sql : { "DROP SCHEMA IF EXISTS diduza_hostile CASCADE",
             "CREATE SCHEMA diduza_hostile", "SET search_path TO diduza_hostile" })
        QVERIFY2(query.exec(QLatin1String(sql)), qPrintable(query.lastError().text()));
    createTables(PostgresConnection);
    m_hasPostgres = true;
}

void tst_HostileNames::initMariaDb()
{
    if (!SampleConnections::MariaDbConfigured())
        return;
    QString error;
    QVERIFY2(SampleConnections::OpenMariaDb(MariaDbConnection, error), qPrintable(error));
    // A database of its own, in the session's default mode (backslashes escape in strings,
    // double quotes enclose strings), dropped at the end.
    QSqlDatabase db = QSqlDatabase::database(MariaDbConnection, false);
    {
        QSqlQuery query(db);
        for (const char *sql : { "DROP DATABASE IF EXISTS diduza_hostile",
                 "CREATE DATABASE diduza_hostile CHARACTER SET utf8mb4 COLLATE utf8mb4_bin" })
            QVERIFY2(query.exec(QLatin1String(sql)), qPrintable(query.lastError().text()));
    }
    db.close();
    db.setDatabaseName(QStringLiteral("diduza_hostile"));
    QVERIFY2(db.open(), qPrintable(db.lastError().text()));
    m_hasMariaDb = true;
    createTables(MariaDbConnection);
}

void tst_HostileNames::cleanupTestCase()
{
    if (m_hasPostgres)
        QSqlQuery(QSqlDatabase::database(PostgresConnection, false))
            .exec(QStringLiteral("DROP SCHEMA diduza_hostile CASCADE"));
    if (m_hasMariaDb)
        QSqlQuery(QSqlDatabase::database(MariaDbConnection, false))
            .exec(QStringLiteral("DROP DATABASE diduza_hostile"));
    SampleConnections::CloseAll({ SqliteConnection, PostgresConnection, MariaDbConnection });
    SetExceptionHandler({});
}

void tst_HostileNames::createTables(const QString &connection)
{
    const QSqlDatabase db = QSqlDatabase::database(connection, false);
    QSqlQuery query(db);
    for (const char *canary : { "victim", "secrets", "other" }) {
        QVERIFY2(query.exec(QStringLiteral("CREATE TABLE %1 (id INTEGER, s VARCHAR(20))")
                                .arg(QLatin1String(canary))),
            qPrintable(query.lastError().text()));
        for (int i = 1; i <= 3; ++i)
            QVERIFY(exec(query,
                QStringLiteral("INSERT INTO %1 VALUES (?, ?)").arg(QLatin1String(canary)),
                { i, QStringLiteral("secret %1").arg(i) }));
    }
    TSchemaSqlDataEngine engine;
    engine.SetConnectionName(connection);
    TStringList before, after;
    engine.FillItemList(before);
    QStringList names;
    const int here = databaseOf(connection);
    for (const Hostile &h : hostileNames()) {
        if (!(h.made & here)) {
            names << QString();
            continue;
        }
        const QString table = quoted(connection, h.name);
        QVERIFY2(
            query.exec(
                QStringLiteral("CREATE TABLE %1 (id INTEGER, %2 VARCHAR(20))").arg(table, table)),
            qPrintable(query.lastError().text()));
        QVERIFY(exec(
            query, QStringLiteral("INSERT INTO %1 VALUES (1, 'first'), (2, 'second')").arg(table)));
        // The name as the database keeps it (PostgreSQL cuts long ones).
        engine.FillItemList(after);
        QStringList added = after.ToStringList();
        for (const QString &known : before.ToStringList())
            added.removeOne(known);
        QCOMPARE(added.size(), 1);
        names << added.first();
        engine.FillItemList(before);
    }
    m_names.insert(connection, names);
    m_state.insert(connection, databaseState(engine));
}

QString tst_HostileNames::databaseState(TSchemaSqlDataEngine &engine)
{
    QSqlQuery query(engine.Database());
    QStringList state;
    for (const char *canary : { "victim", "secrets", "other" }) {
        if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(canary)))
            || !query.next())
            return query.lastError().text();
        state << QString::number(query.value(0).toInt());
    }
    TStringList tables;
    engine.FillItemList(tables);
    return state.join(QLatin1Char(' ')) + QLatin1Char('|') + tables.ToStringList().join('|');
}

void tst_HostileNames::statements_data()
{
    QTest::addColumn<QString>("connection");
    QTest::addColumn<int>("dialect");
    QTest::addColumn<int>("name");
    const QVector<Hostile> names = hostileNames();
    const char *dialects[] = { "stStandard", "stLocal", "stOracle", "stMSSQL", "stAnsi" };
    for (const QString &connection : { SqliteConnection, PostgresConnection, MariaDbConnection }) {
        for (int d = stStandard; d <= stAnsi; ++d) {
            for (int n = 0; n < names.size(); ++n)
                QTest::addRow("%s, %s: %s", qPrintable(connection), dialects[d], names[n].label)
                    << connection << d << n;
        }
    }
}

// The table on its own in stStandard (whose joins no database runs), sorted on its hostile
// field; in the other dialects twice, joined to itself on id through the two aliases.
void tst_HostileNames::statements()
{
    QFETCH(QString, connection);
    QFETCH(int, dialect);
    QFETCH(int, name);
    if (connection == PostgresConnection && !m_hasPostgres)
        QSKIP("No PostgreSQL server: run scripts/pg-start BUILD-DIR and load BUILD-DIR/pg.env "
              "to test against PostgreSQL");
    if (connection == MariaDbConnection && !m_hasMariaDb)
        QSKIP("No MariaDB server: run scripts/mariadb-start BUILD-DIR and load "
              "BUILD-DIR/mariadb.env to test against MariaDB");
    const Hostile hostile = hostileNames().at(name);
    const QString caption = m_names.value(connection).at(name);
    if (caption.isEmpty())
        QSKIP("The database cannot hold this name, or not beside the canaries");

    TSchemaSqlDataEngine engine;
    engine.SetConnectionName(connection);
    engine.SetSQLSubType(TSQLSubType(dialect));
    TfrmZkSQLBuilder form;
    form.SetDataEngine(&engine);
    TSchemaItem *first = form.SchemaDesignArea->AddItem(caption, scCheckListBox);
    QVERIFY(first && idRow(first) && hostileRow(first));
    idRow(first)->SetChecked(true);
    hostileRow(first)->SetChecked(true);
    QList<QStringList> expected = { { "1", "first" }, { "2", "second" } };
    if (dialect == stStandard) {
        // Sorted by the bare field name, which only one table may hold.
        form.sgColumnGrid->SetCells(
            form.sgColumnGrid->ColCount() - 1, 3, QStringLiteral("Ascending"));
    } else {
        TSchemaItem *second = form.SchemaDesignArea->AddItem(caption, scCheckListBox);
        QVERIFY(second);
        form.SchemaDesignArea->AddRelation(first, second, idRow(first), idRow(second));
        idRow(second)->SetChecked(true);
        expected = { { "1", "first", "1" }, { "2", "second", "2" } };
    }
    const QString sql = form.GenerateSQL();

    try {
        std::unique_ptr<QAbstractItemModel> model(engine.ExecSQL(sql));
        QVERIFY(model);
        while (model->canFetchMore({}))
            model->fetchMore({});
        QList<QStringList> rows;
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList row;
            for (int c = 0; c < model->columnCount(); ++c)
                row << model->index(r, c).data().toString();
            rows << row;
        }
        std::sort(rows.begin(), rows.end());
        QCOMPARE(rows, expected);
    } catch (const Exception &e) {
        const bool mustRun = hostile.runs & databaseOf(connection);
        QVERIFY2(!mustRun, qPrintable(e.Message() + QLatin1Char('\n') + sql));
        QVERIFY(!e.Message().isEmpty());
    }
    QCOMPARE(databaseState(engine), m_state.value(connection));
}

QTEST_MAIN(tst_HostileNames)
#include "tst_hostilenames.moc"
