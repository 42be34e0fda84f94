#pragma once

#include "diagram/SchemaEvents.h"
#include "diduzawidgets_export.h"
#include "platform/SchemaTypes.h"
#include "platform/TColor.h"
#include "platform/TFontValue.h"
#include "platform/TScrollBox.h"

#include <QIcon>
#include <QVariant>
#include <QWidget>

#include <memory>

class QPainter;
class QMenu;
class QListWidgetItem;

namespace Diduza {

class TScrollBox;
class TSchemaDesignArea;
class TSchemaSubItem;
class TSchemaListBox;
class TSchemaTreeView;
class TSchemaText;
class TSchemaIcon;
class TSchemaItemPrivate;

/// Fixed row pitch of list and check-list items: the owner-drawn row height used by painting,
/// GetRowY and RecalculateHeight alike.
constexpr int SchemaListRowHeight = 16;
/// Row pitch of tree items, used by GetRowY and RecalculateHeight.
constexpr int SchemaTreeRowHeight = 16;

/// Width of one glyph of the check box of the application's style, measured once per
/// application when an item first asks (see CheckBoxGlyphWidth); every list, check-list and
/// tree item is CheckWidth() + 20 pixels wider than its widest row.
DIDUZAWIDGETS_EXPORT int CheckWidth();

/// One node of the diagram: a small window on the design area that stands for a table, a list,
/// a text shape or an icon. It carries exactly one inner control, chosen once by its
/// TSchemaControlType, and a set of rows (TSchemaSubItem).
class DIDUZAWIDGETS_EXPORT TSchemaItem : public QWidget, public TSelfReportingChild {
    Q_OBJECT
public:
    /// A list-box item owned by AOwner (the design area).
    explicit TSchemaItem(QObject *AOwner);
    /// An item with an inner control of ASchemaControlType, owned by AOwner (the design area).
    TSchemaItem(QObject *AOwner, TSchemaControlType ASchemaControlType);
    /// A new item with an inner control of ASchemaControlType.
    static TSchemaItem *CreateTyped(QObject *AOwner, TSchemaControlType ASchemaControlType);
    ~TSchemaItem() override;

    // --- rows ---
    /// Adds a row captioned ItemName (under tree node ParentItem, -1 for the top), ticked when
    /// Checked, and raises the area's OnAddSubItem; nullptr when its handler deleted the row.
    TSchemaSubItem *AddSubItem(const QString &ItemName, int ParentItem, bool Checked);
    /// AddSubItem that attaches AObject to the new row as its Data.
    TSchemaSubItem *AddSubItemObject(
        const QString &ItemName, int ParentItem, bool Checked, const QVariant &AObject);
    /// Deletes the row numbered Index with its relations.
    void DeleteSubItem(int Index);
    /// The first row captioned SubName (ignoring the case of A to Z), or nullptr.
    TSchemaSubItem *GetSubItemByName(const QString &SubName) const;
    /// The row numbered Index, or nullptr.
    TSchemaSubItem *GetSubItem(int Index) const;
    /// The number of rows.
    int GetSubItemCount() const;
    /// The number of row SubItem, or -1.
    int GetIndexBySubItem(const TSchemaSubItem *SubItem) const;
    /// The selected row (-1 when none).
    int GetItemIndex() const;
    /// The caption of the row numbered Index.
    QString GetItemName(int Index) const;
    /// Marks row SubItem as linked (bold) or not.
    void SelectItemBold(TSchemaSubItem *SubItem, bool IsBold);

    /// Places the item at (X, Y), prepares its inner control and shows it. AItemName is unused.
    bool Activate(const QString &AItemName, int X, int Y);

