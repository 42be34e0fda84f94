#include "querybuilder/ColumnExpression.h"

#include "platform/TextPosition.h"
#include "sqlparser/SelectImport.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace Diduza {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Diduza::ColumnExpression", text);
}

// "name:" before the expression: a plain, double-quoted or back-quoted name and a colon that is
// not the start of a "::" cast.
const QRegularExpression &namePrefix()
{
    static const QRegularExpression prefix(QStringLiteral(
        "^\\s*([\\p{L}_][\\p{L}\\p{N}_$]*|\"(?:[^\"]|\"\")+\"|`(?:[^`]|``)+`)\\s*:(?!:)"));
    return prefix;
}

QString unquoted(const QString &name, bool &quoted)
{
    quoted = name.size() >= 2
        && ((name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))
            || (name.startsWith(QLatin1Char('`')) && name.endsWith(QLatin1Char('`'))));
    if (!quoted)
        return name;
    const QChar q = name.at(0);
    return name.mid(1, name.size() - 2).replace(QString(2, q), QString(q));
}

// The names the text may mention, lower case: plain words and quoted names (strings and
// comments included; a name too many only keeps a table in the probe).
QSet<QString> mentionedNames(const QString &text)
{
    static const QRegularExpression name(
        QStringLiteral("[\\p{L}_][\\p{L}\\p{N}_$]*|\"(?:[^\"]|\"\")+\"|`(?:[^`]|``)+`"));
    QSet<QString> names;
    for (auto it = name.globalMatch(text); it.hasNext();) {
        bool quoted = false;
        names.insert(unquoted(it.next().captured(), quoted).toLower());
    }
    return names;
}

// The name by which a table-list entry ("customer customer1", "\"order details\"") is known.
QString entryName(const QString &entry)
{
    const QString trimmed = entry.trimmed();
    qsizetype from = trimmed.lastIndexOf(QLatin1Char(' ')) + 1;
    if (trimmed.endsWith(QLatin1Char('"')) || trimmed.endsWith(QLatin1Char('`'))) {
        // A quoted name may hold blanks: it begins at the quote that opens it.
        const QChar q = trimmed.back();
        qsizetype at = trimmed.size() - 2;
        while (at >= 0) {
            if (trimmed.at(at) == q) {
                if (at > 0 && trimmed.at(at - 1) == q) {
                    at -= 2;
                    continue;
                }
                break;
            }
            --at;
        }
        from = std::max<qsizetype>(at, 0);
    }
    bool quoted = false;
    return unquoted(trimmed.mid(from), quoted).toLower();
}
} // namespace

