#pragma once

// A navigator for a design area that an application may dock beside it: the whole diagram
// drawn small (items as boxes with their captions where there is room, relations as lines
// between them) and the part the area shows as a rectangle, which the user drags (or clicks
// to centre) to scroll the area. It follows the diagram as it changes and scrolls.

#include "diduzawidgets_export.h"

#include <QWidget>

#include <memory>

namespace Diduza {

class TSchemaDesignArea;
class TSchemaOverviewPrivate;

class DIDUZAWIDGETS_EXPORT TSchemaOverview : public QWidget {
    Q_OBJECT
public:
    explicit TSchemaOverview(QWidget *Parent = nullptr);
    ~TSchemaOverview() override;

    TSchemaDesignArea *Area() const;
    void SetArea(TSchemaDesignArea *Value);

    // The scale of the drawing, and where a point of the area (client coordinates) is drawn;
    // for applications that draw on top.
    qreal Scale() const;
    QPointF MapFromArea(const QPointF &Client) const { return toOverview(Client); }
    // The area's visible part as drawn in the overview.
    QRectF ViewRect() const;
    // Redraws now instead of on the next turn after a change.
    void Refresh();

    QSize sizeHint() const override { return QSize(200, 150); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutWorld();
    QPointF toOverview(const QPointF &client) const;
    // Scrolls the area so that the view's centre lies at the overview point p.
    void centreAt(const QPointF &p);

    std::unique_ptr<TSchemaOverviewPrivate> d;
};

} // namespace Diduza
