#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilder_p.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/TSchemaUndoGroup.h"
#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/DialogService.h"
#include "platform/DrawingSuspension.h"
#include "platform/Exceptions.h"
#include "platform/ResourceStrings.h"
#include "platform/TImageList.h"
#include "platform/TStringList.h"
#include "platform/VisibleText.h"
#include "querybuilder/QueryGenerator.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextOption>
#include <QToolTip>
#include <QUndoCommand>
#include <QVBoxLayout>

namespace Diduza {

// Shows or hides the having row: the designed grid has 6 or 7 rows; the extended one keeps
// its rows below and hides the having row instead.
void showHavingRow(TfrmZkSQLBuilder *form, bool shown)
{
    TStringGrid *grid = form->sgColumnGrid;
    if (form->ExtendedGrid()) {
        grid->SetRowCount(LastGridRow + 1);
        grid->setRowHidden(RowHaving, !shown);
    } else {
        grid->SetRowCount(shown ? RowHaving + 1 : RowHaving);
    }
}

bool anyGrouped(const TStringGrid *grid)
{
    for (int col = 1; col < grid->ColCount(); ++col) {
        if (grid->Cells(col, RowGrouping) == QLatin1String("1"))
            return true;
    }
    return false;
}

std::optional<QueryTable> tableOf(TSchemaDesignArea *area, TSchemaItem *item)
{
    if (!item)
        return std::nullopt;
    return QueryTable { item->Caption(), area ? area->GetItemIndex(item) : -1, item, {} };
}

// The row that stands for all of an item's fields: its first row named "*" (the one the form
// gives each item first, or the file's), as against a real column named "*" after it.
bool isAllFieldsRow(const TSchemaSubItem *row)
{
    const TSchemaItem *item = row ? row->ItemOwner() : nullptr;
    return item && row->Caption() == AllFields && item->GetSubItemByName(AllFields) == row;
}

std::optional<QueryField> fieldOf(TSchemaSubItem *row)
{
    if (!row)
        return std::nullopt;
    return QueryField { row->Caption(), row, isAllFieldsRow(row) };
}

namespace {

// A cell's text on one line, cut with an ellipsis when it is wider than the cell (the whole
// text is the cell's tool tip; only its visible part is measured); trailing blanks count in
// right alignment.
void drawCellText(QPainter &canvas, const QRect &rect, const QString &text, Qt::Alignment align)
{
    const QString shown
        = canvas.fontMetrics().elidedText(VisibleText(text), Qt::ElideRight, rect.width());
    QTextOption option(align | Qt::AlignTop);
    option.setWrapMode(QTextOption::NoWrap);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    canvas.drawText(QRectF(rect), shown, option);
}

// The nearest logical coordinate from v (v itself, then one either way, then two...) that lies
// on a whole device pixel, given where its coordinates start in the window.
int onDevicePixel(int v, int origin, qreal ratio)
{
    for (const int d : { 0, 1, -1, 2, -2, 3, -3 }) {
        const qreal device = (v + d + origin) * ratio;
        if (qAbs(device - qRound(device)) < 1e-6)
            return v + d;
    }
    return v;
}

// Where the check box of a grouping cell stands: centred in the cell's drawing rectangle R (in
// coordinates that start at origin in the window) and on whole device pixels, so that at a
// fractional scale (1.5) its frame is as even as at 1.
QRect checkBoxGlyph(const QRect &R, const QSize &glyph, const QPoint &origin, qreal ratio)
{
    const int left = onDevicePixel(R.left() + (R.width() - glyph.width()) / 2, origin.x(), ratio);
    const int top = onDevicePixel(R.top() + (R.height() - glyph.height()) / 2, origin.y(), ratio);
    return QRect(
        left, top, onDevicePixel(glyph.width(), 0, ratio), onDevicePixel(glyph.height(), 0, ratio));
}

// The drawing rectangle of a cell: less 2 pixels left and top, 1 right.
QRect drawingRect(const QRect &cell)
{
    return QRect(cell.left() + 2, cell.top() + 2, cell.width() - 3, cell.height() - 2);
}

// A column the user dragged elsewhere.
class GridMoveCommand : public QUndoCommand {
public:
    GridMoveCommand(TfrmZkSQLBuilder *form, QUndoCommand *parent, int from, int to)
        : QUndoCommand(parent)
        , FForm(form)
        , FFrom(from)
        , FTo(to)
    {
    }
    void undo() override
    {
        if (FForm)
            FForm->sgColumnGrid->MoveColumn(FTo, FFrom);
    }
    void redo() override
    {
        if (FForm)
            FForm->sgColumnGrid->MoveColumn(FFrom, FTo);
    }

private:
    QPointer<TfrmZkSQLBuilder> FForm;
    int FFrom, FTo;
};

} // namespace

// A grid cell's value set back and forth.
class GridCellCommand : public QUndoCommand {
public:
    GridCellCommand(TfrmZkSQLBuilder *form, QUndoCommand *parent, int col, int row,
        const QString &before, const QString &after)
        : QUndoCommand(parent)
        , FForm(form)
        , FCol(col)
        , FRow(row)
        , FBefore(before)
        , FAfter(after)
    {
    }
    void undo() override { apply(FBefore); }
    void redo() override { apply(FAfter); }

private:
    void apply(const QString &value)
    {
        if (!FForm)
            return;
        TStringGrid *grid = FForm->sgColumnGrid;
        grid->SetCells(FCol, FRow, value);
        if (FRow == RowGrouping)
            showHavingRow(FForm, anyGrouped(grid));
    }
    QPointer<TfrmZkSQLBuilder> FForm;
    int FCol, FRow;
    QString FBefore, FAfter;
};

// A column that names no row (one that counts the rows, a calculated one) removed: undo puts
// it back at its place with its cells, redo removes it again.
class GridFreeColumnCommand : public QUndoCommand {
public:
    GridFreeColumnCommand(
        TfrmZkSQLBuilder *form, QUndoCommand *parent, int col, const QStringList &cells)
        : QUndoCommand(parent)
        , FForm(form)
        , FCol(col)
        , FCells(cells)
    {
    }
    void undo() override
    {
        if (!FForm)
            return;
        TStringGrid *grid = FForm->sgColumnGrid;
        int col = grid->ColCount() - 1;
        if (!grid->Cells(col, RowField).isEmpty()) {
            grid->SetColCount(grid->ColCount() + 1);
            col = grid->ColCount() - 1;
        }
        for (int r = RowField; r <= LastGridRow && r < FCells.size(); ++r)
            grid->SetCells(col, r, FCells.at(r));
        if (col != FCol && FCol < grid->ColCount())
            grid->MoveColumn(col, FCol);
    }
    void redo() override
    {
        TStringGrid *grid = FForm ? FForm->sgColumnGrid : nullptr;
        if (!grid || FCol >= grid->ColCount() || grid->Cells(FCol, RowField) != FCells.value(0))
            return;
        grid->ClearColumn(FCol);
        if (!(FCol == 1 && FCol == grid->ColCount() - 1))
            grid->DeleteColumn(FCol);
    }

private:
    QPointer<TfrmZkSQLBuilder> FForm;
    int FCol;
    QStringList FCells;
};

void RecordGridCell(TfrmZkSQLBuilder *form, QUndoCommand *parent, int col, int row,
    const QString &before, const QString &after)
{
    if (parent && before != after)
        new GridCellCommand(form, parent, col, row, before, after);
}

// A field column removed with its row's untick: undo puts it back at its place with its cells
// (before the row is ticked again, which then finds its column), redo removes it if the untick
// has not.
class GridColumnCommand : public QUndoCommand {
public:
    GridColumnCommand(TfrmZkSQLBuilder *form, QUndoCommand *parent, int col, int item, int row,
        const QStringList &cells)
        : QUndoCommand(parent)
        , FForm(form)
        , FCol(col)
        , FItem(item)
        , FRow(row)
        , FCells(cells)
    {
    }
    void undo() override
    {
        TSchemaSubItem *row = subItem();
        if (!row)
            return;
        TStringGrid *grid = FForm->sgColumnGrid;
        int col = -1;
        for (int c = 1; c < grid->ColCount() && col < 0; ++c) {
            if (FForm->ReferencedSubItem(grid->Cells(c, RowField)) == row)
                col = c;
        }
        if (col < 0) {
            col = grid->ColCount() - 1;
            if (!grid->Cells(col, RowField).isEmpty()) {
                grid->SetColCount(grid->ColCount() + 1);
                col = grid->ColCount() - 1;
            }
        }
        grid->SetCells(col, RowField, FForm->SubItemReference(row));
        for (int r = RowTable; r <= LastGridRow && r < FCells.size(); ++r)
            grid->SetCells(col, r, FCells.at(r));
        if (col != FCol && FCol < grid->ColCount())
            grid->MoveColumn(col, FCol);
    }
    void redo() override
    {
        TSchemaSubItem *row = subItem();
        TStringGrid *grid = FForm ? FForm->sgColumnGrid : nullptr;
        for (int c = 1; row && grid && c < grid->ColCount(); ++c) {
            if (FForm->ReferencedSubItem(grid->Cells(c, RowField)) == row) {
                grid->ClearColumn(c);
                if (!(c == 1 && c == grid->ColCount() - 1))
                    grid->DeleteColumn(c);
                return;
            }
        }
    }

private:
    TSchemaSubItem *subItem() const
    {
        TSchemaItem *item = FForm ? FForm->SchemaDesignArea->GetItem(FItem) : nullptr;
        return item ? item->GetSubItem(FRow) : nullptr;
    }
    QPointer<TfrmZkSQLBuilder> FForm;
    int FCol, FItem, FRow;
    QStringList FCells;
};

// ---------------------------------------------------------------------------------------------
// The column grid

int TfrmZkSQLBuilderGrid::columnOf(const TSchemaSubItem *SubItem) const
{
    const QVector<int> columns = columnsOf(SubItem);
    return columns.isEmpty() ? -1 : columns.last();
}

QVector<int> TfrmZkSQLBuilderGrid::columnsOf(const TSchemaSubItem *SubItem) const
{
    if (!SubItem)
        return {};
    if (FColumnOfRowVersion != q->sgColumnGrid->CellsVersion()) {
        FColumnsOfRow.clear();
        for (int col = 1; col < q->sgColumnGrid->ColCount(); ++col) {
            if (TSchemaSubItem *row = q->ReferencedSubItem(q->sgColumnGrid->Cells(col, RowField)))
                FColumnsOfRow[row].append(col);
        }
        FColumnOfRowVersion = q->sgColumnGrid->CellsVersion();
    }
    const QVector<int> columns = FColumnsOfRow.value(SubItem);
    for (const int col : columns) {
        if (q->ReferencedSubItem(q->sgColumnGrid->Cells(col, RowField)) != SubItem) {
            // A row freed since left its address to this one: walk the grid again.
            FColumnOfRowVersion = ~quint64(0);
            return columnsOf(SubItem);
        }
    }
    return columns;
}

void TfrmZkSQLBuilderGrid::removeColumn(int ACol)
{
    // Within a step (an untick), the column's place and cells come back with its undo.
    if (QUndoCommand *parent
        = q->SchemaDesignArea ? q->SchemaDesignArea->UndoGroupCommand() : nullptr) {
        QStringList cells;
        for (int r = RowField; r <= LastGridRow; ++r)
            cells << q->sgColumnGrid->Cells(ACol, r);
        if (TSchemaSubItem *row = q->ReferencedSubItem(q->sgColumnGrid->Cells(ACol, RowField)))
            new GridColumnCommand(q, parent, ACol,
                TSchemaUndoGroup::ItemPosition(q->SchemaDesignArea, row->ItemOwner()),
                row->ItemOwner()->GetIndexBySubItem(row), cells);
        else if (!cells.first().isEmpty())
            new GridFreeColumnCommand(q, parent, ACol, cells);
    }
    const bool indexed = FColumnOfRowVersion == q->sgColumnGrid->CellsVersion();
    const TSchemaSubItem *row = q->ReferencedSubItem(q->sgColumnGrid->Cells(ACol, RowField));
    const int last = q->sgColumnGrid->ColCount() - 1;
    q->sgColumnGrid->ClearColumn(ACol);
    const bool deleted = !(ACol == 1 && ACol == last);
    if (deleted)
        q->sgColumnGrid->DeleteColumn(ACol);
    if (indexed) {
        if (const auto columns = FColumnsOfRow.find(row); columns != FColumnsOfRow.end()) {
            columns->removeOne(ACol);
            if (columns->isEmpty())
                FColumnsOfRow.erase(columns);
        }
        if (deleted && ACol != last) {
            for (QVector<int> &columns : FColumnsOfRow) {
                for (int &col : columns) {
                    if (col > ACol)
                        --col;
                }
            }
        }
        FColumnOfRowVersion = q->sgColumnGrid->CellsVersion();
    }
    bool canSelect = true;
    q->sgColumnGridSelectCell(q->sgColumnGrid, 1, RowTable, canSelect);
}

void TfrmZkSQLBuilderGrid::ItemCheckClick(QObject *Sender)
{
    auto *subItem = qobject_cast<TSchemaSubItem *>(Sender);
    if (!subItem)
        return;
    TSchemaItem *item = subItem->ItemOwner();
    if (!item || item->Designer() != q->SchemaDesignArea)
        return; // not a row of this form's diagram
    QPointer<TSchemaSubItem> guard(subItem);

    q->pcSQL->setCurrentWidget(q->tsColumns);

    // "*" and the single fields of one item exclude each other. Each untick that changes a
    // row comes back here for that row and removes its column.
    if (subItem->Checked()) {
        if (isAllFieldsRow(subItem)) {
            for (int i = 0; i < item->GetSubItemCount(); ++i) {
                TSchemaSubItem *other = item->GetSubItem(i);
                if (other && other != subItem)
                    other->SetChecked(false);
            }
        } else {
            // Items loaded from a schema file may have a real field as their first row.
            TSchemaSubItem *first = item->GetSubItem(0);
            if (first && first != subItem && isAllFieldsRow(first))
                first->SetChecked(false);
        }
    }
    if (!guard)
        return;

    // The extended grid may hold the field in more columns than one.
    const QVector<int> columns = columnsOf(subItem);
    if (!columns.isEmpty() && !subItem->Checked()) {
        // From the last: the places of the others stay.
        for (auto col = columns.crbegin(); col != columns.crend(); ++col)
            removeColumn(*col);
    } else if (columns.isEmpty() && subItem->Checked()) {
        const QString reference = q->SubItemReference(subItem);
        const bool indexed = FColumnOfRowVersion == q->sgColumnGrid->CellsVersion();
        int last = q->sgColumnGrid->ColCount() - 1;
        if (!q->sgColumnGrid->Cells(last, RowField).isEmpty()) {
            q->sgColumnGrid->SetColCount(q->sgColumnGrid->ColCount() + 1);
            last = q->sgColumnGrid->ColCount() - 1;
        }
        q->sgColumnGrid->SetCells(last, RowField, reference);
        q->sgColumnGrid->SetCells(last, RowTable, item->Caption());
        if (d->FExtendedGrid)
            q->sgColumnGrid->SetCells(last, RowShow, QStringLiteral("1"));
        if (indexed) {
            FColumnsOfRow[subItem].append(last);
            FColumnOfRowVersion = q->sgColumnGrid->CellsVersion();
        }
    }
}

void TfrmZkSQLBuilderGrid::hideEditors()
{
    for (QWidget *editor : std::initializer_list<QWidget *> {
             q->cbTables, q->cbValues, q->cbSorting, q->edWhere, q->cbGroupBy, q->cbFields })
        editor->hide();
    FEditCol = FEditRow = -1;
}

void TfrmZkSQLBuilderGrid::sgColumnGridSelectCell(QObject *, int ACol, int ARow, bool &CanSelect)
{
    hideEditors();
    CanSelect = true;
    // The extended grid's Field row takes an expression, also in the empty last column.
    const QString field = q->sgColumnGrid->Cells(ACol, RowField);
    if (d->FExtendedGrid && ARow == RowField && ACol > 0 && field != AllRowsCell
        && (!field.isEmpty() || ACol == q->sgColumnGrid->ColCount() - 1)) {
        openFieldEditor(ACol);
        return;
    }
    if (field.isEmpty())
        return;
    if (ACol == 0 || ARow == 0)
        return;
    QWidget *editor = nullptr;
    switch (ARow) {
    case RowTable:
        editor = q->cbTables;
        break;
    case RowCalculate:
        editor = q->cbValues;
        break;
    case RowSort:
        editor = q->cbSorting;
        break;
    case RowWhere:
    case RowHaving:
        editor = q->edWhere;
        break;
    case RowGrouping:
        editor = q->cbGroupBy;
        break;
    case RowShow:
        editor = d->FExtendedGrid ? q->cbGroupBy : nullptr;
        break;
    case RowAlias:
    case RowSortOrder:
        editor = d->FExtendedGrid ? q->edWhere : nullptr;
        break;
    default:
        return;
    }
    // A column that counts the rows has no table and no other aggregate; a calculated one no
    // table.
    if (!editor
        || (q->sgColumnGrid->Cells(ACol, RowField) == AllRowsCell
            && (ARow == RowTable || ARow == RowCalculate))
        || (q->IsCalculatedColumn(ACol) && ARow == RowTable))
        return;
    QRect cell = q->sgColumnGrid->CellRect(ACol, ARow);
    if (cell.isNull())
        return; // a hidden row
    cell.translate(q->sgColumnGrid->pos());
    const int left = cell.left();
    const int top = cell.top();
    const int right = cell.left() + cell.width();
    const int bottom = cell.top() + cell.height();
    const QString text = q->sgColumnGrid->Cells(ACol, ARow);
    if (editor == q->cbGroupBy) {
        // Exactly over the box the cell shows (in viewport coordinates), so that the box does
        // not move as it opens.
        QWidget *viewport = q->sgColumnGrid->viewport();
        const QRect painted = q->sgColumnGrid->CellRect(ACol, ARow).translated(-viewport->pos());
        q->cbGroupBy->setGeometry(checkBoxGlyph(drawingRect(painted),
            QSize(TfrmZkSQLBuilderFields::checkWidth(q), TfrmZkSQLBuilderFields::checkHeight(q)),
            viewport->mapTo(q->window(), QPoint()), q->devicePixelRatioF())
                                      .translated(viewport->mapTo(q->tsColumns, QPoint())));
        q->cbGroupBy->setChecked(
            ARow == RowShow ? text != QLatin1String("0") : text == QLatin1String("1"));
    } else {
        // Over the cell and inside its grid lines, not over the next cells.
        editor->setGeometry(left, top, right - left, bottom - top);
        if (auto *list = qobject_cast<QComboBox *>(editor))
            list->setCurrentIndex(list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
        else
            q->edWhere->setText(text);
        if (editor == q->cbValues) {
            // The extended grid counts a table's rows ("*") and offers nothing else there.
            const bool allFields = d->FExtendedGrid
                && isAllFieldsRow(q->ReferencedSubItem(q->sgColumnGrid->Cells(ACol, RowField)));
            if (auto *entries = qobject_cast<QListView *>(q->cbValues->view())) {
                for (int i = 1; i < q->cbValues->count(); ++i)
                    entries->setRowHidden(
                        i, allFields && q->cbValues->itemText(i) != LoadResString(_strValueCOUNT));
            }
        }
    }
    FEditCol = ACol;
    FEditRow = ARow;
    editor->show();
    editor->raise();
    // Not from the diagram: a row ticked there keeps the focus, so that the next keys (Down to
    // the next row) do not change the table in the editor.
    QWidget *focus = q->focusWidget(); // the form's
    if (!focus || (focus != q->SchemaDesignArea && !q->SchemaDesignArea->isAncestorOf(focus)))
        editor->setFocus();
}

void TfrmZkSQLBuilderGrid::cbInplaceChange(QObject *Sender)
{
    // The value goes to the cell the editor was placed over, which is the grid's current cell
    // unless the editor was opened by a column's removal.
    const int col = FEditCol;
    const int row = FEditRow;
    const QString before = q->sgColumnGrid->Cells(col, row);
    const auto record = qScopeGuard([&] {
        const QString after = q->sgColumnGrid->Cells(col, row);
        TSchemaUndoGroup step(q->SchemaDesignArea,
            TfrmZkSQLBuilder::tr("Edit %1").arg(
                TSchemaUndoGroup::StepName(q->sgColumnGrid->Cells(0, row))));
        if (QUndoCommand *parent = step.Command(); parent && after != before)
            new GridCellCommand(q, parent, col, row, before, after);
    });
    if (auto *list = qobject_cast<QComboBox *>(Sender)) {
        if (row == RowCalculate && list->currentIndex() > 0) {
            TSchemaSubItem *subItem = q->ReferencedSubItem(q->sgColumnGrid->Cells(col, RowField));
            if (isAllFieldsRow(subItem)) {
                // The extended grid counts the rows in a column of its own: Count on "*"
                // adds it. The designed grid refuses every aggregate of "*".
                const bool count
                    = d->FExtendedGrid && list->currentText() == LoadResString(_strValueCOUNT);
                list->setCurrentIndex(0);
                if (count)
                    q->AddAllRowsColumn();
                else
                    DialogService()->ShowWarning(q, LoadResString(_smsAggIsNotAllowed));
            }
        }
        q->sgColumnGrid->SetCells(col, row, list->currentText());
        list->hide();
    } else if (Sender == q->cbGroupBy && row == RowShow) {
        q->sgColumnGrid->SetCells(
            col, RowShow, q->cbGroupBy->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        q->cbGroupBy->hide();
    } else if (Sender == q->cbGroupBy) {
        const bool ticked = q->cbGroupBy->isChecked();
        q->sgColumnGrid->SetCells(
            col, RowGrouping, ticked ? QStringLiteral("1") : QStringLiteral("0"));
        showHavingRow(q, ticked);
        q->cbGroupBy->hide();
        if (ticked) {
            // The having row may appear below the page's visible part: bring it into view.
            // It is the grid's last row: lay the grid out now and scroll to its bottom.
            q->sgColumnGrid->doItemsLayout();
            q->sgColumnGrid->verticalScrollBar()->setValue(
                q->sgColumnGrid->verticalScrollBar()->maximum());
        }
    } else if (Sender == q->edWhere) {
        q->sgColumnGrid->SetCells(col, row, q->edWhere->text());
        q->edWhere->hide();
    }
    if (q->pcSQL->currentWidget() == q->tsColumns)
        q->sgColumnGrid->setFocus();
}

bool TfrmZkSQLBuilderGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == q->pnlToolbar && event->type() == QEvent::Resize && !d->FDestroying)
        Guarded([&] { q->pnlToolbarResize(q->pnlToolbar); });
    if (q->sgColumnGrid && watched == q->sgColumnGrid->viewport()
        && event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QString tip
            = q->CellToolTip(q->sgColumnGrid->viewport()->mapTo(q->sgColumnGrid, help->pos()));
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, q->sgColumnGrid->viewport());
        return true;
    }
    // Return in the edit commits its text (and goes no further: it is not the dialog's OK).
    if (!d->FDestroying && watched == q->edWhere && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Guarded([&] {
                if (!q->edWhere->isHidden())
                    q->cbInplaceChange(q->edWhere);
            });
            return true;
        }
    }
    // Return in the Field row's editor commits the typed text; a text of the list is the
    // list's pick. Escape leaves the cell as it was. (The keys come to the list, which hands
    // them to its line on; a test may send them to the line itself.)
    const bool fieldEditor
        = q->cbFields && (watched == q->cbFields || watched == q->cbFields->lineEdit());
    if (!d->FDestroying && fieldEditor && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape) {
            hideEditors();
            q->sgColumnGrid->setFocus();
            return true;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter)
            && q->cbFields->findText(
                   q->cbFields->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive)
                < 0) {
            Guarded([&] { commitFieldText(FEditCol, q->cbFields->currentText()); });
            return true;
        }
    }
    if (!d->FDestroying && fieldEditor && event->type() == QEvent::FocusOut
        && q->cbFields->isVisible()) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            Guarded([&] { commitFieldText(FEditCol, q->cbFields->currentText()); });
    }
    // A click on the current cell, whose editor is not shown (the grid made it current when it
    // began, or an editor committed), places the editor as a click on another cell does; so
    // does a click on a Field cell of the extended grid, whose fixed row the grid never makes
    // current.
    if (q->sgColumnGrid && watched == q->sgColumnGrid->viewport()
        && event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        int col = -1;
        int row = -1;
        bool shown = false;
        for (QWidget *editor : std::initializer_list<QWidget *> {
                 q->cbTables, q->cbValues, q->cbSorting, q->edWhere, q->cbGroupBy, q->cbFields })
            shown = shown || (editor && editor->isVisible());
        if (!shown && mouse->button() == Qt::LeftButton
            && q->sgColumnGrid->MouseToCell(
                q->sgColumnGrid->viewport()->mapTo(q->sgColumnGrid, mouse->position().toPoint()),
                col, row)
            && ((col == q->sgColumnGrid->Col() && row == q->sgColumnGrid->Row())
                || (d->FExtendedGrid && row == RowField && col > 0))) {
            bool select = true;
            Guarded([&] { q->sgColumnGridSelectCell(q->sgColumnGrid, col, row, select); });
        }
    }
    // The click that opens a grouping cell's check box ticks it too: one click, as on any box.
    if (q->sgColumnGrid && watched == q->sgColumnGrid->viewport()
        && event->type() == QEvent::MouseButtonRelease && q->cbGroupBy->isVisible()
        && (FEditRow == RowGrouping || (d->FExtendedGrid && FEditRow == RowShow))) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        int col = -1;
        int row = -1;
        if (mouse->button() == Qt::LeftButton
            && q->sgColumnGrid->MouseToCell(
                q->sgColumnGrid->viewport()->mapTo(q->sgColumnGrid, mouse->position().toPoint()),
                col, row)
            && col == FEditCol && row == FEditRow)
            q->cbGroupBy->toggle();
    }
    // The click that places a drop-down list over its cell opens the list too.
    if (q->sgColumnGrid && watched == q->sgColumnGrid->viewport()
        && event->type() == QEvent::MouseButtonRelease && FEditCol > 0) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        QComboBox *list = nullptr;
        for (QComboBox *editor : { q->cbTables, q->cbValues, q->cbSorting }) {
            if (editor->isVisible())
                list = editor;
        }
        int col = -1;
        int row = -1;
        if (list && mouse->button() == Qt::LeftButton
            && q->sgColumnGrid->MouseToCell(
                q->sgColumnGrid->viewport()->mapTo(q->sgColumnGrid, mouse->position().toPoint()),
                col, row)
            && col == FEditCol && row == FEditRow)
            Guarded([&] { list->showPopup(); });
    }
    // The exit of the edit and of the check box commits their value.
    if (!d->FDestroying && event->type() == QEvent::FocusOut
        && (watched == q->edWhere || watched == q->cbGroupBy)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (static_cast<QWidget *>(watched)->isVisible() && reason != Qt::ActiveWindowFocusReason
            && reason != Qt::PopupFocusReason)
            Guarded([&] { q->cbInplaceChange(watched); });
    }
    return false;
}

