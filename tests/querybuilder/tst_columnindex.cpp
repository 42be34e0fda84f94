// The builder's column grid as ticks change it: every ticked row has its columns and an
// unticked row none, through random ticks, second columns of the extended grid, moved columns,
// edited cells and removed tables; and a tick reads a few cells of the grid, not all of them,
// and adds or removes no column of the table beneath it.

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "platform/TStringGrid.h"
#include "querybuilder/TfrmZkSQLBuilder.h"

#include <QHeaderView>
#include <QRandomGenerator>
#include <QtTest>

using namespace Diduza;

namespace {

constexpr int FieldRow = 0; // the grid row that names each column's field
constexpr int SortRow = 3;

TSchemaItem *addTable(TfrmZkSQLBuilder &form, const QString &caption, int fields)
{
    TSchemaItem *item = form.SchemaDesignArea->AddItem(caption, scCheckListBox);
    for (int f = 0; f < fields; ++f)
        item->AddSubItem(QStringLiteral("f%1").arg(f), -1, false);
    return item;
}

// The columns whose field cell names Row, found by reading the whole grid.
QList<int> columnsNaming(TfrmZkSQLBuilder &form, TSchemaSubItem *Row)
{
    QList<int> columns;
    for (int col = 1; col < form.sgColumnGrid->ColCount(); ++col) {
        if (form.ReferencedSubItem(form.sgColumnGrid->Cells(col, FieldRow)) == Row)
            columns << col;
    }
    return columns;
}

// A field cell that counts how often its text is read.
class CountingCell : public QTableWidgetItem {
public:
    CountingCell(const QString &text, int *reads)
        : QTableWidgetItem(text)
        , m_reads(reads)
    {
    }
    QVariant data(int role) const override
    {
        if (role == Qt::DisplayRole)
            ++*m_reads;
        return QTableWidgetItem::data(role);
    }

private:
    int *m_reads;
};

} // namespace

class tst_ColumnIndex : public QObject {
    Q_OBJECT
private slots:
    void ticksKeepTheirColumns_data();
    void ticksKeepTheirColumns();
    void tickTouchesFewCells();
};

void tst_ColumnIndex::ticksKeepTheirColumns_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 s = 0; s < 8; ++s)
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(s))) << 20260401u + s;
}

// Random steps; after each, a ticked field row has at least one column and an unticked row none,
// and a second column of the extended grid goes with its row's untick.
void tst_ColumnIndex::ticksKeepTheirColumns()
{
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    TfrmZkSQLBuilder form;
    form.SetExtendedGrid(true);
    TStringGrid *grid = form.sgColumnGrid;
    int tables = 0;
    for (; tables < 6; ++tables)
        addTable(form, QStringLiteral("t%1").arg(tables), 5);
    auto anyRow = [&]() -> TSchemaSubItem * {
        TSchemaItem *item = form.SchemaDesignArea->GetItem(
            int(random.bounded(form.SchemaDesignArea->GetItemCount())));
        // Row 0 is "*", which unticks the item's fields; mostly the fields are ticked.
        const int row = random.bounded(8) == 0 ? 0 : 1 + int(random.bounded(5));
        return item->GetSubItem(row);
    };
    for (int step = 0; step < 300; ++step) {
        const int what = int(random.bounded(100));
        QString done;
        if (what < 40) {
            TSchemaSubItem *row = anyRow();
            row->SetChecked(true);
            done = "tick " + row->Caption();
        } else if (what < 70) {
            TSchemaSubItem *row = anyRow();
            row->SetChecked(false);
            done = "untick " + row->Caption();
        } else if (what < 80) {
            const int col = 1 + int(random.bounded(qMax(1, grid->ColCount() - 1)));
            form.DuplicateColumn(col);
            done = QStringLiteral("second column of %1").arg(col);
        } else if (what < 88 && grid->ColCount() > 2) {
            const int from = 1 + int(random.bounded(grid->ColCount() - 1));
            const int to = 1 + int(random.bounded(grid->ColCount() - 1));
            grid->MoveColumn(from, to);
            done = QStringLiteral("move %1 to %2").arg(from).arg(to);
        } else if (what < 95) {
            const int col = 1 + int(random.bounded(qMax(1, grid->ColCount() - 1)));
            grid->SetCells(col, SortRow, random.bounded(2) ? QString() : QStringLiteral("x"));
            done = QStringLiteral("edit %1").arg(col);
        } else if (form.SchemaDesignArea->GetItemCount() > 2) {
            // A table goes with its columns; a new one may take the addresses of its rows.
            TSchemaItem *item = form.SchemaDesignArea->GetItem(
                int(random.bounded(form.SchemaDesignArea->GetItemCount())));
            done = "remove " + item->Caption();
            item->RemoveItem(nullptr);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            addTable(form, QStringLiteral("t%1").arg(tables++), 5);
        }
        for (int i = 0; i < form.SchemaDesignArea->GetItemCount(); ++i) {
            TSchemaItem *item = form.SchemaDesignArea->GetItem(i);
            for (int r = 0; r < item->GetSubItemCount(); ++r) {
                TSchemaSubItem *row = item->GetSubItem(r);
                const QList<int> columns = columnsNaming(form, row);
                QVERIFY2(row->Checked() == !columns.isEmpty(),
                    qPrintable(QStringLiteral("step %1 (%2): %3.%4 ticked %5, %6 column(s)")
                                   .arg(step)
                                   .arg(done, item->Caption(), row->Caption())
                                   .arg(row->Checked())
                                   .arg(columns.size())));
            }
        }
    }
}

