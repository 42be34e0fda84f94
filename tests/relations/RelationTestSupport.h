#pragma once

// Helpers of the relation tests: an area that records the presses it gets itself, the colours
// the tests look for, and a diagram of two items joined by one relation.

#include "../diagram/DiagramTestSupport.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "relations/TSchemaRelation.h"

#include <QImage>
#include <QMouseEvent>
#include <QPoint>
#include <QtTest>

#include <memory>

namespace DiduzaTest {

// Records the presses that fall through to the area itself.
class RecordingArea : public Diduza::TSchemaDesignArea {
public:
    int barePresses = 0;

protected:
    void ViewportMousePress(QMouseEvent *event) override
    {
        ++barePresses;
        Diduza::TSchemaDesignArea::ViewportMousePress(event);
    }
};

inline const QRgb kRed = qRgb(255, 0, 0);
inline const QRgb kBlue = qRgb(0, 0, 255);
inline const QRgb kLime = qRgb(0, 255, 0);
inline const QRgb kSilver = qRgb(192, 192, 192);
inline const QRgb kWhite = qRgb(255, 255, 255);

inline int count(const QImage &image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    }
    return n;
}

// A diagram with two items whose rows a relation joins from left to right.
struct Diagram {
    std::unique_ptr<RecordingArea> area;
    Diduza::TSchemaItem *parent = nullptr;
    Diduza::TSchemaItem *child = nullptr;
    Diduza::TSchemaRelation *relation = nullptr;

    explicit Diagram(bool show = true)
        : area(std::make_unique<RecordingArea>())
    {
        area->resize(700, 500);
        if (show) {
            area->show();
            if (!QTest::qWaitForWindowExposed(area.get()))
                qWarning("area not exposed");
        }
        parent = addTable(*area, "customer", { "id", "name" }, 10, 10);
        child = addTable(*area, "orders", { "id", "amount", "customer_id" }, 350, 150);
        relation = link(*area, parent, 0, child, 2);
    }
    // A client point of the relation, in the area's viewport.
    QPoint at(QPoint p) const { return relation->BoundsRect().topLeft() + p; }
};

} // namespace DiduzaTest
