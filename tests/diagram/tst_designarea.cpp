// The design area: its registry operations, their events and failure rules, drawing
// suspension, the font and colour commands, ranking, and re-routing when it scrolls.

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

// Every row of every item is marked linked exactly when a relation of the area ends at it.
bool markingsConsistent(const TSchemaDesignArea &area, QString &problem)
{
    for (int i = 0; i < area.GetItemCount(); ++i) {
        TSchemaItem *item = area.GetItem(i);
        for (int r = 0; r < item->GetSubItemCount(); ++r) {
            TSchemaSubItem *row = item->GetSubItem(r);
            bool used = false;
            for (int k = 0; k < area.GetRelationCount(); ++k) {
                TSchemaRelation *rel = area.GetRelation(k);
                used = used || (rel->ParentItem() == item && rel->ParentSubItem() == row)
                    || (rel->ChildItem() == item && rel->ChildSubItem() == row);
            }
            if (row->Linked() != used) {
                problem = item->GetCaption() + QLatin1Char('.') + row->Caption();
                return false;
            }
        }
    }
    return true;
}

QStringList relationNames(const TSchemaDesignArea &area)
{
    QStringList names;
    for (int i = 0; i < area.GetRelationCount(); ++i)
        names << relationName(area.GetRelation(i));
    return names;
}

} // namespace

class tst_DesignArea : public QObject {
    Q_OBJECT
private slots:
    void cleanup();

