#pragma once

#include "diagram/SchemaEvents.h"
#include "diduzawidgets_export.h"
#include "platform/SchemaTypes.h"
#include "platform/TPaintBox.h"
#include "platform/TStringGrid.h"

#include <QDialog>
#include <QVariant>

#include <memory>

class QAbstractItemModel;
class QProgressBar;
class QSpinBox;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabBar;
class QTableView;
class QTabWidget;
class QToolButton;

namespace Diduza {

class TfrmZkSQLBuilderPrivate;
class TImageList;
class TSchemaDataEngine;
class TSchemaDesignArea;
class TSchemaItem;
class TSchemaSubItem;
struct ImportedQuery;

/// The window of the visual query builder: a tool bar, a design area on which the user places
/// tables, ticks their fields and links them, the list of the data engine's tables on the right,
/// and below them four pages: the column grid, the options, the statement and its result rows.
///
/// The column grid holds one column per ticked field. Its rows, by number: 0 the field (the
/// row's reference, see SubItemReference), 1 the table caption, 2 the aggregate ("Count",
/// "Summa", "Maximum", "Minimum", "Average"), 3 the sort ("Ascending", "Descending"), 4 the
/// where condition, 5 the grouping tick ("1"), 6 the having condition, shown while some
/// grouping tick was last committed ticked. Cells are edited through five editors laid over the
/// selected cell.
class DIDUZAWIDGETS_EXPORT TfrmZkSQLBuilder : public QDialog {
    Q_OBJECT
public:
    /// The builder with its controls, an empty diagram of one block, no data engine and the
    /// column page shown; AOwner is its parent widget.
    explicit TfrmZkSQLBuilder(QWidget *AOwner = nullptr);
    /// Destroys the diagrams of every block first, each item raising OnDeleteItem.
    ~TfrmZkSQLBuilder() override;

    // --- the form's controls ---
    /// The diagram of the block shown: the tables the user placed, their ticked fields and
    /// joins.
    TSchemaDesignArea *SchemaDesignArea = nullptr;
    /// The tool bar along the top: New, Open, Save, the grid and table-panel toggles, Generate,
    /// Execute, and OK and Cancel at the right.
    QWidget *pnlToolbar = nullptr;
    /// The list of the data engine's tables, which the user drags or double-clicks onto the
    /// diagram (Enter, Insert and its menu add the selected ones).
    QListWidget *lbTables = nullptr;
    /// The splitter between the diagram (with its block bar) and the table panel on the right.
    QSplitter *SplitterTables = nullptr;
    /// The splitter between the diagram and table panel above and the pages below.
    QSplitter *SplitterGrid = nullptr;
    /// The pages below the diagram, tabs at the bottom: columns, options, SQL and results.
    QTabWidget *pcSQL = nullptr;
    /// The columns page, which holds the column grid and its editors.
    QWidget *tsColumns = nullptr;
    /// The column grid of the block shown: one column per ticked field (see the class).
    TStringGrid *sgColumnGrid = nullptr;
    /// The Table row's editor: a list of the captions of the diagram's tables.
    QComboBox *cbTables = nullptr;
    /// The Sort row's editor: none, ascending or descending.
    QComboBox *cbSorting = nullptr;
    /// The aggregate row's editor: none, count, sum, maximum, minimum or average.
    QComboBox *cbValues = nullptr;
    /// The editor of the grouping row's tick (and of the extended grid's Show row).
    QCheckBox *cbGroupBy = nullptr;
    /// The options page: DISTINCT, the SQL dialect and the extended grid's row limit.
    QWidget *tsOptions = nullptr;
    /// The data engine's SQL dialect, which the user may switch (disabled without an engine).
    QComboBox *cbDialect = nullptr;
    /// The caption of cbDialect.
    QLabel *lblDialect = nullptr;
    /// The SQL page: the statement, its notes and (SQLEditable) its bar of tools.
    QWidget *tsSQL = nullptr;
    /// What the user should know about the statement shown (columns that need grouping, outer
    /// joins that the dialect cannot write); hidden when there is nothing to say.
    QLabel *lblSQLNotes = nullptr;
    /// What the last import could not carry, on one line under the diagram; hidden when all
    /// of the statement came over.
    QLabel *lblImportNotes = nullptr;
    /// Shows the statement; read-only. Its text is SQLText().
    QPlainTextEdit *SQLMemo = nullptr;
    /// The results page: the rows of the last execution or why there are none.
    QWidget *tsResults = nullptr;
    /// The options page's tick for SELECT DISTINCT (of the block shown).
    QCheckBox *cbDistinct = nullptr;
    /// The text editor of the where and having cells (and of the extended grid's Alias and
    /// Sort order cells); Return commits it.
    QLineEdit *edWhere = nullptr;
    /// Tool bar button: a new, empty statement (btnNewClick).
    QToolButton *btnNew = nullptr;
    /// Tool bar button: opens a schema file (btnOpenClick).
    QToolButton *btnOpen = nullptr;
    /// Tool bar button: saves the diagram as a schema file (btnSaveClick).
    QToolButton *btnSave = nullptr;
    /// Tool bar toggle: shows or hides the pages (btnShowGridClick).
    QToolButton *btnShowGrid = nullptr;
    /// Tool bar toggle: shows or hides the table panel (btnShowTablesClick).
    QToolButton *btnShowTables = nullptr;
    /// Tool bar button: generates the statement on the SQL page (btnGenSQLClick).
    QToolButton *btnGenSQL = nullptr;
    /// Tool bar button: runs the statement on the results page (btnExecSQLClick).
    QToolButton *btnExecSQL = nullptr;
    /// Closes the form with the statement (btnOKClick).
    QPushButton *btnOK = nullptr;
    /// Closes the form without it, asking first when work would be lost (btnCancelClick).
    QPushButton *btnCancel = nullptr;
    /// The rows of the last execution; the model the engine returned.
    QTableView *DBGrid1 = nullptr;
    /// Why the results page shows no rows: the database's error, or that there is no engine.
    QLabel *lblResultError = nullptr;
    /// Image 0 marks a table, image 1 a row.
    TImageList *imgSQL = nullptr;
    /// The table panel on the right: the grabber, the schema filter and the table list.
    QWidget *pnlTables = nullptr;
    /// The bar atop the table panel: two grooves and a close glyph that hides the panel.
    TPaintBox *pbTableGrabber = nullptr;
    /// Above the table list, shown when the engine lists tables of several schemas (named
    /// "schema.table" where the search path does not reach them): the list shows all of them,
    /// or those of one schema.
    QComboBox *cbSchemas = nullptr;

