#include "platform/TScrollBox.h"

#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/TGraphicControl.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace Diduza {

TScrollBox::TScrollBox(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    viewport()->installEventFilter(this);
    viewport()->setAutoFillBackground(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    horizontalScrollBar()->setSingleStep(8);
    verticalScrollBar()->setSingleStep(8);
    horizontalScrollBar()->setRange(0, 0);
    verticalScrollBar()->setRange(0, 0);
}

TScrollBox::~TScrollBox()
{
    DestroyChildren();
    viewport()->removeEventFilter(this);
}

QObject *TScrollBox::Controls(int index) const
{
    return (index >= 0 && index < ControlCount()) ? m_controls[index] : nullptr;
}

int TScrollBox::IndexOfControl(const QObject *control) const
{
    return int(m_controls.indexOf(const_cast<QObject *>(control)));
}

void TScrollBox::RemoveWindowedControl(QWidget *child)
{
    if (child && child->parentWidget() == viewport()) {
        child->hide();
        child->setParent(nullptr);
    }
}

void TScrollBox::SetColor(TColor color)
{
    if (m_color == color)
        return;
    m_color = color;
    viewport()->update();
}

QPoint TScrollBox::ScrollPosition() const
{
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void TScrollBox::EnsureVisible(const QRect &Rect, int Margin)
{
    UpdateScrollRange();
    const QRect view = viewport()->rect();
    const QRect want = Rect.adjusted(-Margin, -Margin, Margin, Margin);
    auto delta = [](int low, int high, int viewLow, int viewHigh) {
        if (low < viewLow || high - low > viewHigh - viewLow)
            return low - viewLow;
        return high > viewHigh ? high - viewHigh : 0;
    };
    const int dx = delta(want.left(), want.right(), view.left(), view.right());
    const int dy = delta(want.top(), want.bottom(), view.top(), view.bottom());
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + dx);
    verticalScrollBar()->setValue(verticalScrollBar()->value() + dy);
}

void TScrollBox::MoveControlTo(QObject *Control, int Index)
{
    const int from = int(m_controls.indexOf(Control));
    if (from < 0)
        return;
    const bool graphic = from < m_graphicCount;
    const int low = graphic ? 0 : m_graphicCount;
    const int high = graphic ? m_graphicCount - 1 : int(m_controls.size()) - 1;
    const int to = qBound(low, Index, high);
    if (to != from)
        m_controls.move(from, to);
    if (graphic)
        viewport()->update();
}

void TScrollBox::InsertGraphicControl(TGraphicControl *control)
{
    if (!control || m_controls.contains(control))
        return;
    m_controls.insert(m_graphicCount, control);
    ++m_graphicCount;
    GraphicControlChanged(control, control->BoundsRect());
}

void TScrollBox::RemoveGraphicControl(TGraphicControl *control)
{
    const int index = int(m_controls.indexOf(control));
    if (index < 0 || index >= m_graphicCount)
        return;
    m_controls.removeAt(index);
    --m_graphicCount;
    if (m_captured == control)
        m_captured = nullptr;
    viewport()->update(control->BoundsRect().adjusted(-1, -1, 1, 1));
    scheduleRangeUpdate();
}

void TScrollBox::GraphicControlChanged(TGraphicControl *control, const QRect &oldBounds)
{
    viewport()->update(oldBounds.adjusted(-1, -1, 1, 1));
    viewport()->update(control->BoundsRect().adjusted(-1, -1, 1, 1));
    scheduleRangeUpdate();
}

TGraphicControl *TScrollBox::GraphicControlAt(const QPoint &p) const
{
    for (int i = m_graphicCount - 1; i >= 0; --i) {
        auto *g = static_cast<TGraphicControl *>(m_controls[i]);
        if (g->Visible() && g->HitTest(p - g->BoundsRect().topLeft()))
            return g;
    }
    return nullptr;
}

void TScrollBox::windowedChildAdded(QWidget *child)
{
    if (m_controls.contains(child))
        return;
    m_controls.append(child);
    child->installEventFilter(this);
    scheduleRangeUpdate();
}

void TScrollBox::windowedChildRemoved(QObject *child)
{
    const int index = int(m_controls.indexOf(child));
    if (index < m_graphicCount)
        return;
    m_controls.removeAt(index);
    scheduleRangeUpdate();
}

bool TScrollBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == viewport()) {
        if (event->type() == QEvent::ChildAdded) {
            QObject *child = static_cast<QChildEvent *>(event)->child();
            if (child->isWidgetType())
                windowedChildAdded(static_cast<QWidget *>(child));
        } else if (event->type() == QEvent::ChildRemoved) {
            windowedChildRemoved(static_cast<QChildEvent *>(event)->child());
        }
    } else {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            scheduleRangeUpdate();
            break;
        default:
            break;
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void TScrollBox::scheduleRangeUpdate()
{
    if (m_rangePending)
        return;
    m_rangePending = true;
    QMetaObject::invokeMethod(
        this, [this] { UpdateScrollRange(); }, Qt::QueuedConnection);
}

void TScrollBox::UpdateScrollRange()
{
    m_rangePending = false;
    if (m_updatingRange)
        return;
    m_updatingRange = true;
    const QPoint pos = ScrollPosition();
    int right = 0;
    int bottom = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        QRect r;
        if (i < m_graphicCount) {
            auto *g = static_cast<TGraphicControl *>(m_controls[i]);
            if (!g->Visible())
                continue;
            r = g->BoundsRect();
        } else {
            auto *w = static_cast<QWidget *>(m_controls[i]);
            if (w->isHidden())
                continue;
            r = w->geometry();
        }
        right = std::max(right, r.x() + r.width() + pos.x());
        bottom = std::max(bottom, r.y() + r.height() + pos.y());
    }
    const QSize page = viewport()->size();
    horizontalScrollBar()->setPageStep(std::max(1, page.width()));
    verticalScrollBar()->setPageStep(std::max(1, page.height()));
    horizontalScrollBar()->setRange(0, std::max(0, right - page.width()));
    verticalScrollBar()->setRange(0, std::max(0, bottom - page.height()));
    m_updatingRange = false;
}

