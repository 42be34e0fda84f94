#pragma once

#include "diagram/SchemaEvents.h"
#include "diduzawidgets_export.h"
#include "engines/SchemaCatalog.h"
#include "platform/SchemaTypes.h"
#include "platform/TScrollBox.h"

#include <QVariant>
#include <QVector>

#include <exception>
#include <functional>
#include <memory>

class QIODevice;
class QMenu;
class QPainter;
class QToolBar;
class QUndoCommand;
class QUndoStack;

namespace Diduza {

class TImageList;
class TSchemaDataEngine;
class TSchemaFindBar;
class TSchemaItem;
class TSchemaRelation;
class TSchemaSubItem;
class TSchemaDesignAreaPrivate;

/// What a row shows of the keys of its table's catalogue (TSchemaDesignArea::RowKeys).
struct TSchemaRowKeys {
    /// The row's field belongs to the primary key.
    bool PrimaryKey = false;
    /// The row's field is a referencing field of a foreign key.
    bool ForeignKey = false;
};

/// The diagram canvas: a scrolling pane on which items stand as child windows and relations
/// as window-less controls. The area is also the registry of the diagram: its items and
/// relations are the controls of its control list (relations first, then items and other
/// windowed children, each in placement order) of those two classes, and every count, index,
/// lookup and enumeration answers in that order. What is looked up is indexed: the items and the
/// relations in list order (rebuilt when the list has changed), and the relations of each item
/// (kept as relations join and leave the area or change their ends), so that queries and the
/// re-routing of one item's relations do not walk the whole list.
class DIDUZAWIDGETS_EXPORT TSchemaDesignArea : public TScrollBox {
    Q_OBJECT
    // The settings a form designer (Qt Designer, .ui files) may set.
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE setReadOnly)
    Q_PROPERTY(bool ShowItemToolbar READ ShowItemToolbar WRITE setShowItemToolbar)
    Q_PROPERTY(bool KeyboardNavigation READ KeyboardNavigation WRITE setKeyboardNavigation)
    Q_PROPERTY(ActionFlags Actions READ ActionFlagsValue WRITE setActions)
    Q_PROPERTY(bool ShowKeys READ ShowKeys WRITE setShowKeys)
public:
    /// An empty design area; AOwner is its parent widget.
    explicit TSchemaDesignArea(QWidget *AOwner = nullptr);
    ~TSchemaDesignArea() override;

    // --- diagram ---
    /// Creates, places and shows an item captioned ACaption with an inner control of ControlType
    /// and raises OnAddItem. Never raises: when that fails (OnAddItem's handler included) the
    /// item is destroyed, the error goes to the application's exception handler and the result
    /// is nullptr.
    TSchemaItem *AddItem(const QString &ACaption, TSchemaControlType ControlType);
    /// AddItem that attaches AObject to the new item as its Data.
    TSchemaItem *AddItemObject(
        const QString &ACaption, TSchemaControlType ControlType, const QVariant &AObject);
    /// Joins row ssi1 of si1 (parent) to row ssi2 of si2 (child) and raises OnAddRelation;
    /// raises "These items are already linked." for a duplicate, and an error when an end is not
    /// an item on this area (or one being removed). nullptr when OnAddRelation's handler deleted
    /// the relation (or while the area is destroyed).
    TSchemaRelation *AddRelation(
        TSchemaItem *si1, TSchemaItem *si2, TSchemaSubItem *ssi1, TSchemaSubItem *ssi2);
    /// The index of item among the area's items, or -1.
    int GetItemIndex(const TSchemaItem *item) const;
    /// The first item captioned AItemName (ignoring the case of A to Z), or nullptr.
    TSchemaItem *FindItem(const QString &AItemName) const;
    /// True when another relation joins the same rows as Relation, in either direction.
    bool FindRelation(const TSchemaRelation *Relation) const;
    /// True when a relation other than Relation ends at row SubItem of item si.
    bool FindOtherRelation(const TSchemaRelation *Relation, const TSchemaItem *si,
        const TSchemaSubItem *SubItem) const;
    /// The item at Index among the area's items, or nullptr.
    TSchemaItem *GetItem(int Index) const;
    /// The number of items on the area.
    int GetItemCount() const;
    /// The relation at Index among the area's relations, or nullptr.
    TSchemaRelation *GetRelation(int Index) const;
    /// The number of relations on the area.
    int GetRelationCount() const;
    /// The relations of the area whose parent or child item is item, in list order.
    QVector<TSchemaRelation *> RelationsOfItem(const TSchemaItem *item) const;
    /// Menu handler: deletes the relation that owns the clicked entry Sender.
    void DeleteRelation(QObject *Sender);
    /// Deletes the relations of AItem, only those at row SubItem when it is given.
    void DeleteRelationsForItem(TSchemaItem *AItem, TSchemaSubItem *SubItem);
    /// Deletes every relation and item. Handlers may call it from inside any event: an item whose
    /// OnDeleteItem runs is going already and is skipped; what they add meanwhile stays.
    void ClearAll();

