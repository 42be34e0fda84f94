#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "platform/ResourceStrings.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QTranslator>
#include <QtTest>

using namespace Diduza;

namespace {
// Translates the resource strings into upper case, as a stand-in for a real translation.
class UpperTranslator : public QTranslator {
public:
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        if (qstrcmp(context, "SchmCnst") != 0)
            return QString();
        return QString::fromUtf8(source).toUpper();
    }
    bool isEmpty() const override { return false; }
};
} // namespace

class tst_ResourceStrings : public QObject {
    Q_OBJECT
private slots:
    void texts_data();
    void texts();
    void everyIdHasAText();
    void translatedWhenUsed();
    void keyEventsReachTheApplication();
};

void tst_ResourceStrings::texts_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    QTest::newRow("select all") << int(_sSelectAll) << "Select All";
    QTest::newRow("parent") << int(_smsNotValidTableParent)
                            << "Parent must be TScrollBox or its descendant.";
    QTest::newRow("aggregate") << int(_smsAggIsNotAllowed)
                               << "You can not apply this aggregative function to *.";
    QTest::newRow("linked") << int(_smsItemLinked) << "These items are already linked.";
    QTest::newRow("summa") << int(_strValueSUM) << "Summa";
    QTest::newRow("save") << int(_sSaveSQL) << "Save a current SQl into file";
    QTest::newRow("schema filter") << int(_sSchemaFiles) << "Schema files (*.sch)|*.sch";
    QTest::newRow("all filter") << int(_sAllFiles) << "All files (*.*)|*.*";
}

void tst_ResourceStrings::texts()
{
    QFETCH(int, id);
    QFETCH(QString, text);
    QCOMPARE(LoadResString(TResString(id)), text);
}

void tst_ResourceStrings::everyIdHasAText()
{
    QSet<QString> seen;
    for (int i = 0; i < ResStringCount; ++i) {
        const QString text = LoadResString(TResString(i));
        QVERIFY2(!text.isEmpty(), qPrintable(QString::number(i)));
        seen.insert(text);
    }
    QCOMPARE(seen.size(), int(ResStringCount));
    QVERIFY(LoadResString(ResStringCount).isEmpty());
}

void tst_ResourceStrings::translatedWhenUsed()
{
    UpperTranslator translator;
    QCoreApplication::installTranslator(&translator);
    QCOMPARE(LoadResString(_sDeleteItem), QStringLiteral("DELETE ITEM"));
    // Menus take their captions when they are built.
    TSchemaDesignArea area;
    TSchemaItem *item = area.AddItem("t", scListBox);
    QCOMPARE(item->PopMenu()->actions().at(0)->text(), QStringLiteral("SELECT ALL"));
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(LoadResString(_sDeleteItem), QStringLiteral("Delete item"));
}

void tst_ResourceStrings::keyEventsReachTheApplication()
{
    TSchemaDesignArea area;
    QStringList seen;
    area.SetOnKeyDown([&](QObject *sender, int &key, Qt::KeyboardModifiers) {
        QCOMPARE(sender, &area);
        seen << QStringLiteral("down %1").arg(key);
        if (key == Qt::Key_Delete)
            key = 0;
    });
    area.SetOnKeyPress([&](QObject *, QChar &ch) { seen << QStringLiteral("press %1").arg(ch); });
    area.SetOnKeyUp([&](QObject *, int &key, Qt::KeyboardModifiers) {
        seen << QStringLiteral("up %1").arg(key);
    });
    QTest::keyClick(&area, Qt::Key_A);
    QTest::keyClick(&area, Qt::Key_Delete);
    QCOMPARE(seen,
        (QStringList { QStringLiteral("down %1").arg(int(Qt::Key_A)), QStringLiteral("press a"),
            QStringLiteral("up %1").arg(int(Qt::Key_A)),
            QStringLiteral("down %1").arg(int(Qt::Key_Delete)),
            QStringLiteral("up %1").arg(int(Qt::Key_Delete)) }));
}

QTEST_MAIN(tst_ResourceStrings)
#include "tst_resourcestrings.moc"
