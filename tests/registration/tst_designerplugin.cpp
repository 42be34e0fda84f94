// The Designer plugin as Designer and QUiLoader find it: through QT_PLUGIN_PATH, which the
// test sets to the build's plugins folder.

#include "diagram/TSchemaDesignArea.h"
#include "engines/TSchemaBDEDataEngine.h"
#include "engines/TSchemaCustomDataEngine.h"
#include "querybuilder/TSQLBuilderDialog.h"
#include "registration/ComponentHolders.h"
#include "resources/Glyphs.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QPluginLoader>
#include <QToolBar>
#include <QUiLoader>
#include <QtDesigner/QDesignerComponents>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QDesignerFormWindowInterface>
#include <QtDesigner/QDesignerFormWindowManagerInterface>
#include <QtDesigner/QDesignerIntegration>
#include <QtDesigner/QDesignerPropertySheetExtension>
#include <QtDesigner/QDesignerWidgetBoxInterface>
#include <QtDesigner/QDesignerWidgetDataBaseInterface>
#include <QtDesigner/QDesignerWidgetFactoryInterface>
#include <QtDesigner/QExtensionManager>
#include <QtTest>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

using namespace Diduza;

namespace {

const QStringList Entries = { "TSchemaDesignArea", "TSQLBuilderDialog", "TSchemaCustomDataEngine",
    "TSchemaBDEDataEngine" };

// The displayed name of an entry, from its default form XML.
QString DisplayName(QDesignerCustomWidgetInterface *w)
{
    QDomDocument doc;
    doc.setContent(w->domXml());
    return doc.documentElement().attribute("displayname");
}

} // namespace

class tst_DesignerPlugin : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void widgetBoxGroup();
    void entries_data();
    void entries();
    void propertySheets_data();
    void propertySheets();
    void uiLoaderBuildsTheForm();
    void inDesigner();

private:
    // Loads the collections in every designer/ folder of the plugin path, as Designer does;
    // returns the widgets of the group "DeDovaz", in the order of their collection.
    QList<QDesignerCustomWidgetInterface *> group(QPluginLoader *&loader);

    QPluginLoader *m_loader = nullptr;
    QList<QDesignerCustomWidgetInterface *> m_widgets;
};

QList<QDesignerCustomWidgetInterface *> tst_DesignerPlugin::group(QPluginLoader *&found)
{
    QList<QDesignerCustomWidgetInterface *> widgets;
    for (const QString &path : QCoreApplication::libraryPaths()) {
        const QDir dir(path + "/designer");
        for (const QString &file : dir.entryList(QDir::Files)) {
            auto *loader = new QPluginLoader(dir.absoluteFilePath(file), this);
            auto *collection
                = qobject_cast<QDesignerCustomWidgetCollectionInterface *>(loader->instance());
            bool ours = false;
            for (QDesignerCustomWidgetInterface *w :
                collection ? collection->customWidgets() : decltype(widgets)()) {
                if (w->group() == "DeDovaz") {
                    widgets << w;
                    ours = true;
                }
            }
            if (ours)
                found = loader;
        }
    }
    return widgets;
}

void tst_DesignerPlugin::initTestCase()
{
    QVERIFY2(qEnvironmentVariableIsSet("QT_PLUGIN_PATH"), "the test runs with QT_PLUGIN_PATH");
    m_widgets = group(m_loader);
    QVERIFY(m_loader);
}

void tst_DesignerPlugin::widgetBoxGroup()
{
    QStringList names;
    for (QDesignerCustomWidgetInterface *w : m_widgets)
        names << DisplayName(w);
    QCOMPARE(names, Entries);
}

void tst_DesignerPlugin::entries_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QSize>("size");
    QTest::newRow("area") << 0 << "Diduza::TSchemaDesignArea"
                          << "diagram/TSchemaDesignArea.h"
                          << "schemaDesignArea" << QSize(320, 240);
    QTest::newRow("dialog") << 1 << "Diduza::TSQLBuilderDialogHolder"
                            << "registration/ComponentHolders.h"
                            << "sqlBuilderDialog" << QSize(28, 28);
    QTest::newRow("custom") << 2 << "Diduza::TSchemaCustomDataEngineHolder"
                            << "registration/ComponentHolders.h"
                            << "customDataEngine" << QSize(28, 28);
    QTest::newRow("bde") << 3 << "Diduza::TSchemaBDEDataEngineHolder"
                         << "registration/ComponentHolders.h"
                         << "bdeDataEngine" << QSize(28, 28);
}

