#include "platform/TStringGrid.h"

#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/VisibleText.h"

#include <QApplication>
#include <QHeaderView>
#include <QList>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPoint>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>

namespace Diduza {

// A string grid's own state: its counts and sizes, events, the mouse's column drag or resize,
// and the watch that counts changes of the cells.
class TStringGridPrivate {
public:
    explicit TStringGridPrivate(TStringGrid *owner)
        : q(owner)
    {
    }

    int FRowCount = 0;
    int FFixedCols = 1;
    int FFixedRows = 1;
    int FDefaultColWidth = 64;
    int FDefaultRowHeight = 24;
    bool FColumnsMovable = false;
    bool FColumnsSizable = false;
    TColor FFixedColor = clBtnFace;
    TDrawCellEvent FOnDrawCell;
    TSelectCellEvent FOnSelectCell;
    TMovedEvent FOnColumnMoved;
    TCellTextEvent FOnGetAccessibleText;

    enum MouseMode { MouseNone, MouseMoving, MouseSizing };
    MouseMode FMouseMode = MouseNone;
    int FMouseColumn = -1;
    QPoint FPressPos;
    bool FDragStarted = false;
    bool FFixingOrder = false;
    quint64 FCellsVersion = 0;
    // The last column position holds a hidden, empty column kept from a deletion for the next
    // column added at the end: Qt's table moves every cell of the table to add or delete a
    // column, while showing and hiding one costs next to nothing, and a tick of the builder
    // adds or deletes a column at the end of grids thousands of columns wide.
    bool FHasSpareColumn = false;
    QList<QMetaObject::Connection> FCellsWatch;

    // Every cell has an entry that reads as AccessibleText, every row and column a header entry
    // that names it by its fixed cell.
    void prepareCells();
    // The table's own (logical) column of position ACol.
    int logicalColumn(int ACol) const;
    // The position of the table's column logical.
    int visualColumn(int logical) const;
    // Whether the cell lies in a fixed row or column.
    bool isFixed(int ACol, int ARow) const;
    // The extent of the fixed rows (down from the viewport's top) and of the fixed columns.
    int fixedRowsHeight() const;
    // See fixedRowsHeight.
    int fixedColsWidth() const;
    // Where a cell shows, in viewport coordinates: fixed rows and columns at their unscrolled
    // place, the others where scrolling put them.
    QRect cellViewportRect(int ACol, int ARow) const;
    // The row and the column position at a viewport point, fixed cells first; -1 for none.
    int rowAtPoint(int y) const;
    // See rowAtPoint.
    int colAtPoint(int x) const;
    // Paints a fixed cell and the grid lines to its right and below it.
    void paintFixedCell(QPainter &painter, const QPen &gridPen, int ACol, int ARow);
    // Asks OnSelectCell whether the cell may become current; true when there is no handler.
    bool askSelect(int ACol, int ARow);
    // The position whose right border lies within a few pixels of viewport x, or -1.
    int sizingColumnAt(int x) const;
    // Undoes a move that took a fixed column away or put a column in front of the fixed ones.
    void keepFixedColumnsInFront(int logical, int oldVisual, int newVisual);

