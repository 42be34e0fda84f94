// The relation control: defaults, menu, painting of every geometry case, the hit band and
// the mouse, the properties dialog and its layout.

#include "../common/TestSupport.h"
#include "../diagram/DiagramTestSupport.h"

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

// Records the presses that fall through to the area itself.
class RecordingArea : public TSchemaDesignArea {
public:
    int barePresses = 0;

protected:
    void ViewportMousePress(QMouseEvent *event) override
    {
        ++barePresses;
        TSchemaDesignArea::ViewportMousePress(event);
    }
};

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kLime = qRgb(0, 255, 0);
const QRgb kSilver = qRgb(192, 192, 192);
const QRgb kWhite = qRgb(255, 255, 255);

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

int count(const QImage &image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    }
    return n;
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

// A diagram with two items whose rows a relation joins from left to right.
struct Diagram {
    std::unique_ptr<RecordingArea> area;
    TSchemaItem *parent = nullptr;
    TSchemaItem *child = nullptr;
    TSchemaRelation *relation = nullptr;

    explicit Diagram(bool show = true)
        : area(std::make_unique<RecordingArea>())
    {
        area->resize(700, 500);
        if (show) {
            area->show();
            if (!QTest::qWaitForWindowExposed(area.get()))
                qWarning("area not exposed");
        }
        parent = addTable(*area, "customer", { "id", "name" }, 10, 10);
        child = addTable(*area, "orders", { "id", "amount", "customer_id" }, 350, 150);
        relation = link(*area, parent, 0, child, 2);
    }
    // A client point of the relation, in the area's viewport.
    QPoint at(QPoint p) const { return relation->BoundsRect().topLeft() + p; }
};

} // namespace

class tst_SchemaRelation : public QObject {
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

    void mousePresses_data();
    void mousePresses();
    void controlAtPosFindsAnotherRelation();
    void deleteAndColourEntries();
    void deleteThroughTheOpenMenu();
    void pressedLookEndsWithTheMenu_data();
    void pressedLookEndsWithTheMenu();
    void doubleClickOpensTheDialog_data();
    void doubleClickOpensTheDialog();
    void toolTipShowsTheJoin_data();
    void toolTipShowsTheJoin();

    void editRelation_data();
    void editRelation();
    void unavailableJoinKindShown();
    void dialogNamesTheKeptTable_data();
    void dialogNamesTheKeptTable();
    void relationDeletedWhileDialogIsOpen();
    void dialogLayout_data();
    void dialogLayout();
    void dialogForm();
    void dialogLabelsFitTheirTexts_data();
    void dialogLabelsFitTheirTexts();
};

void tst_SchemaRelation::defaults()
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

void tst_SchemaRelation::menu_data()
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

void tst_SchemaRelation::menu()
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

void tst_SchemaRelation::menuTitleFollowsRouting()
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

void tst_SchemaRelation::paint_data()
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

void tst_SchemaRelation::paint()
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

void tst_SchemaRelation::nothingIsDrawnBeforeRouting()
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

void tst_SchemaRelation::dottedForNonIdentifying()
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

void tst_SchemaRelation::keptEndsAreMarked_data()
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
void tst_SchemaRelation::keptEndsAreMarked()
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

void tst_SchemaRelation::pressedLooksSilverUntilReleaseOrNewColour()
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

void tst_SchemaRelation::sameColourDoesNotRepaint()
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

void tst_SchemaRelation::hitRegionIsTheBand_data()
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

void tst_SchemaRelation::hitRegionIsTheBand()
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

// ---------------------------------------------------------------------------------------------
// Mouse

void tst_SchemaRelation::mousePresses_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("menu");
    QTest::addColumn<bool>("fallsThrough");

    const int left = Qt::LeftButton;
    const int right = Qt::RightButton;
    QTest::newRow("band, left button") << "band" << left << false << true << false;
    QTest::newRow("band, right button") << "band" << right << false << true << false;
    QTest::newRow("band, left button, read-only") << "band" << left << true << false << false;
    QTest::newRow("band, right button, read-only") << "band" << right << true << false << false;
    QTest::newRow("stub beside the parent item") << "stub" << left << false << false << true;
    QTest::newRow("stub, right button") << "stub" << right << false << false << true;
    QTest::newRow("box corner away from the line") << "corner" << left << false << false << true;
}

