// The schema item's rows: the five kinds, finding a row by name, the row's owner, and ticking
// (by click, by Space and by Select all).

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

class tst_SchemaItemRows : public QObject {
    Q_OBJECT
private slots:
    void construction_data();
    void construction();
    void listRows_data();
    void listRows();
    void treeRowsAreNumberedByAbsoluteIndex();
    void textAndIconHoldOneRow_data();
    void textAndIconHoldOneRow();
    void getSubItemByName_data();
    void getSubItemByName();
    void rowOwnerMustBeAnItem();
    void failingAddSubItemHandlerPropagates();

    void tickingReportsEachChange();
    void userTogglesCheckBox();
    void spaceKeyTogglesTheCurrentRow();
    void selectAll_data();
    void selectAll();
    void selectAllKeepsTickedRows_data();
    void selectAllKeepsTickedRows();
};

// ---------------------------------------------------------------------------------------------
// Construction and rows

void tst_SchemaItemRows::construction_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::addColumn<QString>("innerClass");
    QTest::addColumn<bool>("decorated"); // ShowCaption and Border

    QTest::newRow("list") << scListBox << "Diduza::TSchemaListBox" << true;
    QTest::newRow("check list") << scCheckListBox << "Diduza::TSchemaCheckListBox" << true;
    QTest::newRow("tree") << scTreeView << "Diduza::TSchemaTreeView" << true;
    QTest::newRow("text") << scText << "Diduza::TSchemaText" << false;
    QTest::newRow("icon") << scIcon << "Diduza::TSchemaIcon" << false;
}

void tst_SchemaItemRows::construction()
{
    QFETCH(TSchemaControlType, type);
    QFETCH(QString, innerClass);
    QFETCH(bool, decorated);

    TSchemaDesignArea area;
    std::unique_ptr<TSchemaItem> item(TSchemaItem::CreateTyped(&area, type));
    QCOMPARE(item->SchemaControlType(), type);
    QCOMPARE(item->Designer(), &area);
    QVERIFY(item->isHidden()); // until Activate
    QCOMPARE(QString::fromLatin1(item->ItemControl()->metaObject()->className()), innerClass);
    QCOMPARE(item->ItemControl()->parentWidget(), item.get());
    QCOMPARE(item->ShowCaption(), decorated);
    QCOMPARE(item->Border(), decorated);
    QVERIFY(item->Sizeable());
    QVERIFY(item->ToolWin());
    QCOMPARE(item->PopMenu() != nullptr, decorated);
    QVERIFY(!item->Data().isValid());
    QCOMPARE(item->GetSubItemCount(), 0);

    // The plain constructor builds a list item.
    TSchemaItem plain(&area);
    QCOMPARE(plain.SchemaControlType(), scListBox);
    QVERIFY(plain.ListBox());
}

void tst_SchemaItemRows::listRows_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::newRow("list") << scListBox;
    QTest::newRow("check list") << scCheckListBox;
}

void tst_SchemaItemRows::listRows()
{
    QFETCH(TSchemaControlType, type);
    QStringList added;
    TSchemaDesignArea area;
    area.SetOnAddSubItem([&](QObject *sender, TSchemaSubItem *row) {
        added << row->Caption() + (sender == &area ? QString() : QStringLiteral(" [sender]"))
                + (row->Data().isValid() ? QStringLiteral(" +data") : QString());
    });
    TSchemaItem *item = area.AddItem(QStringLiteral("T"), type);
    TSchemaSubItem *r0 = item->AddSubItem(QStringLiteral("id"), -1, false);
    TSchemaSubItem *r1 = item->AddSubItemObject(QStringLiteral("name"), 5, false, 42);
    TSchemaSubItem *r2 = item->AddSubItem(QStringLiteral("city"), 0, false);

    QCOMPARE(added, QStringList({ "id", "name +data", "city" }));
    QCOMPARE(item->GetSubItemCount(), 3);
    QCOMPARE(r1->Index(), 1);
    QCOMPARE(r2->Index(), 2);
    QCOMPARE(r1->ItemOwner(), item);
    QCOMPARE(r1->Data().toInt(), 42);
    QCOMPARE(item->GetSubItem(0), r0);
    QCOMPARE(item->GetSubItem(2), r2);
    QCOMPARE(item->GetSubItem(3), nullptr);
    QCOMPARE(item->GetSubItem(-1), nullptr);
    QCOMPARE(item->GetIndexBySubItem(r2), 2);
    QCOMPARE(item->GetItemName(1), QStringLiteral("name"));
    QCOMPARE(item->GetItemName(3), QString());
    QCOMPARE(item->GetItemName(-1), QString());

    // An entry put into the list directly carries no row.
    item->ListBox()->addItem(QStringLiteral("raw"));
    QCOMPARE(item->GetSubItemCount(), 4);
    QCOMPARE(item->GetSubItem(3), nullptr);
    QCOMPARE(item->GetIndexBySubItem(nullptr), -1);
    QCOMPARE(item->GetItemName(3), QStringLiteral("raw"));

    // Indexes are not renumbered after a deletion.
    QCOMPARE(item->GetItemIndex(), -1);
    item->DeleteSubItem(0);
    QCOMPARE(item->GetIndexBySubItem(r2), 1);
    QCOMPARE(r2->Index(), 2);
    item->ListBox()->setCurrentRow(1);
    QCOMPARE(item->GetItemIndex(), 1);
}

