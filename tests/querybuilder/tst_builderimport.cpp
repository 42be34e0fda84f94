// The builder dialog component and its SQL import: Execute and Cancel, the import's layout and
// ticks, OK's text, full and field imports, the extended grid, errors, name hooks, a freed
// engine and the one-call function.

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

class tst_BuilderImport : public BuilderDialogFixture {
    Q_OBJECT

private slots:
    void executeAndCancel();
    void importLayout();
    void importTicks_data();
    void importTicks();
    void okReturnsTheGivenTextUntilAChange();
    void fullImport();
    void emptyStatementWasCalledNoSelect_data();
    void emptyStatementWasCalledNoSelect();
    void fieldImportSaidNothingOfWhatItLeftOut();
    void extendedGridRows();
    void furtherJoinConditionsKeptInFilesAndUndo();
    void errorsLeaveAfterTheFormIsFreed();
    void nameHooksWereCalledBeforeTheFormWasShown_data();
    void nameHooksWereCalledBeforeTheFormWasShown();
    void freedEngineReadsAsNothing();
    void sqlBuilderFunction_data();
    void sqlBuilderFunction();
};

void tst_BuilderImport::executeAndCancel()
{
    TSQLBuilderDialog dialog;
    dialog.SetSQL("SELECT 1");
    dialog.SetCaption("Orders query");
    QVERIFY(!dialog.SchemaDesignArea());
    QPointer<TfrmZkSQLBuilder> seen;
    m_dialogs->modal = [&](QDialog &d) {
        seen = qobject_cast<TfrmZkSQLBuilder *>(&d);
        [&] {
            QVERIFY(seen);
            QCOMPARE(dialog.SchemaDesignArea(), seen->SchemaDesignArea);
            QCOMPARE(seen->SchemaDesignArea->GetItemCount(), 0);
            QCOMPARE(seen->windowTitle(), QStringLiteral("Orders query"));
            QCOMPARE(seen->SQLText(), QStringLiteral("SELECT 1"));
        }();
        seen->btnCancel->click();
        return seen->result();
    };
    QVERIFY(!dialog.Execute());
    QCOMPARE(m_dialogs->modalCalls, 1);
    QCOMPARE(dialog.SQL(), QStringLiteral("SELECT 1"));
    QVERIFY(!dialog.SchemaDesignArea());
    QVERIFY(!seen); // freed
}

void tst_BuilderImport::importLayout()
{
    TSQLBuilderDialog dialog;
    dialog.SetDataEngine(m_engine.get());
    dialog.SetSQL("SELECT * FROM orders, customer");
    m_dialogs->modal = [&](QDialog &) {
        TSchemaDesignArea *area = dialog.SchemaDesignArea();
        [&] {
            QCOMPARE(area->GetItemCount(), 2);
            TSchemaItem *orders = area->GetItem(0);
            TSchemaItem *customer = area->GetItem(1);
            QCOMPARE(orders->pos(), QPoint(20, 20));
            QCOMPARE(customer->pos(), QPoint(20 + orders->width() + 20, 20));
            QCOMPARE(orders->GetSubItemCount(), 4); // "*" and the fields
        }();
        return int(QDialog::Rejected);
    };
    dialog.Execute();
    QCOMPARE(m_dialogs->modalCalls, 1);
}

void tst_BuilderImport::importTicks_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("ticks");
    QTest::newRow("*: first table")
        << "SELECT * FROM customer, orders" << QStringList { "customer.*" };
    QTest::newRow("T.*") << "SELECT orders.* FROM customer, orders" << QStringList { "orders.*" };
    QTest::newRow("any letter case") << "select NAME, CUSTOMER.City from customer, orders"
                                     << QStringList { "customer.name", "customer.city" };
    QTest::newRow("an alias names no item") << "SELECT c.name FROM customer c" << QStringList {};
    QTest::newRow("unprefixed: first table only")
        << "SELECT amount FROM customer, orders" << QStringList {};
    QTest::newRow("not a SELECT") << "DELETE FROM customer" << QStringList {};
    QTest::newRow("not SQL") << "(( ' unterminated" << QStringList {};
}

void tst_BuilderImport::importTicks()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, ticks);
    TSQLBuilderDialog dialog;
    dialog.SetDataEngine(m_engine.get());
    dialog.SetSQL(sql);
    QStringList seen;
    m_dialogs->modal = [&](QDialog &) {
        seen = ticked(dialog.SchemaDesignArea());
        return int(QDialog::Rejected);
    };
    QVERIFY(!dialog.Execute());
    QCOMPARE(seen, ticks);
}

