// Diagrams from a catalogue, without a database: an engine that answers from a fixed shop
// catalogue through its events. What the catalogue finds, the rows that show keys (glyphs, their
// sharpness, tool tips, and rows without the property unchanged), a whole database as a
// diagram (relations, undo, cancel, errors), related tables and their menu entry, and the query
// builder joining dropped tables by their keys.

#include "../common/TestSupport.h"
#include "DiagramTestSupport.h"
#include "diagram/items/TSchemaCheckListBox.h"
#include "diagram/items/TSchemaListBox.h"
#include "engines/SchemaCatalog.h"
#include "engines/TSchemaCustomDataEngine.h"
#include "platform/ColorConvert.h"
#include "platform/Exceptions.h"
#include "platform/TStringList.h"
#include "querybuilder/TSQLBuilderDialog.h"
#include "querybuilder/TfrmZkSQLBuilder.h"

#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QScopeGuard>
#include <QSet>
#include <QUndoStack>
#include <QtTest>

using namespace Diduza;
using DiduzaTest::relationName;

namespace {

TSchemaFieldInfo field(const char *name, bool nullable = true, const char *type = "integer")
{
    return TSchemaFieldInfo { QLatin1String(name), QLatin1String(type), nullable };
}

TSchemaForeignKey key(
    const char *name, const QStringList &fields, const char *table, const QStringList &referenced)
{
    return TSchemaForeignKey { QLatin1String(name), fields, QLatin1String(table), referenced };
}

// A shop: customers, employees who report to employees, orders, their lines (a composite
// primary key), products, shipments of lines (a composite foreign key, no primary key) and a
// table that nothing references.
QVector<TSchemaTableInfo> shop()
{
    return {
        { "customer",
            { field("id", false), field("name", false, "varchar(60)"),
                field("city", true, "varchar(40)") },
            { "id" }, {} },
        { "employees", { field("id", false), field("name"), field("reports_to") }, { "id" },
            { key("boss", { "reports_to" }, "employees", { "id" }) } },
        { "orders",
            { field("id", false), field("customer_id", false), field("employee_id"),
                field("amount", false, "numeric(12,2)") },
            { "id" },
            { key("orders_customer", { "customer_id" }, "customer", { "id" }),
                key("orders_employee", { "employee_id" }, "employees", { "id" }) } },
        { "lines",
            { field("order_id", false), field("line_no", false), field("product_id", false),
                field("quantity") },
            { "order_id", "line_no" },
            { key("line_order", { "order_id" }, "orders", { "id" }),
                key("line_product", { "product_id" }, "products", { "id" }) } },
        { "products", { field("id", false), field("name") }, { "id" }, {} },
        { "shipments", { field("sent"), field("order_no"), field("line") }, {},
            { key("shipped_line", { "order_no", "line" }, "lines", { "order_id", "line_no" }) } },
        { "loose", { field("a"), field("b") }, {}, {} },
    };
}

const QStringList ShopRelations = {
    "customer.id>orders.customer_id",
    "employees.id>employees.reports_to",
    "employees.id>orders.employee_id",
    "lines.line_no>shipments.line",
    "lines.order_id>shipments.order_no",
    "orders.id>lines.order_id",
    "products.id>lines.product_id",
};

// An engine that lists the shop's tables and answers their fields and catalogue, counting the
// catalogue requests.
class ShopEngine : public TSchemaCustomDataEngine {
public:
    ShopEngine()
        : m_tables(shop())
    {
        SetOnGetItemList([this](QObject *, TStringList &list) {
            for (const TSchemaTableInfo &t : std::as_const(m_tables))
                list.AddObject(t.Name, QVariant(t.Name.size()));
        });
        SetOnGetSubItemList([this](QObject *, TSchemaItem *item, TStringList &list) {
            const TSchemaCatalog catalog(m_tables);
            if (const TSchemaTableInfo *t = catalog.Table(item->GetCaption())) {
                for (const TSchemaFieldInfo &f : t->Fields)
                    list.Add(f.Name);
            }
        });
        SetOnGetTableInfo(
            [this](QObject *, const QStringList &names, QVector<TSchemaTableInfo> &list) {
                ++requests;
                asked << names;
                for (const TSchemaTableInfo &t : std::as_const(m_tables)) {
                    if (names.isEmpty()
                        || std::any_of(names.begin(), names.end(),
                            [&](const QString &n) { return SameTextIgnoringCase(n, t.Name); }))
                        list << t;
                }
            });
    }
    static bool SameTextIgnoringCase(const QString &a, const QString &b)
    {
        return a.compare(b, Qt::CaseInsensitive) == 0;
    }
    int requests = 0;
    QList<QStringList> asked;

private:
    QVector<TSchemaTableInfo> m_tables;
};

QStringList relationNames(const TSchemaDesignArea &area)
{
    QStringList names;
    for (int i = 0; i < area.GetRelationCount(); ++i)
        names << relationName(area.GetRelation(i));
    names.sort();
    return names;
}

QStringList captions(const TSchemaDesignArea &area)
{
    QStringList names;
    for (int i = 0; i < area.GetItemCount(); ++i)
        names << area.GetItem(i)->GetCaption();
    return names;
}

QString keysText(
    const TSchemaCatalog &catalog, const QString &op, const QString &a, const QString &b)
{
    auto links = [](const QVector<TSchemaKeyLink> &list) {
        QStringList out;
        for (const TSchemaKeyLink &l : list)
            out << QStringLiteral("%1.%2>%3.%4#%5")
                       .arg(l.ParentTable, l.ParentField, l.ChildTable, l.ChildField)
                       .arg(l.Position);
        return out.join(QLatin1Char(','));
    };
    if (op == QLatin1String("links"))
        return links(catalog.Links(a, b));
    if (op == QLatin1String("linksFrom"))
        return links(catalog.LinksFrom(a));
    if (op == QLatin1String("referencing"))
        return catalog.ReferencingTables(a).join(QLatin1Char(','));
    if (op == QLatin1String("reachable"))
        return catalog.Reachable(a).join(QLatin1Char(','));
    if (op == QLatin1String("table")) {
        const TSchemaTableInfo *t = catalog.Table(a);
        return t ? t->Name : QStringLiteral("-");
    }
    if (op == QLatin1String("keys"))
        return QStringLiteral("%1%2").arg(
            catalog.IsPrimaryKey(a, b) ? "P" : "-", catalog.IsForeignKey(a, b) ? "F" : "-");
    if (op == QLatin1String("describe"))
        return catalog.FieldDescription(a, b);
    return QStringLiteral("?");
}

// Whether any pixel of rect in image differs from the colour at its top-left corner.
bool painted(const QImage &image, const QRect &rect)
{
    const QRgb background = image.pixel(rect.topLeft());
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (image.pixel(x, y) != background)
                return true;
        }
    }
    return false;
}

} // namespace

