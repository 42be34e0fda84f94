#pragma once

// An item's own state: its area, inner control, menu, looks, tick and drag state. Not
// installed.

#include "diagram/TSchemaItem.h"

#include <QAction>
#include <QFont>
#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <QRect>
#include <QSet>
#include <QVariant>
#include <QVector>

namespace Diduza {

class TSchemaDesignArea;
class TSchemaSubItem;

class TSchemaItemPrivate {
public:
    static TSchemaItemPrivate *get(TSchemaItem *item) { return item->d.get(); }
    static const TSchemaItemPrivate *get(const TSchemaItem *item) { return item->d.get(); }

    bool FHighlighted = false;
    // Set while the item is being removed (RemoveItem) and while it is destroyed: a handler
    // that removes it again then does nothing, and nothing new is linked to it.
    bool FRemoving = false;
    bool FDestroying = false;
    QPointer<TSchemaDesignArea> FDesigner;
    TSchemaControlType FSchemaControlType = scListBox;
    QWidget *FItemControl = nullptr;
    QIcon FIcon;
    mutable QMenu *FPopMenu = nullptr;
    QVector<QAction *> FMenuEntries; // in menu order, nullptr for a separator
    QVariant FData;
    TNotifyEvent FOnSubItemCheck;
    TSchemaCloseEvent FOnClose;
    bool FSizeable = true;
    bool FToolWin = true;
    bool FBorder = true;
    bool FShowCaption = true;
    QString FAlias; // the statements' name of the item, shown after its caption
    TColor FColor = clBtnFace;
    TFontValue FFont; // the item's own font
    TFontValue FInnerFont; // the inner control's font (list, check list, tree, text)
    TColor FInnerColor = clWindow;
    QFont FCaptionFont; // measures and paints the caption (bold 8 points after Activate)
    bool FSettingCheck = false;
    // While Select All runs: the rows ticked when it began, and whether an untick of one of
    // them was refused since the last tick.
    QSet<const TSchemaSubItem *> FKeptTicks;
    bool FKeptTickRefused = false;
    TSchemaItem::DragMode FDragMode = TSchemaItem::DragNone;
    int FDragEdges = 0;
    QPoint FPressGlobal;
    QRect FStartGeometry;
    bool FClosePressed = false;
};

} // namespace Diduza
