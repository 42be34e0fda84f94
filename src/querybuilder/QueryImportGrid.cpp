#include "querybuilder/QueryImport.h"

#include "querybuilder/QueryGenerator.h"
#include "querybuilder/QueryImportPlanner_p.h"

#include <QSet>

#include <algorithm>
#include <optional>

namespace Diduza {
namespace QueryPlanning {

QString Planner::columnText(const ImportColumn &c)
{
    return c.Qualifier.isEmpty() ? c.Field : c.Qualifier + QLatin1Char('.') + c.Field;
}

bool Planner::sameField(const Column &col, int table, const QString &field) const
{
    return !col.AllRows && !col.Calculated && col.Table == table
        && col.Field.compare(field, Qt::CaseInsensitive) == 0;
}

bool Planner::sameExpression(const ImportExpression &a, const ImportExpression &b, bool references)
{
    // Outside quotes, letter case and blanks do not count.
    auto normal = [](const QString &text) {
        QString out;
        QChar quote;
        for (const QChar c : text) {
            if (!quote.isNull()) {
                out += c;
                if (c == quote)
                    quote = QChar();
            } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
                quote = c;
                out += c;
            } else if (!c.isSpace()) {
                out += c.toLower();
            }
        }
        return out;
    };
    if (normal(a.Text.Text) != normal(b.Text.Text))
        return false;
    if (!references)
        return true;
    // The same tables, reference by reference.
    if (a.Text.References.size() != b.Text.References.size())
        return false;
    for (int k = 0; k < a.Text.References.size(); ++k) {
        if (a.Text.References.at(k).Column.Table != b.Text.References.at(k).Column.Table)
            return false;
    }
    return true;
}

QString Planner::unknownQualifier(const ImportExpression &e)
{
    for (const ImportReference &r : e.Text.References) {
        if (r.Length > 0 && r.Column.Table < 0)
            return r.Column.Qualifier;
    }
    return QString();
}

int Planner::expressionColumn(
    const ImportExpression &e, const QString &text, const QString &what, const QString &aggregate)
{
    if (!m_opt.Extended || e.Text.Text.isEmpty() || !unknownQualifier(e).isEmpty()) {
        note(what);
        return -1;
    }
    for (int i = 0; i < m_plan.Columns.size(); ++i) {
        const Column &c = m_plan.Columns.at(i);
        if (c.Calculated && c.Aggregate == aggregate && sameExpression(c.Expression, e))
            return i;
    }
    Column hidden;
    hidden.Calculated = true;
    hidden.Expression = e;
    hidden.Aggregate = aggregate;
    hidden.Show = false;
    Q_UNUSED(text);
    m_plan.Columns << hidden;
    return int(m_plan.Columns.size() - 1);
}

void Planner::buildColumns()
{
    const QVector<int> byPosition = fieldColumns();
    groupBy(byPosition);
    having();
    orderBy(byPosition);
    whereFilters();
    if (m_plan.Columns.isEmpty() && !m_q.Fields.isEmpty())
        note(tr("the field list: none of its entries is a column the builder can show"));
}

// The columns of the field list; returns the grid column of each output position (empty when
// a "*" makes the positions unknown).
QVector<int> Planner::fieldColumns()
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
            if (col.Field != QLatin1String("*") && !m_fields.value(source).isEmpty()
                && !hasField(source, col.Field)) {
                note(tr("the field %1: the table has no such column").arg(f.Text));
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
            if (!m_opt.Extended || f.Expression.Text.Text.isEmpty()) {
                note(tr("the expression %1 of the field list (the extended grid has calculated "
                        "columns)")
                         .arg(f.Text));
                outputColumn << -1;
                byPosition << -1;
                continue;
            }
            if (const QString unknown = unknownQualifier(f.Expression); !unknown.isEmpty()) {
                note(tr("the expression %1 of the field list, which names %2, no table of the "
                        "statement")
                         .arg(f.Text, unknown));
                outputColumn << -1;
                byPosition << -1;
                continue;
            }
            col.Calculated = true;
            col.Expression = f.Expression;
            break;
        }
        if (!col.Alias.isEmpty() && !m_opt.Extended) {
            note(tr("the column name %1 of %2 (the extended grid has it)").arg(col.Alias, f.Text));
            col.Alias.clear();
        }
        col.Entry = f.Expression;
        index = addColumn(col, f.Text);
        outputColumn << index;
        byPosition << index;
    }
    if (!positionsKnown)
        byPosition.clear();
    return byPosition;
}