void tst_SchemaItemRows::treeRowsAreNumberedByAbsoluteIndex()
{
    TSchemaDesignArea area;
    TSchemaItem *item = area.AddItem(QStringLiteral("T"), scTreeView);
    struct Step {
        const char *caption;
        int parentItem;
        int index; // absolute index given to the new row
        const char *parent; // caption of the parent node, "" for top level
    };
    const Step steps[] = {
        { "p0", -1, 0, "" },
        { "c0", 0, 1, "p0" },
        { "p1", -1, 2, "" },
        { "c1", 0, 2, "p0" }, // last child of p0: p1 moves down to 3
        { "top", 4, 4, "" }, // ParentItem equal to the node count: top level
        { "g", 1, 2, "c0" }, // grandchild below c0
        { "far", 99, 6, "" },
    };
    TSchemaTreeView *tree = item->TreeView();
    QList<TSchemaSubItem *> rows;
    for (const Step &s : steps) {
        TSchemaSubItem *row = item->AddSubItem(QString::fromLatin1(s.caption), s.parentItem, false);
        QVERIFY(row);
        rows << row;
        QCOMPARE(row->Index(), s.index);
        QTreeWidgetItem *node = tree->NodeAt(s.index);
        QCOMPARE(TSchemaTreeView::RowOf(node), row);
        QCOMPARE(
            node->parent() ? node->parent()->text(0) : QString(), QString::fromLatin1(s.parent));
    }
    // Pre-order over all nodes: p0, c0, g, c1, p1, top, far.
    QCOMPARE(item->GetSubItemCount(), 7);
    QStringList order;
    for (int i = 0; i < item->GetSubItemCount(); ++i)
        order << item->GetItemName(i);
    QCOMPARE(order, QStringList({ "p0", "c0", "g", "c1", "p1", "top", "far" }));
    QCOMPARE(item->GetIndexBySubItem(rows[2]), 4); // p1 moved; its Index stays 2
    QCOMPARE(rows[2]->Index(), 2);
    QCOMPARE(item->GetSubItem(4), rows[2]);
    QCOMPARE(item->GetSubItem(7), nullptr);
    QCOMPARE(item->GetItemName(7), QString());

    // Collapsed branches still count.
    tree->collapseAll();
    QCOMPARE(item->GetSubItemCount(), 7);
    QCOMPARE(item->GetIndexBySubItem(rows[5]), 2);

    QCOMPARE(item->GetItemIndex(), -1);
    tree->setCurrentItem(tree->NodeAt(3));
    QCOMPARE(item->GetItemIndex(), 3);
}

void tst_SchemaItemRows::textAndIconHoldOneRow_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::newRow("text") << scText;
    QTest::newRow("icon") << scIcon;
}

void tst_SchemaItemRows::textAndIconHoldOneRow()
{
    QFETCH(TSchemaControlType, type);
    int added = 0;
    TSchemaDesignArea area;
    area.SetOnAddSubItem([&](QObject *, TSchemaSubItem *) { ++added; });
    TSchemaItem *item = area.AddItem(QStringLiteral("Note"), type);
    item->SetData(7);

    TSchemaSubItem *row = item->AddSubItem(QStringLiteral("only"), -1, false);
    QVERIFY(row);
    QCOMPARE(row->Index(), -1);
    QCOMPARE(item->AddSubItem(QStringLiteral("second"), -1, false), nullptr);
    QCOMPARE(item->AddSubItemObject(QStringLiteral("third"), -1, false, 1), nullptr);
    QCOMPARE(added, 1);
    QCOMPARE(item->GetSubItemCount(), 1);
    QCOMPARE(item->findChildren<TSchemaSubItem *>().size(), 1); // nothing half-built left
    QCOMPARE(item->GetSubItem(0), row);
    QCOMPARE(item->GetSubItem(5), row);
    QCOMPARE(item->GetSubItem(-1), row);
    QCOMPARE(item->GetIndexBySubItem(row), 0);
    QCOMPARE(item->Data().toInt(), 7); // the item's own data is untouched
    QCOMPARE(item->GetItemName(3), type == scText ? QStringLiteral("Note") : QString());
    QCOMPARE(item->GetItemIndex(), -1);

    item->DeleteSubItem(0); // a text or icon row cannot be deleted
    QCOMPARE(item->GetSubItemCount(), 1);
    QCOMPARE(item->GetSubItem(0), row);
}

