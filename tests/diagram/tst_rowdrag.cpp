#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/items/TSchemaListBox.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/TSchemaTreeView.h"
#include "platform/Application.h"
#include "relations/TSchemaRelation.h"

#include <QListWidget>
#include <QMimeData>
#include <QtTest>

using namespace Diduza;

class tst_RowDrag : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void acceptance_data();
    void acceptance();
    void dropLinksDraggedRowToRowUnderPointer();
    void dropRefusals();
    void duplicateDropReportsAfterTheDrop();
    void treeAndListLinkBothWays();
    void dragShowsItsLineAndTheRowItWouldJoin_data();
    void dragShowsItsLineAndTheRowItWouldJoin();

private:
    TSchemaItem *table(const QString &name, TSchemaControlType type, int x);
    QPoint rowPoint(TSchemaItem *item, int row) const;

    TSchemaDesignArea *area = nullptr;
    TSchemaItem *a = nullptr;
    TSchemaItem *b = nullptr;
    QStringList messages;
};

TSchemaItem *tst_RowDrag::table(const QString &name, TSchemaControlType type, int x)
{
    TSchemaItem *item = area->AddItem(name, type);
    for (const char *field : { "*", "id", "name", "city" })
        item->AddSubItem(QLatin1String(field), -1, false);
    item->RecalculateHeight();
    item->RecalculateWidth();
    item->move(x, 10);
    return item;
}

QPoint tst_RowDrag::rowPoint(TSchemaItem *item, int row) const
{
    if (auto *tree = item->TreeView())
        return tree->visualItemRect(tree->NodeAt(row)).center();
    auto *list = item->ListBox();
    return list->visualItemRect(list->item(row)).center();
}

void tst_RowDrag::init()
{
    messages.clear();
    SetExceptionHandler([this](const Exception &e) { messages << e.Message(); });
    area = new TSchemaDesignArea;
    area->resize(600, 400);
    area->show();
    a = table("customer", scCheckListBox, 10);
    b = table("orders", scListBox, 250);
}

void tst_RowDrag::cleanup()
{
    delete area;
    SetExceptionHandler({});
}

void tst_RowDrag::acceptance_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("accept");
    QTest::newRow("another item's check list") << "a" << false << true;
    QTest::newRow("the target's own list") << "b" << false << true;
    QTest::newRow("read-only area") << "a" << true << false;
    QTest::newRow("a list box outside any item") << "plain" << false << false;
    QTest::newRow("no source") << "none" << false << false;
    QTest::newRow("an item on another area") << "foreign" << false << false;
}

void tst_RowDrag::acceptance()
{
    QFETCH(QString, source);
    QFETCH(bool, readOnly);
    QFETCH(bool, accept);
    QListWidget plain;
    TSchemaDesignArea other;
    TSchemaItem *foreign = other.AddItem("x", scListBox);
    QObject *src = source == "a" ? a->ItemControl()
        : source == "b"          ? b->ItemControl()
        : source == "plain"      ? static_cast<QObject *>(&plain)
        : source == "foreign"    ? foreign->ItemControl()
                                 : nullptr;
    area->SetReadOnly(readOnly);
    bool accepted = !accept;
    b->_DragOver(b->ItemControl(), src, 5, 5, accepted);
    QCOMPARE(accepted, accept);
}

void tst_RowDrag::dropLinksDraggedRowToRowUnderPointer()
{
    a->ListBox()->setCurrentRow(1);
    const QPoint p = rowPoint(b, 2);
    b->_DragDrop(b->ItemControl(), a->ItemControl(), p.x(), p.y());
    QCOMPARE(area->GetRelationCount(), 1);
    TSchemaRelation *r = area->GetRelation(0);
    QCOMPARE(r->ParentItem(), a);
    QCOMPARE(r->ParentSubItem(), a->GetSubItem(1));
    QCOMPARE(r->ChildItem(), b);
    QCOMPARE(r->ChildSubItem(), b->GetSubItem(2));
    QVERIFY(a->GetSubItem(1)->Linked());
    QVERIFY(b->GetSubItem(2)->Linked());

    // Two different rows of one item may be linked.
    b->ListBox()->setCurrentRow(1);
    const QPoint q = rowPoint(b, 3);
    b->_DragDrop(b->ItemControl(), b->ItemControl(), q.x(), q.y());
    QCOMPARE(area->GetRelationCount(), 2);
    QCOMPARE(area->GetRelation(1)->ParentItem(), b);
    QCOMPARE(area->GetRelation(1)->ChildItem(), b);
}

void tst_RowDrag::dropRefusals()
{
    // Back onto itself.
    b->ListBox()->setCurrentRow(2);
    QPoint p = rowPoint(b, 2);
    b->_DragDrop(b->ItemControl(), b->ItemControl(), p.x(), p.y());
    // On the blank space below the last row.
    a->ListBox()->setCurrentRow(1);
    const QRect last = b->ListBox()->visualItemRect(b->ListBox()->item(3));
    b->_DragDrop(b->ItemControl(), a->ItemControl(), 5, last.bottom() + 30);
    // From a list without a selected row.
    a->ListBox()->clearSelection();
    a->ListBox()->setCurrentRow(-1);
    p = rowPoint(b, 1);
    b->_DragDrop(b->ItemControl(), a->ItemControl(), p.x(), p.y());
    // Read-only.
    a->ListBox()->setCurrentRow(1);
    area->SetReadOnly(true);
    b->_DragDrop(b->ItemControl(), a->ItemControl(), p.x(), p.y());
    QCOMPARE(area->GetRelationCount(), 0);
    QVERIFY(!b->GetSubItem(1)->Linked());
}

