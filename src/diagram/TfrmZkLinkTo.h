#pragma once

// "Link to...": joins a row to a row of another item (or another row of its own item) with the
// keyboard. The dialog lists the diagram's items and the rows of the one chosen; on OK the
// relation is made exactly as a drop of the row there makes it (TSchemaItem::_DragDrop), with
// the same checks, events and "already linked" message.

#include "diduzawidgets_export.h"

#include <QDialog>

#include <memory>

class QLabel;
class QListWidget;

namespace Diduza {

class TSchemaDesignArea;
class TfrmZkLinkToPrivate;
class TSchemaItem;
class TSchemaSubItem;

class DIDUZAWIDGETS_EXPORT TfrmZkLinkTo : public QDialog {
    Q_OBJECT
public:
    // Source is the item whose selected row is to be linked.
    TfrmZkLinkTo(TSchemaItem *Source, QWidget *Parent = nullptr);
    ~TfrmZkLinkTo() override;

    QListWidget *lbItems = nullptr;
    QListWidget *lbRows = nullptr;

    TSchemaItem *TargetItem() const;
    TSchemaSubItem *TargetRow() const;

    // Runs the dialog for the row selected in Source (through the dialog service) and, on OK,
    // links it; true when a relation was asked for. Nothing happens without a selected row or
    // on a read-only area.
    static bool LinkSelectedRow(TSchemaItem *Source);

private:
    void fillRows();

    std::unique_ptr<TfrmZkLinkToPrivate> d;
};

} // namespace Diduza