void tst_SchemaRelation::mousePresses()
{
    QFETCH(QString, where);
    QFETCH(int, button);
    QFETCH(bool, readOnly);
    QFETCH(bool, menu);
    QFETCH(bool, fallsThrough);

    Diagram d;
    TSchemaRelation *r = d.relation;
    QCOMPARE(r->LnkX(), 1);
    QCOMPARE(r->LnkY(), 1);
    d.area->SetReadOnly(readOnly);
    QPoint p;
    if (where == QLatin1String("band"))
        p = d.at(QPoint(r->Width() / 2, r->Height() / 2));
    else if (where == QLatin1String("stub"))
        p = d.at(QPoint(5, 7));
    else
        p = d.at(QPoint(r->Width() - 5, 3));
    QCOMPARE(d.area->viewport()->childAt(p), nullptr); // bare viewport, no item there

    const auto b = Qt::MouseButton(button);
    QTest::mousePress(d.area->viewport(), b, {}, p);
    QCOMPARE(r->PopMenu()->isVisible(), menu);
    QCOMPARE(d.area->barePresses, fallsThrough ? 1 : 0);
    QCOMPARE(r->MouseIsDown(), !fallsThrough);
    if (menu)
        QCOMPARE(r->PopMenu()->pos(), r->ClientToScreen(p - r->BoundsRect().topLeft()));
    r->PopMenu()->hide();
    QTest::mouseRelease(d.area->viewport(), b, {}, p);
    QVERIFY(!r->MouseIsDown());
}

void tst_SchemaRelation::controlAtPosFindsAnotherRelation()
{
    TSchemaDesignArea area;
    auto place = [&](int x, int y, int lnkX) {
        auto *r = new TSchemaRelation(&area);
        r->SetParent(&area);
        r->SetBounds(x, y, 100, 60);
        r->SetLnkX(lnkX);
        r->SetLnkY(1);
        return r;
    };
    TSchemaRelation *falling = place(0, 0, 1);
    TSchemaRelation *rising = place(0, 0, 4); // its band crosses the falling one at (50, 30)
    TSchemaRelation *top = place(5, 3, 1); // shifted: its band covers (50, 30) too

    // Client points of each relation are converted through the area.
    const QPoint middle(50, 30);
    QVERIFY(top->HitTest(middle - QPoint(5, 3)));
    QCOMPARE(falling->ControlAtPos(middle), top); // the topmost other one
    QCOMPARE(top->ControlAtPos(middle - QPoint(5, 3)), rising);
    // Where only the rising band lies.
    const QPoint risingOnly(82, 10);
    QVERIFY(!falling->HitTest(risingOnly));
    QVERIFY(!top->HitTest(risingOnly - QPoint(5, 3)));
    QCOMPARE(falling->ControlAtPos(risingOnly), rising);
    QCOMPARE(top->ControlAtPos(risingOnly - QPoint(5, 3)), rising);
    QCOMPARE(rising->ControlAtPos(risingOnly), nullptr); // never itself
    // Far from every other band: nothing.
    TSchemaRelation *lone = place(300, 300, 1);
    QCOMPARE(lone->ControlAtPos(middle), nullptr);
}

void tst_SchemaRelation::deleteAndColourEntries()
{
    FakeDialogService dialogs;
    dialogs.colorAnswer = clFuchsia;
    QStringList log;
    Diagram d(false);
    logEvents(*d.area, log);
    QPointer<TSchemaRelation> r = d.relation;

    menuEntry(r, "mnuColorRelation")->trigger();
    QCOMPARE(dialogs.colorShown, TColor(0));
    QCOMPARE(r->Color(), clFuchsia);

    menuEntry(r, "mnuDeleteRelation")->trigger();
    QCOMPARE(log, QStringList({ "DeleteRelation customer.id>orders.customer_id" }));
    QCOMPARE(d.area->GetRelationCount(), 0);
    QVERIFY(!d.parent->GetSubItem(0)->Linked());
    QTRY_VERIFY(r.isNull());
}

