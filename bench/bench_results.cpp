// The builder's results page on a large table: a million rows of 8 columns on SQLite (a
// temporary file) and on PostgreSQL (the server DIDUZA_PG_* names, else a throw-away one that
// scripts/pg-start starts in a temporary folder). Each measure runs in a fresh child process
// (this program started again); times are medians of 7 runs (3 for the 5-second ones). On a
// busy machine the first rows vary by a few ms between runs; the breakdown printed below them
// (Execute, the columns, the first page) shows which part moved.
//
// - first rows: from Execute (background execution on) until the results grid has painted
//   rows, beside a bare QSqlQuery + QSqlQueryModel + QTableView of the same size showing the
//   same statement;
// - memory: the peak resident size while the first page comes, above the form's idle size;
// - the event loop: the longest pause of a 5 ms timer from Execute to the end of a statement
//   of about 5 seconds (pg_sleep(5), a recursive count on SQLite timed for 5 s);
// - Cancel: from the button's click to the end of a running pg_sleep, then whether the
//   statement still runs on the server and whether the connection still runs statements;
// - Save as CSV of the whole result once its first page shows: the time, beside a bare
//   forward-only QSqlQuery loop writing the same file; the peak resident size above the
//   form's size before it; the event loop's longest pause meanwhile, beside that of an idle
//   loop with a busy thread for as long (what a loaded machine adds). Both files must be the
//   same.
//
// Lines ending with "goal: <name> <measured> <limit> ok|over" close the output.
//
// Usage: bench_results [--runs N | --smoke]   (N runs instead of 7; --smoke: one run of each
// measure on 10,000 rows with statements of a fraction of a second, no goals and no server of
// its own, as CI runs it)
// Children: --first form|bare sqlite|pg FILE [W H], --loop sqlite|pg FILE, --cancel,
// --export form|bare sqlite|pg FILE OUT; for
// profiling one by hand, DIDUZA_BENCH_REPEAT=N runs the first rows N times more.
// Its goals are for a Release build with DIDUZA_BUILD_BENCH=ON; CI only runs --smoke.

#include "engines/TSchemaQueryRun.h"
#include "engines/TSchemaRunModel.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "querybuilder/TfrmZkSQLBuilder.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>

using namespace Diduza;

namespace {

const QString Table = QStringLiteral("diduza_bench_rows");
const QString Statement = QStringLiteral("SELECT * FROM diduza_bench_rows");
constexpr int TableRows = 1000000;
constexpr int SmokeRows = 10000;
const QSize FormSize(1000, 700);

// The smoke run, told to the children through the environment.
bool smokeRun()
{
    return qEnvironmentVariableIsSet("DIDUZA_BENCH_SMOKE");
}

void settle()
{
    for (int k = 0; k < 4; ++k) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// Runs the event loop until done() or ms have passed; false on the timeout. The loop sleeps
// between events, as an application's does (a loop that polls would take a core from the run).
bool waitUntil(const std::function<bool()> &done, int ms)
{
    bool late = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [&] { late = true; });
    deadline.start(ms);
    while (!done()) {
        if (late)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

qint64 statusKiB(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

// The resident size now; the peak starts again from it.
qint64 idleKiB()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5"); // resets VmHWM
    return statusKiB("VmRSS:");
}

bool openConnection(const QString &kind, const QString &file)
{
    QSqlDatabase db;
    if (kind == QLatin1String("pg")) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"));
        db.setHostName(qEnvironmentVariable("DIDUZA_PG_HOST"));
        db.setPort(qEnvironmentVariableIntValue("DIDUZA_PG_PORT"));
        db.setDatabaseName(qEnvironmentVariable("DIDUZA_PG_DB"));
        db.setUserName(qEnvironmentVariable("DIDUZA_PG_USER"));
        db.setPassword(qEnvironmentVariable("DIDUZA_PG_PASSWORD"));
    } else {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        db.setDatabaseName(file);
    }
    if (!db.open()) {
        std::fprintf(
            stderr, "cannot open %s: %s\n", qPrintable(kind), qPrintable(db.lastError().text()));
        return false;
    }
    return true;
}

// Notes the first paint of a view's viewport that shows rows.
class PaintWatch : public QObject {
public:
    PaintWatch(QAbstractItemView *view)
        : m_view(view)
    {
        view->viewport()->installEventFilter(this);
    }
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_view->model() && m_view->model()->rowCount() > 0)
            painted = true;
        return false;
    }

private:
    QAbstractItemView *m_view;
};

