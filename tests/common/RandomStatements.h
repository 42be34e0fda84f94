#pragma once

// Random SELECT statements written from SQL's grammar over the sample database, for the tests
// that take statements nobody here wrote through the builder: 1-4 tables, every join kind,
// bracketed joins, comma lists, aliases, quoted and upper-case names, conditions with AND/OR,
// aggregates, grouping, having, sorting by column, number, alias and expression, DISTINCT,
// column aliases (some the names of columns), calculated columns, LIMIT and OFFSET, compound
// statements of 2 to 4 blocks, and a share with constructs the builder cannot show. The
// generator knows nothing of the builder's own statements.

#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QVector>

#include <algorithm>

namespace DiduzaTest {

// The sample's tables: name, rows, "column:type" (n number, t text, d date).
struct TableDef {
    QString name;
    double rows;
    QStringList columns;
    QString type(int c) const { return columns.at(c).section(':', 1); }
    QString column(int c) const { return columns.at(c).section(':', 0, 0); }
    bool small() const { return rows <= 12; }
};
inline const QVector<TableDef> &tables()
{
    static const QVector<TableDef> defs = {
        { "suppliers", 12, { "id:n", "name:t", "contact:t", "city:t", "country:t", "phone:t" } },
        { "products", 58,
            { "id:n", "name:t", "supplier_id:n", "category:t", "unit price:n", "units_in_stock:n",
                "discontinued:n" } },
        { "customer", 150,
            { "id:n", "name:t", "contact:t", "city:t", "country:t", "phone:t", "since:d" } },
        { "employees", 12,
            { "id:n", "first_name:t", "last_name:t", "title:t", "city:t", "hire_date:d",
                "reports_to:n" } },
        { "orders", 1500,
            { "id:n", "customer_id:n", "employee_id:n", "order_date:d", "shipped_date:d",
                "ship_city:t", "amount:n" } },
        { "order details", 3793,
            { "order_id:n", "line_no:n", "product_id:n", "quantity:n", "unit price:n",
                "discount:n" } },
    };
    return defs;
}

// Column pairs to join on (declared keys first), with the rows of b per row of a and back.
struct Link {
    int a;
    QString ca;
    int b;
    QString cb;
    double ab, ba;
    bool key;
};
const QVector<Link> Links = {
    { 2, "id", 4, "customer_id", 10, 1, true },
    { 3, "id", 4, "employee_id", 125, 1, true },
    { 3, "id", 3, "reports_to", 1, 1, true },
    { 4, "id", 5, "order_id", 2.5, 1, true },
    { 1, "id", 5, "product_id", 65, 1, true },
    { 0, "id", 1, "supplier_id", 5, 1, true },
    { 2, "city", 3, "city", 0.5, 6.5, false },
    { 0, "country", 2, "country", 10, 0.8, false },
    { 0, "city", 2, "city", 7, 0.6, false },
    { 3, "city", 0, "city", 0.5, 0.5, false },
    { 1, "unit price", 5, "unit price", 68, 1, false },
    { 3, "city", 3, "city", 3, 3, false },
    { 0, "country", 0, "country", 1.4, 1.4, false },
};

const QStringList AliasPool
    = { "a", "b", "c", "t1", "t2", "x", "o", "od", "cu", "EMP", "Sup", "\"Ord\"", "\"big one\"" };
// Some aliases are names of columns too: ORDER BY then means the alias, as databases read it.
const QStringList ColumnAliasPool = { "total", "n", "cnt", "who", "place", "\"Big One\"",
    "\"Upper\"", "val", "k", "amt", "name", "city", "amount" };

// A statement and what the test needs to know of it.
struct Statement {
    enum Kind { Plain, Unsupported, Subquery };
    QString sql;
    Kind kind = Plain;
    QString construct; // the unsupported construct or subquery, for the summary
    QVector<int> orderKeys; // output positions of the ORDER BY keys that fix the order
    // A row limit: which rows come is fixed only as far as the sort fixes it.
    bool limited = false;
};

class Generator {
public:
    // OwnCase: every table name and table alias in the letter case it is declared in (as
    // MariaDB on a case-sensitive file system needs them), else as random as the other names;
    // the same random numbers give the same statement either way, but for the case of letters.
    explicit Generator(QRandomGenerator &random, bool ownCase = false)
        : m_random(random)
        , m_ownCase(ownCase)
    {
    }

