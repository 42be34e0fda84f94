// The builder form as an application runs it: its tool bar and texts, the table list, drops
// and new tables' places, and the window as the user left it.

#include "../common/TestSupport.h"
#include "BuilderDialogFixture.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/model/ItemPlacement.h"
#include "engines/TSchemaCustomDataEngine.h"
#include "querybuilder/TSQLBuilderDialog.h"
#include "querybuilder/TfrmZkSQLBuilder.h"
#include "relations/TSchemaRelation.h"
#include "sqlparser/SelectImport.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUndoStack>
#include <QtTest>

#include <memory>

using namespace Diduza;
using DiduzaTest::FakeDialogService;
using namespace BuilderDialogTest;

namespace {

QStringList listTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

} // namespace

class tst_BuilderForm : public BuilderDialogFixture {
    Q_OBJECT

private slots:
    void layoutAndTexts();
    void tableList();
    void drops_data();
    void drops();
    void sameTableTwice();
    void doubleClickDroppedOnTopOfATable();
    void newTablesLeftJoinsNoRoom_data();
    void newTablesLeftJoinsNoRoom();
    void windowAsTheUserLeftIt();
    void openingShowedPartOfTheGrid_data();
    void openingShowedPartOfTheGrid();
};

void tst_BuilderForm::layoutAndTexts()
{
    Builder &form = *m_form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Tarvelon Software: Diduza REVIzirovi"));
    QVERIFY(!form.windowIcon().isNull());
    QCOMPARE(form.pcSQL->tabPosition(), QTabWidget::South);
    QStringList tabs;
    for (int i = 0; i < form.pcSQL->count(); ++i)
        tabs << form.pcSQL->tabText(i);
    QCOMPARE(tabs, QStringList({ "Columns", "Options", "SQL", "Results" }));
    QVERIFY(form.SQLMemo->isReadOnly());
    QCOMPARE(form.SQLMemo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(form.btnOK->text(), QStringLiteral("OK"));
    QCOMPARE(form.btnCancel->text(), QStringLiteral("Cancel"));

    const QList<std::tuple<QToolButton *, int, QString>> buttons = {
        { form.btnNew, 8, "New SQL" },
        { form.btnOpen, 33, "Open SQL from file" },
        { form.btnSave, 58, "Save a current SQl into file" },
        { form.btnShowGrid, 96, "Show grid with columns" },
        { form.btnShowTables, 121, "Show list of tables" },
        { form.btnGenSQL, 158, "Generate SQL-statement" },
        { form.btnExecSQL, 183, "Execute SQL and show results" },
    };
    for (const auto &[button, left, hint] : buttons) {
        QCOMPARE(button->geometry(), QRect(left, 3, 25, 25));
        QCOMPARE(button->toolTip(), hint);
        QVERIFY(button->autoRaise());
        QVERIFY(!button->icon().isNull());
        QCOMPARE(button->isChecked(), button == form.btnShowGrid || button == form.btnShowTables);
    }
    // The save button's second glyph is its disabled look.
    const QImage saveOn = form.btnSave->icon().pixmap(16, 16).toImage();
    const QImage saveOff = form.btnSave->icon().pixmap(QSize(16, 16), QIcon::Disabled).toImage();
    QVERIFY(saveOn != saveOff);

    // OK and Cancel keep to the right edge at any width.
    for (const int width : { 654, 900, 500 }) {
        form.resize(width, 453);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_COMPARE(form.btnCancel->x(), form.pnlToolbar->width() - 75 - 10);
        QCOMPARE(form.btnOK->x(), form.btnCancel->x() - 75 - 5);
    }
    form.resize(654, 453);
    QTRY_COMPARE(form.pnlToolbar->height(), 31);
    QCOMPARE(form.pcSQL->height(), 165);
    QCOMPARE(form.pnlTables->width(), 155);
    QCOMPARE(form.pbTableGrabber->height(), 10);
    // The pages span the whole width, under the area and the table panel.
    QCOMPARE(form.pcSQL->width(), form.width());
    QVERIFY(form.pnlTables->mapTo(&form, QPoint()).y() < form.pcSQL->mapTo(&form, QPoint()).y());
}

void tst_BuilderForm::tableList()
{
    Builder &form = *m_form;
    // Sorted ignoring the case of A to Z; every name keeps the object the engine gave it.
    QCOMPARE(listTexts(form.lbTables),
        QStringList({ "alpha", "beta", "Customer", "customer", "orders" }));
    QCOMPARE(form.lbTables->item(4)->data(Qt::UserRole).toInt(), 0);
    QCOMPARE(form.lbTables->item(0)->data(Qt::UserRole).toInt(), 4);
    const QFontMetrics metrics(form.lbTables->font());
    QCOMPARE(form.TablesHorizontalExtent(), metrics.horizontalAdvance("Customer") + 19);

    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.lbTables->visualItemRect(form.lbTables->item(1)).height(), 19);
    // The draw hook replaces the painting of every entry it is asked for.
    QList<int> drawn;
    form.SetOnDrawTableItem(
        [&](QObject *control, int index, const QRect &, TOwnerDrawState, QPainter &) {
            QCOMPARE(control, form.lbTables);
            drawn << index;
        });
    form.lbTables->grab();
    std::sort(drawn.begin(), drawn.end());
    drawn.erase(std::unique(drawn.begin(), drawn.end()), drawn.end());
    QCOMPARE(drawn, QList<int>({ 0, 1, 2, 3, 4 }));

    form.SetDataEngine(nullptr);
    QCOMPARE(form.lbTables->count(), 0);
    QCOMPARE(form.TablesHorizontalExtent(), 0);
}