void tst_DesignerPlugin::entries()
{
    QFETCH(int, index);
    QFETCH(QString, className);
    QFETCH(QString, header);
    QFETCH(QString, objectName);
    QFETCH(QSize, size);
    QDesignerCustomWidgetInterface *w = m_widgets.value(index);
    QVERIFY(w);
    QCOMPARE(w->name(), className);
    QCOMPARE(w->includeFile(), header);
    QVERIFY(!w->isContainer());
    QVERIFY(!w->whatsThis().isEmpty());

    // The glyph is the class's palette glyph.
    const QString glyph = Entries[index].toUpper();
    QCOMPARE(w->icon().pixmap(24, 24).toImage().convertToFormat(QImage::Format_ARGB32),
        RenderGlyph(PaletteGlyphPath(glyph), QSize(24, 24)));

    // The header names the class (uic includes it for the widget).
    QFile file(QStringLiteral(DIDUZA_SOURCE_DIR "/src/") + header);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains(
        "class DIDUZAWIDGETS_EXPORT " + className.section("::", -1).toLatin1() + " "));

    // The default form XML: a widget of the class, with the first instance's name and size.
    QDomDocument doc;
    QVERIFY(doc.setContent(w->domXml()));
    const QDomElement widget = doc.documentElement().firstChildElement("widget");
    QCOMPARE(widget.attribute("class"), className);
    QCOMPARE(widget.attribute("name"), objectName);
    const QDomElement rect = widget.firstChildElement("property").firstChildElement("rect");
    QCOMPARE(QSize(rect.firstChildElement("width").text().toInt(),
                 rect.firstChildElement("height").text().toInt()),
        size);
}

void tst_DesignerPlugin::propertySheets_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("initial");
    QTest::addColumn<QVariant>("value");
    // Whether the text is kept out of translation and on one line (empty: a
    // translatable text, or not a text).
    QTest::addColumn<QString>("stringKind");
    // Whether the component has the property with the same value (DataEngine is a name on the
    // holder and a pointer on the dialog).
    QTest::addColumn<bool>("shared");
    QTest::newRow("dialog Caption") << 1 << QByteArray("Caption") << QVariant(QString())
                                    << QVariant(QString("Orders")) << QString() << true;
    QTest::newRow("dialog SQL") << 1 << QByteArray("SQL") << QVariant(QString())
                                << QVariant(QString("SELECT a.b\r\nFROM a")) << "multiline notr"
                                << true;
    QTest::newRow("dialog FullImport")
        << 1 << QByteArray("FullImport") << QVariant(false) << QVariant(true) << QString() << true;
    QTest::newRow("dialog JoinByKeys")
        << 1 << QByteArray("JoinByKeys") << QVariant(false) << QVariant(true) << QString() << true;
    QTest::newRow("dialog ShowKeys")
        << 1 << QByteArray("ShowKeys") << QVariant(false) << QVariant(true) << QString() << true;
    QTest::newRow("dialog ExtendedGrid")
        << 1 << QByteArray("ExtendedGrid") << QVariant(false) << QVariant(true) << QString() << true;
    QTest::newRow("dialog DataEngine")
        << 1 << QByteArray("DataEngine") << QVariant(QString()) << QVariant(QString("engine1"))
        << "singleline notr" << false;
    QTest::newRow("custom SQLSubType")
        << 2 << QByteArray("SQLSubType") << QVariant::fromValue(stStandard)
        << QVariant::fromValue(stOracle) << QString() << true;
    QTest::newRow("bde SQLSubType")
        << 3 << QByteArray("SQLSubType") << QVariant::fromValue(stStandard)
        << QVariant::fromValue(stMSSQL) << QString() << true;
    QTest::newRow("bde ShowSystemTables") << 3 << QByteArray("ShowSystemTables") << QVariant(false)
                                          << QVariant(true) << QString() << true;
    QTest::newRow("bde DatabaseName") << 3 << QByteArray("DatabaseName") << QVariant(QString())
                                      << QVariant(QString("sales")) << "singleline notr" << true;
    QTest::newRow("bde Pattern") << 3 << QByteArray("Pattern") << QVariant(QString("*.*"))
                                 << QVariant(QString("ord%")) << "singleline notr" << true;
}