    // --- routing ---
    /// Routes Relation again between its rows; IsDrag while an item is being dragged.
    void ReboundRelation(TSchemaRelation *Relation, bool IsDrag);
    /// Routes every relation again.
    void ReboundRelations();
    /// Routes the relations of AItem again.
    void ReboundRelationsForItem(TSchemaItem *AItem, bool IsDrag);

    // --- ranking ---
    /// Ranks the items by GetRank and shows each weight in turn, in ranking order.
    void AutoArrange();
    /// Places the items in columns by rank, ordered within each column so that fewer relations
    /// cross (see RankLayout.h); sizes, the diagram and its order are kept.
    void ArrangeByRank();

    // --- schema file (TSchemaDesignAreaFile.cpp; the format is described in SchemaFile.h) ---
    /// Writes the whole diagram at the stream's position, UTF-8 without byte-order mark;
    /// EStreamError when the stream does not take all of it.
    void SaveToStream(QIODevice &Stream) const;
    /// Saves through QSaveFile: a failed save leaves the previous file as it was and raises
    /// EStreamError carrying the file error.
    void SaveToFile(const QString &FileName) const;
    /// Reads the stream from its position to its end, then replaces the diagram with drawing
    /// suspended. A stream that cannot be read leaves the diagram as it was; a file whose
    /// content fails (EConvertError, ESchemaFileError, "These items are already linked.")
    /// leaves what was built before the failure. Events: OnDeleteItem per old item, then per
    /// item OnAddItem and one OnAddSubItem per row, then OnAddRelation per relation.
    void LoadFromStream(QIODevice &Stream);
    /// LoadFromStream on the file FileName; EStreamError when it cannot be opened.
    void LoadFromFile(const QString &FileName);
    /// Paints the diagram onto the painter in the area's client coordinates: first every visible
    /// relation (its line and markers), then every visible item window with its inner control,
    /// both in control-list order, as the viewport shows them. The background and the tool bar
    /// are not painted.
    void DrawCanvas(QPainter &ACanvas);
    /// True while DrawCanvas paints: the items then show no selection, focus or pressed look.
    bool IsDrawingCanvas() const;
    /// The colour the canvas is painted in: Color, except that white, the area's default, is
    /// the palette's base colour (white in a light palette), so that the canvas follows a dark
    /// palette. Relations in their default black likewise take the palette's text colour.
    QColor CanvasColor() const;

    // --- menu commands (Sender is the clicked entry, owned by an item or a relation) ---
    /// Menu handler: asks for a font for the item that owns the clicked entry.
    void ChangeItemFont(QObject *Sender);
    /// Menu handler: asks for a background colour for the item that owns the clicked entry.
    void ChangeBackground(QObject *Sender);

