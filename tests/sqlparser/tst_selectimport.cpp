// Reading whole SELECT statements back: each clause alone, aliases, quoted names, mixed join
// syntax, the legacy outer-join marks and what cannot be represented.

#include "querybuilder/ColumnExpression.h"
#include "querybuilder/QueryImport.h"
#include "sqlparser/SelectImport.h"
#include "sqlparser/SqlStatement.h"

#include <QtTest>

using namespace Diduza;

namespace {

QString column(const ImportColumn &c)
{
    return c.Qualifier.isEmpty() ? c.Field : c.Qualifier + '.' + c.Field;
}

const char *const Ops[] = { "=", "<", ">", "<=", ">=", "<>" };
const char *const Kinds[] = { "inner", "left", "right", "full" };

QString conditionText(const ImportCondition &c)
{
    QString text = c.Text.Text;
    if (c.Marked)
        text += QString(" [%1]").arg(Kinds[c.MarkedJoin]);
    return text;
}

QString fromText(const ImportedQuery &q, int node)
{
    if (node < 0)
        return QString();
    const ImportFromNode &n = q.From.at(node);
    if (n.Type == ImportFromNode::fnTable) {
        const ImportTable &t = q.Tables.at(n.TableIndex);
        return t.Alias.isEmpty() ? t.Name : t.Name + ' ' + t.Alias;
    }
    static const char *const joins[] = { "", "JOIN", "LEFT", "RIGHT", "FULL", "CROSS" };
    QStringList on;
    for (const ImportCondition &c : n.On)
        on << conditionText(c);
    QString text = '(' + fromText(q, n.Left) + ' ' + joins[n.Type] + ' ' + fromText(q, n.Right);
    if (!on.isEmpty())
        text += " ON " + on.join(" & ");
    return text + ')';
}

// The reading as one line: FROM | fields | where | group | having | order, then "distinct" and
// the left-out notes when there are any.
QString summary(const ImportedQuery &q)
{
    if (!q.Ok)
        return "error: " + q.Error;
    QStringList fields, where, groups, having, sorts;
    for (const ImportField &f : q.Fields) {
        QString text;
        switch (f.Type) {
        case ImportField::ifColumn:
            text = column(f.Column);
            break;
        case ImportField::ifAggregate:
            text = f.Aggregate + '(' + column(f.Column) + ')';
            break;
        case ImportField::ifCountAll:
            text = "COUNT(*)";
            break;
        case ImportField::ifExpression:
            text = "expr " + f.Expression.Text.Text;
            break;
        }
        fields << (f.Alias.isEmpty() ? text : text + " AS " + f.Alias);
    }
    for (const ImportCondition &c : q.Where)
        where << conditionText(c);
    for (const ImportGroup &g : q.GroupBy)
        groups << (g.Type == ImportGroup::igColumn ? column(g.Column) : g.Text);
    for (const ImportCondition &c : q.Having)
        having << conditionText(c);
    for (const ImportSort &s : q.OrderBy)
        sorts << (s.Type == ImportSort::isColumn ? column(s.Column) : s.Text)
                + (s.Descending ? " DESC" : " ASC");
    QString text = QStringList { fromText(q, q.FromRoot), fields.join(", "), where.join("; "),
        groups.join(", "), having.join("; "), sorts.join(", ") }
                       .join(" | ");
    if (q.Distinct)
        text += " | distinct";
    if (q.Limit >= 0 || q.Offset > 0)
        text += QString(" | limit %1 offset %2").arg(q.Limit).arg(q.Offset);
    static const char *const setOps[]
        = { "UNION", "UNION ALL", "INTERSECT", "INTERSECT ALL", "EXCEPT", "EXCEPT ALL" };
    for (int b = 0; b < q.Blocks.size(); ++b) {
        ImportedQuery block = q.Blocks.at(b);
        block.LeftOut.clear(); // the whole's notes hold them
        text += QString(" || %1 ").arg(setOps[q.Operators.at(b)]) + summary(block);
    }
    if (!q.LeftOut.isEmpty())
        text += " | left out: " + q.LeftOut.join("; ");
    return text;
}

// The plan as one line: tables | relations | columns, then the left-out notes.
QString planSummary(const QueryImportPlan &p)
{
    QStringList tables, relations, columns;
    auto caption = [&](int t) { return t >= 0 ? p.Tables.at(t).Caption : QString("?"); };
    // Conditions with their tables named by the plan's captions.
    auto texts = [&](const QVector<ImportText> &list) {
        QStringList parts;
        for (const ImportText &t : list)
            parts << RenameTables(t,
                [&](const ImportColumn &c) { return caption(p.TableOfSource.value(c.Table, -1)); });
        return parts.join(" & ");
    };
    for (const QueryImportPlan::Table &t : p.Tables)
        tables << t.Caption;
    for (const QueryImportPlan::Relation &r : p.Relations) {
        QString text = caption(r.ParentTable) + '.' + r.ParentField + ' ' + Ops[r.Operator] + ' '
            + caption(r.ChildTable) + '.' + r.ChildField + ' ' + Kinds[r.Join];
        if (!r.Conditions.isEmpty())
            text += " + " + texts(r.Conditions);
        relations << text;
    }
    for (const QueryImportPlan::Column &c : p.Columns) {
        QString text = c.AllRows ? QString("COUNT(*)")
            : c.Calculated       ? "= " + texts({ c.Expression.Text })
                                 : caption(c.Table) + '.' + c.Field;
        QStringList cells;
        if (!c.Aggregate.isEmpty() && !c.AllRows)
            cells << c.Aggregate;
        if (c.Sort)
            cells << (c.Sort == 1 ? "asc" : "desc");
        if (c.SortOrder)
            cells << QString("#%1").arg(c.SortOrder);
        if (!c.Show)
            cells << "hidden";
        if (!c.Alias.isEmpty())
            cells << "as " + c.Alias;
        if (!c.Where.isEmpty())
            cells << "where " + texts(c.Where);
        if (c.Grouped)
            cells << "grouped";
        if (!c.Having.isEmpty())
            cells << "having " + texts(c.Having);
        columns << (cells.isEmpty() ? text : text + " [" + cells.join(", ") + ']');
    }
    QString text = tables.join(", ") + " | " + relations.join("; ") + " | " + columns.join("; ");
    if (p.Distinct)
        text += " | distinct";
    if (p.Limit >= 0 || p.Offset > 0)
        text += QString(" | limit %1 offset %2").arg(p.Limit).arg(p.Offset);
    static const char *const setOps[]
        = { "UNION", "UNION ALL", "INTERSECT", "INTERSECT ALL", "EXCEPT", "EXCEPT ALL" };
    for (int b = 0; b < p.Blocks.size(); ++b) {
        QueryImportPlan block = p.Blocks.at(b);
        block.LeftOut.clear(); // the whole's notes hold them
        text += QString(" || %1 ").arg(setOps[p.Operators.at(b)]) + planSummary(block);
    }
    if (!p.LeftOut.isEmpty())
        text += " | left out: " + p.LeftOut.join("; ");
    return text;
}

// A small catalogue for the plans: tables a, b, c, d, e with their fields.
QStringList fieldsOf(const QString &table)
{
    static const QHash<QString, QStringList> fields = {
        { "a", { "x", "w", "y" } },
        { "b", { "y", "z", "v" } },
        { "c", { "z", "u" } },
        { "d", { "w", "t" } },
        { "e", { "v", "s" } },
    };
    return fields.value(table);
}

} // namespace

