#include "../common/WorkedExample.h"
#include "engines/SqlDialect.h"
#include "querybuilder/QueryGenerator.h"
#include "querybuilder/SqlTemplate.h"

#include <QtTest>

using namespace Diduza;
namespace Example = DiduzaTest::WorkedExample;

Q_DECLARE_METATYPE(Diduza::QueryInput)

namespace {

// The dialect an input is generated for: an engine of one of the four dialects, or none.
constexpr int NoEngine = -1;

QueryTable table(const QString &caption, int index)
{
    return QueryTable { caption, index, nullptr, {} };
}

QueryField field(const QString &caption)
{
    return QueryField { caption, nullptr };
}

QueryColumn column(const QueryTable &owner, const QString &name, const QString &calculate = {},
    const QString &sort = {}, const QString &where = {}, const QString &grouping = {},
    const QString &having = {})
{
    QueryColumn c;
    c.FieldCell = QStringLiteral("7");
    c.Field = field(name);
    c.Table = owner;
    c.Calculate = calculate;
    c.Sort = sort;
    c.Where = where;
    c.Grouping = grouping;
    c.Having = having;
    return c;
}

QueryJoin join(const QueryTable &parent, const QString &parentField, const QueryTable &child,
    const QString &childField, TSDRelationJoin kind, TSDRelationOperator op = roEqual)
{
    QueryJoin j;
    j.ParentTable = parent;
    j.ParentField = field(parentField);
    j.ChildTable = child;
    j.ChildField = field(childField);
    j.Operator = op;
    j.Join = kind;
    return j;
}

// Gives the input the template and join texts of an engine of the dialect.
QueryInput withEngine(QueryInput input, int dialect)
{
    if (dialect == NoEngine)
        return input;
    const auto subType = TSQLSubType(dialect);
    input.SubType = subType;
    input.Template = SQLTemplate(subType);
    input.JoinScript = [subType](const QString &p, const QString &c, TSDRelationOperator op,
                           TSDRelationJoin j) { return JoinScript(subType, p, c, op, j); };
    input.JoinSeparator = [subType](TSDRelationJoin j) { return JoinSeparator(subType, j); };
    return input;
}

// The worked example (../common/WorkedExample.h) as the generator's input: tables customer
// (item 1) and orders (item 2).
QueryInput workedExampleInput()
{
    QueryInput input;
    for (int i = 0; i < int(std::size(Example::Tables)); ++i)
        input.Tables.append(table(Example::Tables[i], i + 1));
    auto tableNamed = [&input](const char *caption) {
        for (const QueryTable &t : std::as_const(input.Tables)) {
            if (t.Caption == QLatin1String(caption))
                return t;
        }
        return QueryTable {};
    };
    const Example::Join &j = Example::TheJoin;
    input.Joins = { join(tableNamed(j.parentTable), j.parentField, tableNamed(j.childTable),
        j.childField, rjInner) };
    for (const Example::Column &c : Example::Columns) {
        input.Columns.append(column(
            tableNamed(c.table), c.field, c.calculate, c.sort, c.where, c.grouping, c.having));
    }
    return input;
}

// Joins written "parent.field op child.field kind" (kind: inner, left, right, full) over
// tables named by their position in the diagram.
QueryJoin parseJoin(const QVector<QueryTable> &tables, const QString &text)
{
    const QStringList parts = text.split(' ');
    auto end = [&](const QString &ref, QString &fieldName) {
        const QString name = ref.section('.', 0, 0);
        fieldName = ref.section('.', 1);
        for (const QueryTable &t : tables) {
            if (t.Caption + QString::number(t.ItemIndex) == name || t.Caption == name)
                return t;
        }
        return QueryTable {};
    };
    QString pf, cf;
    const QueryTable p = end(parts.at(0), pf), c = end(parts.at(2), cf);
    const QStringList ops = { "=", "<", ">", "<=", ">=", "<>" };
    const QStringList kinds = { "inner", "left", "right", "full" };
    return join(p, pf, c, cf, TSDRelationJoin(kinds.indexOf(parts.at(3))),
        TSDRelationOperator(ops.indexOf(parts.at(1))));
}

} // namespace

class tst_QueryGenerator : public QObject {
    Q_OBJECT
private slots:
    void workedExample_data();
    void workedExample();
    void macroOrder();
    void tableNames_data();
    void tableNames();
    void quotingRules_data();
    void quotingRules();
    void fieldNames_data();
    void fieldNames();
    void nameHooks();
    void engineQuotingNamesEachPart_data();
    void engineQuotingNamesEachPart();
    void namesDatabasesReadBare_data();
    void namesDatabasesReadBare();
    void columns_data();
    void columns();
    void joins_data();
    void joins();
    void missingEnds();
    void joinTrees_data();
    void joinTrees();
    void extendedGrid_data();
    void extendedGrid();
    void notes_data();
    void notes();
};