    // --- properties ---
    /// The data engine of the diagram; a freed engine reads as nullptr.
    TSchemaDataEngine *DataEngine() const;
    /// Sets DataEngine.
    void SetDataEngine(TSchemaDataEngine *Value);
    /// The image list of the rows' pictures, read by items when they are created.
    TImageList *Images() const;
    /// Sets Images.
    void SetImages(TImageList *Value);
    /// The image list of the rows' state pictures, read by items when they are created.
    TImageList *StateImages() const;
    /// Sets StateImages.
    void SetStateImages(TImageList *Value);
    /// True when the user may not delete or edit items and relations; read at each action.
    bool ReadOnly() const;
    /// Sets ReadOnly.
    void SetReadOnly(bool Value);
    /// SetReadOnly under Qt's name, which code that uic generates from a form calls.
    void setReadOnly(bool Value) { SetReadOnly(Value); }
    /// True while the item tool bar is shown.
    bool ShowItemToolbar() const;
    /// Sets ShowItemToolbar.
    void SetShowItemToolbar(bool Value);
    /// SetShowItemToolbar under Qt's name (uic).
    void setShowItemToolbar(bool Value) { SetShowItemToolbar(Value); }
    /// The editing actions the menus of items and relations permit.
    TZkSActions Actions() const;
    /// Sets Actions.
    void SetActions(TZkSActions Value);
    /// Actions as flags, for form designers: one flag per TZkSAction.
    enum ActionFlag {
        DeleteItemAction = 1 << saDeleteItem,
        DeleteRelationAction = 1 << saDeleteReleation,
        EditRelationAction = 1 << saEditRelation,
    };
    Q_DECLARE_FLAGS(ActionFlags, ActionFlag)
    Q_FLAG(ActionFlags)
    /// Actions as flags.
    ActionFlags ActionFlagsValue() const;
    /// Sets Actions from flags (Qt's setter name, which uic calls).
    void setActions(ActionFlags Value)
    {
        TZkSActions actions;
        for (TZkSAction a : { saDeleteItem, saDeleteReleation, saEditRelation }) {
            if (Value.testFlag(ActionFlag(1 << a)))
                actions.Include(a);
        }
        SetActions(actions);
    }
    /// The menu of the bare area, or nullptr.
    QMenu *PopupMenu() const;
    /// Sets PopupMenu.
    void SetPopupMenu(QMenu *Value);

    /// The OnAddSubItem handler, raised after a row is added to an item of the area; empty when
    /// unset.
    TSchemaSubItemEvent OnAddSubItem() const;
    /// Sets the OnAddSubItem handler.
    void SetOnAddSubItem(TSchemaSubItemEvent Value);
    /// The OnAddItem handler, raised after an item is added; empty when unset.
    TSchemaItemEvent OnAddItem() const;
    /// Sets the OnAddItem handler.
    void SetOnAddItem(TSchemaItemEvent Value);
    /// The OnDeleteItem handler, raised when an item is deleted, before it goes; empty when unset.
    TSchemaItemEvent OnDeleteItem() const;
    /// Sets the OnDeleteItem handler.
    void SetOnDeleteItem(TSchemaItemEvent Value);
    /// The OnAddRelation handler, raised after a relation is added; empty when unset.
    TSchemaRelationEvent OnAddRelation() const;
    /// Sets the OnAddRelation handler.
    void SetOnAddRelation(TSchemaRelationEvent Value);
    /// The OnDeleteRelation handler, raised when a relation is deleted, before it goes; empty when
    /// unset.
    TSchemaRelationEvent OnDeleteRelation() const;
    /// Sets the OnDeleteRelation handler.
    void SetOnDeleteRelation(TSchemaRelationEvent Value);
    /// The OnClose handler, raised when an item's close button is pressed; AllowClose decides;
    /// empty when unset.
    TSchemaCloseEvent OnClose() const;
    /// Sets the OnClose handler.
    void SetOnClose(TSchemaCloseEvent Value);
    /// The OnKeyDown handler, raised when a key is pressed on the area; the handler may clear Key;
    /// empty when unset.
    TKeyEvent OnKeyDown() const;
    /// Sets the OnKeyDown handler.
    void SetOnKeyDown(TKeyEvent Value);
    /// The OnKeyPress handler, raised for the character of a pressed key; empty when unset.
    TKeyPressEvent OnKeyPress() const;
    /// Sets the OnKeyPress handler.
    void SetOnKeyPress(TKeyPressEvent Value);
    /// The OnKeyUp handler, raised when a key is released on the area; empty when unset.
    TKeyEvent OnKeyUp() const;
    /// Sets the OnKeyUp handler.
    void SetOnKeyUp(TKeyEvent Value);
    /// Drags that are not rows of the diagram's items (a table dragged in from a list, say):
    /// over the bare area Sender is the area; over an item, Sender is the item and (X, Y) are
    /// in the item's coordinates. Unset, nothing can be dropped.
    TDragOverEvent OnDragOver() const;
    /// Sets the OnDragOver handler.
    void SetOnDragOver(TDragOverEvent Value);
    /// The OnDragDrop handler, raised when such a drag is dropped; empty when unset.
    TDragDropEvent OnDragDrop() const;
    /// Sets the OnDragDrop handler.
    void SetOnDragDrop(TDragDropEvent Value);

