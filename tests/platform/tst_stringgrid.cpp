#include "platform/Application.h"
#include "platform/TStringGrid.h"

#include <QAccessible>
#include <QHeaderView>
#include <QPainter>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QtTest>

using namespace Diduza;

namespace {

QStringList rowTexts(const TStringGrid &grid, int row)
{
    QStringList texts;
    for (int col = 0; col < grid.ColCount(); ++col)
        texts << grid.Cells(col, row);
    return texts;
}

QPoint cellCentre(const TStringGrid &grid, int col, int row)
{
    return grid.CellRect(col, row).center() - grid.viewport()->pos();
}

} // namespace

class tst_StringGrid : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cellsAndColumns();
    void columnsAddedAndDeletedAtTheEnd_data();
    void columnsAddedAndDeletedAtTheEnd();
    void hiddenRowsKeepText();
    void selectionVeto_data();
    void selectionVeto();
    void sizingByFixedRow();
    void drawEvent();
    void fixedCellsStayInPlaceWhenScrolled_data();
    void fixedCellsStayInPlaceWhenScrolled();
    void throwingDrawCellLeavesPainterState();
    void readsAsATableOfNamedRowsAndColumns();

private:
    std::unique_ptr<TStringGrid> m_grid;
    QStringList m_errors;
};

void tst_StringGrid::init()
{
    SetExceptionHandler([this](const Exception &e) { m_errors << e.Message(); });
    m_grid = std::make_unique<TStringGrid>();
    m_grid->resize(600, 300);
    m_grid->SetDefaultColWidth(50);
    m_grid->SetDefaultRowHeight(19);
    m_grid->SetColCount(4);
    m_grid->SetRowCount(4);
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row)
            m_grid->SetCells(col, row, QStringLiteral("%1%2").arg(QChar('a' + col)).arg(row));
    }
}

void tst_StringGrid::cleanup()
{
    m_grid.reset();
    SetExceptionHandler({});
    QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join("; ")));
}

void tst_StringGrid::cellsAndColumns()
{
    TStringGrid &grid = *m_grid;
    QCOMPARE(grid.Cells(9, 0), QString());
    QCOMPARE(grid.Cells(0, 9), QString());
    grid.SetCells(9, 0, "ignored");
    QCOMPARE(grid.ColCount(), 4);

    grid.MoveColumn(3, 1);
    QCOMPARE(rowTexts(grid, 1), QStringList({ "a1", "d1", "b1", "c1" }));
    grid.DeleteColumn(2);
    QCOMPARE(rowTexts(grid, 1), QStringList({ "a1", "d1", "c1" }));
    grid.SetColCount(5);
    QCOMPARE(rowTexts(grid, 1), QStringList({ "a1", "d1", "c1", "", "" }));
    grid.SetColCount(2);
    QCOMPARE(rowTexts(grid, 1), QStringList({ "a1", "d1" }));

    // Nothing goes in front of the fixed column, and the fixed column stays.
    grid.MoveColumn(1, 0);
    grid.MoveColumn(0, 1);
    grid.horizontalHeader()->moveSection(0, 1);
    QCOMPARE(rowTexts(grid, 1), QStringList({ "a1", "d1" }));

    grid.ClearColumn(1);
    QCOMPARE(rowTexts(grid, 3), QStringList({ "a3", "" }));
    QCOMPARE(grid.ColWidths(1), 50);
    QCOMPARE(grid.CellRect(1, 2).size(), QSize(50, 19));
}

void tst_StringGrid::columnsAddedAndDeletedAtTheEnd_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 s = 0; s < 6; ++s)
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(s))) << 20260410u + s;
}

