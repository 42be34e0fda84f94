#include "engines/SqlQueryRun_p.h"

#include "engines/CsvWriter.h"
#include "engines/TSchemaSqlDataEngine.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <libpq-fe.h>
#include <sqlite3.h>

namespace Diduza {

void SqlCanceller::setPostgres(pg_cancel *cancel)
{
    QMutexLocker lock(&FMutex);
    FPostgres = cancel;
}

void SqlCanceller::setSqlite(sqlite3 *db)
{
    QMutexLocker lock(&FMutex);
    FSqlite = db;
}

void SqlCanceller::setMysql(const QString &connection, qulonglong threadId)
{
    QMutexLocker lock(&FMutex);
    FMysqlConnection = connection;
    FMysqlThread = threadId;
}

void SqlCanceller::clear()
{
    QMutexLocker lock(&FMutex);
    FMysqlConnection.clear();
    FMysqlThread = 0;
    if (FPostgres)
        PQfreeCancel(FPostgres);
    FPostgres = nullptr;
    FSqlite = nullptr;
}

void SqlCanceller::cancel()
{
    QMutexLocker lock(&FMutex);
    FCancelled = true;
    if (FPostgres) {
        char error[256];
        PQcancel(FPostgres, error, int(sizeof error));
    }
    if (FSqlite)
        sqlite3_interrupt(FSqlite);
    if (FMysqlThread != 0) {
        const QSqlDatabase db = QSqlDatabase::database(FMysqlConnection, false);
        if (db.isOpen())
            QSqlQuery(db).exec(QStringLiteral("KILL QUERY %1").arg(FMysqlThread));
    }
}

bool SqlCanceller::cancelled() const
{
    QMutexLocker lock(&FMutex);
    return FCancelled;
}

int MysqlErrorPosition(const QString &Message, const QString &Statement)
{
    // MySQL and MariaDB quote the statement from the place on (its first 80 characters or so)
    // and name the line: "... to use near 'FROM tabel' at line 2".
    static const QRegularExpression near(QStringLiteral("near '(.*)' at line (\\d+)\\s*$"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = near.match(Message);
    if (!m.hasMatch())
        return -1;
    const QString rest = m.captured(1);
    const int lineNo = m.captured(2).toInt();
    qsizetype lineStart = 0;
    for (int n = 1; n < lineNo; ++n) {
        const qsizetype lf = Statement.indexOf(QLatin1Char('\n'), lineStart);
        if (lf < 0)
            return -1;
        lineStart = lf + 1;
    }
    if (rest.isEmpty()) // the statement ended too soon
        return int(Statement.trimmed().isEmpty() ? 0 : Statement.size());
    const qsizetype at = Statement.indexOf(rest, lineStart);
    return at < 0 ? -1 : int(at);
}

int PostgresErrorPosition(const QString &Message, const QString &Statement)
{
    // libpq shows the line and a caret under the place: "LINE 2: FROM tabel\n         ^",
    // the line cut to about 60 characters around the place ("..." where cut).
    static const QRegularExpression pointer(QStringLiteral("LINE (\\d+): ([^\\n]*)\\n( *)\\^"));
    const QRegularExpressionMatch m = pointer.match(Message);
    if (!m.hasMatch())
        return -1;
    const int lineNo = m.captured(1).toInt();
    QString shown = m.captured(2);
    int caret = int(m.captured(3).size()) - int(QStringLiteral("LINE %1: ").arg(lineNo).size());
    qsizetype lineStart = 0;
    for (int n = 1; n < lineNo; ++n) {
        const qsizetype lf = Statement.indexOf(QLatin1Char('\n'), lineStart);
        if (lf < 0)
            return -1;
        lineStart = lf + 1;
    }
    qsizetype lineEnd = Statement.indexOf(QLatin1Char('\n'), lineStart);
    const QString line = Statement.mid(lineStart, lineEnd < 0 ? -1 : lineEnd - lineStart);
    int offset = 0;
    if (shown.startsWith(QLatin1String("..."))) {
        shown = shown.mid(3);
        caret -= 3;
        if (shown.endsWith(QLatin1String("...")))
            shown.chop(3);
        offset = int(line.indexOf(shown));
        if (offset < 0)
            return -1;
    }
    if (caret < 0 || offset + caret > line.size())
        return -1;
    return int(lineStart) + offset + caret;
}

// Lives on the run's thread: owns the clone of the connection and the query.
class SqlRunWorker : public QObject {
    Q_OBJECT
public:
    SqlRunWorker(std::shared_ptr<SqlCanceller> canceller, QString connection, QString statement,
        int rowLimit, int pageSize, SqlQueryRun::Prepare prepare)
        : FCanceller(std::move(canceller))
        , FConnection(std::move(connection))
        , FStatement(std::move(statement))
        , FPrepare(std::move(prepare))
        , FRowLimit(rowLimit)
        , FPageSize(qMax(1, pageSize))
    {
    }

public slots:
    void start()
    {
        static QAtomicInteger<quint64> serial;
        FClone = QStringLiteral("diduza-run-%1").arg(++serial);
        // Every way out of this block leaves no handle of the clone behind, so that the run
        // can remove it: a failure is reported after the block.
        QString error;
        {
            QSqlDatabase db = QSqlDatabase::cloneDatabase(FConnection, FClone);
            if (!db.open()) {
                error = SqlErrorText(db.lastError());
            } else {
                const QVariant handle = db.driver()->handle();
                // Qt names the types as its driver declares them: "PGconn*" or "pg_conn*".
                if (handle.isValid()
                    && (qstrcmp(handle.typeName(), "PGconn*") == 0
                        || qstrcmp(handle.typeName(), "pg_conn*") == 0)) {
                    if (PGconn *conn = *static_cast<PGconn *const *>(handle.data()))
                        FCanceller->setPostgres(PQgetCancel(conn));
                } else if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
                    FCanceller->setSqlite(*static_cast<sqlite3 *const *>(handle.data()));
                } else if (db.driver()->dbmsType() == QSqlDriver::MySqlServer) {
                    QSqlQuery id(db);
                    if (id.exec(QStringLiteral("SELECT CONNECTION_ID()")) && id.next())
                        FCanceller->setMysql(FConnection, id.value(0).toULongLong());
                }
                if (FPrepare && !FCanceller->cancelled())
                    error = FPrepare(db);
                if (error.isEmpty() && !FCanceller->cancelled())
                    FQuery = std::make_unique<QSqlQuery>(db);
            }
        }
        if (!FQuery) {
            fail(error);
            return;
        }
        FQuery->setForwardOnly(true);
        if (!FQuery->exec(FStatement)) {
            fail(SqlErrorText(FQuery->lastError()));
            return;
        }
        QStringList names;
        const QSqlRecord record = FQuery->record();
        for (int c = 0; c < record.count(); ++c)
            names << record.fieldName(c);
        emit columns(names);
        fetch();
    }

    void fetch()
    {
        if (!FQuery)
            return;
        QVector<TSchemaQueryRun::Row> page;
        const int columns = FQuery->record().count();
        bool last = false;
        while (page.size() < FPageSize) {
            if (FRowLimit > 0 && FFetched >= FRowLimit) {
                last = true;
                break;
            }
            if (!FQuery->next()) {
                last = true;
                break;
            }
            TSchemaQueryRun::Row row;
            row.reserve(columns);
            for (int c = 0; c < columns; ++c)
                row.append(FQuery->value(c));
            page.append(std::move(row));
            ++FFetched;
        }
        if (last && FQuery->lastError().isValid()) {
            fail(SqlErrorText(FQuery->lastError()));
            return;
        }
        emit rows(page, last);
        if (last)
            finish(QString(), -1);
    }

    // Writes Names, Held and the rows not given yet to FileName; when the statement was still
    // open, the run is over after it.
    void exportCsv(const QString &fileName, const QStringList &names,
        const QVector<Diduza::TSchemaQueryRun::Row> &held)
    {
        const bool open = FQuery != nullptr;
        QString error, databaseError;
        qint64 written = 0;
        QSaveFile file(fileName);
        if (!file.open(QIODevice::WriteOnly)) {
            error = fileError(fileName, file.errorString());
        } else {
            TCsvWriter csv(&file);
            csv.WriteRecord(names);
            QElapsedTimer told;
            told.start();
            // After each row: whether to go on; now and then the count goes to the user.
            const auto next = [&] {
                if ((++written & 1023) != 0)
                    return true;
                if (FCanceller->exportCancelled() || csv.Failed())
                    return false;
                if (told.elapsed() >= 100) {
                    emit exportProgress(written);
                    told.restart();
                }
                return true;
            };
            bool going = true;
            for (qsizetype i = 0; going && i < held.size(); ++i) {
                csv.WriteRow(held.at(i));
                going = next();
            }
            if (open) {
                const int columns = FQuery->record().count();
                while (going && !(FRowLimit > 0 && FFetched >= FRowLimit) && FQuery->next()) {
                    for (int c = 0; c < columns; ++c)
                        csv.WriteField(FQuery->value(c));
                    csv.EndRecord();
                    ++FFetched;
                    going = next();
                }
                if (going && FQuery->lastError().isValid())
                    databaseError = SqlErrorText(FQuery->lastError());
            }
            if (!FCanceller->exportCancelled() && databaseError.isEmpty()
                && (!csv.Flush() || !file.commit()))
                error = fileError(fileName, file.errorString());
            // Otherwise the file goes as it was: QSaveFile writes nothing without commit.
        }
        const bool cancelled = FCanceller->exportCancelled();
        if (error.isEmpty())
            error = databaseError;
        emit exportFinished(cancelled ? QString() : error, written, cancelled);
        if (open)
            finish(cancelled ? QString() : databaseError, -1);
    }

    // A cancel between pages: nothing runs on the database, the run just ends.
    void abort()
    {
        if (FQuery || !FClone.isEmpty())
            finish(QString(), -1);
    }

    // Ends the run on this thread: the query and the clone go here.
    void stop()
    {
        FCanceller->clear();
        FQuery.reset();
        if (!FClone.isEmpty()) {
            QSqlDatabase::database(FClone, false).close();
            QSqlDatabase::removeDatabase(FClone);
            FClone.clear();
        }
    }

signals:
    void columns(const QStringList &names);
    void rows(const QVector<Diduza::TSchemaQueryRun::Row> &page, bool last);
    void finished(const QString &error, int position, bool cancelled);
    void exportProgress(qint64 rows);
    void exportFinished(const QString &error, qint64 rows, bool cancelled);

private:
    static QString fileError(const QString &fileName, const QString &reason)
    {
        return QCoreApplication::translate(
            "Diduza::TfrmZkSQLBuilder", "The results could not be saved to %1: %2")
            .arg(fileName, reason);
    }

    void fail(const QString &error)
    {
        const bool cancelled = FCanceller->cancelled();
        finish(cancelled ? QString() : error, cancelled ? -1 : errorPosition(error));
    }

    // Where the database's message points in the statement (PostgreSQL's caret line, MySQL's
    // "near '...' at line n"); -1 when it names no place.
    int errorPosition(const QString &error) const
    {
        const int position = PostgresErrorPosition(error, FStatement);
        return position >= 0 ? position : MysqlErrorPosition(error, FStatement);
    }

    void finish(const QString &error, int position)
    {
        const bool cancelled = FCanceller->cancelled();
        stop();
        emit finished(error, position, cancelled);
    }

    std::shared_ptr<SqlCanceller> FCanceller;
    QString FConnection;
    QString FStatement;
    SqlQueryRun::Prepare FPrepare;
    int FRowLimit;
    int FPageSize;
    QString FClone;
    std::unique_ptr<QSqlQuery> FQuery;
    int FFetched = 0;
};

SqlQueryRun::SqlQueryRun(const QString &Connection, const QString &Statement, int RowLimit,
    int PageSize, Prepare Prepare, QObject *parent)
    : TSchemaQueryRun(parent)
    , FCanceller(std::make_shared<SqlCanceller>())
{
    FThread.setObjectName(QStringLiteral("diduza-sql-run"));
    FWorker = new SqlRunWorker(
        FCanceller, Connection, Statement, RowLimit, PageSize, std::move(Prepare));
    FWorker->moveToThread(&FThread);
    connect(FWorker, &SqlRunWorker::columns, this, [this](const QStringList &names) {
        setColumnNames(names);
        emit Columns(names);
    });
    connect(FWorker, &SqlRunWorker::rows, this,
        [this](const QVector<TSchemaQueryRun::Row> &page, bool last) {
            setFetching(false);
            emit RowsArrived(page, last);
            if (FExportPending) {
                FExportHeld += page;
                beginExport();
            }
        });
    connect(FWorker, &SqlRunWorker::finished, this,
        [this](const QString &error, int position, bool cancelled) {
            setFetching(false);
            SetFinished();
            if (FExportPending) {
                // The statement ended before its rows came: there is nothing to write.
                FExportPending = false;
                FExportHeld.clear();
                setExporting(false);
                QString why = error;
                if (cancelled)
                    why.clear();
                else if (why.isEmpty())
                    why = QCoreApplication::translate(
                        "Diduza::TfrmZkSQLBuilder", "There are no results to save.");
                emit ExportFinished(why, 0, cancelled);
            }
            emit Finished(error, position, cancelled);
        });
    connect(FWorker, &SqlRunWorker::exportProgress, this, &TSchemaQueryRun::ExportProgress);
    connect(FWorker, &SqlRunWorker::exportFinished, this,
        [this](const QString &error, qint64 rows, bool cancelled) {
            setExporting(false);
            emit ExportFinished(error, rows, cancelled);
        });
    FThread.start();
    setFetching(true);
    QMetaObject::invokeMethod(FWorker, &SqlRunWorker::start, Qt::QueuedConnection);
}

SqlQueryRun::~SqlQueryRun()
{
    FCanceller->cancelExport();
    if (!IsFinished())
        FCanceller->cancel();
    stopWorker();
}

void SqlQueryRun::stopWorker()
{
    if (!FWorker)
        return;
    // The worker's queue runs what is left (a cancelled statement returns at once), then
    // the clone closes on its own thread.
    QMetaObject::invokeMethod(FWorker, &SqlRunWorker::stop, Qt::BlockingQueuedConnection);
    FThread.quit();
    FThread.wait();
    delete FWorker;
    FWorker = nullptr;
}

void SqlQueryRun::FetchMore()
{
    if (IsFinished() || IsFetching() || IsExporting() || !FWorker)
        return;
    setFetching(true);
    QMetaObject::invokeMethod(FWorker, &SqlRunWorker::fetch, Qt::QueuedConnection);
}

void SqlQueryRun::Cancel()
{
    // An export stops, and with it the statement when it still runs.
    if (IsExporting())
        FCanceller->cancelExport();
    if (IsFinished() || !FWorker)
        return;
    FCanceller->cancel();
    QMetaObject::invokeMethod(FWorker, &SqlRunWorker::abort, Qt::QueuedConnection);
}

bool SqlQueryRun::StartExport(const QString &FileName, const QVector<Row> &Held)
{
    if (IsExporting() || !FWorker || (IsFinished() && ColumnNames().isEmpty()))
        return false;
    FCanceller->resetExport();
    setExporting(true);
    FExportFile = FileName;
    FExportHeld = Held;
    if (IsFetching())
        FExportPending = true; // the page on its way comes first
    else
        beginExport();
    return true;
}

void SqlQueryRun::beginExport()
{
    FExportPending = false;
    if (FCanceller->exportCancelled()) {
        FExportHeld.clear();
        setExporting(false);
        emit ExportFinished(QString(), 0, true);
        return;
    }
    SqlRunWorker *worker = FWorker;
    QMetaObject::invokeMethod(
        worker,
        [worker, file = FExportFile, names = ColumnNames(), held = std::move(FExportHeld)] {
            worker->exportCsv(file, names, held);
        },
        Qt::QueuedConnection);
    FExportHeld = QVector<Row>();
}

} // namespace Diduza

#include "SqlQueryRun.moc"
