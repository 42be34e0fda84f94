// Statements that the builder generates, run against the sample database in SQLite, in
// PostgreSQL and in MariaDB: every statement they accept (joins in the WHERE-clause dialect, any
// dialect without joins) must return the rows of a hand-written reference query. The references
// are standard SQL: on MariaDB they run in an ANSI_QUOTES session, the builder's statements
// through its engine in the server's own mode. MariaDB has no full outer join: the builder
// there refuses one, naming the relation.

#include "../common/SampleConnections.h"
#include "../common/TestSupport.h"
#include "../common/WorkedExample.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "engines/SqlNames.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "platform/Application.h"
#include "platform/TStringList.h"
#include "querybuilder/TSQLBuilderDialog.h"
#include "querybuilder/TfrmZkSQLBuilder.h"
#include "relations/TSchemaRelation.h"
#include "sqlparser/SelectImport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Diduza;
namespace Example = DiduzaTest::WorkedExample;

namespace {

const QString SqliteConnection = QStringLiteral("builder-sqlite");
const QString PostgresConnection = QStringLiteral("builder-pg");
const QString MariaDbConnection = QStringLiteral("builder-mariadb");
const QString MariaDbAnsiConnection = QStringLiteral("builder-mariadb-ansi");

using Row = QStringList;

// A value as text; numbers rounded to the cent, so that both sides compare alike.
QString valueText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(value.toDouble(), 'f', 2);
    default:
        return value.isNull() ? QStringLiteral("<null>") : value.toString();
    }
}

QList<Row> modelRows(QAbstractItemModel &model)
{
    while (model.canFetchMore(QModelIndex()))
        model.fetchMore(QModelIndex());
    QList<Row> rows;
    for (int r = 0; r < model.rowCount(); ++r) {
        Row row;
        for (int c = 0; c < model.columnCount(); ++c)
            row << valueText(model.index(r, c).data());
        rows << row;
    }
    return rows;
}

// One way of building a statement in the form; the reference query asks the same question.
struct Case {
    const char *name;
    int dialects; // a bit per TSQLSubType the case runs in
    bool ordered; // the statement sorts its rows
    std::function<void(TfrmZkSQLBuilder &)> build;
    const char *reference;
};

TSchemaItem *table(TfrmZkSQLBuilder &form, const QString &caption)
{
    TSchemaItem *item = form.SchemaDesignArea->AddItem(caption, scCheckListBox);
    if (!item || item->GetSubItemCount() < 2)
        throw Exception(QStringLiteral("the engine gave no fields for ") + caption);
    return item;
}

TSchemaSubItem *row(TSchemaItem *item, const QString &caption)
{
    for (int i = 0; i < item->GetSubItemCount(); ++i) {
        if (item->GetSubItem(i)->Caption() == caption)
            return item->GetSubItem(i);
    }
    throw Exception(QStringLiteral("no row ") + caption);
}

// Ticks a row and returns its grid column.
int tick(TfrmZkSQLBuilder &form, TSchemaItem *item, const QString &caption)
{
    row(item, caption)->SetChecked(true);
    return form.sgColumnGrid->ColCount() - 1;
}

void set(TfrmZkSQLBuilder &form, int col, int gridRow, const QString &text)
{
    form.sgColumnGrid->SetCells(col, gridRow, text);
}

enum GridRow { Calculate = 2, Sort = 3, Where = 4, Grouping = 5, Having = 6 };

constexpr int bit(TSQLSubType t)
{
    return 1 << t;
}
// Without joins every dialect runs; inner joins run where the databases read them (the
// WHERE-clause dialect and the join tree); outer joins keep their rows in the join tree only.
constexpr int AnyDialect
    = bit(stStandard) | bit(stLocal) | bit(stOracle) | bit(stMSSQL) | bit(stAnsi);
constexpr int InnerJoins = bit(stLocal) | bit(stAnsi);
constexpr int LocalOnly = bit(stLocal);
constexpr int JoinTree = bit(stAnsi);