    /// The drop decisions, as plain calls: DragOver asks OnDragOver (Accept is false when it is
    /// unset), DragDrop raises OnDragDrop. A row of an item of this area dragged over the bare
    /// area (Sender is the area) draws its line from the row to the pointer.
    void DragOver(QObject *Sender, QObject *Source, int X, int Y, TDragState State, bool &Accept);
    /// Raises OnDragDrop for a drop at (X, Y).
    void DragDrop(QObject *Sender, QObject *Source, int X, int Y);

    /// Drawing suspension (one window in the process at a time); no nesting count.
    void BeginUpdate();
    /// Resumes drawing suspended by BeginUpdate.
    void EndUpdate();
    /// True while drawing is suspended by BeginUpdate.
    bool IsLocked() const;

    /// True while the area moves its children for a scroll (items then leave the re-routing to
    /// the area, which re-routes every relation once).
    bool IsScrolling() const;

    // --- undo ---
    /// The changes made to the diagram (items added, removed, moved, resized, renamed, their
    /// colours and fonts, ticks, relations added, deleted and edited) as steps of a QUndoStack
    /// that the area owns. Loading a file and ClearAll clear it. Undo and redo raise the same
    /// events as the changes made by hand; OnAddItem handlers should not add rows while
    /// IsRestoring is true: the area restores them.
    ///
    /// Moves and resizes are recorded only when the user drags an item by its title bar, body
    /// or frame: code that moves or resizes an item (move, resize, setGeometry, SetLeft, SetTop,
    /// SetWidth, SetHeight, SetBounds, RecalculateHeight, RecalculateWidth, ArrangeByRank, the
    /// scrolling of the area) makes no step and joins none. A step that undoes a later drag
    /// puts the item back where that drag started, wherever code has moved it since. Code that
    /// places an item right after adding it (as the tool bar and the query builder do) needs no
    /// step of its own: an added item is captured as it stands when its addition is undone, so
    /// a redo brings it back at its place.
    QUndoStack *UndoStack() const;
    /// The stack's undo action with its standard shortcut (while the focus is in the area),
    /// made and added to the area on first use.
    QAction *UndoAction();
    /// The stack's redo action, as UndoAction, with Ctrl+Y and Ctrl+Shift+Z beside the
    /// platform's redo keys.
    QAction *RedoAction();
    /// True while an undo or redo changes the diagram.
    bool IsRestoring() const;
    /// Makes the changes recorded until the matching EndUndoGroup one step named Text (groups
    /// nest; the outermost names the step). Components record into the open step only.
    void BeginUndoGroup(const QString &Text);
    /// Closes the group BeginUndoGroup opened; the outermost pushes its step if it holds any.
    void EndUndoGroup();
    /// The open step, when the area records now (null otherwise).
    QUndoCommand *UndoGroupCommand() const;
    /// Deletes a relation as its menu does, at once.
    void RemoveRelation(TSchemaRelation *Relation);

    // --- find ---
    /// The find action (Ctrl+F while the focus is in the area), made and added to the area on
    /// first use: an application that wants find puts it in its menus, or just asks for it.
    QAction *FindAction();
    /// The find bar, made on first use.
    TSchemaFindBar *FindBar();

