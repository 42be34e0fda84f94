#include "diagram/TSchemaItem.h"
#include "engines/SqlDialect.h"
#include "engines/TSchemaBDEDataEngine.h"
#include "engines/TSchemaCustomDataEngine.h"
#include "engines/TSchemaDataEngine.h"
#include "platform/Exceptions.h"

#include <QPointer>
#include <QStandardItemModel>
#include <QtTest>

#include <memory>

using namespace Diduza;

namespace {

enum EngineClass { BaseEngine, CustomEngine, BDEEngine };

std::unique_ptr<TSchemaDataEngine> makeEngine(int kind, QObject *owner = nullptr)
{
    switch (EngineClass(kind)) {
    case CustomEngine:
        return std::make_unique<TSchemaCustomDataEngine>(owner);
    case BDEEngine:
        return std::make_unique<TSchemaBDEDataEngine>(owner);
    case BaseEngine:
        break;
    }
    return std::make_unique<TSchemaDataEngine>(owner);
}

void addEngineClassRows()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("TSchemaDataEngine") << int(BaseEngine);
    QTest::newRow("TSchemaCustomDataEngine") << int(CustomEngine);
    QTest::newRow("TSchemaBDEDataEngine") << int(BDEEngine);
}

// An error type of the application's own, to see that it arrives unchanged.
struct HandlerError {
    int code;
};

const QString JoinClauseTemplate = QStringLiteral("%[SELECT %[#distinct#]% #fields#]% \r\n"
                                                  "%[FROM #tables#]% \r\n"
                                                  "   %[#innerjoins#]% \r\n"
                                                  "   %[#leftouterjoins#]% \r\n"
                                                  "   %[#rightouterjoins#]% \r\n"
                                                  "   %[#fulljoins#]% \r\n"
                                                  "%[WHERE #wherefilter#]% \r\n"
                                                  "%[GROUP BY #groups#]% \r\n"
                                                  "%[HAVING #havingfilter#]% \r\n"
                                                  "%[ORDER BY #orders#]%");

const QString WhereClauseTemplate = QStringLiteral("%[SELECT %[#distinct#]% #fields#]% \r\n"
                                                   "%[FROM #tables#]% \r\n"
                                                   "%[WHERE #wherefilter#]% \r\n"
                                                   "   %[AND #innerjoins#]% \r\n"
                                                   "   %[AND #leftouterjoins#]% \r\n"
                                                   "   %[AND #rightouterjoins#]% \r\n"
                                                   "   %[AND #fulljoins#]% \r\n"
                                                   "%[GROUP BY #groups#]% \r\n"
                                                   "%[HAVING #havingfilter#]% \r\n"
                                                   "%[ORDER BY #orders#]%");

} // namespace

class tst_DataEngines : public QObject {
    Q_OBJECT
private slots:
    void defaults_data();
    void defaults();
    void bdeSettings();
    void unsetEvents_data();
    void unsetEvents();
    void eventsFillLists_data();
    void eventsFillLists();
    void execReturnsHandlersModel_data();
    void execReturnsHandlersModel();
    void handlerExceptionsPassThrough_data();
    void handlerExceptionsPassThrough();
    void handlerMayReplaceItself();

    void sqlTemplate_data();
    void sqlTemplate();
    void operatorText_data();
    void operatorText();
    void joinScript_data();
    void joinScript();
    void joinSeparator_data();
    void joinSeparator();
};

void tst_DataEngines::defaults_data()
{
    addEngineClassRows();
}

void tst_DataEngines::defaults()
{
    QFETCH(int, kind);
    auto engine = makeEngine(kind);
    QCOMPARE(engine->SQLSubType(), stStandard);
    QVERIFY(!engine->OnGetItemList());
    QVERIFY(!engine->OnGetSubItemList());
    QVERIFY(!engine->OnExecSQL());
    QCOMPARE(engine->GetSQLTemplate(), JoinClauseTemplate);

    // The dialect is a property the designer and streaming reach by name.
    QVERIFY(engine->setProperty("SQLSubType", QVariant::fromValue(stOracle)));
    QCOMPARE(engine->SQLSubType(), stOracle);
    QCOMPARE(engine->property("SQLSubType").value<TSQLSubType>(), stOracle);
}

