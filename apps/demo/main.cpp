// The demo application: the tables of the embedded SQLite sample database on a design area,
// and the query builder on the same database. Without a display it runs offscreen, writes
// screenshots of the diagram and of the builder, prints their paths, the statement the builder
// generated and how many rows it returned.

#include "DemoDiagram.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "platform/Application.h"
#include "platform/TStringGrid.h"
#include "querybuilder/TfrmZkSQLBuilder.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenuBar>
#include <QSqlDatabase>
#include <QTimer>

#include <cstdio>
#include <memory>

using namespace Diduza;

namespace {
// The worked example of the builder: customers' names with the sum of their large orders.
void PrepareBuilder(TfrmZkSQLBuilder &form)
{
    TSchemaDesignArea *area = form.SchemaDesignArea;
    TSchemaItem *customer = area->AddItem(QStringLiteral("customer"), scCheckListBox);
    TSchemaItem *orders = area->AddItem(QStringLiteral("orders"), scCheckListBox);
    if (!customer || !orders)
        return;
    customer->move(20, 20);
    orders->move(260, 40);
    area->AddRelation(customer, orders, customer->GetSubItemByName(QStringLiteral("id")),
        orders->GetSubItemByName(QStringLiteral("customer_id")));
    customer->GetSubItemByName(QStringLiteral("name"))->SetChecked(true);
    orders->GetSubItemByName(QStringLiteral("amount"))->SetChecked(true);
    TStringGrid *grid = form.sgColumnGrid;
    grid->SetCells(1, 3, QStringLiteral("Ascending"));
    grid->SetCells(1, 5, QStringLiteral("1"));
    grid->SetRowCount(7);
    grid->SetCells(1, 6, QStringLiteral("SUM(orders.amount) > 1000"));
    grid->SetCells(2, 2, QStringLiteral("Summa"));
    grid->SetCells(2, 4, QStringLiteral("orders.amount > 100"));
}

bool save(QWidget &widget, const QString &file)
{
    if (!widget.grab().save(file)) {
        std::fprintf(stderr, "Could not write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Diduza demo"));

    QCommandLineParser parser;
    parser.addHelpOption();
    QCommandLineOption database(QStringLiteral("database"),
        QStringLiteral("The SQLite database to show (default: the sample)."),
        QStringLiteral("file"), QStringLiteral(DIDUZA_SAMPLE_DB));
    QCommandLineOption shot(QStringLiteral("screenshot"),
        QStringLiteral("Write screenshots to <folder> and quit."), QStringLiteral("folder"));
    parser.addOption(database);
    parser.addOption(shot);
    parser.process(app);

    const QString dbFile = parser.value(database);
    if (!QFileInfo::exists(dbFile)) {
        std::fprintf(stderr, "No database at %s\n", qPrintable(dbFile));
        return 1;
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        db.setDatabaseName(dbFile);
        if (!db.open()) {
            std::fprintf(stderr, "Cannot open %s\n", qPrintable(dbFile));
            return 1;
        }
    }
    TSchemaSqlDataEngine engine;

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Diduza demo: %1").arg(QFileInfo(dbFile).fileName()));
    auto *area = new TSchemaDesignArea(&window);
    window.setCentralWidget(area);
    window.resize(1000, 560);
    area->SetDataEngine(&engine);
    BuildDemoDiagram(area, &engine);

    auto runBuilder = [&engine](bool modal, const QString &folder) {
        auto form = std::make_unique<TfrmZkSQLBuilder>();
        form->SetDataEngine(&engine);
        PrepareBuilder(*form);
        if (modal) {
            form->exec();
            return;
        }
        form->show();
        form->pcSQL->setCurrentIndex(1);
        const QString sql = form->GenerateSQL();
        std::printf("%s", qPrintable(sql));
        std::unique_ptr<QAbstractItemModel> rows(engine.ExecSQL(sql));
        std::printf("-- %d rows\n", rows ? rows->rowCount() : -1);
        form->pcSQL->setCurrentIndex(0);
        save(*form, QDir(folder).absoluteFilePath(QStringLiteral("diduza-demo-builder.png")));
    };
    QMenu *tools = window.menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->addAction(QStringLiteral("&Query builder..."), &window,
        [&] { Guarded([&] { runBuilder(true, QString()); }); });
    window.show();

    const bool offscreen = QGuiApplication::platformName() == QLatin1String("offscreen");
    QString folder = parser.value(shot);
    if (folder.isEmpty() && offscreen)
        folder = QDir::currentPath();
    if (!folder.isEmpty()) {
        QTimer::singleShot(200, &window, [&] {
            QDir().mkpath(folder);
            bool ok
                = save(window, QDir(folder).absoluteFilePath(QStringLiteral("diduza-demo.png")));
            Guarded([&] { runBuilder(false, folder); });
            QApplication::exit(ok ? 0 : 1);
        });
    }
    return app.exec();
}
