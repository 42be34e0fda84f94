#pragma once

#include "diduzawidgets_export.h"
#include "platform/TColor.h"

#include <QFlags>
#include <QTableWidget>

#include <functional>
#include <memory>

class QPainter;

namespace Diduza {

class TStringGridPrivate;

/// The state of a cell being painted (see TDrawCellEvent).
enum TGridDrawStateFlag {
    gdSelected = 0x1, ///< the cell is selected
    gdFocused = 0x2, ///< the cell is the current cell of a grid that has the focus
    gdFixed = 0x4, ///< the cell lies in a fixed row or column
};
Q_DECLARE_FLAGS(TGridDrawState, TGridDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TGridDrawState)

/// Paints one cell. Rect is the cell without its grid lines, in the grid's viewport coordinates;
/// Canvas comes with the grid's font, the background the grid chose for the cell as its brush
/// and the matching text colour as its pen, and the cell already filled with that brush.
using TDrawCellEvent = std::function<void(QObject *Sender, int ACol, int ARow, const QRect &Rect,
    TGridDrawState State, QPainter &Canvas)>;
/// The user dragged the column at position FromIndex to position ToIndex.
using TMovedEvent = std::function<void(QObject *Sender, int FromIndex, int ToIndex)>;
/// Asked before a cell becomes the current cell; clearing CanSelect keeps the current cell.
using TSelectCellEvent = std::function<void(QObject *Sender, int ACol, int ARow, bool &CanSelect)>;
/// What a screen reader reads for a cell: Text comes as the cell's text.
using TCellTextEvent = std::function<void(QObject *Sender, int ACol, int ARow, QString &Text)>;

/// A grid of texts whose first rows and columns are fixed: they are real cells, painted in the
/// fixed colour, never current and never selected. The fixed rows stay at the top and the fixed
/// columns at the left while the other cells scroll beneath them (scrolling is per pixel); a
/// fixed row's cells follow their columns sideways and a fixed column's cells follow their rows
/// up and down. Every column index of this class is a
/// position the user sees: when the user drags a column elsewhere (by its cell in a fixed row),
/// its texts move with it, and column 1 is whatever column stands at position 1. The fixed
/// columns cannot be moved and nothing can be moved in front of them.
///
/// Column widths and row heights are those of the cells; one pixel of grid line follows each.
/// Reducing RowCount hides the rows beyond the count: their texts stay, can be read and written,
/// and show again when the count grows.
///
/// For assistive technology the grid is a table whose rows are named by the text of their cell
/// in the first fixed column and whose columns by that of their cell in the first fixed row
/// (the item view's hidden headers carry them), each cell read as OnGetAccessibleText says.
class DIDUZAWIDGETS_EXPORT TStringGrid : public QTableWidget {
    Q_OBJECT
public:
    /// A grid of 5 x 5 cells of 64 x 24 pixels, one fixed row and one fixed column, the first
    /// scrolling cell current; moving and sizing columns off.
    explicit TStringGrid(QWidget *parent = nullptr);
    /// Deletes the cells with the grid; no signal of the table reaches the grid's own part any
    /// more.
    ~TStringGrid() override;

    /// The columns the grid shows (the table's columnCount() may hold one more, hidden, kept
    /// for the next column added at the end).
    int ColCount() const;
    /// Adds empty columns at the right end, or deletes columns from the right end.
    void SetColCount(int Value);
    /// The rows the grid shows (see SetRowCount).
    int RowCount() const;
    /// Shows Value rows (at least none); rows beyond it are hidden, not deleted, and keep their
    /// texts.
    void SetRowCount(int Value);
    /// The number of fixed columns at the left (see SetFixedCols).
    int FixedCols() const;
    /// Makes the first Value columns fixed (at least none).
    void SetFixedCols(int Value);
    /// The number of fixed rows at the top (see SetFixedRows).
    int FixedRows() const;
    /// Makes the first Value rows fixed (at least none).
    void SetFixedRows(int Value);

    /// The width of a new column in pixels, grid line not included (see SetDefaultColWidth).
    int DefaultColWidth() const;
    /// Also sets the width of every column.
    void SetDefaultColWidth(int Value);
    /// The height of every row in pixels, grid line not included (see SetDefaultRowHeight).
    int DefaultRowHeight() const;
    /// Also sets the height of every row.
    void SetDefaultRowHeight(int Value);
    /// The width of the column at position ACol, grid line not included; 0 outside the columns.
    int ColWidths(int ACol) const;
    /// Sets that width (at least 0); a position outside the columns is ignored.
    void SetColWidths(int ACol, int Value);