void tst_DataEngines::bdeSettings()
{
    TSchemaBDEDataEngine engine;
    QCOMPARE(engine.Pattern(), QStringLiteral("*.*"));
    QCOMPARE(engine.DatabaseName(), QString());
    QCOMPARE(engine.ShowSystemTables(), false);

    // The handlers read the settings, set as the designer sets them, from the Sender.
    QVERIFY(engine.setProperty("DatabaseName", QStringLiteral("DBDEMOS")));
    QVERIFY(engine.setProperty("Pattern", QStringLiteral("*.db")));
    QVERIFY(engine.setProperty("ShowSystemTables", true));
    engine.SetOnGetItemList([](QObject *sender, TStringList &list) {
        auto *bde = qobject_cast<TSchemaBDEDataEngine *>(sender);
        QVERIFY(bde);
        list.Add(bde->DatabaseName() + QLatin1Char(':') + bde->Pattern());
        if (bde->ShowSystemTables())
            list.Add(QStringLiteral("system"));
    });
    TStringList list;
    engine.FillItemList(list);
    QCOMPARE(list.ToStringList(), (QStringList { "DBDEMOS:*.db", "system" }));
}

void tst_DataEngines::unsetEvents_data()
{
    addEngineClassRows();
}

void tst_DataEngines::unsetEvents()
{
    QFETCH(int, kind);
    auto engine = makeEngine(kind);

    TStringList list;
    list.Add(QStringLiteral("stale"));
    list.Add(QStringLiteral("entries"));
    engine->FillItemList(list);
    QCOMPARE(list.Count(), 0);

    list.Add(QStringLiteral("stale"));
    engine->FillSubItemList(nullptr, list);
    QCOMPARE(list.Count(), 0);

    QCOMPARE(engine->ExecSQL(QStringLiteral("SELECT * FROM customer")), nullptr);
}

void tst_DataEngines::eventsFillLists_data()
{
    addEngineClassRows();
}

void tst_DataEngines::eventsFillLists()
{
    QFETCH(int, kind);
    auto engine = makeEngine(kind);
    QObject payload;

    int itemCalls = 0;
    engine->SetOnGetItemList([&](QObject *sender, TStringList &list) {
        ++itemCalls;
        QCOMPARE(sender, engine.get());
        QCOMPARE(list.Count(), 0); // cleared before the handler runs
        list.Add(QStringLiteral("customer"));
        list.AddObject(QStringLiteral("orders"), QVariant::fromValue<QObject *>(&payload));
    });
    int subItemCalls = 0;
    TSchemaItem *seenItem = nullptr;
    engine->SetOnGetSubItemList([&](QObject *sender, TSchemaItem *item, TStringList &list) {
        ++subItemCalls;
        QCOMPARE(sender, engine.get());
        QCOMPARE(list.Count(), 0);
        seenItem = item;
        list.AddObject(item->GetCaption() + QStringLiteral(".id"), 42);
        list.Add(QStringLiteral("name"));
    });

    TStringList list;
    list.Add(QStringLiteral("stale"));
    engine->FillItemList(list);
    QCOMPARE(itemCalls, 1);
    QCOMPARE(list.ToStringList(), (QStringList { "customer", "orders" }));
    QCOMPARE(list.ObjectPtr(1), &payload);

    TSchemaItem item(nullptr);
    item.SetCaption(QStringLiteral("customer"));
    list.Add(QStringLiteral("stale"));
    engine->FillSubItemList(&item, list);
    QCOMPARE(subItemCalls, 1);
    QCOMPARE(seenItem, &item);
    QCOMPARE(list.ToStringList(), (QStringList { "customer.id", "name" }));
    QCOMPARE(list.Objects(0).toInt(), 42);
}

