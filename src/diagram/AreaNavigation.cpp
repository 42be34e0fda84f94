// Keyboard navigation of the design area: find, link, the focus chain through the items, the
// current relation and the keys of the area and of its items.

#include "diagram/AreaNavigation_p.h"

#include "diagram/TSchemaDesignArea_p.h"
#include "diagram/TSchemaFindBar.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaUndoGroup.h"
#include "diagram/TfrmZkLinkTo.h"
#include "diagram/items/TSchemaCheckListBox.h"
#include "platform/Application.h"
#include "relations/TSchemaRelation.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>

namespace Diduza {

QAction *AreaNavigation::findAction()
{
    if (!FFindAction) {
        FFindAction
            = new QAction(QCoreApplication::translate("Diduza::TSchemaDesignArea", "&Find..."), q);
        FFindAction->setObjectName(QStringLiteral("actFind"));
        FFindAction->setShortcut(QKeySequence::Find);
        FFindAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        QObject::connect(
            FFindAction, &QAction::triggered, q, [this] { Guarded([&] { findBar()->Open(); }); });
        q->addAction(FFindAction);
    }
    return FFindAction;
}

TSchemaFindBar *AreaNavigation::findBar()
{
    if (!FFindBar)
        FFindBar = new TSchemaFindBar(q);
    return FFindBar;
}

QAction *AreaNavigation::linkAction()
{
    if (!FLinkAction) {
        FLinkAction = new QAction(
            QCoreApplication::translate("Diduza::TSchemaDesignArea", "&Link to..."), q);
        FLinkAction->setObjectName(QStringLiteral("actLinkTo"));
        FLinkAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
        FLinkAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        QObject::connect(FLinkAction, &QAction::triggered, q, [this] {
            Guarded([&] {
                // The item that has the focus, else the one whose menu was opened.
                TSchemaItem *source = nullptr;
                for (QWidget *w = QApplication::focusWidget(); w && !source; w = w->parentWidget())
                    source = qobject_cast<TSchemaItem *>(w);
                if (!source || source->Designer() != q)
                    source = FMenuItem;
                FMenuItem = nullptr;
                if (source)
                    TfrmZkLinkTo::LinkSelectedRow(source);
            });
        });
        q->addAction(FLinkAction);
    }
    return FLinkAction;
}

void AreaNavigation::setKeyboardNavigation(bool Value)
{
    FKeyboardNavigation = Value;
    q->setFocusPolicy(Value ? Qt::StrongFocus : Qt::NoFocus);
    const int count = q->GetItemCount();
    for (int i = 0; i < count; ++i) {
        TSchemaItem *item = q->GetItem(i);
        QWidget *control = item->ItemControl();
        if (!control)
            continue;
        if (Value) {
            control->setFocusPolicy(Qt::StrongFocus);
            placeInTabOrder(item);
        } else {
            // Back to what an item has without navigation: its rows take a click.
            const TSchemaControlType type = item->SchemaControlType();
            control->setFocusPolicy(
                type == scText || type == scIcon ? Qt::NoFocus : Qt::ClickFocus);
        }
    }
    if (!Value)
        setCurrentRelation(nullptr);
    QObject::disconnect(FFocusWatch);
    if (Value)
        FFocusWatch
            = QObject::connect(qApp, &QApplication::focusChanged, q, [this] { focusMoved(); });
    focusMoved();
    q->viewport()->update();
}

QRect AreaNavigation::focusRingRect(const TSchemaItem *item)
{
    return item->geometry().adjusted(-3, -3, 3, 3);
}

void AreaNavigation::focusMoved()
{
    TSchemaItem *item = FKeyboardNavigation ? focusedItem() : nullptr;
    if (FFocusRingItem.data() == item)
        return;
    if (FFocusRingItem)
        q->viewport()->update(FFocusRingItem->geometry().adjusted(-4, -4, 4, 4));
    FFocusRingItem = item;
    if (item)
        q->viewport()->update(focusRingRect(item).adjusted(-1, -1, 1, 1));
}

TSchemaItem *AreaNavigation::focusedItem() const
{
    for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        if (auto *item = qobject_cast<TSchemaItem *>(w))
            return item->Parent() == q && item->ItemControl() ? item : nullptr;
    }
    return nullptr;
}

