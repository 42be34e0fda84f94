// Where new items go: a free spot near the one asked for, with room for relation lines.

#include "diagram/model/ItemPlacement.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace Diduza;

class tst_ItemPlacement : public QObject {
    Q_OBJECT
private slots:
    void spots_data();
    void spots();
    void anyDiagram();
};

namespace {
// True when an item at r keeps the gaps to every item of taken.
bool keepsGaps(const QVector<QRect> &taken, const QRect &r)
{
    for (const QRect &t : taken) {
        if (t.intersects(r.adjusted(-ItemGapX, -ItemGapY, ItemGapX, ItemGapY)))
            return false;
    }
    return true;
}
} // namespace

void tst_ItemPlacement::spots_data()
{
    QTest::addColumn<QVector<QRect>>("taken");
    QTest::addColumn<QPoint>("wanted");
    QTest::addColumn<QPoint>("spot");

    const QSize size(140, 150);
    const QRect shown(10, 10, 800, 500);
    const QRect a(QPoint(10, 10), size);
    const QRect b(QPoint(a.right() + 1 + ItemGapX, 10), size);
    QTest::newRow("an empty diagram: where asked")
        << QVector<QRect>() << QPoint(10, 10) << QPoint(10, 10);
    QTest::newRow("a free spot: where asked")
        << QVector<QRect> { a } << QPoint(400, 300) << QPoint(400, 300);
    QTest::newRow("on the first table: beside it, the gap apart")
        << QVector<QRect> { a } << QPoint(10, 10) << QPoint(a.right() + 1 + ItemGapX, 10);
    QTest::newRow("a row fills before the next begins")
        << QVector<QRect> { a, b } << QPoint(10, 10) << QPoint(b.right() + 1 + ItemGapX, 10);
    QTest::newRow("too close beside a table: moved off to the gap")
        << QVector<QRect> { a } << QPoint(a.right() + 11, 10)
        << QPoint(a.right() + 1 + ItemGapX, 10);
    QTest::newRow("dropped onto a table's lower part: below it")
        << QVector<QRect> { QRect(QPoint(300, 10), size) } << QPoint(300, 140)
        << QPoint(300, 10 + size.height() + ItemGapY);
    // The row is full up to the shown part's right edge: the next row, under the first table.
    QVector<QRect> row;
    for (int x = 10; x + size.width() <= shown.right(); x += size.width() + ItemGapX)
        row << QRect(QPoint(x, 10), size);
    QTest::newRow("a full row: the next one, in view")
        << row << QPoint(10, 10) << QPoint(10, 10 + size.height() + ItemGapY);
}

void tst_ItemPlacement::spots()
{
    QFETCH(QVector<QRect>, taken);
    QFETCH(QPoint, wanted);
    QFETCH(QPoint, spot);
    QCOMPARE(FreeItemSpot(taken, QSize(140, 150), wanted, QRect(10, 10, 800, 500)), spot);
}

// On any diagram the spot overlaps nothing and keeps the gaps, lies at or beyond the shown
// part's top-left corner, is the wanted one when that is free, and lies in view when the view
// has room for the item.
void tst_ItemPlacement::anyDiagram()
{
    QRandomGenerator random(20250307);
    for (int round = 0; round < 400; ++round) {
        const QRect shown(random.bounded(-300, 300), random.bounded(-300, 300),
            random.bounded(300, 1200), random.bounded(300, 900));
        QVector<QRect> taken;
        const int count = random.bounded(0, 25);
        for (int i = 0; i < count; ++i)
            taken << QRect(random.bounded(-400, 1500), random.bounded(-400, 1200),
                random.bounded(40, 300), random.bounded(30, 300));
        const QSize size(random.bounded(40, 300), random.bounded(30, 300));
        const QPoint wanted(random.bounded(-400, 1500), random.bounded(-400, 1200));
        const QPoint spot = FreeItemSpot(taken, size, wanted, shown);
        const QString where
            = QStringLiteral("round %1: (%2, %3)").arg(round).arg(spot.x()).arg(spot.y());
        QVERIFY2(keepsGaps(taken, QRect(spot, size)), qPrintable(where));
        if (keepsGaps(taken, QRect(wanted, size))) {
            QCOMPARE(spot, wanted);
            continue;
        }
        QVERIFY2(spot.x() >= shown.left() && spot.y() >= shown.top(), qPrintable(where));
        // A free place in view where an item beside or below a table would stand: the spot
        // is in view too.
        bool roomInView = false;
        for (const QRect &t : std::as_const(taken)) {
            for (const QPoint &p : { QPoint(t.right() + 1 + ItemGapX, t.top()),
                     QPoint(t.left(), t.bottom() + 1 + ItemGapY) }) {
                const QRect r(p, size);
                roomInView = roomInView || (shown.contains(r) && keepsGaps(taken, r));
            }
        }
        if (roomInView)
            QVERIFY2(shown.contains(QRect(spot, size)), qPrintable(where));
    }
}

QTEST_GUILESS_MAIN(tst_ItemPlacement)
#include "tst_itemplacement.moc"
