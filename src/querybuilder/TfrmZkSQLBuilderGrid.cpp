#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilderParts_p.h"

namespace Diduza {

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

int TfrmZkSQLBuilder::columnOf(const TSchemaSubItem *SubItem) const
{
    const QVector<int> columns = columnsOf(SubItem);
    return columns.isEmpty() ? -1 : columns.last();
}

QVector<int> TfrmZkSQLBuilder::columnsOf(const TSchemaSubItem *SubItem) const
{
    if (!SubItem)
        return {};
    if (d->FColumnOfRowVersion != sgColumnGrid->CellsVersion()) {
        d->FColumnsOfRow.clear();
        for (int col = 1; col < sgColumnGrid->ColCount(); ++col) {
            if (TSchemaSubItem *row = ReferencedSubItem(sgColumnGrid->Cells(col, RowField)))
                d->FColumnsOfRow[row].append(col);
        }
        d->FColumnOfRowVersion = sgColumnGrid->CellsVersion();
    }
    const QVector<int> columns = d->FColumnsOfRow.value(SubItem);
    for (const int col : columns) {
        if (ReferencedSubItem(sgColumnGrid->Cells(col, RowField)) != SubItem) {
            // A row freed since left its address to this one: walk the grid again.
            d->FColumnOfRowVersion = ~quint64(0);
            return columnsOf(SubItem);
        }
    }
    return columns;
}

void TfrmZkSQLBuilder::removeColumn(int ACol)
{
    // Within a step (an untick), the column's place and cells come back with its undo.
    if (QUndoCommand *parent = SchemaDesignArea ? SchemaDesignArea->UndoGroupCommand() : nullptr) {
        QStringList cells;
        for (int r = RowField; r <= LastGridRow; ++r)
            cells << sgColumnGrid->Cells(ACol, r);
        if (TSchemaSubItem *row = ReferencedSubItem(sgColumnGrid->Cells(ACol, RowField)))
            new GridColumnCommand(this, parent, ACol,
                ItemPosition(SchemaDesignArea, row->ItemOwner()), RowPosition(row), cells);
        else if (!cells.first().isEmpty())
            new GridFreeColumnCommand(this, parent, ACol, cells);
    }
    const bool indexed = d->FColumnOfRowVersion == sgColumnGrid->CellsVersion();
    const TSchemaSubItem *row = ReferencedSubItem(sgColumnGrid->Cells(ACol, RowField));
    const int last = sgColumnGrid->ColCount() - 1;
    sgColumnGrid->ClearColumn(ACol);
    const bool deleted = !(ACol == 1 && ACol == last);
    if (deleted)
        sgColumnGrid->DeleteColumn(ACol);
    if (indexed) {
        if (const auto columns = d->FColumnsOfRow.find(row); columns != d->FColumnsOfRow.end()) {
            columns->removeOne(ACol);
            if (columns->isEmpty())
                d->FColumnsOfRow.erase(columns);
        }
        if (deleted && ACol != last) {
            for (QVector<int> &columns : d->FColumnsOfRow) {
                for (int &col : columns) {
                    if (col > ACol)
                        --col;
                }
            }
        }
        d->FColumnOfRowVersion = sgColumnGrid->CellsVersion();
    }
    bool canSelect = true;
    sgColumnGridSelectCell(sgColumnGrid, 1, RowTable, canSelect);
}

void TfrmZkSQLBuilder::ItemCheckClick(QObject *Sender)
{
    auto *subItem = qobject_cast<TSchemaSubItem *>(Sender);
    if (!subItem)
        return;
    TSchemaItem *item = subItem->ItemOwner();
    if (!item || item->Designer() != SchemaDesignArea)
        return; // not a row of this form's diagram
    QPointer<TSchemaSubItem> guard(subItem);

    pcSQL->setCurrentWidget(tsColumns);

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
        const QString reference = SubItemReference(subItem);
        const bool indexed = d->FColumnOfRowVersion == sgColumnGrid->CellsVersion();
        int last = sgColumnGrid->ColCount() - 1;
        if (!sgColumnGrid->Cells(last, RowField).isEmpty()) {
            sgColumnGrid->SetColCount(sgColumnGrid->ColCount() + 1);
            last = sgColumnGrid->ColCount() - 1;
        }
        sgColumnGrid->SetCells(last, RowField, reference);
        sgColumnGrid->SetCells(last, RowTable, item->Caption());
        if (d->FExtendedGrid)
            sgColumnGrid->SetCells(last, RowShow, QStringLiteral("1"));
        if (indexed) {
            d->FColumnsOfRow[subItem].append(last);
            d->FColumnOfRowVersion = sgColumnGrid->CellsVersion();
        }
    }
}