    void newAreaDefaults();
    void addItem_data();
    void addItem();
    void failingAddItemHandlerYieldsNil_data();
    void failingAddItemHandlerYieldsNil();
    void addItemHandlerDeletingTheItemYieldsNil();
    void eventOrder_data();
    void eventOrder();
    void duplicateRelations_data();
    void duplicateRelations();
    void addRelationWithoutItemRaises();
    void findItem_data();
    void findItem();
    void itemIndexCountsEveryControl();
    void outOfRangeEnumeration_data();
    void outOfRangeEnumeration();
    void deleteRelationKeepsSharedRowMarked();
    void deleteRelationIgnoresOtherSenders_data();
    void deleteRelationIgnoresOtherSenders();
    void deleteRelationsForItem_data();
    void deleteRelationsForItem();
    void clearAll();
    void failingDeleteItemHandlerDoesNotStopClearAll();
    void readOnlyDoesNotRestrictCode();
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

void tst_DesignArea::cleanup()
{
    // A failed test must not leave the process-wide drawing suspension taken.
    if (LockedWindow())
        LockWindowUpdate(nullptr);
}

void tst_DesignArea::newAreaDefaults()
{
    TSchemaDesignArea area;
    QCOMPARE(area.Color(), TColor(16777215));
    QCOMPARE(area.Actions(), TZkSActions({ saDeleteItem, saDeleteReleation, saEditRelation }));
    QVERIFY(!area.ReadOnly());
    QVERIFY(!area.ShowItemToolbar());
    QVERIFY(!area.IsLocked());
    QCOMPARE(area.GetItemCount(), 0);
    QCOMPARE(area.GetRelationCount(), 0);
    QCOMPARE(area.DataEngine(), nullptr);
    QCOMPARE(area.Images(), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Items

void tst_DesignArea::addItem_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::addColumn<bool>("withObject");
    QTest::newRow("list") << scListBox << false;
    QTest::newRow("check list with object") << scCheckListBox << true;
    QTest::newRow("tree") << scTreeView << false;
    QTest::newRow("text with object") << scText << true;
    QTest::newRow("icon") << scIcon << false;
}

void tst_DesignArea::addItem()
{
    QFETCH(TSchemaControlType, type);
    QFETCH(bool, withObject);

    QStringList log; // declared first: the area logs while it is destroyed
    TSchemaDesignArea area;
    area.resize(400, 300);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    // Something scrolled off first: a new item still stands at the client origin.
    logEvents(area, log);
    QVariant seenData;
    QPoint seenPos(-1, -1);
    const TSchemaItemEvent logger = area.OnAddItem();
    area.SetOnAddItem([&](QObject *sender, TSchemaItem *item) {
        logger(sender, item);
        seenData = item->Data();
        seenPos = item->pos();
    });

    QObject payload;
    TSchemaItem *item = withObject
        ? area.AddItemObject(QStringLiteral("orders"), type, QVariant::fromValue(&payload))
        : area.AddItem(QStringLiteral("orders"), type);
    QVERIFY(item);
    QCOMPARE(log, QStringList({ "AddItem orders" }));
    QCOMPARE(item->SchemaControlType(), type);
    QCOMPARE(item->GetCaption(), QStringLiteral("orders"));
    QCOMPARE(item->pos(), QPoint(0, 0));
    QCOMPARE(seenPos, QPoint(0, 0));
    QVERIFY(item->isVisible());
    QCOMPARE(item->Parent(), &area);
    QCOMPARE(item->Designer(), &area);
    QCOMPARE(area.GetItem(0), item);
    if (withObject) {
        // The handler already sees the object; the area never owns it.
        QCOMPARE(seenData.value<QObject *>(), &payload);
        QCOMPARE(item->Data().value<QObject *>(), &payload);
    } else {
        QVERIFY(!seenData.isValid());
    }
}

void tst_DesignArea::failingAddItemHandlerYieldsNil_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("message") << "message";
    QTest::newRow("silent abort") << "abort";
    QTest::newRow("foreign exception") << "foreign";
}

void tst_DesignArea::failingAddItemHandlerYieldsNil()
{
    QFETCH(QString, kind);
    ExceptionRecorder handler;
    QStringList log; // declared first: the area logs while it is destroyed
    TSchemaDesignArea area;
    logEvents(area, log);
    const TSchemaItemEvent logger = area.OnAddItem();
    area.SetOnAddItem([&](QObject *sender, TSchemaItem *item) {
        logger(sender, item);
        if (kind == QLatin1String("message"))
            throw Exception(QStringLiteral("refused"));
        if (kind == QLatin1String("abort"))
            Abort();
        throw std::runtime_error("refused");
    });

    QCOMPARE(area.AddItem(QStringLiteral("X"), scListBox), nullptr);
    QCOMPARE(area.AddItemObject(QStringLiteral("Y"), scText, QVariant(1)), nullptr);
    QCOMPARE(log, QStringList({ "AddItem X", "DeleteItem X", "AddItem Y", "DeleteItem Y" }));
    QCOMPARE(area.GetItemCount(), 0);
    QCOMPARE(area.ControlCount(), 0);
    QVERIFY(area.findChildren<TSchemaItem *>().isEmpty());
    // Not raised to the caller, but reported with the handler's own message (the silent abort
    // stays silent).
    const QStringList reported = kind == QLatin1String("abort")
        ? QStringList()
        : QStringList { QStringLiteral("refused"), QStringLiteral("refused") };
    QCOMPARE(handler.messages, reported);
}

void tst_DesignArea::addItemHandlerDeletingTheItemYieldsNil()
{
    TSchemaDesignArea area;
    area.SetOnAddItem([](QObject *, TSchemaItem *item) { delete item; });
    QCOMPARE(area.AddItem(QStringLiteral("X"), scListBox), nullptr);
    QCOMPARE(area.GetItemCount(), 0);
}

// ---------------------------------------------------------------------------------------------
// Event order

void tst_DesignArea::eventOrder_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QStringList>("events");

    // The diagram: A(a1, a2), B(b1, b2), C(c1); relations A.a1>B.b1, then B.b2>C.c1.
    QTest::newRow("AddItem") << "AddItem" << QStringList({ "AddItem D" });
    QTest::newRow("AddRelation") << "AddRelation" << QStringList({ "AddRelation A.a2>C.c1" });
    QTest::newRow("AddRelation duplicate") << "AddRelation duplicate" << QStringList();
    QTest::newRow("DeleteRelation")
        << "DeleteRelation" << QStringList({ "DeleteRelation A.a1>B.b1" });
    QTest::newRow("DeleteRelationsForItem")
        << "DeleteRelationsForItem B"
        << QStringList({ "DeleteRelation B.b2>C.c1", "DeleteRelation A.a1>B.b1" });
    QTest::newRow("DeleteRelationsForItem with row")
        << "DeleteRelationsForItem B.b1" << QStringList({ "DeleteRelation A.a1>B.b1" });
    QTest::newRow("ClearAll") << "ClearAll"
                              << QStringList({ "DeleteItem C", "DeleteItem B", "DeleteItem A" });
    QTest::newRow("destroying the area")
        << "destroy" << QStringList({ "DeleteItem C", "DeleteItem B", "DeleteItem A" });
}