// A builder form on the default connection, shown, background execution on.
struct Form {
    TSchemaSqlDataEngine engine;
    TfrmZkSQLBuilder form;
    Form()
    {
        form.SetDataEngine(&engine);
        form.SetBackgroundExecution(true);
        form.resize(FormSize);
        form.show();
        settle();
    }
    TSchemaQueryRun *run() const
    {
        auto *model = qobject_cast<TSchemaRunModel *>(form.ResultModel());
        return model ? model->Run() : nullptr;
    }
    // Runs sql as the user would: the statement on the SQL page, then Execute.
    void execute(const QString &sql)
    {
        form.SetSQLText(sql);
        form.btnExecSQL->click();
    }
};

int childFirstForm(const QString &kind, const QString &file)
{
    if (!openConnection(kind, file))
        return 1;
    Form f;
    PaintWatch watch(f.form.DBGrid1);
    settle();
    const qint64 idle = idleKiB();
    QElapsedTimer t;
    t.start();
    f.execute(Statement);
    // Where the time goes: Execute itself, the statement's columns, the first page shown in
    // the model and sized (the form's own handlers run before this one), the paint.
    const double sync = t.nsecsElapsed() / 1e6;
    double columns = 0, page = 0;
    if (TSchemaQueryRun *run = f.run()) {
        QObject::connect(run, &TSchemaQueryRun::Columns, [&] { columns = t.nsecsElapsed() / 1e6; });
        QObject::connect(run, &TSchemaQueryRun::RowsArrived, [&] {
            if (page == 0)
                page = t.nsecsElapsed() / 1e6;
        });
    }
    if (!waitUntil([&] { return watch.painted; }, 120000))
        return 1;
    const double ms = t.nsecsElapsed() / 1e6;
    const qint64 peak = statusKiB("VmHWM:");
    // DIDUZA_BENCH_REPEAT=N: N more runs from the columns page, for profiling by hand.
    for (int k = qEnvironmentVariableIntValue("DIDUZA_BENCH_REPEAT"); k > 0; --k) {
        f.form.pcSQL->setCurrentWidget(f.form.tsColumns);
        settle();
        watch.painted = false;
        f.execute(Statement);
        waitUntil([&] { return watch.painted; }, 120000);
    }
    std::printf("first %.3f rise %.3f idle %.3f rows %d width %d height %d execute %.3f "
                "columns %.3f page %.3f\n",
        ms, (peak - idle) / 1024.0, idle / 1024.0, f.form.ResultModel()->rowCount(),
        f.form.DBGrid1->width(), f.form.DBGrid1->height(), sync, columns, page);
    return 0;
}

int childFirstBare(const QString &kind, const QString &file, const QSize &size)
{
    if (!openConnection(kind, file))
        return 1;
    QTableView view;
    view.resize(size);
    view.show();
    PaintWatch watch(&view);
    QSqlQueryModel model;
    settle();
    const qint64 idle = idleKiB();
    QElapsedTimer t;
    t.start();
    QSqlQuery query;
    if (!query.exec(Statement))
        return 1;
    model.setQuery(std::move(query));
    view.setModel(&model);
    if (!waitUntil([&] { return watch.painted; }, 120000))
        return 1;
    const double ms = t.nsecsElapsed() / 1e6;
    const qint64 peak = statusKiB("VmHWM:");
    for (int k = qEnvironmentVariableIntValue("DIDUZA_BENCH_REPEAT"); k > 0; --k) {
        view.setModel(nullptr);
        settle();
        watch.painted = false;
        QSqlQuery again;
        again.exec(Statement);
        model.setQuery(std::move(again));
        view.setModel(&model);
        waitUntil([&] { return watch.painted; }, 120000);
    }
    std::printf("first %.3f rise %.3f idle %.3f rows %d\n", ms, (peak - idle) / 1024.0,
        idle / 1024.0, model.rowCount());
    return 0;
}

