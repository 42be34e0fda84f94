// How the catalogue is read: in a fixed number of statements however many tables there are
// (counted through SQLite's own trace and MariaDB's count), past a table it cannot read, and
// in one state of a SQLite database that another connection changes meanwhile.

#include "../common/SampleConnections.h"
#include "../common/TestSupport.h"
#include "CatalogFixture.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "platform/Exceptions.h"
#include "platform/TStringList.h"
#include "relations/TSchemaRelation.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <functional>

using namespace Diduza;
using namespace CatalogTest;

namespace {

// The statements the MariaDB session has sent so far, this one left out.
int questions(const QSqlDatabase &db)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SHOW SESSION STATUS LIKE 'Questions'")) || !q.next())
        return -1;
    return q.value(1).toInt() - 1;
}

// The statements handed to SQLite. Its pragma functions run their pragma inside the library,
// as a statement of its own, for each table they are asked about: those are not counted.
int statementsTraced = 0;
int countStatement(unsigned, void *, void *statement, void *)
{
    const char *sql = sqlite3_sql(static_cast<sqlite3_stmt *>(statement));
    if (!sql || qstrnicmp(sql, "PRAGMA ", 7) != 0)
        ++statementsTraced;
    return 0;
}

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

} // namespace

class tst_CatalogReads : public CatalogFixture {
    Q_OBJECT
private slots:
    void batchedReads_data();
    void batchedReads();
    void unreadableTableKeepsTheOthers();
    void sqliteReadsOneStateOfTheDatabase();
};

void tst_CatalogReads::batchedReads_data()
{
    QTest::addColumn<bool>("mariaDb");
    QTest::addColumn<int>("tables");
    QTest::newRow("sqlite, ten") << false << 10;
    QTest::newRow("sqlite, a thousand") << false << 1000;
    QTest::newRow("mariadb, ten") << true << 10;
    QTest::newRow("mariadb, a hundred") << true << 100;
}

