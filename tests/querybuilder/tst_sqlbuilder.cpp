#include "../common/WorkedExample.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/TSchemaCheckListBox.h"
#include "engines/TSchemaCustomDataEngine.h"
#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/DialogService.h"
#include "platform/FontConvert.h"
#include "querybuilder/TfrmZkSQLBuilder.h"
#include "relations/TSchemaRelation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QSplitter>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QtTest>

#include <memory>

using namespace Diduza;
namespace Example = DiduzaTest::WorkedExample;

namespace {

// The form with its protected state within reach.
class Builder : public TfrmZkSQLBuilder {
public:
    using TfrmZkSQLBuilder::FCheckHeight;
    using TfrmZkSQLBuilder::FCheckWidth;
    using TfrmZkSQLBuilder::FInternalUpdate;
};

class RecordingDialogs : public TDialogService {
public:
    void ShowWarning(QWidget *, const QString &text) override { warnings << text; }
    QStringList warnings;
};

const QHash<QString, QStringList> TableFields = {
    { "customer", { "id", "name", "city" } },
    { "orders", { "id", "customer_id", "amount" } },
};

// Answers the fields of customer and orders; each field carries its length as its object.
void serveFields(TSchemaCustomDataEngine &engine)
{
    engine.SetOnGetSubItemList([](QObject *, TSchemaItem *item, TStringList &list) {
        for (const QString &name : TableFields.value(item->Caption()))
            list.AddObject(name, QVariant(int(name.size())));
    });
}

TSchemaItem *addTable(TfrmZkSQLBuilder &form, const QString &caption)
{
    return form.SchemaDesignArea->AddItem(caption, scCheckListBox);
}

// The item's row with exactly this caption.
TSchemaSubItem *rowOf(TSchemaItem *item, const QString &caption)
{
    for (int i = 0; i < item->GetSubItemCount(); ++i) {
        if (item->GetSubItem(i)->Caption() == caption)
            return item->GetSubItem(i);
    }
    return nullptr;
}

// "table.field" of the design area's items.
TSchemaSubItem *rowOf(TfrmZkSQLBuilder &form, const QString &path)
{
    const QStringList parts = path.split(QLatin1Char('.'));
    TSchemaDesignArea *area = form.SchemaDesignArea;
    for (int i = 0; i < area->GetItemCount(); ++i) {
        if (area->GetItem(i)->Caption() == parts.at(0))
            return rowOf(area->GetItem(i), parts.at(1));
    }
    return nullptr;
}

// The field columns as the user sees them: "table.field" from row 1 and the row that row 0
// names, "" for an empty column, "?" for a column that names no row.
QStringList gridColumns(TfrmZkSQLBuilder &form)
{
    QStringList columns;
    TStringGrid *grid = form.sgColumnGrid;
    for (int col = 1; col < grid->ColCount(); ++col) {
        const QString cell = grid->Cells(col, 0);
        TSchemaSubItem *row = form.ReferencedSubItem(cell);
        if (cell.isEmpty())
            columns << grid->Cells(col, 1);
        else if (!row)
            columns << QStringLiteral("?");
        else
            columns << grid->Cells(col, 1) + QLatin1Char('.') + row->Caption();
    }
    return columns;
}

QStringList tickedRows(TfrmZkSQLBuilder &form)
{
    QStringList ticked;
    TSchemaDesignArea *area = form.SchemaDesignArea;
    for (int i = 0; i < area->GetItemCount(); ++i) {
        TSchemaItem *item = area->GetItem(i);
        for (int r = 0; r < item->GetSubItemCount(); ++r) {
            if (item->GetSubItem(r)->Checked())
                ticked << item->Caption() + QLatin1Char('.') + item->GetSubItem(r)->Caption();
        }
    }
    return ticked;
}

QStringList comboEntries(const QComboBox *combo)
{
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i);
    return entries;
}

QList<QWidget *> editors(TfrmZkSQLBuilder &form)
{
    return { form.cbTables, form.cbValues, form.cbSorting, form.edWhere, form.cbGroupBy };
}

QWidget *visibleEditor(TfrmZkSQLBuilder &form)
{
    QWidget *shown = nullptr;
    for (QWidget *editor : editors(form)) {
        if (editor->isVisible()) {
            if (shown)
                return nullptr; // two at once is a fault
            shown = editor;
        }
    }
    return shown;
}

// Chooses an entry of a drop-down list as the user does.
void choose(QComboBox *list, const QString &text)
{
    const int index = list->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    list->setCurrentIndex(index);
    emit list->activated(index);
}

// The bounding box of the pixels of a rectangle that differ from its background colour.
QRect inkBox(const QImage &image, const QRect &rect, QRgb background)
{
    QRect box;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (image.pixel(x, y) != background)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

} // namespace

class tst_SqlBuilder : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void creation();
    void newItem_data();
    void newItem();
    void deletedItem();
    void formDestruction();
    void tickRules_data();
    void tickRules();
    void tickByTheUser();
    void clearedColumnForgetsHiddenText();
    void editorPlacement_data();
    void editorPlacement();
    void editorsStayInTheirCellsAtAnyScale();
    void groupingTicksWithOneClick_data();
    void groupingTicksWithOneClick();
    void dropDownsNeededTwoClicks_data();
    void dropDownsNeededTwoClicks();
    void calculateOfAllFields_data();
    void calculateOfAllFields();
    void noEditor();
    void mouseSelection();
    void commit_data();
    void commit();
    void exitCommits();
    void editorCommitsToItsCell();
    void havingRow();
    void painting();
    void generation_data();
    void generation();
    void columnOrder_data();
    void columnOrder();
    void sharedCaptions();
    void copiesOfATableLookedTheSame();
    void nameEvents();
    void references();
    void vanishedRows();

private:
    std::unique_ptr<Builder> m_form;
    std::unique_ptr<TSchemaCustomDataEngine> m_engine;
    RecordingDialogs m_dialogs;
    TDialogService *m_previousDialogs = nullptr;
    QStringList m_errors;

    // customer and orders on the area, with the engine's fields.
    void addTables();
    void showForm();
};

void tst_SqlBuilder::init()
{
    m_previousDialogs = SetDialogService(&m_dialogs);
    m_dialogs.warnings.clear();
    m_errors.clear();
    SetExceptionHandler([this](const Exception &e) { m_errors << e.Message(); });
    m_engine = std::make_unique<TSchemaCustomDataEngine>();
    serveFields(*m_engine);
    m_form = std::make_unique<Builder>();
    m_form->SetDataEngine(m_engine.get());
}

void tst_SqlBuilder::cleanup()
{
    m_form.reset();
    m_engine.reset();
    SetExceptionHandler({});
    SetDialogService(m_previousDialogs);
    QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join("; ")));
}

void tst_SqlBuilder::addTables()
{
    QVERIFY(addTable(*m_form, "customer"));
    QVERIFY(addTable(*m_form, "orders"));
}