void tst_DesignArea::eventOrder()
{
    QFETCH(QString, operation);
    QFETCH(QStringList, events);

    QStringList log; // declared first: the area logs while it is destroyed
    auto area = std::make_unique<TSchemaDesignArea>();
    area->resize(800, 400);
    TSchemaItem *a = addTable(*area, "A", { "a1", "a2" }, 0, 0);
    TSchemaItem *b = addTable(*area, "B", { "b1", "b2" }, 250, 0);
    TSchemaItem *c = addTable(*area, "C", { "c1" }, 500, 0);
    TSchemaRelation *ab = link(*area, a, 0, b, 0);
    link(*area, b, 1, c, 0);
    logEvents(*area, log);

    if (operation == QLatin1String("AddItem")) {
        area->AddItem(QStringLiteral("D"), scListBox);
    } else if (operation == QLatin1String("AddRelation")) {
        link(*area, a, 1, c, 0);
    } else if (operation == QLatin1String("AddRelation duplicate")) {
        QVERIFY_THROWS_EXCEPTION(Exception, link(*area, b, 0, a, 0));
    } else if (operation == QLatin1String("DeleteRelation")) {
        area->DeleteRelation(menuEntry(ab, "mnuDeleteRelation"));
    } else if (operation == QLatin1String("DeleteRelationsForItem B")) {
        area->DeleteRelationsForItem(b, nullptr);
    } else if (operation == QLatin1String("DeleteRelationsForItem B.b1")) {
        area->DeleteRelationsForItem(b, b->GetSubItem(0));
    } else if (operation == QLatin1String("ClearAll")) {
        area->ClearAll();
    } else if (operation == QLatin1String("destroy")) {
        area.reset();
    } else {
        QFAIL("unknown operation");
    }
    QCOMPARE(log, events);
    runDeferredDeletes();
}

// ---------------------------------------------------------------------------------------------
// Relations

void tst_DesignArea::duplicateRelations_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<int>("parentRow");
    QTest::addColumn<QString>("child");
    QTest::addColumn<int>("childRow");
    QTest::addColumn<bool>("duplicate");

    // The diagram holds A.r0>B.r1.
    QTest::newRow("same rows, same direction") << "A" << 0 << "B" << 1 << true;
    QTest::newRow("same rows, reversed") << "B" << 1 << "A" << 0 << true;
    QTest::newRow("other child row") << "A" << 0 << "B" << 2 << false;
    QTest::newRow("other parent row") << "A" << 1 << "B" << 1 << false;
    QTest::newRow("rows swapped between items") << "A" << 1 << "B" << 0 << false;
    QTest::newRow("item to itself") << "A" << 0 << "A" << 1 << false;
    QTest::newRow("row to itself") << "A" << 0 << "A" << 0 << false;
}