void tst_BuilderForm::drops_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QPoint>("placed"); // (-1, -1): nothing is added
    QTest::newRow("on the area") << "area" << QPoint(50, 60);
    // Beside that item, in line with the point (a table is not dropped on top of another).
    QTest::newRow("on an item: its point made the area's") << "item" << QPoint(0, 200 + 9);
    QTest::newRow("double-click") << "double-click" << QPoint(10, 10);
    QTest::newRow("from elsewhere") << "other source" << QPoint(-1, -1);
    QTest::newRow("nothing selected") << "no selection" << QPoint(-1, -1);
}

void tst_BuilderForm::drops()
{
    QFETCH(QString, how);
    QFETCH(QPoint, placed);
    Builder &form = *m_form;
    TSchemaDesignArea *area = form.SchemaDesignArea;
    TSchemaItem *target = AddNewItem(area, "orders", QVariant(), 300, 200);
    QVERIFY(target);
    selectTable(form, "customer");

    bool accepted = false;
    form.SchemaDesignAreaDragOver(area, form.lbTables, 0, 0, dsDragMove, accepted);
    QVERIFY(accepted);
    form.SchemaDesignAreaDragOver(area, target->ItemControl(), 0, 0, dsDragMove, accepted);
    QVERIFY(!accepted);

    if (how == "area")
        area->DragDrop(area, form.lbTables, 50, 60);
    else if (how == "item")
        area->DragDrop(target, form.lbTables, 7, 9);
    else if (how == "double-click")
        form.lbTablesDblClick(form.lbTables);
    else if (how == "other source")
        area->DragDrop(area, target->ItemControl(), 50, 60);
    else
        form.lbTables->clearSelection(), area->DragDrop(area, form.lbTables, 50, 60);

    if (placed.x() < 0) {
        QCOMPARE(area->GetItemCount(), 1);
        return;
    }
    QCOMPARE(area->GetItemCount(), 2);
    TSchemaItem *item = area->GetItem(1);
    QCOMPARE(item->Caption(), QStringLiteral("customer"));
    if (how == QLatin1String("item")) {
        QCOMPARE(item->y(), placed.y());
        QCOMPARE(item->x(), target->geometry().right() + 1 + ItemGapX);
    } else {
        QCOMPARE(item->pos(), placed);
    }
    QCOMPARE(item->Data().toInt(), 3); // the entry's own object, not that of "Customer"
    QCOMPARE(ticked(area), QStringList({ "orders.*", "customer.*" }));
    QVERIFY(
        form.GenerateSQL().startsWith("SELECT  orders.*, customer.* \r\nFROM orders, customer"));
}