void AreaNavigation::placeInTabOrder(TSchemaItem *item)
{
    QWidget *control = item->ItemControl();
    if (!control)
        return;
    // After the nearest item before it that takes Tab, else after the area: items are made
    // after the rest of their window, whose focus chain they would otherwise end.
    const QVector<TSchemaItem *> &items = TSchemaDesignAreaPrivate::get(q)->index.items();
    QWidget *before = q;
    for (int i = TSchemaUndoGroup::ItemPosition(q, item) - 1; i >= 0 && i < items.size(); --i) {
        QWidget *other = items.at(i)->ItemControl();
        if (other && (other->focusPolicy() & Qt::TabFocus)) {
            before = other;
            break;
        }
    }
    QWidget::setTabOrder(before, control);
}

bool AreaNavigation::itemKey(TSchemaItem *item, QKeyEvent *event)
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
        if (q->ReadOnly() || !q->Actions().Contains(saDeleteItem))
            return true;
        // The focus goes on to the next item (the one before after the last), else the area.
        const QVector<TSchemaItem *> &items = TSchemaDesignAreaPrivate::get(q)->index.items();
        const int at = TSchemaUndoGroup::ItemPosition(q, item);
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

void AreaNavigation::showAdded(const QVector<TSchemaItem *> &added)
{
    QRect box;
    for (TSchemaItem *item : added) {
        if (item && item->Parent() == q && !item->isHidden())
            box |= item->geometry();
    }
    if (!box.isEmpty())
        q->EnsureVisible(box);
}

void AreaNavigation::setCurrentRelation(TSchemaRelation *Value)
{
    if (FCurrentRelation == Value)
        return;
    if (FCurrentRelation)
        q->viewport()->update(FCurrentRelation->BoundsRect().adjusted(-3, -3, 3, 3));
    FCurrentRelation = Value;
    if (!Value)
        return;
    q->viewport()->update(Value->BoundsRect().adjusted(-3, -3, 3, 3));
    q->EnsureVisible(Value->BoundsRect());
    if (q->hasFocus() && QAccessible::isActive()) {
        QAccessibleEvent focus(Value, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

bool AreaNavigation::areaKey(QKeyEvent *event)
{
    const int count = q->GetRelationCount();
    const int current = FCurrentRelation ? q->IndexOfControl(FCurrentRelation) : -1;
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
        setCurrentRelation(q->GetRelation(next));
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (FCurrentRelation && !q->ReadOnly())
            Guarded([&] { FCurrentRelation->EditRelation(nullptr); });
        return true;
    case Qt::Key_Menu:
    case Qt::Key_F10:
        if (event->key() == Qt::Key_F10 && !(event->modifiers() & Qt::ShiftModifier))
            return false;
        if (FCurrentRelation) {
            const QPoint middle = FCurrentRelation->BoundsRect().center()
                - FCurrentRelation->BoundsRect().topLeft();
            Guarded([&] { FCurrentRelation->_Click(middle.x(), middle.y()); });
        } else if (q->PopupMenu() && !q->ReadOnly()) {
            q->PopupMenu()->popup(q->viewport()->mapToGlobal(QPoint(8, 8)));
        }
        return true;
    case Qt::Key_Delete:
        if (FCurrentRelation && !q->ReadOnly() && q->Actions().Contains(saDeleteReleation)) {
            TSchemaRelation *gone = FCurrentRelation;
            setCurrentRelation(nullptr);
            Guarded([&] { TSchemaDesignAreaPrivate::get(q)->destroyRelation(gone, false); });
        }
        return true;
    default:
        return false;
    }
}

void AreaNavigation::setMenuItem(TSchemaItem *item)
{
    FMenuItem = item;
}

TSchemaRelation *AreaNavigation::currentRelation() const
{
    return FCurrentRelation;
}

void AreaNavigation::stopFocusWatch()
{
    QObject::disconnect(FFocusWatch);
}

} // namespace Diduza
