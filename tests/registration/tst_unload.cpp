// Loading and unloading the library again and again, as Designer and QUiLoader do with the
// plugin, leaves nothing behind: LeakSanitizer checks at exit (this test runs with leak
// detection on). The test does not link the library; it reaches it only through the plugin and
// QLibrary.

#include <QApplication>
#include <QLibrary>
#include <QPluginLoader>
#include <QTimer>
#include <QtTest>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

class tst_Unload : public QObject {
    Q_OBJECT
private slots:
    void pluginLoop();
    void libraryLoop();
};

void tst_Unload::pluginLoop()
{
    for (int round = 0; round < 4; ++round) {
        QPluginLoader loader(QStringLiteral(DIDUZA_PLUGIN_FILE));
        auto *collection
            = qobject_cast<QDesignerCustomWidgetCollectionInterface *>(loader.instance());
        QVERIFY2(collection, qPrintable(loader.errorString()));
        QCOMPARE(collection->customWidgets().size(), 4);

        // Build a form of the four, show it and run the query builder once on a statement.
        auto form = std::make_unique<QWidget>();
        QList<QWidget *> widgets;
        for (QDesignerCustomWidgetInterface *w : collection->customWidgets()) {
            w->initialize(nullptr);
            widgets << w->createWidget(form.get());
            QVERIFY(widgets.last());
        }
        widgets[2]->setObjectName(QStringLiteral("engine"));
        QVERIFY(widgets[1]->setProperty("DataEngine", QStringLiteral("engine")));
        QVERIFY(widgets[1]->setProperty(
            "SQL", QStringLiteral("SELECT a.x, b.y FROM a JOIN b ON a.x = b.x ORDER BY a.x")));
        QVERIFY(widgets[1]->setProperty("FullImport", true));
        form->show();
        QTimer::singleShot(0, [] {
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        });
        bool accepted = true;
        QVERIFY(QMetaObject::invokeMethod(
            widgets[1], "Execute", Qt::DirectConnection, Q_RETURN_ARG(bool, accepted)));
        QVERIFY(!accepted);
        form.reset();

        QVERIFY(loader.unload());
        QVERIFY(!loader.isLoaded());
    }
}

void tst_Unload::libraryLoop()
{
    for (int round = 0; round < 4; ++round) {
        QLibrary library(QStringLiteral(DIDUZA_SQL_LIBRARY_FILE));
        QVERIFY2(library.load(), qPrintable(library.errorString()));
        QVERIFY(library.unload());
    }
}

QTEST_MAIN(tst_Unload)
#include "tst_unload.moc"
