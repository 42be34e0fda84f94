#include "diagram/model/RelationRouting.h"

#include <QtTest>

using namespace Diduza;

class tst_RelationRouting : public QObject {
    Q_OBJECT
private slots:
    void horizontal_data();
    void horizontal();
    void vertical_data();
    void vertical();
    void shape_data();
    void shape();
    void bandCoversOnlyTheMiddleSegment();
};

void tst_RelationRouting::horizontal_data()
{
    QTest::addColumn<int>("pLeft");
    QTest::addColumn<int>("pWidth");
    QTest::addColumn<int>("cLeft");
    QTest::addColumn<int>("cWidth");
    QTest::addColumn<bool>("same");
    QTest::addColumn<int>("lnkX");
    QTest::addColumn<int>("boxLeft");
    QTest::addColumn<int>("boxRight");

    QTest::newRow("parent left, gap 16: straight")
        << 0 << 100 << 116 << 100 << false << 1 << 100 << 116;
    QTest::newRow("parent left, gap 15: wraps")
        << 0 << 100 << 115 << 100 << false << 2 << 100 << 230;
    QTest::newRow("child left, gap exactly 15: straight")
        << 115 << 100 << 0 << 100 << false << 4 << 100 << 115;
    QTest::newRow("child left, gap 14: wraps round parent")
        << 114 << 100 << 0 << 100 << false << 3 << 100 << 229;
    QTest::newRow("same left and width") << 0 << 100 << 0 << 100 << false << 3 << 100 << 115;
    QTest::newRow("child right of parent, same right edge")
        << 0 << 100 << 50 << 50 << false << 2 << 100 << 115;
    QTest::newRow("child inside parent, child right edge left")
        << 0 << 100 << 10 << 50 << false << 3 << 60 << 115;
    QTest::newRow("child left, right edge beyond parent")
        << 50 << 100 << 40 << 200 << false << 2 << 150 << 255;
    QTest::newRow("self link") << 30 << 100 << 30 << 100 << true << 0 << 130 << 145;
}

void tst_RelationRouting::horizontal()
{
    QFETCH(int, pLeft);
    QFETCH(int, pWidth);
    QFETCH(int, cLeft);
    QFETCH(int, cWidth);
    QFETCH(bool, same);
    QFETCH(int, lnkX);
    QFETCH(int, boxLeft);
    QFETCH(int, boxRight);
    RelationRouteInput in;
    in.parentLeft = pLeft;
    in.parentWidth = pWidth;
    in.childLeft = cLeft;
    in.childWidth = cWidth;
    in.sameItem = same;
    in.parentY = 40;
    in.childY = 100;
    const RelationRoute r = RouteRelation(in);
    QCOMPARE(r.lnkX, lnkX);
    QCOMPARE(r.bounds.left(), boxLeft);
    QCOMPARE(r.bounds.left() + r.bounds.width(), boxRight);
}

void tst_RelationRouting::vertical_data()
{
    QTest::addColumn<int>("yP");
    QTest::addColumn<int>("yC");
    QTest::addColumn<int>("lnkY");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("height");
    QTest::newRow("parent above") << 40 << 100 << 1 << 33 << 74;
    QTest::newRow("same y") << 40 << 40 << 2 << 33 << 14;
    QTest::newRow("child above") << 100 << 40 << 2 << 33 << 74;
    QTest::newRow("negative coordinates") << -20 << -5 << 1 << -27 << 29;
}

void tst_RelationRouting::vertical()
{
    QFETCH(int, yP);
    QFETCH(int, yC);
    QFETCH(int, lnkY);
    QFETCH(int, top);
    QFETCH(int, height);
    RelationRouteInput in;
    in.parentWidth = 100;
    in.childLeft = 200;
    in.childWidth = 100;
    in.parentY = yP;
    in.childY = yC;
    const RelationRoute r = RouteRelation(in);
    QCOMPARE(r.lnkY, lnkY);
    QCOMPARE(r.bounds.top(), top);
    QCOMPARE(r.bounds.height(), height);
}

