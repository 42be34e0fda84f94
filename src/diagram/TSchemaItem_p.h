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

#include <functional>

class QTreeWidgetItem;

namespace Diduza {

class AreaUndoRecorder;
class TSchemaDesignArea;
class TSchemaSubItem;
class TSchemaTreeView;

class TSchemaItemPrivate {
public:
    explicit TSchemaItemPrivate(TSchemaItem *item)
        : q(item)
    {
    }
    static TSchemaItemPrivate *get(TSchemaItem *item);
    static const TSchemaItemPrivate *get(const TSchemaItem *item);

    // Makes the inner control of FSchemaControlType, its looks and the menu entries.
    void construct();
    // The row of this item a row dragged from Source and dropped at (X, Y) of the inner
    // control's viewport would be joined to; nullptr where a drop joins nothing.
    TSchemaSubItem *dropTarget(QObject *Source, int X, int Y) const;
    void setAllChecked(bool checked);
    // Sets a row's check box (in a check-list item) and then its Checked.
    void tickRow(TSchemaSubItem *row, bool checked);
    // True, and the refusal noted, when Select All keeps this row ticked.
    bool keepsTick(const TSchemaSubItem *row);
    // Records a change of the item on its area's undo stack (nothing when off an area).
    void recordChange(const char *text, const std::function<void(AreaUndoRecorder &)> &record);
    int frameWidth() const;
    int captionHeight() const;
    // Widens the item where its title text does not fit.
    void fitTitle();
    void paintCloseButton(QPainter &painter) const;
    void buildPopupMenu();
    void layoutInnerControl();
    void applyInnerFont();
    // A node shows in the tree's font, bold when its row is linked and at normal weight
    // otherwise.
    static void applyNodeFont(TSchemaTreeView *tree, QTreeWidgetItem *node);
    void applyInnerColor();
    // The colour of the inner list. The file keeps only the item's colour, which setting gives
    // the list too; an item whose colour was never set has a list of the window colour beside
    // its face-coloured frame, and undo brings that back as it was.
    TColor innerColor() const { return FInnerColor; }
    void setInnerColor(TColor color);
    void applyInnerPalette();
    // Routes the item's relations (isDrag: while the item moves).
    void relationsChanged(bool isDrag);
    void loadDefaultIcon();

    // Moving and sizing with the mouse.
    enum DragEdge { EdgeLeft = 1, EdgeTop = 2, EdgeRight = 4, EdgeBottom = 8 };
    enum DragMode { DragNone, DragMove, DragResize, DragClose };
    int hitEdges(const QPoint &p) const;
    void updateCursor(const QPoint &p);

    TSchemaItem *const q;

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
    TSchemaItemPrivate::DragMode FDragMode = TSchemaItemPrivate::DragNone;
    int FDragEdges = 0;
    QPoint FPressGlobal;
    QRect FStartGeometry;
    bool FClosePressed = false;
};

} // namespace Diduza