    TStringGrid *const q;
};

namespace {

// Hands every cell to the grid's own painting.
class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(TStringGrid *grid)
        : QStyledItemDelegate(grid)
        , FGrid(grid)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override
    {
        const int col = FGrid->horizontalHeader()->visualIndex(index.column());
        const int row = index.row();
        if (col < FGrid->FixedCols() || row < FGrid->FixedRows())
            return; // the grid paints its fixed cells above the scrolled ones
        TGridDrawState state;
        if (option.state & QStyle::State_Selected)
            state |= gdSelected;
        if (index == FGrid->currentIndex() && FGrid->hasFocus())
            state |= gdFocused;
        Guarded([&] { FGrid->PaintCell(*painter, option.rect, col, row, state); });
    }

private:
    TStringGrid *FGrid;
};

// A cell that reads as the grid's accessible text of it.
class GridCell : public QTableWidgetItem {
public:
    explicit GridCell(const QString &text = QString())
        : QTableWidgetItem(text)
    {
    }
    QVariant data(int role) const override
    {
        if (role == Qt::AccessibleTextRole) {
            if (auto *grid = qobject_cast<TStringGrid *>(tableWidget())) {
                const int col = grid->horizontalHeader()->visualIndex(column());
                return grid->AccessibleText(col, row());
            }
        }
        return QTableWidgetItem::data(role);
    }
    QTableWidgetItem *clone() const override { return new GridCell(*this); }
};

// The hidden header entry of a row or column: named by its cell in the first fixed column or
// row, where there is one.
class SectionName : public QTableWidgetItem {
public:
    SectionName(TStringGrid *grid, Qt::Orientation orientation)
        : FGrid(grid)
        , FOrientation(orientation)
    {
    }
    QVariant data(int role) const override
    {
        if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
            return QTableWidgetItem::data(role);
        const bool rows = FOrientation == Qt::Vertical;
        QHeaderView *header = rows ? FGrid->verticalHeader() : FGrid->horizontalHeader();
        int section = -1;
        for (int i = 0; i < header->count() && section < 0; ++i) {
            const QTableWidgetItem *entry
                = rows ? FGrid->verticalHeaderItem(i) : FGrid->horizontalHeaderItem(i);
            if (entry == this)
                section = i;
        }
        if (section < 0)
            return QVariant();
        if (rows ? FGrid->FixedCols() == 0 : FGrid->FixedRows() == 0)
            return QString::number(section + 1);
        return rows ? FGrid->AccessibleText(0, section)
                    : FGrid->AccessibleText(header->visualIndex(section), 0);
    }
    QTableWidgetItem *clone() const override { return new SectionName(FGrid, FOrientation); }

private:
    TStringGrid *FGrid;
    Qt::Orientation FOrientation;
};

} // namespace

TStringGrid::TStringGrid(QWidget *parent)
    : QTableWidget(parent)
    , d(std::make_unique<TStringGridPrivate>(this))
{
    setItemDelegate(new GridDelegate(this));
    setItemPrototype(new GridCell);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    // Per pixel, so that a cell scrolled into view lies right past the fixed cells whatever
    // their size.
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setTabKeyNavigation(false);
    setWordWrap(true);
    setShowGrid(true);
    viewport()->setMouseTracking(true);
    connect(horizontalHeader(), &QHeaderView::sectionMoved, this,
        [this](int logical, int oldVisual, int newVisual) {
            Guarded([&] { d->keepFixedColumnsInFront(logical, oldVisual, newVisual); });
        });
    auto changed = [this] { ++d->FCellsVersion; };
    QAbstractItemModel *cells = model();
    d->FCellsWatch = {
        connect(horizontalHeader(), &QHeaderView::sectionMoved, this, changed),
        connect(cells, &QAbstractItemModel::dataChanged, this, changed),
        connect(cells, &QAbstractItemModel::rowsInserted, this, changed),
        connect(cells, &QAbstractItemModel::rowsRemoved, this, changed),
        connect(cells, &QAbstractItemModel::rowsMoved, this, changed),
        connect(cells, &QAbstractItemModel::columnsInserted, this, changed),
        connect(cells, &QAbstractItemModel::columnsRemoved, this, changed),
        connect(cells, &QAbstractItemModel::columnsMoved, this, changed),
        connect(cells, &QAbstractItemModel::layoutChanged, this, changed),
        connect(cells, &QAbstractItemModel::modelReset, this, changed),
    };

    SetDefaultColWidth(64);
    SetDefaultRowHeight(24);
    SetColCount(5);
    SetRowCount(5);
    setCurrentCell(d->FFixedRows, d->FFixedCols);
}

TStringGrid::~TStringGrid()
{
    // The table goes after this part of the object: its last signals must not reach it.
    for (const QMetaObject::Connection &c : std::as_const(d->FCellsWatch))
        disconnect(c);
}

int TStringGrid::RowCount() const
{
    return d->FRowCount;
}

int TStringGrid::FixedCols() const
{
    return d->FFixedCols;
}

int TStringGrid::FixedRows() const
{
    return d->FFixedRows;
}

