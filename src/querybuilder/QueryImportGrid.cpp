#include "querybuilder/QueryImport.h"
#include "querybuilder/QueryImportPlanner_p.h"

#include "engines/SqlDialect.h"
#include "querybuilder/QueryGenerator.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>
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
    return !col.AllRows && col.Table == table && col.Field.compare(field, Qt::CaseInsensitive) == 0;
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
            note(tr("the column name %1 of %2 (the extended grid has it)").arg(col.Alias, f.Text));
            col.Alias.clear();
        }
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

int Planner::sortColumn(const ImportSort &s, const QVector<int> &byPosition)
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

bool Planner::mentions(const ImportCondition &c, const Column &col) const
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

void Planner::place(
    const QVector<ImportCondition> &conditions, const QVector<int> &targets, bool where)
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

} // namespace QueryPlanning
} // namespace Diduza