void tst_QueryGenerator::workedExample_data()
{
    QTest::addColumn<int>("dialect");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no engine") << int(NoEngine) << Example::JoinClause;
    QTest::newRow("stStandard") << int(stStandard) << Example::JoinClause;
    QTest::newRow("stLocal") << int(stLocal) << Example::WhereClause;
    // An inner join is the plain condition in every WHERE-clause dialect.
    QTest::newRow("stOracle") << int(stOracle) << Example::WhereClause;
    QTest::newRow("stMSSQL") << int(stMSSQL) << Example::WhereClause;
    QTest::newRow("stAnsi") << int(stAnsi) << Example::JoinTree;
}

void tst_QueryGenerator::workedExample()
{
    QFETCH(int, dialect);
    QFETCH(QString, expected);
    QCOMPARE(GenerateQuery(withEngine(workedExampleInput(), dialect)), expected);
}

// Every macro goes through the expander, in the fixed order, with its accumulator.
void tst_QueryGenerator::macroOrder()
{
    QueryInput input = withEngine(workedExampleInput(), stLocal);
    input.Distinct = true;
    QStringList calls;
    input.Expand = [&calls](QString &sql, const QString &macro, const QString &value) {
        calls << macro + QLatin1Char('=') + value;
        ExpandSQL(sql, macro, value);
    };
    const QString sql = GenerateQuery(input);
    QCOMPARE(calls,
        QStringList({ "#distinct#=DISTINCT", "#fields#=" + Example::Fields,
            "#tables#=" + Example::FromTables, "#innerjoins#=" + Example::InnerJoinCondition,
            "#leftouterjoins#=", "#rightouterjoins#=", "#fulljoins#=",
            "#wherefilter#=" + Example::WhereFilter, "#groups#=" + Example::Groups,
            "#havingfilter#=" + Example::HavingFilter, "#orders#=" + Example::Orders }));
    QVERIFY(sql.startsWith("SELECT DISTINCT customer.name"));

    // An expander that fills nothing leaves the template as it was, blank lines aside.
    input.Expand = [](QString &, const QString &, const QString &) {};
    QString untouched = SQLTemplate(stLocal);
    RemoveBlankLines(untouched);
    QCOMPARE(GenerateQuery(input), untouched);
}

void tst_QueryGenerator::tableNames_data()
{
    QTest::addColumn<QStringList>("captions"); // the area's items, at indexes 1, 2, ...
    QTest::addColumn<int>("asked"); // position in captions
    QTest::addColumn<bool>("isAlias");
    QTest::addColumn<QString>("expected");

    const QStringList two = { "customer", "customer" };
    QTest::newRow("single caption, table list")
        << QStringList { "customer" } << 0 << false << "customer";
    QTest::newRow("single caption, column prefix")
        << QStringList { "customer" } << 0 << true << "customer";
    QTest::newRow("shared, table list: caption and alias")
        << two << 0 << false << "customer customer1";
    QTest::newRow("shared, prefix: the alias") << two << 0 << true << "customer1";
    QTest::newRow("shared, second item") << two << 1 << true << "customer2";
    QTest::newRow("shared by a later item only")
        << QStringList { "orders", "customer", "orders" } << 0 << false << "orders orders1";
    QTest::newRow("captions compared case-sensitively")
        << QStringList { "Customer", "customer" } << 1 << false << "customer";
    QTest::newRow("blank: quoted")
        << QStringList { "order details" } << 0 << false << "\"order details\"";
    QTest::newRow("blank, shared: both names quoted") << QStringList { "order details",
        "order details" } << 1 << false << "\"order details\" \"order details2\"";
    QTest::newRow("blank, shared, prefix")
        << QStringList { "order details", "order details" } << 0 << true << "\"order details1\"";
    QTest::newRow("full stop: not quoted")
        << QStringList { "dbo.orders" } << 0 << true << "dbo.orders";
    QTest::newRow("double quote: quoted and doubled")
        << QStringList { "my\"table" } << 0 << false << "\"my\"\"table\"";
    QTest::newRow("double quote, shared, prefix")
        << QStringList { "a\"b", "a\"b" } << 1 << true << "\"a\"\"b2\"";
    // An alias is one name: a dotted caption keeps its dots in the table list only.
    QTest::newRow("full stop, shared: the alias quoted")
        << QStringList { "dbo.orders", "dbo.orders" } << 0 << false << "dbo.orders \"dbo.orders1\"";
    QTest::newRow("full stop, shared, prefix")
        << QStringList { "dbo.orders", "dbo.orders" } << 1 << true << "\"dbo.orders2\"";
    QTest::newRow("statement separator, shared: caption and alias quoted")
        << QStringList { "x;y", "x;y" } << 0 << false << "\"x;y\" \"x;y1\"";
}

