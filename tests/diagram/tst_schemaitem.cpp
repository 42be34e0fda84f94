// The schema item: rows of the five kinds, ticking, the popup menu, linked marking, the
// parent check, removal, row anchors, sizing, row painting and re-routing of its relations.

#include "../common/TestSupport.h"
#include "DiagramTestSupport.h"

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

namespace {

// An area shown on screen, as the mouse tests and the scrolled lists need.
std::unique_ptr<TSchemaDesignArea> shownArea(int w = 700, int h = 500)
{
    auto area = std::make_unique<TSchemaDesignArea>();
    area->resize(w, h);
    area->show();
    if (!QTest::qWaitForWindowExposed(area.get()))
        qWarning("area not exposed");
    return area;
}

// The Y offset of GetRowY from the top of the item's client area.
int rowOffset(const TSchemaItem *item, int fldN)
{
    return item->GetRowY(fldN) - item->y() - item->ClientRect().top();
}

QStringList rowNames(int n, const QString &prefix = QStringLiteral("r"))
{
    QStringList names;
    for (int i = 0; i < n; ++i)
        names << prefix + QString::number(i);
    return names;
}

// Where the area puts a relation, from the items' present geometry and row anchors.
QRect expectedBounds(const TSchemaRelation *r)
{
    TSchemaItem *p = r->ParentItem();
    TSchemaItem *c = r->ChildItem();
    RelationRouteInput in;
    in.parentLeft = p->x();
    in.parentWidth = p->width();
    in.childLeft = c->x();
    in.childWidth = c->width();
    in.sameItem = p == c;
    in.previousLnkX = r->LnkX();
    in.parentY = p->GetRowY(p->GetIndexBySubItem(r->ParentSubItem()));
    in.childY = c->GetRowY(c->GetIndexBySubItem(r->ChildSubItem()));
    return RouteRelation(in).bounds;
}

// The first column, from left, that holds a pixel unlike the background and unlike the glyph
// colours; -1 when there is none.
int firstInkColumn(const QImage &image, int from = 0)
{
    const QRgb background = image.pixel(image.width() - 1, image.height() / 2);
    for (int x = from; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            const QRgb p = image.pixel(x, y);
            if (p != background && p != qRgb(255, 0, 0) && p != qRgb(0, 0, 255))
                return x;
        }
    }
    return -1;
}

int inkWidth(const QImage &image)
{
    const QRgb background = image.pixel(image.width() - 1, 0);
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixel(x, y) != background) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    }
    return first < 0 ? 0 : last - first + 1;
}

bool hasColour(const QImage &image, QRgb colour)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == colour)
                return true;
        }
    }
    return false;
}

} // namespace

class tst_SchemaItem : public QObject {
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

    void rowYInList_data();
    void rowYInList();
    void rowYInTree_data();
    void rowYInTree();
    void rowYInTextAndIcon_data();
    void rowYInTextAndIcon();
    void itemIconSetWhenFirstPlaced();
    void anchorsWhileTheAreaIsHidden();
    void recalculate_data();
    void recalculate();
    void wideRowsAndCaptionWidenTheItem();
    void textItemWidth();

    void rowPainting_data();
    void rowPainting();
    void linkedRowIsBoldAndForeignIndexDrawsNothing();
    void linkedRowsStandOutAfterActivation_data();
    void linkedRowsStandOutAfterActivation();

    void relationsFollow_data();
    void relationsFollow();
    void captionColourAndFontReachTheInnerControl();
    void glyphIndexesReachTreeNodes();
    void innerControlFillsTheClientArea_data();
    void innerControlFillsTheClientArea();
};

// ---------------------------------------------------------------------------------------------
// Construction and rows

void tst_SchemaItem::construction_data()
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

void tst_SchemaItem::construction()
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

void tst_SchemaItem::listRows_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::newRow("list") << scListBox;
    QTest::newRow("check list") << scCheckListBox;
}

void tst_SchemaItem::listRows()
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

void tst_SchemaItem::treeRowsAreNumberedByAbsoluteIndex()
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

