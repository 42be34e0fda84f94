#include "platform/TGraphicControl.h"

#include "platform/TScrollBox.h"

namespace Diduza {

TGraphicControl::TGraphicControl(QObject *owner)
    : QObject(owner)
{
}

TGraphicControl::~TGraphicControl()
{
    if (m_parent)
        m_parent->RemoveGraphicControl(this);
}

void TGraphicControl::SetParent(TScrollBox *parent)
{
    if (m_parent == parent)
        return;
    if (m_parent)
        m_parent->RemoveGraphicControl(this);
    m_parent = parent;
    if (m_parent)
        m_parent->InsertGraphicControl(this);
}

void TGraphicControl::SetBounds(int left, int top, int width, int height)
{
    const QRect bounds(left, top, width, height);
    if (bounds == m_bounds)
        return;
    m_bounds = bounds;
    if (m_parent)
        m_parent->GraphicControlChanged(this, true);
}

void TGraphicControl::SetVisible(bool visible)
{
    if (m_visible == visible)
        return;
    m_visible = visible;
    if (m_parent)
        m_parent->GraphicControlChanged(this, true);
}

void TGraphicControl::Invalidate()
{
    if (m_parent)
        m_parent->GraphicControlChanged(this, true);
}

void TGraphicControl::InvalidateIfMoved()
{
    if (m_parent)
        m_parent->GraphicControlChanged(this, false);
}

QVector<QRect> TGraphicControl::PaintRects() const
{
    return { QRect(QPoint(0, 0), m_bounds.size()).adjusted(-1, -1, 1, 1) };
}

QPoint TGraphicControl::ClientToScreen(const QPoint &p) const
{
    if (!m_parent)
        return p + m_bounds.topLeft();
    return m_parent->ClientWidget()->mapToGlobal(p + m_bounds.topLeft());
}

QPoint TGraphicControl::ScreenToClient(const QPoint &p) const
{
    if (!m_parent)
        return p - m_bounds.topLeft();
    return m_parent->ClientWidget()->mapFromGlobal(p) - m_bounds.topLeft();
}

bool TGraphicControl::HitTest(const QPoint &p) const
{
    return p.x() >= 0 && p.y() >= 0 && p.x() < Width() && p.y() < Height();
}

QString TGraphicControl::ToolTipAt(const QPoint &) const
{
    return {};
}

void TGraphicControl::MousePress(QMouseEvent *, const QPoint &) { }

void TGraphicControl::MouseRelease(QMouseEvent *, const QPoint &) { }

void TGraphicControl::MoveBy(int dx, int dy)
{
    m_bounds.translate(dx, dy);
    for (QRect &r : m_shown)
        r.translate(dx, dy);
}

} // namespace Diduza
