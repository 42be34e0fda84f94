// The schema item's popup menu and frame: the menu's entries, selection, the parent check,
// removal, the close button, moving and sizing by mouse, and removing rows under relations.

#include "../common/TestSupport.h"
#include "DiagramTestSupport.h"
#include "SchemaItemTestSupport.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/TSchemaCheckListBox.h"
#include "diagram/items/TSchemaIcon.h"
#include "diagram/items/TSchemaListBox.h"
#include "diagram/items/TSchemaText.h"
#include "diagram/items/TSchemaTreeView.h"
#include "diagram/model/RelationRouting.h"
#include "platform/Exceptions.h"
#include "platform/FontConvert.h"
#include "platform/ResourceStrings.h"
#include "platform/TImageList.h"
#include "relations/TSchemaRelation.h"

#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QtTest>

#include <memory>

using namespace Diduza;
using namespace DiduzaTest;

Q_DECLARE_METATYPE(TSchemaControlType)

class tst_SchemaItemMenu : public QObject {
    Q_OBJECT
private slots:
    void menuEntries_data();
    void menuEntries();
    void rightClickShowsMenu_data();
    void rightClickShowsMenu();
    void selectItemBold();
    void parentMustBeAScrollBox();
    void removeItemFromItsMenu();
    void removeItemWithoutSender();
    void removeRelationsFromItsMenu();
    void closeButton_data();
    void closeButton();
    void movingAndSizingByMouse_data();
    void movingAndSizingByMouse();
    void deleteSubItemWhileARelationPointsAtIt();
    void deleteTreeNodeTakesItsChildren();
};

// ---------------------------------------------------------------------------------------------
// Menu

void tst_SchemaItemMenu::menuEntries_data()
{
    QTest::addColumn<int>("actions"); // bits of TZkSActions
    QTest::addColumn<bool>("deleteRelations");
    QTest::addColumn<bool>("deleteItem");

    QTest::newRow("all actions") << int(TZkSActions::All().Bits()) << true << true;
    QTest::newRow("without deleting items")
        << int(TZkSActions({ saDeleteReleation, saEditRelation }).Bits()) << true << false;
    QTest::newRow("without deleting relations")
        << int(TZkSActions({ saDeleteItem }).Bits()) << false << true;
    QTest::newRow("editing relations only")
        << int(TZkSActions({ saEditRelation }).Bits()) << false << false;
}

void tst_SchemaItemMenu::menuEntries()
{
    QFETCH(int, actions);
    QFETCH(bool, deleteRelations);
    QFETCH(bool, deleteItem);

    TSchemaDesignArea area;
    area.SetActions(DiduzaTest::ActionsFromBits(actions));
    TSchemaItem *item = area.AddItem(QStringLiteral("T"), scCheckListBox);
    area.SetActions(TZkSActions::All()); // too late for this item

    QMenu *menu = item->PopMenu();
    QCOMPARE(menu->objectName(), QStringLiteral("mnu"));
    const DiduzaTest::MenuEntries entries = DiduzaTest::ListMenu(*menu);
    QCOMPARE(entries.names,
        QStringList({ "mnuSelectAll", "mnuUnSelectAll", "", "mnuDeleteRelation", "mnuClose", "",
            "mnuChangeFont", "mnuChangeBackground" }));
    QCOMPARE(entries.captions,
        QStringList({ "Select All", "Unselect All", "-", "Delete relations", "Delete item", "-",
            "Change font...", "Change background color..." }));
    QCOMPARE(entries.enabled,
        QList<bool>({ true, true, true, deleteRelations, deleteItem, true, true, true }));
    // The entries belong to the item: the commands find it as their owner.
    QCOMPARE(menuEntry(item, "mnuClose"), menu->actions().at(4));
}

void tst_SchemaItemMenu::rightClickShowsMenu_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("list") << scListBox << false;
    QTest::newRow("check list") << scCheckListBox << false;
    QTest::newRow("tree") << scTreeView << false;
    QTest::newRow("list, read-only area") << scListBox << true;
    QTest::newRow("check list, read-only area") << scCheckListBox << true;
    QTest::newRow("tree, read-only area") << scTreeView << true;
}