void tst_SchemaItem::textAndIconHoldOneRow_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::newRow("text") << scText;
    QTest::newRow("icon") << scIcon;
}

void tst_SchemaItem::textAndIconHoldOneRow()
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

void tst_SchemaItem::getSubItemByName_data()
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

void tst_SchemaItem::getSubItemByName()
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

void tst_SchemaItem::rowOwnerMustBeAnItem()
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

void tst_SchemaItem::failingAddSubItemHandlerPropagates()
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

void tst_SchemaItem::tickingReportsEachChange()
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

void tst_SchemaItem::userTogglesCheckBox()
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

void tst_SchemaItem::spaceKeyTogglesTheCurrentRow()
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

void tst_SchemaItem::selectAll_data()
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

void tst_SchemaItem::selectAll()
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

void tst_SchemaItem::selectAllKeepsTickedRows_data()
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
void tst_SchemaItem::selectAllKeepsTickedRows()
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

// ---------------------------------------------------------------------------------------------
// Menu

void tst_SchemaItem::menuEntries_data()
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

void tst_SchemaItem::menuEntries()
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

void tst_SchemaItem::rightClickShowsMenu_data()
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

void tst_SchemaItem::rightClickShowsMenu()
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

void tst_SchemaItem::selectItemBold()
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

void tst_SchemaItem::parentMustBeAScrollBox()
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

void tst_SchemaItem::removeItemFromItsMenu()
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

void tst_SchemaItem::removeItemWithoutSender()
{
    QStringList log;
    TSchemaDesignArea area;
    logEvents(area, log);
    QPointer<TSchemaItem> a = addTable(area, "A", { "a" });
    a->RemoveItem(nullptr);
    QVERIFY(a.isNull());
    QCOMPARE(log, QStringList({ "AddItem A", "DeleteItem A" }));
}

void tst_SchemaItem::removeRelationsFromItsMenu()
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

void tst_SchemaItem::closeButton_data()
{
    QTest::addColumn<bool>("leaveBeforeRelease");
    QTest::addColumn<bool>("restricted"); // read-only area without "delete item"
    QTest::addColumn<bool>("removed");

    QTest::newRow("click") << false << false << true;
    QTest::newRow("click on a restricted area") << false << true << true;
    QTest::newRow("released elsewhere") << true << false << false;
}

void tst_SchemaItem::closeButton()
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

void tst_SchemaItem::movingAndSizingByMouse_data()
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

void tst_SchemaItem::movingAndSizingByMouse()
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

void tst_SchemaItem::deleteSubItemWhileARelationPointsAtIt()
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

void tst_SchemaItem::deleteTreeNodeTakesItsChildren()
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

// ---------------------------------------------------------------------------------------------
// Row anchors

void tst_SchemaItem::rowYInList_data()
{
    QTest::addColumn<int>("top"); // first visible row
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("offset");

    // Client height 100, rows of 16 pixels: centre of the row plus one.
    QTest::newRow("first row") << 0 << 0 << 9;
    QTest::newRow("third row") << 0 << 2 << 41;
    QTest::newRow("fifth row") << 0 << 4 << 73;
    QTest::newRow("below the bottom: clamped") << 0 << 6 << 100;
    QTest::newRow("far below: clamped") << 0 << 19 << 100;
    QTest::newRow("row not found") << 0 << -1 << -7;
    QTest::newRow("scrolled, first visible") << 3 << 3 << 9;
    QTest::newRow("scrolled, next") << 3 << 4 << 25;
    QTest::newRow("scrolled, just above: no clamp") << 3 << 2 << -7;
    QTest::newRow("scrolled, far above") << 3 << 0 << -39;
}

