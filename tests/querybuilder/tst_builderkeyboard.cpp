// The query builder without a mouse: the table list's keys and menu, the design area's keys in
// the builder, pages by Ctrl+Tab, Tab out of the results, focus marks, and the column grid as a
// screen reader reads it.

#include "../common/TestSupport.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/TSchemaCheckListBox.h"
#include "engines/TSchemaCustomDataEngine.h"
#include "platform/TStringGrid.h"
#include "querybuilder/TfrmZkSQLBuilder.h"

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QUndoStack>
#include <QtTest>

using namespace Diduza;

namespace {

const QHash<QString, QStringList> TableFields = {
    { "customer", { "id", "name", "city" } },
    { "orders", { "id", "customer_id", "amount" } },
    { "products", { "id", "name" } },
};

// Lists the three tables and their fields; runs every statement into a small model.
class Engine : public TSchemaCustomDataEngine {
public:
    Engine()
    {
        SetSQLSubType(stAnsi);
        SetOnGetItemList([](QObject *, TStringList &list) {
            for (const QString &name : TableFields.keys())
                list.Add(name);
        });
        SetOnGetSubItemList([](QObject *, TSchemaItem *item, TStringList &list) {
            for (const QString &name : TableFields.value(item->Caption()))
                list.Add(name);
        });
        SetOnExecSQL([this](QObject *, const QString &sql) {
            statements << sql;
            auto *model = new QStandardItemModel(3, 2);
            for (int r = 0; r < 3; ++r) {
                for (int c = 0; c < 2; ++c)
                    model->setItem(r, c, new QStandardItem(QString::number(r * 2 + c)));
            }
            return model;
        });
    }
    QStringList statements;
};

QStringList captions(TSchemaDesignArea *area)
{
    QStringList names;
    for (int i = 0; i < area->GetItemCount(); ++i)
        names << area->GetItem(i)->Caption();
    return names;
}

// The grid's field columns as "table.field".
QStringList gridColumns(TfrmZkSQLBuilder &form)
{
    QStringList columns;
    for (int col = 1; col < form.sgColumnGrid->ColCount(); ++col) {
        if (TSchemaSubItem *row = form.ReferencedSubItem(form.sgColumnGrid->Cells(col, 0)))
            columns << row->ItemOwner()->Caption() + QLatin1Char('.') + row->Caption();
    }
    return columns;
}

QListWidgetItem *entry(TfrmZkSQLBuilder &form, const QString &table)
{
    const QList<QListWidgetItem *> found = form.lbTables->findItems(table, Qt::MatchExactly);
    return found.value(0);
}

// The popup menu shown now, if any.
QMenu *shownMenu()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *menu = qobject_cast<QMenu *>(w); menu && menu->isVisible())
            return menu;
    }
    return nullptr;
}

QStringList entryNames(const QMenu *menu)
{
    QStringList names;
    for (const QAction *action : menu->actions()) {
        if (!action->isSeparator())
            names << action->objectName();
    }
    return names;
}

} // namespace

class tst_BuilderKeyboard : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void tableListAddsTheSelection_data();
    void tableListAddsTheSelection();
    void tableListMenu_data();
    void tableListMenu();
    void dragOfASelectionAddsItAll();
    void diagramByKeys();
    void pagesAndTheResultsByKeys();
    void focusIsMarkedInTheTableList();
    void gridReadsAsItShows();

private:
    void showForm();

    std::unique_ptr<DiduzaTest::FakeDialogService> m_dialogs;
    std::unique_ptr<DiduzaTest::ExceptionRecorder> m_errors;
    std::unique_ptr<Engine> m_engine;
    std::unique_ptr<TfrmZkSQLBuilder> m_form;
};

void tst_BuilderKeyboard::init()
{
    m_dialogs = std::make_unique<DiduzaTest::FakeDialogService>();
    m_errors = std::make_unique<DiduzaTest::ExceptionRecorder>();
    m_engine = std::make_unique<Engine>();
    m_form = std::make_unique<TfrmZkSQLBuilder>();
    m_form->SetDataEngine(m_engine.get());
}

void tst_BuilderKeyboard::cleanup()
{
    m_form.reset();
    m_engine.reset();
    QVERIFY2(m_errors->messages.isEmpty(), qPrintable(m_errors->messages.join('\n')));
    m_errors.reset();
    m_dialogs.reset();
}

void tst_BuilderKeyboard::showForm()
{
    m_form->resize(900, 650);
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

void tst_BuilderKeyboard::tableListAddsTheSelection_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("added");
    const QStringList both { "customer", "orders" };
    QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier) << both;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << both;
    QTest::newRow("Insert") << int(Qt::Key_Insert) << int(Qt::NoModifier) << both;
    QTest::newRow("Space selects only")
        << int(Qt::Key_Space) << int(Qt::NoModifier) << QStringList();
    QTest::newRow("Alt+Return") << int(Qt::Key_Return) << int(Qt::AltModifier) << QStringList();
}