    // --- statement ---
    /// Fills the first occurrence of Macro in SQL (see querybuilder/SqlTemplate.h). Every
    /// macro of GenerateSQL goes through here.
    virtual void ExpandSQL(QString &SQL, const QString &Macro, const QString &Value);
    /// Rewrites SQL without its blank lines (see querybuilder/SqlTemplate.h).
    void RemoveBlankLines(QString &SQL);
    /// The SELECT statement of the diagram and the column grid (querybuilder/QueryGenerator.h).
    virtual QString GenerateSQL();
    /// The text by which the statement names Item: the table-list entry (IsAlias false) or
    /// the prefix of its columns (IsAlias true); a name that is not plain is double-quoted
    /// (QueryTableName). OnGetTableName replaces it when set: its result is the application's
    /// own SQL text, written as it is, neither quoted nor aliased.
    QString GetTableName(TSchemaItem *Item, bool IsAlias);
    /// The text by which the statement names the field of SubItem, without table prefix;
    /// quoted as QueryFieldName says, OnGetFieldName's result included.
    QString GetFieldName(TSchemaSubItem *SubItem);

    // --- the statement on the SQL page ---
    /// The text of the SQL page, exactly as it was set or generated (line ends included).
    QString SQLText() const;
    /// Sets the text of the SQL page. The statement the diagram and grid give now is taken as
    /// the one this text stands for: until they change, OK and Execute keep the text as it is.
    void SetSQLText(const QString &Value);
    /// True when the diagram or the grid changed since the SQL page's text was last set or
    /// generated (the statement they give now differs from the one they gave then, both without
    /// OnGetTableName and OnGetFieldName, which this does not call).
    bool IsStatementStale();
    /// True when the diagram or the grid differ from what they were when the SQL page's text was
    /// last set or the diagram last saved; closing without OK then asks first.
    bool HasUnsavedChanges() const;
    /// Closes the form without OK, after asking when there are unsaved changes or results are
    /// being saved; a statement that runs ends with it.
    void reject() override;
    /// The whole text of the grid cell at Point (grid coordinates) when the cell cuts it; empty
    /// for a cell that shows all of its text.
    QString CellToolTip(const QPoint &Point) const;
    /// The model of the results page (the last data set the engine returned), or null.
    QAbstractItemModel *ResultModel() const;

