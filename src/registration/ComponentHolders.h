#pragma once

// Non-visual components on forms made with Qt Designer.
//
// A .ui file holds widgets only, so each registered component that is not a widget
// (TSQLBuilderDialog, TSchemaCustomDataEngine, TSchemaBDEDataEngine) is placed on a form through
// a small holder widget: the holder owns one component, named like the holder, and offers the
// component's design-time properties as its own Q_PROPERTYs, reading and writing them through to
// the component. The setters follow Qt's naming (setCaption for the property Caption), because
// uic writes a property P of a .ui file as a call of setP.
//
// At design time (SetDesignTime(true), which the Designer plugin calls) a holder is a 28 x 28
// glyph on the form, as a non-visual component is shown in a form designer. At run time, made
// by uic's code or by QUiLoader, it is hidden and takes no space: a layout skips it and its
// size is fixed at zero. Code reaches the component through Component() or the typed accessor
// of each holder (Dialog(), Engine()), for example to set the engines' events:
//
//     ui->customDataEngine->Engine()->SetOnGetItemList(...);
//     if (ui->sqlBuilderDialog->Execute()) ...

#include "diduzawidgets_export.h"
#include "platform/SchemaTypes.h"

#include <QWidget>

#include <memory>

struct QMetaObject;

namespace Diduza {

class TSQLBuilderDialog;
class TSchemaDataEngine;
class TSchemaCustomDataEngine;
class TSchemaBDEDataEngine;
class TComponentHolderPrivate;
class TSQLBuilderDialogHolderPrivate;
class TSchemaDataEngineHolderPrivate;

/// Base of the holder widgets: owns one non-visual component and stands for it on a form.
class DIDUZAWIDGETS_EXPORT TComponentHolder : public QWidget {
    Q_OBJECT

public:
    /// Side of the design-time glyph in pixels.
    static constexpr int DesignTimeSide = 28;

    ~TComponentHolder() override; ///< Deletes the component with the holder.

    /// The component this holder owns; its objectName follows the holder's.
    QObject *Component() const;
    /// The name of the component's palette glyph ("TSQLBUILDERDIALOG", ...).
    QString GlyphName() const;

    /// True while the holder is shown as a glyph for a form designer.
    bool DesignTime() const;
    /// Shows the holder as a 28 x 28 glyph (true) or hides it with no size (false, the default).
    void SetDesignTime(bool Value);

    /// DesignTimeSide square at design time, empty at run time.
    QSize sizeHint() const override;
    /// The same as sizeHint.
    QSize minimumSizeHint() const override;

protected:
    /// Takes Component as a child and hides itself, for run time; AOwner is the holder's parent
    /// widget.
    TComponentHolder(QObject *Component, const QString &GlyphName, QWidget *AOwner);
    /// Draws the glyph on a raised panel.
    void paintEvent(QPaintEvent *event) override;
    /// Shows the glyph again when a designer moves the holder to another parent.
    bool event(QEvent *event) override;

private:
    std::unique_ptr<TComponentHolderPrivate> d; ///< The private state.
};

/// Holds a TSQLBuilderDialog on a form.
class DIDUZAWIDGETS_EXPORT TSQLBuilderDialogHolder : public TComponentHolder {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QString SQL READ SQL WRITE setSQL)
    Q_PROPERTY(bool FullImport READ FullImport WRITE setFullImport)
    Q_PROPERTY(bool JoinByKeys READ JoinByKeys WRITE setJoinByKeys)
    Q_PROPERTY(bool ShowKeys READ ShowKeys WRITE setShowKeys)
    Q_PROPERTY(bool ExtendedGrid READ ExtendedGrid WRITE setExtendedGrid)
    Q_PROPERTY(QString DataEngine READ DataEngine WRITE setDataEngine)

public:
    /// A holder with a new dialog, hidden until SetDesignTime(true).
    explicit TSQLBuilderDialogHolder(QWidget *AOwner = nullptr);
    ~TSQLBuilderDialogHolder() override; ///< Deletes the dialog with the holder.

    /// The dialog, with its engine looked up by the name in DataEngine.
    TSQLBuilderDialog *Dialog() const;