TSchemaRelation *link(TfrmZkSQLBuilder &form, TSchemaItem *parent, const char *parentField,
    TSchemaItem *child, const char *childField, TSDRelationJoin kind = rjInner)
{
    TSchemaRelation *relation = form.SchemaDesignArea->AddRelation(
        parent, child, row(parent, parentField), row(child, childField));
    relation->SetJoinType(kind);
    return relation;
}

const Case Cases[] = {
    { "worked example", InnerJoins, true,
        [](TfrmZkSQLBuilder &form) {
            const QString error = Example::BuildOnForm(form);
            if (!error.isEmpty())
                throw Exception(error);
        },
        Example::Reference },
    { "left outer join: (1=1) and the plain condition", LocalOnly, false,
        [](TfrmZkSQLBuilder &form) {
            TSchemaItem *customer = table(form, "customer");
            TSchemaItem *orders = table(form, "orders");
            TSchemaRelation *relation = form.SchemaDesignArea->AddRelation(
                customer, orders, row(customer, "id"), row(orders, "customer_id"));
            relation->SetJoinType(rjLeftOuter);
            tick(form, customer, "name");
            tick(form, orders, "amount");
        },
        "SELECT c.name, o.amount FROM customer c JOIN orders o ON c.id = o.customer_id" },
    { "shared captions: a self-join through aliases", InnerJoins, false,
        [](TfrmZkSQLBuilder &form) {
            TSchemaItem *staff = table(form, "employees");
            TSchemaItem *managers = table(form, "employees");
            form.SchemaDesignArea->AddRelation(
                staff, managers, row(staff, "reports_to"), row(managers, "id"));
            tick(form, staff, "last_name");
            tick(form, managers, "last_name");
        },
        "SELECT e.last_name, m.last_name FROM employees e JOIN employees m"
        " ON e.reports_to = m.id" },
    { "one table: where and sort", AnyDialect, true,
        [](TfrmZkSQLBuilder &form) {
            TSchemaItem *customer = table(form, "customer");
            const int name = tick(form, customer, "name");
            const int city = tick(form, customer, "city");
            set(form, name, Sort, "Ascending");
            set(form, city, Where, "customer.city <> 'Berlin'");
            set(form, city, Sort, "Descending");
        },
        "SELECT name, city FROM customer WHERE city <> 'Berlin' ORDER BY name, city DESC" },
    { "distinct", AnyDialect, true,
        [](TfrmZkSQLBuilder &form) {
            TSchemaItem *customer = table(form, "customer");
            set(form, tick(form, customer, "country"), Sort, "Descending");
            form.cbDistinct->setChecked(true);
        },
        "SELECT DISTINCT country FROM customer ORDER BY country DESC" },
    { "quoted names with aggregates", AnyDialect, true,
        [](TfrmZkSQLBuilder &form) {
            TSchemaItem *details = table(form, "order details");
            const int product = tick(form, details, "product_id");
            const int price = tick(form, details, "unit price");
            const int quantity = tick(form, details, "quantity");
            set(form, product, Grouping, "1");
            set(form, product, Sort, "Ascending");
            set(form, price, Calculate, "Maximum");
            set(form, quantity, Calculate, "Average");
            // Written as the database quotes names.
            set(form, quantity, Where, form.GetTableName(details, true) + ".discount > 0");
        },
        "SELECT product_id, MAX(\"unit price\"), AVG(quantity) FROM \"order details\""
        " WHERE discount > 0 GROUP BY product_id ORDER BY product_id" },
    { "count with having", AnyDialect, false,
        [](TfrmZkSQLBuilder &form) {
            TSchemaItem *orders = table(form, "orders");
            const int customer = tick(form, orders, "customer_id");
            const int id = tick(form, orders, "id");
            set(form, customer, Grouping, "1");
            set(form, customer, Having, "COUNT(orders.id) > 15");
            set(form, id, Calculate, "Count");
        },
        "SELECT customer_id, COUNT(id) FROM orders GROUP BY customer_id HAVING COUNT(id) > 15" },
    { "all fields", AnyDialect, false,
        [](TfrmZkSQLBuilder &form) {
            TSchemaItem *suppliers = table(form, "suppliers");
            const int all = tick(form, suppliers, "*");
            set(form, all, Where, "suppliers.id < 5");
            set(form, all, Sort, "Ascending"); // no sort on *
        },
        "SELECT * FROM suppliers WHERE id < 5" },
    { "left outer: customers without orders too", JoinTree, false,
        [](TfrmZkSQLBuilder &form) {
            TSchemaItem *customer = table(form, "customer");
            TSchemaItem *orders = table(form, "orders");
            link(form, customer, "id", orders, "customer_id", rjLeftOuter);
            tick(form, customer, "name");
            tick(form, orders, "amount");
        },
        "SELECT c.name, o.amount FROM customer c LEFT JOIN orders o ON c.id = o.customer_id" },
    { "right outer reached from the parent: every child row", JoinTree, false,
        [](TfrmZkSQLBuilder &form) {
            TSchemaItem *orders = table(form, "orders");
            TSchemaItem *customer = table(form, "customer");
            link(form, orders, "customer_id", customer, "id", rjRightOuter);
            tick(form, customer, "name");
            set(form, tick(form, orders, "id"), Calculate, "Count");
            set(form, 1, Grouping, "1");
        },
        "SELECT c.name, COUNT(o.id) FROM customer c LEFT JOIN orders o ON o.customer_id = c.id"
        " GROUP BY c.name" },
    { "full join", JoinTree, false,
        [](TfrmZkSQLBuilder &form) {
            TSchemaItem *customer = table(form, "customer");
            TSchemaItem *orders = table(form, "orders");
            link(form, customer, "id", orders, "customer_id", rjFull);
            tick(form, customer, "id");
            tick(form, orders, "id");
        },
        "SELECT c.id, o.id FROM customer c FULL JOIN orders o ON c.id = o.customer_id" },
    { "self-join, left outer: the employee without a manager too", JoinTree, false,
        [](TfrmZkSQLBuilder &form) {
            TSchemaItem *staff = table(form, "employees");
            TSchemaItem *managers = table(form, "employees");
            link(form, staff, "reports_to", managers, "id", rjLeftOuter);
            tick(form, staff, "last_name");
            tick(form, managers, "last_name");
        },
        "SELECT e.last_name, m.last_name FROM employees e LEFT JOIN employees m"
        " ON e.reports_to = m.id" },
    { "a chain grouped by two columns named city", JoinTree, true,
        [](TfrmZkSQLBuilder &form) {
            TSchemaItem *customer = table(form, "customer");
            TSchemaItem *orders = table(form, "orders");
            TSchemaItem *employees = table(form, "employees");
            link(form, customer, "id", orders, "customer_id");
            link(form, employees, "id", orders, "employee_id");
            const int city = tick(form, customer, "city");
            const int staffCity = tick(form, employees, "city");
            set(form, tick(form, orders, "id"), Calculate, "Count");
            set(form, city, Grouping, "1");
            set(form, city, Sort, "Ascending");
            set(form, staffCity, Grouping, "1");
            set(form, staffCity, Sort, "Ascending");
        },
        "SELECT c.city, e.city, COUNT(o.id) FROM customer c JOIN orders o ON c.id = o.customer_id"
        " JOIN employees e ON e.id = o.employee_id GROUP BY c.city, e.city ORDER BY c.city, "
        "e.city" },
};