void tst_SchemaItem::rowYInList()
{
    QFETCH(int, top);
    QFETCH(int, row);
    QFETCH(int, offset);

    auto area = shownArea();
    TSchemaItem *item = addTable(*area, "T", rowNames(20), 30, 40, scCheckListBox);
    item->SetClientHeight(100);
    auto *list = item->ListBox();
    QTRY_VERIFY(list->verticalScrollBar()->maximum() >= top);
    list->verticalScrollBar()->setValue(top);
    QCOMPARE(list->TopIndex(), top);
    QCOMPARE(item->ClientHeight(), 100);

    QCOMPARE(rowOffset(item, row), offset);
    QCOMPARE(item->GetRowY(row), 40 + item->ClientRect().top() + offset);
    // The anchor follows the item.
    item->move(30, 90);
    QCOMPARE(item->GetRowY(row), 90 + item->ClientRect().top() + offset);
}

void tst_SchemaItem::rowYInTree_data()
{
    QTest::addColumn<QString>("collapsed"); // node whose branch is closed
    QTest::addColumn<int>("top"); // first node shown
    QTest::addColumn<int>("clientHeight");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("offset");

    // Nodes, absolute index: n0 (n1, n2), n3 (n4), n5.
    QTest::newRow("first node") << "" << 0 << 200 << 0 << 9;
    QTest::newRow("third node") << "" << 0 << 200 << 2 << 41;
    QTest::newRow("last node") << "" << 0 << 200 << 5 << 89;
    QTest::newRow("not found") << "" << 0 << 200 << -1 << 9;
    QTest::newRow("inside a closed branch: its parent's place") << "n3" << 0 << 200 << 4 << 57;
    QTest::newRow("after a closed branch") << "n3" << 0 << 200 << 5 << 73;
    QTest::newRow("first branch closed") << "n0" << 0 << 200 << 2 << 9;
    QTest::newRow("first branch closed, next visible") << "n0" << 0 << 200 << 3 << 25;
    QTest::newRow("below the bottom: clamped") << "" << 0 << 40 << 5 << 40;
    QTest::newRow("scrolled, row above the first shown") << "" << 2 << 40 << 0 << 9;
    QTest::newRow("scrolled, second shown") << "" << 2 << 40 << 3 << 25;
}

void tst_SchemaItem::rowYInTree()
{
    QFETCH(QString, collapsed);
    QFETCH(int, top);
    QFETCH(int, clientHeight);
    QFETCH(int, row);
    QFETCH(int, offset);

    auto area = shownArea();
    TSchemaItem *item = area->AddItem(QStringLiteral("T"), scTreeView);
    item->AddSubItem(QStringLiteral("n0"), -1, false);
    item->AddSubItem(QStringLiteral("n1"), 0, false);
    item->AddSubItem(QStringLiteral("n2"), 0, false);
    item->AddSubItem(QStringLiteral("n3"), -1, false);
    item->AddSubItem(QStringLiteral("n4"), 3, false);
    item->AddSubItem(QStringLiteral("n5"), -1, false);
    item->RecalculateHeight(); // expands every branch
    item->RecalculateWidth();
    item->move(50, 30);
    item->SetClientHeight(clientHeight);
    TSchemaTreeView *tree = item->TreeView();
    if (!collapsed.isEmpty())
        tree->collapseItem(
            tree->NodeAt(item->GetIndexBySubItem(item->GetSubItemByName(collapsed))));
    if (top > 0) {
        QTRY_VERIFY(tree->verticalScrollBar()->maximum() >= top);
        tree->verticalScrollBar()->setValue(top);
        QCOMPARE(tree->itemAt(0, 0), tree->NodeAt(top));
    }
    QCOMPARE(rowOffset(item, row), offset);
}

void tst_SchemaItem::rowYInTextAndIcon_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::addColumn<int>("row");
    QTest::newRow("text, its row") << scText << 0;
    QTest::newRow("text, any number") << scText << 7;
    QTest::newRow("icon, its row") << scIcon << 0;
    QTest::newRow("icon, not found") << scIcon << -1;
}

