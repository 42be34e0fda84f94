#pragma once

// The statement generator of the query builder, free of widgets: it is fed with plain data
// (the diagram's tables and joins, the column grid's cells, the distinct flag, the statement
// template and the data engine's join texts) and fills the template macro by macro.
//
// Ten accumulators collect the field list, the table list, the four kinds of joins, the where
// filter, the groups, the having filter and the sort list; the template is then filled in the
// order "#distinct#", "#fields#", "#tables#", "#innerjoins#", "#leftouterjoins#",
// "#rightouterjoins#", "#fulljoins#", "#wherefilter#", "#groups#", "#havingfilter#",
// "#orders#", and its blank lines are removed.

#include "diduzacore_export.h"
#include "engines/SqlNames.h"
#include "platform/SchemaTypes.h"

#include <QPair>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVector>

#include <functional>
#include <optional>

class QObject;

namespace Diduza {

/// One table of the statement: an item of the diagram.
struct QueryTable {
    /// The item's caption: the table's name, as the diagram shows it.
    QString Caption;
    /// The item's index in the design area; the alias of a shared caption is Caption followed
    /// by this number. Together with Object it tells two items with one caption apart.
    int ItemIndex = -1;
    /// The item itself, handed back to the name hook; the generator never touches it.
    QObject *Object = nullptr;
    /// The table's fields as far as they are known (the item's rows): a field name that another
    /// table of the statement has too is qualified in GROUP BY and ORDER BY.
    QStringList Fields;
};

/// One field of the statement: a row of an item.
struct QueryField {
    /// The row's caption: the field's name.
    QString Caption;
    QObject *Object = nullptr; ///< the row, handed back to the name hook
    /// The item's "*" row, which stands for all its fields and is written "*"; a field that is
    /// not that row is a column, quoted as every name is, also one whose name is "*".
    bool AllFields = Caption == QLatin1String("*");
};

/// One join: a relation of the diagram. An end whose item or row is gone is absent and is
/// named by an empty text.
struct QueryJoin {
    /// The parent end: its item and its row.
    std::optional<QueryTable> ParentTable;
    std::optional<QueryField> ParentField; ///< See ParentTable.
    /// The child end: its item and its row.
    std::optional<QueryTable> ChildTable;
    std::optional<QueryField> ChildField; ///< See ChildTable.
    /// The comparison, "parent Operator child".
    TSDRelationOperator Operator = roEqual;
    /// The kind of join.
    TSDRelationJoin Join = rjInner;
    /// Further conditions of the join, as SQL text, AND-ed to its comparison where it stands (in
    /// the join-tree dialect the ON of the join; in the others the WHERE clause). Empty for a
    /// plain join.
    QString Condition;
};

/// The expression of a calculated column: its text with the tables it names left out, each
/// reference to a table of the diagram standing at Position (before its full stop), so that the
/// statement names each table as it names it elsewhere.
struct QueryExpression {
    /// A reference to a table of the diagram in Text.
    struct Reference {
        /// Where the table's name and its full stop are inserted into Text.
        qsizetype Position = 0;
        /// The table; absent when it has left the diagram.
        std::optional<QueryTable> Table;
    };
    /// The expression without the tables' names (see Reference).
    QString Text;
    QVector<Reference> References; ///< in text order
    /// It calls an aggregate outside a window (a value of grouped rows).
    bool Aggregate = false;
    /// Why the text is no expression the statement can hold (it does not parse, or names a
    /// table the diagram lacks); empty for a sound one.
    QString Error;
};

/// One field column of the grid, as the user sees it.
struct QueryColumn {
    /// The row-0 cell as written; a column whose cell is empty holds no field and is skipped.
    QString FieldCell;
    /// The row the cell names (absent when it names none) and that row's item.
    std::optional<QueryField> Field;
    std::optional<QueryTable> Table; ///< See Field.
    QString Calculate; ///< row 2: "Count", "Summa", "Maximum", "Minimum", "Average" or other
    QString Sort; ///< row 3: "Ascending", "Descending" or other
    QString Where; ///< row 4
    QString Grouping; ///< row 5: "1" ticked
    QString Having; ///< row 6, read whether the grid shows the row or not
    // The rows of the extended grid; all empty in the designed one, which then generates as
    // designed.

