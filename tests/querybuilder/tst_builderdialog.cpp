// The builder as an application runs it: the form's tool bar, table list, drops and pages,
// and the dialog component with its SQL import. Modal runs are answered through the dialog
// service.

#include "../common/TestSupport.h"
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

namespace {

class Builder : public TfrmZkSQLBuilder {
public:
    using TfrmZkSQLBuilder::FInternalUpdate;
};

const QHash<QString, QStringList> TableFields = {
    { "customer", { "id", "name", "city" } },
    { "orders", { "id", "customer_id", "amount" } },
};

// Lists the tables in an unsorted order, each with its position as object; answers fields and
// statements, counting what it was asked.
struct Engine : TSchemaCustomDataEngine {
    Engine()
    {
        SetOnGetItemList([](QObject *, TStringList &list) {
            for (const char *name : { "orders", "Customer", "beta", "customer", "alpha" })
                list.AddObject(QLatin1String(name), list.Count());
        });
        SetOnGetSubItemList([this](QObject *, TSchemaItem *item, TStringList &list) {
            ++fieldRequests;
            for (const QString &name : TableFields.value(item->Caption()))
                list.Add(name);
        });
        SetOnExecSQL([this](QObject *, const QString &sql) -> QAbstractItemModel * {
            executed << sql;
            if (!failure.isEmpty())
                throw Exception(failure);
            return new QStandardItemModel(3, 1); // no parent: the form adopts it
        });
    }
    int fieldRequests = 0;
    QStringList executed;
    QString failure;
};

QStringList ticked(TSchemaDesignArea *area)
{
    QStringList rows;
    for (int i = 0; i < area->GetItemCount(); ++i) {
        TSchemaItem *item = area->GetItem(i);
        for (int r = 0; r < item->GetSubItemCount(); ++r) {
            if (item->GetSubItem(r)->Checked())
                rows << item->Caption() + '.' + item->GetSubItem(r)->Caption();
        }
    }
    return rows;
}

QStringList listTexts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

void selectTable(TfrmZkSQLBuilder &form, const QString &name)
{
    const auto found = form.lbTables->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    QVERIFY(!found.isEmpty());
    form.lbTables->setCurrentItem(found.first());
}

} // namespace

class tst_BuilderDialog : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layoutAndTexts();
    void tableList();
    void drops_data();
    void drops();
    void sameTableTwice();
    void doubleClickDroppedOnTopOfATable();
    void newTablesLeftJoinsNoRoom_data();
    void newTablesLeftJoinsNoRoom();
    void windowAsTheUserLeftIt();
    void openingShowedPartOfTheGrid_data();
    void openingShowedPartOfTheGrid();
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

private:
    std::unique_ptr<FakeDialogService> m_dialogs;
    std::unique_ptr<DiduzaTest::ExceptionRecorder> m_errors;
    std::unique_ptr<Engine> m_engine;
    std::unique_ptr<Builder> m_form;
};

void tst_BuilderDialog::init()
{
    m_dialogs = std::make_unique<FakeDialogService>();
    m_errors = std::make_unique<DiduzaTest::ExceptionRecorder>();
    m_engine = std::make_unique<Engine>();
    m_form = std::make_unique<Builder>();
    m_form->SetDataEngine(m_engine.get());
}

void tst_BuilderDialog::cleanup()
{
    m_form.reset();
    m_engine.reset();
    const QStringList errors = m_errors->messages;
    m_errors.reset();
    m_dialogs.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join("; ")));
}