void tst_SchemaRelation::deleteThroughTheOpenMenu()
{
    // The user clicks the line and picks "Delete relation": the relation owns the menu that is
    // still finishing the click, so it must outlive it.
    Diagram d;
    QPointer<TSchemaRelation> r = d.relation;
    const QPoint band = d.at(QPoint(r->Width() / 2, r->Height() / 2));
    QTest::mousePress(d.area->viewport(), Qt::RightButton, {}, band);
    QMenu *menu = r->PopMenu();
    QVERIFY(menu->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QAction *entry = menuEntry(r, "mnuDeleteRelation");
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
    QCOMPARE(d.area->GetRelationCount(), 0);
    QTRY_VERIFY(r.isNull());
    QTest::mouseRelease(d.area->viewport(), Qt::RightButton, {}, band);
    QCOMPARE(d.area->barePresses, 0);
}

void tst_SchemaRelation::pressedLookEndsWithTheMenu_data()
{
    QTest::addColumn<QString>("entry"); // what the user picks; empty: Escape closes the menu
    QTest::newRow("closed with Escape") << QString();
    QTest::newRow("closed by a click beside it") << "beside";
    QTest::newRow("properties dialog cancelled") << "mnuOptions";
}

// A press on the line opens its menu; once the menu is gone the line is drawn in its own colour
// again, not silver as while pressed (the menu took the release).
void tst_SchemaRelation::pressedLookEndsWithTheMenu()
{
    QFETCH(QString, entry);
    FakeDialogService dialogs;
    dialogs.colorConfirms = false;
    Diagram d;
    TSchemaRelation *r = d.relation;
    const QPoint band = d.at(QPoint(r->Width() / 2, r->Height() / 2));
    QTest::mousePress(d.area->viewport(), Qt::LeftButton, {}, band);
    QMenu *menu = r->PopMenu();
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QVERIFY(r->MouseIsDown());
    if (entry.isEmpty()) {
        QTest::keyClick(menu, Qt::Key_Escape);
    } else if (entry == QLatin1String("beside")) {
        QTest::mouseClick(menu, Qt::LeftButton, {}, QPoint(menu->width() + 20, -20));
    } else {
        QAction *action = menuEntry(r, entry.toLatin1().constData());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    }
    QTRY_VERIFY(!menu->isVisible());
    QVERIFY(!r->MouseIsDown());
    const QImage shown = d.area->viewport()->grab(r->BoundsRect()).toImage();
    QCOMPARE(count(shown, kSilver), 0);
    QVERIFY(count(shown, qRgb(0, 0, 0)) > 20);
}

void tst_SchemaRelation::doubleClickOpensTheDialog_data()
{
    QTest::addColumn<QString>("how"); // "window": through the window system, as a user does
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("editable"); // saEditRelation in the area's Actions
    QTest::addColumn<bool>("dialog");
    // Whether the menu shows afterwards; -1 where that is the menu's own way with a second
    // press on it (the platform's).
    QTest::addColumn<int>("menuAfter");

    QTest::newRow("double-click on the line") << "window"
                                              << "band" << false << true << true << 0;
    QTest::newRow("the viewport told of the double-click") << "event"
                                                           << "band" << false << true << true << 0;
    QTest::newRow("two clicks, slower than a double-click")
        << "slow"
        << "band" << false << true << false << -1;
    QTest::newRow("read-only area") << "window"
                                    << "band" << true << true << false << 0;
    QTest::newRow("editing not allowed") << "window"
                                         << "band" << false << false << false << -1;
    QTest::newRow("editing not allowed, the viewport told: the menu, as for a press")
        << "event"
        << "band" << false << false << false << 1;
    QTest::newRow("on the stub beside the item") << "window"
                                                 << "stub" << false << true << false << 0;
    QTest::newRow("right button") << "right"
                                  << "band" << false << true << false << -1;
}

// A double-click on a relation's line opens the properties dialog, as the menu's "Edit
// relation..." does (its choice is kept), where the menu offers that entry.
void tst_SchemaRelation::doubleClickOpensTheDialog()
{
    QFETCH(QString, how);
    QFETCH(QString, where);
    QFETCH(bool, readOnly);
    QFETCH(bool, editable);
    QFETCH(bool, dialog);
    QFETCH(int, menuAfter);

    FakeDialogService dialogs;
    auto area = std::make_unique<RecordingArea>();
    if (!editable)
        area->SetActions(TZkSActions({ saDeleteItem, saDeleteReleation }));
    area->resize(700, 500);
    area->show();
    QVERIFY(QTest::qWaitForWindowExposed(area.get()));
    TSchemaItem *parent = addTable(*area, "customer", { "id", "name" }, 10, 10);
    TSchemaItem *child = addTable(*area, "orders", { "id", "amount", "customer_id" }, 350, 150);
    TSchemaRelation *r = link(*area, parent, 0, child, 2);
    area->SetReadOnly(readOnly);

    QString shownTable;
    dialogs.modal = [&](QDialog &shown) {
        auto *form = qobject_cast<TfrmZkRelation *>(&shown);
        if (!form)
            return int(QDialog::Rejected);
        shownTable = form->txtTable1->text();
        form->rgJoinType->Button(rjLeftOuter)->click();
        return int(QDialog::Accepted);
    };
    const QPoint client
        = where == QLatin1String("band") ? QPoint(r->Width() / 2, r->Height() / 2) : QPoint(5, 7);
    const QPoint p = r->BoundsRect().topLeft() + client;
    QWidget *viewport = area->viewport();
    QWindow *window = area->window()->windowHandle();
    const QPoint inWindow = viewport->mapTo(area->window(), p);
    if (how == QLatin1String("window")) {
        QTest::mouseDClick(window, Qt::LeftButton, {}, inWindow);
    } else if (how == QLatin1String("slow")) {
        QTest::mouseClick(window, Qt::LeftButton, {}, inWindow);
        QTest::mouseClick(window, Qt::LeftButton, {}, inWindow);
    } else if (how == QLatin1String("right")) {
        QTest::mouseDClick(window, Qt::RightButton, {}, inWindow);
    } else {
        QTest::mousePress(viewport, Qt::LeftButton, {}, p);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, p);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, p);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, p);
    }
    QCoreApplication::processEvents();
    if (dialog)
        QTRY_COMPARE(dialogs.modalCalls, 1);
    QTest::qWait(20);
    QCOMPARE(dialogs.modalCalls, dialog ? 1 : 0);
    QCOMPARE(shownTable, dialog ? QStringLiteral("customer") : QString());
    QCOMPARE(r->JoinType(), dialog ? rjLeftOuter : rjInner);
    if (menuAfter >= 0)
        QCOMPARE(r->PopMenu()->isVisible(), menuAfter == 1);
    QCOMPARE(area->barePresses > 0, where != QLatin1String("band")); // the stub: the area's
    r->PopMenu()->hide();
}