    /// The column counts the rows (COUNT(*)) instead of naming a field; Field and Table absent.
    bool AllRows = false;
    QString Show; ///< "0": the column sorts, groups or filters but is not in the field list
    QString Alias; ///< the column's name in the result ("expression AS alias")
    /// The column's place among the sorted columns (1 first); columns without one sort after
    /// those with one, in column order.
    QString SortOrder;
    /// A calculated column (extended grid): the value is this expression instead of a field;
    /// Field and Table absent. Aggregate, sort, grouping, where and having apply to it as to
    /// a field.
    std::optional<QueryExpression> Expression;
};

/// The text of one join condition (TSchemaDataEngine::GetJoinScript).
using QueryJoinScriptFunc = std::function<QString(const QString &strParent, const QString &strChild,
    TSDRelationOperator Operator, TSDRelationJoin Join)>;
/// The text between two join conditions of one kind (TSchemaDataEngine::GetJoinSeparator).
using QueryJoinSeparatorFunc = std::function<QString(TSDRelationJoin Join)>;
/// The application's whole reference to Table (see QueryInput::TableNameHook).
using QueryTableNameHook = std::function<QString(const QueryTable &Table, bool IsAlias)>;
/// The application's name for Field, in place of its caption (see QueryInput::FieldNameHook).
using QueryFieldNameHook = std::function<QString(const QueryField &Field)>;
/// Replaces Macro in SQL by Value (see ExpandSQL).
using QueryExpandFunc
    = std::function<void(QString &SQL, const QString &Macro, const QString &Value)>;

/// Everything GenerateQuery writes a statement from.
struct QueryInput {
    /// The items in the order of the design area's child list.
    QVector<QueryTable> Tables;
    /// The relations in the order of the design area's child list.
    QVector<QueryJoin> Joins;
    /// The field columns in the order the user sees them (grid column 1 first).
    QVector<QueryColumn> Columns;
    /// SELECT DISTINCT.
    bool Distinct = false;
    /// The data engine's template; absent without an engine (the default template is used).
    std::optional<QString> Template;
    /// The data engine's join texts; unset without an engine, when joins are written as the
    /// stStandard dialect writes them.
    QueryJoinScriptFunc JoinScript;
    QueryJoinSeparatorFunc JoinSeparator; ///< See JoinScript.
    /// The dialect of the engine (stStandard without one). With stAnsi the table list is a join
    /// tree: each connected group of tables starts at its first table in diagram order and adds
    /// each newly reached table with "KIND JOIN table ON (...)" on a line of its own (indented
    /// as the join lines of the other templates), the kind taken from the
    /// relation that reached it (see JoinTreeKeyword) and the ON holding the conditions of every
    /// relation between that table and the tables already placed, joined by AND (so a relation
    /// that closes a cycle lands in the later table's ON); separate groups are joined by
    /// "CROSS JOIN"; the self-links of a group's first table go to the WHERE clause. GROUP BY and
    /// ORDER BY then name their columns qualified, as the field list does, and the where filter
    /// gets no "(1=1)".
    TSQLSubType SubType = stStandard;
    /// How the database reads names (the data engine's); unset functions keep the generator's
    /// own rule (see QueryTableName and QueryFieldName).
    SqlNameQuoting Quoting;
    /// Whether the database runs joins of a kind (the data engine's); unset means every kind.
    /// GenerateQuery refuses a statement with a join its database cannot run.
    std::function<bool(TSDRelationJoin Join)> JoinAvailable;
    /// Replace the names of tables and of fields. A table hook's result is the whole reference
    /// and is written as the application gives it: no quoting and no alias is added, so the
    /// application answers for it being a safe SQL name. A field hook's result replaces the
    /// caption, and the quoting rule of QueryFieldName still applies to it.
    QueryTableNameHook TableNameHook;
    QueryFieldNameHook FieldNameHook; ///< See TableNameHook.
    /// Fills one macro of the template; unset means ExpandSQL.
    QueryExpandFunc Expand;
    /// The rows the statement returns (-1 for all) after skipping Offset rows: LIMIT and
    /// OFFSET, TOP in stMSSQL, FETCH FIRST in stOracle (see RowLimitText).
    qint64 Limit = -1;
    qint64 Offset = 0; ///< See Limit.
    /// The database's own way of writing a row limit in the LIMIT dialects (stStandard, stLocal,
    /// stAnsi); unset, or an empty text, uses "LIMIT n OFFSET m" and "OFFSET m" alone.
    std::function<QString(qint64 Limit, qint64 Offset)> LimitText;
    /// Whether a calculated column whose expression is in error stops the statement (with the
    /// error's message); false writes its text as it stands.
    bool RefuseInvalid = true;
};

/// A compound statement: query blocks combined by UNION, INTERSECT or EXCEPT. Operators[i]
/// stands between Blocks[i] and Blocks[i + 1]. The sort of the first block's columns orders
/// the whole, by output column; Limit and Offset of the first block limit the whole. The
/// blocks' own sorts and limits are not written.
struct QueryCompound {
    QVector<QueryInput> Blocks; ///< In statement order.
    QVector<TSQLSetOperator> Operators; ///< One fewer than Blocks.
};

/// The SQL text of a set operator ("UNION ALL").
DIDUZACORE_EXPORT QString SetOperatorText(TSQLSetOperator Operator);

/// The row limit as the dialect writes it after ORDER BY (empty where it writes none there:
/// without a limit, and in stMSSQL without an offset, where TOP stands after SELECT). Ordered
/// tells whether the statement has an ORDER BY, which stMSSQL's OFFSET needs; Error receives
/// why the dialect cannot write the limit, and the text is then empty.
DIDUZACORE_EXPORT QString RowLimitText(const QueryInput &Input, bool Ordered, QString *Error);

/// The statement of a compound: each block as GenerateQuery writes it without its sort and
/// limit, the operators on lines of their own, then ORDER BY over the whole by output
/// position and the first block's limit. A single block is GenerateQuery's statement.
DIDUZACORE_EXPORT QString GenerateCompoundQuery(const QueryCompound &Compound);

/// What the user should know about a compound statement (QueryNotes of each block, and what
/// the whole cannot carry).
DIDUZACORE_EXPORT QStringList CompoundQueryNotes(const QueryCompound &Compound);

/// How the join-tree dialect (stAnsi) arranges the tables of a diagram: one step per table in
/// the order the FROM clause names them. A step that starts a group of tables (the first, and
/// each one joined by CROSS JOIN) has no reaching join; every other step is reached by the
/// first join, in diagram order, between it and the tables before it, and its ON holds every
/// join between it and the tables before it (the reaching one first, the others in diagram
/// order). Where holds the joins written in WHERE: a group's first table's joins to itself and
/// the joins that have lost an end.
struct JoinTreeStep {
    int Table = -1; ///< position in the input's tables
    int Reaching = -1; ///< index of the reaching join; -1 for a step that starts a group
    QVector<int> On; ///< joins in this step's ON
};
/// The arrangement JoinTreeOrder gives.
struct JoinTreeShape {
    QVector<JoinTreeStep> Steps; ///< In FROM clause order.
    QVector<int> Where; ///< Indexes of the joins written in WHERE.
};
/// Ends gives, for each join in diagram order, the positions of its parent's and its child's
/// table (-1 for an end that is gone).
DIDUZACORE_EXPORT JoinTreeShape JoinTreeOrder(int TableCount, const QVector<QPair<int, int>> &Ends);

/// The template used without a data engine: the JOIN-clause template of the stStandard dialect.
DIDUZACORE_EXPORT QString DefaultQueryTemplate();

/// The text by which the statement names Table: as an entry of the table list (IsAlias false)
/// or as the prefix of a column reference (IsAlias true). A caption that another table of
/// Input.Tables shares gets the alias Caption + ItemIndex. The caption is written as the parts
/// of Input.Quoting.TableParts joined by ".", each part and the alias quoted by
/// Input.Quoting.QuoteName. Without them, a plain table name is written as it stands (its full
/// stops separate schema and table) and any other caption, and an alias that is not a plain
/// identifier, is enclosed in double quotes, its own quotes doubled. Empty for an absent table;
/// the hook's result, untouched, when the hook is set.
DIDUZACORE_EXPORT QString QueryTableName(
    const QueryInput &Input, const std::optional<QueryTable> &Table, bool IsAlias);

/// The text by which the statement names Field, without table prefix: the hook's result or the
/// caption, quoted by Input.Quoting.QuoteName, or without it enclosed in double quotes (its own
/// quotes doubled) unless it is a plain identifier; "*" as it stands for the all-fields row
/// (Field.AllFields). Empty for an absent field.
DIDUZACORE_EXPORT QString QueryFieldName(
    const QueryInput &Input, const std::optional<QueryField> &Field);

/// Whether a where or having text begins with a comparison (=, <>, !=, <, >, <=, >=, LIKE,
/// NOT LIKE, IN, NOT IN, BETWEEN, NOT BETWEEN, IS): such a text applies to its column, which the
/// statement then writes before it ("= 'Wien'" under customer.city gives
/// "(customer.city = 'Wien')"). Alone, such a text was no condition at all.
DIDUZACORE_EXPORT bool StartsWithComparison(QStringView Text);

/// The SELECT statement for Input; empty when nothing is selected and there are no tables.
/// Raises Exception, naming the relation and what to choose instead, when a join between two
/// tables of the statement is of a kind Input.JoinAvailable refuses (a full outer join on
/// MySQL and MariaDB), unless the dialect writes every kind as a plain condition (stLocal).
DIDUZACORE_EXPORT QString GenerateQuery(const QueryInput &Input);

/// The message by which GenerateQuery refuses Join, a join of a kind the database cannot run.
DIDUZACORE_EXPORT QString UnavailableJoinMessage(const QueryJoin &Join);

/// What the user should know about the statement Input gives, one line each: the field columns
/// that need grouping (a query that aggregates or groups names every other plain column in
/// GROUP BY, or PostgreSQL refuses it), and, in the stLocal dialect, that outer joins are written
/// as plain conditions and keep only the matching rows. Empty when there is nothing to say.
DIDUZACORE_EXPORT QStringList QueryNotes(const QueryInput &Input);

} // namespace Diduza