    /// Rebuilds a whole statement read by ImportSelect on the (empty) design area, as
    /// PlanImport (querybuilder/QueryImport.h) plans it for the engine's dialect: its tables
    /// as items (in the order the diagram's join tree needs), its joins as relations, its
    /// fields as ticked rows with their aggregates, its conditions in the where and having
    /// cells (in statement order, each in the column of the field it names when it can, their
    /// tables named as the rebuilt statement names them), its grouping and sorting, DISTINCT;
    /// with the extended grid also COUNT(*), hidden columns, aliases, the sort order and the
    /// further ON conditions of relations. Returns what it could not carry exactly, one
    /// description each; they are also shown on the SQL page.
    QStringList ImportQuery(const ImportedQuery &Query);
    /// Shows what an import left out: on the SQL page and on one line under the diagram.
    void ShowImportNotes(const QStringList &Notes);

    // --- the SQL and results pages as a query tool (both off by default) ---
    /// SQLEditable: the SQL page takes typing, in colours from the project's tokenizer, with
    /// PostgreSQL's parse error marked where it points (checked a moment after typing stops).
    /// "Apply to diagram" rebuilds the diagram and grid from the text (the full import);
    /// "Run" runs the text as written. OK, Execute and the pages keep a typed text while the
    /// diagram and grid stay as they were when it was typed; after they changed, the statement
    /// is generated anew, and the user confirms before typed text is replaced.
    bool SQLEditable() const;
    /// Sets SQLEditable: on, the SQL page takes typing, colours it, shows its bar and checks
    /// the text at once; off, it is read-only again and its error mark goes.
    void SetSQLEditable(bool Value);
    /// BackgroundExecution: an engine that offers it (TSchemaDataEngine::StartSQL) runs the
    /// statement away from the user-interface thread; rows arrive in pages as the user scrolls,
    /// up to RowLimit (0 for all); a status line gives the row count, the time and errors; the
    /// run can be cancelled (button, Escape); the rows can be copied (tab-separated, with or
    /// without the column names) and saved as CSV; numbers stand at the right of their cells.
    /// F5 and Ctrl+Enter run. While a statement runs or its rows are saved, the results and SQL
    /// pages show it, Run and Execute wait, Escape ends it, and closing the window ends it and
    /// closes (asking only while rows are being saved). Engines without it run through ExecSQL
    /// as designed.
    bool BackgroundExecution() const;
    /// Sets BackgroundExecution; the results page's bar of tools shows while it is on.
    void SetBackgroundExecution(bool Value);
    /// The rows a background run fetches at most, 0 (the default) for all; seRowLimit shows it.
    int RowLimit() const;
    /// Sets RowLimit (a negative Value for all rows) and shows it in seRowLimit.
    void SetRowLimit(int Value);
    /// Rebuilds the diagram and grid from the SQL page's text; returns what was left out.
    QStringList ApplySQLToDiagram();
    /// Runs the SQL page's text as it stands, on the results page.
    void RunSQLText();
    /// Ends a running statement, or the saving of its rows (nothing when neither runs).
    void CancelRun();
    /// True while a background run's statement runs or a page of its rows is on its way.
    bool IsRunning() const;
    /// The selected cells of the results without the names of their columns
    /// (SelectedCellsText(false)).
    QString SelectedCellsText() const;
    /// The selected cells of the results, rows by lines and columns by tabs; WithHeaders puts
    /// the names of the columns spanned on a first line. Empty without results or a selection.
    QString SelectedCellsText(bool WithHeaders) const;
    /// Writes every row of the results to FileName as CSV (TCsvWriter: RFC 4180, UTF-8) and
    /// returns when it is written, as StartSavingResultsCsv does it; false with the reason in
    /// *Error when it cannot or was cancelled (FileName is then as it was).
    bool SaveResultsCsv(const QString &FileName, QString *Error = nullptr);
    /// Starts writing every row of the results to FileName as CSV, as "Save as CSV..." does,
    /// and returns at once. The rows of a background run that are not fetched yet go from the
    /// run's thread to the file, not into the grid (TSchemaQueryRun::StartExport); while the
    /// statement still runs, the saving begins when its rows come. The status line counts the
    /// rows written, Cancel (CancelRun) stops it and leaves FileName as it was; a failure is
    /// shown through the dialog service. Other results are written at once. False, with the
    /// reason in *Error, when there is nothing to save or rows are being saved already.
    bool StartSavingResultsCsv(const QString &FileName, QString *Error = nullptr);
    /// True while StartSavingResultsCsv's rows are being written.
    bool IsSavingResults() const;
    /// The parse error shown on the SQL page; empty for none.
    QString SQLError() const;
    /// Where in the SQL page's text the parse error points (-1 for none).
    qsizetype SQLErrorPosition() const;
    /// Checks the SQL page's text now, as the pause after typing does.
    void CheckSQLText();