// A recursive count on SQLite that takes about ms milliseconds here.
QString slowSqlite(const QString &file, int ms)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("time"));
    db.setDatabaseName(file);
    db.open();
    const auto statement = [](qint64 n) {
        return QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                              "WHERE x < %1) SELECT COUNT(*) FROM c")
            .arg(n);
    };
    constexpr qint64 probe = 2000000;
    QSqlQuery q(db);
    QElapsedTimer t;
    t.start();
    q.exec(statement(probe));
    q.next();
    const double took = std::max<qint64>(1, t.elapsed());
    return statement(qint64(probe * ms / took));
}

// The longest pause of the event loop from Execute to the end of a statement of about 5 s,
// and when it ended.
int childLoop(const QString &kind, const QString &file)
{
    if (!openConnection(kind, file))
        return 1;
    const int statementMs = smokeRun() ? 300 : 5000;
    const QString sql = kind == QLatin1String("pg")
        ? QStringLiteral("SELECT pg_sleep(%1)").arg(statementMs / 1000.0)
        : slowSqlite(file, statementMs);
    Form f;
    QElapsedTimer t;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(5);
    qint64 last = 0, gap = 0, at = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = t.nsecsElapsed();
        if (now - last > gap) {
            gap = now - last;
            at = now;
        }
        last = now;
    });
    bool finished = false;
    QString error;
    QTimer::singleShot(0, &f.form, [&] {
        f.execute(sql);
        if (TSchemaQueryRun *run = f.run())
            QObject::connect(run, &TSchemaQueryRun::Finished, [&](const QString &e) {
                error = e;
                finished = true;
            });
        else
            finished = true;
    });
    t.start();
    ticker.start();
    waitUntil([&] { return finished; }, 60000);
    const double ms = t.nsecsElapsed() / 1e6;
    settle();
    if (!error.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(error));
    std::printf("gap %.3f at %.3f statement %.3f ok %d\n", gap / 1e6, at / 1e6, ms,
        finished && error.isEmpty());
    return 0;
}

int activeSleeps()
{
    QSqlQuery q;
    q.exec(
        QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE query = 'SELECT pg_sleep(30)' "
                       "AND state = 'active'"));
    return q.next() ? q.value(0).toInt() : -1;
}

// Cancel on a running pg_sleep: its time, what is left on the server, whether the form and
// the engine's connection run statements after it.
int childCancel()
{
    if (!openConnection(QStringLiteral("pg"), QString()))
        return 1;
    Form f;
    f.execute(QStringLiteral("SELECT pg_sleep(30)"));
    TSchemaQueryRun *run = f.run();
    bool finished = false, cancelled = false;
    if (run)
        QObject::connect(run, &TSchemaQueryRun::Finished, [&](const QString &, int, bool c) {
            finished = true;
            cancelled = c;
        });
    waitUntil([] { return false; }, 1000);
    const int before = activeSleeps();
    QElapsedTimer t;
    t.start();
    f.form.btnCancelRun->click();
    waitUntil([&] { return finished; }, 30000);
    const double ms = t.nsecsElapsed() / 1e6;
    settle();
    const bool said = f.form.lblResultStatus->text().startsWith(QLatin1String("Cancelled"));
    const int left = activeSleeps();
    QSqlQuery one;
    const bool engineOk = one.exec(QStringLiteral("SELECT 1")) && one.next();
    f.execute(QStringLiteral("SELECT 1"));
    const bool formOk = waitUntil(
        [&] { return f.form.ResultModel() && f.form.ResultModel()->rowCount() == 1; }, 10000);
    std::printf("cancel %.3f cancelled %d said %d before %d left %d usable %d\n", ms,
        cancelled ? 1 : 0, said ? 1 : 0, before, left, engineOk && formOk ? 1 : 0);
    return 0;
}

// The longest pause of an idle event loop while a thread of the process keeps a core busy, for
// ms milliseconds: how long this machine keeps a loop waiting when nothing in it is slow.
double idleLoopGap(int ms)
{
    std::atomic<bool> stop { false };
    std::unique_ptr<QThread> busy(QThread::create([&stop] {
        volatile quint64 n = 0;
        while (!stop.load(std::memory_order_relaxed))
            n = n + 1;
    }));
    busy->start();
    QElapsedTimer t;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(5);
    qint64 last = 0, gap = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = t.nsecsElapsed();
        gap = std::max(gap, now - last);
        last = now;
    });
    t.start();
    ticker.start();
    waitUntil([] { return false; }, ms);
    stop = true;
    busy->wait();
    return gap / 1e6;
}