const Case *findCase(const QString &name)
{
    for (const Case &c : Cases) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

const char *dialectName(TSQLSubType dialect)
{
    switch (dialect) {
    case stStandard:
        return "stStandard";
    case stLocal:
        return "stLocal";
    case stOracle:
        return "stOracle";
    case stMSSQL:
        return "stMSSQL";
    case stAnsi:
        return "stAnsi";
    }
    return "?";
}

// The connection that runs a backend's reference queries (standard SQL) and its engine's.
QString referenceConnection(const QString &backend)
{
    return backend == QLatin1String("sqlite")    ? SqliteConnection
        : backend == QLatin1String("postgresql") ? PostgresConnection
                                                 : MariaDbAnsiConnection;
}
QString engineConnection(const QString &backend)
{
    return backend == QLatin1String("mariadb") ? MariaDbConnection : referenceConnection(backend);
}

// Empty when the model holds the rows of the reference query (in its order when ordered),
// else what differs.
QString compareRows(
    QAbstractItemModel &model, const QString &referenceConnection, const char *sql, bool ordered)
{
    QList<Row> got = modelRows(model);
    QSqlQuery reference(QSqlDatabase::database(referenceConnection));
    if (!reference.exec(QString::fromLatin1(sql)))
        return reference.lastError().text();
    QList<Row> expected;
    while (reference.next()) {
        Row r;
        for (int i = 0; i < reference.record().count(); ++i)
            r << valueText(reference.value(i));
        expected << r;
    }
    if (!ordered) {
        std::sort(got.begin(), got.end());
        std::sort(expected.begin(), expected.end());
    }
    if (expected.size() < 2)
        return QStringLiteral("the reference query should give rows to compare");
    if (got == expected)
        return QString();
    return QStringLiteral("%1 rows, expected %2; first: %3 / %4")
        .arg(got.size())
        .arg(expected.size())
        .arg(got.value(0).join('|'), expected.value(0).join('|'));
}

} // namespace