// Random column changes, many of them at the right end, against a list of columns: the grid
// shows exactly those columns, a column added comes empty and as wide as a new one, the cells
// version moves with every change, and the current cell stays on a column the grid shows.
void tst_StringGrid::columnsAddedAndDeletedAtTheEnd()
{
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    TStringGrid &grid = *m_grid;
    grid.show();
    QList<QStringList> model; // per column position, the texts of rows 0 .. 3
    for (int col = 0; col < grid.ColCount(); ++col)
        model << QStringList(
            { grid.Cells(col, 0), grid.Cells(col, 1), grid.Cells(col, 2), grid.Cells(col, 3) });
    int serial = 0;
    for (int step = 0; step < 200; ++step) {
        const quint64 version = grid.CellsVersion();
        const int what = int(random.bounded(100));
        const int last = grid.ColCount() - 1;
        QString done;
        bool changes = true;
        if (what < 35) { // a column at the end, written
            grid.SetColCount(grid.ColCount() + 1);
            QCOMPARE(grid.ColWidths(last + 1), 50);
            QCOMPARE(grid.Cells(last + 1, 2), QString());
            const QString text = QString::number(++serial);
            grid.SetCells(last + 1, 2, text);
            model << QStringList({ QString(), QString(), text, QString() });
            done = "add";
        } else if (what < 65 && last >= 1) { // the last one deleted
            grid.DeleteColumn(last);
            model.removeLast();
            done = "delete last";
        } else if (what < 75 && last >= 2) {
            const int col = 1 + int(random.bounded(last));
            grid.DeleteColumn(col);
            model.removeAt(col);
            done = QStringLiteral("delete %1").arg(col);
        } else if (what < 85 && last >= 2) {
            const int from = 1 + int(random.bounded(last));
            const int to = 1 + int(random.bounded(last));
            grid.MoveColumn(from, to);
            model.move(from, to);
            done = QStringLiteral("move %1 to %2").arg(from).arg(to);
            changes = from != to;
        } else if (what < 92) {
            const int count = 1 + int(random.bounded(6));
            while (model.size() > count)
                model.removeLast();
            while (model.size() < count)
                model << QStringList({ QString(), QString(), QString(), QString() });
            changes = grid.ColCount() != count;
            grid.SetColCount(count);
            done = QStringLiteral("count %1").arg(count);
        } else {
            const int col = int(random.bounded(grid.ColCount()));
            QVERIFY(grid.SetCurrentCell(qMax(1, col), 1 + int(random.bounded(3))) || col == 0
                || grid.ColCount() < 2);
            changes = false;
            done = "current";
        }
        QVERIFY2(grid.ColCount() == model.size(), qPrintable(done));
        for (int col = 0; col < model.size(); ++col) {
            for (int row = 0; row < 4; ++row)
                QVERIFY2(grid.Cells(col, row) == model.at(col).at(row),
                    qPrintable(QStringLiteral("step %1 (%2): cell %3, %4")
                                   .arg(step)
                                   .arg(done)
                                   .arg(col)
                                   .arg(row)));
            QVERIFY(!grid.CellRect(col, 1).isEmpty());
        }
        QCOMPARE(grid.Cells(model.size(), 2), QString());
        QVERIFY(grid.CellRect(model.size(), 1).isNull());
        if (changes)
            QVERIFY2(grid.CellsVersion() != version, qPrintable(done));
        QVERIFY(grid.Col() < grid.ColCount());
    }
}

void tst_StringGrid::hiddenRowsKeepText()
{
    TStringGrid &grid = *m_grid;
    grid.SetRowCount(2);
    QCOMPARE(grid.RowCount(), 2);
    QVERIFY(grid.isRowHidden(3));
    QVERIFY(grid.CellRect(1, 3).isNull());
    QCOMPARE(grid.Cells(1, 3), QStringLiteral("b3"));
    grid.SetCells(1, 3, "written while hidden");
    QVERIFY(!grid.SetCurrentCell(1, 3));
    grid.SetRowCount(5);
    QVERIFY(!grid.isRowHidden(3));
    QCOMPARE(grid.Cells(1, 3), QStringLiteral("written while hidden"));
    QCOMPARE(grid.Cells(1, 4), QString());
}