    // Call once per generator.
    Statement next()
    {
        Statement st;
        const int roll = r(100);
        st.kind = roll < 86 ? Statement::Plain
            : roll < 94     ? Statement::Unsupported
                            : Statement::Subquery;
        // What the builder cannot show: a CTE, a derived table, an INTERSECT after a UNION or
        // EXCEPT (which PostgreSQL and SQLite read differently).
        const int mutation = st.kind == Statement::Unsupported ? r(3) : -1;
        buildFrom(mutation == 1);
        m_aggregate = chance(30);
        buildFields();
        // Calculated columns: expressions, CASE, functions, subqueries, window functions.
        if (chance(30))
            for (int k = 1 + r(2); k > 0; --k)
                addComputed();
        QString where = m_joinWhere;
        if (chance(55))
            where = conj(where, expr(r(3), where.isEmpty() ? QString() : "AND"));
        if (st.kind == Statement::Subquery)
            where = conj(where, subquery());
        QString core = QStringLiteral("SELECT ") + (m_distinct ? "DISTINCT " : "")
            + m_outputs.join(", ") + " FROM " + m_from;
        if (!where.isEmpty())
            core += " WHERE " + where;
        if (!m_groupBy.isEmpty())
            core += " GROUP BY " + m_groupBy.join(", ");
        if (!m_having.isEmpty())
            core += " HAVING " + m_having;
        static const char *const names[] = { "CTE", "derived table", "INTERSECT after UNION" };
        if (mutation >= 0)
            st.construct = names[mutation];
        // Comments where a user may leave them.
        if (chance(4))
            core.replace(core.indexOf(" FROM "), 6, " /* the list */ FROM ");
        if (chance(4) && core.contains(" WHERE "))
            core.replace(core.indexOf(" WHERE "), 7, " WHERE -- the filter\n ");
        if (mutation == 0)
            core = "WITH w AS (SELECT id, name FROM customer WHERE id < " + num(20, 140) + ") "
                + core;
        if ((st.kind == Statement::Plain && !m_star && chance(14)) || mutation == 2) {
            // A compound statement: 2 to 4 blocks over the same columns, each its own filter.
            const int blocks = mutation == 2 ? 3 : 2 + r(3);
            QStringList ops;
            bool unionBefore = false;
            for (int b = 1; b < blocks; ++b) {
                static const QStringList all
                    = { "UNION", "UNION ALL", "INTERSECT", "EXCEPT", "UNION ALL" };
                QString op = all.at(r(all.size()));
                if (mutation == 2)
                    op = b == 1 ? (chance(50) ? "UNION" : "EXCEPT") : "INTERSECT";
                else if (op == "INTERSECT" && unionBefore)
                    op = "UNION";
                unionBefore = unionBefore || op != "INTERSECT";
                ops << op;
            }
            st.sql = core;
            for (const QString &op : std::as_const(ops)) {
                QString other
                    = QStringLiteral("SELECT ") + m_outputs.join(", ") + " FROM " + m_from;
                // Beside the joins of a comma list an OR is bracketed, as in the first block:
                // unbracketed it would join every row with every row.
                const QString filter = conj(m_joinWhere,
                    chance(70) ? expr(1, m_joinWhere.isEmpty() ? QString() : "AND") : QString());
                if (!filter.isEmpty())
                    other += " WHERE " + filter;
                if (!m_groupBy.isEmpty())
                    other += " GROUP BY " + m_groupBy.join(", ");
                st.sql += ' ' + op + ' ' + other;
            }
            if (chance(60)) {
                st.sql += " ORDER BY 1";
                st.orderKeys << 0;
                if (m_outputList.size() > 1 && chance(40)) {
                    st.sql += chance(50) ? ", 2 DESC" : ", 2";
                    st.orderKeys << 1;
                }
            }
            if (chance(20)) {
                st.sql += " LIMIT " + num(1, 20);
                st.limited = true;
            }
            return st;
        }
        st.sql = core + orderBy(st.orderKeys);
        if (st.kind == Statement::Plain && chance(10)) {
            st.sql += " LIMIT " + num(1, 20) + (chance(40) ? " OFFSET 3" : "");
            st.limited = true;
        }
        if (st.kind == Statement::Subquery)
            st.construct = "subquery in WHERE";
        return st;
    }

private:
    struct Source {
        int table;
        QString alias; // as declared, empty without one
        QString name; // the table's name as written
    };
    struct Output {
        QString text;
        QString alias;
        bool aggregate = false;
    };