void TfrmZkSQLBuilderGrid::sgColumnGridDrawCell(
    QObject *, int ACol, int ARow, const QRect &Rect, TGridDrawState, QPainter &Canvas)
{
    const QRect R = drawingRect(Rect);
    const QString text = q->sgColumnGrid->Cells(ACol, ARow);
    QFont bold = Canvas.font();
    bold.setBold(true);
    if (ARow == RowField) {
        Canvas.setFont(bold);
        const QColor fixed
            = ColorToQColor(q->sgColumnGrid->FixedColor(), q->sgColumnGrid->palette());
        Canvas.setBrush(fixed);
        Canvas.fillRect(R, fixed);
        if (TSchemaSubItem *subItem = q->ReferencedSubItem(text)) {
            drawCellText(Canvas, R, subItem->Caption(), Qt::AlignHCenter);
        } else if (d->FExtendedGrid && ACol > 0 && text == AllRowsCell) {
            drawCellText(Canvas, R, text, Qt::AlignHCenter);
        } else if (d->FExtendedGrid && ACol > 0 && TfrmZkSQLBuilderGrid::isCalculatedCell(text)) {
            // The expression, in the palette's link colour; one that does not read is marked.
            const bool sound = readCell(text).Ok;
            QFont shown = bold;
            shown.setItalic(true);
            Canvas.setFont(shown);
            Canvas.setPen(
                sound ? q->sgColumnGrid->palette().color(QPalette::Text) : QColor(Qt::red));
            drawCellText(Canvas, R,
                (sound ? QString() : QStringLiteral("\u26a0 "))
                    + renderExpression(text).simplified(),
                Qt::AlignHCenter);
        }
        return;
    }
    Canvas.fillRect(R, Canvas.brush());
    if (ACol == 0) {
        Canvas.setFont(bold);
        drawCellText(Canvas, R, text + QLatin1Char(' '), Qt::AlignRight);
    } else if (ARow == RowGrouping || (d->FExtendedGrid && ARow == RowShow)) {
        // Under the check-box editor the editor alone shows the box.
        if (!(q->cbGroupBy->isVisible() && FEditCol == ACol && FEditRow == ARow))
            q->DrawCheckBox(Canvas, R,
                ARow == RowShow ? text != QLatin1String("0") : text == QLatin1String("1"));
    } else {
        drawCellText(Canvas, R, text, Qt::AlignLeft);
    }
}