void tst_SchemaItem::itemIconSetWhenFirstPlaced()
{
    TSchemaDesignArea area;
    auto *item = new TSchemaItem(&area);
    QVERIFY(item->Icon().isNull());
    item->SetParent(&area);
    QVERIFY(!item->Icon().isNull());
    const QImage icon = item->Icon().pixmap(16, 16).toImage();
    QCOMPARE(icon.size(), QSize(16, 16));
    QCOMPARE(item->windowIcon().cacheKey(), item->Icon().cacheKey());
    // A picture the application set stays when the item is placed again.
    QPixmap own(16, 16);
    own.fill(Qt::red);
    item->SetIcon(QIcon(own));
    item->SetParent(&area);
    QCOMPARE(item->Icon().pixmap(16, 16).toImage().pixel(8, 8), QColor(Qt::red).rgb());
}

void tst_SchemaItem::rowYInTextAndIcon()
{
    QFETCH(TSchemaControlType, type);
    QFETCH(int, row);
    auto area = shownArea();
    TSchemaItem *item = area->AddItem(QStringLiteral("Note"), type);
    item->AddSubItem(QStringLiteral("x"), -1, false);
    item->SetBounds(70, 45, 100, 60);
    QCOMPARE(item->ClientRect().top(), 0); // no title bar, no frame
    QCOMPARE(item->GetRowY(row), 45 + 9);
    item->move(10, 200);
    QCOMPARE(item->GetRowY(row), 200 + 9);
    // A row anchor 9 pixels down cannot leave a tiny item.
    item->SetClientHeight(5);
    QCOMPARE(item->GetRowY(row), 205);
}

void tst_SchemaItem::anchorsWhileTheAreaIsHidden()
{
    // A diagram is usually built before its window is shown; sizes set then must count.
    TSchemaDesignArea area;
    TSchemaItem *list = addTable(area, "L", { "a", "b", "c" }, 30, 40);
    QCOMPARE(list->ClientHeight(), 3 * 16 + 9);
    QCOMPARE(rowOffset(list, 1), 25);
    QCOMPARE(rowOffset(list, 5), 57); // clamped to the bottom of the list
    TSchemaItem *text = area.AddItem(QStringLiteral("Note"), scText);
    text->SetBounds(0, 300, 80, 6);
    QCOMPARE(text->GetRowY(0), 306);
}

// ---------------------------------------------------------------------------------------------
// Sizing

void tst_SchemaItem::recalculate_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("border");
    QTest::addColumn<int>("clientHeight");
    QTest::addColumn<int>("widthWithoutCheck"); // width minus CheckWidth(); -1: not checked

    QTest::newRow("empty list with border") << scListBox << 0 << true << 9 << 135;
    QTest::newRow("empty list without border") << scListBox << 0 << false << 4 << 130;
    QTest::newRow("check list, three rows") << scCheckListBox << 3 << true << 57 << 135;
    QTest::newRow("list, three rows, no border") << scListBox << 3 << false << 52 << 130;
    QTest::newRow("tree, collapsed branches count") << scTreeView << 4 << true << 73 << 135;
    QTest::newRow("empty tree without border") << scTreeView << 0 << false << 4 << 130;
}

void tst_SchemaItem::recalculate()
{
    QFETCH(TSchemaControlType, type);
    QFETCH(int, rows);
    QFETCH(bool, border);
    QFETCH(int, clientHeight);
    QFETCH(int, widthWithoutCheck);

    TSchemaDesignArea area;
    TSchemaItem *item = area.AddItem(QString(), type);
    item->SetBorder(border);
    for (int i = 0; i < rows; ++i)
        item->AddSubItem(QStringLiteral("r%1").arg(i), type == scTreeView ? i - 1 : -1, false);
    if (TSchemaTreeView *tree = item->TreeView())
        tree->collapseAll();
    item->RecalculateHeight();
    item->RecalculateWidth();
    QCOMPARE(item->ClientHeight(), clientHeight);
    QCOMPARE(item->width(), widthWithoutCheck + CheckWidth());
    if (TSchemaTreeView *tree = item->TreeView()) {
        for (QTreeWidgetItem *node : tree->AllNodes())
            QVERIFY(node->childCount() == 0 || node->isExpanded());
    }
}