    int r(int n) { return int(m_random.bounded(n)); }
    bool chance(int percent) { return r(100) < percent; }
    template <typename T> const T &pick(const QVector<T> &list) { return list.at(r(list.size())); }
    QString num(int low, int high) { return QString::number(low + r(high - low + 1)); }
    static QString conj(const QString &a, const QString &b)
    {
        return a.isEmpty() ? b : b.isEmpty() ? a : a + " AND " + b;
    }
    const TableDef &def(int src) const { return tables().at(m_sources.at(src).table); }

    // A name as a user might write it: as is, in capitals, or quoted; names with a blank quoted.
    QString spell(const QString &name)
    {
        if (name.contains(' '))
            return '"' + name + '"';
        const int k = r(10);
        return k < 7 ? name : k < 9 ? name.toUpper() : '"' + name + '"';
    }

    // A table's name as spell writes it, in its own case when the statement keeps that.
    QString spellTable(const QString &name)
    {
        const QString spelt = spell(name);
        return m_ownCase && !spelt.startsWith('"') ? name : spelt;
    }

    // The qualifier naming a source, as the statement may write it.
    QString qualifier(int src)
    {
        const Source &s = m_sources.at(src);
        if (s.alias.isEmpty())
            return spellTable(tables().at(s.table).name);
        if (s.alias.startsWith('"'))
            return s.alias;
        return chance(80) || m_ownCase     ? s.alias
            : s.alias.toLower() == s.alias ? s.alias.toUpper()
                                           : s.alias.toLower();
    }

    // A column, qualified or (when only one source has the name) bare.
    QString column(int src, int col)
    {
        const QString name = def(src).column(col);
        int holders = 0;
        for (int s = 0; s < m_sources.size(); ++s)
            holders += def(s).columns.contains(name + ':' + def(src).type(col));
        if (holders == 1 && chance(15))
            return spell(name);
        return qualifier(src) + '.' + spell(name);
    }

    int columnIndex(int table, const QString &name) const
    {
        const QStringList &cols = tables().at(table).columns;
        for (int c = 0; c < cols.size(); ++c) {
            if (cols.at(c).section(':', 0, 0) == name)
                return c;
        }
        return -1;
    }

    QString randomColumn(
        const QString &type = QString(), int *srcOut = nullptr, int *colOut = nullptr)
    {
        for (int guard = 0; guard < 50; ++guard) {
            const int src = r(m_sources.size());
            const int col = r(def(src).columns.size());
            if (!type.isEmpty() && def(src).type(col) != type)
                continue;
            if (srcOut)
                *srcOut = src;
            if (colOut)
                *colOut = col;
            return column(src, col);
        }
        const int src = r(m_sources.size());
        if (srcOut)
            *srcOut = src;
        if (colOut)
            *colOut = 0;
        return column(src, 0);
    }

    QString literal(const QString &col, const QString &type)
    {
        if (type == "d") {
            static const QStringList dates
                = { "'2022-11-07'", "'2023-06-01'", "'2019-01-01'", "'2023-12-01'" };
            return dates.at(r(dates.size()));
        }
        if (type == "t") {
            static const QStringList texts = { "'Paris'", "'Berlin'", "'London'", "'Hamburg'",
                "'USA'", "'Germany'", "'UK'", "'Dairy'", "'Beverages'", "'M'", "'Anna'",
                "'Sales Manager'", "'O''Neill Supplies'", "'c.city'", "'Salt AND Pepper'" };
            return texts.at(r(texts.size()));
        }
        const QString c = col.toLower();
        if (c.contains("amount"))
            return num(100, 1800);
        if (c.contains("price"))
            return num(5, 60) + (chance(30) ? ".5" : "");
        if (c.contains("discount"))
            return chance(50) ? "0" : "0.05";
        if (c.contains("line_no") || c.contains("discontinued"))
            return num(0, 3);
        return num(1, 60);
    }