// Which names are written as they are: plain identifiers (and, for tables, plain identifiers
// joined by full stops). Everything else is double-quoted, its own quotes doubled.
void tst_QueryGenerator::quotingRules_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("plainTable");
    QTest::addColumn<bool>("plainField");

    QTest::newRow("letters") << "customer" << true << true;
    QTest::newRow("underscore first, digits, dollar") << "_x1$" << true << true;
    QTest::newRow("letters of other scripts") << "größe_日本" << true << true;
    QTest::newRow("letter outside the BMP")
        << QString::fromUtf8("\xF0\x9D\x92\xB3y") << true << true;
    QTest::newRow("long plain name") << QString(5000, QLatin1Char('a')) << true << true;
    QTest::newRow("schema.table") << "dbo.orders" << true << false;
    QTest::newRow("three parts") << "db.dbo.orders" << true << false;
    QTest::newRow("all fields") << "*" << false << true;

    const char *hostile[] = { "", "   ", "1abc", "$a", "a b", "a;b", "a--b", "a/*b", "f(x)", "a,b",
        "a\tb", "a\nb", "a\rb", "it's", "x\"y", "a-b", "a+b", "a=b", "a*", "a.", ".a", "a..b",
        "a.1b", "a. b", "a\x01b" };
    for (const char *name : hostile)
        QTest::addRow("hostile %s", QByteArray(name).toPercentEncoding().constData())
            << QString::fromUtf8(name) << false << false;
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << false << false;
    QTest::newRow("long name ending in a separator")
        << QString(5000, QLatin1Char('a')) + QLatin1Char(';') << false << false;
}

void tst_QueryGenerator::quotingRules()
{
    QFETCH(QString, name);
    QFETCH(bool, plainTable);
    QFETCH(bool, plainField);
    QCOMPARE(IsPlainTableName(name), plainTable);
    QCOMPARE(IsPlainIdentifier(name) || name == QLatin1String("*"), plainField);

    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    const QueryInput input;
    QCOMPARE(QueryTableName(input, table(name, 1), false), plainTable ? name : quoted);
    QCOMPARE(QueryFieldName(input, field(name)), plainField ? name : quoted);
}

void tst_QueryGenerator::tableNames()
{
    QFETCH(QStringList, captions);
    QFETCH(int, asked);
    QFETCH(bool, isAlias);
    QFETCH(QString, expected);
    QueryInput input;
    for (int i = 0; i < captions.size(); ++i)
        input.Tables.append(table(captions.at(i), i + 1));
    QCOMPARE(QueryTableName(input, input.Tables.at(asked), isAlias), expected);
    QCOMPARE(QueryTableName(input, std::nullopt, isAlias), QString());
}

void tst_QueryGenerator::fieldNames_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "name"
                           << "name";
    QTest::newRow("all fields") << "*"
                                << "*";
    QTest::newRow("blank") << "unit price"
                           << "\"unit price\"";
    QTest::newRow("full stop") << "a.b"
                               << "\"a.b\"";
    QTest::newRow("double quote doubled") << "say \"hi\""
                                          << "\"say \"\"hi\"\"\"";
    QTest::newRow("double quote alone triggers quoting") << "x\"y"
                                                         << "\"x\"\"y\"";
    QTest::newRow("tab: quoted") << "a\tb"
                                 << "\"a\tb\"";
    QTest::newRow("hyphen: quoted") << "a-b"
                                    << "\"a-b\"";
}

void tst_QueryGenerator::fieldNames()
{
    QFETCH(QString, caption);
    QFETCH(QString, expected);
    const QueryInput input;
    QCOMPARE(QueryFieldName(input, field(caption)), expected);
    QCOMPARE(QueryFieldName(input, std::nullopt), QString());
}

void tst_QueryGenerator::nameHooks()
{
    QueryInput input = workedExampleInput();
    QStringList tableCalls;
    input.TableNameHook = [&tableCalls](const QueryTable &t, bool isAlias) {
        tableCalls << QStringLiteral("%1@%2:%3").arg(t.Caption).arg(t.ItemIndex).arg(isAlias);
        // Taken as it is: neither quoted nor aliased.
        return isAlias ? t.Caption.left(1) : QStringLiteral("my ") + t.Caption;
    };
    input.FieldNameHook = [](const QueryField &f) {
        // Quoting applies to the hook's result.
        return f.Caption == QLatin1String("name") ? QStringLiteral("full name") : f.Caption;
    };
    const QString sql = GenerateQuery(input);
    QCOMPARE(sql,
        QStringLiteral("SELECT  c.\"full name\", SUM(o.amount) \r\n"
                       "FROM my customer, my orders \r\n"
                       "   INNER JOIN (c.id = o.customer_id) \r\n"
                       "WHERE  (orders.amount > 100) \r\n"
                       "GROUP BY \"full name\" \r\n"
                       "HAVING  (SUM(orders.amount) > 1000) \r\n"
                       "ORDER BY \"full name\" ASC\r\n"));
    QVERIFY(tableCalls.contains("customer@1:0"));
    QVERIFY(tableCalls.contains("orders@2:1"));
}

