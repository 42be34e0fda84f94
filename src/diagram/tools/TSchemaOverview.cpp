#include "diagram/tools/TSchemaOverview.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "platform/ColorConvert.h"
#include "relations/TSchemaRelation.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>

namespace Diduza {

// An overview's own state: its area, how the diagram is fitted into the widget, the refresh
// timer and the drag of the view rectangle.
class TSchemaOverviewPrivate {
public:
    explicit TSchemaOverviewPrivate(TSchemaOverview *owner)
        : q(owner)
    {
    }

    QPointer<TSchemaDesignArea> FArea;
    QPointer<QWidget> FViewport;
    QRect FWorld; // client coordinates
    qreal FScale = 1;
    QPointF FOffset;
    QTimer FRefresh;
    bool FDragging = false;
    QPointF FGrab; // where in the view rectangle it was grabbed

    void layoutWorld();
    QPointF toOverview(const QPointF &client) const;
    void centreAt(const QPointF &p);

    TSchemaOverview *const q;
};

TSchemaOverview::TSchemaOverview(QWidget *parent)
    : QWidget(parent)
    , d(std::make_unique<TSchemaOverviewPrivate>(this))
{
    setObjectName(QStringLiteral("SchemaOverview"));
    setMinimumSize(80, 60);
    setCursor(Qt::OpenHandCursor);
    d->FRefresh.setSingleShot(true);
    d->FRefresh.setInterval(30); // changes come in bursts: one redraw for each
    connect(&d->FRefresh, &QTimer::timeout, this, &TSchemaOverview::Refresh);
}

TSchemaDesignArea *TSchemaOverview::Area() const
{
    return d->FArea;
}

qreal TSchemaOverview::Scale() const
{
    return d->FScale;
}

TSchemaOverview::~TSchemaOverview() = default;

void TSchemaOverview::SetArea(TSchemaDesignArea *Value)
{
    if (d->FArea == Value)
        return;
    if (d->FViewport)
        d->FViewport->removeEventFilter(this);
    if (d->FArea) {
        d->FArea->horizontalScrollBar()->disconnect(this);
        d->FArea->verticalScrollBar()->disconnect(this);
    }
    d->FArea = Value;
    if (d->FArea) {
        // Whatever changes on the diagram is painted on the viewport; scrolling moves it.
        d->FViewport = d->FArea->viewport();
        d->FViewport->installEventFilter(this);
        connect(d->FArea->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { d->FRefresh.start(); });
        connect(d->FArea->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { d->FRefresh.start(); });
    }
    Refresh();
}

bool TSchemaOverview::eventFilter(QObject *watched, QEvent *event)
{
    // The viewport alone is looked at: while the area is destroyed it is no area any more.
    if (d->FViewport && watched == d->FViewport.data()
        && (event->type() == QEvent::Paint || event->type() == QEvent::Resize
            || event->type() == QEvent::ChildRemoved)
        && !d->FRefresh.isActive())
        d->FRefresh.start();
    return QWidget::eventFilter(watched, event);
}

void TSchemaOverviewPrivate::layoutWorld()
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
    const QRectF room = QRectF(q->rect()).adjusted(2, 2, -2, -2);
    FScale = qMin(room.width() / FWorld.width(), room.height() / FWorld.height());
    // Centred in the widget.
    FOffset = QPointF(room.left() + (room.width() - FWorld.width() * FScale) / 2,
        room.top() + (room.height() - FWorld.height() * FScale) / 2);
}

QPointF TSchemaOverview::MapFromArea(const QPointF &Client) const
{
    return d->toOverview(Client);
}

QPointF TSchemaOverviewPrivate::toOverview(const QPointF &client) const
{
    return FOffset + (client - QPointF(FWorld.topLeft())) * FScale;
}

QRectF TSchemaOverview::ViewRect() const
{
    if (!d->FArea)
        return QRectF();
    const QRect view = d->FArea->viewport()->rect();
    return QRectF(d->toOverview(view.topLeft()), QSizeF(view.size()) * d->FScale);
}

void TSchemaOverview::Refresh()
{
    d->FRefresh.stop();
    d->layoutWorld();
    update();
}

void TSchemaOverview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    d->layoutWorld();
}

void TSchemaOverview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    if (!d->FArea || d->FWorld.isEmpty())
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(
        QRectF(d->toOverview(d->FWorld.topLeft()), QSizeF(d->FWorld.size()) * d->FScale),
        d->FArea->CanvasColor());

    // Relations first, as the area paints them: lines between the centres of their items.
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    const int relations = d->FArea->GetRelationCount();
    for (int r = 0; r < relations; ++r) {
        TSchemaRelation *relation = d->FArea->GetRelation(r);
        TSchemaItem *a = relation->ParentItem();
        TSchemaItem *b = relation->ChildItem();
        if (a && b && relation->Visible())
            painter.drawLine(d->toOverview(QRectF(a->geometry()).center()),
                d->toOverview(QRectF(b->geometry()).center()));
    }
    QFont font = painter.font();
    font.setPixelSize(qMax(6, int(11 * d->FScale * 1.5)));
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const int count = d->FArea->GetItemCount();
    for (int i = 0; i < count; ++i) {
        TSchemaItem *item = d->FArea->GetItem(i);
        if (item->isHidden())
            continue;
        const QRectF box(d->toOverview(item->pos()), QSizeF(item->size()) * d->FScale);
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

void TSchemaOverviewPrivate::centreAt(const QPointF &p)
{
    if (!FArea || FScale <= 0)
        return;
    const QPointF client = QPointF(FWorld.topLeft()) + (p - FOffset) / FScale;
    const QPointF viewCentre = QRectF(FArea->viewport()->rect()).center();
    const QPointF delta = client - viewCentre;
    FArea->horizontalScrollBar()->setValue(
        FArea->horizontalScrollBar()->value() + qRound(delta.x()));
    FArea->verticalScrollBar()->setValue(FArea->verticalScrollBar()->value() + qRound(delta.y()));
    q->Refresh();
}

void TSchemaOverview::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !d->FArea)
        return;
    const QRectF view = ViewRect();
    const QPointF p = event->position();
    if (!view.contains(p))
        d->centreAt(p); // a click beside the rectangle brings the view there
    d->FGrab = p - ViewRect().center();
    d->FDragging = true;
    setCursor(Qt::ClosedHandCursor);
}

void TSchemaOverview::mouseMoveEvent(QMouseEvent *event)
{
    if (d->FDragging)
        d->centreAt(event->position() - d->FGrab);
}

void TSchemaOverview::mouseReleaseEvent(QMouseEvent *)
{
    d->FDragging = false;
    setCursor(Qt::OpenHandCursor);
}

} // namespace Diduza