// Ticking and unticking a row reads a few of the grid's cells, however many columns it has:
// the grid is not searched for the row's columns; nor does the table under the grid insert or
// remove a column, which moves all its cells.
void tst_ColumnIndex::tickTouchesFewCells()
{
    constexpr int Tables = 300;
    TfrmZkSQLBuilder form;
    QList<TSchemaItem *> items;
    for (int t = 0; t < Tables; ++t) {
        items << addTable(form, QStringLiteral("t%1").arg(t), 2);
        items.last()->GetSubItem(1)->SetChecked(true);
    }
    TStringGrid *grid = form.sgColumnGrid;
    QCOMPARE(grid->ColCount(), Tables + 1);
    int reads = 0;
    for (int col = 1; col < grid->ColCount(); ++col) {
        const int logical = grid->horizontalHeader()->logicalIndex(col);
        grid->setItem(FieldRow, logical, new CountingCell(grid->Cells(col, FieldRow), &reads));
    }
    QCOMPARE(columnsNaming(form, items.first()->GetSubItem(1)), QList<int> { 1 });
    // One tick and untick may walk the grid once after the cells were replaced.
    items.first()->GetSubItem(2)->SetChecked(true);
    items.first()->GetSubItem(2)->SetChecked(false);
    reads = 0;
    int tableColumnChanges = 0;
    const auto count = [&] { ++tableColumnChanges; };
    connect(grid->model(), &QAbstractItemModel::columnsInserted, this, count);
    connect(grid->model(), &QAbstractItemModel::columnsRemoved, this, count);
    constexpr int Ticks = 100;
    for (int t = 0; t < Ticks; ++t) {
        TSchemaSubItem *spare = items.at(t)->GetSubItem(2);
        spare->SetChecked(true);
        QCOMPARE(grid->ColCount(), Tables + 2);
        spare->SetChecked(false);
        QCOMPARE(grid->ColCount(), Tables + 1);
    }
    // A few per tick (the editor is placed over column 1 again); a walk of the grid would read
    // all Tables cells of the field row each time.
    QVERIFY2(reads <= 4 * Ticks, qPrintable(QString::number(reads)));
    QCOMPARE(tableColumnChanges, 0);
    QCOMPARE(columnsNaming(form, items.last()->GetSubItem(1)), QList<int> { Tables });
}

QTEST_MAIN(tst_ColumnIndex)
#include "tst_columnindex.moc"