class tst_BuilderDatabase : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void statements_data();
    void statements();
    void dialogRun_data();
    void dialogRun();
    void dialogShowsAJoinTheDatabaseCannotRun();
    void otherSchemasWereNotListed();

private:
    // Skips the test function (with how to get the server) when the backend has none.
    bool skipped(const QString &backend);

    bool m_hasPostgres = false;
    bool m_hasMariaDb = false;
    QTemporaryDir m_dir;
};

void tst_BuilderDatabase::initTestCase()
{
    SetExceptionHandler([](const Exception &e) { QFAIL(qPrintable(e.Message())); });
    QVERIFY(m_dir.isValid());
    QString error;
    QVERIFY2(SampleConnections::OpenSqliteCopy(m_dir, SqliteConnection, error), qPrintable(error));

    QVERIFY2(SampleConnections::OpenConfiguredServers(PostgresConnection, MariaDbConnection,
                 MariaDbAnsiConnection, m_hasPostgres, m_hasMariaDb, error),
        qPrintable(error));
}

void tst_BuilderDatabase::cleanupTestCase()
{
    SampleConnections::CloseAll(
        { SqliteConnection, PostgresConnection, MariaDbConnection, MariaDbAnsiConnection });
    SetExceptionHandler({});
}

bool tst_BuilderDatabase::skipped(const QString &backend)
{
    if (backend == QLatin1String("postgresql") && !m_hasPostgres) {
        QTest::qSkip("No PostgreSQL server: run scripts/pg-start BUILD-DIR and load "
                     "BUILD-DIR/pg.env to test against PostgreSQL",
            __FILE__, __LINE__);
        return true;
    }
    if (backend == QLatin1String("mariadb") && !m_hasMariaDb) {
        QTest::qSkip("No MariaDB server: run scripts/mariadb-start BUILD-DIR and load "
                     "BUILD-DIR/mariadb.env to test against MariaDB",
            __FILE__, __LINE__);
        return true;
    }
    return false;
}

void tst_BuilderDatabase::statements_data()
{
    QTest::addColumn<QString>("backend");
    QTest::addColumn<int>("dialect");
    QTest::addColumn<QString>("caseName");
    for (const char *backend : { "sqlite", "postgresql", "mariadb" }) {
        for (const Case &c : Cases) {
            for (TSQLSubType dialect : { stStandard, stLocal, stOracle, stMSSQL, stAnsi }) {
                if (!(c.dialects & bit(dialect)))
                    continue;
                QTest::addRow("%s, %s: %s", backend, dialectName(dialect), c.name)
                    << QString::fromLatin1(backend) << int(dialect) << QString::fromLatin1(c.name);
            }
        }
    }
}

