// The relation control's looks: defaults, the menu and its title, painting of every geometry
// case, kept ends, the pressed look, and the hit band.

#include "../common/TestSupport.h"
#include "../diagram/DiagramTestSupport.h"
#include "RelationTestSupport.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/model/RelationRouting.h"
#include "engines/TSchemaDataEngine.h"
#include "platform/TRadioGroup.h"
#include "relations/TSchemaRelation.h"
#include "relations/TfrmZkRelation.h"

#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStyleOptionButton>
#include <QToolTip>
#include <QTranslator>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace Diduza;
using namespace DiduzaTest;

Q_DECLARE_METATYPE(TSDRelationOperator)
Q_DECLARE_METATYPE(TSDRelationJoin)

namespace {

// Paints the relation as its scroll box does: origin at its corner, clipped to its bounds.
QImage render(TSchemaRelation &r)
{
    QImage image(r.Width(), r.Height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setClipRect(QRect(0, 0, r.Width(), r.Height()));
    r.Paint(painter);
    return image;
}

double distanceToSegment(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double len2 = ab.x() * ab.x() + ab.y() * ab.y();
    double t = len2 > 0 ? QPointF::dotProduct(p - a, ab) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF d = p - (a + t * ab);
    return std::sqrt(d.x() * d.x() + d.y() * d.y());
}

bool inMarker(QPoint p, QPoint corner, int margin = 0)
{
    return QRect(corner, QSize(7, 7)).adjusted(-margin, -margin, margin, margin).contains(p);
}

bool inkNear(const QImage &image, QPoint p, QRgb colour)
{
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint q = p + QPoint(dx, dy);
            if (image.rect().contains(q) && image.pixel(q) == colour)
                return true;
        }
    }
    return false;
}

} // namespace

class tst_SchemaRelationPaint : public QObject {
    Q_OBJECT
private slots:
    void defaults();
    void menu_data();
    void menu();
    void menuTitleFollowsRouting();

    void paint_data();
    void paint();
    void nothingIsDrawnBeforeRouting();
    void dottedForNonIdentifying();
    void keptEndsAreMarked_data();
    void keptEndsAreMarked();
    void pressedLooksSilverUntilReleaseOrNewColour();
    void sameColourDoesNotRepaint();
    void hitRegionIsTheBand_data();
    void hitRegionIsTheBand();
};

void tst_SchemaRelationPaint::defaults()
{
    TSchemaDesignArea area;
    TSchemaRelation r(&area);
    QCOMPARE(r.Width(), 105);
    QCOMPARE(r.Height(), 105);
    QCOMPARE(r.JoinOperator(), roEqual);
    QCOMPARE(r.JoinType(), rjInner);
    QCOMPARE(r.RelationType(), rtNormal);
    QCOMPARE(r.Color(), TColor(0));
    QCOMPARE(r.LnkX(), 0);
    QCOMPARE(r.LnkY(), 0);
    QVERIFY(!r.MouseIsDown());
    QCOMPARE(r.ParentItem(), nullptr);
    QCOMPARE(r.ChildSubItem(), nullptr);
    // The hit square at the top-left corner, 15 by 15.
    QCOMPARE(r.HitRegion(), QRegion(0, 0, 15, 15));
    QVERIFY(r.HitTest(QPoint(0, 0)));
    QVERIFY(r.HitTest(QPoint(14, 14)));
    QVERIFY(!r.HitTest(QPoint(15, 14)));
    QVERIFY(!r.HitTest(QPoint(50, 50)));
}

// ---------------------------------------------------------------------------------------------
// Menu

void tst_SchemaRelationPaint::menu_data()
{
    QTest::addColumn<int>("actions"); // bits of TZkSActions
    QTest::addColumn<bool>("edit");
    QTest::addColumn<bool>("remove");

    QTest::newRow("all") << int(TZkSActions::All().Bits()) << true << true;
    QTest::newRow("no editing") << int(TZkSActions({ saDeleteItem, saDeleteReleation }).Bits())
                                << false << true;
    QTest::newRow("no deleting") << int(TZkSActions({ saEditRelation }).Bits()) << true << false;
    QTest::newRow("only deleting items")
        << int(TZkSActions({ saDeleteItem }).Bits()) << false << false;
}