    /// The SQL page's bar (SQLEditable): the parse error, the busy bar, Apply and Run.
    QWidget *pnlSQLTools = nullptr;
    /// The parse error of the SQL page's text, with its line and column.
    QLabel *lblSQLError = nullptr;
    /// "Apply to diagram": rebuilds the diagram and grid from the SQL page's text.
    QPushButton *btnApplySQL = nullptr;
    /// "Run": runs the SQL page's text as written (F5, Ctrl+Enter).
    QPushButton *btnRunSQL = nullptr;
    /// The results page's bar (BackgroundExecution): busy bar, status, row limit, Cancel and
    /// "Save as CSV...".
    QWidget *pnlResultTools = nullptr;
    /// The status line of a background run: the rows fetched (or written to a file), the time
    /// taken, and whether it failed or was cancelled.
    QLabel *lblResultStatus = nullptr;
    /// The error icon beside the status line, shown when the run failed.
    QLabel *lblResultIcon = nullptr;
    /// The results page's busy bar, shown while a statement runs or its rows are saved.
    QProgressBar *pbRunning = nullptr;
    /// The SQL page's busy bar, shown while a statement runs or its rows are saved.
    QProgressBar *pbSQLRunning = nullptr;
    /// Ends the run or the saving of its rows (CancelRun); enabled while either goes on.
    QPushButton *btnCancelRun = nullptr;
    /// "Save as CSV...": asks for a file and starts StartSavingResultsCsv on it.
    QPushButton *btnSaveCsv = nullptr;
    /// The row limit of background runs (RowLimit), "none" for 0.
    QSpinBox *seRowLimit = nullptr;

    // --- the window as the user leaves it ---
    /// The form's size, its two splitters' positions and the current page, for an application
    /// to keep (the library writes no settings itself) and give back with RestoreState.
    QByteArray SaveState() const;
    /// Takes a state SaveState gave; false (and nothing changed) for anything else. The size is
    /// kept within the screen's available area.
    bool RestoreState(const QByteArray &State);

    // --- the extended grid ---
    /// Off by default: the grid has its seven designed rows and generates as designed. On, the
    /// grid has three more rows, "Show" (a column that sorts, groups or filters without being in
    /// the field list), "Alias" (the column's name in the result) and "Sort order" (its place
    /// among the sorted columns), and its context menu adds a column that counts the rows
    /// (COUNT(*)) or a field a second time; the having row is hidden instead of cut off.
    bool ExtendedGrid() const;
    /// Sets ExtendedGrid: every block's grid gains or loses the three rows, and the row limit
    /// on the options page and the block bar show or hide with it.
    void SetExtendedGrid(bool Value);
    /// Appends a column that counts the rows; returns its index.
    int AddAllRowsColumn();
    /// Appends another column for the field of column ACol; returns its index, or -1 when ACol
    /// holds no field.
    int DuplicateColumn(int ACol);