    // One condition on the statement's columns.
    QString predicate()
    {
        int src = 0, col = 0;
        const QString c = randomColumn(QString(), &src, &col);
        const QString type = def(src).type(col);
        static const QStringList ops = { "=", "<>", "<", ">", "<=", ">=" };
        const int k = r(24);
        if (k == 20 && type != "t")
            return c + (chance(70) ? " BETWEEN " : " NOT BETWEEN ")
                + literal(def(src).column(col), type) + " AND "
                + literal(def(src).column(col), type);
        if (k == 21)
            return c + (chance(70) ? " IN (" : " NOT IN (") + literal(def(src).column(col), type)
                + ", " + literal(def(src).column(col), type) + ')';
        if (k == 22)
            return "NOT (" + predicate() + ')';
        if (k < 2)
            return c + (chance(50) ? " IS NULL" : " IS NOT NULL");
        if (k < 4 && type == "t") {
            static const QStringList patterns = { "'%a%'", "'B%'", "'%er%'", "'%s'", "'O''N%'" };
            return c + " LIKE " + patterns.at(r(patterns.size()));
        }
        if (k < 6) {
            // Two columns of one type, of one table or of two.
            const QString other = randomColumn(type);
            return c + ' ' + ops.at(r(ops.size())) + ' ' + other;
        }
        return c + ' ' + ops.at(r(ops.size())) + ' ' + literal(def(src).column(col), type);
    }

    // Conditions joined by AND and OR, bracketed where the operator changes and sometimes
    // where it does not.
    QString expr(int depth, const QString &parent = QString())
    {
        if (depth == 0 || chance(35))
            return predicate();
        const QString op = chance(50) ? "AND" : "OR";
        QString text = expr(depth - 1, op) + ' ' + op + ' ' + expr(depth - 1, op);
        if ((!parent.isEmpty() && parent != op) || chance(25))
            text = '(' + text + ')';
        return text;
    }

    QString linkText(const Link &l, int srcA, int srcB, bool anyOperator)
    {
        QString a = column(srcA, columnIndex(l.a, l.ca));
        QString b = column(srcB, columnIndex(l.b, l.cb));
        if (chance(50))
            std::swap(a, b);
        static const QStringList ops = { "<>", "<", ">=" };
        return a + ' ' + (anyOperator ? ops.at(r(ops.size())) : QStringLiteral("=")) + ' ' + b;
    }

