// What the design area draws and commands: drawing suspension, the font and colour commands,
// the settings items and relations read, ranking, re-routing when it scrolls, and its
// destruction.

#include "../common/TestSupport.h"
#include "DiagramTestSupport.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/TSchemaTreeView.h"
#include "platform/DrawingSuspension.h"
#include "platform/Exceptions.h"
#include "platform/ResourceStrings.h"
#include "platform/TImageList.h"
#include "relations/TSchemaRelation.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QtTest>

#include <memory>
#include <stdexcept>

using namespace Diduza;
using namespace DiduzaTest;

Q_DECLARE_METATYPE(TSchemaControlType)

namespace {

// Counts the paint events of one widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *w) { w->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Presses the relation (outside its band, so that no menu opens): its pressed flag is set.
void press(TSchemaRelation *r)
{
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    r->MousePress(&event, QPoint(r->Width() - 1, 0));
}

} // namespace

class tst_DesignAreaView : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void updateHasNoNesting();
    void oneAreaAtATimeSuspendsDrawing();
    void destroyedLockedAreaFreesTheSlot();
    void changeItemFont_data();
    void changeItemFont();
    void changeBackground_data();
    void changeBackground();
    void imagesSetterRepaintsOnlyOnChange();
    void treesCopyImageListsAtCreation();
    void actionsAreReadWhenMenusAreBuilt();
    void rank_data();
    void rank();
    void autoArrangeReportsRanksHighestFirst();
    void autoArrangeOnEmptyAreaShowsNothing();
    void scrollingKeepsRelationsOnTheirRows();
    void scrolledRoutesEqualFreshRoutes();
    void areaFollowsItemsMovedResizedShownAndHidden();
    void itemDeletedDirectlyLeavesItsRelationsHarmless();
    void destroyingTheAreaRaisesDeleteItemPerItem();
    void areaDestroyedWhileDeletionsArePending();
};

void tst_DesignAreaView::cleanup()
{
    // A failed test must not leave the process-wide drawing suspension taken.
    if (LockedWindow())
        LockWindowUpdate(nullptr);
}

// ---------------------------------------------------------------------------------------------
// Drawing suspension

void tst_DesignAreaView::updateHasNoNesting()
{
    TSchemaDesignArea area;
    area.BeginUpdate();
    QVERIFY(area.IsLocked());
    QVERIFY(!area.updatesEnabled());
    area.BeginUpdate();
    area.EndUpdate();
    QVERIFY(!area.IsLocked());
    QVERIFY(area.updatesEnabled());
    QCOMPARE(LockedWindow(), nullptr);
    area.EndUpdate(); // nothing held: nothing happens
    QVERIFY(!area.IsLocked());
}

void tst_DesignAreaView::oneAreaAtATimeSuspendsDrawing()
{
    TSchemaDesignArea first;
    TSchemaDesignArea second;
    first.BeginUpdate();
    second.BeginUpdate(); // refused silently
    QVERIFY(first.IsLocked());
    QVERIFY(!second.IsLocked());
    QVERIFY(second.updatesEnabled());

    // The area that holds nothing must not resume the other one.
    second.EndUpdate();
    QVERIFY(first.IsLocked());
    QVERIFY(!first.updatesEnabled());
    QCOMPARE(LockedWindow(), &first);

    first.EndUpdate();
    second.BeginUpdate();
    QVERIFY(second.IsLocked());
    second.EndUpdate();
    QVERIFY(second.updatesEnabled());
}

void tst_DesignAreaView::destroyedLockedAreaFreesTheSlot()
{
    auto *first = new TSchemaDesignArea;
    first->BeginUpdate();
    QVERIFY(first->IsLocked());
    delete first;
    TSchemaDesignArea second;
    second.BeginUpdate();
    QVERIFY(second.IsLocked());
    second.EndUpdate();
}

// ---------------------------------------------------------------------------------------------
// Font and colour commands

void tst_DesignAreaView::changeItemFont_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<bool>("dialog");

    QTest::newRow("list item, confirmed") << "list" << true << true;
    QTest::newRow("list item, cancelled") << "list" << false << true;
    QTest::newRow("tree item, confirmed") << "tree" << true << true;
    QTest::newRow("text item, confirmed") << "text" << true << true;
    QTest::newRow("icon item, confirmed") << "icon" << true << true;
    QTest::newRow("relation") << "relation" << true << false;
    QTest::newRow("no owner") << "none" << true << false;
}