QString TfrmZkSQLBuilderGrid::CellToolTip(const QPoint &Point) const
{
    int col = -1;
    int row = -1;
    if (!q->sgColumnGrid->MouseToCell(Point, col, row)
        || (col > 0 && (row == RowGrouping || (d->FExtendedGrid && row == RowShow))))
        return QString();
    QString text = q->sgColumnGrid->Cells(col, row);
    if (row == RowField && col > 0 && q->IsCalculatedColumn(col)) {
        // The whole expression, and why it cannot be written.
        const QString error = q->ColumnExpressionError(col);
        return error.isEmpty() ? q->ColumnExpression(col)
                               : q->ColumnExpression(col) + QStringLiteral("\n\n") + error;
    }
    if (row == RowField && col > 0) {
        TSchemaSubItem *subItem = q->ReferencedSubItem(text);
        text = subItem ? subItem->Caption() : QString();
    }
    QFont font = q->sgColumnGrid->font();
    font.setBold(row == RowField || col == 0);
    const int room = q->sgColumnGrid->CellRect(col, row).width() - 3;
    return QFontMetrics(font).horizontalAdvance(text) > room ? text : QString();
}

void TfrmZkSQLBuilder::DrawCheckBox(QPainter &Canvas, const QRect &Rect, bool Ticked)
{
    QStyleOptionButton option;
    option.initFrom(sgColumnGrid);
    option.rect = checkBoxGlyph(Rect, QSize(FCheckWidth, FCheckHeight),
        sgColumnGrid->viewport()->mapTo(window(), QPoint()), sgColumnGrid->devicePixelRatioF());
    option.state = QStyle::State_Enabled | (Ticked ? QStyle::State_On : QStyle::State_Off);
    sgColumnGrid->style()->drawPrimitive(
        QStyle::PE_IndicatorCheckBox, &option, &Canvas, sgColumnGrid);
}

