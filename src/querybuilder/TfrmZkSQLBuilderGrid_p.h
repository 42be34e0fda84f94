#pragma once

// The builder form's column grid: its rows, its cell editors, the references of grid row 0 to
// the diagram's rows and items (calculated columns included), and the undo records of its
// cells. Not installed.

#include "platform/TStringGrid.h"
#include "querybuilder/ColumnExpression.h"
#include "querybuilder/QueryGenerator.h"

#include <QHash>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

class QEvent;
class QObject;
class QPainter;
class QPoint;
class QRect;
class QUndoCommand;

namespace Diduza {

class TfrmZkSQLBuilder;
class TfrmZkSQLBuilderPrivate;
class TSchemaDesignArea;
class TSchemaItem;
class TSchemaSubItem;
class TStringGrid;

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
void showHavingRow(TfrmZkSQLBuilder *form, bool shown);
// Whether some column of the grid is ticked for grouping.
bool anyGrouped(const TStringGrid *grid);
// The table the generator takes for an item of the area.
std::optional<QueryTable> tableOf(TSchemaDesignArea *area, TSchemaItem *item);
// The row that stands for all of an item's fields: its first row named "*" (the one the form
// gives each item first, or the file's), as against a real column named "*" after it.
bool isAllFieldsRow(const TSchemaSubItem *row);
// The field the generator takes for a row of the diagram.
std::optional<QueryField> fieldOf(TSchemaSubItem *row);
// Records the change of a grid cell into an undo step.
void RecordGridCell(TfrmZkSQLBuilder *form, QUndoCommand *parent, int col, int row,
    const QString &before, const QString &after);

class TfrmZkSQLBuilderGrid {
public:
    TfrmZkSQLBuilderGrid(TfrmZkSQLBuilder *form, TfrmZkSQLBuilderPrivate *dd)
        : q(form)
        , d(dd)
    {
    }
    TfrmZkSQLBuilderGrid(const TfrmZkSQLBuilderGrid &) = delete;
    TfrmZkSQLBuilderGrid &operator=(const TfrmZkSQLBuilderGrid &) = delete;

    // The columns page with the grid and its editors.
    void createColumnsPage();
    // A block's grid, with the form's events.
    TStringGrid *newBlockGrid();

    // --- what the form's methods of the same names do ---
    void ItemCheckClick(QObject *Sender);
    void sgColumnGridSelectCell(QObject *, int ACol, int ARow, bool &CanSelect);
    void cbInplaceChange(QObject *Sender);
    void CommitEditor();
    void sgColumnGridDrawCell(
        QObject *, int ACol, int ARow, const QRect &Rect, TGridDrawState, QPainter &Canvas);
    QString CellToolTip(const QPoint &Point) const;
    void SetExtendedGrid(bool Value);
    int AddAllRowsColumn();
    int DuplicateColumn(int ACol);
    bool IsCalculatedColumn(int ACol) const;
    QString ColumnExpression(int ACol) const;
    QString ColumnExpressionError(int ACol) const;
    int AddCalculatedColumn(const QString &Expression);
    void SetColumnExpression(int ACol, const QString &Expression);
    QString SubItemReference(TSchemaSubItem *SubItem);
    TSchemaSubItem *ReferencedSubItem(const QString &Text) const;
    // The grid's and its editors' part of the form's event filter: true when the event is
    // taken.
    bool eventFilter(QObject *watched, QEvent *event);

    // The visual position of the last column whose row-0 cell names SubItem; -1 when none
    // does.
    int columnOf(const TSchemaSubItem *SubItem) const;
    // The visual positions of every column whose row-0 cell names SubItem, ascending.
    QVector<int> columnsOf(const TSchemaSubItem *SubItem) const;
    // Clears the column and deletes it unless it is the only field column, then places the
    // editor of cell (1, 1) without moving the current cell.
    void removeColumn(int ACol);
    void hideEditors();
    // Gives the shown grid the rows of the extended grid, or takes them.
    void applyExtendedGrid();
    // The first empty column at the end, added when needed.
    int appendColumn();
    void gridContextMenu(const QPoint &Point);
    // Opens the Field row's editor over column ACol (extended grid).
    void openFieldEditor(int ACol);
    // An entry of the Field row's list picked: "Expression..." or a field.
    void fieldPicked(int Index);
    // The Field row's typed text committed to column ACol: a field of the list, an expression,
    // or nothing (the column goes).
    void commitFieldText(int ACol, const QString &Text);
    // The expression of column ACol edited in a dialog of its own.
    void editExpression(int ACol);