class tst_CatalogDiagram : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void catalogLookups_data();
    void catalogLookups();

    void wholeDatabase_data();
    void wholeDatabase();
    void tablesAlreadyThereAreLinked();
    void wholeDatabaseIsOneUndoStep();
    void cancelLeavesNothing_data();
    void cancelLeavesNothing();
    void failingHandlerLeavesNothing();
    void handlerDeletingItemsMeanwhile();
    void relatedTables();
    void relatedTablesMenuEntry();
    void addedTablesAreScrolledTo_data();
    void addedTablesAreScrolledTo();

    void keyRows_data();
    void keyRows();
    void rowsWithoutThePropertyAreUnchanged();
    void glyphsAreSharpAtTwiceTheDensity();
    void keysAndBoxesVanishedInADarkPalette();

    void builderAddsRelatedAndAllTables();
    void builderJoinsByKeys_data();
    void builderJoinsByKeys();
    void importedTablesAreNotJoined_data();
    void importedTablesAreNotJoined();

private:
    std::unique_ptr<DiduzaTest::FakeDialogService> m_dialogs;
    std::unique_ptr<DiduzaTest::ExceptionRecorder> m_errors;
};

void tst_CatalogDiagram::init()
{
    m_dialogs = std::make_unique<DiduzaTest::FakeDialogService>();
    m_errors = std::make_unique<DiduzaTest::ExceptionRecorder>();
}

void tst_CatalogDiagram::cleanup()
{
    QVERIFY2(m_errors->messages.isEmpty(), qPrintable(m_errors->messages.join('\n')));
    m_errors.reset();
    m_dialogs.reset();
}

// ---------------------------------------------------------------------------------------------

void tst_CatalogDiagram::catalogLookups_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<QString>("expected");
    QTest::newRow("table ignoring case") << "table"
                                         << "ORDERS"
                                         << ""
                                         << "orders";
    QTest::newRow("unknown table") << "table"
                                   << "nope"
                                   << ""
                                   << "-";
    QTest::newRow("links of one key") << "links"
                                      << "customer"
                                      << "orders"
                                      << "customer.id>orders.customer_id#0";
    QTest::newRow("composite in key order")
        << "links"
        << "lines"
        << "shipments"
        << "lines.order_id>shipments.order_no#0,lines.line_no>shipments.line#1";
    QTest::newRow("no links the other way") << "links"
                                            << "orders"
                                            << "customer"
                                            << "";
    QTest::newRow("self reference") << "links"
                                    << "employees"
                                    << "employees"
                                    << "employees.id>employees.reports_to#0";
    QTest::newRow("links from") << "linksFrom"
                                << "lines"
                                << ""
                                << "orders.id>lines.order_id#0,products.id>lines.product_id#0";
    QTest::newRow("referencing, itself too") << "referencing"
                                             << "employees"
                                             << ""
                                             << "employees,orders";
    QTest::newRow("reachable breadth first")
        << "reachable"
        << "customer"
        << ""
        << "customer,orders,employees,lines,products,shipments";
    QTest::newRow("nothing reachable") << "reachable"
                                       << "loose"
                                       << ""
                                       << "loose";
    QTest::newRow("primary and foreign") << "keys"
                                         << "lines"
                                         << "order_id"
                                         << "PF";
    QTest::newRow("foreign only") << "keys"
                                  << "orders"
                                  << "customer_id"
                                  << "-F";
    QTest::newRow("field ignoring case") << "keys"
                                         << "Customer"
                                         << "ID"
                                         << "P-";
    QTest::newRow("neither") << "keys"
                             << "orders"
                             << "amount"
                             << "--";
    QTest::newRow("describe a key") << "describe"
                                    << "customer"
                                    << "id"
                                    << "integer, not null\nPrimary key";
    QTest::newRow("describe a composite")
        << "describe"
        << "lines"
        << "order_id"
        << "integer, not null\nPrimary key, field 1 of 2\nReferences orders.id (key line_order)";
    QTest::newRow("describe a composite reference")
        << "describe"
        << "shipments"
        << "line"
        << "integer, may be null\nReferences lines.line_no (key shipped_line of 2 fields: "
           "order_no, line)";
    QTest::newRow("describe unknown") << "describe"
                                      << "orders"
                                      << "nope"
                                      << "";
}

