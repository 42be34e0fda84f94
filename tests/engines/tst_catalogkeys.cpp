// The keys of real databases' catalogues: what TSchemaSqlDataEngine::FillTableInfo reads on
// SQLite, PostgreSQL and MariaDB (the samples; PostgreSQL's second schema and a MariaDB
// database made here, with composite keys, a self-reference, keys to another schema or
// database, quoted and mixed-case names and a table without a primary key), and the property
// that random schemas opened as diagrams show exactly the keys of the catalogue, as an
// independent query over the catalogue (PRAGMA statements, information_schema, MariaDB's SHOW
// statements) reads them.

#include "../common/SampleConnections.h"
#include "../common/TestSupport.h"
#include "CatalogFixture.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "platform/Exceptions.h"
#include "platform/TStringList.h"
#include "relations/TSchemaRelation.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace Diduza;
using namespace CatalogTest;

namespace {

// --- the catalogue as an independent query reads it -------------------------------------------

struct Column {
    QString name;
    QString type;
    bool notNull = false;
};

struct Table {
    QString name;
    QVector<Column> columns;
    QStringList primaryKey; // key order
    QSet<QString> pairs; // "parent.field>child.field" of every foreign key
    QSet<QString> referencing; // its fields that reference another table
};

// SQLite: the PRAGMA statements, one table at a time.
QVector<Table> sqliteCatalog(const QSqlDatabase &db)
{
    QVector<Table> tables;
    QSqlQuery list(db);
    list.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT "
                             "LIKE 'sqlite%' ORDER BY name"));
    while (list.next())
        tables.append(Table { list.value(0).toString(), {}, {}, {}, {} });
    for (Table &t : tables) {
        QSqlQuery info(db);
        info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(t.name)));
        QMap<int, QString> key;
        while (info.next()) {
            t.columns.append(Column {
                info.value(1).toString(), info.value(2).toString(), info.value(3).toInt() != 0 });
            if (info.value(5).toInt() > 0)
                key.insert(info.value(5).toInt(), info.value(1).toString());
        }
        t.primaryKey = key.values();
    }
    for (Table &t : tables) {
        QSqlQuery fk(db);
        fk.exec(QStringLiteral("PRAGMA foreign_key_list(%1)").arg(quoted(t.name)));
        while (fk.next()) {
            const QString parent = fk.value(2).toString();
            QString to = fk.value(4).toString();
            if (fk.value(4).isNull()) { // the parent's primary key, field by field
                for (const Table &p : std::as_const(tables)) {
                    if (p.name.compare(parent, Qt::CaseInsensitive) == 0)
                        to = p.primaryKey.value(fk.value(1).toInt());
                }
            }
            t.pairs.insert(parent + QLatin1Char('.') + to + QLatin1Char('>') + t.name
                + QLatin1Char('.') + fk.value(3).toString());
            t.referencing.insert(fk.value(3).toString());
        }
    }
    return tables;
}

// PostgreSQL: information_schema, for the tables of one schema.
QVector<Table> postgresCatalog(const QSqlDatabase &db, const QString &schema)
{
    QVector<Table> tables;
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT table_name FROM information_schema.tables WHERE "
                             "table_schema = ? AND table_type = 'BASE TABLE' ORDER BY 1"));
    q.addBindValue(schema);
    q.exec();
    while (q.next())
        tables.append(Table { q.value(0).toString(), {}, {}, {}, {} });
    for (Table &t : tables) {
        QSqlQuery c(db);
        c.prepare(QStringLiteral("SELECT column_name, data_type, is_nullable FROM "
                                 "information_schema.columns WHERE table_schema = ? AND "
                                 "table_name = ? ORDER BY ordinal_position"));
        c.addBindValue(schema);
        c.addBindValue(t.name);
        c.exec();
        while (c.next())
            t.columns.append(Column { c.value(0).toString(), c.value(1).toString(),
                c.value(2).toString() == QLatin1String("NO") });
        QSqlQuery k(db);
        k.prepare(QStringLiteral(
            "SELECT u.column_name FROM information_schema.table_constraints c JOIN "
            "information_schema.key_column_usage u ON u.constraint_schema = c.constraint_schema "
            "AND u.constraint_name = c.constraint_name AND u.table_name = c.table_name WHERE "
            "c.constraint_type = 'PRIMARY KEY' AND c.table_schema = ? AND c.table_name = ? "
            "ORDER BY u.ordinal_position"));
        k.addBindValue(schema);
        k.addBindValue(t.name);
        k.exec();
        while (k.next())
            t.primaryKey << k.value(0).toString();
        QSqlQuery f(db);
        f.prepare(QStringLiteral(
            "SELECT pu.table_name, pu.column_name, cu.column_name FROM "
            "information_schema.referential_constraints r JOIN "
            "information_schema.key_column_usage cu ON cu.constraint_schema = "
            "r.constraint_schema AND cu.constraint_name = r.constraint_name JOIN "
            "information_schema.key_column_usage pu ON pu.constraint_schema = "
            "r.unique_constraint_schema AND pu.constraint_name = r.unique_constraint_name AND "
            "pu.ordinal_position = cu.position_in_unique_constraint WHERE cu.table_schema = ? "
            "AND cu.table_name = ?"));
        f.addBindValue(schema);
        f.addBindValue(t.name);
        f.exec();
        while (f.next()) {
            t.pairs.insert(f.value(0).toString() + QLatin1Char('.') + f.value(1).toString()
                + QLatin1Char('>') + t.name + QLatin1Char('.') + f.value(2).toString());
            t.referencing.insert(f.value(2).toString());
        }
    }
    return tables;
}