void tst_SchemaItemRows::getSubItemByName_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("found"); // absolute index, -1 for none

    // Rows: ID, Name, name (a child of Name in the tree), Ärger.
    QTest::newRow("list, ASCII case") << scListBox << "id" << 0;
    QTest::newRow("list, equal captions: lower index") << scListBox << "NAME" << 1;
    QTest::newRow("list, accented case not folded")
        << scListBox << QString::fromUtf8("ärger") << -1;
    QTest::newRow("list, exact accented") << scListBox << QString::fromUtf8("Ärger") << 3;
    QTest::newRow("list, none") << scListBox << "nam" << -1;
    QTest::newRow("tree, nested row") << scTreeView << "Name" << 1;
    QTest::newRow("tree, last row") << scTreeView << QString::fromUtf8("Ärger") << 3;
    QTest::newRow("check list, none") << scCheckListBox << "" << -1;
}

void tst_SchemaItemRows::getSubItemByName()
{
    QFETCH(TSchemaControlType, type);
    QFETCH(QString, name);
    QFETCH(int, found);
    TSchemaDesignArea area;
    TSchemaItem *item = area.AddItem(QStringLiteral("T"), type);
    item->AddSubItem(QStringLiteral("ID"), -1, false);
    item->AddSubItem(QStringLiteral("Name"), -1, false);
    item->AddSubItem(QStringLiteral("name"), 1, false);
    item->AddSubItem(QString::fromUtf8("Ärger"), -1, false);
    QCOMPARE(item->GetSubItemByName(name), found < 0 ? nullptr : item->GetSubItem(found));
}

void tst_SchemaItemRows::rowOwnerMustBeAnItem()
{
    QObject notAnItem;
    QVERIFY_THROWS_EXCEPTION(EInvalidCast, TSchemaSubItem row(&notAnItem));
    QVERIFY(notAnItem.children().isEmpty());

    TSchemaSubItem loose(nullptr);
    QCOMPARE(loose.ItemOwner(), nullptr);
    loose.SetChecked(true); // nothing to report to
    QVERIFY(loose.Checked());
    QCOMPARE(loose.ImageIndex(), -1);
    QCOMPARE(loose.SelectedIndex(), -1);
    QCOMPARE(loose.OverlayIndex(), -1);
    QCOMPARE(loose.StateIndex(), -1);
    QCOMPARE(loose.Index(), 0);
    QVERIFY(!loose.Linked());
}

void tst_SchemaItemRows::failingAddSubItemHandlerPropagates()
{
    TSchemaDesignArea area;
    TSchemaItem *item = area.AddItem(QStringLiteral("T"), scListBox);
    area.SetOnAddSubItem(
        [](QObject *, TSchemaSubItem *) { throw Exception(QStringLiteral("no")); });
    QVERIFY_THROWS_EXCEPTION(Exception, item->AddSubItem(QStringLiteral("a"), -1, false));
    // The row stays as far as it was built: it is in the list.
    QCOMPARE(item->GetSubItemCount(), 1);
    QCOMPARE(item->GetSubItem(0)->Caption(), QStringLiteral("a"));
}

// ---------------------------------------------------------------------------------------------
// Ticking

