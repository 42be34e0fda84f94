#pragma once

#include "diduzawidgets_export.h"

#include <QWidget>

#include <memory>

namespace Diduza {

class TSchemaDesignArea;
class TSchemaOverviewPrivate;

/// A navigator for a design area that an application may dock beside it: the whole diagram
/// drawn small (items as boxes with their captions where there is room, relations as lines
/// between them) and the part the area shows as a rectangle, which the user drags (or clicks
/// to centre) to scroll the area. It follows the diagram as it changes and scrolls.
class DIDUZAWIDGETS_EXPORT TSchemaOverview : public QWidget {
    Q_OBJECT
public:
    /// An overview of no area (it draws a blank background); Parent is its parent widget.
    explicit TSchemaOverview(QWidget *parent = nullptr);
    ~TSchemaOverview() override;

    /// The design area shown, or nullptr.
    TSchemaDesignArea *Area() const;
    /// Shows Value (nullptr for none): the overview stops following the previous area, starts
    /// following this one's painting and scrolling, and redraws.
    void SetArea(TSchemaDesignArea *Value);

    /// The scale of the drawing (overview pixels per area pixel); for applications that draw
    /// on top.
    qreal Scale() const;
    /// Where a point of the area (client coordinates) is drawn in the overview.
    QPointF MapFromArea(const QPointF &Client) const;
    /// The area's visible part as drawn in the overview (empty without an area).
    QRectF ViewRect() const;
    /// Fits the diagram into the widget again and redraws, now instead of shortly after a
    /// change.
    void Refresh();

    /// 200 by 150 pixels.
    QSize sizeHint() const override { return QSize(200, 150); }

protected:
    /// Draws the diagram's extent in the area's canvas colour, the visible relations as lines
    /// between their items' centres, the visible items as boxes in their colours with their
    /// captions where there is room, and the view rectangle over them.
    void paintEvent(QPaintEvent *event) override;
    /// A left press beside the view rectangle centres the view there; either way it starts
    /// dragging the rectangle.
    void mousePressEvent(QMouseEvent *event) override;
    /// While the rectangle is dragged, scrolls the area to follow the pointer.
    void mouseMoveEvent(QMouseEvent *event) override;
    /// Ends dragging the rectangle.
    void mouseReleaseEvent(QMouseEvent *event) override;
    /// Painting, resizing or a child leaving on the area's viewport schedules a redraw.
    bool eventFilter(QObject *watched, QEvent *event) override;
    /// Fits the diagram into the new size.
    void resizeEvent(QResizeEvent *event) override;

private:
    std::unique_ptr<TSchemaOverviewPrivate> d; ///< The private state.
};

} // namespace Diduza
