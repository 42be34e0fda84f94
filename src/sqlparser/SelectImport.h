#pragma once

// Reading a whole SELECT statement: its tables with their aliases, the FROM clause as the tree
// of joins it is (with each ON's conditions), the field list, the WHERE and HAVING conditions,
// GROUP BY, ORDER BY and DISTINCT. The statement is parsed by PostgreSQL's own parser
// (libpg_query); a condition keeps the statement's own text, with the place of every column
// reference in it and the table that reference names, so that a reader can name the tables
// anew without searching the text. The WHERE-clause dialects' outer-join marks (Oracle "(+)",
// MSSQL "*=") and the standard dialect's join lines ("INNER JOIN (a.x = b.y)" after the table
// list), which PostgreSQL's grammar lacks, are read as the joins they stand for.
//
// What the reader cannot express in this form (a set operation, LIMIT, a subquery in FROM...)
// is named in LeftOut with its whole text. Deciding what the query builder can show is the
// planner's job (querybuilder/QueryImport.h).

#include "diduzacore_export.h"
#include "platform/SchemaTypes.h"
#include "sqlparser/SqlStatement.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

namespace Diduza {

/// A column as the statement writes it.
struct ImportColumn {
    QString Qualifier; ///< the table name or alias before the field, quotes removed; empty if none
    QString Field; ///< the field's name, quotes removed, or "*"
    bool FieldQuoted = false; ///< the field was written in quotes (its letter case counts)
    int Table = -1; ///< the table (index into ImportedQuery::Tables) Qualifier names; -1 if none
};

/// Where a column reference stands in a condition's text: the qualifier and the full stop after
/// it (Length 0 for a column written without a table), and the table it names.
struct ImportReference {
    /// Where the qualifier begins, as a UTF-16 index into the text.
    qsizetype Start = 0;
    /// The qualifier's length with its full stop.
    qsizetype Length = 0;
    /// The column referred to.
    ImportColumn Column;
};

/// A name the statement writes in double quotes, where it stands in a piece of text.
struct ImportQuotedName {
    /// Where the name begins (at its opening quote), as a UTF-16 index into the text.
    qsizetype Start = 0;
    qsizetype Length = 0; ///< the quotes included
    QString Name; ///< without its quotes, doubled quotes single again
};

/// A piece of the statement's text with the column references in it.
struct ImportText {
    /// The text itself.
    QString Text;
    QVector<ImportReference> References; ///< in text order
    QVector<ImportQuotedName> QuotedNames; ///< in text order, those of its subqueries too
};

/// A table of the FROM clause.
struct ImportTable {
    QString Name; ///< "schema.table" when the statement names a schema; quotes removed
    bool Quoted = false; ///< the table's own name was written in quotes
    QString Alias; ///< empty without one
};

/// One condition of an AND chain of ON, WHERE or HAVING.
struct ImportCondition {
    ImportText Text; ///< as written, one pair of enclosing parentheses and comments removed
    QVector<int> Tables; ///< the tables its columns name (sorted, once each)
    bool Unqualified = false; ///< a column in it is written without a table
    bool Subquery = false; ///< it holds a subquery
    bool Aggregate = false; ///< it calls one of the five aggregates
    /// A comparison of two plain columns, "Left op Right":
    bool IsComparison = false;
    /// The two columns and the operator, when IsComparison.
    ImportColumn Left;
    /// See Left.
    ImportColumn Right;
    /// See Left.
    TSDRelationOperator Operator = roEqual;
    /// The outer-join kind its marks give ("(+)", "*=", or the line of the standard dialect's
    /// join lines it came from); rjInner and Marked false without marks.
    bool Marked = false;
    /// See Marked.
    TSDRelationJoin MarkedJoin = rjInner;
    /// It came from one of the standard dialect's join lines.
    bool FromJoinLine = false;
    /// Where it stands, as a UTF-16 index into the statement, and on which line (from 0).
    qsizetype Position = 0;
    /// See Position.
    int Line = 0;
};

/// A node of the FROM clause: a table, or a join of two nodes.
struct ImportFromNode {
    /// A table, or a join of its kind; fnCross joins without a condition (a comma of the FROM list,
    /// or CROSS JOIN).
    enum Kind { fnTable, fnInner, fnLeft, fnRight, fnFull, fnCross };
    /// What the node is.
    Kind Type = fnTable;
    int TableIndex = -1; ///< Table: into ImportedQuery::Tables
    int Left = -1; ///< the joins: indexes of their two sides into ImportedQuery::From
    int Right = -1; ///< See Left.
    /// A join's ON conditions, one per term of its AND chain.
    QVector<ImportCondition> On;
};

/// An expression as the statement writes it (comments blanked, its parentheses kept), with the
/// column references in it and what it holds.
struct ImportExpression {
    /// The expression's text.
    ImportText Text;
    QVector<int> Tables; ///< the tables its qualified columns name (once each)
    bool Unqualified = false; ///< a column in it is written without a table
    bool Aggregate = false; ///< it calls one of the five aggregates outside a window
    bool Window = false; ///< it holds a window function
    bool Subquery = false; ///< it holds a subquery
};

/// An entry of the field list.
struct ImportField {
    /// What the entry is.
    enum Kind {
        ifColumn, ///< t.x, x, t.* or *
        ifAggregate, ///< SUM, COUNT, MAX, MIN or AVG of one plain column
        ifCountAll, ///< COUNT(*)
        ifExpression ///< anything else
    };
    /// See Kind.
    Kind Type = ifColumn;
    /// The column of ifColumn, the argument of ifAggregate.
    ImportColumn Column;
    QString Aggregate; ///< in upper case
    QString Alias; ///< "AS name"; empty without one
    bool AliasQuoted = false; ///< the alias was written in quotes (its letter case counts)
    QString Text; ///< the entry as written, without its alias
    ImportExpression Expression; ///< the entry as an expression, whatever its kind
};

/// An entry of GROUP BY.
struct ImportGroup {
    /// An entry of GROUP BY: a plain column, a position in the field list ("GROUP BY 2"), or any
    /// other expression.
    enum Kind { igColumn, igPosition, igExpression };
    /// See Kind.
    Kind Type = igColumn;
    /// The column of igColumn.
    ImportColumn Column;
    int Position = 0; ///< from 1
    QString Text; ///< As written.
    ImportExpression Expression; ///< the entry as an expression, whatever its kind
};

/// A key of ORDER BY.
struct ImportSort {
    /// A key of ORDER BY: a plain column, a position in the field list, an aggregate of one plain
    /// column, COUNT(*), or any other expression.
    enum Kind { isColumn, isPosition, isAggregate, isCountAll, isExpression };
    /// See Kind.
    Kind Type = isColumn;
    ImportColumn Column; ///< a Column, or the argument of an Aggregate
    QString Aggregate; ///< The aggregate of isAggregate, in upper case.
    int Position = 0; ///< from 1
    bool Descending = false; ///< DESC.
    QString Text; ///< as written, without the direction
    ImportExpression Expression; ///< the key as an expression, whatever its kind
};

/// What ImportSelect read of a statement.
struct ImportedQuery {
    /// False when the text is not one SELECT statement that PostgreSQL's parser reads; Error
    /// then tells why (ErrorPosition where, as a UTF-16 index, or -1) and nothing else is set.
    bool Ok = false;
    /// See Ok.
    QString Error;
    /// See Ok.
    qsizetype ErrorPosition = -1;