    // The FROM clause: a random tree of tables joined on the links, written as a chain of
    // joins, with a bracketed side, or as a comma list with the joins in WHERE.
    void buildFrom(bool derived)
    {
        const int count = 1 + r(4);
        const int shape = count >= 3 && chance(25) ? 1 : count >= 2 && chance(18) ? 2 : 0;
        const int split = shape == 1 ? 1 + r(count - 2) : count; // the bracketed side's start
        struct Edge {
            Link link;
            int parent;
            bool parentIsA;
            bool anyOperator = false; // compares with <>, < or >= (other links than keys)
        };
        QVector<Edge> edges;
        for (int attempt = 0; attempt < 20; ++attempt) {
            m_sources.clear();
            edges.clear();
            m_sources << Source { r(6), QString(), QString() };
            double rows = tables().at(m_sources.first().table).rows;
            while (m_sources.size() < count) {
                QVector<Edge> options;
                const int low = m_sources.size() > split ? split : 0;
                for (int p = low; p < m_sources.size(); ++p) {
                    for (const Link &l : Links) {
                        for (const bool aSide : { true, false }) {
                            if ((aSide ? l.a : l.b) != m_sources.at(p).table)
                                continue;
                            const int other = aSide ? l.b : l.a;
                            int present = 0;
                            for (const Source &s : m_sources)
                                present += s.table == other;
                            if (present > 1 || (present == 1 && !tables().at(other).small()))
                                continue;
                            if (rows * std::max(1.0, aSide ? l.ab : l.ba) > 4500)
                                continue;
                            options << Edge { l, p, aSide };
                        }
                    }
                }
                if (options.isEmpty())
                    break;
                Edge e = pick(options);
                const double fan = std::max(1.0, e.parentIsA ? e.link.ab : e.link.ba);
                const double all = tables().at(e.parentIsA ? e.link.b : e.link.a).rows;
                e.anyOperator = !e.link.key && rows * all <= 2000 && chance(15);
                rows *= e.anyOperator ? all : fan;
                edges << e;
                m_sources << Source { e.parentIsA ? e.link.b : e.link.a, QString(), QString() };
            }
            if (m_sources.size() == count)
                break;
        }
        // Names and aliases.
        QStringList used;
        for (int s = 0; s < m_sources.size(); ++s) {
            Source &src = m_sources[s];
            bool twice = false;
            for (int o = 0; o < s; ++o)
                twice = twice || m_sources.at(o).table == src.table;
            if (twice || derived || chance(50)) {
                do
                    src.alias = AliasPool.at(r(AliasPool.size()));
                while (used.contains(src.alias.toLower()));
                used << src.alias.toLower();
            }
            src.name = spellTable(tables().at(src.table).name);
        }
        auto decl = [&](int s) {
            const Source &src = m_sources.at(s);
            QString text = src.name;
            if (derived && s == 0)
                text = "(SELECT * FROM " + src.name + (chance(50) ? "" : " WHERE 1 = 1") + ')';
            if (src.alias.isEmpty())
                return text;
            return text + (chance(50) ? " AS " : " ") + src.alias;
        };
        // The ON of a source's join; a FULL join compares with "=" only (PostgreSQL's rule).
        // The ON of a source's join, which sees the sources from low on.
        auto on = [&](int child, const QString &kind, int low) {
            const Edge &e = edges.at(child - 1);
            const int srcA = e.parentIsA ? e.parent : child;
            const int srcB = e.parentIsA ? child : e.parent;
            QString text = linkText(e.link, srcA, srcB, e.anyOperator && !kind.startsWith('F'));
            // Now and then a second link to a source before it (a cycle of joins).
            for (int s = low; s < child && chance(20); ++s) {
                for (const Link &l : Links) {
                    const bool fits
                        = (l.a == m_sources.at(s).table && l.b == m_sources.at(child).table)
                        || (l.b == m_sources.at(s).table && l.a == m_sources.at(child).table);
                    if (!fits || (s == e.parent && l.ca == e.link.ca && l.cb == e.link.cb))
                        continue;
                    const bool sIsA = l.a == m_sources.at(s).table;
                    text += " AND " + linkText(l, sIsA ? s : child, sIsA ? child : s, false);
                    break;
                }
            }
            if (chance(25)) {
                // A one-table condition of the new table or of one before it on its side.
                const int s = chance(60) ? child : low + r(child - low);
                const int col = r(def(s).columns.size());
                static const QStringList ops = { "=", "<>", "<", ">", "<=", ">=" };
                const QString extra = def(s).type(col) == "t" && chance(30)
                    ? column(s, col) + " LIKE '%a%'"
                    : column(s, col) + ' ' + ops.at(r(ops.size())) + ' '
                        + literal(def(s).column(col), def(s).type(col));
                text = chance(50) ? text + " AND " + extra : extra + " AND " + text;
            }
            return chance(30) ? '(' + text + ')' : text;
        };
        static const QStringList kinds = { "JOIN", "INNER JOIN", "LEFT JOIN", "LEFT OUTER JOIN",
            "RIGHT JOIN", "RIGHT OUTER JOIN", "FULL JOIN", "FULL OUTER JOIN" };
        auto join = [&](int s) {
            const QString kind = kinds.at(r(kinds.size()));
            return ' ' + kind + ' ' + decl(s) + " ON " + on(s, kind, s > split ? split : 0);
        };
        if (shape == 2) {
            // The last source joined to the one before it with JOIN ... ON now and then: the
            // comma binds looser, so that ON sees those two only.
            const int last = int(m_sources.size()) - 1;
            const bool joined = last >= 2 && edges.at(last - 1).parent == last - 1 && chance(40);
            QStringList list;
            for (int s = 0; s < m_sources.size() - joined; ++s)
                list << decl(s);
            m_from = list.join(chance(80) ? ", " : " CROSS JOIN ");
            if (joined) {
                const QString kind = kinds.at(r(kinds.size()));
                m_from += ' ' + kind + ' ' + decl(last) + " ON " + on(last, kind, last - 1);
            }
            for (int s = 1; s < m_sources.size() - joined; ++s) {
                const Edge &e = edges.at(s - 1);
                m_joinWhere = conj(m_joinWhere,
                    linkText(
                        e.link, e.parentIsA ? e.parent : s, e.parentIsA ? s : e.parent, false));
            }
            return;
        }
        // Left side: sources [0, split) as a chain, bracketed now and then.
        QString left = decl(0);
        for (int s = 1; s < split && s < m_sources.size(); ++s)
            left += join(s);
        if (split + 1 < m_sources.size()) {
            if (split > 1 && chance(50))
                left = '(' + left + ')';
            QString right = decl(split);
            for (int s = split + 1; s < m_sources.size(); ++s)
                right += join(s);
            const QString kind = kinds.at(r(kinds.size()));
            left += ' ' + kind + " (" + right + ") ON " + on(split, kind, 0);
        } else if (split < m_sources.size()) {
            left += join(split);
        }
        m_from = left;
    }