void tst_RowDrag::duplicateDropReportsAfterTheDrop()
{
    a->ListBox()->setCurrentRow(1);
    const QPoint p = rowPoint(b, 2);
    b->_DragDrop(b->ItemControl(), a->ItemControl(), p.x(), p.y());
    QVERIFY_THROWS_EXCEPTION(
        Exception, b->_DragDrop(b->ItemControl(), a->ItemControl(), p.x(), p.y()));
    QCOMPARE(area->GetRelationCount(), 1);

    // Through a real drop event the failure reaches the application handler, queued.
    QMimeData mime;
    QDropEvent drop(QPointF(p), Qt::LinkAction, &mime, Qt::LeftButton, Qt::NoModifier);
    // A synthesized drop has no source: nothing happens and nothing is reported.
    QCoreApplication::sendEvent(b->ListBox()->viewport(), &drop);
    QCoreApplication::processEvents();
    QVERIFY(messages.isEmpty());
    Guarded([&] { b->_DragDrop(b->ItemControl(), a->ItemControl(), p.x(), p.y()); }, true);
    QVERIFY(messages.isEmpty()); // not while the drop is still being handled
    QTRY_COMPARE(messages, QStringList { "These items are already linked." });
    QCOMPARE(area->GetRelationCount(), 1);
}

void tst_RowDrag::treeAndListLinkBothWays()
{
    TSchemaItem *tree = area->AddItem("catalogue", scTreeView);
    tree->AddSubItem("products", -1, false);
    tree->AddSubItem("id", 0, false);
    tree->RecalculateHeight();
    tree->RecalculateWidth();
    tree->move(450, 10);

    tree->TreeView()->setCurrentItem(tree->TreeView()->NodeAt(1));
    QPoint p = rowPoint(b, 1);
    b->_DragDrop(b->ItemControl(), tree->ItemControl(), p.x(), p.y());
    QCOMPARE(area->GetRelationCount(), 1);
    QCOMPARE(area->GetRelation(0)->ParentSubItem(), tree->GetSubItem(1));

    b->ListBox()->setCurrentRow(3);
    p = rowPoint(tree, 0);
    tree->_DragDrop(tree->ItemControl(), b->ItemControl(), p.x(), p.y());
    QCOMPARE(area->GetRelationCount(), 2);
    QCOMPARE(area->GetRelation(1)->ChildSubItem(), tree->GetSubItem(0));
}

void tst_RowDrag::dragShowsItsLineAndTheRowItWouldJoin_data()
{
    QTest::addColumn<QString>("over"); // where the pointer is
    QTest::addColumn<bool>("line");
    QTest::addColumn<bool>("frame");
    QTest::newRow("a row of another item") << "row" << true << true;
    QTest::newRow("the bare area") << "bare" << true << false;
    QTest::newRow("a read-only area") << "read-only" << false << false;
}

// While a row is dragged, a line runs from it to the pointer, and the row a drop would join is
// framed; after the drop both are gone.
void tst_RowDrag::dragShowsItsLineAndTheRowItWouldJoin()
{
    QFETCH(QString, over);
    QFETCH(bool, line);
    QFETCH(bool, frame);
    QVERIFY(QTest::qWaitForWindowExposed(area));
    area->SetReadOnly(over == "read-only");
    a->ListBox()->setCurrentRow(1);
    QWidget *viewport = area->viewport();
    const QPoint inTarget = rowPoint(b, 2);
    QPoint pointer = b->ListBox()->viewport()->mapTo(viewport, inTarget);
    bool accept = false;
    if (over == "bare") {
        pointer = QPoint(420, 300);
        area->DragOver(area, a->ItemControl(), pointer.x(), pointer.y(), dsDragMove, accept);
    } else {
        b->_DragOver(b->ItemControl(), a->ItemControl(), inTarget.x(), inTarget.y(), accept);
    }
    // Whether the area's picture is of the highlight colour near p (viewport coordinates).
    const QColor highlight = area->palette().color(QPalette::Highlight);
    auto marked = [&](const QImage &picture, QPoint p) {
        for (int d = 0; d < 25; ++d) {
            const QColor c = picture.pixelColor(p + viewport->pos() + QPoint(d % 5 - 2, d / 5 - 2));
            if (qAbs(c.red() - highlight.red()) + qAbs(c.green() - highlight.green())
                    + qAbs(c.blue() - highlight.blue())
                < 60)
                return true;
        }
        return false;
    };
    // From the middle of the dragged row, at the edge of its item that faces the pointer.
    const QPoint from(
        a->geometry().right(), a->ListBox()->viewport()->mapTo(viewport, rowPoint(a, 1)).y());
    const QPoint middle = (from + pointer) / 2;
    const QRect framed = b->ListBox()
                             ->visualItemRect(b->ListBox()->item(2))
                             .translated(b->ListBox()->viewport()->mapTo(viewport, QPoint()));
    const QPoint frameEdge(framed.left() + 1, framed.center().y());
    QImage picture = area->grab().toImage();
    QCOMPARE(marked(picture, middle), line);
    QCOMPARE(marked(picture, frameEdge), frame);

    b->_DragDrop(b->ItemControl(), a->ItemControl(), inTarget.x(), inTarget.y());
    picture = area->grab().toImage();
    QVERIFY(!marked(picture, middle) && !marked(picture, frameEdge));
}

QTEST_MAIN(tst_RowDrag)
#include "tst_rowdrag.moc"