void tst_SchemaRelationPaint::menu()
{
    QFETCH(int, actions);
    QFETCH(bool, edit);
    QFETCH(bool, remove);
    TSchemaDesignArea area;
    area.SetActions(DiduzaTest::ActionsFromBits(actions));
    TSchemaRelation r(&area);
    area.SetActions(TZkSActions::All()); // too late for this relation

    QMenu *menu = r.PopMenu();
    QCOMPARE(menu->objectName(), QStringLiteral("mnu"));
    for (QAction *a : menu->actions()) {
        if (!a->isSeparator())
            QCOMPARE(a->parent(), &r); // the commands find the relation as the owner
    }
    const DiduzaTest::MenuEntries entries = DiduzaTest::ListMenu(*menu);
    // No "Change background color...": on a relation it coloured the line, not a background.
    QCOMPARE(
        entries.names, QStringList({ "mnuRelationName", "", "mnuOptions", "mnuDeleteRelation" }));
    QCOMPARE(entries.captions, QStringList({ "", "-", "Edit relation...", "Delete relation" }));
    QCOMPARE(entries.enabled, QList<bool>({ false, true, edit, remove }));
}

void tst_SchemaRelationPaint::menuTitleFollowsRouting()
{
    Diagram d(false);
    QAction *title = menuEntry(d.relation, "mnuRelationName");
    QCOMPARE(title->text(), QStringLiteral("customer :: orders"));
    QVERIFY(!title->isEnabled());
    d.parent->SetCaption(QStringLiteral("client"));
    QCOMPARE(title->text(), QStringLiteral("customer :: orders")); // until the next routing
    d.area->ReboundRelations();
    QCOMPARE(title->text(), QStringLiteral("client :: orders"));
}

// ---------------------------------------------------------------------------------------------
// Painting

void tst_SchemaRelationPaint::paint_data()
{
    QTest::addColumn<bool>("selfLink");
    QTest::addColumn<int>("lnkX");
    QTest::addColumn<int>("lnkY");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::addColumn<QPolygon>("line");
    QTest::addColumn<QPoint>("hollow");
    QTest::addColumn<QPoint>("filled");

    const QPolygon falling({ QPoint(0, 7), QPoint(15, 7), QPoint(85, 53), QPoint(100, 53) });
    const QPolygon rising({ QPoint(100, 7), QPoint(85, 7), QPoint(15, 53), QPoint(0, 53) });
    const QPolygon bracket({ QPoint(0, 7), QPoint(15, 7), QPoint(15, 53), QPoint(0, 53) });
    const QPolygon wrapFalling({ QPoint(0, 7), QPoint(15, 7), QPoint(23, 53), QPoint(13, 53) });
    const QPolygon wrapRising({ QPoint(13, 7), QPoint(23, 7), QPoint(15, 53), QPoint(0, 53) });

    QTest::newRow("self link") << true << 3 << 1 << 15 << 60
                               << QPolygon({ QPoint(0, 7), QPoint(10, 7), QPoint(10, 53),
                                      QPoint(0, 53) })
                               << QPoint(3, 4) << QPoint(3, 50);
    QTest::newRow("1,1 parent left, parent above")
        << false << 1 << 1 << 100 << 60 << falling << QPoint(3, 4) << QPoint(88, 50);
    QTest::newRow("4,2 child left, child above")
        << false << 4 << 2 << 100 << 60 << falling << QPoint(3, 4) << QPoint(88, 50);
    QTest::newRow("4,1 child left, parent above")
        << false << 4 << 1 << 100 << 60 << rising << QPoint(3, 50) << QPoint(88, 4);
    QTest::newRow("1,2 parent left, child above")
        << false << 1 << 2 << 100 << 60 << rising << QPoint(3, 50) << QPoint(88, 4);
    QTest::newRow("2,1 wrapping, width 28")
        << false << 2 << 1 << 28 << 60 << wrapFalling << QPoint(3, 4) << QPoint(16, 50);
    QTest::newRow("3,2 wrapping, width 28")
        << false << 3 << 2 << 28 << 60 << wrapFalling << QPoint(3, 4) << QPoint(16, 50);
    QTest::newRow("3,1 wrapping, width 28")
        << false << 3 << 1 << 28 << 60 << wrapRising << QPoint(3, 50) << QPoint(16, 4);
    QTest::newRow("2,2 wrapping, width 28")
        << false << 2 << 2 << 28 << 60 << wrapRising << QPoint(3, 50) << QPoint(16, 4);
    QTest::newRow("2,1 bracket, width 27")
        << false << 2 << 1 << 27 << 60 << bracket << QPoint(3, 4) << QPoint(3, 50);
    QTest::newRow("3,2 bracket, width 27")
        << false << 3 << 2 << 27 << 60 << bracket << QPoint(3, 4) << QPoint(3, 50);
    QTest::newRow("3,1 bracket, width 27")
        << false << 3 << 1 << 27 << 60 << bracket << QPoint(3, 4) << QPoint(3, 50);
    QTest::newRow("2,2 bracket, width 27")
        << false << 2 << 2 << 27 << 60 << bracket << QPoint(3, 4) << QPoint(3, 50);
    QTest::newRow("2,1 wide wrap")
        << false << 2 << 1 << 100 << 60
        << QPolygon({ QPoint(0, 7), QPoint(15, 7), QPoint(95, 53), QPoint(85, 53) }) << QPoint(3, 4)
        << QPoint(88, 50);
}

