#pragma once

#include "diduzawidgets_export.h"
#include "platform/TColor.h"

#include <QAbstractScrollArea>
#include <QPointer>
#include <QVector>

namespace Diduza {

class TGraphicControl;

// A scrolling pane whose children live directly on its viewport at client coordinates.
// Scrolling moves every child (windowed and window-less) by the scroll delta, so positions are
// always client coordinates; the scroll range follows the extent of the children.
//
// The control list is kept in placement order with all window-less controls first, then all
// windowed children; a child that is destroyed leaves the list at once.
class DIDUZAWIDGETS_EXPORT TScrollBox : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TScrollBox(QWidget *parent = nullptr);
    ~TScrollBox() override;

    int ControlCount() const { return int(m_controls.size()); }
    // The control at index: a QWidget (a windowed child) or a TGraphicControl.
    QObject *Controls(int index) const;
    int IndexOfControl(const QObject *control) const;

    // Windowed children are placed with QWidget::setParent(box->ClientWidget()).
    QWidget *ClientWidget() const { return viewport(); }

    // Moves a control to position Index of the control list, within its own part (window-less
    // controls first, then windowed ones); the others keep their order.
    void MoveControlTo(QObject *Control, int Index);

    // Takes a windowed child off the box without destroying it (it becomes parentless).
    void RemoveWindowedControl(QWidget *child);

    TColor Color() const { return m_color; }
    void SetColor(TColor color);

    // Recomputes the scroll ranges from the children's extent now (it is otherwise done on the
    // next turn of the event loop after a child moves or resizes).
    void UpdateScrollRange();

    QPoint ScrollPosition() const;
    // Scrolls as little as needed to show Rect (client coordinates) with Margin pixels around;
    // a rectangle larger than the viewport shows its top-left part.
    void EnsureVisible(const QRect &Rect, int Margin = 10);

    // For TGraphicControl.
    void InsertGraphicControl(TGraphicControl *control);
    void RemoveGraphicControl(TGraphicControl *control);
    void GraphicControlChanged(TGraphicControl *control, const QRect &oldBounds);

    // The topmost visible window-less control whose hit test accepts the client point.
    TGraphicControl *GraphicControlAt(const QPoint &p) const;

protected:
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;

    // Paints the background of the viewport (the box's colour).
    virtual void PaintBackground(QPainter &painter, const QRect &rect);
    // A press on bare viewport that no window-less control took.
    virtual void ViewportMousePress(QMouseEvent *event);
    // Destroys every child: windowed and window-less, last first.
    void DestroyChildren();

private:
    void windowedChildAdded(QWidget *child);
    void windowedChildRemoved(QObject *child);
    void scheduleRangeUpdate();

    QVector<QObject *> m_controls;
    int m_graphicCount = 0;
    TColor m_color = clBtnFace;
    QPointer<TGraphicControl> m_captured;
    bool m_rangePending = false;
    bool m_updatingRange = false;
};

} // namespace Diduza
