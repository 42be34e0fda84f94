#pragma once

// What the files of the builder form share: the grid's rows, the layout's sizes, the
// helpers between diagram and grid, the undo record of a column move. Not installed.

#include "querybuilder/TfrmZkSQLBuilder.h"
#include "querybuilder/TfrmZkSQLBuilder_p.h"

#include "diagram/SchemaUndo_p.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/model/ItemPlacement.h"
#include "engines/SqlDialect.h"
#include "engines/TSchemaDataEngine.h"
#include "engines/TSchemaQueryRun.h"
#include "engines/TSchemaRunModel.h"
#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/CompareText.h"
#include "platform/DialogService.h"
#include "platform/DrawingSuspension.h"
#include "platform/Exceptions.h"
#include "platform/ResourceStrings.h"
#include "platform/TImageList.h"
#include "platform/TStringList.h"
#include "platform/TextPosition.h"
#include "platform/VisibleText.h"
#include "querybuilder/QueryGenerator.h"
#include "querybuilder/QueryImport.h"
#include "querybuilder/SqlHighlighter_p.h"
#include "querybuilder/SqlTemplate.h"
#include "relations/TSchemaRelation.h"
#include "resources/Glyphs.h"
#include "sqlparser/SelectImport.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QDataStream>
#include <QDateTime>
#include <QEventLoop>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextCursor>
#include <QTextOption>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QUndoCommand>
#include <QVBoxLayout>

namespace Diduza {

// Grid rows.
constexpr int RowField = 0;
constexpr int RowTable = 1;
constexpr int RowCalculate = 2;
constexpr int RowSort = 3;
constexpr int RowWhere = 4;
constexpr int RowGrouping = 5;
constexpr int RowHaving = 6;
// The rows of the extended grid.
constexpr int RowShow = 7;
constexpr int RowAlias = 8;
constexpr int RowSortOrder = 9;
constexpr int LastGridRow = RowSortOrder;

inline const QString AllFields = QStringLiteral("*");
// Row 0 of a column that counts the rows (COUNT(*)) in the extended grid: not a number, so it
// names no row of the diagram.
inline const QString AllRowsCell = QStringLiteral("COUNT(*)");

// Shows or hides the having row: the designed grid has 6 or 7 rows; the extended one keeps
// its rows below and hides the having row instead.
inline void showHavingRow(TfrmZkSQLBuilder *form, bool shown)
{
    TStringGrid *grid = form->sgColumnGrid;
    if (form->ExtendedGrid()) {
        grid->SetRowCount(LastGridRow + 1);
        grid->setRowHidden(RowHaving, !shown);
    } else {
        grid->SetRowCount(shown ? RowHaving + 1 : RowHaving);
    }
}

inline bool anyGrouped(const TStringGrid *grid)
{
    for (int col = 1; col < grid->ColCount(); ++col) {
        if (grid->Cells(col, RowGrouping) == QLatin1String("1"))
            return true;
    }
    return false;
}

// The layout's sizes.
constexpr int FormWidth = 654;
constexpr int FormHeight = 453;
constexpr int PagesHeight = 165;
constexpr int SplitterWidth = 3;
constexpr int ToolbarHeight = 31;
constexpr int ButtonTop = 3;
constexpr int SpeedButtonSize = 25;
constexpr int PushButtonWidth = 75;
constexpr int TablesWidth = 155;
constexpr int GrabberHeight = 10;
constexpr int TableEntryHeight = 19;
// Tables dropped by a double-click on the list land here.
// The table list (TfrmZkSQLBuilderTables.cpp): a list of several selected entries whose
// Enter and Insert add them, with a menu of Add and "Add related tables".
QListWidget *CreateTableList(TfrmZkSQLBuilder *form, QWidget *parent);
// Adds the tables selected in the form's table list, each as a double-click adds it, and with
// Related the tables related to them too (a selected table already on the area is not added
// again then); one step, and the area scrolls to what was added. Nothing while it runs.
void AddSelectedTables(TfrmZkSQLBuilder *form, bool Related);

constexpr int DoubleClickDropX = 10;
constexpr int DoubleClickDropY = 10;

// Moves Item, a table just added from the table list, to the free spot nearest to Wanted
// (client coordinates of the area's viewport) that keeps the gaps relation lines use from the
// other items, in view where the view has room.
inline void placeOnFreeSpot(TSchemaDesignArea *area, TSchemaItem *item, const QPoint &wanted)
{
    QVector<QRect> taken;
    for (int i = 0; i < area->GetItemCount(); ++i) {
        const TSchemaItem *other = area->GetItem(i);
        if (other != item && !other->isHidden())
            taken << other->geometry();
    }
    const QSize view = area->viewport()->size();
    const QRect shown(DoubleClickDropX, DoubleClickDropY, view.width() - 2 * DoubleClickDropX,
        view.height() - 2 * DoubleClickDropY);
    item->move(FreeItemSpot(taken, item->size(), wanted, shown));
}

inline std::optional<QueryTable> tableOf(TSchemaDesignArea *area, TSchemaItem *item)
{
    if (!item)
        return std::nullopt;
    return QueryTable { item->Caption(), area ? area->GetItemIndex(item) : -1, item, {} };
}

// The row that stands for all of an item's fields: its first row named "*" (the one the form
// gives each item first, or the file's), as against a real column named "*" after it.
inline bool isAllFieldsRow(const TSchemaSubItem *row)
{
    const TSchemaItem *item = row ? row->ItemOwner() : nullptr;
    return item && row->Caption() == AllFields && item->GetSubItemByName(AllFields) == row;
}

inline std::optional<QueryField> fieldOf(TSchemaSubItem *row)
{
    if (!row)
        return std::nullopt;
    return QueryField { row->Caption(), row, isAllFieldsRow(row) };
}

// A cell's text on one line, cut with an ellipsis when it is wider than the cell (the whole
// text is the cell's tool tip; only its visible part is measured); trailing blanks count in
// right alignment.
inline void drawCellText(
    QPainter &canvas, const QRect &rect, const QString &text, Qt::Alignment align)
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
inline int onDevicePixel(int v, int origin, qreal ratio)
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
inline QRect checkBoxGlyph(const QRect &R, const QSize &glyph, const QPoint &origin, qreal ratio)
{
    const int left = onDevicePixel(R.left() + (R.width() - glyph.width()) / 2, origin.x(), ratio);
    const int top = onDevicePixel(R.top() + (R.height() - glyph.height()) / 2, origin.y(), ratio);
    return QRect(
        left, top, onDevicePixel(glyph.width(), 0, ratio), onDevicePixel(glyph.height(), 0, ratio));
}

// The drawing rectangle of a cell: less 2 pixels left and top, 1 right.
inline QRect drawingRect(const QRect &cell)
{
    return QRect(cell.left() + 2, cell.top() + 2, cell.width() - 3, cell.height() - 2);
}

// Records the change of a grid cell into an undo step.
void RecordGridCell(TfrmZkSQLBuilder *form, QUndoCommand *parent, int col, int row,
    const QString &before, const QString &after);

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

} // namespace Diduza