    // --- calculated columns (extended grid) ---
    /// Appends a column that computes Expression (see SetColumnExpression); returns its index,
    /// or -1 without the extended grid.
    int AddCalculatedColumn(const QString &Expression);
    /// Makes column ACol compute Expression: an SQL value over the diagram's tables, such as
    /// "customer.name || ', ' || customer.city", "SUM(quantity * price)", a CASE, a function, a
    /// window function or a scalar subquery. "total: price * quantity" (or "... AS total") also
    /// fills the Alias row. The text is read as the SQL page reads a statement; it is kept
    /// whether it reads or not, and one that does not (ColumnExpressionError) stops the
    /// statement until it is mended. Its qualifiers follow the tables they name: a table given
    /// another alias is named anew. The column keeps its other cells (aggregate, sort, where,
    /// grouping, having); a field's column becomes calculated, and the field's row is unticked
    /// where no other column shows it.
    void SetColumnExpression(int ACol, const QString &Expression);
    /// True for a calculated column.
    bool IsCalculatedColumn(int ACol) const;
    /// The expression of a calculated column with its tables named as the statement names them
    /// now; empty for another column.
    QString ColumnExpression(int ACol) const;
    /// Why the expression of a calculated column cannot be written (the parser's message with
    /// its line and column, a table the diagram lacks, a second statement); empty for one that
    /// can and for another column.
    QString ColumnExpressionError(int ACol) const;
    // --- query blocks: compound statements (extended grid) ---
    /// A statement may combine several SELECTs, each a block with its own diagram and grid,
    /// by UNION, INTERSECT or EXCEPT (with or without ALL). One block shows at a time:
    /// SchemaDesignArea and sgColumnGrid are the current block's. The first block's sort is the
    /// sort of the whole, by output column; the row limit is the whole's. The block bar
    /// (pnlBlocks, shown with the extended grid) lists the blocks (tbBlocks: drag to reorder,
    /// close to remove), the operator before the current one (cbSetOperator) and adds one
    /// (btnAddBlock). Blocks are not saved in schema files: a file holds the current diagram.
    int BlockCount() const;
    /// The block shown, from 0.
    int CurrentBlock() const;
    /// Shows block Index (its diagram, grid and DISTINCT).
    void SetCurrentBlock(int Value);
    /// Adds an empty block at the end, joined by Operator, and shows it; returns its index.
    int AddBlock(TSQLSetOperator Operator = soUnion);
    /// Removes block Index with its diagram and grid (the last block left stays).
    void RemoveBlock(int Index);
    /// Moves block From to place To; the first block's operator is not written.
    void MoveBlock(int From, int To);
    /// The operator that joins block Index to the blocks before it.
    TSQLSetOperator BlockOperator(int Index) const;
    /// Sets BlockOperator.
    void SetBlockOperator(int Index, TSQLSetOperator Value);
    /// The panel of the block bar and, below it, the blocks' design areas (the current one
    /// shows).
    QWidget *pnlDesign = nullptr;
    /// The block bar (extended grid): tbBlocks, cbSetOperator and btnAddBlock.
    QWidget *pnlBlocks = nullptr;
    /// One tab per block: a click shows the block, a drag reorders the blocks, and the close
    /// glyph (with more than one block) removes one.
    QTabBar *tbBlocks = nullptr;
    /// The operator that joins the current block to the ones before it.
    QComboBox *cbSetOperator = nullptr;
    /// "+ SELECT": adds a block.
    QToolButton *btnAddBlock = nullptr;

    // --- the row limit of the statement (extended grid) ---
    /// The rows the statement returns at most, -1 (the default) for all: LIMIT, TOP in the MS
    /// SQL dialect, FETCH FIRST in the Oracle one. Of a compound statement, the whole's. An
    /// option of the extended grid, beside DISTINCT on the options page (seLimit).
    qint64 StatementLimit() const;
    /// Sets StatementLimit (a negative Value for all rows).
    void SetStatementLimit(qint64 Value);
    /// The rows the statement skips before it returns any (OFFSET), 0 (the default) for none.
    qint64 StatementOffset() const;
    /// Sets StatementOffset.
    void SetStatementOffset(qint64 Value);
    /// The options page's StatementLimit, "all" for -1.
    QSpinBox *seLimit = nullptr;
    /// The options page's StatementOffset ("after skipping" so many rows).
    QSpinBox *seOffset = nullptr;
    /// The caption of seLimit.
    QLabel *lblLimit = nullptr;

    /// The Field row's editor of the extended grid: the expression typed into the cell, or one
    /// of the diagram's fields or "Expression..." picked from its list.
    QComboBox *cbFields = nullptr;

    // --- joins by the keys ---
    /// Off by default. On, a table dropped on the design area or double-clicked in the table
    /// list is joined to every table already there that it references or that references it,
    /// one relation per field pair of each foreign key (the referenced table's row the parent),
    /// as the data engine's catalogue tells them (FillTableInfo; see
    /// TSchemaDesignArea::LinkByKeys). A table placed a second time is joined once to each of
    /// its other instances, the new one referenced by them. Nothing is drawn where a relation
    /// between those rows exists. Tables an import places are not joined: the import rebuilds
    /// a given statement, whose meaning an added join condition would change.
    bool JoinByKeys() const;
    /// Sets JoinByKeys for the tables placed from now on.
    void SetJoinByKeys(bool Value);