void tst_SqlBuilder::showForm()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

void tst_SqlBuilder::creation()
{
    Builder &form = *m_form;
    QCOMPARE(form.size(), QSize(654, 453));
    QCOMPARE(form.pcSQL->count(), 4);
    QCOMPARE(form.pcSQL->tabText(0), QStringLiteral("Columns"));
    QCOMPARE(form.pcSQL->tabText(1), QStringLiteral("Options"));
    QCOMPARE(form.pcSQL->currentWidget(), form.tsColumns);
    QCOMPARE(form.cbDistinct->parentWidget(), form.tsOptions);
    QCOMPARE(form.cbDistinct->text(), QStringLiteral("select the unique records only"));
    QVERIFY(!form.cbDistinct->isChecked());

    TStringGrid *grid = form.sgColumnGrid;
    QCOMPARE(grid->ColCount(), 2);
    QCOMPARE(grid->RowCount(), 6);
    QStringList titles;
    for (int row = 0; row <= 6; ++row)
        titles << grid->Cells(0, row);
    // The having title is there while its row is hidden.
    QCOMPARE(titles,
        QStringList({ "Field", "Table", "Calculate", "Sort", "Where", "Grouping", "Having" }));
    QVERIFY(grid->isRowHidden(6));

    QCOMPARE(comboEntries(form.cbSorting), QStringList({ "", "Ascending", "Descending" }));
    QCOMPARE(comboEntries(form.cbValues),
        QStringList({ "", "Count", "Summa", "Maximum", "Minimum", "Average" }));
    QCOMPARE(form.cbTables->count(), 0);
    for (QWidget *editor : editors(form)) {
        QCOMPARE(editor->parentWidget(), form.tsColumns);
        QVERIFY(editor->isHidden());
    }

    // The design area fills what the tool bar and the pages leave.
    showForm();
    QCOMPARE(form.pcSQL->height(), 165);
    QCOMPARE(form.SchemaDesignArea->height() + form.SplitterGrid->handleWidth() + 165 + 31,
        form.height());
}

void tst_SqlBuilder::newItem_data()
{
    QTest::addColumn<bool>("withEngine");
    QTest::addColumn<bool>("internalUpdate");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("engine's fields after *")
        << true << false << QStringList { "*", "id", "name", "city" };
    QTest::newRow("no engine: * only") << false << false << QStringList { "*" };
    QTest::newRow("loading a file: no rows") << true << true << QStringList {};
}

void tst_SqlBuilder::newItem()
{
    QFETCH(bool, withEngine);
    QFETCH(bool, internalUpdate);
    QFETCH(QStringList, rows);
    Builder &form = *m_form;
    if (!withEngine)
        form.SetDataEngine(nullptr);
    form.FInternalUpdate = internalUpdate;
    QStringList told;
    form.SetOnAddItem([&](QObject *Sender, TSchemaItem *item) {
        QCOMPARE(Sender, form.SchemaDesignArea);
        // The form has prepared the item before it tells.
        told << item->Caption() + QLatin1Char('/') + QString::number(item->GetSubItemCount());
    });

    TSchemaItem *item = addTable(form, "customer");
    QVERIFY(item);
    QStringList captions;
    for (int i = 0; i < item->GetSubItemCount(); ++i) {
        TSchemaSubItem *row = item->GetSubItem(i);
        captions << row->Caption();
        QVERIFY(!row->Checked());
        QCOMPARE(row->ImageIndex(), 1);
    }
    QCOMPARE(captions, rows);
    QCOMPARE(told, QStringList { QStringLiteral("customer/%1").arg(rows.size()) });
    QCOMPARE(comboEntries(form.cbTables), QStringList { "customer" });
    if (rows.size() > 1)
        QCOMPARE(rowOf(item, "name")->Data(), QVariant(4)); // the engine's object
    if (!internalUpdate)
        QCOMPARE(item->ClientHeight(), int(rows.size()) * SchemaListRowHeight + 9);

    // Every item reports its ticks to the form, loaded ones included.
    TSchemaSubItem *extra = item->AddSubItem("extra", -1, false);
    QCOMPARE(extra->ImageIndex(), 1);
    extra->SetChecked(true);
    QCOMPARE(gridColumns(form), QStringList { "customer.extra" });
}

void tst_SqlBuilder::deletedItem()
{
    Builder &form = *m_form;
    addTables();
    TSchemaItem *second = addTable(form, "customer");
    QCOMPARE(comboEntries(form.cbTables), QStringList({ "customer", "orders", "customer" }));
    QList<TSchemaItem *> told;
    form.SetOnDeleteItem([&](QObject *Sender, TSchemaItem *item) {
        QCOMPARE(Sender, form.SchemaDesignArea);
        told << item;
    });
    TSchemaItem *customer = form.SchemaDesignArea->GetItem(0);
    TSchemaItem *orders = form.SchemaDesignArea->GetItem(1);
    rowOf(customer, "name")->SetChecked(true);
    rowOf(orders, "amount")->SetChecked(true);
    rowOf(customer, "city")->SetChecked(true);
    rowOf(second, "*")->SetChecked(true);
    QCOMPARE(gridColumns(form),
        QStringList({ "customer.name", "orders.amount", "customer.city", "customer.*" }));

    customer->RemoveItem(nullptr);
    QCOMPARE(told, QList<TSchemaItem *> { customer });
    QCOMPARE(gridColumns(form), QStringList({ "orders.amount", "customer.*" }));
    // One of the two equal entries goes.
    QCOMPARE(comboEntries(form.cbTables), QStringList({ "orders", "customer" }));

    form.SchemaDesignArea->ClearAll();
    QCOMPARE(told.size(), 3);
    QCOMPARE(gridColumns(form), QStringList { "" });
    QCOMPARE(form.sgColumnGrid->ColCount(), 2);
    QCOMPARE(form.cbTables->count(), 0);
}

void tst_SqlBuilder::formDestruction()
{
    auto *form = new Builder;
    form->SetDataEngine(m_engine.get());
    addTable(*form, "customer");
    addTable(*form, "orders");
    rowOf(*form, "customer.name")->SetChecked(true);
    rowOf(*form, "orders.id")->SetChecked(true);
    QStringList told;
    form->SetOnDeleteItem([&](QObject *Sender, TSchemaItem *item) {
        QVERIFY(qobject_cast<TSchemaDesignArea *>(Sender));
        told << item->Caption();
    });
    delete form;
    told.sort();
    QCOMPARE(told, QStringList({ "customer", "orders" }));
}