void tst_SchemaItemRows::tickingReportsEachChange()
{
    TSchemaDesignArea area;
    TSchemaItem *item = area.AddItem(QStringLiteral("T"), scCheckListBox);
    auto *list = qobject_cast<TSchemaCheckListBox *>(item->ItemControl());
    QList<QObject *> senders;
    QList<bool> shownAtEvent;
    item->SetOnSubItemCheck([&](QObject *sender) {
        senders << sender;
        auto *row = qobject_cast<TSchemaSubItem *>(sender);
        const int i = row ? item->GetIndexBySubItem(row) : -1;
        shownAtEvent << (i >= 0 && list->Checked(i));
    });

    item->AddSubItem(QStringLiteral("a"), -1, false);
    TSchemaSubItem *b = item->AddSubItem(QStringLiteral("b"), -1, true);
    // A row added ticked is reported before it is in the list; its entry shows the tick.
    QCOMPARE(senders, QList<QObject *>({ b }));
    QCOMPARE(shownAtEvent, QList<bool>({ false }));
    QVERIFY(list->Checked(1));

    b->SetChecked(true); // unchanged: nothing
    QCOMPARE(senders.size(), 1);
    b->SetChecked(false);
    QVERIFY(!list->Checked(1));
    TSchemaSubItem *a = item->GetSubItem(0);
    a->SetChecked(true);
    QVERIFY(list->Checked(0));
    QCOMPARE(senders, QList<QObject *>({ b, b, a }));
    // The entry already shows the new state when the event comes.
    QCOMPARE(shownAtEvent, QList<bool>({ false, false, true }));

    // A list item reports ticks too, without check boxes.
    TSchemaItem *plain = area.AddItem(QStringLiteral("P"), scListBox);
    int plainEvents = 0;
    plain->SetOnSubItemCheck([&](QObject *) { ++plainEvents; });
    plain->AddSubItem(QStringLiteral("x"), -1, true)->SetChecked(false);
    QCOMPARE(plainEvents, 2);
}

void tst_SchemaItemRows::userTogglesCheckBox()
{
    auto area = shownArea();
    TSchemaItem *item = addTable(*area, "T", { "a", "b", "c" }, 10, 10, scCheckListBox);
    auto *list = qobject_cast<TSchemaCheckListBox *>(item->ItemControl());
    QList<QObject *> senders;
    item->SetOnSubItemCheck([&](QObject *sender) { senders << sender; });
    TSchemaSubItem *b = item->GetSubItem(1);
    const QRect entry = list->visualItemRect(list->item(1));
    const QPoint onBox(entry.left() + 1 + CheckWidth() / 2, entry.center().y());
    const QPoint onText(entry.left() + CheckWidth() + 20, entry.center().y());

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onBox);
    QCOMPARE(senders, QList<QObject *>({ b }));
    QVERIFY(b->Checked());
    QVERIFY(list->Checked(1));

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onBox);
    QCOMPARE(senders.size(), 2);
    QVERIFY(!b->Checked());
    QVERIFY(!list->Checked(1));

    // A click beside the check box selects the row but does not tick it.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onText);
    QCOMPARE(senders.size(), 2);
    QVERIFY(!b->Checked());
    QCOMPARE(item->GetItemIndex(), 1);

    // The other rows were never touched.
    QVERIFY(!item->GetSubItem(0)->Checked());
    QVERIFY(!item->GetSubItem(2)->Checked());
}

void tst_SchemaItemRows::spaceKeyTogglesTheCurrentRow()
{
    auto area = shownArea();
    TSchemaItem *item = addTable(*area, "T", { "a", "b" }, 10, 10, scCheckListBox);
    auto *list = qobject_cast<TSchemaCheckListBox *>(item->ItemControl());
    int events = 0;
    item->SetOnSubItemCheck([&](QObject *) { ++events; });
    list->setFocus();
    list->setCurrentRow(1);
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(events, 1);
    QVERIFY(item->GetSubItem(1)->Checked());
    QVERIFY(list->Checked(1));
    QVERIFY(!item->GetSubItem(0)->Checked());
}

void tst_SchemaItemRows::selectAll_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::addColumn<QList<int>>("ticked");
    QTest::addColumn<QList<int>>("selectEvents");
    QTest::addColumn<QList<int>>("unselectEvents");

    QTest::newRow("check list, one ticked")
        << scCheckListBox << QList<int>({ 1 }) << QList<int>({ 0, 2 }) << QList<int>({ 0, 1, 2 });
    QTest::newRow("list, none ticked")
        << scListBox << QList<int>() << QList<int>({ 0, 1, 2 }) << QList<int>({ 0, 1, 2 });
    QTest::newRow("tree, by absolute index")
        << scTreeView << QList<int>({ 2 }) << QList<int>({ 0, 1 }) << QList<int>({ 0, 1, 2 });
    QTest::newRow("text") << scText << QList<int>({ 0 }) << QList<int>() << QList<int>();
}

