#pragma once

// The reader behind ImportSelect: what a SELECT read by PostgreSQL's parser holds, as an
// ImportedQuery, with names and texts as the statement writes them. Its code stands in
// SelectImportReader.cpp (the statement, text spans, names, FROM and its joins),
// SelectImportReaderConditions.cpp (column references, ON, WHERE and HAVING, the standard
// dialect's join lines) and SelectImportReaderFields.cpp (the field list, GROUP BY and
// ORDER BY). Not installed.

#include "sqlparser/PgTree_p.h"
#include "sqlparser/SelectImport.h"
#include "sqlparser/SelectImportLegacy_p.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QStringList>

namespace Diduza::SelectReading {

using PgTree::Statement;
using PgTree::Token;

// The names by which the statement's own tables can be named, for one level of SELECT.
struct Scope {
    struct Entry {
        QString alias; // as the tree folds it
        QString relname;
        QString schemaname;
        int table; // into ImportedQuery::Tables; -1 for a table of a nested SELECT
    };
    QVector<Entry> entries;
};

class Reader {
    // Its texts are translated in the context of the import as a whole.
    Q_DECLARE_TR_FUNCTIONS(Diduza::SelectImport)

public:
    Reader(const Statement &statement, const LegacyMarks &marks)
        : m_st(statement)
        , m_marks(marks)
        , m_scopes(1)
    {
    }

    ImportedQuery run(const PgQuery__SelectStmt *select, const QVector<JoinLine> &joinLines);

private:
    // One SELECT: everything but its ORDER BY and row limit.
    void readBlock(const PgQuery__SelectStmt *s, const QVector<JoinLine> &joinLines);
    void readOrderAndLimit(const PgQuery__SelectStmt *s);
    // UNION, INTERSECT and EXCEPT: a block per SELECT where they form a plain chain.
    ImportedQuery compound(const PgQuery__SelectStmt *select, const QVector<JoinLine> &joinLines);
    void noteUnsupported(const PgQuery__SelectStmt *s);

    // SUM, COUNT, MAX, MIN and AVG.
    static const QSet<QString> &aggregateNames();

    // --- text spans ------------------------------------------------------------------------

    // A keyword that begins the next clause of the statement (FROM, WHERE, ORDER, UNION, ...).
    static bool startsClause(const Token &t);
    // Whether a token ends an expression that stands at depth 0 after its last node.
    static bool endsExpression(const Token &t);

    // The token index where an expression whose nodes lie at the given places ends: the
    // first token after its last node that stands at depth 0 and cannot continue it, or a
    // closing parenthesis of an enclosing pair.
    int expressionEnd(int firstToken, int lastNodeToken, bool andEnds) const;

    bool previousEndsOperand(int i) const;

    // The token before i that is not a comment; -1 at the start.
    int previousToken(int i) const;

    int tokenOf(int byteOffset) const { return m_st.tokenFrom(m_st.utf16(byteOffset)); }

    // The text from the first of the places to the end of the expression they belong to.
    QString spanText(const QVector<int> &places) const;

    // The text of a FROM entry that is not a table: from the parenthesis or keyword that opens
    // it (its first place lies inside) to its end.
    QString entryText(const QVector<int> &places) const;

    // The text of tokens [first, end) with comments turned into blanks, unmatched
    // parentheses at either end and one pair around all of it removed; with references
    // (column references whose ColumnRef begins in the range) when refs is given.
    ImportText cleanText(int first, int end, const QVector<ImportReference> *refs,
        bool keepEnclosing = false) const;
    // The tokens [a, b] of [first, end) that cleanText keeps: comments at either end, the
    // parentheses of an enclosing group and one pair around all of it left out.
    void keptRange(int first, int end, int &a, int &b, bool keepEnclosing = false) const;
    // An expression of the field list, GROUP BY or ORDER BY over tokens [first, end).
    ImportExpression expression(const PgQuery__Node *node, int first, int end);
    // The same for a node, over the text its places span.
    ImportExpression nodeExpression(const PgQuery__Node *node);

    // --- names -----------------------------------------------------------------------------

    // The written parts of a dotted name that begins at the token of byteOffset: count parts,
    // each a word or a quoted name, joined by full stops ("*" allowed as the last).
    struct Written {
        QStringList parts;
        QVector<bool> quoted;
        qsizetype start = -1;
        qsizetype lastDotEnd = -1; // after the full stop before the last part
    };
    Written written(int byteOffset, int count) const;

    void collectTables(const PgQuery__Node *item);

    // The alias as written (the tree cuts long names), found as the last word before the
    // place after which the alias stands.
    QString aliasText(const PgQuery__Alias *alias, int tableLocation) const;

    // --- FROM ------------------------------------------------------------------------------

    int addNode(ImportFromNode::Kind kind, int left, int right);

    int readFrom(const PgQuery__Node *item);

    // --- column references ------------------------------------------------------------------

    // Which table of the statement a column's qualifier names; -2 for a table of a nested
    // SELECT (the column is not the statement's own), -1 for none.
    int resolve(const QStringList &folded) const;

    // A ColumnRef as an ImportColumn; false for one with indirection or no fields.
    bool columnRef(const PgQuery__Node *node, ImportColumn &column, qsizetype *start = nullptr,
        qsizetype *qualifierLength = nullptr) const;

    // The statement's own column references below node, and what else the condition holds.
    void references(
        const PgQuery__Node *node, ImportCondition &condition, QVector<ImportReference> &refs);

    // A SELECT inside a condition: its own tables hide the statement's of the same name.
    void nestedSelect(
        const PgQuery__SelectStmt *s, ImportCondition &condition, QVector<ImportReference> &refs);

    // --- conditions --------------------------------------------------------------------

    // The AND chain of expr, which follows the last keyword token of the given kind before it.
    QVector<ImportCondition> conditions(const PgQuery__Node *expr, int keyword);

    ImportCondition condition(const PgQuery__Node *node, int from, int to);

    void readWhere(const PgQuery__Node *where);

    // The conditions of the standard dialect's join lines, read one by one.
    void addJoinLines(const QVector<JoinLine> &lines);

    // --- fields, groups, sorts ---------------------------------------------------------------

    // The field list: each entry's text, its alias as written and what it is.
    void readTargets(const PgQuery__SelectStmt *s);

    // The last token of the field list's entry whose first node begins at token from: the
    // one before the comma or clause keyword that ends the entry at depth 0 (parentheses
    // opened right before that node belong to the entry).
    int entryLastToken(int from) const;

    static bool countAll(const PgQuery__Node *value);

    bool aggregateOf(const PgQuery__Node *value, QString &aggregate, ImportColumn &column) const;

    QString nodeText(const PgQuery__Node *node) const { return spanText(PgTree::Locations(node)); }

    void readGroup(const PgQuery__Node *group);

    void readSort(const PgQuery__Node *node);

    const Statement &m_st;
    LegacyMarks m_marks;
    ImportedQuery m_query;
    QVector<Scope> m_scopes;
    QHash<const PgQuery__RangeVar *, int> m_tableOfRangeVar;
};

} // namespace Diduza::SelectReading
