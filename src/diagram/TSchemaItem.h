#pragma once

#include "diagram/SchemaEvents.h"
#include "diduzawidgets_export.h"
#include "platform/SchemaTypes.h"
#include "platform/TColor.h"
#include "platform/TFontValue.h"

#include <QIcon>
#include <QPointer>
#include <QSet>
#include <QVariant>
#include <QWidget>

class QMenu;
class QUndoCommand;
class QAction;
class QListWidgetItem;
class QTreeWidgetItem;
class QStyleOptionViewItem;

namespace Diduza {

class TScrollBox;
class TSchemaDesignArea;
class TSchemaSubItem;
class TSchemaListBox;
class TSchemaCheckListBox;
class TSchemaTreeView;
class TSchemaText;
class TSchemaIcon;

// Fixed row pitch of list and check-list items: the owner-drawn row height used by painting,
// GetRowY and RecalculateHeight alike.
constexpr int SchemaListRowHeight = 16;
// Row pitch of tree items, used by GetRowY and RecalculateHeight.
constexpr int SchemaTreeRowHeight = 16;

// Width of one glyph of the platform's standard check box, measured once; every list,
// check-list and tree item is CheckWidth() + 20 pixels wider than its widest row.
DIDUZAWIDGETS_EXPORT int CheckWidth();

// One node of the diagram: a small window on the design area that stands for a table, a list,
// a text shape or an icon. It carries exactly one inner control, chosen once by its
// TSchemaControlType, and a set of rows (TSchemaSubItem).
class DIDUZAWIDGETS_EXPORT TSchemaItem : public QWidget {
    Q_OBJECT
public:
    // A list-box item owned by AOwner (the design area).
    explicit TSchemaItem(QObject *AOwner);
    TSchemaItem(QObject *AOwner, TSchemaControlType ASchemaControlType);
    static TSchemaItem *CreateTyped(QObject *AOwner, TSchemaControlType ASchemaControlType);
    ~TSchemaItem() override;

    // --- rows ---
    TSchemaSubItem *AddSubItem(const QString &ItemName, int ParentItem, bool Checked);
    TSchemaSubItem *AddSubItemObject(
        const QString &ItemName, int ParentItem, bool Checked, const QVariant &AObject);
    void DeleteSubItem(int Index);
    TSchemaSubItem *GetSubItemByName(const QString &SubName) const;
    TSchemaSubItem *GetSubItem(int Index) const;
    int GetSubItemCount() const;
    int GetIndexBySubItem(const TSchemaSubItem *SubItem) const;
    // The selected row (-1 when none).
    int GetItemIndex() const;
    QString GetItemName(int Index) const;
    void SelectItemBold(TSchemaSubItem *SubItem, bool IsBold);

    // Places the item at (X, Y), prepares its inner control and shows it. AItemName is unused.
    bool Activate(const QString &AItemName, int X, int Y);

    // --- geometry ---
    int GetRowY(int FldN) const;
    void RecalculateHeight();
    void RecalculateWidth();
    int ClientHeight() const;
    void SetClientHeight(int height);
    int ClientWidth() const;
    // The client area (inside title bar and frame) in the item's own coordinates.
    QRect ClientRect() const;
    int Left() const { return x(); }
    int Top() const { return y(); }
    int Width() const { return width(); }
    int Height() const { return height(); }
    void SetLeft(int value) { move(value, y()); }
    void SetTop(int value) { move(x(), value); }
    void SetWidth(int value) { resize(qMax(0, value), height()); }
    void SetHeight(int value) { resize(width(), qMax(0, value)); }
    void SetBounds(int left, int top, int w, int h)
    {
        setGeometry(left, top, qMax(0, w), qMax(0, h));
    }

    // --- parent ---
    // Places the item on a scroll box (the design area); any other parent raises
    // "Parent must be TScrollBox or its descendant." and changes nothing.
    void SetParent(QWidget *AParent);
    TScrollBox *Parent() const;

    // --- properties ---
    QString GetCaption() const;
    void SetCaption(const QString &Value);
    QString Caption() const { return GetCaption(); }
    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    TColor Color() const { return GetColor(); }
    TFontValue GetFont() const;
    void SetFont(const TFontValue &Value);
    TFontValue Font() const { return GetFont(); }
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool value);
    bool Sizeable() const { return FSizeable; }
    void SetSizeable(bool value);
    bool ToolWin() const { return FToolWin; }
    void SetToolWin(bool value);
    bool Border() const { return FBorder; }
    void SetBorder(bool value);
    const QIcon &Icon() const { return FIcon; }
    void SetIcon(const QIcon &Value);
    QWidget *ItemControl() const { return FItemControl; }
    void SetItemControl(QWidget *control) { FItemControl = control; }
    TSchemaControlType SchemaControlType() const { return FSchemaControlType; }
    TSchemaDesignArea *Designer() const;
    const QVariant &Data() const { return FData; }
    void SetData(const QVariant &value) { FData = value; }
    int Rank() const { return GetRank(); }
    int GetRank() const;
    QMenu *PopMenu() const { return FPopMenu; }