void tst_BuilderDatabase::statements()
{
    QFETCH(QString, backend);
    QFETCH(int, dialect);
    QFETCH(QString, caseName);
    if (skipped(backend))
        return;
    const Case *c = findCase(caseName);
    QVERIFY(c);

    TSchemaSqlDataEngine engine;
    engine.SetConnectionName(engineConnection(backend));
    engine.SetSQLSubType(TSQLSubType(dialect));
    TfrmZkSQLBuilder form;
    form.SetDataEngine(&engine);
    try {
        c->build(form);
    } catch (const Exception &e) {
        QFAIL(qPrintable(e.Message()));
    }
    QString sql, refusal;
    try {
        sql = form.GenerateSQL();
    } catch (const Exception &e) {
        refusal = e.Message();
    }
    const bool fullJoin = QByteArray(c->reference).contains("FULL JOIN");
    if (backend == QLatin1String("mariadb") && fullJoin) {
        QVERIFY2(refusal.contains("customer.id = orders.customer_id"), qPrintable(refusal + sql));
        return;
    }
    QVERIFY2(refusal.isEmpty(), qPrintable(refusal));
    QVERIFY(!sql.isEmpty());
    QString parseError;
    if (dialect == stAnsi && backend != QLatin1String("mariadb"))
        QVERIFY2(ParsesAsPostgres(sql, &parseError), qPrintable(parseError));
    std::unique_ptr<QAbstractItemModel> model;
    try {
        model.reset(engine.ExecSQL(sql));
    } catch (const Exception &e) {
        QFAIL(qPrintable(QStringLiteral("%1\n%2").arg(e.Message(), sql)));
    }
    QVERIFY(model);
    const QString mismatch
        = compareRows(*model, referenceConnection(backend), c->reference, c->ordered);
    QVERIFY2(mismatch.isEmpty(), qPrintable(sql + QLatin1Char('\n') + mismatch));
}

void tst_BuilderDatabase::dialogRun_data()
{
    QTest::addColumn<QString>("backend");
    QTest::newRow("sqlite") << "sqlite";
    QTest::newRow("postgresql") << "postgresql";
    QTest::newRow("mariadb") << "mariadb";
}

// The builder as an application runs it: the dialog imports a statement, the user drops orders,
// joins it, sums the amounts per customer and presses Execute, then OK.
void tst_BuilderDatabase::dialogRun()
{
    QFETCH(QString, backend);
    if (skipped(backend))
        return;
    TSchemaSqlDataEngine engine;
    engine.SetConnectionName(engineConnection(backend));
    const char *reference = "SELECT c.name, c.city, SUM(o.amount) FROM customer c, orders o"
                            " WHERE c.id = o.customer_id GROUP BY c.name, c.city";
    TSQLBuilderDialog dialog;
    dialog.SetDataEngine(&engine);
    dialog.SetSQL(QStringLiteral("SELECT customer.name, customer.city FROM customer"));
    QString mismatch = QStringLiteral("the builder did not run");
    DiduzaTest::FakeDialogService dialogs;
    dialogs.modal = [&](QDialog &d) {
        auto &form = static_cast<TfrmZkSQLBuilder &>(d);
        TSchemaDesignArea *area = form.SchemaDesignArea;
        form.lbTables->setCurrentItem(
            form.lbTables->findItems("orders", Qt::MatchExactly).value(0));
        form.lbTablesDblClick(form.lbTables);
        TSchemaItem *customer = area->FindItem("customer");
        TSchemaItem *orders = area->FindItem("orders");
        area->AddRelation(customer, orders, row(customer, "id"), row(orders, "customer_id"));
        set(form, tick(form, orders, "amount"), 2, QStringLiteral("Summa"));
        set(form, 1, 5, QStringLiteral("1"));
        set(form, 2, 5, QStringLiteral("1"));
        form.btnExecSQL->click();
        mismatch = form.ResultModel()
            ? compareRows(*form.ResultModel(), referenceConnection(backend), reference, false)
            : form.lblResultError->text();
        form.btnOK->click();
        return form.result();
    };
    QVERIFY(dialog.Execute());
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    // The statement handed back is the one that ran.
    std::unique_ptr<QAbstractItemModel> model(engine.ExecSQL(dialog.SQL()));
    QVERIFY(model);
    mismatch = compareRows(*model, referenceConnection(backend), reference, false);
    QVERIFY2(mismatch.isEmpty(), qPrintable(dialog.SQL() + QLatin1Char('\n') + mismatch));
}

