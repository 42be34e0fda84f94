#pragma once

// The off-thread run of TSchemaSqlDataEngine::StartSQL: a worker on a thread of its own opens
// a clone of the engine's connection there (Qt SQL connections belong to the thread that opens
// them), runs the statement forward only and hands its rows over in pages. Cancel reaches the
// database through the clone's native handle: PostgreSQL's cancel request, SQLite's interrupt;
// MySQL and MariaDB get "KILL QUERY" for the clone's thread on the engine's own connection.
// An export writes the rows to a file on the same thread, with the rows the user-interface
// thread holds first. Not installed.

#include "engines/TSchemaQueryRun.h"

#include <QAtomicInteger>
#include <QMutex>
#include <QString>
#include <QThread>

#include <functional>
#include <memory>

class QSqlDatabase;
struct pg_cancel;
struct sqlite3;

namespace Diduza {

// What the user-interface thread needs to stop a running statement; set and cleared by the
// worker around the clone's life.
class SqlCanceller {
public:
    void setPostgres(pg_cancel *cancel);
    void setSqlite(sqlite3 *db);
    // MySQL and MariaDB: the clone's thread id on the server, ended by "KILL QUERY" on the
    // connection named Connection (the engine's own, on the user-interface thread).
    void setMysql(const QString &connection, qulonglong threadId);
    // Drops the handles (before the connection closes).
    void clear();
    // Asks the database to stop; remembered, so that the run reports a cancel.
    void cancel();
    bool cancelled() const;
    // An export's stop, apart from the statement's: the rows held may be written after the
    // statement ended, cancelled or not.
    void cancelExport() { FExportCancelled.storeRelaxed(1); }
    void resetExport() { FExportCancelled.storeRelaxed(0); }
    bool exportCancelled() const { return FExportCancelled.loadRelaxed() != 0; }

private:
    mutable QMutex FMutex;
    pg_cancel *FPostgres = nullptr;
    sqlite3 *FSqlite = nullptr;
    QString FMysqlConnection;
    qulonglong FMysqlThread = 0;
    bool FCancelled = false;
    QAtomicInteger<int> FExportCancelled = 0;
};

class SqlRunWorker;

class SqlQueryRun : public TSchemaQueryRun {
    Q_OBJECT
public:
    // What a clone needs before Statement runs on it: an empty text when it may run, else the
    // error the run ends with (nothing runs). Called on the run's thread with the open clone.
    using Prepare = std::function<QString(const QSqlDatabase &Clone)>;

    // Runs Statement on a clone of the connection named Connection; at most RowLimit rows
    // (0 for all), PageSize at a time; Prepare (when set) first.
    SqlQueryRun(const QString &Connection, const QString &Statement, int RowLimit, int PageSize,
        Prepare Prepare = nullptr, QObject *parent = nullptr);
    ~SqlQueryRun() override;

    void FetchMore() override;
    void Cancel() override;
    bool StartExport(const QString &FileName, const QVector<Row> &Held) override;

private:
    void stopWorker();
    // Hands an export to the worker (no page on its way).
    void beginExport();

    std::shared_ptr<SqlCanceller> FCanceller;
    QThread FThread;
    SqlRunWorker *FWorker = nullptr;
    // An export asked for while a page was on its way: it begins when the page arrives.
    bool FExportPending = false;
    QString FExportFile;
    QVector<Row> FExportHeld;
};

// The position (UTF-16 index into Statement) that a PostgreSQL error message points at with
// its "LINE n: ..." and caret lines; -1 when it points at none.
int PostgresErrorPosition(const QString &Message, const QString &Statement);
// The same for a MySQL or MariaDB message, which quotes the statement from the place on and
// names its line.
int MysqlErrorPosition(const QString &Message, const QString &Statement);

} // namespace Diduza
