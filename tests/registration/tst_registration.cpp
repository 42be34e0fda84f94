#include "diagram/TSchemaDesignArea.h"
#include "engines/TSchemaBDEDataEngine.h"
#include "engines/TSchemaCustomDataEngine.h"
#include "querybuilder/TSQLBuilderDialog.h"
#include "registration/ComponentHolders.h"
#include "registration/Registration.h"
#include "resources/Glyphs.h"

#include <QLabel>
#include <QVBoxLayout>
#include <QtTest>

using namespace Diduza;

class tst_Registration : public QObject {
    Q_OBJECT
private slots:
    void onePageWithFourClassesInOrder();
    void formWidgets_data();
    void formWidgets();
    void holdersTakeNoSpaceAtRunTime();
    void holdersShowAGlyphAtDesignTime();
    void dialogFindsTheNamedEngine();
};

void tst_Registration::onePageWithFourClassesInOrder()
{
    int calls = 0;
    QString page;
    QStringList classes;
    QStringList glyphs;
    Register([&](const QString &p, const QList<const QMetaObject *> &list) {
        ++calls;
        page = p;
        for (const QMetaObject *c : list) {
            classes << QString::fromLatin1(c->className());
            glyphs << PaletteGlyphName(c);
        }
    });
    QCOMPARE(calls, 1);
    QCOMPARE(page, QStringLiteral("DeDovaz"));
    QCOMPARE(classes,
        (QStringList { "Diduza::TSchemaDesignArea", "Diduza::TSQLBuilderDialog",
            "Diduza::TSchemaCustomDataEngine", "Diduza::TSchemaBDEDataEngine" }));
    QCOMPARE(glyphs,
        (QStringList { "TSCHEMADESIGNAREA", "TSQLBUILDERDIALOG", "TSCHEMACUSTOMDATAENGINE",
            "TSCHEMABDEDATAENGINE" }));
    // Every registered class has its glyph; the resources hold one more that nothing uses.
    for (const QString &g : glyphs)
        QVERIFY2(!PaletteGlyph(g).isNull(), qPrintable(g));
    QStringList unused = PaletteGlyphNames();
    for (const QString &g : glyphs)
        unused.removeOne(g);
    QCOMPARE(unused, QStringList { "TSCHEMAADODATAENGINE" });

    Register(nullptr); // no receiver: nothing to do, nothing raised
    QCOMPARE(PaletteGlyphName(nullptr), QString());
}

void tst_Registration::formWidgets_data()
{
    QTest::addColumn<const QMetaObject *>("component");
    QTest::addColumn<QString>("widgetClass");
    QTest::newRow("area") << &TSchemaDesignArea::staticMetaObject << "Diduza::TSchemaDesignArea";
    QTest::newRow("dialog") << &TSQLBuilderDialog::staticMetaObject
                            << "Diduza::TSQLBuilderDialogHolder";
    QTest::newRow("custom") << &TSchemaCustomDataEngine::staticMetaObject
                            << "Diduza::TSchemaCustomDataEngineHolder";
    QTest::newRow("bde") << &TSchemaBDEDataEngine::staticMetaObject
                         << "Diduza::TSchemaBDEDataEngineHolder";
    // Not registered: no widget on forms.
    QTest::newRow("base engine") << &TSchemaDataEngine::staticMetaObject << QString();
    QTest::newRow("holder itself") << &TSQLBuilderDialogHolder::staticMetaObject << QString();
    QTest::newRow("null") << static_cast<const QMetaObject *>(nullptr) << QString();
}

void tst_Registration::formWidgets()
{
    QFETCH(const QMetaObject *, component);
    QFETCH(QString, widgetClass);
    const QMetaObject *cls = FormWidgetClass(component);
    QWidget parent;
    QWidget *widget = CreateFormWidget(component, &parent);
    if (widgetClass.isEmpty()) {
        QVERIFY(!cls);
        QVERIFY(!widget);
        return;
    }
    QCOMPARE(QString::fromLatin1(cls->className()), widgetClass);
    QVERIFY(widget);
    QCOMPARE(widget->metaObject(), cls);
    QCOMPARE(widget->parentWidget(), &parent);
    if (auto *holder = qobject_cast<TComponentHolder *>(widget)) {
        // The holder owns a component of the registered class, named like itself.
        QCOMPARE(holder->Component()->metaObject(), component);
        QCOMPARE(holder->Component()->parent(), holder);
        holder->setObjectName("thing1");
        QCOMPARE(holder->Component()->objectName(), QStringLiteral("thing1"));
        QCOMPARE(holder->GlyphName(), PaletteGlyphName(component));
        QPointer<QObject> component = holder->Component();
        delete holder;
        QVERIFY(!component);
    }
}

