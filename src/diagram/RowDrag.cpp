#include "diagram/RowDrag_p.h"

#include "diagram/TSchemaItem.h"
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
}

void RowDragMove(QAbstractItemView *view, QDragMoveEvent *event)
{
    bool accept = false;
    if (TSchemaItem *item = itemOf(view)) {
        const QPoint p = event->position().toPoint();
        Guarded([&] { item->_DragOver(view, event->source(), p.x(), p.y(), accept); });
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
    const QPoint p = event->position().toPoint();
    QObject *source = event->source();
    event->setDropAction(Qt::LinkAction);
    event->accept();
    // A failure ("These items are already linked.") is shown once the drop has finished.
    Guarded([&] { item->_DragDrop(view, source, p.x(), p.y()); }, true);
}

} // namespace Diduza
