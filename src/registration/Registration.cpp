#include "registration/Registration.h"

#include "diagram/TSchemaDesignArea.h"
#include "engines/TSchemaBDEDataEngine.h"
#include "engines/TSchemaCustomDataEngine.h"
#include "querybuilder/TSQLBuilderDialog.h"

#include <QMetaObject>

namespace Diduza {

void Register(const TRegisterComponents &RegisterComponents)
{
    if (!RegisterComponents)
        return;
    RegisterComponents(QStringLiteral("DeDovaz"),
        { &TSchemaDesignArea::staticMetaObject, &TSQLBuilderDialog::staticMetaObject,
            &TSchemaCustomDataEngine::staticMetaObject, &TSchemaBDEDataEngine::staticMetaObject });
}

QString PaletteGlyphName(const QMetaObject *ComponentClass)
{
    if (!ComponentClass)
        return QString();
    const QString name = QString::fromLatin1(ComponentClass->className());
    return name.mid(name.lastIndexOf(QLatin1Char(':')) + 1).toUpper();
}

} // namespace Diduza
