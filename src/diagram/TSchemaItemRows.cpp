#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaItem_p.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/items/TSchemaCheckListBox.h"
#include "diagram/items/TSchemaIcon.h"
#include "diagram/items/TSchemaListBox.h"
#include "diagram/items/TSchemaText.h"
#include "diagram/items/TSchemaTreeView.h"
#include "platform/CompareText.h"
#include "relations/TSchemaRelation.h"

#include <QScopeGuard>

namespace Diduza {

namespace {
// Reaches a row's position hint, which only its item reads and writes.
struct RowAccess : TSchemaSubItem {
    static int TSchemaSubItem::*member() { return &RowAccess::FPositionHint; }
};
int &positionHintOf(const TSchemaSubItem *row)
{
    return const_cast<TSchemaSubItem *>(row)->*RowAccess::member();
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Rows

TSchemaSubItem *TSchemaItem::AddSubItem(const QString &ItemName, int ParentItem, bool Checked)
{
    return AddSubItemObject(ItemName, ParentItem, Checked, QVariant());
}

TSchemaSubItem *TSchemaItem::AddSubItemObject(
    const QString &ItemName, int ParentItem, bool Checked, const QVariant &AObject)
{
    if ((d->FSchemaControlType == scText || d->FSchemaControlType == scIcon)
        && GetSubItemCount() > 0)
        return nullptr;

    auto *row = new TSchemaSubItem(this);
    QPointer<TSchemaItem> self(this);
    QPointer<TSchemaSubItem> guard(row);
    row->SetCaption(ItemName);
    row->SetChecked(Checked); // raises OnSubItemCheck for a ticked row
    if (!self || !guard)
        return nullptr; // the handler deleted the row or the item

    if (auto *check = qobject_cast<TSchemaCheckListBox *>(d->FItemControl)) {
        QListWidgetItem *entry = TSchemaListBox::NewEntry(ItemName, row);
        entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
        d->FSettingCheck = true;
        entry->setCheckState(row->Checked() ? Qt::Checked : Qt::Unchecked);
        check->addItem(entry);
        d->FSettingCheck = false;
        row->SetIndex(check->count() - 1);
    } else if (auto *tree = TreeView()) {
        QTreeWidgetItem *parentNode = (ParentItem >= 0 && ParentItem < tree->NodeCount())
            ? tree->NodeAt(ParentItem)
            : nullptr;
        auto *node = parentNode ? new QTreeWidgetItem(parentNode) : new QTreeWidgetItem(tree);
        node->setText(0, ItemName);
        TSchemaTreeView::SetRow(node, row);
        d->applyNodeFont(tree, node);
        tree->ApplyImageIndex(node, row->ImageIndex());
        row->SetIndex(tree->AbsoluteIndexOf(node));
    } else if (auto *text = TextControl()) {
        text->SetData(row);
        row->SetIndex(-1);
    } else if (auto *icon = IconControl()) {
        icon->SetData(row);
        row->SetIndex(-1);
    } else if (auto *list = ListBox()) {
        QListWidgetItem *entry = TSchemaListBox::NewEntry(ItemName, row);
        list->addItem(entry);
        row->SetIndex(list->count() - 1);
    }

    if (AObject.isValid())
        row->SetData(AObject);

    if (TSchemaDesignArea *area = d->FDesigner)
        RaiseEvent(area->OnAddSubItem(), area, row);
    return guard.data(); // null when the handler deleted the row or its item
}

int TSchemaItem::GetSubItemCount() const
{
    if (auto *tree = TreeView())
        return tree->NodeCount();
    if (auto *text = TextControl())
        return text->Data() ? 1 : 0;
    if (auto *icon = IconControl())
        return icon->Data() ? 1 : 0;
    if (auto *list = ListBox())
        return list->count();
    return 0;
}

TSchemaSubItem *TSchemaItem::GetSubItem(int Index) const
{
    if (auto *tree = TreeView())
        return TSchemaTreeView::RowOf(tree->NodeAt(Index));
    if (auto *text = TextControl())
        return text->Data();
    if (auto *icon = IconControl())
        return icon->Data();
    if (auto *list = ListBox()) {
        if (Index < 0 || Index >= list->count())
            return nullptr;
        return TSchemaListBox::RowOf(list->item(Index));
    }
    return nullptr;
}

TSchemaSubItem *TSchemaItem::GetSubItemByName(const QString &SubName) const
{
    const int count = GetSubItemCount();
    if (auto *tree = TreeView()) {
        for (QTreeWidgetItem *node : tree->AllNodes()) {
            TSchemaSubItem *row = TSchemaTreeView::RowOf(node);
            if (row && SameText(row->Caption(), SubName))
                return row;
        }
        return nullptr;
    }
    for (int i = 0; i < count; ++i) {
        TSchemaSubItem *row = GetSubItem(i);
        if (row && SameText(row->Caption(), SubName))
            return row;
    }
    return nullptr;
}

int TSchemaItem::GetIndexBySubItem(const TSchemaSubItem *SubItem) const
{
    if (!SubItem)
        return -1;
    if (auto *tree = TreeView()) {
        const QList<QTreeWidgetItem *> nodes = tree->AllNodes();
        for (int i = 0; i < nodes.size(); ++i) {
            if (TSchemaTreeView::RowOf(nodes[i]) == SubItem)
                return i;
        }
        return -1;
    }
    if (TextControl() || IconControl())
        return GetSubItem(0) == SubItem ? 0 : -1;
    if (auto *list = ListBox()) {
        const int hint = positionHintOf(SubItem);
        if (hint >= 0 && hint < list->count() && TSchemaListBox::RowOf(list->item(hint)) == SubItem)
            return hint;
        for (int i = 0; i < list->count(); ++i) {
            if (TSchemaListBox::RowOf(list->item(i)) == SubItem) {
                positionHintOf(SubItem) = i;
                return i;
            }
        }
    }
    return -1;
}

int TSchemaItem::GetItemIndex() const
{
    if (auto *tree = TreeView()) {
        QTreeWidgetItem *node = tree->currentItem();
        return (node && node->isSelected()) ? tree->AbsoluteIndexOf(node) : -1;
    }
    if (auto *list = ListBox()) {
        QListWidgetItem *entry = list->currentItem();
        return (entry && entry->isSelected()) ? list->row(entry) : -1;
    }
    return -1;
}

QString TSchemaItem::GetItemName(int Index) const
{
    if (auto *tree = TreeView()) {
        QTreeWidgetItem *node = tree->NodeAt(Index);
        return node ? node->text(0) : QString();
    }
    if (auto *text = TextControl())
        return text->Caption();
    if (IconControl())
        return QString();
    if (auto *list = ListBox()) {
        if (Index >= 0 && Index < list->count())
            return list->item(Index)->text();
    }
    return QString();
}

void TSchemaItem::DeleteSubItem(int Index)
{
    if (auto *tree = TreeView()) {
        QTreeWidgetItem *node = tree->NodeAt(Index);
        if (!node)
            return;
        delete TSchemaTreeView::RowOf(node);
        TSchemaTreeView::SetRow(node, nullptr);
        delete node;
        return;
    }
    if (TextControl() || IconControl())
        return;
    if (auto *list = ListBox()) {
        if (Index < 0 || Index >= list->count())
            return;
        QListWidgetItem *entry = list->item(Index);
        delete TSchemaListBox::RowOf(entry);
        TSchemaListBox::SetRow(entry, nullptr);
        delete list->takeItem(Index);
    }
}

void TSchemaItem::SelectItemBold(TSchemaSubItem *SubItem, bool IsBold)
{
    if (!SubItem)
        return;
    SubItem->SetLinked(IsBold);
    if (auto *tree = TreeView()) {
        if (QTreeWidgetItem *node = tree->NodeAt(GetIndexBySubItem(SubItem)))
            d->applyNodeFont(tree, node);
    } else if (auto *list = ListBox()) {
        list->viewport()->update(); // list rows read Linked when they are painted
    }
}

void TSchemaItemPrivate::tickRow(TSchemaSubItem *row, bool checked)
{
    if (auto *check = qobject_cast<TSchemaCheckListBox *>(FItemControl))
        check->SetChecked(q->GetIndexBySubItem(row), checked);
    row->SetChecked(checked); // the last use: its handler may delete the item
}

void TSchemaItemPrivate::setAllChecked(bool checked)
{
    if (FSchemaControlType == scText || FSchemaControlType == scIcon)
        return;
    // The rows are taken first: a handler may add or delete rows, or the item, meanwhile.
    QPointer<TSchemaItem> self(q);
    QList<QPointer<TSchemaSubItem>> rows;
    for (int i = 0; i < q->GetSubItemCount(); ++i)
        rows << q->GetSubItem(i);
    for (const QPointer<TSchemaSubItem> &row : std::as_const(rows)) {
        if (!self)
            return;
        if (row)
            tickRow(row, checked);
    }
}

bool TSchemaItemPrivate::keepsTick(const TSchemaSubItem *row)
{
    if (!FKeptTicks.contains(row))
        return false;
    FKeptTickRefused = true;
    return true;
}

void TSchemaItem::_SelectAll(QObject *)
{
    if (d->FSchemaControlType == scText || d->FSchemaControlType == scIcon)
        return;
    // The rows are taken first: a handler may add or delete rows while the walk runs.
    QList<QPointer<TSchemaSubItem>> rows;
    for (int i = 0; i < GetSubItemCount(); ++i) {
        if (TSchemaSubItem *row = GetSubItem(i)) {
            rows << row;
            if (row->Checked())
                d->FKeptTicks.insert(row);
        }
    }
    QPointer<TSchemaItem> self(this); // a handler may delete the item
    const auto release = qScopeGuard([&] {
        if (self)
            d->FKeptTicks.clear();
    });
    for (const QPointer<TSchemaSubItem> &row : rows) {
        if (!self)
            return;
        if (!row || row->Checked())
            continue;
        d->FKeptTickRefused = false;
        d->tickRow(row, true);
        if (self && d->FKeptTickRefused && row && row->Checked())
            d->tickRow(row, false); // it excludes rows that stay ticked
    }
}

void TSchemaItem::_UnSelectAll(QObject *)
{
    d->setAllChecked(false);
}

void TSchemaItem::EntryCheckToggled(QListWidgetItem *entry)
{
    TSchemaSubItem *row = TSchemaListBox::RowOf(entry);
    if (!row || d->FSettingCheck)
        return;
    const bool shown = entry->checkState() == Qt::Checked;
    if (shown == row->Checked())
        return; // the entry was set to the row's state by code
    row->SetChecked(!row->Checked());
}

} // namespace Diduza
