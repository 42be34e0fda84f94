// How large diagrams behave: loading, moving, scrolling and clicking in diagrams of 250, 1,000
// and 4,000 check-list items, and the query builder with many tables and ticked columns. Each
// measure stands beside a baseline measured in the same run: the same widget tree built without
// the library (a frame holding a plain 20-entry list per item, in a scroll area).
//
// Diagram of N: N check-list items of 20 rows in a grid, N relations; the hub item (visible at
// the top left) has 20 relations, the others form a chain. Each diagram is saved once; every
// load, move and scroll measure runs in a fresh child process (this program started again), so
// that peak memory is that of one diagram and the heaps of runs do not mix. Times are min and
// median over 5 runs.
//
// Lines ending with "goal: <name> <measured> <limit> ok|over" close the output.
//
// Usage: bench_scale [--quick | --smoke]   (--quick: sizes 250 and 1,000 only; --smoke: the
// 250-item diagram and the 200-table builder, one run each and no goals, as CI runs it)
// For profiling one measure: bench_scale --save N FILE, then --load FILE,
// --interact FILE N [move|scroll|click], --floor N or --floor-interact N (what the children run),
// --builder T (the builder with T tables).
// For profiling by hand: DIDUZA_BENCH_PAINTED=1 loads into an area painted before;
// DIDUZA_BENCH_STEPS=N scrolls N steps; DIDUZA_BENCH_GENRUNS=N generates N times and
// DIDUZA_BENCH_TICKREP=N ticks N times more in --builder.
// Its goals are for a Release build with DIDUZA_BUILD_BENCH=ON; CI only runs --smoke.

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "querybuilder/TfrmZkSQLBuilder.h"
#include "relations/TSchemaRelation.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QListWidget>
#include <QLoggingCategory>
#include <QMap>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using namespace Diduza;

