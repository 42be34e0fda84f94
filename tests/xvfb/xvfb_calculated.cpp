// A real window for the calculated-column check under Xvfb (run_calculated_check.sh): the query
// builder with the extended grid on the SQLite sample database, "orders" on the diagram with its
// amount ticked. It prints where the Field cell of the next column is, then waits for commands
// on its standard input:
//   sortlist  opens the Sort cell of that column and prints where "Descending" is in its list
//   exec      prints where Execute is
//   report    prints the column's expression, alias and sort, the statement, its rows, the
//             reference count, and what a builder reopened on the statement shows in the column
//   quit      ends the program
// Every line it prints is "KEY value ...", read by the script.

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "platform/TStringGrid.h"
#include "querybuilder/TfrmZkSQLBuilder.h"
#include "sqlparser/SelectImport.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QSocketNotifier>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>
#include <QToolButton>

#include <cstdio>

using namespace Diduza;

namespace {

void print(const char *key, const QPoint &p)
{
    std::printf("%s %d %d\n", key, p.x(), p.y());
    std::fflush(stdout);
}

void print(const char *key, const QString &text)
{
    std::printf("%s %s\n", key, qPrintable(QString(text).replace("\r\n", " ").simplified()));
    std::fflush(stdout);
}

// The calculated column of a form, as "expression|sort|alias".
QString calculated(TfrmZkSQLBuilder &form)
{
    for (int col = 1; col < form.sgColumnGrid->ColCount(); ++col) {
        if (form.IsCalculatedColumn(col))
            return form.ColumnExpression(col) + '|' + form.sgColumnGrid->Cells(col, 3) + '|'
                + form.sgColumnGrid->Cells(col, 8);
    }
    return QStringLiteral("none");
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(QStringLiteral(DIDUZA_SAMPLE_DB));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open())
        return 2;
    TSchemaSqlDataEngine engine;
    TfrmZkSQLBuilder form;
    form.SetDataEngine(&engine);
    form.SetExtendedGrid(true);
    form.move(40, 40);
    form.resize(900, 640);
    form.show();
    TSchemaItem *orders = AddNewItem(form.SchemaDesignArea, QStringLiteral("orders"), {}, 20, 20);
    orders->GetSubItemByName(QStringLiteral("amount"))->SetChecked(true);
    // The column after the last field: the empty one the user types into.
    TStringGrid *grid = form.sgColumnGrid;
    grid->SetColCount(grid->ColCount() + 1);
    const int column = grid->ColCount() - 1;
    auto cellCenter = [&](int row) {
        return grid->mapToGlobal(grid->CellRect(column, row).center());
    };

    QTimer::singleShot(500, &form, [&] {
        print("FIELD", cellCenter(0));
        std::printf("READY\n");
        std::fflush(stdout);
    });

    QSocketNotifier input(0, QSocketNotifier::Read);
    QFile in;
    in.open(stdin, QIODevice::ReadOnly);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        const QString command = QString::fromUtf8(in.readLine()).trimmed();
        if (command == "sortcell") {
            print("SORT", cellCenter(3));
        } else if (command == "sortlist") {
            // The click on the cell opened its list; where "Descending" stands in it.
            QComboBox *list = form.cbSorting;
            if (!list->isVisible()) {
                print("LISTED", QStringLiteral("no editor"));
                return;
            }
            if (!list->view()->isVisible())
                list->showPopup();
            QTimer::singleShot(300, &form, [&, list] {
                QAbstractItemView *view = list->view();
                const int entry = list->findText(QStringLiteral("Descending"));
                print("DESC",
                    view->viewport()->mapToGlobal(
                        view->visualRect(list->model()->index(entry, 0)).center()));
                print("LISTED", QStringLiteral("ok"));
            });
        } else if (command == "exec") {
            print("EXEC", form.btnExecSQL->mapToGlobal(form.btnExecSQL->rect().center()));
        } else if (command == "report") {
            print("CALCULATED", calculated(form));
            print("SQL", form.SQLText());
            int rows = -1;
            if (QAbstractItemModel *model = form.ResultModel()) {
                while (model->canFetchMore(QModelIndex()))
                    model->fetchMore(QModelIndex());
                rows = model->rowCount();
            }
            print("ROWS", QString::number(rows));
            QSqlQuery count(db);
            count.exec("SELECT COUNT(*) FROM orders");
            print("REFERENCE", count.next() ? count.value(0).toString() : QStringLiteral("?"));
            // Reopened on its statement, a builder shows the column again.
            TfrmZkSQLBuilder again;
            again.SetDataEngine(&engine);
            again.SetExtendedGrid(true);
            const QStringList leftOut = again.ImportQuery(ImportSelect(form.SQLText()));
            print("REOPENED", calculated(again) + (leftOut.isEmpty() ? "" : " " + leftOut.join("; ")));
            std::printf("DONE\n");
            std::fflush(stdout);
        } else if (command == "quit" || command.isEmpty()) {
            QApplication::quit();
        }
    });
    return app.exec();
}
