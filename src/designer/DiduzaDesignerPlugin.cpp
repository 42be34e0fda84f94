// The Qt Designer plugin: one collection of custom widgets built from Register. Designer's
// widget box shows the registered page as a group with the registered classes in order, each
// with its palette glyph. The design area is placed as itself; the non-visual components are
// placed as their holder widgets (registration/ComponentHolders.h), which Designer shows as
// glyphs and programs made from the form keep hidden.

#include "diagram/TSchemaDesignArea.h"
#include "registration/ComponentHolders.h"
#include "registration/Registration.h"
#include "resources/Glyphs.h"

#include <QCoreApplication>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

namespace Diduza {
namespace {

// What Designer needs to know of one registered class beyond the registration itself.
struct FormEntry {
    const char *className; // the registered class, without namespace
    const char *header; // of the form widget, relative to the installed include folder
    const char *objectName; // of the first instance on a form
    const char *description;
    // Designer's handling of the string properties: translatable or not, one line or several.
    const char *propertySpecifications;
};

const FormEntry Entries[] = {
    { "TSchemaDesignArea", "diagram/TSchemaDesignArea.h", "schemaDesignArea",
        QT_TRANSLATE_NOOP("Diduza::DesignerPlugin",
            "A scrolling canvas of table windows with join lines between their rows."),
        "" },
    { "TSQLBuilderDialog", "registration/ComponentHolders.h", "sqlBuilderDialog",
        QT_TRANSLATE_NOOP("Diduza::DesignerPlugin",
            "The visual query builder, run modally by Execute; DataEngine names an engine of the "
            "form."),
        "<stringpropertyspecification name=\"SQL\" type=\"multiline\" notr=\"true\"/>"
        "<stringpropertyspecification name=\"DataEngine\" type=\"singleline\" notr=\"true\"/>" },
    { "TSchemaCustomDataEngine", "registration/ComponentHolders.h", "customDataEngine",
        QT_TRANSLATE_NOOP("Diduza::DesignerPlugin",
            "A data engine whose tables, fields and results come from its events."),
        "" },
    { "TSchemaBDEDataEngine", "registration/ComponentHolders.h", "bdeDataEngine",
        QT_TRANSLATE_NOOP("Diduza::DesignerPlugin",
            "A data engine with the settings of a desktop-database connection, answered by its "
            "events."),
        "<stringpropertyspecification name=\"DatabaseName\" type=\"singleline\" notr=\"true\"/>"
        "<stringpropertyspecification name=\"Pattern\" type=\"singleline\" notr=\"true\"/>" },
};

const FormEntry *EntryOf(const QMetaObject *componentClass)
{
    const QString name = QString::fromLatin1(componentClass->className()).section("::", -1);
    for (const FormEntry &entry : Entries) {
        if (name == QLatin1String(entry.className))
            return &entry;
    }
    return nullptr;
}

// Designer initializes its plugins with its core; a form loader (QUiLoader) does not. Within
// Designer, the widgets of a form being edited live in a form window, while a preview of the form
// is built as a program would build it, outside any form window. The class is looked up by name:
// a form loader that uses this plugin need not have Designer's library.
bool InFormEditor(const QWidget *parent)
{
    if (!parent)
        return true; // Designer's own uses: the drag picture, the default property values
    for (const QWidget *w = parent; w; w = w->parentWidget()) {
        if (w->inherits("QDesignerFormWindowInterface"))
            return true;
    }
    return false;
}

class ComponentWidget : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    ComponentWidget(const QString &page, const QMetaObject *componentClass, QObject *parent)
        : QObject(parent)
        , FPage(page)
        , FComponentClass(componentClass)
        , FWidgetClass(FormWidgetClass(componentClass))
        , FEntry(EntryOf(componentClass))
    {
    }

    QString name() const override { return QString::fromLatin1(FWidgetClass->className()); }
    QString group() const override { return FPage; }
    QIcon icon() const override { return PaletteGlyph(PaletteGlyphName(FComponentClass)); }
    QString toolTip() const override { return displayName(); }
    QString whatsThis() const override
    {
        return QCoreApplication::translate("Diduza::DesignerPlugin", FEntry->description);
    }
    bool isContainer() const override { return false; }
    QString includeFile() const override { return QString::fromLatin1(FEntry->header); }
    QString domXml() const override
    {
        const bool holder = FWidgetClass != &TSchemaDesignArea::staticMetaObject;
        const QSize size = holder
            ? QSize(TComponentHolder::DesignTimeSide, TComponentHolder::DesignTimeSide)
            : QSize(320, 240);
        QString xml = QStringLiteral("<ui language=\"c++\" displayname=\"%1\">\n"
                                     " <widget class=\"%2\" name=\"%3\">\n"
                                     "  <property name=\"geometry\"><rect><x>0</x><y>0</y>"
                                     "<width>%4</width><height>%5</height></rect></property>\n"
                                     " </widget>\n")
                          .arg(displayName(), name(), QLatin1String(FEntry->objectName))
                          .arg(size.width())
                          .arg(size.height());
        if (*FEntry->propertySpecifications) {
            xml += QStringLiteral(" <customwidgets><customwidget><class>%1</class>"
                                  "<propertyspecifications>%2</propertyspecifications>"
                                  "</customwidget></customwidgets>\n")
                       .arg(name(), QLatin1String(FEntry->propertySpecifications));
        }
        return xml + QStringLiteral("</ui>\n");
    }

    QWidget *createWidget(QWidget *parent) override
    {
        QWidget *widget = CreateFormWidget(FComponentClass, parent);
        if (auto *holder = qobject_cast<TComponentHolder *>(widget);
            holder && FDesigner && InFormEditor(parent))
            holder->SetDesignTime(true);
        return widget;
    }

    bool isInitialized() const override { return FInitialized; }
    void initialize(QDesignerFormEditorInterface *core) override
    {
        if (FInitialized)
            return;
        FInitialized = true;
        FDesigner = core != nullptr;
    }

private:
    QString displayName() const
    {
        return QString::fromLatin1(FComponentClass->className()).section("::", -1);
    }

    QString FPage;
    const QMetaObject *FComponentClass;
    const QMetaObject *FWidgetClass;
    const FormEntry *FEntry;
    bool FInitialized = false;
    bool FDesigner = false;
};

} // namespace

class DiduzaDesignerPlugin : public QObject, public QDesignerCustomWidgetCollectionInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
    Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)

public:
    explicit DiduzaDesignerPlugin(QObject *parent = nullptr)
        : QObject(parent)
    {
        Register([this](const QString &page, const QList<const QMetaObject *> &classes) {
            for (const QMetaObject *componentClass : classes) {
                if (FormWidgetClass(componentClass) && EntryOf(componentClass))
                    FWidgets << new ComponentWidget(page, componentClass, this);
            }
        });
    }

    QList<QDesignerCustomWidgetInterface *> customWidgets() const override { return FWidgets; }

private:
    QList<QDesignerCustomWidgetInterface *> FWidgets;
};

} // namespace Diduza

#include "DiduzaDesignerPlugin.moc"