// An engine's quoting: names of lower-case letters bare, others in back quotes; the catalogue
// lists "s.t" as table t of schema s. The generator quotes each part on its own, aliases and
// fields too, keeps the "*" row bare, and the hooks still come first.
void tst_QueryGenerator::engineQuotingNamesEachPart_data()
{
    QTest::addColumn<QueryInput>("input");
    QTest::addColumn<QString>("expected");

    auto quoting = [] {
        SqlNameQuoting q;
        q.QuoteName = [](const QString &name) {
            static const QRegularExpression bare(QStringLiteral("^[a-z]+$"));
            return bare.match(name).hasMatch()
                ? name
                : QuotedName(name, QLatin1Char('`'), QLatin1Char('`'));
        };
        q.TableParts = [](const QString &caption) {
            return caption == QLatin1String("s.t") ? QStringList { "s", "t" }
                                                   : QStringList { caption };
        };
        return q;
    };
    auto input = [&](const QStringList &captions, const QStringList &fields) {
        QueryInput in;
        in.Quoting = quoting();
        for (int i = 0; i < captions.size(); ++i)
            in.Tables.append(table(captions.at(i), i + 1));
        for (const QString &f : fields)
            in.Columns.append(column(in.Tables.first(), f));
        return in;
    };
    QTest::newRow("listed schema.table: each part")
        << input({ "s.t" }, { "x" }) << "SELECT  s.t.x \r\nFROM s.t \r\n";
    QTest::newRow("a dot the catalogue does not split: one name")
        << input({ "main.t" }, { "x" }) << "SELECT  `main.t`.x \r\nFROM `main.t` \r\n";
    QTest::newRow("upper case, and the shared caption's alias") << input(
        { "Ab", "Ab" }, { "Id" }) << "SELECT  `Ab1`.`Id` \r\nFROM `Ab` `Ab1`, `Ab` `Ab2` \r\n";
    QTest::newRow("quote inside doubled")
        << input({ "a`b" }, { "c`" }) << "SELECT  `a``b`.`c``` \r\nFROM `a``b` \r\n";
    QueryInput star = input({ "t" }, { "*", "x" });
    star.Columns[1].Field->Caption = QStringLiteral("*");
    star.Columns[1].Field->AllFields = false;
    QTest::newRow("the * row bare, a column named * quoted")
        << star << "SELECT  t.*, t.`*` \r\nFROM t \r\n";
    QueryInput hooked = input({ "t", "Ab" }, { "x" });
    hooked.TableNameHook = [](const QueryTable &t, bool isAlias) {
        return isAlias ? QStringLiteral("A\"") : QStringLiteral("My.") + t.Caption;
    };
    hooked.FieldNameHook = [](const QueryField &) { return QStringLiteral("Field"); };
    QTest::newRow("hooks first: a table's text untouched, a field's quoted")
        << hooked << "SELECT  A\".`Field` \r\nFROM My.t, My.Ab \r\n";
}

void tst_QueryGenerator::engineQuotingNamesEachPart()
{
    QFETCH(QueryInput, input);
    QFETCH(QString, expected);
    QCOMPARE(GenerateQuery(input), expected);
}

// Which names SQLite and PostgreSQL read, written bare, as themselves: PostgreSQL folds upper
// case and refuses its reserved keywords there, SQLite refuses every keyword; neither reads a
// full stop or a quote as part of a name.
void tst_QueryGenerator::namesDatabasesReadBare_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("postgres");
    QTest::addColumn<bool>("sqlite");
    QTest::newRow("lower case") << "customer" << true << true;
    QTest::newRow("digits, underscore, dollar") << "_a1$b" << true << true;
    QTest::newRow("other scripts") << "größe_日本" << true << true;
    QTest::newRow("capital first") << "Secrets" << false << true;
    QTest::newRow("all capitals") << "OTHER" << false << true;
    QTest::newRow("mixed case") << "MixedCase" << false << true;
    QTest::newRow("non-ASCII capital") << "Äpfel" << true << true;
    QTest::newRow("select") << "select" << false << false;
    QTest::newRow("from") << "from" << false << false;
    QTest::newRow("order") << "order" << false << false;
    QTest::newRow("user: reserved in PostgreSQL only") << "user" << false << true;
    QTest::newRow("left: a join keyword") << "left" << false << false;
    QTest::newRow("key: a keyword in SQLite only") << "key" << true << false;
    QTest::newRow("name: PostgreSQL's unreserved keyword") << "name" << true << true;
    QTest::newRow("schema and table") << "main.secrets" << false << false;
    QTest::newRow("all fields") << "*" << false << false;
    QTest::newRow("digit first") << "1st" << false << false;
    QTest::newRow("quote") << "a\"b" << false << false;
    QTest::newRow("backslash") << "a\\b" << false << false;
    QTest::newRow("separator") << "a;b" << false << false;
    QTest::newRow("empty") << "" << false << false;
    QTest::newRow("longer than PostgreSQL keeps") << QString(64, QLatin1Char('a')) << false << true;
}

void tst_QueryGenerator::namesDatabasesReadBare()
{
    QFETCH(QString, name);
    QFETCH(bool, postgres);
    QFETCH(bool, sqlite);
    QCOMPARE(PostgresReadsBare(name), postgres);
    QCOMPARE(SqliteReadsBare(name), sqlite);
}