// Several entries selected by keyboard, one key adds them all, each where a double-click puts
// it, with its "*" ticked, as one step.
void tst_BuilderKeyboard::tableListAddsTheSelection()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QStringList, added);
    showForm();
    QListWidget *list = m_form->lbTables;
    list->setFocus(Qt::TabFocusReason);
    list->setCurrentItem(entry(*m_form, "customer"));
    QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier); // customer and orders
    QCOMPARE(list->selectedItems().size(), 2);
    QTest::keyClick(list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    TSchemaDesignArea *area = m_form->SchemaDesignArea;
    QCOMPARE(captions(area), added);
    if (added.isEmpty())
        return;
    QCOMPARE(area->UndoStack()->count(), 1);
    QVERIFY(!area->GetItem(0)->geometry().intersects(area->GetItem(1)->geometry()));
    for (int i = 0; i < area->GetItemCount(); ++i)
        QVERIFY(area->GetItem(i)->GetSubItem(0)->Checked()); // "*"
    QCOMPARE(QApplication::focusWidget(), list); // the next tables are a key away
    QCOMPARE(list->currentItem(), entry(*m_form, "orders"));
    area->UndoStack()->undo();
    QCOMPARE(area->GetItemCount(), 0);
}

void tst_BuilderKeyboard::tableListMenu_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("menu key") << int(Qt::Key_Menu) << int(Qt::NoModifier);
    QTest::newRow("Shift+F10") << int(Qt::Key_F10) << int(Qt::ShiftModifier);
}

void tst_BuilderKeyboard::tableListMenu()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    showForm();
    QListWidget *list = m_form->lbTables;
    list->setFocus(Qt::TabFocusReason);
    list->setCurrentItem(entry(*m_form, "products"));
    QTest::keyClick(list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QMenu *menu = shownMenu();
    QVERIFY(menu);
    QCOMPARE(entryNames(menu), QStringList({ "actAddTables", "actAddTablesRelated" }));
    // At the entry the keys work on.
    const QRect at = list->visualItemRect(list->currentItem());
    QCOMPARE(menu->y(), list->viewport()->mapToGlobal(at.bottomLeft()).y());
    menu->actions().first()->trigger();
    menu->hide();
    QCOMPARE(captions(m_form->SchemaDesignArea), QStringList { "products" });
}

// A drag of several selected entries brings all of them, not just the one under the pointer.
void tst_BuilderKeyboard::dragOfASelectionAddsItAll()
{
    QListWidget *list = m_form->lbTables;
    list->setCurrentItem(entry(*m_form, "orders"));
    entry(*m_form, "products")->setSelected(true);
    TSchemaDesignArea *area = m_form->SchemaDesignArea;
    area->DragDrop(area, list, 200, 120);
    QCOMPARE(captions(area), QStringList({ "orders", "products" }));
    // Where it was dropped, though the area may have scrolled to show the others.
    const QPoint scrolled(area->horizontalScrollBar()->value(), area->verticalScrollBar()->value());
    QCOMPARE(area->GetItem(0)->pos() + scrolled, QPoint(200, 120));
    QVERIFY(!area->GetItem(0)->geometry().intersects(area->GetItem(1)->geometry()));
    QCOMPARE(list->selectedItems().size(), 2);
    QCOMPARE(list->currentItem(), entry(*m_form, "orders"));
}

// What the builder adds to the area's keys: a row ticked by Enter keeps the focus (the grid's
// editor does not take it), the items' menus carry the builder's commands, and Delete takes
// the table's grid columns with it. (Tab, the arrows and Ctrl+L are the area's own; the Xvfb
// keyboard check runs them all in the builder.)
void tst_BuilderKeyboard::diagramByKeys()
{
    showForm();
    TSchemaDesignArea *area = m_form->SchemaDesignArea;
    QVERIFY(area->KeyboardNavigation());
    AddNewItem(area, "customer", QVariant(), 10, 10);
    AddNewItem(area, "orders", QVariant(), 250, 10);
    TSchemaItem *customer = area->GetItem(0);
    TSchemaItem *orders = area->GetItem(1);
    QWidget *rows = customer->ItemControl();
    area->setFocus(Qt::TabFocusReason);
    QTest::keyClick(area, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), rows);

    // "*", id, name: Enter on name ticks it, its grid column replaces customer's "*".
    QTest::keyClick(rows, Qt::Key_Down);
    QTest::keyClick(rows, Qt::Key_Down);
    QTest::keyClick(rows, Qt::Key_Return);
    QCOMPARE(gridColumns(*m_form), QStringList({ "orders.*", "customer.name" }));
    QCOMPARE(QApplication::focusWidget(), rows);

    QTest::keyClick(rows, Qt::Key_Menu);
    QMenu *menu = shownMenu();
    QVERIFY(menu);
    const QStringList names = entryNames(menu);
    for (const char *name : { "actLinkTo", "actAddRelatedTables", "actAddAllTables" })
        QVERIFY2(names.contains(QLatin1String(name)), qPrintable(names.join(' ')));
    menu->hide();

    QTest::keyClick(rows, Qt::Key_Delete);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(captions(area), QStringList { "orders" });
    QCOMPARE(QApplication::focusWidget(), orders->ItemControl());
    QCOMPARE(gridColumns(*m_form), QStringList { "orders.*" });
}