void TfrmZkSQLBuilder::GetCheckBoxSize()
{
    FCheckWidth = CheckBoxGlyphWidth();
    FCheckHeight = CheckBoxGlyphHeight();
}

// ---------------------------------------------------------------------------------------------
// The extended grid

void TfrmZkSQLBuilderGrid::SetExtendedGrid(bool Value)
{
    if (d->FExtendedGrid == Value)
        return;
    hideEditors();
    d->FExtendedGrid = Value;
    for (int k = 0; k < d->FBlocks.size(); ++k) {
        const TfrmZkSQLBuilderPrivate::BlockScope scope(d, k);
        applyExtendedGrid();
    }
    for (QWidget *w : std::initializer_list<QWidget *> { q->lblLimit, q->seLimit, q->seOffset })
        w->setVisible(Value);
    d->updateBlockBar();
}

void TfrmZkSQLBuilderGrid::applyExtendedGrid()
{
    const bool Value = d->FExtendedGrid;
    const bool grouped = anyGrouped(q->sgColumnGrid);
    if (Value) {
        q->sgColumnGrid->SetRowCount(LastGridRow + 1);
        q->sgColumnGrid->SetCells(0, RowShow, TfrmZkSQLBuilder::tr("Show"));
        q->sgColumnGrid->SetCells(0, RowAlias, TfrmZkSQLBuilder::tr("Alias"));
        q->sgColumnGrid->SetCells(0, RowSortOrder, TfrmZkSQLBuilder::tr("Sort order"));
        for (int col = 1; col < q->sgColumnGrid->ColCount(); ++col) {
            if (!q->sgColumnGrid->Cells(col, RowField).isEmpty()
                && q->sgColumnGrid->Cells(col, RowShow).isEmpty())
                q->sgColumnGrid->SetCells(col, RowShow, QStringLiteral("1"));
        }
    }
    showHavingRow(q, grouped);
    q->sgColumnGrid->viewport()->setContextMenuPolicy(
        Value ? Qt::CustomContextMenu : Qt::DefaultContextMenu);
    q->sgColumnGrid->viewport()->update();
}