void tst_SchemaItemMenu::rightClickShowsMenu()
{
    QFETCH(TSchemaControlType, type);
    QFETCH(bool, readOnly);
    auto area = shownArea();
    TSchemaItem *item = addTable(*area, "T", { "a", "b" }, 20, 20, type);
    area->SetReadOnly(readOnly); // consulted at each click
    auto *view = qobject_cast<QAbstractScrollArea *>(item->ItemControl());
    QVERIFY(view);

    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    QVERIFY(!item->PopMenu()->isVisible());

    QTest::mousePress(view->viewport(), Qt::RightButton, {}, QPoint(20, 5));
    QCOMPARE(item->PopMenu()->isVisible(), !readOnly);
    item->PopMenu()->hide();
}

void tst_SchemaItemMenu::selectItemBold()
{
    TSchemaDesignArea area;
    TSchemaItem *list = area.AddItem(QStringLiteral("L"), scListBox);
    TSchemaSubItem *row = list->AddSubItem(QStringLiteral("a"), -1, false);
    list->SelectItemBold(nullptr, true); // nothing
    list->SelectItemBold(row, true);
    QVERIFY(row->Linked());
    list->SelectItemBold(row, false);
    QVERIFY(!row->Linked());

    TSchemaItem *tree = area.AddItem(QStringLiteral("T"), scTreeView);
    tree->AddSubItem(QStringLiteral("p"), -1, false);
    TSchemaSubItem *child = tree->AddSubItem(QStringLiteral("c"), 0, false);
    tree->SelectItemBold(child, true);
    QVERIFY(child->Linked());
    QVERIFY(tree->TreeView()->NodeAt(1)->font(0).bold());
    QVERIFY(!tree->TreeView()->NodeAt(0)->font(0).bold());
    tree->SelectItemBold(child, false);
    QVERIFY(!tree->TreeView()->NodeAt(1)->font(0).bold());
    QVERIFY(!child->Linked());
}

void tst_SchemaItemMenu::parentMustBeAScrollBox()
{
    TSchemaDesignArea area;
    TSchemaItem *item = area.AddItem(QStringLiteral("T"), scListBox);
    QWidget notABox;
    try {
        item->SetParent(&notABox);
        QFAIL("no exception");
    } catch (const Exception &e) {
        QCOMPARE(e.Message(), QStringLiteral("Parent must be TScrollBox or its descendant."));
        QCOMPARE(e.Message(), LoadResString(_smsNotValidTableParent));
    }
    QCOMPARE(item->Parent(), &area);
    QCOMPARE(area.GetItemIndex(item), 0);
    QVERIFY(notABox.children().isEmpty());

    // Any scroll box will do.
    TScrollBox box;
    item->SetParent(&box);
    QCOMPARE(item->Parent(), &box);
    QCOMPARE(area.GetItemCount(), 0);
    QCOMPARE(box.ControlCount(), 1);
    item->SetParent(&area);
    QCOMPARE(box.ControlCount(), 0);
    QCOMPARE(area.GetItem(0), item);
}

void tst_SchemaItemMenu::removeItemFromItsMenu()
{
    QStringList log;
    auto area = shownArea();
    logEvents(*area, log);
    TSchemaItem *a = addTable(*area, "A", { "a0", "a1" }, 10, 10);
    TSchemaItem *b = addTable(*area, "B", { "b0" }, 300, 10);
    link(*area, a, 0, b, 0);
    link(*area, b, 0, a, 1);
    log.clear();
    QPointer<TSchemaItem> removed = a;

    // The user opens the menu and clicks "Delete item": the menu is still handling its click
    // when the item goes, so the item and the menu it owns must outlive the click.
    auto *view = qobject_cast<QAbstractScrollArea *>(a->ItemControl());
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, QPoint(20, 5));
    QMenu *menu = a->PopMenu();
    QVERIFY(menu->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    QAction *entry = menuEntry(a, "mnuClose");
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());

    // Off the area at once, with its relations; destroyed on the next turn of the loop.
    QCOMPARE(area->GetItemCount(), 1);
    QCOMPARE(area->GetRelationCount(), 0);
    QVERIFY(!b->GetSubItem(0)->Linked());
    QTRY_VERIFY(removed.isNull());
    QCOMPARE(log,
        QStringList({ "DeleteRelation B.b0>A.a1", "DeleteRelation A.a0>B.b0", "DeleteItem A" }));
}

void tst_SchemaItemMenu::removeItemWithoutSender()
{
    QStringList log;
    TSchemaDesignArea area;
    logEvents(area, log);
    QPointer<TSchemaItem> a = addTable(area, "A", { "a" });
    a->RemoveItem(nullptr);
    QVERIFY(a.isNull());
    QCOMPARE(log, QStringList({ "AddItem A", "DeleteItem A" }));
}