    // --- keyboard ---
    /// "Link to..." (Ctrl+L while the focus is in the area), made and added on first use: links
    /// the row selected in the item that has the focus, or the item whose menu was opened last,
    /// through TfrmZkLinkTo. Once made, it also stands in every item's menu.
    QAction *LinkAction();
    /// The link action when it has been made, else null.
    QAction *LinkActionIfMade() const;
    /// Keyboard reach of the whole diagram (off): Tab takes the focus from the area to its items
    /// in placement order and on past the last one; in an item the arrow keys move through the
    /// rows, Space and Enter tick a check-list row, Delete deletes the item, the menu key (or
    /// Shift+F10) opens its menu and Ctrl+L (LinkAction, once made) links the row. With the
    /// focus on the area itself, the arrow keys step through the relations, Enter opens the
    /// current relation's properties, the menu key its menu (without a current relation the
    /// area's PopupMenu), Delete deletes it. Whatever has the focus shows a focus frame.
    bool KeyboardNavigation() const;
    /// Turns keyboard reach on or off.
    void SetKeyboardNavigation(bool Value);
    /// SetKeyboardNavigation under Qt's name (uic).
    void setKeyboardNavigation(bool Value) { SetKeyboardNavigation(Value); }
    /// The relation the arrow keys reached (null when none); drawn with a focus frame.
    TSchemaRelation *CurrentRelation() const;
    /// Makes Value the current relation and scrolls it into view.
    void SetCurrentRelation(TSchemaRelation *Value);

    // --- item tool bar (nullptr while hidden) ---
    /// The band that holds the item tool bar.
    QWidget *CoolBar() const;
    /// The item tool bar.
    QToolBar *ToolBar() const;
    /// The glyphs of the tool bar's buttons.
    TImageList *ToolBarImages() const;
    /// The menu of icon pictures behind the tool bar's icon button.
    QMenu *IconMenu() const;
    /// Click handlers of the tool bar: Sender's "Tag" property names the control type (a
    /// button) or the icon type (an icon-menu entry).
    void AddNewItem(QObject *Sender);
    /// Click handler: adds an icon item of the icon type in Sender's "Tag".
    void AddNewIcon(QObject *Sender);

    // --- database diagrams (TSchemaDesignAreaDatabase.cpp) ---
    /// Rows that show keys (off). On, each row of a list or check-list item whose caption names
    /// a table of Catalog shows a key glyph when its field belongs to the primary key and a link
    /// glyph when it references another table, in a column before the text that such items are
    /// widened by, and a tool tip with the field's type, nullability and what it references.
    /// Off, rows are painted and measured exactly as without a catalogue.
    bool ShowKeys() const;
    /// Turns the key glyphs on or off; items measure themselves anew at their next
    /// RecalculateWidth.
    void SetShowKeys(bool Value);
    /// SetShowKeys under Qt's name (uic).
    void setShowKeys(bool Value) { SetShowKeys(Value); }
    /// What the area knows of the database's tables: what AddDatabaseTables read, what the query
    /// builder read for the tables dropped on it, what the application sets. Items find their
    /// table in it by caption, rows their field by caption.
    const TSchemaCatalog &Catalog() const;
    /// Replaces Catalog.
    void SetCatalog(const TSchemaCatalog &Value);
    /// Adds Tables to Catalog (a known table of the same name is replaced).
    void MergeCatalog(const QVector<TSchemaTableInfo> &Tables);
    /// What Row shows: its field's place in the primary and foreign keys of its item's table in
    /// Catalog; nothing while ShowKeys is off.
    TSchemaRowKeys RowKeys(const TSchemaSubItem *Row) const;
    /// The tool tip of Row while ShowKeys is on (TSchemaCatalog::FieldDescription); empty
    /// otherwise.
    QString RowToolTip(const TSchemaSubItem *Row) const;