void TfrmZkSQLBuilder::hideEditors()
{
    for (QWidget *editor : std::initializer_list<QWidget *> {
             cbTables, cbValues, cbSorting, edWhere, cbGroupBy, cbFields })
        editor->hide();
    d->FEditCol = d->FEditRow = -1;
}

void TfrmZkSQLBuilder::sgColumnGridSelectCell(QObject *, int ACol, int ARow, bool &CanSelect)
{
    hideEditors();
    CanSelect = true;
    // The extended grid's Field row takes an expression, also in the empty last column.
    const QString field = sgColumnGrid->Cells(ACol, RowField);
    if (d->FExtendedGrid && ARow == RowField && ACol > 0 && field != AllRowsCell
        && (!field.isEmpty() || ACol == sgColumnGrid->ColCount() - 1)) {
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
        editor = cbTables;
        break;
    case RowCalculate:
        editor = cbValues;
        break;
    case RowSort:
        editor = cbSorting;
        break;
    case RowWhere:
    case RowHaving:
        editor = edWhere;
        break;
    case RowGrouping:
        editor = cbGroupBy;
        break;
    case RowShow:
        editor = d->FExtendedGrid ? cbGroupBy : nullptr;
        break;
    case RowAlias:
    case RowSortOrder:
        editor = d->FExtendedGrid ? edWhere : nullptr;
        break;
    default:
        return;
    }
    // A column that counts the rows has no table and no other aggregate; a calculated one no
    // table.
    if (!editor
        || (sgColumnGrid->Cells(ACol, RowField) == AllRowsCell
            && (ARow == RowTable || ARow == RowCalculate))
        || (IsCalculatedColumn(ACol) && ARow == RowTable))
        return;
    QRect cell = sgColumnGrid->CellRect(ACol, ARow);
    if (cell.isNull())
        return; // a hidden row
    cell.translate(sgColumnGrid->pos());
    const int left = cell.left();
    const int top = cell.top();
    const int right = cell.left() + cell.width();
    const int bottom = cell.top() + cell.height();
    const QString text = sgColumnGrid->Cells(ACol, ARow);
    if (editor == cbGroupBy) {
        // Exactly over the box the cell shows (in viewport coordinates), so that the box does
        // not move as it opens.
        QWidget *viewport = sgColumnGrid->viewport();
        const QRect painted = sgColumnGrid->CellRect(ACol, ARow).translated(-viewport->pos());
        cbGroupBy->setGeometry(checkBoxGlyph(drawingRect(painted), QSize(FCheckWidth, FCheckHeight),
            viewport->mapTo(window(), QPoint()), devicePixelRatioF())
                                   .translated(viewport->mapTo(tsColumns, QPoint())));
        cbGroupBy->setChecked(
            ARow == RowShow ? text != QLatin1String("0") : text == QLatin1String("1"));
    } else {
        // Over the cell and inside its grid lines, not over the next cells.
        editor->setGeometry(left, top, right - left, bottom - top);
        if (auto *list = qobject_cast<QComboBox *>(editor))
            list->setCurrentIndex(list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
        else
            edWhere->setText(text);
        if (editor == cbValues) {
            // The extended grid counts a table's rows ("*") and offers nothing else there.
            const bool allFields = d->FExtendedGrid
                && isAllFieldsRow(ReferencedSubItem(sgColumnGrid->Cells(ACol, RowField)));
            if (auto *entries = qobject_cast<QListView *>(cbValues->view())) {
                for (int i = 1; i < cbValues->count(); ++i)
                    entries->setRowHidden(
                        i, allFields && cbValues->itemText(i) != LoadResString(_strValueCOUNT));
            }
        }
    }
    d->FEditCol = ACol;
    d->FEditRow = ARow;
    editor->show();
    editor->raise();
    // Not from the diagram: a row ticked there keeps the focus, so that the next keys (Down to
    // the next row) do not change the table in the editor.
    QWidget *focus = focusWidget(); // the form's
    if (!focus || (focus != SchemaDesignArea && !SchemaDesignArea->isAncestorOf(focus)))
        editor->setFocus();
}

void TfrmZkSQLBuilder::cbInplaceChange(QObject *Sender)
{
    // The value goes to the cell the editor was placed over, which is the grid's current cell
    // unless the editor was opened by a column's removal.
    const int col = d->FEditCol;
    const int row = d->FEditRow;
    const QString before = sgColumnGrid->Cells(col, row);
    const auto record = qScopeGuard([&] {
        const QString after = sgColumnGrid->Cells(col, row);
        SchemaUndoGroup step(
            SchemaDesignArea, tr("Edit %1").arg(StepName(sgColumnGrid->Cells(0, row))));
        if (QUndoCommand *parent = step.Parent(); parent && after != before)
            new GridCellCommand(this, parent, col, row, before, after);
    });
    if (auto *list = qobject_cast<QComboBox *>(Sender)) {
        if (row == RowCalculate && list->currentIndex() > 0) {
            TSchemaSubItem *subItem = ReferencedSubItem(sgColumnGrid->Cells(col, RowField));
            if (isAllFieldsRow(subItem)) {
                // The extended grid counts the rows in a column of its own: Count on "*"
                // adds it. The designed grid refuses every aggregate of "*".
                const bool count
                    = d->FExtendedGrid && list->currentText() == LoadResString(_strValueCOUNT);
                list->setCurrentIndex(0);
                if (count)
                    AddAllRowsColumn();
                else
                    DialogService()->ShowWarning(this, LoadResString(_smsAggIsNotAllowed));
            }
        }
        sgColumnGrid->SetCells(col, row, list->currentText());
        list->hide();
    } else if (Sender == cbGroupBy && row == RowShow) {
        sgColumnGrid->SetCells(
            col, RowShow, cbGroupBy->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        cbGroupBy->hide();
    } else if (Sender == cbGroupBy) {
        const bool ticked = cbGroupBy->isChecked();
        sgColumnGrid->SetCells(
            col, RowGrouping, ticked ? QStringLiteral("1") : QStringLiteral("0"));
        showHavingRow(this, ticked);
        cbGroupBy->hide();
        if (ticked) {
            // The having row may appear below the page's visible part: bring it into view.
            // It is the grid's last row: lay the grid out now and scroll to its bottom.
            sgColumnGrid->doItemsLayout();
            sgColumnGrid->verticalScrollBar()->setValue(
                sgColumnGrid->verticalScrollBar()->maximum());
        }
    } else if (Sender == edWhere) {
        sgColumnGrid->SetCells(col, row, edWhere->text());
        edWhere->hide();
    }
    if (pcSQL->currentWidget() == tsColumns)
        sgColumnGrid->setFocus();
}

bool TfrmZkSQLBuilder::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pnlToolbar && event->type() == QEvent::Resize && !d->FDestroying)
        Guarded([&] { pnlToolbarResize(pnlToolbar); });
    if (sgColumnGrid && watched == sgColumnGrid->viewport() && event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QString tip = CellToolTip(sgColumnGrid->viewport()->mapTo(sgColumnGrid, help->pos()));
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, sgColumnGrid->viewport());
        return true;
    }
    // Return in the edit commits its text (and goes no further: it is not the dialog's OK).
    if (!d->FDestroying && watched == edWhere && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Guarded([&] {
                if (!edWhere->isHidden())
                    cbInplaceChange(edWhere);
            });
            return true;
        }
    }
    // Return in the Field row's editor commits the typed text; a text of the list is the
    // list's pick. Escape leaves the cell as it was. (The keys come to the list, which hands
    // them to its line on; a test may send them to the line itself.)
    const bool fieldEditor = cbFields && (watched == cbFields || watched == cbFields->lineEdit());
    if (!d->FDestroying && fieldEditor && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape) {
            hideEditors();
            sgColumnGrid->setFocus();
            return true;
        }
        if ((key == Qt::Key_Return || key == Qt::Key_Enter)
            && cbFields->findText(
                   cbFields->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive)
                < 0) {
            Guarded([&] { commitFieldText(d->FEditCol, cbFields->currentText()); });
            return true;
        }
    }
    if (!d->FDestroying && fieldEditor && event->type() == QEvent::FocusOut
        && cbFields->isVisible()) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            Guarded([&] { commitFieldText(d->FEditCol, cbFields->currentText()); });
    }
    // A click on the current cell, whose editor is not shown (the grid made it current when it
    // began, or an editor committed), places the editor as a click on another cell does; so
    // does a click on a Field cell of the extended grid, whose fixed row the grid never makes
    // current.
    if (sgColumnGrid && watched == sgColumnGrid->viewport()
        && event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        int col = -1;
        int row = -1;
        bool shown = false;
        for (QWidget *editor : std::initializer_list<QWidget *> {
                 cbTables, cbValues, cbSorting, edWhere, cbGroupBy, cbFields })
            shown = shown || (editor && editor->isVisible());
        if (!shown && mouse->button() == Qt::LeftButton
            && sgColumnGrid->MouseToCell(
                sgColumnGrid->viewport()->mapTo(sgColumnGrid, mouse->position().toPoint()), col,
                row)
            && ((col == sgColumnGrid->Col() && row == sgColumnGrid->Row())
                || (d->FExtendedGrid && row == RowField && col > 0))) {
            bool select = true;
            Guarded([&] { sgColumnGridSelectCell(sgColumnGrid, col, row, select); });
        }
    }
    // The click that opens a grouping cell's check box ticks it too: one click, as on any box.
    if (sgColumnGrid && watched == sgColumnGrid->viewport()
        && event->type() == QEvent::MouseButtonRelease && cbGroupBy->isVisible()
        && (d->FEditRow == RowGrouping || (d->FExtendedGrid && d->FEditRow == RowShow))) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        int col = -1;
        int row = -1;
        if (mouse->button() == Qt::LeftButton
            && sgColumnGrid->MouseToCell(
                sgColumnGrid->viewport()->mapTo(sgColumnGrid, mouse->position().toPoint()), col,
                row)
            && col == d->FEditCol && row == d->FEditRow)
            cbGroupBy->toggle();
    }
    // The click that places a drop-down list over its cell opens the list too.
    if (sgColumnGrid && watched == sgColumnGrid->viewport()
        && event->type() == QEvent::MouseButtonRelease && d->FEditCol > 0) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        QComboBox *list = nullptr;
        for (QComboBox *editor : { cbTables, cbValues, cbSorting }) {
            if (editor->isVisible())
                list = editor;
        }
        int col = -1;
        int row = -1;
        if (list && mouse->button() == Qt::LeftButton
            && sgColumnGrid->MouseToCell(
                sgColumnGrid->viewport()->mapTo(sgColumnGrid, mouse->position().toPoint()), col,
                row)
            && col == d->FEditCol && row == d->FEditRow)
            Guarded([&] { list->showPopup(); });
    }
    // The exit of the edit and of the check box commits their value.
    if (!d->FDestroying && event->type() == QEvent::FocusOut
        && (watched == edWhere || watched == cbGroupBy)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (static_cast<QWidget *>(watched)->isVisible() && reason != Qt::ActiveWindowFocusReason
            && reason != Qt::PopupFocusReason)
            Guarded([&] { cbInplaceChange(watched); });
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmZkSQLBuilder::sgColumnGridDrawCell(
    QObject *, int ACol, int ARow, const QRect &Rect, TGridDrawState, QPainter &Canvas)
{
    const QRect R = drawingRect(Rect);
    const QString text = sgColumnGrid->Cells(ACol, ARow);
    QFont bold = Canvas.font();
    bold.setBold(true);
    if (ARow == RowField) {
        Canvas.setFont(bold);
        const QColor fixed = ColorToQColor(sgColumnGrid->FixedColor(), sgColumnGrid->palette());
        Canvas.setBrush(fixed);
        Canvas.fillRect(R, fixed);
        if (TSchemaSubItem *subItem = ReferencedSubItem(text)) {
            drawCellText(Canvas, R, subItem->Caption(), Qt::AlignHCenter);
        } else if (d->FExtendedGrid && ACol > 0 && text == AllRowsCell) {
            drawCellText(Canvas, R, text, Qt::AlignHCenter);
        } else if (d->FExtendedGrid && ACol > 0
            && TfrmZkSQLBuilderPrivate::isCalculatedCell(text)) {
            // The expression, in the palette's link colour; one that does not read is marked.
            const bool sound = d->readCell(text).Ok;
            QFont shown = bold;
            shown.setItalic(true);
            Canvas.setFont(shown);
            Canvas.setPen(sound ? sgColumnGrid->palette().color(QPalette::Text) : QColor(Qt::red));
            drawCellText(Canvas, R,
                (sound ? QString() : QStringLiteral("\u26a0 "))
                    + d->renderExpression(text).simplified(),
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
        if (!(cbGroupBy->isVisible() && d->FEditCol == ACol && d->FEditRow == ARow))
            DrawCheckBox(Canvas, R,
                ARow == RowShow ? text != QLatin1String("0") : text == QLatin1String("1"));
    } else {
        drawCellText(Canvas, R, text, Qt::AlignLeft);
    }
}

QString TfrmZkSQLBuilder::CellToolTip(const QPoint &Point) const
{
    int col = -1;
    int row = -1;
    if (!sgColumnGrid->MouseToCell(Point, col, row)
        || (col > 0 && (row == RowGrouping || (d->FExtendedGrid && row == RowShow))))
        return QString();
    QString text = sgColumnGrid->Cells(col, row);
    if (row == RowField && col > 0 && IsCalculatedColumn(col)) {
        // The whole expression, and why it cannot be written.
        const QString error = ColumnExpressionError(col);
        return error.isEmpty() ? ColumnExpression(col)
                               : ColumnExpression(col) + QStringLiteral("\n\n") + error;
    }
    if (row == RowField && col > 0) {
        TSchemaSubItem *subItem = ReferencedSubItem(text);
        text = subItem ? subItem->Caption() : QString();
    }
    QFont font = sgColumnGrid->font();
    font.setBold(row == RowField || col == 0);
    const int room = sgColumnGrid->CellRect(col, row).width() - 3;
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

void TfrmZkSQLBuilder::SetExtendedGrid(bool Value)
{
    if (d->FExtendedGrid == Value)
        return;
    hideEditors();
    d->FExtendedGrid = Value;
    for (int k = 0; k < d->FBlocks.size(); ++k) {
        const TfrmZkSQLBuilderPrivate::BlockScope scope(this, k);
        applyExtendedGrid();
    }
    for (QWidget *w : std::initializer_list<QWidget *> { lblLimit, seLimit, seOffset })
        w->setVisible(Value);
    d->updateBlockBar();
}

void TfrmZkSQLBuilder::applyExtendedGrid()
{
    const bool Value = d->FExtendedGrid;
    const bool grouped = anyGrouped(sgColumnGrid);
    if (Value) {
        sgColumnGrid->SetRowCount(LastGridRow + 1);
        sgColumnGrid->SetCells(0, RowShow, tr("Show"));
        sgColumnGrid->SetCells(0, RowAlias, tr("Alias"));
        sgColumnGrid->SetCells(0, RowSortOrder, tr("Sort order"));
        for (int col = 1; col < sgColumnGrid->ColCount(); ++col) {
            if (!sgColumnGrid->Cells(col, RowField).isEmpty()
                && sgColumnGrid->Cells(col, RowShow).isEmpty())
                sgColumnGrid->SetCells(col, RowShow, QStringLiteral("1"));
        }
    }
    showHavingRow(this, grouped);
    sgColumnGrid->viewport()->setContextMenuPolicy(
        Value ? Qt::CustomContextMenu : Qt::DefaultContextMenu);
    sgColumnGrid->viewport()->update();
}

int TfrmZkSQLBuilder::appendColumn()
{
    int last = sgColumnGrid->ColCount() - 1;
    if (!sgColumnGrid->Cells(last, RowField).isEmpty()) {
        sgColumnGrid->SetColCount(sgColumnGrid->ColCount() + 1);
        last = sgColumnGrid->ColCount() - 1;
    }
    if (d->FExtendedGrid)
        sgColumnGrid->SetCells(last, RowShow, QStringLiteral("1"));
    return last;
}

int TfrmZkSQLBuilder::AddAllRowsColumn()
{
    const int col = appendColumn();
    sgColumnGrid->SetCells(col, RowField, AllRowsCell);
    sgColumnGrid->SetCells(col, RowCalculate, LoadResString(_strValueCOUNT));
    return col;
}

int TfrmZkSQLBuilder::DuplicateColumn(int ACol)
{
    TSchemaSubItem *row = ReferencedSubItem(sgColumnGrid->Cells(ACol, RowField));
    if (!row)
        return -1;
    const QString table = sgColumnGrid->Cells(ACol, RowTable);
    const int col = appendColumn();
    sgColumnGrid->SetCells(col, RowField, SubItemReference(row));
    sgColumnGrid->SetCells(col, RowTable, table);
    return col;
}

void TfrmZkSQLBuilder::gridContextMenu(const QPoint &Point)
{
    int col = -1;
    int row = -1;
    const QPoint at = sgColumnGrid->viewport()->mapTo(sgColumnGrid, Point);
    if (!sgColumnGrid->MouseToCell(at, col, row))
        col = -1;
    const QString field = col > 0 ? sgColumnGrid->Cells(col, RowField) : QString();
    TSchemaSubItem *subItem = ReferencedSubItem(field);
    int columnsOfRow = 0;
    for (int c = 1; subItem && c < sgColumnGrid->ColCount(); ++c)
        columnsOfRow += ReferencedSubItem(sgColumnGrid->Cells(c, RowField)) == subItem ? 1 : 0;

    QMenu menu(this);
    QAction *count = menu.addAction(tr("Add a column that counts the rows (COUNT(*))"));
    QAction *calculated = menu.addAction(tr("Add a calculated column..."));
    QAction *duplicate = menu.addAction(tr("Add this field again"));
    duplicate->setEnabled(subItem != nullptr);
    QAction *remove = menu.addAction(tr("Remove this column"));
    remove->setEnabled(field == AllRowsCell || columnsOfRow > 1 || IsCalculatedColumn(col));
    QAction *chosen = menu.exec(sgColumnGrid->viewport()->mapToGlobal(Point));
    if (!chosen)
        return;
    Guarded([&] {
        hideEditors();
        if (chosen == count)
            AddAllRowsColumn();
        else if (chosen == calculated)
            editExpression(appendColumn());
        else if (chosen == duplicate)
            DuplicateColumn(col);
        else if (chosen == remove) {
            SchemaUndoGroup step(SchemaDesignArea, tr("Remove column"));
            removeColumn(col);
        }
    });
}

} // namespace Diduza