// MariaDB: the SHOW statements, one table at a time; a foreign key as SHOW CREATE TABLE writes
// it. A key to a table of another database joins no two tables of this one.
QVector<Table> mariaDbCatalog(const QSqlDatabase &db)
{
    const QString name = QStringLiteral("`((?:[^`]|``)+)`");
    static const QRegularExpression identifier(name);
    static const QRegularExpression foreignKey(
        QStringLiteral(
            "CONSTRAINT `(?:[^`]|``)+` FOREIGN KEY \\(([^)]*)\\) REFERENCES (`(?:[^`]|``)+`\\.)?")
        + name + QStringLiteral(" \\(([^)]*)\\)"));
    auto names = [](const QString &list) {
        QStringList out;
        for (const QRegularExpressionMatch &m : identifier.globalMatch(list))
            out << m.captured(1).replace(QStringLiteral("``"), QStringLiteral("`"));
        return out;
    };
    QVector<Table> tables;
    QSqlQuery list(db);
    list.exec(QStringLiteral("SHOW FULL TABLES WHERE Table_type = 'BASE TABLE'"));
    while (list.next())
        tables.append(Table { list.value(0).toString(), {}, {}, {}, {} });
    for (Table &t : tables) {
        QSqlQuery q(db);
        q.exec(QStringLiteral("SHOW COLUMNS FROM %1").arg(quoted(t.name, MariaDb)));
        while (q.next())
            t.columns.append(Column { q.value(0).toString(), q.value(1).toString(),
                q.value(2).toString() == QLatin1String("NO") });
        q.exec(QStringLiteral("SHOW INDEX FROM %1 WHERE Key_name = 'PRIMARY'")
                   .arg(quoted(t.name, MariaDb)));
        QMap<int, QString> key;
        while (q.next())
            key.insert(q.value(3).toInt(), q.value(4).toString());
        t.primaryKey = key.values();
        q.exec(QStringLiteral("SHOW CREATE TABLE %1").arg(quoted(t.name, MariaDb)));
        if (!q.next())
            continue;
        for (const QRegularExpressionMatch &m : foreignKey.globalMatch(q.value(1).toString())) {
            const QStringList from = names(m.captured(1));
            const QStringList to = names(m.captured(4));
            const QString parent = m.captured(3).replace(QStringLiteral("``"), QStringLiteral("`"));
            for (int i = 0; i < from.size(); ++i) {
                if (m.captured(2).isEmpty())
                    t.pairs.insert(parent + QLatin1Char('.') + to.value(i) + QLatin1Char('>')
                        + t.name + QLatin1Char('.') + from.at(i));
                t.referencing.insert(from.at(i));
            }
        }
    }
    return tables;
}

// --- random schemas ---------------------------------------------------------------------------

const QStringList NameParts = { "id", "Name", "order", "Größe", "with space", "Mixed Case",
    "quo\"te", "dot.ted", "select", "ÄÖÜ", "_x", "CamelCase", "from", "key", "Ref" };

struct Generated {
    QStringList statements;
    int tables = 0;
};