void tst_BuilderImport::okReturnsTheGivenTextUntilAChange()
{
    const QString given = "select  customer.name\nfrom customer -- as typed";
    for (const bool change : { false, true }) {
        TSQLBuilderDialog dialog;
        dialog.SetDataEngine(m_engine.get());
        dialog.SetSQL(given);
        QString generated;
        m_dialogs->modal = [&](QDialog &d) {
            auto &form = static_cast<TfrmZkSQLBuilder &>(d);
            if (change)
                dialog.SchemaDesignArea()->GetItem(0)->GetSubItemByName("city")->SetChecked(true);
            generated = form.GenerateSQL();
            form.btnOK->click();
            return form.result();
        };
        QVERIFY(dialog.Execute());
        QCOMPARE(dialog.SQL(), change ? generated : given);
    }
}

void tst_BuilderImport::fullImport()
{
    TSQLBuilderDialog dialog;
    dialog.SetDataEngine(m_engine.get());
    dialog.SetFullImport(true);
    const QString given = "SELECT o.amount, c.name FROM customer c LEFT JOIN orders o ON c.id = "
                          "o.customer_id WHERE o.amount > 5 ORDER BY c.name LIMIT 3";
    dialog.SetSQL(given);
    m_dialogs->modal = [&](QDialog &d) {
        auto &form = static_cast<TfrmZkSQLBuilder &>(d);
        TSchemaDesignArea *area = form.SchemaDesignArea;
        [&] {
            QCOMPARE(area->GetItemCount(), 2);
            QCOMPARE(area->GetRelationCount(), 1);
            QCOMPARE(area->GetRelation(0)->JoinType(), rjLeftOuter);
            QCOMPARE(form.sgColumnGrid->Cells(1, 1), QStringLiteral("orders"));
            // The alias goes with the table: the condition names the table as the rebuilt
            // statement does.
            QCOMPARE(form.sgColumnGrid->Cells(1, 4), QStringLiteral("orders.amount > 5"));
            QCOMPARE(form.sgColumnGrid->Cells(2, 3), QStringLiteral("Ascending"));
            // The row limit is the statement's option beside DISTINCT.
            QCOMPARE(form.StatementLimit(), 3);
            QVERIFY(form.lblSQLNotes->text().isEmpty());
            QVERIFY(form.GenerateSQL().endsWith("\r\nLIMIT 3\r\n"));
        }();
        form.btnOK->click(); // nothing changed: the statement goes back as it came
        return form.result();
    };
    QVERIFY(dialog.Execute());
    QCOMPARE(dialog.LeftOut(), QStringList());
    QCOMPARE(dialog.SQL(), given);
}

void tst_BuilderImport::emptyStatementWasCalledNoSelect_data()
{
    QTest::addColumn<bool>("full");
    QTest::addColumn<QString>("sql");
    QTest::newRow("full import, empty") << true << "";
    QTest::newRow("full import, blanks and line breaks") << true << "  \r\n\t";
    QTest::newRow("field import, empty") << false << "";
}

// Opening the builder with no statement said "holds 0 statement(s), not one SELECT": there is
// nothing to carry over, and nothing is said.
void tst_BuilderImport::emptyStatementWasCalledNoSelect()
{
    QFETCH(bool, full);
    QFETCH(QString, sql);
    TSQLBuilderDialog dialog;
    dialog.SetDataEngine(m_engine.get());
    dialog.SetFullImport(full);
    dialog.SetSQL(sql);
    QString importNotes;
    QString sqlNotes;
    m_dialogs->modal = [&](QDialog &d) {
        auto &form = static_cast<TfrmZkSQLBuilder &>(d);
        importNotes = form.lblImportNotes->text();
        form.pcSQL->setCurrentWidget(form.tsSQL);
        sqlNotes = form.lblSQLNotes->text();
        return int(QDialog::Rejected);
    };
    dialog.Execute();
    QCOMPARE(dialog.LeftOut(), QStringList());
    QCOMPARE(importNotes, QString());
    QCOMPARE(sqlNotes, QString());
}

// The field import reads tables and plain fields; the rest of the statement was dropped unseen.
void tst_BuilderImport::fieldImportSaidNothingOfWhatItLeftOut()
{
    TSQLBuilderDialog dialog;
    dialog.SetDataEngine(m_engine.get());
    dialog.SetSQL("SELECT c.name, orders.amount FROM customer c JOIN orders ON c.id = "
                  "orders.customer_id WHERE orders.amount > 5 ORDER BY 1");
    QString line;
    m_dialogs->modal = [&](QDialog &d) {
        auto &form = static_cast<TfrmZkSQLBuilder &>(d);
        if (form.lblImportNotes->isVisibleTo(&form))
            line = form.lblImportNotes->toolTip();
        return int(QDialog::Rejected);
    };
    QVERIFY(!dialog.Execute());
    QCOMPARE(dialog.LeftOut(),
        QStringList({ "Not imported (the full import reads it): the joins, aggregates, "
                      "expressions, column names and fields named through an alias, WHERE, "
                      "ORDER BY" }));
    QCOMPARE(line, dialog.LeftOut().join('\n'));
}