void TScrollBox::scrollContentsBy(int dx, int dy)
{
    for (int i = 0; i < ControlCount(); ++i) {
        if (i < m_graphicCount) {
            static_cast<TGraphicControl *>(m_controls[i])->MoveBy(dx, dy);
        } else {
            auto *w = static_cast<QWidget *>(m_controls[i]);
            w->move(w->pos() + QPoint(dx, dy));
        }
    }
    viewport()->update();
}

void TScrollBox::PaintBackground(QPainter &painter, const QRect &rect)
{
    painter.fillRect(rect, ColorToQColor(m_color, palette()));
}

void TScrollBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    const QRegion dirtyRegion = event->region();
    PaintBackground(painter, dirty);
    for (int i = 0; i < m_graphicCount; ++i) {
        auto *g = static_cast<TGraphicControl *>(m_controls[i]);
        const QRect bounds = g->BoundsRect();
        if (!g->Visible() || !dirtyRegion.intersects(bounds.adjusted(-1, -1, 1, 1)))
            continue;
        painter.save();
        painter.translate(bounds.topLeft());
        painter.setClipRect(QRect(QPoint(0, 0), bounds.size()));
        Guarded([&] { g->Paint(painter); });
        painter.restore();
    }
}

void TScrollBox::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    if (TGraphicControl *g = GraphicControlAt(p)) {
        m_captured = g;
        QPointer<TGraphicControl> guard(g);
        Guarded([&] { g->MousePress(event, p - g->BoundsRect().topLeft()); });
        event->accept();
        return;
    }
    Guarded([&] { ViewportMousePress(event); });
}

void TScrollBox::ViewportMousePress(QMouseEvent *event)
{
    QAbstractScrollArea::mousePressEvent(event);
}

void TScrollBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (TGraphicControl *g = m_captured) {
        m_captured = nullptr;
        const QPoint p = event->position().toPoint();
        Guarded([&] { g->MouseRelease(event, p - g->BoundsRect().topLeft()); });
        event->accept();
        return;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void TScrollBox::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
}

bool TScrollBox::event(QEvent *event)
{
    return QAbstractScrollArea::event(event);
}

void TScrollBox::DestroyChildren()
{
    while (!m_controls.isEmpty()) {
        QObject *last = m_controls.last();
        const int before = int(m_controls.size());
        delete last;
        // A control that did not leave the list by itself is taken off here.
        if (!m_controls.isEmpty() && m_controls.size() == before && m_controls.last() == last)
            m_controls.removeLast();
    }
    m_graphicCount = 0;
}

} // namespace Diduza