void tst_SqlBuilder::tickRules_data()
{
    QTest::addColumn<QStringList>("actions"); // "+table.field" ticks, "-table.field" unticks
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QStringList>("ticked");

    QTest::newRow("first tick fills column 1")
        << QStringList { "+customer.name" } << QStringList { "customer.name" }
        << QStringList { "customer.name" };
    QTest::newRow("second tick adds a column") << QStringList { "+customer.name", "+orders.amount" }
                                               << QStringList { "customer.name", "orders.amount" }
                                               << QStringList { "customer.name", "orders.amount" };
    QTest::newRow("unticking the only field keeps column 1, empty")
        << QStringList { "+customer.name", "-customer.name" } << QStringList { "" }
        << QStringList {};
    QTest::newRow("unticking the first of two")
        << QStringList { "+customer.name", "+customer.city", "-customer.name" }
        << QStringList { "customer.city" } << QStringList { "customer.city" };
    QTest::newRow("unticking the last of two")
        << QStringList { "+customer.name", "+customer.city", "-customer.city" }
        << QStringList { "customer.name" } << QStringList { "customer.name" };
    QTest::newRow("ticking again after an untick")
        << QStringList { "+customer.name", "-customer.name", "+customer.city" }
        << QStringList { "customer.city" } << QStringList { "customer.city" };
    QTest::newRow("* unticks the fields of its item")
        << QStringList { "+customer.name", "+customer.id", "+customer.city", "+customer.*" }
        << QStringList { "customer.*" } << QStringList { "customer.*" };
    QTest::newRow("* leaves the columns of other items")
        << QStringList { "+orders.amount", "+customer.name", "+customer.*" }
        << QStringList { "orders.amount", "customer.*" }
        << QStringList { "customer.*", "orders.amount" };
    QTest::newRow("a field unticks the * of its item")
        << QStringList { "+customer.*", "+customer.name" } << QStringList { "customer.name" }
        << QStringList { "customer.name" };
    QTest::newRow("a field leaves the * of another item")
        << QStringList { "+orders.*", "+customer.name" }
        << QStringList { "orders.*", "customer.name" }
        << QStringList { "customer.name", "orders.*" };
    // Items loaded from a schema file keep the file's rows: here id, *, name.
    QTest::newRow("loaded: a field leaves a real field in row 0 ticked")
        << QStringList { "+loaded.id", "+loaded.name" }
        << QStringList { "loaded.id", "loaded.name" } << QStringList { "loaded.id", "loaded.name" };
    QTest::newRow("loaded: * not in row 0 unticks every other row") << QStringList { "+loaded.id",
        "+loaded.name", "+loaded.*" } << QStringList { "loaded.*" } << QStringList { "loaded.*" };
    QTest::newRow("loaded: only a * in row 0 is unticked by a field")
        << QStringList { "+loaded.*", "+loaded.name" } << QStringList { "loaded.*", "loaded.name" }
        << QStringList { "loaded.*", "loaded.name" };
}

void tst_SqlBuilder::tickRules()
{
    QFETCH(QStringList, actions);
    QFETCH(QStringList, columns);
    QFETCH(QStringList, ticked);
    Builder &form = *m_form;
    addTables();
    form.FInternalUpdate = true;
    TSchemaItem *loaded = addTable(form, "loaded");
    for (const char *caption : { "id", "*", "name" })
        loaded->AddSubItem(caption, -1, false);
    form.FInternalUpdate = false;

    for (const QString &action : actions) {
        TSchemaSubItem *row = rowOf(form, action.mid(1));
        QVERIFY2(row, qPrintable(action));
        row->SetChecked(action.startsWith(QLatin1Char('+')));
    }
    QCOMPARE(gridColumns(form), columns);
    QCOMPARE(form.sgColumnGrid->ColCount(), 1 + qMax(1, int(columns.size())));
    QStringList got = tickedRows(form);
    got.sort();
    ticked.sort();
    QCOMPARE(got, ticked);
}

// The user toggles a check box of the item's list: the column appears and the columns page
// comes to the front.
void tst_SqlBuilder::tickByTheUser()
{
    Builder &form = *m_form;
    addTables();
    form.pcSQL->setCurrentWidget(form.tsOptions);
    TSchemaItem *orders = form.SchemaDesignArea->GetItem(1);
    auto *list = qobject_cast<TSchemaCheckListBox *>(orders->ItemControl());
    QVERIFY(list);
    list->item(3)->setCheckState(Qt::Checked); // amount
    QCOMPARE(gridColumns(form), QStringList { "orders.amount" });
    QCOMPARE(form.pcSQL->currentWidget(), form.tsColumns);
    list->item(0)->setCheckState(Qt::Checked); // *
    QCOMPARE(gridColumns(form), QStringList { "orders.*" });
    QVERIFY(!list->Checked(3));
}

// A column cleared for reuse takes nothing of its old field along, not even the text of the
// hidden having row.
void tst_SqlBuilder::clearedColumnForgetsHiddenText()
{
    Builder &form = *m_form;
    addTables();
    TStringGrid *grid = form.sgColumnGrid;
    rowOf(form, "customer.name")->SetChecked(true);
    for (int row = 2; row <= 6; ++row)
        grid->SetCells(1, row, QStringLiteral("old %1").arg(row));
    QCOMPARE(grid->RowCount(), 6);
    rowOf(form, "customer.name")->SetChecked(false);
    rowOf(form, "customer.city")->SetChecked(true);
    for (int row = 2; row <= 6; ++row)
        QCOMPARE(grid->Cells(1, row), QString());
    QCOMPARE(grid->Cells(1, 1), QStringLiteral("customer"));
}

void tst_SqlBuilder::editorPlacement_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("editor");
    QTest::addColumn<QString>("shows"); // the editor's value
    QTest::newRow("table") << 1 << "orders"
                           << "cbTables"
                           << "orders";
    QTest::newRow("calculate") << 2 << "Summa"
                               << "cbValues"
                               << "Summa";
    QTest::newRow("calculate matching no entry") << 2 << "Sum"
                                                 << "cbValues"
                                                 << "-1";
    QTest::newRow("sort") << 3 << "Descending"
                          << "cbSorting"
                          << "Descending";
    QTest::newRow("where") << 4 << "a > 1"
                           << "edWhere"
                           << "a > 1";
    QTest::newRow("grouping ticked") << 5 << "1"
                                     << "cbGroupBy"
                                     << "1";
    QTest::newRow("grouping not ticked") << 5 << "0"
                                         << "cbGroupBy"
                                         << "0";
    QTest::newRow("having") << 6 << "SUM(x) > 2"
                            << "edWhere"
                            << "SUM(x) > 2";
}

