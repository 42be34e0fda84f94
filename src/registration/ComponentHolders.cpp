#include "registration/ComponentHolders.h"

#include "diagram/TSchemaDesignArea.h"
#include "engines/TSchemaBDEDataEngine.h"
#include "engines/TSchemaCustomDataEngine.h"
#include "querybuilder/TSQLBuilderDialog.h"
#include "registration/Registration.h"
#include "resources/Glyphs.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace Diduza {

TComponentHolder::TComponentHolder(QObject *Component, const QString &GlyphName, QWidget *Parent)
    : QWidget(Parent)
    , FComponent(Component)
    , FGlyphName(GlyphName)
{
    Component->setParent(this);
    connect(this, &QObject::objectNameChanged, Component,
        [Component](const QString &name) { Component->setObjectName(name); });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    SetDesignTime(false);
}

TComponentHolder::~TComponentHolder() = default;

void TComponentHolder::SetDesignTime(bool Value)
{
    FDesignTime = Value;
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
    return FDesignTime ? QSize(DesignTimeSide, DesignTimeSide) : QSize(0, 0);
}

QSize TComponentHolder::minimumSizeHint() const
{
    return sizeHint();
}

void TComponentHolder::paintEvent(QPaintEvent *)
{
    if (!FDesignTime)
        return;
    QPainter painter(this);
    QStyleOptionButton panel;
    panel.initFrom(this);
    panel.state |= QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &panel, &painter, this);
    const QPixmap glyph = PaletteGlyph(FGlyphName).pixmap(24, 24);
    painter.drawPixmap((width() - 24) / 2, (height() - 24) / 2, glyph);
}

bool TComponentHolder::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ParentChange && FDesignTime && parentWidget() && isHidden())
        setVisible(true);
    return handled;
}

// --- TSQLBuilderDialogHolder ---

TSQLBuilderDialogHolder::TSQLBuilderDialogHolder(QWidget *Parent)
    : TComponentHolder(new TSQLBuilderDialog, QStringLiteral("TSQLBUILDERDIALOG"), Parent)
    , FDialog(static_cast<TSQLBuilderDialog *>(Component()))
{
}

TSQLBuilderDialogHolder::~TSQLBuilderDialogHolder() = default;

TSQLBuilderDialog *TSQLBuilderDialogHolder::Dialog() const
{
    // Looked up when used: uic may create the dialog's holder before the engine's.
    if (!FDataEngineName.isEmpty() && !FDialog->GetDataEngine()) {
        const auto engines = window()->findChildren<TSchemaDataEngine *>(FDataEngineName);
        if (!engines.isEmpty())
            FDialog->SetDataEngine(engines.first());
    }
    return FDialog;
}

QString TSQLBuilderDialogHolder::Caption() const
{
    return FDialog->Caption();
}

void TSQLBuilderDialogHolder::setCaption(const QString &Value)
{
    FDialog->SetCaption(Value);
}

QString TSQLBuilderDialogHolder::SQL() const
{
    return FDialog->SQL();
}

void TSQLBuilderDialogHolder::setSQL(const QString &Value)
{
    FDialog->SetSQL(Value);
}

bool TSQLBuilderDialogHolder::FullImport() const
{
    return FDialog->FullImport();
}

void TSQLBuilderDialogHolder::setFullImport(bool Value)
{
    FDialog->SetFullImport(Value);
}

bool TSQLBuilderDialogHolder::JoinByKeys() const
{
    return FDialog->JoinByKeys();
}

void TSQLBuilderDialogHolder::setJoinByKeys(bool Value)
{
    FDialog->SetJoinByKeys(Value);
}

bool TSQLBuilderDialogHolder::ShowKeys() const
{
    return FDialog->ShowKeys();
}

void TSQLBuilderDialogHolder::setShowKeys(bool Value)
{
    FDialog->SetShowKeys(Value);
}

void TSQLBuilderDialogHolder::setDataEngine(const QString &Value)
{
    if (Value == FDataEngineName)
        return;
    FDataEngineName = Value;
    FDialog->SetDataEngine(nullptr);
}

bool TSQLBuilderDialogHolder::Execute()
{
    return Dialog()->Execute();
}

// --- data engines ---

TSchemaDataEngineHolder::TSchemaDataEngineHolder(
    TSchemaDataEngine *Engine, const QString &GlyphName, QWidget *Parent)
    : TComponentHolder(Engine, GlyphName, Parent)
    , FEngine(Engine)
{
}

TSchemaDataEngineHolder::~TSchemaDataEngineHolder() = default;

TSQLSubType TSchemaDataEngineHolder::SQLSubType() const
{
    return FEngine->SQLSubType();
}

void TSchemaDataEngineHolder::setSQLSubType(TSQLSubType Value)
{
    FEngine->SetSQLSubType(Value);
}

TSchemaCustomDataEngineHolder::TSchemaCustomDataEngineHolder(QWidget *Parent)
    : TSchemaDataEngineHolder(
        new TSchemaCustomDataEngine, QStringLiteral("TSCHEMACUSTOMDATAENGINE"), Parent)
{
}

TSchemaCustomDataEngineHolder::~TSchemaCustomDataEngineHolder() = default;

TSchemaCustomDataEngine *TSchemaCustomDataEngineHolder::Engine() const
{
    return static_cast<TSchemaCustomDataEngine *>(TSchemaDataEngineHolder::Engine());
}

TSchemaBDEDataEngineHolder::TSchemaBDEDataEngineHolder(QWidget *Parent)
    : TSchemaDataEngineHolder(
        new TSchemaBDEDataEngine, QStringLiteral("TSCHEMABDEDATAENGINE"), Parent)
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

QWidget *CreateFormWidget(const QMetaObject *ComponentClass, QWidget *Parent)
{
    const QMetaObject *widgetClass = FormWidgetClass(ComponentClass);
    if (widgetClass == &TSchemaDesignArea::staticMetaObject)
        return new TSchemaDesignArea(Parent);
    if (widgetClass == &TSQLBuilderDialogHolder::staticMetaObject)
        return new TSQLBuilderDialogHolder(Parent);
    if (widgetClass == &TSchemaCustomDataEngineHolder::staticMetaObject)
        return new TSchemaCustomDataEngineHolder(Parent);
    if (widgetClass == &TSchemaBDEDataEngineHolder::staticMetaObject)
        return new TSchemaBDEDataEngineHolder(Parent);
    return nullptr;
}

} // namespace Diduza
