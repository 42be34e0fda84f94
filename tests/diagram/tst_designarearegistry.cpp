// The design area's registry: a new area, adding items and relations, their events and failure
// rules, finding and enumerating, deleting relations and items, clearing, and read-only.

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

class tst_DesignAreaRegistry : public QObject {
    Q_OBJECT
private slots:
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
};

void tst_DesignAreaRegistry::newAreaDefaults()
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

void tst_DesignAreaRegistry::addItem_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::addColumn<bool>("withObject");
    QTest::newRow("list") << scListBox << false;
    QTest::newRow("check list with object") << scCheckListBox << true;
    QTest::newRow("tree") << scTreeView << false;
    QTest::newRow("text with object") << scText << true;
    QTest::newRow("icon") << scIcon << false;
}

void tst_DesignAreaRegistry::addItem()
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

void tst_DesignAreaRegistry::failingAddItemHandlerYieldsNil_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("message") << "message";
    QTest::newRow("silent abort") << "abort";
    QTest::newRow("foreign exception") << "foreign";
}

void tst_DesignAreaRegistry::failingAddItemHandlerYieldsNil()
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

void tst_DesignAreaRegistry::addItemHandlerDeletingTheItemYieldsNil()
{
    TSchemaDesignArea area;
    area.SetOnAddItem([](QObject *, TSchemaItem *item) { delete item; });
    QCOMPARE(area.AddItem(QStringLiteral("X"), scListBox), nullptr);
    QCOMPARE(area.GetItemCount(), 0);
}

// ---------------------------------------------------------------------------------------------
// Event order

void tst_DesignAreaRegistry::eventOrder_data()
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

void tst_DesignAreaRegistry::eventOrder()
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

void tst_DesignAreaRegistry::duplicateRelations_data()
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

void tst_DesignAreaRegistry::duplicateRelations()
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

void tst_DesignAreaRegistry::addRelationWithoutItemRaises()
{
    TSchemaDesignArea area;
    TSchemaItem *a = addTable(area, "A", { "r0" });
    const int before = area.ControlCount();
    QVERIFY_THROWS_EXCEPTION(Exception, area.AddRelation(a, nullptr, a->GetSubItem(0), nullptr));
    QVERIFY_THROWS_EXCEPTION(Exception, area.AddRelation(nullptr, a, nullptr, a->GetSubItem(0)));
    QCOMPARE(area.ControlCount(), before);
    QVERIFY(!a->GetSubItem(0)->Linked());
}

void tst_DesignAreaRegistry::findItem_data()
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

void tst_DesignAreaRegistry::findItem()
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

void tst_DesignAreaRegistry::itemIndexCountsEveryControl()
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

void tst_DesignAreaRegistry::outOfRangeEnumeration_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("negative") << -1;
    QTest::newRow("most negative") << std::numeric_limits<int>::min();
    QTest::newRow("count") << 2;
    QTest::newRow("far beyond") << 1000;
}

void tst_DesignAreaRegistry::outOfRangeEnumeration()
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

void tst_DesignAreaRegistry::deleteRelationKeepsSharedRowMarked()
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

void tst_DesignAreaRegistry::deleteRelationIgnoresOtherSenders_data()
{
    QTest::addColumn<QString>("sender");
    QTest::newRow("none") << "none";
    QTest::newRow("an entry of an item's menu") << "item entry";
    QTest::newRow("an object without owner") << "orphan";
    QTest::newRow("a relation of another area") << "foreign relation";
}

void tst_DesignAreaRegistry::deleteRelationIgnoresOtherSenders()
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

void tst_DesignAreaRegistry::deleteRelationsForItem_data()
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

void tst_DesignAreaRegistry::deleteRelationsForItem()
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

void tst_DesignAreaRegistry::clearAll()
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

void tst_DesignAreaRegistry::failingDeleteItemHandlerDoesNotStopClearAll()
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

void tst_DesignAreaRegistry::readOnlyDoesNotRestrictCode()
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

QTEST_MAIN(tst_DesignAreaRegistry)
#include "tst_designarearegistry.moc"
