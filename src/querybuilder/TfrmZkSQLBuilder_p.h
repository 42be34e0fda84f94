#pragma once

// The builder form's own state: its engine and events, the SQL page's text and run, the
// grid's row references and caches. Not installed.

#include "querybuilder/ColumnExpression.h"
#include "querybuilder/QueryGenerator.h"
#include "querybuilder/TfrmZkSQLBuilder.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

class QTimer;

namespace Diduza {

class SqlHighlighter;
class TSchemaDataEngine;
class TSchemaItem;
class TSchemaQueryRun;
class TSchemaSubItem;

class TfrmZkSQLBuilderPrivate {
public:
    explicit TfrmZkSQLBuilderPrivate(TfrmZkSQLBuilder *form)
        : q(form)
    {
    }
    static TfrmZkSQLBuilderPrivate *get(TfrmZkSQLBuilder *form) { return form->d.get(); }

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

    // --- query blocks (TfrmZkSQLBuilderBlocks.cpp) ---
    // A SELECT of a compound statement: its diagram and grid, its DISTINCT and the operator
    // that joins it to the blocks before it (none for the first).
    struct Block {
        QPointer<TSchemaDesignArea> Area;
        QPointer<TStringGrid> Grid;
        bool Distinct = false;
        TSQLSetOperator Operator = soUnion;
    };
    QVector<Block> FBlocks;
    int FCurrentBlock = 0;
    // Makes a block the form's diagram and grid while it lives, without showing it.
    class BlockScope {
    public:
        BlockScope(TfrmZkSQLBuilder *form, int block);
        ~BlockScope();
        BlockScope(const BlockScope &) = delete;
        BlockScope &operator=(const BlockScope &) = delete;

    private:
        TfrmZkSQLBuilder *m_form;
        TSchemaDesignArea *m_area;
        TStringGrid *m_grid;
        bool m_distinct;
        bool m_switched;
    };
    // The statement of every block; names hooks and the refusal of unavailable joins and
    // invalid columns left out for Source (the text that tells the work apart).
    QueryCompound compound(bool source);
    void updateBlockBar();

    TfrmZkSQLBuilder *const q;
    QHash<int, QPointer<TSchemaItem>> FItemRefs;
    QHash<const TSchemaItem *, int> FRefOfItem;
    int FLastItemRef = 0;
    // Readings of expressions, by text and the diagram's tables.
    mutable QHash<QString, ColumnExpressionReading> FReadings;
    // While one statement is put together: the diagram's tables for the expressions and their
    // part of a reading's key, taken once for all calculated columns.
    mutable std::optional<QPair<QVector<ColumnExpressionTable>, QString>> FTablesOfPass;
    // The tables' part of a reading's key in FReadings.
    static QString tablesKey(const QVector<ColumnExpressionTable> &tables);
    // ... and the tables as the statement names them, without the name hooks (prefixOf).
    mutable std::optional<QueryInput> FNamesOfPass;
    // ImportQuery's steps (TfrmZkSQLBuilderImport.cpp).
    class Importer;

    QPointer<TSchemaDataEngine> FDataEngine;
    TDrawItemEvent FOnDrawTableItem;
    TGetSchemaItemEvent FOnGetTableName;
    TGetSchemaSubItemEvent FOnGetFieldName;
    TSchemaItemEvent FOnAddItem;
    TSchemaItemEvent FOnDeleteItem;
    bool FDestroying = false;
    // The diagram is being cleared as a whole (its columns go with it).
    bool FClearing = false;
    bool FExtendedGrid = false;
    bool FSQLEditable = false;
    bool FBackgroundExecution = false;
    int FRowLimit = 0;
    // The SQL page's text was typed by the user; FTypedState is the work when it was.
    bool FTextTyped = false;
    // The user asked for the statement (Generate): the SQL page writes it anew.
    bool FGenerateAsked = false;
    bool FSettingText = false;
    QString FTypedState;
    QString FSQLError;
    qsizetype FSQLErrorPosition = -1;
    QTimer *FCheckTimer = nullptr;
    QTimer *FAliasTimer = nullptr; // shows the aliases of shared captions (showAliases)
    SqlHighlighter *FHighlighter = nullptr;
    std::unique_ptr<TSchemaQueryRun> FRun;
    qint64 FRunStarted = 0;
    qint64 FRunTime = -1;
    QString FRunError;
    bool FRunCancelled = false;
    // Saving the results as CSV: the file; the rows written so far; whether the saving took
    // over the rows of a run still open (the grid then shows only some); how the last saving
    // ended, for the model it saved (FExportModel), on the status line; and whether its error
    // goes to the caller (SaveResultsCsv) instead of a message.
    QString FExportFile;
    qint64 FExportRows = 0;
    bool FRunExported = false;
    QString FExportOutcome;
    QPointer<QAbstractItemModel> FExportModel;
    bool FExportEnded = false;
    bool FExportCancelled = false;
    QString FExportError;
    bool FExportQuiet = false;
    bool FJoinByKeys = false;
    qint64 FStatementLimit = -1;
    qint64 FStatementOffset = 0;
    // The form has been shown, or its size was given (RestoreState): it is sized no more.
    bool FSizeChosen = false;

    // The cell the visible editor was placed over.
    int FEditCol = -1;
    int FEditRow = -1;

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

    QString FSQLText;
    QStringList FImportNotes;
    // What statementSource gave when the SQL page's text was last set or generated.
    QString FSQLSource;
    QPointer<QAbstractItemModel> FResult;
    // The result model when the form adopted it (it came without a parent).
    QPointer<QAbstractItemModel> FOwnedResult;
    int FTablesExtent = 0;
    QString FCleanState;
    QString FFileFilter;
    QString FDefaultExt;
};

} // namespace Diduza
