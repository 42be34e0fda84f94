#include "platform/TPaintBox.h"

#include "platform/Application.h"

#include <QMouseEvent>
#include <QPainter>

namespace Diduza {

// A paint box's own state: its two events.
class TPaintBoxPrivate {
public:
    TPaintEvent FOnPaint;
    TMouseEvent FOnMouseUp;
};

TPaintBox::TPaintBox(QWidget *parent)
    : QWidget(parent)
    , d(std::make_unique<TPaintBoxPrivate>())
{
}

TPaintBox::~TPaintBox() = default;

TPaintEvent TPaintBox::OnPaint() const
{
    return d->FOnPaint;
}

void TPaintBox::SetOnPaint(TPaintEvent Value)
{
    d->FOnPaint = std::move(Value);
}

TMouseEvent TPaintBox::OnMouseUp() const
{
    return d->FOnMouseUp;
}

void TPaintBox::SetOnMouseUp(TMouseEvent Value)
{
    d->FOnMouseUp = std::move(Value);
}

void TPaintBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    Guarded([&] {
        // The painter's state is the box's again after the handler, whatever it left.
        const struct Restore {
            QPainter &p;
            explicit Restore(QPainter &p)
                : p(p)
            {
                p.save();
            }
            ~Restore() { p.restore(); }
        } restore(painter);
        if (const TPaintEvent handler = d->FOnPaint)
            handler(this, painter);
    });
}

void TPaintBox::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    Guarded([&] {
        if (const TMouseEvent handler = d->FOnMouseUp)
            handler(this, event->button(), event->modifiers(), p.x(), p.y());
    });
    QWidget::mouseReleaseEvent(event);
}

} // namespace Diduza
