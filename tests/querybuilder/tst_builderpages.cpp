// The builder form's files and pages: opening and saving, the SQL and results pages, the
// toggles, the dialect, undo, the grid's looks and Escape.

#include "../common/TestSupport.h"
#include "BuilderDialogFixture.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/model/ItemPlacement.h"
#include "engines/TSchemaCustomDataEngine.h"
#include "querybuilder/TSQLBuilderDialog.h"
#include "querybuilder/TfrmZkSQLBuilder.h"
#include "relations/TSchemaRelation.h"
#include "sqlparser/SelectImport.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUndoStack>
#include <QtTest>

#include <memory>

using namespace Diduza;
using DiduzaTest::FakeDialogService;
using namespace BuilderDialogTest;

class tst_BuilderPages : public BuilderDialogFixture {
    Q_OBJECT

private slots:
    void openAndSave();
    void pagesRunTheCurrentStatement();
    void resultsPageNeverFails_data();
    void resultsPageNeverFails();
    void grabberAndToggles();
    void dialectChoiceAndNotes();
    void undoInTheBuilder();
    void undoOfATableClosedFromItsMenu();
    void gridTextWasCutOffInsteadOfElided();
    void groupingCheckBoxWasPaintedTwice();
    void escapeLostTheWorkWithoutAWord_data();
    void escapeLostTheWorkWithoutAWord();
};

void tst_BuilderPages::openAndSave()
{
    Builder &form = *m_form;
    TSchemaDesignArea *area = form.SchemaDesignArea;
    selectTable(form, "customer");
    form.lbTablesDblClick(form.lbTables);
    area->GetItem(0)->GetSubItemByName("name")->SetChecked(true);
    QTemporaryDir dir;
    const QString file = dir.filePath("query.sch");

    form.btnSave->click();
    QVERIFY(!QFile::exists(file)); // cancelled
    m_dialogs->saveAnswer = file;
    form.btnSave->click();
    QVERIFY(QFile::exists(file));
    QCOMPARE(
        m_dialogs->fileFilter, QStringLiteral("Schema files (*.sch)|*.sch|All files (*.*)|*.*"));
    QCOMPARE(m_dialogs->fileDefaultExt, QStringLiteral("sch"));

    // Strip the "*" row from the file: loaded items keep exactly the file's rows.
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(f.readAll());
    f.close();
    form.btnNew->click();
    QCOMPARE(area->GetItemCount(), 0);
    QCOMPARE(form.cbTables->count(), 0);

    const int requests = m_engine->fieldRequests;
    m_dialogs->openAnswer = file;
    form.btnOpen->click();
    QVERIFY(!form.FInternalUpdate);
    QCOMPARE(m_engine->fieldRequests, requests); // the engine is not asked for fields
    QCOMPARE(area->GetItemCount(), 1);
    QCOMPARE(area->GetItem(0)->GetSubItemCount(), 4);
    QCOMPARE(ticked(area), QStringList({ "customer.name" }));
    QCOMPARE(form.GenerateSQL().section("\r\n", 0, 0), QStringLiteral("SELECT  customer.name "));

    // A file that fails to load still ends the internal update.
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.replace("ControlType=", "ControlType=x").toUtf8());
    f.close();
    form.btnOpen->click();
    QVERIFY(!form.FInternalUpdate);
    QCOMPARE(m_errors->messages.size(), 1);
    m_errors->messages.clear();
}

void tst_BuilderPages::pagesRunTheCurrentStatement()
{
    Builder &form = *m_form;
    TSchemaDesignArea *area = form.SchemaDesignArea;
    AddNewItem(area, "customer", QVariant(), 20, 20);
    const QString generated = form.GenerateSQL();

    // An empty page is generated before it runs.
    form.btnExecSQL->click();
    QCOMPARE(form.pcSQL->currentWidget(), form.tsResults);
    QCOMPARE(m_engine->executed, QStringList({ generated }));
    QCOMPARE(form.ResultModel()->rowCount(), 3);

    // A given text runs as it is while nothing changes ...
    form.SetSQLText("SELECT name FROM customer");
    form.btnExecSQL->click();
    QCOMPARE(m_engine->executed.last(), QStringLiteral("SELECT name FROM customer"));
    // ... and a change makes it stale: it is generated anew.
    area->GetItem(0)->GetSubItemByName("city")->SetChecked(true);
    QVERIFY(form.IsStatementStale());
    form.btnExecSQL->click();
    QCOMPARE(m_engine->executed.last(), form.GenerateSQL());
    QCOMPARE(form.SQLText(), form.GenerateSQL());

    // The SQL page always generates.
    form.SetSQLText("SELECT 1");
    form.btnGenSQL->click();
    QCOMPARE(form.pcSQL->currentWidget(), form.tsSQL);
    QCOMPARE(form.SQLMemo->toPlainText(), QString(form.GenerateSQL()).replace("\r\n", "\n"));
}

