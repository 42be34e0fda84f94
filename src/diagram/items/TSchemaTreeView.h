#pragma once

#include "diduzawidgets_export.h"

#include <QTreeWidget>

#include <memory>

#include "diagram/items/TSchemaListBox.h"

namespace Diduza {

class TSchemaItem;
class TSchemaSubItem;
class TImageList;
class TSchemaTreeViewPrivate;

/// The inner tree of a tree-view item: header hidden, uniform 16-pixel rows. Rows are numbered
/// by absolute node index, a pre-order walk over all nodes, collapsed or not. A right press pops
/// up the item's menu (unless the design area is read-only); vertical scrolling re-routes the
/// item's relations.
class DIDUZAWIDGETS_EXPORT TSchemaTreeView : public QTreeWidget {
    Q_OBJECT
public:
    /// An empty, single-selection tree that drags and takes dropped rows; parent is its item.
    explicit TSchemaTreeView(QWidget *parent = nullptr);
    ~TSchemaTreeView() override;

    /// The item the tree is the inner control of (its parent widget), or nullptr.
    TSchemaItem *Item() const;

    /// The row a node carries (under SchemaRowRoleTree), or nullptr.
    static TSchemaSubItem *RowOf(const QTreeWidgetItem *node);
    /// Makes node carry row (nothing for a null node).
    static void SetRow(QTreeWidgetItem *node, TSchemaSubItem *row);

    /// All nodes in pre-order (their positions are the absolute indexes).
    QList<QTreeWidgetItem *> AllNodes() const;
    /// The number of nodes at all levels.
    int NodeCount() const;
    /// The node at absolute index absoluteIndex, or nullptr outside the tree.
    QTreeWidgetItem *NodeAt(int absoluteIndex) const;
    /// The absolute index of node, or -1 when it is not in the tree.
    int AbsoluteIndexOf(const QTreeWidgetItem *node) const;

    /// The image list node glyphs are taken from (ApplyImageIndex), or nullptr.
    TImageList *Images() const;
    /// Sets the image list of node glyphs; glyphs already shown stay until applied again.
    void SetImages(TImageList *Value);
    /// The image list of state glyphs the item handed over; the tree draws none of them itself.
    TImageList *StateImages() const;
    /// Sets the image list of state glyphs.
    void SetStateImages(TImageList *Value);
    /// Shows the glyph of an image index on a node (none for an index outside the list).
    void ApplyImageIndex(QTreeWidgetItem *node, int imageIndex);

protected:
    /// A right press, after the tree has handled it, pops up the item's menu at the pointer.
    void mousePressEvent(QMouseEvent *event) override;
    /// Starts dragging the selected node's row, to be linked to a row of another item.
    void startDrag(Qt::DropActions supportedActions) override;
    /// Accepts or refuses a row dragged in (a refusal shows in the pointer).
    void dragEnterEvent(QDragEnterEvent *event) override;
    /// Accepts or refuses a row dragged over the node under the pointer.
    void dragMoveEvent(QDragMoveEvent *event) override;
    /// Lets the item link the dragged row to the row under the pointer.
    void dropEvent(QDropEvent *event) override;

private:
    std::unique_ptr<TSchemaTreeViewPrivate> d; ///< The private state.
};

} // namespace Diduza
