#include "diagram/TfrmZkLinkTo.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/TSchemaListBox.h"
#include "diagram/items/TSchemaTreeView.h"
#include "platform/DialogService.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>

namespace Diduza {

// The link dialog's own state: the item whose row is linked and the prompt naming that row.
class TfrmZkLinkToPrivate {
public:
    TfrmZkLinkToPrivate(TfrmZkLinkTo *owner, TSchemaItem *source)
        : FSource(source)
        , q(owner)
    {
    }

    QPointer<TSchemaItem> FSource;
    QLabel *FPrompt = nullptr;

    void fillRows();

    TfrmZkLinkTo *const q;
};

namespace {
TSchemaSubItem *selectedRow(TSchemaItem *item)
{
    return item ? item->GetSubItem(item->GetItemIndex()) : nullptr;
}
} // namespace

TfrmZkLinkTo::TfrmZkLinkTo(TSchemaItem *Source, QWidget *parent)
    : QDialog(parent)
    , d(std::make_unique<TfrmZkLinkToPrivate>(this, Source))
{
    setObjectName(QStringLiteral("frmZkLinkTo"));
    setWindowTitle(tr("Link to"));
    TSchemaSubItem *row = selectedRow(Source);
    d->FPrompt = new QLabel(
        tr("Link %1.%2 to:").arg(Source->GetCaption(), row ? row->Caption() : QString()), this);
    auto *itemsLabel = new QLabel(tr("&Table:"), this);
    auto *rowsLabel = new QLabel(tr("&Field:"), this);
    lbItems = new QListWidget(this);
    lbItems->setObjectName(QStringLiteral("lbItems"));
    lbRows = new QListWidget(this);
    lbRows->setObjectName(QStringLiteral("lbRows"));
    itemsLabel->setBuddy(lbItems);
    rowsLabel->setBuddy(lbRows);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto *layout = new QGridLayout(this);
    layout->addWidget(d->FPrompt, 0, 0, 1, 2);
    layout->addWidget(itemsLabel, 1, 0);
    layout->addWidget(rowsLabel, 1, 1);
    layout->addWidget(lbItems, 2, 0);
    layout->addWidget(lbRows, 2, 1);
    layout->addWidget(buttons, 3, 0, 1, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    TSchemaDesignArea *area = Source->Designer();
    const int count = area ? area->GetItemCount() : 0;
    for (int i = 0; i < count; ++i) {
        TSchemaItem *item = area->GetItem(i);
        if (item->GetSubItemCount() == 0)
            continue; // nothing to link to
        auto *entry = new QListWidgetItem(item->GetCaption(), lbItems);
        entry->setData(Qt::UserRole, QVariant::fromValue<QObject *>(item));
        if (item == Source)
            entry->setText(tr("%1 (this table)").arg(item->GetCaption()));
    }
    connect(lbItems, &QListWidget::currentRowChanged, this, [this] { d->fillRows(); });
    connect(lbRows, &QListWidget::itemActivated, this, &QDialog::accept);
    lbItems->setCurrentRow(0);
    lbItems->setFocus();
}

void TfrmZkLinkToPrivate::fillRows()
{
    q->lbRows->clear();
    TSchemaItem *item = q->TargetItem();
    const int count = item ? item->GetSubItemCount() : 0;
    for (int r = 0; r < count; ++r) {
        TSchemaSubItem *row = item->GetSubItem(r);
        auto *entry = new QListWidgetItem(row->Caption(), q->lbRows);
        entry->setData(Qt::UserRole, QVariant::fromValue<QObject *>(row));
    }
    q->lbRows->setCurrentRow(0);
}

TfrmZkLinkTo::~TfrmZkLinkTo() = default;

TSchemaItem *TfrmZkLinkTo::TargetItem() const
{
    QListWidgetItem *entry = lbItems->currentItem();
    return entry ? qobject_cast<TSchemaItem *>(entry->data(Qt::UserRole).value<QObject *>())
                 : nullptr;
}

TSchemaSubItem *TfrmZkLinkTo::TargetRow() const
{
    QListWidgetItem *entry = lbRows->currentItem();
    return entry ? qobject_cast<TSchemaSubItem *>(entry->data(Qt::UserRole).value<QObject *>())
                 : nullptr;
}

bool TfrmZkLinkTo::LinkSelectedRow(TSchemaItem *Source)
{
    TSchemaDesignArea *area = Source ? Source->Designer() : nullptr;
    if (!area || area->ReadOnly() || !selectedRow(Source))
        return false;
    TfrmZkLinkTo dialog(Source, area->window());
    if (DialogService()->ExecuteModal(dialog) != QDialog::Accepted)
        return false;
    QPointer<TSchemaItem> target = dialog.TargetItem();
    TSchemaSubItem *row = dialog.TargetRow();
    if (!target || !row || !Source)
        return false;
    // Where the row stands in the target's inner control: a drop there links it.
    const int index = target->GetIndexBySubItem(row);
    QRect place;
    if (TSchemaListBox *list = target->ListBox()) {
        list->scrollToItem(list->item(index));
        place = list->visualItemRect(list->item(index));
    } else if (TSchemaTreeView *tree = target->TreeView()) {
        QTreeWidgetItem *node = tree->NodeAt(index);
        for (QTreeWidgetItem *up = node ? node->parent() : nullptr; up; up = up->parent())
            up->setExpanded(true);
        tree->scrollToItem(node);
        place = tree->visualItemRect(node);
    }
    if (place.isEmpty())
        return false;
    target->_DragDrop(
        target->ItemControl(), Source->ItemControl(), place.center().x(), place.center().y());
    return true;
}

} // namespace Diduza