void tst_StringGrid::selectionVeto_data()
{
    QTest::addColumn<bool>("allow");
    QTest::newRow("allowed") << true;
    QTest::newRow("refused") << false;
}

void tst_StringGrid::selectionVeto()
{
    QFETCH(bool, allow);
    TStringGrid &grid = *m_grid;
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QVERIFY(grid.SetCurrentCell(1, 1));
    QStringList asked;
    grid.SetOnSelectCell([&](QObject *Sender, int col, int row, bool &CanSelect) {
        asked << QStringLiteral("%1,%2").arg(col).arg(row);
        CanSelect = allow && Sender == &grid;
    });
    const QString expected = allow ? QStringLiteral("2,2") : QStringLiteral("1,1");
    auto current = [&grid] { return QStringLiteral("%1,%2").arg(grid.Col()).arg(grid.Row()); };

    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellCentre(grid, 2, 2));
    QCOMPARE(current(), expected);
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Right);
    QCOMPARE(current(), allow ? QStringLiteral("3,2") : QStringLiteral("1,1"));
    QCOMPARE(grid.SetCurrentCell(1, 3), allow);
    QCOMPARE(asked, QStringList({ "2,2", allow ? "3,2" : "2,1", "1,3" }));

    // Fixed cells are not asked for and never become current.
    asked.clear();
    const QString before = current();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellCentre(grid, 0, 2));
    QVERIFY(!grid.SetCurrentCell(2, 0));
    QCOMPARE(asked, QStringList());
    QCOMPARE(current(), before);
}

void tst_StringGrid::sizingByFixedRow()
{
    TStringGrid &grid = *m_grid;
    grid.SetColumnsSizable(true);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    // The grid line after column 1 in the fixed row, dragged 30 pixels to the right.
    const QRect cell = grid.CellRect(1, 0).translated(-grid.viewport()->pos());
    const QPoint border(cell.left() + cell.width(), cell.center().y());
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, border);
    QMouseEvent move(QEvent::MouseMove, QPointF(border + QPoint(30, 0)),
        grid.viewport()->mapToGlobal(QPointF(border + QPoint(30, 0))), Qt::NoButton, Qt::LeftButton,
        Qt::NoModifier);
    QApplication::sendEvent(grid.viewport(), &move);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, border + QPoint(30, 0));
    QCOMPARE(grid.ColWidths(1), 80);
    QCOMPARE(rowTexts(grid, 0), QStringList({ "a0", "b0", "c0", "d0" }));

    // Not sizable: the same drag moves nothing and sizes nothing.
    grid.SetColumnsSizable(false);
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, border + QPoint(30, 0));
    QApplication::sendEvent(grid.viewport(), &move);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, border + QPoint(60, 0));
    QCOMPARE(grid.ColWidths(1), 80);
    QCOMPARE(rowTexts(grid, 0), QStringList({ "a0", "b0", "c0", "d0" }));
}

// The draw event gets every visible cell with its state; the canvas comes filled with the
// background the grid chose.
void tst_StringGrid::drawEvent()
{
    TStringGrid &grid = *m_grid;
    QMap<QString, TGridDrawState> states;
    grid.SetOnDrawCell(
        [&](QObject *, int col, int row, const QRect &rect, TGridDrawState state, QPainter &) {
            states.insert(QStringLiteral("%1,%2").arg(col).arg(row), state);
            QCOMPARE(rect.translated(grid.viewport()->pos()), grid.CellRect(col, row));
        });
    grid.MoveColumn(3, 1);
    grid.SetRowCount(3);
    QVERIFY(grid.SetCurrentCell(2, 2));
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    states.clear();
    grid.grab();
    QCOMPARE(states.size(), 12);
    QCOMPARE(states.value("0,0"), TGridDrawState(gdFixed));
    QCOMPARE(states.value("3,0"), TGridDrawState(gdFixed));
    QCOMPARE(states.value("0,2"), TGridDrawState(gdFixed));
    QCOMPARE(states.value("1,1"), TGridDrawState());
    QCOMPARE(states.value("2,2"), grid.hasFocus() ? gdSelected | gdFocused : gdSelected);
    QVERIFY(!states.contains("1,3")); // hidden
}