// Save as CSV on the form, once the first page shows.
int childExportForm(const QString &kind, const QString &file, const QString &out)
{
    if (!openConnection(kind, file))
        return 1;
    Form f;
    f.execute(Statement);
    if (!waitUntil(
            [&] {
                return f.form.ResultModel() && f.form.ResultModel()->rowCount() > 0
                    && !f.form.IsRunning();
            },
            120000))
        return 1;
    settle();
    const qint64 idle = idleKiB();
    QElapsedTimer t;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(5);
    qint64 last = 0, gap = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = t.nsecsElapsed();
        gap = std::max(gap, now - last);
        last = now;
    });
    t.start();
    ticker.start();
    QString error;
    if (!f.form.StartSavingResultsCsv(out, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    if (!waitUntil([&] { return !f.form.IsSavingResults(); }, 600000))
        return 1;
    const double ms = t.nsecsElapsed() / 1e6;
    gap = std::max(gap, t.nsecsElapsed() - last);
    const qint64 peak = statusKiB("VmHWM:");
    const double floor = idleLoopGap(int(std::min(ms, 10000.0)));
    std::printf("export %.3f rise %.3f gap %.3f floor %.3f shown %d\n", ms, (peak - idle) / 1024.0,
        gap / 1e6, floor, f.form.ResultModel()->rowCount());
    return 0;
}

// The same file from the driver alone: a forward-only query, its values as text, quoted as
// RFC 4180 asks, in blocks.
int childExportBare(const QString &kind, const QString &file, const QString &out)
{
    if (!openConnection(kind, file))
        return 1;
    settle();
    const qint64 idle = idleKiB();
    QElapsedTimer t;
    t.start();
    QSqlQuery query;
    query.setForwardOnly(true);
    if (!query.exec(Statement))
        return 1;
    QFile csv(out);
    if (!csv.open(QIODevice::WriteOnly))
        return 1;
    QString text;
    const auto field = [&text](const QString &value, bool first) {
        if (!first)
            text += QLatin1Char(',');
        if (value.contains(QLatin1Char('"')) || value.contains(QLatin1Char(','))
            || value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))) {
            text += QLatin1Char('"')
                + QString(value).replace(QLatin1Char('"'), QLatin1String("\"\""))
                + QLatin1Char('"');
        } else {
            text += value;
        }
    };
    const QSqlRecord record = query.record();
    const int columns = record.count();
    for (int c = 0; c < columns; ++c)
        field(record.fieldName(c), c == 0);
    text += QLatin1String("\r\n");
    while (query.next()) {
        for (int c = 0; c < columns; ++c) {
            const QVariant value = query.value(c);
            field(value.isNull() ? QString() : value.toString(), c == 0);
        }
        text += QLatin1String("\r\n");
        if (text.size() >= 64 * 1024) {
            csv.write(text.toUtf8());
            text.resize(0);
        }
    }
    csv.write(text.toUtf8());
    csv.close();
    const double ms = t.nsecsElapsed() / 1e6;
    const qint64 peak = statusKiB("VmHWM:");
    std::printf("export %.3f rise %.3f\n", ms, (peak - idle) / 1024.0);
    return 0;
}

QByteArray fileHash(const QString &name)
{
    QFile f(name);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!f.open(QIODevice::ReadOnly) || !hash.addData(&f))
        return QByteArray();
    return hash.result();
}

// --- the parent -------------------------------------------------------------------------------

int failedChildren = 0;

QMap<QString, double> child(const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), args);
    p.waitForFinished(-1);
    QMap<QString, double> values;
    const QList<QByteArray> words = p.readAllStandardOutput().simplified().split(' ');
    for (int i = 0; i + 1 < words.size(); i += 2)
        values.insert(QString::fromLatin1(words[i]), words[i + 1].toDouble());
    if (p.exitCode() != 0 || values.isEmpty()) {
        std::fprintf(stderr, "child %s failed\n", qPrintable(args.join(QLatin1Char(' '))));
        ++failedChildren;
    }
    return values;
}

double median(const QList<QMap<QString, double>> &runs, const QString &key)
{
    QList<double> v;
    for (const auto &r : runs)
        v << r.value(key);
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v.at(v.size() / 2);
}

double maximum(const QList<QMap<QString, double>> &runs, const QString &key)
{
    double m = 0;
    for (const auto &r : runs)
        m = std::max(m, r.value(key));
    return m;
}