void tst_SqlBuilder::editorPlacement()
{
    QFETCH(int, row);
    QFETCH(QString, text);
    QFETCH(QString, editor);
    QFETCH(QString, shows);
    Builder &form = *m_form;
    addTables();
    showForm();
    TStringGrid *grid = form.sgColumnGrid;
    rowOf(form, "customer.name")->SetChecked(true);
    rowOf(form, "orders.amount")->SetChecked(true);
    grid->SetRowCount(7);
    grid->SetCells(2, row, text);

    QVERIFY(grid->SetCurrentCell(2, row));
    QWidget *shown = visibleEditor(form);
    QVERIFY(shown);
    QCOMPARE(shown->objectName(), editor);
    QCOMPARE(QApplication::focusWidget(), shown);

    // The cell: column 0 and column 1 with their grid lines before it, 19 + 1 pixels a row.
    const QRect cell = grid->CellRect(2, row);
    const QPoint origin = grid->viewport()->pos();
    QCOMPARE(cell, QRect(origin.x() + 2 * 101, origin.y() + row * 20, 100, 19));
    const QRect onPage = cell.translated(grid->pos());
    if (editor == QLatin1String("cbGroupBy")) {
        // Over the box the cell paints, centred in the cell less 2 pixels left and top, 1 right.
        const int w = form.FCheckWidth, h = form.FCheckHeight;
        QCOMPARE(shown->geometry(),
            QRect(onPage.left() + 2 + (97 - w) / 2, onPage.top() + 2 + (17 - h) / 2, w, h));
        QCOMPARE(form.cbGroupBy->isChecked(), shows == QLatin1String("1"));
    } else {
        QCOMPARE(shown->geometry(), onPage); // inside the cell's grid lines
        if (auto *list = qobject_cast<QComboBox *>(shown)) {
            if (shows == QLatin1String("-1"))
                QCOMPARE(list->currentIndex(), -1);
            else
                QCOMPARE(list->currentText(), shows);
        } else {
            QCOMPARE(form.edWhere->text(), shows);
        }
    }
}

// Also run at QT_SCALE_FACTOR=1.5 (tst_sqlbuilder_scale15): each editor covers its own cell
// only, and the grouping boxes stand on whole device pixels, so that their frames are sharp.
void tst_SqlBuilder::editorsStayInTheirCellsAtAnyScale()
{
    Builder &form = *m_form;
    addTables();
    showForm();
    TStringGrid *grid = form.sgColumnGrid;
    for (const char *field : { "customer.name", "orders.amount", "orders.id" })
        rowOf(form, field)->SetChecked(true);
    for (int row = 1; row <= 5; ++row) {
        QVERIFY(grid->SetCurrentCell(1, row));
        const QRect cell = grid->CellRect(1, row).translated(grid->pos());
        QVERIFY2(cell.contains(visibleEditor(form)->geometry()), qPrintable(QString::number(row)));
    }
    const qreal ratio = form.devicePixelRatioF();
    const QPointF open = form.cbGroupBy->geometry().topLeft() + form.tsColumns->pos();
    QCOMPARE(open * ratio, QPointF((open * ratio).toPoint()));
    // The painted boxes of columns 2 and 3 (one starting on a whole device pixel, one on a half
    // at 1.5) span the glyph's size exactly: a box between pixels blurs one pixel wider.
    const QImage page = form.tsColumns->grab().toImage();
    for (int col : { 2, 3 }) {
        const QRectF logical = grid->CellRect(col, 5).translated(grid->pos());
        const QRect cell = QRectF(logical.topLeft() * ratio, logical.size() * ratio).toRect();
        QRect box;
        for (int y = cell.top() + 1; y < cell.bottom(); ++y)
            for (int x = cell.left() + 1; x < cell.right(); ++x)
                if (qGray(page.pixel(x, y)) < 235)
                    box |= QRect(x, y, 1, 1);
        QCOMPARE(box.size(), (QSizeF(form.FCheckWidth, form.FCheckHeight) * ratio).toSize());
    }
}

void tst_SqlBuilder::groupingTicksWithOneClick_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("after");
    QTest::newRow("one click ticks") << "" << 1 << "1";
    QTest::newRow("one click unticks") << "1" << 1 << "0";
    QTest::newRow("a second click on the open box unticks") << "" << 2 << "0";
}

void tst_SqlBuilder::groupingTicksWithOneClick()
{
    QFETCH(QString, before);
    QFETCH(int, clicks);
    QFETCH(QString, after);
    Builder &form = *m_form;
    addTables();
    showForm();
    rowOf(form, "customer.name")->SetChecked(true);
    form.sgColumnGrid->SetCells(1, 5, before);
    QTest::mouseClick(form.sgColumnGrid->viewport(), Qt::LeftButton, {},
        form.sgColumnGrid->CellRect(1, 5).center() - form.sgColumnGrid->viewport()->pos());
    if (clicks == 2)
        QTest::mouseClick(form.cbGroupBy, Qt::LeftButton, {}, form.cbGroupBy->rect().center());
    QCOMPARE(visibleEditor(form), form.cbGroupBy);
    form.cbDistinct->setFocus(); // leaving the box commits it
    QCOMPARE(form.sgColumnGrid->Cells(1, 5), after);
}

void tst_SqlBuilder::dropDownsNeededTwoClicks_data()
{
    QTest::addColumn<int>("row");
    QTest::newRow("Table") << 1;
    QTest::newRow("Calculate") << 2;
    QTest::newRow("Sort") << 3;
}

// One click on a cell of a drop-down row opens its list, as one click on any drop-down does.
void tst_SqlBuilder::dropDownsNeededTwoClicks()
{
    QFETCH(int, row);
    Builder &form = *m_form;
    addTables();
    showForm();
    rowOf(form, "customer.name")->SetChecked(true);
    TStringGrid *grid = form.sgColumnGrid;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
        grid->CellRect(1, row).center() - grid->viewport()->pos());
    auto *list = qobject_cast<QComboBox *>(visibleEditor(form));
    QVERIFY(list);
    QTRY_VERIFY(list->view()->isVisible());
    list->hidePopup();
    // A click elsewhere in the grid (a title cell) opens nothing.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
        grid->CellRect(0, row).center() - grid->viewport()->pos());
    QTest::qWait(20);
    QVERIFY(!list->view()->isVisible());
}

void tst_SqlBuilder::calculateOfAllFields_data()
{
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QStringList>("offered");
    QTest::addColumn<QString>("warning");
    QTest::newRow("designed grid: every aggregate, each refused")
        << false << QStringList({ "", "Count", "Summa", "Maximum", "Minimum", "Average" })
        << "You can not apply this aggregative function to *.";
    QTest::newRow("extended grid: Count only, as a column that counts the rows")
        << true << QStringList({ "", "Count" }) << "";
}