    QString aliasFor()
    {
        if (!chance(20))
            return QString();
        QString alias;
        for (int guard = 0; guard < 10; ++guard) {
            alias = ColumnAliasPool.at(r(ColumnAliasPool.size()));
            if (!m_aliases.contains(alias))
                break;
        }
        if (m_aliases.contains(alias))
            return QString();
        m_aliases << alias;
        return alias;
    }

    void addOutput(Output o)
    {
        o.alias = aliasFor();
        m_outputList << o;
        m_outputs << (o.alias.isEmpty() ? o.text : o.text + (chance(70) ? " AS " : " ") + o.alias);
    }

    // An aggregate; a number when Numeric (to compare with one).
    QString aggregateOf(bool numeric = false)
    {
        switch (r(6)) {
        case 0:
        case 1:
            return "COUNT(*)";
        case 2:
            return "COUNT(" + randomColumn() + ')';
        case 3:
            return "SUM(" + randomColumn("n") + ')';
        case 4:
            return (chance(50) ? "MIN(" : "MAX(") + randomColumn(numeric ? "n" : "") + ')';
        default:
            return "AVG(" + randomColumn("n") + ')';
        }
    }

    // A calculated column: arithmetic with unary signs, concatenation, CASE in both forms,
    // functions, CAST, COALESCE, a scalar subquery, a window function; over aggregates where the
    // statement groups.
    void addComputed()
    {
        Output o;
        const QString n = randomColumn("n"), n2 = randomColumn("n"), t = randomColumn("t");
        if (m_aggregate) {
            static const QStringList aggregated
                = { "SUM(%1 * 2)", "COUNT(DISTINCT %3)", "MAX(%1) - MIN(%2)", "- COUNT(*) + 1",
                      "COALESCE(SUM(%1), 0)", "CASE WHEN COUNT(*) > 3 THEN 'many' ELSE 'few' END" };
            o.text = QString(aggregated.at(r(aggregated.size())))
                         .replace("%1", n)
                         .replace("%2", n2)
                         .replace("%3", t);
            o.aggregate = true;
        } else {
            static const QStringList plain = { "- %1 * 84 + + 38", "%1 + %2 * 2", "ABS(%1 - %2)",
                "%3 || '!'", "UPPER(%3)", "LENGTH(%3)", "COALESCE(%3, 'none')",
                "CAST(%1 AS INTEGER)", "CASE WHEN %1 > 20 THEN 'big' ELSE 'small' END",
                "CASE %1 WHEN 1 THEN 'one' WHEN 2 THEN 'two' ELSE 'many' END",
                "(SELECT COUNT(*) FROM customer AS q WHERE q.id < %1)", "COUNT(*) OVER ()",
                "SUM(%1) OVER (PARTITION BY %3)", "RANK() OVER (ORDER BY %1)" };
            o.text = QString(plain.at(r(plain.size())))
                         .replace("%1", n)
                         .replace("%2", n2)
                         .replace("%3", t);
        }
        // GROUP BY may name the columns by number: the ones after them keep their places.
        const int at = m_aggregate ? int(m_outputList.size()) : r(m_outputList.size() + 1);
        o.alias = aliasFor();
        m_outputList.insert(at, o);
        m_outputs.insert(at, o.alias.isEmpty() ? o.text : o.text + " AS " + o.alias);
    }