void tst_Registration::holdersTakeNoSpaceAtRunTime()
{
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto *dialog = new TSQLBuilderDialogHolder(&window);
    auto *engine = new TSchemaBDEDataEngineHolder(&window);
    auto *label = new QLabel("body", &window);
    label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    layout->addWidget(dialog);
    layout->addWidget(label);
    layout->addWidget(engine);
    window.resize(200, 120);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    for (TComponentHolder *h :
        { static_cast<TComponentHolder *>(dialog), static_cast<TComponentHolder *>(engine) }) {
        QVERIFY(!h->DesignTime());
        QVERIFY(!h->isVisible());
        QCOMPARE(h->size(), QSize(0, 0));
        QCOMPARE(h->sizeHint(), QSize(0, 0));
    }
    // No space and no spacing for the hidden holders.
    QCOMPARE(label->geometry(), QRect(0, 0, 200, 120));
    // Showing the window again does not bring them back.
    window.hide();
    window.show();
    QVERIFY(!dialog->isVisible());
}

void tst_Registration::holdersShowAGlyphAtDesignTime()
{
    QWidget form;
    form.resize(100, 100);
    auto *holder = new TSchemaCustomDataEngineHolder(&form);
    holder->SetDesignTime(true);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(holder->isVisible());
    QCOMPARE(holder->size(), QSize(28, 28));

    // The glyph is painted in the middle of the panel.
    const QImage shot = holder->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage glyph = RenderGlyph(PaletteGlyphPath("TSCHEMACUSTOMDATAENGINE"), QSize(24, 24));
    int same = 0;
    int opaque = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 0; x < 24; ++x) {
            if (qAlpha(glyph.pixel(x, y)) == 255) {
                ++opaque;
                same += shot.pixel(x + 2, y + 2) == glyph.pixel(x, y);
            }
        }
    }
    QVERIFY(opaque > 100);
    QCOMPARE(same, opaque);

    // A designer moving it to another parent keeps it shown; run time hides it again.
    QWidget other(&form);
    holder->setParent(&other);
    QVERIFY(!holder->isHidden());
    holder->SetDesignTime(false);
    QVERIFY(holder->isHidden());
    QCOMPARE(holder->size(), QSize(0, 0));
}

void tst_Registration::dialogFindsTheNamedEngine()
{
    QWidget window;
    auto *dialog = new TSQLBuilderDialogHolder(&window);
    // Named before the engine exists, as uic's code may do it.
    dialog->setDataEngine("engine2");
    auto *inner = new QWidget(&window);
    auto *first = new TSchemaCustomDataEngineHolder(inner);
    first->setObjectName("engine1");
    auto *second = new TSchemaBDEDataEngineHolder(inner);
    second->setObjectName("engine2");
    QCOMPARE(dialog->Dialog()->DataEngine(), second->Engine());

    dialog->setDataEngine("engine1");
    QCOMPARE(dialog->Dialog()->DataEngine(), first->Engine());
    dialog->setDataEngine("nosuch");
    QVERIFY(!dialog->Dialog()->DataEngine());
    // No name: an engine set in code stays.
    dialog->setDataEngine(QString());
    dialog->Dialog()->SetDataEngine(second->Engine());
    QCOMPARE(dialog->Dialog()->DataEngine(), second->Engine());
    // A freed engine reads as none.
    dialog->setDataEngine("engine1");
    QCOMPARE(dialog->Dialog()->DataEngine(), first->Engine());
    delete first;
    QVERIFY(!dialog->Dialog()->DataEngine());
}

QTEST_MAIN(tst_Registration)
#include "tst_registration.moc"
