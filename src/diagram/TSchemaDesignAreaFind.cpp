// The design area's find, keyboard and focus (kept by its AreaNavigation), and its background:
// the focus frames and the rings round highlighted items.

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"

#include "diagram/AreaNavigation_p.h"
#include "diagram/TSchemaItem.h"
#include "platform/ColorConvert.h"
#include "relations/TSchemaRelation.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace Diduza {

QAction *TSchemaDesignArea::FindAction()
{
    return d->navigation.findAction();
}

TSchemaFindBar *TSchemaDesignArea::FindBar()
{
    return d->navigation.findBar();
}

QAction *TSchemaDesignArea::LinkAction()
{
    return d->navigation.linkAction();
}

QAction *TSchemaDesignArea::LinkActionIfMade() const
{
    return d->navigation.linkActionIfMade();
}

bool TSchemaDesignArea::KeyboardNavigation() const
{
    return d->navigation.keyboardNavigation();
}

void TSchemaDesignArea::SetKeyboardNavigation(bool Value)
{
    d->navigation.setKeyboardNavigation(Value);
}

TSchemaRelation *TSchemaDesignArea::CurrentRelation() const
{
    return d->navigation.currentRelation();
}

void TSchemaDesignArea::SetCurrentRelation(TSchemaRelation *Value)
{
    d->navigation.setCurrentRelation(Value);
}

void TSchemaDesignArea::paintEvent(QPaintEvent *event)
{
    TScrollBox::paintEvent(event);
    if (!hasFocus() || d->FDrawingCanvas)
        return;
    QPainter painter(viewport());
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    // The current relation, else the canvas itself along its edges (a style that fills its
    // focus frame tints only that band).
    focus.backgroundColor = CanvasColor();
    if (TSchemaRelation *current = d->navigation.currentRelation()) {
        focus.rect = current->BoundsRect().adjusted(-2, -2, 2, 2);
    } else {
        focus.rect = viewport()->rect().adjusted(1, 1, -1, -1);
        painter.setClipRegion(QRegion(focus.rect) - QRegion(focus.rect.adjusted(3, 3, -3, -3)));
    }
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
}

void TSchemaDesignArea::focusInEvent(QFocusEvent *event)
{
    TScrollBox::focusInEvent(event);
    viewport()->update();
}

void TSchemaDesignArea::focusOutEvent(QFocusEvent *event)
{
    TScrollBox::focusOutEvent(event);
    viewport()->update();
}

// ---------------------------------------------------------------------------------------------
// Highlights

namespace {
constexpr int RingWidth = 3;
QRect ringRect(const TSchemaItem *item)
{
    return item->geometry().adjusted(-RingWidth - 1, -RingWidth - 1, RingWidth + 1, RingWidth + 1);
}
} // namespace

void TSchemaDesignAreaPrivate::ItemHighlightChanged(TSchemaItem *item)
{
    FHighlighted.removeAll(nullptr);
    FHighlighted.removeAll(item);
    if (item->Highlighted())
        FHighlighted.append(item);
    if (item->parentWidget() == q->viewport()) // a ring is drawn round an item on the diagram only
        q->viewport()->update(ringRect(item));
}

QColor TSchemaDesignArea::CanvasColor() const
{
    return Color() == clWhite ? palette().color(QPalette::Active, QPalette::Base)
                              : ColorToQColor(Color(), palette());
}

void TSchemaDesignArea::PaintBackground(QPainter &painter, const QRect &rect)
{
    painter.fillRect(rect, CanvasColor());
    // The item whose rows have the focus, framed as the style frames focus.
    auto *focused = qobject_cast<TSchemaItem *>(d->navigation.focusRingItem());
    if (focused && !focused->isHidden() && !d->FDrawingCanvas
        && rect.intersects(AreaNavigation::focusRingRect(focused))) {
        QStyleOptionFocusRect focus;
        focus.initFrom(focused->ItemControl() ? focused->ItemControl() : focused);
        focus.rect = AreaNavigation::focusRingRect(focused);
        focus.backgroundColor = CanvasColor();
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
    if (d->FHighlighted.isEmpty())
        return;
    QPen pen(palette().color(QPalette::Highlight), RingWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.save();
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (const QPointer<TSchemaItem> &item : std::as_const(d->FHighlighted)) {
        if (item && !item->isHidden() && rect.intersects(ringRect(item))) {
            const qreal half = RingWidth / 2.0 + 0.5;
            painter.drawRect(QRectF(item->geometry()).adjusted(-half, -half, half - 1, half - 1));
        }
    }
    painter.restore();
}

} // namespace Diduza