int TStringGrid::DefaultColWidth() const
{
    return d->FDefaultColWidth;
}

int TStringGrid::DefaultRowHeight() const
{
    return d->FDefaultRowHeight;
}

bool TStringGrid::ColumnsMovable() const
{
    return d->FColumnsMovable;
}

void TStringGrid::SetColumnsMovable(bool Value)
{
    d->FColumnsMovable = Value;
}

bool TStringGrid::ColumnsSizable() const
{
    return d->FColumnsSizable;
}

void TStringGrid::SetColumnsSizable(bool Value)
{
    d->FColumnsSizable = Value;
}

TColor TStringGrid::FixedColor() const
{
    return d->FFixedColor;
}

quint64 TStringGrid::CellsVersion() const
{
    return d->FCellsVersion;
}

TDrawCellEvent TStringGrid::OnDrawCell() const
{
    return d->FOnDrawCell;
}

void TStringGrid::SetOnDrawCell(TDrawCellEvent Value)
{
    d->FOnDrawCell = std::move(Value);
}

TMovedEvent TStringGrid::OnColumnMoved() const
{
    return d->FOnColumnMoved;
}

void TStringGrid::SetOnColumnMoved(TMovedEvent Value)
{
    d->FOnColumnMoved = std::move(Value);
}

TSelectCellEvent TStringGrid::OnSelectCell() const
{
    return d->FOnSelectCell;
}

void TStringGrid::SetOnSelectCell(TSelectCellEvent Value)
{
    d->FOnSelectCell = std::move(Value);
}

TCellTextEvent TStringGrid::OnGetAccessibleText() const
{
    return d->FOnGetAccessibleText;
}

void TStringGrid::SetOnGetAccessibleText(TCellTextEvent Value)
{
    d->FOnGetAccessibleText = std::move(Value);
}

QString TStringGrid::AccessibleText(int ACol, int ARow) const
{
    QString text = Cells(ACol, ARow);
    if (const TCellTextEvent handler = d->FOnGetAccessibleText)
        Guarded([&] { handler(const_cast<TStringGrid *>(this), ACol, ARow, text); });
    return text;
}

void TStringGridPrivate::prepareCells()
{
    // The hidden headers' entries: a reader takes rows' and columns' names from them. An empty
    // cell too is read through its entry.
    for (int row = 0; row < q->rowCount(); ++row) {
        if (!q->verticalHeaderItem(row))
            q->setVerticalHeaderItem(row, new SectionName(q, Qt::Vertical));
    }
    for (int col = 0; col < q->columnCount(); ++col) {
        if (!q->horizontalHeaderItem(col))
            q->setHorizontalHeaderItem(col, new SectionName(q, Qt::Horizontal));
        for (int row = 0; row < q->rowCount(); ++row) {
            if (!q->item(row, col))
                q->setItem(row, col, new GridCell);
        }
    }
}

int TStringGridPrivate::logicalColumn(int ACol) const
{
    return q->horizontalHeader()->logicalIndex(ACol);
}

int TStringGridPrivate::visualColumn(int logical) const
{
    return q->horizontalHeader()->visualIndex(logical);
}

bool TStringGridPrivate::isFixed(int ACol, int ARow) const
{
    return ACol < FFixedCols || ARow < FFixedRows;
}

// ---------------------------------------------------------------------------------------------
// Where the cells show: the fixed rows and columns lead the row and column order, so their
// unscrolled places tile the band [0, fixed extent) of the viewport.

int TStringGridPrivate::fixedRowsHeight() const
{
    int height = 0;
    for (int row = 0; row < qMin(FFixedRows, q->rowCount()); ++row)
        height += q->verticalHeader()->sectionSize(row); // 0 for a hidden row
    return height;
}

int TStringGridPrivate::fixedColsWidth() const
{
    int width = 0;
    for (int col = 0; col < qMin(FFixedCols, q->ColCount()); ++col)
        width += q->horizontalHeader()->sectionSize(logicalColumn(col));
    return width;
}

