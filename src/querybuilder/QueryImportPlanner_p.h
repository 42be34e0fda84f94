#pragma once

// The planner of PlanImport, whose code stands in QueryImport.cpp and, for the grid,
// QueryImportGrid.cpp. Not installed.

#include "querybuilder/QueryGenerator.h"
#include "querybuilder/QueryImport.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>

#include <optional>

namespace Diduza {
namespace QueryPlanning {

// How a step of the chain of joins joins its table to the tables before it.
enum StepKind { First, Inner, Left, Right, Full, Cross };

// A condition with the tables it depends on, found through the catalogue where it names a
// column without a table.
struct Cond {
    const ImportCondition *source = nullptr;
    int left = -1; // a comparison's tables (ImportedQuery::Tables indexes)
    int right = -1;
    QVector<int> tables;
    bool tablesKnown = true;
    bool comparison() const { return source->IsComparison && left >= 0 && right >= 0; }
};

struct Step {
    int table = -1;
    StepKind kind = First;
    QVector<Cond> on;
};

// A chain of joins and the conditions that filter its result.
struct Chain {
    QVector<Step> steps;
    QVector<Cond> pending;
};

class Planner {
    // Its texts are translated in the context of the import as a whole.
    Q_DECLARE_TR_FUNCTIONS(Diduza::QueryImport)

public:
    // A block of a compound statement sorts by output columns only.
    Planner(const ImportedQuery &query, const QueryImportOptions &options, bool block = false)
        : m_q(query)
        , m_opt(options)
        , m_block(block)
    {
        for (const ImportTable &t : m_q.Tables) {
            QString caption = m_opt.Caption ? m_opt.Caption(t.Name, t.Quoted) : QString();
            if (caption.isEmpty())
                caption = t.Name;
            m_captions << caption;
            QStringList fields = m_opt.Fields ? m_opt.Fields(caption) : QStringList();
            m_fields << fields;
        }
    }

    QueryImportPlan run();

private:
    void note(const QString &text) { m_plan.LeftOut << text; }

    // --- tables and columns -----------------------------------------------------------------

    bool hasField(int table, const QString &field) const;

    // The table of a column: the one its qualifier names, or for a column without one the
    // first table whose fields hold it.
    int tableOf(const ImportColumn &column) const;

    Cond cond(const ImportCondition &c) const;

    QVector<Cond> conds(const QVector<ImportCondition> &list) const;

    // --- the chain of joins ------------------------------------------------------------------

    static StepKind kindOf(ImportFromNode::Kind kind);

    // A FROM node as one chain, using only rewritings that keep the rows:
    //   X op T                   appends T (op's ON stays with T);
    //   T op X = X op' T         for a single table T (op' the mirror of op);
    //   X inner (Y1 k2 Y2 ...)   = (X cross Y1) k2 Y2 ... filtered by the ON, when every
    //                             k is inner, left or cross (cross products distribute over
    //                             them); the same with the sides swapped (an inner join
    //                             commutes) when only X's joins are of those kinds;
    // the filters of a side stay filters of the whole where the join keeps that side's rows
    // and its columns as they are (inner, or the kept side of a left join); before a join
    // that may add missing rows to them they are placed in an ON of that side or given up.
    std::optional<Chain> linearize(int index);

    // The tables in FROM order, each joined as written to what comes before (best effort for
    // what the chain cannot hold).
    Chain flatten(int index);

    // Places a chain's filters before a join that may add missing rows to its tables: each
    // into the ON of the last inner step from which only inner and left joins follow, as a
    // relation or (extended grid) a further condition; what finds no place is given up.
    void settlePending(Chain &chain);

    static bool isRelationOf(const Cond &c, const Chain &chain, int step);

    // --- ON and WHERE -------------------------------------------------------------------

    int position(int table) const { return m_position.value(table, -1); }

    bool outerJoinAfter(int step) const;

    // A comparison between the step's table and itself or a table before it.
    bool relationOfStep(const Cond &c, int step) const;

    bool reaches(const Cond &c, int step) const;

    // Sorts each step's ON into relations (m_relations), further conditions (m_extras) and
    // conditions that move to WHERE (m_deferred).
    void classifyOn();

    void deferAll(const QVector<Cond> &list, int step);

    // WHERE's conditions (and those moved there): relations where the joins allow, else the
    // grid's where conditions.
    void classifyWhere(const QVector<Cond> &where);

    // The conditions on the WHERE line of the WHERE-clause dialects' layout are the grid's,
    // comparisons or not; so is every WHERE condition beside the standard dialect's join lines.
    bool layoutFilter(const Cond &c) const;