void tst_BuilderPages::resultsPageNeverFails_data()
{
    QTest::addColumn<bool>("withEngine");
    QTest::addColumn<QString>("shown");
    QTest::newRow("no engine") << false << "No data engine is set, so the statement cannot be run.";
    QTest::newRow("rejected") << true << "no such column: nam";
}

void tst_BuilderPages::resultsPageNeverFails()
{
    QFETCH(bool, withEngine);
    QFETCH(QString, shown);
    Builder &form = *m_form;
    AddNewItem(form.SchemaDesignArea, "customer", QVariant(), 20, 20);
    form.btnExecSQL->click(); // rows first: a failure clears them
    QVERIFY(form.ResultModel());
    m_engine->failure = "no such column: nam";
    if (!withEngine)
        form.SetDataEngine(nullptr);

    form.btnExecSQL->click();
    QVERIFY(!form.ResultModel());
    QVERIFY(!form.lblResultError->isHidden());
    QCOMPARE(form.lblResultError->text(), shown);
    QCOMPARE(ticked(form.SchemaDesignArea), QStringList({ "customer.*" }));
    QCOMPARE(form.sgColumnGrid->Cells(1, 1), QStringLiteral("customer"));

    m_engine->failure.clear();
    form.SetDataEngine(m_engine.get());
    form.btnExecSQL->click();
    QVERIFY(form.lblResultError->isHidden());
}

void tst_BuilderPages::grabberAndToggles()
{
    Builder &form = *m_form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const int w = form.pbTableGrabber->width();
    // The grooves: button-highlight on their top edge, button-shadow on their bottom edge.
    const QImage grabber = form.pbTableGrabber->grab().toImage();
    const QPalette &palette = form.pbTableGrabber->palette();
    QCOMPARE(grabber.pixel(w / 2, 3), palette.color(QPalette::Light).rgb());
    QCOMPARE(grabber.pixel(w / 2, 5), palette.color(QPalette::Dark).rgb());

    QTest::mouseRelease(form.pbTableGrabber, Qt::LeftButton, {}, QPoint(w - 14, 5));
    QVERIFY(form.pnlTables->isVisible()); // over the grooves: nothing
    QTest::mouseRelease(form.pbTableGrabber, Qt::RightButton, {}, QPoint(w - 13, 5));
    QVERIFY(!form.pnlTables->isVisible());
    QVERIFY(!form.btnShowTables->isChecked());
    form.btnShowTables->click();
    QVERIFY(form.pnlTables->isVisible());

    form.btnShowGrid->click();
    QVERIFY(!form.pcSQL->isVisible());
    form.btnShowGrid->click();
    QVERIFY(form.pcSQL->isVisible());
}