void tst_SchemaRelation::toolTipShowsTheJoin_data()
{
    QTest::addColumn<TSDRelationOperator>("op");
    QTest::addColumn<TSDRelationJoin>("join");
    QTest::addColumn<QString>("text");
    QTest::newRow("inner") << roEqual << rjInner
                           << "customer.id = orders.customer_id\nInner join: the rows that match";
    QTest::newRow("left outer") << roLess << rjLeftOuter
                                << "customer.id < orders.customer_id\n"
                                   "Left outer join: every row of customer";
    QTest::newRow("right outer") << roNonEqual << rjRightOuter
                                 << "customer.id <> orders.customer_id\n"
                                    "Right outer join: every row of orders";
    QTest::newRow("full outer") << roGreaterThan << rjFull
                                << "customer.id >= orders.customer_id\n"
                                   "Full outer join: every row of customer and of orders";
}

// Resting the pointer on the line shows which join it is; beside the line there is no tip.
void tst_SchemaRelation::toolTipShowsTheJoin()
{
    QFETCH(TSDRelationOperator, op);
    QFETCH(TSDRelationJoin, join);
    QFETCH(QString, text);
    Diagram d;
    TSchemaRelation *r = d.relation;
    r->SetJoinOperator(op);
    r->SetJoinType(join);
    QWidget *viewport = d.area->viewport();
    auto rest = [viewport](QPoint p) {
        QHelpEvent help(QEvent::ToolTip, p, viewport->mapToGlobal(p));
        QCoreApplication::sendEvent(viewport, &help);
    };
    rest(d.at(QPoint(r->Width() / 2, r->Height() / 2)));
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), text);
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    rest(d.at(QPoint(5, 7))); // the stub beside the parent item is not the line's band
    QCoreApplication::processEvents();
    QVERIFY(!QToolTip::isVisible());
}

