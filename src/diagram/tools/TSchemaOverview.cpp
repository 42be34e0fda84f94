#include "diagram/tools/TSchemaOverview.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "platform/ColorConvert.h"
#include "relations/TSchemaRelation.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace Diduza {

TSchemaOverview::TSchemaOverview(QWidget *Parent)
    : QWidget(Parent)
{
    setObjectName(QStringLiteral("SchemaOverview"));
    setMinimumSize(80, 60);
    setCursor(Qt::OpenHandCursor);
    FRefresh.setSingleShot(true);
    FRefresh.setInterval(30); // changes come in bursts: one redraw for each
    connect(&FRefresh, &QTimer::timeout, this, &TSchemaOverview::Refresh);
}

void TSchemaOverview::SetArea(TSchemaDesignArea *Value)
{
    if (FArea == Value)
        return;
    if (FViewport)
        FViewport->removeEventFilter(this);
    if (FArea) {
        FArea->horizontalScrollBar()->disconnect(this);
        FArea->verticalScrollBar()->disconnect(this);
    }
    FArea = Value;
    if (FArea) {
        // Whatever changes on the diagram is painted on the viewport; scrolling moves it.
        FViewport = FArea->viewport();
        FViewport->installEventFilter(this);
        connect(FArea->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { FRefresh.start(); });
        connect(FArea->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { FRefresh.start(); });
    }
    Refresh();
}

bool TSchemaOverview::eventFilter(QObject *watched, QEvent *event)
{
    // The viewport alone is looked at: while the area is destroyed it is no area any more.
    if (FViewport && watched == FViewport.data()
        && (event->type() == QEvent::Paint || event->type() == QEvent::Resize
            || event->type() == QEvent::ChildRemoved)
        && !FRefresh.isActive())
        FRefresh.start();
    return QWidget::eventFilter(watched, event);
}

void TSchemaOverview::layoutWorld()
{
    FWorld = QRect();
    if (!FArea)
        return;
    FWorld = FArea->viewport()->rect();
    const int count = FArea->GetItemCount();
    for (int i = 0; i < count; ++i) {
        TSchemaItem *item = FArea->GetItem(i);
        if (!item->isHidden())
            FWorld |= item->geometry();
    }
    FWorld.adjust(-10, -10, 10, 10);
    const QRectF room = QRectF(rect()).adjusted(2, 2, -2, -2);
    FScale = qMin(room.width() / FWorld.width(), room.height() / FWorld.height());
    // Centred in the widget.
    FOffset = QPointF(room.left() + (room.width() - FWorld.width() * FScale) / 2,
        room.top() + (room.height() - FWorld.height() * FScale) / 2);
}

QPointF TSchemaOverview::toOverview(const QPointF &client) const
{
    return FOffset + (client - QPointF(FWorld.topLeft())) * FScale;
}

QRectF TSchemaOverview::ViewRect() const
{
    if (!FArea)
        return QRectF();
    const QRect view = FArea->viewport()->rect();
    return QRectF(toOverview(view.topLeft()), QSizeF(view.size()) * FScale);
}

void TSchemaOverview::Refresh()
{
    FRefresh.stop();
    layoutWorld();
    update();
}

void TSchemaOverview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutWorld();
}

void TSchemaOverview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    if (!FArea || FWorld.isEmpty())
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(
        QRectF(toOverview(FWorld.topLeft()), QSizeF(FWorld.size()) * FScale), FArea->CanvasColor());

    // Relations first, as the area paints them: lines between the centres of their items.
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    const int relations = FArea->GetRelationCount();
    for (int r = 0; r < relations; ++r) {
        TSchemaRelation *relation = FArea->GetRelation(r);
        TSchemaItem *a = relation->ParentItem();
        TSchemaItem *b = relation->ChildItem();
        if (a && b && relation->Visible())
            painter.drawLine(toOverview(QRectF(a->geometry()).center()),
                toOverview(QRectF(b->geometry()).center()));
    }
    QFont font = painter.font();
    font.setPixelSize(qMax(6, int(11 * FScale * 1.5)));
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int count = FArea->GetItemCount();
    for (int i = 0; i < count; ++i) {
        TSchemaItem *item = FArea->GetItem(i);
        if (item->isHidden())
            continue;
        const QRectF box(toOverview(item->pos()), QSizeF(item->size()) * FScale);
        painter.setPen(palette().color(QPalette::Dark));
        painter.setBrush(ColorToQColor(item->GetColor(), item->palette()));
        painter.drawRect(box);
        if (box.height() >= metrics.height() && box.width() > 12) {
            painter.setPen(palette().color(QPalette::Text));
            painter.drawText(box.adjusted(2, 0, -2, 0), Qt::AlignHCenter | Qt::AlignTop,
                metrics.elidedText(item->GetCaption(), Qt::ElideRight, int(box.width()) - 4));
        }
    }
    QColor highlight = palette().color(QPalette::Highlight);
    painter.setPen(QPen(highlight, 2));
    highlight.setAlpha(40);
    painter.setBrush(highlight);
    painter.drawRect(ViewRect());
}

void TSchemaOverview::centreAt(const QPointF &p)
{
    if (!FArea || FScale <= 0)
        return;
    const QPointF client = QPointF(FWorld.topLeft()) + (p - FOffset) / FScale;
    const QPointF viewCentre = QRectF(FArea->viewport()->rect()).center();
    const QPointF delta = client - viewCentre;
    FArea->horizontalScrollBar()->setValue(
        FArea->horizontalScrollBar()->value() + qRound(delta.x()));
    FArea->verticalScrollBar()->setValue(FArea->verticalScrollBar()->value() + qRound(delta.y()));
    Refresh();
}

void TSchemaOverview::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !FArea)
        return;
    const QRectF view = ViewRect();
    const QPointF p = event->position();
    if (!view.contains(p))
        centreAt(p); // a click beside the rectangle brings the view there
    FGrab = p - ViewRect().center();
    FDragging = true;
    setCursor(Qt::ClosedHandCursor);
}

void TSchemaOverview::mouseMoveEvent(QMouseEvent *event)
{
    if (FDragging)
        centreAt(event->position() - FGrab);
}

void TSchemaOverview::mouseReleaseEvent(QMouseEvent *)
{
    FDragging = false;
    setCursor(Qt::OpenHandCursor);
}

} // namespace Diduza