// A schema of one to eight tables: integer key fields and a few others, primary keys of zero
// to three fields in random order, foreign keys to the primary keys of earlier tables or of
// the table itself, with and without the referenced fields named (MariaDB wants them named),
// with and without names of their own (but on SQLite, whose keys have none).
Generated randomSchema(QRandomGenerator &random, const QString &prefix, Kind kind)
{
    Generated out;
    struct T {
        QString name;
        QStringList ints;
        QStringList pk;
    };
    QVector<T> tables;
    QSet<QString> tableNames;
    QSet<QString> constraintNames; // MariaDB's are unique in the database
    // A name from the parts, unique in taken ignoring case.
    auto name = [&](QSet<QString> &taken, const QString &hint) {
        for (;;) {
            const QString n = NameParts.at(random.bounded(int(NameParts.size()))) + QLatin1Char('_')
                + hint + QString::number(random.bounded(100));
            if (!taken.contains(n.toLower())) {
                taken.insert(n.toLower());
                return n;
            }
        }
    };
    out.tables = 1 + random.bounded(8);
    for (int i = 0; i < out.tables; ++i) {
        T t;
        t.name = prefix + name(tableNames, QStringLiteral("t"));
        QSet<QString> columns;
        QStringList defs;
        const int ints = 3 + random.bounded(3);
        for (int c = 0; c < ints; ++c)
            t.ints << name(columns, QStringLiteral("k"));
        QStringList pool = t.ints;
        const int keyFields = random.bounded(4);
        for (int k = 0; k < keyFields; ++k)
            t.pk << pool.takeAt(random.bounded(int(pool.size())));
        for (const QString &c : std::as_const(t.ints))
            defs << quoted(c, kind) + QStringLiteral(" INTEGER")
                    + (t.pk.contains(c) || random.bounded(3) == 0 ? QStringLiteral(" NOT NULL")
                                                                  : QString());
        const int others = random.bounded(3);
        const QStringList types = { "VARCHAR(20)", "NUMERIC(8,2)", "DATE" };
        for (int c = 0; c < others; ++c)
            defs << quoted(name(columns, QStringLiteral("d")), kind) + QLatin1Char(' ')
                    + types.at(random.bounded(int(types.size())))
                    + (random.bounded(2) ? QStringLiteral(" NOT NULL") : QString());
        if (!t.pk.isEmpty()) {
            QStringList q;
            for (const QString &c : std::as_const(t.pk))
                q << quoted(c, kind);
            defs << QStringLiteral("PRIMARY KEY (%1)").arg(q.join(QStringLiteral(", ")));
        }
        tables << t;
        // Keys to earlier tables or to itself.
        const int keys = random.bounded(3);
        for (int k = 0; k < keys; ++k) {
            const T &parent = tables.at(random.bounded(i + 1));
            if (parent.pk.isEmpty() || parent.pk.size() > t.ints.size())
                continue;
            QStringList from = t.ints;
            QStringList chosen;
            for (int f = 0; f < parent.pk.size(); ++f)
                chosen << quoted(from.takeAt(random.bounded(int(from.size()))), kind);
            QStringList to;
            for (const QString &c : parent.pk)
                to << quoted(c, kind);
            QString constraint
                = QStringLiteral("FOREIGN KEY (%1) REFERENCES %2")
                      .arg(chosen.join(QStringLiteral(", ")), quoted(parent.name, kind));
            if (random.bounded(3) > 0 || kind == MariaDb)
                constraint += QStringLiteral(" (%1)").arg(to.join(QStringLiteral(", ")));
            if (kind != Sqlite && random.bounded(2))
                constraint = QStringLiteral("CONSTRAINT %1 ")
                                 .arg(quoted(name(constraintNames, QStringLiteral("c")), kind))
                    + constraint;
            defs << constraint;
        }
        out.statements << QStringLiteral("CREATE TABLE %1 (%2)")
                              .arg(quoted(t.name, kind), defs.join(QStringLiteral(", ")));
    }
    return out;
}