void tst_DesignerPlugin::propertySheets()
{
    QFETCH(int, index);
    QFETCH(QByteArray, property);
    QFETCH(QVariant, initial);
    QFETCH(QVariant, value);
    QFETCH(QString, stringKind);
    QFETCH(bool, shared);
    QDesignerCustomWidgetInterface *w = m_widgets.value(index);
    QWidget form;
    auto *holder = qobject_cast<TComponentHolder *>(w->createWidget(&form));
    QVERIFY(holder);

    // Designer lists designable properties; uic writes each one set in a form as a call of
    // set<Property>, so the setter must be Qt's standard one.
    const QMetaObject *mo = holder->metaObject();
    const QMetaProperty p = mo->property(mo->indexOfProperty(property));
    QVERIFY(p.isValid());
    QVERIFY(p.isDesignable());
    QVERIFY(p.isStored());
    QVERIFY(p.hasStdCppSet());
    QCOMPARE(p.metaType(), initial.metaType());
    QCOMPARE(p.read(holder), initial);

    // Written on the holder, read on the component, and the other way round.
    QVERIFY(holder->setProperty(property, value));
    QCOMPARE(holder->property(property), value);
    if (shared) {
        QCOMPARE(holder->Component()->property(property), value);
        QVERIFY(holder->Component()->setProperty(property, initial));
        QCOMPARE(holder->property(property), initial);
    }

    // The kinds of the string properties in the default form XML.
    QDomDocument doc;
    QVERIFY(doc.setContent(w->domXml()));
    QString found;
    const QDomNodeList specs = doc.elementsByTagName("stringpropertyspecification");
    for (int i = 0; i < specs.size(); ++i) {
        const QDomElement e = specs.at(i).toElement();
        if (e.attribute("name") == property)
            found = e.attribute("type") + (e.attribute("notr") == "true" ? " notr" : "");
    }
    QCOMPARE(found, stringKind);
}

void tst_DesignerPlugin::uiLoaderBuildsTheForm()
{
    QUiLoader loader;
    for (const char *name : { "Diduza::TSchemaDesignArea", "Diduza::TSQLBuilderDialogHolder",
             "Diduza::TSchemaCustomDataEngineHolder", "Diduza::TSchemaBDEDataEngineHolder" })
        QVERIFY2(loader.availableWidgets().contains(name), name);

    QFile file(QStringLiteral(DIDUZA_FORMS_DIR "/components.ui"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    std::unique_ptr<QWidget> form(loader.load(&file));
    QVERIFY2(form, qPrintable(loader.errorString()));
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));

    auto *area = form->findChild<TSchemaDesignArea *>("schemaDesignArea");
    auto *dialog = form->findChild<TSQLBuilderDialogHolder *>("sqlBuilderDialog");
    auto *custom = form->findChild<TSchemaCustomDataEngineHolder *>("customDataEngine");
    auto *bde = form->findChild<TSchemaBDEDataEngineHolder *>("bdeDataEngine");
    QVERIFY(area && dialog && custom && bde);

    // The area's own settings, as Designer writes them; uic calls Qt's setter names.
    for (const char *name : { "ReadOnly", "ShowItemToolbar", "KeyboardNavigation", "Actions" }) {
        const QMetaProperty p
            = area->metaObject()->property(area->metaObject()->indexOfProperty(name));
        QVERIFY2(p.isDesignable() && p.isStored() && p.hasStdCppSet(), name);
    }
    QVERIFY(area->ReadOnly());
    QVERIFY(area->ShowItemToolbar());
    QVERIFY((area->Actions() == TZkSActions { saDeleteItem, saEditRelation }));
    QVERIFY(area->findChild<QToolBar *>(QStringLiteral("tbItems")));
    QVERIFY(!area->KeyboardNavigation());
    QCOMPARE(dialog->Dialog()->Caption(), QStringLiteral("Orders of a customer"));
    QCOMPARE(dialog->Dialog()->SQL(), QStringLiteral("SELECT orders.id\nFROM orders"));
    QVERIFY(dialog->Dialog()->FullImport());
    QCOMPARE(dialog->Dialog()->DataEngine(), bde->Engine());
    QCOMPARE(custom->Engine()->SQLSubType(), stOracle);
    QCOMPARE(bde->Engine()->SQLSubType(), stAnsi);
    QVERIFY(bde->Engine()->ShowSystemTables());
    QCOMPARE(bde->Engine()->DatabaseName(), QStringLiteral("sales"));
    QCOMPARE(bde->Engine()->Pattern(), QStringLiteral("ord*"));
    QCOMPARE(bde->Engine()->objectName(), QStringLiteral("bdeDataEngine"));

    // At run time the components are invisible and the area has the whole form.
    for (TComponentHolder *h : form->findChildren<TComponentHolder *>()) {
        QVERIFY(!h->isVisible());
        QVERIFY(!h->DesignTime());
    }
    QCOMPARE(area->geometry(), QRect(QPoint(0, 0), form->size()));
}