void tst_DesignArea::duplicateRelations()
{
    QFETCH(QString, parent);
    QFETCH(int, parentRow);
    QFETCH(QString, child);
    QFETCH(int, childRow);
    QFETCH(bool, duplicate);

    QStringList log; // declared first: the area logs while it is destroyed
    TSchemaDesignArea area;
    area.resize(600, 300);
    TSchemaItem *a = addTable(area, "A", { "r0", "r1", "r2" }, 0, 0);
    TSchemaItem *b = addTable(area, "B", { "r0", "r1", "r2" }, 300, 0);
    link(area, a, 0, b, 1);
    logEvents(area, log);
    const int controlsBefore = area.ControlCount();
    TSchemaItem *p = parent == QLatin1String("A") ? a : b;
    TSchemaItem *c = child == QLatin1String("A") ? a : b;

    if (duplicate) {
        try {
            link(area, p, parentRow, c, childRow);
            QFAIL("no exception");
        } catch (const Exception &e) {
            QCOMPARE(e.Message(), QStringLiteral("These items are already linked."));
            QCOMPARE(e.Message(), LoadResString(_smsItemLinked));
        }
        QCOMPARE(log, QStringList());
        QCOMPARE(area.ControlCount(), controlsBefore);
        QCOMPARE(area.GetRelationCount(), 1);
        QVERIFY(!a->GetSubItem(1)->Linked());
        QVERIFY(!b->GetSubItem(0)->Linked());
    } else {
        TSchemaRelation *r = link(area, p, parentRow, c, childRow);
        QVERIFY(r);
        QCOMPARE(area.GetRelationCount(), 2);
        QCOMPARE(area.GetRelation(1), r);
        QVERIFY(p->GetSubItem(parentRow)->Linked());
        QVERIFY(c->GetSubItem(childRow)->Linked());
        QVERIFY(r->Visible());
        QCOMPARE(r->PopMenu()->actions().first()->text(),
            p->GetCaption() + QStringLiteral(" :: ") + c->GetCaption());
        // Once added, the same pair is refused in both directions.
        QVERIFY_THROWS_EXCEPTION(Exception, link(area, p, parentRow, c, childRow));
        QVERIFY_THROWS_EXCEPTION(Exception, link(area, c, childRow, p, parentRow));
        QCOMPARE(area.GetRelationCount(), 2);
    }
}

void tst_DesignArea::addRelationWithoutItemRaises()
{
    TSchemaDesignArea area;
    TSchemaItem *a = addTable(area, "A", { "r0" });
    const int before = area.ControlCount();
    QVERIFY_THROWS_EXCEPTION(Exception, area.AddRelation(a, nullptr, a->GetSubItem(0), nullptr));
    QVERIFY_THROWS_EXCEPTION(Exception, area.AddRelation(nullptr, a, nullptr, a->GetSubItem(0)));
    QCOMPARE(area.ControlCount(), before);
    QVERIFY(!a->GetSubItem(0)->Linked());
}

void tst_DesignArea::findItem_data()
{
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("found"); // index into captions, -1 for none

    QTest::newRow("exact") << QStringList({ "customer", "orders" }) << "orders" << 1;
    QTest::newRow("ASCII case") << QStringList({ "customer", "orders" }) << "ORDERS" << 1;
    QTest::newRow("accented case is not folded")
        << QStringList({ QString::fromUtf8("Émile") }) << QString::fromUtf8("émile") << -1;
    QTest::newRow("equal captions: last placed wins")
        << QStringList({ "dup", "x", "dup" }) << "dup" << 2;
    QTest::newRow("captions equal but for case: last placed wins")
        << QStringList({ "Orders", "ORDERS", "other" }) << "orders" << 1;
    QTest::newRow("empty caption") << QStringList({ "a", "" }) << "" << 1;
    QTest::newRow("prefix is not equal") << QStringList({ "order" }) << "orders" << -1;
    QTest::newRow("no items") << QStringList() << "a" << -1;
}

void tst_DesignArea::findItem()
{
    QFETCH(QStringList, captions);
    QFETCH(QString, name);
    QFETCH(int, found);

    TSchemaDesignArea area;
    QList<TSchemaItem *> items;
    for (const QString &caption : captions)
        items << area.AddItem(caption, scListBox);
    // A relation in the list must not disturb the walk.
    if (items.size() >= 2) {
        items[0]->AddSubItem(QStringLiteral("r"), -1, false);
        items[1]->AddSubItem(QStringLiteral("r"), -1, false);
        link(area, items[0], 0, items[1], 0);
    }
    QCOMPARE(area.FindItem(name), found < 0 ? nullptr : items[found]);
}