// What the diagram shows against what the independent query read; empty when they agree. The
// independent query's type is the start of the engine's (PostgreSQL's information_schema names
// the type without its size) or, with exactTypes, the whole.
QString compare(const TSchemaDesignArea &area, const QVector<Table> &catalog, bool exactTypes)
{
    QStringList problems;
    QStringList expectedTables, shownTables;
    QSet<QString> expectedPairs, shownPairs;
    for (const Table &t : catalog) {
        expectedTables << t.name;
        expectedPairs += t.pairs;
    }
    for (int i = 0; i < area.GetItemCount(); ++i)
        shownTables << area.GetItem(i)->GetCaption();
    expectedTables.sort();
    shownTables.sort();
    if (expectedTables != shownTables)
        problems << QStringLiteral("tables %1 shown as %2")
                        .arg(expectedTables.join(','), shownTables.join(','));
    for (int i = 0; i < area.GetRelationCount(); ++i) {
        const TSchemaRelation *r = area.GetRelation(i);
        shownPairs.insert(r->ParentItem()->GetCaption() + QLatin1Char('.')
            + r->ParentSubItem()->Caption() + QLatin1Char('>') + r->ChildItem()->GetCaption()
            + QLatin1Char('.') + r->ChildSubItem()->Caption());
    }
    if (shownPairs.size() != area.GetRelationCount())
        problems << QStringLiteral("relations drawn twice");
    // Two keys that join the same two rows both ways round are one relation: the area draws
    // one relation between two rows. Every other pair keeps its direction.
    auto reversed = [](const QString &pair) {
        return pair.section(QLatin1Char('>'), 1) + QLatin1Char('>')
            + pair.section(QLatin1Char('>'), 0, 0);
    };
    QSet<QString> expectedOnce;
    for (const QString &pair : std::as_const(expectedPairs)) {
        if (reversed(pair) == pair || !expectedPairs.contains(reversed(pair))
            || !shownPairs.contains(reversed(pair)))
            expectedOnce.insert(pair);
    }
    if (expectedOnce != shownPairs) {
        QStringList missing = (expectedOnce - shownPairs).values();
        QStringList extra = (shownPairs - expectedOnce).values();
        problems << QStringLiteral("relations missing %1, extra %2")
                        .arg(missing.join(' '), extra.join(' '));
    }
    for (const Table &t : catalog) {
        const TSchemaItem *item = nullptr;
        for (int i = 0; i < area.GetItemCount() && !item; ++i) {
            if (area.GetItem(i)->GetCaption() == t.name)
                item = area.GetItem(i);
        }
        if (!item)
            continue;
        if (item->GetSubItemCount() != t.columns.size()) {
            problems << t.name + QStringLiteral(": row count");
            continue;
        }
        const TSchemaTableInfo *info = area.Catalog().Table(t.name);
        if (!info || info->PrimaryKey != t.primaryKey)
            problems << t.name + QStringLiteral(": primary key ")
                    + (info ? info->PrimaryKey.join(',') : QStringLiteral("none"))
                    + QStringLiteral(" instead of ") + t.primaryKey.join(',');
        for (int r = 0; r < t.columns.size(); ++r) {
            const Column &c = t.columns.at(r);
            const TSchemaSubItem *row = item->GetSubItem(r);
            if (row->Caption() != c.name) {
                problems << t.name + QStringLiteral(": row ") + row->Caption();
                continue;
            }
            const TSchemaRowKeys keys = area.RowKeys(row);
            if (keys.PrimaryKey != t.primaryKey.contains(c.name)
                || keys.ForeignKey != t.referencing.contains(c.name))
                problems << QStringLiteral("%1.%2 shows keys %3%4")
                                .arg(t.name, c.name)
                                .arg(keys.PrimaryKey)
                                .arg(keys.ForeignKey);
            const QString tip = area.RowToolTip(row);
            const QString first = tip.section(QLatin1Char('\n'), 0, 0);
            const TSchemaFieldInfo *field = info ? info->Field(c.name) : nullptr;
            const QString type = field ? field->Type : QStringLiteral("(none)");
            const bool typeAgrees
                = exactTypes ? type == c.type : type.startsWith(c.type, Qt::CaseInsensitive);
            if (!typeAgrees || first.endsWith(QStringLiteral("not null")) != c.notNull)
                problems << QStringLiteral("%1.%2: %3 for %4 %5")
                                .arg(t.name, c.name, first, c.type)
                                .arg(c.notNull ? "not null" : "nullable");
        }
    }
    return problems.join(QLatin1Char('\n'));
}

} // namespace

class tst_CatalogKeys : public CatalogFixture {
    Q_OBJECT
private slots:
    void sampleKeys_data();
    void sampleKeys();
    void secondSchemaAsDiagram();
    void mariaDbDatabaseAsDiagram();
    void randomSchemasShowTheCatalogue_data();
    void randomSchemasShowTheCatalogue();

private:
    void addMariaDbRows();
};

