// What moving one item costs in a large diagram, next to moving a bare widget.
//
// A diagram of 500 list items and 1,000 relations (offscreen). One item is moved N times;
// the time per move is set beside that of a bare QWidget of the same size moved on a plain
// parent among as many sibling widgets, measured in the same run, and beside re-routing the
// item's own relations without moving it. Each is measured twice: the calls alone, and the
// calls with the event loop run after each move (painting and the queued scroll-range update).
//
// Usage: bench_move [N]   (N moves, 200 by default)

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "platform/Exceptions.h"
#include "relations/TSchemaRelation.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>

#include <cstdio>
#include <functional>
#include <random>

using namespace Diduza;

namespace {

constexpr int kItems = 500;
constexpr int kRelations = 1000;
constexpr int kRows = 6;

// Microseconds per call of step(i) over n calls, optionally running the event loop after each.
double perCall(int n, bool events, const std::function<void(int)> &step)
{
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < n; ++i) {
        step(i);
        if (events)
            QApplication::processEvents();
    }
    return double(timer.nsecsElapsed()) / 1000.0 / n;
}

// Where the moved thing goes on step i: back and forth around its place, always somewhere new
// compared with the step before.
QPoint place(const QPoint &base, int i)
{
    return base + QPoint((i % 2) * 7, (i % 3) * 5);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int n = argc > 1 ? qMax(1, atoi(argv[1])) : 200;

    // --- the diagram ---
    QElapsedTimer build;
    build.start();
    TSchemaDesignArea area;
    area.resize(1200, 800);
    area.show();
    QList<TSchemaItem *> items;
    for (int i = 0; i < kItems; ++i) {
        TSchemaItem *item = area.AddItem(QStringLiteral("table%1").arg(i), scListBox);
        for (int r = 0; r < kRows; ++r)
            item->AddSubItem(QStringLiteral("field%1").arg(r), -1, false);
        item->RecalculateHeight();
        item->RecalculateWidth();
        item->move((i % 25) * 190, (i / 25) * 150);
        items << item;
    }
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> anyItem(0, kItems - 1);
    std::uniform_int_distribution<int> anyRow(0, kRows - 1);
    int relations = 0;
    while (relations < kRelations) {
        const int a = anyItem(random);
        const int b = anyItem(random);
        if (a == b)
            continue;
        try {
            area.AddRelation(items[a], items[b], items[a]->GetSubItem(anyRow(random)),
                items[b]->GetSubItem(anyRow(random)));
            ++relations;
        } catch (const Exception &) {
            // Those two rows are linked already; draw again.
        }
    }
    QApplication::processEvents();
    std::printf("diagram: %d items, %d relations, built in %lld ms\n", area.GetItemCount(),
        area.GetRelationCount(), build.elapsed());

    // The moved item: one near the middle of the visible part, with the average number of
    // relations.
    TSchemaItem *moved = items[27];
    int own = 0;
    for (int i = 0; i < area.GetRelationCount(); ++i) {
        TSchemaRelation *r = area.GetRelation(i);
        own += r->ParentItem() == moved || r->ChildItem() == moved;
    }
    const QPoint itemBase = moved->pos();
    std::printf("moved item: %d x %d at (%d, %d), %d relations of its own\n", moved->width(),
        moved->height(), itemBase.x(), itemBase.y(), own);

    // --- the bare widget ---
    QWidget parent;
    parent.resize(1200, 800);
    QList<QWidget *> siblings;
    for (int i = 0; i < kItems; ++i) {
        auto *w = new QWidget(&parent);
        w->setGeometry((i % 25) * 190, (i / 25) * 150, moved->width(), moved->height());
        siblings << w;
    }
    parent.show();
    QWidget *bare = siblings[27];
    const QPoint bareBase = bare->pos();
    QApplication::processEvents();

    std::printf("\n%d moves each; microseconds per move\n", n);
    std::printf("%-44s %12s %16s\n", "", "calls only", "with event loop");
    double item[2], widget[2], reroute[2];
    for (int events = 0; events < 2; ++events) {
        item[events] = perCall(n, events, [&](int i) { moved->move(place(itemBase, i)); });
        widget[events] = perCall(n, events, [&](int i) { bare->move(place(bareBase, i)); });
        reroute[events]
            = perCall(n, events, [&](int) { area.ReboundRelationsForItem(moved, true); });
    }
    moved->move(itemBase);

    // A press on bare canvas asks every relation whether the point lies on its line.
    QWidget *canvas = area.ClientWidget();
    const QPoint empty(canvas->width() - 3, canvas->height() - 3);
    const double press = perCall(qMax(1, n / 20), false, [&](int) {
        QMouseEvent down(QEvent::MouseButtonPress, QPointF(empty),
            QPointF(canvas->mapToGlobal(empty)), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &down);
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(empty),
            QPointF(canvas->mapToGlobal(empty)), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &up);
    });

    std::printf("%-44s %12.2f %16.2f\n", "item in the diagram", item[0], item[1]);
    std::printf(
        "%-44s %12.2f %16.2f\n", "bare QWidget among as many siblings", widget[0], widget[1]);
    std::printf("%-44s %12.2f %16.2f\n", "re-routing the item's relations, no move", reroute[0],
        reroute[1]);
    std::printf("%-44s %12.2f\n", "press and release on bare canvas", press);
    std::printf("\nratio item / bare widget: %.1f (calls only), %.1f (with event loop)\n",
        item[0] / widget[0], item[1] / widget[1]);
    std::printf("share of re-routing in an item's move: %.0f %% (calls only)\n",
        100.0 * reroute[0] / item[0]);
    return 0;
}
