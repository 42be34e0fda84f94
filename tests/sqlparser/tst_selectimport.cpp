// Reading whole SELECT statements back: each clause alone, aliases, quoted names, mixed join
// syntax, the legacy outer-join marks and what cannot be represented.

#include "sqlparser/SelectImport.h"

#include <QtTest>

using namespace Diduza;

namespace {

QString column(const ImportColumn &c)
{
    return c.Qualifier.isEmpty() ? c.Field : c.Qualifier + '.' + c.Field;
}

// The import as one line: tables | relations | fields | where | group | having | order, then
// "distinct" and the left-out notes when there are any.
QString summary(const ImportedQuery &q)
{
    if (!q.Ok)
        return "error: " + q.Error;
    static const char *const ops[] = { "=", "<", ">", "<=", ">=", "<>" };
    static const char *const kinds[] = { "inner", "left", "right", "full" };
    QStringList tables, relations, fields, groups, sorts;
    for (const ImportTable &t : q.Tables)
        tables << (t.Alias.isEmpty() ? t.Name : t.Name + ' ' + t.Alias);
    for (const ImportRelation &r : q.Relations)
        relations << column(r.Parent) + ' ' + ops[r.Operator] + ' ' + column(r.Child) + ' '
                + kinds[r.Join];
    for (const ImportField &f : q.Fields)
        fields << (f.Aggregate.isEmpty() ? column(f.Column)
                                         : f.Aggregate + '(' + column(f.Column) + ')');
    for (const ImportColumn &g : q.GroupBy)
        groups << column(g);
    for (const ImportSort &s : q.OrderBy)
        sorts << column(s.Column) + (s.Descending ? " DESC" : " ASC");
    QString text = QStringList { tables.join(", "), relations.join("; "), fields.join(", "),
        q.Where.join("; "), groups.join(", "), q.Having.join("; "), sorts.join(", ") }
                       .join(" | ");
    if (q.Distinct)
        text += " | distinct";
    if (!q.LeftOut.isEmpty())
        text += " | left out: " + q.LeftOut.join("; ");
    return text;
}

} // namespace

class tst_SelectImport : public QObject {
    Q_OBJECT
private slots:
    void import_data();
    void import();
    void postgresParser();
};

void tst_SelectImport::import_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");
    QTest::newRow("fields and tables")
        << "SELECT customer.name, o.amount, customer.* FROM customer, orders o"
        << "customer, orders o |  | customer.name, o.amount, customer.* |  |  |  | ";
    QTest::newRow("joins with their kinds as the rows they keep")
        << "SELECT a.x FROM a INNER JOIN b ON (a.x = b.y) LEFT OUTER JOIN c ON (b.y <= c.z) "
           "RIGHT OUTER JOIN d ON (d.w = c.z) FULL JOIN e ON a.x <> e.v"
        << "a, b, c, d, e | a.x = b.y inner; b.y <= c.z left; d.w = c.z left; a.x <> e.v full "
           "| a.x |  |  |  | ";
    QTest::newRow("two conditions in one ON; CROSS JOIN")
        << "SELECT a.x FROM a JOIN b ON (a.x = b.y) AND (b.y >= a.w) CROSS JOIN c"
        << "a, b, c | a.x = b.y inner; b.y >= a.w inner | a.x |  |  |  | ";
    QTest::newRow("where: joins become relations, the rest stays as written")
        << "SELECT  customer.name \r\nFROM customer, orders \r\nWHERE  (orders.amount > 100) "
           "AND (customer.city IN ('Wien', 'Graz')) \r\n   AND (customer.id = "
           "orders.customer_id) \r\n"
        << "customer, orders | customer.id = orders.customer_id inner | customer.name | "
           "orders.amount > 100; customer.city IN ('Wien', 'Graz') |  |  | ";
    QTest::newRow("the (1=1) filler goes") << "SELECT a.x FROM a, b WHERE (1=1) AND (a.x = b.y)"
                                           << "a, b | a.x = b.y inner | a.x |  |  |  | ";
    QTest::newRow("Oracle marks: the side that may be missing")
        << "SELECT a.x FROM a, b, c, d WHERE (a.x = b.y (+)) AND (a.x (+)= c.z) AND (a.x (+)<> "
           "d.w (+))"
        << "a, b, c, d | a.x = b.y left; a.x = c.z right; a.x <> d.w full | a.x |  |  |  | ";
    QTest::newRow("MSSQL marks: the side kept")
        << "SELECT a.x FROM a, b, c, d WHERE (a.x *= b.y) AND (a.x =* c.z) AND (a.x *<=* d.w)"
        << "a, b, c, d | a.x = b.y left; a.x = c.z right; a.x <= d.w full | a.x |  |  |  | ";
    QTest::newRow("aggregates, grouping, having, sort, distinct")
        << "SELECT DISTINCT c.name, SUM(o.amount), max(o.id) FROM customer c JOIN orders o ON "
           "c.id = o.customer_id GROUP BY c.name HAVING (SUM(o.amount) > 1000) AND (COUNT(o.id) "
           "BETWEEN 2 AND 9) ORDER BY c.name, 2 DESC"
        << "customer c, orders o | c.id = o.customer_id inner | c.name, SUM(o.amount), "
           "MAX(o.id) |  | c.name | SUM(o.amount) > 1000; COUNT(o.id) BETWEEN 2 AND 9 | c.name "
           "ASC, 2 DESC | distinct";
    QTest::newRow("quoted names with blanks, schema-qualified tables")
        << "SELECT \"order details\".\"unit price\" FROM \"order details\", shop.products p "
           "WHERE \"order details\".product_id = p.id"
        << "order details, shop.products p | order details.product_id = p.id inner | order "
           "details.unit price |  |  |  | ";
    QTest::newRow("what it cannot represent is listed")
        << "SELECT a.x + 1, count(*), a.y AS why FROM a LEFT JOIN b ON a.x = b.y AND b.z > 0, "
           "(SELECT 1) s UNION SELECT 2"
        << "a, b | a.x = b.y left | a.y |  |  |  |  | left out: UNION, INTERSECT or EXCEPT: "
           "only the first SELECT is shown; the condition b.z > 0 of an outer join; a FROM "
           "entry that is not a table (a subquery or a function); the expression a.x + 1 of the "
           "field list; the expression count(*) of the field list; the column name why of a.y";
    QTest::newRow("an inner join's other conditions go to WHERE")
        << "SELECT a.x FROM a JOIN b ON a.x = b.y AND b.z > 0 WHERE a.w < 3"
        << "a, b | a.x = b.y inner | a.x | b.z > 0; a.w < 3 |  |  | ";
    QTest::newRow("mixed join syntax: ON, a WHERE join, an Oracle mark")
        << "SELECT a.x FROM a JOIN b ON a.x = b.y, c WHERE c.z = b.y (+) AND a.w > 1"
        << "a, b, c | a.x = b.y inner; c.z = b.y left | a.x | a.w > 1 |  |  | ";
    QTest::newRow("not a SELECT") << "DELETE FROM a"
                                  << "error: The statement is not a SELECT.";
    QTest::newRow("two statements") << "SELECT 1; SELECT 2"
                                    << "error: The text holds 2 statement(s), not one SELECT.";
    QTest::newRow("not SQL") << "SELEC x"
                             << "error: syntax error at or near \"SELEC\" (at character 1)";
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

QTEST_GUILESS_MAIN(tst_SelectImport)
#include "tst_selectimport.moc"
