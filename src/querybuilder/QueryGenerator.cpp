#include "querybuilder/QueryGenerator.h"

#include "engines/SqlDialect.h"
#include "platform/Exceptions.h"
#include "platform/RelationOperators.h"
#include "platform/ResourceStrings.h"
#include "querybuilder/SqlTemplate.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <queue>

#include <algorithm>
#include <functional>
#include <limits>
#include <vector>

namespace Diduza {

namespace {

const QChar Quote(QLatin1Char('"'));

// The name enclosed in double quotes, its own double quotes doubled, so that the database
// reads the name back exactly as it was.
QString quoteName(const QString &name)
{
    QString inner = name;
    inner.replace(Quote, QStringLiteral("\"\""));
    return Quote + inner + Quote;
}

// Whether the text is one name in double quotes (its own quotes doubled).
bool isQuotedName(const QString &text)
{
    if (text.size() < 3 || !text.startsWith(Quote) || !text.endsWith(Quote))
        return false;
    const QString inner = text.mid(1, text.size() - 2);
    return !QString(inner).replace(QStringLiteral("\"\""), QString()).contains(Quote);
}

bool sameTable(const QueryTable &a, const QueryTable &b)
{
    return a.ItemIndex == b.ItemIndex && a.Object == b.Object;
}

// The tables of an input by caption, so that whether a caption is shared is found without
// going through every table (a statement names each table once per column and join).
class CaptionIndex {
public:
    explicit CaptionIndex(const QVector<QueryTable> &tables)
    {
        m_tables.reserve(tables.size());
        for (const QueryTable &table : tables)
            m_tables[table.Caption].append(&table);
    }
    // True when a table other than table bears its caption.
    bool shared(const QueryTable &table) const
    {
        const auto found = m_tables.constFind(table.Caption);
        if (found == m_tables.constEnd())
            return false;
        return std::any_of(found->begin(), found->end(),
            [&](const QueryTable *other) { return !sameTable(*other, table); });
    }

private:
    QHash<QString, QVector<const QueryTable *>> m_tables;
};

// One name (a field, an alias, a part of a table's name) as the statement writes it.
QString nameText(const QueryInput &input, const QString &name)
{
    if (input.Quoting.QuoteName)
        return input.Quoting.QuoteName(name);
    return IsPlainIdentifier(name) ? name : quoteName(name);
}

// The caption of a table as the statement writes it: each part of its name on its own.
QString captionText(const QueryInput &input, const QString &caption)
{
    QStringList parts;
    if (input.Quoting.TableParts)
        parts = input.Quoting.TableParts(caption);
    else if (IsPlainTableName(caption))
        parts = caption.split(QLatin1Char('.'));
    else
        parts = QStringList { caption };
    QString text;
    for (const QString &part : std::as_const(parts)) {
        if (!text.isEmpty())
            text += QLatin1Char('.');
        text += nameText(input, part);
    }
    return text;
}

// The text by which the statement names table (see QueryTableName); captions, when given,
// tells whether its caption is shared.
QString tableName(const QueryInput &input, const CaptionIndex *captions,
    const std::optional<QueryTable> &table, bool isAlias);

// The text of a calculated column's expression, each table named as the statement names it.
QString expressionText(
    const QueryInput &input, const CaptionIndex *captions, const QueryExpression &expression)
{
    QString text = expression.Text;
    for (qsizetype k = expression.References.size() - 1; k >= 0; --k) {
        const QueryExpression::Reference &r = expression.References.at(k);
        if (r.Table && r.Position >= 0 && r.Position <= text.size())
            text.insert(r.Position, tableName(input, captions, r.Table, true) + QLatin1Char('.'));
    }
    return text;
}

// Why a calculated column cannot be written; empty for one that can.
QString expressionError(const QueryExpression &expression)
{
    if (!expression.Error.isEmpty())
        return expression.Error;
    for (const QueryExpression::Reference &r : expression.References) {
        if (!r.Table)
            return QCoreApplication::translate(
                "Diduza::QueryGenerator", "it names a table that is no longer in the diagram");
    }
    return QString();
}

// The SQL text of an aggregate choice of the grid; empty for any other text.
QString aggregateText(const QString &choice)
{
    if (choice.isEmpty())
        return QString();
    struct Entry {
        TResString choice;
        const char *sql;
    };
    static const Entry entries[] = {
        { _strValueAVG, "AVG" },
        { _strValueCOUNT, "COUNT" },
        { _strValueMAX, "MAX" },
        { _strValueMIN, "MIN" },
        { _strValueSUM, "SUM" },
    };
    for (const Entry &entry : entries) {
        if (choice == LoadResString(entry.choice))
            return QLatin1String(entry.sql);
    }
    return QString();
}

// Sets the accumulator to text when it is empty, else appends the separator and text.
void appendText(QString &accumulator, const QString &separator, const QString &text)
{
    if (accumulator.isEmpty())
        accumulator = text;
    else
        accumulator += separator + text;
}

void removeLeading(QString &accumulator, int count)
{
    if (!accumulator.isEmpty())
        accumulator.remove(0, count);
}

// The position of each table in the input (the first of equal ones).
class TablePositions {
public:
    explicit TablePositions(const QVector<QueryTable> &tables)
    {
        for (int i = int(tables.size()) - 1; i >= 0; --i)
            m_positions.insert({ tables.at(i).ItemIndex, tables.at(i).Object }, i);
    }
    int of(const std::optional<QueryTable> &table) const
    {
        return table ? m_positions.value({ table->ItemIndex, table->Object }, -1) : -1;
    }

private:
    QHash<QPair<int, QObject *>, int> m_positions;
};

// The comparison of a join, with its further conditions.
QString joinCondition(const QueryInput &input, const CaptionIndex *captions, const QueryJoin &join)
{
    const QString parent = tableName(input, captions, join.ParentTable, true) + QLatin1Char('.')
        + QueryFieldName(input, join.ParentField);
    const QString child = tableName(input, captions, join.ChildTable, true) + QLatin1Char('.')
        + QueryFieldName(input, join.ChildField);
    QString text = input.JoinScript ? input.JoinScript(parent, child, join.Operator, join.Join)
                                    : JoinScript(stAnsi, parent, child, join.Operator, join.Join);
    if (!join.Condition.isEmpty())
        text += QStringLiteral(" AND (") + join.Condition + QLatin1Char(')');
    return text;
}

// The FROM clause of the stAnsi dialect (see QueryInput::SubType); conditions that have no ON
// to go to are added to extraWhere.
QString joinTree(const QueryInput &input, const CaptionIndex *captions, QStringList &extraWhere)
{
    const TablePositions positions(input.Tables);
    QVector<QPair<int, int>> ends;
    ends.reserve(input.Joins.size());
    for (const QueryJoin &join : input.Joins)
        ends.append({ positions.of(join.ParentTable), positions.of(join.ChildTable) });
    const JoinTreeShape shape = JoinTreeOrder(int(input.Tables.size()), ends);
    for (const int j : shape.Where)
        extraWhere << joinCondition(input, captions, input.Joins.at(j));
    // Each join on a line of its own, indented as the template's join lines are.
    const QString lineBreak = QStringLiteral(" \r\n   ");
    QString from;
    for (const JoinTreeStep &step : shape.Steps) {
        const QString name = tableName(input, captions, input.Tables.at(step.Table), false);
        if (step.Reaching < 0) {
            from += from.isEmpty() ? name : lineBreak + QStringLiteral("CROSS JOIN ") + name;
            continue;
        }
        QStringList conditions;
        for (const int j : step.On)
            conditions << joinCondition(input, captions, input.Joins.at(j));
        const QueryJoin &join = input.Joins.at(step.Reaching);
        from += lineBreak + JoinTreeKeyword(join.Join, ends.at(step.Reaching).second == step.Table)
            + QLatin1Char(' ') + name + QStringLiteral(" ON ")
            + conditions.join(QStringLiteral(" AND "));
    }
    return from;
}

} // namespace

JoinTreeShape JoinTreeOrder(int TableCount, const QVector<QPair<int, int>> &Ends)
{
    JoinTreeShape shape;
    const int joinCount = int(Ends.size());
    QVector<bool> used(joinCount, false);
    // The joins of each table, in diagram order, so that each step looks at its own only.
    QVector<QVector<int>> joinsOf(TableCount);
    for (int j = 0; j < joinCount; ++j) {
        const auto [parent, child] = Ends.at(j);
        if (parent < 0 || child < 0 || parent >= TableCount || child >= TableCount) {
            // A join that has lost an end joins nothing: its text stays in sight.
            shape.Where << j;
            used[j] = true;
            continue;
        }
        joinsOf[parent] << j;
        if (child != parent)
            joinsOf[child] << j;
    }
    QVector<bool> placed(TableCount, false);
    // The joins of placed tables that may still reach another table, first in diagram order.
    std::priority_queue<int, std::vector<int>, std::greater<int>> frontier;
    auto other = [&](int j, int table) {
        return Ends.at(j).first == table ? Ends.at(j).second : Ends.at(j).first;
    };
    for (int root = 0; root < TableCount; ++root) {
        if (placed[root])
            continue;
        placed[root] = true;
        shape.Steps.append(JoinTreeStep { root, -1, {} });
        for (const int j : joinsOf.at(root)) {
            if (other(j, root) == root) {
                shape.Where << j; // a group's first table joined to itself
                used[j] = true;
            } else {
                frontier.push(j);
            }
        }
        while (!frontier.empty()) {
            const int reaching = frontier.top();
            frontier.pop();
            const auto [parent, child] = Ends.at(reaching);
            if (used[reaching] || (placed[parent] && placed[child]))
                continue;
            const int added = placed[parent] ? child : parent;
            placed[added] = true;
            JoinTreeStep step { added, reaching, {} };
            // Every join between the new table and those placed, in diagram order.
            for (const int j : joinsOf.at(added)) {
                if (used[j])
                    continue;
                if (placed[other(j, added)]) {
                    step.On << j;
                    used[j] = true;
                } else {
                    frontier.push(j);
                }
            }
            shape.Steps.append(step);
        }
    }
    return shape;
}

bool StartsWithComparison(QStringView Text)
{
    const QStringView text = Text.trimmed();
    for (const char *op : { "<>", "!=", "<=", ">=", "=", "<", ">" }) {
        if (text.startsWith(QLatin1String(op)))
            return true;
    }
    static const char *const words[]
        = { "NOT LIKE", "NOT IN", "NOT BETWEEN", "LIKE", "IN", "BETWEEN", "IS" };
    for (const char *word : words) {
        const QLatin1String w(word);
        if (!text.startsWith(w, Qt::CaseInsensitive))
            continue;
        // The word must end there: "IN (", "IS NULL", but not "INDEX" or "is_open".
        if (text.size() == w.size())
            return true;
        const QChar next = text.at(w.size());
        if (!(next.isLetterOrNumber() || next == QLatin1Char('_') || next == QLatin1Char('$')))
            return true;
    }
    return false;
}

QString DefaultQueryTemplate()
{
    return SQLTemplate(stStandard);
}

namespace {
QString tableName(const QueryInput &Input, const CaptionIndex *captions,
    const std::optional<QueryTable> &Table, bool IsAlias)
{
    if (!Table)
        return QString();
    if (Input.TableNameHook)
        return Input.TableNameHook(*Table, IsAlias);

    bool shared = false;
    if (captions) {
        shared = captions->shared(*Table);
    } else {
        for (const QueryTable &other : Input.Tables) {
            if (!sameTable(other, *Table) && other.Caption == Table->Caption) {
                shared = true;
                break;
            }
        }
    }
    // The alias stands alone in the statement, so only the caption may be a dotted name.
    const QString &caption = Table->Caption;
    const QString name = captionText(Input, caption);
    if (!shared)
        return name;
    const QString aliasName = nameText(Input,
        NameWithSuffix(caption, QString::number(Table->ItemIndex), Input.Quoting.NameLengthLimit));
    if (IsAlias)
        return aliasName;
    return name + QLatin1Char(' ') + aliasName;
}
} // namespace

QString QueryTableName(
    const QueryInput &Input, const std::optional<QueryTable> &Table, bool IsAlias)
{
    return tableName(Input, nullptr, Table, IsAlias);
}

QString QueryFieldName(const QueryInput &Input, const std::optional<QueryField> &Field)
{
    if (!Field)
        return QString();
    const QString name = Input.FieldNameHook ? Input.FieldNameHook(*Field) : Field->Caption;
    if (Field->AllFields && name == QLatin1String("*"))
        return name;
    return nameText(Input, name);
}

QString UnavailableJoinMessage(const QueryJoin &Join)
{
    auto end = [](const std::optional<QueryTable> &table, const std::optional<QueryField> &field) {
        return (table ? table->Caption : QString()) + QLatin1Char('.')
            + (field ? field->Caption : QString());
    };
    const QString relation = end(Join.ParentTable, Join.ParentField) + QStringLiteral(" = ")
        + end(Join.ChildTable, Join.ChildField);
    const QString parent = Join.ParentTable ? Join.ParentTable->Caption : QString();
    const QString child = Join.ChildTable ? Join.ChildTable->Caption : QString();
    if (Join.Join == rjFull)
        return QCoreApplication::translate("Diduza::QueryGenerator",
            "The relation %1 is a full outer join, which this database cannot run (MySQL and "
            "MariaDB have no FULL JOIN). Choose another join type in the relation's properties: "
            "Left Outer keeps every row of %2, Right Outer every row of %3, Inner only the rows "
            "that match.")
            .arg(relation, parent, child);
    return QCoreApplication::translate("Diduza::QueryGenerator",
        "The relation %1 is a join this database cannot run. Choose another join type in the "
        "relation's properties.")
        .arg(relation);
}

namespace {
// The statement's parts, each a list that starts with its separator until it is finished.
struct StatementParts {
    QString fields, tables, innerJoins, leftOuterJoins, rightOuterJoins, fullJoins, whereFilter,
        groups, havingFilter, orders;
    bool grouped = false;
    QStringList extraWhere; // join conditions without an ON, after the columns' filters
};

const QString &listSeparator()
{
    static const QString separator = QStringLiteral(", ");
    return separator;
}

QString condition(const QString &text)
{
    return QStringLiteral(" AND (") + text + QLatin1Char(')');
}

// Writes the parts of one statement from the generator's input.
class StatementWriter {
public:
    explicit StatementWriter(const QueryInput &Input)
        : input(Input)
        , captions(Input.Tables)
        , joinTreeMode(Input.SubType == stAnsi)
        , ascending(LoadResString(_strSortASC))
        , descending(LoadResString(_strSortDESC))
    {
    }