    /// The dialog's Caption.
    QString Caption() const;
    /// Sets the dialog's Caption.
    void setCaption(const QString &Value);
    /// The dialog's SQL.
    QString SQL() const;
    /// Sets the dialog's SQL.
    void setSQL(const QString &Value);
    /// The dialog's FullImport.
    bool FullImport() const;
    /// Sets the dialog's FullImport.
    void setFullImport(bool Value);
    /// The dialog's JoinByKeys.
    bool JoinByKeys() const;
    /// Sets the dialog's JoinByKeys.
    void setJoinByKeys(bool Value);
    /// The dialog's ShowKeys.
    bool ShowKeys() const;
    /// Sets the dialog's ShowKeys.
    void setShowKeys(bool Value);
    /// The dialog's ExtendedGrid: calculated columns, query blocks and the row limit come with it.
    bool ExtendedGrid() const;
    /// Sets the dialog's ExtendedGrid.
    void setExtendedGrid(bool Value);
    /// The objectName of the data engine (or of its holder) in the same window; a form names
    /// its engine this way, since a .ui file cannot hold a pointer.
    QString DataEngine() const;
    /// Sets the name of the data engine; the engine is looked up when the dialog is used.
    void setDataEngine(const QString &Value);

public slots:
    /// Runs the dialog (TSQLBuilderDialog::Execute) with the named engine.
    bool Execute();

private:
    std::unique_ptr<TSQLBuilderDialogHolderPrivate> d; ///< The private state.
};

/// Base of the data-engine holders: the engine's dialect.
class DIDUZAWIDGETS_EXPORT TSchemaDataEngineHolder : public TComponentHolder {
    Q_OBJECT
    Q_PROPERTY(Diduza::TSQLSubType SQLSubType READ SQLSubType WRITE setSQLSubType)

public:
    ~TSchemaDataEngineHolder() override; ///< Deletes the engine with the holder.

    /// The engine.
    TSchemaDataEngine *Engine() const;
    /// The engine's SQLSubType.
    TSQLSubType SQLSubType() const;
    /// Sets the engine's SQLSubType.
    void setSQLSubType(TSQLSubType Value);

protected:
    /// Takes Engine as the held component.
    TSchemaDataEngineHolder(TSchemaDataEngine *Engine, const QString &GlyphName, QWidget *AOwner);

private:
    std::unique_ptr<TSchemaDataEngineHolderPrivate> d; ///< The private state.
};

/// Holds a TSchemaCustomDataEngine on a form.
class DIDUZAWIDGETS_EXPORT TSchemaCustomDataEngineHolder : public TSchemaDataEngineHolder {
    Q_OBJECT

public:
    /// A holder with a new engine, hidden until SetDesignTime(true).
    explicit TSchemaCustomDataEngineHolder(QWidget *AOwner = nullptr);
    ~TSchemaCustomDataEngineHolder() override; ///< Deletes the engine with the holder.

    /// The engine.
    TSchemaCustomDataEngine *Engine() const;
};

/// Holds a TSchemaBDEDataEngine on a form.
class DIDUZAWIDGETS_EXPORT TSchemaBDEDataEngineHolder : public TSchemaDataEngineHolder {
    Q_OBJECT
    Q_PROPERTY(bool ShowSystemTables READ ShowSystemTables WRITE setShowSystemTables)
    Q_PROPERTY(QString DatabaseName READ DatabaseName WRITE setDatabaseName)
    Q_PROPERTY(QString Pattern READ Pattern WRITE setPattern)

public:
    /// A holder with a new engine, hidden until SetDesignTime(true).
    explicit TSchemaBDEDataEngineHolder(QWidget *AOwner = nullptr);
    ~TSchemaBDEDataEngineHolder() override; ///< Deletes the engine with the holder.

    /// The engine.
    TSchemaBDEDataEngine *Engine() const;
    /// The engine's ShowSystemTables.
    bool ShowSystemTables() const;
    /// Sets the engine's ShowSystemTables.
    void setShowSystemTables(bool Value);
    /// The engine's DatabaseName.
    QString DatabaseName() const;
    /// Sets the engine's DatabaseName.
    void setDatabaseName(const QString &Value);
    /// The engine's Pattern.
    QString Pattern() const;
    /// Sets the engine's Pattern.
    void setPattern(const QString &Value);
};

/// The widget class that stands for a registered ComponentClass on a form: the class itself
/// when it is a widget (TSchemaDesignArea), else its holder; null for any other class.
DIDUZAWIDGETS_EXPORT const QMetaObject *FormWidgetClass(const QMetaObject *ComponentClass);

/// A new widget of FormWidgetClass(ComponentClass) with parent, or null. Holders come hidden,
/// for run time.
DIDUZAWIDGETS_EXPORT QWidget *CreateFormWidget(const QMetaObject *ComponentClass, QWidget *parent);

} // namespace Diduza