void tst_BuilderForm::sameTableTwice()
{
    Builder &form = *m_form;
    selectTable(form, "customer");
    form.lbTablesDblClick(form.lbTables);
    form.lbTablesDblClick(form.lbTables);
    QCOMPARE(form.SchemaDesignArea->GetItemCount(), 2);
    QCOMPARE(form.cbTables->count(), 2);
    QCOMPARE(form.GenerateSQL(),
        QStringLiteral("SELECT  customer0.*, customer1.* \r\nFROM customer customer0, customer "
                       "customer1 \r\n"));
}

// A double-click places each table at the first free spot from (10, 10).
void tst_BuilderForm::doubleClickDroppedOnTopOfATable()
{
    Builder &form = *m_form;
    TSchemaDesignArea *area = form.SchemaDesignArea;
    for (const char *name : { "customer", "orders", "customer", "orders" }) {
        selectTable(form, name);
        form.lbTablesDblClick(form.lbTables);
    }
    QCOMPARE(area->GetItemCount(), 4);
    QCOMPARE(area->GetItem(0)->pos(), QPoint(10, 10));
    for (int i = 0; i < 4; ++i) {
        for (int k = i + 1; k < 4; ++k)
            QVERIFY2(!area->GetItem(i)->geometry().intersects(area->GetItem(k)->geometry()),
                qPrintable(QStringLiteral("%1 and %2").arg(i).arg(k)));
    }
}

void tst_BuilderForm::newTablesLeftJoinsNoRoom_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("double-clicks on the list") << "double-click";
    QTest::newRow("dropped onto a table") << "drop";
    QTest::newRow("dropped too close beside a table") << "beside";
    QTest::newRow("a joined statement opened") << "import";
}

// New tables stood 20 pixels from their neighbour or on top of it, so their joins were
// squeezed into the gap or drawn behind the tables: they keep a gap a relation can use, also
// where the builder opens on a statement (and Apply to diagram, which reads it the same way).
void tst_BuilderForm::newTablesLeftJoinsNoRoom()
{
    QFETCH(QString, how);
    Builder &form = *m_form;
    TSchemaDesignArea *area = form.SchemaDesignArea;
    form.resize(900, 600);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    if (how == QLatin1String("import")) {
        form.SetExtendedGrid(true);
        form.ImportQuery(ImportSelect(QStringLiteral("SELECT * FROM customer c JOIN orders o "
                                                     "ON o.customer_id = c.id JOIN customer d "
                                                     "ON d.id = o.customer_id")));
    } else {
        selectTable(form, "customer");
        form.lbTablesDblClick(form.lbTables);
        selectTable(form, "orders");
        TSchemaItem *first = area->GetItem(0);
        if (how == QLatin1String("double-click"))
            form.lbTablesDblClick(form.lbTables);
        else if (how == QLatin1String("drop"))
            area->DragDrop(area, form.lbTables, first->x() + 20, first->y() + 30);
        else
            area->DragDrop(area, form.lbTables, first->geometry().right() + 15, first->y());
        selectTable(form, "customer");
        form.lbTablesDblClick(form.lbTables);
    }
    QCOMPARE(area->GetItemCount(), 3);
    const QRect view = area->viewport()->rect();
    for (int i = 0; i < area->GetItemCount(); ++i) {
        const QRect a = area->GetItem(i)->geometry();
        QVERIFY2(view.contains(a), qPrintable(QStringLiteral("table %1 out of view").arg(i)));
        for (int k = i + 1; k < area->GetItemCount(); ++k) {
            const QRect b = area->GetItem(k)->geometry();
            QVERIFY2(!b.intersects(a.adjusted(-ItemGapX, -ItemGapY, ItemGapX, ItemGapY)),
                qPrintable(QStringLiteral("tables %1 and %2 closer than the gap").arg(i).arg(k)));
        }
    }
    // Neighbours in a row stand exactly the gap apart: the row holds as many as it can.
    const QRect first = area->GetItem(0)->geometry();
    const QRect second = area->GetItem(1)->geometry();
    if (second.top() == first.top() && how != QLatin1String("beside"))
        QCOMPARE(second.left(), first.right() + 1 + ItemGapX);
}