void tst_CatalogDiagram::catalogLookups()
{
    QFETCH(QString, op);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(QString, expected);
    const TSchemaCatalog catalog(shop());
    QCOMPARE(keysText(catalog, op, a, b), expected);
    // Merging a table of a known name replaces it; the others stay.
    TSchemaCatalog merged = catalog;
    merged.Merge({ { "loose", { field("z") }, {}, {} } });
    QCOMPARE(merged.Count(), catalog.Count());
    QCOMPARE(merged.Table("loose")->Fields.size(), 1);
    QCOMPARE(catalog.Table("loose")->Fields.size(), 2); // the copy shared until it changed
}

// ---------------------------------------------------------------------------------------------

void tst_CatalogDiagram::wholeDatabase_data()
{
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("relations");
    QTest::newRow("all") << QStringList()
                         << QStringList { "customer", "employees", "orders", "lines", "products",
                                "shipments", "loose" }
                         << ShopRelations;
    QTest::newRow("two, in the order asked")
        << QStringList { "orders", "customer" } << QStringList { "orders", "customer" }
        << QStringList { "customer.id>orders.customer_id" };
    QTest::newRow("names ignoring case, each once")
        << QStringList { "EMPLOYEES", "Employees", "nope" } << QStringList { "employees" }
        << QStringList { "employees.id>employees.reports_to" };
    QTest::newRow("unknown only") << QStringList { "nope" } << QStringList() << QStringList();
}

void tst_CatalogDiagram::wholeDatabase()
{
    QFETCH(QStringList, asked);
    QFETCH(QStringList, items);
    QFETCH(QStringList, relations);
    ShopEngine engine;
    TSchemaDesignArea area;
    area.resize(900, 700);
    area.SetDataEngine(&engine);
    area.SetShowKeys(true);
    const QVector<TSchemaItem *> added = area.AddDatabaseTables(asked, scCheckListBox);
    QCOMPARE(int(added.size()), int(items.size()));
    QCOMPARE(captions(area), items);
    QCOMPARE(relationNames(area), relations);
    QCOMPARE(engine.requests, items.isEmpty() ? 0 : 1); // one catalogue request for all

    const TSchemaCatalog catalog(shop());
    for (TSchemaItem *item : added) {
        QCOMPARE(item->SchemaControlType(), scCheckListBox);
        const TSchemaTableInfo *table = catalog.Table(item->GetCaption());
        QCOMPARE(item->GetSubItemCount(), int(table->Fields.size()));
        for (int r = 0; r < item->GetSubItemCount(); ++r) {
            TSchemaSubItem *row = item->GetSubItem(r);
            QCOMPARE(row->Caption(), table->Fields.at(r).Name);
            const TSchemaRowKeys keys = area.RowKeys(row);
            QCOMPARE(keys.PrimaryKey, catalog.IsPrimaryKey(table->Name, row->Caption()));
            QCOMPARE(keys.ForeignKey, catalog.IsForeignKey(table->Name, row->Caption()));
            bool linked = false;
            for (const TSchemaRelation *relation : area.RelationsOfItem(item)) {
                linked = linked
                    || (relation->ParentItem() == item && relation->ParentSubItem() == row)
                    || (relation->ChildItem() == item && relation->ChildSubItem() == row);
            }
            QCOMPARE(row->Linked(), linked);
        }
    }
    // Arranged: no two items overlap.
    for (int i = 0; i < area.GetItemCount(); ++i) {
        for (int j = i + 1; j < area.GetItemCount(); ++j)
            QVERIFY(!area.GetItem(i)->geometry().intersects(area.GetItem(j)->geometry()));
    }
}

void tst_CatalogDiagram::tablesAlreadyThereAreLinked()
{
    ShopEngine engine;
    TSchemaDesignArea area;
    area.SetDataEngine(&engine);
    TSchemaItem *customer = DiduzaTest::addTable(area, "customer", { "name", "id" }, 10, 10);
    const QVector<TSchemaItem *> added = area.AddDatabaseTables({ "orders", "customer" });
    QCOMPARE(int(added.size()), 1);
    QCOMPARE(captions(area), QStringList({ "customer", "orders" }));
    QCOMPARE(relationNames(area), QStringList { "customer.id>orders.customer_id" });
    QCOMPARE(area.GetRelation(0)->ParentItem(), customer);
    // The new item stands to the right of what was there, which kept its place.
    QCOMPARE(customer->pos(), QPoint(10, 10));
    QVERIFY(added.first()->x() > customer->x() + customer->width());
    // Asked again, nothing is added and nothing drawn twice.
    QVERIFY(area.AddDatabaseTables().size() == 5);
    QCOMPARE(relationNames(area), ShopRelations);
}