    // The step kind a relation of the given join kind gives the later of its tables.
    StepKind stepKindOf(const Cond &c, TSDRelationJoin join) const;

    TSDRelationJoin relationJoin(const Cond &c, int step) const;

    // Whether the statement asks for the rows of an outer join (in FROM or by a mark), which
    // the local dialect's plain conditions do not keep; its own join lines ask nothing.
    bool outerRowsAsked() const;

    void buildTablesAndRelations();

    // The diagram's join tree must put each table where the chain has it, with the same ON.
    void verifyJoinTree();
    // Whether the tree joins table i by the relations the chain has for it, with its keyword.
    bool sameStep(int i, const JoinTreeStep &step, const JoinTreeShape &shape,
        const QVector<QPair<int, int>> &ends) const;
    // Whether each step's further conditions name only tables the tree places before it.
    bool extrasFollowTree(const JoinTreeShape &shape) const;

    // --- the grid --------------------------------------------------------------------------

    using Column = QueryImportPlan::Column;

    int planTable(int source) const { return m_plan.TableOfSource.value(source, -1); }

    static QString columnText(const ImportColumn &c);

    bool sameField(const Column &col, int table, const QString &field) const;

    // The output columns of the field list, by position from 1 (-1 where "*" makes it unknown).
    void buildColumns();
    QVector<int> fieldColumns();
    void groupBy(const QVector<int> &byPosition);
    void having();
    void orderBy(const QVector<int> &byPosition);
    void whereFilters();

    int addColumn(const Column &col, const QString &text);

    // A hidden column for a field that sorts, groups or filters without being in the list.
    int hiddenColumn(const Column &col, const QString &text, const QString &what);

    int positionColumn(const QVector<int> &byPosition, int position, const QString &text);

    // An Alias cell's name: the text, or what stands in its quotes.
    static QString aliasName(const QString &alias);

    // The output column named Name (by its alias, or a plain column's own name), or -1.
    int outputNamed(const QString &name) const;

    int groupColumn(const ImportColumn &column, const QString &text);

    int sortColumn(const ImportSort &s, const QVector<int> &byPosition);
    // The column that sorts by the aggregated column at index: itself in the join-tree
    // dialect, a hidden calculated column of its entry in the others (extended grid).
    int aggregateSort(int index, const ImportSort &s);
    // The sort of a compound statement, which names output columns: by position or by name.
    int blockSortColumn(const ImportSort &s, const QVector<int> &byPosition);
    // A column that computes an expression (extended grid): an equal one shown already, else
    // a hidden one; -1 (and a note) without the extended grid.
    int expressionColumn(const ImportExpression &e, const QString &text, const QString &what,
        const QString &aggregate = QString());
    // The first qualifier of an expression that names no table of the statement (a derived
    // table's name), or nothing.
    static QString unknownQualifier(const ImportExpression &e);
    // Whether two expressions are written alike (letter case and blanks aside, outside strings).
    // References tells whether they must name the same tables in the same places too.
    static bool sameExpression(
        const ImportExpression &a, const ImportExpression &b, bool references = true);

    // The length of "(expression)" at the start of a condition written so; -1 otherwise.
    static qsizetype headLength(const QString &condition, const QString &expression);
    // A hidden column of the first field a where condition names, to hold it (extended grid);
    // -1 where there is none.
    int holderColumn(const ImportCondition &c);

    // Whether a condition names the column's field.
    bool mentions(const ImportCondition &c, const Column &col) const;

    // Conditions in statement order, each in the first column from the previous one's on that
    // it names (else in the previous one's column), so that the columns give them back in
    // their order.
    void place(const QVector<ImportCondition> &conditions, QVector<int> targets, bool where);

    const ImportedQuery &m_q;
    const QueryImportOptions &m_opt;
    QueryImportPlan m_plan;
    QStringList m_captions;
    QVector<QStringList> m_fields;
    QVector<Step> m_steps;
    QHash<int, int> m_position; // source table -> step
    QVector<QVector<Cond>> m_relations; // by step
    QVector<QVector<Cond>> m_extras; // by step
    QVector<Cond> m_deferred;
    QVector<Cond> m_filters;
    QHash<const ImportCondition *, TSDRelationJoin> m_markedJoin;
    QVector<int> m_stepOfRelation;
    bool m_standardLines = false;
    const bool m_block;
};

} // namespace QueryPlanning
} // namespace Diduza