void tst_QueryGenerator::columns_data()
{
    QTest::addColumn<QueryInput>("input");
    QTest::addColumn<QString>("expected");

    const QueryTable t = table("t", 1);
    auto single = [&t](const QVector<QueryColumn> &columns) {
        QueryInput input;
        input.Tables = { t };
        input.Columns = columns;
        return input;
    };
    auto select = [](const QString &rest) { return QStringLiteral("SELECT  ") + rest; };

    QTest::newRow("nothing at all") << QueryInput() << "";
    QTest::newRow("tables without columns: no SELECT line") << single({}) << "FROM t \r\n";
    QTest::newRow("empty row-0 cell: column skipped, where and all") << single({ [&] {
        QueryColumn c = column(t, "x", {}, {}, "x > 1");
        c.FieldCell.clear();
        return c;
    }() }) << "FROM t \r\n";
    QTest::newRow("row-0 cell naming no field: no field, the where stays") << single({ [&] {
        QueryColumn c = column(t, "x", "Count", "Ascending", "x > 1");
        c.Field.reset();
        c.Table.reset();
        return c;
    }() }) << "FROM t \r\nWHERE  (x > 1) \r\n";

    const struct {
        const char *choice;
        const char *sql;
    } aggregates[] = { { "Count", "COUNT(t.x)" }, { "Summa", "SUM(t.x)" },
        { "Maximum", "MAX(t.x)" }, { "Minimum", "MIN(t.x)" }, { "Average", "AVG(t.x)" },
        { "Sum", "t.x" }, { "count", "t.x" } };
    for (const auto &a : aggregates)
        QTest::addRow("calculate %s", a.choice)
            << single({ column(t, "x", a.choice) }) << select(a.sql) + " \r\nFROM t \r\n";

    QTest::newRow("two fields in column order")
        << single({ column(t, "b"), column(t, "a") }) << select("t.b, t.a \r\nFROM t \r\n");
    QTest::newRow("sort ascending and descending, bare field names")
        << single({ column(t, "a", {}, "Descending"), column(t, "b", {}, "Ascending") })
        << select("t.a, t.b \r\nFROM t \r\nORDER BY a DESC, b ASC\r\n");
    QTest::newRow("sort choice matching nothing: the field without direction")
        << single({ column(t, "a", {}, "Up") }) << select("t.a \r\nFROM t \r\nORDER BY a\r\n");
    QTest::newRow("sort on * adds nothing")
        << single({ column(t, "*", {}, "Ascending") }) << select("t.* \r\nFROM t \r\n");
    QTest::newRow("aggregate does not reach the sort list")
        << single({ column(t, "a", "Maximum", "Descending") })
        << select("MAX(t.a) \r\nFROM t \r\nORDER BY a DESC\r\n");
    QTest::newRow("grouping * adds *") << single({ column(t, "*", {}, {}, {}, "1") })
                                       << select("t.* \r\nFROM t \r\nGROUP BY * \r\n");
    QTest::newRow("grouping, having, two of each")
        << single({ column(t, "a", {}, {}, {}, "1", "a > 1"), column(t, "b", "Count"),
               column(t, "c", {}, {}, {}, "1", "c < 2") })
        << select("t.a, COUNT(t.b), t.c \r\nFROM t \r\nGROUP BY a, c \r\n"
                  "HAVING  (a > 1) AND (c < 2) \r\n");
    QTest::newRow("having of an ungrouped column is ignored") << single(
        { column(t, "a", {}, {}, {}, "0", "a > 1"), column(t, "b", {}, {}, {}, "", "b > 1") })
                                                              << select("t.a, t.b \r\nFROM t \r\n");
    QTest::newRow("where conditions joined by AND, first with its blank")
        << single({ column(t, "a", {}, {}, "a = 1"), column(t, "b", {}, {}, "b = 2") })
        << select("t.a, t.b \r\nFROM t \r\nWHERE  (a = 1) AND (b = 2) \r\n");
    QTest::newRow("field names quoted everywhere")
        << single({ column(t, "unit price", "Summa", "Ascending", {}, "1") })
        << select("SUM(t.\"unit price\") \r\nFROM t \r\nGROUP BY \"unit price\" \r\n"
                  "ORDER BY \"unit price\" ASC\r\n");
    QTest::newRow("aliases: plain bare, others quoted, a quoted name as written") << [&] {
        QueryInput input = single({ column(t, "a"), column(t, "b"), column(t, "c") });
        input.Columns[0].Alias = QStringLiteral("Total");
        input.Columns[1].Alias = QStringLiteral("big \"one\"");
        input.Columns[2].Alias = QStringLiteral("\"Upper\"");
        return input;
    }() << select("t.a AS Total, t.b AS \"big \"\"one\"\"\", t.c AS \"Upper\" \r\nFROM t \r\n");
    QTest::newRow("distinct") << [&] {
        QueryInput input = single({ column(t, "a") });
        input.Distinct = true;
        return input;
    }() << "SELECT DISTINCT t.a \r\nFROM t \r\n";
    QTest::newRow("shared captions give aliases")
        <<
        [] {
            const QueryTable c1 = table("customer", 1), c2 = table("customer", 2);
            QueryInput input;
            input.Tables = { c1, c2 };
            input.Columns = { column(c1, "name"), column(c2, "name") };
            return input;
        }()
        << select("customer1.name, customer2.name \r\n"
                  "FROM customer customer1, customer customer2 \r\n");
    QTest::newRow("quoted table, not shared") << [] {
        const QueryTable d = table("order details", 4);
        QueryInput input;
        input.Tables = { d };
        input.Columns = { column(d, "unit price") };
        return input;
    }() << select("\"order details\".\"unit price\" \r\nFROM \"order details\" \r\n");
    QTest::newRow("engine template taken as it is") << [&] {
        QueryInput input = single({ column(t, "a") });
        input.Template = QStringLiteral("%[PICK #fields#]% %[IN #tables#]%;");
        return input;
    }() << "PICK t.a IN t;\r\n";
}