QRect TStringGridPrivate::cellViewportRect(int ACol, int ARow) const
{
    const int logical = logicalColumn(ACol);
    const int left = ACol < FFixedCols ? q->horizontalHeader()->sectionPosition(logical)
                                       : q->columnViewportPosition(logical);
    const int top = ARow < FFixedRows ? q->verticalHeader()->sectionPosition(ARow)
                                      : q->rowViewportPosition(ARow);
    const int line = q->showGrid() ? 1 : 0;
    return QRect(left, top, q->columnWidth(logical) - line, q->rowHeight(ARow) - line);
}

int TStringGridPrivate::rowAtPoint(int y) const
{
    if (y >= fixedRowsHeight())
        return q->rowAt(y); // a scrolled fixed row lies wholly above the band's end
    for (int row = 0; row < qMin(FFixedRows, q->rowCount()); ++row) {
        const int top = q->verticalHeader()->sectionPosition(row);
        if (y >= top && y < top + q->verticalHeader()->sectionSize(row))
            return row;
    }
    return -1;
}

int TStringGridPrivate::colAtPoint(int x) const
{
    if (x >= fixedColsWidth()) {
        const int logical = q->columnAt(x);
        return logical < 0 ? -1 : visualColumn(logical);
    }
    for (int col = 0; col < qMin(FFixedCols, q->ColCount()); ++col) {
        const int logical = logicalColumn(col);
        const int left = q->horizontalHeader()->sectionPosition(logical);
        if (x >= left && x < left + q->horizontalHeader()->sectionSize(logical))
            return col;
    }
    return -1;
}

QModelIndex TStringGrid::indexAt(const QPoint &point) const
{
    const int row = d->rowAtPoint(point.y());
    const int col = d->colAtPoint(point.x());
    if (row < 0 || col < 0)
        return QModelIndex();
    return model()->index(row, d->logicalColumn(col));
}

QRect TStringGrid::visualRect(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != model() || isRowHidden(index.row())
        || isColumnHidden(index.column()))
        return QRect();
    return d->cellViewportRect(d->visualColumn(index.column()), index.row());
}

namespace {
// Sets a per-pixel scroll bar so that the content span [start, start + size) shows in the
// scrolling part of the viewport, [fixed, viewSize).
void scrollSpanIntoView(QScrollBar *bar, int start, int size, int fixed, int viewSize,
    QAbstractItemView::ScrollHint hint)
{
    const int value = bar->value();
    int target = value;
    switch (hint) {
    case QAbstractItemView::PositionAtTop:
        target = start - fixed;
        break;
    case QAbstractItemView::PositionAtBottom:
        target = start + size - viewSize;
        break;
    case QAbstractItemView::PositionAtCenter:
        target = start - fixed - (viewSize - fixed - size) / 2;
        break;
    case QAbstractItemView::EnsureVisible:
        if (start - value < fixed)
            target = start - fixed;
        else if (start + size - value > viewSize)
            target = qMin(start - fixed, start + size - viewSize);
        break;
    }
    bar->setValue(target);
}
} // namespace

void TStringGrid::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid() || index.model() != model() || isRowHidden(index.row())
        || isColumnHidden(index.column()))
        return;
    const int logical = index.column();
    const int row = index.row();
    if (d->visualColumn(logical) >= d->FFixedCols) {
        scrollSpanIntoView(horizontalScrollBar(), horizontalHeader()->sectionPosition(logical),
            columnWidth(logical), d->fixedColsWidth(), viewport()->width(),
            hint == PositionAtCenter ? PositionAtCenter : EnsureVisible);
    }
    if (row >= d->FFixedRows) {
        scrollSpanIntoView(verticalScrollBar(), verticalHeader()->sectionPosition(row),
            rowHeight(row), d->fixedRowsHeight(), viewport()->height(), hint);
    }
}

void TStringGrid::scrollContentsBy(int dx, int dy)
{
    QTableWidget::scrollContentsBy(dx, dy);
    // The scroll moved the fixed cells' pixels along with the rest: paint them afresh.
    if (d->FFixedRows > 0 || d->FFixedCols > 0)
        viewport()->update();
}

// ---------------------------------------------------------------------------------------------
// Size