void tst_SchemaItem::wideRowsAndCaptionWidenTheItem()
{
    TSchemaDesignArea area;
    const QString longRow = QStringLiteral("a_field_name_that_is_much_wider_than_the_floor");
    TSchemaItem *rows = area.AddItem(QStringLiteral("T"), scListBox);
    rows->AddSubItem(QStringLiteral("id"), -1, false);
    rows->AddSubItem(longRow, -1, false);
    rows->RecalculateWidth();
    const int rowWidth = QFontMetrics(rows->ItemControl()->font()).horizontalAdvance(longRow);
    QVERIFY(rowWidth > 110);
    QCOMPARE(rows->width(), rowWidth + 5 + 20 + CheckWidth());

    // A caption wider than the rows: measured in the bold 8-point caption font, plus 34.
    const QString caption = QStringLiteral("A table caption far wider than its rows ever are");
    TSchemaItem *titled = area.AddItem(caption, scListBox);
    titled->RecalculateWidth();
    TFontValue boldValue;
    boldValue.StyleBits = TFontValue::fsBold;
    const int bold = QFontMetrics(FontValueToQFont(boldValue)).horizontalAdvance(caption);
    const int regular = QFontMetrics(FontValueToQFont(TFontValue())).horizontalAdvance(caption);
    QVERIFY2(bold != regular, "the fallback font draws bold as wide as regular");
    QCOMPARE(titled->width(), bold + 34);

    // Without a title bar the caption does not count.
    titled->SetShowCaption(false);
    titled->RecalculateWidth();
    QCOMPARE(titled->width(), 135 + CheckWidth());
}

void tst_SchemaItem::textItemWidth()
{
    TSchemaDesignArea area;
    TSchemaItem *text = area.AddItem(QStringLiteral("A short note"), scText);
    text->RecalculateWidth();
    const QFontMetrics fm(text->TextControl()->font());
    QCOMPARE(text->width(), fm.horizontalAdvance(QStringLiteral("A short note")));
    text->SetBorder(true);
    text->RecalculateWidth();
    QCOMPARE(text->width(), fm.horizontalAdvance(QStringLiteral("A short note")) + 5);

    // A text with a line break keeps the width it has.
    TSchemaItem *lines = area.AddItem(QStringLiteral("first line\r\nsecond line"), scText);
    lines->SetBounds(0, 0, 177, 50);
    lines->RecalculateWidth();
    QCOMPARE(lines->width(), 177);

    TSchemaItem *icon = area.AddItem(QStringLiteral("pc"), scIcon);
    icon->RecalculateHeight();
    icon->RecalculateWidth();
    QCOMPARE(icon->width(), 32);
    QCOMPARE(icon->ClientHeight(), 36);
}

// ---------------------------------------------------------------------------------------------
// Row painting

void tst_SchemaItem::rowPainting_data()
{
    QTest::addColumn<int>("imageIndex");
    QTest::addColumn<int>("selectedIndex");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QString>("glyph"); // "red", "blue" or "none"

    // Images: 0 red, 1 blue.
    QTest::newRow("plain row with glyph") << 0 << 1 << false << "red";
    QTest::newRow("plain row without glyph") << -1 << 1 << false << "none";
    QTest::newRow("glyph index outside the list") << 5 << -1 << false << "none";
    QTest::newRow("selected row, own selected glyph") << 0 << 1 << true << "blue";
    QTest::newRow("selected row without selected glyph") << 0 << -1 << true << "red";
    QTest::newRow("selected row, selected glyph outside") << 1 << 9 << true << "blue";
}

