#pragma once

// The line and the frame that show where a dragged row would be joined (RowDrag.cpp), for
// the item and the area a row is dragged over. Not installed.

#include <QPoint>

class QObject;

namespace Diduza {

class TSchemaDesignArea;
class TSchemaItem;
class TSchemaSubItem;

// What the user sees while a row is dragged (one drag at a time in a program): a line from the
// dragged row to the pointer, and a frame round the row a drop there would join, drawn over
// the items of the area. Source is the inner list or tree the row is dragged from; Pointer is
// in area's viewport coordinates; Target, of TargetItem, is null where a drop joins nothing.
// Nothing is shown for a Source that is not an inner control of an item on area.
void ShowRowDrag(TSchemaDesignArea *area, QObject *Source, const QPoint &Pointer,
    TSchemaItem *TargetItem = nullptr, TSchemaSubItem *Target = nullptr);
// Takes the line and the frame away (the pointer left the area); the next ShowRowDrag shows
// them again.
void HideRowDrag();
// The drag is over: dropped, cancelled or ended elsewhere.
void EndRowDrag();

} // namespace Diduza
