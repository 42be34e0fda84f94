#include "sqlparser/SelectImportReader_p.h"

#include "platform/RelationOperators.h"

#include <algorithm>

namespace Diduza::SelectReading {

namespace {

bool comparisonOperator(const QString &op, TSDRelationOperator &result)
{
    if (op == QLatin1String("!=")) { // the other spelling of <>
        result = roNonEqual;
        return true;
    }
    for (const RelationOperatorText &entry : RelationOperatorTexts) {
        if (op == QLatin1String(entry.Text)) {
            result = entry.Operator;
            return true;
        }
    }
    return false;
}

// "1 = 1", which the WHERE-clause dialects write when only joins stand in WHERE.
bool isOneEqualsOne(const PgQuery__Node *node)
{
    if (!node || node->node_case != PG_QUERY__NODE__NODE_A_EXPR)
        return false;
    const PgQuery__AExpr *e = node->a_expr;
    bool left = false, right = false;
    return e->kind == PG_QUERY__A__EXPR__KIND__AEXPR_OP && e->n_name == 1
        && PgTree::StringOf(e->name[0]) == QLatin1String("=")
        && PgTree::IntConstant(e->lexpr, &left) == 1 && left
        && PgTree::IntConstant(e->rexpr, &right) == 1 && right;
}

} // namespace

int Reader::resolve(const QStringList &folded) const
{
    if (folded.size() < 2)
        return -1;
    const QString &q = folded.at(folded.size() - 2);
    const QString schema = folded.size() >= 3 ? folded.at(folded.size() - 3) : QString();
    for (int s = int(m_scopes.size()) - 1; s >= 0; --s) {
        for (const Scope::Entry &e : m_scopes.at(s).entries) {
            const bool named = e.alias.isEmpty()
                ? (e.relname == q && (schema.isEmpty() || schema == e.schemaname))
                : (schema.isEmpty() && e.alias == q);
            if (named)
                return s == 0 ? e.table : -2;
        }
    }
    return -1;
}

bool Reader::columnRef(const PgQuery__Node *node, ImportColumn &column, qsizetype *start,
    qsizetype *qualifierLength) const
{
    if (!node || node->node_case != PG_QUERY__NODE__NODE_COLUMN_REF)
        return false;
    const PgQuery__ColumnRef *ref = node->column_ref;
    if (ref->n_fields == 0)
        return false;
    QStringList folded;
    for (size_t i = 0; i < ref->n_fields; ++i) {
        const PgQuery__Node *f = ref->fields[i];
        if (f->node_case == PG_QUERY__NODE__NODE_A_STAR)
            folded << QStringLiteral("*");
        else if (f->node_case == PG_QUERY__NODE__NODE_STRING)
            folded << PgTree::StringOf(f);
        else
            return false;
    }
    const Written w = written(ref->location, int(ref->n_fields));
    const QStringList parts = w.parts.size() == folded.size() ? w.parts : folded;
    column.Field = parts.last();
    column.FieldQuoted = w.parts.size() == folded.size() && w.quoted.last();
    column.Qualifier = parts.mid(0, parts.size() - 1).join(QLatin1Char('.'));
    column.Table = resolve(folded);
    if (start)
        *start = w.start >= 0 ? w.start : m_st.utf16(ref->location);
    if (qualifierLength)
        *qualifierLength
            = (folded.size() > 1 && w.lastDotEnd >= 0 && w.start >= 0) ? w.lastDotEnd - w.start : 0;
    return true;
}

void Reader::references(
    const PgQuery__Node *node, ImportCondition &condition, QVector<ImportReference> &refs)
{
    PgTree::Walk(node, [&](const PgQuery__Node *n) {
        switch (n->node_case) {
        case PG_QUERY__NODE__NODE_COLUMN_REF: {
            ImportReference ref;
            qsizetype start = 0, length = 0;
            if (!columnRef(n, ref.Column, &start, &length) || ref.Column.Table == -2)
                return false;
            ref.Start = start;
            ref.Length = length;
            if (ref.Column.Qualifier.isEmpty())
                condition.Unqualified = true;
            else if (ref.Column.Table >= 0 && !condition.Tables.contains(ref.Column.Table))
                condition.Tables.append(ref.Column.Table);
            refs.append(ref);
            return false;
        }
        case PG_QUERY__NODE__NODE_SUB_LINK: {
            condition.Subquery = true;
            const PgQuery__SubLink *link = n->sub_link;
            if (link->testexpr)
                references(link->testexpr, condition, refs);
            if (link->subselect && link->subselect->node_case == PG_QUERY__NODE__NODE_SELECT_STMT)
                nestedSelect(link->subselect->select_stmt, condition, refs);
            return false;
        }
        case PG_QUERY__NODE__NODE_FUNC_CALL: {
            const PgQuery__FuncCall *f = n->func_call;
            if (f->n_funcname == 1
                && aggregateNames().contains(PgTree::StringOf(f->funcname[0]).toUpper()))
                condition.Aggregate = true;
            return true;
        }
        default:
            return true;
        }
    });
}

void Reader::nestedSelect(
    const PgQuery__SelectStmt *s, ImportCondition &condition, QVector<ImportReference> &refs)
{
    Scope scope;
    std::function<void(const PgQuery__Node *)> names = [&](const PgQuery__Node *item) {
        if (!item)
            return;
        if (item->node_case == PG_QUERY__NODE__NODE_RANGE_VAR) {
            const PgQuery__RangeVar *r = item->range_var;
            scope.entries.append({ r->alias ? QString::fromUtf8(r->alias->aliasname) : QString(),
                QString::fromUtf8(r->relname), QString::fromUtf8(r->schemaname), -1 });
        } else if (item->node_case == PG_QUERY__NODE__NODE_JOIN_EXPR) {
            names(item->join_expr->larg);
            names(item->join_expr->rarg);
        } else if (item->node_case == PG_QUERY__NODE__NODE_RANGE_SUBSELECT
            && item->range_subselect->alias) {
            scope.entries.append({ QString::fromUtf8(item->range_subselect->alias->aliasname),
                QString(), QString(), -1 });
        }
    };
    for (const PgQuery__SelectStmt *part = s; part; part = part->larg) {
        for (size_t i = 0; i < part->n_from_clause; ++i)
            names(part->from_clause[i]);
        if (part->op == PG_QUERY__SET_OPERATION__SETOP_NONE)
            break;
    }
    m_scopes.append(scope);
    // Unqualified columns of a nested SELECT are taken as its own.
    PgTree::WalkMessage(&s->base, [&](const PgQuery__Node *n) {
        if (n->node_case == PG_QUERY__NODE__NODE_COLUMN_REF) {
            ImportReference ref;
            qsizetype start = 0, length = 0;
            if (columnRef(n, ref.Column, &start, &length) && ref.Column.Table >= 0) {
                ref.Start = start;
                ref.Length = length;
                if (!condition.Tables.contains(ref.Column.Table))
                    condition.Tables.append(ref.Column.Table);
                refs.append(ref);
            }
            return false;
        }
        if (n->node_case == PG_QUERY__NODE__NODE_SUB_LINK) {
            if (n->sub_link->testexpr)
                references(n->sub_link->testexpr, condition, refs);
            if (n->sub_link->subselect
                && n->sub_link->subselect->node_case == PG_QUERY__NODE__NODE_SELECT_STMT)
                nestedSelect(n->sub_link->subselect->select_stmt, condition, refs);
            return false;
        }
        return true;
    });
    m_scopes.removeLast();
}

QVector<ImportCondition> Reader::conditions(const PgQuery__Node *expr, int keyword)
{
    QVector<ImportCondition> result;
    QVector<const PgQuery__Node *> parts;
    PgTree::Conjuncts(expr, parts);
    const QVector<int> all = PgTree::Locations(expr);
    if (parts.isEmpty() || all.isEmpty())
        return result;
    struct Part {
        const PgQuery__Node *node;
        int first; // token of its first place
        int last; // token of its last place
    };
    QVector<Part> ordered;
    for (const PgQuery__Node *p : parts) {
        const QVector<int> at = PgTree::Locations(p);
        if (at.isEmpty())
            continue;
        ordered.append({ p, tokenOf(PgTree::MinOf(at)), tokenOf(PgTree::MaxOf(at)) });
    }
    std::sort(ordered.begin(), ordered.end(),
        [](const Part &a, const Part &b) { return a.first < b.first; });
    const QVector<Token> &tokens = m_st.tokens();
    // The clause: from after its keyword to where the whole chain ends.
    const int firstToken = tokenOf(PgTree::MinOf(all));
    int start = -1;
    for (int i = 0; i < firstToken && i < tokens.size(); ++i) {
        if (tokens.at(i).Kind == keyword)
            start = i + 1;
    }
    if (start < 0)
        start = firstToken;
    const int clauseEnd = expressionEnd(start, tokenOf(PgTree::MaxOf(all)), false);
    // Each part ends at the first AND after its last place.
    int from = start;
    for (int k = 0; k < ordered.size(); ++k) {
        int to = clauseEnd;
        if (k + 1 < ordered.size()) {
            for (int i = ordered.at(k).last + 1; i < ordered.at(k + 1).first; ++i) {
                if (tokens.at(i).Kind == PG_QUERY__TOKEN__AND) {
                    to = i;
                    break;
                }
            }
        }
        if (!isOneEqualsOne(ordered.at(k).node))
            result.append(condition(ordered.at(k).node, from, to));
        from = to + 1;
    }
    return result;
}

ImportCondition Reader::condition(const PgQuery__Node *node, int from, int to)
{
    ImportCondition c;
    QVector<ImportReference> refs;
    references(node, c, refs);
    std::sort(c.Tables.begin(), c.Tables.end());
    c.Text = cleanText(from, to, &refs);
    const QVector<int> at = PgTree::Locations(node);
    c.Position = m_st.utf16(PgTree::MinOf(at));
    c.Line = int(m_st.text().left(c.Position).count(QLatin1Char('\n')));

    if (node->node_case != PG_QUERY__NODE__NODE_A_EXPR)
        return c;
    const PgQuery__AExpr *e = node->a_expr;
    if (e->kind != PG_QUERY__A__EXPR__KIND__AEXPR_OP || e->n_name != 1
        || !comparisonOperator(PgTree::StringOf(e->name[0]), c.Operator))
        return c;
    ImportColumn left, right;
    qsizetype leftAt = 0, rightAt = 0;
    if (!columnRef(e->lexpr, left, &leftAt) || !columnRef(e->rexpr, right, &rightAt)
        || left.Field == QLatin1String("*") || right.Field == QLatin1String("*") || left.Table == -2
        || right.Table == -2)
        return c;
    c.IsComparison = true;
    c.Left = left;
    c.Right = right;

    // Oracle: "(+)" on the side that may be missing; MSSQL: "*" on the side kept.
    const qsizetype op = m_st.utf16(e->location);
    const int opLength = int(PgTree::StringOf(e->name[0]).size());
    bool keepLeft = m_marks.stars.contains(op - 1);
    bool keepRight = m_marks.stars.contains(op + opLength);
    const qsizetype end
        = to < m_st.tokens().size() ? m_st.tokens().at(to).Start : m_st.text().size();
    for (const qsizetype plus : m_marks.plus) {
        if (plus > leftAt && plus < op)
            keepRight = true; // the left side may be missing
        else if (plus > rightAt && plus < end)
            keepLeft = true;
    }
    if (keepLeft || keepRight) {
        c.Marked = true;
        c.MarkedJoin = keepLeft && keepRight ? rjFull : keepLeft ? rjLeftOuter : rjRightOuter;
    }
    return c;
}

void Reader::readWhere(const PgQuery__Node *where)
{
    m_query.Where = conditions(where, PG_QUERY__TOKEN__WHERE);
    if (m_query.Where.isEmpty())
        return;
    // The WHERE-clause dialects' layout: the grid's conditions on the WHERE line, then the
    // joins, each kind on a line of its own beginning "   AND ".
    const QString &text = m_st.text();
    int whereLine = -1;
    for (const Token &t : m_st.tokens()) {
        if (t.Kind == PG_QUERY__TOKEN__WHERE && t.Start < m_query.Where.first().Position)
            whereLine = int(text.left(t.Start).count(QLatin1Char('\n')));
    }
    bool joinLines = false;
    for (const ImportCondition &c : m_query.Where) {
        if (c.Line <= whereLine)
            continue;
        const qsizetype lineStart = text.lastIndexOf(QLatin1Char('\n'), c.Position) + 1;
        if (!QStringView(text).mid(lineStart).startsWith(QLatin1String("   AND "))
            || !c.IsComparison)
            return;
        if (!joinLines)
            m_query.JoinLinesStart = lineStart;
        joinLines = true;
    }
    m_query.JoinLines = joinLines;
    if (!joinLines)
        m_query.JoinLinesStart = -1;
}

void Reader::addJoinLines(const QVector<JoinLine> &lines)
{
    if (lines.isEmpty())
        return;
    for (const JoinLine &line : lines) {
        const QString prefix = QStringLiteral("SELECT WHERE ");
        const Statement sub(prefix + line.condition);
        if (!sub.ok() || sub.tree()->n_stmts != 1)
            continue;
        const PgQuery__Node *stmt = sub.tree()->stmts[0]->stmt;
        if (!stmt || stmt->node_case != PG_QUERY__NODE__NODE_SELECT_STMT)
            continue;
        Reader reader(sub, LegacyMarks());
        reader.m_scopes = m_scopes;
        QVector<ImportCondition> found
            = reader.conditions(stmt->select_stmt->where_clause, PG_QUERY__TOKEN__WHERE);
        for (ImportCondition &c : found) {
            c.Marked = true;
            c.MarkedJoin = line.join;
            c.FromJoinLine = true;
            c.Position = line.start;
            c.Line = int(m_st.text().left(line.start).count(QLatin1Char('\n')));
            m_query.Where.append(c);
        }
    }
    std::stable_sort(m_query.Where.begin(), m_query.Where.end(),
        [](const ImportCondition &a, const ImportCondition &b) { return a.Position < b.Position; });
}

} // namespace Diduza::SelectReading
