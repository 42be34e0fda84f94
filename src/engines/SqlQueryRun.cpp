#include "engines/SqlQueryRun_p.h"

#include "engines/TSchemaSqlDataEngine.h"

#include <QAtomicInteger>
#include <QRegularExpression>
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
    QMutexLocker lock(&m_mutex);
    m_postgres = cancel;
}

void SqlCanceller::setSqlite(sqlite3 *db)
{
    QMutexLocker lock(&m_mutex);
    m_sqlite = db;
}

void SqlCanceller::setMysql(const QString &connection, qulonglong threadId)
{
    QMutexLocker lock(&m_mutex);
    m_mysqlConnection = connection;
    m_mysqlThread = threadId;
}

void SqlCanceller::clear()
{
    QMutexLocker lock(&m_mutex);
    m_mysqlConnection.clear();
    m_mysqlThread = 0;
    if (m_postgres)
        PQfreeCancel(m_postgres);
    m_postgres = nullptr;
    m_sqlite = nullptr;
}

void SqlCanceller::cancel()
{
    QMutexLocker lock(&m_mutex);
    m_cancelled = true;
    if (m_postgres) {
        char error[256];
        PQcancel(m_postgres, error, int(sizeof error));
    }
    if (m_sqlite)
        sqlite3_interrupt(m_sqlite);
    if (m_mysqlThread != 0) {
        const QSqlDatabase db = QSqlDatabase::database(m_mysqlConnection, false);
        if (db.isOpen())
            QSqlQuery(db).exec(QStringLiteral("KILL QUERY %1").arg(m_mysqlThread));
    }
}

bool SqlCanceller::cancelled() const
{
    QMutexLocker lock(&m_mutex);
    return m_cancelled;
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
        int rowLimit, int pageSize)
        : m_canceller(std::move(canceller))
        , m_connection(std::move(connection))
        , m_statement(std::move(statement))
        , m_rowLimit(rowLimit)
        , m_pageSize(qMax(1, pageSize))
    {
    }

public slots:
    void start()
    {
        static QAtomicInteger<quint64> serial;
        m_clone = QStringLiteral("diduza-run-%1").arg(++serial);
        {
            QSqlDatabase db = QSqlDatabase::cloneDatabase(m_connection, m_clone);
            if (!db.open()) {
                fail(SqlErrorText(db.lastError()));
                return;
            }
            const QVariant handle = db.driver()->handle();
            // Qt names the types as its driver declares them: "PGconn*" or "pg_conn*".
            if (handle.isValid()
                && (qstrcmp(handle.typeName(), "PGconn*") == 0
                    || qstrcmp(handle.typeName(), "pg_conn*") == 0)) {
                if (PGconn *conn = *static_cast<PGconn *const *>(handle.data()))
                    m_canceller->setPostgres(PQgetCancel(conn));
            } else if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
                m_canceller->setSqlite(*static_cast<sqlite3 *const *>(handle.data()));
            } else if (db.driver()->dbmsType() == QSqlDriver::MySqlServer) {
                QSqlQuery id(db);
                if (id.exec(QStringLiteral("SELECT CONNECTION_ID()")) && id.next())
                    m_canceller->setMysql(m_connection, id.value(0).toULongLong());
            }
            if (m_canceller->cancelled()) {
                fail(QString());
                return;
            }
            m_query = std::make_unique<QSqlQuery>(db);
        }
        m_query->setForwardOnly(true);
        if (!m_query->exec(m_statement)) {
            fail(SqlErrorText(m_query->lastError()));
            return;
        }
        QStringList names;
        const QSqlRecord record = m_query->record();
        for (int c = 0; c < record.count(); ++c)
            names << record.fieldName(c);
        emit columns(names);
        fetch();
    }

    void fetch()
    {
        if (!m_query)
            return;
        QVector<TSchemaQueryRun::Row> page;
        const int columns = m_query->record().count();
        bool last = false;
        while (page.size() < m_pageSize) {
            if (m_rowLimit > 0 && m_fetched >= m_rowLimit) {
                last = true;
                break;
            }
            if (!m_query->next()) {
                last = true;
                break;
            }
            TSchemaQueryRun::Row row;
            row.reserve(columns);
            for (int c = 0; c < columns; ++c)
                row.append(m_query->value(c));
            page.append(std::move(row));
            ++m_fetched;
        }
        if (last && m_query->lastError().isValid()) {
            fail(SqlErrorText(m_query->lastError()));
            return;
        }
        emit rows(page, last);
        if (last)
            finish(QString(), -1);
    }

    // A cancel between pages: nothing runs on the database, the run just ends.
    void abort()
    {
        if (m_query || !m_clone.isEmpty())
            finish(QString(), -1);
    }

    // Ends the run on this thread: the query and the clone go here.
    void stop()
    {
        m_canceller->clear();
        m_query.reset();
        if (!m_clone.isEmpty()) {
            QSqlDatabase::database(m_clone, false).close();
            QSqlDatabase::removeDatabase(m_clone);
            m_clone.clear();
        }
    }

