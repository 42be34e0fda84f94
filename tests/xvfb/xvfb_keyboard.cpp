// A real window for the keyboard checks under Xvfb (run_keyboard_check.sh with xdotool,
// run_atspi_check.sh with an AT-SPI client): the query builder dialog on the SQLite sample
// database, started empty. Nothing but keys builds the query; the program only watches. It
// prints "WINDOW id" and "READY" once the builder shows, then reads commands on its standard
// input:
//   focus N   prints "SELECTED_N a,b": the tables selected in the table list, then
//             "FOCUS_N name": the object name of the widget with the focus (the item's caption
//             after "item:" for a table's rows, the window's title for a widget without a name)
//   quit      ends the program
// When the builder closes it prints "RETURNED ok" or "RETURNED cancel", the statement on one
// line ("SQL ..."), the rows it returns on the database ("ROWS n"), the rows of the reference
// join ("REFERENCE n") and "DONE". Every line it prints is "KEY value ...".

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "querybuilder/TSQLBuilderDialog.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QSocketNotifier>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>

#include <cstdio>

using namespace Diduza;

namespace {

void print(const char *key, const QString &text)
{
    std::printf("%s %s\n", key, qPrintable(text));
    std::fflush(stdout);
}

QString focusName()
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return QStringLiteral("none");
    for (QWidget *w = focus; w; w = w->parentWidget()) {
        if (auto *item = qobject_cast<TSchemaItem *>(w))
            return QStringLiteral("item:") + item->GetCaption();
    }
    if (focus->objectName().isEmpty())
        return focus->window()->windowTitle().replace(QLatin1Char(' '), QLatin1Char('_'));
    return focus->objectName();
}

int count(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM (%1) AS counted").arg(sql))
        || !query.next())
        return -1;
    return query.value(0).toInt();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false); // it reports after the builder closed
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(QStringLiteral(DIDUZA_SAMPLE_DB));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open())
        return 2;
    TSchemaSqlDataEngine engine;
    TSQLBuilderDialog dialog;
    dialog.SetDataEngine(&engine);
    dialog.SetCaption(QStringLiteral("Query builder"));

    QSocketNotifier input(0, QSocketNotifier::Read);
    QFile in;
    in.open(stdin, QIODevice::ReadOnly);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        const QString command = QString::fromUtf8(in.readLine()).trimmed();
        if (command.startsWith(QLatin1String("focus "))) {
            // The table list's selection first, then the focus, which the script waits for.
            if (TSchemaDesignArea *area = dialog.SchemaDesignArea()) {
                QStringList chosen;
                if (auto *list = area->window()->findChild<QListWidget *>("lbTables")) {
                    for (const QListWidgetItem *entry : list->selectedItems())
                        chosen << entry->text();
                }
                print(qPrintable(QStringLiteral("SELECTED_") + command.mid(6)), chosen.join(','));
            }
            print(qPrintable(QStringLiteral("FOCUS_") + command.mid(6)), focusName());
        } else if (command == QLatin1String("quit") || command.isEmpty()) {
            input.setEnabled(false);
            QApplication::exit(0);
        }
    });

    // Once the builder shows: its window, then READY.
    QTimer ready;
    ready.setInterval(100);
    QObject::connect(&ready, &QTimer::timeout, &app, [&] {
        TSchemaDesignArea *area = dialog.SchemaDesignArea();
        QWidget *form = area ? area->window() : nullptr;
        if (!form || !form->isVisible())
            return;
        ready.stop();
        form->activateWindow();
        print("WINDOW", QString::number(form->winId()));
        std::printf("READY\n");
        std::fflush(stdout);
    });
    ready.start();

    QTimer::singleShot(0, &app, [&] {
        const bool ok = dialog.Execute();
        const QString sql = dialog.SQL();
        print("RETURNED", ok ? QStringLiteral("ok") : QStringLiteral("cancel"));
        print("SQL", QString(sql).replace(QLatin1String("\r\n"), QLatin1String(" ")).simplified());
        print("ROWS", QString::number(ok ? count(db, sql) : -1));
        print("REFERENCE",
            QString::number(count(db,
                QStringLiteral("SELECT customer.name FROM customer INNER JOIN orders ON "
                               "customer.id = orders.customer_id"))));
        std::printf("DONE\n");
        std::fflush(stdout);
    });
    return app.exec();
}