void tst_QueryGenerator::columns()
{
    QFETCH(QueryInput, input);
    QFETCH(QString, expected);
    QCOMPARE(GenerateQuery(input), expected);
}

void tst_QueryGenerator::joins_data()
{
    QTest::addColumn<int>("dialect");
    QTest::addColumn<int>("kind"); // -1: two inner joins
    QTest::addColumn<QString>("expected");

    const QString head = QStringLiteral("SELECT  a.x \r\nFROM a, b \r\n");
    const struct {
        TSDRelationJoin kind;
        const char *name;
        const char *standard;
        const char *oracle;
        const char *mssql;
    } kinds[] = {
        { rjInner, "inner", "INNER JOIN (a.x = b.y)", "(a.x = b.y)", "(a.x = b.y)" },
        { rjLeftOuter, "left outer", "LEFT OUTER JOIN (a.x = b.y)", "(a.x = b.y (+))",
            "(a.x *= b.y)" },
        { rjRightOuter, "right outer", "RIGHT OUTER JOIN (a.x = b.y)", "(a.x (+)= b.y)",
            "(a.x =* b.y)" },
        { rjFull, "full", "FULL JOIN (a.x = b.y)", "(a.x (+)= b.y (+))", "(a.x *=* b.y)" },
    };
    for (const auto &k : kinds) {
        // The join stands right after the table line; the where filter becomes (1=1).
        const QString joinClause = head + "   " + k.standard + " \r\nWHERE (1=1) \r\n";
        QTest::addRow("no engine, %s", k.name) << int(NoEngine) << int(k.kind) << joinClause;
        QTest::addRow("stStandard, %s", k.name) << int(stStandard) << int(k.kind) << joinClause;
        QTest::addRow("stLocal, %s", k.name)
            << int(stLocal) << int(k.kind) << head + "WHERE (1=1) \r\n   AND (a.x = b.y) \r\n";
        QTest::addRow("stOracle, %s", k.name) << int(
            stOracle) << int(k.kind) << head + "WHERE (1=1) \r\n   AND " + k.oracle + " \r\n";
        QTest::addRow("stMSSQL, %s", k.name)
            << int(stMSSQL) << int(k.kind) << head + "WHERE (1=1) \r\n   AND " + k.mssql + " \r\n";
    }
    QTest::newRow("stStandard, two inner joins on one line")
        << int(stStandard) << -1
        << head + "   INNER JOIN (a.x = b.y) INNER JOIN (b.y <> a.x) \r\nWHERE (1=1) \r\n";
    QTest::newRow("no engine, two inner joins on one line")
        << int(NoEngine) << -1
        << head + "   INNER JOIN (a.x = b.y) INNER JOIN (b.y <> a.x) \r\nWHERE (1=1) \r\n";
    QTest::newRow("stLocal, two inner joins joined by AND")
        << int(stLocal) << -1 << head + "WHERE (1=1) \r\n   AND (a.x = b.y) AND (b.y <> a.x) \r\n";
    QTest::newRow("stMSSQL, two inner joins joined by AND")
        << int(stMSSQL) << -1 << head + "WHERE (1=1) \r\n   AND (a.x = b.y) AND (b.y <> a.x) \r\n";
}

void tst_QueryGenerator::joins()
{
    QFETCH(int, dialect);
    QFETCH(int, kind);
    QFETCH(QString, expected);
    const QueryTable a = table("a", 1), b = table("b", 2);
    QueryInput input;
    input.Tables = { a, b };
    input.Columns = { column(a, "x") };
    if (kind < 0)
        input.Joins = { join(a, "x", b, "y", rjInner), join(b, "y", a, "x", rjInner, roNonEqual) };
    else
        input.Joins = { join(a, "x", b, "y", TSDRelationJoin(kind)) };
    QCOMPARE(GenerateQuery(withEngine(input, dialect)), expected);

    // A where condition of the user replaces (1=1).
    input.Columns[0].Where = QStringLiteral("a.x > 0");
    const QString withWhere = GenerateQuery(withEngine(input, dialect));
    QVERIFY(!withWhere.contains("1=1"));
    QVERIFY(withWhere.contains("WHERE  (a.x > 0) \r\n"));
}

// A relation whose item or row has gone is named by empty texts: the statement is still made.
void tst_QueryGenerator::missingEnds()
{
    const QueryTable a = table("a", 1);
    QueryInput input;
    input.Tables = { a };
    QueryJoin j;
    j.ParentTable = a;
    j.ParentField = field("x");
    j.Join = rjLeftOuter;
    input.Joins = { j };
    QCOMPARE(GenerateQuery(withEngine(input, stLocal)),
        QStringLiteral("FROM a \r\nWHERE (1=1) \r\n   AND (a.x = .) \r\n"));
}