// ---------------------------------------------------------------------------------------------
// Properties dialog

void tst_SchemaRelation::editRelation_data()
{
    QTest::addColumn<TSDRelationOperator>("startOp");
    QTest::addColumn<TSDRelationJoin>("startJoin");
    QTest::addColumn<int>("pickOp"); // -1: leave as shown
    QTest::addColumn<int>("pickJoin");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<TSDRelationOperator>("op");
    QTest::addColumn<TSDRelationJoin>("join");

    QTest::newRow("<> and Full Outer")
        << roEqual << rjInner << 5 << 3 << true << roNonEqual << rjFull;
    QTest::newRow("cancelled") << roEqual << rjInner << 5 << 3 << false << roEqual << rjInner;
    QTest::newRow("confirmed unchanged")
        << roLessThan << rjRightOuter << -1 << -1 << true << roLessThan << rjRightOuter;
    QTest::newRow(">= and Left Outer")
        << roGreater << rjFull << 4 << 1 << true << roGreaterThan << rjLeftOuter;
    QTest::newRow("< only") << roEqual << rjLeftOuter << 1 << -1 << true << roLess << rjLeftOuter;
}

void tst_SchemaRelation::editRelation()
{
    QFETCH(TSDRelationOperator, startOp);
    QFETCH(TSDRelationJoin, startJoin);
    QFETCH(int, pickOp);
    QFETCH(int, pickJoin);
    QFETCH(bool, ok);
    QFETCH(TSDRelationOperator, op);
    QFETCH(TSDRelationJoin, join);

    FakeDialogService dialogs;
    Diagram d(false);
    TSchemaRelation *r = d.relation;
    r->SetJoinOperator(startOp);
    r->SetJoinType(startJoin);
    QStringList shown;
    QList<int> preselected;
    dialogs.modal = [&](QDialog &dialog) {
        auto *form = qobject_cast<TfrmZkRelation *>(&dialog);
        if (!form)
            return int(QDialog::Rejected);
        shown << form->txtTable1->text() << form->txtCol1->text() << form->txtTable2->text()
              << form->txtCol2->text();
        preselected << form->rgJoinOperator->ItemIndex() << form->rgJoinType->ItemIndex();
        if (pickOp >= 0)
            form->rgJoinOperator->Button(pickOp)->click();
        if (pickJoin >= 0)
            form->rgJoinType->Button(pickJoin)->click();
        return int(ok ? QDialog::Accepted : QDialog::Rejected);
    };
    menuEntry(r, "mnuOptions")->trigger();

    QCOMPARE(dialogs.modalCalls, 1);
    QCOMPARE(shown, QStringList({ "customer", "id", "orders", "customer_id" }));
    QCOMPARE(preselected, QList<int>({ int(startOp), int(startJoin) }));
    QCOMPARE(r->JoinOperator(), op);
    QCOMPARE(r->JoinType(), join);
}

namespace {
// An engine on a database without full outer joins.
class NoFullJoins : public TSchemaDataEngine {
public:
    bool JoinAvailable(TSDRelationJoin Join) const override { return Join != rjFull; }
};
} // namespace

// The dialog shows the kinds the area's database cannot run as not available; a relation of
// such a kind keeps it until another is chosen.
void tst_SchemaRelation::unavailableJoinKindShown()
{
    FakeDialogService dialogs;
    Diagram d(false);
    NoFullJoins engine;
    d.area->SetDataEngine(&engine);
    d.relation->SetJoinType(rjFull);
    QList<bool> enabled;
    QString fullTip;
    dialogs.modal = [&](QDialog &dialog) {
        auto *form = qobject_cast<TfrmZkRelation *>(&dialog);
        for (int i = 0; i < 4; ++i)
            enabled << form->rgJoinType->Button(i)->isEnabled();
        fullTip = form->rgJoinType->Button(rjFull)->toolTip();
        return int(QDialog::Accepted);
    };
    menuEntry(d.relation, "mnuOptions")->trigger();
    QCOMPARE(enabled, QList<bool>({ true, true, true, false }));
    QVERIFY2(fullTip.contains(QStringLiteral("Not available")), qPrintable(fullTip));
    QCOMPARE(d.relation->JoinType(), rjFull);

    d.area->SetDataEngine(nullptr);
    enabled.clear();
    menuEntry(d.relation, "mnuOptions")->trigger();
    QCOMPARE(enabled, QList<bool>({ true, true, true, true }));
    QVERIFY(!fullTip.contains(QStringLiteral("Not available")));
}