void tst_SchemaItem::rowPainting()
{
    QFETCH(int, imageIndex);
    QFETCH(int, selectedIndex);
    QFETCH(bool, selected);
    QFETCH(QString, glyph);

    TImageList images;
    QPixmap red(16, 16);
    red.fill(Qt::red);
    QPixmap blue(16, 16);
    blue.fill(Qt::blue);
    images.Add(red);
    images.Add(blue);
    TSchemaDesignArea area;
    area.SetImages(&images);
    TSchemaItem *item = area.AddItem(QStringLiteral("T"), scListBox);
    TSchemaSubItem *row = item->AddSubItem(QStringLiteral("Wx"), -1, false);
    row->SetImageIndex(imageIndex);
    row->SetSelectedIndex(selectedIndex);
    item->ListBox()->addItem(QStringLiteral("Wx")); // the same text without a row

    // A row rectangle 4 pixels higher than the glyphs.
    auto render = [&](int index, bool sel) {
        QImage image(160, 20, QImage::Format_RGB32);
        image.fill(Qt::gray);
        QPainter painter(&image);
        item->CustomListDrawItem(item->ListBox(), index, QRect(0, 0, 160, 20), sel, painter);
        return image;
    };
    const QImage image = render(0, selected);
    const QImage reference = render(1, false); // raw entry: text at the corner

    QCOMPARE(hasColour(image, qRgb(255, 0, 0)), glyph == QLatin1String("red"));
    QCOMPARE(hasColour(image, qRgb(0, 0, 255)), glyph == QLatin1String("blue"));
    if (glyph != QLatin1String("none")) {
        // Centred vertically in the row rectangle, at its left edge.
        const QRgb g = image.pixel(0, 2);
        QVERIFY(g == qRgb(255, 0, 0) || g == qRgb(0, 0, 255));
        QCOMPARE(image.pixel(15, 17), g);
        QVERIFY(image.pixel(0, 1) != g);
        QVERIFY(image.pixel(0, 18) != g);
        QVERIFY(image.pixel(16, 10) != g);
    }
    // The text starts 2 pixels in, after the glyph and 2 more pixels when there is one.
    const int shift = glyph == QLatin1String("none") ? 2 : 16 + 2 + 2;
    QCOMPARE(
        firstInkColumn(image, glyph == QLatin1String("none") ? 0 : 16) - firstInkColumn(reference),
        shift);
}

void tst_SchemaItem::linkedRowIsBoldAndForeignIndexDrawsNothing()
{
    TSchemaDesignArea area;
    TSchemaItem *item = area.AddItem(QStringLiteral("T"), scListBox);
    TSchemaSubItem *plain = item->AddSubItem(QStringLiteral("customer_id"), -1, false);
    TSchemaSubItem *linked = item->AddSubItem(QStringLiteral("customer_id"), -1, false);
    item->SetFont(TFontValue()); // regular, so that bold can show
    item->SelectItemBold(linked, true);
    QVERIFY(!plain->Linked());

    auto render = [&](int index) {
        QImage image(200, 16, QImage::Format_RGB32);
        image.fill(Qt::gray);
        QPainter painter(&image);
        item->CustomListDrawItem(item->ListBox(), index, QRect(0, 0, 200, 16), false, painter);
        return image;
    };
    QVERIFY(inkWidth(render(1)) > inkWidth(render(0)));

    const QImage untouched = render(2);
    QCOMPARE(inkWidth(untouched), 0);
    QCOMPARE(untouched.pixel(0, 0), QColor(Qt::gray).rgb());
    QCOMPARE(inkWidth(render(-1)), 0);
}

void tst_SchemaItem::linkedRowsStandOutAfterActivation_data()
{
    QTest::addColumn<TSchemaControlType>("type");
    QTest::newRow("list") << scListBox;
    QTest::newRow("check list") << scCheckListBox;
    QTest::newRow("tree") << scTreeView;
}