// The extended grid's rows and columns reach the statement; switched off, the grid is the
// designed one again and generates as designed.
void tst_BuilderImport::extendedGridRows()
{
    Builder &form = *m_form;
    TStringGrid *grid = form.sgColumnGrid;
    const QString designed = [&] {
        TSchemaItem *customer = AddNewItem(form.SchemaDesignArea, "customer", {}, 10, 10);
        customer->GetSubItemByName("name")->SetChecked(true);
        customer->GetSubItemByName("city")->SetChecked(true);
        return form.GenerateSQL();
    }();
    form.SetExtendedGrid(true);
    QCOMPARE(grid->RowCount(), 10);
    QCOMPARE(grid->Cells(0, 7), QStringLiteral("Show"));
    QCOMPARE(grid->Cells(0, 8), QStringLiteral("Alias"));
    QCOMPARE(grid->Cells(0, 9), QStringLiteral("Sort order"));
    QCOMPARE(form.GenerateSQL(), designed);

    // "Show" is a check box over its cell: one commit hides the city column.
    bool canSelect = true;
    grid->SetCurrentCell(2, 7);
    form.sgColumnGridSelectCell(grid, 2, 7, canSelect);
    QVERIFY(!form.cbGroupBy->isHidden());
    QVERIFY(form.cbGroupBy->isChecked());
    form.cbGroupBy->setChecked(false);
    form.cbInplaceChange(form.cbGroupBy);
    QCOMPARE(grid->Cells(2, 7), QStringLiteral("0"));
    grid->SetCells(2, 3, "Descending");
    grid->SetCells(1, 8, "who");
    const int count = form.AddAllRowsColumn();
    grid->SetCells(count, 5, "");
    grid->SetCells(1, 5, "1");
    grid->SetCells(2, 5, "1");
    const int again = form.DuplicateColumn(1);
    QVERIFY(again > count);
    grid->SetCells(again, 2, "Count");
    QCOMPARE(form.GenerateSQL().split("\r\n", Qt::SkipEmptyParts),
        QStringList({ "SELECT  customer.name AS who, COUNT(*), COUNT(customer.name) ",
            "FROM customer ", "GROUP BY name, city ", "ORDER BY city DESC" }));
    // Unticking the row takes every column of it.
    form.SchemaDesignArea->GetItem(0)->GetSubItemByName("name")->SetChecked(false);
    for (int col = 1; col < grid->ColCount(); ++col)
        QVERIFY(grid->Cells(col, 8) != QStringLiteral("who"));
    QCOMPARE(form.DuplicateColumn(0), -1); // the title column holds no field

    form.SetExtendedGrid(false);
    QCOMPARE(grid->RowCount(), 7); // grouped: the having row stays
    QVERIFY(!form.GenerateSQL().contains(" AS "));
}

void tst_BuilderImport::furtherJoinConditionsKeptInFilesAndUndo()
{
    Builder &form = *m_form;
    TSchemaDesignArea *area = form.SchemaDesignArea;
    TSchemaItem *customer = AddNewItem(area, "customer", {}, 10, 10);
    TSchemaItem *orders = AddNewItem(area, "orders", {}, 200, 10);
    TSchemaRelation *relation = area->AddRelation(customer, orders,
        customer->GetSubItemByName("id"), orders->GetSubItemByName("customer_id"));
    relation->SetJoinCondition("orders.amount > 5");
    QBuffer file;
    file.open(QIODevice::ReadWrite);
    area->SaveToStream(file);
    QVERIFY(file.data().contains("JoinCondition=orders.amount > 5\r\n"));
    area->ClearAll();
    file.seek(0);
    area->LoadFromStream(file);
    QCOMPARE(area->GetRelationCount(), 1);
    QCOMPARE(area->GetRelation(0)->JoinCondition(), QStringLiteral("orders.amount > 5"));
    // A relation brought back by undo has its condition again.
    area->DeleteRelationsForItem(area->GetItem(1), nullptr);
    QCOMPARE(area->GetRelationCount(), 0);
    area->UndoStack()->undo();
    QCOMPARE(area->GetRelationCount(), 1);
    QCOMPARE(area->GetRelation(0)->JoinCondition(), QStringLiteral("orders.amount > 5"));
}

