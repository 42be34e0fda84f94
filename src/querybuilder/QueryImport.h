#pragma once

// What the query builder makes of a statement read by ImportSelect: the tables to place (in
// the order the rebuilt diagram needs), the relations to draw, the grid's columns with their
// cells. Free of widgets; the builder form carries the plan out.
//
// The rule: a statement planned without a LeftOut entry gives, once rebuilt, a statement that
// returns the same rows (in the same order where its ORDER BY fixes one). The planner reasons
// about join semantics, not text: the FROM clause is turned into the one chain of joins the
// join-tree dialect writes (bracketed joins only where associativity or commutation allows),
// and a condition moves between ON and WHERE, or becomes a relation, only where the joins
// around it let it keep its meaning. Whatever cannot be carried exactly is named.

#include "diduzacore_export.h"
#include "platform/SchemaTypes.h"
#include "sqlparser/SelectImport.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

namespace Diduza {

/// How PlanImport plans a statement.
struct QueryImportOptions {
    /// The dialect the rebuilt diagram's statement is written in.
    TSQLSubType SubType = stAnsi;
    /// The rows of the extended grid (COUNT(*), Show, Alias, sort order, the same field in two
    /// columns) and the further ON conditions of relations are there to be used.
    bool Extended = false;
    /// The caption of the item for a table the statement names (the engine's own spelling);
    /// unset, or an empty answer, keeps the name as written.
    std::function<QString(const QString &Name, bool Quoted)> Caption;
    /// The fields of a table by its caption, as the engine lists them; unset or empty when not
    /// known. Columns written without a table are found through them.
    std::function<QStringList(const QString &Caption)> Fields;
    /// The query is one SELECT of a compound statement (the first one with the whole's ORDER BY,
    /// which names output columns); a query with Blocks plans them all.
    bool Block = false;
};

/// What PlanImport makes of a statement: what the builder adds, in the order it adds it.
struct QueryImportPlan {
    /// An item to add.
    struct Table {
        /// The item's caption.
        QString Caption;
        int Source = -1; ///< into ImportedQuery::Tables
    };
    /// A relation to draw between two of Tables.
    struct Relation {
        int ParentTable = -1; ///< into Tables
        QString ParentField; ///< The parent item's row.
        int ChildTable = -1; ///< Into Tables.
        QString ChildField; ///< The child item's row.
        TSDRelationOperator Operator = roEqual; ///< "parent Operator child".
        TSDRelationJoin Join = rjInner; ///< The kind of join.
        /// Further ON conditions (the extended grid only), AND-ed.
        QVector<ImportText> Conditions;
    };
    /// A column of the grid.
    struct Column {
        int Table = -1; ///< into Tables; -1 for a column that counts rows
        QString Field; ///< the field's name, "*" for all fields; empty when AllRows
        bool AllRows = false; ///< COUNT(*)
        QString Aggregate; ///< "SUM", "COUNT", "MAX", "MIN", "AVG" or empty
        int Sort = 0; ///< 0 none, 1 ascending, 2 descending
        int SortOrder = 0; ///< place among the sorted columns (extended grid), 0 for none
        bool Show = true; ///< false: the column is not in the field list (extended grid)
        QString Alias; ///< extended grid
        QVector<ImportText> Where; ///< AND-ed
        bool Grouped = false; ///< Ticked in the grouping row.
        QVector<ImportText> Having; ///< AND-ed
        /// A calculated column (extended grid): its value is Expression, whose references name
        /// ImportedQuery::Tables; Table is -1 and Field empty.
        bool Calculated = false;
        ImportExpression Expression; ///< See Calculated.
        /// A column of the field list: its entry as written (without its alias).
        ImportExpression Entry;
    };
    QVector<Table> Tables; ///< in the order of the items to add
    QVector<int> TableOfSource; ///< by ImportedQuery::Tables index: index into Tables
    QVector<Relation> Relations; ///< in the order of the relations to add
    QVector<Column> Columns; ///< in the order of the grid
    bool Distinct = false; ///< SELECT DISTINCT.
    /// The rows the statement returns (-1 for all) after skipping Offset; for a compound
    /// statement, those of the whole.
    qint64 Limit = -1;
    qint64 Offset = 0; ///< See Limit.
    /// A compound statement: this plan is its first block, Blocks the others and Operators[i]
    /// the operator before Blocks[i]. The first block's sorted columns sort the whole. Every
    /// block's LeftOut is in this plan's LeftOut too.
    QVector<QueryImportPlan> Blocks;
    QVector<TSQLSetOperator> Operators; ///< See Blocks.
    /// What the plan cannot carry exactly, one description each (ImportedQuery::LeftOut
    /// included); empty when the rebuilt statement returns the same rows.
    QStringList LeftOut;
};

/// Plans Query (which must be Ok) as described above.
DIDUZACORE_EXPORT QueryImportPlan PlanImport(
    const ImportedQuery &Query, const QueryImportOptions &Options);

} // namespace Diduza
