// Calculated columns and query blocks as the user works with them in the builder: typed into
// the Field cell or its dialog, checked as they are typed, following the tables they name,
// asked about when such a table goes, undone; blocks added, combined, reordered and removed.

#include "../common/TestSupport.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "engines/TSchemaCustomDataEngine.h"
#include "querybuilder/TfrmZkSQLBuilder.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QUndoStack>
#include <QtTest>

#include <memory>

using namespace Diduza;
using DiduzaTest::FakeDialogService;

namespace {

struct Engine : TSchemaCustomDataEngine {
    Engine()
    {
        SetOnGetItemList([](QObject *, TStringList &list) {
            for (const char *name : { "customer", "orders" })
                list.Add(QLatin1String(name));
        });
        SetOnGetSubItemList([](QObject *, TSchemaItem *item, TStringList &list) {
            const QStringList fields = item->Caption() == "customer"
                ? QStringList { "id", "name", "city" }
                : QStringList { "id", "customer_id", "amount" };
            for (const QString &name : fields)
                list.Add(name);
        });
    }
};

// Closes an item from its menu, as the user does.
void closeItem(TSchemaItem *item)
{
    item->findChild<QAction *>("mnuClose")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The statement's lines without their trailing blanks.
QStringList lines(const QString &sql)
{
    QStringList out;
    for (const QString &line : sql.split("\r\n", Qt::SkipEmptyParts))
        out << line.trimmed();
    return out;
}

} // namespace

class tst_CalculatedColumns : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void typedIntoTheFieldCell();
    void badTextIsKeptAndStopsTheStatement_data();
    void badTextIsKeptAndStopsTheStatement();
    void followsItsTablesAndGoesWithThem();
    void expressionDialog();
    void blocks();

private:
    std::unique_ptr<FakeDialogService> m_dialogs;
    std::unique_ptr<Engine> m_engine;
    std::unique_ptr<TfrmZkSQLBuilder> m_form;
};

void tst_CalculatedColumns::init()
{
    m_dialogs = std::make_unique<FakeDialogService>();
    m_engine = std::make_unique<Engine>();
    m_form = std::make_unique<TfrmZkSQLBuilder>();
    m_form->SetDataEngine(m_engine.get());
    m_form->SetExtendedGrid(true);
}

void tst_CalculatedColumns::cleanup()
{
    m_form.reset();
    m_engine.reset();
    m_dialogs.reset();
}

// The Field cell takes an expression with a name, the other rows apply to it, and the field's
// row is unticked when its column turns into a calculation.
void tst_CalculatedColumns::typedIntoTheFieldCell()
{
    TfrmZkSQLBuilder &form = *m_form;
    TStringGrid *grid = form.sgColumnGrid;
    TSchemaItem *orders = AddNewItem(form.SchemaDesignArea, "orders", {}, 10, 10);
    orders->GetSubItemByName("amount")->SetChecked(true);
    QCOMPARE(grid->Cells(1, 0).isEmpty(), false);

    // The empty column after the last field takes one too.
    const int empty = grid->ColCount();
    grid->SetColCount(empty + 1);
    bool canSelect = true;
    form.sgColumnGridSelectCell(grid, empty, 0, canSelect);
    QVERIFY(form.cbFields->isVisible() || !form.cbFields->isHidden());
    QVERIFY(form.cbFields->findText("orders.amount") > 0);
    form.cbFields->setEditText("total: orders.amount * 1.2");
    QTest::keyClick(form.cbFields->lineEdit(), Qt::Key_Return);
    QVERIFY(form.IsCalculatedColumn(empty));
    QCOMPARE(form.ColumnExpression(empty), QString("orders.amount * 1.2"));
    QCOMPARE(grid->Cells(empty, 8), QString("total"));
    grid->SetCells(empty, 3, "Descending");
    grid->SetCells(empty, 4, "> 100");
    QCOMPARE(lines(form.GenerateSQL()),
        QStringList({ "SELECT  orders.amount, orders.amount * 1.2 AS total", "FROM orders",
            "WHERE  ((orders.amount * 1.2) > 100)", "ORDER BY orders.amount * 1.2 DESC" }));

    // A field's column turned into a calculation leaves its row unticked.
    form.sgColumnGridSelectCell(grid, 1, 0, canSelect);
    QCOMPARE(form.cbFields->currentText(), QString("orders.amount"));
    form.cbFields->setEditText("SUM(orders.amount)");
    QTest::keyClick(form.cbFields->lineEdit(), Qt::Key_Return);
    QVERIFY(form.IsCalculatedColumn(1));
    QVERIFY(!orders->GetSubItemByName("amount")->Checked());
    // Undo takes the step back: the field's column and its tick.
    form.SchemaDesignArea->UndoStack()->undo();
    QVERIFY(!form.IsCalculatedColumn(1));
    QVERIFY(orders->GetSubItemByName("amount")->Checked());
}

