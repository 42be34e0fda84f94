// The German catalogue: complete, up to date with the sources, loaded by QTranslator from the
// installed folder and from the library itself, shown by the components, and without effect on
// the statements the builder generates (the grid's choices are compared in the language shown).

#include "DemoTranslations.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/model/SchemaFile.h"
#include "engines/TSchemaCustomDataEngine.h"
#include "platform/DialogService.h"
#include "platform/Exceptions.h"
#include "platform/ResourceStrings.h"
#include "platform/TStringGrid.h"
#include "platform/TStringList.h"
#include "querybuilder/QueryGenerator.h"
#include "querybuilder/TfrmZkSQLBuilder.h"
#include "relations/TfrmZkRelation.h"
#include "sqlparser/SelectImport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QDomDocument>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTranslator>
#include <QtTest>

using namespace Diduza;

namespace {

QDomDocument ReadCatalogue(const QString &path)
{
    QFile file(path);
    QDomDocument doc;
    if (file.open(QIODevice::ReadOnly))
        doc.setContent(&file);
    return doc;
}

// Installs the German translator for the lifetime of the object.
class German {
public:
    German()
    {
        loaded = translator.load(QLocale(QLocale::German), QStringLiteral("diduza"),
            QStringLiteral("_"), QStringLiteral(":/diduza/translations"));
        QCoreApplication::installTranslator(&translator);
    }
    ~German() { QCoreApplication::removeTranslator(&translator); }
    QTranslator translator;
    bool loaded = false;
};

// Tables and fields of the builder's engine.
void Answer(TSchemaCustomDataEngine &engine)
{
    engine.SetOnGetItemList([](QObject *, TStringList &list) {
        list.Add(QStringLiteral("customer"));
        list.Add(QStringLiteral("orders"));
    });
    engine.SetOnGetSubItemList([](QObject *, TSchemaItem *item, TStringList &list) {
        const QStringList fields = item->GetCaption() == QLatin1String("customer")
            ? QStringList { "id", "name", "city" }
            : QStringList { "id", "customer_id", "amount" };
        for (const QString &f : fields)
            list.Add(f);
    });
}

QString Generate(const QString &sql, TSQLSubType dialect, QStringList *cells = nullptr)
{
    TSchemaCustomDataEngine engine;
    Answer(engine);
    engine.SetSQLSubType(dialect);
    TfrmZkSQLBuilder form;
    form.SetDataEngine(&engine);
    form.ImportQuery(ImportSelect(sql));
    if (cells) {
        const TStringGrid *grid = form.sgColumnGrid;
        for (int row = 0; row < grid->RowCount(); ++row)
            for (int col = 0; col < grid->ColCount(); ++col)
                *cells << grid->Cells(col, row);
    }
    return form.GenerateSQL();
}

} // namespace

class tst_Translations : public QObject {
    Q_OBJECT
private slots:
    void catalogueIsComplete();
    void catalogueFollowsTheSources();
    void loadsFromBothPlaces_data();
    void loadsFromBothPlaces();
    void componentsShowGerman_data();
    void componentsShowGerman();
    void generationIsTheSame_data();
    void generationIsTheSame();
    void germanConfirmationHasGermanButtons();
};

void tst_Translations::catalogueIsComplete()
{
    const QDomDocument doc = ReadCatalogue(QStringLiteral(DIDUZA_TS_FILE));
    QCOMPARE(doc.documentElement().attribute("language"), QStringLiteral("de_DE"));
    German german;
    QVERIFY(german.loaded);
    const QDomNodeList messages = doc.elementsByTagName("message");
    QVERIFY(messages.size() > 100);
    for (int i = 0; i < messages.size(); ++i) {
        const QDomElement m = messages.at(i).toElement();
        const QString context = m.parentNode().firstChildElement("name").text();
        const QString source = m.firstChildElement("source").text();
        const QDomElement translation = m.firstChildElement("translation");
        const QString where = context + ": " + source;
        QVERIFY2(!translation.hasAttribute("type"), qPrintable(where)); // unfinished, vanished
        // The compiled catalogue answers every text, in both plural forms where it has them.
        const bool plural = m.attribute("numerus") == "yes";
        for (const int n : plural ? QList<int> { 1, 2 } : QList<int> { -1 }) {
            const QString text
                = german.translator.translate(context.toUtf8(), source.toUtf8(), nullptr, n);
            QVERIFY2(!text.isEmpty(), qPrintable(where));
        }
    }
}

