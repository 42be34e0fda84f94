// The query builder form: its creation, items coming and going, the tick rules, and the
// painting of its grid.
#include "../common/WorkedExample.h"
#include "SqlBuilderFixture.h"
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
using namespace SqlBuilderTest;
namespace Example = DiduzaTest::WorkedExample;

namespace {

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

class tst_SqlBuilderForm : public SqlBuilderFixture {
    Q_OBJECT
private slots:
    void creation();
    void newItem_data();
    void newItem();
    void deletedItem();
    void formDestruction();
    void tickRules_data();
    void tickRules();
    void tickByTheUser();
    void clearedColumnForgetsHiddenText();
    void painting();
};

void tst_SqlBuilderForm::creation()
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

void tst_SqlBuilderForm::newItem_data()
{
    QTest::addColumn<bool>("withEngine");
    QTest::addColumn<bool>("internalUpdate");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("engine's fields after *")
        << true << false << QStringList { "*", "id", "name", "city" };
    QTest::newRow("no engine: * only") << false << false << QStringList { "*" };
    QTest::newRow("loading a file: no rows") << true << true << QStringList {};
}

void tst_SqlBuilderForm::newItem()
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

void tst_SqlBuilderForm::deletedItem()
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

void tst_SqlBuilderForm::formDestruction()
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

void tst_SqlBuilderForm::tickRules_data()
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

void tst_SqlBuilderForm::tickRules()
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
void tst_SqlBuilderForm::tickByTheUser()
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
void tst_SqlBuilderForm::clearedColumnForgetsHiddenText()
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

void tst_SqlBuilderForm::painting()
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

QTEST_MAIN(tst_SqlBuilderForm)
#include "tst_sqlbuilderform.moc"