    // --- properties ---
    /// The data engine the tables, fields, dialect and results come from, or nullptr.
    TSchemaDataEngine *DataEngine() const;
    /// Hands Value to the design area and fills the table list from it (sorted, each name
    /// keeping the object the engine attached to it); an unset engine empties the list.
    void SetDataEngine(TSchemaDataEngine *Value);
    /// Paints the entries of lbTables in the form's stead (lbTablesDrawItem).
    TDrawItemEvent OnDrawTableItem() const;
    /// Sets OnDrawTableItem.
    void SetOnDrawTableItem(TDrawItemEvent Value);
    /// Names the tables in the statement in the form's stead (GetTableName).
    TGetSchemaItemEvent OnGetTableName() const;
    /// Sets OnGetTableName.
    void SetOnGetTableName(TGetSchemaItemEvent Value);
    /// Names the fields in the statement in the form's stead (GetFieldName).
    TGetSchemaSubItemEvent OnGetFieldName() const;
    /// Sets OnGetFieldName.
    void SetOnGetFieldName(TGetSchemaSubItemEvent Value);
    /// Raised for every table the diagram gains, once the form has given it its rows.
    TSchemaItemEvent OnAddItem() const;
    /// Sets OnAddItem.
    void SetOnAddItem(TSchemaItemEvent Value);
    /// Raised for every table the diagram loses, before its columns leave the grid.
    TSchemaItemEvent OnDeleteItem() const;
    /// Sets OnDeleteItem.
    void SetOnDeleteItem(TSchemaItemEvent Value);

    // --- the table list ---
    /// Paints entry Index of lbTables: OnDrawTableItem when set, else table image 0 and the name.
    void lbTablesDrawItem(
        QObject *Control, int Index, const QRect &Rect, TOwnerDrawState State, QPainter &Canvas);
    /// Adds the selected table as a drop at (10, 10) would.
    void lbTablesDblClick(QObject *Sender);
    /// The horizontal scroll extent of lbTables: the widest name plus 19 (0 for an empty list).
    int TablesHorizontalExtent() const;

    // --- the design area's events ---
    /// Accepts exactly what is dragged from lbTables.
    void SchemaDesignAreaDragOver(
        QObject *Sender, QObject *Source, int X, int Y, TDragState State, bool &Accept);
    /// Places the table selected in lbTables at (X, Y), given in Sender's coordinates (Sender is
    /// the area or one of its items), with its "*" row ticked.
    void SchemaDesignAreaDragDrop(QObject *Sender, QObject *Source, int X, int Y);
    /// Prepares every item the area adds: its rows report ticks to ItemCheckClick; unless a
    /// schema file is being loaded it gets a "*" row and a row per field of the data engine.
    void SchemaDesignAreaAddItem(QObject *Sender, TSchemaItem *item);
    /// Gives every row the area adds image 1 of imgSQL.
    void SchemaDesignAreaAddSubItem(QObject *Sender, TSchemaSubItem *SubItem);
    /// Tells OnDeleteItem, then (unless the form is being destroyed) removes the item's grid
    /// columns and its entry of cbTables.
    void SchemaDesignAreaDeleteItem(QObject *Sender, TSchemaItem *item);

