#pragma once

#include "diduzawidgets_export.h"

#include <QListWidget>

namespace Diduza {

class TSchemaItem;
class TSchemaSubItem;

/// The data role under which list entries and tree nodes hold their row.
constexpr int SchemaRowRole = Qt::UserRole + 0x5d1;
/// The data role under which tree nodes hold their row (SchemaRowRole).
constexpr int SchemaRowRoleTree()
{
    return SchemaRowRole;
}

/// The inner list of a list-box item: fixed-height rows painted by the item, scrolling per
/// row. A right press pops up the item's menu (unless the design area is read-only); vertical
/// scrolling re-routes the item's relations. The current row shows a focus frame while the list
/// has the focus.
class DIDUZAWIDGETS_EXPORT TSchemaListBox : public QListWidget {
    Q_OBJECT
public:
    /// An empty, single-selection list that drags and takes dropped rows; parent is its item.
    explicit TSchemaListBox(QWidget *parent = nullptr);
    ~TSchemaListBox() override;

    /// The item the list is the inner control of (its parent widget), or nullptr.
    TSchemaItem *Item() const;

    /// An entry that carries its row itself (read and set through SchemaRowRole as well), so
    /// that a list of thousands of rows stores no data role per entry for it.
    static QListWidgetItem *NewEntry(const QString &text, TSchemaSubItem *row);
    /// The row an entry carries, or nullptr (an entry added directly carries none).
    static TSchemaSubItem *RowOf(const QListWidgetItem *entry);
    /// Makes entry carry row (nothing for a null entry).
    static void SetRow(QListWidgetItem *entry, TSchemaSubItem *row);

    /// Index of the first row shown at the top (0 for an empty list).
    int TopIndex() const;

protected:
    /// A right press, after the list has handled it, pops up the item's menu at the pointer.
    void mousePressEvent(QMouseEvent *event) override;
    /// Reached by the keyboard, the list selects its current row: the row the item's commands
    /// (Ctrl+L, the menu) work on is the one that shows.
    void focusInEvent(QFocusEvent *event) override;
    /// Starts dragging the selected row, to be linked to a row of another item.
    void startDrag(Qt::DropActions supportedActions) override;
    /// Accepts or refuses a row dragged in (a refusal shows in the pointer).
    void dragEnterEvent(QDragEnterEvent *event) override;
    /// Accepts or refuses a row dragged over the entry under the pointer.
    void dragMoveEvent(QDragMoveEvent *event) override;
    /// Lets the item link the dragged row to the row under the pointer.
    void dropEvent(QDropEvent *event) override;
};

} // namespace Diduza