    // --- calculated columns (TfrmZkSQLBuilderCalculated.cpp) ---
    // A calculated column's row-0 cell is "=" and its expression, each qualifier that names a
    // table of the diagram written as a reference to the item (its serial and the name it had),
    // so that the text follows the item's name as it changes.
    static bool isCalculatedCell(const QString &cell) { return cell.startsWith(QLatin1Char('=')); }
    // The cell for a typed text: the expression with its tables as references when it reads
    // (the reading in *Reading), else the text as typed.
    QString encodeExpression(const QString &text, ColumnExpressionReading *reading);
    // A cell's expression with the tables named as the statement names them now.
    QString renderExpression(const QString &cell) const;
    // The reading of a cell's expression over the diagram as it is now.
    ColumnExpressionReading readCell(const QString &cell) const;
    // The cell as the generator takes it; tableOf gives each item's table.
    QueryExpression queryExpression(const QString &cell,
        const std::function<std::optional<QueryTable>(TSchemaItem *)> &tableOf) const;
    // The items a cell's expression depends on.
    QVector<TSchemaItem *> expressionItems(const QString &cell) const;
    // The diagram's tables as an expression reads them, in item order.
    QVector<ColumnExpressionTable> expressionTables() const;
    QString itemReference(TSchemaItem *item);
    // The text that stands for the item in a cell (see isCalculatedCell).
    QString referenceText(TSchemaItem *item);
    // The item of a reference; one with the reference's name when that item is gone (undo gives
    // back a removed item as a new one).
    TSchemaItem *referencedItem(int serial, const QString &name) const;
    // The name by which the statement prefixes the item's columns, without the name hooks.
    QString prefixOf(TSchemaItem *item) const;
    // The tables' part of a reading's key in FReadings.
    static QString tablesKey(const QVector<ColumnExpressionTable> &tables);

    TfrmZkSQLBuilder *const q;
    TfrmZkSQLBuilderPrivate *const d;

    // The cell the visible editor was placed over.
    int FEditCol = -1;
    int FEditRow = -1;

    // Item references of calculated cells: serial number to item, and back.
    QHash<int, QPointer<TSchemaItem>> FItemRefs;
    QHash<const TSchemaItem *, int> FRefOfItem;
    int FLastItemRef = 0;
    // Readings of expressions, by the diagram's tables (tablesKey) and then by text.
    mutable QHash<QString, std::shared_ptr<QHash<QString, ColumnExpressionReading>>> FReadings;
    // The readings made against Key's tables (a few sets of tables are kept).
    std::shared_ptr<QHash<QString, ColumnExpressionReading>> readingsOf(const QString &Key) const;
    // While one statement is put together: the readings of its tables, and each table's prefix.
    mutable std::shared_ptr<QHash<QString, ColumnExpressionReading>> FReadingsOfPass;
    mutable QHash<const TSchemaItem *, QString> FPrefixesOfPass;
    // While one statement is put together: the diagram's tables for the expressions and their
    // part of a reading's key, taken once for all calculated columns.
    mutable std::optional<QPair<QVector<ColumnExpressionTable>, QString>> FTablesOfPass;
    // ... and the tables as the statement names them, without the name hooks (prefixOf).
    mutable std::optional<QueryInput> FNamesOfPass;

    // Row references: serial number to row. A serial is never given twice.
    QHash<int, QPointer<TSchemaSubItem>> FSubItemRefs;
    int FLastSubItemRef = 0;
    // The serial of each row, and the columns of each row in the grid (ascending; the extended
    // grid may show a field twice): found by one walk of the grid, then kept through the form's
    // own changes while the grid's CellsVersion shows no other change.
    QHash<const TSchemaSubItem *, int> FRefOfSubItem;
    int FRefsSwept = 0;
    mutable QHash<const TSchemaSubItem *, QVector<int>> FColumnsOfRow;
    mutable quint64 FColumnOfRowVersion = ~quint64(0);
};

} // namespace Diduza
