// Diagrams of real databases: opening a whole PostgreSQL schema as a diagram against loading the
// same diagram from its saved file, the catalogue read on its own, and how building diagrams of
// 2,000 and 20,000 tables grows, through the public API (AddItem, AddSubItem, AddRelation) and
// through the whole-database path (AddDatabaseTables), beside the bare-widget floor of the same
// sizes (a frame holding a plain list per table, in a scroll area, as bench_scale builds it).
//
// The schema: 1,000 tables of 10 fields each and 2,000 foreign keys, on a throw-away PostgreSQL
// server that this program starts with scripts/pg-start in a temporary folder and stops again.
// The server logs every statement, so the statements of the catalogue read are counted from its
// log. Every measure runs in a fresh child process (this program started again); times are the
// median of the runs.
//
// Lines ending with "goal: <name> <measured> <limit> ok|over" close the output.
//
// Usage: bench_catalog [--quick | --smoke]   (--quick: one run per measure, 1,000 and 10,000
// tables; --smoke: one run of each measure on a schema of 100 tables and diagrams of 200, no
// goals, as CI runs it)
// What the children run, for profiling one measure by hand: --catalog, --open [FILE] (and save
// the diagram to FILE), --load FILE with DIDUZA_PG_* set; --api N, --whole N, --floor N.
// Its goals are for a Release build with DIDUZA_BUILD_BENCH=ON; CI only runs --smoke.

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "engines/TSchemaDataEngine.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "platform/TStringList.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QListWidget>
#include <QLoggingCategory>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

using namespace Diduza;

