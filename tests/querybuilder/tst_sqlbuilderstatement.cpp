// The statement the query builder writes: the worked example, column order, shared captions
// and copies of a table, the name events, references, and rows that have gone.
#include "../common/WorkedExample.h"
#include "SqlBuilderFixture.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/TSchemaCheckListBox.h"
#include "engines/TSchemaCustomDataEngine.h"
#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/DialogService.h"
#include "platform/FontConvert.h"
#include "querybuilder/TfrmZkSQLBuilder.h"
#include "relations/TSchemaRelation.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QSplitter>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QtTest>

#include <memory>

using namespace Diduza;
using namespace SqlBuilderTest;
namespace Example = DiduzaTest::WorkedExample;

class tst_SqlBuilderStatement : public SqlBuilderFixture {
    Q_OBJECT
private slots:
    void generation_data();
    void generation();
    void columnOrder_data();
    void columnOrder();
    void sharedCaptions();
    void copiesOfATableLookedTheSame();
    void nameEvents();
    void references();
    void vanishedRows();
};

void tst_SqlBuilderStatement::generation_data()
{
    QTest::addColumn<int>("dialect"); // -1: no engine
    QTest::addColumn<QString>("expected");
    QTest::newRow("stStandard") << int(stStandard) << Example::JoinClause;
    QTest::newRow("no engine: joins as stStandard writes them") << -1 << Example::JoinClause;
    QTest::newRow("stLocal") << int(stLocal) << Example::WhereClause;
}

// The worked example, built as the user builds it.
void tst_SqlBuilderStatement::generation()
{
    QFETCH(int, dialect);
    QFETCH(QString, expected);
    Builder &form = *m_form;
    const QString error = Example::BuildOnForm(form);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    if (dialect < 0)
        form.SetDataEngine(nullptr);
    else
        m_engine->SetSQLSubType(TSQLSubType(dialect));
    QCOMPARE(form.GenerateSQL(), expected);

    form.cbDistinct->setChecked(true);
    QVERIFY(
        form.GenerateSQL().startsWith("SELECT DISTINCT customer.name, SUM(orders.amount) \r\n"));
}

void tst_SqlBuilderStatement::columnOrder_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("header section moved") << "header";
    QTest::newRow("dragged by its fixed cell") << "mouse";
}

void tst_SqlBuilderStatement::columnOrder()
{
    QFETCH(QString, how);
    Builder &form = *m_form;
    addTables();
    showForm();
    TStringGrid *grid = form.sgColumnGrid;
    for (const char *path : { "customer.name", "customer.city", "orders.amount" })
        rowOf(form, path)->SetChecked(true);
    grid->SetCells(3, 3, "Descending");
    QCOMPARE(form.GenerateSQL(),
        QStringLiteral("SELECT  customer.name, customer.city, orders.amount \r\n"
                       "FROM customer, orders \r\nORDER BY amount DESC\r\n"));

    if (how == QLatin1String("header")) {
        grid->horizontalHeader()->moveSection(3, 1);
    } else {
        auto at
            = [grid](int col) { return grid->CellRect(col, 0).center() - grid->viewport()->pos(); };
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, at(3));
        QMouseEvent move(QEvent::MouseMove, QPointF(at(2)),
            grid->viewport()->mapToGlobal(QPointF(at(2))), Qt::NoButton, Qt::LeftButton,
            Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &move);
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, at(1));
    }
    QCOMPARE(gridColumns(form), QStringList({ "orders.amount", "customer.name", "customer.city" }));
    QCOMPARE(grid->Cells(1, 3), QStringLiteral("Descending"));
    QCOMPARE(form.GenerateSQL(),
        QStringLiteral("SELECT  orders.amount, customer.name, customer.city \r\n"
                       "FROM customer, orders \r\nORDER BY amount DESC\r\n"));

    // Column 1 of the rules is the one the user sees first.
    rowOf(form, "customer.name")->SetChecked(false);
    rowOf(form, "customer.city")->SetChecked(false);
    rowOf(form, "orders.amount")->SetChecked(false);
    QCOMPARE(gridColumns(form), QStringList { "" });
    rowOf(form, "orders.id")->SetChecked(true);
    QCOMPARE(gridColumns(form), QStringList { "orders.id" });

    // The title column stays in front.
    grid->horizontalHeader()->moveSection(1, 0);
    QCOMPARE(grid->Cells(0, 1), QStringLiteral("Table"));
    grid->horizontalHeader()->moveSection(0, 1);
    QCOMPARE(grid->Cells(0, 1), QStringLiteral("Table"));
}

