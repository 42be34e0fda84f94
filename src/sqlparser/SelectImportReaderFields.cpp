#include "sqlparser/SelectImportReader_p.h"

#include <algorithm>

namespace Diduza::SelectReading {

void Reader::readTargets(const PgQuery__SelectStmt *s)
{
    const QVector<Token> &tokens = m_st.tokens();
    for (size_t i = 0; i < s->n_target_list; ++i) {
        const PgQuery__Node *n = s->target_list[i];
        if (n->node_case != PG_QUERY__NODE__NODE_RES_TARGET)
            continue;
        const PgQuery__ResTarget *t = n->res_target;
        ImportField field;
        const QVector<int> at = PgTree::Locations(t->val);
        // The entry begins where the target does (an opening parenthesis included), else at
        // its first node.
        int first = at.isEmpty() ? tokenOf(t->location) : tokenOf(PgTree::MinOf(at));
        if (t->location >= 0)
            first = std::min(first, tokenOf(t->location));
        const int last = at.isEmpty() ? first : tokenOf(PgTree::MaxOf(at));
        int end = expressionEnd(first, last, true);
        if (t->name && *t->name) {
            // The alias is the entry's last word, whatever the word before it (a column
            // may be named by a keyword, as "name" is); AS may stand before it.
            int alias = entryLastToken(first);
            if (alias > last) {
                end = alias;
                const int before = previousToken(alias);
                if (before > last && tokens.at(before).Kind == PG_QUERY__TOKEN__AS)
                    end = before;
            } else {
                alias = end;
                if (alias < tokens.size() && tokens.at(alias).Kind == PG_QUERY__TOKEN__AS)
                    alias = m_st.next(alias);
            }
            field.Alias
                = alias < tokens.size() ? m_st.identifier(alias) : QString::fromUtf8(t->name);
            field.AliasQuoted = alias < tokens.size() && m_st.quoted(alias);
        }
        field.Text = cleanText(first, end, nullptr).Text;
        field.Expression = expression(t->val, first, end);
        if (columnRef(t->val, field.Column)) {
            field.Type = ImportField::ifColumn;
        } else if (countAll(t->val)) {
            field.Type = ImportField::ifCountAll;
        } else if (aggregateOf(t->val, field.Aggregate, field.Column)) {
            field.Type = ImportField::ifAggregate;
        } else {
            field.Type = ImportField::ifExpression;
        }
        m_query.Fields.append(field);
    }
}

int Reader::entryLastToken(int from) const
{
    const QVector<Token> &tokens = m_st.tokens();
    int depth = 0;
    for (int p = previousToken(from); p >= 0 && tokens.at(p).is('('); p = previousToken(p))
        ++depth;
    int i = from;
    for (; i < tokens.size(); i = m_st.next(i)) {
        const Token &t = tokens.at(i);
        if (t.is('(') || t.is('[')) {
            ++depth;
        } else if (t.is(')') || t.is(']')) {
            if (--depth < 0)
                break;
        } else if (depth == 0 && (startsClause(t) || t.is(',') || t.is(';'))) {
            return previousToken(i);
        }
    }
    return previousToken(i);
}

bool Reader::countAll(const PgQuery__Node *value)
{
    if (!value || value->node_case != PG_QUERY__NODE__NODE_FUNC_CALL)
        return false;
    const PgQuery__FuncCall *f = value->func_call;
    return f->agg_star && !f->agg_distinct && !f->over && !f->agg_filter && f->n_agg_order == 0
        && !f->agg_within_group && f->n_funcname == 1
        && PgTree::StringOf(f->funcname[0]).toUpper() == QLatin1String("COUNT");
}

bool Reader::aggregateOf(const PgQuery__Node *value, QString &aggregate, ImportColumn &column) const
{
    if (!value || value->node_case != PG_QUERY__NODE__NODE_FUNC_CALL)
        return false;
    const PgQuery__FuncCall *f = value->func_call;
    if (f->agg_star || f->agg_distinct || f->over || f->agg_filter || f->n_agg_order > 0
        || f->agg_within_group || f->func_variadic || f->n_funcname != 1 || f->n_args != 1)
        return false;
    const QString fn = PgTree::StringOf(f->funcname[0]).toUpper();
    if (!aggregateNames().contains(fn) || !columnRef(f->args[0], column)
        || column.Field == QLatin1String("*") || column.Table == -2)
        return false;
    aggregate = fn;
    return true;
}

void Reader::readGroup(const PgQuery__Node *group)
{
    ImportGroup entry;
    entry.Text = nodeText(group);
    bool isNumber = false;
    const int position = PgTree::IntConstant(group, &isNumber);
    if (columnRef(group, entry.Column)) {
        entry.Type = ImportGroup::igColumn;
    } else if (isNumber) {
        entry.Type = ImportGroup::igPosition;
        entry.Position = position;
    } else {
        entry.Type = ImportGroup::igExpression;
    }
    entry.Expression = nodeExpression(group);
    m_query.GroupBy.append(entry);
}

void Reader::readSort(const PgQuery__Node *node)
{
    if (node->node_case != PG_QUERY__NODE__NODE_SORT_BY)
        return;
    const PgQuery__SortBy *s = node->sort_by;
    ImportSort entry;
    entry.Descending = s->sortby_dir == PG_QUERY__SORT_BY_DIR__SORTBY_DESC;
    entry.Text = nodeText(s->node);
    if (s->sortby_dir == PG_QUERY__SORT_BY_DIR__SORTBY_USING) {
        m_query.LeftOut << tr("the sorting by %1 USING an operator").arg(entry.Text);
        return;
    }
    if (s->sortby_nulls == PG_QUERY__SORT_BY_NULLS__SORTBY_NULLS_FIRST
        || s->sortby_nulls == PG_QUERY__SORT_BY_NULLS__SORTBY_NULLS_LAST) {
        m_query.LeftOut << tr("NULLS FIRST or LAST of the sorting by %1").arg(entry.Text);
        return;
    }
    bool isNumber = false;
    const int position = PgTree::IntConstant(s->node, &isNumber);
    if (columnRef(s->node, entry.Column)) {
        entry.Type = ImportSort::isColumn;
    } else if (isNumber) {
        entry.Type = ImportSort::isPosition;
        entry.Position = position;
    } else if (countAll(s->node)) {
        entry.Type = ImportSort::isCountAll;
    } else if (aggregateOf(s->node, entry.Aggregate, entry.Column)) {
        entry.Type = ImportSort::isAggregate;
    } else {
        entry.Type = ImportSort::isExpression;
    }
    entry.Expression = nodeExpression(s->node);
    m_query.OrderBy.append(entry);
}

ImportExpression Reader::nodeExpression(const PgQuery__Node *node)
{
    const QVector<int> places = PgTree::Locations(node);
    if (places.isEmpty())
        return ImportExpression();
    int first = tokenOf(PgTree::MinOf(places));
    const int last = tokenOf(PgTree::MaxOf(places));
    const QVector<Token> &tokens = m_st.tokens();
    const int end = expressionEnd(first, last, true);
    // A node's first place may stand after parentheses that open it ("(a) + b" begins at a):
    // as many of those as the span closes belong to it.
    int depth = 0, lowest = 0;
    for (int i = first; i < end && i < tokens.size(); ++i) {
        if (tokens.at(i).is('('))
            ++depth;
        else if (tokens.at(i).is(')'))
            lowest = std::min(lowest, --depth);
    }
    for (int before = previousToken(first); lowest < 0 && before >= 0 && tokens.at(before).is('(');
         before = previousToken(first)) {
        first = before;
        ++lowest;
    }
    return expression(node, first, end);
}

ImportExpression Reader::expression(const PgQuery__Node *node, int first, int end)
{
    ImportExpression e;
    ImportCondition c;
    QVector<ImportReference> refs;
    references(node, c, refs);
    e.Text = cleanText(first, end, &refs, true);
    e.Tables = c.Tables;
    std::sort(e.Tables.begin(), e.Tables.end());
    e.Unqualified = c.Unqualified;
    e.Subquery = c.Subquery;
    PgTree::Walk(node, [&](const PgQuery__Node *n) {
        if (n->node_case == PG_QUERY__NODE__NODE_SUB_LINK)
            return false;
        if (n->node_case == PG_QUERY__NODE__NODE_FUNC_CALL) {
            const PgQuery__FuncCall *f = n->func_call;
            if (f->over)
                e.Window = true;
            else if (f->n_funcname == 1
                && aggregateNames().contains(PgTree::StringOf(f->funcname[0]).toUpper()))
                e.Aggregate = true;
        }
        return true;
    });
    return e;
}

} // namespace Diduza::SelectReading