namespace {

constexpr int SchemaTables = 1000;
constexpr int Fields = 10; // per table: id, two references, seven data fields
constexpr int Runs = 5;
const QSize ViewSize(1200, 800);

void settle()
{
    for (int k = 0; k < 4; ++k) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

QString tableName(int i)
{
    return QStringLiteral("t%1").arg(i, 5, 10, QLatin1Char('0'));
}

// The two tables table i references: its neighbour and one further back (some tables reference
// themselves).
std::pair<int, int> references(int i, int n)
{
    return { (i + n - 1) % n, int((quint64(i) * 7919u + 13u) % quint64(n)) };
}

// The schema as SQL: n tables, each with an id, two references and seven data fields.
QString schemaSql(int n)
{
    QString sql;
    QTextStream out(&sql);
    for (int i = 0; i < n; ++i) {
        out << "CREATE TABLE " << tableName(i)
            << " (id integer PRIMARY KEY, ref_a integer, ref_b integer";
        for (int f = 0; f < Fields - 3; ++f)
            out << ", data" << f << (f % 2 ? " integer" : " varchar(40)");
        out << ");\n";
    }
    for (int i = 0; i < n; ++i) {
        const auto [a, b] = references(i, n);
        out << "ALTER TABLE " << tableName(i) << " ADD CONSTRAINT " << tableName(i)
            << "_a FOREIGN KEY (ref_a) REFERENCES " << tableName(a) << " (id);\n";
        out << "ALTER TABLE " << tableName(i) << " ADD CONSTRAINT " << tableName(i)
            << "_b FOREIGN KEY (ref_b) REFERENCES " << tableName(b) << " (id);\n";
    }
    return sql;
}

// The same tables as the catalogue describes them, for an engine that answers through events.
QVector<TSchemaTableInfo> syntheticCatalog(int n)
{
    QVector<TSchemaTableInfo> tables;
    tables.reserve(n);
    for (int i = 0; i < n; ++i) {
        TSchemaTableInfo t;
        t.Name = tableName(i);
        t.Fields << TSchemaFieldInfo { QStringLiteral("id"), QStringLiteral("integer"), false }
                 << TSchemaFieldInfo { QStringLiteral("ref_a"), QStringLiteral("integer"), true }
                 << TSchemaFieldInfo { QStringLiteral("ref_b"), QStringLiteral("integer"), true };
        for (int f = 0; f < Fields - 3; ++f)
            t.Fields << TSchemaFieldInfo { QStringLiteral("data%1").arg(f),
                QStringLiteral("integer"), true };
        t.PrimaryKey << QStringLiteral("id");
        const auto [a, b] = references(i, n);
        t.ForeignKeys << TSchemaForeignKey { t.Name + QStringLiteral("_a"),
            { QStringLiteral("ref_a") }, tableName(a), { QStringLiteral("id") } }
                      << TSchemaForeignKey { t.Name + QStringLiteral("_b"),
                             { QStringLiteral("ref_b") }, tableName(b), { QStringLiteral("id") } };
        tables << t;
    }
    return tables;
}

bool openPostgres()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"));
    db.setHostName(qEnvironmentVariable("DIDUZA_PG_HOST"));
    db.setPort(qEnvironmentVariableIntValue("DIDUZA_PG_PORT"));
    db.setDatabaseName(qEnvironmentVariable("DIDUZA_PG_DB"));
    db.setUserName(qEnvironmentVariable("DIDUZA_PG_USER"));
    if (!db.open()) {
        std::fprintf(stderr, "cannot connect: %s\n", qPrintable(db.lastError().text()));
        return false;
    }
    return true;
}

// --- the children ---------------------------------------------------------------------------

int childCatalog()
{
    if (!openPostgres())
        return 1;
    TSchemaSqlDataEngine engine;
    QVector<TSchemaTableInfo> info;
    QSqlQuery(QSqlDatabase::database()).exec(QStringLiteral("SELECT 'catalogue read begins'"));
    QElapsedTimer t;
    t.start();
    engine.FillTableInfo(QStringList(), info);
    const double ms = t.nsecsElapsed() / 1e6;
    QSqlQuery(QSqlDatabase::database()).exec(QStringLiteral("SELECT 'catalogue read ends'"));
    int fields = 0, keys = 0;
    for (const TSchemaTableInfo &table : std::as_const(info)) {
        fields += int(table.Fields.size());
        keys += int(table.ForeignKeys.size());
    }
    std::printf("catalog %.3f tables %d fields %d keys %d\n", ms, int(info.size()), fields, keys);
    return 0;
}

int childOpen(const QString &saveTo)
{
    if (!openPostgres())
        return 1;
    QElapsedTimer t;
    t.start();
    TSchemaSqlDataEngine engine;
    auto area = std::make_unique<TSchemaDesignArea>();
    area->resize(ViewSize);
    area->show();
    area->SetDataEngine(&engine);
    area->SetShowKeys(true);
    area->AddDatabaseTables();
    settle();
    const double ms = t.nsecsElapsed() / 1e6;
    std::printf(
        "open %.3f items %d relations %d\n", ms, area->GetItemCount(), area->GetRelationCount());
    if (!saveTo.isEmpty())
        area->SaveToFile(saveTo);
    return 0;
}

int childLoad(const QString &file)
{
    QElapsedTimer t;
    t.start();
    auto area = std::make_unique<TSchemaDesignArea>();
    area->resize(ViewSize);
    area->show();
    area->LoadFromFile(file);
    settle();
    const double ms = t.nsecsElapsed() / 1e6;
    std::printf(
        "load %.3f items %d relations %d\n", ms, area->GetItemCount(), area->GetRelationCount());
    return 0;
}

// n tables with their rows and 2n relations through AddItem, AddSubItem and AddRelation, placed
// in a grid.
int childApi(int n)
{
    const QVector<TSchemaTableInfo> tables = syntheticCatalog(n);
    QElapsedTimer t;
    t.start();
    auto area = std::make_unique<TSchemaDesignArea>();
    area->resize(ViewSize);
    area->show();
    QVector<TSchemaItem *> items;
    items.reserve(n);
    for (int i = 0; i < n; ++i) {
        TSchemaItem *item = area->AddItem(tables.at(i).Name, scListBox);
        for (const TSchemaFieldInfo &field : tables.at(i).Fields)
            item->AddSubItem(field.Name, -1, false);
        item->RecalculateHeight();
        item->RecalculateWidth();
        item->move((i % 40) * 170 + 10, (i / 40) * 230 + 10);
        items << item;
    }
    for (int i = 0; i < n; ++i) {
        const auto [a, b] = references(i, n);
        area->AddRelation(items[a], items[i], items[a]->GetSubItem(0), items[i]->GetSubItem(1));
        area->AddRelation(items[b], items[i], items[b]->GetSubItem(0), items[i]->GetSubItem(2));
    }
    settle();
    const double ms = t.nsecsElapsed() / 1e6;
    std::printf(
        "api %.3f items %d relations %d\n", ms, area->GetItemCount(), area->GetRelationCount());
    return 0;
}

// The whole-database path on an engine that answers from memory.
int childWhole(int n)
{
    const QVector<TSchemaTableInfo> tables = syntheticCatalog(n);
    TSchemaDataEngine engine;
    engine.SetOnGetItemList([&](QObject *, TStringList &list) {
        for (const TSchemaTableInfo &table : tables)
            list.Add(table.Name);
    });
    engine.SetOnGetTableInfo(
        [&](QObject *, const QStringList &, QVector<TSchemaTableInfo> &list) { list = tables; });
    QElapsedTimer t;
    t.start();
    auto area = std::make_unique<TSchemaDesignArea>();
    area->resize(ViewSize);
    area->show();
    area->SetDataEngine(&engine);
    area->AddDatabaseTables();
    settle();
    const double ms = t.nsecsElapsed() / 1e6;
    std::printf(
        "whole %.3f items %d relations %d\n", ms, area->GetItemCount(), area->GetRelationCount());
    return 0;
}

int childFloor(int n)
{
    QElapsedTimer t;
    t.start();
    QScrollArea scroll;
    scroll.resize(ViewSize);
    auto *content = new QWidget;
    content->setAutoFillBackground(true);
    for (int i = 0; i < n; ++i) {
        auto *frame = new QFrame(content);
        frame->setFrameShape(QFrame::Box);
        frame->setGeometry((i % 40) * 170 + 10, (i / 40) * 230 + 10, 150, 200);
        auto *list = new QListWidget(frame);
        list->setGeometry(4, 20, 142, 176);
        for (int j = 0; j < Fields; ++j)
            list->addItem(QStringLiteral("field%1").arg(j));
    }
    content->resize(40 * 170 + 10, (n / 40 + 1) * 230 + 10);
    scroll.setWidget(content);
    scroll.show();
    settle();
    const double ms = t.nsecsElapsed() / 1e6;
    std::printf("floor %.3f\n", ms);
    return 0;
}

// --- the parent -----------------------------------------------------------------------------

int failedChildren = 0;

QMap<QString, double> child(const QStringList &args, const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
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

double median(QList<double> v)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.at(v.size() / 2);
}

// The connection settings pg-start wrote.
bool readEnv(const QString &file, QProcessEnvironment &env)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    static const QRegularExpression line(QStringLiteral("^export (\\w+)=(.*)$"));
    for (const QByteArray &raw : f.readAll().split('\n')) {
        const QRegularExpressionMatch m = line.match(QString::fromUtf8(raw));
        if (m.hasMatch()) {
            QString value = m.captured(2);
            if (value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\'')))
                value = value.mid(1, value.size() - 2);
            env.insert(m.captured(1), value);
        }
    }
    return env.contains(QStringLiteral("DIDUZA_PG_PORT"));
}

