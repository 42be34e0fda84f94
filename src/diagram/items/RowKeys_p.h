#pragma once

// The key glyphs before the rows of list and check-list items whose area shows keys (not part
// of the public API; see TSchemaDesignArea::ShowKeys).

class QColor;
class QPainter;
class QRect;

namespace Diduza {

class TSchemaItem;
class TSchemaSubItem;

// The size of one key glyph, in logical pixels; each has a slot one pixel wider.
inline constexpr int KeyGlyphSize = 12;
inline constexpr int KeyGlyphSlot = KeyGlyphSize + 1;

// The width of the column of key glyphs before the rows of item: a slot for the primary key
// when its table has one, one for foreign keys when it has any, and a pixel more; 0 when the
// item's area does not show keys or does not know the item's table.
int KeyColumnWidth(const TSchemaItem *item);

// Paints row's glyphs at the left of rect (one row of item), centred in the row's height, on
// background (their outlines stand out from a dark one).
void PaintRowKeys(QPainter &painter, const TSchemaItem *item, const TSchemaSubItem *row,
    const QRect &rect, const QColor &background);

} // namespace Diduza