void Planner::groupBy(const QVector<int> &byPosition)
{
    // GROUP BY
    for (const ImportGroup &g : m_q.GroupBy) {
        int index = -1;
        if (g.Type == ImportGroup::igColumn) {
            index = groupColumn(g.Column, g.Text);
        } else if (g.Type == ImportGroup::igPosition) {
            index = positionColumn(byPosition, g.Position, g.Text);
            if (index >= 0
                && (m_plan.Columns.at(index).AllRows
                    || !m_plan.Columns.at(index).Aggregate.isEmpty()
                    || (m_plan.Columns.at(index).Calculated
                        && m_plan.Columns.at(index).Expression.Aggregate))) {
                note(tr("the grouping by %1, which names an aggregate").arg(g.Text));
                index = -1;
            }
        } else {
            index = expressionColumn(g.Expression, g.Text,
                tr("the grouping by %1 (the extended grid has calculated columns)").arg(g.Text));
        }
        if (index >= 0)
            m_plan.Columns[index].Grouped = true;
    }
}

void Planner::having()
{
    // HAVING
    if (m_q.HasHaving) {
        QVector<int> grouped;
        for (int i = 0; i < m_plan.Columns.size(); ++i) {
            if (m_plan.Columns.at(i).Grouped)
                grouped << i;
        }
        if (grouped.isEmpty() && m_opt.Extended && !m_q.Having.isEmpty()) {
            // The whole result is one group: a hidden column that counts the rows holds the
            // condition, grouped without naming anything in GROUP BY.
            Column holder;
            holder.AllRows = true;
            holder.Aggregate = QStringLiteral("COUNT");
            holder.Show = false;
            holder.Grouped = true;
            grouped << int(m_plan.Columns.size());
            m_plan.Columns << holder;
        }
        if (grouped.isEmpty()) {
            for (const ImportCondition &c : m_q.Having)
                note(tr("the HAVING condition %1 (there is no grouped column to hold it)")
                         .arg(c.Text.Text));
        } else {
            place(m_q.Having, grouped, false);
        }
    }
}