void tst_DesignArea::itemIndexCountsEveryControl()
{
    TSchemaDesignArea area;
    TSchemaItem *first = addTable(area, "first", { "r0", "r1" }, 0, 0);
    TSchemaItem *second = addTable(area, "second", { "r0" }, 200, 0);
    auto *foreignWidget = new QWidget(area.ClientWidget()); // placed by the application
    TSchemaItem *third = addTable(area, "third", { "r0" }, 400, 0);
    link(area, first, 0, second, 0);
    link(area, first, 1, third, 0);

    QCOMPARE(area.GetItemIndex(first), 2);
    QCOMPARE(area.GetItemIndex(second), 3);
    QCOMPARE(area.GetItemIndex(third), 5);
    QCOMPARE(area.GetItem(0), first);
    QCOMPARE(area.GetItem(2), third);
    QCOMPARE(area.GetItemCount(), 3);
    QCOMPARE(area.IndexOfControl(foreignWidget), 4);

    TSchemaDesignArea other;
    TSchemaItem *stranger = other.AddItem(QStringLiteral("stranger"), scListBox);
    QCOMPARE(area.GetItemIndex(stranger), -1);
    QCOMPARE(area.GetItemIndex(nullptr), -1);
}

void tst_DesignArea::outOfRangeEnumeration_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("negative") << -1;
    QTest::newRow("most negative") << std::numeric_limits<int>::min();
    QTest::newRow("count") << 2;
    QTest::newRow("far beyond") << 1000;
}

void tst_DesignArea::outOfRangeEnumeration()
{
    QFETCH(int, index);
    TSchemaDesignArea area;
    TSchemaItem *a = addTable(area, "A", { "r0", "r1" });
    TSchemaItem *b = addTable(area, "B", { "r0", "r1" }, 300);
    link(area, a, 0, b, 0);
    link(area, a, 1, b, 1);
    QCOMPARE(area.GetItem(index), nullptr);
    QCOMPARE(area.GetRelation(index), nullptr);
}

void tst_DesignArea::deleteRelationKeepsSharedRowMarked()
{
    TSchemaDesignArea area;
    area.resize(800, 300);
    TSchemaItem *a = addTable(area, "A", { "a" }, 0, 0);
    TSchemaItem *b = addTable(area, "B", { "b" }, 250, 0);
    TSchemaItem *c = addTable(area, "C", { "c" }, 500, 0);
    QPointer<TSchemaRelation> ab = link(area, a, 0, b, 0);
    QPointer<TSchemaRelation> ac = link(area, a, 0, c, 0);

    area.DeleteRelation(menuEntry(ab, "mnuDeleteRelation"));
    // Off the area at once; freed once the clicked menu is done.
    QCOMPARE(area.GetRelationCount(), 1);
    QCOMPARE(area.GetRelation(0), ac.data());
    QVERIFY(a->GetSubItem(0)->Linked());
    QVERIFY(!b->GetSubItem(0)->Linked());
    QVERIFY(!ab.isNull());
    runDeferredDeletes();
    QVERIFY(ab.isNull());

    area.DeleteRelation(menuEntry(ac, "mnuDeleteRelation"));
    QCOMPARE(area.GetRelationCount(), 0);
    QVERIFY(!a->GetSubItem(0)->Linked());
    QVERIFY(!c->GetSubItem(0)->Linked());
    runDeferredDeletes();
    QVERIFY(ac.isNull());
}

void tst_DesignArea::deleteRelationIgnoresOtherSenders_data()
{
    QTest::addColumn<QString>("sender");
    QTest::newRow("none") << "none";
    QTest::newRow("an entry of an item's menu") << "item entry";
    QTest::newRow("an object without owner") << "orphan";
    QTest::newRow("a relation of another area") << "foreign relation";
}