void tst_SchemaItemMenu::removeRelationsFromItsMenu()
{
    TSchemaDesignArea area;
    TSchemaItem *a = addTable(area, "A", { "a" });
    TSchemaItem *b = addTable(area, "B", { "b" }, 250);
    TSchemaItem *c = addTable(area, "C", { "c" }, 500);
    link(area, a, 0, b, 0);
    link(area, c, 0, a, 0);
    link(area, b, 0, c, 0);
    menuEntry(a, "mnuDeleteRelation")->trigger();
    QCOMPARE(area.GetRelationCount(), 1);
    QCOMPARE(relationName(area.GetRelation(0)), QStringLiteral("B.b>C.c"));
    QCOMPARE(area.GetItemCount(), 3);
    QVERIFY(!a->GetSubItem(0)->Linked());
    QVERIFY(b->GetSubItem(0)->Linked());
}

void tst_SchemaItemMenu::closeButton_data()
{
    QTest::addColumn<bool>("leaveBeforeRelease");
    QTest::addColumn<bool>("restricted"); // read-only area without "delete item"
    QTest::addColumn<bool>("removed");

    QTest::newRow("click") << false << false << true;
    QTest::newRow("click on a restricted area") << false << true << true;
    QTest::newRow("released elsewhere") << true << false << false;
}

void tst_SchemaItemMenu::closeButton()
{
    QFETCH(bool, leaveBeforeRelease);
    QFETCH(bool, restricted);
    QFETCH(bool, removed);

    QStringList log;
    auto area = shownArea();
    if (restricted) {
        area->SetActions({});
        area->SetReadOnly(true);
    }
    logEvents(*area, log);
    TSchemaItem *a = addTable(*area, "A", { "a" }, 10, 10);
    TSchemaItem *b = addTable(*area, "B", { "b" }, 300, 10);
    link(*area, a, 0, b, 0);
    bool asked = false;
    a->SetOnClose([&](QObject *, bool &allow) {
        asked = true;
        allow = false;
    });
    log.clear();
    QPointer<TSchemaItem> item = a;

    const QRect button = a->CloseButtonRect();
    QVERIFY(!button.isEmpty());
    QVERIFY(a->CaptionRect().contains(button));
    QTest::mousePress(a, Qt::LeftButton, {}, button.center());
    const QPoint releaseAt = leaveBeforeRelease ? button.center() - QPoint(40, 0) : button.center();
    if (leaveBeforeRelease)
        QTest::mouseMove(a, releaseAt);
    QTest::mouseRelease(a, Qt::LeftButton, {}, releaseAt);

    if (removed) {
        QCOMPARE(area->GetItemCount(), 1);
        QCOMPARE(area->GetRelationCount(), 0);
        QTRY_VERIFY(item.isNull());
        QCOMPARE(log, QStringList({ "DeleteRelation A.a>B.b", "DeleteItem A" }));
    } else {
        QCoreApplication::processEvents();
        runDeferredDeletes();
        QVERIFY(!item.isNull());
        QCOMPARE(area->GetItemCount(), 2);
        QCOMPARE(log, QStringList());
        QCOMPARE(a->pos(), QPoint(10, 10)); // pressing the button does not move the item
    }
    QVERIFY(!asked); // OnClose is stored only
}

void tst_SchemaItemMenu::movingAndSizingByMouse_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::addColumn<QString>("grip"); // "title", "body" or "corner"
    QTest::addColumn<bool>("moves");
    QTest::addColumn<bool>("sizes");

    QTest::newRow("list by its title bar") << scListBox << "title" << true << false;
    QTest::newRow("list by its resizing frame") << scListBox << "corner" << false << true;
    QTest::newRow("tree by its resizing frame") << scTreeView << "corner" << false << true;
    QTest::newRow("text by its body") << scText << "body" << true << false;
    QTest::newRow("icon by its body") << scIcon << "body" << true << false;
    QTest::newRow("text by its corner: no frame, so it moves")
        << scText << "corner" << true << false;
}