void tst_CatalogDiagram::wholeDatabaseIsOneUndoStep()
{
    ShopEngine engine;
    QStringList log; // outlives the area, whose items report their end
    TSchemaDesignArea area;
    area.SetDataEngine(&engine);
    area.SetShowKeys(true);
    DiduzaTest::logEvents(area, log);
    area.AddDatabaseTables();
    QCOMPARE(area.UndoStack()->count(), 1);
    QCOMPARE(log.filter("AddItem").size(), 7);
    QCOMPARE(log.filter("AddRelation").size(), 7);
    area.UndoStack()->undo();
    QCOMPARE(area.GetItemCount(), 0);
    QCOMPARE(area.GetRelationCount(), 0);
    area.UndoStack()->redo();
    QCOMPARE(area.GetItemCount(), 7);
    QCOMPARE(relationNames(area), ShopRelations);
    // The catalogue stays with the area: the restored rows show their keys again.
    TSchemaItem *lines = area.FindItem("lines");
    QVERIFY(area.RowKeys(lines->GetSubItem(0)).PrimaryKey);
    QVERIFY(area.RowKeys(lines->GetSubItem(0)).ForeignKey);
}

void tst_CatalogDiagram::cancelLeavesNothing_data()
{
    QTest::addColumn<int>("cancelAt");
    QTest::addColumn<bool>("insideStep");
    // Seven tables: values 1 to 7 while the items are added, 8 to 14 while they are linked.
    QTest::newRow("at the first table") << 1 << false;
    QTest::newRow("at the last table") << 7 << false;
    QTest::newRow("while linking") << 10 << false;
    QTest::newRow("inside the caller's step") << 9 << true;
}

void tst_CatalogDiagram::cancelLeavesNothing()
{
    QFETCH(int, cancelAt);
    QFETCH(bool, insideStep);
    ShopEngine engine;
    TSchemaDesignArea area;
    area.SetDataEngine(&engine);
    TSchemaItem *before = DiduzaTest::addTable(area, "notes", { "text" });
    area.UndoStack()->clear();
    int added = 0, deleted = 0, relationsAdded = 0, relationsDeleted = 0;
    area.SetOnAddItem([&](QObject *, TSchemaItem *) { ++added; });
    area.SetOnDeleteItem([&](QObject *, TSchemaItem *) { ++deleted; });
    area.SetOnAddRelation([&](QObject *, TSchemaRelation *) { ++relationsAdded; });
    area.SetOnDeleteRelation([&](QObject *, TSchemaRelation *) { ++relationsDeleted; });
    m_dialogs->cancelAt = cancelAt;
    if (insideStep)
        area.BeginUndoGroup("caller");
    QVERIFY(area.AddDatabaseTables().isEmpty());
    if (insideStep)
        area.EndUndoGroup();
    QCOMPARE(m_dialogs->progressCalls, 1);
    QCOMPARE(captions(area), QStringList { "notes" });
    QCOMPARE(area.GetItem(0), before);
    QCOMPARE(area.GetRelationCount(), 0);
    QVERIFY(added > 0);
    QCOMPARE(deleted, added);
    QCOMPARE(relationsDeleted, relationsAdded);
    QCOMPARE(relationsAdded > 0, cancelAt > 7);
    QVERIFY(!before->GetSubItem(0)->Linked());
    // Nothing to undo but what the caller's own step holds, which undoes to the same diagram.
    if (!insideStep)
        QCOMPARE(area.UndoStack()->count(), 0);
    while (area.UndoStack()->canUndo())
        area.UndoStack()->undo();
    QCOMPARE(captions(area), QStringList { "notes" });
}

void tst_CatalogDiagram::failingHandlerLeavesNothing()
{
    ShopEngine engine;
    TSchemaDesignArea area;
    area.SetDataEngine(&engine);
    int relations = 0;
    area.SetOnAddRelation([&](QObject *, TSchemaRelation *) {
        if (++relations == 3)
            throw Exception("refused");
    });
    QVERIFY_THROWS_EXCEPTION(Exception, area.AddDatabaseTables());
    QCOMPARE(area.GetItemCount(), 0);
    QCOMPARE(area.GetRelationCount(), 0);
    QCOMPARE(area.UndoStack()->count(), 0);
}

void tst_CatalogDiagram::handlerDeletingItemsMeanwhile()
{
    // A handler that takes tables away while their relations are being drawn: what stays is
    // consistent, every relation between two items still on the area.
    ShopEngine engine;
    TSchemaDesignArea area;
    area.SetDataEngine(&engine);
    area.SetOnAddRelation([&](QObject *, TSchemaRelation *) {
        for (const char *gone : { "products", "lines" }) {
            if (TSchemaItem *item = area.FindItem(QLatin1String(gone)))
                item->RemoveItem(nullptr);
        }
    });
    const QVector<TSchemaItem *> added = area.AddDatabaseTables();
    QCOMPARE(
        captions(area), QStringList({ "customer", "employees", "orders", "shipments", "loose" }));
    QCOMPARE(int(added.size()), 5);
    for (int i = 0; i < area.GetRelationCount(); ++i) {
        TSchemaRelation *r = area.GetRelation(i);
        QVERIFY(r->ParentItem() && r->ParentItem()->Parent() == &area);
        QVERIFY(r->ChildItem() && r->ChildItem()->Parent() == &area);
    }
    QCOMPARE(relationNames(area),
        QStringList({ "customer.id>orders.customer_id", "employees.id>employees.reports_to",
            "employees.id>orders.employee_id" }));
}