    StatementParts write()
    {
        writeTables();
        if (!joinTreeMode) {
            for (const QueryJoin &join : input.Joins)
                writeJoin(join);
        }
        for (const QueryColumn &column : input.Columns)
            writeColumn(column);
        finish();
        return parts;
    }

private:
    // The sort list: by each column's place among the sorted ones, the others after them in
    // column order (all of them in column order when no column has a place).
    struct SortEntry {
        int place;
        QString text;
    };

    QString name(const std::optional<QueryTable> &table, bool isAlias) const
    {
        return tableName(input, &captions, table, isAlias);
    }

    // Whether a bare field name would not name the column alone: another table of the
    // statement has such a field, or an output column is named so.
    bool sharedName(const QueryColumn &column)
    {
        if (!column.Field || column.Field->AllFields)
            return false;
        if (!namesKnown) {
            namesKnown = true;
            auto add = [&](const QString &field, const QueryTable &table) {
                QVector<QPair<int, QObject *>> &holders = fieldHolders[field.toLower()];
                const QPair<int, QObject *> key(table.ItemIndex, table.Object);
                if (!holders.contains(key))
                    holders << key;
            };
            for (const QueryTable &table : input.Tables) {
                for (const QString &field : table.Fields)
                    add(field, table);
            }
            for (const QueryColumn &c : input.Columns) {
                if (c.Field && c.Table && !c.Field->AllFields)
                    add(c.Field->Caption, *c.Table);
                if (!c.Alias.isEmpty() && c.Show != QLatin1String("0"))
                    aliases.insert(unquotedAlias(c.Alias).toLower());
            }
        }
        const QString key
            = (input.FieldNameHook ? input.FieldNameHook(*column.Field) : column.Field->Caption)
                  .toLower();
        return fieldHolders.value(key).size() > 1 || aliases.contains(key);
    }