void tst_DesignAreaView::changeItemFont()
{
    QFETCH(QString, target);
    QFETCH(bool, confirm);
    QFETCH(bool, dialog);

    FakeDialogService dialogs;
    dialogs.fontConfirms = confirm;
    dialogs.fontAnswer.Name = QStringLiteral("Courier New");
    dialogs.fontAnswer.Size = 12;
    dialogs.fontAnswer.StyleBits = TFontValue::fsItalic;
    dialogs.fontAnswer.Color = clRed;

    TSchemaDesignArea area;
    const TSchemaControlType type = target == QLatin1String("tree") ? scTreeView
        : target == QLatin1String("text")                           ? scText
        : target == QLatin1String("icon")                           ? scIcon
                                                                    : scListBox;
    TSchemaItem *item = addTable(area, "A", { "a" }, 0, 0, type);
    TSchemaItem *other = addTable(area, "B", { "b" }, 300);
    TSchemaRelation *r = link(area, item, 0, other, 0);
    const TFontValue before = item->GetFont();
    const QSize sizeBefore = item->size();

    // Text and icon items have no menu: a command entry of their own stands in for it.
    QAction standIn(item);
    QObject *sender = nullptr;
    if (target == QLatin1String("relation"))
        sender = menuEntry(r, "mnuColorRelation");
    else if (target != QLatin1String("none"))
        sender = item->PopMenu() ? menuEntry(item, "mnuChangeFont") : &standIn;
    area.ChangeItemFont(sender);

    QCOMPARE(dialogs.fontCalls, dialog ? 1 : 0);
    if (dialog) {
        // Opened with the font the item shows: bold, 8 points after activation.
        QCOMPARE(dialogs.fontShown, before);
        QVERIFY(dialogs.fontShown.Bold());
        QCOMPARE(dialogs.fontShown.Size, 8);
    }
    QCOMPARE(item->GetFont(), (dialog && confirm) ? dialogs.fontAnswer : before);
    if (dialog && confirm && item->ItemControl() && type != scIcon) {
        const QFont shown = item->ItemControl()->font();
        QVERIFY(shown.italic());
        QVERIFY(!shown.bold());
        QCOMPARE(shown.pointSize(), 12);
    }
    QCOMPARE(item->size(), sizeBefore); // no recalculation
}

void tst_DesignAreaView::changeBackground_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<bool>("sameColour");
    QTest::addColumn<bool>("dialog");

    QTest::newRow("relation, new colour") << "relation" << true << false << true;
    QTest::newRow("relation, unchanged colour") << "relation" << true << true << true;
    QTest::newRow("relation, cancelled") << "relation" << false << false << true;
    QTest::newRow("list item, new colour") << "list" << true << false << true;
    QTest::newRow("list item, cancelled") << "list" << false << false << true;
    QTest::newRow("text item, new colour") << "text" << true << false << true;
    QTest::newRow("no owner") << "none" << true << false << false;
    QTest::newRow("an object that is neither") << "orphan" << true << false << false;
}