void tst_SchemaRelation::dialogNamesTheKeptTable_data()
{
    QTest::addColumn<TSDRelationJoin>("join");
    QTest::addColumn<QString>("line"); // under the join kinds, for the selected one
    QTest::newRow("inner") << rjInner << "Matching rows only";
    QTest::newRow("left outer") << rjLeftOuter << "All rows of customer";
    QTest::newRow("right outer") << rjRightOuter << "All rows of orders";
    QTest::newRow("full outer") << rjFull << "All rows of customer and orders";
}

// The dialog names the table each join kind keeps whole: in the line under the kinds, which
// follows the choice, and in each kind's tool tip.
void tst_SchemaRelation::dialogNamesTheKeptTable()
{
    QFETCH(TSDRelationJoin, join);
    QFETCH(QString, line);
    FakeDialogService dialogs;
    Diagram d(false);
    d.relation->SetJoinType(join);
    QString shown;
    QString afterChoice;
    QStringList tips;
    dialogs.modal = [&](QDialog &dialog) {
        auto *form = qobject_cast<TfrmZkRelation *>(&dialog);
        shown = form->lblJoinKeeps->text();
        for (int i = 0; i < 4; ++i)
            tips << form->rgJoinType->Button(i)->toolTip();
        form->rgJoinType->Button(join == rjRightOuter ? rjLeftOuter : rjRightOuter)->click();
        afterChoice = form->lblJoinKeeps->text();
        return int(QDialog::Rejected);
    };
    menuEntry(d.relation, "mnuOptions")->trigger();
    QCOMPARE(shown, line);
    QCOMPARE(afterChoice,
        join == rjRightOuter ? QStringLiteral("All rows of customer")
                             : QStringLiteral("All rows of orders"));
    QCOMPARE(tips,
        QStringList({ "Only the rows of customer and orders that match.",
            "Every row of customer, with the matching rows of orders or nothing.",
            "Every row of orders, with the matching rows of customer or nothing.",
            "Every row of customer and of orders, matched where they match." }));
}

void tst_SchemaRelation::relationDeletedWhileDialogIsOpen()
{
    FakeDialogService dialogs;
    Diagram d(false);
    QPointer<TSchemaRelation> r = d.relation;
    dialogs.modal = [&](QDialog &dialog) {
        d.area->DeleteRelationsForItem(d.parent, nullptr); // the application deletes it
        qobject_cast<TfrmZkRelation *>(&dialog)->rgJoinOperator->Button(5)->click();
        return int(QDialog::Accepted);
    };
    r->EditRelation(nullptr);
    QVERIFY(r.isNull());
    QCOMPARE(d.area->GetRelationCount(), 0);
}

void tst_SchemaRelation::dialogLayout_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");

    QTest::newRow("gbParent") << "gbParent" << QRect(5, 8, 313, 57) << " Parent ";
    QTest::newRow("Label1") << "Label1" << QRect(4, 15, 60, 13) << "Table 1:";
    QTest::newRow("Label3") << "Label3" << QRect(4, 32, 60, 13) << "Column 1:";
    QTest::newRow("txtTable1") << "txtTable1" << QRect(70, 15, 205, 16) << "";
    QTest::newRow("txtCol1") << "txtCol1" << QRect(70, 31, 205, 16) << "";
    QTest::newRow("gbChild") << "gbChild" << QRect(5, 72, 313, 57) << " Child ";
    QTest::newRow("Label2") << "Label2" << QRect(4, 15, 60, 13) << "Table 2:";
    QTest::newRow("Label4") << "Label4" << QRect(4, 31, 60, 13) << "Column 2:";
    QTest::newRow("txtTable2") << "txtTable2" << QRect(70, 15, 205, 16) << "";
    QTest::newRow("txtCol2") << "txtCol2" << QRect(70, 31, 205, 16) << "";
    QTest::newRow("rgJoinOperator")
        << "rgJoinOperator" << QRect(5, 140, 130, 60) << " Join Operator ";
    QTest::newRow("rgJoinType") << "rgJoinType" << QRect(140, 140, 178, 60) << " Join Type ";
    QTest::newRow("BtnOk") << "BtnOk" << QRect(163, 225, 75, 25) << "&OK";
    QTest::newRow("BtnCancel") << "BtnCancel" << QRect(243, 225, 75, 25) << "&Cancel";
}