void tst_CalculatedColumns::badTextIsKeptAndStopsTheStatement_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::newRow("does not parse") << "orders.amount +\n(orders.id"
                                    << "(line 2, column 11)";
    QTest::newRow("a table the diagram lacks") << "items.price * 2"
                                               << "items";
    QTest::newRow("a second statement") << "1; DROP TABLE orders"
                                        << "second statement";
}

// Text that is no expression over the diagram stays in its column, marked with why; the
// statement is not written until it is mended, and OK asks first.
void tst_CalculatedColumns::badTextIsKeptAndStopsTheStatement()
{
    QFETCH(QString, text);
    QFETCH(QString, error);
    TfrmZkSQLBuilder &form = *m_form;
    AddNewItem(form.SchemaDesignArea, "orders", {}, 10, 10);
    const QString given = "SELECT orders.id FROM orders";
    form.SetSQLText(given);
    const int col = form.AddCalculatedColumn(text);
    QVERIFY(form.IsCalculatedColumn(col));
    QCOMPARE(form.ColumnExpression(col), text);
    QVERIFY2(form.ColumnExpressionError(col).contains(error),
        qPrintable(form.ColumnExpressionError(col)));
    QVERIFY(!form.CellToolTip(form.sgColumnGrid->CellRect(col, 0).center()).isEmpty());
    bool refused = false;
    try {
        form.GenerateSQL();
    } catch (const Exception &e) {
        refused = e.Message().contains(error);
    }
    QVERIFY(refused);
    // OK asks; answered no, the form stays open.
    m_dialogs->confirmAnswer = false;
    form.show();
    form.btnOK->click();
    QCOMPARE(m_dialogs->questions.size(), 1);
    QVERIFY(form.isVisible());
    // Mended, the statement is written.
    form.SetColumnExpression(col, "orders.amount * 2");
    QVERIFY(form.ColumnExpressionError(col).isEmpty());
    QVERIFY(form.GenerateSQL().contains("orders.amount * 2"));
}

// A calculated column names its tables as the statement does, also after a second copy of a
// table gives it an alias; removing such a table asks, and removes the column in the same step.
void tst_CalculatedColumns::followsItsTablesAndGoesWithThem()
{
    TfrmZkSQLBuilder &form = *m_form;
    TSchemaDesignArea *area = form.SchemaDesignArea;
    TSchemaItem *customer = AddNewItem(area, "customer", {}, 10, 10);
    TSchemaItem *orders = AddNewItem(area, "orders", {}, 200, 10);
    area->AddRelation(customer, orders, customer->GetSubItemByName("id"),
        orders->GetSubItemByName("customer_id"));
    const int col = form.AddCalculatedColumn("customer.name || ' ' || customer.city");
    QCOMPARE(form.ColumnExpression(col), QString("customer.name || ' ' || customer.city"));
    AddNewItem(area, "customer", {}, 400, 10);
    QCOMPARE(form.ColumnExpression(col), QString("customer1.name || ' ' || customer1.city"));
    QVERIFY(form.GenerateSQL().contains("customer1.name || ' ' || customer1.city"));
    closeItem(area->GetItem(2)); // the copy goes: the name comes back
    QCOMPARE(form.ColumnExpression(col), QString("customer.name || ' ' || customer.city"));

    const int columns = form.sgColumnGrid->ColCount();
    m_dialogs->confirmAnswer = true;
    closeItem(customer);
    QCOMPARE(m_dialogs->questions.size(), 1);
    QVERIFY(m_dialogs->questions.first().contains("customer.name"));
    QVERIFY(form.sgColumnGrid->ColCount() < columns || !form.IsCalculatedColumn(col));
    for (int c = 1; c < form.sgColumnGrid->ColCount(); ++c)
        QVERIFY(!form.IsCalculatedColumn(c));
    // One undo gives back the table and its column.
    area->UndoStack()->undo();
    QCOMPARE(area->GetItemCount(), 2);
    bool back = false;
    for (int c = 1; c < form.sgColumnGrid->ColCount(); ++c)
        back = back || form.ColumnExpression(c) == "customer.name || ' ' || customer.city";
    QVERIFY(back);

    // Answered no, the column stays and tells what it lacks.
    m_dialogs->confirmAnswer = false;
    closeItem(area->FindItem("customer"));
    bool marked = false;
    for (int c = 1; c < form.sgColumnGrid->ColCount(); ++c)
        marked = marked || form.ColumnExpressionError(c).contains("customer");
    QVERIFY(marked);
}