void tst_DesignAreaView::changeBackground()
{
    QFETCH(QString, target);
    QFETCH(bool, confirm);
    QFETCH(bool, sameColour);
    QFETCH(bool, dialog);

    FakeDialogService dialogs;
    TSchemaDesignArea area;
    const TSchemaControlType type = target == QLatin1String("text") ? scText : scListBox;
    TSchemaItem *item = addTable(area, "A", { "a" }, 0, 0, type);
    TSchemaItem *other = addTable(area, "B", { "b" }, 300);
    TSchemaRelation *r = link(area, other, 0, item, 0);
    r->SetColor(clBlue);
    press(r);
    QVERIFY(r->MouseIsDown());

    const bool onRelation = target == QLatin1String("relation");
    const TColor before = onRelation ? r->Color() : item->GetColor();
    dialogs.colorConfirms = confirm;
    dialogs.colorAnswer = sameColour ? before : clRed;

    QAction standIn(item);
    QObject orphan;
    QObject *sender = nullptr;
    if (onRelation)
        sender = menuEntry(r, "mnuColorRelation");
    else if (target == QLatin1String("orphan"))
        sender = &orphan;
    else if (target != QLatin1String("none"))
        sender = item->PopMenu() ? menuEntry(item, "mnuChangeBackground") : &standIn;
    area.ChangeBackground(sender);

    QCOMPARE(dialogs.colorCalls, dialog ? 1 : 0);
    if (dialog)
        QCOMPARE(dialogs.colorShown, before);
    const bool changed = dialog && confirm && !sameColour;
    if (onRelation) {
        QCOMPARE(r->Color(), changed ? clRed : before);
        // Only a real change clears the pressed look.
        QCOMPARE(r->MouseIsDown(), !changed);
    } else {
        QCOMPARE(item->GetColor(), changed ? clRed : before);
        QCOMPARE(r->Color(), clBlue);
    }
    if (changed && !onRelation && type == scListBox) {
        // The inner list takes the colour too.
        QCOMPARE(item->ItemControl()->palette().color(QPalette::Base), QColor(Qt::red));
    }
}

// ---------------------------------------------------------------------------------------------
// Settings read by items and relations

void tst_DesignAreaView::imagesSetterRepaintsOnlyOnChange()
{
    TImageList first;
    TImageList second;
    TSchemaDesignArea area;
    area.resize(300, 200);
    area.SetImages(&first);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    QTest::qWait(50);
    PaintCounter counter(area.viewport());

    area.SetImages(&first);
    QTest::qWait(100);
    QCOMPARE(counter.paints, 0);

    area.SetImages(&second);
    QCOMPARE(area.Images(), &second);
    QTRY_VERIFY(counter.paints > 0);
}

void tst_DesignAreaView::treesCopyImageListsAtCreation()
{
    TImageList images1;
    TImageList images2;
    TImageList state1;
    TSchemaDesignArea area;
    area.SetImages(&images1);
    area.SetStateImages(&state1);
    TSchemaItem *early = area.AddItem(QStringLiteral("early"), scTreeView);
    area.SetImages(&images2);
    area.SetStateImages(nullptr);
    TSchemaItem *late = area.AddItem(QStringLiteral("late"), scTreeView);

    QCOMPARE(early->TreeView()->Images(), &images1);
    QCOMPARE(early->TreeView()->StateImages(), &state1);
    QCOMPARE(late->TreeView()->Images(), &images2);
    QCOMPARE(late->TreeView()->StateImages(), nullptr);
}

void tst_DesignAreaView::actionsAreReadWhenMenusAreBuilt()
{
    TSchemaDesignArea area;
    area.SetActions({});
    TSchemaItem *a = addTable(area, "A", { "a" });
    TSchemaItem *b = addTable(area, "B", { "b" }, 300);
    TSchemaRelation *early = link(area, a, 0, b, 0);
    area.SetActions(TZkSActions::All());
    TSchemaItem *c = addTable(area, "C", { "c" }, 600);
    TSchemaRelation *late = link(area, a, 0, c, 0);
    area.SetActions({});

    for (const char *name : { "mnuDeleteRelation", "mnuClose" }) {
        QVERIFY2(!menuEntry(a, name)->isEnabled(), name);
        QVERIFY2(menuEntry(c, name)->isEnabled(), name);
    }
    for (const char *name : { "mnuOptions", "mnuDeleteRelation" }) {
        QVERIFY2(!menuEntry(early, name)->isEnabled(), name);
        QVERIFY2(menuEntry(late, name)->isEnabled(), name);
    }
}

// ---------------------------------------------------------------------------------------------
// Ranking

void tst_DesignAreaView::rank_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("parentOf");
    QTest::addColumn<int>("childOf");
    QTest::addColumn<bool>("selfLink");
    QTest::addColumn<int>("rank");

    QTest::newRow("nothing") << 0 << 0 << 0 << false << 0;
    QTest::newRow("ten rows") << 10 << 0 << 0 << false << 10;
    QTest::newRow("no rows, child of one") << 0 << 0 << 1 << false << 10;
    QTest::newRow("parent of two, three rows") << 3 << 2 << 0 << false << 43;
    QTest::newRow("child of two, five rows") << 5 << 0 << 2 << false << 25;
    QTest::newRow("parent and child") << 2 << 1 << 1 << false << 32;
    QTest::newRow("self link counts two") << 2 << 0 << 0 << true << 22;
}

