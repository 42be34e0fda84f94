#include "querybuilder/QueryGenerator.h"

#include "engines/SqlDialect.h"
#include "platform/ResourceStrings.h"
#include "querybuilder/SqlTemplate.h"

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

bool sameTable(const QueryTable &a, const QueryTable &b)
{
    return a.ItemIndex == b.ItemIndex && a.Object == b.Object;
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

} // namespace

QString DefaultQueryTemplate()
{
    return SQLTemplate(stStandard);
}

QString QueryTableName(
    const QueryInput &Input, const std::optional<QueryTable> &Table, bool IsAlias)
{
    if (!Table)
        return QString();
    if (Input.TableNameHook)
        return Input.TableNameHook(*Table, IsAlias);

    bool shared = false;
    for (const QueryTable &other : Input.Tables) {
        if (!sameTable(other, *Table) && other.Caption == Table->Caption) {
            shared = true;
            break;
        }
    }
    const QString &caption = Table->Caption;
    const bool quoted = caption.contains(QLatin1Char(' ')) || caption.contains(Quote);
    auto name = [quoted](const QString &text) { return quoted ? quoteName(text) : text; };
    const QString alias = caption + QString::number(Table->ItemIndex);
    if (!shared)
        return name(caption);
    if (IsAlias)
        return name(alias);
    return name(caption) + QLatin1Char(' ') + name(alias);
}

QString QueryFieldName(const QueryInput &Input, const std::optional<QueryField> &Field)
{
    if (!Field)
        return QString();
    const QString name = Input.FieldNameHook ? Input.FieldNameHook(*Field) : Field->Caption;
    if (name.contains(QLatin1Char(' ')) || name.contains(QLatin1Char('.')) || name.contains(Quote))
        return quoteName(name);
    return name;
}

QString GenerateQuery(const QueryInput &Input)
{
    const QString listSeparator = QStringLiteral(", ");
    const QString conditionStart = QStringLiteral(" AND (");
    const QChar conditionEnd(QLatin1Char(')'));

    QString fields, tables, innerJoins, leftOuterJoins, rightOuterJoins, fullJoins, whereFilter,
        groups, havingFilter, orders;
    bool grouped = false;

    for (const QueryTable &table : Input.Tables)
        tables += listSeparator + QueryTableName(Input, table, false);

    for (const QueryJoin &join : Input.Joins) {
        const QString parent = QueryTableName(Input, join.ParentTable, true) + QLatin1Char('.')
            + QueryFieldName(Input, join.ParentField);
        const QString child = QueryTableName(Input, join.ChildTable, true) + QLatin1Char('.')
            + QueryFieldName(Input, join.ChildField);
        const QString separator = Input.JoinSeparator ? Input.JoinSeparator(join.Join)
                                                      : JoinSeparator(stStandard, join.Join);
        const QString text = Input.JoinScript
            ? Input.JoinScript(parent, child, join.Operator, join.Join)
            : JoinScript(stStandard, parent, child, join.Operator, join.Join);
        switch (join.Join) {
        case rjInner:
            appendText(innerJoins, separator, text);
            break;
        case rjLeftOuter:
            appendText(leftOuterJoins, separator, text);
            break;
        case rjRightOuter:
            appendText(rightOuterJoins, separator, text);
            break;
        case rjFull:
            appendText(fullJoins, separator, text);
            break;
        }
    }

    const QString ascending = LoadResString(_strSortASC);
    const QString descending = LoadResString(_strSortDESC);
    for (const QueryColumn &column : Input.Columns) {
        if (column.FieldCell.isEmpty())
            continue;
        const QString fieldName = QueryFieldName(Input, column.Field);
        if (column.Field) {
            QString expression
                = QueryTableName(Input, column.Table, true) + QLatin1Char('.') + fieldName;
            const QString aggregate = aggregateText(column.Calculate);
            if (!aggregate.isEmpty())
                expression = aggregate + QLatin1Char('(') + expression + QLatin1Char(')');
            fields += listSeparator + expression;
            if (!column.Sort.isEmpty() && fieldName != QLatin1String("*")) {
                orders += listSeparator + fieldName;
                if (column.Sort == ascending)
                    orders += QStringLiteral(" ASC");
                else if (column.Sort == descending)
                    orders += QStringLiteral(" DESC");
            }
        }
        if (!column.Where.isEmpty())
            whereFilter += conditionStart + column.Where + conditionEnd;
        if (column.Grouping == QLatin1String("1")) {
            grouped = true;
            groups += listSeparator + fieldName;
            if (!column.Having.isEmpty())
                havingFilter += conditionStart + column.Having + conditionEnd;
        }
    }

    if (!grouped)
        groups.clear();
    removeLeading(fields, 2);
    removeLeading(tables, 2);
    removeLeading(groups, 2);
    removeLeading(orders, 2);
    removeLeading(whereFilter, 4);
    removeLeading(havingFilter, 4);

    QString sql = Input.Template ? *Input.Template : DefaultQueryTemplate();
    const QueryExpandFunc expand = Input.Expand
        ? Input.Expand
        : QueryExpandFunc([](QString &text, const QString &macro, const QString &value) {
              ExpandSQL(text, macro, value);
          });
    expand(
        sql, QStringLiteral("#distinct#"), Input.Distinct ? QStringLiteral("DISTINCT") : QString());
    expand(sql, QStringLiteral("#fields#"), fields);
    expand(sql, QStringLiteral("#tables#"), tables);
    if (whereFilter.isEmpty()
        && !(innerJoins.isEmpty() && leftOuterJoins.isEmpty() && rightOuterJoins.isEmpty()
            && fullJoins.isEmpty()))
        whereFilter = QStringLiteral("(1=1)");
    expand(sql, QStringLiteral("#innerjoins#"), innerJoins);
    expand(sql, QStringLiteral("#leftouterjoins#"), leftOuterJoins);
    expand(sql, QStringLiteral("#rightouterjoins#"), rightOuterJoins);
    expand(sql, QStringLiteral("#fulljoins#"), fullJoins);
    expand(sql, QStringLiteral("#wherefilter#"), whereFilter);
    expand(sql, QStringLiteral("#groups#"), groups);
    expand(sql, QStringLiteral("#havingfilter#"), havingFilter);
    expand(sql, QStringLiteral("#orders#"), orders);
    RemoveBlankLines(sql);
    return sql;
}

} // namespace Diduza
