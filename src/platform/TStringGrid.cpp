#include "platform/TStringGrid.h"

#include "platform/Application.h"
#include "platform/ColorConvert.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>

namespace Diduza {

namespace {

// Hands every cell to the grid's own painting.
class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(TStringGrid *grid)
        : QStyledItemDelegate(grid)
        , m_grid(grid)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override
    {
        const int col = m_grid->horizontalHeader()->visualIndex(index.column());
        const int row = index.row();
        TGridDrawState state;
        if (col < m_grid->FixedCols() || row < m_grid->FixedRows()) {
            state |= gdFixed;
        } else {
            if (option.state & QStyle::State_Selected)
                state |= gdSelected;
            if (index == m_grid->currentIndex() && m_grid->hasFocus())
                state |= gdFocused;
        }
        Guarded([&] { m_grid->PaintCell(*painter, option.rect, col, row, state); });
    }

private:
    TStringGrid *m_grid;
};

} // namespace

TStringGrid::TStringGrid(QWidget *parent)
    : QTableWidget(parent)
{
    setItemDelegate(new GridDelegate(this));
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
    setTabKeyNavigation(false);
    setWordWrap(true);
    setShowGrid(true);
    viewport()->setMouseTracking(true);
    connect(horizontalHeader(), &QHeaderView::sectionMoved, this,
        [this](int logical, int oldVisual, int newVisual) {
            Guarded([&] { keepFixedColumnsInFront(logical, oldVisual, newVisual); });
        });

    SetDefaultColWidth(64);
    SetDefaultRowHeight(24);
    setColumnCount(5);
    SetRowCount(5);
    setCurrentCell(FFixedRows, FFixedCols);
}

TStringGrid::~TStringGrid() = default;

int TStringGrid::logicalColumn(int ACol) const
{
    return horizontalHeader()->logicalIndex(ACol);
}

int TStringGrid::visualColumn(int logical) const
{
    return horizontalHeader()->visualIndex(logical);
}

bool TStringGrid::isFixed(int ACol, int ARow) const
{
    return ACol < FFixedCols || ARow < FFixedRows;
}

// ---------------------------------------------------------------------------------------------
// Size

void TStringGrid::SetColCount(int Value)
{
    Value = qMax(0, Value);
    if (Value > columnCount()) {
        setColumnCount(Value);
        return;
    }
    while (columnCount() > Value)
        DeleteColumn(columnCount() - 1);
}

void TStringGrid::SetRowCount(int Value)
{
    Value = qMax(0, Value);
    if (Value > rowCount())
        setRowCount(Value);
    for (int row = 0; row < rowCount(); ++row)
        setRowHidden(row, row >= Value);
    FRowCount = Value;
}

void TStringGrid::SetFixedCols(int Value)
{
    FFixedCols = qMax(0, Value);
    viewport()->update();
}

void TStringGrid::SetFixedRows(int Value)
{
    FFixedRows = qMax(0, Value);
    viewport()->update();
}

void TStringGrid::SetDefaultColWidth(int Value)
{
    FDefaultColWidth = qMax(0, Value);
    const int size = FDefaultColWidth + (showGrid() ? 1 : 0);
    horizontalHeader()->setDefaultSectionSize(size);
    for (int logical = 0; logical < columnCount(); ++logical)
        setColumnWidth(logical, size);
}

void TStringGrid::SetDefaultRowHeight(int Value)
{
    FDefaultRowHeight = qMax(0, Value);
    const int size = FDefaultRowHeight + (showGrid() ? 1 : 0);
    verticalHeader()->setDefaultSectionSize(size);
    for (int row = 0; row < rowCount(); ++row)
        setRowHeight(row, size);
}

int TStringGrid::ColWidths(int ACol) const
{
    if (ACol < 0 || ACol >= columnCount())
        return 0;
    return columnWidth(logicalColumn(ACol)) - (showGrid() ? 1 : 0);
}

void TStringGrid::SetColWidths(int ACol, int Value)
{
    if (ACol < 0 || ACol >= columnCount())
        return;
    setColumnWidth(logicalColumn(ACol), qMax(0, Value) + (showGrid() ? 1 : 0));
}

void TStringGrid::SetFixedColor(TColor Value)
{
    FFixedColor = Value;
    viewport()->update();
}