void tst_BuilderDialog::layoutAndTexts()
{
    Builder &form = *m_form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Tarvelon Software: Diduza REVIzirovi"));
    QVERIFY(!form.windowIcon().isNull());
    QCOMPARE(form.pcSQL->tabPosition(), QTabWidget::South);
    QStringList tabs;
    for (int i = 0; i < form.pcSQL->count(); ++i)
        tabs << form.pcSQL->tabText(i);
    QCOMPARE(tabs, QStringList({ "Columns", "Options", "SQL", "Results" }));
    QVERIFY(form.SQLMemo->isReadOnly());
    QCOMPARE(form.SQLMemo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(form.btnOK->text(), QStringLiteral("OK"));
    QCOMPARE(form.btnCancel->text(), QStringLiteral("Cancel"));

    const QList<std::tuple<QToolButton *, int, QString>> buttons = {
        { form.btnNew, 8, "New SQL" },
        { form.btnOpen, 33, "Open SQL from file" },
        { form.btnSave, 58, "Save a current SQl into file" },
        { form.btnShowGrid, 96, "Show grid with columns" },
        { form.btnShowTables, 121, "Show list of tables" },
        { form.btnGenSQL, 158, "Generate SQL-statement" },
        { form.btnExecSQL, 183, "Execute SQL and show results" },
    };
    for (const auto &[button, left, hint] : buttons) {
        QCOMPARE(button->geometry(), QRect(left, 3, 25, 25));
        QCOMPARE(button->toolTip(), hint);
        QVERIFY(button->autoRaise());
        QVERIFY(!button->icon().isNull());
        QCOMPARE(button->isChecked(), button == form.btnShowGrid || button == form.btnShowTables);
    }
    // The save button's second glyph is its disabled look.
    const QImage saveOn = form.btnSave->icon().pixmap(16, 16).toImage();
    const QImage saveOff = form.btnSave->icon().pixmap(QSize(16, 16), QIcon::Disabled).toImage();
    QVERIFY(saveOn != saveOff);

    // OK and Cancel keep to the right edge at any width.
    for (const int width : { 654, 900, 500 }) {
        form.resize(width, 453);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_COMPARE(form.btnCancel->x(), form.pnlToolbar->width() - 75 - 10);
        QCOMPARE(form.btnOK->x(), form.btnCancel->x() - 75 - 5);
    }
    form.resize(654, 453);
    QTRY_COMPARE(form.pnlToolbar->height(), 31);
    QCOMPARE(form.pcSQL->height(), 165);
    QCOMPARE(form.pnlTables->width(), 155);
    QCOMPARE(form.pbTableGrabber->height(), 10);
    // The pages span the whole width, under the area and the table panel.
    QCOMPARE(form.pcSQL->width(), form.width());
    QVERIFY(form.pnlTables->mapTo(&form, QPoint()).y() < form.pcSQL->mapTo(&form, QPoint()).y());
}

void tst_BuilderDialog::tableList()
{
    Builder &form = *m_form;
    // Sorted ignoring the case of A to Z; every name keeps the object the engine gave it.
    QCOMPARE(listTexts(form.lbTables),
        QStringList({ "alpha", "beta", "Customer", "customer", "orders" }));
    QCOMPARE(form.lbTables->item(4)->data(Qt::UserRole).toInt(), 0);
    QCOMPARE(form.lbTables->item(0)->data(Qt::UserRole).toInt(), 4);
    const QFontMetrics metrics(form.lbTables->font());
    QCOMPARE(form.TablesHorizontalExtent(), metrics.horizontalAdvance("Customer") + 19);

    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.lbTables->visualItemRect(form.lbTables->item(1)).height(), 19);
    // The draw hook replaces the painting of every entry it is asked for.
    QList<int> drawn;
    form.SetOnDrawTableItem(
        [&](QObject *control, int index, const QRect &, TOwnerDrawState, QPainter &) {
            QCOMPARE(control, form.lbTables);
            drawn << index;
        });
    form.lbTables->grab();
    std::sort(drawn.begin(), drawn.end());
    drawn.erase(std::unique(drawn.begin(), drawn.end()), drawn.end());
    QCOMPARE(drawn, QList<int>({ 0, 1, 2, 3, 4 }));

    form.SetDataEngine(nullptr);
    QCOMPARE(form.lbTables->count(), 0);
    QCOMPARE(form.TablesHorizontalExtent(), 0);
}

void tst_BuilderDialog::drops_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QPoint>("placed"); // (-1, -1): nothing is added
    QTest::newRow("on the area") << "area" << QPoint(50, 60);
    // Beside that item, in line with the point (a table is not dropped on top of another).
    QTest::newRow("on an item: its point made the area's") << "item" << QPoint(0, 200 + 9);
    QTest::newRow("double-click") << "double-click" << QPoint(10, 10);
    QTest::newRow("from elsewhere") << "other source" << QPoint(-1, -1);
    QTest::newRow("nothing selected") << "no selection" << QPoint(-1, -1);
}

