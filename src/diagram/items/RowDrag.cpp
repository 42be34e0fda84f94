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
#include <QPainter>
#include <QPointer>
#include <QWidget>

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

// The marks of a row drag over the area: the line from the dragged row to the pointer, and
// the row it would join.

namespace {
// Lies over the area's viewport, above its items, and lets every event through to them.
class RowDragFeedback : public QWidget {
public:
    explicit RowDragFeedback(TSchemaDesignArea *area)
        : QWidget(area)
        , FArea(area)
    {
        setObjectName(QStringLiteral("RowDragFeedback"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }
    void Set(const QLine &line, const QRect &target)
    {
        setGeometry(FArea->viewport()->geometry());
        raise();
        const QRect before = FShown;
        FLine = line;
        FTarget = target;
        FShown = QRect(line.p1(), line.p2()).normalized().united(target).adjusted(-3, -3, 3, 3);
        update(before.united(FShown));
        show();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor colour = palette().color(QPalette::Highlight);
        painter.setPen(QPen(colour, 2));
        painter.drawLine(FLine);
        painter.setBrush(colour);
        painter.drawEllipse(QPointF(FLine.p1()), 3, 3);
        if (!FTarget.isNull()) {
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(FTarget).adjusted(1, 1, -1, -1));
        }
    }

private:
    TSchemaDesignArea *FArea;
    QLine FLine;
    QRect FTarget;
    QRect FShown;
};

QPointer<RowDragFeedback> &feedback()
{
    static QPointer<RowDragFeedback> current;
    return current;
}

// The rectangle of a row in its item's inner list or tree, in the viewport's coordinates;
// null when it is not shown there.
QRect rowRect(QWidget *viewport, TSchemaItem *item, TSchemaSubItem *row)
{
    QAbstractItemView *view = nullptr;
    QRect r;
    if (TSchemaListBox *list = item->ListBox()) {
        view = list;
        r = list->visualItemRect(list->item(item->GetIndexBySubItem(row)));
    } else if (TSchemaTreeView *tree = item->TreeView()) {
        view = tree;
        r = tree->visualItemRect(tree->NodeAt(item->GetIndexBySubItem(row)));
    }
    if (!view || r.isNull())
        return {};
    r = r.intersected(view->viewport()->rect());
    return r.isEmpty() ? QRect() : r.translated(view->viewport()->mapTo(viewport, QPoint()));
}

} // namespace

void ShowRowDrag(TSchemaDesignArea *area, QObject *Source, const QPoint &Pointer,
    TSchemaItem *TargetItem, TSchemaSubItem *Target)
{
    auto *view = qobject_cast<QAbstractItemView *>(Source);
    TSchemaItem *source = view ? qobject_cast<TSchemaItem *>(view->parentWidget()) : nullptr;
    if (!area || !source || source->Parent() != area)
        return;
    TSchemaSubItem *row = source->GetSubItem(source->GetItemIndex());
    if (!row)
        return;
    // From the edge of the dragged row's item that faces the pointer, where a relation would
    // leave it.
    const QRect item = source->geometry();
    const int x = Pointer.x() < item.center().x() ? item.left() : item.right();
    const QPoint from(x, source->GetRowY(source->GetIndexBySubItem(row)));
    QPointer<RowDragFeedback> &current = feedback();
    if (current && current->parentWidget() != area)
        delete current.data();
    if (!current)
        current = new RowDragFeedback(area);
    current->Set(QLine(from, Pointer),
        TargetItem && Target ? rowRect(area->viewport(), TargetItem, Target) : QRect());
}

void HideRowDrag()
{
    if (RowDragFeedback *current = feedback())
        current->hide();
}

void EndRowDrag()
{
    delete feedback().data();
}

} // namespace Diduza
