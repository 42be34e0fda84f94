#pragma once

#include "diduzawidgets_export.h"

#include <QListWidget>

namespace Diduza {

class TSchemaItem;
class TSchemaSubItem;

// The data role under which list entries and tree nodes hold their row.
constexpr int SchemaRowRole = Qt::UserRole + 0x5d1;
constexpr int SchemaRowRoleTree()
{
    return SchemaRowRole;
}

// The inner list of a list-box item: fixed-height rows painted by the item, scrolling per
// row. A right press pops up the item's menu (unless the design area is read-only); vertical
// scrolling re-routes the item's relations. The current row shows a focus frame while the list
// has the focus.
class DIDUZAWIDGETS_EXPORT TSchemaListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TSchemaListBox(QWidget *parent = nullptr);
    ~TSchemaListBox() override;

    TSchemaItem *Item() const;

    // An entry that carries its row itself (read and set through SchemaRowRole as well), so
    // that a list of thousands of rows stores no data role per entry for it.
    static QListWidgetItem *NewEntry(const QString &text, TSchemaSubItem *row);
    // The row an entry carries, or nullptr (an entry added directly carries none).
    static TSchemaSubItem *RowOf(const QListWidgetItem *entry);
    static void SetRow(QListWidgetItem *entry, TSchemaSubItem *row);

    // Index of the first row shown at the top.
    int TopIndex() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    // Reached by the keyboard, the list selects its current row: the row the item's commands
    // (Ctrl+L, the menu) work on is the one that shows.
    void focusInEvent(QFocusEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

} // namespace Diduza
