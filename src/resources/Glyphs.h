#pragma once

#include "diduzawidgets_export.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

namespace Diduza {

/// The colour of the background of the keyed glyphs (icon glyphs and tool-bar glyphs):
/// pixels of this colour are see-through once MakeTransparent has been applied.
inline constexpr QRgb GlyphKeyColor = 0xFFFF00FF;

/// Number of icon glyphs (":/diduza/icons/SIT_<NAME>.svg", 32 x 32) and of tool-bar glyphs
/// (":/diduza/toolbar/STB_<NAME>.svg", 16 x 16).
inline constexpr int IconGlyphCount = 31;
inline constexpr int ToolbarGlyphCount = 5;

/// Number of palette glyphs (":/diduza/palette/<NAME>.svg", 24 x 24, transparent background):
/// one per component class registered for form designers, named after the class in upper case,
/// and "TSCHEMAADODATAENGINE", which no class uses.
inline constexpr int PaletteGlyphCount = 5;

/// Resource path of icon glyph index (in the order of TSCIconType), or an empty string when
/// index is out of range.
DIDUZAWIDGETS_EXPORT QString IconGlyphPath(int index);
/// Resource path of tool-bar glyph index: 0 list box, 1 check list box, 2 tree view, 3 text,
/// 4 icon; an empty string when index is out of range.
DIDUZAWIDGETS_EXPORT QString ToolbarGlyphPath(int index);

/// Resource path of the palette glyph named ResourceName ("TSCHEMADESIGNAREA", ...), or an
/// empty string when there is no such glyph.
DIDUZAWIDGETS_EXPORT QString PaletteGlyphPath(const QString &ResourceName);
/// The names of the palette glyphs.
DIDUZAWIDGETS_EXPORT QStringList PaletteGlyphNames();

/// Renders an SVG resource into an ARGB32 image of the given size. The glyphs are pixel
/// pictures in a few flat colours, so every pixel gets the single colour that covers most of
/// it: there are no blended edge pixels, which would not match a key colour and would leave a
/// coloured fringe once the key colour is made transparent. Returns a null image when the
/// resource cannot be read or size is empty.
DIDUZAWIDGETS_EXPORT QImage RenderGlyph(const QString &resourcePath, QSize size);
/// RenderGlyph with the colour From of the picture (an outline's black) drawn in To: a glyph
/// whose outlines take a colour that stands out from a dark background.
DIDUZAWIDGETS_EXPORT QImage RenderGlyph(
    const QString &resourcePath, QSize size, QRgb From, const QColor &To);

/// A copy of image in ARGB32 where every pixel whose RGB equals the RGB of key is fully
/// transparent; the other pixels are unchanged.
DIDUZAWIDGETS_EXPORT QImage MakeTransparent(const QImage &image, QRgb key);

/// Tool-bar glyph index (see ToolbarGlyphPath) at 16 x 16 with its key colour made
/// transparent; a null pixmap when index is out of range.
DIDUZAWIDGETS_EXPORT QPixmap ToolbarGlyph(int index);

/// The palette glyph ResourceName as an icon, rendered at 24 x 24 and 16 x 16; a null icon when
/// there is no such glyph.
DIDUZAWIDGETS_EXPORT QIcon PaletteGlyph(const QString &ResourceName);

} // namespace Diduza