int TStringGrid::ColCount() const
{
    return columnCount() - (d->FHasSpareColumn ? 1 : 0);
}

void TStringGrid::SetColCount(int Value)
{
    Value = qMax(0, Value);
    if (Value > ColCount()) {
        if (d->FHasSpareColumn) {
            // The kept column shows again, empty and as wide as a new one.
            const int logical = d->logicalColumn(columnCount() - 1);
            d->FHasSpareColumn = false;
            setColumnHidden(logical, false);
            setColumnWidth(logical, horizontalHeader()->defaultSectionSize());
            ++d->FCellsVersion;
        }
        if (Value > columnCount()) {
            setColumnCount(Value);
            d->prepareCells();
        }
        return;
    }
    while (ColCount() > Value)
        DeleteColumn(ColCount() - 1);
}

void TStringGrid::SetRowCount(int Value)
{
    Value = qMax(0, Value);
    if (Value > rowCount()) {
        setRowCount(Value);
        d->prepareCells();
    }
    for (int row = 0; row < rowCount(); ++row)
        setRowHidden(row, row >= Value);
    d->FRowCount = Value;
}

void TStringGrid::SetFixedCols(int Value)
{
    d->FFixedCols = qMax(0, Value);
    viewport()->update();
}

void TStringGrid::SetFixedRows(int Value)
{
    d->FFixedRows = qMax(0, Value);
    viewport()->update();
}

void TStringGrid::SetDefaultColWidth(int Value)
{
    d->FDefaultColWidth = qMax(0, Value);
    const int size = d->FDefaultColWidth + (showGrid() ? 1 : 0);
    horizontalHeader()->setDefaultSectionSize(size);
    for (int logical = 0; logical < columnCount(); ++logical)
        setColumnWidth(logical, size);
}

void TStringGrid::SetDefaultRowHeight(int Value)
{
    d->FDefaultRowHeight = qMax(0, Value);
    const int size = d->FDefaultRowHeight + (showGrid() ? 1 : 0);
    verticalHeader()->setDefaultSectionSize(size);
    for (int row = 0; row < rowCount(); ++row)
        setRowHeight(row, size);
}

int TStringGrid::ColWidths(int ACol) const
{
    if (ACol < 0 || ACol >= ColCount())
        return 0;
    return columnWidth(d->logicalColumn(ACol)) - (showGrid() ? 1 : 0);
}

void TStringGrid::SetColWidths(int ACol, int Value)
{
    if (ACol < 0 || ACol >= ColCount())
        return;
    setColumnWidth(d->logicalColumn(ACol), qMax(0, Value) + (showGrid() ? 1 : 0));
}

void TStringGrid::SetFixedColor(TColor Value)
{
    d->FFixedColor = Value;
    viewport()->update();
}

// ---------------------------------------------------------------------------------------------
// Cells and columns

QString TStringGrid::Cells(int ACol, int ARow) const
{
    if (ACol < 0 || ACol >= ColCount() || ARow < 0 || ARow >= rowCount())
        return QString();
    const QTableWidgetItem *cell = item(ARow, d->logicalColumn(ACol));
    return cell ? cell->text() : QString();
}

void TStringGrid::SetCells(int ACol, int ARow, const QString &Value)
{
    if (ACol < 0 || ACol >= ColCount() || ARow < 0 || ARow >= rowCount())
        return;
    const int logical = d->logicalColumn(ACol);
    if (QTableWidgetItem *cell = item(ARow, logical))
        cell->setText(Value);
    else
        setItem(ARow, logical, new GridCell(Value));
}

void TStringGrid::ClearColumn(int ACol)
{
    if (ACol < 0 || ACol >= ColCount())
        return;
    const int logical = d->logicalColumn(ACol);
    for (int row = 0; row < rowCount(); ++row)
        setItem(row, logical, new GridCell);
}

