// The demo application: the tables of the embedded SQLite sample database on a design area, and
// the query builder on the same database, run through TSQLBuilderDialog from the Tools menu
// with an incoming SELECT; the statement the builder returns is shown under the diagram.
//
// Without a display it runs offscreen and drives the same dialog without a person: the import
// places the incoming statement's tables and ticks its fields, then a table is dropped from the
// table list (and joined by its key), given grid options, the statement is generated and
// executed, and a screenshot of each page and of the design area is written. It prints their
// paths, the statement the builder returned and how many rows it gave.

#include "DemoConnection.h"
#include "DemoDiagram.h"
#include "DemoTranslations.h"
#include "DemoWindow.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaFindBar.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/tools/TSchemaDiagramExport.h"
#include "diagram/tools/TSchemaOverview.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "platform/Application.h"
#include "platform/DialogService.h"
#include "platform/ResourceStrings.h"
#include "platform/TStringGrid.h"
#include "querybuilder/TSQLBuilderDialog.h"
#include "querybuilder/TfrmZkSQLBuilder.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QSqlDatabase>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <functional>

using namespace Diduza;

namespace {

// The demo's own texts.
struct Demo {
    Q_DECLARE_TR_FUNCTIONS(DiduzaDemo)
};

// The statement the builder starts from: customers with their cities.
const QString IncomingSQL
    = QStringLiteral("SELECT customer.name, customer.city\r\nFROM customer\r\n");

bool save(QWidget &widget, const QString &file)
{
    if (!widget.grab().save(file)) {
        std::fprintf(stderr, "Could not write %s\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}

int gridColumnOf(TfrmZkSQLBuilder &form, TSchemaSubItem *row)
{
    TStringGrid *grid = form.sgColumnGrid;
    for (int col = 1; col < grid->ColCount(); ++col) {
        if (form.ReferencedSubItem(grid->Cells(col, 0)) == row)
            return col;
    }
    return -1;
}

// Runs the builder's modal form as a user would, without a person: drops orders next to the
// imported customer (which joins them by their key), asks for the customers' large orders summed by
// name and city, and takes a screenshot of every page.
class ScriptedBuilderRun : public TDialogService {
public:
    explicit ScriptedBuilderRun(QString folder)
        : m_folder(std::move(folder))
    {
    }

    int ExecuteModal(QDialog &dialog) override
    {
        auto *form = qobject_cast<TfrmZkSQLBuilder *>(&dialog);
        if (!form)
            return QDialog::Rejected;
        form->resize(900, 600);
        form->show();
        QCoreApplication::processEvents();

        TSchemaDesignArea *area = form->SchemaDesignArea;
        TSchemaItem *customer = area->FindItem(QStringLiteral("customer"));
        const QList<QListWidgetItem *> entries
            = form->lbTables->findItems(QStringLiteral("orders"), Qt::MatchExactly);
        if (!customer || entries.isEmpty())
            throw Exception(QStringLiteral("the sample database has no customer or orders"));
        form->lbTables->setCurrentItem(entries.first());
        area->DragDrop(area, form->lbTables, customer->x() + customer->width() + 60, 40);
        // The builder joins orders to customer along their foreign key by itself.
        TSchemaItem *orders = area->FindItem(QStringLiteral("orders"));
        if (!orders || area->GetRelationCount() != 1)
            throw Exception(QStringLiteral("dropping orders beside customer did not join them"));
        bool ok = shot(*form, QStringLiteral("builder-keys.png"));
        TSchemaSubItem *amount = orders->GetSubItemByName(QStringLiteral("amount"));
        amount->SetChecked(true);

        TStringGrid *grid = form->sgColumnGrid;
        const int name = gridColumnOf(*form, customer->GetSubItemByName(QStringLiteral("name")));
        const int city = gridColumnOf(*form, customer->GetSubItemByName(QStringLiteral("city")));
        const int sum = gridColumnOf(*form, amount);
        // The grid's choices are compared in the language the library shows them in.
        grid->SetCells(name, 3, LoadResString(_strSortASC));
        grid->SetCells(name, 5, QStringLiteral("1"));
        grid->SetCells(city, 5, QStringLiteral("1"));
        grid->SetRowCount(form->ExtendedGrid() ? 10 : 7);
        grid->SetCells(name, 6, QStringLiteral("SUM(orders.amount) > 1000"));
        grid->SetCells(sum, 2, LoadResString(_strValueSUM));
        grid->SetCells(sum, 4, QStringLiteral("orders.amount > 100"));
        QCoreApplication::processEvents();

        ok = shot(*form, QStringLiteral("builder-columns.png")) && ok;
        form->btnGenSQL->click();
        ok = shot(*form, QStringLiteral("builder-sql.png")) && ok;
        form->btnExecSQL->click();
        // The statement runs on a thread of its own: wait for its last row (within reason).
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 60000) {
            QAbstractItemModel *rows = form->ResultModel();
            if (rows && rows->canFetchMore(QModelIndex()))
                rows->fetchMore(QModelIndex());
            else if (!form->IsRunning())
                break;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        if (QAbstractItemModel *rows = form->ResultModel())
            m_rows = rows->rowCount();
        ok = shot(*form, QStringLiteral("builder-results.png")) && ok;
        ok = shot(*area, QStringLiteral("builder-diagram.png")) && ok;
        m_ok = ok;
        form->btnOK->click();
        return form->result();
    }

    int Rows() const { return m_rows; }
    bool Ok() const { return m_ok; }

private:
    bool shot(QWidget &widget, const QString &name)
    {
        QCoreApplication::processEvents();
        return save(widget, QDir(m_folder).absoluteFilePath(name));
    }

    QString m_folder;
    int m_rows = -1;
    bool m_ok = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Diduza"));
    QApplication::setApplicationName(QStringLiteral("Diduza demo"));

    QCommandLineParser parser;
    parser.addHelpOption();
    QCommandLineOption database(QStringLiteral("database"),
        QStringLiteral("The database to show: a SQLite file (default: the sample) or a "
                       "connection string, postgresql://user@host/database or "
                       "mysql://user@host/database (a password after the user, a port after "
                       "the host, Qt's connect options as ?name=value)."),
        QStringLiteral("file or connection"), QStringLiteral(DIDUZA_SAMPLE_DB));
    QCommandLineOption shot(QStringLiteral("screenshot"),
        QStringLiteral("Write screenshots to <folder> and quit."), QStringLiteral("folder"));
    QCommandLineOption lang(QStringLiteral("lang"),
        QStringLiteral("Show the library in <language> (de; default: English)."),
        QStringLiteral("language"));
    parser.addOption(database);
    parser.addOption(shot);
    parser.addOption(lang);
    parser.process(app);

    if (parser.isSet(lang)) {
        if (!InstallDemoTranslations(QLocale(parser.value(lang)))) {
            std::fprintf(stderr, "No translation for %s\n", qPrintable(parser.value(lang)));
            return 1;
        }
    }

    const DemoConnectionSpec connection = ParseDemoDatabase(parser.value(database));
    if (QString error; !OpenDemoDatabase(connection, error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    TSchemaSqlDataEngine engine;
    engine.SetListAllSchemas(true); // PostgreSQL: every schema, the builder filters by schema

    QMainWindow window;
    window.setWindowTitle(Demo::tr("Diduza demo: %1").arg(connection.Title));
    auto *splitter = new QSplitter(Qt::Vertical, &window);
    auto *area = new TSchemaDesignArea(splitter);
    auto *statement = new QPlainTextEdit(splitter);
    statement->setObjectName(QStringLiteral("statement"));
    statement->setReadOnly(true);
    statement->setPlaceholderText(Demo::tr("Tools > Query builder... returns its statement here."));
    splitter->addWidget(area);
    splitter->addWidget(statement);
    splitter->setSizes({ 560, 110 });
    window.setCentralWidget(splitter);
    FitDemoWindow(&window, QSize(1000, 680)); // within the screen, also at a high scale
    area->SetDataEngine(&engine);
    BuildDemoDiagram(area, &engine);

    // The builder starts from the last statement it returned, the first time from IncomingSQL.
    TSQLBuilderDialog builder(&window);
    builder.SetDataEngine(&engine);
    builder.SetCaption(Demo::tr("Query builder: %1").arg(connection.Title));
    builder.SetSQL(IncomingSQL);
    // The whole statement comes back into the builder, with the grid's extended rows; the SQL
    // page takes typing, statements run in the background; tables dropped there are joined by
    // their keys, and the rows show the keys.
    builder.SetFullImport(true);
    builder.SetSQLEditable(true);
    builder.SetBackgroundExecution(true);
    builder.SetJoinByKeys(true);
    builder.SetShowKeys(true);
    // The builder's window as the user left it, kept between runs of the demo (not when it
    // runs by itself, whose pictures stay the same).
    const bool keepWindow = QGuiApplication::platformName() != QLatin1String("offscreen");
    QSettings settings;
    if (keepWindow)
        builder.RestoreState(settings.value(QStringLiteral("builder/window")).toByteArray());
    auto runBuilder = [&] {
        const bool ok = builder.Execute();
        if (keepWindow)
            settings.setValue(QStringLiteral("builder/window"), builder.SaveState());
        if (ok)
            statement->setPlainText(builder.SQL());
    };
    // What diagram tools offer beside the design: undo, find, links by keyboard, an overview,
    // arranging by rank, export and print.
    area->SetKeyboardNavigation(true);
    auto *overviewDock = new QDockWidget(Demo::tr("Overview"), &window);
    overviewDock->setObjectName(QStringLiteral("overviewDock"));
    auto *overview = new TSchemaOverview(overviewDock);
    overview->SetArea(area);
    overviewDock->setWidget(overview);
    window.addDockWidget(Qt::RightDockWidgetArea, overviewDock);
    TSchemaDiagramExport exporter(area);
    auto exportAs = [&](const QString &filter, const QString &ext, auto write) {
        Guarded([&] {
            QString name;
            if (!DialogService()->ExecuteSaveDialog(&window, filter, ext, name))
                return;
            QString error;
            if (!write(name, &error))
                DialogService()->ShowError(&window, error);
        });
    };
    QMenu *file = window.menuBar()->addMenu(Demo::tr("&File"));
    file->addAction(Demo::tr("Export as &PNG..."), &window, [&] {
        exportAs(Demo::tr("PNG pictures (*.png)|*.png"), QStringLiteral("png"),
            [&](const QString &n, QString *e) { return exporter.ExportPng(n, e); });
    });
    file->addAction(Demo::tr("Export as &SVG..."), &window, [&] {
        exportAs(Demo::tr("SVG pictures (*.svg)|*.svg"), QStringLiteral("svg"),
            [&](const QString &n, QString *e) { return exporter.ExportSvg(n, e); });
    });
    file->addAction(Demo::tr("Export as P&DF..."), &window, [&] {
        exportAs(Demo::tr("PDF documents (*.pdf)|*.pdf"), QStringLiteral("pdf"),
            [&](const QString &n, QString *e) { return exporter.ExportPdf(n, false, e); });
    });
    file->addAction(Demo::tr("Export as PDF in &tiles..."), &window, [&] {
        exportAs(Demo::tr("PDF documents (*.pdf)|*.pdf"), QStringLiteral("pdf"),
            [&](const QString &n, QString *e) { return exporter.ExportPdf(n, true, e); });
    });
    file->addSeparator();
    file->addAction(
        Demo::tr("&Print..."), &window, [&] { Guarded([&] { exporter.PrintPreview(&window); }); });
    file->addSeparator();
    file->addAction(Demo::tr("&Quit"), &window, &QWidget::close);
    QMenu *edit = window.menuBar()->addMenu(Demo::tr("&Edit"));
    edit->addAction(area->UndoAction());
    edit->addAction(area->RedoAction());
    edit->addSeparator();
    edit->addAction(area->FindAction());
    edit->addAction(area->LinkAction());
    QMenu *view = window.menuBar()->addMenu(Demo::tr("&View"));
    view->addAction(overviewDock->toggleViewAction());
    view->addAction(
        Demo::tr("&Arrange by rank"), &window, [&] { Guarded([&] { area->ArrangeByRank(); }); });
    QMenu *tools = window.menuBar()->addMenu(Demo::tr("&Tools"));
    tools->addAction(
        Demo::tr("&Query builder..."), &window, [&] { Guarded([&] { runBuilder(); }); });
    window.show();

    const bool offscreen = QGuiApplication::platformName() == QLatin1String("offscreen");
    QString folder = parser.value(shot);
    if (folder.isEmpty() && offscreen)
        folder = QDir::currentPath();
    if (!folder.isEmpty()) {
        QTimer::singleShot(200, &window, [&] {
            QDir().mkpath(folder);
            bool ok = true;
            int rows = -1;
            Guarded([&] {
                ScriptedBuilderRun script(folder);
                TDialogService *previous = SetDialogService(&script);
                try {
                    runBuilder();
                } catch (...) {
                    SetDialogService(previous);
                    throw;
                }
                SetDialogService(previous);
                ok = script.Ok();
                rows = script.Rows();
            });
            QCoreApplication::processEvents();
            const QDir out(folder);
            ok = save(window, out.absoluteFilePath(QStringLiteral("diduza-demo.png"))) && ok;
            // The find bar on the fields named city, then the diagram arranged by rank.
            area->FindAction()->trigger();
            area->FindBar()->Find(QStringLiteral("city"));
            QCoreApplication::processEvents();
            ok = save(window, out.absoluteFilePath(QStringLiteral("diduza-demo-find.png"))) && ok;
            area->FindBar()->Close();
            area->ArrangeByRank();
            overview->Refresh();
            QCoreApplication::processEvents();
            ok = save(window, out.absoluteFilePath(QStringLiteral("diduza-demo-arranged.png")))
                && ok;
            // The whole diagram as files.
            QString error;
            const struct {
                const char *name;
                std::function<bool(const QString &)> write;
            } exports[] = {
                { "diduza-demo-export.png",
                    [&](const QString &n) { return exporter.ExportPng(n, &error); } },
                { "diduza-demo-export.svg",
                    [&](const QString &n) { return exporter.ExportSvg(n, &error); } },
                { "diduza-demo-export.pdf",
                    [&](const QString &n) { return exporter.ExportPdf(n, false, &error); } },
            };
            for (const auto &e : exports) {
                const QString name = out.absoluteFilePath(QLatin1String(e.name));
                if (e.write(name)) {
                    std::printf("%s\n", qPrintable(name));
                } else {
                    std::fprintf(stderr, "%s\n", qPrintable(error));
                    ok = false;
                }
            }
            std::printf("%s", qPrintable(builder.SQL()));
            std::printf("-- %d rows\n", rows);
            QApplication::exit(ok && rows >= 0 ? 0 : 1);
        });
    }
    return app.exec();
}