    static QString unquotedAlias(const QString &alias)
    {
        if (!isQuotedName(alias))
            return alias;
        return alias.mid(1, alias.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    }

    void writeTables()
    {
        if (joinTreeMode) {
            const QString tree = joinTree(input, &captions, parts.extraWhere);
            if (!tree.isEmpty())
                parts.tables = listSeparator() + tree;
            return;
        }
        for (const QueryTable &table : input.Tables)
            parts.tables += listSeparator() + name(table, false);
    }

    void writeJoin(const QueryJoin &join)
    {
        const QString parent = name(join.ParentTable, true) + QLatin1Char('.')
            + QueryFieldName(input, join.ParentField);
        const QString child = name(join.ChildTable, true) + QLatin1Char('.')
            + QueryFieldName(input, join.ChildField);
        const QString separator = input.JoinSeparator ? input.JoinSeparator(join.Join)
                                                      : JoinSeparator(stStandard, join.Join);
        const QString text = input.JoinScript
            ? input.JoinScript(parent, child, join.Operator, join.Join)
            : JoinScript(stStandard, parent, child, join.Operator, join.Join);
        if (!join.Condition.isEmpty())
            parts.extraWhere << QLatin1Char('(') + join.Condition + QLatin1Char(')');
        switch (join.Join) {
        case rjInner:
            appendText(parts.innerJoins, separator, text);
            break;
        case rjLeftOuter:
            appendText(parts.leftOuterJoins, separator, text);
            break;
        case rjRightOuter:
            appendText(parts.rightOuterJoins, separator, text);
            break;
        case rjFull:
            appendText(parts.fullJoins, separator, text);
            break;
        }
    }

    void writeColumn(const QueryColumn &column)
    {
        if (column.FieldCell.isEmpty())
            return;
        if (column.Expression) {
            writeCalculated(column);
            return;
        }
        const QString fieldName = QueryFieldName(input, column.Field);
        const QString qualified = name(column.Table, true) + QLatin1Char('.') + fieldName;
        // Sort and group entries: the bare field, or in a join tree the column as the field
        // list names it (a name two tables share stays unambiguous).
        // Outside a join tree the bare field, unless another table or an output column bears
        // its name too (where the bare name would be ambiguous, or the output column's).
        const QString listedName
            = (joinTreeMode || sharedName(column)) && column.Field ? qualified : fieldName;
        if (column.Field || column.AllRows)
            writeShownAndSorted(column, fieldName, qualified, listedName);
        // A text that begins with a comparison compares the column: its field in WHERE, its
        // value (with its aggregate) in HAVING.
        if (!column.Where.isEmpty()) {
            const bool applies = column.Field && fieldName != QLatin1String("*")
                && StartsWithComparison(column.Where);
            parts.whereFilter += condition(
                applies ? qualified + QLatin1Char(' ') + column.Where.trimmed() : column.Where);
        }
        if (column.Grouping == QLatin1String("1"))
            writeGrouped(column, fieldName, qualified, listedName);
    }

    // A calculated column: its expression stands where a field would, bracketed where a
    // comparison follows it.
    void writeCalculated(const QueryColumn &column)
    {
        const QString text = expressionText(input, &captions, *column.Expression);
        const QString aggregate = aggregateText(column.Calculate);
        const QString value
            = aggregate.isEmpty() ? text : aggregate + QLatin1Char('(') + text + QLatin1Char(')');
        if (column.Show != QLatin1String("0")) {
            parts.fields += listSeparator() + value;
            if (!column.Alias.isEmpty())
                parts.fields += QStringLiteral(" AS ")
                    + (isQuotedName(column.Alias) ? column.Alias : nameText(input, column.Alias));
        }
        if (!column.Sort.isEmpty()) {
            QString entry = value;
            if (column.Sort == ascending)
                entry += QStringLiteral(" ASC");
            else if (column.Sort == descending)
                entry += QStringLiteral(" DESC");
            bool isNumber = false;
            const int place = column.SortOrder.toInt(&isNumber);
            sorts.append(
                { isNumber && place > 0 ? place : std::numeric_limits<int>::max(), entry });
        }
        const QString bracketed = QLatin1Char('(') + text + QStringLiteral(") ");
        if (!column.Where.isEmpty())
            parts.whereFilter
                += condition(StartsWithComparison(column.Where) ? bracketed + column.Where.trimmed()
                                                                : column.Where);
        if (column.Grouping != QLatin1String("1"))
            return;
        parts.grouped = true;
        parts.groups += listSeparator() + text;
        if (!column.Having.isEmpty())
            parts.havingFilter += condition(StartsWithComparison(column.Having)
                    ? (aggregate.isEmpty() ? bracketed : value + QLatin1Char(' '))
                        + column.Having.trimmed()
                    : column.Having);
    }

    void writeShownAndSorted(const QueryColumn &column, const QString &fieldName,
        const QString &qualified, const QString &listedName)
    {
        QString expression = column.AllRows ? QStringLiteral("COUNT(*)") : qualified;
        const QString aggregate = column.AllRows ? QString() : aggregateText(column.Calculate);
        if (!aggregate.isEmpty())
            expression = aggregate + QLatin1Char('(') + expression + QLatin1Char(')');
        if (column.Show != QLatin1String("0")) {
            parts.fields += listSeparator() + expression;
            if (!column.Alias.isEmpty())
                parts.fields += QStringLiteral(" AS ")
                    + (isQuotedName(column.Alias) ? column.Alias : nameText(input, column.Alias));
        }
        if (column.Sort.isEmpty() || (!column.AllRows && fieldName == QLatin1String("*")))
            return;
        // In a join tree an aggregated column sorts by its aggregate: the bare column is not a
        // value of the grouped rows.
        QString entry
            = column.AllRows || (joinTreeMode && !aggregate.isEmpty()) ? expression : listedName;
        if (column.Sort == ascending)
            entry += QStringLiteral(" ASC");
        else if (column.Sort == descending)
            entry += QStringLiteral(" DESC");
        bool isNumber = false;
        const int place = column.SortOrder.toInt(&isNumber);
        sorts.append({ isNumber && place > 0 ? place : std::numeric_limits<int>::max(), entry });
    }

    void writeGrouped(const QueryColumn &column, const QString &fieldName, const QString &qualified,
        const QString &listedName)
    {
        parts.grouped = true;
        if (!column.AllRows)
            parts.groups += listSeparator() + listedName;
        if (column.Having.isEmpty())
            return;
        QString value;
        if (column.AllRows) {
            value = QStringLiteral("COUNT(*)");
        } else if (column.Field && fieldName != QLatin1String("*")) {
            const QString aggregate = aggregateText(column.Calculate);
            value = aggregate.isEmpty()
                ? qualified
                : aggregate + QLatin1Char('(') + qualified + QLatin1Char(')');
        }
        const bool applies = !value.isEmpty() && StartsWithComparison(column.Having);
        parts.havingFilter += condition(
            applies ? value + QLatin1Char(' ') + column.Having.trimmed() : column.Having);
    }

    void finish()
    {
        std::stable_sort(sorts.begin(), sorts.end(),
            [](const SortEntry &a, const SortEntry &b) { return a.place < b.place; });
        for (const SortEntry &entry : sorts)
            parts.orders += listSeparator() + entry.text;
        for (const QString &text : parts.extraWhere)
            parts.whereFilter += QStringLiteral(" AND ") + text;
        if (!parts.grouped)
            parts.groups.clear();
        removeLeading(parts.fields, 2);
        removeLeading(parts.tables, 2);
        removeLeading(parts.groups, 2);
        removeLeading(parts.orders, 2);
        removeLeading(parts.whereFilter, 4);
        removeLeading(parts.havingFilter, 4);
        const bool joined = !(parts.innerJoins.isEmpty() && parts.leftOuterJoins.isEmpty()
            && parts.rightOuterJoins.isEmpty() && parts.fullJoins.isEmpty());
        if (parts.whereFilter.isEmpty() && joined)
            parts.whereFilter = QStringLiteral("(1=1)");
    }

    const QueryInput &input;
    const CaptionIndex captions;
    const bool joinTreeMode;
    const QString ascending;
    const QString descending;
    StatementParts parts;
    QVector<SortEntry> sorts;
    bool namesKnown = false;
    QHash<QString, QVector<QPair<int, QObject *>>> fieldHolders;
    QSet<QString> aliases;
};

// A calculated column in error is refused before anything is written (or run).
void refuseInvalidColumns(const QueryInput &Input)
{
    if (!Input.RefuseInvalid)
        return;
    for (int k = 0; k < Input.Columns.size(); ++k) {
        const QueryColumn &column = Input.Columns.at(k);
        if (!column.Expression || column.FieldCell.isEmpty())
            continue;
        const QString error = expressionError(*column.Expression);
        if (!error.isEmpty())
            throw Exception(QCoreApplication::translate(
                "Diduza::QueryGenerator", "The calculated column %1 (%2) cannot be written: %3")
                                .arg(k + 1)
                                .arg(column.Expression->Text.simplified().left(80), error));
    }
}

// A join the database cannot run is refused before anything is written (or run).
void refuseUnavailableJoins(const QueryInput &Input)
{
    if (!Input.JoinAvailable || Input.SubType == stLocal)
        return;
    for (const QueryJoin &join : Input.Joins) {
        if (join.ParentTable && join.ChildTable && !Input.JoinAvailable(join.Join))
            throw Exception(UnavailableJoinMessage(join));
    }
}
} // namespace

QString SetOperatorText(TSQLSetOperator Operator)
{
    switch (Operator) {
    case soUnion:
        return QStringLiteral("UNION");
    case soUnionAll:
        return QStringLiteral("UNION ALL");
    case soIntersect:
        return QStringLiteral("INTERSECT");
    case soIntersectAll:
        return QStringLiteral("INTERSECT ALL");
    case soExcept:
        return QStringLiteral("EXCEPT");
    case soExceptAll:
        return QStringLiteral("EXCEPT ALL");
    }
    return QStringLiteral("UNION");
}

QString RowLimitText(const QueryInput &Input, bool Ordered, QString *Error)
{
    const bool limited = Input.Limit >= 0;
    const bool skipped = Input.Offset > 0;
    if (!limited && !skipped)
        return QString();
    switch (Input.SubType) {
    case stMSSQL:
        if (!skipped)
            return QString(); // TOP n after SELECT
        if (!Ordered) {
            const int rows = Input.Offset > INT_MAX ? INT_MAX : int(Input.Offset);
            if (Error)
                *Error = QCoreApplication::translate("Diduza::QueryGenerator",
                    "The MS SQL dialect skips rows only in a sorted statement: sort a column, "
                    "or the first %n row(s) are not skipped.",
                    nullptr, rows);
            return QString();
        }
        return QStringLiteral("OFFSET %1 ROWS").arg(Input.Offset)
            + (limited ? QStringLiteral(" FETCH NEXT %1 ROWS ONLY").arg(Input.Limit) : QString());
    case stOracle:
        return (skipped ? QStringLiteral("OFFSET %1 ROWS ").arg(Input.Offset) : QString())
            + (limited ? QStringLiteral("FETCH %1 %2 ROWS ONLY")
                             .arg(skipped ? QStringLiteral("NEXT") : QStringLiteral("FIRST"))
                             .arg(Input.Limit)
                       : QString())
                  .trimmed();
    default:
        if (Input.LimitText) {
            const QString text = Input.LimitText(Input.Limit, Input.Offset);
            if (!text.isEmpty())
                return text;
        }
        if (!limited)
            return QStringLiteral("OFFSET %1").arg(Input.Offset);
        return QStringLiteral("LIMIT %1").arg(Input.Limit)
            + (skipped ? QStringLiteral(" OFFSET %1").arg(Input.Offset) : QString());
    }
}

namespace {

bool hasSort(const QueryInput &Input);

// Appends a line to a statement whose lines end with CR LF, the line before it then ending
// with a blank as the template's lines do.
void appendLine(QString &sql, const QString &line)
{
    if (sql.endsWith(QLatin1String("\r\n")))
        sql.chop(2);
    if (!sql.isEmpty())
        sql += QStringLiteral(" \r\n");
    sql += line + QStringLiteral("\r\n");
}

// One block's statement; without its ORDER BY and row limit when they belong to a compound
// (Orders then receives the sort entries).
QString generateBlock(const QueryInput &Input, bool inCompound, QStringList *Orders)
{
    refuseUnavailableJoins(Input);
    refuseInvalidColumns(Input);
    StatementParts parts = StatementWriter(Input).write();
    if (inCompound) {
        if (Orders && !parts.orders.isEmpty())
            *Orders = parts.orders.split(listSeparator());
        parts.orders.clear();
    }
    // TOP n stands before the field list in the MS SQL dialect, unless rows are skipped.
    if (!inCompound && Input.SubType == stMSSQL && Input.Limit >= 0 && Input.Offset <= 0
        && !parts.fields.isEmpty())
        parts.fields = QStringLiteral("TOP %1 ").arg(Input.Limit) + parts.fields;

    QString sql = Input.Template ? *Input.Template : DefaultQueryTemplate();
    const QueryExpandFunc expand = Input.Expand
        ? Input.Expand
        : QueryExpandFunc([](QString &text, const QString &macro, const QString &value) {
              ExpandSQL(text, macro, value);
          });
    expand(
        sql, QStringLiteral("#distinct#"), Input.Distinct ? QStringLiteral("DISTINCT") : QString());
    expand(sql, QStringLiteral("#fields#"), parts.fields);
    expand(sql, QStringLiteral("#tables#"), parts.tables);
    expand(sql, QStringLiteral("#innerjoins#"), parts.innerJoins);
    expand(sql, QStringLiteral("#leftouterjoins#"), parts.leftOuterJoins);
    expand(sql, QStringLiteral("#rightouterjoins#"), parts.rightOuterJoins);
    expand(sql, QStringLiteral("#fulljoins#"), parts.fullJoins);
    expand(sql, QStringLiteral("#wherefilter#"), parts.whereFilter);
    expand(sql, QStringLiteral("#groups#"), parts.groups);
    expand(sql, QStringLiteral("#havingfilter#"), parts.havingFilter);
    expand(sql, QStringLiteral("#orders#"), parts.orders);
    RemoveBlankLines(sql);
    if (!inCompound) {
        const QString limit = RowLimitText(Input, !parts.orders.isEmpty(), nullptr);
        if (!limit.isEmpty() && !sql.isEmpty())
            appendLine(sql, limit);
    }
    return sql;
}

// The output position (from 1) of each shown column of a block, or -1 where a column that
// stands for all of a table's fields makes it unknown.
QVector<int> outputPositions(const QueryInput &Input)
{
    QVector<int> positions;
    int next = 1;
    for (const QueryColumn &column : Input.Columns) {
        const bool written = !column.FieldCell.isEmpty()
            && (column.Field || column.AllRows || column.Expression)
            && column.Show != QLatin1String("0");
        if (!written) {
            positions << -1;
            continue;
        }
        positions << next;
        if (next > 0)
            ++next;
        if (column.Field && column.Field->AllFields && !column.Expression)
            next = -1;
    }
    return positions;
}

// The ORDER BY of a compound, by output position of the first block's sorted columns; what
// cannot be written so goes to Error.
QString compoundOrders(const QueryInput &First, QString *Error)
{
    const QVector<int> positions = outputPositions(First);
    const QString ascending = LoadResString(_strSortASC);
    const QString descending = LoadResString(_strSortDESC);
    struct Entry {
        int place;
        QString text;
    };
    QVector<Entry> entries;
    QStringList lost;
    for (int k = 0; k < First.Columns.size(); ++k) {
        const QueryColumn &column = First.Columns.at(k);
        if (column.FieldCell.isEmpty() || column.Sort.isEmpty()
            || (column.Field && column.Field->AllFields && !column.Expression))
            continue;
        if (positions.at(k) < 0) {
            lost << QString::number(k + 1);
            continue;
        }
        QString text = QString::number(positions.at(k));
        if (column.Sort == ascending)
            text += QStringLiteral(" ASC");
        else if (column.Sort == descending)
            text += QStringLiteral(" DESC");
        bool isNumber = false;
        const int place = column.SortOrder.toInt(&isNumber);
        entries.append({ isNumber && place > 0 ? place : std::numeric_limits<int>::max(), text });
    }
    if (!lost.isEmpty() && Error)
        *Error = QCoreApplication::translate("Diduza::QueryGenerator",
            "A compound statement sorts by its output columns: the sort of column(s) %1, which "
            "are not shown or follow a column of all fields, is not written.")
                     .arg(lost.join(QStringLiteral(", ")));
    std::stable_sort(entries.begin(), entries.end(),
        [](const Entry &a, const Entry &b) { return a.place < b.place; });
    QStringList texts;
    for (const Entry &e : entries)
        texts << e.text;
    return texts.join(listSeparator());
}

} // namespace

QString GenerateQuery(const QueryInput &Input)
{
    return generateBlock(Input, false, nullptr);
}

QString GenerateCompoundQuery(const QueryCompound &Compound)
{
    if (Compound.Blocks.isEmpty())
        return QString();
    if (Compound.Blocks.size() == 1)
        return GenerateQuery(Compound.Blocks.first());
    const QueryInput &first = Compound.Blocks.first();
    QString sql;
    for (int k = 0; k < Compound.Blocks.size(); ++k) {
        QString block = generateBlock(Compound.Blocks.at(k), true, nullptr);
        if (block.isEmpty())
            continue;
        if (!sql.isEmpty())
            appendLine(sql, SetOperatorText(Compound.Operators.value(k - 1, soUnion)));
        sql += block;
    }
    const QString orders = compoundOrders(first, nullptr);
    if (!orders.isEmpty())
        appendLine(sql, QStringLiteral("ORDER BY ") + orders);
    // No TOP stands over a compound: MS SQL limits it as OFFSET 0 ROWS FETCH NEXT n.
    QString limit;
    if (first.SubType == stMSSQL && first.Limit >= 0 && first.Offset <= 0) {
        if (!orders.isEmpty())
            limit = QStringLiteral("OFFSET 0 ROWS FETCH NEXT %1 ROWS ONLY").arg(first.Limit);
    } else {
        limit = RowLimitText(first, !orders.isEmpty(), nullptr);
    }
    if (!limit.isEmpty())
        appendLine(sql, limit);
    return sql;
}

QStringList CompoundQueryNotes(const QueryCompound &Compound)
{
    QStringList notes;
    for (int k = 0; k < Compound.Blocks.size(); ++k) {
        const QStringList block = QueryNotes(Compound.Blocks.at(k));
        for (const QString &note : block)
            notes << (Compound.Blocks.size() > 1
                    ? QCoreApplication::translate("Diduza::QueryGenerator", "Block %1: %2")
                          .arg(k + 1)
                          .arg(note)
                    : note);
    }
    if (Compound.Blocks.size() < 2)
        return notes;
    const QueryInput &first = Compound.Blocks.first();
    QString error;
    const QString orders = compoundOrders(first, &error);
    if (!error.isEmpty())
        notes << error;
    for (int k = 1; k < Compound.Blocks.size(); ++k) {
        if (hasSort(Compound.Blocks.at(k)))
            notes << QCoreApplication::translate("Diduza::QueryGenerator",
                "Block %1 is sorted, but a compound statement is sorted by the first block's "
                "columns: its sort is not written.")
                         .arg(k + 1);
    }
    if (first.SubType == stMSSQL && first.Limit >= 0 && first.Offset <= 0 && orders.isEmpty())
        notes << QCoreApplication::translate("Diduza::QueryGenerator",
            "The MS SQL dialect limits the rows of a compound statement only when it is "
            "sorted: sort a column of the first block, or the row limit is not written.");
    bool unionBefore = false;
    for (const TSQLSetOperator op : Compound.Operators) {
        const bool intersect = op == soIntersect || op == soIntersectAll;
        if (intersect && unionBefore) {
            notes << QCoreApplication::translate("Diduza::QueryGenerator",
                "INTERSECT after UNION or EXCEPT: PostgreSQL, MySQL and MariaDB join the "
                "INTERSECT first, SQLite reads the blocks from left to right. Move the INTERSECT "
                "blocks to the front to mean the same everywhere.");
            break;
        }
        unionBefore = unionBefore || !intersect;
    }
    return notes;
}

namespace {
bool hasSort(const QueryInput &Input)
{
    return std::any_of(Input.Columns.begin(), Input.Columns.end(), [](const QueryColumn &c) {
        return !c.FieldCell.isEmpty() && !c.Sort.isEmpty()
            && (c.Expression || c.AllRows || (c.Field && !c.Field->AllFields));
    });
}
} // namespace

QStringList QueryNotes(const QueryInput &Input)
{
    QStringList notes;
    bool aggregated = false;
    QStringList plain;
    const CaptionIndex captions(Input.Tables);
    for (const QueryColumn &column : Input.Columns) {
        if (column.FieldCell.isEmpty())
            continue;
        const bool isGrouped = column.Grouping == QLatin1String("1");
        if (column.Expression) {
            // A calculated column needs grouping where it names columns outside an aggregate.
            if (!aggregateText(column.Calculate).isEmpty() || column.Expression->Aggregate
                || isGrouped)
                aggregated = true;
            else if (!column.Expression->References.isEmpty())
                plain << expressionText(Input, &captions, *column.Expression).simplified();
            continue;
        }
        if (!column.Field)
            continue;
        if (!aggregateText(column.Calculate).isEmpty())
            aggregated = true;
        else if (isGrouped)
            aggregated = true; // a grouped query too needs every plain column grouped
        else
            plain << tableName(Input, &captions, column.Table, true) + QLatin1Char('.')
                    + QueryFieldName(Input, column.Field);
    }
    if (aggregated && !plain.isEmpty())
        notes << QCoreApplication::translate(
            "Diduza::QueryGenerator", "Columns that need grouping (tick Grouping): %1")
                     .arg(plain.join(QStringLiteral(", ")));
    if (Input.SubType != stMSSQL || Input.Offset > 0) {
        QString error;
        RowLimitText(Input, hasSort(Input), &error);
        if (!error.isEmpty())
            notes << error;
    }
    if (Input.SubType == stAnsi) {
        // A relation between tables that an earlier relation joins already stands in that
        // join's ON, as that join's kind: its own kind is lost where it differs.
        const TablePositions positions(Input.Tables);
        QVector<QPair<int, int>> ends;
        for (const QueryJoin &join : Input.Joins)
            ends.append({ positions.of(join.ParentTable), positions.of(join.ChildTable) });
        const JoinTreeShape shape = JoinTreeOrder(int(Input.Tables.size()), ends);
        auto text = [](const QueryJoin &join) {
            auto end = [](const std::optional<QueryTable> &t, const std::optional<QueryField> &f) {
                return (t ? t->Caption : QString()) + QLatin1Char('.')
                    + (f ? f->Caption : QString());
            };
            return end(join.ParentTable, join.ParentField) + QLatin1Char(' ')
                + QLatin1String(RelationOperatorSql(join.Operator)) + QLatin1Char(' ')
                + end(join.ChildTable, join.ChildField);
        };
        for (const JoinTreeStep &step : shape.Steps) {
            if (step.Reaching < 0)
                continue;
            const QueryJoin &reaching = Input.Joins.at(step.Reaching);
            const QString keyword
                = JoinTreeKeyword(reaching.Join, ends.at(step.Reaching).second == step.Table);
            for (const int j : step.On) {
                const QueryJoin &join = Input.Joins.at(j);
                if (j == step.Reaching || ends.at(j).first == ends.at(j).second)
                    continue;
                if (JoinTreeKeyword(join.Join, ends.at(j).second == step.Table) != keyword)
                    notes << QCoreApplication::translate("Diduza::QueryGenerator",
                        "The relation %1 joins tables that the relation %2 joins already: it "
                        "is written in the same %3 ... ON and acts as that join, not as its own "
                        "kind.")
                                 .arg(text(join), text(reaching), keyword);
            }
        }
    }
    if (Input.SubType != stAnsi) {
        // Outside a join tree an aggregated column sorts by its bare field.
        QStringList sorted;
        for (const QueryColumn &column : Input.Columns) {
            if (!column.FieldCell.isEmpty() && !column.Sort.isEmpty() && column.Field
                && !column.AllRows && !column.Expression
                && !aggregateText(column.Calculate).isEmpty())
                sorted << aggregateText(column.Calculate) + QLatin1Char('(')
                        + tableName(Input, &captions, column.Table, true) + QLatin1Char('.')
                        + QueryFieldName(Input, column.Field) + QLatin1Char(')');
        }
        if (!sorted.isEmpty())
            notes << QCoreApplication::translate("Diduza::QueryGenerator",
                "This dialect sorts an aggregated column by its field, not by its value: %1.")
                         .arg(sorted.join(QStringLiteral(", ")));
    }
    if (Input.SubType == stStandard || Input.SubType == stOracle || Input.SubType == stMSSQL) {
        // These dialects write every join condition beside the others, kind by kind: an outer
        // join's further conditions filter its rows, and the joins are made in the order of
        // their kinds.
        auto named = [&](const QueryJoin &join) {
            auto end = [&](const std::optional<QueryTable> &t, const std::optional<QueryField> &f) {
                return tableName(Input, &captions, t, true) + QLatin1Char('.')
                    + QueryFieldName(Input, f);
            };
            return end(join.ParentTable, join.ParentField) + QLatin1Char(' ')
                + QLatin1String(RelationOperatorSql(join.Operator)) + QLatin1Char(' ')
                + end(join.ChildTable, join.ChildField);
        };
        bool outer = false;
        for (const QueryJoin &join : Input.Joins) {
            if (join.Join == rjInner)
                continue;
            outer = true;
            if (!join.Condition.isEmpty())
                notes << QCoreApplication::translate("Diduza::QueryGenerator",
                    "The outer join %1 has further conditions (%2): this dialect writes them in "
                    "WHERE, which leaves out the rows they reject instead of keeping them "
                    "unmatched.")
                             .arg(named(join), join.Condition);
        }
        if (outer && Input.Joins.size() > 1) {
            const TablePositions positions(Input.Tables);
            QVector<QPair<int, int>> ends, byKind;
            QVector<TSDRelationJoin> kinds, kindsByKind;
            for (const QueryJoin &join : Input.Joins) {
                ends.append({ positions.of(join.ParentTable), positions.of(join.ChildTable) });
                kinds << join.Join;
            }
            for (const TSDRelationJoin kind : { rjInner, rjLeftOuter, rjRightOuter, rjFull }) {
                for (int j = 0; j < ends.size(); ++j) {
                    if (kinds.at(j) == kind) {
                        byKind << ends.at(j);
                        kindsByKind << kind;
                    }
                }
            }
            auto steps = [&](const QVector<QPair<int, int>> &e, const QVector<TSDRelationJoin> &k) {
                QStringList out;
                for (const JoinTreeStep &step : JoinTreeOrder(int(Input.Tables.size()), e).Steps)
                    out << QString::number(step.Table) + QLatin1Char(':')
                            + (step.Reaching < 0 ? QString()
                                                 : JoinTreeKeyword(k.at(step.Reaching),
                                                     e.at(step.Reaching).second == step.Table));
                return out;
            };
            if (steps(ends, kinds) != steps(byKind, kindsByKind))
                notes << QCoreApplication::translate("Diduza::QueryGenerator",
                    "This dialect does not keep the order of the joins: they are made inner "
                    "joins first, then left, right and full outer joins, which may return other "
                    "rows.");
        }
    }
    if (Input.SubType == stLocal) {
        int outer = 0;
        for (const QueryJoin &join : Input.Joins)
            outer += join.Join != rjInner ? 1 : 0;
        if (outer > 0)
            notes << QCoreApplication::translate("Diduza::QueryGenerator",
                "The local dialect writes outer joins as plain conditions: %n outer join(s) "
                "keep only the matching rows.",
                nullptr, outer);
    }
    return notes;
}

} // namespace Diduza
