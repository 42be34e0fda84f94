#include "querybuilder/QueryImport.h"

#include "engines/SqlDialect.h"
#include "querybuilder/QueryGenerator.h"
#include "querybuilder/QueryImportPlanner_p.h"

#include <QCoreApplication>
#include <QHash>

#include <algorithm>
#include <optional>

namespace Diduza {
namespace QueryPlanning {

QueryImportPlan Planner::run()
{
    m_plan.LeftOut = m_q.LeftOut;
    m_plan.Distinct = m_q.Distinct;
    if (m_opt.Extended) {
        m_plan.Limit = m_q.Limit;
        m_plan.Offset = m_q.Offset;
    } else if (m_q.Limit >= 0 || m_q.Offset > 0) {
        note(tr("the row limit (LIMIT, OFFSET; the extended grid has it)"));
    }
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

bool Planner::hasField(int table, const QString &field) const
{
    for (const QString &f : m_fields.at(table)) {
        if (f.compare(field, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

int Planner::tableOf(const ImportColumn &column) const
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

Cond Planner::cond(const ImportCondition &c) const
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

QVector<Cond> Planner::conds(const QVector<ImportCondition> &list) const
{
    QVector<Cond> result;
    for (const ImportCondition &c : list)
        result << cond(c);
    return result;
}

StepKind Planner::kindOf(ImportFromNode::Kind kind)
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

std::optional<Chain> Planner::linearize(int index)
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

Chain Planner::flatten(int index)
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

void Planner::settlePending(Chain &chain)
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

bool Planner::isRelationOf(const Cond &c, const Chain &chain, int step)
{
    if (!c.comparison())
        return false;
    const int t = chain.steps.at(step).table;
    return c.left == t || c.right == t;
}

bool Planner::outerJoinAfter(int step) const
{
    for (int i = step + 1; i < m_steps.size(); ++i) {
        if (m_steps.at(i).kind == Right || m_steps.at(i).kind == Full)
            return true;
    }
    return false;
}

bool Planner::relationOfStep(const Cond &c, int step) const
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

bool Planner::reaches(const Cond &c, int step) const
{
    return relationOfStep(c, step) && c.left != c.right;
}

void Planner::classifyOn()
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

void Planner::deferAll(const QVector<Cond> &list, int step)
{
    for (const Cond &c : list) {
        if (!outerJoinAfter(step))
            m_deferred << c;
        else
            note(tr("the condition %1: it cannot move past the outer join that follows it")
                     .arg(c.source->Text.Text));
    }
}

void Planner::classifyWhere(const QVector<Cond> &where)
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
    // the outer-join marks, the lines of the WHERE-clause dialects. A plain comparison on such
    // a line is an inner join whatever line it stands on: the local dialect writes every kind
    // of join so, and the database reads each as the comparison it is.
    for (int k = 0; k < where.size(); ++k) {
        const Cond &c = where.at(k);
        const ImportCondition &s = *c.source;
        const bool onJoinLine = m_q.JoinLines && s.Position >= m_q.JoinLinesStart;
        if (!(s.Marked || onJoinLine) || !c.comparison() || position(c.left) < 0
            || position(c.right) < 0)
            continue;
        const TSDRelationJoin join = s.Marked ? s.MarkedJoin : rjInner;
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

bool Planner::layoutFilter(const Cond &c) const
{
    const ImportCondition &s = *c.source;
    if (s.Marked)
        return false;
    return m_standardLines || (m_q.JoinLines && s.Position < m_q.JoinLinesStart);
}

StepKind Planner::stepKindOf(const Cond &c, TSDRelationJoin join) const
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

TSDRelationJoin Planner::relationJoin(const Cond &c, int step) const
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

bool Planner::outerRowsAsked() const
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

void Planner::buildTablesAndRelations()
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

bool Planner::sameStep(int i, const JoinTreeStep &step, const JoinTreeShape &shape,
    const QVector<QPair<int, int>> &ends) const
{
    QVector<int> planned;
    for (int r = 0; r < m_stepOfRelation.size(); ++r) {
        if (m_stepOfRelation.at(r) == i)
            planned << r;
    }
    QVector<int> got = step.On;
    const bool root = m_steps.at(i).kind == First || m_steps.at(i).kind == Cross;
    if (root) {
        for (const int w : shape.Where) {
            if (ends.at(w).first == i && ends.at(w).second == i)
                got << w;
        }
    }
    std::sort(planned.begin(), planned.end());
    std::sort(got.begin(), got.end());
    if (planned != got || (step.Reaching < 0) != root)
        return false;
    if (step.Reaching < 0)
        return true;
    const QueryImportPlan::Relation &r = m_plan.Relations.at(step.Reaching);
    const QString keyword = JoinTreeKeyword(r.Join, r.ChildTable == i);
    static const char *const words[]
        = { "", "INNER JOIN", "LEFT OUTER JOIN", "RIGHT OUTER JOIN", "FULL OUTER JOIN" };
    const StepKind k = m_steps.at(i).kind;
    return !(k >= Inner && k <= Full && keyword != QLatin1String(words[k]));
}

bool Planner::extrasFollowTree(const JoinTreeShape &shape) const
{
    QVector<int> placedAt(m_steps.size(), -1);
    for (int k = 0; k < shape.Steps.size(); ++k)
        placedAt[shape.Steps.at(k).Table] = k;
    for (int i = 0; i < m_steps.size(); ++i) {
        for (const Cond &c : m_extras.value(i)) {
            for (const int t : c.tables) {
                const int p = position(t);
                if (p >= 0 && placedAt.value(p) > placedAt.value(i))
                    return false;
            }
        }
    }
    return true;
}

void Planner::verifyJoinTree()
{
    QVector<QPair<int, int>> ends;
    for (const QueryImportPlan::Relation &r : m_plan.Relations)
        ends << QPair<int, int>(r.ParentTable, r.ChildTable);
    const JoinTreeShape shape = JoinTreeOrder(int(m_plan.Tables.size()), ends);
    // The chain: each step's relations (a group's first table's joins to itself go to
    // WHERE, as the tree writes them).
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
        sameSets = s && sameStep(i, *s, shape, ends);
    }
    bool same = shape.Steps.size() == m_steps.size();
    for (int i = 0; same && i < m_steps.size(); ++i)
        same = shape.Steps.at(i).Table == i;
    if (same && sameSets)
        return;
    if (allInner && shape.Steps.size() == m_steps.size())
        return; // inner joins give the same rows in any order
    // Inner and left joins whose ON names only tables placed before them give the same rows in
    // any such order.
    if (sameSets && !rowsOuter && extrasFollowTree(shape))
        return;
    note(tr("the order of the joins: the diagram cannot be drawn so that its statement "
            "joins the tables as this one does"));
}

} // namespace QueryPlanning

using QueryPlanning::Planner;

QueryImportPlan PlanImport(const ImportedQuery &Query, const QueryImportOptions &Options)
{
    if (!Query.Ok) {
        QueryImportPlan failed;
        failed.LeftOut << Query.Error;
        return failed;
    }
    if (Query.Blocks.isEmpty()) {
        Planner planner(Query, Options, Options.Block);
        return planner.run();
    }
    // A compound: the blocks one by one, the sort and limit of the whole on the first.
    ImportedQuery first = Query;
    first.Blocks.clear();
    first.Operators.clear();
    QueryImportPlan plan = QueryPlanning::Planner(first, Options, true).run();
    if (!Options.Extended)
        plan.LeftOut << QCoreApplication::translate("Diduza::QueryImport",
            "UNION, INTERSECT or EXCEPT: only the first SELECT is shown (the extended grid "
            "shows each SELECT as a block)");
    for (const ImportedQuery &block : Query.Blocks) {
        ImportedQuery own = block;
        own.LeftOut.clear(); // the whole's LeftOut holds them already
        const QueryImportPlan blockPlan = QueryPlanning::Planner(own, Options, true).run();
        plan.LeftOut << blockPlan.LeftOut;
        if (Options.Extended)
            plan.Blocks << blockPlan;
    }
    if (Options.Extended)
        plan.Operators = Query.Operators;
    plan.LeftOut.removeDuplicates();
    return plan;
}

} // namespace Diduza