// The Calculate list of a "*" column offered Sum and Average: the extended grid, which has a
// column that counts the rows, offers Count alone and adds that column; the designed grid
// refuses every aggregate of "*" with its warning.
void tst_SqlBuilder::calculateOfAllFields()
{
    QFETCH(bool, extended);
    QFETCH(QStringList, offered);
    QFETCH(QString, warning);
    Builder &form = *m_form;
    form.SetExtendedGrid(extended);
    addTables();
    showForm();
    rowOf(form, "customer.*")->SetChecked(true);
    TStringGrid *grid = form.sgColumnGrid;
    QVERIFY(grid->SetCurrentCell(1, 2));
    QCOMPARE(visibleEditor(form), form.cbValues);
    auto *entries = qobject_cast<QListView *>(form.cbValues->view());
    QVERIFY(entries);
    QStringList shown;
    for (int i = 0; i < form.cbValues->count(); ++i) {
        if (!entries->isRowHidden(i))
            shown << form.cbValues->itemText(i);
    }
    QCOMPARE(shown, offered);
    const int columns = grid->ColCount();
    choose(form.cbValues, "Count");
    QCOMPARE(grid->Cells(1, 2), QString());
    QCOMPARE(m_dialogs.warnings, warning.isEmpty() ? QStringList() : QStringList { warning });
    QCOMPARE(grid->ColCount(), extended ? columns + 1 : columns);
    if (extended)
        QVERIFY2(
            form.GenerateSQL().contains(QLatin1String("COUNT(*)")), qPrintable(form.GenerateSQL()));
    // A field's column is offered every aggregate again.
    rowOf(form, "customer.name")->SetChecked(true);
    const int nameColumn = grid->ColCount() - 1;
    QVERIFY(grid->SetCurrentCell(nameColumn, 2));
    for (int i = 0; i < form.cbValues->count(); ++i)
        QVERIFY(!entries->isRowHidden(i));
}

void tst_SqlBuilder::noEditor()
{
    Builder &form = *m_form;
    addTables();
    showForm();
    TStringGrid *grid = form.sgColumnGrid;
    bool canSelect = false;

    // Column 1 holds no field yet.
    QVERIFY(grid->SetCurrentCell(1, 3));
    QCOMPARE(visibleEditor(form), nullptr);

    rowOf(form, "customer.name")->SetChecked(true);
    form.sgColumnGridSelectCell(grid, 1, 3, canSelect);
    QCOMPARE(visibleEditor(form), form.cbSorting);
    // Title cells hide the open editor and show none.
    form.sgColumnGridSelectCell(grid, 0, 3, canSelect);
    QVERIFY(canSelect);
    QCOMPARE(visibleEditor(form), nullptr);
    form.sgColumnGridSelectCell(grid, 1, 0, canSelect);
    QCOMPARE(visibleEditor(form), nullptr);
    // The grid never makes a fixed cell current.
    QVERIFY(!grid->SetCurrentCell(0, 3));
    QVERIFY(!grid->SetCurrentCell(1, 0));
}

void tst_SqlBuilder::mouseSelection()
{
    Builder &form = *m_form;
    addTables();
    showForm();
    TStringGrid *grid = form.sgColumnGrid;
    rowOf(form, "customer.name")->SetChecked(true);
    auto centre = [grid](int col, int row) {
        return grid->CellRect(col, row).center() - grid->viewport()->pos();
    };
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre(1, 3));
    QCOMPARE(grid->Col(), 1);
    QCOMPARE(grid->Row(), 3);
    QCOMPARE(visibleEditor(form), form.cbSorting);

    // A title cell is not selected; the editor stays.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre(0, 4));
    QCOMPARE(grid->Row(), 3);
    QCOMPARE(visibleEditor(form), form.cbSorting);

    // The keyboard asks too.
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(grid->Row(), 4);
    QCOMPARE(visibleEditor(form), form.edWhere);
}

void tst_SqlBuilder::commit_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<bool>("warned");

    QTest::newRow("Count for a field") << "customer.name" << 2 << "Count"
                                       << "Count" << 6 << false;
    QTest::newRow("Count for *: warning, choice cleared") << "customer.*" << 2 << "Count"
                                                          << "" << 6 << true;
    QTest::newRow("Average for *: warning") << "customer.*" << 2 << "Average"
                                            << "" << 6 << true;
    QTest::newRow("empty choice for *: no warning") << "customer.*" << 2 << ""
                                                    << "" << 6 << false;
    QTest::newRow("sorting * is allowed") << "customer.*" << 3 << "Ascending"
                                          << "Ascending" << 6 << false;
    QTest::newRow("table choice") << "customer.name" << 1 << "orders"
                                  << "orders" << 6 << false;
    QTest::newRow("where text") << "customer.name" << 4 << "city = 'Oslo'"
                                << "city = 'Oslo'" << 6 << false;
    QTest::newRow("grouping ticked shows the having row") << "customer.name" << 5 << "1"
                                                          << "1" << 7 << false;
    QTest::newRow("grouping not ticked") << "customer.name" << 5 << "0"
                                         << "0" << 6 << false;
}

void tst_SqlBuilder::commit()
{
    QFETCH(QString, field);
    QFETCH(int, row);
    QFETCH(QString, value);
    QFETCH(QString, cell);
    QFETCH(int, rowCount);
    QFETCH(bool, warned);
    Builder &form = *m_form;
    addTables();
    showForm();
    TStringGrid *grid = form.sgColumnGrid;
    TSchemaSubItem *subItem = rowOf(form, field);
    subItem->SetChecked(true);
    QVERIFY(grid->SetCurrentCell(1, row));
    QWidget *editor = visibleEditor(form);
    QVERIFY(editor);

    if (auto *list = qobject_cast<QComboBox *>(editor)) {
        choose(list, value);
        if (warned)
            QCOMPARE(list->currentIndex(), 0);
    } else if (editor == form.edWhere) {
        form.edWhere->setText(value);
        form.cbInplaceChange(form.edWhere);
    } else {
        form.cbGroupBy->setChecked(value == QLatin1String("1"));
        form.cbInplaceChange(form.cbGroupBy);
    }
    QCOMPARE(grid->Cells(1, row), cell);
    QCOMPARE(grid->RowCount(), rowCount);
    QCOMPARE(m_dialogs.warnings,
        warned ? QStringList { "You can not apply this aggregative function to *." }
               : QStringList {});
    QVERIFY(editor->isHidden());
    QCOMPARE(QApplication::focusWidget(), grid);
    // The column still names its field, whatever table was chosen.
    QCOMPARE(form.ReferencedSubItem(grid->Cells(1, 0)), subItem);
}

// Leaving the edit or the check box commits it.
void tst_SqlBuilder::exitCommits()
{
    Builder &form = *m_form;
    addTables();
    showForm();
    TStringGrid *grid = form.sgColumnGrid;
    rowOf(form, "customer.name")->SetChecked(true);
    QVERIFY(grid->SetCurrentCell(1, 4));
    QCOMPARE(QApplication::focusWidget(), form.edWhere);
    QTest::keyClicks(form.edWhere, "name <> ''");
    const QPoint sortCell = grid->CellRect(1, 3).center() - grid->viewport()->pos();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, sortCell);
    QCOMPARE(grid->Cells(1, 4), QStringLiteral("name <> ''"));
    QCOMPARE(visibleEditor(form), form.cbSorting);

    QVERIFY(grid->SetCurrentCell(1, 5));
    QCOMPARE(visibleEditor(form), form.cbGroupBy);
    QTest::keyClick(form.cbGroupBy, Qt::Key_Space);
    QVERIFY(form.cbGroupBy->isChecked());
    QCOMPARE(grid->Cells(1, 5), QString()); // toggling alone commits nothing
    form.cbDistinct->setFocus(); // another page's control: focus leaves the check box
    QCOMPARE(grid->Cells(1, 5), QStringLiteral("1"));
    QCOMPARE(grid->RowCount(), 7);
}

