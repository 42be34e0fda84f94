#include "querybuilder/QueryImport.h"

#include "engines/SqlDialect.h"
#include "querybuilder/QueryGenerator.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <optional>

namespace Diduza {

namespace {

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
    Planner(const ImportedQuery &query, const QueryImportOptions &options)
        : m_q(query)
        , m_opt(options)
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

    QueryImportPlan run()
    {
        m_plan.LeftOut = m_q.LeftOut;
        m_plan.Distinct = m_q.Distinct;
        Chain chain;
        if (m_q.FromRoot >= 0) {
            std::optional<Chain> linear = linearize(m_q.FromRoot);
            if (!linear) {
                note(tr("the joins in parentheses, which the builder cannot write as one chain "
                        "of joins"));
                linear = flatten(m_q.FromRoot);
            }
            chain = *linear;
        }
        m_steps = chain.steps;
        for (int i = 0; i < m_steps.size(); ++i)
            m_position.insert(m_steps.at(i).table, i);
        classifyOn();
        QVector<Cond> where = m_deferred + chain.pending;
        for (const ImportCondition &c : m_q.Where)
            where << cond(c);
        classifyWhere(where);
        buildTablesAndRelations();
        if (m_opt.SubType == stAnsi)
            verifyJoinTree();
        else if (m_opt.SubType == stLocal && outerRowsAsked())
            note(tr("the outer joins: the local dialect writes them as plain conditions, which "
                    "keep only the matching rows"));
        buildColumns();
        m_plan.LeftOut.removeDuplicates();
        return m_plan;
    }

private:
    void note(const QString &text) { m_plan.LeftOut << text; }

    // --- tables and columns -----------------------------------------------------------------

