// The demo's start: the diagram it builds leaves no undo history, and its German translations
// reach Qt's own buttons as well as the library's texts.

#include "../common/SampleConnections.h"
#include "DemoDiagram.h"
#include "DemoTranslations.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "engines/TSchemaSqlDataEngine.h"
#include "platform/DialogService.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QUndoStack>
#include <QtTest>

using namespace Diduza;

class tst_Demo : public QObject {
    Q_OBJECT
private slots:
    void demoStartsWithoutUndoHistory();
    void germanConfirmationHasGermanButtons();
};

void tst_Demo::demoStartsWithoutUndoHistory()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY2(
        SampleConnections::OpenSqliteCopy(dir, QStringLiteral("demo"), error), qPrintable(error));
    {
        TSchemaSqlDataEngine engine;
        engine.SetConnectionName(QStringLiteral("demo"));
        TSchemaDesignArea area;
        area.SetDataEngine(&engine);
        BuildDemoDiagram(&area, &engine);
        QVERIFY(area.GetItemCount() > 6);
        QVERIFY(area.GetRelationCount() > 0);
        QCOMPARE(area.UndoStack()->count(), 0);
        QVERIFY(!area.UndoAction()->isEnabled());
        // The user's first change is the first step.
        area.GetItem(0)->SetCaption(QStringLiteral("client"));
        QCOMPARE(area.UndoStack()->count(), 1);
    }
    SampleConnections::CloseAll({ QStringLiteral("demo") });
}

// The question before the builder closes with unsaved work, as the German demo asks it.
void tst_Demo::germanConfirmationHasGermanButtons()
{
    QVERIFY(!InstallDemoTranslations(QLocale(QLocale::Japanese)));
    QVERIFY(InstallDemoTranslations(QLocale(QLocale::German)));
    QStringList buttons;
    QString question;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        question = box->text();
        for (QAbstractButton *b : box->buttons())
            buttons << b->text();
        box->button(QMessageBox::No)->click();
    });
    const bool yes = DialogService()->Confirm(nullptr,
        QCoreApplication::translate("Diduza::TfrmZkSQLBuilder",
            "The query has changes that will be lost. Close the query builder anyway?"));
    QVERIFY(!yes);
    QVERIFY2(question.startsWith(QStringLiteral("Die Abfrage")), qPrintable(question));
    buttons.sort();
    QCOMPARE(buttons, QStringList({ "&Ja", "&Nein" }));
}

QTEST_MAIN(tst_Demo)
#include "tst_demo.moc"