// ---------------------------------------------------------------------------------------------
// Cells and columns

QString TStringGrid::Cells(int ACol, int ARow) const
{
    if (ACol < 0 || ACol >= columnCount() || ARow < 0 || ARow >= rowCount())
        return QString();
    const QTableWidgetItem *cell = item(ARow, logicalColumn(ACol));
    return cell ? cell->text() : QString();
}

void TStringGrid::SetCells(int ACol, int ARow, const QString &Value)
{
    if (ACol < 0 || ACol >= columnCount() || ARow < 0 || ARow >= rowCount())
        return;
    const int logical = logicalColumn(ACol);
    if (QTableWidgetItem *cell = item(ARow, logical))
        cell->setText(Value);
    else
        setItem(ARow, logical, new QTableWidgetItem(Value));
}

void TStringGrid::ClearColumn(int ACol)
{
    if (ACol < 0 || ACol >= columnCount())
        return;
    const int logical = logicalColumn(ACol);
    for (int row = 0; row < rowCount(); ++row)
        delete takeItem(row, logical);
}

void TStringGrid::DeleteColumn(int ACol)
{
    if (ACol < 0 || ACol >= columnCount())
        return;
    removeColumn(logicalColumn(ACol));
}

void TStringGrid::MoveColumn(int FromIndex, int ToIndex)
{
    const int count = columnCount();
    if (FromIndex < FFixedCols || ToIndex < FFixedCols || FromIndex >= count || ToIndex >= count
        || FromIndex == ToIndex)
        return;
    horizontalHeader()->moveSection(FromIndex, ToIndex);
    viewport()->update();
}

void TStringGrid::keepFixedColumnsInFront(int, int oldVisual, int newVisual)
{
    if (FFixingOrder || (oldVisual >= FFixedCols && newVisual >= FFixedCols))
        return;
    // A fixed column was moved, or a column was moved in front of the fixed ones: undo it.
    FFixingOrder = true;
    horizontalHeader()->moveSection(newVisual, oldVisual);
    FFixingOrder = false;
}

// ---------------------------------------------------------------------------------------------
// Geometry and the current cell

QRect TStringGrid::CellRect(int ACol, int ARow) const
{
    if (ACol < 0 || ACol >= columnCount() || ARow < 0 || ARow >= rowCount() || isRowHidden(ARow))
        return QRect();
    const int logical = logicalColumn(ACol);
    const int line = showGrid() ? 1 : 0;
    QRect rect(columnViewportPosition(logical), rowViewportPosition(ARow),
        columnWidth(logical) - line, rowHeight(ARow) - line);
    return rect.translated(viewport()->pos());
}

bool TStringGrid::MouseToCell(const QPoint &Point, int &ACol, int &ARow) const
{
    const QModelIndex index = indexAt(Point - viewport()->pos());
    if (!index.isValid()) {
        ACol = ARow = -1;
        return false;
    }
    ACol = visualColumn(index.column());
    ARow = index.row();
    return true;
}

int TStringGrid::Col() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? visualColumn(index.column()) : -1;
}

int TStringGrid::Row() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() : -1;
}

bool TStringGrid::askSelect(int ACol, int ARow)
{
    bool canSelect = true;
    if (FOnSelectCell) {
        const TSelectCellEvent handler = FOnSelectCell; // a handler may replace itself
        handler(this, ACol, ARow, canSelect);
    }
    return canSelect;
}

bool TStringGrid::SetCurrentCell(int ACol, int ARow)
{
    if (ACol < 0 || ACol >= columnCount() || ARow < 0 || ARow >= FRowCount || isFixed(ACol, ARow))
        return false;
    if (!askSelect(ACol, ARow))
        return false;
    setCurrentCell(ARow, logicalColumn(ACol));
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
    int col = visualColumn(next.column());
    int row = next.row();
    if (isFixed(col, row)) {
        col = qMax(col, FFixedCols);
        row = qMax(row, FFixedRows);
        if (col >= columnCount() || row >= FRowCount)
            return current;
        next = model()->index(row, logicalColumn(col));
    }
    if (next == current)
        return current;
    bool canSelect = false;
    Guarded([&] { canSelect = askSelect(col, row); });
    return canSelect ? next : current;
}