    bool hasField(int table, const QString &field) const
    {
        for (const QString &f : m_fields.at(table)) {
            if (f.compare(field, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }

    // The table of a column: the one its qualifier names, or for a column without one the
    // first table whose fields hold it.
    int tableOf(const ImportColumn &column) const
    {
        if (column.Table >= 0 || !column.Qualifier.isEmpty())
            return column.Table;
        for (int t = 0; t < m_q.Tables.size(); ++t) {
            if (hasField(t, column.Field))
                return t;
        }
        // Without a catalogue a lone table is the only one it can be.
        if (m_q.Tables.size() == 1 && m_fields.value(0).isEmpty())
            return 0;
        return -1;
    }

    Cond cond(const ImportCondition &c) const
    {
        Cond result;
        result.source = &c;
        result.tables = c.Tables;
        for (const ImportReference &r : c.Text.References) {
            if (!r.Column.Qualifier.isEmpty())
                continue;
            const int t = tableOf(r.Column);
            if (t < 0)
                result.tablesKnown = false;
            else if (!result.tables.contains(t))
                result.tables << t;
        }
        if (c.IsComparison) {
            result.left = tableOf(c.Left);
            result.right = tableOf(c.Right);
        }
        return result;
    }

    QVector<Cond> conds(const QVector<ImportCondition> &list) const
    {
        QVector<Cond> result;
        for (const ImportCondition &c : list)
            result << cond(c);
        return result;
    }

    // --- the chain of joins ------------------------------------------------------------------

    static StepKind kindOf(ImportFromNode::Kind kind)
    {
        switch (kind) {
        case ImportFromNode::fnInner:
            return Inner;
        case ImportFromNode::fnLeft:
            return Left;
        case ImportFromNode::fnRight:
            return Right;
        case ImportFromNode::fnFull:
            return Full;
        case ImportFromNode::fnCross:
        case ImportFromNode::fnTable:
            break;
        }
        return Cross;
    }

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
    std::optional<Chain> linearize(int index)
    {
        const ImportFromNode &node = m_q.From.at(index);
        if (node.Type == ImportFromNode::fnTable) {
            Chain chain;
            chain.steps << Step { node.TableIndex, First, {} };
            return chain;
        }
        std::optional<Chain> left = linearize(node.Left);
        std::optional<Chain> right = linearize(node.Right);
        if (!left || !right)
            return std::nullopt;
        StepKind kind = kindOf(node.Type);
        QVector<Cond> on = conds(node.On);
        if (right->steps.size() == 1 && right->pending.isEmpty()) {
            if (kind == Right || kind == Full)
                settlePending(*left);
            left->steps << Step { right->steps.first().table, kind, on };
            return left;
        }
        if (left->steps.size() == 1 && left->pending.isEmpty()) {
            const StepKind mirrored = kind == Left ? Right : kind == Right ? Left : kind;
            if (mirrored == Right || mirrored == Full)
                settlePending(*right);
            right->steps << Step { left->steps.first().table, mirrored, on };
            return right;
        }
        if (kind == Inner || kind == Cross) {
            auto distributes = [](const Chain &c) {
                for (int i = 1; i < c.steps.size(); ++i) {
                    const StepKind k = c.steps.at(i).kind;
                    if (k != Inner && k != Left && k != Cross)
                        return false;
                }
                return true;
            };
            const bool swap = !distributes(*right);
            if (swap && !distributes(*left))
                return std::nullopt;
            Chain chain = swap ? *right : *left;
            const Chain &added = swap ? *left : *right;
            Step first = added.steps.first();
            first.kind = Cross;
            chain.steps << first;
            for (int i = 1; i < added.steps.size(); ++i)
                chain.steps << added.steps.at(i);
            chain.pending << added.pending << on;
            return chain;
        }
        return std::nullopt;
    }

    // The tables in FROM order, each joined as written to what comes before (best effort for
    // what the chain cannot hold).
    Chain flatten(int index)
    {
        Chain chain;
        std::function<void(int)> walk = [&](int i) {
            const ImportFromNode &node = m_q.From.at(i);
            if (node.Type == ImportFromNode::fnTable) {
                chain.steps << Step { node.TableIndex, chain.steps.isEmpty() ? First : Cross, {} };
                return;
            }
            walk(node.Left);
            const int before = int(chain.steps.size());
            walk(node.Right);
            if (before < chain.steps.size()) {
                chain.steps[before].kind = kindOf(node.Type);
                chain.steps[before].on << conds(node.On);
            }
        };
        walk(index);
        return chain;
    }

    // Places a chain's filters before a join that may add missing rows to its tables: each
    // into the ON of the last inner step from which only inner and left joins follow, as a
    // relation or (extended grid) a further condition; what finds no place is given up.
    void settlePending(Chain &chain)
    {
        for (const Cond &c : chain.pending) {
            int target = -1;
            int lastTable = -1;
            for (int i = 0; i < chain.steps.size(); ++i) {
                if (c.tables.contains(chain.steps.at(i).table))
                    lastTable = i;
            }
            for (int i = int(chain.steps.size()) - 1; i >= 0 && i >= lastTable; --i) {
                const StepKind k = chain.steps.at(i).kind;
                if (k == Right || k == Full)
                    break;
                if (k == Inner && c.tablesKnown) {
                    target = i;
                    break;
                }
            }
            if (target >= 0 && (m_opt.Extended || isRelationOf(c, chain, target))) {
                chain.steps[target].on << c;
            } else {
                note(tr("the condition %1: it cannot move past the outer join that follows it")
                         .arg(c.source->Text.Text));
            }
        }
        chain.pending.clear();
    }

    static bool isRelationOf(const Cond &c, const Chain &chain, int step)
    {
        if (!c.comparison())
            return false;
        const int t = chain.steps.at(step).table;
        return c.left == t || c.right == t;
    }

    // --- ON and WHERE -------------------------------------------------------------------

    int position(int table) const { return m_position.value(table, -1); }

    bool outerJoinAfter(int step) const
    {
        for (int i = step + 1; i < m_steps.size(); ++i) {
            if (m_steps.at(i).kind == Right || m_steps.at(i).kind == Full)
                return true;
        }
        return false;
    }

    // A comparison between the step's table and itself or a table before it.
    bool relationOfStep(const Cond &c, int step) const
    {
        if (!c.comparison())
            return false;
        const int t = m_steps.at(step).table;
        const int pl = position(c.left);
        const int pr = position(c.right);
        if (pl < 0 || pr < 0)
            return false;
        return (c.left == t && pr <= step) || (c.right == t && pl <= step);
    }

    bool reaches(const Cond &c, int step) const
    {
        return relationOfStep(c, step) && c.left != c.right;
    }

    // Sorts each step's ON into relations (m_relations), further conditions (m_extras) and
    // conditions that move to WHERE (m_deferred).
    void classifyOn()
    {
        m_relations.resize(m_steps.size());
        m_extras.resize(m_steps.size());
        for (int i = 0; i < m_steps.size(); ++i) {
            Step &step = m_steps[i];
            if (step.kind == First || (step.kind == Cross && step.on.isEmpty()))
                continue;
            bool reached = false;
            for (const Cond &c : step.on)
                reached = reached || reaches(c, i);
            const QString table = m_captions.value(step.table);
            if (!reached) {
                if (step.kind == Inner || step.kind == Cross) {
                    // No column of the table meets one before it: a cross join filtered.
                    step.kind = Cross;
                    deferAll(step.on, i);
                } else {
                    note(tr("the outer join of %1: its ON compares no column of it with a "
                            "column of the tables before it")
                             .arg(table));
                    step.kind = Cross;
                    deferAll(step.on, i);
                }
                continue;
            }
            for (const Cond &c : step.on) {
                if (relationOfStep(c, i)) {
                    m_relations[i] << c;
                } else if (m_opt.Extended) {
                    m_extras[i] << c;
                } else if (step.kind == Inner && !outerJoinAfter(i)) {
                    m_deferred << c; // the same rows, whether in ON or in WHERE
                } else {
                    note(tr("the condition %1 of the join of %2 (the extended grid keeps it "
                            "with its relation)")
                             .arg(c.source->Text.Text, table));
                }
            }
        }
    }

    void deferAll(const QVector<Cond> &list, int step)
    {
        for (const Cond &c : list) {
            if (!outerJoinAfter(step))
                m_deferred << c;
            else
                note(tr("the condition %1: it cannot move past the outer join that follows it")
                         .arg(c.source->Text.Text));
        }
    }

    // WHERE's conditions (and those moved there): relations where the joins allow, else the
    // grid's where conditions.
    void classifyWhere(const QVector<Cond> &where)
    {
        m_standardLines = std::any_of(m_q.Where.begin(), m_q.Where.end(),
            [](const ImportCondition &c) { return c.FromJoinLine; });
        QVector<bool> done(where.size(), false);
        auto addRelation = [&](const Cond &c, StepKind kind) {
            const int step = std::max(position(c.left), position(c.right));
            if (m_steps[step].kind == Cross && c.left != c.right)
                m_steps[step].kind = kind;
            m_relations[step] << c;
        };
        // Joins the statement's own layout or marks name: the standard dialect's join lines,
        // the outer-join marks, the lines of the WHERE-clause dialects.
        const bool lineKinds = m_q.JoinLines && m_opt.SubType == stLocal;
        int lineKind = -1;
        int lastLine = -1;
        for (int k = 0; k < where.size(); ++k) {
            const Cond &c = where.at(k);
            const ImportCondition &s = *c.source;
            const bool onJoinLine = m_q.JoinLines && s.Position >= m_q.JoinLinesStart;
            if (!(s.Marked || onJoinLine) || !c.comparison() || position(c.left) < 0
                || position(c.right) < 0)
                continue;
            TSDRelationJoin join = s.Marked ? s.MarkedJoin : rjInner;
            if (!s.Marked && lineKinds) {
                if (s.Line != lastLine)
                    lineKind = std::min(lineKind + 1, 3);
                lastLine = s.Line;
                static const TSDRelationJoin kinds[]
                    = { rjInner, rjLeftOuter, rjRightOuter, rjFull };
                join = kinds[lineKind];
            }
            m_markedJoin.insert(c.source, join);
            addRelation(c, stepKindOf(c, join));
            done[k] = true;
        }
        // Comparisons of two tables, where the later one's step is an inner join (or a cross
        // join, which the comparison turns into one) that no outer join keeping rows of the
        // tables before it follows.
        for (int pass = 0; pass < 2; ++pass) {
            for (int k = 0; k < where.size(); ++k) {
                const Cond &c = where.at(k);
                if (done[k] || !c.comparison() || layoutFilter(c))
                    continue;
                const int pl = position(c.left);
                const int pr = position(c.right);
                if (pl < 0 || pr < 0)
                    continue;
                const int step = std::max(pl, pr);
                const StepKind kind = m_steps.at(step).kind;
                bool ok = false;
                if (pass == 0 && c.left != c.right)
                    ok = (kind == Cross || kind == Inner) && !outerJoinAfter(step);
                else if (pass == 1 && c.left == c.right)
                    ok = kind == First || kind == Cross || (kind == Inner && !outerJoinAfter(step));
                if (!ok)
                    continue;
                if (kind == Cross && c.left != c.right)
                    m_steps[step].kind = Inner;
                m_relations[step] << c;
                done[k] = true;
            }
        }
        for (int k = 0; k < where.size(); ++k) {
            if (!done[k])
                m_filters << where.at(k);
        }
    }

    // The conditions on the WHERE line of the WHERE-clause dialects' layout are the grid's,
    // comparisons or not; so is every WHERE condition beside the standard dialect's join lines.
    bool layoutFilter(const Cond &c) const
    {
        const ImportCondition &s = *c.source;
        if (s.Marked)
            return false;
        return m_standardLines || (m_q.JoinLines && s.Position < m_q.JoinLinesStart);
    }

    // The step kind a relation of the given join kind gives the later of its tables.
    StepKind stepKindOf(const Cond &c, TSDRelationJoin join) const
    {
        const bool childLater = position(c.right) >= position(c.left);
        switch (join) {
        case rjInner:
            return Inner;
        case rjLeftOuter: // keeps the parent's rows
            return childLater ? Left : Right;
        case rjRightOuter:
            return childLater ? Right : Left;
        case rjFull:
            return Full;
        }
        return Inner;
    }

    TSDRelationJoin relationJoin(const Cond &c, int step) const
    {
        if (const auto found = m_markedJoin.constFind(c.source); found != m_markedJoin.constEnd())
            return *found;
        if (c.left == c.right)
            return rjInner;
        const bool parentIsNew = c.left == m_steps.at(step).table;
        switch (m_steps.at(step).kind) {
        case Left: // keeps the rows before
            return parentIsNew ? rjRightOuter : rjLeftOuter;
        case Right: // keeps the new table's rows
            return parentIsNew ? rjLeftOuter : rjRightOuter;
        case Full:
            return rjFull;
        default:
            break;
        }
        return rjInner;
    }

    // Whether the statement asks for the rows of an outer join (in FROM or by a mark), which
    // the local dialect's plain conditions do not keep; its own join lines ask nothing.
    bool outerRowsAsked() const
    {
        for (const ImportFromNode &node : m_q.From) {
            if (node.Type == ImportFromNode::fnLeft || node.Type == ImportFromNode::fnRight
                || node.Type == ImportFromNode::fnFull)
                return true;
        }
        for (const ImportCondition &c : m_q.Where) {
            if (c.Marked && c.MarkedJoin != rjInner)
                return true;
        }
        return false;
    }

    void buildTablesAndRelations()
    {
        m_plan.TableOfSource.fill(-1, m_q.Tables.size());
        for (const Step &step : m_steps) {
            m_plan.TableOfSource[step.table] = int(m_plan.Tables.size());
            m_plan.Tables << QueryImportPlan::Table { m_captions.value(step.table), step.table };
        }
        // In the join-tree dialect the relations go step by step, each step's reaching one
        // first: the diagram's join tree takes the first relation, in diagram order, between
        // a new table and those before it. The WHERE-clause dialects write them in diagram
        // order, so there they keep the statement's order.
        struct Planned {
            Cond cond;
            int step;
            bool reaching;
        };
        QVector<Planned> all;
        for (int i = 0; i < m_steps.size(); ++i) {
            QVector<Cond> list = m_relations.value(i);
            std::stable_partition(
                list.begin(), list.end(), [&](const Cond &c) { return reaches(c, i); });
            bool first = true;
            for (const Cond &c : list) {
                all.append({ c, i, first && reaches(c, i) });
                first = false;
            }
        }
        if (m_opt.SubType != stAnsi)
            std::stable_sort(all.begin(), all.end(), [](const Planned &a, const Planned &b) {
                return a.cond.source->Position < b.cond.source->Position;
            });
        QVector<int> firstOfStep(m_steps.size(), -1);
        for (const Planned &p : all) {
            const Cond &c = p.cond;
            QueryImportPlan::Relation r;
            r.ParentTable = m_plan.TableOfSource.value(c.left, -1);
            r.ChildTable = m_plan.TableOfSource.value(c.right, -1);
            r.ParentField = c.source->Left.Field;
            r.ChildField = c.source->Right.Field;
            r.Operator = c.source->Operator;
            r.Join = relationJoin(c, p.step);
            if (firstOfStep[p.step] < 0 || p.reaching)
                firstOfStep[p.step] = int(m_plan.Relations.size());
            m_plan.Relations << r;
            m_stepOfRelation << p.step;
        }
        for (int i = 0; i < m_steps.size(); ++i) {
            for (const Cond &c : m_extras.value(i)) {
                if (firstOfStep[i] >= 0)
                    m_plan.Relations[firstOfStep[i]].Conditions << c.source->Text;
            }
        }
    }

    // The diagram's join tree must put each table where the chain has it, with the same ON.
    void verifyJoinTree()
    {
        QVector<QPair<int, int>> ends;
        for (const QueryImportPlan::Relation &r : m_plan.Relations)
            ends << QPair<int, int>(r.ParentTable, r.ChildTable);
        const JoinTreeShape shape = JoinTreeOrder(int(m_plan.Tables.size()), ends);
        // The chain: each step's relations (a group's first table's joins to itself go to
        // WHERE, as the tree writes them).
        bool same = shape.Steps.size() == m_steps.size();
        bool allInner = true;
        bool rowsOuter = false;
        for (const Step &s : m_steps) {
            allInner = allInner && (s.kind == First || s.kind == Inner || s.kind == Cross);
            rowsOuter = rowsOuter || s.kind == Right || s.kind == Full;
        }
        QHash<int, const JoinTreeStep *> stepOfTable;
        for (const JoinTreeStep &s : shape.Steps)
            stepOfTable.insert(s.Table, &s);
        bool sameSets = shape.Steps.size() == m_steps.size();
        for (int i = 0; i < m_steps.size() && sameSets; ++i) {
            const JoinTreeStep *s = stepOfTable.value(i);
            if (!s) {
                sameSets = false;
                break;
            }
            QVector<int> planned;
            for (int r = 0; r < m_stepOfRelation.size(); ++r) {
                if (m_stepOfRelation.at(r) == i)
                    planned << r;
            }
            QVector<int> got = s->On;
            const bool root = m_steps.at(i).kind == First || m_steps.at(i).kind == Cross;
            if (root) {
                for (const int w : shape.Where) {
                    if (ends.at(w).first == i && ends.at(w).second == i)
                        got << w;
                }
            }
            std::sort(planned.begin(), planned.end());
            std::sort(got.begin(), got.end());
            if (planned != got || (s->Reaching < 0) != root) {
                sameSets = false;
                break;
            }
            if (s->Reaching >= 0) {
                const QueryImportPlan::Relation &r = m_plan.Relations.at(s->Reaching);
                const QString keyword = JoinTreeKeyword(r.Join, r.ChildTable == i);
                static const char *const words[] = { "", "INNER JOIN", "LEFT OUTER JOIN",
                    "RIGHT OUTER JOIN", "FULL OUTER JOIN" };
                const StepKind k = m_steps.at(i).kind;
                if (k >= Inner && k <= Full && keyword != QLatin1String(words[k]))
                    sameSets = false;
            }
        }
        for (int i = 0; same && i < m_steps.size(); ++i)
            same = shape.Steps.at(i).Table == i;
        if (same && sameSets)
            return;
        if (allInner && shape.Steps.size() == m_steps.size())
            return; // inner joins give the same rows in any order
        if (sameSets && !rowsOuter) {
            // Inner and left joins whose ON names only tables placed before them give the
            // same rows in any such order.
            QVector<int> placedAt(m_steps.size(), -1);
            for (int k = 0; k < shape.Steps.size(); ++k)
                placedAt[shape.Steps.at(k).Table] = k;
            bool ordered = true;
            for (int i = 0; i < m_steps.size() && ordered; ++i) {
                for (const Cond &c : m_extras.value(i)) {
                    for (const int t : c.tables) {
                        const int p = position(t);
                        if (p >= 0 && placedAt.value(p) > placedAt.value(i))
                            ordered = false;
                    }
                }
            }
            if (ordered)
                return;
        }
        note(tr("the order of the joins: the diagram cannot be drawn so that its statement "
                "joins the tables as this one does"));
    }

    // --- the grid --------------------------------------------------------------------------

    using Column = QueryImportPlan::Column;

    int planTable(int source) const { return m_plan.TableOfSource.value(source, -1); }

    static QString columnText(const ImportColumn &c)
    {
        return c.Qualifier.isEmpty() ? c.Field : c.Qualifier + QLatin1Char('.') + c.Field;
    }

    bool sameField(const Column &col, int table, const QString &field) const
    {
        return !col.AllRows && col.Table == table
            && col.Field.compare(field, Qt::CaseInsensitive) == 0;
    }

    // The output columns of the field list, by position from 1 (-1 where "*" makes it unknown).
    void buildColumns()
    {
        QVector<int> outputColumn; // field list entry -> grid column, -1 for none
        bool positionsKnown = true;
        QVector<int> byPosition; // output position - 1 -> grid column
        for (const ImportField &f : m_q.Fields) {
            Column col;
            col.Alias = f.Alias;
            if (f.AliasQuoted && f.Alias != f.Alias.toLower()) {
                // A name whose letter case counts keeps its quotes in the Alias cell.
                col.Alias = QLatin1Char('"') + QString(f.Alias).replace('"', QLatin1String("\"\""))
                    + QLatin1Char('"');
            }
            int index = -1;
            switch (f.Type) {
            case ImportField::ifColumn:
            case ImportField::ifAggregate: {
                if (f.Type == ImportField::ifColumn && f.Column.Field == QLatin1String("*")
                    && f.Column.Qualifier.isEmpty()) {
                    // "*" alone: every table's columns, in FROM order.
                    for (int t = 0; t < m_q.Tables.size(); ++t) {
                        Column all;
                        all.Table = planTable(t);
                        all.Field = QStringLiteral("*");
                        if (all.Table >= 0)
                            addColumn(all, f.Text);
                    }
                    positionsKnown = false;
                    outputColumn << -1;
                    continue;
                }
                const int source = tableOf(f.Column);
                col.Table = planTable(source);
                col.Field = f.Column.Field;
                col.Aggregate = f.Aggregate;
                if (col.Table < 0) {
                    note(tr("the field %1: no table of the statement has it").arg(f.Text));
                    outputColumn << -1;
                    byPosition << -1;
                    continue;
                }
                if (col.Field == QLatin1String("*"))
                    positionsKnown = false;
                break;
            }
            case ImportField::ifCountAll:
                col.AllRows = true;
                col.Aggregate = QStringLiteral("COUNT");
                if (!m_opt.Extended) {
                    note(tr("%1 of the field list (the extended grid has it)").arg(f.Text));
                    outputColumn << -1;
                    byPosition << -1;
                    continue;
                }
                break;
            case ImportField::ifExpression:
                note(tr("the expression %1 of the field list").arg(f.Text));
                outputColumn << -1;
                byPosition << -1;
                continue;
            }
            if (!col.Alias.isEmpty() && !m_opt.Extended) {
                note(tr("the column name %1 of %2 (the extended grid has it)")
                         .arg(col.Alias, f.Text));
                col.Alias.clear();
            }
            index = addColumn(col, f.Text);
            outputColumn << index;
            byPosition << index;
        }
        if (!positionsKnown)
            byPosition.clear();

        // GROUP BY
        for (const ImportGroup &g : m_q.GroupBy) {
            int index = -1;
            if (g.Type == ImportGroup::igColumn) {
                index = groupColumn(g.Column, g.Text);
            } else if (g.Type == ImportGroup::igPosition) {
                index = positionColumn(byPosition, g.Position, g.Text);
                if (index >= 0
                    && (m_plan.Columns.at(index).AllRows
                        || !m_plan.Columns.at(index).Aggregate.isEmpty())) {
                    note(tr("the grouping by %1, which names an aggregate").arg(g.Text));
                    index = -1;
                }
            } else {
                note(tr("the grouping by %1").arg(g.Text));
            }
            if (index >= 0)
                m_plan.Columns[index].Grouped = true;
        }
        // HAVING
        if (m_q.HasHaving) {
            QVector<int> grouped;
            for (int i = 0; i < m_plan.Columns.size(); ++i) {
                if (m_plan.Columns.at(i).Grouped)
                    grouped << i;
            }
            if (grouped.isEmpty()) {
                for (const ImportCondition &c : m_q.Having)
                    note(tr("the HAVING condition %1 (there is no grouped column to hold it)")
                             .arg(c.Text.Text));
            } else {
                place(m_q.Having, grouped, false);
            }
        }
        // ORDER BY
        QVector<int> sortedColumns;
        QSet<int> sortedSet;
        for (const ImportSort &s : m_q.OrderBy) {
            const int index = sortColumn(s, byPosition);
            if (index < 0)
                continue;
            if (sortedSet.contains(index))
                continue; // a key sorted by already decides nothing more
            sortedSet.insert(index);
            sortedColumns << index;
            m_plan.Columns[index].Sort = s.Descending ? 2 : 1;
        }
        bool inColumnOrder = std::is_sorted(sortedColumns.begin(), sortedColumns.end());
        if (!inColumnOrder) {
            if (m_opt.Extended) {
                for (int k = 0; k < sortedColumns.size(); ++k)
                    m_plan.Columns[sortedColumns.at(k)].SortOrder = k + 1;
            } else {
                note(tr("the order of ORDER BY: the builder sorts in the order of the columns "
                        "(the extended grid has a sort order)"));
            }
        }
        // WHERE
        QVector<ImportCondition> filters;
        for (const Cond &c : m_filters)
            filters << *c.source;
        if (!filters.isEmpty()) {
            QVector<int> all;
            for (int i = 0; i < m_plan.Columns.size(); ++i)
                all << i;
            if (all.isEmpty() && m_opt.Extended) {
                Column holder;
                holder.AllRows = true;
                holder.Show = false;
                all << int(m_plan.Columns.size());
                m_plan.Columns << holder;
            }
            if (all.isEmpty()) {
                for (const ImportCondition &c : filters)
                    note(tr("the condition %1 (there is no column to hold it)").arg(c.Text.Text));
            } else {
                place(filters, all, true);
            }
        }
        if (m_plan.Columns.isEmpty() && !m_q.Fields.isEmpty())
            note(tr("the field list: none of its entries is a column the builder can show"));
    }

    int addColumn(const Column &col, const QString &text)
    {
        for (const Column &other : m_plan.Columns) {
            if (col.AllRows || other.AllRows)
                continue;
            if (other.Table != col.Table)
                continue;
            const bool allFields = col.Field == QLatin1String("*");
            const bool otherAll = other.Field == QLatin1String("*");
            if (allFields != otherAll) {
                note(tr("fields that exclude each other (a table's * and its single fields): "
                        "%1")
                         .arg(text));
                return -1;
            }
            if (sameField(other, col.Table, col.Field) && !m_opt.Extended) {
                note(tr("the field %1 a second time (the extended grid has it)").arg(text));
                return -1;
            }
        }
        m_plan.Columns << col;
        return int(m_plan.Columns.size() - 1);
    }

    // A hidden column for a field that sorts, groups or filters without being in the list.
    int hiddenColumn(const Column &col, const QString &text, const QString &what)
    {
        if (!m_opt.Extended) {
            note(what);
            return -1;
        }
        // A table's * and its single fields exclude each other in the diagram.
        for (const Column &other : m_plan.Columns) {
            if (!col.AllRows && other.Table == col.Table && other.Field == QLatin1String("*")) {
                note(tr("%1, a field of a table whose * is in the field list: the builder shows "
                        "a table's * or its single fields")
                         .arg(text));
                return -1;
            }
        }
        Column hidden = col;
        hidden.Show = false;
        m_plan.Columns << hidden;
        return int(m_plan.Columns.size() - 1);
    }

    int positionColumn(const QVector<int> &byPosition, int position, const QString &text)
    {
        if (byPosition.isEmpty() && !m_q.Fields.isEmpty()) {
            note(tr("%1: a column number where * stands before it").arg(text));
            return -1;
        }
        if (position < 1 || position > byPosition.size() || byPosition.at(position - 1) < 0) {
            note(tr("%1: a column number the builder cannot follow").arg(text));
            return -1;
        }
        return byPosition.at(position - 1);
    }

    // An Alias cell's name: the text, or what stands in its quotes.
    static QString aliasName(const QString &alias)
    {
        if (alias.size() < 2 || !alias.startsWith('"') || !alias.endsWith('"'))
            return alias;
        return alias.mid(1, alias.size() - 2).replace(QLatin1String("\"\""), QLatin1String("\""));
    }

    // The output column named Name (by its alias, or a plain column's own name), or -1.
    int outputNamed(const QString &name) const
    {
        int found = -1;
        for (int i = 0; i < m_plan.Columns.size(); ++i) {
            const Column &c = m_plan.Columns.at(i);
            if (!c.Show)
                continue;
            const bool named = !c.Alias.isEmpty()
                ? aliasName(c.Alias).compare(name, Qt::CaseInsensitive) == 0
                : (c.Aggregate.isEmpty() && !c.AllRows
                    && c.Field.compare(name, Qt::CaseInsensitive) == 0);
            if (named) {
                if (found >= 0)
                    return -2; // two of them: the statement is ambiguous
                found = i;
            }
        }
        return found;
    }

    int groupColumn(const ImportColumn &column, const QString &text)
    {
        int source = tableOf(column);
        if (source < 0 && column.Qualifier.isEmpty()) {
            // Not a table's column: an output column's name.
            const int named = outputNamed(column.Field);
            if (named >= 0 && m_plan.Columns.at(named).Aggregate.isEmpty())
                return named;
            note(tr("the grouping by %1").arg(text));
            return -1;
        }
        const int table = planTable(source);
        if (table < 0) {
            note(tr("the grouping by %1").arg(text));
            return -1;
        }
        int fallback = -1;
        for (int i = 0; i < m_plan.Columns.size(); ++i) {
            const Column &c = m_plan.Columns.at(i);
            if (!sameField(c, table, column.Field))
                continue;
            if (c.Aggregate.isEmpty())
                return i;
            if (fallback < 0 && !c.Grouped)
                fallback = i;
        }
        if (fallback >= 0)
            return fallback;
        Column hidden;
        hidden.Table = table;
        hidden.Field = column.Field;
        return hiddenColumn(hidden, text,
            tr("the grouping by %1, which is not in the field list (the extended grid has a "
               "Show row)")
                .arg(text));
    }

    int sortColumn(const ImportSort &s, const QVector<int> &byPosition)
    {
        const bool ansi = m_opt.SubType == stAnsi;
        switch (s.Type) {
        case ImportSort::isPosition: {
            const int index = positionColumn(byPosition, s.Position, s.Text);
            if (index < 0)
                return -1;
            const Column &c = m_plan.Columns.at(index);
            if (c.Field == QLatin1String("*")) {
                note(tr("the sorting by %1, which names all fields").arg(s.Text));
                return -1;
            }
            if ((!c.Aggregate.isEmpty() || c.AllRows) && !ansi) {
                note(tr("the sorting by %1: this dialect sorts by the column, not its aggregate")
                         .arg(s.Text));
                return -1;
            }
            return index;
        }
        case ImportSort::isColumn: {
            if (s.Column.Qualifier.isEmpty()) {
                // An output column's name comes first.
                const int named = outputNamed(s.Column.Field);
                if (named >= 0 && (ansi || m_plan.Columns.at(named).Aggregate.isEmpty()))
                    return named;
            }
            const int table = planTable(tableOf(s.Column));
            if (table < 0) {
                note(tr("the sorting by %1").arg(s.Text));
                return -1;
            }
            for (int i = 0; i < m_plan.Columns.size(); ++i) {
                const Column &c = m_plan.Columns.at(i);
                if (sameField(c, table, s.Column.Field) && c.Aggregate.isEmpty())
                    return i;
            }
            Column hidden;
            hidden.Table = table;
            hidden.Field = s.Column.Field;
            return hiddenColumn(hidden, s.Text,
                tr("the sorting by %1, which is not in the field list (the extended grid has a "
                   "Show row)")
                    .arg(s.Text));
        }
        case ImportSort::isAggregate:
        case ImportSort::isCountAll: {
            if (!ansi) {
                note(tr("the sorting by %1: this dialect sorts by the column, not its aggregate")
                         .arg(s.Text));
                return -1;
            }
            const bool all = s.Type == ImportSort::isCountAll;
            const int table = all ? -1 : planTable(tableOf(s.Column));
            for (int i = 0; i < m_plan.Columns.size(); ++i) {
                const Column &c = m_plan.Columns.at(i);
                if (all ? c.AllRows
                        : (sameField(c, table, s.Column.Field) && c.Aggregate == s.Aggregate))
                    return i;
            }
            if (!all && table < 0) {
                note(tr("the sorting by %1").arg(s.Text));
                return -1;
            }
            Column hidden;
            hidden.Table = table;
            hidden.Field = all ? QString() : s.Column.Field;
            hidden.AllRows = all;
            hidden.Aggregate = all ? QStringLiteral("COUNT") : s.Aggregate;
            return hiddenColumn(hidden, s.Text,
                tr("the sorting by %1, which is not in the field list (the extended grid has a "
                   "Show row)")
                    .arg(s.Text));
        }
        case ImportSort::isExpression:
            break;
        }
        note(tr("the sorting by %1").arg(s.Text));
        return -1;
    }

    // Whether a condition names the column's field.
    bool mentions(const ImportCondition &c, const Column &col) const
    {
        if (col.AllRows)
            return false;
        for (const ImportReference &r : c.Text.References) {
            if (planTable(tableOf(r.Column)) == col.Table
                && r.Column.Field.compare(col.Field, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    }

    // Conditions in statement order, each in the first column from the previous one's on that
    // it names (else in the previous one's column), so that the columns give them back in
    // their order.
    void place(const QVector<ImportCondition> &conditions, const QVector<int> &targets, bool where)
    {
        int previous = 0;
        for (const ImportCondition &c : conditions) {
            int chosen = -1;
            for (int k = previous; k < targets.size() && chosen < 0; ++k) {
                if (mentions(c, m_plan.Columns.at(targets.at(k))))
                    chosen = k;
            }
            if (chosen < 0)
                chosen = previous;
            Column &col = m_plan.Columns[targets.at(chosen)];
            (where ? col.Where : col.Having) << c.Text;
            previous = chosen;
        }
    }

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
};

} // namespace

QueryImportPlan PlanImport(const ImportedQuery &Query, const QueryImportOptions &Options)
{
    if (!Query.Ok) {
        QueryImportPlan failed;
        failed.LeftOut << Query.Error;
        return failed;
    }
    Planner planner(Query, Options);
    return planner.run();
}

} // namespace Diduza