bool exec(QSqlQuery &q, const QString &sql)
{
    if (q.exec(sql))
        return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(sql), qPrintable(q.lastError().text()));
    return false;
}

bool makeSqliteTable(const QString &file, int rows)
{
    QSqlDatabase db
        = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make-sqlite"));
    db.setDatabaseName(file);
    if (!db.open())
        return false;
    QSqlQuery q(db);
    return exec(q,
               QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, name TEXT, city TEXT, "
                              "amount REAL, qty INTEGER, created TEXT, flag INTEGER, note TEXT)")
                   .arg(Table))
        && exec(q,
            QStringLiteral(
                "INSERT INTO %1 WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
                "WHERE x < %2) SELECT x, 'customer ' || x, 'city ' || (x % 97), x * 1.25, "
                "x % 1000, date('2000-01-01', '+' || (x % 9000) || ' days'), x % 2, "
                "'a note of some length for row ' || x FROM c")
                .arg(Table)
                .arg(rows));
}

bool makePostgresTable(int rows)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("make"));
    db.setHostName(qEnvironmentVariable("DIDUZA_PG_HOST"));
    db.setPort(qEnvironmentVariableIntValue("DIDUZA_PG_PORT"));
    db.setDatabaseName(qEnvironmentVariable("DIDUZA_PG_DB"));
    db.setUserName(qEnvironmentVariable("DIDUZA_PG_USER"));
    db.setPassword(qEnvironmentVariable("DIDUZA_PG_PASSWORD"));
    if (!db.open()) {
        std::fprintf(stderr, "PostgreSQL: %s\n", qPrintable(db.lastError().text()));
        return false;
    }
    QSqlQuery q(db);
    return exec(q, QStringLiteral("SET client_min_messages TO warning"))
        && exec(q, QStringLiteral("DROP TABLE IF EXISTS %1").arg(Table))
        && exec(q,
            QStringLiteral(
                "CREATE TABLE %1 AS SELECT g AS id, 'customer ' || g AS name, "
                "'city ' || (g % 97) AS city, g * 1.25::float8 AS amount, g % 1000 AS qty, "
                "date '2000-01-01' + g % 9000 AS created, g % 2 = 1 AS flag, "
                "'a note of some length for row ' || g AS note FROM generate_series(1, %2) g")
                .arg(Table)
                .arg(rows));
}

void dropPostgresTable()
{
    QSqlQuery q(QSqlDatabase::database(QStringLiteral("make")));
    exec(q, QStringLiteral("DROP TABLE IF EXISTS %1").arg(Table));
}

// Starts a throw-away server in folder: true with DIDUZA_PG_* set.
bool startPostgres(const QString &folder)
{
    QFile empty(folder + QStringLiteral("/empty.sql"));
    if (!empty.open(QIODevice::WriteOnly))
        return false;
    empty.close();
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral(DIDUZA_SOURCE_DIR "/scripts/pg-start"), { folder, empty.fileName() });
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return false;
    for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
        if (!line.startsWith("export DIDUZA_PG_"))
            continue;
        const QByteArray assignment = line.mid(7);
        const qsizetype eq = assignment.indexOf('=');
        qputenv(assignment.left(eq).constData(), assignment.mid(eq + 1));
    }
    return qEnvironmentVariableIsSet("DIDUZA_PG_HOST");
}

void stopPostgres(const QString &folder)
{
    QProcess::execute(QStringLiteral(DIDUZA_SOURCE_DIR "/scripts/pg-stop"), { folder });
}

struct Goal {
    QString name;
    double measured;
    double limit;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The children's output is read by the parent: Qt's notes stay out.
    if (argc > 1 && qstrcmp(argv[1], "--runs") != 0 && qstrcmp(argv[1], "--smoke") != 0
        && qstrncmp(argv[1], "--", 2) == 0)
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    if (mode == QLatin1String("--first") && args.size() >= 5) {
        if (args[2] == QLatin1String("form"))
            return childFirstForm(args[3], args[4]);
        return childFirstBare(
            args[3], args[4], QSize(args.value(5).toInt(), args.value(6).toInt()));
    }
    if (mode == QLatin1String("--loop") && args.size() >= 4)
        return childLoop(args[2], args[3]);
    if (mode == QLatin1String("--cancel"))
        return childCancel();
    if (mode == QLatin1String("--export") && args.size() >= 6) {
        if (args[2] == QLatin1String("form"))
            return childExportForm(args[3], args[4], args[5]);
        return childExportBare(args[3], args[4], args[5]);
    }

