#pragma once

// The holders' own state: the held component, its glyph and the design-time look of every
// holder; the dialog and the name of its engine of the dialog's holder; the engine of an
// engine's holder. Not installed.

#include "registration/ComponentHolders.h"

#include <QPointer>

namespace Diduza {

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

} // namespace Diduza