void tst_QueryGenerator::joinTrees_data()
{
    QTest::addColumn<QStringList>("tables");
    QTest::addColumn<QStringList>("joins");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("where"); // the WHERE line, or empty
    QTest::newRow("chain") << QStringList { "a", "b", "c" }
                           << QStringList { "a.x = b.y inner", "b.y = c.z left" }
                           << "a INNER JOIN b ON (a.x = b.y) LEFT OUTER JOIN c ON (b.y = c.z)"
                           << "";
    QTest::newRow("left outer reached from the child: the parent's rows kept")
        << QStringList { "a", "b" } << QStringList { "b.y = a.x left" }
        << "a RIGHT OUTER JOIN b ON (b.y = a.x)"
        << "";
    QTest::newRow("right outer from the parent / from the child")
        << QStringList { "a", "b", "c" } << QStringList { "a.x = b.y right", "c.z = a.x right" }
        << "a RIGHT OUTER JOIN b ON (a.x = b.y) LEFT OUTER JOIN c ON (c.z = a.x)"
        << "";
    QTest::newRow("full, any operator")
        << QStringList { "a", "b" } << QStringList { "a.x <> b.y full" }
        << "a FULL OUTER JOIN b ON (a.x <> b.y)"
        << "";
    QTest::newRow("star") << QStringList { "a", "b", "c", "d" }
                          << QStringList { "a.x = b.y inner", "a.x = c.z inner", "d.w = a.x left" }
                          << "a INNER JOIN b ON (a.x = b.y) INNER JOIN c ON (a.x = c.z) RIGHT "
                             "OUTER JOIN d ON (d.w = a.x)"
                          << "";
    QTest::newRow("reached in relation order, not diagram order")
        << QStringList { "a", "b", "c" } << QStringList { "c.z = a.x inner", "b.y = c.z inner" }
        << "a INNER JOIN c ON (c.z = a.x) INNER JOIN b ON (b.y = c.z)"
        << "";
    QTest::newRow("a cycle closes in the later table's ON")
        << QStringList { "a", "b", "c" }
        << QStringList { "a.x = b.y inner", "b.y = c.z inner", "c.z >= a.x left" }
        << "a INNER JOIN b ON (a.x = b.y) INNER JOIN c ON (b.y = c.z) AND (c.z >= a.x)"
        << "";
    QTest::newRow("two relations between two tables")
        << QStringList { "a", "b" } << QStringList { "a.x = b.y inner", "a.w < b.v inner" }
        << "a INNER JOIN b ON (a.x = b.y) AND (a.w < b.v)"
        << "";
    QTest::newRow("separate groups") << QStringList { "a", "b", "c", "d" }
                                     << QStringList { "a.x = c.z inner", "b.y = d.w inner" }
                                     << "a INNER JOIN c ON (a.x = c.z) CROSS JOIN b INNER JOIN d "
                                        "ON (b.y = d.w)"
                                     << "";
    QTest::newRow("self-link of a first table: WHERE")
        << QStringList { "a", "b" } << QStringList { "a.x = a.y inner", "a.x = b.y inner" }
        << "a INNER JOIN b ON (a.x = b.y)"
        << "WHERE  (a.x = a.y) ";
    QTest::newRow("self-link of a later table: its ON")
        << QStringList { "a", "b" } << QStringList { "b.x = b.y inner", "a.x = b.y inner" }
        << "a INNER JOIN b ON (b.x = b.y) AND (a.x = b.y)"
        << "";
    QTest::newRow("a table placed twice")
        << QStringList { "e", "e" } << QStringList { "e1.id = e2.boss left" }
        << "e e1 LEFT OUTER JOIN e e2 ON (e1.id = e2.boss)"
        << "";
}

void tst_QueryGenerator::joinTrees()
{
    QFETCH(QStringList, tables);
    QFETCH(QStringList, joins);
    QFETCH(QString, from);
    QFETCH(QString, where);
    QueryInput input;
    for (int i = 0; i < tables.size(); ++i)
        input.Tables << table(tables.at(i), i + 1);
    for (const QString &text : joins)
        input.Joins << parseJoin(input.Tables, text);
    // Each join stands on a line of its own; the FROM clause is read as one line here.
    const QString sql = GenerateQuery(withEngine(input, stAnsi));
    QStringList lines = QString(sql).replace(" \r\n   ", " ").split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), "FROM " + from + ' ');
    QCOMPARE(lines.value(1), where);
    QVERIFY(!sql.contains("1=1"));
    // Each join kind with its operator also stands in the other dialects, unchanged.
    QVERIFY(!GenerateQuery(withEngine(input, stLocal)).contains(" ON "));
}