    /// The user may drag columns to other positions, and resize them, by their fixed-row cells.
    bool ColumnsMovable() const;
    /// See ColumnsMovable.
    void SetColumnsMovable(bool Value);
    /// The user may resize columns by dragging a border in a fixed row.
    bool ColumnsSizable() const;
    /// See ColumnsSizable.
    void SetColumnsSizable(bool Value);

    /// The background of the fixed cells (see SetFixedColor).
    TColor FixedColor() const;
    /// Sets that background and repaints.
    void SetFixedColor(TColor Value);

    /// The text of a cell; empty outside the grid. Hidden rows keep and give their texts.
    QString Cells(int ACol, int ARow) const;
    /// Changes whenever a cell's content changes or rows or columns are added, removed or
    /// moved, by any means; what is derived from the cells is current while it stays the same.
    quint64 CellsVersion() const;
    /// Writes a cell; a cell outside the columns or the stored rows is ignored.
    void SetCells(int ACol, int ARow, const QString &Value);
    /// Empties every cell of a column, hidden rows included.
    void ClearColumn(int ACol);
    /// Deletes the column at position ACol; the columns to its right move one position left.
    void DeleteColumn(int ACol);
    /// Moves the column at position FromIndex to position ToIndex, as the user's drag does.
    void MoveColumn(int FromIndex, int ToIndex);

    /// The rectangle of a cell without its grid lines, in the grid's own coordinates, where the
    /// cell shows at the present scroll position; empty for a cell outside the grid or in a
    /// hidden row. A scrolling cell that passed under the fixed cells is covered by them.
    QRect CellRect(int ACol, int ARow) const;
    /// The cell at a point of the grid's own coordinates; false when there is none.
    bool MouseToCell(const QPoint &Point, int &ACol, int &ARow) const;

    /// The current cell (-1 when there is none).
    int Col() const;
    /// See Col.
    int Row() const;
    /// Makes a cell current and selected, after asking OnSelectCell; a fixed cell is refused.
    bool SetCurrentCell(int ACol, int ARow);

    /// Paints a cell in place of the grid's own drawing of its text (see PaintCell).
    TDrawCellEvent OnDrawCell() const;
    /// See OnDrawCell.
    void SetOnDrawCell(TDrawCellEvent Value);
    /// Fired after the user dragged a column to another position (not by MoveColumn).
    TMovedEvent OnColumnMoved() const;
    /// See OnColumnMoved.
    void SetOnColumnMoved(TMovedEvent Value);
    /// Asked before a press, a key or SetCurrentCell makes a cell current.
    TSelectCellEvent OnSelectCell() const;
    /// See OnSelectCell.
    void SetOnSelectCell(TSelectCellEvent Value);
    /// Changes the text a screen reader reads for a cell (see AccessibleText).
    TCellTextEvent OnGetAccessibleText() const;
    /// See OnGetAccessibleText.
    void SetOnGetAccessibleText(TCellTextEvent Value);
    /// The text a screen reader reads for a cell: its text, as OnGetAccessibleText changes it.
    QString AccessibleText(int ACol, int ARow) const;

    /// Paints one cell (the item delegate calls it).
    void PaintCell(QPainter &Painter, const QRect &Rect, int ACol, int ARow, TGridDrawState State);

    /// Item-view geometry that knows where the fixed cells stay.
    QModelIndex indexAt(const QPoint &point) const override;
    /// Where the cell of index shows, in viewport coordinates; empty for a hidden row or column.
    QRect visualRect(const QModelIndex &index) const override;
    /// Scrolls a scrolling cell into the part of the viewport the fixed cells leave free; fixed
    /// rows and columns never scroll.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

protected:
    /// Paints the scrolling cells, then the fixed cells over them, corner last.
    void paintEvent(QPaintEvent *event) override;
    /// Scrolls, then repaints the fixed cells in their place.
    void scrollContentsBy(int dx, int dy) override;
    /// Moves the current cell by key, never onto a fixed cell, and only when OnSelectCell agrees.
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    /// A press in a fixed row starts sizing (at a column border) or moving a column; a press on a
    /// scrolling cell makes it current when OnSelectCell agrees; fixed cells are never selected.
    void mousePressEvent(QMouseEvent *event) override;
    /// Sizes or drags the pressed column; otherwise sets the sizing cursor over a column border.
    void mouseMoveEvent(QMouseEvent *event) override;
    /// Ends sizing, or drops a dragged column at the position under the mouse (never in front of
    /// the fixed columns) and fires OnColumnMoved.
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    /// The private state.
    std::unique_ptr<TStringGridPrivate> d;
};

} // namespace Diduza