struct Goal {
    const char *name;
    double measured;
    double limit;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("qt.svg.warning=false"));
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QStringList args = app.arguments();
    if (args.size() >= 2 && args[1].startsWith(QLatin1String("--"))
        && args[1] != QLatin1String("--quick") && args[1] != QLatin1String("--smoke"))
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    if (args.size() >= 2 && args[1] == QLatin1String("--catalog"))
        return childCatalog();
    if (args.size() >= 2 && args[1] == QLatin1String("--open"))
        return childOpen(args.value(2));
    if (args.size() >= 3 && args[1] == QLatin1String("--load"))
        return childLoad(args[2]);
    if (args.size() >= 3 && args[1] == QLatin1String("--api"))
        return childApi(args[2].toInt());
    if (args.size() >= 3 && args[1] == QLatin1String("--whole"))
        return childWhole(args[2].toInt());
    if (args.size() >= 3 && args[1] == QLatin1String("--floor"))
        return childFloor(args[2].toInt());

    const bool quick = args.contains(QLatin1String("--quick"));
    const bool smoke = args.contains(QLatin1String("--smoke"));
    const int runs = quick || smoke ? 1 : Runs;
    const int schemaTables = smoke ? 100 : SchemaTables;
    QTemporaryDir dir;
    dir.setAutoRemove(true);

    // The throw-away server, loaded with the schema, logging every statement.
    const QString sqlFile = dir.filePath(QStringLiteral("schema.sql"));
    {
        QFile f(sqlFile);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(schemaSql(schemaTables).toUtf8());
    }
    const QString scripts = QStringLiteral(DIDUZA_SOURCE_DIR "/scripts");
    const QString server = dir.filePath(QStringLiteral("server"));
    QDir().mkpath(server);
    if (QProcess::execute(scripts + QStringLiteral("/pg-start"), { server, sqlFile }) != 0) {
        std::fprintf(stderr, "the PostgreSQL server did not start\n");
        return 1;
    }
    struct Stop {
        QString script, folder;
        ~Stop() { QProcess::execute(script, { folder }); }
    } stop { scripts + QStringLiteral("/pg-stop"), server };
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!readEnv(server + QStringLiteral("/pg.env"), env)) {
        std::fprintf(stderr, "no connection settings from pg-start\n");
        return 1;
    }
    for (const QString &key : env.keys()) {
        if (key.startsWith(QLatin1String("DIDUZA_PG_")))
            qputenv(qPrintable(key), env.value(key).toUtf8());
    }
    if (!openPostgres())
        return 1;
    QSqlQuery(QSqlDatabase::database())
        .exec(QStringLiteral("ALTER SYSTEM SET log_statement = 'all'"));
    QSqlQuery(QSqlDatabase::database()).exec(QStringLiteral("SELECT pg_reload_conf()"));
    QSqlDatabase::database().close();
    const QString serverLog = env.value(QStringLiteral("DIDUZA_PG_DATA")) + "/server.log";

    std::printf("PostgreSQL schema: %d tables, %d fields each, %d foreign keys.\n"
                "Times in ms, median of %d runs, each in a fresh process.\n\n",
        schemaTables, Fields, 2 * schemaTables, runs);

    // The diagram, saved once, for the loads.
    const QString saved = dir.filePath(QStringLiteral("schema.sch"));
    child({ QStringLiteral("--open"), saved }, env);
    QList<double> catalog, open, load;
    QMap<QString, double> shape, opened;
    for (int k = 0; k < runs; ++k) {
        shape = child({ QStringLiteral("--catalog") }, env);
        catalog << shape.value(QStringLiteral("catalog"));
        opened = child({ QStringLiteral("--open") }, env);
        open << opened.value(QStringLiteral("open"));
        load << child({ QStringLiteral("--load"), saved }, env).value(QStringLiteral("load"));
    }
    // The statements of the last catalogue read, from the server's log.
    QStringList statements;
    {
        QFile log(serverLog);
        if (log.open(QIODevice::ReadOnly)) {
            const QStringList lines = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'));
            const qsizetype begin = lines.lastIndexOf(
                QRegularExpression(QStringLiteral(".*catalogue read begins.*")));
            for (qsizetype i = begin + 1; begin >= 0 && i < lines.size(); ++i) {
                if (lines.at(i).contains(QLatin1String("catalogue read ends")))
                    break;
                const qsizetype at = lines.at(i).indexOf(QLatin1String("statement: "));
                if (at >= 0)
                    statements << lines.at(i).mid(at + 11);
            }
        } else {
            std::fprintf(stderr, "cannot read the server's log %s\n", qPrintable(serverLog));
        }
    }
    std::printf("catalogue read: %.1f ms for %g tables, %g fields, %g foreign keys, in %d "
                "statements:\n",
        median(catalog), shape.value(QStringLiteral("tables")),
        shape.value(QStringLiteral("fields")), shape.value(QStringLiteral("keys")),
        int(statements.size()));
    for (const QString &s : std::as_const(statements))
        std::printf("  %s\n", qPrintable(s.left(160) + (s.size() > 160 ? "..." : "")));
    std::printf("open as diagram: %.1f ms (%g items, %g relations); load of its file: %.1f ms\n\n",
        median(open), opened.value(QStringLiteral("items")),
        opened.value(QStringLiteral("relations")), median(load));

    // Growth from 2,000 to 20,000 tables.
    const int small = smoke ? 200 : quick ? 1000 : 2000;
    const int big = quick ? 10000 : 20000;
    QList<int> sizes { small, big };
    if (smoke)
        sizes = { small };
    std::printf("%8s %12s %12s %12s\n", "tables", "api", "whole", "floor");
    QMap<int, double> api, whole, floor;
    for (const int n : std::as_const(sizes)) {
        QList<double> a, w, f;
        const int sizeRuns = n > 5000 && !quick ? 3 : runs;
        for (int k = 0; k < sizeRuns; ++k) {
            const QString count = QString::number(n);
            a << child({ QStringLiteral("--api"), count }, env).value(QStringLiteral("api"));
            w << child({ QStringLiteral("--whole"), count }, env).value(QStringLiteral("whole"));
            f << child({ QStringLiteral("--floor"), count }, env).value(QStringLiteral("floor"));
        }
        api[n] = median(a);
        whole[n] = median(w);
        floor[n] = median(f);
        std::printf("%8d %12.1f %12.1f %12.1f\n", n, api[n], whole[n], floor[n]);
    }
    if (smoke) // every measure ran once: no goals
        return failedChildren == 0 ? 0 : 1;
    const double floorGrowth = floor[big] / floor[small];
    const Goal goals[] = {
        { "open_vs_load", median(open) / median(load), 2.0 },
        { "catalog_ms", median(catalog), 200.0 },
        { "catalog_statements", double(statements.size()), 3.0 },
        { "api_growth_vs_floor", (api[big] / api[small]) / floorGrowth, 1.2 },
        { "whole_growth_vs_floor", (whole[big] / whole[small]) / floorGrowth, 1.2 },
    };
    std::printf("\nfloor growth %.2f, api growth %.2f, whole growth %.2f\n\n", floorGrowth,
        api[big] / api[small], whole[big] / whole[small]);
    for (const Goal &g : goals)
        std::printf("goal: %s %.3g %.3g %s\n", g.name, g.measured, g.limit,
            g.measured <= g.limit ? "ok" : "over");
    return 0;
}