    /// Adds the tables DataEngine lists (all of them, or those named in Tables, matched as
    /// captions are, in that order) as items of ControlType, each with a row per field, a
    /// relation for every field pair of every foreign key between tables on the area (the
    /// referenced table's row is the parent, the referencing one the child; a table that
    /// references itself is linked to itself), and arranges them by rank: the whole diagram when
    /// the area was empty, else the new items to the right of the others. Tables already on the
    /// area (an item of the same caption) are not added again but are linked to. The catalogue
    /// is read in one request (DataEngine's FillTableInfo, merged into Catalog). One undo step;
    /// OnAddItem, OnAddSubItem and OnAddRelation are raised as usual, and an item whose
    /// OnAddItem handler gave it rows keeps them instead. The dialog service's progress shows
    /// a Cancel button when it takes longer than a second; a cancel takes back everything the
    /// call added, leaving the diagram and the undo stack as they were, and returns nothing.
    /// Returns the items added. Errors of the engine reach the caller, with nothing added.
    QVector<TSchemaItem *> AddDatabaseTables(
        const QStringList &Tables = QStringList(), TSchemaControlType ControlType = scListBox);
    /// AddDatabaseTables for the tables reachable from Item's table along foreign keys (either
    /// way, however far), as list items of Item's own control type.
    QVector<TSchemaItem *> AddRelatedTables(TSchemaItem *Item);
    /// "Add related tables" (made on first use, and from then on in every item's menu): runs
    /// AddRelatedTables for the item whose menu was opened, or else the item that has the
    /// focus, and scrolls the area so that what it added shows (the first added items, when
    /// they do not all fit).
    QAction *RelatedTablesAction();
    /// The related-tables action when it has been made, else null.
    QAction *RelatedTablesActionIfMade() const;
    /// "Add all tables" (made on first use, and from then on in every item's menu): runs
    /// AddDatabaseTables for every table of DataEngine, as items of ControlType (the type of
    /// the latest call), and scrolls to what it added, as RelatedTablesAction does. An
    /// application puts it in the area's PopupMenu or its own menus too.
    QAction *AllTablesAction(TSchemaControlType ControlType = scListBox);
    /// The all-tables action when it has been made, else null.
    QAction *AllTablesActionIfMade() const;
    /// Relations by the keys of Catalog between Item and every other item on the area: one per
    /// field pair of each foreign key of Item's table to another item's table, and of the other
    /// table to Item's, the referenced row the parent. With another item of its own table Item
    /// is joined once per key pair, Item the parent (the item there already references the new
    /// one); Item is linked to itself only when SelfLinks. Nothing is drawn where a relation
    /// between those two rows exists. Returns the relations added.
    QVector<TSchemaRelation *> LinkByKeys(TSchemaItem *Item, bool SelfLinks = false);

protected:
    /// Keeps the item and relation indexes in step with the control list.
    void GraphicControlInserted(TGraphicControl *control) override;
    /// As GraphicControlInserted.
    void GraphicControlRemoved(TGraphicControl *control) override;
    /// Numbers the relations' placements anew in list order.
    void GraphicControlsReordered() override;
    /// Moves the children and the relations by the scrolled distance.
    void scrollContentsBy(int dx, int dy) override;
    /// Paints the background and the rings round highlighted items.
    void PaintBackground(QPainter &painter, const QRect &rect) override;
    /// Paints the relations and the focus frame of the current relation (of the whole canvas
    /// while the area has the focus and no relation is current).
    void paintEvent(QPaintEvent *event) override;
    /// Keeps the item tool bar across the top.
    void resizeEvent(QResizeEvent *event) override;
    /// Pops up PopupMenu over the bare area.
    void contextMenuEvent(QContextMenuEvent *event) override;
    /// Raises OnKeyDown and OnKeyPress.
    void keyPressEvent(QKeyEvent *event) override;
    /// Raises OnKeyUp.
    void keyReleaseEvent(QKeyEvent *event) override;
    /// Shows the focus frame.
    void focusInEvent(QFocusEvent *event) override;
    /// Takes the focus frame away.
    void focusOutEvent(QFocusEvent *event) override;
    /// Accepts a drag that OnDragOver accepts.
    void dragEnterEvent(QDragEnterEvent *event) override;
    /// Asks OnDragOver while a drag moves over the area.
    void dragMoveEvent(QDragMoveEvent *event) override;
    /// Tells OnDragOver that the drag left.
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    /// Raises OnDragDrop for an accepted drop.
    void dropEvent(QDropEvent *event) override;

    /// The area's own state and collaborators (TSchemaDesignArea_p.h), reached by the area's
    /// internal classes through TSchemaDesignAreaPrivate::get.
    std::unique_ptr<TSchemaDesignAreaPrivate> d;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TSchemaDesignArea::ActionFlags)

} // namespace Diduza