    // Marks the item with a ring in the highlight colour drawn round it by the area, as the find
    // bar does with its matches.
    bool Highlighted() const { return FHighlighted; }
    void SetHighlighted(bool Value);

    TNotifyEvent OnSubItemCheck() const { return FOnSubItemCheck; }
    void SetOnSubItemCheck(TNotifyEvent handler) { FOnSubItemCheck = std::move(handler); }
    TSchemaCloseEvent OnClose() const { return FOnClose; }
    void SetOnClose(TSchemaCloseEvent handler) { FOnClose = std::move(handler); }

    // The inner controls by kind (nullptr for the other kinds).
    TSchemaListBox *ListBox() const;
    TSchemaTreeView *TreeView() const;
    TSchemaText *TextControl() const;
    TSchemaIcon *IconControl() const;

    // --- menu commands (Sender is the clicked entry, whose parent is this item) ---
    // Ticks every unticked row, in row order; the rows that are ticked already keep their tick
    // and raise nothing. While it runs, an OnSubItemCheck handler that unticks other rows in
    // answer to a tick (rows that exclude each other) cannot untick those rows: the row whose
    // tick asked for it is unticked again instead.
    void _SelectAll(QObject *Sender);
    void _UnSelectAll(QObject *Sender);
    void RemoveRelations(QObject *Sender);
    // Deletes the item's relations and the item. Run from a menu entry or the close button
    // (a non-null Sender), the item leaves the area at once and is destroyed on the next turn
    // of the event loop, so the menu or button finishes its own event first.
    void RemoveItem(QObject *Sender);
    void RelationUpdating();

    // Paints one row of a list or check-list item (the delegate calls it).
    void CustomListDrawItem(
        QWidget *Control, int Index, const QRect &Rect, bool Selected, QPainter &painter);

    // Dragging a row onto a row: the decisions of the item's inner control as drop target.
    // Sender is this item's inner control, Source the control the row is dragged from, (X, Y)
    // the pointer in Sender's viewport coordinates.
    void _DragOver(QObject *Sender, QObject *Source, int X, int Y, bool &Accept);
    void _DragDrop(QObject *Sender, QObject *Source, int X, int Y);

    // Used by the inner controls.
    void ShowPopupMenu(const QPoint &globalPos);
    void InnerListScrolled();
    void EntryCheckToggled(QListWidgetItem *entry);

    // The rectangle of the title bar's close button in item coordinates (empty without a
    // title bar) and of the title bar itself.
    QRect CloseButtonRect() const;
    QRect CaptionRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    bool FHighlighted = false;
    // Records a change of this item on its area's undo stack (nothing when off an area).
    void recordChange(const char *text,
        const std::function<void(QUndoCommand *, TSchemaDesignArea *, int)> &record);
    friend class TSchemaSubItem;

    void construct();
    void setAllChecked(bool checked);
    // Sets a row's check box (in a check-list item) and then its Checked.
    void tickRow(TSchemaSubItem *row, bool checked);
    // True, and the refusal noted, when Select All keeps this row ticked.
    bool keepsTick(const TSchemaSubItem *row);
    int frameWidth() const;
    int captionHeight() const;
    void buildPopupMenu();
    void layoutInnerControl();
    void applyInnerFont();
    // A node shows in the tree's font, bold when its row is linked and at normal weight
    // otherwise.
    static void applyNodeFont(TSchemaTreeView *tree, QTreeWidgetItem *node);
    void applyInnerColor();
    void relationsChanged(bool isDrag);
    TSchemaSubItem *rowOfTreeNode(QTreeWidgetItem *node) const;
    QTreeWidgetItem *treeNodeAt(int absoluteIndex) const;
    int treeNodeCount() const;
    void loadDefaultIcon();

    QPointer<TSchemaDesignArea> FDesigner;
    TSchemaControlType FSchemaControlType = scListBox;
    QWidget *FItemControl = nullptr;
    QIcon FIcon;
    QMenu *FPopMenu = nullptr;
    QVariant FData;
    TNotifyEvent FOnSubItemCheck;
    TSchemaCloseEvent FOnClose;
    bool FSizeable = true;
    bool FToolWin = true;
    bool FBorder = true;
    bool FShowCaption = true;

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

    // Moving and sizing with the mouse.
    enum DragEdge { EdgeLeft = 1, EdgeTop = 2, EdgeRight = 4, EdgeBottom = 8 };
    enum DragMode { DragNone, DragMove, DragResize, DragClose };
    int hitEdges(const QPoint &p) const;
    void updateCursor(const QPoint &p);
    DragMode FDragMode = DragNone;
    int FDragEdges = 0;
    QPoint FPressGlobal;
    QRect FStartGeometry;
    bool FClosePressed = false;
};

} // namespace Diduza
