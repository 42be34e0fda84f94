#include "platform/TGraphicControl.h"

#include "platform/TScrollBox.h"

namespace Diduza {

TGraphicControl::TGraphicControl(QObject *parent)
    : QObject(parent)
{
}

TGraphicControl::~TGraphicControl()
{
    if (FParent)
        FParent->RemoveGraphicControl(this);
}

void TGraphicControl::SetParent(TScrollBox *Value)
{
    if (FParent == Value)
        return;
    if (FParent)
        FParent->RemoveGraphicControl(this);
    FParent = Value;
    if (FParent)
        FParent->InsertGraphicControl(this);
}

void TGraphicControl::SetBounds(int left, int top, int width, int height)
{
    const QRect bounds(left, top, width, height);
    if (bounds == FBounds)
        return;
    FBounds = bounds;
    if (FParent)
        FParent->GraphicControlChanged(this, true);
}

void TGraphicControl::SetVisible(bool Value)
{
    if (FVisible == Value)
        return;
    FVisible = Value;
    if (FParent)
        FParent->GraphicControlChanged(this, true);
}

void TGraphicControl::Invalidate()
{
    if (FParent)
        FParent->GraphicControlChanged(this, true);
}

void TGraphicControl::InvalidateIfMoved()
{
    if (FParent)
        FParent->GraphicControlChanged(this, false);
}

QVector<QRect> TGraphicControl::PaintRects() const
{
    return { QRect(QPoint(0, 0), FBounds.size()).adjusted(-1, -1, 1, 1) };
}

QPoint TGraphicControl::ClientToScreen(const QPoint &p) const
{
    if (!FParent)
        return p + FBounds.topLeft();
    return FParent->ClientWidget()->mapToGlobal(p + FBounds.topLeft());
}

QPoint TGraphicControl::ScreenToClient(const QPoint &p) const
{
    if (!FParent)
        return p - FBounds.topLeft();
    return FParent->ClientWidget()->mapFromGlobal(p) - FBounds.topLeft();
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

void TGraphicControl::MouseDoubleClick(QMouseEvent *event, const QPoint &p)
{
    MousePress(event, p);
}

void TGraphicControl::MoveBy(int dx, int dy)
{
    FBounds.translate(dx, dy);
    for (QRect &r : FShown)
        r.translate(dx, dy);
}

} // namespace Diduza
