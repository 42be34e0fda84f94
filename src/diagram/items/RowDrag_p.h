#pragma once

// Dragging rows between the inner lists and trees of items (not part of the public API).

class QAbstractItemView;
class QDragMoveEvent;
class QDropEvent;

namespace Diduza {

// Starts dragging the view's selected row.
void StartRowDrag(QAbstractItemView *view);
// Accepts or refuses a drag entering or moving over the view (a refusal shows in the pointer).
void RowDragMove(QAbstractItemView *view, QDragMoveEvent *event);
// Lets the view's item link the dragged row to the row under the pointer.
void RowDrop(QAbstractItemView *view, QDropEvent *event);

} // namespace Diduza