void tst_BuilderPages::dialectChoiceAndNotes()
{
    Builder &form = *m_form;
    TSchemaDesignArea *area = form.SchemaDesignArea;
    m_engine->SetSQLSubType(stLocal);
    form.pcSQL->setCurrentWidget(form.tsOptions);
    QCOMPARE(form.cbDialect->currentData().toInt(), int(stLocal));

    // The outer join the local dialect cannot write and the column that needs grouping.
    AddNewItem(area, "customer", QVariant(), 20, 20);
    AddNewItem(area, "orders", QVariant(), 250, 20);
    TSchemaItem *customer = area->GetItem(0), *orders = area->GetItem(1);
    area->AddRelation(customer, orders, customer->GetSubItemByName("id"),
            orders->GetSubItemByName("customer_id"))
        ->SetJoinType(rjLeftOuter);
    customer->GetSubItemByName("name")->SetChecked(true);
    orders->GetSubItemByName("amount")->SetChecked(true);
    form.sgColumnGrid->SetCells(2, 2, "Summa");
    form.btnGenSQL->click();
    QVERIFY(!form.lblSQLNotes->isHidden());
    QVERIFY(form.lblSQLNotes->text().contains("customer.name"));
    QVERIFY(form.lblSQLNotes->text().contains("outer join"));

    // The user switches to the join tree: the engine follows, the note on outer joins goes.
    form.pcSQL->setCurrentWidget(form.tsOptions);
    form.cbDialect->setCurrentIndex(form.cbDialect->findData(int(stAnsi)));
    emit form.cbDialect->activated(form.cbDialect->currentIndex());
    QCOMPARE(m_engine->SQLSubType(), stAnsi);
    form.btnGenSQL->click();
    QVERIFY(
        form.SQLText().contains("LEFT OUTER JOIN orders ON (customer.id = orders.customer_id)"));
    QVERIFY(!form.lblSQLNotes->text().contains("outer join"));

    // The choice travels with the schema file; a file without it leaves the engine alone.
    QTemporaryDir dir;
    const QString file = dir.filePath("dialect.sch");
    area->SaveToFile(file);
    m_engine->SetSQLSubType(stOracle);
    area->LoadFromFile(file);
    QCOMPARE(m_engine->SQLSubType(), stAnsi);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll()).remove("SQLSubType=4\r\n");
    f.close();
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
    f.close();
    m_engine->SetSQLSubType(stOracle);
    area->LoadFromFile(file);
    QCOMPARE(m_engine->SQLSubType(), stOracle);
    QCOMPARE(area->GetItemCount(), 2);
}

// Columns as the user sees them: field and where cell.
static QStringList columnsOf(TfrmZkSQLBuilder &form)
{
    QStringList columns;
    for (int col = 1; col < form.sgColumnGrid->ColCount(); ++col) {
        TSchemaSubItem *row = form.ReferencedSubItem(form.sgColumnGrid->Cells(col, 0));
        if (row)
            columns << row->Caption()
                    + (form.sgColumnGrid->Cells(col, 4).isEmpty()
                            ? ""
                            : " where " + form.sgColumnGrid->Cells(col, 4));
    }
    return columns;
}

void tst_BuilderPages::undoInTheBuilder()
{
    Builder &form = *m_form;
    TSchemaDesignArea *area = form.SchemaDesignArea;
    QUndoStack *stack = area->UndoStack();
    selectTable(form, "customer");
    form.lbTablesDblClick(form.lbTables); // added, "*" ticked: one step
    QList<QStringList> states { {}, columnsOf(form) };
    area->GetItem(0)->GetSubItemByName("name")->SetChecked(true); // unticks "*" too
    states << columnsOf(form);
    bool canSelect = true;
    form.sgColumnGridSelectCell(form.sgColumnGrid, 1, 4, canSelect);
    form.edWhere->setText("customer.name > 'M'");
    form.cbInplaceChange(form.edWhere);
    states << columnsOf(form);
    area->GetItem(0)->GetSubItemByName("city")->SetChecked(true);
    states << columnsOf(form);
    form.sgColumnGrid->MoveColumn(2, 1); // as the user's drag does
    form.sgColumnGrid->OnColumnMoved()(form.sgColumnGrid, 2, 1);
    states << columnsOf(form);
    area->GetItem(0)->GetSubItemByName("name")->SetChecked(false); // its column and cells go
    states << columnsOf(form);
    QCOMPARE(states.last(), QStringList({ "city" }));
    QCOMPARE(stack->count(), states.size() - 1);

    for (int step = states.size() - 1; step > 0; --step) {
        stack->undo();
        QCOMPARE(columnsOf(form), states.at(step - 1));
    }
    QCOMPARE(area->GetItemCount(), 0);
    QCOMPARE(form.cbTables->count(), 0);
    for (int step = 1; step < states.size(); ++step) {
        stack->redo();
        QCOMPARE(columnsOf(form), states.at(step));
    }
    QCOMPARE(area->GetItem(0)->GetSubItemCount(), 4); // the rows came back once, not twice
}