// The size, splitters and page come back through SaveState; the form never opens larger than
// the screen's available area; anything that is no state is refused.
void tst_BuilderForm::windowAsTheUserLeftIt()
{
    Builder &form = *m_form;
    form.resize(700, 500);
    form.SplitterGrid->setSizes({ 300, 150 });
    form.pcSQL->setCurrentWidget(form.tsOptions);
    const QByteArray state = form.SaveState();
    Builder other;
    QVERIFY(other.RestoreState(state));
    QCOMPARE(other.size(), QSize(700, 500));
    QCOMPARE(other.pcSQL->currentWidget(), other.tsOptions);
    QCOMPARE(other.SplitterGrid->saveState(), form.SplitterGrid->saveState());
    QVERIFY(!other.RestoreState("not a state"));
    QCOMPARE(other.size(), QSize(700, 500));

    const QSize room = other.screen()->availableGeometry().size();
    other.resize(room.width() * 2, room.height() * 2);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    QVERIFY(other.frameGeometry().width() <= room.width());
    QVERIFY(other.frameGeometry().height() <= room.height());
}

void tst_BuilderForm::openingShowedPartOfTheGrid_data()
{
    QTest::addColumn<bool>("extended");
    QTest::addColumn<bool>("grouped");
    QTest::newRow("designed grid") << false << false;
    QTest::newRow("extended grid") << true << false;
    QTest::newRow("extended grid, grouped") << true << true;
}

// The builder opened at its designed size, which shows six rows of the extended grid: it opens
// tall enough for every row, the having row too, with the canvas of its designed size (the
// designed grid fits the designed size); height the user adds goes to the pages as well as to
// the canvas.
void tst_BuilderForm::openingShowedPartOfTheGrid()
{
    QFETCH(bool, extended);
    QFETCH(bool, grouped);
    Builder &form = *m_form;
    form.SetExtendedGrid(extended);
    selectTable(form, "customer");
    form.lbTablesDblClick(form.lbTables);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const int canvas = form.SchemaDesignArea->height();
    QCOMPARE(canvas, 453 - 31 - 165 - 3); // as designed
    QCOMPARE(form.width(), 654);
    if (!extended)
        QCOMPARE(form.height(), 453); // the designed grid fits its designed pages
    if (grouped) {
        bool select = true;
        form.sgColumnGridSelectCell(form.sgColumnGrid, 1, 5, select);
        form.cbGroupBy->setChecked(true);
        form.cbInplaceChange(form.cbGroupBy); // the having row shows
    }
    TStringGrid *grid = form.sgColumnGrid;
    const QRect view = grid->viewport()->rect();
    const int last = extended ? 9 : 5;
    for (int row = 0; row <= last; ++row) {
        if (grid->isRowHidden(row))
            continue;
        const QRect cell = grid->visualRect(grid->model()->index(row, 1));
        QVERIFY2(view.contains(cell),
            qPrintable(QStringLiteral("row %1 at %2..%3 of %4")
                           .arg(row)
                           .arg(cell.top())
                           .arg(cell.bottom())
                           .arg(view.height())));
    }
    const int pages = form.pcSQL->height();
    form.resize(form.width(), form.height() + 100);
    QTRY_VERIFY(form.pcSQL->height() >= pages + 30);
    QVERIFY(form.SchemaDesignArea->height() >= canvas + 30);
}

QTEST_MAIN(tst_BuilderForm)
#include "tst_builderform.moc"
