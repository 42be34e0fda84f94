#pragma once

#include "diduzawidgets_export.h"

#include <QDialog>

#include <memory>

class QListWidget;

namespace Diduza {

class TfrmZkLinkToPrivate;
class TSchemaItem;
class TSchemaSubItem;

/// "Link to...": joins a row to a row of another item (or another row of its own item) with the
/// keyboard. The dialog lists the diagram's items and the rows of the one chosen; on OK the
/// relation is made exactly as a drop of the row there makes it (TSchemaItem::_DragDrop), with
/// the same checks, events and "already linked" message.
class DIDUZAWIDGETS_EXPORT TfrmZkLinkTo : public QDialog {
    Q_OBJECT
public:
    /// Source is the item whose selected row is to be linked; the first item listed is chosen.
    TfrmZkLinkTo(TSchemaItem *Source, QWidget *parent = nullptr);
    ~TfrmZkLinkTo() override;

    /// The list of the diagram's items that have rows, Source marked "(this table)".
    QListWidget *lbItems = nullptr;
    /// The list of the rows of the item chosen in lbItems; activating one accepts the dialog.
    QListWidget *lbRows = nullptr;

    /// The item chosen in lbItems, or nullptr.
    TSchemaItem *TargetItem() const;
    /// The row chosen in lbRows, or nullptr.
    TSchemaSubItem *TargetRow() const;

    /// Runs the dialog for the row selected in Source (through the dialog service) and, on OK,
    /// links it; true when a relation was asked for. Nothing happens without a selected row or
    /// on a read-only area.
    static bool LinkSelectedRow(TSchemaItem *Source);

private:
    std::unique_ptr<TfrmZkLinkToPrivate> d; ///< The private state.
};

} // namespace Diduza