void TStringGrid::DeleteColumn(int ACol)
{
    if (ACol < 0 || ACol >= ColCount())
        return;
    const int logical = d->logicalColumn(ACol);
    if (ACol < ColCount() - 1 || d->FHasSpareColumn) {
        removeColumn(logical);
        return;
    }
    // The last column stays as the hidden spare, left as a deleted column leaves the table.
    if (QItemSelectionModel *selection = selectionModel()) {
        const QModelIndex current = currentIndex();
        selection->select(QItemSelection(model()->index(0, logical),
                              model()->index(qMax(0, rowCount() - 1), logical)),
            QItemSelectionModel::Deselect);
        if (current.isValid() && current.column() == logical) {
            // Where Qt puts the current cell when its column goes.
            QModelIndex next;
            if (logical > 0)
                next = model()->index(current.row(), logical - 1);
            else if (logical < columnCount() - 1)
                next = model()->index(current.row(), logical + 1);
            selection->setCurrentIndex(next, QItemSelectionModel::NoUpdate);
        }
    }
    for (int row = 0; row < rowCount(); ++row)
        delete takeItem(row, logical);
    setColumnHidden(logical, true);
    d->FHasSpareColumn = true;
    ++d->FCellsVersion;
}

void TStringGrid::MoveColumn(int FromIndex, int ToIndex)
{
    const int count = ColCount();
    if (FromIndex < d->FFixedCols || ToIndex < d->FFixedCols || FromIndex >= count
        || ToIndex >= count || FromIndex == ToIndex)
        return;
    horizontalHeader()->moveSection(FromIndex, ToIndex);
    viewport()->update();
}

void TStringGridPrivate::keepFixedColumnsInFront(int, int oldVisual, int newVisual)
{
    if (FFixingOrder || (oldVisual >= FFixedCols && newVisual >= FFixedCols))
        return;
    // A fixed column was moved, or a column was moved in front of the fixed ones: undo it.
    FFixingOrder = true;
    q->horizontalHeader()->moveSection(newVisual, oldVisual);
    FFixingOrder = false;
}

// ---------------------------------------------------------------------------------------------
// Geometry and the current cell

QRect TStringGrid::CellRect(int ACol, int ARow) const
{
    if (ACol < 0 || ACol >= ColCount() || ARow < 0 || ARow >= rowCount() || isRowHidden(ARow))
        return QRect();
    return d->cellViewportRect(ACol, ARow).translated(viewport()->pos());
}

bool TStringGrid::MouseToCell(const QPoint &Point, int &ACol, int &ARow) const
{
    const QModelIndex index = indexAt(Point - viewport()->pos());
    if (!index.isValid()) {
        ACol = ARow = -1;
        return false;
    }
    ACol = d->visualColumn(index.column());
    ARow = index.row();
    return true;
}

int TStringGrid::Col() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? d->visualColumn(index.column()) : -1;
}

int TStringGrid::Row() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() : -1;
}

bool TStringGridPrivate::askSelect(int ACol, int ARow)
{
    bool canSelect = true;
    if (FOnSelectCell) {
        const TSelectCellEvent handler = FOnSelectCell; // a handler may replace itself
        handler(q, ACol, ARow, canSelect);
    }
    return canSelect;
}

bool TStringGrid::SetCurrentCell(int ACol, int ARow)
{
    if (ACol < 0 || ACol >= ColCount() || ARow < 0 || ARow >= d->FRowCount
        || d->isFixed(ACol, ARow))
        return false;
    if (!d->askSelect(ACol, ARow))
        return false;
    setCurrentCell(ARow, d->logicalColumn(ACol));
    return true;
}

// ---------------------------------------------------------------------------------------------
// Keyboard and mouse

QModelIndex TStringGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    QModelIndex next = QTableWidget::moveCursor(cursorAction, modifiers);
    if (!next.isValid())
        return current;
    int col = d->visualColumn(next.column());
    int row = next.row();
    if (d->isFixed(col, row)) {
        col = qMax(col, d->FFixedCols);
        row = qMax(row, d->FFixedRows);
        if (col >= ColCount() || row >= d->FRowCount)
            return current;
        next = model()->index(row, d->logicalColumn(col));
    }
    if (next == current)
        return current;
    bool canSelect = false;
    Guarded([&] { canSelect = d->askSelect(col, row); });
    return canSelect ? next : current;
}