void tst_StringGrid::fixedCellsStayInPlaceWhenScrolled_data()
{
    QTest::addColumn<int>("dx"); // pixels scrolled sideways
    QTest::addColumn<int>("dy"); // and down
    QTest::addColumn<bool>("moved"); // column 9 moved to position 2 first
    QTest::newRow("sideways") << 130 << 0 << false;
    QTest::newRow("down") << 0 << 45 << false;
    QTest::newRow("both, a column moved") << 130 << 45 << true;
}

// Scrolling leaves the fixed row and column where they were: every fixed cell that shows looks
// as it does in an unscrolled grid large enough to show everything, and a press on the fixed
// column finds the fixed column.
void tst_StringGrid::fixedCellsStayInPlaceWhenScrolled()
{
    QFETCH(int, dx);
    QFETCH(int, dy);
    QFETCH(bool, moved);
    auto prepare = [moved](TStringGrid &grid) {
        grid.SetDefaultColWidth(50);
        grid.SetDefaultRowHeight(19);
        grid.SetColCount(12);
        grid.SetRowCount(12);
        grid.SetFixedColor(clSilver);
        for (int col = 0; col < 12; ++col) {
            for (int row = 0; row < 12; ++row)
                grid.SetCells(col, row, QStringLiteral("%1:%2").arg(col).arg(row));
        }
        if (moved)
            grid.MoveColumn(9, 2);
    };
    TStringGrid reference;
    reference.resize(800, 400);
    prepare(reference);
    const QImage unscrolled = reference.grab().toImage();

    TStringGrid &grid = *m_grid;
    grid.resize(300, 150);
    prepare(grid);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.horizontalScrollBar()->setValue(dx);
    grid.verticalScrollBar()->setValue(dy);
    QCOMPARE(grid.horizontalScrollBar()->value(), dx);
    QCOMPARE(grid.verticalScrollBar()->value(), dy);
    const QImage scrolled = grid.grab().toImage();

    // The part of the viewport past the corner cell, where the other cells show whole.
    const QRect corner = grid.CellRect(0, 0);
    const QRect view = grid.viewport()->geometry();
    int compared = 0;
    auto compareCell = [&](int col, int row) {
        const QRect cell = grid.CellRect(col, row);
        if (!view.contains(cell) || (col > 0 && cell.left() <= corner.right())
            || (row > 0 && cell.top() <= corner.bottom()))
            return; // partly out of the window, or partly under the corner
        ++compared;
        QVERIFY2(scrolled.copy(cell) == unscrolled.copy(reference.CellRect(col, row)),
            qPrintable(QStringLiteral("cell %1,%2").arg(col).arg(row)));
    };
    for (int col = 0; col < 12; ++col) {
        QCOMPARE(grid.CellRect(col, 0).top(), view.top());
        compareCell(col, 0);
    }
    for (int row = 0; row < 12; ++row) {
        QCOMPARE(grid.CellRect(0, row).left(), view.left());
        compareCell(0, row);
    }
    QVERIFY(compared >= 8);
    // The scrolling cells moved by the scroll.
    QCOMPARE(grid.CellRect(3, 3).topLeft(), reference.CellRect(3, 3).topLeft() - QPoint(dx, dy));

    // A column scrolled under the fixed one is not found there; the fixed one is.
    int col = -1;
    int row = -1;
    QVERIFY(grid.MouseToCell(grid.CellRect(0, 5).center(), col, row));
    QCOMPARE(col, 0);
    QVERIFY(grid.MouseToCell(grid.CellRect(4, 0).center(), col, row));
    QCOMPARE(row, 0);

    // A covered cell made current is scrolled out past the fixed cells.
    QVERIFY(grid.SetCurrentCell(2, 2));
    QVERIFY(grid.CellRect(2, 2).left() > corner.right());
    QVERIFY(grid.CellRect(2, 2).top() > corner.bottom());
}