void tst_SchemaRelation::dialogLayout()
{
    QFETCH(QString, control);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);

    TfrmZkRelation form;
    form.layout()->activate();
    const QMap<QString, QWidget *> controls {
        { "gbParent", form.gbParent },
        { "Label1", form.Label1 },
        { "Label3", form.Label3 },
        { "txtTable1", form.txtTable1 },
        { "txtCol1", form.txtCol1 },
        { "gbChild", form.gbChild },
        { "Label2", form.Label2 },
        { "Label4", form.Label4 },
        { "txtTable2", form.txtTable2 },
        { "txtCol2", form.txtCol2 },
        { "rgJoinOperator", form.rgJoinOperator },
        { "rgJoinType", form.rgJoinType },
        { "BtnOk", form.BtnOk },
        { "BtnCancel", form.BtnCancel },
    };
    QWidget *w = controls.value(control);
    QVERIFY(w);
    // The designed size is the least a control gets; it grows where its text needs more.
    QVERIFY2(w->width() >= geometry.width() && w->height() >= geometry.height(),
        qPrintable(QStringLiteral("%1 x %2").arg(w->width()).arg(w->height())));
    if (auto *label = qobject_cast<QLabel *>(w)) {
        QCOMPARE(label->text(), text);
        if (control.startsWith(QLatin1String("Label"))) {
            QVERIFY(label->alignment() & Qt::AlignRight);
        } else {
            QVERIFY(label->font().bold());
            QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        }
    } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
        QCOMPARE(group->title(), text);
    } else if (auto *button = qobject_cast<QPushButton *>(w)) {
        QCOMPARE(button->text(), text);
    }
    // The value labels sit in the group boxes.
    if (control.startsWith(QLatin1String("txt")) || control.startsWith(QLatin1String("Label"))) {
        QVERIFY(w->parentWidget() == form.gbParent || w->parentWidget() == form.gbChild);
        QCOMPARE(w->parentWidget() == form.gbParent,
            control.endsWith(QLatin1Char('1')) || control == QLatin1String("Label3"));
    }
}

void tst_SchemaRelation::dialogForm()
{
    TfrmZkRelation form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Relation properties"));
    form.layout()->activate();
    QVERIFY(form.width() >= 322 && form.height() >= 256);
    QCOMPARE(form.minimumSize(), form.maximumSize()); // a fixed border
    QCOMPARE(form.rgJoinOperator->Items(), QStringList({ "=", "<", ">", "<=", ">=", "<>" }));
    QCOMPARE(form.rgJoinOperator->Columns(), 3);
    QCOMPARE(form.rgJoinOperator->ItemIndex(), 0);
    QCOMPARE(form.rgJoinType->Items(),
        QStringList({ "Inner", "Left Outer", "Right Outer", "Full Outer" }));
    QCOMPARE(form.rgJoinType->Columns(), 2);
    QCOMPARE(form.rgJoinType->ItemIndex(), 0);
    QCOMPARE(form.focusWidget(), form.rgJoinOperator->Button(0)); // the operators first
    QCOMPARE(form.bvlButtons->y(), form.height() - 40);
    QCOMPARE(form.BtnCancel->geometry().right(), form.width() - 5);
    // The designed arrangement: the parent above the child, the operator beside the join type
    // below them, the buttons at the bottom right, OK first.
    QCOMPARE(form.gbParent->pos(), QPoint(5, 8));
    QCOMPARE(form.gbChild->x(), 5);
    QCOMPARE(form.gbChild->y(), form.gbParent->geometry().bottom() + 8);
    QCOMPARE(form.rgJoinOperator->pos(), QPoint(5, form.gbChild->geometry().bottom() + 12));
    QCOMPARE(form.rgJoinType->y(), form.rgJoinOperator->y());
    QCOMPARE(form.rgJoinType->x(), form.rgJoinOperator->geometry().right() + 6);
    QCOMPARE(form.rgJoinType->geometry().right(), form.gbChild->geometry().right());
    QCOMPARE(form.bvlButtons->y(), form.rgJoinType->geometry().bottom() + 17);
    QCOMPARE(form.BtnOk->y(), form.BtnCancel->y());
    QCOMPARE(form.BtnCancel->x(), form.BtnOk->geometry().right() + 6);

    // Operators fill the three columns top to bottom: "=" "<" in the first, ">" "<=" next.
    form.rgJoinOperator->layout()->activate();
    QAbstractButton *eq = form.rgJoinOperator->Button(0);
    QAbstractButton *less = form.rgJoinOperator->Button(1);
    QAbstractButton *greater = form.rgJoinOperator->Button(2);
    QCOMPARE(eq->x(), less->x());
    QVERIFY(less->y() > eq->y());
    QVERIFY(greater->x() > eq->x());
    QCOMPARE(greater->y(), eq->y());

    // OK accepts, Cancel and Escape reject.
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.BtnOk->click();
    QCOMPARE(form.result(), int(QDialog::Accepted));
    form.show();
    form.BtnCancel->click();
    QCOMPARE(form.result(), int(QDialog::Rejected));
    form.setResult(QDialog::Accepted);
    form.show();
    QTest::keyClick(&form, Qt::Key_Escape);
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QVERIFY(form.BtnOk->isDefault());
}