void tst_BuilderDialog::drops()
{
    QFETCH(QString, how);
    QFETCH(QPoint, placed);
    Builder &form = *m_form;
    TSchemaDesignArea *area = form.SchemaDesignArea;
    TSchemaItem *target = AddNewItem(area, "orders", QVariant(), 300, 200);
    QVERIFY(target);
    selectTable(form, "customer");

    bool accepted = false;
    form.SchemaDesignAreaDragOver(area, form.lbTables, 0, 0, dsDragMove, accepted);
    QVERIFY(accepted);
    form.SchemaDesignAreaDragOver(area, target->ItemControl(), 0, 0, dsDragMove, accepted);
    QVERIFY(!accepted);

    if (how == "area")
        area->DragDrop(area, form.lbTables, 50, 60);
    else if (how == "item")
        area->DragDrop(target, form.lbTables, 7, 9);
    else if (how == "double-click")
        form.lbTablesDblClick(form.lbTables);
    else if (how == "other source")
        area->DragDrop(area, target->ItemControl(), 50, 60);
    else
        form.lbTables->clearSelection(), area->DragDrop(area, form.lbTables, 50, 60);

    if (placed.x() < 0) {
        QCOMPARE(area->GetItemCount(), 1);
        return;
    }
    QCOMPARE(area->GetItemCount(), 2);
    TSchemaItem *item = area->GetItem(1);
    QCOMPARE(item->Caption(), QStringLiteral("customer"));
    if (how == QLatin1String("item")) {
        QCOMPARE(item->y(), placed.y());
        QCOMPARE(item->x(), target->geometry().right() + 1 + ItemGapX);
    } else {
        QCOMPARE(item->pos(), placed);
    }
    QCOMPARE(item->Data().toInt(), 3); // the entry's own object, not that of "Customer"
    QCOMPARE(ticked(area), QStringList({ "orders.*", "customer.*" }));
    QVERIFY(
        form.GenerateSQL().startsWith("SELECT  orders.*, customer.* \r\nFROM orders, customer"));
}

void tst_BuilderDialog::sameTableTwice()
{
    Builder &form = *m_form;
    selectTable(form, "customer");
    form.lbTablesDblClick(form.lbTables);
    form.lbTablesDblClick(form.lbTables);
    QCOMPARE(form.SchemaDesignArea->GetItemCount(), 2);
    QCOMPARE(form.cbTables->count(), 2);
    QCOMPARE(form.GenerateSQL(),
        QStringLiteral("SELECT  customer0.*, customer1.* \r\nFROM customer customer0, customer "
                       "customer1 \r\n"));
}

// A double-click places each table at the first free spot from (10, 10).
void tst_BuilderDialog::doubleClickDroppedOnTopOfATable()
{
    Builder &form = *m_form;
    TSchemaDesignArea *area = form.SchemaDesignArea;
    for (const char *name : { "customer", "orders", "customer", "orders" }) {
        selectTable(form, name);
        form.lbTablesDblClick(form.lbTables);
    }
    QCOMPARE(area->GetItemCount(), 4);
    QCOMPARE(area->GetItem(0)->pos(), QPoint(10, 10));
    for (int i = 0; i < 4; ++i) {
        for (int k = i + 1; k < 4; ++k)
            QVERIFY2(!area->GetItem(i)->geometry().intersects(area->GetItem(k)->geometry()),
                qPrintable(QStringLiteral("%1 and %2").arg(i).arg(k)));
    }
}

void tst_BuilderDialog::newTablesLeftJoinsNoRoom_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("double-clicks on the list") << "double-click";
    QTest::newRow("dropped onto a table") << "drop";
    QTest::newRow("dropped too close beside a table") << "beside";
    QTest::newRow("a joined statement opened") << "import";
}