ColumnExpressionReading ReadColumnExpression(
    const QString &Text, const QVector<ColumnExpressionTable> &Tables, const SqlSpelling &Spelling)
{
    ColumnExpressionReading result;
    auto fail = [&](const QString &error, qsizetype position) {
        result.Ok = false;
        result.Error = error;
        result.ErrorPosition = position;
        if (position >= 0) {
            const TextLineColumn at = LineColumnAt(Text, position);
            result.ErrorLine = at.Line;
            result.ErrorColumn = at.Column;
        }
        return result;
    };

    // The name the text gives the column, and where the expression begins.
    qsizetype start = 0;
    const QRegularExpressionMatch named = namePrefix().match(Text);
    if (named.hasMatch()) {
        result.Alias = unquoted(named.captured(1), result.AliasQuoted);
        start = named.capturedEnd(0);
    }
    const QString expression = Text.mid(start);
    if (expression.trimmed().isEmpty())
        return fail(tr("The calculated column has no expression."), Text.size());

    // The one-statement rule: a ";" that ends a statement inside the cell is a second one.
    static const QString select = QStringLiteral("SELECT ");
    {
        const QString alone = select + expression;
        const QString standard
            = Spelling.Mysql ? MysqlAsStandardSql(alone, Spelling.Mode, nullptr) : alone;
        const bool several = standard.isNull() ? MysqlStatementLength(alone, Spelling.Mode) < 0
                                               : PostgresStatementCount(standard) > 1;
        if (several)
            return fail(tr("The expression holds a second statement: a calculated column holds "
                           "one value."),
                -1);
    }
    // One entry of the field list over the diagram's tables, on a line of its own so that a
    // line comment in it ends before FROM.
    QString probe = select + expression + QLatin1Char('\n');
    // Only the tables the text may name, by their names or their fields: a diagram of hundreds
    // of tables is read in one expression's time. probed maps the probe's tables to Tables.
    const QSet<QString> names = mentionedNames(expression);
    QVector<int> probed;
    QStringList entries;
    for (int t = 0; t < Tables.size(); ++t) {
        const ColumnExpressionTable &table = Tables.at(t);
        bool named = names.contains(entryName(table.Entry));
        for (qsizetype f = 0; !named && f < table.Fields.size(); ++f)
            named = names.contains(table.Fields.at(f).toLower());
        if (!named)
            continue;
        probed << t;
        entries << table.Entry;
    }
    if (!entries.isEmpty())
        probe += QStringLiteral("FROM ") + entries.join(QStringLiteral(", "));
    const ImportedQuery query = ImportSelect(probe, Spelling);
    const qsizetype offset = select.size() - start;
    if (!query.Ok) {
        // The place is the expression's; one after its end is its end (the parser met FROM).
        static const QRegularExpression character(QStringLiteral("\\s*\\(at character \\d+\\)$"));
        QString error = query.Error;
        error.remove(character);
        // The parser's line and column are the probe's; the cell's place is given apart.
        if (query.ErrorPosition >= 0) {
            const QString probeAt
                = QStringLiteral(" (%1)").arg(LineColumnText(probe, query.ErrorPosition));
            if (error.endsWith(probeAt))
                error.chop(probeAt.size());
        }
        qsizetype at = query.ErrorPosition < 0 ? -1 : query.ErrorPosition - offset;
        if (at >= Text.size()) {
            at = Text.size();
            error = tr("syntax error at the end of the expression");
        }
        return fail(error, at < 0 ? -1 : std::max<qsizetype>(at, start));
    }
    // Anything but the one value (a further column, a clause, another SELECT, other tables) is
    // no expression of this column.
    const bool oneValue = query.Fields.size() == 1 && query.Tables.size() == probed.size()
        && query.Where.isEmpty() && query.GroupBy.isEmpty() && !query.HasHaving
        && query.OrderBy.isEmpty() && query.Limit < 0 && query.Offset == 0 && query.Blocks.isEmpty()
        && !query.Distinct;
    if (!oneValue)
        return fail(tr("The text is not one expression: a calculated column holds one value, "
                       "without a further column, clause or statement."),
            -1);
    const ImportField &field = query.Fields.first();
    if (field.Type == ImportField::ifColumn && field.Column.Field == QLatin1String("*"))
        return fail(tr("A calculated column holds one value, not all fields (*)."), -1);
    if (!field.Alias.isEmpty()) {
        if (!result.Alias.isEmpty())
            return fail(tr("The calculated column is named twice."), -1);
        result.Alias = field.Alias;
        result.AliasQuoted = field.AliasQuoted;
    }
    const ImportExpression &e = field.Expression;
    result.Text = e.Text.Text;
    result.Aggregate = e.Aggregate;
    result.Window = e.Window;
    result.Subquery = e.Subquery;
    for (const ImportReference &r : e.Text.References) {
        if (r.Length <= 0)
            continue;
        if (r.Column.Table < 0) {
            const qsizetype at = result.Text.isEmpty() ? -1 : start;
            return fail(tr("The expression names %1, which is not a table of the diagram.")
                            .arg(r.Column.Qualifier),
                at);
        }
        // The qualifier without its full stop.
        const int table = probed.value(r.Column.Table, -1);
        if (table < 0)
            continue;
        result.References.append({ r.Start, r.Length - 1, table });
        if (!result.Tables.contains(table))
            result.Tables.append(table);
    }
    if (e.Unqualified) {
        // A column without a table depends on the one table that has such a field.
        for (const ImportReference &r : e.Text.References) {
            if (r.Length > 0 || !r.Column.Qualifier.isEmpty())
                continue;
            int holder = -1;
            for (int t = 0; t < Tables.size(); ++t) {
                const bool has = std::any_of(
                    Tables.at(t).Fields.begin(), Tables.at(t).Fields.end(), [&](const QString &f) {
                        return f.compare(r.Column.Field, Qt::CaseInsensitive) == 0;
                    });
                if (has)
                    holder = holder == -1 ? t : -2;
            }
            if (holder >= 0 && !result.Tables.contains(holder))
                result.Tables.append(holder);
        }
    }
    std::sort(result.Tables.begin(), result.Tables.end());
    result.Ok = true;
    return result;
}

} // namespace Diduza
