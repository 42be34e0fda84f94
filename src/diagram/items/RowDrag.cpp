#include "diagram/items/RowDrag_p.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/RowDragFeedback_p.h"
#include "diagram/items/TSchemaListBox.h"
#include "diagram/items/TSchemaTreeView.h"
#include "platform/Application.h"

#include <QAbstractItemView>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>

namespace Diduza {

namespace {
const char *const kRowMime = "application/x-diduza-schema-row";

TSchemaItem *itemOf(QAbstractItemView *view)
{
    return qobject_cast<TSchemaItem *>(view->parentWidget());
}

bool isRowDrag(const QDropEvent *event)
{
    return event->mimeData() && event->mimeData()->hasFormat(QLatin1String(kRowMime));
}

// The point of a drag over the view in its item's coordinates.
QPoint itemPoint(QAbstractItemView *view, TSchemaItem *item, const QDropEvent *event)
{
    return view->viewport()->mapTo(item, event->position().toPoint());
}
} // namespace

void StartRowDrag(QAbstractItemView *view)
{
    if (!view->currentIndex().isValid())
        return;
    auto *drag = new QDrag(view);
    auto *mime = new QMimeData;
    mime->setData(QLatin1String(kRowMime), QByteArray::number(view->currentIndex().row()));
    drag->setMimeData(mime);
    drag->exec(Qt::LinkAction | Qt::CopyAction, Qt::LinkAction);
    EndRowDrag();
}

void RowDragMove(QAbstractItemView *view, QDragMoveEvent *event)
{
    bool accept = false;
    if (TSchemaItem *item = itemOf(view)) {
        if (isRowDrag(event)) {
            const QPoint p = event->position().toPoint();
            Guarded([&] { item->_DragOver(view, event->source(), p.x(), p.y(), accept); });
        } else if (TSchemaDesignArea *area = item->Designer()) {
            // Anything else dragged over an item is the area's to decide, as over bare canvas.
            const QPoint p = itemPoint(view, item, event);
            const TDragState state = event->type() == QEvent::DragEnter ? dsDragEnter : dsDragMove;
            Guarded([&] { area->DragOver(item, event->source(), p.x(), p.y(), state, accept); });
        }
    }
    if (accept) {
        event->setDropAction(Qt::LinkAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void RowDrop(QAbstractItemView *view, QDropEvent *event)
{
    QPointer<TSchemaItem> item = itemOf(view);
    if (!item) {
        event->ignore();
        return;
    }
    QObject *source = event->source();
    if (!isRowDrag(event)) {
        QPointer<TSchemaDesignArea> area = item->Designer();
        if (!area) {
            event->ignore();
            return;
        }
        const QPoint p = itemPoint(view, item, event);
        event->acceptProposedAction();
        Guarded([&] { area->DragDrop(item, source, p.x(), p.y()); }, true);
        return;
    }
    const QPoint p = event->position().toPoint();
    event->setDropAction(Qt::LinkAction);
    event->accept();
    // A failure ("These items are already linked.") is shown once the drop has finished.
    Guarded([&] { item->_DragDrop(view, source, p.x(), p.y()); }, true);
}

} // namespace Diduza