void tst_SchemaItemRows::selectAll()
{
    QFETCH(TSchemaControlType, type);
    QFETCH(QList<int>, ticked);
    QFETCH(QList<int>, selectEvents);
    QFETCH(QList<int>, unselectEvents);

    TSchemaDesignArea area;
    TSchemaItem *item = area.AddItem(QStringLiteral("T"), type);
    item->AddSubItem(QStringLiteral("r0"), -1, false);
    item->AddSubItem(QStringLiteral("r1"), 0, false); // a child of r0 in a tree
    item->AddSubItem(QStringLiteral("r2"), -1, false);
    for (int i : ticked)
        item->GetSubItem(i)->SetChecked(true);
    QList<int> events;
    item->SetOnSubItemCheck([&](QObject *sender) {
        events << item->GetIndexBySubItem(qobject_cast<TSchemaSubItem *>(sender));
    });

    QAction *selectEntry = menuEntry(item, "mnuSelectAll");
    if (selectEntry)
        selectEntry->trigger();
    else
        item->_SelectAll(nullptr);
    QCOMPARE(events, selectEvents);
    auto *check = qobject_cast<TSchemaCheckListBox *>(item->ItemControl());
    if (type != scText) {
        for (int i = 0; i < item->GetSubItemCount(); ++i) {
            QVERIFY(item->GetSubItem(i)->Checked());
            QVERIFY(!check || check->Checked(i));
        }
    }

    events.clear();
    if (QAction *unselectEntry = menuEntry(item, "mnuUnSelectAll"))
        unselectEntry->trigger();
    else
        item->_UnSelectAll(nullptr);
    QCOMPARE(events, unselectEvents);
    if (type != scText) {
        for (int i = 0; i < item->GetSubItemCount(); ++i) {
            QVERIFY(!item->GetSubItem(i)->Checked());
            QVERIFY(!check || !check->Checked(i));
        }
    }
}

void tst_SchemaItemRows::selectAllKeepsTickedRows_data()
{
    QTest::addColumn<QList<int>>("ticked");
    QTest::addColumn<QStringList>("events"); // row and its new tick, as the handler saw them
    QTest::addColumn<QList<int>>("tickedAfter");

    QTest::newRow("fields partly ticked")
        << QList<int>({ 1, 3 }) << QStringList({ "0+", "0-", "2+" }) << QList<int>({ 1, 2, 3 });
    QTest::newRow("every field ticked")
        << QList<int>({ 1, 2, 3 }) << QStringList({ "0+", "0-" }) << QList<int>({ 1, 2, 3 });
    QTest::newRow("nothing ticked")
        << QList<int>() << QStringList({ "0+", "1+", "0-", "2+", "3+" }) << QList<int>({ 1, 2, 3 });
    QTest::newRow("the exclusive row ticked")
        << QList<int>({ 0 }) << QStringList({ "1+", "1-", "2+", "2-", "3+", "3-" })
        << QList<int>({ 0 });
}

// Select All on an item whose row 0 excludes the others, as the query builder's "*" row does:
// rows that were ticked keep their tick and raise nothing, so what the application keeps for
// them survives.
void tst_SchemaItemRows::selectAllKeepsTickedRows()
{
    QFETCH(QList<int>, ticked);
    QFETCH(QStringList, events);
    QFETCH(QList<int>, tickedAfter);

    TSchemaDesignArea area;
    TSchemaItem *item = addTable(area, "T", rowNames(4), 0, 0, scCheckListBox);
    for (int i : ticked)
        item->GetSubItem(i)->SetChecked(true);
    QStringList seen;
    item->SetOnSubItemCheck([&](QObject *sender) {
        auto *row = qobject_cast<TSchemaSubItem *>(sender);
        const int index = item->GetIndexBySubItem(row);
        seen << QString::number(index) + (row->Checked() ? "+" : "-");
        if (!row->Checked())
            return;
        if (index == 0) {
            for (int i = 1; i < item->GetSubItemCount(); ++i)
                item->GetSubItem(i)->SetChecked(false);
        } else {
            item->GetSubItem(0)->SetChecked(false);
        }
    });

    item->_SelectAll(menuEntry(item, "mnuSelectAll"));
    QCOMPARE(seen, events);
    auto *check = qobject_cast<TSchemaCheckListBox *>(item->ItemControl());
    for (int i = 0; i < item->GetSubItemCount(); ++i) {
        QCOMPARE(item->GetSubItem(i)->Checked(), tickedAfter.contains(i));
        QCOMPARE(check->Checked(i), tickedAfter.contains(i));
    }
    // Once it is over, the handler unticks freely again.
    item->GetSubItem(0)->SetChecked(true);
    for (int i = 1; i < item->GetSubItemCount(); ++i)
        QVERIFY(!item->GetSubItem(i)->Checked());
}

QTEST_MAIN(tst_SchemaItemRows)
#include "tst_schemaitemrows.moc"