void tst_DesignArea::deleteRelationIgnoresOtherSenders()
{
    QFETCH(QString, sender);
    QStringList log; // declared first: the area logs while it is destroyed
    TSchemaDesignArea area;
    TSchemaItem *a = addTable(area, "A", { "a" });
    TSchemaItem *b = addTable(area, "B", { "b" }, 300);
    link(area, a, 0, b, 0);
    TSchemaDesignArea other;
    TSchemaItem *oa = addTable(other, "A", { "a" });
    TSchemaItem *ob = addTable(other, "B", { "b" }, 300);
    TSchemaRelation *foreign = link(other, oa, 0, ob, 0);
    logEvents(area, log);
    QObject orphan;

    QObject *s = nullptr;
    if (sender == QLatin1String("item entry"))
        s = menuEntry(a, "mnuDeleteRelation");
    else if (sender == QLatin1String("orphan"))
        s = &orphan;
    else if (sender == QLatin1String("foreign relation"))
        s = menuEntry(foreign, "mnuDeleteRelation");
    area.DeleteRelation(s);
    runDeferredDeletes();
    QCOMPARE(log, QStringList());
    QCOMPARE(area.GetRelationCount(), 1);
    QCOMPARE(other.GetRelationCount(), 1);
    QVERIFY(a->GetSubItem(0)->Linked());
}

void tst_DesignArea::deleteRelationsForItem_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("row"); // empty: every row
    QTest::addColumn<QStringList>("deleted");

    // Relations, in placement order: A.a1>B.b1, C.c1>A.a2, B.b2>C.c2, A.a1>A.a3.
    QTest::newRow("A, parent and child sides")
        << "A"
        << "" << QStringList({ "A.a1>A.a3", "C.c1>A.a2", "A.a1>B.b1" });
    QTest::newRow("A, row a1") << "A"
                               << "a1" << QStringList({ "A.a1>A.a3", "A.a1>B.b1" });
    QTest::newRow("A, row a2 on the child side") << "A"
                                                 << "a2" << QStringList({ "C.c1>A.a2" });
    QTest::newRow("A, row a3 of a self link") << "A"
                                              << "a3" << QStringList({ "A.a1>A.a3" });
    QTest::newRow("B") << "B"
                       << "" << QStringList({ "B.b2>C.c2", "A.a1>B.b1" });
    QTest::newRow("C with a row of B") << "C"
                                       << "b1" << QStringList();
    QTest::newRow("D, no relations") << "D"
                                     << "" << QStringList();
}

void tst_DesignArea::deleteRelationsForItem()
{
    QFETCH(QString, item);
    QFETCH(QString, row);
    QFETCH(QStringList, deleted);

    QStringList log; // declared first: the area logs while it is destroyed
    TSchemaDesignArea area;
    area.resize(900, 300);
    TSchemaItem *a = addTable(area, "A", { "a1", "a2", "a3" }, 0, 0);
    TSchemaItem *b = addTable(area, "B", { "b1", "b2" }, 250, 0);
    TSchemaItem *c = addTable(area, "C", { "c1", "c2" }, 500, 0);
    addTable(area, "D", { "d1" }, 700, 0);
    link(area, a, 0, b, 0);
    link(area, c, 0, a, 1);
    link(area, b, 1, c, 1);
    link(area, a, 0, a, 2);
    const QStringList before = relationNames(area);
    logEvents(area, log);

    TSchemaItem *target = area.FindItem(item);
    TSchemaSubItem *sub = nullptr;
    for (int i = 0; !row.isEmpty() && i < area.GetItemCount() && !sub; ++i)
        sub = area.GetItem(i)->GetSubItemByName(row);
    area.DeleteRelationsForItem(target, sub);

    QStringList expectedLog;
    QStringList remaining = before;
    for (const QString &name : deleted) {
        expectedLog << QStringLiteral("DeleteRelation ") + name;
        remaining.removeOne(name);
    }
    QCOMPARE(log, expectedLog);
    QCOMPARE(relationNames(area), remaining);
    QString problem;
    QVERIFY2(markingsConsistent(area, problem), qPrintable(problem));
    // Deleted at once, not deferred.
    QCOMPARE(area.findChildren<TSchemaRelation *>().size(), remaining.size());
}