// New tables stood 20 pixels from their neighbour or on top of it, so their joins were
// squeezed into the gap or drawn behind the tables: they keep a gap a relation can use, also
// where the builder opens on a statement (and Apply to diagram, which reads it the same way).
void tst_BuilderDialog::newTablesLeftJoinsNoRoom()
{
    QFETCH(QString, how);
    Builder &form = *m_form;
    TSchemaDesignArea *area = form.SchemaDesignArea;
    form.resize(900, 600);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    if (how == QLatin1String("import")) {
        form.SetExtendedGrid(true);
        form.ImportQuery(ImportSelect(QStringLiteral("SELECT * FROM customer c JOIN orders o "
                                                     "ON o.customer_id = c.id JOIN customer d "
                                                     "ON d.id = o.customer_id")));
    } else {
        selectTable(form, "customer");
        form.lbTablesDblClick(form.lbTables);
        selectTable(form, "orders");
        TSchemaItem *first = area->GetItem(0);
        if (how == QLatin1String("double-click"))
            form.lbTablesDblClick(form.lbTables);
        else if (how == QLatin1String("drop"))
            area->DragDrop(area, form.lbTables, first->x() + 20, first->y() + 30);
        else
            area->DragDrop(area, form.lbTables, first->geometry().right() + 15, first->y());
        selectTable(form, "customer");
        form.lbTablesDblClick(form.lbTables);
    }
    QCOMPARE(area->GetItemCount(), 3);
    const QRect view = area->viewport()->rect();
    for (int i = 0; i < area->GetItemCount(); ++i) {
        const QRect a = area->GetItem(i)->geometry();
        QVERIFY2(view.contains(a), qPrintable(QStringLiteral("table %1 out of view").arg(i)));
        for (int k = i + 1; k < area->GetItemCount(); ++k) {
            const QRect b = area->GetItem(k)->geometry();
            QVERIFY2(!b.intersects(a.adjusted(-ItemGapX, -ItemGapY, ItemGapX, ItemGapY)),
                qPrintable(QStringLiteral("tables %1 and %2 closer than the gap").arg(i).arg(k)));
        }
    }
    // Neighbours in a row stand exactly the gap apart: the row holds as many as it can.
    const QRect first = area->GetItem(0)->geometry();
    const QRect second = area->GetItem(1)->geometry();
    if (second.top() == first.top() && how != QLatin1String("beside"))
        QCOMPARE(second.left(), first.right() + 1 + ItemGapX);
}

// The size, splitters and page come back through SaveState; the form never opens larger than
// the screen's available area; anything that is no state is refused.
void tst_BuilderDialog::windowAsTheUserLeftIt()
{
    Builder &form = *m_form;
    form.resize(700, 500);
    form.SplitterGrid->setSizes({ 300, 150 });
    form.pcSQL->setCurrentWidget(form.tsOptions);
    const QByteArray state = form.SaveState();
    Builder other;
    QVERIFY(other.RestoreState(state));
    QCOMPARE(other.size(), QSize(700, 500));
    QCOMPARE(other.pcSQL->currentWidget(), other.tsOptions);
    QCOMPARE(other.SplitterGrid->saveState(), form.SplitterGrid->saveState());
    QVERIFY(!other.RestoreState("not a state"));
    QCOMPARE(other.size(), QSize(700, 500));

    const QSize room = other.screen()->availableGeometry().size();
    other.resize(room.width() * 2, room.height() * 2);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    QVERIFY(other.frameGeometry().width() <= room.width());
    QVERIFY(other.frameGeometry().height() <= room.height());
}

void tst_BuilderDialog::openingShowedPartOfTheGrid_data()
{
    QTest::addColumn<bool>("extended");
    QTest::addColumn<bool>("grouped");
    QTest::newRow("designed grid") << false << false;
    QTest::newRow("extended grid") << true << false;
    QTest::newRow("extended grid, grouped") << true << true;
}

