#pragma once

// The data engine: the adapter between the diagram and a database. It lists the tables, lists
// the fields of the table an item stands for, runs statements and tells in which SQL dialect
// statements are written. This class does the three database operations through events that
// the application handles; descendants may do them on their own.

#include "diduzawidgets_export.h"
#include "engines/SchemaCatalog.h"
#include "engines/SqlNames.h"
#include "platform/SchemaTypes.h"
#include "platform/TStringList.h"
#include "sqlparser/SqlStatement.h"

#include <QObject>
#include <QString>

#include <functional>

class QAbstractItemModel;

namespace Diduza {

class TSchemaQueryRun;

class TSchemaItem;

/// Fills ItemList with table names.
using TSDGetItemList = std::function<void(QObject *Sender, TStringList &ItemList)>;
/// Fills SubItemList with the field names of the table that Item stands for. An object attached
/// to an entry travels with it.
using TSDGetSubItemList
    = std::function<void(QObject *Sender, TSchemaItem *Item, TStringList &SubItemList)>;
/// Fills TableList with what the catalogue tells of the tables named in Tables (every table when
/// Tables is empty): fields with types and nullability, primary and foreign keys. A handler
/// answers all the tables asked for at once.
using TSDGetTableInfo = std::function<void(
    QObject *Sender, const QStringList &Tables, QVector<TSchemaTableInfo> &TableList)>;
/// Runs SQL and returns the data set holding its result (owned by the handler's side), or null.
using TSDOnExecSQL = std::function<QAbstractItemModel *(QObject *Sender, const QString &SQL)>;

/// The base of the data engines: table and field lists, statement execution and the dialect.
class DIDUZAWIDGETS_EXPORT TSchemaDataEngine : public QObject {
    Q_OBJECT
    Q_PROPERTY(Diduza::TSQLSubType SQLSubType READ SQLSubType WRITE SetSQLSubType)

public:
    /// An engine owned by AOwner, in the stStandard dialect.
    explicit TSchemaDataEngine(QObject *AOwner = nullptr);
    ~TSchemaDataEngine() override; ///< Frees none of the data sets ExecSQL returned.

    /// The SQL dialect of templates and join texts.
    TSQLSubType SQLSubType() const { return FSQLSubType; }
    /// Sets SQLSubType.
    void SetSQLSubType(TSQLSubType Value) { FSQLSubType = Value; }

    /// The OnGetItemList handler, fills the table list (FillItemList); empty when unset.
    TSDGetItemList OnGetItemList() const { return FOnGetItemList; }
    /// Sets the OnGetItemList handler.
    void SetOnGetItemList(TSDGetItemList Value) { FOnGetItemList = std::move(Value); }
    /// The OnGetSubItemList handler, fills the field list of an item's table (FillSubItemList);
    /// empty when unset.
    TSDGetSubItemList OnGetSubItemList() const { return FOnGetSubItemList; }
    /// Sets the OnGetSubItemList handler.
    void SetOnGetSubItemList(TSDGetSubItemList Value) { FOnGetSubItemList = std::move(Value); }
    /// The OnExecSQL handler, runs a statement and returns its data set (ExecSQL); empty when
    /// unset.
    TSDOnExecSQL OnExecSQL() const { return FOnExecSQL; }
    /// Sets the OnExecSQL handler.
    void SetOnExecSQL(TSDOnExecSQL Value) { FOnExecSQL = std::move(Value); }
    /// The OnGetTableInfo handler, tells the keys and field types of tables (FillTableInfo);
    /// empty when unset.
    TSDGetTableInfo OnGetTableInfo() const { return FOnGetTableInfo; }
    /// Sets the OnGetTableInfo handler.
    void SetOnGetTableInfo(TSDGetTableInfo Value) { FOnGetTableInfo = std::move(Value); }

    /// Clears List and lets OnGetItemList fill it; List stays empty when the event is unset.
    virtual void FillItemList(TStringList &List);
    /// Clears List and lets OnGetSubItemList fill it with the fields of Item's table.
    virtual void FillSubItemList(TSchemaItem *Item, TStringList &List);
    /// Runs SQL through OnExecSQL and returns its data set; null when the event is unset. The
    /// engine never frees a data set.
    virtual QAbstractItemModel *ExecSQL(const QString &SQL);
    /// Starts SQL away from the user-interface thread and returns the run (the caller owns
    /// it), at most RowLimit rows (0 for all) arriving in pages of PageSize. Null when the
    /// engine runs statements only through ExecSQL, as this one does (and every engine whose
    /// application handles OnExecSQL): the caller then runs ExecSQL. Raises as ExecSQL does for
    /// a statement refused before it runs.
    virtual TSchemaQueryRun *StartSQL(const QString &SQL, int RowLimit = 0, int PageSize = 500);
    /// Clears List and lets OnGetTableInfo fill it with the catalogue's description of the
    /// tables named in Tables (all tables when it is empty), all of them in one request; List
    /// stays empty when the event is unset. Tables the catalogue does not know are left out.
    virtual void FillTableInfo(const QStringList &Tables, QVector<TSchemaTableInfo> &List);
    /// The statement template of SQLSubType's dialect.
    virtual QString GetSQLTemplate();
    /// How the engine's database reads names, for the statements the query builder writes.
    /// This engine knows no database: it returns no functions, and the builder writes plain
    /// identifiers as they stand and double-quotes every other name.
    virtual SqlNameQuoting NameQuoting();
    /// Whether the engine's database runs joins of kind Join; the query builder refuses a
    /// statement with a join it cannot run, and the relation dialog shows such a kind as not
    /// available. This engine knows no database: every kind.
    virtual bool JoinAvailable(TSDRelationJoin Join) const;
    /// How the engine's database spells names, strings and comments, for the query builder's
    /// import and the SQL page's check of statements. This engine knows no database:
    /// standard SQL.
    virtual SqlSpelling StatementSpelling();
    /// How the engine's database writes a row limit of Limit rows (-1 for all) after skipping
    /// Offset rows, in the dialects that write it after ORDER BY as LIMIT and OFFSET; empty
    /// for the standard "LIMIT n OFFSET m" and "OFFSET m". This engine knows no database: empty.
    virtual QString RowLimitClause(qint64 Limit, qint64 Offset) const;
    /// What the user should know of how the database hands results over, shown with each
    /// result on the query tool's results page (for example that every row is held in memory);
    /// empty for nothing to say. This engine knows no database: empty.
    virtual QString ResultsNote();

    /// The text of one join condition in SQLSubType's dialect.
    QString GetJoinScript(const QString &strParent, const QString &strChild,
        TSDRelationOperator Operator, TSDRelationJoin Join) const;
    /// The text between two join conditions of the same kind.
    QString GetJoinSeparator(TSDRelationJoin Join) const;

private:
    /// See SQLSubType.
    TSQLSubType FSQLSubType = stStandard;
    /// See OnGetItemList.
    TSDGetItemList FOnGetItemList;
    /// See OnGetSubItemList.
    TSDGetSubItemList FOnGetSubItemList;
    /// See OnExecSQL.
    TSDOnExecSQL FOnExecSQL;
    /// See OnGetTableInfo.
    TSDGetTableInfo FOnGetTableInfo;
};

} // namespace Diduza
