#pragma once

// The component through which an application runs the visual query builder: give it a data
// engine, a caption and, if there is one, the SELECT statement to start from; Execute shows the
// builder modally and, on OK, leaves the edited statement in SQL.
//
// Before the builder opens, the statement is imported: each table of its FROM list becomes an
// item (in one row, from (20, 20), 20 pixels apart) and each field of its SELECT list that
// names a row of one of them is ticked. A field "T.F" is looked up in the item captioned T
// (ignoring the case of A to Z; an alias names no item), a field without a prefix in the first
// table. Nothing else of the statement is imported; a text that is not a SELECT, or cannot be
// read, imports nothing and raises nothing.
//
// With FullImport set, the whole statement is rebuilt instead (see
// TfrmZkSQLBuilder::ImportQuery): aliases, joins with their kinds and operators, conditions,
// aggregates, grouping, sorting and DISTINCT. What it cannot carry exactly is listed in LeftOut
// and under the diagram; OK without a change still returns the statement as it came. An engine
// in the join-tree dialect (stAnsi) always imports fully: that dialect's statements join with
// JOIN ... ON, which the field import cannot read, so the builder reads its own statements
// back. When the field import leaves part of a statement out, LeftOut and the line under the
// diagram say what.

#include "diagram/SchemaEvents.h"
#include "diduzawidgets_export.h"
#include "platform/SchemaTypes.h"
#include "platform/TPaintBox.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace Diduza {

class TSchemaDataEngine;
class TSchemaDesignArea;
class TfrmZkSQLBuilder;
class TSQLBuilderDialogPrivate;

/// Runs the visual query builder modally on a statement and a data engine.
class DIDUZAWIDGETS_EXPORT TSQLBuilderDialog : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QString SQL READ SQL WRITE SetSQL)
    Q_PROPERTY(bool FullImport READ FullImport WRITE SetFullImport)
    Q_PROPERTY(bool ExtendedGrid READ ExtendedGrid WRITE SetExtendedGrid)
    Q_PROPERTY(bool SQLEditable READ SQLEditable WRITE SetSQLEditable)
    Q_PROPERTY(bool BackgroundExecution READ BackgroundExecution WRITE SetBackgroundExecution)
    Q_PROPERTY(int RowLimit READ RowLimit WRITE SetRowLimit)
    Q_PROPERTY(bool JoinByKeys READ JoinByKeys WRITE SetJoinByKeys)
    Q_PROPERTY(bool ShowKeys READ ShowKeys WRITE SetShowKeys)
    Q_PROPERTY(Diduza::TSchemaDataEngine *DataEngine READ GetDataEngine WRITE SetDataEngine)

