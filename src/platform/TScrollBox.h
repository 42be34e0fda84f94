#pragma once

#include "diduzawidgets_export.h"
#include "platform/TColor.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QRegion>
#include <QVector>

#include <memory>

namespace Diduza {

class TGraphicControl;
class TScrollBoxPrivate;

/// The union of the rectangles, built pairwise.
DIDUZAWIDGETS_EXPORT QRegion UniteRects(const QVector<QRect> &rects);

/// A windowed child that tells its scroll box itself when it moves, resizes, shows or hides,
/// by calling TScrollBox::WindowedChildChanged from its event handler before handling the event.
/// The box then watches none of its events through an event filter, which in a box of thousands
/// of children is most of what a scroll step costs.
class DIDUZAWIDGETS_EXPORT TSelfReportingChild {
public:
    virtual ~TSelfReportingChild();
};

/// A scrolling pane whose children live directly on its viewport at client coordinates.
/// Scrolling moves every child (windowed and window-less) by the scroll delta, so positions are
/// always client coordinates; the scroll range follows the extent of the children.
///
/// The control list is kept in placement order with all window-less controls first, then all
/// windowed children; a child that is destroyed leaves the list at once. The two parts are kept
/// apart, each with an index of positions (rebuilt on the next query after a control leaves from
/// the middle), so that counting, indexing and the position of a control take constant time.
class DIDUZAWIDGETS_EXPORT TScrollBox : public QAbstractScrollArea {
    Q_OBJECT
public:
    /// An empty box coloured clBtnFace, scroll bars shown as needed, stepping 8 pixels.
    explicit TScrollBox(QWidget *parent = nullptr);
    /// Destroys every child (DestroyChildren).
    ~TScrollBox() override;

    /// The number of controls, window-less and windowed.
    int ControlCount() const;
    /// The control at index: a QWidget (a windowed child) or a TGraphicControl; nullptr for an
    /// index outside the list.
    QObject *Controls(int index) const;
    /// The position of control in the list, or -1.
    int IndexOfControl(const QObject *control) const;
    /// The window-less part of the list, in placement order.
    const QVector<TGraphicControl *> &GraphicControls() const;
    /// The windowed part of the list, in placement order.
    const QVector<QWidget *> &WindowedControls() const;
    /// Changes whenever a control joins or leaves the list, so that lists derived from it can
    /// tell whether they are still current.
    quint64 ControlListVersion() const;
    /// Changes whenever a control leaves the list or the list is reordered: while it stays the
    /// same, controls have only joined it, each at the end of its part, so that lists derived
    /// from it can be extended instead of rebuilt.
    quint64 ControlListShapeVersion() const;

    /// Windowed children are placed with QWidget::setParent(box->ClientWidget()).
    QWidget *ClientWidget() const { return viewport(); }

    /// Moves a control to position Index of the control list, within its own part (window-less
    /// controls first, then windowed ones, Index bounded to the part); the others keep their
    /// order. Nothing for a control not in the list.
    void MoveControlTo(QObject *Control, int Index);

    /// Takes a windowed child off the box without destroying it (it becomes parentless).
    void RemoveWindowedControl(QWidget *child);

    /// What a TSelfReportingChild calls with each event it receives: a move, resize, show or
    /// hide updates where the box finds the child and its scroll range. Does nothing when child
    /// is not a windowed child of a scroll box.
    static void WindowedChildChanged(QWidget *child, const QEvent *event);

    /// The colour of the viewport's background.
    TColor Color() const;
    /// Sets the colour of the viewport's background and repaints it when it changed.
    void SetColor(TColor Value);

    /// Recomputes the scroll ranges from the children's extent now (it is otherwise done on the
    /// next turn of the event loop after a child moves or resizes).
    void UpdateScrollRange();

    /// The values of the horizontal and the vertical scroll bar.
    QPoint ScrollPosition() const;
    /// Scrolls as little as needed to show Rect (client coordinates) with Margin pixels around;
    /// a rectangle larger than the viewport shows its top-left part. The scroll ranges are
    /// brought up to date first.
    void EnsureVisible(const QRect &Rect, int Margin = 10);

    /// For TGraphicControl: appends control to the window-less part (nothing when it is listed
    /// already), calls GraphicControlInserted and paints it.
    void InsertGraphicControl(TGraphicControl *control);
    /// For TGraphicControl: calls GraphicControlRemoved, takes control off the list and
    /// repaints where it was drawn; nothing when it is not listed.
    void RemoveGraphicControl(TGraphicControl *control);
    /// The control's look changed: repaints where it was drawn and where it draws now (when
    /// always is false, only if those differ), less what opaque windowed children cover.
    void GraphicControlChanged(TGraphicControl *control, bool always);

    /// The topmost visible window-less control whose hit test accepts the client point, or
    /// nullptr.
    TGraphicControl *GraphicControlAt(const QPoint &p) const;

    /// The shown windowed children that paint every pixel of theirs (WA_OpaquePaintEvent, no
    /// mask) and meet rect (client coordinates). Window-less controls are painted beneath
    /// them, so a repaint of those controls can leave out the area such children cover.
    QVector<QWidget *> OpaqueChildrenIn(const QRect &rect) const;

protected:
    /// Moves every control by the scroll delta; where it can, Qt scrolls the viewport's pixels
    /// and only the strip that scrolls in is repainted.
    void scrollContentsBy(int dx, int dy) override;
    /// Paints the background, then the visible window-less controls that draw in the dirty
    /// region, in list order.
    void paintEvent(QPaintEvent *event) override;
    /// Hands a press on a window-less control to it (which then receives the release);
    /// elsewhere calls ViewportMousePress.
    void mousePressEvent(QMouseEvent *event) override;
    /// Hands the release to the window-less control that took the press, if any.
    void mouseReleaseEvent(QMouseEvent *event) override;
    /// Hands a double-click on a window-less control to it; elsewhere a press.
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    /// Recomputes the scroll ranges for the new viewport size.
    void resizeEvent(QResizeEvent *event) override;
    /// Keeps the windowed part of the list as children arrive on and leave the viewport, and
    /// follows the moves, resizes, shows and hides of children that do not report them.
    bool eventFilter(QObject *watched, QEvent *event) override;
    /// Handled as QAbstractScrollArea handles it.
    bool event(QEvent *event) override;
    /// Shows the tool tip of the window-less control under the pointer.
    bool viewportEvent(QEvent *event) override;

    /// Paints the background of the viewport (the box's colour).
    virtual void PaintBackground(QPainter &painter, const QRect &rect);
    /// A window-less control has joined the list (at the end of its part); does nothing here.
    virtual void GraphicControlInserted(TGraphicControl *control);
    /// A window-less control is leaving the list (it is still in it); does nothing here.
    virtual void GraphicControlRemoved(TGraphicControl *control);
    /// The window-less part of the list was reordered by MoveControlTo; does nothing here.
    virtual void GraphicControlsReordered();
    /// A press on bare viewport that no window-less control took; QAbstractScrollArea handles
    /// it here.
    virtual void ViewportMousePress(QMouseEvent *event);
    /// Destroys every child: windowed and window-less, last first.
    void DestroyChildren();

private:
    std::unique_ptr<TScrollBoxPrivate> d; ///< The private state.
};

} // namespace Diduza