void tst_CatalogKeys::addMariaDbRows()
{
    const QString sample = mariaDbSample() + QLatin1Char('.');
    QTest::newRow("mariadb order details") << MariaDbConnection << ""
                                           << "order details"
                                           << "order_id,line_no"
                                           << "order details_ibfk_1:order_id>orders.id;"
                                              "order details_ibfk_2:product_id>products.id"
                                           << "";
    QTest::newRow("mariadb employees") << MariaDbConnection << ""
                                       << "employees"
                                       << "id"
                                       << "employees_ibfk_1:reports_to>employees.id"
                                       << "title,city,hire_date,reports_to";
    QTest::newRow("mariadb no keys of its own") << MariaDbConnection << ""
                                                << "CUSTOMER"
                                                << "id"
                                                << ""
                                                << "contact,city,country,phone,since";
    QTest::newRow("mariadb composite self-reference, a database named in another case")
        << WarehouseConnection << ""
        << "Bins"
        << "Aisle,Shelf"
        << "Bin in bin:Parent Aisle,Parent Shelf>Bins.Aisle,Shelf;"
           "Old bin:Old Code>catalogwarehouse.Bins.Code"
        << "Parent Aisle,Parent Shelf,Old Code";
    QTest::newRow("mariadb letter case tells tables apart")
        << WarehouseConnection << ""
        << "bins"
        << "bin no"
        << "bins in Bins:Aisle,Shelf>Bins.Aisle,Shelf"
        << "note";
    QTest::newRow("mariadb key order apart from the columns, another database's table")
        << WarehouseConnection << ""
        << "StockLevels"
        << "Bin Shelf,Bin Aisle,productId"
        << "Stock in bin:Bin Shelf,Bin Aisle>Bins.Shelf,Aisle;Stock of product:productId>" + sample
            + "products.id"
        << "";
    QTest::newRow("mariadb no primary key") << WarehouseConnection << ""
                                            << "Movements"
                                            << ""
                                            << "Moved from:From Aisle,From Shelf>Bins.Aisle,Shelf;"
                                               "Moved to:To Aisle,To Shelf>Bins.Aisle,Shelf;"
                                               "Movements_ibfk_1:product_id>"
            + sample + "products.id;Movements_ibfk_2:moved_by>" + sample + "employees.id"
                                            << "From Aisle,From Shelf,To Aisle,To Shelf,moved_by";
    QTest::newRow("mariadb quoted names") << WarehouseConnection << ""
                                          << "Pick `List`.v2"
                                          << "Pick No"
                                          << "Pick `List`.v2_ibfk_1:order_id>" + sample
            + "orders.id;Pick `List`.v2_ibfk_2:Next Pick>Pick `List`.v2.Pick No"
                                          << "Next Pick";
}

void tst_CatalogKeys::sampleKeys_data()
{
    QTest::addColumn<QString>("connection");
    QTest::addColumn<QString>("searchPath");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("primaryKey");
    QTest::addColumn<QString>("foreignKeys");
    QTest::addColumn<QString>("nullable"); // the fields that may be null
    QTest::newRow("sqlite order details") << SqliteConnection << ""
                                          << "order details"
                                          << "order_id,line_no"
                                          << ":order_id>orders.id;:product_id>products.id"
                                          << "";
    QTest::newRow("sqlite employees") << SqliteConnection << ""
                                      << "employees"
                                      << "id"
                                      << ":reports_to>employees.id"
                                      << "title,city,hire_date,reports_to";
    QTest::newRow("sqlite no keys of its own") << SqliteConnection << ""
                                               << "CUSTOMER"
                                               << "id"
                                               << ""
                                               << "contact,city,country,phone,since";
    if (m_mariaDb)
        addMariaDbRows();
    if (!m_postgres)
        return;
    QTest::newRow("pg order details") << PostgresConnection << "public"
                                      << "order details"
                                      << "order_id,line_no"
                                      << "order details_order_id_fkey:order_id>orders.id;"
                                         "order details_product_id_fkey:product_id>products.id"
                                      << "";
    QTest::newRow("pg composite self-reference")
        << PostgresConnection << "\"Warehouse\", public"
        << "Bins"
        << "Aisle,Shelf"
        << "Bin in bin:Parent Aisle,Parent Shelf>Bins.Aisle,Shelf"
        << "Parent Aisle,Parent Shelf";
    QTest::newRow("pg key order apart from the columns")
        << PostgresConnection << "\"Warehouse\", public"
        << "StockLevels"
        << "Bin Shelf,Bin Aisle,productId"
        << "Stock in bin:Bin Shelf,Bin Aisle>Bins.Shelf,Aisle;Stock of "
           "product:productId>products.id"
        << "";
    QTest::newRow("pg no primary key") << PostgresConnection << "\"Warehouse\", public"
                                       << "Movements"
                                       << ""
                                       << "Moved from:From Aisle,From Shelf>Bins.Aisle,Shelf;"
                                          "Moved to:To Aisle,To Shelf>Bins.Aisle,Shelf;"
                                          "Movements_moved_by_fkey:moved_by>employees.id;"
                                          "Movements_product_id_fkey:product_id>products.id"
                                       << "From Aisle,From Shelf,To Aisle,To Shelf,moved_by";
    QTest::newRow("pg letter case tells tables apart")
        << PostgresConnection << "\"Warehouse\", public"
        << "Orders"
        << "Pick No"
        << "Orders_order_id_fkey:order_id>orders.id;Orders_picked_by_fkey:picked_by>employees.id"
        << "picked_by";
    QTest::newRow("pg another schema's table, qualified")
        << PostgresConnection << "\"Warehouse\""
        << "StockLevels"
        << "Bin Shelf,Bin Aisle,productId"
        << "Stock in bin:Bin Shelf,Bin Aisle>Bins.Shelf,Aisle;"
           "Stock of product:productId>public.products.id"
        << "";
}