// The builder opened at its designed size, which shows six rows of the extended grid: it opens
// tall enough for every row, the having row too, with the canvas of its designed size (the
// designed grid fits the designed size); height the user adds goes to the pages as well as to
// the canvas.
void tst_BuilderDialog::openingShowedPartOfTheGrid()
{
    QFETCH(bool, extended);
    QFETCH(bool, grouped);
    Builder &form = *m_form;
    form.SetExtendedGrid(extended);
    selectTable(form, "customer");
    form.lbTablesDblClick(form.lbTables);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const int canvas = form.SchemaDesignArea->height();
    QCOMPARE(canvas, 453 - 31 - 165 - 3); // as designed
    QCOMPARE(form.width(), 654);
    if (!extended)
        QCOMPARE(form.height(), 453); // the designed grid fits its designed pages
    if (grouped) {
        bool select = true;
        form.sgColumnGridSelectCell(form.sgColumnGrid, 1, 5, select);
        form.cbGroupBy->setChecked(true);
        form.cbInplaceChange(form.cbGroupBy); // the having row shows
    }
    TStringGrid *grid = form.sgColumnGrid;
    const QRect view = grid->viewport()->rect();
    const int last = extended ? 9 : 5;
    for (int row = 0; row <= last; ++row) {
        if (grid->isRowHidden(row))
            continue;
        const QRect cell = grid->visualRect(grid->model()->index(row, 1));
        QVERIFY2(view.contains(cell),
            qPrintable(QStringLiteral("row %1 at %2..%3 of %4")
                           .arg(row)
                           .arg(cell.top())
                           .arg(cell.bottom())
                           .arg(view.height())));
    }
    const int pages = form.pcSQL->height();
    form.resize(form.width(), form.height() + 100);
    QTRY_VERIFY(form.pcSQL->height() >= pages + 30);
    QVERIFY(form.SchemaDesignArea->height() >= canvas + 30);
}

void tst_BuilderDialog::openAndSave()
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

void tst_BuilderDialog::pagesRunTheCurrentStatement()
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

void tst_BuilderDialog::resultsPageNeverFails_data()
{
    QTest::addColumn<bool>("withEngine");
    QTest::addColumn<QString>("shown");
    QTest::newRow("no engine") << false << "No data engine is set, so the statement cannot be run.";
    QTest::newRow("rejected") << true << "no such column: nam";
}

void tst_BuilderDialog::resultsPageNeverFails()
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

void tst_BuilderDialog::grabberAndToggles()
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

void tst_BuilderDialog::dialectChoiceAndNotes()
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

void tst_BuilderDialog::undoInTheBuilder()
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

void tst_BuilderDialog::undoOfATableClosedFromItsMenu()
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

void tst_BuilderDialog::gridTextWasCutOffInsteadOfElided()
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

void tst_BuilderDialog::groupingCheckBoxWasPaintedTwice()
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

void tst_BuilderDialog::escapeLostTheWorkWithoutAWord_data()
{
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("no change: closes at once") << false << false << true;
    QTest::newRow("changed, stays") << true << false << false;
    QTest::newRow("changed, confirmed") << true << true << true;
}

void tst_BuilderDialog::escapeLostTheWorkWithoutAWord()
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

void tst_BuilderDialog::executeAndCancel()
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

void tst_BuilderDialog::importLayout()
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

void tst_BuilderDialog::importTicks_data()
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

void tst_BuilderDialog::importTicks()
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

void tst_BuilderDialog::okReturnsTheGivenTextUntilAChange()
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

void tst_BuilderDialog::fullImport()
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

void tst_BuilderDialog::emptyStatementWasCalledNoSelect_data()
{
    QTest::addColumn<bool>("full");
    QTest::addColumn<QString>("sql");
    QTest::newRow("full import, empty") << true << "";
    QTest::newRow("full import, blanks and line breaks") << true << "  \r\n\t";
    QTest::newRow("field import, empty") << false << "";
}

// Opening the builder with no statement said "holds 0 statement(s), not one SELECT": there is
// nothing to carry over, and nothing is said.
void tst_BuilderDialog::emptyStatementWasCalledNoSelect()
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
void tst_BuilderDialog::fieldImportSaidNothingOfWhatItLeftOut()
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
void tst_BuilderDialog::extendedGridRows()
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

void tst_BuilderDialog::furtherJoinConditionsKeptInFilesAndUndo()
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

void tst_BuilderDialog::errorsLeaveAfterTheFormIsFreed()
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

void tst_BuilderDialog::nameHooksWereCalledBeforeTheFormWasShown_data()
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
void tst_BuilderDialog::nameHooksWereCalledBeforeTheFormWasShown()
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

void tst_BuilderDialog::freedEngineReadsAsNothing()
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

void tst_BuilderDialog::sqlBuilderFunction_data()
{
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void tst_BuilderDialog::sqlBuilderFunction()
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

QTEST_MAIN(tst_BuilderDialog)
#include "tst_builderdialog.moc"