void tst_Translations::catalogueFollowsTheSources()
{
    // lupdate over the sources finds no text that the catalogue lacks and none it has in vain.
    QTemporaryDir dir;
    const QString copy = dir.filePath("diduza_de.ts");
    QVERIFY(QFile::copy(QStringLiteral(DIDUZA_TS_FILE), copy));
    QProcess lupdate;
    lupdate.start(QStringLiteral(DIDUZA_LUPDATE),
        { QStringLiteral(DIDUZA_SOURCE_DIR "/src"), QStringLiteral(DIDUZA_SOURCE_DIR "/apps"),
            "-extensions", "cpp,h", "-locations", "none", "-ts", copy });
    QVERIFY(lupdate.waitForFinished(120000));
    QCOMPARE(lupdate.exitCode(), 0);
    const QDomDocument doc = ReadCatalogue(copy);
    const QDomNodeList translations = doc.elementsByTagName("translation");
    QStringList open;
    for (int i = 0; i < translations.size(); ++i) {
        const QDomElement t = translations.at(i).toElement();
        if (t.hasAttribute("type"))
            open << t.attribute("type") + ": " + t.parentNode().firstChildElement("source").text();
    }
    QVERIFY2(open.isEmpty(), qPrintable(open.join('\n')));
}

void tst_Translations::loadsFromBothPlaces_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("compiled in") << ":/diduza/translations";
    QTest::newRow("installed") << DIDUZA_QM_DIR;
}

void tst_Translations::loadsFromBothPlaces()
{
    QFETCH(QString, folder);
    QTranslator translator;
    QVERIFY(translator.load(QLocale(QLocale::German, QLocale::Austria), "diduza", "_", folder));
    QCOMPARE(translator.language(), QStringLiteral("de_DE"));
    QCOMPARE(translator.translate("SchmCnst", "Summa"), QStringLiteral("Summe"));
    QVERIFY(!QTranslator().load(QLocale(QLocale::Japanese), "diduza", "_", folder));
}

void tst_Translations::componentsShowGerman_data()
{
    QTest::addColumn<int>("what");
    QTest::addColumn<QString>("expected");
    QTest::newRow("item menu") << 0 << "Alle auswählen";
    QTest::newRow("item tool bar") << 1 << "Listenfeld";
    QTest::newRow("relation dialog") << 2 << "Beziehungseigenschaften";
    QTest::newRow("builder pages") << 3 << "Spalten";
    QTest::newRow("builder dialect") << 4 << "SQL-&Dialekt:";
    QTest::newRow("import left out")
        << 5
        << "UNION, INTERSECT oder EXCEPT in Klammern oder mit einer Sortierung oder Grenze eines "
           "inneren SELECT: nur das erste SELECT wird gezeigt";
    QTest::newRow("schema file error") << 6 << "Abschnitt Item1, Schlüssel „ControlType“: fehlt";
    QTest::newRow("string list error") << 7 << "Listenindex außerhalb des gültigen Bereichs (3)";
    QTest::newRow("generator note") << 8
                                    << "Spalten, die gruppiert werden müssen (Gruppierung "
                                       "ankreuzen): t.b";
    QTest::newRow("relation without item") << 9
                                           << "Eine Beziehung braucht ein übergeordnetes und ein "
                                              "untergeordnetes Element.";
}