void tst_SchemaItemMenu::movingAndSizingByMouse()
{
    QFETCH(TSchemaControlType, type);
    QFETCH(QString, grip);
    QFETCH(bool, moves);
    QFETCH(bool, sizes);

    auto area = shownArea();
    TSchemaItem *item = addTable(*area, "Item", { "x" }, 50, 60, type);
    if (type == scText || type == scIcon)
        item->SetBounds(50, 60, 80, 50);
    TSchemaItem *other = addTable(*area, "O", { "o" }, 400, 200);
    TSchemaRelation *r = link(*area, item, 0, other, 0);
    const QRect start = item->geometry();

    QPoint p;
    if (grip == QLatin1String("title"))
        p = item->CaptionRect().center() - QPoint(20, 0);
    else if (grip == QLatin1String("body"))
        p = item->ClientRect().center();
    else
        p = QPoint(item->width() - 2, item->height() - 2);
    QVERIFY(!item->CloseButtonRect().contains(p));

    QTest::mousePress(item, Qt::LeftButton, {}, p);
    QTest::mouseMove(item, p + QPoint(30, 20));
    // The relation follows each step, not just the release.
    QCOMPARE(r->BoundsRect(), expectedBounds(r));
    // The pointer 40, 25 away from where it was pressed, in the item's present coordinates.
    const QPoint second = p + QPoint(40, 25) - (moves ? QPoint(30, 20) : QPoint());
    QTest::mouseMove(item, second);
    QTest::mouseRelease(item, Qt::LeftButton, {}, second);

    const QRect end = item->geometry();
    if (moves) {
        QCOMPARE(end, start.translated(40, 25));
    } else if (sizes) {
        QCOMPARE(end.topLeft(), start.topLeft());
        QCOMPARE(end.size(), start.size() + QSize(40, 25));
        QCOMPARE(item->ItemControl()->geometry(), item->ClientRect());
    }
    QCOMPARE(r->BoundsRect(), expectedBounds(r));
    QVERIFY(r->BoundsRect() != QRect());
}

void tst_SchemaItemMenu::deleteSubItemWhileARelationPointsAtIt()
{
    QList<int> deleteEvents; // declared first: the area reports while it is destroyed
    auto area = shownArea();
    TSchemaItem *a = addTable(*area, "A", { "a0", "a1", "a2" }, 10, 10);
    TSchemaItem *b = addTable(*area, "B", { "b0" }, 300, 60);
    TSchemaRelation *r = link(*area, a, 1, b, 0);
    QPointer<TSchemaSubItem> row = a->GetSubItem(1);
    area->SetOnDeleteItem([&](QObject *, TSchemaItem *) { deleteEvents << 1; });

    a->DeleteSubItem(1);
    QVERIFY(row.isNull());
    QCOMPARE(a->GetSubItemCount(), 2);
    QCOMPARE(r->ParentSubItem(), nullptr); // reads as nothing, never dangles
    QCOMPARE(area->GetRelationCount(), 1); // not touched
    QVERIFY(deleteEvents.isEmpty());

    // Routing, painting and deleting the relation still work.
    a->move(20, 20);
    area->ReboundRelations();
    QCOMPARE(r->BoundsRect(), expectedBounds(r));
    area->viewport()->grab();
    a->DeleteSubItem(5); // outside: nothing
    a->DeleteSubItem(-1);
    QCOMPARE(a->GetSubItemCount(), 2);
    area->DeleteRelationsForItem(a, nullptr);
    QCOMPARE(area->GetRelationCount(), 0);
    QVERIFY(!b->GetSubItem(0)->Linked());
}

void tst_SchemaItemMenu::deleteTreeNodeTakesItsChildren()
{
    TSchemaDesignArea area;
    TSchemaItem *item = area.AddItem(QStringLiteral("T"), scTreeView);
    item->AddSubItem(QStringLiteral("p"), -1, false);
    QPointer<TSchemaSubItem> child = item->AddSubItem(QStringLiteral("c"), 0, false);
    TSchemaSubItem *other = item->AddSubItem(QStringLiteral("q"), -1, false);
    item->DeleteSubItem(0);
    QCOMPARE(item->GetSubItemCount(), 1);
    QCOMPARE(item->GetSubItem(0), other);
    // The child's row stays with the item until the item goes.
    QVERIFY(!child.isNull());
    QCOMPARE(item->GetIndexBySubItem(child), -1);
    area.ClearAll();
    QVERIFY(child.isNull());
}

QTEST_MAIN(tst_SchemaItemMenu)
#include "tst_schemaitemmenu.moc"