int TfrmZkSQLBuilderGrid::appendColumn()
{
    int last = q->sgColumnGrid->ColCount() - 1;
    if (!q->sgColumnGrid->Cells(last, RowField).isEmpty()) {
        q->sgColumnGrid->SetColCount(q->sgColumnGrid->ColCount() + 1);
        last = q->sgColumnGrid->ColCount() - 1;
    }
    if (d->FExtendedGrid)
        q->sgColumnGrid->SetCells(last, RowShow, QStringLiteral("1"));
    return last;
}

int TfrmZkSQLBuilderGrid::AddAllRowsColumn()
{
    const int col = appendColumn();
    q->sgColumnGrid->SetCells(col, RowField, AllRowsCell);
    q->sgColumnGrid->SetCells(col, RowCalculate, LoadResString(_strValueCOUNT));
    return col;
}

int TfrmZkSQLBuilderGrid::DuplicateColumn(int ACol)
{
    TSchemaSubItem *row = q->ReferencedSubItem(q->sgColumnGrid->Cells(ACol, RowField));
    if (!row)
        return -1;
    const QString table = q->sgColumnGrid->Cells(ACol, RowTable);
    const int col = appendColumn();
    q->sgColumnGrid->SetCells(col, RowField, q->SubItemReference(row));
    q->sgColumnGrid->SetCells(col, RowTable, table);
    return col;
}

