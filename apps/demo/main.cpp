// The demo application: a design area with a sample diagram. Without a display it runs
// offscreen, writes a screenshot of the window and prints its path.

#include "DemoDiagram.h"

#include "diagram/TSchemaDesignArea.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QMainWindow>
#include <QTimer>

using namespace Diduza;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Diduza demo"));

    QCommandLineParser parser;
    parser.addHelpOption();
    QCommandLineOption shot(QStringLiteral("screenshot"),
        QStringLiteral("Write a screenshot to <file> and quit."), QStringLiteral("file"));
    parser.addOption(shot);
    parser.process(app);

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Diduza demo"));
    auto *area = new TSchemaDesignArea(&window);
    window.setCentralWidget(area);
    window.resize(820, 520);
    BuildDemoDiagram(area);
    window.show();

    const bool offscreen = QGuiApplication::platformName() == QLatin1String("offscreen");
    QString file = parser.value(shot);
    if (file.isEmpty() && offscreen)
        file = QDir::current().absoluteFilePath(QStringLiteral("diduza-demo.png"));
    if (!file.isEmpty()) {
        QTimer::singleShot(200, &window, [&window, file] {
            if (!window.grab().save(file)) {
                qCritical("Could not write %s", qPrintable(file));
                QApplication::exit(1);
                return;
            }
            printf("%s\n", qPrintable(file));
            QApplication::exit(0);
        });
    }
    return app.exec();
}