void Planner::orderBy(const QVector<int> &byPosition)
{
    // ORDER BY
    QVector<int> sortedColumns;
    QSet<int> sortedSet;
    for (const ImportSort &s : m_q.OrderBy) {
        const int index = m_block ? blockSortColumn(s, byPosition) : sortColumn(s, byPosition);
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
}

void Planner::whereFilters()
{
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
}

int Planner::addColumn(const Column &col, const QString &text)
{
    for (const Column &other : m_plan.Columns) {
        if (col.AllRows || other.AllRows || col.Calculated || other.Calculated)
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

int Planner::hiddenColumn(const Column &col, const QString &text, const QString &what)
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

int Planner::positionColumn(const QVector<int> &byPosition, int position, const QString &text)
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

QString Planner::aliasName(const QString &alias)
{
    if (alias.size() < 2 || !alias.startsWith('"') || !alias.endsWith('"'))
        return alias;
    return alias.mid(1, alias.size() - 2).replace(QLatin1String("\"\""), QLatin1String("\""));
}

int Planner::outputNamed(const QString &name) const
{
    int found = -1;
    for (int i = 0; i < m_plan.Columns.size(); ++i) {
        const Column &c = m_plan.Columns.at(i);
        if (!c.Show)
            continue;
        const bool named = !c.Alias.isEmpty()
            ? aliasName(c.Alias).compare(name, Qt::CaseInsensitive) == 0
            : (c.Aggregate.isEmpty() && !c.AllRows && !c.Calculated
                && c.Field.compare(name, Qt::CaseInsensitive) == 0);
        if (named) {
            if (found >= 0)
                return -2; // two of them: the statement is ambiguous
            found = i;
        }
    }
    return found;
}

int Planner::groupColumn(const ImportColumn &column, const QString &text)
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

int Planner::aggregateSort(int index, const ImportSort &s)
{
    const Column &c = m_plan.Columns.at(index);
    if (m_opt.SubType == stAnsi || c.Calculated || (c.Aggregate.isEmpty() && !c.AllRows))
        return index;
    // The other dialects sort an aggregated column by its field: the aggregate itself is a
    // hidden calculated column there.
    return expressionColumn(c.Entry, s.Text,
        tr("the sorting by %1: this dialect sorts by the column, not its aggregate (the "
           "extended grid sorts by a calculated column)")
            .arg(s.Text));
}

int Planner::sortColumn(const ImportSort &s, const QVector<int> &byPosition)
{
    switch (s.Type) {
    case ImportSort::isPosition: {
        const int index = positionColumn(byPosition, s.Position, s.Text);
        if (index < 0)
            return -1;
        const Column &c = m_plan.Columns.at(index);
        if (!c.Calculated && c.Field == QLatin1String("*")) {
            note(tr("the sorting by %1, which names all fields").arg(s.Text));
            return -1;
        }
        return aggregateSort(index, s);
    }
    case ImportSort::isColumn: {
        if (s.Column.Qualifier.isEmpty()) {
            // An output column's name comes first.
            const int named = outputNamed(s.Column.Field);
            if (named >= 0)
                return aggregateSort(named, s);
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
        if (m_opt.SubType != stAnsi)
            return expressionColumn(s.Expression, s.Text,
                tr("the sorting by %1: this dialect sorts by the column, not its aggregate (the "
                   "extended grid sorts by a calculated column)")
                    .arg(s.Text));
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
        return expressionColumn(s.Expression, s.Text,
            tr("the sorting by %1 (the extended grid has calculated columns)").arg(s.Text));
    }
    note(tr("the sorting by %1").arg(s.Text));
    return -1;
}

int Planner::blockSortColumn(const ImportSort &s, const QVector<int> &byPosition)
{
    int index = -1;
    if (s.Type == ImportSort::isPosition)
        index = positionColumn(byPosition, s.Position, s.Text);
    else if (s.Type == ImportSort::isColumn && s.Column.Qualifier.isEmpty())
        index = outputNamed(s.Column.Field);
    if (index < 0) {
        if (s.Type != ImportSort::isPosition)
            note(tr("the sorting by %1 of a compound statement (the builder sorts it by an "
                    "output column)")
                     .arg(s.Text));
        return -1;
    }
    const Column &c = m_plan.Columns.at(index);
    if (!c.Calculated && !c.AllRows && c.Field == QLatin1String("*")) {
        note(tr("the sorting by %1, which names all fields").arg(s.Text));
        return -1;
    }
    return index;
}

bool Planner::mentions(const ImportCondition &c, const Column &col) const
{
    if (col.Calculated) {
        // A condition on a calculated column begins with its expression in parentheses.
        ImportExpression bracketed = col.Expression;
        bracketed.Text.Text = QLatin1Char('(') + col.Expression.Text.Text + QLatin1Char(')');
        const qsizetype length = bracketed.Text.Text.size();
        ImportExpression head;
        head.Text.Text = c.Text.Text.left(length);
        return c.Text.Text.size() > length && sameExpression(head, bracketed, false);
    }
    if (col.AllRows)
        return false;
    for (const ImportReference &r : c.Text.References) {
        if (planTable(tableOf(r.Column)) == col.Table
            && r.Column.Field.compare(col.Field, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

qsizetype Planner::headLength(const QString &condition, const QString &expression)
{
    // "(" and the expression exactly as written, then ")".
    const QString head = QLatin1Char('(') + expression + QLatin1Char(')');
    return condition.startsWith(head) ? head.size() : -1;
}

int Planner::holderColumn(const ImportCondition &c)
{
    if (!m_opt.Extended)
        return -1;
    for (const ImportReference &r : c.Text.References) {
        const int table = planTable(tableOf(r.Column));
        if (table < 0 || r.Column.Field == QLatin1String("*"))
            continue;
        if (!m_fields.value(tableOf(r.Column)).isEmpty()
            && !hasField(tableOf(r.Column), r.Column.Field))
            continue;
        // A table's * and its single fields exclude each other in the diagram.
        const bool starred
            = std::any_of(m_plan.Columns.begin(), m_plan.Columns.end(), [&](const Column &o) {
                  return !o.AllRows && !o.Calculated && o.Table == table
                      && o.Field == QLatin1String("*");
              });
        if (starred)
            return -1;
        Column hidden;
        hidden.Table = table;
        hidden.Field = r.Column.Field;
        hidden.Show = false;
        m_plan.Columns << hidden;
        return int(m_plan.Columns.size() - 1);
    }
    return -1;
}

void Planner::place(const QVector<ImportCondition> &conditions, QVector<int> targets, bool where)
{
    int previous = 0;
    for (const ImportCondition &c : conditions) {
        int chosen = -1;
        // A condition on a calculated column goes to it before the columns its fields name;
        // the first one there keeps only its comparison ("> 0"), as the user writes it there.
        // Of several columns with that expression, the first whose cell is still empty.
        ImportText text = c.Text;
        for (int k = previous; k < targets.size() && chosen < 0; ++k) {
            const Column &col = m_plan.Columns.at(targets.at(k));
            if (col.Calculated && mentions(c, col) && (where ? col.Where : col.Having).isEmpty())
                chosen = k;
        }
        for (int k = previous; k < targets.size() && chosen < 0; ++k) {
            const Column &col = m_plan.Columns.at(targets.at(k));
            if (col.Calculated && mentions(c, col))
                chosen = k;
        }
        if (chosen >= 0) {
            const Column &col = m_plan.Columns.at(targets.at(chosen));
            const qsizetype head = col.Expression.Text.Text.size() + 2;
            const QString tail = c.Text.Text.mid(head).trimmed();
            if ((where ? col.Where : col.Having).isEmpty() && StartsWithComparison(tail)
                && head == headLength(c.Text.Text, col.Expression.Text.Text)) {
                const qsizetype cut = c.Text.Text.indexOf(tail, head);
                text = ImportText();
                text.Text = tail;
                for (ImportReference r : c.Text.References) {
                    if (r.Start >= cut) {
                        r.Start -= cut;
                        text.References << r;
                    }
                }
                for (ImportQuotedName q : c.Text.QuotedNames) {
                    if (q.Start >= cut) {
                        q.Start -= cut;
                        text.QuotedNames << q;
                    }
                }
            }
        }
        for (int k = previous; k < targets.size() && chosen < 0; ++k) {
            if (mentions(c, m_plan.Columns.at(targets.at(k))))
                chosen = k;
        }
        const bool anywhere = std::any_of(targets.begin(), targets.end(),
            [&](int t) { return mentions(c, m_plan.Columns.at(t)); });
        if (chosen < 0 && where && !anywhere) {
            // A condition on a field that is not in the grid gets a hidden column of that field.
            const int hidden = holderColumn(c);
            if (hidden >= 0) {
                targets << hidden;
                chosen = int(targets.size() - 1);
            }
        }
        if (chosen < 0)
            chosen = previous;
        Column &col = m_plan.Columns[targets.at(chosen)];
        (where ? col.Where : col.Having) << text;
        previous = chosen;
    }
}

} // namespace QueryPlanning
} // namespace Diduza