void tst_DesignAreaView::rank()
{
    QFETCH(int, rows);
    QFETCH(int, parentOf);
    QFETCH(int, childOf);
    QFETCH(bool, selfLink);
    QFETCH(int, rank);

    TSchemaDesignArea area;
    QStringList names;
    for (int i = 0; i < rows; ++i)
        names << QStringLiteral("r%1").arg(i);
    TSchemaItem *x = addTable(area, "X", names);
    TSchemaItem *y = addTable(area, "Y", { "y0", "y1", "y2", "y3" }, 300);
    for (int i = 0; i < parentOf; ++i)
        area.AddRelation(x, y, x->GetSubItem(i), y->GetSubItem(i));
    for (int i = 0; i < childOf; ++i)
        area.AddRelation(y, x, y->GetSubItem(2 + i), x->GetSubItem(rows - 1 - i));
    if (selfLink)
        link(area, x, 0, x, 1);
    QCOMPARE(x->GetRank(), rank);
    QCOMPARE(x->Rank(), rank);
}

void tst_DesignAreaView::autoArrangeReportsRanksHighestFirst()
{
    FakeDialogService dialogs;
    TSchemaDesignArea area;
    area.resize(800, 400);
    TSchemaItem *c = addTable(area, "C", { "c0", "c1" }, 600, 10);
    TSchemaItem *b = addTable(area, "B", { "b0", "b1", "b2", "b3", "b4" }, 300, 20);
    TSchemaItem *a = addTable(area, "A", { "a0", "a1", "a2" }, 0, 30);
    link(area, a, 0, b, 0);
    link(area, a, 1, b, 1);
    const QRect ga = a->geometry(), gb = b->geometry(), gc = c->geometry();

    area.AutoArrange();
    QCOMPARE(dialogs.messages, QStringList({ "43", "25", "2" }));
    QCOMPARE(a->geometry(), ga);
    QCOMPARE(b->geometry(), gb);
    QCOMPARE(c->geometry(), gc);
    QCOMPARE(area.GetItem(0), c); // the order of the items is untouched
}

void tst_DesignAreaView::autoArrangeOnEmptyAreaShowsNothing()
{
    FakeDialogService dialogs;
    TSchemaDesignArea area;
    area.AutoArrange();
    QCOMPARE(dialogs.messages, QStringList());
}

// ---------------------------------------------------------------------------------------------
// Scrolling and destruction

void tst_DesignAreaView::scrollingKeepsRelationsOnTheirRows()
{
    TSchemaDesignArea area;
    area.resize(300, 200);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    TSchemaItem *a = addTable(area, "A", { "a0", "a1", "a2" }, 0, 0);
    TSchemaItem *b = addTable(area, "B", { "b0", "b1", "b2" }, 400, 300);
    TSchemaRelation *r = link(area, a, 1, b, 2);
    area.UpdateScrollRange();
    QCoreApplication::processEvents();

    auto expected = [&] {
        const int top = a->GetRowY(1) - 7;
        return QRect(
            a->x() + a->width(), top, b->x() - (a->x() + a->width()), b->GetRowY(2) + 7 - top);
    };
    QCOMPARE(r->LnkX(), 1);
    QCOMPARE(r->LnkY(), 1);
    const QRect start = r->BoundsRect();
    QCOMPARE(start, expected());

    area.verticalScrollBar()->setValue(60);
    area.horizontalScrollBar()->setValue(25);
    QCOMPARE(area.ScrollPosition(), QPoint(25, 60));
    QCOMPARE(a->pos(), QPoint(-25, -60));
    QCOMPARE(r->BoundsRect(), expected());
    QCOMPARE(r->BoundsRect(), start.translated(-25, -60));

    area.verticalScrollBar()->setValue(0);
    area.horizontalScrollBar()->setValue(0);
    QCOMPARE(r->BoundsRect(), start);
}