// A draw handler that raises: its message reaches the application handler, and the cells
// painted after it get the painter as the grid sets it up, not the failed cell's clip and font.
void tst_StringGrid::throwingDrawCellLeavesPainterState()
{
    TStringGrid &grid = *m_grid;
    QTest::failOnWarning(QRegularExpression(QStringLiteral("saved state")));
    QStringList painted; // "col,row" and whether the painter came clipped or with another font
    grid.SetOnDrawCell(
        [&](QObject *, int col, int row, const QRect &, TGridDrawState, QPainter &painter) {
            painted << QStringLiteral("%1,%2%3").arg(col).arg(row).arg(
                painter.hasClipping() || painter.font() != grid.font() ? " leaked" : "");
            if (col == 1 && row == 1) {
                painter.setClipRect(QRect(0, 0, 1, 1));
                painter.setFont(QFont(QStringLiteral("Serif"), 40));
                throw Exception(QStringLiteral("cannot draw"));
            }
        });
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    painted.clear();
    m_errors.clear();
    grid.grab();
    QVERIFY(m_errors.contains(QStringLiteral("cannot draw")));
    m_errors.clear();
    const qsizetype failed = painted.indexOf(QStringLiteral("1,1"));
    QVERIFY(failed >= 0 && failed < painted.size() - 1);
    QCOMPARE(painted.filter(QStringLiteral("leaked")), QStringList());
}

// A screen reader finds rows named by the fixed column, columns by the fixed row (where they
// stand now), and cells read as the handler says.
void tst_StringGrid::readsAsATableOfNamedRowsAndColumns()
{
    TStringGrid &grid = *m_grid;
    grid.MoveColumn(3, 1);
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(&grid);
    QVERIFY(table && table->tableInterface());
    QAccessibleTableInterface *cells = table->tableInterface();
    auto rowNames = [&] {
        QStringList names;
        for (int row = 0; row < grid.RowCount(); ++row)
            names << cells->rowDescription(row);
        return names;
    };
    auto columnNames = [&] {
        QStringList names;
        for (int col = 0; col < grid.ColCount(); ++col)
            names << cells->columnDescription(grid.horizontalHeader()->logicalIndex(col));
        return names;
    };
    QCOMPARE(rowNames(), QStringList({ "a0", "a1", "a2", "a3" }));
    QCOMPARE(columnNames(), QStringList({ "a0", "d0", "b0", "c0" }));
    auto cellText = [&](int col, int row) {
        QAccessibleInterface *cell = cells->cellAt(row, grid.horizontalHeader()->logicalIndex(col));
        return cell ? cell->text(QAccessible::Name) : QStringLiteral("none");
    };
    QCOMPARE(cellText(1, 2), QStringLiteral("d2"));
    grid.SetOnGetAccessibleText([](QObject *, int ACol, int ARow, QString &Text) {
        if (ARow == 0)
            Text = QStringLiteral("column %1").arg(ACol);
    });
    QCOMPARE(columnNames(), QStringList({ "column 0", "column 1", "column 2", "column 3" }));
    QCOMPARE(rowNames().first(), QStringLiteral("column 0"));
    QCOMPARE(cellText(2, 0), QStringLiteral("column 2"));
    QCOMPARE(cellText(2, 1), QStringLiteral("b1"));
    // Rows and columns added later are named too.
    grid.SetColCount(5);
    grid.SetRowCount(6);
    grid.SetCells(0, 5, "last row");
    QCOMPARE(cells->rowDescription(5), QStringLiteral("last row"));
    QCOMPARE(cells->columnDescription(grid.horizontalHeader()->logicalIndex(4)),
        QStringLiteral("column 4"));
    // Without fixed cells, rows and columns are numbered.
    grid.SetFixedCols(0);
    QCOMPARE(cells->rowDescription(2), QStringLiteral("3"));
}

QTEST_MAIN(tst_StringGrid)
#include "tst_stringgrid.moc"