void tst_SqlBuilderStatement::sharedCaptions()
{
    Builder &form = *m_form;
    TSchemaItem *first = addTable(form, "customer");
    TSchemaItem *second = addTable(form, "customer");
    TSchemaItem *orders = addTable(form, "orders");
    TSchemaDesignArea *area = form.SchemaDesignArea;
    QCOMPARE(area->GetItemIndex(first), 0);
    QCOMPARE(form.GetTableName(first, false), QStringLiteral("customer customer0"));
    QCOMPARE(form.GetTableName(first, true), QStringLiteral("customer0"));
    QCOMPARE(form.GetTableName(second, true), QStringLiteral("customer1"));
    QCOMPARE(form.GetTableName(orders, false), QStringLiteral("orders"));
    QCOMPARE(form.GetTableName(nullptr, false), QString());

    // A relation stands before the items in the area's list: the aliases follow the indexes.
    area->AddRelation(first, second, rowOf(first, "id"), rowOf(second, "id"));
    rowOf(first, "name")->SetChecked(true);
    rowOf(second, "name")->SetChecked(true);
    m_engine->SetSQLSubType(stLocal);
    QCOMPARE(form.GenerateSQL(),
        QStringLiteral("SELECT  customer1.name, customer2.name \r\n"
                       "FROM customer customer1, customer customer2, orders \r\n"
                       "WHERE (1=1) \r\n   AND (customer1.id = customer2.id) \r\n"));
}

// Two copies of a table had the same title, and the alias the statement gave each was not
// shown: their titles show it, their joins are named by it, and it follows the statement as
// the diagram changes.
void tst_SqlBuilderStatement::copiesOfATableLookedTheSame()
{
    Builder &form = *m_form;
    TSchemaItem *first = addTable(form, "customer");
    TSchemaItem *second = addTable(form, "customer");
    QPointer<TSchemaItem> orders = addTable(form, "orders");
    TSchemaDesignArea *area = form.SchemaDesignArea;
    auto aliases = [&] {
        QStringList list;
        for (int i = 0; i < area->GetItemCount(); ++i)
            list << area->GetItem(i)->Alias();
        return list;
    };
    QTRY_COMPARE(aliases(), QStringList({ "customer0", "customer1", "" }));
    QCOMPARE(first->TitleText(), QStringLiteral("customer (customer0)"));
    QCOMPARE(orders->TitleText(), QStringLiteral("orders"));
    rowOf(first, "name")->SetChecked(true);
    rowOf(second, "name")->SetChecked(true);
    QVERIFY(form.GenerateSQL().startsWith("SELECT  customer0.name, customer1.name"));
    // Each title fits its item.
    for (TSchemaItem *item : { first, second }) {
        TFontValue font = item->GetFont(); // the title's: bold, 8 points
        font.StyleBits = TFontValue::fsBold;
        font.Size = 8;
        const int title = QFontMetrics(FontValueToQFont(font)).horizontalAdvance(item->TitleText());
        QVERIFY2(title + 34 <= item->width(), qPrintable(QString::number(item->width())));
    }
    // A relation takes a place before the items: the aliases follow, and name its ends.
    TSchemaRelation *relation
        = area->AddRelation(first, second, rowOf(first, "id"), rowOf(second, "id"));
    QTRY_COMPARE(aliases(), QStringList({ "customer1", "customer2", "" }));
    QVERIFY(form.GenerateSQL().startsWith("SELECT  customer1.name, customer2.name"));
    QVERIFY2(relation->JoinText().startsWith("customer1.id = customer2.id"),
        qPrintable(relation->JoinText()));
    // One copy gone, the other is the only one: no alias.
    delete second;
    QTRY_COMPARE(aliases(), QStringList({ "", "" }));
    // Whatever the diagram holds, the titles show the aliases the statement gives.
    addTable(form, "orders");
    addTable(form, "customer");
    auto statementAliases = [&] {
        QStringList list;
        for (int i = 0; i < area->GetItemCount(); ++i) {
            TSchemaItem *item = area->GetItem(i);
            const QString alias = form.GetTableName(item, true);
            list << (alias == item->GetCaption() ? QString() : alias);
        }
        return list;
    };
    QTRY_COMPARE(aliases(), statementAliases());
    QCOMPARE(aliases().count(QString()), 0); // all four are copies
    // An application that names the tables itself gives its own names.
    form.SetOnGetTableName([](QObject *, TSchemaItem *, int, bool) { return QString("t"); });
    addTable(form, "customer");
    QTRY_COMPARE(aliases(), QStringList({ "", "", "", "", "" }));
}