signals:
    void columns(const QStringList &names);
    void rows(const QVector<Diduza::TSchemaQueryRun::Row> &page, bool last);
    void finished(const QString &error, int position, bool cancelled);

private:
    void fail(const QString &error)
    {
        const bool cancelled = m_canceller->cancelled();
        finish(cancelled ? QString() : error, cancelled ? -1 : errorPosition(error));
    }

    // Where the database's message points in the statement (PostgreSQL's caret line, MySQL's
    // "near '...' at line n"); -1 when it names no place.
    int errorPosition(const QString &error) const
    {
        const int position = PostgresErrorPosition(error, m_statement);
        return position >= 0 ? position : MysqlErrorPosition(error, m_statement);
    }

    void finish(const QString &error, int position)
    {
        const bool cancelled = m_canceller->cancelled();
        stop();
        emit finished(error, position, cancelled);
    }

    std::shared_ptr<SqlCanceller> m_canceller;
    QString m_connection;
    QString m_statement;
    int m_rowLimit;
    int m_pageSize;
    QString m_clone;
    std::unique_ptr<QSqlQuery> m_query;
    int m_fetched = 0;
};

SqlQueryRun::SqlQueryRun(const QString &Connection, const QString &Statement, int RowLimit,
    int PageSize, QObject *parent)
    : TSchemaQueryRun(parent)
    , m_canceller(std::make_shared<SqlCanceller>())
{
    m_thread.setObjectName(QStringLiteral("diduza-sql-run"));
    m_worker = new SqlRunWorker(m_canceller, Connection, Statement, RowLimit, PageSize);
    m_worker->moveToThread(&m_thread);
    connect(m_worker, &SqlRunWorker::columns, this, [this](const QStringList &names) {
        setColumnNames(names);
        emit Columns(names);
    });
    connect(m_worker, &SqlRunWorker::rows, this,
        [this](const QVector<TSchemaQueryRun::Row> &page, bool last) {
            setFetching(false);
            emit RowsArrived(page, last);
        });
    connect(m_worker, &SqlRunWorker::finished, this,
        [this](const QString &error, int position, bool cancelled) {
            setFetching(false);
            setFinished();
            emit Finished(error, position, cancelled);
        });
    m_thread.start();
    setFetching(true);
    QMetaObject::invokeMethod(m_worker, &SqlRunWorker::start, Qt::QueuedConnection);
}

SqlQueryRun::~SqlQueryRun()
{
    if (!IsFinished())
        m_canceller->cancel();
    stopWorker();
}

void SqlQueryRun::stopWorker()
{
    if (!m_worker)
        return;
    // The worker's queue runs what is left (a cancelled statement returns at once), then
    // the clone closes on its own thread.
    QMetaObject::invokeMethod(m_worker, &SqlRunWorker::stop, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
    m_worker = nullptr;
}

void SqlQueryRun::FetchMore()
{
    if (IsFinished() || IsFetching() || !m_worker)
        return;
    setFetching(true);
    QMetaObject::invokeMethod(m_worker, &SqlRunWorker::fetch, Qt::QueuedConnection);
}

void SqlQueryRun::Cancel()
{
    if (IsFinished() || !m_worker)
        return;
    m_canceller->cancel();
    QMetaObject::invokeMethod(m_worker, &SqlRunWorker::abort, Qt::QueuedConnection);
}

} // namespace Diduza

#include "SqlQueryRun.moc"