    // --- geometry ---
    /// The anchor height of row FldN, where relations meet it, in the coordinates of the item's
    /// parent (the area's client coordinates).
    int GetRowY(int FldN) const;
    /// Sizes the item to show all its rows.
    void RecalculateHeight();
    /// Sizes the item to its widest row (plus CheckWidth) and its caption.
    void RecalculateWidth();
    /// The height inside the title bar and frame.
    int ClientHeight() const;
    /// Sets ClientHeight.
    void SetClientHeight(int Value);
    /// The width inside the frame.
    int ClientWidth() const;
    /// The client area (inside title bar and frame) in the item's own coordinates.
    QRect ClientRect() const;
    /// The left edge in the area's client coordinates.
    int Left() const { return x(); }
    /// The top edge in the area's client coordinates.
    int Top() const { return y(); }
    /// The width of the item window.
    int Width() const { return width(); }
    /// The height of the item window.
    int Height() const { return height(); }
    /// Sets Left.
    void SetLeft(int Value) { move(Value, y()); }
    /// Sets Top.
    void SetTop(int Value) { move(x(), Value); }
    /// Sets Width.
    void SetWidth(int Value) { resize(qMax(0, Value), height()); }
    /// Sets Height.
    void SetHeight(int Value) { resize(width(), qMax(0, Value)); }
    /// Sets Bounds.
    void SetBounds(int left, int top, int w, int h)
    {
        setGeometry(left, top, qMax(0, w), qMax(0, h));
    }

    // --- parent ---
    /// Places the item on a scroll box (the design area); any other parent raises
    /// "Parent must be TScrollBox or its descendant." and changes nothing.
    void SetParent(QWidget *Value);
    /// The scroll box (design area) the item is placed on, or nullptr.
    TScrollBox *Parent() const;

    // --- properties ---
    /// The caption shown in the title bar; the table name of a query.
    QString GetCaption() const;
    /// Sets Caption.
    void SetCaption(const QString &Value);
    /// The same as GetCaption.
    QString Caption() const { return GetCaption(); }
    /// The name statements give the item where it is not its caption (the query builder's
    /// alias of a table the diagram holds twice); empty by default. The title shows it after
    /// the caption, "customer (customer1)", and join texts name the item by it. Not saved.
    QString Alias() const;
    /// Sets Alias, widening the item where its title no longer fits.
    void SetAlias(const QString &Value);
    /// The text of the title bar: the caption, and the alias when there is one.
    QString TitleText() const;
    /// The background colour of the inner control.
    TColor GetColor() const;
    /// Sets Color.
    void SetColor(TColor Value);
    /// The same as GetColor.
    TColor Color() const { return GetColor(); }
    /// The font of the rows (the icon's caption font for icon items).
    TFontValue GetFont() const;
    /// Sets Font.
    void SetFont(const TFontValue &Value);
    /// The same as GetFont.
    TFontValue Font() const { return GetFont(); }
    /// True when the item has a title bar.
    bool ShowCaption() const;
    /// Sets ShowCaption.
    void SetShowCaption(bool Value);
    /// True when the user may resize the item by its frame.
    bool Sizeable() const;
    /// Sets Sizeable.
    void SetSizeable(bool Value);
    /// True for the thin title bar of a tool window.
    bool ToolWin() const;
    /// Sets ToolWin.
    void SetToolWin(bool Value);
    /// True when the item has a frame.
    bool Border() const;
    /// Sets Border.
    void SetBorder(bool Value);
    /// The picture in the title bar.
    const QIcon &Icon() const;
    /// Sets Icon.
    void SetIcon(const QIcon &Value);
    /// The inner control (list, check list, tree, text or icon).
    QWidget *ItemControl() const;
    /// Sets ItemControl.
    void SetItemControl(QWidget *Value);
    /// The kind of inner control, chosen when the item was made.
    TSchemaControlType SchemaControlType() const;
    /// The design area that owns the item, or nullptr.
    TSchemaDesignArea *Designer() const;
    /// The application's value attached to the item; never freed by the item.
    const QVariant &Data() const;
    /// Sets Data.
    void SetData(const QVariant &Value);
    /// The same as GetRank.
    int Rank() const { return GetRank(); }
    /// How strongly the item is connected: its rows, plus 20 per relation it is the parent of and
    /// 10 per relation it is the child of.
    int GetRank() const;
    /// The item's popup menu (list, check-list and tree items), built on first use from the
    /// entries, which exist from the start; nullptr for text and icon items.
    QMenu *PopMenu() const;

    /// Marks the item with a ring in the highlight colour drawn round it by the area, as the
    /// find bar does with its matches.
    bool Highlighted() const;
    /// Sets or clears the highlight ring.
    void SetHighlighted(bool Value);