// On PostgreSQL only the search path's tables were listed, and the sample's second schema was
// absent: with ListAllSchemas the engine lists every schema the user may use, those off the
// path as "schema.table", with their fields and keys; the builder filters its list by schema,
// and a table of another schema is named with it in the statement that runs.
void tst_BuilderDatabase::otherSchemasWereNotListed()
{
    if (skipped(QStringLiteral("postgresql")))
        return;
    TSchemaSqlDataEngine engine;
    engine.SetConnectionName(PostgresConnection);
    auto listed = [&] {
        TStringList list;
        engine.FillItemList(list);
        QStringList names;
        for (int i = 0; i < list.Count(); ++i)
            names << list.Strings(i);
        return names;
    };
    const QStringList path = listed();
    QVERIFY(path.contains("orders") && !path.contains("Warehouse.Orders"));
    engine.SetListAllSchemas(true);
    const QStringList all = listed();
    // The search path's tables as before, by their own names, then the other schema's.
    QCOMPARE(all.mid(0, path.size()), path);
    QCOMPARE(all.mid(path.size()),
        QStringList({ "Warehouse.Bins", "Warehouse.Movements", "Warehouse.Orders",
            "Warehouse.StockLevels" }));
    // What PostgreSQL itself lists for the schema.
    QSqlQuery query(QSqlDatabase::database(PostgresConnection));
    QVERIFY(query.exec("SELECT column_name FROM information_schema.columns WHERE table_schema ="
                       " 'Warehouse' AND table_name = 'StockLevels' ORDER BY ordinal_position"));
    QStringList columns;
    while (query.next())
        columns << query.value(0).toString();
    TStringList fields;
    engine.FillFieldList("Warehouse.StockLevels", fields);
    QStringList fieldNames;
    for (int i = 0; i < fields.Count(); ++i)
        fieldNames << fields.Strings(i);
    QCOMPARE(fieldNames, columns);
    engine.FillFieldList("orders", fields);
    QVERIFY(fields.IndexOf("customer_id") >= 0); // the public table, not Warehouse's
    // The catalogue knows their keys, to the public schema too.
    QVector<TSchemaTableInfo> info;
    engine.FillTableInfo({ "Warehouse.StockLevels" }, info);
    QCOMPARE(info.size(), 1);
    QCOMPARE(info.at(0).PrimaryKey, QStringList({ "Bin Shelf", "Bin Aisle", "productId" }));
    QStringList referenced;
    for (const TSchemaForeignKey &key : info.at(0).ForeignKeys)
        referenced << key.ReferencedTable;
    referenced.sort();
    QCOMPARE(referenced, QStringList({ "Warehouse.Bins", "products" }));
    // The quoting writes schema and table apart.
    const SqlNameQuoting quoting = engine.NameQuoting();
    QCOMPARE(quoting.TableParts("Warehouse.Orders"), QStringList({ "Warehouse", "Orders" }));
    QCOMPARE(quoting.TableParts("orders"), QStringList({ "orders" }));

    TfrmZkSQLBuilder form;
    form.SetDataEngine(&engine);
    QVERIFY(!form.cbSchemas->isHidden());
    QStringList choices;
    for (int i = 0; i < form.cbSchemas->count(); ++i)
        choices << form.cbSchemas->itemText(i);
    QCOMPARE(choices, QStringList({ "All schemas", "Search path", "Warehouse" }));
    auto shown = [&] {
        QStringList names;
        for (int i = 0; i < form.lbTables->count(); ++i) {
            if (!form.lbTables->item(i)->isHidden())
                names << form.lbTables->item(i)->text();
        }
        return names;
    };
    QCOMPARE(shown().size(), all.size());
    form.cbSchemas->setCurrentIndex(2);
    QCOMPARE(shown(),
        QStringList({ "Warehouse.Bins", "Warehouse.Movements", "Warehouse.Orders",
            "Warehouse.StockLevels" }));
    form.cbSchemas->setCurrentIndex(1);
    QCOMPARE(shown().size(), path.size());
    QVERIFY(!shown().contains("Warehouse.Orders"));
    // A table of the schema, dropped and run.
    form.cbSchemas->setCurrentIndex(0);
    form.lbTables->setCurrentItem(
        form.lbTables->findItems("Warehouse.Orders", Qt::MatchExactly).value(0));
    form.lbTablesDblClick(form.lbTables);
    QCOMPARE(form.SchemaDesignArea->GetItemCount(), 1);
    const QString sql = form.GenerateSQL();
    QVERIFY2(sql.contains("FROM \"Warehouse\".\"Orders\""), qPrintable(sql));
    std::unique_ptr<QAbstractItemModel> rows(engine.ExecSQL(sql));
    QVERIFY(rows);
    QSqlQuery count(QSqlDatabase::database(PostgresConnection));
    QVERIFY(count.exec("SELECT count(*) FROM \"Warehouse\".\"Orders\"") && count.next());
    QCOMPARE(rows->rowCount(), count.value(0).toInt());
    // Without the property the builder shows no filter.
    engine.SetListAllSchemas(false);
    TfrmZkSQLBuilder plain;
    plain.SetDataEngine(&engine);
    QVERIFY(plain.cbSchemas->isHidden());
}