// Activation makes the item's font value bold; still only the linked row of two rows with the
// same caption is drawn bold.
void tst_SchemaItem::linkedRowsStandOutAfterActivation()
{
    QFETCH(TSchemaControlType, type);
    auto area = shownArea();
    TSchemaItem *item = addTable(*area, "T", { "customer_id", "customer_id" }, 10, 10, type);
    TSchemaItem *other = addTable(*area, "O", { "id" }, 300, 10);
    link(*area, item, 1, other, 0);
    QVERIFY(item->GetFont().Bold()); // the value that files store

    auto *view = qobject_cast<QAbstractItemView *>(item->ItemControl());
    view->doItemsLayout(); // a list view lays out its entries late, on a timer
    const QImage image = view->viewport()->grab().toImage();
    // The text part of a row: right of the check box in a check list.
    auto textOf = [&](int row) {
        QRect rect = view->visualRect(view->model()->index(row, 0));
        if (type == scCheckListBox)
            rect.setLeft(rect.left() + CheckWidth() + 2);
        return image.copy(rect);
    };
    const int plain = inkWidth(textOf(0));
    const int linked = inkWidth(textOf(1));
    QVERIFY(plain > 0);
    QVERIFY2(linked > plain, qPrintable(QStringLiteral("%1 vs %2").arg(linked).arg(plain)));

    // Unlinked again, the row is drawn like its twin.
    area->DeleteRelationsForItem(item, nullptr);
    const QImage after = view->viewport()->grab().toImage();
    QRect second = view->visualRect(view->model()->index(1, 0));
    QRect first = view->visualRect(view->model()->index(0, 0));
    QCOMPARE(inkWidth(after.copy(second)), inkWidth(after.copy(first)));
}

// ---------------------------------------------------------------------------------------------
// Relations follow the item

void tst_SchemaItem::relationsFollow_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::newRow("item moved") << "move";
    QTest::newRow("item resized") << "resize";
    QTest::newRow("inner list scrolled") << "scroll list";
    QTest::newRow("tree branch collapsed") << "collapse";
    QTest::newRow("tree branch expanded") << "expand";
}

void tst_SchemaItem::relationsFollow()
{
    QFETCH(QString, trigger);
    auto area = shownArea(800, 600);
    TSchemaItem *list = addTable(*area, "L", rowNames(20), 10, 10);
    list->SetClientHeight(120);
    TSchemaItem *tree = area->AddItem(QStringLiteral("T"), scTreeView);
    tree->AddSubItem(QStringLiteral("p"), -1, false);
    tree->AddSubItem(QStringLiteral("c0"), 0, false);
    tree->AddSubItem(QStringLiteral("c1"), 0, false);
    tree->AddSubItem(QStringLiteral("q"), -1, false);
    tree->RecalculateHeight();
    tree->RecalculateWidth();
    tree->move(400, 200);
    TSchemaItem *other = addTable(*area, "O", { "o" }, 400, 20);
    if (trigger == QLatin1String("expand"))
        tree->TreeView()->collapseAll();
    TSchemaRelation *listRel = link(*area, list, 3, other, 0);
    TSchemaRelation *treeRel = link(*area, other, 0, tree, 2);
    const QRect listBefore = listRel->BoundsRect();
    const QRect treeBefore = treeRel->BoundsRect();
    QCOMPARE(listBefore, expectedBounds(listRel));
    QCOMPARE(treeBefore, expectedBounds(treeRel));

    TSchemaRelation *moved = listRel;
    if (trigger == QLatin1String("move")) {
        list->move(40, 90);
    } else if (trigger == QLatin1String("resize")) {
        list->resize(list->width() + 30, list->height());
    } else if (trigger == QLatin1String("scroll list")) {
        QTRY_VERIFY(list->ListBox()->verticalScrollBar()->maximum() >= 2);
        list->ListBox()->verticalScrollBar()->setValue(2);
    } else if (trigger == QLatin1String("collapse")) {
        tree->TreeView()->collapseItem(tree->TreeView()->NodeAt(0));
        moved = treeRel;
    } else {
        tree->TreeView()->expandItem(tree->TreeView()->NodeAt(0));
        moved = treeRel;
    }
    QVERIFY(moved->BoundsRect() != (moved == listRel ? listBefore : treeBefore));
    QCOMPARE(listRel->BoundsRect(), expectedBounds(listRel));
    QCOMPARE(treeRel->BoundsRect(), expectedBounds(treeRel));
}

