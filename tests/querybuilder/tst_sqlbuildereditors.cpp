// The query builder's grid editors: where they stand (at any scale), one click to open or tick,
// the Calculate list, the mouse, committing into the cells, and the having row.
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

} // namespace

class tst_SqlBuilderEditors : public SqlBuilderFixture {
    Q_OBJECT
private slots:
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
};

void tst_SqlBuilderEditors::editorPlacement_data()
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

void tst_SqlBuilderEditors::editorPlacement()
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
void tst_SqlBuilderEditors::editorsStayInTheirCellsAtAnyScale()
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

void tst_SqlBuilderEditors::groupingTicksWithOneClick_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("after");
    QTest::newRow("one click ticks") << "" << 1 << "1";
    QTest::newRow("one click unticks") << "1" << 1 << "0";
    QTest::newRow("a second click on the open box unticks") << "" << 2 << "0";
}

void tst_SqlBuilderEditors::groupingTicksWithOneClick()
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

void tst_SqlBuilderEditors::dropDownsNeededTwoClicks_data()
{
    QTest::addColumn<int>("row");
    QTest::newRow("Table") << 1;
    QTest::newRow("Calculate") << 2;
    QTest::newRow("Sort") << 3;
}

// One click on a cell of a drop-down row opens its list, as one click on any drop-down does.
void tst_SqlBuilderEditors::dropDownsNeededTwoClicks()
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

void tst_SqlBuilderEditors::calculateOfAllFields_data()
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
void tst_SqlBuilderEditors::calculateOfAllFields()
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

void tst_SqlBuilderEditors::noEditor()
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

void tst_SqlBuilderEditors::mouseSelection()
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

void tst_SqlBuilderEditors::commit_data()
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

void tst_SqlBuilderEditors::commit()
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
void tst_SqlBuilderEditors::exitCommits()
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
void tst_SqlBuilderEditors::editorCommitsToItsCell()
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
void tst_SqlBuilderEditors::havingRow()
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

QTEST_MAIN(tst_SqlBuilderEditors)
#include "tst_sqlbuildereditors.moc"