class tst_SelectImport : public QObject {
    Q_OBJECT
private slots:
    void import_data();
    void import();
    void postgresParser();
    void plan_data();
    void plan();
    void namesLongerThanPostgresKeeps_data();
    void namesLongerThanPostgresKeeps();
    void columnExpressions_data();
    void columnExpressions();
    void deepStatementsAreReadOrNamed_data();
    void deepStatementsAreReadOrNamed();
    void mysqlSpelling_data();
    void mysqlSpelling();
    void quotedNamesInOtherQuotes_data();
    void quotedNamesInOtherQuotes();
};

void tst_SelectImport::import_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");
    const struct {
        const char *name;
        const char *sql;
        const char *expected;
    } cases[] = {
#include "import_cases.inc"
    };
    for (const auto &c : cases)
        QTest::newRow(c.name) << QString::fromUtf8(c.sql) << QString::fromUtf8(c.expected);
}

void tst_SelectImport::import()
{
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    QCOMPARE(summary(ImportSelect(sql)), expected);
}

void tst_SelectImport::postgresParser()
{
    QString error;
    QVERIFY(ParsesAsPostgres("SELECT a.x FROM a LEFT OUTER JOIN b ON (a.x = b.y)", &error));
    QVERIFY(!ParsesAsPostgres("SELECT a.x FROM a, b LEFT OUTER JOIN (a.x = b.y)", &error));
    QVERIFY(error.contains("syntax error"));
}