// MariaDB has no full outer join. The dialog still opens on a statement that holds one and
// shows the join; once the user changes the work, Execute names the relation instead of running
// anything, and with another kind of join OK hands back a statement that runs.
void tst_BuilderDatabase::dialogShowsAJoinTheDatabaseCannotRun()
{
    if (skipped(QStringLiteral("mariadb")))
        return;
    TSchemaSqlDataEngine engine;
    engine.SetConnectionName(MariaDbConnection);
    engine.SetSQLSubType(stAnsi);
    TSQLBuilderDialog dialog;
    dialog.SetDataEngine(&engine);
    dialog.SetSQL(QStringLiteral(
        "SELECT c.name, o.amount FROM customer c FULL JOIN orders o ON c.id = o.customer_id"));
    DiduzaTest::ExceptionRecorder raised;
    DiduzaTest::FakeDialogService dialogs;
    QString relation;
    bool ran = true;
    dialogs.modal = [&](QDialog &d) {
        auto &form = static_cast<TfrmZkSQLBuilder &>(d);
        TSchemaDesignArea *area = form.SchemaDesignArea;
        if (area->GetRelationCount() != 1 || area->GetRelation(0)->JoinType() != rjFull)
            return int(QDialog::Rejected);
        TSchemaRelation *join = area->GetRelation(0);
        relation = QStringLiteral("%1.%2 = %3.%4")
                       .arg(join->ParentItem()->Caption(), join->ParentSubItem()->Caption(),
                           join->ChildItem()->Caption(), join->ChildSubItem()->Caption());
        tick(form, area->FindItem("customer"), "city");
        form.btnExecSQL->click();
        ran = form.ResultModel() != nullptr;
        join->SetJoinType(join->ParentItem()->Caption() == QLatin1String("customer")
                ? rjLeftOuter
                : rjRightOuter);
        form.btnOK->click();
        return form.result();
    };
    bool accepted = false;
    try {
        accepted = dialog.Execute();
    } catch (const Exception &e) {
        QFAIL(qPrintable("the dialog raised: " + e.Message()));
    }
    QVERIFY2(!relation.isEmpty(), "the full join is not shown");
    QVERIFY(!ran);
    QCOMPARE(raised.messages.size(), 1);
    QVERIFY2(raised.messages.at(0).contains(relation), qPrintable(raised.messages.at(0)));
    QVERIFY(accepted);
    std::unique_ptr<QAbstractItemModel> model(engine.ExecSQL(dialog.SQL()));
    QVERIFY(model);
    const QString mismatch = compareRows(*model, MariaDbAnsiConnection,
        "SELECT c.name, o.amount, c.city FROM customer c LEFT JOIN orders o"
        " ON c.id = o.customer_id",
        false);
    QVERIFY2(mismatch.isEmpty(), qPrintable(dialog.SQL() + QLatin1Char('\n') + mismatch));
}

QTEST_MAIN(tst_BuilderDatabase)
#include "tst_builderdatabase.moc"