void tst_Translations::componentsShowGerman()
{
    QFETCH(int, what);
    QFETCH(QString, expected);
    German german;
    QString shown;
    try {
        switch (what) {
        case 0: {
            TSchemaDesignArea area;
            shown = area.AddItem("t", scListBox)->PopMenu()->actions().at(0)->text();
            break;
        }
        case 1: {
            TSchemaDesignArea area;
            area.SetShowItemToolbar(true);
            for (const QToolButton *button : area.findChildren<QToolButton *>()) {
                if (!button->text().isEmpty() && shown.isEmpty())
                    shown = button->text();
            }
            break;
        }
        case 2:
            shown = TfrmZkRelation().windowTitle();
            break;
        case 3:
            shown = TfrmZkSQLBuilder().findChildren<QTabWidget *>().value(0)->tabText(0);
            break;
        case 4:
            shown = TfrmZkSQLBuilder().lblDialect->text();
            break;
        case 5:
            shown = ImportSelect("SELECT a.x FROM a UNION (SELECT b.x FROM b ORDER BY b.x LIMIT 1)")
                        .LeftOut.value(0);
            break;
        case 6:
            SchemaFile::TSchemaSection("Item1", { "[Item1]", "Caption=t" }, 0, 2)
                .RequiredInt("ControlType");
            break;
        case 7: {
            TStringList list;
            list.Strings(3);
            break;
        }
        case 8: {
            QueryInput input;
            input.Tables = { QueryTable { "t", 0, nullptr, {} } };
            QueryColumn sum { "t.a", QueryField { "a", nullptr }, input.Tables[0],
                LoadResString(_strValueSUM), {}, {}, {}, {}, false, {}, {}, {} };
            QueryColumn plain { "t.b", QueryField { "b", nullptr }, input.Tables[0], {}, {}, {}, {},
                {}, false, {}, {}, {} };
            input.Columns = { sum, plain };
            shown = QueryNotes(input).value(0);
            break;
        }
        case 9: {
            TSchemaDesignArea area;
            area.AddRelation(nullptr, nullptr, nullptr, nullptr);
            break;
        }
        }
    } catch (const Exception &e) {
        shown = e.Message();
    }
    QCOMPARE(shown, expected);
}

void tst_Translations::generationIsTheSame_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("dialect");
    QTest::addColumn<QString>("choice"); // a German grid text the import must have written
    QTest::newRow("sum, sort, having")
        << "SELECT customer.name, SUM(orders.amount)\r\n"
           "FROM customer\r\n"
           "INNER JOIN orders ON (customer.id = orders.customer_id)\r\n"
           "WHERE orders.amount > 10\r\n"
           "GROUP BY customer.name\r\n"
           "HAVING SUM(orders.amount) > 100\r\n"
           "ORDER BY customer.name DESC"
        << int(stAnsi) << "Summe";
    QTest::newRow("count, maximum, average")
        << "SELECT COUNT(orders.id), MAX(orders.customer_id), AVG(orders.amount) FROM orders"
        << int(stStandard) << "Durchschnitt";
    QTest::newRow("minimum") << "SELECT MIN(customer.name), customer.city FROM customer "
                                "GROUP BY customer.city"
                             << int(stOracle) << "Berechnen";
    QTest::newRow("distinct, ascending")
        << "SELECT DISTINCT customer.city FROM customer ORDER BY customer.city" << int(stLocal)
        << "Aufsteigend";
}

void tst_Translations::generationIsTheSame()
{
    QFETCH(QString, sql);
    QFETCH(int, dialect);
    QFETCH(QString, choice);
    QStringList englishCells;
    const QString english = Generate(sql, TSQLSubType(dialect), &englishCells);
    QVERIFY(!englishCells.contains(choice));
    QString german;
    {
        German translated;
        QStringList cells;
        german = Generate(sql, TSQLSubType(dialect), &cells);
        QVERIFY2(cells.contains(choice), qPrintable(cells.join('|')));
    }
    QCOMPARE(german, english);
    // The choices were understood: the statement has what the grid asked for.
    for (const char *part :
        { "SUM(", "COUNT(", "AVG(", "MAX(", "MIN(", "DESC", "DISTINCT", "ORDER BY" }) {
        if (sql.contains(part))
            QVERIFY2(english.contains(part), qPrintable(english));
    }
}

// The builder's question before it closes with unsaved work, in the German demo: Qt's own
// catalogue gives the buttons.
void tst_Translations::germanConfirmationHasGermanButtons()
{
    QVERIFY(!InstallDemoTranslations(QLocale(QLocale::Japanese)));
    QVERIFY(InstallDemoTranslations(QLocale(QLocale::German)));
    QStringList shown;
    QTimer::singleShot(0, this, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown << box->text().left(11);
            for (QAbstractButton *b : box->buttons())
                shown << b->text();
            box->button(QMessageBox::No)->click();
        }
    });
    QVERIFY(!DialogService()->Confirm(nullptr,
        QCoreApplication::translate("Diduza::TfrmZkSQLBuilder",
            "The query has changes that will be lost. Close the query builder anyway?")));
    shown.sort();
    QCOMPARE(shown, QStringList({ "&Ja", "&Nein", "Die Abfrage" }));
}

QTEST_MAIN(tst_Translations)
#include "tst_translations.moc"