void tst_CatalogDiagram::relatedTables()
{
    ShopEngine engine;
    TSchemaDesignArea area;
    area.SetDataEngine(&engine);
    TSchemaItem *orders = area.AddDatabaseTables({ "orders" }, scCheckListBox).value(0);
    QVERIFY(orders);
    orders->move(15, 25);
    const QVector<TSchemaItem *> added = area.AddRelatedTables(orders);
    QStringList names;
    for (TSchemaItem *item : added) {
        names << item->GetCaption();
        QCOMPARE(item->SchemaControlType(), scCheckListBox);
        QVERIFY(item->x() > orders->x() + orders->width());
    }
    names.sort();
    QCOMPARE(names, QStringList({ "customer", "employees", "lines", "products", "shipments" }));
    QCOMPARE(orders->pos(), QPoint(15, 25));
    QCOMPARE(relationNames(area), ShopRelations);
    QCOMPARE(area.UndoStack()->count(), 2);
}

void tst_CatalogDiagram::relatedTablesMenuEntry()
{
    ShopEngine engine;
    TSchemaDesignArea area;
    area.SetDataEngine(&engine);
    area.resize(600, 400);
    area.show();
    TSchemaItem *customer = area.AddDatabaseTables({ "customer" }).value(0);
    QVERIFY(customer);
    auto entry = [&] {
        customer->ShowPopupMenu(QPoint(0, 0));
        customer->PopMenu()->hide();
        for (QAction *action : customer->PopMenu()->actions()) {
            if (action->objectName() == QLatin1String("actAddRelatedTables"))
                return action;
        }
        return static_cast<QAction *>(nullptr);
    };
    QVERIFY(!entry()); // opt-in
    QVERIFY(!area.RelatedTablesActionIfMade());
    QAction *made = area.RelatedTablesAction();
    QCOMPARE(entry(), made);
    made->trigger();
    QCOMPARE(area.GetItemCount(), 6); // all but the loose table
    QCOMPARE(relationNames(area), ShopRelations);
}

void tst_CatalogDiagram::addedTablesAreScrolledTo_data()
{
    QTest::addColumn<bool>("allTables");
    QTest::addColumn<int>("added");
    QTest::newRow("related tables") << false << 5;
    QTest::newRow("all tables") << true << 6;
}

// The menu commands add beside what is there, out of sight in a small area: the area scrolls
// to them.
void tst_CatalogDiagram::addedTablesAreScrolledTo()
{
    QFETCH(bool, allTables);
    QFETCH(int, added);
    ShopEngine engine;
    TSchemaDesignArea area;
    area.SetDataEngine(&engine);
    area.resize(260, 200);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    TSchemaItem *orders = area.AddDatabaseTables({ "orders" }, scCheckListBox).value(0);
    QVERIFY(orders);
    orders->move(15, 25);
    QAction *action = allTables ? area.AllTablesAction(scCheckListBox) : area.RelatedTablesAction();
    QCOMPARE(allTables ? area.AllTablesActionIfMade() : area.RelatedTablesActionIfMade(), action);
    orders->ShowPopupMenu(QPoint(0, 0));
    QVERIFY(orders->PopMenu()->actions().contains(action));
    orders->PopMenu()->hide();
    action->trigger();
    QVector<TSchemaItem *> fresh;
    QRect box;
    for (int i = 0; i < area.GetItemCount(); ++i) {
        if (area.GetItem(i) != orders) {
            fresh << area.GetItem(i);
            box |= area.GetItem(i)->geometry();
            QCOMPARE(area.GetItem(i)->SchemaControlType(), scCheckListBox);
        }
    }
    QCOMPARE(fresh.size(), added);
    const QRect view = area.viewport()->rect();
    QVERIFY(view.contains(box.topLeft()));
    QVERIFY(std::any_of(fresh.begin(), fresh.end(),
        [&](TSchemaItem *item) { return view.contains(item->geometry()); }));
    QCOMPARE(area.UndoStack()->count(), 2); // the first table, then the command
}

// ---------------------------------------------------------------------------------------------

void tst_CatalogDiagram::keyRows_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("row");
    QTest::addColumn<bool>("keyGlyph");
    QTest::addColumn<bool>("linkGlyph");
    QTest::addColumn<QString>("tip");
    QTest::newRow("primary key") << "lines"
                                 << "line_no" << true << false
                                 << "integer, not null\nPrimary key, field 2 of 2";
    QTest::newRow("primary and foreign") << "lines"
                                         << "order_id" << true << true
                                         << "integer, not null\nPrimary key, field 1 of 2\n"
                                            "References orders.id (key line_order)";
    QTest::newRow("foreign only") << "lines"
                                  << "product_id" << false << true
                                  << "integer, not null\nReferences products.id (key "
                                     "line_product)";
    QTest::newRow("neither") << "lines"
                             << "quantity" << false << false << "integer, may be null";
    QTest::newRow("self reference") << "employees"
                                    << "reports_to" << false << true
                                    << "integer, may be null\nReferences employees.id (key boss)";
}