void tst_SqlBuilderStatement::nameEvents()
{
    Builder &form = *m_form;
    addTables();
    TSchemaItem *customer = form.SchemaDesignArea->GetItem(0);
    TSchemaSubItem *name = rowOf(customer, "name");
    QStringList calls;
    QList<QObject *> senders;
    form.SetOnGetTableName([&](QObject *Sender, TSchemaItem *item, int index, bool isAlias) {
        senders << Sender;
        calls << QStringLiteral("%1 %2 %3").arg(item->Caption()).arg(index).arg(isAlias);
        return isAlias ? QStringLiteral("t%1").arg(index)
                       : QStringLiteral("public.") + item->Caption();
    });
    form.SetOnGetFieldName([&](QObject *Sender, TSchemaSubItem *row) {
        senders << Sender;
        return row->Caption() == QLatin1String("name") ? QStringLiteral("full name")
                                                       : row->Caption();
    });
    QCOMPARE(form.GetTableName(customer, true), QStringLiteral("t0"));
    QCOMPARE(calls, QStringList { "customer 0 1" });
    QCOMPARE(form.GetFieldName(name), QStringLiteral("\"full name\""));
    QCOMPARE(form.GetFieldName(nullptr), QString());
    name->SetChecked(true);
    QCOMPARE(form.GenerateSQL(),
        QStringLiteral("SELECT  t0.\"full name\" \r\nFROM public.customer, public.orders \r\n"));
    QVERIFY(!senders.isEmpty());
    for (QObject *sender : std::as_const(senders))
        QCOMPARE(sender, &form);
}

void tst_SqlBuilderStatement::references()
{
    Builder &form = *m_form;
    addTables();
    TSchemaSubItem *name = rowOf(form, "customer.name");
    const QString reference = form.SubItemReference(name);
    QVERIFY(!reference.isEmpty());
    QCOMPARE(form.SubItemReference(name), reference);
    QCOMPARE(form.ReferencedSubItem(reference), name);
    QVERIFY(form.SubItemReference(rowOf(form, "customer.city")) != reference);
    for (const QString &text : { QString(), QStringLiteral("abc"), QStringLiteral("999"),
             QStringLiteral(" ") + reference, reference + QStringLiteral(".0"),
             QStringLiteral("+") + reference, QStringLiteral("0") + reference })
        QCOMPARE(form.ReferencedSubItem(text), nullptr);

    // A row of another form's diagram gets no number here and no column.
    Builder other;
    other.SetDataEngine(m_engine.get());
    TSchemaItem *foreign = addTable(other, "orders");
    TSchemaSubItem *foreignRow = rowOf(foreign, "amount");
    QCOMPARE(form.SubItemReference(foreignRow), QString());
    form.ItemCheckClick(foreignRow);
    foreignRow->SetChecked(true);
    form.ItemCheckClick(foreignRow);
    QCOMPARE(gridColumns(form), QStringList { "" });
    QCOMPARE(gridColumns(other), QStringList { "orders.amount" });
}

// A row or an item that has gone names nothing: its column adds no field, its relation no
// name, and nothing fails.
void tst_SqlBuilderStatement::vanishedRows()
{
    Builder &form = *m_form;
    addTables();
    TSchemaDesignArea *area = form.SchemaDesignArea;
    TSchemaItem *customer = area->GetItem(0);
    TSchemaItem *orders = area->GetItem(1);
    area->AddRelation(customer, orders, rowOf(customer, "id"), rowOf(orders, "customer_id"));
    rowOf(customer, "name")->SetChecked(true);
    rowOf(customer, "city")->SetChecked(true);
    const QString cityReference = form.sgColumnGrid->Cells(2, 0);
    form.sgColumnGrid->SetCells(2, 4, "city <> ''");
    m_engine->SetSQLSubType(stLocal);

    // Rows are deleted without telling anyone.
    customer->DeleteSubItem(customer->GetIndexBySubItem(rowOf(customer, "city")));
    orders->DeleteSubItem(orders->GetIndexBySubItem(rowOf(orders, "customer_id")));
    QCOMPARE(gridColumns(form), QStringList({ "customer.name", "?" }));
    QCOMPARE(form.ReferencedSubItem(cityReference), nullptr);
    QCOMPARE(form.GenerateSQL(),
        QStringLiteral("SELECT  customer.name \r\nFROM customer, orders \r\n"
                       "WHERE  (city <> '') \r\n   AND (customer.id = orders.) \r\n"));

    // A new row never takes the number of a vanished one.
    TSchemaSubItem *late = customer->AddSubItem("late", -1, false);
    late->SetChecked(true);
    QVERIFY(form.sgColumnGrid->Cells(3, 0) != cityReference);
    QCOMPARE(gridColumns(form), QStringList({ "customer.name", "?", "customer.late" }));

    // The painting of a column that names nothing shows no caption (and does not fail).
    showForm();
    form.sgColumnGrid->grab();
}

QTEST_MAIN(tst_SqlBuilderStatement)
#include "tst_sqlbuilderstatement.moc"