void tst_CatalogKeys::sampleKeys()
{
    QFETCH(QString, connection);
    QFETCH(QString, searchPath);
    QFETCH(QString, table);
    QFETCH(QString, primaryKey);
    QFETCH(QString, foreignKeys);
    QFETCH(QString, nullable);
    const QSqlDatabase db = QSqlDatabase::database(connection);
    if (!searchPath.isEmpty())
        exec(db, QStringLiteral("SET search_path TO ") + searchPath);
    TSchemaSqlDataEngine engine;
    engine.SetDatabase(db);
    QVector<TSchemaTableInfo> info;
    engine.FillTableInfo({ table, QStringLiteral("no such table") }, info);
    if (!searchPath.isEmpty())
        exec(db, QStringLiteral("SET search_path TO public"));
    QCOMPARE(info.size(), 1);
    QCOMPARE(info.first().Name.toLower(), table.toLower());
    if (connection == WarehouseConnection) // the tables differ in case only
        QCOMPARE(info.first().Name, table);
    QCOMPARE(info.first().PrimaryKey.join(','), primaryKey);
    QCOMPARE(keysText(info.first().ForeignKeys), foreignKeys);
    QStringList mayBeNull;
    for (const TSchemaFieldInfo &f : info.first().Fields) {
        if (f.Nullable)
            mayBeNull << f.Name;
        QVERIFY2(!f.Type.isEmpty(), qPrintable(f.Name));
    }
    QCOMPARE(mayBeNull.join(','), nullable);
}

void tst_CatalogKeys::secondSchemaAsDiagram()
{
    if (!m_postgres)
        QSKIP("no PostgreSQL server configured");
    const QSqlDatabase db = QSqlDatabase::database(PostgresConnection);
    exec(db, QStringLiteral("SET search_path TO \"Warehouse\", public"));
    DiduzaTest::FakeDialogService dialogs;
    TSchemaSqlDataEngine engine;
    engine.SetDatabase(db);
    TSchemaDesignArea area;
    area.SetDataEngine(&engine);
    area.SetShowKeys(true);
    area.AddDatabaseTables();
    QVector<Table> expected = postgresCatalog(db, QStringLiteral("Warehouse"));
    expected += postgresCatalog(db, QStringLiteral("public"));
    exec(db, QStringLiteral("SET search_path TO public"));
    QCOMPARE(area.GetItemCount(), 10);
    QCOMPARE(compare(area, expected, false), QString());
    // Both "Orders" and "orders", each with its own rows.
    QVERIFY(area.FindItem("Orders") != nullptr);
    QStringList names;
    for (int i = 0; i < area.GetItemCount(); ++i)
        names << area.GetItem(i)->GetCaption();
    QVERIFY(names.contains("Orders") && names.contains("orders"));
}