// "Expression..." in the Field cell's list opens an editor that checks as the user types.
void tst_CalculatedColumns::expressionDialog()
{
    TfrmZkSQLBuilder &form = *m_form;
    AddNewItem(form.SchemaDesignArea, "orders", {}, 10, 10)
        ->GetSubItemByName("id")
        ->SetChecked(true);
    TStringGrid *grid = form.sgColumnGrid;
    grid->SetColCount(grid->ColCount() + 1);
    const int col = grid->ColCount() - 1;
    QStringList shownErrors;
    m_dialogs->modal = [&](QDialog &dialog) {
        auto *edit = dialog.findChild<QPlainTextEdit *>("edExpression");
        auto *error = dialog.findChild<QLabel *>("lblExpressionError");
        edit->setPlainText("orders.amount * (2");
        shownErrors << error->text();
        edit->setPlainText("CASE WHEN orders.amount > 10 THEN 'big' END");
        shownErrors << error->text();
        return int(QDialog::Accepted);
    };
    bool canSelect = true;
    form.sgColumnGridSelectCell(grid, col, 0, canSelect);
    QCOMPARE(form.cbFields->itemText(0), QString("Expression..."));
    form.cbFields->activated(0);
    QCOMPARE(m_dialogs->modalCalls, 1);
    QVERIFY(shownErrors.value(0).contains("line 1"));
    QVERIFY(shownErrors.value(1).isEmpty());
    QCOMPARE(form.ColumnExpression(col), QString("CASE WHEN orders.amount > 10 THEN 'big' END"));
}

// Blocks: each has its own diagram and grid; the statement combines them with their operators,
// sorted and limited as a whole; a block with work is removed only when the user agrees.
void tst_CalculatedColumns::blocks()
{
    TfrmZkSQLBuilder &form = *m_form;
    QVERIFY(!form.pnlBlocks->isHidden());
    AddNewItem(form.SchemaDesignArea, "customer", {}, 10, 10)
        ->GetSubItemByName("city")
        ->SetChecked(true);
    form.sgColumnGrid->SetCells(1, 3, "Ascending");
    TSchemaDesignArea *first = form.SchemaDesignArea;
    QCOMPARE(form.AddBlock(soExcept), 1);
    QVERIFY(form.SchemaDesignArea != first);
    QCOMPARE(form.tbBlocks->count(), 2);
    AddNewItem(form.SchemaDesignArea, "orders", {}, 10, 10)->GetSubItem(0)->SetChecked(false);
    QCOMPARE(form.cbTables->findText("customer"), -1); // the table box lists this block's
    const int col = form.AddCalculatedColumn("'#' || orders.id");
    QVERIFY(form.IsCalculatedColumn(col));
    form.cbDistinct->setChecked(true);
    form.SetStatementLimit(5);
    QCOMPARE(lines(form.GenerateSQL()),
        QStringList({ "SELECT  customer.city", "FROM customer", "EXCEPT",
            "SELECT DISTINCT '#' || orders.id", "FROM orders", "ORDER BY 1 ASC", "LIMIT 5" }));
    form.SetBlockOperator(1, soUnionAll);
    QVERIFY(form.tbBlocks->tabText(1).startsWith("UNION ALL"));
    form.SetCurrentBlock(0);
    QCOMPARE(form.SchemaDesignArea, first);
    QVERIFY(!form.cbDistinct->isChecked()); // each block its own DISTINCT
    form.MoveBlock(0, 1);
    QCOMPARE(form.CurrentBlock(), 1);
    QVERIFY(lines(form.GenerateSQL()).first().startsWith("SELECT DISTINCT '#'"));
    // Removing asks when the block holds tables; no keeps it.
    m_dialogs->confirmAnswer = false;
    form.RemoveBlock(0);
    QCOMPARE(form.BlockCount(), 2);
    m_dialogs->confirmAnswer = true;
    form.RemoveBlock(0);
    QCOMPARE(form.BlockCount(), 1);
    QCOMPARE(lines(form.GenerateSQL()).first(), QString("SELECT  customer.city"));
    // New keeps one block.
    form.AddBlock();
    form.btnNewClick(nullptr);
    QCOMPARE(form.BlockCount(), 1);
}

QTEST_MAIN(tst_CalculatedColumns)
#include "tst_calculatedcolumns.moc"