void tst_DataEngines::execReturnsHandlersModel_data()
{
    addEngineClassRows();
}

void tst_DataEngines::execReturnsHandlersModel()
{
    QFETCH(int, kind);
    auto engine = makeEngine(kind);
    auto model = std::make_unique<QStandardItemModel>(3, 2);
    QPointer<QStandardItemModel> watch = model.get();
    QString seenSql;
    engine->SetOnExecSQL([&](QObject *sender, const QString &sql) -> QAbstractItemModel * {
        [&] { QCOMPARE(sender, engine.get()); }();
        seenSql = sql;
        return model.get();
    });
    QCOMPARE(engine->ExecSQL(QStringLiteral("SELECT 1")), model.get());
    QCOMPARE(seenSql, QStringLiteral("SELECT 1"));

    // A handler may answer with no data set.
    engine->SetOnExecSQL([](QObject *, const QString &) { return nullptr; });
    QCOMPARE(engine->ExecSQL(QStringLiteral("SELECT 1")), nullptr);

    // The data set belongs to the handler's side: the engine never frees it.
    engine.reset();
    QVERIFY(!watch.isNull());
}

void tst_DataEngines::handlerExceptionsPassThrough_data()
{
    addEngineClassRows();
}

void tst_DataEngines::handlerExceptionsPassThrough()
{
    QFETCH(int, kind);
    auto engine = makeEngine(kind);
    engine->SetOnGetItemList([](QObject *, TStringList &) { throw HandlerError { 1 }; });
    engine->SetOnGetSubItemList(
        [](QObject *, TSchemaItem *, TStringList &) { throw Exception(QStringLiteral("gone")); });
    engine->SetOnExecSQL(
        [](QObject *, const QString &) -> QAbstractItemModel * { throw HandlerError { 3 }; });

    TStringList list;
    try {
        engine->FillItemList(list);
        QFAIL("FillItemList swallowed the handler's exception");
    } catch (const HandlerError &e) {
        QCOMPARE(e.code, 1);
    }
    try {
        engine->FillSubItemList(nullptr, list);
        QFAIL("FillSubItemList swallowed the handler's exception");
    } catch (const Exception &e) {
        QCOMPARE(e.Message(), QStringLiteral("gone"));
    }
    try {
        engine->ExecSQL(QStringLiteral("SELECT 1"));
        QFAIL("ExecSQL swallowed the handler's exception");
    } catch (const HandlerError &e) {
        QCOMPARE(e.code, 3);
    }
}

void tst_DataEngines::handlerMayReplaceItself()
{
    // The handler's captured state must outlive its own replacement during the call.
    TSchemaCustomDataEngine engine;
    auto tables = std::make_shared<QStringList>(QStringList { "customer", "orders" });
    engine.SetOnGetItemList([&engine, tables](QObject *, TStringList &list) {
        engine.SetOnGetItemList([](QObject *, TStringList &l) { l.Add(QStringLiteral("next")); });
        for (const QString &t : *tables)
            list.Add(t);
    });
    TStringList list;
    engine.FillItemList(list);
    QCOMPARE(list.ToStringList(), (QStringList { "customer", "orders" }));
    engine.FillItemList(list);
    QCOMPARE(list.ToStringList(), QStringList { "next" });
}

void tst_DataEngines::sqlTemplate_data()
{
    QTest::addColumn<int>("subType");
    QTest::addColumn<QString>("expected");
    QTest::newRow("stStandard") << int(stStandard) << JoinClauseTemplate;
    QTest::newRow("stLocal") << int(stLocal) << WhereClauseTemplate;
    QTest::newRow("stOracle") << int(stOracle) << WhereClauseTemplate;
    QTest::newRow("stMSSQL") << int(stMSSQL) << WhereClauseTemplate;
    QTest::newRow("stAnsi: joins in FROM")
        << int(stAnsi)
        << QStringLiteral("%[SELECT %[#distinct#]% #fields#]% \r\n%[FROM #tables#]% \r\n"
                          "%[WHERE #wherefilter#]% \r\n%[GROUP BY #groups#]% \r\n"
                          "%[HAVING #havingfilter#]% \r\n%[ORDER BY #orders#]%");
}