void tst_SchemaRelationPaint::paint()
{
    QFETCH(bool, selfLink);
    QFETCH(int, lnkX);
    QFETCH(int, lnkY);
    QFETCH(int, w);
    QFETCH(int, h);
    QFETCH(QPolygon, line);
    QFETCH(QPoint, hollow);
    QFETCH(QPoint, filled);

    TSchemaDesignArea area;
    area.SetColor(clLime); // the hollow marker takes the area's colour
    TSchemaItem *item = area.AddItem(QStringLiteral("T"), scListBox);
    TSchemaItem *other = area.AddItem(QStringLiteral("U"), scListBox);
    TSchemaRelation r(&area);
    r.SetParent(&area);
    r.SetParentItem(item);
    r.SetChildItem(selfLink ? item : other);
    r.SetColor(clRed);
    r.SetBounds(0, 0, w, h);
    r.SetLnkX(lnkX);
    r.SetLnkY(lnkY);
    const QImage image = render(r);

    // No red where the line and the markers are not.
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (image.pixel(x, y) != kRed)
                continue;
            const QPoint p(x, y);
            bool near = inMarker(p, hollow) || inMarker(p, filled);
            for (int i = 0; i + 1 < line.size() && !near; ++i)
                near = distanceToSegment(p, line[i], line[i + 1]) <= 1.5;
            QVERIFY2(near, qPrintable(QStringLiteral("stray pixel at %1,%2").arg(x).arg(y)));
        }
    }
    // Red all along each segment, except where a marker covers it.
    for (int i = 0; i + 1 < line.size(); ++i) {
        for (int k = 1; k < 10; ++k) {
            const QPointF f = line[i] + (line[i + 1] - line[i]) * (k / 10.0);
            const QPoint p(qRound(f.x()), qRound(f.y()));
            if (!image.rect().contains(p) || inMarker(p, hollow, 1) || inMarker(p, filled, 1))
                continue;
            QVERIFY2(inkNear(image, p, kRed),
                qPrintable(
                    QStringLiteral("segment %1 missing at %2,%3").arg(i).arg(p.x()).arg(p.y())));
        }
    }
    // The hollow marker: outlined, filled with the area's colour; the filled one: solid.
    QCOMPARE(image.pixel(hollow + QPoint(3, 3)), kLime);
    QCOMPARE(image.pixel(hollow + QPoint(3, 0)), kRed);
    QCOMPARE(image.pixel(hollow + QPoint(3, 6)), kRed);
    QCOMPARE(image.pixel(filled + QPoint(3, 3)), kRed);
    QCOMPARE(image.pixel(filled + QPoint(3, 6)), kRed);
}

void tst_SchemaRelationPaint::nothingIsDrawnBeforeRouting()
{
    TSchemaDesignArea area;
    TSchemaRelation r(&area);
    r.SetParent(&area);
    r.SetBounds(0, 0, 60, 60);
    r.SetLnkX(1); // LnkY still 0: no case applies
    const QImage image = render(r);
    QCOMPARE(count(image, kWhite), 60 * 60);
    QCOMPARE(r.HitRegion(), QRegion(0, 0, 15, 15));
}