// An editor opened by a column's removal writes into the cell it covers, not into the grid's
// current cell elsewhere.
void tst_SqlBuilder::editorCommitsToItsCell()
{
    Builder &form = *m_form;
    addTables();
    showForm();
    TStringGrid *grid = form.sgColumnGrid;
    rowOf(form, "customer.name")->SetChecked(true);
    rowOf(form, "customer.city")->SetChecked(true);
    rowOf(form, "orders.id")->SetChecked(true);
    QVERIFY(grid->SetCurrentCell(2, 3));
    rowOf(form, "orders.id")->SetChecked(false);
    QCOMPARE(visibleEditor(form), form.cbTables);
    QCOMPARE(grid->Col(), 2);
    QCOMPARE(grid->Row(), 3);
    choose(form.cbTables, "orders");
    QCOMPARE(grid->Cells(1, 1), QStringLiteral("orders"));
    QCOMPARE(grid->Cells(2, 3), QString());
}

// Committing a grouping tick shows the having row, committing an untick hides it, whatever the
// other columns hold; a hidden having text stays and still reaches the statement.
void tst_SqlBuilder::havingRow()
{
    Builder &form = *m_form;
    addTables();
    showForm();
    TStringGrid *grid = form.sgColumnGrid;
    rowOf(form, "customer.name")->SetChecked(true);
    rowOf(form, "customer.city")->SetChecked(true);
    auto commitGrouping = [&](int col, bool ticked) {
        QVERIFY(grid->SetCurrentCell(col, 5));
        QCOMPARE(visibleEditor(form), form.cbGroupBy);
        form.cbGroupBy->setChecked(ticked);
        form.cbInplaceChange(form.cbGroupBy);
    };

    commitGrouping(1, true);
    QCOMPARE(grid->RowCount(), 7);
    QVERIFY(!grid->isRowHidden(6));
    QVERIFY(grid->SetCurrentCell(1, 6));
    QCOMPARE(visibleEditor(form), form.edWhere);
    form.edWhere->setText("COUNT(*) > 1");
    form.cbInplaceChange(form.edWhere);

    commitGrouping(2, false);
    QCOMPARE(grid->RowCount(), 6);
    QVERIFY(grid->isRowHidden(6));
    QVERIFY(grid->CellRect(1, 6).isNull());
    QVERIFY(!grid->SetCurrentCell(1, 6));
    QCOMPARE(grid->Cells(1, 5), QStringLiteral("1"));
    QCOMPARE(grid->Cells(1, 6), QStringLiteral("COUNT(*) > 1"));
    QVERIFY(form.GenerateSQL().contains("GROUP BY name \r\nHAVING  (COUNT(*) > 1) \r\n"));

    commitGrouping(2, true);
    QCOMPARE(grid->RowCount(), 7);
    QCOMPARE(grid->Cells(1, 6), QStringLiteral("COUNT(*) > 1"));
}

void tst_SqlBuilder::painting()
{
    Builder &form = *m_form;
    addTables();
    showForm();
    TStringGrid *grid = form.sgColumnGrid;
    rowOf(form, "customer.city")->SetChecked(true); // column 1
    rowOf(form, "orders.*")->SetChecked(true); // column 2
    grid->SetColCount(4); // column 3 names no field
    grid->SetCells(3, 0, QStringLiteral("12345"));
    grid->SetCells(1, 5, QStringLiteral("1"));
    grid->SetCells(2, 5, QStringLiteral("0"));
    grid->SetCells(1, 4, QStringLiteral("city <> ''"));
    QVERIFY(grid->SetCurrentCell(2, 4)); // away from the probed cells
    form.cbDistinct->setFocus();
    const QImage image = grid->grab().toImage().convertToFormat(QImage::Format_RGB32);

    const QPalette &pal = grid->palette();
    const QRgb fixed = ColorToQColor(grid->FixedColor(), pal).rgb();
    const QRgb base = pal.color(QPalette::Base).rgb();
    // The drawing rectangle: the cell less 2 pixels left and top and 1 pixel right.
    auto inner = [grid](int col, int row) {
        const QRect cell = grid->CellRect(col, row);
        return QRect(cell.left() + 2, cell.top() + 2, cell.width() - 3, cell.height() - 2);
    };

    // Row 0: the captions of the named rows, bold, centred; nothing where no row is named.
    QFont bold = grid->font();
    bold.setBold(true);
    const QFontMetrics boldMetrics(bold), plainMetrics(grid->font());
    const QRect r1 = inner(1, 0);
    const QRect city = inkBox(image, r1, fixed);
    QVERIFY(!city.isEmpty());
    QVERIFY(qAbs((city.left() - r1.left()) - (r1.right() - city.right())) <= 2);
    const int boldWidth = boldMetrics.boundingRect("city").width();
    QVERIFY2(qAbs(city.width() - boldWidth) <= 1,
        qPrintable(QStringLiteral("%1 vs %2").arg(city.width()).arg(boldWidth)));
    QVERIFY(boldWidth != plainMetrics.boundingRect("city").width());
    QVERIFY(!inkBox(image, inner(2, 0), fixed).isEmpty()); // "*"
    QVERIFY(inkBox(image, inner(3, 0), fixed).isEmpty()); // names no row
    QVERIFY(inkBox(image, inner(0, 0), fixed).isEmpty()); // the title "Field" is not shown

    // Titles: bold, right-aligned, one blank's width from the edge.
    const QRect sortTitle = inkBox(image, inner(0, 3), fixed);
    QVERIFY(!sortTitle.isEmpty());
    const int gap = inner(0, 3).right() - sortTitle.right();
    QVERIFY2(gap >= boldMetrics.horizontalAdvance(' ') - 1
            && gap <= boldMetrics.horizontalAdvance(' ') + 2,
        qPrintable(QString::number(gap)));

    // Other cells: their text from the left.
    const QRect where = inkBox(image, inner(1, 4), base);
    QVERIFY(!where.isEmpty());
    QVERIFY(where.left() - inner(1, 4).left() <= 2);

    // The grouping row: the platform's check box, centred, ticked exactly for "1"; also in a
    // column that names no row.
    auto expectedBox = [&](int col, bool ticked) {
        const QRect r = inner(col, 5);
        const int w = form.FCheckWidth, h = form.FCheckHeight;
        const QRect box(r.left() + (r.width() - w) / 2, r.top() + (r.height() - h) / 2, w, h);
        QImage reference(box.size(), QImage::Format_RGB32);
        reference.fill(base);
        QPainter painter(&reference);
        QStyleOptionButton option;
        option.initFrom(grid);
        option.rect = QRect(QPoint(0, 0), box.size());
        option.state = QStyle::State_Enabled | (ticked ? QStyle::State_On : QStyle::State_Off);
        grid->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, grid);
        painter.end();
        return std::make_pair(box, reference);
    };
    for (const auto &[col, ticked] :
        std::initializer_list<std::pair<int, bool>> { { 1, true }, { 2, false }, { 3, false } }) {
        const auto [box, reference] = expectedBox(col, ticked);
        QCOMPARE(image.copy(box), reference);
        QCOMPARE(inkBox(image, inner(col, 5), base), inkBox(image, box, base));
    }
    QVERIFY(expectedBox(1, true).second != expectedBox(1, false).second);
}