void tst_DataEngines::sqlTemplate()
{
    QFETCH(int, subType);
    QFETCH(QString, expected);
    QCOMPARE(SQLTemplate(TSQLSubType(subType)), expected);

    // The engine follows a change of dialect at the next request.
    TSchemaCustomDataEngine engine;
    engine.SetSQLSubType(TSQLSubType(subType));
    QCOMPARE(engine.GetSQLTemplate(), expected);
}

void tst_DataEngines::operatorText_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<QString>("expected");
    QTest::newRow("roEqual") << int(roEqual) << "=";
    QTest::newRow("roLess") << int(roLess) << "<";
    QTest::newRow("roGreater") << int(roGreater) << ">";
    QTest::newRow("roLessThan") << int(roLessThan) << "<=";
    QTest::newRow("roGreaterThan") << int(roGreaterThan) << ">=";
    QTest::newRow("roNonEqual") << int(roNonEqual) << "<>";
    QTest::newRow("value outside the enumeration") << 6 << "";
}

void tst_DataEngines::operatorText()
{
    QFETCH(int, op);
    QFETCH(QString, expected);
    QCOMPARE(JoinOperatorText(TSDRelationOperator(op)), expected);
}

void tst_DataEngines::joinScript_data()
{
    QTest::addColumn<int>("subType");
    QTest::addColumn<int>("join");
    QTest::addColumn<int>("op");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("child");
    QTest::addColumn<QString>("expected");

    const QString p = QStringLiteral("customer.id");
    const QString c = QStringLiteral("orders.customer_id");
    struct Row {
        const char *name;
        TSQLSubType subType;
        TSDRelationJoin join;
        const char *expected;
    };
    const Row rows[] = {
        { "stStandard, rjInner", stStandard, rjInner,
            "INNER JOIN (customer.id = orders.customer_id)" },
        { "stStandard, rjLeftOuter", stStandard, rjLeftOuter,
            "LEFT OUTER JOIN (customer.id = orders.customer_id)" },
        { "stStandard, rjRightOuter", stStandard, rjRightOuter,
            "RIGHT OUTER JOIN (customer.id = orders.customer_id)" },
        { "stStandard, rjFull", stStandard, rjFull,
            "FULL JOIN (customer.id = orders.customer_id)" },
        { "stLocal, rjInner", stLocal, rjInner, "(customer.id = orders.customer_id)" },
        { "stLocal, rjLeftOuter", stLocal, rjLeftOuter, "(customer.id = orders.customer_id)" },
        { "stLocal, rjRightOuter", stLocal, rjRightOuter, "(customer.id = orders.customer_id)" },
        { "stLocal, rjFull", stLocal, rjFull, "(customer.id = orders.customer_id)" },
        { "stOracle, rjInner", stOracle, rjInner, "(customer.id = orders.customer_id)" },
        // The mark stands on the side that may be missing, as MSSQL's star keeps the other.
        { "stOracle, rjLeftOuter", stOracle, rjLeftOuter, "(customer.id = orders.customer_id (+))" },
        { "stOracle, rjRightOuter", stOracle, rjRightOuter,
            "(customer.id (+)= orders.customer_id)" },
        { "stOracle, rjFull", stOracle, rjFull, "(customer.id (+)= orders.customer_id (+))" },
        { "stMSSQL, rjInner", stMSSQL, rjInner, "(customer.id = orders.customer_id)" },
        { "stMSSQL, rjLeftOuter", stMSSQL, rjLeftOuter, "(customer.id *= orders.customer_id)" },
        { "stMSSQL, rjRightOuter", stMSSQL, rjRightOuter, "(customer.id =* orders.customer_id)" },
        { "stMSSQL, rjFull", stMSSQL, rjFull, "(customer.id *=* orders.customer_id)" },
        { "stAnsi, rjLeftOuter: the ON condition", stAnsi, rjLeftOuter,
            "(customer.id = orders.customer_id)" },
    };
    for (const Row &row : rows)
        QTest::newRow(row.name) << int(row.subType) << int(row.join) << int(roEqual) << p << c
                                << QString::fromLatin1(row.expected);

    // The operator stands between the outer-join marks exactly as "=" does.
    const QString op = QStringLiteral("Orders.CustNo");
    const QString oc = QStringLiteral("Customer.CustNo");
    QTest::newRow("stOracle left outer, <=") << int(stOracle) << int(rjLeftOuter) << int(roLessThan)
                                             << op << oc << "(Orders.CustNo <= Customer.CustNo (+))";
    QTest::newRow("stMSSQL left outer, <=") << int(stMSSQL) << int(rjLeftOuter) << int(roLessThan)
                                            << op << oc << "(Orders.CustNo *<= Customer.CustNo)";
    QTest::newRow("stStandard full, <=") << int(stStandard) << int(rjFull) << int(roLessThan) << op
                                         << oc << "FULL JOIN (Orders.CustNo <= Customer.CustNo)";
    QTest::newRow("stMSSQL full, <>") << int(stMSSQL) << int(rjFull) << int(roNonEqual) << op << oc
                                      << "(Orders.CustNo *<>* Customer.CustNo)";
    QTest::newRow("stOracle right outer, >=")
        << int(stOracle) << int(rjRightOuter) << int(roGreaterThan) << op << oc
        << "(Orders.CustNo (+)>= Customer.CustNo)";
    QTest::newRow("quoted names pass verbatim")
        << int(stLocal) << int(rjInner) << int(roGreater) << "\"order details\".\"unit price\""
        << "products.\"unit price\""
        << "(\"order details\".\"unit price\" > products.\"unit price\")";
}