void tst_SelectImport::plan_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<QString>("expected");
    const struct {
        const char *name;
        const char *sql;
        bool extended;
        const char *expected;
    } cases[] = {
#include "plan_cases.inc"
    };
    for (const auto &c : cases)
        QTest::newRow(c.name) << QString::fromUtf8(c.sql) << c.extended
                              << QString::fromUtf8(c.expected);
}

void tst_SelectImport::plan()
{
    QFETCH(QString, sql);
    QFETCH(bool, extended);
    QFETCH(QString, expected);
    const ImportedQuery query = ImportSelect(sql);
    QVERIFY2(query.Ok, qPrintable(query.Error));
    QueryImportOptions options;
    options.Extended = extended;
    options.Fields = fieldsOf;
    QCOMPARE(planSummary(PlanImport(query, options)), expected);
}

void tst_SelectImport::namesLongerThanPostgresKeeps_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("70 letters") << QString(70, QLatin1Char('t'));
    QTest::newRow("40 two-byte letters") << QString(40, QChar(0xe9));
    QTest::newRow("quoted, mixed case")
        << QStringLiteral("\"%1\"").arg(QString(66, QLatin1Char('Q')));
}

// PostgreSQL's parser cuts names at 63 bytes; the statement's own text keeps them whole.
void tst_SelectImport::namesLongerThanPostgresKeeps()
{
    QFETCH(QString, name);
    const QString unquoted = name.startsWith('"') ? name.mid(1, name.size() - 2) : name;
    const QString alias = QString(64, QLatin1Char('a'));
    const ImportedQuery q
        = ImportSelect(QStringLiteral("SELECT %2.%1 FROM %1 %2 WHERE %2.%1 > 1").arg(name, alias));
    QVERIFY2(q.Ok, qPrintable(q.Error));
    QCOMPARE(q.Tables.value(0).Name, unquoted);
    QCOMPARE(q.Tables.value(0).Alias, alias);
    QCOMPARE(q.Fields.value(0).Column.Field, unquoted);
    QCOMPARE(q.Fields.value(0).Column.Table, 0);
    QCOMPARE(q.Where.value(0).Text.References.value(0).Column.Table, 0);
}

