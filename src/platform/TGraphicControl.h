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

/// A control without a window of its own. Its scroll box keeps it in its control list, paints
/// it on the viewport below the windowed children, and sends it the presses that land on bare
/// viewport inside its hit test. Coordinates of Paint, HitTest and the mouse handlers are the
/// control's own client coordinates.
class DIDUZAWIDGETS_EXPORT TGraphicControl : public QObject {
    Q_OBJECT
public:
    /// A control owned by parent, on no scroll box until SetParent.
    explicit TGraphicControl(QObject *parent = nullptr);
    /// Takes the control off its scroll box, whose viewport repaints where it was.
    ~TGraphicControl() override;

    /// The scroll box the control is on; nullptr when on none.
    TScrollBox *Parent() const { return FParent; }
    /// Places the control on a scroll box (at the end of its window-less controls), or takes
    /// it off with nullptr.
    void SetParent(TScrollBox *Value);

    /// The left edge in the parent's client coordinates.
    int Left() const { return FBounds.left(); }
    /// The top edge in the parent's client coordinates.
    int Top() const { return FBounds.top(); }
    /// The width of the control's box.
    int Width() const { return FBounds.width(); }
    /// The height of the control's box.
    int Height() const { return FBounds.height(); }
    /// The control's box in the parent's client coordinates.
    QRect BoundsRect() const { return FBounds; }
    /// Moves and sizes the box; the parent repaints where the control was and where it is now.
    void SetBounds(int left, int top, int width, int height);

    /// True unless hidden; a hidden control is neither painted nor hit.
    bool Visible() const { return FVisible; }
    /// Shows or hides the control, repainting its place.
    void SetVisible(bool Value);

    /// Repaints the control's area of its parent: where it was drawn last and where it draws now.
    void Invalidate();
    /// Repaints as Invalidate does when the place the control draws on has changed since it was
    /// last invalidated; otherwise nothing.
    void InvalidateIfMoved();

    /// The screen point of client point p (p moved by the box's corner when off a parent).
    QPoint ClientToScreen(const QPoint &p) const;
    /// The client point of screen point p; the inverse of ClientToScreen.
    QPoint ScreenToClient(const QPoint &p) const;

    /// Paints the control; the painter's origin is the control's top-left corner and it is
    /// clipped to the control's bounds.
    virtual void Paint(QPainter &painter) = 0;
    /// Where Paint draws, in client coordinates: rectangles that together hold every pixel it
    /// may paint (the box's one-pixel surround included); the whole box by default. Repaints
    /// cover these rectangles only.
    virtual QVector<QRect> PaintRects() const;
    /// The rectangles of the parent that the control's look covered when it was last
    /// invalidated, in the parent's client coordinates; empty while it is hidden or off a parent.
    const QVector<QRect> &ShownRects() const { return FShown; }
    /// True when a press at p should reach this control; the whole rectangle by default.
    virtual bool HitTest(const QPoint &p) const;
    /// The tool tip at client point p, which the hit test accepted; none (empty) by default.
    virtual QString ToolTipAt(const QPoint &p) const;
    /// A mouse button pressed at client point p; nothing by default.
    virtual void MousePress(QMouseEvent *event, const QPoint &p);
    /// The release of a button, sent to the control that got the press; nothing by default.
    virtual void MouseRelease(QMouseEvent *event, const QPoint &p);
    /// The second press of a double-click, which follows a press of its own; handled as a
    /// press by default, as a widget handles it.
    virtual void MouseDoubleClick(QMouseEvent *event, const QPoint &p);

    /// The scroll box moves its controls when it scrolls.
    void MoveBy(int dx, int dy);

protected:
    /// What ShownRects answers; the scroll box writes it each time it repaints the control.
    QVector<QRect> FShown;

private:
    QPointer<TScrollBox> FParent; ///< See Parent.
    QRect FBounds; ///< See BoundsRect.
    bool FVisible = true; ///< See Visible.
};

} // namespace Diduza