void tst_DesignArea::clearAll()
{
    QStringList log; // declared first: the area logs while it is destroyed
    TSchemaDesignArea area;
    logEvents(area, log);
    area.ClearAll();
    QCOMPARE(log, QStringList());

    TSchemaItem *a = addTable(area, "A", { "a" });
    TSchemaItem *b = addTable(area, "B", { "b" }, 300);
    addTable(area, "C", {}, 600);
    QPointer<TSchemaRelation> r1 = link(area, a, 0, b, 0);
    log.clear();
    area.ClearAll();
    QCOMPARE(log, QStringList({ "DeleteItem C", "DeleteItem B", "DeleteItem A" }));
    QCOMPARE(area.GetItemCount(), 0);
    QCOMPARE(area.GetRelationCount(), 0);
    QVERIFY(r1.isNull());
    QVERIFY(area.findChildren<TSchemaItem *>().isEmpty());

    // The area is usable again.
    TSchemaItem *again = area.AddItem(QStringLiteral("again"), scListBox);
    QCOMPARE(area.GetItemIndex(again), 0);
}

void tst_DesignArea::failingDeleteItemHandlerDoesNotStopClearAll()
{
    ExceptionRecorder handler;
    TSchemaDesignArea area;
    addTable(area, "A", { "a" });
    addTable(area, "B", { "b" }, 300);
    area.SetOnDeleteItem([](QObject *, TSchemaItem *item) {
        throw Exception(QStringLiteral("cannot delete ") + item->GetCaption());
    });
    area.ClearAll();
    QCOMPARE(area.GetItemCount(), 0);
    QCOMPARE(handler.messages, QStringList({ "cannot delete B", "cannot delete A" }));
    area.SetOnDeleteItem({});
}

void tst_DesignArea::readOnlyDoesNotRestrictCode()
{
    TSchemaDesignArea area;
    area.SetReadOnly(true);
    area.SetActions({});
    TSchemaItem *a = addTable(area, "A", { "a", "b" });
    TSchemaItem *b = addTable(area, "B", { "b" }, 300);
    QVERIFY(a && b);
    TSchemaRelation *r = link(area, a, 0, b, 0);
    link(area, a, 1, b, 0);
    area.DeleteRelation(menuEntry(r, "mnuDeleteRelation"));
    QCOMPARE(area.GetRelationCount(), 1);
    area.DeleteRelationsForItem(a, nullptr);
    QCOMPARE(area.GetRelationCount(), 0);
    area.ClearAll();
    QCOMPARE(area.GetItemCount(), 0);
    runDeferredDeletes();
}

// ---------------------------------------------------------------------------------------------
// Drawing suspension

void tst_DesignArea::updateHasNoNesting()
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

void tst_DesignArea::oneAreaAtATimeSuspendsDrawing()
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

void tst_DesignArea::destroyedLockedAreaFreesTheSlot()
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

void tst_DesignArea::changeItemFont_data()
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

void tst_DesignArea::changeItemFont()
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

void tst_DesignArea::changeBackground_data()
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

void tst_DesignArea::changeBackground()
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

void tst_DesignArea::imagesSetterRepaintsOnlyOnChange()
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

void tst_DesignArea::treesCopyImageListsAtCreation()
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

void tst_DesignArea::actionsAreReadWhenMenusAreBuilt()
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

void tst_DesignArea::rank_data()
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

void tst_DesignArea::rank()
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

void tst_DesignArea::autoArrangeReportsRanksHighestFirst()
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

void tst_DesignArea::autoArrangeOnEmptyAreaShowsNothing()
{
    FakeDialogService dialogs;
    TSchemaDesignArea area;
    area.AutoArrange();
    QCOMPARE(dialogs.messages, QStringList());
}

// ---------------------------------------------------------------------------------------------
// Scrolling and destruction

void tst_DesignArea::scrollingKeepsRelationsOnTheirRows()
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

void tst_DesignArea::scrolledRoutesEqualFreshRoutes()
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
void tst_DesignArea::areaFollowsItemsMovedResizedShownAndHidden()
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

void tst_DesignArea::itemDeletedDirectlyLeavesItsRelationsHarmless()
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

void tst_DesignArea::destroyingTheAreaRaisesDeleteItemPerItem()
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

void tst_DesignArea::areaDestroyedWhileDeletionsArePending()
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

QTEST_MAIN(tst_DesignArea)
#include "tst_designarea.moc"