void tst_SchemaItem::captionColourAndFontReachTheInnerControl()
{
    TSchemaDesignArea area;
    TSchemaItem *text = area.AddItem(QStringLiteral("first"), scText);
    text->SetCaption(QStringLiteral("second"));
    QCOMPARE(text->TextControl()->Caption(), QStringLiteral("second"));
    QCOMPARE(text->GetCaption(), QStringLiteral("second"));
    text->SetColor(clLime);
    QCOMPARE(text->TextControl()->Color(), clLime);

    TSchemaItem *tree = area.AddItem(QStringLiteral("T"), scTreeView);
    tree->SetColor(clRed);
    QCOMPARE(tree->GetColor(), clRed);
    QCOMPARE(tree->ItemControl()->palette().color(QPalette::Base), QColor(Qt::red));
    // After activation the inner font is bold, 8 points.
    QVERIFY(tree->GetFont().Bold());
    QCOMPARE(tree->GetFont().Size, 8);
    QVERIFY(tree->ItemControl()->font().bold());

    TSchemaItem *icon = area.AddItem(QStringLiteral("I"), scIcon);
    TFontValue font;
    font.Size = 14;
    icon->SetFont(font);
    QCOMPARE(icon->GetFont(), font); // an icon item's font is its own
    icon->SetColor(clRed);
    QCOMPARE(icon->GetColor(), clRed);
}

void tst_SchemaItem::glyphIndexesReachTreeNodes()
{
    TImageList images;
    QPixmap red(16, 16);
    red.fill(Qt::red);
    images.Add(red);
    images.Add(red);
    TSchemaDesignArea area;
    area.SetImages(&images);
    TSchemaItem *tree = area.AddItem(QStringLiteral("T"), scTreeView);
    tree->AddSubItem(QStringLiteral("p"), -1, false);
    TSchemaSubItem *row = tree->AddSubItem(QStringLiteral("c"), 0, false);
    QTreeWidgetItem *node = tree->TreeView()->NodeAt(1);
    QVERIFY(node->icon(0).isNull());
    row->SetImageIndex(1);
    QCOMPARE(row->ImageIndex(), 1);
    QVERIFY(!node->icon(0).isNull());
    row->SetImageIndex(7); // outside the list: no glyph
    QVERIFY(node->icon(0).isNull());
    row->SetOverlayIndex(3);
    row->SetStateIndex(2);
    row->SetSelectedIndex(0);
    QCOMPARE(row->OverlayIndex(), 3);
    QCOMPARE(row->StateIndex(), 2);
    QCOMPARE(row->SelectedIndex(), 0);
    row->SetImageIndex(4, 1); // no such glyph index: nothing
    QCOMPARE(row->ImageIndex(), 7);
}

void tst_SchemaItem::innerControlFillsTheClientArea_data()
{
    QTest::addColumn<bool>("showCaption");
    QTest::addColumn<bool>("sizeable");
    QTest::addColumn<bool>("toolWin");
    QTest::addColumn<bool>("border");
    for (int bits = 0; bits < 16; ++bits) {
        QTest::addRow("caption %d sizeable %d tool %d border %d", bits & 1, (bits >> 1) & 1,
            (bits >> 2) & 1, (bits >> 3) & 1)
            << bool(bits & 1) << bool(bits & 2) << bool(bits & 4) << bool(bits & 8);
    }
}

void tst_SchemaItem::innerControlFillsTheClientArea()
{
    QFETCH(bool, showCaption);
    QFETCH(bool, sizeable);
    QFETCH(bool, toolWin);
    QFETCH(bool, border);
    auto area = shownArea();
    TSchemaItem *item = addTable(*area, "T", { "a", "b" }, 10, 10);
    item->SetShowCaption(showCaption);
    item->SetSizeable(sizeable);
    item->SetToolWin(toolWin);
    item->SetBorder(border);
    item->SetClientHeight(70);
    QCOMPARE(item->ClientHeight(), 70);
    const QRect client = item->ClientRect();
    QCOMPARE(item->ItemControl()->geometry(), client);
    QVERIFY(QRect(QPoint(0, 0), item->size()).contains(client));
    // A title bar comes with height, a frame with width on both sides.
    QCOMPARE(client.top() > 0, showCaption || border || !sizeable);
    QCOMPARE(item->width() - client.width(), 2 * client.left());
    QCOMPARE(item->height() - client.height() - client.top(), client.left());
}

QTEST_MAIN(tst_SchemaItem)
#include "tst_schemaitem.moc"