void tst_SchemaRelationPaint::dottedForNonIdentifying()
{
    TSchemaDesignArea area;
    TSchemaRelation r(&area);
    r.SetParent(&area);
    r.SetColor(clRed);
    r.SetBounds(0, 0, 200, 100);
    r.SetLnkX(1);
    r.SetLnkY(1);
    const int solid = count(render(r), kRed);
    r.SetRelationType(rtIdentifying);
    QCOMPARE(count(render(r), kRed), solid);
    r.SetRelationType(rtNonIdentifying);
    const QImage dotted = render(r);
    QVERIFY2(count(dotted, kRed) < solid * 8 / 10,
        qPrintable(QStringLiteral("%1 of %2").arg(count(dotted, kRed)).arg(solid)));
    QCOMPARE(dotted.pixel(188 + 3, 90 + 3), kRed); // the markers stay solid
    r.SetRelationType(rtNormal);
    QCOMPARE(count(render(r), kRed), solid);
}

void tst_SchemaRelationPaint::keptEndsAreMarked_data()
{
    QTest::addColumn<bool>("selfLink");
    QTest::addColumn<int>("lnkX");
    QTest::addColumn<int>("lnkY");
    QTest::addColumn<int>("w");
    QTest::addColumn<TSDRelationJoin>("join");
    QTest::addColumn<bool>("parentMarked");
    QTest::addColumn<bool>("childMarked");

    const QList<TSDRelationJoin> joins { rjInner, rjLeftOuter, rjRightOuter, rjFull };
    struct Shape {
        const char *name;
        bool self;
        int x, y, w;
    };
    // Each arrangement, with the parent's row the upper end (LnkY 1) and the lower (LnkY 2).
    const Shape shapes[] = { { "parent left", false, 1, 1, 200 },
        { "parent left", false, 1, 2, 200 }, { "child left", false, 4, 1, 200 },
        { "child left", false, 4, 2, 200 }, { "wrapped", false, 2, 1, 120 },
        { "wrapped", false, 3, 2, 120 }, { "wrapped back", false, 3, 1, 120 },
        { "wrapped back", false, 2, 2, 120 }, { "bracket", false, 2, 1, 24 },
        { "self-link", true, 1, 1, 15 }, { "self-link", true, 1, 2, 15 } };
    for (const Shape &shape : shapes) {
        for (const TSDRelationJoin join : joins) {
            QTest::addRow("%s %d,%d, join %d", shape.name, shape.x, shape.y, int(join))
                << shape.self << shape.x << shape.y << shape.w << join
                << (join == rjLeftOuter || join == rjFull)
                << (join == rjRightOuter || join == rjFull);
        }
    }
}

// An outer join draws the stub out of the row of each table it keeps whole heavy; the other
// stubs stay as thin as the line.
void tst_SchemaRelationPaint::keptEndsAreMarked()
{
    QFETCH(bool, selfLink);
    QFETCH(int, lnkX);
    QFETCH(int, lnkY);
    QFETCH(int, w);
    QFETCH(TSDRelationJoin, join);
    QFETCH(bool, parentMarked);
    QFETCH(bool, childMarked);

    TSchemaDesignArea area;
    TSchemaItem *item = selfLink ? addTable(area, "t", { "a", "b" }, 10, 10) : nullptr;
    TSchemaRelation r(&area);
    if (selfLink) {
        r.SetParentItem(item);
        r.SetChildItem(item);
    }
    const int h = 90;
    r.SetBounds(0, 0, w, h);
    r.SetLnkX(lnkX);
    r.SetLnkY(lnkY);
    r.SetColor(clRed);
    r.SetJoinType(join);
    const QImage image = render(r);
    const RelationShape shape = ComputeRelationShape(selfLink, lnkX, lnkY, w, h);
    QVERIFY(shape.valid);
    // Ink across a stub, in the column nearest to where the line turns off it that no marker
    // covers: a thin stub crosses it in one pixel, a heavy one in three.
    auto inkOnStub = [&](QPoint end, QPoint turn) {
        const int step = end.x() > turn.x() ? 1 : -1;
        for (int x = turn.x() + 2 * step; x != end.x(); x += step) {
            const QPoint at(x, turn.y());
            if (inMarker(at, shape.hollowMarker, 1) || inMarker(at, shape.filledMarker, 1)
                || !image.rect().contains(at))
                continue;
            int n = 0;
            for (int dy = -2; dy <= 2; ++dy)
                n += image.pixel(at + QPoint(0, dy)) == kRed;
            return n;
        }
        return -1;
    };
    const int upper = inkOnStub(shape.line[0], shape.line[1]);
    const int lower = inkOnStub(shape.line[3], shape.line[2]);
    const bool parentUpper = lnkY == 1;
    const bool upperMarked = parentUpper ? parentMarked : childMarked;
    const bool lowerMarked = parentUpper ? childMarked : parentMarked;
    QCOMPARE(upper, upperMarked ? 3 : 1);
    QCOMPARE(lower, lowerMarked ? 3 : 1);
}

