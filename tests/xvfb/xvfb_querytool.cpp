// A real window for the query-tool check under Xvfb (run_querytool_check.sh): the query builder
// on the SQLite sample database with the editable SQL page and background execution, the SQL
// page shown and empty. It prints where the script should type and click, then waits for
// commands on its standard input:
//   report TAG  prints the SQL page's error, its mark and label, the page shown, the result's row
//               count, the status line, whether a statement runs and the reference count,
//               then "DONE TAG"
//   quit        ends the program
// Every line it prints is "KEY value ...", read by the script.

#include "engines/TSchemaSqlDataEngine.h"
#include "querybuilder/TfrmZkSQLBuilder.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSocketNotifier>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

using namespace Diduza;

namespace {

void print(const char *key, const QString &text)
{
    std::printf("%s %s\n", key, qPrintable(text));
    std::fflush(stdout);
}

void print(const char *key, const QPoint &p)
{
    print(key, QStringLiteral("%1 %2").arg(p.x()).arg(p.y()));
}

QPoint centre(QWidget *w)
{
    return w->mapToGlobal(w->rect().center());
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
    form.SetSQLEditable(true);
    form.SetBackgroundExecution(true);
    form.move(40, 40);
    form.resize(820, 560);
    form.show();
    form.pcSQL->setCurrentWidget(form.tsSQL);
    form.SQLMemo->clear();
    form.activateWindow();

    QTimer::singleShot(500, &form, [&] {
        print("WINDOW", QString::number(form.winId()));
        print("MEMO", centre(form.SQLMemo->viewport()));
        QTabBar *tabs = form.pcSQL->tabBar();
        print("SQLTAB", tabs->mapToGlobal(tabs->tabRect(form.pcSQL->indexOf(form.tsSQL)).center()));
        print("CANCEL", centre(form.btnCancelRun));
        std::printf("READY\n");
        std::fflush(stdout);
    });

    QSocketNotifier input(0, QSocketNotifier::Read);
    QFile in;
    in.open(stdin, QIODevice::ReadOnly);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        const QString command = QString::fromUtf8(in.readLine()).trimmed();
        if (command.startsWith("report")) {
            print("TEXT", form.SQLMemo->toPlainText());
            print("ERRORAT", QString::number(form.SQLErrorPosition()));
            const QList<QTextEdit::ExtraSelection> marks = form.SQLMemo->extraSelections();
            print("MARK",
                marks.isEmpty() ? QStringLiteral("none")
                                : QStringLiteral("%1 %2")
                                      .arg(marks.first().cursor.selectionStart())
                                      .arg(marks.first().cursor.selectionEnd()));
            print("LABEL",
                form.lblSQLError->isVisible() ? form.lblSQLError->text()
                                              : QStringLiteral("(hidden)"));
            print("PAGE", form.pcSQL->tabText(form.pcSQL->currentIndex()));
            QAbstractItemModel *model = form.ResultModel();
            print("ROWS", QString::number(model ? model->rowCount() : -1));
            print("STATUS", form.lblResultStatus->text());
            print("RUNNING", QString::number(form.IsRunning() ? 1 : 0));
            print("CANCEL", centre(form.btnCancelRun));
            QSqlQuery count(db);
            count.exec("SELECT COUNT(*) FROM customer");
            print("REFERENCE", count.next() ? count.value(0).toString() : QStringLiteral("?"));
            print("DONE", command.mid(6).trimmed());
        } else if (command == "quit" || command.isEmpty()) {
            QApplication::quit();
        }
    });
    return app.exec();
}