void tst_RelationRouting::shape_data()
{
    QTest::addColumn<bool>("self");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("w");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QPoint>("p0");
    QTest::addColumn<QPoint>("p1");
    QTest::addColumn<QPoint>("p2");
    QTest::addColumn<QPoint>("p3");
    QTest::addColumn<QPoint>("hollow");
    QTest::addColumn<QPoint>("filled");
    const int H = 60;
    QTest::newRow("self link") << true << 0 << 1 << 15 << true << QPoint(0, 7) << QPoint(10, 7)
                               << QPoint(10, H - 7) << QPoint(0, H - 7) << QPoint(3, 4)
                               << QPoint(3, H - 10);
    QTest::newRow("1,1") << false << 1 << 1 << 80 << true << QPoint(0, 7) << QPoint(15, 7)
                         << QPoint(65, H - 7) << QPoint(80, H - 7) << QPoint(3, 4)
                         << QPoint(68, H - 10);
    QTest::newRow("4,2") << false << 4 << 2 << 80 << true << QPoint(0, 7) << QPoint(15, 7)
                         << QPoint(65, H - 7) << QPoint(80, H - 7) << QPoint(3, 4)
                         << QPoint(68, H - 10);
    QTest::newRow("4,1") << false << 4 << 1 << 80 << true << QPoint(80, 7) << QPoint(65, 7)
                         << QPoint(15, H - 7) << QPoint(0, H - 7) << QPoint(3, H - 10)
                         << QPoint(68, 4);
    QTest::newRow("1,2") << false << 1 << 2 << 80 << true << QPoint(80, 7) << QPoint(65, 7)
                         << QPoint(15, H - 7) << QPoint(0, H - 7) << QPoint(3, H - 10)
                         << QPoint(68, 4);
    QTest::newRow("2,1 wide") << false << 2 << 1 << 28 << true << QPoint(0, 7) << QPoint(15, 7)
                              << QPoint(23, H - 7) << QPoint(13, H - 7) << QPoint(3, 4)
                              << QPoint(16, H - 10);
    QTest::newRow("3,1 wide") << false << 3 << 1 << 40 << true << QPoint(25, 7) << QPoint(35, 7)
                              << QPoint(15, H - 7) << QPoint(0, H - 7) << QPoint(3, H - 10)
                              << QPoint(28, 4);
    QTest::newRow("2,1 narrow: bracket")
        << false << 2 << 1 << 27 << true << QPoint(0, 7) << QPoint(15, 7) << QPoint(15, H - 7)
        << QPoint(0, H - 7) << QPoint(3, 4) << QPoint(3, H - 10);
    QTest::newRow("2,2 narrow: bracket")
        << false << 2 << 2 << 20 << true << QPoint(0, 7) << QPoint(8, 7) << QPoint(8, H - 7)
        << QPoint(0, H - 7) << QPoint(3, 4) << QPoint(3, H - 10);
    QTest::newRow("never routed") << false << 0 << 0 << 105 << false << QPoint() << QPoint()
                                  << QPoint() << QPoint() << QPoint() << QPoint();
}

void tst_RelationRouting::shape()
{
    QFETCH(bool, self);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, w);
    QFETCH(bool, valid);
    const RelationShape s = ComputeRelationShape(self, x, y, w, 60);
    QCOMPARE(s.valid, valid);
    if (!valid)
        return;
    QFETCH(QPoint, p0);
    QFETCH(QPoint, p1);
    QFETCH(QPoint, p2);
    QFETCH(QPoint, p3);
    QFETCH(QPoint, hollow);
    QFETCH(QPoint, filled);
    QCOMPARE(s.line[0], p0);
    QCOMPARE(s.line[1], p1);
    QCOMPARE(s.line[2], p2);
    QCOMPARE(s.line[3], p3);
    QCOMPARE(s.hollowMarker, hollow);
    QCOMPARE(s.filledMarker, filled);
}

void tst_RelationRouting::bandCoversOnlyTheMiddleSegment()
{
    // A falling diagonal from (15, 7) to (85, 53) in a 100 x 60 box.
    const RelationShape s = ComputeRelationShape(false, 1, 1, 100, 60);
    QVERIFY(PointInPolygon(s.band, QPoint(50, 30))); // on the diagonal
    QVERIFY(!PointInPolygon(s.band, QPoint(5, 7))); // on the left stub
    QVERIFY(!PointInPolygon(s.band, QPoint(95, 53))); // on the right stub
    QVERIFY(!PointInPolygon(s.band, QPoint(80, 10))); // beside the line
    // A rising line's band.
    const RelationShape r = ComputeRelationShape(false, 4, 1, 100, 60);
    QVERIFY(PointInPolygon(r.band, QPoint(50, 30)));
    QVERIFY(!PointInPolygon(r.band, QPoint(20, 10)));
}

QTEST_GUILESS_MAIN(tst_RelationRouting)
#include "tst_relationrouting.moc"
