#pragma once

// Registration of the components with a form designer. A designer integration (the Qt Designer
// plugin in src/designer) calls Register once and shows what it receives: one page of the
// palette and, in order, the component classes on it. Each class has a palette glyph named
// after it, and a widget that stands for it on a form (ComponentHolders.h).

#include "diduzawidgets_export.h"

#include <QList>
#include <QString>

#include <functional>

struct QMetaObject;

namespace Diduza {

/// The one registration call of Register: the palette page and the classes shown on it, in
/// palette order.
using TRegisterComponents
    = std::function<void(const QString &Page, const QList<const QMetaObject *> &ComponentClasses)>;

/// Registers the components: calls RegisterComponents once with the page "DeDovaz" and the
/// classes TSchemaDesignArea, TSQLBuilderDialog, TSchemaCustomDataEngine and
/// TSchemaBDEDataEngine, in this order. No other class is registered.
DIDUZAWIDGETS_EXPORT void Register(const TRegisterComponents &RegisterComponents);

/// The name of the palette glyph resource of ComponentClass: its class name without the
/// namespace, in upper case ("TSCHEMADESIGNAREA"). See PaletteGlyph in resources/Glyphs.h.
DIDUZAWIDGETS_EXPORT QString PaletteGlyphName(const QMetaObject *ComponentClass);

} // namespace Diduza