int TStringGridPrivate::sizingColumnAt(int x) const
{
    const int fixedWidth = fixedColsWidth();
    for (int col = 0; col < q->ColCount(); ++col) {
        const int logical = logicalColumn(col);
        if (q->isColumnHidden(logical))
            continue;
        const QRect cell = cellViewportRect(col, 0);
        const int lastPixel = cell.left() + q->columnWidth(logical) - 1;
        if (col >= FFixedCols && lastPixel < fixedWidth)
            continue; // under the fixed columns
        if (qAbs(x - lastPixel) <= 2)
            return col;
    }
    return -1;
}

void TStringGrid::mousePressEvent(QMouseEvent *event)
{
    d->FMouseMode = TStringGridPrivate::MouseNone;
    d->FDragStarted = false;
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->position().toPoint();
    const int row = d->rowAtPoint(p.y());
    if (row >= 0 && row < d->FFixedRows) {
        // A press in a fixed row: sizing at a column border, otherwise moving the column.
        const int sizing = d->FColumnsSizable ? d->sizingColumnAt(p.x()) : -1;
        const int col = d->colAtPoint(p.x());
        if (sizing >= 0) {
            d->FMouseMode = TStringGridPrivate::MouseSizing;
            d->FMouseColumn = sizing;
        } else if (d->FColumnsMovable && col >= d->FFixedCols) {
            d->FMouseMode = TStringGridPrivate::MouseMoving;
            d->FMouseColumn = col;
        }
        d->FPressPos = p;
        return;
    }
    const QModelIndex index = indexAt(p);
    if (!index.isValid())
        return;
    const int col = d->visualColumn(index.column());
    if (d->isFixed(col, row))
        return;
    if (index != currentIndex()) {
        bool canSelect = false;
        Guarded([&] { canSelect = d->askSelect(col, row); });
        if (!canSelect)
            return;
    }
    QTableWidget::mousePressEvent(event);
}

void TStringGrid::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    switch (d->FMouseMode) {
    case TStringGridPrivate::MouseSizing: {
        const int left = d->cellViewportRect(d->FMouseColumn, 0).left();
        setColumnWidth(d->logicalColumn(d->FMouseColumn), qMax(1, p.x() - left + 1));
        return;
    }
    case TStringGridPrivate::MouseMoving:
        if (!d->FDragStarted
            && (p - d->FPressPos).manhattanLength() >= QApplication::startDragDistance()) {
            d->FDragStarted = true;
            viewport()->setCursor(Qt::SizeHorCursor);
        }
        return;
    case TStringGridPrivate::MouseNone:
        break;
    }
    if (event->buttons() == Qt::NoButton) {
        const int row = d->rowAtPoint(p.y());
        const bool border = d->FColumnsSizable && row >= 0 && row < d->FFixedRows
            && d->sizingColumnAt(p.x()) >= 0;
        if (border)
            viewport()->setCursor(Qt::SplitHCursor);
        else
            viewport()->unsetCursor();
    }
    // Dragging over the cells does not move the current cell: only presses and keys do, and
    // both ask OnSelectCell first.
}

void TStringGrid::mouseReleaseEvent(QMouseEvent *event)
{
    const TStringGridPrivate::MouseMode mode = d->FMouseMode;
    d->FMouseMode = TStringGridPrivate::MouseNone;
    if (mode == TStringGridPrivate::MouseNone) {
        QTableWidget::mouseReleaseEvent(event);
        return;
    }
    viewport()->unsetCursor();
    if (mode != TStringGridPrivate::MouseMoving || !d->FDragStarted)
        return;
    const QPoint p = event->position().toPoint();
    int target = d->colAtPoint(p.x());
    if (target < 0)
        target = p.x() < 0 ? d->FFixedCols : ColCount() - 1;
    const int from = d->FMouseColumn;
    const int to = qMax(target, d->FFixedCols);
    MoveColumn(from, to);
    if (from != to && d->FOnColumnMoved) {
        const TMovedEvent handler = d->FOnColumnMoved;
        Guarded([&] { handler(this, from, to); });
    }
}

// ---------------------------------------------------------------------------------------------
// Painting