namespace {
// A translation that makes every text of the dialog longer, as many languages do.
class LongerTexts : public QTranslator {
public:
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (qstrcmp(context, "Diduza::TfrmZkRelation") != 0)
            return QString();
        return QString::fromUtf8(sourceText) + QStringLiteral(" (übersetzt)");
    }
    bool isEmpty() const override { return false; }
};
} // namespace

void tst_SchemaRelation::dialogLabelsFitTheirTexts_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("translated");
    for (int points = 8; points <= 12; ++points) {
        QTest::addRow("%d points", points) << points << false;
        QTest::addRow("%d points, translated", points) << points << true;
    }
}

// No text of the properties dialog is cut: each button's text lies within the part of the
// button that shows text, each label and group box is as wide as its text needs, and every
// control lies within the box or form that holds it.
void tst_SchemaRelation::dialogLabelsFitTheirTexts()
{
    QFETCH(int, points);
    QFETCH(bool, translated);
    LongerTexts translation;
    if (translated)
        QCoreApplication::installTranslator(&translation);
    auto uninstall = qScopeGuard([&] { QCoreApplication::removeTranslator(&translation); });

    TfrmZkRelation form;
    form.txtTable1->setText(QStringLiteral("customer"));
    form.txtCol1->setText(QStringLiteral("city"));
    QFont font = form.font();
    font.setPointSize(points);
    form.setFont(font);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(!form.grab().isNull()); // painted once, as on screen
    if (translated)
        QVERIFY(form.rgJoinType->Button(2)->text().endsWith(QStringLiteral("(übersetzt)")));

    const QList<QWidget *> controls = form.findChildren<QWidget *>();
    QVERIFY(controls.size() > 20);
    for (QWidget *w : controls) {
        const QString name
            = w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName();
        const QRect room = w->parentWidget()->rect();
        QVERIFY2(room.contains(w->geometry()), qPrintable(name + QStringLiteral(" sticks out")));
        if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            option.rect = button->rect();
            const QStyle::SubElement part = qobject_cast<QRadioButton *>(button)
                ? QStyle::SE_RadioButtonContents
                : QStyle::SE_PushButtonContents;
            const QRect textRoom = button->style()->subElementRect(part, &option, button);
            const int textWidth
                = button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width();
            QVERIFY2(textWidth <= textRoom.width(),
                qPrintable(QStringLiteral("%1: text %2 in %3")
                               .arg(button->text())
                               .arg(textWidth)
                               .arg(textRoom.width())));
        } else if (auto *label = qobject_cast<QLabel *>(w)) {
            QVERIFY2(label->width() >= label->fontMetrics().horizontalAdvance(label->text()),
                qPrintable(label->text()));
        } else if (auto *box = qobject_cast<QGroupBox *>(w)) {
            QVERIFY2(box->width() >= box->minimumSizeHint().width(), qPrintable(box->title()));
        }
    }
}

QTEST_MAIN(tst_SchemaRelation)
#include "tst_schemarelation.moc"