void tst_CatalogDiagram::keyRows()
{
    QFETCH(QString, table);
    QFETCH(QString, row);
    QFETCH(bool, keyGlyph);
    QFETCH(bool, linkGlyph);
    QFETCH(QString, tip);
    ShopEngine engine;
    TSchemaDesignArea area;
    area.resize(800, 600);
    area.SetDataEngine(&engine);
    area.SetShowKeys(true);
    area.show();
    TSchemaItem *item = area.AddDatabaseTables({ table }).value(0);
    QVERIFY(item);
    TSchemaSubItem *sub = item->GetSubItemByName(row);
    QCOMPARE(area.RowKeys(sub).PrimaryKey, keyGlyph);
    QCOMPARE(area.RowKeys(sub).ForeignKey, linkGlyph);
    // The tool tip the list shows for the row.
    TSchemaListBox *list = item->ListBox();
    const int index = item->GetIndexBySubItem(sub);
    QCOMPARE(list->item(index)->data(Qt::ToolTipRole).toString(), tip);

    // The glyphs stand in their slots before the text: a slot for the primary key (the tables
    // here have one) and one for the foreign keys.
    QTest::qWait(1);
    const QImage image = list->viewport()->grab().toImage();
    const QRect rect = list->visualItemRect(list->item(index));
    const QRect keySlot(rect.left() + 1, rect.top() + 2, 12, 12);
    const QRect linkSlot(rect.left() + 14, rect.top() + 2, 12, 12);
    QCOMPARE(painted(image, keySlot), keyGlyph);
    QCOMPARE(painted(image, linkSlot), linkGlyph);

    // Off, no glyph and no tool tip of the catalogue.
    area.SetShowKeys(false);
    QCOMPARE(area.RowKeys(sub).PrimaryKey, false);
    QVERIFY(list->item(index)->data(Qt::ToolTipRole).toString().isEmpty());
}

void tst_CatalogDiagram::rowsWithoutThePropertyAreUnchanged()
{
    // The same table on an area that knows its catalogue but does not show keys, and on one
    // that knows nothing: equal sizes, equal pixels.
    TSchemaDesignArea known, plain;
    known.MergeCatalog(shop());
    for (TSchemaDesignArea *area : { &known, &plain }) {
        area->resize(500, 400);
        area->show();
    }
    const QStringList rows { "order_id", "line_no", "product_id", "quantity" };
    TSchemaItem *a = DiduzaTest::addTable(known, "lines", rows, 5, 5, scCheckListBox);
    TSchemaItem *b = DiduzaTest::addTable(plain, "lines", rows, 5, 5, scCheckListBox);
    a->GetSubItem(1)->SetChecked(true);
    b->GetSubItem(1)->SetChecked(true);
    QCOMPARE(a->size(), b->size());
    QTest::qWait(1);
    QCOMPARE(a->grab().toImage(), b->grab().toImage());

    // Shown, the keys widen the item by their two slots and a pixel.
    known.SetShowKeys(true);
    a->RecalculateWidth();
    QCOMPARE(a->width(), b->width() + 2 * 13 + 1);
}

void tst_CatalogDiagram::glyphsAreSharpAtTwiceTheDensity()
{
    TSchemaDesignArea area;
    area.MergeCatalog(shop());
    area.SetShowKeys(true);
    area.resize(400, 300);
    area.show();
    TSchemaItem *item
        = DiduzaTest::addTable(area, "lines", { "order_id", "quantity" }, 0, 0, scListBox);
    TSchemaListBox *list = item->ListBox();
    const QRect rect = list->visualItemRect(list->item(0));
    // Painted at twice the density, the glyphs are drawn from pictures of that density: a key
    // of 24 x 24 pixels in a few flat colours, with no blended pixels between them.
    QImage image(list->viewport()->size() * 2, QImage::Format_ARGB32);
    image.setDevicePixelRatio(2);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        list->viewport()->render(&painter);
    }
    const QRect keySlot(2 * (rect.left() + 1), 2 * (rect.top() + 2), 24, 24);
    QSet<QRgb> colours;
    int ink = 0;
    const QRgb background = image.pixel(keySlot.topLeft());
    for (int y = keySlot.top(); y <= keySlot.bottom(); ++y) {
        for (int x = keySlot.left(); x <= keySlot.right(); ++x) {
            colours.insert(image.pixel(x, y));
            ink += image.pixel(x, y) != background;
        }
    }
    QVERIFY2(colours.size() <= 4, qPrintable(QString::number(colours.size())));
    QVERIFY(ink > 100); // drawn at the full density, not a 12 x 12 picture scaled up
    // Distinct rows of device pixels: a picture scaled up from 12 pixels repeats each row.
    int distinctRows = 0;
    for (int y = keySlot.top() + 1; y <= keySlot.bottom(); ++y) {
        bool same = true;
        for (int x = keySlot.left(); x <= keySlot.right() && same; ++x)
            same = image.pixel(x, y) == image.pixel(x, y - 1);
        distinctRows += !same;
    }
    QVERIFY(distinctRows > 12);
}