void tst_DesignAreaView::scrolledRoutesEqualFreshRoutes()
{
    // Scrolling moves the relations with the items instead of routing them again: on random
    // diagrams (items left of, over and under each other, self-links, rows scrolled in their
    // lists), every route after a scroll is the one a fresh routing gives.
    for (quint32 seed = 1; seed <= 4; ++seed) {
        QRandomGenerator random(seed);
        TSchemaDesignArea area;
        area.resize(400, 300);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        QVector<TSchemaItem *> items;
        for (int i = 0; i < 8; ++i) {
            QStringList rows;
            for (int r = 0; r < 12; ++r)
                rows << QStringLiteral("f%1").arg(r);
            items << addTable(area, QStringLiteral("T%1").arg(i), rows, int(random.bounded(900)),
                int(random.bounded(700)));
            items.last()->resize(items.last()->width(), 90); // rows below the fold
        }
        for (int k = 0; k < 14; ++k) {
            TSchemaItem *p = items[int(random.bounded(8))];
            TSchemaItem *c = random.bounded(5) ? items[int(random.bounded(8))] : p;
            link(area, p, int(random.bounded(12)), c, int(random.bounded(12)));
        }
        area.UpdateScrollRange();
        QCoreApplication::processEvents();
        auto routes = [&area] {
            QStringList list;
            for (int i = 0; i < area.GetRelationCount(); ++i) {
                const TSchemaRelation *r = area.GetRelation(i);
                const QRect b = r->BoundsRect();
                list << QStringLiteral("%1 %2,%3 %4x%5 %6 %7")
                            .arg(relationName(r))
                            .arg(b.x())
                            .arg(b.y())
                            .arg(b.width())
                            .arg(b.height())
                            .arg(r->LnkX())
                            .arg(r->LnkY());
            }
            return list;
        };
        for (int step = 0; step < 6; ++step) {
            area.horizontalScrollBar()->setValue(
                int(random.bounded(area.horizontalScrollBar()->maximum() + 1)));
            area.verticalScrollBar()->setValue(
                int(random.bounded(area.verticalScrollBar()->maximum() + 1)));
            const QStringList scrolled = routes();
            area.ReboundRelations();
            QCOMPARE(scrolled, routes());
        }
    }
}

// Items tell the area themselves where they stand (no event filter watches them): after random
// moves, resizes, hides and shows, the scroll range covers exactly the shown items and a search
// of the covered area finds exactly the items a walk finds.
void tst_DesignAreaView::areaFollowsItemsMovedResizedShownAndHidden()
{
    TSchemaDesignArea area;
    area.resize(300, 200);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    QRandomGenerator random(20261208);
    QVector<TSchemaItem *> items;
    for (int i = 0; i < 12; ++i)
        items << addTable(area, QStringLiteral("T%1").arg(i), { "a", "b" },
            int(random.bounded(600)), int(random.bounded(500)));
    for (int step = 0; step < 60; ++step) {
        TSchemaItem *item = items.at(int(random.bounded(int(items.size()))));
        switch (random.bounded(4)) {
        case 0:
            item->move(int(random.bounded(900)) - 100, int(random.bounded(700)) - 100);
            break;
        case 1:
            item->resize(40 + int(random.bounded(300)), 40 + int(random.bounded(300)));
            break;
        case 2:
            item->hide();
            break;
        default:
            item->show();
            break;
        }
        QCoreApplication::processEvents();
        const QPoint scroll = area.ScrollPosition();
        int right = 0;
        int bottom = 0;
        for (const QWidget *w : area.WindowedControls()) {
            if (!w->isHidden()) {
                right = std::max(right, w->geometry().right() + 1 + scroll.x());
                bottom = std::max(bottom, w->geometry().bottom() + 1 + scroll.y());
            }
        }
        const QSize page = area.viewport()->size();
        QCOMPARE(area.horizontalScrollBar()->maximum(), std::max(0, right - page.width()));
        QCOMPARE(area.verticalScrollBar()->maximum(), std::max(0, bottom - page.height()));

        const QRect probe(int(random.bounded(700)) - 100, int(random.bounded(600)) - 100,
            int(random.bounded(300)), int(random.bounded(300)));
        QSet<const QWidget *> walked;
        for (const TSchemaItem *i : std::as_const(items)) {
            if (i->isVisible() && i->geometry().intersects(probe))
                walked.insert(i);
        }
        QSet<const QWidget *> found;
        for (const QWidget *w : area.OpaqueChildrenIn(probe)) {
            if (qobject_cast<const TSchemaItem *>(w))
                found.insert(w);
        }
        QCOMPARE(found, walked);
    }
}