void TfrmZkSQLBuilderGrid::gridContextMenu(const QPoint &Point)
{
    int col = -1;
    int row = -1;
    const QPoint at = q->sgColumnGrid->viewport()->mapTo(q->sgColumnGrid, Point);
    if (!q->sgColumnGrid->MouseToCell(at, col, row))
        col = -1;
    const QString field = col > 0 ? q->sgColumnGrid->Cells(col, RowField) : QString();
    TSchemaSubItem *subItem = q->ReferencedSubItem(field);
    int columnsOfRow = 0;
    for (int c = 1; subItem && c < q->sgColumnGrid->ColCount(); ++c)
        columnsOfRow
            += q->ReferencedSubItem(q->sgColumnGrid->Cells(c, RowField)) == subItem ? 1 : 0;

    QMenu menu(q);
    QAction *count
        = menu.addAction(TfrmZkSQLBuilder::tr("Add a column that counts the rows (COUNT(*))"));
    QAction *calculated = menu.addAction(TfrmZkSQLBuilder::tr("Add a calculated column..."));
    QAction *duplicate = menu.addAction(TfrmZkSQLBuilder::tr("Add this field again"));
    duplicate->setEnabled(subItem != nullptr);
    QAction *remove = menu.addAction(TfrmZkSQLBuilder::tr("Remove this column"));
    remove->setEnabled(field == AllRowsCell || columnsOfRow > 1 || q->IsCalculatedColumn(col));
    QAction *chosen = menu.exec(q->sgColumnGrid->viewport()->mapToGlobal(Point));
    if (!chosen)
        return;
    Guarded([&] {
        hideEditors();
        if (chosen == count)
            q->AddAllRowsColumn();
        else if (chosen == calculated)
            editExpression(appendColumn());
        else if (chosen == duplicate)
            q->DuplicateColumn(col);
        else if (chosen == remove) {
            TSchemaUndoGroup step(q->SchemaDesignArea, TfrmZkSQLBuilder::tr("Remove column"));
            removeColumn(col);
        }
    });
}