// Ctrl+Tab changes pages from wherever the focus is; Tab goes past the results grid.
void tst_BuilderKeyboard::pagesAndTheResultsByKeys()
{
    showForm();
    QTabWidget *pages = m_form->pcSQL;
    TSchemaDesignArea *area = m_form->SchemaDesignArea;
    area->setFocus(Qt::TabFocusReason);
    QCOMPARE(pages->currentWidget(), m_form->tsColumns);
    QTest::keyClick(area, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(pages->currentWidget(), m_form->tsOptions);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(pages->currentWidget(), m_form->tsResults);
    QCOMPARE(m_engine->statements.size(), 1); // the page ran the statement

    QTableView *grid = m_form->DBGrid1;
    grid->setFocus(Qt::TabFocusReason);
    grid->setCurrentIndex(grid->model()->index(0, 0));
    QTest::keyClick(grid, Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != grid);
    QCOMPARE(grid->currentIndex(), grid->model()->index(0, 0));
    grid->setFocus(Qt::TabFocusReason);
    QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(pages->currentWidget(), m_form->tsColumns); // round to the first page
    QTest::keyClick(
        QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(pages->currentWidget(), m_form->tsResults);
}

// The entry the keys work on shows a frame while the list has the focus.
void tst_BuilderKeyboard::focusIsMarkedInTheTableList()
{
    showForm();
    QListWidget *list = m_form->lbTables;
    list->setCurrentItem(entry(*m_form, "orders"));
    list->clearSelection(); // the frame, not the selection, is looked for
    const QRect at = list->visualItemRect(list->currentItem());
    m_form->SchemaDesignArea->setFocus(Qt::TabFocusReason);
    const QImage without = list->viewport()->grab().toImage().copy(at);
    QTest::keyClick(m_form->SchemaDesignArea, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), list);
    QVERIFY(list->viewport()->grab().toImage().copy(at) != without);
}

// A screen reader hears what the grid shows: the column's field, rows by their names, ticks
// as words.
void tst_BuilderKeyboard::gridReadsAsItShows()
{
    TSchemaDesignArea *area = m_form->SchemaDesignArea;
    AddNewItem(area, "customer", QVariant(), 10, 10);
    area->GetItem(0)->GetSubItemByName("city")->SetChecked(true);
    TStringGrid *grid = m_form->sgColumnGrid;
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(grid);
    QVERIFY(table && table->tableInterface());
    QAccessibleTableInterface *cells = table->tableInterface();
    QStringList rows;
    for (int row = 0; row < grid->RowCount(); ++row)
        rows << cells->rowDescription(row);
    QCOMPARE(rows, QStringList({ "Field", "Table", "Calculate", "Sort", "Where", "Grouping" }));
    const int column = grid->horizontalHeader()->logicalIndex(1);
    QCOMPARE(cells->cellAt(0, column)->text(QAccessible::Name), QStringLiteral("customer.city"));
    QCOMPARE(cells->columnDescription(column), QStringLiteral("customer.city"));
    QCOMPARE(cells->cellAt(1, column)->text(QAccessible::Name), QStringLiteral("customer"));
    QCOMPARE(cells->cellAt(5, column)->text(QAccessible::Name), QStringLiteral("not ticked"));
    grid->SetCells(1, 5, "1");
    QCOMPARE(cells->cellAt(5, column)->text(QAccessible::Name), QStringLiteral("ticked"));
    // The glyph buttons of the tool bar have names too.
    QCOMPARE(QAccessible::queryAccessibleInterface(m_form->btnExecSQL)->text(QAccessible::Name),
        QStringLiteral("Execute SQL and show results"));
}

QTEST_MAIN(tst_BuilderKeyboard)
#include "tst_builderkeyboard.moc"
