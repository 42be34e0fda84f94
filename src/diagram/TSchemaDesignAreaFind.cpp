#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"

#include "diagram/SchemaAccessible_p.h"
#include "diagram/SchemaUndo_p.h"
#include "diagram/TSchemaFindBar.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaItem_p.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/TZkSRank.h"
#include "diagram/TfrmZkLinkTo.h"
#include "diagram/items/RowDrag_p.h"
#include "diagram/items/TSchemaCheckListBox.h"
#include "diagram/model/RankLayout.h"
#include "diagram/model/RelationRouting.h"
#include "engines/TSchemaDataEngine.h"
#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/CompareText.h"
#include "platform/DialogService.h"
#include "platform/DrawingSuspension.h"
#include "platform/Exceptions.h"
#include "platform/ResourceStrings.h"
#include "platform/TImageList.h"
#include "relations/TSchemaRelation.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScopeGuard>
#include <QStyleOptionFocusRect>
#include <QUndoStack>

#include <algorithm>

namespace Diduza {

// ---------------------------------------------------------------------------------------------
// Find

QAction *TSchemaDesignArea::FindAction()
{
    if (!d->FFindAction) {
        d->FFindAction = new QAction(
            QCoreApplication::translate("Diduza::TSchemaDesignArea", "&Find..."), this);
        d->FFindAction->setObjectName(QStringLiteral("actFind"));
        d->FFindAction->setShortcut(QKeySequence::Find);
        d->FFindAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(d->FFindAction, &QAction::triggered, this,
            [this] { Guarded([&] { FindBar()->Open(); }); });
        addAction(d->FFindAction);
    }
    return d->FFindAction;
}

TSchemaFindBar *TSchemaDesignArea::FindBar()
{
    if (!d->FFindBar)
        d->FFindBar = new TSchemaFindBar(this);
    return d->FFindBar;
}

// ---------------------------------------------------------------------------------------------
// Keyboard

QAction *TSchemaDesignArea::LinkAction()
{
    if (!d->FLinkAction) {
        d->FLinkAction = new QAction(
            QCoreApplication::translate("Diduza::TSchemaDesignArea", "&Link to..."), this);
        d->FLinkAction->setObjectName(QStringLiteral("actLinkTo"));
        d->FLinkAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
        d->FLinkAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(d->FLinkAction, &QAction::triggered, this, [this] {
            Guarded([&] {
                // The item that has the focus, else the one whose menu was opened.
                TSchemaItem *source = nullptr;
                for (QWidget *w = QApplication::focusWidget(); w && !source; w = w->parentWidget())
                    source = qobject_cast<TSchemaItem *>(w);
                if (!source || source->Designer() != this)
                    source = d->FMenuItem;
                d->FMenuItem = nullptr;
                if (source)
                    TfrmZkLinkTo::LinkSelectedRow(source);
            });
        });
        addAction(d->FLinkAction);
    }
    return d->FLinkAction;
}

void TSchemaDesignArea::SetKeyboardNavigation(bool Value)
{
    d->FKeyboardNavigation = Value;
    setFocusPolicy(Value ? Qt::StrongFocus : Qt::NoFocus);
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i) {
        TSchemaItem *item = GetItem(i);
        QWidget *control = item->ItemControl();
        if (!control)
            continue;
        if (Value) {
            control->setFocusPolicy(Qt::StrongFocus);
            d->PlaceInTabOrder(item);
        } else {
            // Back to what an item has without navigation: its rows take a click.
            const TSchemaControlType type = item->SchemaControlType();
            control->setFocusPolicy(
                type == scText || type == scIcon ? Qt::NoFocus : Qt::ClickFocus);
        }
    }
    if (!Value)
        SetCurrentRelation(nullptr);
    QObject::disconnect(d->FFocusWatch);
    if (Value)
        d->FFocusWatch
            = connect(qApp, &QApplication::focusChanged, this, [this] { d->FocusMoved(); });
    d->FocusMoved();
    viewport()->update();
}