void TfrmZkSQLBuilderGrid::createColumnsPage()
{
    q->tsColumns = new QWidget;
    q->tsColumns->setObjectName(QStringLiteral("tsColumns"));
    q->pcSQL->addTab(q->tsColumns, QString());
    auto *columnsLayout = new QVBoxLayout(q->tsColumns);
    columnsLayout->setContentsMargins(0, 0, 0, 0);
    q->sgColumnGrid = newBlockGrid();

    // The in-place editors, above the grid (the one of the block shown).
    auto makeList = [this](const char *name) {
        auto *list = new QComboBox(q->tsColumns);
        list->setObjectName(QLatin1String(name));
        list->setEditable(false);
        list->hide();
        QObject::connect(list, &QComboBox::activated, q,
            [this, list] { Guarded([&] { q->cbInplaceChange(list); }); });
        return list;
    };
    q->cbTables = makeList("cbTables");
    q->cbSorting = makeList("cbSorting");
    q->cbValues = makeList("cbValues");
    q->cbGroupBy = new QCheckBox(q->tsColumns);
    q->cbGroupBy->setObjectName(QStringLiteral("cbGroupBy"));
    q->cbGroupBy->setAutoFillBackground(true);
    QPalette facePalette = q->cbGroupBy->palette();
    facePalette.setColor(QPalette::Window, ColorToQColor(clBtnFace, facePalette));
    q->cbGroupBy->setPalette(facePalette);
    q->cbGroupBy->hide();
    q->cbGroupBy->installEventFilter(q);
    q->edWhere = new QLineEdit(q->tsColumns);
    q->edWhere->setObjectName(QStringLiteral("edWhere"));
    q->edWhere->hide();

    q->edWhere->installEventFilter(q);

    // The extended grid's Field row: an expression typed in, or a field or "Expression..."
    // picked from the list.
    q->cbFields = new QComboBox(q->tsColumns);
    q->cbFields->setObjectName(QStringLiteral("cbFields"));
    q->cbFields->setEditable(true);
    q->cbFields->setInsertPolicy(QComboBox::NoInsert);
    q->cbFields->hide();
    q->cbFields->installEventFilter(q);
    q->cbFields->lineEdit()->installEventFilter(q);
    QObject::connect(q->cbFields, &QComboBox::activated, q,
        [this](int index) { Guarded([&] { fieldPicked(index); }); });
    // The typed text is checked as it is typed: marked red, with why as its tip.
    QObject::connect(
        q->cbFields->lineEdit(), &QLineEdit::textEdited, q, [this](const QString &text) {
            Guarded([&] {
                QString error;
                if (!text.trimmed().isEmpty() && q->cbFields->findText(text) < 0) {
                    const ColumnExpressionReading reading
                        = ReadColumnExpression(text, expressionTables(), d->pages.spelling());
                    if (!reading.Ok)
                        error = reading.ErrorLine > 0
                            ? TfrmZkSQLBuilder::tr("%1 (line %2, column %3)")
                                  .arg(reading.Error)
                                  .arg(reading.ErrorLine)
                                  .arg(reading.ErrorColumn)
                            : reading.Error;
                }
                QPalette palette = q->cbFields->lineEdit()->palette();
                palette.setColor(QPalette::Text,
                    error.isEmpty() ? QApplication::palette(q->cbFields).color(QPalette::Text)
                                    : QColor(0xd0, 0x20, 0x20));
                q->cbFields->lineEdit()->setPalette(palette);
                q->cbFields->setToolTip(error);
                if (!error.isEmpty() && q->cbFields->isVisible())
                    QToolTip::showText(q->cbFields->mapToGlobal(QPoint(0, q->cbFields->height())),
                        error, q->cbFields);
                else
                    QToolTip::hideText();
            });
        });
}
TStringGrid *TfrmZkSQLBuilderGrid::newBlockGrid()
{
    auto *grid = new TStringGrid(q->tsColumns);
    grid->setObjectName(QStringLiteral("sgColumnGrid"));
    q->tsColumns->layout()->addWidget(grid);
    grid->SetColCount(2);
    grid->SetRowCount(6);
    grid->SetFixedCols(1);
    grid->SetFixedRows(1);
    grid->SetDefaultColWidth(100);
    grid->SetDefaultRowHeight(19);
    grid->SetColumnsMovable(true);
    grid->SetColumnsSizable(true);
    grid->SetOnSelectCell([this](QObject *Sender, int ACol, int ARow, bool &CanSelect) {
        q->sgColumnGridSelectCell(Sender, ACol, ARow, CanSelect);
    });
    grid->viewport()->installEventFilter(q); // tool tips of cut cells
    QObject::connect(grid->viewport(), &QWidget::customContextMenuRequested, q,
        [this](const QPoint &at) { Guarded([&] { gridContextMenu(at); }); });
    grid->SetOnColumnMoved([this](QObject *, int FromIndex, int ToIndex) {
        TSchemaUndoGroup step(q->SchemaDesignArea, TfrmZkSQLBuilder::tr("Move column"));
        if (QUndoCommand *parent = step.Command())
            new GridMoveCommand(q, parent, FromIndex, ToIndex);
    });
    grid->SetOnDrawCell([this](QObject *Sender, int ACol, int ARow, const QRect &Rect,
                            TGridDrawState State, QPainter &Canvas) {
        q->sgColumnGridDrawCell(Sender, ACol, ARow, Rect, State, Canvas);
    });
    grid->setAccessibleName(LoadResString(_strColumnPage));
    // A screen reader hears what the cells show: the field a column is of, ticks as words.
    grid->SetOnGetAccessibleText([this](QObject *, int ACol, int ARow, QString &Text) {
        if (ACol < 1 || !q->SchemaDesignArea)
            return;
        if (ARow == RowField) {
            if (TSchemaSubItem *row = q->ReferencedSubItem(Text))
                Text = row->ItemOwner()->Caption() + QLatin1Char('.') + row->Caption();
            else if (TfrmZkSQLBuilderGrid::isCalculatedCell(Text))
                Text = renderExpression(Text);
        } else if (ARow == RowGrouping || (d->FExtendedGrid && ARow == RowShow)) {
            const bool ticked
                = ARow == RowShow ? Text != QLatin1String("0") : Text == QLatin1String("1");
            Text = ticked ? TfrmZkSQLBuilder::tr("ticked") : TfrmZkSQLBuilder::tr("not ticked");
        }
    });
    // The titles (the having row's while the row exists; it then stays hidden, with its
    // texts, until a grouping tick is committed).
    const TResString titles[] = { _strFieldName, _strTableName, _strValueName, _strSortName,
        _strWhereName, _strGroupName, _strHavingName };
    grid->SetRowCount(RowHaving + 1);
    for (int row = RowField; row <= RowHaving; ++row)
        grid->SetCells(0, row, LoadResString(titles[row]));
    grid->SetRowCount(RowHaving);
    return grid;
}
void TfrmZkSQLBuilderGrid::CommitEditor()
{
    // What is typed counts wherever the user goes next: the text edit and the check box write
    // their value when it differs from the cell's.
    if (FEditCol < 0 || FEditRow < 0)
        return;
    if (q->cbFields && !q->cbFields->isHidden()) {
        commitFieldText(FEditCol, q->cbFields->currentText());
    } else if (!q->edWhere->isHidden()) {
        if (q->edWhere->text() != q->sgColumnGrid->Cells(FEditCol, FEditRow))
            q->cbInplaceChange(q->edWhere);
        else
            q->edWhere->hide();
    } else if (!q->cbGroupBy->isHidden()) {
        const QString cell = q->sgColumnGrid->Cells(FEditCol, FEditRow);
        const bool ticked
            = FEditRow == RowShow ? cell != QLatin1String("0") : cell == QLatin1String("1");
        if (q->cbGroupBy->isChecked() != ticked)
            q->cbInplaceChange(q->cbGroupBy);
    }
}
QString TfrmZkSQLBuilderGrid::SubItemReference(TSchemaSubItem *SubItem)
{
    if (!SubItem || !q->SchemaDesignArea)
        return QString();
    TSchemaItem *owner = SubItem->ItemOwner();
    if (!owner || owner->Designer() != q->SchemaDesignArea)
        return QString();
    const auto known = FRefOfSubItem.constFind(SubItem);
    if (known != FRefOfSubItem.constEnd() && FSubItemRefs.value(known.value()) == SubItem)
        return QString::number(known.value());
    // Serials of freed rows go now and then, so that the maps keep to the living rows.
    if (FSubItemRefs.size() >= 2 * FRefsSwept + 64) {
        for (auto it = FSubItemRefs.begin(); it != FSubItemRefs.end();) {
            if (it.value().isNull())
                it = FSubItemRefs.erase(it);
            else
                ++it;
        }
        for (auto it = FRefOfSubItem.begin(); it != FRefOfSubItem.end();) {
            if (!FSubItemRefs.contains(it.value()))
                it = FRefOfSubItem.erase(it);
            else
                ++it;
        }
        FRefsSwept = int(FSubItemRefs.size());
    }
    const int reference = ++FLastSubItemRef;
    FSubItemRefs.insert(reference, SubItem);
    FRefOfSubItem.insert(SubItem, reference);
    return QString::number(reference);
}
TSchemaSubItem *TfrmZkSQLBuilderGrid::ReferencedSubItem(const QString &Text) const
{
    int reference = 0;
    if (Text.isEmpty() || !TryStrToInt(Text, reference) || QString::number(reference) != Text)
        return nullptr; // only the text this form writes names a row
    TSchemaSubItem *row = FSubItemRefs.value(reference);
    if (!row || !q->SchemaDesignArea)
        return nullptr;
    TSchemaItem *owner = row->ItemOwner();
    return owner && owner->Designer() == q->SchemaDesignArea ? row : nullptr;
}

} // namespace Diduza