    /// The OnSubItemCheck handler, raised with the row as sender when a row is ticked or unticked;
    /// empty when unset.
    TNotifyEvent OnSubItemCheck() const;
    /// Sets the OnSubItemCheck handler.
    void SetOnSubItemCheck(TNotifyEvent Value);
    /// The OnClose handler, raised when an item's close button is pressed; AllowClose decides;
    /// empty when unset.
    TSchemaCloseEvent OnClose() const;
    /// Sets the OnClose handler.
    void SetOnClose(TSchemaCloseEvent Value);

    /// The inner controls by kind (nullptr for the other kinds).
    TSchemaListBox *ListBox() const;
    /// The tree control of a tree item, else nullptr.
    TSchemaTreeView *TreeView() const;
    /// The text control of a text item, else nullptr.
    TSchemaText *TextControl() const;
    /// The icon control of an icon item, else nullptr.
    TSchemaIcon *IconControl() const;

    // --- menu commands (Sender is the clicked entry, whose parent is this item) ---
    /// Ticks every unticked row, in row order; the rows that are ticked already keep their tick
    /// and raise nothing. While it runs, an OnSubItemCheck handler that unticks other rows in
    /// answer to a tick (rows that exclude each other) cannot untick those rows: the row whose
    /// tick asked for it is unticked again instead.
    void _SelectAll(QObject *Sender);
    /// Menu handler: unticks every row.
    void _UnSelectAll(QObject *Sender);
    /// Menu handler: deletes the item's relations.
    void RemoveRelations(QObject *Sender);
    /// Deletes the item's relations and the item. Run from a menu entry or the close button
    /// (a non-null Sender), the item leaves the area at once and is destroyed on the next turn
    /// of the event loop, so the menu or button finishes its own event first. Does nothing for
    /// an item that is being removed or destroyed already (a handler of its own events).
    void RemoveItem(QObject *Sender);
    /// Routes the item's relations again (after a move, resize or scroll).
    void RelationUpdating();

    /// Paints one row of a list or check-list item (the delegate calls it).
    void CustomListDrawItem(
        QWidget *Control, int Index, const QRect &Rect, bool Selected, QPainter &painter);

    /// Dragging a row onto a row: the decisions of the item's inner control as drop target.
    /// Sender is this item's inner control, Source the control the row is dragged from, (X, Y)
    /// the pointer in Sender's viewport coordinates. While it accepts, a line runs from the
    /// dragged row to the pointer, and the row a drop would join is framed.
    void _DragOver(QObject *Sender, QObject *Source, int X, int Y, bool &Accept);
    /// Drops the dragged row at (X, Y): asks the area to join it to the row there; the line
    /// and the frame of the drag go.
    void _DragDrop(QObject *Sender, QObject *Source, int X, int Y);

    /// Used by the inner controls.
    void ShowPopupMenu(const QPoint &globalPos);
    /// Routes the relations after the inner list scrolled.
    void InnerListScrolled();
    /// Mirrors a check-list entry's tick into its row.
    void EntryCheckToggled(QListWidgetItem *entry);

    /// The rectangle of the title bar's close button in item coordinates (empty without a
    /// title bar) and of the title bar itself.
    QRect CloseButtonRect() const;
    /// The rectangle of the title bar in item coordinates (empty without one).
    QRect CaptionRect() const;

protected:
    /// Draws the frame and the title bar.
    void paintEvent(QPaintEvent *event) override;
    /// Tells the design area of a move, resize, show or hide before the item handles it. A
    /// subclass that overrides it calls it (not QWidget::event), or the area's scroll range
    /// and hit tests lose track of the item.
    bool event(QEvent *event) override;
    /// Routes the item's relations after a move.
    void moveEvent(QMoveEvent *event) override;
    /// Lays out the inner control and routes the relations.
    void resizeEvent(QResizeEvent *event) override;
    /// Starts moving or resizing, or presses the close button.
    void mousePressEvent(QMouseEvent *event) override;
    /// Moves or resizes the item while a button is held.
    void mouseMoveEvent(QMouseEvent *event) override;
    /// Ends moving or resizing, or closes the item.
    void mouseReleaseEvent(QMouseEvent *event) override;
    /// Resets the pointer shape.
    void leaveEvent(QEvent *event) override;

    /// The item's own state.
    std::unique_ptr<TSchemaItemPrivate> d;
};

} // namespace Diduza
