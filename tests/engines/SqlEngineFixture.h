#pragma once

// The SQL engine tests' fixture: the sample database on SQLite (a copy), PostgreSQL and MariaDB
// when servers are configured, a row per backend and the engine on the row's connection; and
// what a text did on each path that runs it.

#include "../common/SampleConnections.h"
#include "engines/TSchemaQueryRun.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "platform/Exceptions.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <QtTest>

#include <memory>

namespace SqlEngineTest {

inline const QString SqliteConnection = QStringLiteral("diduza-sqlite");

inline const QString PostgresConnection = QStringLiteral("diduza-pg");

inline const QString MariaDbConnection = QStringLiteral("diduza-mariadb");

inline const QStringList SampleTables
    = { "customer", "employees", "order details", "orders", "products", "suppliers" };

inline QVariant scalar(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql) || !query.next())
        return QVariant();
    return query.value(0);
}

// What ExecSQL does with a text: runs it (one row back), refuses it as several statements, or
// raises another error before anything runs (the database's, or the NUL refusal).
enum Outcome { Runs, Several, Rejected };

// What a text did on one path: the outcome, the first value of its result, the message.
struct Done {
    Outcome outcome = Rejected;
    QVariant first;
    QString message;
};

inline Done outcomeOf(const QString &message)
{
    return { message.contains("more than one SQL statement") ? Several : Rejected, QVariant(),
        message };
}

inline Done throughExecSQL(Diduza::TSchemaSqlDataEngine &engine, const QString &sql)
{
    try {
        std::unique_ptr<QAbstractItemModel> model(engine.ExecSQL(sql));
        return { Runs, model->index(0, 0).data(), QString() };
    } catch (const Diduza::Exception &e) {
        return outcomeOf(e.Message());
    }
}

// The query tool's path: the run on a clone of the connection, waited for.
inline Done throughStartSQL(Diduza::TSchemaSqlDataEngine &engine, const QString &sql)
{
    std::unique_ptr<Diduza::TSchemaQueryRun> run;
    try {
        run.reset(engine.StartSQL(sql));
    } catch (const Diduza::Exception &e) {
        return outcomeOf(e.Message());
    }
    if (!run)
        return { Runs, QVariant(), QStringLiteral("no run") };
    Done done { Runs, QVariant(), QString() };
    QObject::connect(run.get(), &Diduza::TSchemaQueryRun::RowsArrived,
        [&](const QVector<Diduza::TSchemaQueryRun::Row> &rows, bool) {
            if (!rows.isEmpty() && !done.first.isValid())
                done.first = rows.first().value(0);
        });
    QObject::connect(
        run.get(), &Diduza::TSchemaQueryRun::Finished, [&](const QString &error, int, bool) {
            if (!error.isEmpty())
                done = outcomeOf(error);
        });
    QElapsedTimer clock;
    clock.start();
    while (!run->IsFinished() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!run->IsFinished())
        return { Rejected, QVariant(), QStringLiteral("the run did not end") };
    return done;
}

// Whether the canary table of the attack texts exists anywhere the connection's user sees;
// drops it, so that one row's failure does not hide the next.
inline bool canaryRan(const QString &backend, const QSqlDatabase &db)
{
    QString count = QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = 'pwned'");
    if (backend == QLatin1String("postgresql"))
        count = QStringLiteral("SELECT COUNT(*) FROM pg_catalog.pg_class WHERE relname = 'pwned'");
    else if (backend == QLatin1String("mariadb"))
        count = QStringLiteral(
            "SELECT COUNT(*) FROM information_schema.tables WHERE table_name = 'pwned'");
    const bool ran = scalar(db, count).toInt() > 0;
    if (ran) {
        QSqlQuery drop(db);
        drop.exec(backend == QLatin1String("mariadb")
                ? QStringLiteral("DROP TABLE IF EXISTS %1.pwned")
                      .arg(qEnvironmentVariable("DIDUZA_MYSQL_DB"))
                : QStringLiteral("DROP TABLE IF EXISTS pwned"));
    }
    return ran;
}

inline const char *const Canary = "CREATE TABLE pwned (x INTEGER)";

// Opens the sample's connections once for all the tests of an executable: SQLite on a copy of
// the sample, PostgreSQL and MariaDB when their servers are configured.
class SqlEngineFixture : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

protected:
    void addBackendRows();
    // The connection of the current row's backend; skips PostgreSQL when no server is given.
    bool useBackend(const QString &backend, Diduza::TSchemaSqlDataEngine &engine);
    bool m_hasPostgres = false;
    bool m_hasMariaDb = false;
    QTemporaryDir m_dir;
};

} // namespace SqlEngineTest

#define USE_BACKEND(backend, engine)                                                               \
    do {                                                                                           \
        if (!useBackend(backend, engine))                                                          \
            QSKIP("No server for this row: run scripts/pg-start (or mariadb-start) BUILD-DIR and " \
                  "load BUILD-DIR/pg.env (or mariadb.env)");                                       \
    } while (false)