QRect TSchemaDesignAreaPrivate::FocusRingRect(const TSchemaItem *item)
{
    return item->geometry().adjusted(-3, -3, 3, 3);
}

void TSchemaDesignAreaPrivate::FocusMoved()
{
    TSchemaItem *item = FKeyboardNavigation ? FocusedItem() : nullptr;
    if (FFocusRingItem.data() == item)
        return;
    if (FFocusRingItem)
        q->viewport()->update(FFocusRingItem->geometry().adjusted(-4, -4, 4, 4));
    FFocusRingItem = item;
    if (item)
        q->viewport()->update(FocusRingRect(item).adjusted(-1, -1, 1, 1));
}

TSchemaItem *TSchemaDesignAreaPrivate::FocusedItem() const
{
    for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        if (auto *item = qobject_cast<TSchemaItem *>(w))
            return item->Parent() == q && item->ItemControl() ? item : nullptr;
    }
    return nullptr;
}

void TSchemaDesignAreaPrivate::PlaceInTabOrder(TSchemaItem *item)
{
    QWidget *control = item->ItemControl();
    if (!control)
        return;
    // After the nearest item before it that takes Tab, else after the area: items are made
    // after the rest of their window, whose focus chain they would otherwise end.
    const QVector<TSchemaItem *> &items = q->items();
    QWidget *before = q;
    for (int i = ItemPosition(q, item) - 1; i >= 0 && i < items.size(); --i) {
        QWidget *other = items.at(i)->ItemControl();
        if (other && (other->focusPolicy() & Qt::TabFocus)) {
            before = other;
            break;
        }
    }
    QWidget::setTabOrder(before, control);
}

bool TSchemaDesignAreaPrivate::ItemKey(TSchemaItem *item, QKeyEvent *event)
{
    QWidget *control = item->ItemControl();
    auto *view = qobject_cast<QAbstractItemView *>(control);
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        // Ticks the row as a click on its box does (Space too: the list's own key).
        auto *checks = qobject_cast<TSchemaCheckListBox *>(control);
        if (!checks || event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        const QModelIndex index = checks->currentIndex();
        if (index.isValid()) {
            const auto state = index.data(Qt::CheckStateRole).value<Qt::CheckState>();
            checks->model()->setData(
                index, state == Qt::Checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        }
        return true;
    }
    case Qt::Key_Delete: {
        if (event->modifiers() & ~Qt::KeypadModifier)
            return false;
        if (FReadOnly || !FActions.Contains(saDeleteItem))
            return true;
        // The focus goes on to the next item (the one before after the last), else the area.
        const QVector<TSchemaItem *> &items = q->items();
        const int at = ItemPosition(q, item);
        QPointer<QWidget> next;
        for (int i : { at + 1, at - 1 }) {
            if (i >= 0 && i < items.size() && items.at(i)->ItemControl()
                && (items.at(i)->ItemControl()->focusPolicy() & Qt::TabFocus)) {
                next = items.at(i)->ItemControl();
                break;
            }
        }
        // Destroyed on the next turn of the event loop, as from its menu: the key is still
        // being delivered to its list.
        Guarded([&] { item->RemoveItem(q); });
        if (next)
            next->setFocus(Qt::TabFocusReason);
        else
            q->setFocus(Qt::TabFocusReason);
        return true;
    }
    case Qt::Key_Menu:
    case Qt::Key_F10: {
        if (event->key() == Qt::Key_F10 && event->modifiers() != Qt::ShiftModifier)
            return false;
        // Below the current row, as far as it shows; else at the item's inner corner.
        QPoint at = control ? control->mapToGlobal(QPoint(0, 0)) : item->mapToGlobal(QPoint());
        if (view) {
            const QRect row = view->visualRect(view->currentIndex());
            if (row.isValid() && view->viewport()->rect().intersects(row))
                at = view->viewport()->mapToGlobal(QPoint(row.left() + row.height(), row.bottom()));
        }
        Guarded([&] { item->ShowPopupMenu(at); });
        return true;
    }
    default:
        return false;
    }
}