void tst_QueryGenerator::extendedGrid_data()
{
    QTest::addColumn<QueryInput>("input");
    QTest::addColumn<QStringList>("lines"); // the statement's lines, without their ends
    const QueryTable a = table("a", 1);
    const QueryTable b = table("b", 2);
    auto input = [&](const QVector<QueryColumn> &columns, int dialect = stAnsi) {
        QueryInput i;
        i.Tables = { a, b };
        i.Joins = { join(a, "x", b, "y", rjLeftOuter) };
        i.Columns = columns;
        return withEngine(i, dialect);
    };
    QueryColumn count;
    count.FieldCell = QStringLiteral("COUNT(*)");
    count.AllRows = true;
    count.Calculate = QStringLiteral("Count");
    count.Sort = QStringLiteral("Descending");
    QueryColumn hidden = column(b, "z", {}, "Ascending", "b.z > 1");
    hidden.Show = QStringLiteral("0");
    QueryColumn named = column(a, "x", "Summa");
    named.Alias = QStringLiteral("total sum");
    QueryColumn first = column(a, "w", {}, "Ascending");
    first.SortOrder = QStringLiteral("2");
    QueryColumn second = column(b, "v", {}, "Descending");
    second.SortOrder = QStringLiteral("1");
    const QString from = "FROM a LEFT OUTER JOIN b ON (a.x = b.y) ";
    QTest::newRow("a column that counts the rows")
        << input({ column(a, "x", {}, {}, {}, "1"), count })
        << QStringList { "SELECT  a.x, COUNT(*) ", from, "GROUP BY a.x ",
               "ORDER BY COUNT(*) DESC" };
    QTest::newRow("a hidden column sorts and filters")
        << input({ column(a, "x"), hidden })
        << QStringList { "SELECT  a.x ", from, "WHERE  (b.z > 1) ", "ORDER BY b.z ASC" };
    QTest::newRow("an alias, quoted where it is not a plain name")
        << input({ named }) << QStringList { "SELECT  SUM(a.x) AS \"total sum\" ", from };
    QTest::newRow("a sort order apart from the columns")
        << input({ first, second })
        << QStringList { "SELECT  a.w, b.v ", from, "ORDER BY b.v DESC, a.w ASC" };
    QTest::newRow("an aggregate sorts by itself in the join tree")
        << input({ column(a, "w", {}, {}, {}, "1"), column(a, "x", "Summa", "Descending") })
        << QStringList { "SELECT  a.w, SUM(a.x) ", from, "GROUP BY a.w ",
               "ORDER BY SUM(a.x) DESC" };
    QTest::newRow("... and by its field as designed in the other dialects")
        << input(
               { column(a, "w", {}, {}, {}, "1"), column(a, "x", "Summa", "Descending") }, stLocal)
        << QStringList { "SELECT  a.w, SUM(a.x) ", "FROM a, b ", "WHERE (1=1) ",
               "   AND (a.x = b.y) ", "GROUP BY w ", "ORDER BY x DESC" };
    QueryInput further = input({ column(a, "x") });
    further.Joins[0].Condition = QStringLiteral("b.z > 1");
    QTest::newRow("a relation's further condition stands in its ON")
        << further
        << QStringList { "SELECT  a.x ", "FROM a LEFT OUTER JOIN b ON (a.x = b.y) AND (b.z > 1) " };
    QueryInput furtherLocal = withEngine(further, stLocal);
    QTest::newRow("... and in WHERE in the WHERE-clause dialects")
        << furtherLocal
        << QStringList { "SELECT  a.x ", "FROM a, b ", "WHERE  (b.z > 1) ", "   AND (a.x = b.y) " };
}

void tst_QueryGenerator::extendedGrid()
{
    QFETCH(QueryInput, input);
    QFETCH(QStringList, lines);
    // Each join of the join tree stands on a line of its own; read as one line here.
    QString sql = GenerateQuery(input);
    if (input.SubType == stAnsi)
        sql.replace(" \r\n   ", " ");
    QCOMPARE(sql.split("\r\n", Qt::SkipEmptyParts), lines);
}

void tst_QueryGenerator::notes_data()
{
    QTest::addColumn<int>("dialect");
    QTest::addColumn<QStringList>("notes");
    QTest::newRow("stAnsi") << int(stAnsi)
                            << QStringList { "Columns that need grouping (tick Grouping): b.y" };
    QTest::newRow("stLocal: the outer join too")
        << int(stLocal)
        << QStringList { "Columns that need grouping (tick Grouping): b.y",
               "The local dialect writes outer joins as plain conditions: 1 outer join(s) keep "
               "only the matching rows." };
}

void tst_QueryGenerator::notes()
{
    QFETCH(int, dialect);
    QFETCH(QStringList, notes);
    const QueryTable a = table("a", 1), b = table("b", 2);
    QueryInput input;
    input.Tables = { a, b };
    input.Joins = { join(a, "x", b, "y", rjLeftOuter) };
    input.Columns = { column(a, "x", {}, {}, {}, "1"), column(b, "y"), column(b, "z", "Summa") };
    QCOMPARE(QueryNotes(withEngine(input, dialect)), notes);
    // Grouped as needed and inner: nothing to say.
    input.Columns[1].Grouping = "1";
    input.Joins[0].Join = rjInner;
    QCOMPARE(QueryNotes(withEngine(input, dialect)), QStringList());
}

QTEST_GUILESS_MAIN(tst_QueryGenerator)
#include "tst_querygenerator.moc"