void tst_BuilderPages::undoOfATableClosedFromItsMenu()
{
    // The menu's "Delete item" destroys the item later; its columns, which go then, come back
    // with the step's undo at their place and with their cells.
    Builder &form = *m_form;
    TSchemaDesignArea *area = form.SchemaDesignArea;
    for (const char *table : { "customer", "orders" }) {
        selectTable(form, table);
        form.lbTablesDblClick(form.lbTables);
    }
    TSchemaItem *customer = area->FindItem("customer");
    customer->GetSubItemByName("name")->SetChecked(true);
    area->FindItem("orders")->GetSubItemByName("amount")->SetChecked(true);
    customer->GetSubItemByName("city")->SetChecked(true);
    bool canSelect = true;
    form.sgColumnGridSelectCell(form.sgColumnGrid, 1, 4, canSelect);
    form.edWhere->setText("customer.name > 'M'");
    form.cbInplaceChange(form.edWhere);
    const QStringList before = columnsOf(form);
    QCOMPARE(before, QStringList({ "name where customer.name > 'M'", "amount", "city" }));

    customer->findChild<QAction *>("mnuClose")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(area->FindItem("customer"), nullptr);
    QCOMPARE(columnsOf(form), QStringList({ "amount" }));
    area->UndoStack()->undo();
    QCOMPARE(columnsOf(form), before);
    area->UndoStack()->redo();
    QCOMPARE(columnsOf(form), QStringList({ "amount" }));
}

void tst_BuilderPages::gridTextWasCutOffInsteadOfElided()
{
    Builder &form = *m_form;
    TStringGrid *grid = form.sgColumnGrid;
    AddNewItem(form.SchemaDesignArea, "customer", QVariant(), 20, 20);
    const QString longWhere = "customer.city IN ('Lisbon', 'Porto', 'Braga', 'Coimbra')";
    grid->SetCells(1, 4, longWhere);
    grid->SetCells(1, 3, "Ascending");
    form.resize(654, 453);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto center = [grid](int col, int row) { return grid->CellRect(col, row).center(); };
    QCOMPARE(form.CellToolTip(center(1, 4)), longWhere); // cut: the tip tells it all
    QCOMPARE(form.CellToolTip(center(1, 3)), QString()); // fits: no tip
    QCOMPARE(grid->CellRect(1, 4).height(), 19);

    // The having row, once shown, is scrolled into view.
    bool canSelect = true;
    form.sgColumnGridSelectCell(grid, 1, 5, canSelect);
    form.cbGroupBy->setChecked(true);
    form.cbInplaceChange(form.cbGroupBy);
    QVERIFY(grid->viewport()->rect().contains(
        grid->viewport()->mapFrom(grid, grid->CellRect(1, 6).bottomLeft())));
}

void tst_BuilderPages::groupingCheckBoxWasPaintedTwice()
{
    Builder &form = *m_form;
    TStringGrid *grid = form.sgColumnGrid;
    AddNewItem(form.SchemaDesignArea, "customer", QVariant(), 20, 20);
    form.SchemaDesignArea->GetItem(0)->GetSubItemByName("name")->SetChecked(true);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Whether the grid itself draws anything (a box) inside the cell of column col.
    auto cellHasInk = [&](int col) {
        const QRect cell = grid->CellRect(col, 5).adjusted(2, 2, -2, -2);
        const QImage image = grid->grab(cell).toImage();
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) != image.pixel(0, 0))
                    return true;
            }
        }
        return false;
    };
    QVERIFY(cellHasInk(1));
    bool canSelect = true;
    form.sgColumnGridSelectCell(grid, 1, 5, canSelect);
    QVERIFY(form.cbGroupBy->isVisible());
    QVERIFY(!cellHasInk(1)); // the editor alone shows the box
    QVERIFY(cellHasInk(2));
}

void tst_BuilderPages::escapeLostTheWorkWithoutAWord_data()
{
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("no change: closes at once") << false << false << true;
    QTest::newRow("changed, stays") << true << false << false;
    QTest::newRow("changed, confirmed") << true << true << true;
}

void tst_BuilderPages::escapeLostTheWorkWithoutAWord()
{
    QFETCH(bool, changed);
    QFETCH(bool, answer);
    QFETCH(bool, closes);
    Builder &form = *m_form;
    form.SetSQLText(QString());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    if (changed)
        AddNewItem(form.SchemaDesignArea, "customer", QVariant(), 20, 20);
    m_dialogs->confirmAnswer = answer;
    QTest::keyClick(&form, Qt::Key_Escape);
    QCOMPARE(m_dialogs->questions.size(), changed ? 1 : 0);
    QCOMPARE(form.isVisible(), !closes);
    if (!closes) {
        form.btnCancel->click(); // Cancel asks as well
        QCOMPARE(m_dialogs->questions.size(), 2);
    }
}

QTEST_MAIN(tst_BuilderPages)
#include "tst_builderpages.moc"
