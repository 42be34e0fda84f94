#include "registration/ComponentHolders.h"

#include "diagram/TSchemaDesignArea.h"
#include "engines/TSchemaBDEDataEngine.h"
#include "engines/TSchemaCustomDataEngine.h"
#include "querybuilder/TSQLBuilderDialog.h"
#include "registration/Registration.h"
#include "resources/Glyphs.h"

#include <QEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionButton>

namespace Diduza {

// The holders' own state: the held component, its glyph and the design-time look of every
// holder; the dialog and the name of its engine of the dialog's holder; the engine of an
// engine's holder.
class TComponentHolderPrivate {
public:
    TComponentHolderPrivate(QObject *component, const QString &glyphName)
        : FComponent(component)
        , FGlyphName(glyphName)
    {
    }

    QPointer<QObject> FComponent;
    QString FGlyphName;
    bool FDesignTime = false;
};

class TSQLBuilderDialogHolderPrivate {
public:
    explicit TSQLBuilderDialogHolderPrivate(TSQLBuilderDialog *dialog)
        : FDialog(dialog)
    {
    }

    TSQLBuilderDialog *FDialog;
    QString FDataEngineName;
};

class TSchemaDataEngineHolderPrivate {
public:
    explicit TSchemaDataEngineHolderPrivate(TSchemaDataEngine *engine)
        : FEngine(engine)
    {
    }

    TSchemaDataEngine *FEngine;
};

TComponentHolder::TComponentHolder(QObject *Component, const QString &GlyphName, QWidget *AOwner)
    : QWidget(AOwner)
    , d(std::make_unique<TComponentHolderPrivate>(Component, GlyphName))
{
    Component->setParent(this);
    connect(this, &QObject::objectNameChanged, Component,
        [Component](const QString &name) { Component->setObjectName(name); });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    SetDesignTime(false);
}

TComponentHolder::~TComponentHolder() = default;

QObject *TComponentHolder::Component() const
{
    return d->FComponent;
}

QString TComponentHolder::GlyphName() const
{
    return d->FGlyphName;
}

bool TComponentHolder::DesignTime() const
{
    return d->FDesignTime;
}

void TComponentHolder::SetDesignTime(bool Value)
{
    d->FDesignTime = Value;
    if (Value) {
        setFixedSize(DesignTimeSide, DesignTimeSide);
        // A holder without a parent would become a window of its own.
        if (parentWidget())
            setVisible(true);
    } else {
        setFixedSize(0, 0);
        setVisible(false);
    }
    updateGeometry();
}

QSize TComponentHolder::sizeHint() const
{
    return d->FDesignTime ? QSize(DesignTimeSide, DesignTimeSide) : QSize(0, 0);
}

QSize TComponentHolder::minimumSizeHint() const
{
    return sizeHint();
}

void TComponentHolder::paintEvent(QPaintEvent *)
{
    if (!d->FDesignTime)
        return;
    QPainter painter(this);
    QStyleOptionButton panel;
    panel.initFrom(this);
    panel.state |= QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &panel, &painter, this);
    const QPixmap glyph = PaletteGlyph(d->FGlyphName).pixmap(24, 24);
    painter.drawPixmap((width() - 24) / 2, (height() - 24) / 2, glyph);
}

bool TComponentHolder::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ParentChange && d->FDesignTime && parentWidget() && isHidden())
        setVisible(true);
    return handled;
}

// --- TSQLBuilderDialogHolder ---

TSQLBuilderDialogHolder::TSQLBuilderDialogHolder(QWidget *AOwner)
    : TComponentHolder(new TSQLBuilderDialog, QStringLiteral("TSQLBUILDERDIALOG"), AOwner)
    , d(std::make_unique<TSQLBuilderDialogHolderPrivate>(
          static_cast<TSQLBuilderDialog *>(Component())))
{
}

TSQLBuilderDialogHolder::~TSQLBuilderDialogHolder() = default;

QString TSQLBuilderDialogHolder::DataEngine() const
{
    return d->FDataEngineName;
}

TSQLBuilderDialog *TSQLBuilderDialogHolder::Dialog() const
{
    // Looked up when used: uic may create the dialog's holder before the engine's.
    if (!d->FDataEngineName.isEmpty() && !d->FDialog->GetDataEngine()) {
        const auto engines = window()->findChildren<TSchemaDataEngine *>(d->FDataEngineName);
        if (!engines.isEmpty())
            d->FDialog->SetDataEngine(engines.first());
    }
    return d->FDialog;
}

QString TSQLBuilderDialogHolder::Caption() const
{
    return d->FDialog->Caption();
}

void TSQLBuilderDialogHolder::setCaption(const QString &Value)
{
    d->FDialog->SetCaption(Value);
}

QString TSQLBuilderDialogHolder::SQL() const
{
    return d->FDialog->SQL();
}

void TSQLBuilderDialogHolder::setSQL(const QString &Value)
{
    d->FDialog->SetSQL(Value);
}

bool TSQLBuilderDialogHolder::FullImport() const
{
    return d->FDialog->FullImport();
}

void TSQLBuilderDialogHolder::setFullImport(bool Value)
{
    d->FDialog->SetFullImport(Value);
}

bool TSQLBuilderDialogHolder::ExtendedGrid() const
{
    return d->FDialog->ExtendedGrid();
}