void tst_DesignerPlugin::inDesigner()
{
    // Designer's own components: its core loads the plugins of the plugin path, its widget box
    // shows their groups, its form windows hold the forms being edited.
    QDesignerComponents::initializeResources();
    QDesignerFormEditorInterface *core = QDesignerComponents::createFormEditor(this);
    QDesignerComponents::initializePlugins(core);
    new QDesignerIntegration(core, this); // registers itself with the core
    for (QDesignerCustomWidgetInterface *w : m_widgets)
        QVERIFY(w->isInitialized());

    std::unique_ptr<QDesignerWidgetBoxInterface> box(
        QDesignerComponents::createWidgetBox(core, nullptr));
    core->setWidgetBox(box.get());
    box->setFileName(QStringLiteral(":/qt-project.org/widgetbox/widgetbox.xml"));
    box->load();
    int group = -1;
    for (int i = 0; i < box->categoryCount(); ++i) {
        if (box->category(i).name() == "DeDovaz")
            group = i;
    }
    QVERIFY(group >= 0);
    QStringList names;
    for (int i = 0; i < box->widgetCount(group); ++i) {
        const QDesignerWidgetBoxInterface::Widget entry = box->widget(group, i);
        names << entry.name();
    }
    QCOMPARE(names, Entries);
    // The icons Designer shows are the palette glyphs.
    QDesignerWidgetDataBaseInterface *classes = core->widgetDataBase();
    for (QDesignerCustomWidgetInterface *w : m_widgets) {
        const int index = classes->indexOfClassName(w->name());
        QVERIFY2(index >= 0, qPrintable(w->name()));
        QCOMPARE(classes->item(index)->group(), QStringLiteral("DeDovaz"));
        QCOMPARE(classes->item(index)->icon().pixmap(24, 24).toImage(),
            w->icon().pixmap(24, 24).toImage());
    }

    // A form being edited: the components are glyphs that carry their properties.
    QDesignerFormWindowInterface *window
        = core->formWindowManager()->createFormWindow(nullptr, Qt::Window);
    std::unique_ptr<QWidget> windowOwner(window);
    auto *container = new QWidget;
    container->setObjectName("Form");
    window->setMainContainer(container);
    QWidget *area = core->widgetFactory()->createWidget("Diduza::TSchemaDesignArea", container);
    QVERIFY(qobject_cast<TSchemaDesignArea *>(area));
    QWidget *widget
        = core->widgetFactory()->createWidget("Diduza::TSQLBuilderDialogHolder", container);
    auto *holder = qobject_cast<TSQLBuilderDialogHolder *>(widget);
    QVERIFY(holder);
    QVERIFY(holder->DesignTime());
    QVERIFY(!holder->isHidden());
    QCOMPARE(holder->size(), QSize(28, 28));

    auto *sheet = qt_extension<QDesignerPropertySheetExtension *>(core->extensionManager(), holder);
    QVERIFY(sheet);
    for (const char *name : { "Caption", "SQL", "FullImport", "DataEngine" }) {
        const int index = sheet->indexOf(name);
        QVERIFY2(index >= 0, name);
        QVERIFY2(sheet->isVisible(index), name);
    }
    sheet->setProperty(sheet->indexOf("Caption"), QStringLiteral("Orders"));
    QCOMPARE(holder->Dialog()->Caption(), QStringLiteral("Orders"));
}

QTEST_MAIN(tst_DesignerPlugin)
#include "tst_designerplugin.moc"
