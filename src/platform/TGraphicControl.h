#pragma once

#include "diduzawidgets_export.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QVector>

class QPainter;
class QMouseEvent;

namespace Diduza {

class TScrollBox;

// A control without a window of its own. Its scroll box keeps it in its control list, paints
// it on the viewport below the windowed children, and sends it the presses that land on bare
// viewport inside its hit test. Coordinates of Paint, HitTest and the mouse handlers are the
// control's own client coordinates.
class DIDUZAWIDGETS_EXPORT TGraphicControl : public QObject {
    Q_OBJECT
public:
    explicit TGraphicControl(QObject *owner = nullptr);
    ~TGraphicControl() override;

    TScrollBox *Parent() const { return FParent; }
    // Places the control on a scroll box (at the end of its window-less controls), or takes
    // it off with nullptr.
    void SetParent(TScrollBox *parent);

    int Left() const { return FBounds.left(); }
    int Top() const { return FBounds.top(); }
    int Width() const { return FBounds.width(); }
    int Height() const { return FBounds.height(); }
    QRect BoundsRect() const { return FBounds; }
    void SetBounds(int left, int top, int width, int height);

    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);

    // Repaints the control's area of its parent: where it was drawn last and where it draws now.
    void Invalidate();
    // Repaints as Invalidate does when the place the control draws on has changed since it was
    // last invalidated; otherwise nothing.
    void InvalidateIfMoved();

    QPoint ClientToScreen(const QPoint &p) const;
    QPoint ScreenToClient(const QPoint &p) const;

    // Paints the control; the painter's origin is the control's top-left corner and it is
    // clipped to the control's bounds.
    virtual void Paint(QPainter &painter) = 0;
    // Where Paint draws, in client coordinates: rectangles that together hold every pixel it
    // may paint (the box's one-pixel surround included); the whole box by default. Repaints
    // cover these rectangles only.
    virtual QVector<QRect> PaintRects() const;
    // The rectangles of the parent that the control's look covered when it was last
    // invalidated, in the parent's client coordinates; empty while it is hidden or off a parent.
    const QVector<QRect> &ShownRects() const { return FShown; }
    // True when a press at p should reach this control; the whole rectangle by default.
    virtual bool HitTest(const QPoint &p) const;
    // The tool tip at client point p, which the hit test accepted; none (empty) by default.
    virtual QString ToolTipAt(const QPoint &p) const;
    // The press and the release of a mouse button (the release goes to the control that got
    // the press).
    virtual void MousePress(QMouseEvent *event, const QPoint &p);
    virtual void MouseRelease(QMouseEvent *event, const QPoint &p);
    // The second press of a double-click, which follows a press of its own; handled as a
    // press by default, as a widget handles it.
    virtual void MouseDoubleClick(QMouseEvent *event, const QPoint &p);

    // The scroll box moves its controls when it scrolls.
    void MoveBy(int dx, int dy);

protected:
    /// What ShownRects answers; the scroll box writes it each time it repaints the control.
    QVector<QRect> FShown;

private:
    QPointer<TScrollBox> FParent;
    QRect FBounds;
    bool FVisible = true;
};

} // namespace Diduza