void TSchemaDesignAreaPrivate::ShowAdded(const QVector<TSchemaItem *> &added)
{
    QRect box;
    for (TSchemaItem *item : added) {
        if (item && item->Parent() == q && !item->isHidden())
            box |= item->geometry();
    }
    if (!box.isEmpty())
        q->EnsureVisible(box);
}

void TSchemaDesignAreaPrivate::SetMenuItem(TSchemaItem *item)
{
    FMenuItem = item;
}

TSchemaRelation *TSchemaDesignArea::CurrentRelation() const
{
    return d->FCurrentRelation;
}

void TSchemaDesignArea::SetCurrentRelation(TSchemaRelation *Value)
{
    if (d->FCurrentRelation == Value)
        return;
    if (d->FCurrentRelation)
        viewport()->update(d->FCurrentRelation->BoundsRect().adjusted(-3, -3, 3, 3));
    d->FCurrentRelation = Value;
    if (!Value)
        return;
    viewport()->update(Value->BoundsRect().adjusted(-3, -3, 3, 3));
    EnsureVisible(Value->BoundsRect());
    if (hasFocus() && QAccessible::isActive()) {
        QAccessibleEvent focus(Value, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

bool TSchemaDesignArea::navigationKey(QKeyEvent *event)
{
    const int count = GetRelationCount();
    const int current = d->FCurrentRelation ? IndexOfControl(d->FCurrentRelation) : -1;
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Up: {
        if (count == 0)
            return true;
        // Relations stand first in the control list, so their indexes are 0 .. count - 1.
        const bool forward = event->key() == Qt::Key_Right || event->key() == Qt::Key_Down;
        const int next = current < 0 ? (forward ? 0 : count - 1)
                                     : (current + (forward ? 1 : count - 1)) % count;
        SetCurrentRelation(GetRelation(next));
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (d->FCurrentRelation && !d->FReadOnly)
            Guarded([&] { d->FCurrentRelation->EditRelation(nullptr); });
        return true;
    case Qt::Key_Menu:
    case Qt::Key_F10:
        if (event->key() == Qt::Key_F10 && !(event->modifiers() & Qt::ShiftModifier))
            return false;
        if (d->FCurrentRelation) {
            const QPoint middle = d->FCurrentRelation->BoundsRect().center()
                - d->FCurrentRelation->BoundsRect().topLeft();
            Guarded([&] { d->FCurrentRelation->_Click(middle.x(), middle.y()); });
        } else if (d->FPopupMenu && !d->FReadOnly) {
            d->FPopupMenu->popup(viewport()->mapToGlobal(QPoint(8, 8)));
        }
        return true;
    case Qt::Key_Delete:
        if (d->FCurrentRelation && !d->FReadOnly && d->FActions.Contains(saDeleteReleation)) {
            TSchemaRelation *gone = d->FCurrentRelation;
            SetCurrentRelation(nullptr);
            Guarded([&] { destroyRelation(gone, false); });
        }
        return true;
    default:
        return false;
    }
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
    if (d->FCurrentRelation) {
        focus.rect = d->FCurrentRelation->BoundsRect().adjusted(-2, -2, 2, 2);
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
    auto *focused = qobject_cast<TSchemaItem *>(d->FFocusRingItem.data());
    if (focused && !focused->isHidden() && !d->FDrawingCanvas
        && rect.intersects(TSchemaDesignAreaPrivate::FocusRingRect(focused))) {
        QStyleOptionFocusRect focus;
        focus.initFrom(focused->ItemControl() ? focused->ItemControl() : focused);
        focus.rect = TSchemaDesignAreaPrivate::FocusRingRect(focused);
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