void tst_SelectImport::columnExpressions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    // Over the tables a (x, w, y), "b b2" (y, z, v) and c.
    QTest::newRow("arithmetic with unary signs") << "- a.x * 84 + + 38"
                                                 << "- a.x * 84 + + 38 | a | ";
    QTest::newRow("a name before a colon") << "total: a.x * b2.z"
                                           << "as total | a.x * b2.z | a b2 | ";
    QTest::newRow("a name after AS, quoted") << "a.x || '!' AS \"Big One\""
                                             << "as \"Big One\" | a.x || '!' | a | ";
    QTest::newRow("a cast is not a name") << "a.x::text"
                                          << "a.x::text | a | ";
    QTest::newRow("a column without a table depends on its one holder") << "w + v"
                                                                        << "w + v | a b2 | ";
    QTest::newRow("an aggregate") << "SUM(a.x * b2.v)"
                                  << "SUM(a.x * b2.v) | a b2 | aggregate";
    QTest::newRow("COUNT(DISTINCT)") << "count(DISTINCT b2.z)"
                                     << "count(DISTINCT b2.z) | b2 | aggregate";
    QTest::newRow("a window function")
        << "RANK() OVER (PARTITION BY a.w ORDER BY a.x)"
        << "RANK() OVER (PARTITION BY a.w ORDER BY a.x) | a | window";
    QTest::newRow("CASE of both forms")
        << "CASE a.x WHEN 1 THEN 'one' END || CASE WHEN b2.z > 0 THEN 'p' END"
        << "CASE a.x WHEN 1 THEN 'one' END || CASE WHEN b2.z > 0 THEN 'p' END | a b2 | ";
    QTest::newRow("a correlated scalar subquery")
        << "(SELECT count(*) FROM a AS q WHERE q.x < a.x)"
        << "(SELECT count(*) FROM a AS q WHERE q.x < a.x) | a | subquery";
    QTest::newRow("a line comment ends before the rest") << "a.x -- why\n + 1"
                                                         << "a.x  \n + 1 | a | ";
    QTest::newRow("a second statement")
        << "a.x; DROP TABLE a"
        << "error: The expression holds a second statement: a calculated column holds one value.";
    QTest::newRow("a second statement after a subquery")
        << "(SELECT 1); DELETE FROM a"
        << "error: The expression holds a second statement: a calculated column holds one value.";
    QTest::newRow("a semicolon in a string is none") << "a.x || ';'"
                                                     << "a.x || ';' | a | ";
    QTest::newRow("a further column")
        << "a.x, a.w"
        << "error: The text is not one expression: a calculated column holds one value, without a "
           "further column, clause or statement.";
    QTest::newRow("a clause of its own")
        << "a.x FROM c"
        << "error: syntax error at the end of the expression at 1:11";
    QTest::newRow("a clause that reads")
        << "a.x FROM c UNION SELECT 1"
        << "error: The text is not one expression: a calculated column holds one value, without a "
           "further column, clause or statement.";
    QTest::newRow("a table the diagram lacks")
        << "d.t + 1"
        << "error: The expression names d, which is not a table of the diagram. at 1:1";
    QTest::newRow("all fields")
        << "a.*"
        << "error: A calculated column holds one value, not all fields (*).";
    QTest::newRow("a syntax error on the second line")
        << "a.x +\n (b2.z"
        << "error: syntax error at the end of the expression at 2:7";
    QTest::newRow("a syntax error inside") << "a.x + * 2"
                                           << "error: syntax error at or near \"*\" at 1:7";
    QTest::newRow("nothing after the name")
        << "total:  "
        << "error: The calculated column has no expression. at 1:9";
}

// The expression of a calculated column is one value over the diagram's tables, or an error
// with its line and column; the one-statement rule holds inside it.
void tst_SelectImport::columnExpressions()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const QVector<ColumnExpressionTable> tables
        = { { "a", { "x", "w", "y" } }, { "b b2", { "y", "z", "v" } }, { "c", { "z", "u" } } };
    const ColumnExpressionReading r = ReadColumnExpression(text, tables);
    QString summary;
    if (!r.Ok) {
        summary = "error: " + r.Error;
        if (r.ErrorLine > 0)
            summary += QString(" at %1:%2").arg(r.ErrorLine).arg(r.ErrorColumn);
    } else {
        static const char *const names[] = { "a", "b2", "c" };
        QStringList named;
        for (const int t : r.Tables)
            named << names[t];
        // Each reference stands where its table's name does.
        for (const ColumnExpressionReading::Reference &ref : r.References)
            QCOMPARE(r.Text.mid(ref.Start, ref.Length), QString(names[ref.Table]));
        QStringList flags;
        if (r.Aggregate)
            flags << "aggregate";
        if (r.Window)
            flags << "window";
        if (r.Subquery)
            flags << "subquery";
        summary
            = (r.Alias.isEmpty() ? QString()
                                 : "as " + (r.AliasQuoted ? '"' + r.Alias + '"' : r.Alias) + " | ")
            + r.Text + " | " + named.join(' ') + " | " + flags.join(' ');
    }
    QCOMPARE(summary, expected);

    // However deep, an expression is read or refused, never a crash.
    QString deep = "a.x";
    for (int i = 0; i < 1000; ++i)
        deep = "(" + deep + " + 1)";
    const ColumnExpressionReading d = ReadColumnExpression(deep, tables);
    QVERIFY(d.Ok || !d.Error.isEmpty());
}