    void buildFields()
    {
        if (m_aggregate) {
            const int groups = r(3);
            const int aggregates = 1 + r(2);
            QVector<bool> order;
            for (int i = 0; i < groups; ++i)
                order << false;
            for (int i = 0; i < aggregates; ++i)
                order.insert(r(order.size() + 1), true);
            for (const bool isAggregate : order) {
                Output o;
                o.aggregate = isAggregate;
                o.text = isAggregate ? aggregateOf() : randomColumn();
                addOutput(o);
                if (!isAggregate)
                    m_groupBy << (chance(20) ? QString::number(m_outputList.size()) : o.text);
            }
            if (chance(15)) {
                int src = 0, col = 0;
                m_groupBy << randomColumn(QString(), &src, &col);
                m_groupedHidden << QPair<int, int>(src, col);
            }
            if (chance(groups > 0 ? 30 : 5)) {
                static const QStringList ops = { ">", ">=", "<", "<>" };
                QString having
                    = aggregateOf(true) + ' ' + ops.at(r(ops.size())) + ' ' + num(1, 300);
                if (groups > 0 && chance(30)) {
                    const Output &g = m_outputList.at(r(m_outputList.size()));
                    if (!g.aggregate)
                        having += chance(70) ? " AND " + g.text + " IS NOT NULL"
                                             : " OR " + g.text + " IS NULL";
                }
                m_having = having;
            }
            return;
        }
        if (chance(5)) {
            Output all;
            all.text = chance(50) ? QStringLiteral("*") : qualifier(r(m_sources.size())) + ".*";
            m_outputList << all;
            m_outputs << all.text;
            m_star = true;
        }
        const int count = (m_star ? r(2) : 1 + r(4));
        for (int i = 0; i < count; ++i) {
            Output o;
            o.text = randomColumn();
            addOutput(o);
        }
        m_distinct = chance(15);
    }

    QString orderBy(QVector<int> &keys)
    {
        if (!chance(50) || (m_star && m_outputList.size() == 1))
            return QString();
        const bool grouped = m_aggregate;
        QStringList items;
        bool prefix = !m_star;
        for (int k = 1 + r(3); k > 0; --k) {
            QString text;
            int position = -1;
            const int from = r(m_outputList.size());
            const Output &o = m_outputList.at(from);
            const int way = r(10);
            if (way < 7 && o.text != "*" && !o.text.endsWith(".*")) {
                position = from;
                text = way < 2 && !m_star           ? QString::number(from + 1)
                    : way < 4 && !o.alias.isEmpty() ? o.alias
                                                    : o.text;
            } else if (!m_distinct && grouped) {
                if (!m_groupedHidden.isEmpty() && chance(50)) {
                    const auto g = m_groupedHidden.first();
                    text = column(g.first, g.second);
                } else {
                    text = aggregateOf();
                }
            } else if (!m_distinct) {
                text = randomColumn();
            } else {
                continue;
            }
            prefix = prefix && position >= 0;
            if (prefix)
                keys << position;
            static const QStringList ways = { "", " ASC", " DESC" };
            items << text + ways.at(r(3));
        }
        return items.isEmpty() ? QString() : " ORDER BY " + items.join(", ");
    }

    // A subquery the statement's condition holds: IN or EXISTS over a linked table.
    QString subquery()
    {
        for (const Link &l : Links) {
            for (int s = 0; s < m_sources.size(); ++s) {
                if (m_sources.at(s).table != l.a || !chance(30))
                    continue;
                const QString other = spellTable(tables().at(l.b).name);
                if (chance(50))
                    return column(s, columnIndex(l.a, l.ca)) + (chance(70) ? " IN" : " NOT IN")
                        + " (SELECT " + spell(l.cb) + " FROM " + other + ')';
                return QString(chance(70) ? "EXISTS" : "NOT EXISTS") + " (SELECT 1 FROM " + other
                    + " q WHERE q." + spell(l.cb) + " = " + column(s, columnIndex(l.a, l.ca)) + ')';
            }
        }
        return column(0, 0) + " IN (SELECT " + tables().at(m_sources.first().table).column(0)
            + " FROM " + m_sources.first().name + ")";
    }

    QRandomGenerator &m_random;
    const bool m_ownCase;
    QVector<Source> m_sources;
    QString m_from, m_joinWhere, m_having;
    QStringList m_outputs, m_groupBy, m_aliases;
    QVector<Output> m_outputList;
    QVector<QPair<int, int>> m_groupedHidden;
    bool m_distinct = false, m_star = false, m_aggregate = false;
};

} // namespace DiduzaTest