void tst_CatalogKeys::mariaDbDatabaseAsDiagram()
{
    if (!m_mariaDb)
        QSKIP(MariaDbHint);
    const QSqlDatabase db = QSqlDatabase::database(WarehouseConnection);
    DiduzaTest::FakeDialogService dialogs;
    TSchemaSqlDataEngine engine;
    engine.SetDatabase(db);
    TSchemaDesignArea area;
    area.SetDataEngine(&engine);
    area.SetShowKeys(true);
    area.AddDatabaseTables();
    QCOMPARE(area.GetItemCount(), 5);
    QCOMPARE(compare(area, mariaDbCatalog(db), true), QString());
    QStringList names;
    for (int i = 0; i < area.GetItemCount(); ++i)
        names << area.GetItem(i)->GetCaption();
    QVERIFY(names.contains("Bins") && names.contains("bins"));
    // The fields of a table that a database named in another case holds too: its own only.
    TStringList fields;
    engine.FillFieldList(QStringLiteral("Bins"), fields);
    QCOMPARE(fields.ToStringList(),
        QStringList({ "Aisle", "Shelf", "label", "Parent Aisle", "Parent Shelf", "Old Code" }));
}

void tst_CatalogKeys::randomSchemasShowTheCatalogue_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("schemas");
    QTest::newRow("sqlite") << int(Sqlite) << 40;
    if (m_postgres)
        QTest::newRow("postgres") << int(Postgres) << 25;
    if (m_mariaDb)
        QTest::newRow("mariadb") << int(MariaDb) << 20;
}

void tst_CatalogKeys::randomSchemasShowTheCatalogue()
{
    QFETCH(int, kind);
    QFETCH(int, schemas);
    const quint32 seed = qEnvironmentVariableIsSet("DIDUZA_CATALOG_SEED")
        ? quint32(qEnvironmentVariableIntValue("DIDUZA_CATALOG_SEED"))
        : QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    DiduzaTest::FakeDialogService dialogs;
    for (int s = 0; s < schemas; ++s) {
        const QString context = QStringLiteral("seed %1, schema %2").arg(seed).arg(s);
        QString connection;
        const QString schema = QStringLiteral("catalog_%1").arg(s);
        if (kind == Postgres) {
            connection = PostgresConnection;
            const QSqlDatabase db = QSqlDatabase::database(connection);
            exec(db, QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema));
            exec(db, QStringLiteral("CREATE SCHEMA %1").arg(schema));
            exec(db, QStringLiteral("SET search_path TO %1").arg(schema));
        } else if (kind == MariaDb) {
            connection = QStringLiteral("catalog-random");
            QVERIFY(openFreshMariaDb(connection, schema));
        } else {
            connection = QStringLiteral("catalog-random");
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(m_dir.filePath(QStringLiteral("random%1.sqlite").arg(s)));
            QVERIFY(db.open());
        }
        QSqlDatabase db = QSqlDatabase::database(connection);
        const Generated generated = randomSchema(random, QString(), Kind(kind));
        bool created = true;
        for (const QString &statement : generated.statements) {
            QSqlQuery q(db);
            if (!q.exec(statement)) {
                created = false;
                qWarning("%s: %s", qPrintable(statement), qPrintable(q.lastError().text()));
            }
        }
        QVERIFY2(created, qPrintable(context));
        {
            TSchemaSqlDataEngine engine;
            engine.SetDatabase(db);
            TSchemaDesignArea area;
            area.SetDataEngine(&engine);
            area.SetShowKeys(true);
            area.AddDatabaseTables();
            const QVector<Table> expected = kind == Postgres ? postgresCatalog(db, schema)
                : kind == MariaDb                            ? mariaDbCatalog(db)
                                                             : sqliteCatalog(db);
            QCOMPARE(int(expected.size()), generated.tables);
            const QString problems = compare(area, expected, kind != Postgres);
            QVERIFY2(problems.isEmpty(),
                qPrintable(context + QLatin1Char('\n') + problems + QLatin1Char('\n')
                    + generated.statements.join('\n')));
        }
        if (kind == Postgres) {
            exec(db, QStringLiteral("SET search_path TO public"));
            exec(db, QStringLiteral("DROP SCHEMA %1 CASCADE").arg(schema));
        } else {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(connection);
            if (kind == MariaDb)
                exec(QSqlDatabase::database(MariaDbConnection),
                    QStringLiteral("DROP DATABASE %1").arg(schema));
        }
    }
}

QTEST_MAIN(tst_CatalogKeys)
#include "tst_catalogkeys.moc"