void tst_DesignAreaView::itemDeletedDirectlyLeavesItsRelationsHarmless()
{
    // The application deletes an item without deleting its relations first.
    FakeDialogService dialogs;
    TSchemaDesignArea area;
    area.resize(300, 200);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    TSchemaItem *a = addTable(area, "A", { "a" });
    TSchemaItem *b = addTable(area, "B", { "b" }, 200, 300);
    TSchemaRelation *r = link(area, a, 0, b, 0);
    delete a;
    QCOMPARE(r->ParentItem(), nullptr);
    QCOMPARE(r->ParentSubItem(), nullptr);
    QCOMPARE(area.GetItemCount(), 1);

    // Everything that walks the relations still works.
    area.UpdateScrollRange();
    area.verticalScrollBar()->setValue(20);
    area.ReboundRelations();
    b->move(10, 10);
    area.viewport()->grab();
    area.AutoArrange();
    QCOMPARE(dialogs.messages, QStringList({ "11" })); // B: one row, child of one relation
    QVERIFY(!area.FindRelation(r));
    area.DeleteRelationsForItem(b, nullptr);
    QCOMPARE(area.GetRelationCount(), 0);
    QVERIFY(!b->GetSubItem(0)->Linked());
}

void tst_DesignAreaView::destroyingTheAreaRaisesDeleteItemPerItem()
{
    auto *area = new TSchemaDesignArea;
    TSchemaItem *a = addTable(*area, "A", { "a" });
    TSchemaItem *b = addTable(*area, "B", { "b" }, 300);
    QPointer<TSchemaRelation> r = link(*area, a, 0, b, 0);
    QStringList log;
    QList<int> countsSeen;
    area->SetOnDeleteItem([&](QObject *sender, TSchemaItem *item) {
        auto *self = qobject_cast<TSchemaDesignArea *>(sender);
        // The area is still whole while its items go.
        countsSeen << (self ? self->GetItemCount() : -1);
        log << item->GetCaption();
    });
    delete area;
    QCOMPARE(log, QStringList({ "B", "A" }));
    QCOMPARE(countsSeen, QList<int>({ 2, 1 }));
    QVERIFY(r.isNull());
}

void tst_DesignAreaView::areaDestroyedWhileDeletionsArePending()
{
    // An item removed through its menu and a relation deleted through its menu are freed on
    // the next turn of the event loop; the area may be destroyed before that turn comes.
    auto *area = new TSchemaDesignArea;
    TSchemaItem *a = addTable(*area, "A", { "a", "b" });
    TSchemaItem *b = addTable(*area, "B", { "b" }, 300);
    TSchemaItem *c = addTable(*area, "C", { "c" }, 600);
    TSchemaRelation *bc = link(*area, b, 0, c, 0);
    link(*area, a, 0, c, 0);
    QStringList log;
    logEvents(*area, log);
    QPointer<TSchemaItem> removed = a;
    QPointer<TSchemaRelation> deleted = bc;

    menuEntry(a, "mnuClose")->trigger();
    area->DeleteRelation(menuEntry(bc, "mnuDeleteRelation"));
    QCOMPARE(area->GetItemCount(), 2);
    QCOMPARE(area->GetRelationCount(), 0);
    QVERIFY(!removed.isNull());
    log.clear();

    delete area;
    QVERIFY(removed.isNull());
    QVERIFY(deleted.isNull());
    QCOMPARE(log.count(QStringLiteral("DeleteItem A")), 1);
    QCOMPARE(log.count(QStringLiteral("DeleteItem B")), 1);
    runDeferredDeletes();
}

QTEST_MAIN(tst_DesignAreaView)
#include "tst_designareaview.moc"