int TStringGrid::sizingColumnAt(int x) const
{
    for (int col = 0; col < columnCount(); ++col) {
        const int logical = logicalColumn(col);
        if (isColumnHidden(logical))
            continue;
        const int lastPixel = columnViewportPosition(logical) + columnWidth(logical) - 1;
        if (qAbs(x - lastPixel) <= 2)
            return col;
    }
    return -1;
}

void TStringGrid::mousePressEvent(QMouseEvent *event)
{
    FMouseMode = MouseNone;
    FDragStarted = false;
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->position().toPoint();
    const int row = rowAt(p.y());
    if (row >= 0 && row < FFixedRows) {
        // A press in a fixed row: sizing at a column border, otherwise moving the column.
        const int sizing = FColumnsSizable ? sizingColumnAt(p.x()) : -1;
        const int logical = columnAt(p.x());
        if (sizing >= 0) {
            FMouseMode = MouseSizing;
            FMouseColumn = sizing;
        } else if (FColumnsMovable && logical >= 0 && visualColumn(logical) >= FFixedCols) {
            FMouseMode = MouseMoving;
            FMouseColumn = visualColumn(logical);
        }
        FPressPos = p;
        return;
    }
    const QModelIndex index = indexAt(p);
    if (!index.isValid())
        return;
    const int col = visualColumn(index.column());
    if (isFixed(col, row))
        return;
    if (index != currentIndex()) {
        bool canSelect = false;
        Guarded([&] { canSelect = askSelect(col, row); });
        if (!canSelect)
            return;
    }
    QTableWidget::mousePressEvent(event);
}

void TStringGrid::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    switch (FMouseMode) {
    case MouseSizing: {
        const int logical = logicalColumn(FMouseColumn);
        setColumnWidth(logical, qMax(1, p.x() - columnViewportPosition(logical) + 1));
        return;
    }
    case MouseMoving:
        if (!FDragStarted
            && (p - FPressPos).manhattanLength() >= QApplication::startDragDistance()) {
            FDragStarted = true;
            viewport()->setCursor(Qt::SizeHorCursor);
        }
        return;
    case MouseNone:
        break;
    }
    if (event->buttons() == Qt::NoButton) {
        const int row = rowAt(p.y());
        const bool border
            = FColumnsSizable && row >= 0 && row < FFixedRows && sizingColumnAt(p.x()) >= 0;
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
    const MouseMode mode = FMouseMode;
    FMouseMode = MouseNone;
    if (mode == MouseNone) {
        QTableWidget::mouseReleaseEvent(event);
        return;
    }
    viewport()->unsetCursor();
    if (mode != MouseMoving || !FDragStarted)
        return;
    const QPoint p = event->position().toPoint();
    const int logical = columnAt(p.x());
    int target;
    if (logical >= 0)
        target = visualColumn(logical);
    else
        target = p.x() < 0 ? FFixedCols : columnCount() - 1;
    MoveColumn(FMouseColumn, qMax(target, FFixedCols));
}

// ---------------------------------------------------------------------------------------------
// Painting

void TStringGrid::PaintCell(
    QPainter &Painter, const QRect &Rect, int ACol, int ARow, TGridDrawState State)
{
    const QPalette &pal = palette();
    const bool fixed = State.testFlag(gdFixed);
    const bool highlighted = !fixed && State.testFlag(gdSelected) && !State.testFlag(gdFocused);
    QColor background, text;
    if (fixed) {
        background = ColorToQColor(FFixedColor, pal);
        text = pal.color(QPalette::ButtonText);
    } else if (highlighted) {
        background = pal.color(QPalette::Highlight);
        text = pal.color(QPalette::HighlightedText);
    } else {
        background = pal.color(QPalette::Base);
        text = pal.color(QPalette::Text);
    }
    Painter.save();
    Painter.setFont(font());
    Painter.setBrush(background);
    Painter.setPen(text);
    Painter.fillRect(Rect, background);
    if (FOnDrawCell) {
        const TDrawCellEvent handler = FOnDrawCell;
        handler(this, ACol, ARow, Rect, State, Painter);
    } else {
        Painter.drawText(Rect.adjusted(2, 2, 0, 0),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, Cells(ACol, ARow));
    }
    Painter.restore();
    if (State.testFlag(gdFocused)) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = Rect;
        option.backgroundColor = background;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &Painter, this);
    }
}

} // namespace Diduza