    // --- pages and tool bar ---
    /// The SQL page generates the statement; the results page runs the page's statement
    /// (generated first when the page is empty or the diagram or grid changed since).
    void pcSQLChange(QObject *Sender);
    /// Leaves one block, clears its diagram and grid, and hides the import notes.
    void btnNewClick(QObject *Sender);
    /// Loads a schema file chosen through the dialog service; items keep the file's rows.
    void btnOpenClick(QObject *Sender);
    /// Saves the current block's diagram to a schema file chosen through the dialog service;
    /// the work then counts as saved.
    void btnSaveClick(QObject *Sender);
    /// Shows the pages while btnShowGrid is down, and hides them while it is up.
    void btnShowGridClick(QObject *Sender);
    /// Shows the table panel while btnShowTables is down, and hides it while it is up.
    void btnShowTablesClick(QObject *Sender);
    /// Shows the SQL page with the statement generated anew (unless typed text is kept).
    void btnGenSQLClick(QObject *Sender);
    /// Shows the results page, which runs the statement (again when it is shown already).
    void btnExecSQLClick(QObject *Sender);
    /// Ends the run with OK; a statement made stale by changes is generated anew first.
    void btnOKClick(QObject *Sender);
    /// Closes the form as reject() does.
    void btnCancelClick(QObject *Sender);
    /// Keeps Cancel 10 pixels from the tool bar's right edge and OK 5 pixels left of it.
    void pnlToolbarResize(QObject *Sender);
    /// Paints pbTableGrabber: two raised grooves and a close button at its right end.
    void pbTableGrabberPaint(QObject *Sender, QPainter &Canvas);
    /// A release over the close glyph at the grabber's right end hides the table panel.
    void pbTableGrabberMouseUp(
        QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    /// The file dialogs' filter ("Schema files (*.sch)|*.sch|All files (*.*)|*.*").
    QString FileFilter() const;
    /// The file dialogs' default extension, "sch".
    QString DefaultExt() const;

    // --- the column grid ---
    /// Places the editor of a cell over it.
    void sgColumnGridSelectCell(QObject *Sender, int ACol, int ARow, bool &CanSelect);
    /// Writes an editor's value into the cell it was placed over.
    void cbInplaceChange(QObject *Sender);
    /// Writes the value of the editor that is open, if it differs from its cell: the page
    /// change, Generate, Execute, OK and Save do it first, and Return in the text edit.
    void CommitEditor();
    /// Paints a cell of the grid: row 0 in bold on the fixed colour with its field's caption
    /// (or COUNT(*), or a calculated column's expression in italics, marked when it does not
    /// read), the titles of column 0 in bold at the right, ticks as check boxes, else the text.
    void sgColumnGridDrawCell(QObject *Sender, int ACol, int ARow, const QRect &Rect,
        TGridDrawState State, QPainter &Canvas);
    /// Paints a check box centred in Rect.
    void DrawCheckBox(QPainter &Canvas, const QRect &Rect, bool Ticked);
    /// Takes the size of the style's check-box glyph into FCheckWidth and FCheckHeight.
    void GetCheckBoxSize();
    /// The OnSubItemCheck of every item: adds or removes the column of the row Sender.
    void ItemCheckClick(QObject *Sender);

    /// The text that names a row of this form's diagram in grid row 0: a serial number given
    /// the first time the row is asked for. Empty for a row that is not on this form's area.
    QString SubItemReference(TSchemaSubItem *SubItem);
    /// The row a row-0 text names: nullptr for an empty text, a text that is not a number this
    /// form gave, a row that has been destroyed or one that has left this form's area.
    TSchemaSubItem *ReferencedSubItem(const QString &Text) const;

protected:
    /// Lays the tool bar out as it resizes, shows the grid's cell tips, commits or drops the
    /// cell editors' values on Return, Escape and leaving them, and opens an editor on a click
    /// on the current cell (or a Field cell of the extended grid).
    bool eventFilter(QObject *watched, QEvent *event) override;
    /// The form opens tall enough to show every row of its grid, and never larger than the
    /// screen's available area (its designed size is larger than a small screen at a high
    /// scale).
    void showEvent(QShowEvent *event) override;
    /// Escape ends a statement that runs, or the saving of its rows, and keeps the window open.
    void keyPressEvent(QKeyEvent *event) override;

    /// True while a schema file is being loaded: new items then get no rows from the form.
    bool FInternalUpdate = false;
    /// The width of the grid's check-box glyph (GetCheckBoxSize).
    int FCheckWidth = 0;
    /// The height of the grid's check-box glyph (GetCheckBoxSize).
    int FCheckHeight = 0;

private:
    /// The form's state and the collaborators that do its work (TfrmZkSQLBuilder_p.h).
    std::unique_ptr<TfrmZkSQLBuilderPrivate> d;
};

/// Adds an item of kind scCheckListBox with ACaption and AObject to Area, places its top-left
/// corner at (X, Y) and ticks its first row, if it has one (in the query builder the "*" row, so
/// a dropped table starts with all its columns). Returns the item, or null when none was added.
DIDUZAWIDGETS_EXPORT TSchemaItem *AddNewItem(
    TSchemaDesignArea *Area, const QString &ACaption, const QVariant &AObject, int X, int Y);

} // namespace Diduza