void tst_DataEngines::joinScript()
{
    QFETCH(int, subType);
    QFETCH(int, join);
    QFETCH(int, op);
    QFETCH(QString, parent);
    QFETCH(QString, child);
    QFETCH(QString, expected);
    QCOMPARE(JoinScript(TSQLSubType(subType), parent, child, TSDRelationOperator(op),
                 TSDRelationJoin(join)),
        expected);

    TSchemaBDEDataEngine engine;
    engine.SetSQLSubType(TSQLSubType(subType));
    QCOMPARE(engine.GetJoinScript(parent, child, TSDRelationOperator(op), TSDRelationJoin(join)),
        expected);
}

void tst_DataEngines::joinSeparator_data()
{
    QTest::addColumn<int>("subType");
    QTest::addColumn<int>("join");
    QTest::addColumn<QString>("expected");
    const char *const subTypes[] = { "stStandard", "stLocal", "stOracle", "stMSSQL" };
    const char *const joins[] = { "rjInner", "rjLeftOuter", "rjRightOuter", "rjFull" };
    for (int s = 0; s < 4; ++s) {
        for (int j = 0; j < 4; ++j) {
            QTest::addRow("%s, %s", subTypes[s], joins[j])
                << s << j << (s == stStandard ? QStringLiteral(" ") : QStringLiteral(" AND "));
        }
    }
}

void tst_DataEngines::joinSeparator()
{
    QFETCH(int, subType);
    QFETCH(int, join);
    QFETCH(QString, expected);
    QCOMPARE(JoinSeparator(TSQLSubType(subType), TSDRelationJoin(join)), expected);
    TSchemaDataEngine engine;
    engine.SetSQLSubType(TSQLSubType(subType));
    QCOMPARE(engine.GetJoinSeparator(TSDRelationJoin(join)), expected);
}

QTEST_MAIN(tst_DataEngines)
#include "tst_dataengines.moc"