void tst_SelectImport::deepStatementsAreReadOrNamed_data()
{
    QTest::addColumn<QString>("sql");
    QString nots = QStringLiteral("SELECT a.x FROM a WHERE ");
    for (int i = 0; i < 400; ++i)
        nots += QStringLiteral("NOT ");
    QTest::newRow("400 NOTs") << nots + QStringLiteral("a.x = 1");
    QString sums = QStringLiteral("SELECT a.x FROM a WHERE a.x = ");
    for (int i = 0; i < 1000; ++i)
        sums += QStringLiteral("1+(");
    QTest::newRow("1,000 nested sums") << sums + QStringLiteral("1") + QString(1000, ')');
    QString joins = QStringLiteral("SELECT t0.x FROM a t0");
    for (int i = 1; i <= 1000; ++i)
        joins += QStringLiteral(" JOIN a t%1 ON t%1.x = t%2.x").arg(i).arg(i - 1);
    QTest::newRow("1,000 joins") << joins;
}

// A statement PostgreSQL's parser reads is read whatever its depth; one it refuses is refused
// with the parser's own reason.
void tst_SelectImport::deepStatementsAreReadOrNamed()
{
    QFETCH(QString, sql);
    const ImportedQuery q = ImportSelect(sql);
    QString error;
    if (!ParsesAsPostgres(sql, &error)) {
        QVERIFY(!q.Ok);
        QCOMPARE(q.Error, error);
        return;
    }
    QVERIFY2(q.Ok, qPrintable(q.Error));
    QueryImportOptions options;
    options.Fields = fieldsOf;
    const QueryImportPlan plan = PlanImport(q, options);
    QVERIFY(!plan.Tables.isEmpty());
    QVERIFY2(plan.LeftOut.isEmpty(), qPrintable(plan.LeftOut.join("; ")));
}

// Statements as MySQL and MariaDB spell them read as their standard spelling does, with the
// texts the import keeps in the statement's own spelling; what has no standard spelling in
// place is named.
void tst_SelectImport::mysqlSpelling_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("modes"); // 1: backslash escapes, 2: ANSI_QUOTES
    QTest::addColumn<QString>("expected");
    QTest::newRow("back-quoted names")
        << "SELECT `order details`.`unit price`, o.id FROM `order details` JOIN orders o ON "
           "o.id = `order details`.order_id WHERE (`order details`.quantity > 5)"
        << 1 << "";
    QTest::newRow("a string in double quotes")
        << "SELECT c.name FROM customer c WHERE c.city = \"Wien\" AND c.name LIKE \"A%\"" << 1
        << "";
    QTest::newRow("escaped quotes in strings")
        << "SELECT c.name FROM customer c WHERE c.name <> 'O\\'Neil' AND c.city <> \"it's\"" << 1
        << "";
    QTest::newRow("# comments and executable comments")
        << "SELECT c.name /*!50000 , c.city */ # the names\nFROM customer c" << 1 << "";
    QTest::newRow("double-quoted names under ANSI_QUOTES")
        << "SELECT \"c\".name FROM customer \"c\" WHERE \"c\".city = 'x\\'" << 2 << "";
    QTest::newRow("a name holding a double quote")
        << "SELECT `a\"b` FROM t" << 1 << "error: The import cannot read";
    QTest::newRow("--x is two minus signs")
        << "SELECT 1--x FROM t" << 1 << "error: \"--\" before a character";
}