void tst_BuilderImport::errorsLeaveAfterTheFormIsFreed()
{
    TSQLBuilderDialog dialog;
    QPointer<TfrmZkSQLBuilder> form;
    Engine failing;
    failing.SetOnGetItemList([&](QObject *, TStringList &) {
        form = dialog.Form();
        QVERIFY(dialog.SchemaDesignArea());
        throw Exception("the catalogue is locked");
    });
    dialog.SetDataEngine(&failing);
    QVERIFY_THROWS_EXCEPTION(Exception, dialog.Execute());
    QVERIFY(!form);
    QVERIFY(!dialog.SchemaDesignArea());
    QCOMPARE(m_dialogs->modalCalls, 0);

    // An OnAddItem that throws during the import reaches the application handler; the run goes on.
    dialog.SetDataEngine(m_engine.get());
    dialog.SetSQL("SELECT * FROM customer");
    dialog.SetOnAddItem([](QObject *, TSchemaItem *) { throw Exception("no customers today"); });
    dialog.Execute();
    QCOMPARE(m_dialogs->modalCalls, 1);
    QCOMPARE(m_errors->messages, QStringList({ "no customers today" }));
    m_errors->messages.clear();
}

void tst_BuilderImport::nameHooksWereCalledBeforeTheFormWasShown_data()
{
    QTest::addColumn<bool>("change");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("calls"); // of the hooks
    QTest::newRow("OK, nothing changed") << false << true << 0;
    QTest::newRow("Cancel") << false << false << 0;
    QTest::newRow("a change, OK fails, then Cancel") << true << false << 1;
}

// Hooks that throw are asked only when a statement is needed: Execute shows the form, OK with
// nothing changed returns the given text, OK after a change shows the hook's error and leaves
// the form open, and Cancel still closes it.
void tst_BuilderImport::nameHooksWereCalledBeforeTheFormWasShown()
{
    QFETCH(bool, change);
    QFETCH(bool, ok);
    QFETCH(int, calls);
    TSQLBuilderDialog dialog;
    dialog.SetDataEngine(m_engine.get());
    const QString given = QStringLiteral("SELECT customer.name FROM customer");
    dialog.SetSQL(given);
    int tableCalls = 0;
    int fieldCalls = 0;
    dialog.SetOnGetTableName([&](QObject *, TSchemaItem *, int, bool) -> QString {
        ++tableCalls;
        throw Exception("no table names today");
    });
    dialog.SetOnGetFieldName([&](QObject *, TSchemaSubItem *) -> QString {
        ++fieldCalls;
        throw Exception("no field names today");
    });
    m_dialogs->modal = [&](QDialog &d) {
        auto &form = static_cast<TfrmZkSQLBuilder &>(d);
        if (change) {
            form.SchemaDesignArea->GetItem(0)->GetSubItemByName("city")->SetChecked(true);
            form.btnOK->click();
            [&] {
                QCOMPARE(form.result(), int(QDialog::Rejected));
                QCOMPARE(m_errors->messages.size(), 1);
            }();
        }
        (ok ? form.btnOK : form.btnCancel)->click();
        return form.result();
    };
    QCOMPARE(dialog.Execute(), ok);
    QCOMPARE(m_dialogs->modalCalls, 1);
    QCOMPARE(tableCalls + fieldCalls, calls);
    QCOMPARE(m_errors->messages.size(), calls);
    m_errors->messages.clear();
    QCOMPARE(dialog.SQL(), given);
}

void tst_BuilderImport::freedEngineReadsAsNothing()
{
    TSQLBuilderDialog dialog;
    auto engine = std::make_unique<Engine>();
    dialog.SetDataEngine(engine.get());
    engine.reset();
    QVERIFY(!dialog.DataEngine());
    dialog.SetSQL("SELECT * FROM customer");
    m_dialogs->modal = [&](QDialog &d) {
        auto &form = static_cast<TfrmZkSQLBuilder &>(d);
        [&] {
            QCOMPARE(form.lbTables->count(), 0);
            QCOMPARE(form.SchemaDesignArea->GetItem(0)->GetSubItemCount(), 1); // "*" only
        }();
        return int(QDialog::Rejected);
    };
    dialog.Execute();
    QCOMPARE(m_dialogs->modalCalls, 1);
}

void tst_BuilderImport::sqlBuilderFunction_data()
{
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void tst_BuilderImport::sqlBuilderFunction()
{
    QFETCH(bool, ok);
    QString sql = "SELECT * FROM orders";
    m_dialogs->modal = [&](QDialog &d) {
        auto &form = static_cast<TfrmZkSQLBuilder &>(d);
        form.SchemaDesignArea->GetItem(0)->GetSubItemByName("amount")->SetChecked(true);
        (ok ? form.btnOK : form.btnCancel)->click();
        return form.result();
    };
    QCOMPARE(SQLBuilder(sql, m_engine.get()), ok);
    QCOMPARE(sql,
        ok ? QStringLiteral("SELECT  orders.amount \r\nFROM orders \r\n")
           : QStringLiteral("SELECT * FROM orders"));
}

QTEST_MAIN(tst_BuilderImport)
#include "tst_builderimport.moc"
