#pragma once

// Keyboard navigation of a design area: the find and link actions, the focus chain through
// its items, the current relation the arrow keys reach, the keys of the area and of its
// items' inner controls, and the focus frame round the item whose rows have the focus. Owned
// by TSchemaDesignAreaPrivate. Not installed.

#include <QAction>
#include <QMetaObject>
#include <QPointer>
#include <QRect>
#include <QVector>
#include <QWidget>

class QKeyEvent;

namespace Diduza {

class TSchemaDesignArea;
class TSchemaFindBar;
class TSchemaItem;
class TSchemaRelation;

class AreaNavigation {
public:
    explicit AreaNavigation(TSchemaDesignArea *area)
        : q(area)
    {
    }

    QAction *findAction();
    TSchemaFindBar *findBar();
    QAction *linkAction();
    QAction *linkActionIfMade() const { return FLinkAction; }
    // The item whose menu is about to open (the link action's source then).
    void setMenuItem(TSchemaItem *item);

    bool keyboardNavigation() const { return FKeyboardNavigation; }
    void setKeyboardNavigation(bool Value);
    TSchemaRelation *currentRelation() const;
    void setCurrentRelation(TSchemaRelation *Value);

    // The keys of keyboard navigation with the focus on the area; true when one was used.
    bool areaKey(QKeyEvent *event);
    // A key pressed in item's inner control that navigation handles (Enter, Delete, the menu
    // key); true when it was handled.
    bool itemKey(TSchemaItem *item, QKeyEvent *event);
    // The item of this area whose inner control has the focus, or null.
    TSchemaItem *focusedItem() const;
    // Puts item's inner control into the focus chain after the area and the items before it.
    void placeInTabOrder(TSchemaItem *item);
    // Scrolls to what a command added: the bounding box of the items, or its top left part.
    void showAdded(const QVector<TSchemaItem *> &added);

    // With navigation, the item whose rows have the focus, framed on the background.
    QWidget *focusRingItem() const { return FFocusRingItem; }
    // Where the focus frame round item is drawn, in client coordinates.
    static QRect focusRingRect(const TSchemaItem *item);
    // The area goes: the focus is no longer followed.
    void stopFocusWatch();

private:
    // The focus moved: the item whose rows have it gets the focus frame round it.
    void focusMoved();

    TSchemaDesignArea *const q;
    QPointer<QAction> FFindAction;
    QPointer<TSchemaFindBar> FFindBar;
    QPointer<QAction> FLinkAction;
    QPointer<TSchemaItem> FMenuItem;
    bool FKeyboardNavigation = false;
    QPointer<TSchemaRelation> FCurrentRelation;
    // The item whose rows have the focus (held as a widget: the focus leaves an item while it
    // is destroyed).
    QPointer<QWidget> FFocusRingItem;
    QMetaObject::Connection FFocusWatch;
};

} // namespace Diduza