    /// SELECT DISTINCT.
    bool Distinct = false;
    QVector<ImportTable> Tables; ///< in the order of the FROM clause
    QVector<ImportFromNode> From; ///< the nodes of the FROM clause
    int FromRoot = -1; ///< the whole FROM clause; -1 without one
    QVector<ImportField> Fields; ///< The field list, in text order.
    /// The WHERE clause's AND chain, one condition per term (join lines included).
    QVector<ImportCondition> Where;
    /// The WHERE clause is laid out as the WHERE-clause dialects write it: the grid's conditions
    /// on its first line, each kind of join on a line of its own beginning "   AND ".
    bool JoinLines = false;
    /// Where (UTF-16 index) the first join line begins, when JoinLines.
    qsizetype JoinLinesStart = -1;
    /// The GROUP BY entries, in text order.
    QVector<ImportGroup> GroupBy;
    /// The HAVING clause's AND chain.
    QVector<ImportCondition> Having;
    /// The statement has a HAVING clause.
    bool HasHaving = false;
    /// The ORDER BY keys, in text order.
    QVector<ImportSort> OrderBy;
    /// LIMIT, OFFSET and FETCH FIRST: how many rows the statement returns (-1 for all) after
    /// skipping Offset rows.
    qint64 Limit = -1;
    /// See Limit.
    qint64 Offset = 0;
    /// A compound statement (UNION, INTERSECT, EXCEPT, as a chain that every database reads
    /// alike): this query holds its first SELECT, Blocks the others in text order and
    /// Operators[i] the operator before Blocks[i]. OrderBy, Limit and Offset then belong to the
    /// whole and name output columns; the blocks have none of their own.
    QVector<ImportedQuery> Blocks;
    /// See Blocks.
    QVector<TSQLSetOperator> Operators;
    QStringList LeftOut; ///< what this form cannot express, one description each
};

/// Reads Sql as described above; never throws.
DIDUZACORE_EXPORT ImportedQuery ImportSelect(const QString &Sql);
/// The same for Sql as a database of that Spelling writes it (MySQL's back-quoted names, its
/// strings and comments); the texts the import keeps are Sql's own.
DIDUZACORE_EXPORT ImportedQuery ImportSelect(const QString &Sql, const SqlSpelling &Spelling);

/// Whether PostgreSQL's parser reads Sql (any statement kind); its message in *Error when not.
DIDUZACORE_EXPORT bool ParsesAsPostgres(const QString &Sql, QString *Error = nullptr);
/// The same, with where the parser's message points (a UTF-16 index into Sql, or -1).
DIDUZACORE_EXPORT bool ParsesAsPostgres(const QString &Sql, QString *Error, qsizetype *Position);
/// The same for Sql as a database of that Spelling writes it.
DIDUZACORE_EXPORT bool ParsesAsPostgres(
    const QString &Sql, const SqlSpelling &Spelling, QString *Error, qsizetype *Position);

/// The text a condition means with its tables named anew: Name gives, for each reference, the
/// text that replaces its qualifier (the full stop is added); a reference without a qualifier,
/// or one for which Name returns a null string, stays as written. When Quote is given, every
/// other name the text writes in double quotes is written as Quote gives it (for a database
/// that quotes names otherwise).
DIDUZACORE_EXPORT QString RenameTables(const ImportText &Text,
    const std::function<QString(const ImportColumn &)> &Name,
    const std::function<QString(const QString &)> &Quote = {});

} // namespace Diduza