namespace {

constexpr int Rows = 20;
constexpr int Runs = 5;
constexpr int Columns = 40; // items per grid row
constexpr int PitchX = 170;
constexpr int PitchY = 230;
constexpr int ItemWidth = 150;
constexpr int ItemHeight = 200;
constexpr int HubRelations = 20;
constexpr int Moves = 40; // per run
constexpr int ScrollSteps = 20; // per run
const QSize ViewSize(1200, 800);

int hubIndex(int n)
{
    return std::min(n - 1, 1 * Columns + 3);
}

QPoint cellOf(int i)
{
    return QPoint((i % Columns) * PitchX + 10, (i / Columns) * PitchY + 10);
}

void settle()
{
    for (int k = 0; k < 4; ++k) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

qint64 peakKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

// --- the diagram, built through the library and saved ------------------------------------------

void buildDiagram(TSchemaDesignArea &area, int n)
{
    QList<TSchemaItem *> items;
    for (int i = 0; i < n; ++i) {
        TSchemaItem *item
            = area.AddItem(QStringLiteral("T%1").arg(i, 4, 10, QLatin1Char('0')), scCheckListBox);
        for (int j = 0; j < Rows; ++j)
            item->AddSubItem(QStringLiteral("field%1").arg(j), -1, false);
        const QPoint p = cellOf(i);
        item->SetBounds(p.x(), p.y(), ItemWidth, ItemHeight);
        items << item;
    }
    const int hub = hubIndex(n);
    // The hub's relations: to its neighbours on the grid and further away.
    static const int offsets[HubRelations]
        = { 1, 2, -1, -2, Columns, Columns + 1, Columns - 1, 2 * Columns, -Columns + 1, 3, 5, 8, 13,
              Columns + 4, 2 * Columns + 2, 3 * Columns, 21, 34, 4 * Columns + 1, 55 };
    int relations = 0;
    for (int k = 0; k < HubRelations; ++k) {
        const int other = ((hub + offsets[k]) % n + n) % n;
        area.AddRelation(items[hub], items[other], items[hub]->GetSubItem(k),
            items[other]->GetSubItem((k + 7) % Rows));
        ++relations;
    }
    // The rest: a chain that keeps off the hub.
    for (int i = 0; relations < n && i + 1 < n; ++i) {
        if (i == hub || i + 1 == hub)
            continue;
        area.AddRelation(items[i], items[i + 1], items[i]->GetSubItem(i % Rows),
            items[i + 1]->GetSubItem((i + 3) % Rows));
        ++relations;
    }
}

// --- the floor: the same widget tree without the library ------------------------------------

struct Floor {
    std::unique_ptr<QScrollArea> scroll;
    QList<QFrame *> frames;
};

Floor buildFloor(int n)
{
    Floor f;
    f.scroll = std::make_unique<QScrollArea>();
    f.scroll->resize(ViewSize);
    f.scroll->verticalScrollBar()->setSingleStep(8);
    auto *content = new QWidget;
    content->setAutoFillBackground(true);
    int right = 0, bottom = 0;
    for (int i = 0; i < n; ++i) {
        auto *frame = new QFrame(content);
        frame->setFrameShape(QFrame::Box);
        const QPoint p = cellOf(i);
        frame->setGeometry(p.x(), p.y(), ItemWidth, ItemHeight);
        auto *list = new QListWidget(frame);
        list->setGeometry(4, 20, ItemWidth - 8, ItemHeight - 24);
        for (int j = 0; j < Rows; ++j)
            list->addItem(QStringLiteral("field%1").arg(j));
        f.frames << frame;
        right = std::max(right, p.x() + ItemWidth);
        bottom = std::max(bottom, p.y() + ItemHeight);
    }
    content->resize(right, bottom);
    f.scroll->setWidget(content);
    f.scroll->show();
    return f;
}

// --- measures inside one child process ------------------------------------------------------

// Milliseconds per step over count steps, each followed by painting.
double perStep(int count, const std::function<void(int)> &step)
{
    settle();
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < count; ++i) {
        step(i);
        settle();
    }
    return count > 0 ? t.nsecsElapsed() / 1e6 / count : 0;
}

QPoint wobble(int i)
{
    return QPoint(3 + (i % 2) * 9, 2 + (i % 3) * 6);
}

void sendMouse(QWidget *w, QEvent::Type type, const QPoint &local, Qt::MouseButton button,
    Qt::MouseButtons buttons)
{
    QMouseEvent e(
        type, QPointF(local), QPointF(w->mapToGlobal(local)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

double scrollSteps(QAbstractScrollArea *area)
{
    QScrollBar *bar = area->verticalScrollBar();
    // DIDUZA_BENCH_STEPS: more steps, for profiling a scroll by hand.
    const int steps = qEnvironmentVariableIntValue("DIDUZA_BENCH_STEPS");
    return perStep(steps > 0 ? steps : ScrollSteps, [bar](int i) {
        bar->triggerAction(
            i % 2 ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
    });
}

int childLoad(const QString &file)
{
    QElapsedTimer t;
    t.start();
    auto area = std::make_unique<TSchemaDesignArea>();
    area->resize(ViewSize);
    area->show();
    if (qEnvironmentVariableIsSet("DIDUZA_BENCH_PAINTED"))
        settle();
    area->LoadFromFile(file);
    settle();
    const double ms = t.nsecsElapsed() / 1e6;
    std::printf("load %.3f peak %lld items %d relations %d\n", ms, peakKiB(), area->GetItemCount(),
        area->GetRelationCount());
    return 0;
}

int childFloor(int n)
{
    QElapsedTimer t;
    t.start();
    Floor f = buildFloor(n);
    settle();
    const double ms = t.nsecsElapsed() / 1e6;
    std::printf("load %.3f peak %lld\n", ms, peakKiB());
    return 0;
}

// what: "all", or "move", "scroll" or "click" alone (for profiling).
int childInteract(const QString &file, int n, const QString &what)
{
    const bool all = what == QLatin1String("all");
    TSchemaDesignArea area;
    area.resize(ViewSize);
    area.show();
    area.LoadFromFile(file);
    settle();
    TSchemaItem *hub = area.GetItem(hubIndex(n));
    // Moving the hub by its title bar.
    const QPoint grip = hub->CaptionRect().center();
    const QPoint start = hub->pos();
    sendMouse(hub, QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
    const double move = perStep(all || what == QLatin1String("move") ? Moves : 0, [&](int i) {
        const QPoint to = start + wobble(i);
        sendMouse(hub, QEvent::MouseMove, grip + to - hub->pos(), Qt::NoButton, Qt::LeftButton);
    });
    sendMouse(
        hub, QEvent::MouseButtonRelease, grip + start - hub->pos(), Qt::LeftButton, Qt::NoButton);
    settle();

    const double scroll = all || what == QLatin1String("scroll") ? scrollSteps(&area) : 0;

    // A press and release on bare canvas, away from every item and relation: in the gap
    // between grid rows 2 and 3 and columns 5 and 6.
    QWidget *canvas = area.viewport();
    const QPoint bare = cellOf(2 * Columns + 5) + QPoint(ItemWidth + 10, ItemHeight + 15);
    if (canvas->childAt(bare) || area.GraphicControlAt(bare))
        std::fprintf(stderr, "the bare point is not bare\n");
    const double press = perStep(Moves, [&](int) {
        sendMouse(canvas, QEvent::MouseButtonPress, bare, Qt::LeftButton, Qt::LeftButton);
        sendMouse(canvas, QEvent::MouseButtonRelease, bare, Qt::LeftButton, Qt::NoButton);
    });

    // A click on a relation's line: the hub's first relation, at its middle segment; the menu
    // it opens is closed again (not timed).
    TSchemaRelation *relation = area.GetRelation(0);
    const QRegion band = relation->HitRegion();
    const QPoint onLine = band.boundingRect().center() + relation->BoundsRect().topLeft();
    double click = 0;
    if (all || what == QLatin1String("click")) {
        settle();
        double total = 0;
        for (int i = 0; i < Moves; ++i) {
            QElapsedTimer t;
            t.start();
            sendMouse(canvas, QEvent::MouseButtonPress, onLine, Qt::LeftButton, Qt::LeftButton);
            sendMouse(canvas, QEvent::MouseButtonRelease, onLine, Qt::LeftButton, Qt::NoButton);
            total += t.nsecsElapsed() / 1e6;
            if (QMenu *menu = relation->PopMenu())
                menu->hide();
            settle();
        }
        click = total / Moves;
    }
    std::printf("move %.4f scroll %.4f press %.4f click %.4f\n", move, scroll, press, click);
    return 0;
}

int childFloorInteract(int n)
{
    Floor f = buildFloor(n);
    settle();
    QFrame *frame = f.frames[hubIndex(n)];
    const QPoint start = frame->pos();
    const double move = perStep(Moves, [&](int i) { frame->move(start + wobble(i)); });
    frame->move(start);
    const double scroll = scrollSteps(f.scroll.get());
    std::printf("move %.4f scroll %.4f\n", move, scroll);
    return 0;
}

// --- the builder ----------------------------------------------------------------------------

struct BuilderResult {
    QList<double> generate; // ms per GenerateSQL
    QList<double> tick; // ms per tick of one more row, per run
};

// Ticks and unticks the spare row of the first count tables: a column comes and goes.
Q_NEVER_INLINE void tickRows(const QList<TSchemaItem *> &items, int ticksPerTable, int count)
{
    for (int i = 0; i < count; ++i) {
        TSchemaSubItem *row = items[i]->GetSubItem(ticksPerTable + 1);
        row->SetChecked(true);
        row->SetChecked(false);
    }
}

// A builder form with the given number of tables, ticksPerTable of their rows ticked.
class BuilderBench {
public:
    BuilderBench(int tables, int ticksPerTable, int calculated = 0)
        : m_ticksPerTable(ticksPerTable)
        , m_sample(std::min(50, tables))
    {
        TSchemaDesignArea *area = m_form.SchemaDesignArea;
        for (int i = 0; i < tables; ++i) {
            TSchemaItem *item = area->AddItem(QStringLiteral("table%1").arg(i), scCheckListBox);
            for (int j = 0; j < ticksPerTable + 2; ++j)
                item->AddSubItem(QStringLiteral("f%1").arg(j), -1, false);
            item->SetBounds(cellOf(i).x(), cellOf(i).y(), ItemWidth, ItemHeight);
            m_items << item;
        }
        for (int i = 0; i + 1 < tables; ++i)
            area->AddRelation(m_items[i], m_items[i + 1], m_items[i]->GetSubItem(1),
                m_items[i + 1]->GetSubItem(2));
        // Row 0 is "*"; rows 1 .. ticksPerTable are ticked, one column each.
        for (TSchemaItem *item : std::as_const(m_items)) {
            for (int j = 1; j <= ticksPerTable; ++j)
                item->GetSubItem(j)->SetChecked(true);
        }
        // Calculated columns (the extended grid's), each over one table's field.
        if (calculated > 0)
            m_form.SetExtendedGrid(true);
        for (int i = 0; i < calculated; ++i)
            m_form.AddCalculatedColumn(QStringLiteral("calc%1: CASE WHEN table%2.f1 > 2 THEN "
                                                      "table%2.f2 * 2 ELSE -table%2.f1 END")
                                           .arg(i)
                                           .arg(i % tables));
        // As when a user ticks: the event loop has run since the tables were dropped.
        settle();
    }

    // Milliseconds for one GenerateSQL.
    double generate()
    {
        QElapsedTimer t;
        t.start();
        const QString sql = m_form.GenerateSQL();
        const double ms = t.nsecsElapsed() / 1e6;
        if (sql.isEmpty())
            std::fprintf(stderr, "empty statement\n");
        return ms;
    }

    // Milliseconds per tick, over a hundred ticks and unticks.
    double tick()
    {
        QElapsedTimer t;
        t.start();
        tickRows(m_items, m_ticksPerTable, m_sample);
        return t.nsecsElapsed() / 1e6 / (2 * m_sample);
    }

private:
    TfrmZkSQLBuilder m_form;
    QList<TSchemaItem *> m_items;
    int m_ticksPerTable;
    int m_sample;
};

BuilderResult measureBuilder(int tables, int ticksPerTable)
{
    BuilderResult result;
    BuilderBench bench(tables, ticksPerTable);
    const int genRuns = std::max(Runs, qEnvironmentVariableIntValue("DIDUZA_BENCH_GENRUNS"));
    for (int k = 0; k < genRuns; ++k)
        result.generate << bench.generate();
    for (int rep = qEnvironmentVariableIntValue("DIDUZA_BENCH_TICKREP"); rep > 0; --rep)
        bench.tick();
    for (int k = 0; k < Runs; ++k)
        result.tick << bench.tick();
    return result;
}

// --- the parent: runs the children and reports ----------------------------------------------

struct Stat {
    double min = 0;
    double median = 0;
};

Stat stat(QList<double> v)
{
    std::sort(v.begin(), v.end());
    if (v.isEmpty())
        return {};
    return { v.first(), v.at(v.size() / 2) };
}

int failedChildren = 0;

// Runs this program with args; the keys and numbers of its output line.
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

struct SizeResult {
    int n = 0;
    Stat load, floor, move, floorMove, scroll, floorScroll, press, click;
    double peak = 0, floorPeak = 0; // MiB, median
};

QList<double> column(const QList<QMap<QString, double>> &runs, const QString &key)
{
    QList<double> v;
    for (const auto &r : runs)
        v << r.value(key);
    return v;
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

    // The children's output is read by the parent: the offscreen platform's notes stay out.
    if (args.size() >= 2 && args[1].startsWith(QLatin1String("--"))
        && args[1] != QLatin1String("--quick") && args[1] != QLatin1String("--smoke"))
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    if (args.size() >= 4 && args[1] == QLatin1String("--save")) { // for profiling by hand
        TSchemaDesignArea source;
        buildDiagram(source, args[2].toInt());
        source.SaveToFile(args[3]);
        return 0;
    }
    if (args.size() >= 3 && args[1] == QLatin1String("--builder")) {
        const BuilderResult r = measureBuilder(args[2].toInt(), 5);
        std::printf("generate %.4f tick %.4f\n", stat(r.generate).median, stat(r.tick).median);
        return 0;
    }
    if (args.size() >= 3 && args[1] == QLatin1String("--calculated")) { // for profiling by hand
        BuilderBench bench(200, 5, 200);
        QVector<double> times;
        for (int i = 0; i < args[2].toInt(); ++i)
            times << bench.generate();
        std::printf("generate with 200 calculated columns %.4f\n", stat(times).median);
        return 0;
    }
    if (args.size() >= 3 && args[1] == QLatin1String("--load"))
        return childLoad(args[2]);
    if (args.size() >= 3 && args[1] == QLatin1String("--floor"))
        return childFloor(args[2].toInt());
    if (args.size() >= 4 && args[1] == QLatin1String("--interact"))
        return childInteract(args[2], args[3].toInt(), args.value(4, QStringLiteral("all")));
    if (args.size() >= 3 && args[1] == QLatin1String("--floor-interact"))
        return childFloorInteract(args[2].toInt());

    const bool quick = args.contains(QLatin1String("--quick"));
    // The smoke run: every path once, at the smallest sizes, without goals.
    const bool smoke = args.contains(QLatin1String("--smoke"));
    const int runCount = smoke ? 1 : Runs;
    QList<int> sizes { 250, 1000, 4000 };
    if (quick)
        sizes.removeLast();
    if (smoke)
        sizes = { 250 };
    QTemporaryDir dir;

    std::printf("Diagrams: N check-list items of %d rows, N relations, the hub item with %d.\n"
                "Times in ms, min / median of %d runs, each in a fresh process.\n\n",
        Rows, HubRelations, runCount);
    std::printf("%6s %17s %17s %6s %7s %15s %17s %17s %17s %17s %9s %9s\n", "items", "load",
        "floor", "ratio", "growth", "peak MiB", "move", "bare move", "scroll step", "bare scroll",
        "press", "click");
    // Each run measures every size in turn, so that a slow spell of the machine touches all
    // sizes alike and the growth between them stays meaningful.
    struct SizeRuns {
        QString file;
        QList<QMap<QString, double>> loads, floors, moves, floorMoves;
    };
    QList<SizeRuns> runs(sizes.size());
    for (int i = 0; i < sizes.size(); ++i) {
        runs[i].file = dir.filePath(QStringLiteral("scale%1.sdd").arg(sizes[i]));
        TSchemaDesignArea source;
        buildDiagram(source, sizes[i]);
        source.SaveToFile(runs[i].file);
    }
    for (int k = 0; k < runCount; ++k) {
        for (int i = 0; i < sizes.size(); ++i) {
            const QString n = QString::number(sizes[i]);
            const QString &file = runs[i].file;
            runs[i].loads << child({ QStringLiteral("--load"), file });
            runs[i].floors << child({ QStringLiteral("--floor"), n });
            runs[i].moves << child({ QStringLiteral("--interact"), file, n });
            runs[i].floorMoves << child({ QStringLiteral("--floor-interact"), n });
        }
    }
    QList<SizeResult> results;
    for (int i = 0; i < sizes.size(); ++i) {
        const int n = sizes[i];
        const auto &[file, loads, floors, moves, floorMoves] = runs[i];
        SizeResult r;
        r.n = n;
        r.load = stat(column(loads, QStringLiteral("load")));
        r.floor = stat(column(floors, QStringLiteral("load")));
        r.peak = stat(column(loads, QStringLiteral("peak"))).median / 1024.0;
        r.floorPeak = stat(column(floors, QStringLiteral("peak"))).median / 1024.0;
        r.move = stat(column(moves, QStringLiteral("move")));
        r.scroll = stat(column(moves, QStringLiteral("scroll")));
        r.press = stat(column(moves, QStringLiteral("press")));
        r.click = stat(column(moves, QStringLiteral("click")));
        r.floorMove = stat(column(floorMoves, QStringLiteral("move")));
        r.floorScroll = stat(column(floorMoves, QStringLiteral("scroll")));
        const double growth = results.isEmpty() ? 0 : r.load.median / results.last().load.median;
        std::printf("%6d %8.1f/%8.1f %8.1f/%8.1f %6.2f %7.2f %7.1f/%7.1f %8.3f/%8.3f "
                    "%8.3f/%8.3f %8.3f/%8.3f %8.3f/%8.3f %9.3f %9.3f\n",
            n, r.load.min, r.load.median, r.floor.min, r.floor.median,
            r.load.median / r.floor.median, growth, r.peak, r.floorPeak, r.move.min, r.move.median,
            r.floorMove.min, r.floorMove.median, r.scroll.min, r.scroll.median, r.floorScroll.min,
            r.floorScroll.median, r.press.median, r.click.median);
        results << r;
    }

    // The builder: 5 ticked columns per table.
    std::printf("\nBuilder: T tables, 5 ticked columns each, a relation between neighbours.\n");
    std::printf("%7s %8s %19s %19s\n", "tables", "columns", "GenerateSQL ms", "tick ms");
    // Both forms built first, then measured in turns, like the diagrams above.
    BuilderResult small, big, calculated;
    {
        BuilderBench smallBench(200, 5);
        BuilderBench calculatedBench(200, 5, 200);
        std::unique_ptr<BuilderBench> bigBench;
        if (!smoke)
            bigBench = std::make_unique<BuilderBench>(800, 5);
        for (int k = 0; k < runCount; ++k) {
            small.generate << smallBench.generate();
            calculated.generate << calculatedBench.generate();
            if (bigBench)
                big.generate << bigBench->generate();
            small.tick << smallBench.tick();
            if (bigBench)
                big.tick << bigBench->tick();
        }
    }
    const Stat genSmall = stat(small.generate);
    const Stat genBig = stat(big.generate);
    const Stat tickSmall = stat(small.tick);
    const Stat tickBig = stat(big.tick);
    std::printf("%7d %8d %9.3f/%9.3f %9.4f/%9.4f\n", 200, 1000, genSmall.min, genSmall.median,
        tickSmall.min, tickSmall.median);
    const Stat genCalculated = stat(calculated.generate);
    std::printf("%7d %8s %9.3f/%9.3f   (and 200 calculated columns)\n", 200, "1200",
        genCalculated.min, genCalculated.median);
    if (smoke) // the smallest sizes ran once: no goals
        return failedChildren == 0 ? 0 : 1;
    std::printf("%7d %8d %9.3f/%9.3f %9.4f/%9.4f\n", 800, 4000, genBig.min, genBig.median,
        tickBig.min, tickBig.median);

    // Goals, at the 1,000-item diagram unless named otherwise; the ratios at the other sizes
    // are printed first, for the record.
    const SizeResult &mid = results.at(1);
    double loadGrowth = 0;
    for (int i = 0; i < results.size(); ++i) {
        std::printf("at %d items: load/floor %.2f, peak/floor %.2f\n", results[i].n,
            results[i].load.median / results[i].floor.median,
            results[i].peak / results[i].floorPeak);
        if (i > 0)
            loadGrowth = std::max(loadGrowth, results[i].load.median / results[i - 1].load.median);
    }
    const double loadRatio = mid.load.median / mid.floor.median;
    const double memoryRatio = mid.peak / mid.floorPeak;
    // The same step at the largest and the smallest diagram.
    const double scrollGrowth = results.last().scroll.median / results.first().scroll.median;
    const Goal goals[] = {
        { "move_ms", mid.move.median, 2.0 },
        { "move_vs_bare", mid.move.median / mid.floorMove.median, 5.0 },
        { "scroll_ms", mid.scroll.median, 16.0 },
        { "scroll_growth", scrollGrowth, 1.5 },
        { "load_vs_floor", loadRatio, 1.5 },
        { "load_growth", loadGrowth, 4.5 },
        { "memory_vs_floor", memoryRatio, 1.5 },
        { "generate_ms", genSmall.median, 10.0 },
        { "generate_calculated_ms", genCalculated.median, 10.0 },
        { "generate_growth", genBig.median / genSmall.median, 4.5 },
        { "tick_growth", tickBig.median / tickSmall.median, 1.5 },
        { "tick_ms_at_4000_columns", tickBig.median, 0.1 },
        { "press_ms", mid.press.median, 1.0 },
        { "click_ms", mid.click.median, 1.0 },
    };
    std::printf("\n");
    for (const Goal &g : goals)
        std::printf("goal: %s %.3g %.3g %s\n", g.name, g.measured, g.limit,
            g.measured <= g.limit ? "ok" : "over");
    return 0;
}