void tst_SqlBuilder::generation_data()
{
    QTest::addColumn<int>("dialect"); // -1: no engine
    QTest::addColumn<QString>("expected");
    QTest::newRow("stStandard") << int(stStandard) << Example::JoinClause;
    QTest::newRow("no engine: joins as stStandard writes them") << -1 << Example::JoinClause;
    QTest::newRow("stLocal") << int(stLocal) << Example::WhereClause;
}

// The worked example, built as the user builds it.
void tst_SqlBuilder::generation()
{
    QFETCH(int, dialect);
    QFETCH(QString, expected);
    Builder &form = *m_form;
    const QString error = Example::BuildOnForm(form);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    if (dialect < 0)
        form.SetDataEngine(nullptr);
    else
        m_engine->SetSQLSubType(TSQLSubType(dialect));
    QCOMPARE(form.GenerateSQL(), expected);

    form.cbDistinct->setChecked(true);
    QVERIFY(
        form.GenerateSQL().startsWith("SELECT DISTINCT customer.name, SUM(orders.amount) \r\n"));
}

void tst_SqlBuilder::columnOrder_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("header section moved") << "header";
    QTest::newRow("dragged by its fixed cell") << "mouse";
}

void tst_SqlBuilder::columnOrder()
{
    QFETCH(QString, how);
    Builder &form = *m_form;
    addTables();
    showForm();
    TStringGrid *grid = form.sgColumnGrid;
    for (const char *path : { "customer.name", "customer.city", "orders.amount" })
        rowOf(form, path)->SetChecked(true);
    grid->SetCells(3, 3, "Descending");
    QCOMPARE(form.GenerateSQL(),
        QStringLiteral("SELECT  customer.name, customer.city, orders.amount \r\n"
                       "FROM customer, orders \r\nORDER BY amount DESC\r\n"));

    if (how == QLatin1String("header")) {
        grid->horizontalHeader()->moveSection(3, 1);
    } else {
        auto at
            = [grid](int col) { return grid->CellRect(col, 0).center() - grid->viewport()->pos(); };
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, at(3));
        QMouseEvent move(QEvent::MouseMove, QPointF(at(2)),
            grid->viewport()->mapToGlobal(QPointF(at(2))), Qt::NoButton, Qt::LeftButton,
            Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &move);
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at(1));
    }
    QCOMPARE(gridColumns(form), QStringList({ "orders.amount", "customer.name", "customer.city" }));
    QCOMPARE(grid->Cells(1, 3), QStringLiteral("Descending"));
    QCOMPARE(form.GenerateSQL(),
        QStringLiteral("SELECT  orders.amount, customer.name, customer.city \r\n"
                       "FROM customer, orders \r\nORDER BY amount DESC\r\n"));

    // Column 1 of the rules is the one the user sees first.
    rowOf(form, "customer.name")->SetChecked(false);
    rowOf(form, "customer.city")->SetChecked(false);
    rowOf(form, "orders.amount")->SetChecked(false);
    QCOMPARE(gridColumns(form), QStringList { "" });
    rowOf(form, "orders.id")->SetChecked(true);
    QCOMPARE(gridColumns(form), QStringList { "orders.id" });

    // The title column stays in front.
    grid->horizontalHeader()->moveSection(1, 0);
    QCOMPARE(grid->Cells(0, 1), QStringLiteral("Table"));
    grid->horizontalHeader()->moveSection(0, 1);
    QCOMPARE(grid->Cells(0, 1), QStringLiteral("Table"));
}

void tst_SqlBuilder::sharedCaptions()
{
    Builder &form = *m_form;
    TSchemaItem *first = addTable(form, "customer");
    TSchemaItem *second = addTable(form, "customer");
    TSchemaItem *orders = addTable(form, "orders");
    TSchemaDesignArea *area = form.SchemaDesignArea;
    QCOMPARE(area->GetItemIndex(first), 0);
    QCOMPARE(form.GetTableName(first, false), QStringLiteral("customer customer0"));
    QCOMPARE(form.GetTableName(first, true), QStringLiteral("customer0"));
    QCOMPARE(form.GetTableName(second, true), QStringLiteral("customer1"));
    QCOMPARE(form.GetTableName(orders, false), QStringLiteral("orders"));
    QCOMPARE(form.GetTableName(nullptr, false), QString());

    // A relation stands before the items in the area's list: the aliases follow the indexes.
    area->AddRelation(first, second, rowOf(first, "id"), rowOf(second, "id"));
    rowOf(first, "name")->SetChecked(true);
    rowOf(second, "name")->SetChecked(true);
    m_engine->SetSQLSubType(stLocal);
    QCOMPARE(form.GenerateSQL(),
        QStringLiteral("SELECT  customer1.name, customer2.name \r\n"
                       "FROM customer customer1, customer customer2, orders \r\n"
                       "WHERE (1=1) \r\n   AND (customer1.id = customer2.id) \r\n"));
}