void tst_SelectImport::mysqlSpelling()
{
    QFETCH(QString, sql);
    QFETCH(int, modes);
    QFETCH(QString, expected);
    const SqlSpelling spelling { true, MysqlLexMode { (modes & 1) != 0, (modes & 2) != 0 } };
    const ImportedQuery query = ImportSelect(sql, spelling);
    if (!expected.isEmpty()) {
        QVERIFY2(summary(query).startsWith(expected), qPrintable(summary(query)));
        return;
    }
    QVERIFY2(query.Ok, qPrintable(query.Error));
    QVERIFY2(ParsesAsPostgres(sql, spelling, nullptr, nullptr), qPrintable(sql));
    // The same statement in standard spelling: the same reading, its texts spelled as written.
    QString standard = MysqlAsStandardSql(sql, spelling.Mode, nullptr);
    const ImportedQuery reference = ImportSelect(standard);
    QVERIFY2(reference.Ok, qPrintable(reference.Error));
    QCOMPARE(query.Tables.size(), reference.Tables.size());
    for (int i = 0; i < query.Tables.size(); ++i) {
        QCOMPARE(query.Tables.at(i).Name, reference.Tables.at(i).Name);
        QCOMPARE(query.Tables.at(i).Alias, reference.Tables.at(i).Alias);
    }
    QCOMPARE(query.Fields.size(), reference.Fields.size());
    for (int i = 0; i < query.Fields.size(); ++i)
        QCOMPARE(column(query.Fields.at(i).Column), column(reference.Fields.at(i).Column));
    QCOMPARE(query.Where.size(), reference.Where.size());
    for (const ImportCondition &c : query.Where)
        QVERIFY2(sql.contains(c.Text.Text), qPrintable(c.Text.Text));
    QCOMPARE(query.LeftOut, reference.LeftOut);
}

void tst_SelectImport::quotedNamesInOtherQuotes_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("expected");
    QTest::newRow("field") << "a.\"unit price\" > 1"
                           << "t1.`unit price` > 1";
    QTest::newRow("qualifier named anew, strings kept")
        << "\"a\".\"Name\" = 'say \"hi\"' OR a.x = \"a\".y"
        << "t1.`Name` = 'say \"hi\"' OR t1.x = t1.y";
    QTest::newRow("a quote inside") << "a.\"say \"\"x\"\"\" IS NULL"
                                    << "t1.`say \"x\"` IS NULL";
    QTest::newRow("subquery") << "EXISTS (SELECT 1 FROM \"order details\" q WHERE q.\"Id\" = a.x)"
                              << "EXISTS (SELECT 1 FROM `order details` q WHERE q.`Id` = t1.x)";
    QTest::newRow("comment") << "a.x /* \"not a name\" */ = \"a\".\"x\""
                             << "t1.x   = t1.`x`";
}

// The names a condition writes in standard SQL's quotes, for a database that quotes in back
// quotes: written in those, the names of its tables as renamed, all else as written.
void tst_SelectImport::quotedNamesInOtherQuotes()
{
    QFETCH(QString, condition);
    QFETCH(QString, expected);
    const ImportedQuery q = ImportSelect("SELECT a.x FROM a WHERE " + condition);
    QVERIFY2(q.Ok, qPrintable(q.Error));
    QCOMPARE(q.Where.size(), 1);
    const auto rename = [](const ImportColumn &c) { return c.Table == 0 ? "t1" : QString(); };
    const auto backQuotes
        = [](const QString &name) { return '`' + QString(name).replace('`', "``") + '`'; };
    QCOMPARE(RenameTables(q.Where.at(0).Text, rename, backQuotes), expected);
    // Without quotes of its own the text keeps its names as written.
    QCOMPARE(RenameTables(q.Where.at(0).Text, [](const ImportColumn &) { return QString(); }),
        q.Where.at(0).Text.Text);
}

QTEST_GUILESS_MAIN(tst_SelectImport)
#include "tst_selectimport.moc"
