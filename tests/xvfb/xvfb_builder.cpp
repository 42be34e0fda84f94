// A real window for the builder check under Xvfb (run_builder_check.sh): the query builder on
// the SQLite sample database. It prints where the script should drag a table from and to, then
// waits for commands on its standard input:
//   locate  prints where the dropped table's "name" row ticks and where Execute is
//   report  prints the diagram, the page shown, the result's row count and the reference count
//   quit    ends the program
// Every line it prints is "KEY value ...", read by the script.

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/items/TSchemaListBox.h"
#include "diagram/TSchemaSubItem.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "querybuilder/TfrmZkSQLBuilder.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QSocketNotifier>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
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
    std::printf("%s %s\n", key, qPrintable(text));
    std::fflush(stdout);
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
    form.move(40, 40);
    form.resize(820, 560);
    form.show();

    QTimer::singleShot(500, &form, [&] {
        QListWidget *list = form.lbTables;
        const QList<QListWidgetItem *> found = list->findItems("customer", Qt::MatchExactly);
        if (found.isEmpty())
            QApplication::exit(3);
        print("TABLE", list->viewport()->mapToGlobal(list->visualItemRect(found.first()).center()));
        print("DROP", form.SchemaDesignArea->viewport()->mapToGlobal(QPoint(120, 60)));
        std::printf("READY\n");
        std::fflush(stdout);
    });

    QSocketNotifier input(0, QSocketNotifier::Read);
    QFile in;
    in.open(stdin, QIODevice::ReadOnly);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        const QString command = QString::fromUtf8(in.readLine()).trimmed();
        TSchemaDesignArea *area = form.SchemaDesignArea;
        if (command == "locate") {
            TSchemaItem *item = area->GetItem(0);
            TSchemaSubItem *name = item ? item->GetSubItemByName("name") : nullptr;
            if (!name) {
                print("LOCATED", QStringLiteral("nothing dropped"));
                return;
            }
            QListWidget *rows = item->ListBox();
            const QRect rect = rows->visualItemRect(rows->item(item->GetIndexBySubItem(name)));
            print("ROW",
                rows->viewport()->mapToGlobal(
                    QPoint(rect.left() + CheckWidth() / 2 + 1, rect.center().y())));
            print("EXEC", form.btnExecSQL->mapToGlobal(form.btnExecSQL->rect().center()));
            print("LOCATED", QStringLiteral("ok"));
        } else if (command == "report") {
            QStringList items;
            QStringList ticked;
            for (int i = 0; i < area->GetItemCount(); ++i) {
                TSchemaItem *item = area->GetItem(i);
                items << QStringLiteral("%1@%2,%3")
                             .arg(item->Caption())
                             .arg(item->x())
                             .arg(item->y());
                for (int r = 0; r < item->GetSubItemCount(); ++r) {
                    if (item->GetSubItem(r)->Checked())
                        ticked << item->Caption() + "." + item->GetSubItem(r)->Caption();
                }
            }
            print("ITEMS", items.join(' '));
            print("TICKED", ticked.join(' '));
            print("PAGE", form.pcSQL->tabText(form.pcSQL->currentIndex()));
            int rows = -1;
            if (QAbstractItemModel *model = form.ResultModel()) {
                while (model->canFetchMore(QModelIndex()))
                    model->fetchMore(QModelIndex());
                rows = model->rowCount();
            }
            print("ROWS", QString::number(rows));
            QSqlQuery count(db);
            count.exec("SELECT COUNT(*) FROM customer");
            print("REFERENCE", count.next() ? count.value(0).toString() : QStringLiteral("?"));
            std::printf("DONE\n");
            std::fflush(stdout);
        } else if (command == "quit" || command.isEmpty()) {
            QApplication::quit();
        }
    });
    return app.exec();
}