// Two copies of a table had the same title, and the alias the statement gave each was not
// shown: their titles show it, their joins are named by it, and it follows the statement as
// the diagram changes.
void tst_SqlBuilder::copiesOfATableLookedTheSame()
{
    Builder &form = *m_form;
    TSchemaItem *first = addTable(form, "customer");
    TSchemaItem *second = addTable(form, "customer");
    QPointer<TSchemaItem> orders = addTable(form, "orders");
    TSchemaDesignArea *area = form.SchemaDesignArea;
    auto aliases = [&] {
        QStringList list;
        for (int i = 0; i < area->GetItemCount(); ++i)
            list << area->GetItem(i)->Alias();
        return list;
    };
    QTRY_COMPARE(aliases(), QStringList({ "customer0", "customer1", "" }));
    QCOMPARE(first->TitleText(), QStringLiteral("customer (customer0)"));
    QCOMPARE(orders->TitleText(), QStringLiteral("orders"));
    rowOf(first, "name")->SetChecked(true);
    rowOf(second, "name")->SetChecked(true);
    QVERIFY(form.GenerateSQL().startsWith("SELECT  customer0.name, customer1.name"));
    // Each title fits its item.
    for (TSchemaItem *item : { first, second }) {
        TFontValue font = item->GetFont(); // the title's: bold, 8 points
        font.StyleBits = TFontValue::fsBold;
        font.Size = 8;
        const int title = QFontMetrics(FontValueToQFont(font)).horizontalAdvance(item->TitleText());
        QVERIFY2(title + 34 <= item->width(), qPrintable(QString::number(item->width())));
    }
    // A relation takes a place before the items: the aliases follow, and name its ends.
    TSchemaRelation *relation
        = area->AddRelation(first, second, rowOf(first, "id"), rowOf(second, "id"));
    QTRY_COMPARE(aliases(), QStringList({ "customer1", "customer2", "" }));
    QVERIFY(form.GenerateSQL().startsWith("SELECT  customer1.name, customer2.name"));
    QVERIFY2(relation->JoinText().startsWith("customer1.id = customer2.id"),
        qPrintable(relation->JoinText()));
    // One copy gone, the other is the only one: no alias.
    delete second;
    QTRY_COMPARE(aliases(), QStringList({ "", "" }));
    // Whatever the diagram holds, the titles show the aliases the statement gives.
    addTable(form, "orders");
    addTable(form, "customer");
    auto statementAliases = [&] {
        QStringList list;
        for (int i = 0; i < area->GetItemCount(); ++i) {
            TSchemaItem *item = area->GetItem(i);
            const QString alias = form.GetTableName(item, true);
            list << (alias == item->GetCaption() ? QString() : alias);
        }
        return list;
    };
    QTRY_COMPARE(aliases(), statementAliases());
    QCOMPARE(aliases().count(QString()), 0); // all four are copies
    // An application that names the tables itself gives its own names.
    form.SetOnGetTableName([](QObject *, TSchemaItem *, int, bool) { return QString("t"); });
    addTable(form, "customer");
    QTRY_COMPARE(aliases(), QStringList({ "", "", "", "", "" }));
}

void tst_SqlBuilder::nameEvents()
{
    Builder &form = *m_form;
    addTables();
    TSchemaItem *customer = form.SchemaDesignArea->GetItem(0);
    TSchemaSubItem *name = rowOf(customer, "name");
    QStringList calls;
    QList<QObject *> senders;
    form.SetOnGetTableName([&](QObject *Sender, TSchemaItem *item, int index, bool isAlias) {
        senders << Sender;
        calls << QStringLiteral("%1 %2 %3").arg(item->Caption()).arg(index).arg(isAlias);
        return isAlias ? QStringLiteral("t%1").arg(index)
                       : QStringLiteral("public.") + item->Caption();
    });
    form.SetOnGetFieldName([&](QObject *Sender, TSchemaSubItem *row) {
        senders << Sender;
        return row->Caption() == QLatin1String("name") ? QStringLiteral("full name")
                                                       : row->Caption();
    });
    QCOMPARE(form.GetTableName(customer, true), QStringLiteral("t0"));
    QCOMPARE(calls, QStringList { "customer 0 1" });
    QCOMPARE(form.GetFieldName(name), QStringLiteral("\"full name\""));
    QCOMPARE(form.GetFieldName(nullptr), QString());
    name->SetChecked(true);
    QCOMPARE(form.GenerateSQL(),
        QStringLiteral("SELECT  t0.\"full name\" \r\nFROM public.customer, public.orders \r\n"));
    QVERIFY(!senders.isEmpty());
    for (QObject *sender : std::as_const(senders))
        QCOMPARE(sender, &form);
}

void tst_SqlBuilder::references()
{
    Builder &form = *m_form;
    addTables();
    TSchemaSubItem *name = rowOf(form, "customer.name");
    const QString reference = form.SubItemReference(name);
    QVERIFY(!reference.isEmpty());
    QCOMPARE(form.SubItemReference(name), reference);
    QCOMPARE(form.ReferencedSubItem(reference), name);
    QVERIFY(form.SubItemReference(rowOf(form, "customer.city")) != reference);
    for (const QString &text : { QString(), QStringLiteral("abc"), QStringLiteral("999"),
             QStringLiteral(" ") + reference, reference + QStringLiteral(".0"),
             QStringLiteral("+") + reference, QStringLiteral("0") + reference })
        QCOMPARE(form.ReferencedSubItem(text), nullptr);

    // A row of another form's diagram gets no number here and no column.
    Builder other;
    other.SetDataEngine(m_engine.get());
    TSchemaItem *foreign = addTable(other, "orders");
    TSchemaSubItem *foreignRow = rowOf(foreign, "amount");
    QCOMPARE(form.SubItemReference(foreignRow), QString());
    form.ItemCheckClick(foreignRow);
    foreignRow->SetChecked(true);
    form.ItemCheckClick(foreignRow);
    QCOMPARE(gridColumns(form), QStringList { "" });
    QCOMPARE(gridColumns(other), QStringList { "orders.amount" });
}

// A row or an item that has gone names nothing: its column adds no field, its relation no
// name, and nothing fails.
void tst_SqlBuilder::vanishedRows()
{
    Builder &form = *m_form;
    addTables();
    TSchemaDesignArea *area = form.SchemaDesignArea;
    TSchemaItem *customer = area->GetItem(0);
    TSchemaItem *orders = area->GetItem(1);
    area->AddRelation(customer, orders, rowOf(customer, "id"), rowOf(orders, "customer_id"));
    rowOf(customer, "name")->SetChecked(true);
    rowOf(customer, "city")->SetChecked(true);
    const QString cityReference = form.sgColumnGrid->Cells(2, 0);
    form.sgColumnGrid->SetCells(2, 4, "city <> ''");
    m_engine->SetSQLSubType(stLocal);

    // Rows are deleted without telling anyone.
    customer->DeleteSubItem(customer->GetIndexBySubItem(rowOf(customer, "city")));
    orders->DeleteSubItem(orders->GetIndexBySubItem(rowOf(orders, "customer_id")));
    QCOMPARE(gridColumns(form), QStringList({ "customer.name", "?" }));
    QCOMPARE(form.ReferencedSubItem(cityReference), nullptr);
    QCOMPARE(form.GenerateSQL(),
        QStringLiteral("SELECT  customer.name \r\nFROM customer, orders \r\n"
                       "WHERE  (city <> '') \r\n   AND (customer.id = orders.) \r\n"));

    // A new row never takes the number of a vanished one.
    TSchemaSubItem *late = customer->AddSubItem("late", -1, false);
    late->SetChecked(true);
    QVERIFY(form.sgColumnGrid->Cells(3, 0) != cityReference);
    QCOMPARE(gridColumns(form), QStringList({ "customer.name", "?", "customer.late" }));

    // The painting of a column that names nothing shows no caption (and does not fail).
    showForm();
    form.sgColumnGrid->grab();
}

QTEST_MAIN(tst_SqlBuilder)
#include "tst_sqlbuilder.moc"