public:
    /// A dialog owned by AOwner, with no engine and an empty statement.
    explicit TSQLBuilderDialog(QObject *AOwner = nullptr);
    ~TSQLBuilderDialog() override;

    /// Runs the builder: true when the user closed it with OK, SQL then holding the statement.
    /// The builder form is created for this run and freed before Execute returns, also when an
    /// error passes out of it.
    bool Execute();

    /// The caption of the builder form; empty keeps the form's own.
    QString Caption() const;
    /// Sets Caption.
    void SetCaption(const QString &Value);
    /// The statement going in and, after OK, coming out.
    QString SQL() const;
    /// Sets SQL.
    void SetSQL(const QString &Value);
    /// The engine handed to the form; a freed engine reads as null.
    TSchemaDataEngine *GetDataEngine() const;
    /// Sets DataEngine.
    void SetDataEngine(TSchemaDataEngine *Value);
    /// The same as GetDataEngine.
    TSchemaDataEngine *DataEngine() const { return GetDataEngine(); }

    /// Rebuild the whole incoming statement rather than only its tables and fields (off).
    bool FullImport() const;
    /// Sets FullImport.
    void SetFullImport(bool Value);
    /// What the last import could not carry exactly, one description each.
    QStringList LeftOut() const;
    /// The builder form's extended grid (COUNT(*), Show, Alias, sort order, a field twice,
    /// further ON conditions; see TfrmZkSQLBuilder::SetExtendedGrid). Unless set, it follows
    /// FullImport.
    bool ExtendedGrid() const;
    /// Sets ExtendedGrid.
    void SetExtendedGrid(bool Value);
    /// The builder form's SQL page takes typing (see TfrmZkSQLBuilder::SetSQLEditable); off.
    bool SQLEditable() const;
    /// Sets SQLEditable.
    void SetSQLEditable(bool Value);
    /// Statements run away from the user-interface thread where the engine offers it, with
    /// paging, a status line, Cancel, copying and CSV (TfrmZkSQLBuilder::SetBackgroundExecution);
    /// off.
    bool BackgroundExecution() const;
    /// Sets BackgroundExecution.
    void SetBackgroundExecution(bool Value);
    /// The most rows a background run shows; 0 for all.
    int RowLimit() const;
    /// Sets RowLimit.
    void SetRowLimit(int Value);
    /// The builder window's size, splitters and page as the user left them at the end of the
    /// last run (empty before one), for the application to keep; the library writes no settings.
    QByteArray SaveState() const;
    /// The state the next run opens with (one SaveState gave; anything else is ignored).
    void RestoreState(const QByteArray &State);
    /// Tables dropped or double-clicked are joined by their foreign keys to the tables there
    /// (off; see TfrmZkSQLBuilder::SetJoinByKeys). The imported statement's tables are not.
    bool JoinByKeys() const;
    /// Sets JoinByKeys.
    void SetJoinByKeys(bool Value);
    /// The builder's rows show the keys of their tables (off; see
    /// TSchemaDesignArea::SetShowKeys); the catalogue is read once when the run starts.
    bool ShowKeys() const;
    /// Sets ShowKeys.
    void SetShowKeys(bool Value);

    /// The builder form's design area while Execute runs; null before and after.
    TSchemaDesignArea *SchemaDesignArea() const;
    /// The builder form while Execute runs (for applications that drive it); null otherwise.
    TfrmZkSQLBuilder *Form() const;

    /// Handed to the form for each run; the dialog itself never calls them.
    TDrawItemEvent OnDrawTableItem() const;
    /// Sets the OnDrawTableItem handler.
    void SetOnDrawTableItem(TDrawItemEvent Value);
    /// The OnGetTableName handler, gives the name by which statements call a table; empty when
    /// unset.
    TGetSchemaItemEvent OnGetTableName() const;
    /// Sets the OnGetTableName handler.
    void SetOnGetTableName(TGetSchemaItemEvent Value);
    /// The OnGetFieldName handler, gives the name by which statements call a field; empty when
    /// unset.
    TGetSchemaSubItemEvent OnGetFieldName() const;
    /// Sets the OnGetFieldName handler.
    void SetOnGetFieldName(TGetSchemaSubItemEvent Value);
    /// The OnAddItem handler, raised after an item is added; empty when unset.
    TSchemaItemEvent OnAddItem() const;
    /// Sets the OnAddItem handler.
    void SetOnAddItem(TSchemaItemEvent Value);
    /// The OnDeleteItem handler, raised when an item is deleted, before it goes; empty when unset.
    TSchemaItemEvent OnDeleteItem() const;
    /// Sets the OnDeleteItem handler.
    void SetOnDeleteItem(TSchemaItemEvent Value);

private:
    std::unique_ptr<TSQLBuilderDialogPrivate> d; ///< The private state.
};

/// Runs a builder dialog on SQL with DataEngine; on OK copies the edited statement into SQL and
/// returns true, otherwise leaves SQL alone and returns false.
DIDUZAWIDGETS_EXPORT bool SQLBuilder(QString &SQL, TSchemaDataEngine *DataEngine);

} // namespace Diduza