void TStringGrid::paintEvent(QPaintEvent *event)
{
    QTableWidget::paintEvent(event);
    if (d->FFixedRows <= 0 && d->FFixedCols <= 0)
        return;
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QColor gridColor = QColor::fromRgba(
        static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    const QPen gridPen(gridColor, 0, gridStyle());
    const QRect dirty = event->rect();
    const int rows = qMin(d->FFixedRows, rowCount());
    const int cols = qMin(d->FFixedCols, ColCount());
    auto paintIfDirty = [&](int col, int row) {
        if (!isRowHidden(row) && !isColumnHidden(d->logicalColumn(col))
            && d->cellViewportRect(col, row).adjusted(0, 0, 1, 1).intersects(dirty))
            d->paintFixedCell(painter, gridPen, col, row);
    };
    // The fixed rows' cells of the scrolling columns and the fixed columns' cells of the
    // scrolling rows first; the corner, fixed both ways, covers whatever scrolled under it.
    // Positions grow with the row and the column position: stop past the dirty part.
    // Columns and rows scrolled off before the dirty part are not visited either (one before it
    // is, for the grid line it shares).
    const int firstCol = std::max(cols, horizontalHeader()->visualIndexAt(dirty.left()) - 1);
    const int firstRow = std::max(d->FFixedRows, rowAt(dirty.top()) - 1);
    for (int row = 0; row < rows; ++row) {
        for (int col = firstCol;
             col < ColCount() && columnViewportPosition(d->logicalColumn(col)) <= dirty.right();
             ++col)
            paintIfDirty(col, row);
    }
    for (int row = firstRow; row < rowCount() && rowViewportPosition(row) <= dirty.bottom();
         ++row) {
        for (int col = 0; col < cols; ++col)
            paintIfDirty(col, row);
    }
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col)
            paintIfDirty(col, row);
    }
}

void TStringGridPrivate::paintFixedCell(QPainter &painter, const QPen &gridPen, int ACol, int ARow)
{
    const QRect rect = cellViewportRect(ACol, ARow);
    Guarded([&] { q->PaintCell(painter, rect, ACol, ARow, gdFixed); });
    if (!q->showGrid())
        return;
    // The grid lines after the cell, as the view draws them for the scrolling cells.
    painter.save();
    painter.setPen(gridPen);
    painter.drawLine(rect.left(), rect.bottom() + 1, rect.right() + 1, rect.bottom() + 1);
    painter.drawLine(rect.right() + 1, rect.top(), rect.right() + 1, rect.bottom() + 1);
    painter.restore();
}

void TStringGrid::PaintCell(
    QPainter &Painter, const QRect &Rect, int ACol, int ARow, TGridDrawState State)
{
    const QPalette &pal = palette();
    const bool fixed = State.testFlag(gdFixed);
    const bool highlighted = !fixed && State.testFlag(gdSelected) && !State.testFlag(gdFocused);
    QColor background, text;
    if (fixed) {
        background = ColorToQColor(d->FFixedColor, pal);
        text = pal.color(QPalette::ButtonText);
    } else if (highlighted) {
        background = pal.color(QPalette::Highlight);
        text = pal.color(QPalette::HighlightedText);
    } else {
        background = pal.color(QPalette::Base);
        text = pal.color(QPalette::Text);
    }
    {
        // The handler may raise: the painter's state comes back on every way out, so that the
        // cells painted after this one keep their own clip, font and pen.
        Painter.save();
        const auto restore = qScopeGuard([&Painter] { Painter.restore(); });
        Painter.setFont(font());
        Painter.setBrush(background);
        Painter.setPen(text);
        Painter.fillRect(Rect, background);
        if (d->FOnDrawCell) {
            const TDrawCellEvent handler = d->FOnDrawCell;
            handler(this, ACol, ARow, Rect, State, Painter);
        } else {
            Painter.drawText(Rect.adjusted(2, 2, 0, 0),
                Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, VisibleText(Cells(ACol, ARow)));
        }
    }
    if (State.testFlag(gdFocused)) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = Rect;
        option.backgroundColor = background;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &Painter, this);
    }
}

} // namespace Diduza
