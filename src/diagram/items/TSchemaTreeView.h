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

// The inner tree of a tree-view item: header hidden, uniform 16-pixel rows. Rows are numbered
// by absolute node index, a pre-order walk over all nodes, collapsed or not.
class DIDUZAWIDGETS_EXPORT TSchemaTreeView : public QTreeWidget {
    Q_OBJECT
public:
    explicit TSchemaTreeView(QWidget *parent = nullptr);
    ~TSchemaTreeView() override;

    TSchemaItem *Item() const;

    static TSchemaSubItem *RowOf(const QTreeWidgetItem *node);
    static void SetRow(QTreeWidgetItem *node, TSchemaSubItem *row);

    // All nodes in pre-order (their positions are the absolute indexes).
    QList<QTreeWidgetItem *> AllNodes() const;
    int NodeCount() const;
    QTreeWidgetItem *NodeAt(int absoluteIndex) const;
    int AbsoluteIndexOf(const QTreeWidgetItem *node) const;

    TImageList *Images() const;
    void SetImages(TImageList *images);
    TImageList *StateImages() const;
    void SetStateImages(TImageList *images);
    // Shows the glyph of an image index on a node (none for an index outside the list).
    void ApplyImageIndex(QTreeWidgetItem *node, int imageIndex);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    std::unique_ptr<TSchemaTreeViewPrivate> d;
};

} // namespace Diduza