void tst_SchemaRelationPaint::pressedLooksSilverUntilReleaseOrNewColour()
{
    Diagram d(false);
    TSchemaRelation *r = d.relation;
    r->SetColor(clRed);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(), QPointF(), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(), QPointF(), Qt::LeftButton,
        Qt::NoButton, Qt::NoModifier);
    const QPoint outsideBand(r->Width() - 1, 0);
    QVERIFY(!r->HitTest(outsideBand));

    r->MousePress(&press, outsideBand);
    QVERIFY(r->MouseIsDown());
    QImage image = render(*r);
    QVERIFY(count(image, kSilver) > 20);
    QCOMPARE(image.pixel(QPoint(r->Width() - 12, r->Height() - 10) + QPoint(3, 3)), kRed);

    r->SetColor(clRed); // the same value: still pressed
    QVERIFY(r->MouseIsDown());
    r->MouseRelease(&release, outsideBand);
    QVERIFY(!r->MouseIsDown());
    QCOMPARE(count(render(*r), kSilver), 0);

    r->MousePress(&press, outsideBand);
    r->SetColor(clBlue); // another value: the pressed look goes
    QVERIFY(!r->MouseIsDown());
    image = render(*r);
    QCOMPARE(count(image, kSilver), 0);
    QVERIFY(count(image, kBlue) > 20);
}

void tst_SchemaRelationPaint::sameColourDoesNotRepaint()
{
    Diagram d;
    QTest::qWait(50);
    int paints = 0;
    struct Counter : QObject {
        int *n;
        explicit Counter(int *c)
            : n(c)
        {
        }
        bool eventFilter(QObject *, QEvent *e) override
        {
            *n += e->type() == QEvent::Paint;
            return false;
        }
    } counter(&paints);
    d.area->viewport()->installEventFilter(&counter);
    d.relation->SetColor(d.relation->Color());
    QTest::qWait(100);
    QCOMPARE(paints, 0);
    d.relation->SetColor(clRed);
    QTRY_VERIFY(paints > 0);
    d.area->viewport()->removeEventFilter(&counter);
}

void tst_SchemaRelationPaint::hitRegionIsTheBand_data()
{
    QTest::addColumn<int>("lnkX");
    QTest::addColumn<int>("lnkY");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<bool>("hit");

    // Box 100 x 60. Falling middle segment (15,7)-(85,53); rising (85,7)-(15,53).
    QTest::newRow("falling, middle of the segment") << 1 << 1 << QPoint(50, 30) << true;
    QTest::newRow("falling, 3 px off the segment") << 1 << 1 << QPoint(52, 27) << true;
    QTest::newRow("falling, 8 px off the segment") << 1 << 1 << QPoint(56, 24) << false;
    QTest::newRow("falling, on the stub") << 1 << 1 << QPoint(5, 7) << false;
    QTest::newRow("falling, on the other stub") << 1 << 1 << QPoint(95, 53) << false;
    QTest::newRow("falling, top-left square is gone") << 1 << 1 << QPoint(2, 2) << false;
    QTest::newRow("rising, middle") << 4 << 1 << QPoint(50, 30) << true;
    QTest::newRow("rising, where falling would be") << 4 << 1 << QPoint(20, 12) << false;
    QTest::newRow("rising, near its upper end") << 4 << 1 << QPoint(82, 10) << true;
}

void tst_SchemaRelationPaint::hitRegionIsTheBand()
{
    QFETCH(int, lnkX);
    QFETCH(int, lnkY);
    QFETCH(QPoint, point);
    QFETCH(bool, hit);
    TSchemaDesignArea area;
    TSchemaRelation r(&area);
    r.SetBounds(0, 0, 100, 60);
    r.SetLnkX(lnkX);
    r.SetLnkY(lnkY);
    QCOMPARE(r.HitTest(point), hit);
}

QTEST_MAIN(tst_SchemaRelationPaint)
#include "tst_schemarelationpaint.moc"