// In a dark palette the box of an unticked row all but vanished, and the key glyph shrank to a
// yellow blob, its black outline lost on the background: both stand out from it (by 3, as
// parts of a control must).
void tst_CatalogDiagram::keysAndBoxesVanishedInADarkPalette()
{
    const QPalette light = QApplication::palette();
    const auto restore = qScopeGuard([&] { QApplication::setPalette(light); });
    QPalette dark(QColor(53, 53, 53), QColor(53, 53, 53));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    for (auto role : { QPalette::Text, QPalette::WindowText, QPalette::ButtonText })
        dark.setColor(role, QColor(230, 230, 230));
    QApplication::setPalette(dark);

    TSchemaDesignArea area;
    area.MergeCatalog(shop());
    area.SetShowKeys(true);
    area.resize(400, 300);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    TSchemaItem *item
        = DiduzaTest::addTable(area, "lines", { "order_id", "quantity" }, 0, 0, scCheckListBox);
    TSchemaListBox *list = item->ListBox();
    QCoreApplication::processEvents();
    const QImage image = list->viewport()->grab().toImage();
    const QRect row = list->visualItemRect(list->item(0));
    const QColor base = list->palette().color(QPalette::Base);
    QCOMPARE(image.pixelColor(row.topLeft() + QPoint(0, 1)), base);
    auto standingOut = [&](const QRect &rect, bool (*counts)(const QColor &)) {
        int n = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            for (int x = rect.left(); x <= rect.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                n += ContrastRatio(c, base) >= 3 && counts(c);
            }
        }
        return n;
    };
    // The unticked box: its frame, at least most of its four sides.
    const int w = CheckWidth();
    const QRect box(row.left() + 1, row.top() + (row.height() - w) / 2, w, w);
    const int frame = standingOut(box, [](const QColor &) { return true; });
    QVERIFY2(frame >= 3 * (w - 1), qPrintable(QString::number(frame)));
    // The key: its outline, not only its yellow.
    const QRect key(row.left() + w + 3, row.top() + (row.height() - 12) / 2, 12, 12);
    const int outline = standingOut(key, [](const QColor &c) { return c.saturation() < 60; });
    QVERIFY2(outline >= 12, qPrintable(QString::number(outline)));
}

// ---------------------------------------------------------------------------------------------

// The builder's table list adds a table with its related tables, the canvas's menu all tables:
// items of the builder's own kind, with its "*" row, joined by the keys.
void tst_CatalogDiagram::builderAddsRelatedAndAllTables()
{
    ShopEngine engine;
    engine.SetSQLSubType(stStandard);
    TfrmZkSQLBuilder form;
    form.SetDataEngine(&engine);
    TSchemaDesignArea *area = form.SchemaDesignArea;
    form.lbTables->setCurrentItem(form.lbTables->findItems("orders", Qt::MatchExactly).value(0));
    auto *menu = form.lbTables->findChild<QMenu *>("pmTables");
    QVERIFY(menu);
    QAction *related = menu->findChild<QAction *>("actAddTablesRelated");
    QVERIFY(related);
    related->trigger();
    QStringList shown = captions(*area);
    QCOMPARE(shown.takeFirst(), QStringLiteral("orders")); // the selected table first
    shown.sort();
    QCOMPARE(shown, QStringList({ "customer", "employees", "lines", "products", "shipments" }));
    QCOMPARE(relationNames(*area), ShopRelations);
    QCOMPARE(area->UndoStack()->count(), 1);
    // Again: orders is there already, nothing more comes.
    related->trigger();
    QCOMPARE(area->GetItemCount(), 6);

    QMenu *canvas = area->PopupMenu();
    QVERIFY(canvas);
    QVERIFY(canvas->actions().contains(area->AllTablesActionIfMade()));
    area->AllTablesActionIfMade()->trigger();
    QCOMPARE(area->GetItemCount(), 7);
    for (int i = 0; i < area->GetItemCount(); ++i) {
        TSchemaItem *item = area->GetItem(i);
        QCOMPARE(item->SchemaControlType(), scCheckListBox);
        QCOMPARE(item->GetSubItem(0)->Caption(), QStringLiteral("*"));
    }
    QVERIFY(form.GenerateSQL().contains(QStringLiteral("loose")));
}

void tst_CatalogDiagram::builderJoinsByKeys_data()
{
    QTest::addColumn<QStringList>("drops");
    QTest::addColumn<bool>("joinByKeys");
    // "table#n.field": the n-th item of that caption, from 1.
    QTest::addColumn<QStringList>("relations");
    QTest::newRow("orders beside customer") << QStringList { "customer", "orders" } << true
                                            << QStringList { "customer#1.id>orders#1.customer_id" };
    QTest::newRow("customer beside orders") << QStringList { "orders", "customer" } << true
                                            << QStringList { "customer#1.id>orders#1.customer_id" };
    QTest::newRow("off") << QStringList { "customer", "orders" } << false << QStringList();
    QTest::newRow("composite key") << QStringList { "shipments", "lines" } << true
                                   << QStringList { "lines#1.line_no>shipments#1.line",
                                          "lines#1.order_id>shipments#1.order_no" };
    QTest::newRow("a table alone is not linked to itself")
        << QStringList { "employees" } << true << QStringList();
    QTest::newRow("placed twice, joined once") << QStringList { "employees",
        "employees" } << true << QStringList { "employees#2.id>employees#1.reports_to" };
    QTest::newRow("placed three times")
        << QStringList { "employees", "employees", "employees" } << true
        << QStringList { "employees#2.id>employees#1.reports_to",
               "employees#3.id>employees#1.reports_to", "employees#3.id>employees#2.reports_to" };
    QTest::newRow("each instance there") << QStringList { "customer", "customer", "orders" } << true
                                         << QStringList { "customer#1.id>orders#1.customer_id",
                                                "customer#2.id>orders#1.customer_id" };
    QTest::newRow("both ways, three tables")
        << QStringList { "customer", "employees", "orders" } << true
        << QStringList { "customer#1.id>orders#1.customer_id",
               "employees#1.id>orders#1.employee_id" };
    QTest::newRow("unrelated") << QStringList { "loose", "customer" } << true << QStringList();
}