void TSQLBuilderDialogHolder::setExtendedGrid(bool Value)
{
    d->FDialog->SetExtendedGrid(Value);
}

bool TSQLBuilderDialogHolder::JoinByKeys() const
{
    return d->FDialog->JoinByKeys();
}

void TSQLBuilderDialogHolder::setJoinByKeys(bool Value)
{
    d->FDialog->SetJoinByKeys(Value);
}

bool TSQLBuilderDialogHolder::ShowKeys() const
{
    return d->FDialog->ShowKeys();
}

void TSQLBuilderDialogHolder::setShowKeys(bool Value)
{
    d->FDialog->SetShowKeys(Value);
}

void TSQLBuilderDialogHolder::setDataEngine(const QString &Value)
{
    if (Value == d->FDataEngineName)
        return;
    d->FDataEngineName = Value;
    d->FDialog->SetDataEngine(nullptr);
}

bool TSQLBuilderDialogHolder::Execute()
{
    return Dialog()->Execute();
}

// --- data engines ---

TSchemaDataEngineHolder::TSchemaDataEngineHolder(
    TSchemaDataEngine *Engine, const QString &GlyphName, QWidget *AOwner)
    : TComponentHolder(Engine, GlyphName, AOwner)
    , d(std::make_unique<TSchemaDataEngineHolderPrivate>(Engine))
{
}

TSchemaDataEngineHolder::~TSchemaDataEngineHolder() = default;

TSchemaDataEngine *TSchemaDataEngineHolder::Engine() const
{
    return d->FEngine;
}

TSQLSubType TSchemaDataEngineHolder::SQLSubType() const
{
    return d->FEngine->SQLSubType();
}

void TSchemaDataEngineHolder::setSQLSubType(TSQLSubType Value)
{
    d->FEngine->SetSQLSubType(Value);
}

TSchemaCustomDataEngineHolder::TSchemaCustomDataEngineHolder(QWidget *AOwner)
    : TSchemaDataEngineHolder(
        new TSchemaCustomDataEngine, QStringLiteral("TSCHEMACUSTOMDATAENGINE"), AOwner)
{
}

TSchemaCustomDataEngineHolder::~TSchemaCustomDataEngineHolder() = default;

TSchemaCustomDataEngine *TSchemaCustomDataEngineHolder::Engine() const
{
    return static_cast<TSchemaCustomDataEngine *>(TSchemaDataEngineHolder::Engine());
}

TSchemaBDEDataEngineHolder::TSchemaBDEDataEngineHolder(QWidget *AOwner)
    : TSchemaDataEngineHolder(
        new TSchemaBDEDataEngine, QStringLiteral("TSCHEMABDEDATAENGINE"), AOwner)
{
}

TSchemaBDEDataEngineHolder::~TSchemaBDEDataEngineHolder() = default;

TSchemaBDEDataEngine *TSchemaBDEDataEngineHolder::Engine() const
{
    return static_cast<TSchemaBDEDataEngine *>(TSchemaDataEngineHolder::Engine());
}

bool TSchemaBDEDataEngineHolder::ShowSystemTables() const
{
    return Engine()->ShowSystemTables();
}

void TSchemaBDEDataEngineHolder::setShowSystemTables(bool Value)
{
    Engine()->SetShowSystemTables(Value);
}

QString TSchemaBDEDataEngineHolder::DatabaseName() const
{
    return Engine()->DatabaseName();
}

void TSchemaBDEDataEngineHolder::setDatabaseName(const QString &Value)
{
    Engine()->SetDatabaseName(Value);
}

QString TSchemaBDEDataEngineHolder::Pattern() const
{
    return Engine()->Pattern();
}

void TSchemaBDEDataEngineHolder::setPattern(const QString &Value)
{
    Engine()->SetPattern(Value);
}

// --- form widgets of the registered classes ---

const QMetaObject *FormWidgetClass(const QMetaObject *ComponentClass)
{
    if (ComponentClass == &TSchemaDesignArea::staticMetaObject)
        return &TSchemaDesignArea::staticMetaObject;
    if (ComponentClass == &TSQLBuilderDialog::staticMetaObject)
        return &TSQLBuilderDialogHolder::staticMetaObject;
    if (ComponentClass == &TSchemaCustomDataEngine::staticMetaObject)
        return &TSchemaCustomDataEngineHolder::staticMetaObject;
    if (ComponentClass == &TSchemaBDEDataEngine::staticMetaObject)
        return &TSchemaBDEDataEngineHolder::staticMetaObject;
    return nullptr;
}

QWidget *CreateFormWidget(const QMetaObject *ComponentClass, QWidget *parent)
{
    const QMetaObject *widgetClass = FormWidgetClass(ComponentClass);
    if (widgetClass == &TSchemaDesignArea::staticMetaObject)
        return new TSchemaDesignArea(parent);
    if (widgetClass == &TSQLBuilderDialogHolder::staticMetaObject)
        return new TSQLBuilderDialogHolder(parent);
    if (widgetClass == &TSchemaCustomDataEngineHolder::staticMetaObject)
        return new TSchemaCustomDataEngineHolder(parent);
    if (widgetClass == &TSchemaBDEDataEngineHolder::staticMetaObject)
        return new TSchemaBDEDataEngineHolder(parent);
    return nullptr;
}

} // namespace Diduza