// Statements are counted as the database sees them: SQLite's trace, MariaDB's count of the
// session's statements.
void tst_CatalogReads::batchedReads()
{
    QFETCH(bool, mariaDb);
    QFETCH(int, tables);
    if (mariaDb && !m_mariaDb)
        QSKIP(MariaDbHint);
    // A fresh database of tables that each reference the one before.
    const QString name = QStringLiteral("catalog-batch");
    const QString database = QStringLiteral("catalog_batch");
    {
        QSqlDatabase db;
        if (mariaDb) {
            QVERIFY(openFreshMariaDb(name, database));
            db = QSqlDatabase::database(name);
        } else {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(m_dir.filePath(QStringLiteral("batch%1.sqlite").arg(tables)));
            QVERIFY(db.open());
        }
        db.transaction();
        for (int i = 0; i < tables; ++i)
            exec(db,
                QStringLiteral("CREATE TABLE t%1 (id INTEGER PRIMARY KEY, up INTEGER "
                               "REFERENCES t%2 (id), v TEXT)")
                    .arg(i)
                    .arg(qMax(0, i - 1)));
        db.commit();
        sqlite3 *handle = mariaDb ? nullptr : sqliteHandle(db);
        QVERIFY(mariaDb || handle);
        auto statements = [&](const std::function<void()> &run) {
            if (mariaDb) {
                const int before = questions(db);
                run();
                return questions(db) - before - 1; // the second count itself
            }
            statementsTraced = 0;
            sqlite3_trace_v2(handle, SQLITE_TRACE_STMT, countStatement, nullptr);
            run();
            sqlite3_trace_v2(handle, 0, nullptr, nullptr);
            return statementsTraced;
        };
        TSchemaSqlDataEngine engine;
        engine.SetDatabase(db);
        QVector<TSchemaTableInfo> info;
        // Fields and keys, for all tables at once (SQLite in one statement, which reads one
        // state of the database).
        const int catalogue = mariaDb ? 2 : 1;
        QCOMPARE(statements([&] { engine.FillTableInfo(QStringList(), info); }), catalogue);
        QCOMPARE(int(info.size()), tables);
        QCOMPARE(info.last().ForeignKeys.size(), 1);
        // The whole database as a diagram: the list of tables, then the same two.
        DiduzaTest::FakeDialogService dialogs;
        TSchemaDesignArea area;
        area.SetDataEngine(&engine);
        QCOMPARE(statements([&] { area.AddDatabaseTables(); }), 1 + catalogue);
        QCOMPARE(area.GetItemCount(), tables);
        QCOMPARE(area.GetRelationCount(), tables);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (mariaDb)
        exec(QSqlDatabase::database(MariaDbConnection),
            QStringLiteral("DROP DATABASE %1").arg(database));
}

void tst_CatalogReads::unreadableTableKeepsTheOthers()
{
    // A virtual table whose module this connection lacks cannot be described, and makes the
    // one-statement read fail: the others are read table by table.
    const QString name = QStringLiteral("catalog-ghost");
    const QString path = m_dir.filePath(QStringLiteral("ghost.sqlite"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        exec(db, QStringLiteral("CREATE TABLE a (id INTEGER PRIMARY KEY)"));
        exec(db,
            QStringLiteral("CREATE TABLE b (id INTEGER PRIMARY KEY, a_id INTEGER REFERENCES a)"));
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("PRAGMA writable_schema = ON"))
            || !q.exec(QStringLiteral("INSERT INTO sqlite_master VALUES ('table', 'ghost', "
                                      "'ghost', 0, 'CREATE VIRTUAL TABLE ghost USING "
                                      "nosuchmodule(x)')"))) {
            db.close();
            QSqlDatabase::removeDatabase(name);
            QSKIP("this SQLite does not let the schema be written");
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        TSchemaSqlDataEngine engine;
        engine.SetDatabase(db);
        QVector<TSchemaTableInfo> info;
        engine.FillTableInfo(QStringList(), info);
        QStringList names;
        for (const TSchemaTableInfo &t : std::as_const(info))
            names << t.Name;
        QCOMPARE(names, QStringList({ "a", "b", "ghost" }));
        QCOMPARE(keysText(info.at(1).ForeignKeys), QStringLiteral(":a_id>a.id"));
        QVERIFY(info.at(2).Fields.isEmpty());
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

namespace {
// Another connection that makes a table referencing the sample's customer each time the
// connection under test begins a statement of its own (not the pragmas SQLite runs inside one).
struct ConcurrentDdl {
    sqlite3 *other = nullptr;
    void *last = nullptr; // a statement SQLite prepares again after the change is traced again
    int made = 0;
    int failed = 0;
};
int makeTableNow(unsigned, void *data, void *statement, void *)
{
    auto *ddl = static_cast<ConcurrentDdl *>(data);
    const char *sql = sqlite3_sql(static_cast<sqlite3_stmt *>(statement));
    if ((sql && qstrnicmp(sql, "PRAGMA ", 7) == 0) || statement == ddl->last)
        return 0;
    ddl->last = statement;
    const QByteArray create = QByteArray("CREATE TABLE late")
        + QByteArray::number(ddl->made + ddl->failed)
        + " (id INTEGER PRIMARY KEY, customer_id INTEGER REFERENCES customer (id))";
    if (sqlite3_exec(ddl->other, create.constData(), nullptr, nullptr, nullptr) == SQLITE_OK)
        ++ddl->made;
    else
        ++ddl->failed;
    return 0;
}
} // namespace

// Tables another connection makes while the catalogue is read come whole or not at all: never
// a table with keys and without fields.
void tst_CatalogReads::sqliteReadsOneStateOfTheDatabase()
{
    const QString name = QStringLiteral("catalog-concurrent");
    const QString path = m_dir.filePath(QStringLiteral("concurrent.sqlite"));
    QFile::remove(path);
    QVERIFY(QFile::copy(QStringLiteral(DIDUZA_SAMPLE_DB), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    ConcurrentDdl ddl;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &ddl.other), SQLITE_OK);
    auto closeOther = qScopeGuard([&] { sqlite3_close(ddl.other); });
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QVERIFY(db.open());
        sqlite3 *handle = sqliteHandle(db);
        QVERIFY(handle);
        TSchemaSqlDataEngine engine;
        engine.SetDatabase(db);
        for (int round = 0; round < 4; ++round) {
            QVector<TSchemaTableInfo> info;
            // A statement of this round may stand where one of the last round was freed.
            ddl.last = nullptr;
            sqlite3_trace_v2(handle, SQLITE_TRACE_STMT, makeTableNow, &ddl);
            engine.FillTableInfo(QStringList(), info);
            sqlite3_trace_v2(handle, 0, nullptr, nullptr);
            for (const TSchemaTableInfo &table : std::as_const(info))
                QVERIFY2(!table.Fields.isEmpty(), qPrintable(table.Name));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    QCOMPARE(ddl.failed, 0);
    QVERIFY(ddl.made >= 4);
}

QTEST_MAIN(tst_CatalogReads)
#include "tst_catalogreads.moc"