void tst_CatalogDiagram::builderJoinsByKeys()
{
    QFETCH(QStringList, drops);
    QFETCH(bool, joinByKeys);
    QFETCH(QStringList, relations);
    ShopEngine engine;
    engine.SetSQLSubType(stStandard);
    TfrmZkSQLBuilder form;
    form.SetDataEngine(&engine);
    form.SetJoinByKeys(joinByKeys);
    TSchemaDesignArea *area = form.SchemaDesignArea;
    for (int i = 0; i < drops.size(); ++i) {
        const QList<QListWidgetItem *> entries
            = form.lbTables->findItems(drops[i], Qt::MatchExactly);
        QCOMPARE(entries.size(), 1);
        form.lbTables->setCurrentItem(entries.first());
        if (i % 2)
            form.lbTablesDblClick(form.lbTables);
        else
            area->DragDrop(area, form.lbTables, 20 + 200 * i, 20);
    }
    QCOMPARE(area->GetItemCount(), drops.size());
    auto name = [&](TSchemaItem *item, TSchemaSubItem *row) {
        int n = 0;
        for (int i = 0; i <= area->GetItemIndex(item) && i < area->ControlCount(); ++i) {
            auto *other = qobject_cast<TSchemaItem *>(area->Controls(i));
            n += other && other->GetCaption() == item->GetCaption();
        }
        return QStringLiteral("%1#%2.%3").arg(item->GetCaption()).arg(n).arg(row->Caption());
    };
    QStringList drawn;
    for (int i = 0; i < area->GetRelationCount(); ++i) {
        TSchemaRelation *r = area->GetRelation(i);
        drawn << name(r->ParentItem(), r->ParentSubItem()) + QLatin1Char('>')
                + name(r->ChildItem(), r->ChildSubItem());
    }
    drawn.sort();
    QCOMPARE(drawn, relations);
    // Each drop read the catalogue once at most (only what the area did not know yet).
    QVERIFY(engine.requests <= drops.size());
    if (!joinByKeys)
        QCOMPARE(engine.requests, 0);

    // Dropped again elsewhere, the same rows are not joined twice by the keys.
    if (!relations.isEmpty()) {
        TSchemaItem *last = area->GetItem(area->GetItemCount() - 1);
        QVERIFY(area->LinkByKeys(last).isEmpty());
        // The statement is the usual join.
        const QString sql = form.GenerateSQL();
        TSchemaRelation *first = area->GetRelation(0);
        QVERIFY2(sql.contains(QStringLiteral("INNER JOIN")), qPrintable(sql));
        QVERIFY2(sql.contains(first->ParentSubItem()->Caption() + QStringLiteral(" = ")),
            qPrintable(sql));
    }
}

void tst_CatalogDiagram::importedTablesAreNotJoined_data()
{
    QTest::addColumn<bool>("fullImport");
    QTest::newRow("field import") << false;
    QTest::newRow("full import") << true;
}

void tst_CatalogDiagram::importedTablesAreNotJoined()
{
    QFETCH(bool, fullImport);
    ShopEngine engine;
    engine.SetSQLSubType(stStandard);
    TSQLBuilderDialog dialog;
    dialog.SetDataEngine(&engine);
    dialog.SetJoinByKeys(true);
    dialog.SetShowKeys(true);
    dialog.SetFullImport(fullImport);
    dialog.SetSQL("SELECT customer.name, orders.amount\r\nFROM customer, orders\r\n");
    QStringList seen;
    int relations = -1;
    bool keysShown = false;
    m_dialogs->modal = [&](QDialog &) {
        TSchemaDesignArea *area = dialog.SchemaDesignArea();
        seen = captions(*area);
        relations = area->GetRelationCount();
        TSchemaItem *customer = area->FindItem("customer");
        keysShown = customer && area->RowKeys(customer->GetSubItemByName("id")).PrimaryKey;
        return int(QDialog::Rejected);
    };
    dialog.Execute();
    QCOMPARE(seen, QStringList({ "customer", "orders" }));
    // An added join condition would change the statement's meaning.
    QCOMPARE(relations, 0);
    QVERIFY(keysShown);
    QCOMPARE(engine.requests, 1);
}

QTEST_MAIN(tst_CatalogDiagram)
#include "tst_catalogdiagram.moc"