    const bool smoke = mode == QLatin1String("--smoke");
    if (smoke)
        qputenv("DIDUZA_BENCH_SMOKE", "1");
    int runs = mode == QLatin1String("--runs") ? std::max(1, args.value(2).toInt()) : 7;
    if (smoke)
        runs = 1;
    const int tableRows = smoke ? SmokeRows : TableRows;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("rows.sqlite"));
    QElapsedTimer made;
    made.start();
    if (!makeSqliteTable(file, tableRows))
        return 1;
    std::printf("SQLite table of %d rows made in %.1f s\n", tableRows, made.elapsed() / 1e3);
    const QString serverFolder = dir.filePath(QStringLiteral("pg"));
    bool ownServer = false;
    if (!qEnvironmentVariableIsSet("DIDUZA_PG_HOST") && !smoke) {
        QDir().mkpath(serverFolder);
        ownServer = startPostgres(serverFolder);
    }
    made.restart();
    const bool pg = qEnvironmentVariableIsSet("DIDUZA_PG_HOST") && makePostgresTable(tableRows);
    if (pg)
        std::printf("PostgreSQL table made in %.1f s\n", made.elapsed() / 1e3);
    else
        std::printf("no PostgreSQL server: its measures are left out\n");

    QStringList kinds { QStringLiteral("sqlite") };
    if (pg)
        kinds << QStringLiteral("pg");
    QList<Goal> goals;
    std::printf("\nFirst rows of \"%s\", medians of %d runs (ms; MiB above idle)\n",
        qPrintable(Statement), runs);
    std::printf("%8s %10s %10s %7s %12s %12s %10s %10s %10s\n", "database", "form ms", "bare ms",
        "ratio", "form rise", "bare rise", "form idle", "form rows", "bare rows");
    for (const QString &kind : std::as_const(kinds)) {
        QList<QMap<QString, double>> form, bare;
        for (int k = 0; k < runs; ++k) {
            form << child({ QStringLiteral("--first"), QStringLiteral("form"), kind, file });
            bare << child({ QStringLiteral("--first"), QStringLiteral("bare"), kind, file,
                QString::number(form.last().value(QStringLiteral("width"))),
                QString::number(form.last().value(QStringLiteral("height"))) });
        }
        const double f = median(form, QStringLiteral("first"));
        const double b = median(bare, QStringLiteral("first"));
        const double rise = median(form, QStringLiteral("rise"));
        std::printf("%8s %10.2f %10.2f %7.2f %12.1f %12.1f %10.1f %10.0f %10.0f\n",
            qPrintable(kind), f, b, f / b, rise, median(bare, QStringLiteral("rise")),
            median(form, QStringLiteral("idle")), median(form, QStringLiteral("rows")),
            median(bare, QStringLiteral("rows")));
        std::printf("%8s form: Execute returns after %.2f ms, columns at %.2f, first page shown "
                    "at %.2f\n",
            "", median(form, QStringLiteral("execute")), median(form, QStringLiteral("columns")),
            median(form, QStringLiteral("page")));
        goals << Goal { QStringLiteral("first_rows_vs_bare_") + kind, f / b, 1.5 }
              << Goal { QStringLiteral("first_page_mb_") + kind, rise, 50 };
    }

    const int loopRuns = std::max(1, std::min(runs, 3));
    std::printf("\nThe event loop during a statement of about %d ms, %d runs (ms)\n",
        smoke ? 300 : 5000, loopRuns);
    std::printf("%8s %12s %12s %12s %12s\n", "database", "median gap", "worst gap", "worst at",
        "statement");
    for (int i = 0; i < kinds.size(); ++i) {
        QList<QMap<QString, double>> loop;
        for (int k = 0; k < loopRuns; ++k)
            loop << child({ QStringLiteral("--loop"), kinds[i], file });
        const auto worst = std::max_element(loop.cbegin(), loop.cend(), [](auto &a, auto &b) {
            return a.value(QStringLiteral("gap")) < b.value(QStringLiteral("gap"));
        });
        std::printf("%8s %12.2f %12.2f %12.0f %12.0f\n", qPrintable(kinds[i]),
            median(loop, QStringLiteral("gap")), worst->value(QStringLiteral("gap")),
            worst->value(QStringLiteral("at")), median(loop, QStringLiteral("statement")));
        goals << Goal { QStringLiteral("loop_gap_ms_") + kinds[i],
            median(loop, QStringLiteral("gap")), 50 };
    }

    std::printf("\nSave as CSV of all %d rows once the first page shows, %d runs (ms; MiB above "
                "the form's size before)\n",
        tableRows, loopRuns);
    std::printf("%8s %10s %10s %7s %10s %10s %10s %10s %8s\n", "database", "form ms", "bare ms",
        "ratio", "form rise", "bare rise", "worst gap", "idle gap", "same");
    for (const QString &kind : std::as_const(kinds)) {
        QList<QMap<QString, double>> form, bare;
        bool same = true;
        for (int k = 0; k < loopRuns; ++k) {
            const QString formFile = dir.filePath(QStringLiteral("form-%1.csv").arg(kind));
            const QString bareFile = dir.filePath(QStringLiteral("bare-%1.csv").arg(kind));
            form << child(
                { QStringLiteral("--export"), QStringLiteral("form"), kind, file, formFile });
            bare << child(
                { QStringLiteral("--export"), QStringLiteral("bare"), kind, file, bareFile });
            const QByteArray formHash = fileHash(formFile);
            same = same && !formHash.isEmpty() && formHash == fileHash(bareFile);
            QFile::remove(formFile);
            QFile::remove(bareFile);
        }
        if (!same)
            ++failedChildren;
        const double f = median(form, QStringLiteral("export"));
        const double b = median(bare, QStringLiteral("export"));
        const double rise = maximum(form, QStringLiteral("rise"));
        const double gap = maximum(form, QStringLiteral("gap"));
        // The idle gap: an idle loop beside a busy thread, as long, in the same child; a
        // worst gap near it is the machine's, not the form's.
        std::printf("%8s %10.1f %10.1f %7.2f %10.1f %10.1f %10.2f %10.2f %8s\n", qPrintable(kind),
            f, b, f / b, rise, maximum(bare, QStringLiteral("rise")), gap,
            maximum(form, QStringLiteral("floor")), same ? "yes" : "no");
        goals << Goal { QStringLiteral("export_time_vs_bare_") + kind, f / b, 2.0 }
              << Goal { QStringLiteral("export_mb_") + kind, rise, 50 }
              << Goal { QStringLiteral("export_gap_ms_") + kind, gap, 50 }
              << Goal { QStringLiteral("export_differs_") + kind, same ? 0.0 : 1.0, 0 };
    }

    if (pg) {
        QList<QMap<QString, double>> cancel;
        int faults = 0;
        for (int k = 0; k < loopRuns; ++k) {
            const auto r = child({ QStringLiteral("--cancel") });
            cancel << r;
            // Running before, cancelled and said so, gone from the server, usable after.
            if (r.value(QStringLiteral("before")) != 1 || r.value(QStringLiteral("cancelled")) != 1
                || r.value(QStringLiteral("said")) != 1 || r.value(QStringLiteral("left")) != 0
                || r.value(QStringLiteral("usable")) != 1)
                ++faults;
        }
        std::printf("\nCancel of a running pg_sleep(30), %d runs: median %.1f ms, worst %.1f ms, "
                    "%d run(s) with a fault\n",
            loopRuns, median(cancel, QStringLiteral("cancel")),
            maximum(cancel, QStringLiteral("cancel")), faults);
        goals << Goal { QStringLiteral("cancel_s_pg"),
            median(cancel, QStringLiteral("cancel")) / 1000, 0.5 }
              << Goal { QStringLiteral("cancel_faults_pg"), double(faults), 0 };
        dropPostgresTable();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("make"));
    if (ownServer)
        stopPostgres(serverFolder);

    if (smoke) // every measure ran once: no goals
        return failedChildren == 0 ? 0 : 1;
    std::printf("\n");
    for (const Goal &g : std::as_const(goals))
        std::printf("goal: %s %.3g %.3g %s\n", qPrintable(g.name), g.measured, g.limit,
            g.measured <= g.limit ? "ok" : "over");
    return 0;
}
