#include "diagram/TSchemaSubItem.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaItem_p.h"
#include "diagram/TSchemaUndoGroup.h"
#include "diagram/items/TSchemaCheckListBox.h"
#include "diagram/items/TSchemaTreeView.h"
#include "platform/Exceptions.h"

#include <QCoreApplication>

namespace Diduza {

TSchemaSubItem::TSchemaSubItem(QObject *AOwner)
    : QObject(nullptr)
{
    if (AOwner && !qobject_cast<TSchemaItem *>(AOwner))
        throw EInvalidCast();
    FItemOwner = qobject_cast<TSchemaItem *>(AOwner);
    setParent(AOwner);
}

TSchemaSubItem::~TSchemaSubItem() = default;

TSchemaItem *TSchemaSubItem::ItemOwner() const
{
    return FItemOwner;
}

void TSchemaSubItem::SetChecked(bool Value)
{
    if (Value == FChecked)
        return;
    TSchemaItem *owner = FItemOwner;
    if (!Value && owner && TSchemaItemPrivate::get(owner)->keepsTick(this))
        return; // Select All keeps it ticked
    FChecked = Value;
    if (!owner)
        return;
    // The tick and what the handlers change in answer are one step.
    auto *area = qobject_cast<TSchemaDesignArea *>(owner->Parent());
    TSchemaUndoGroup step(area,
        (Value ? QCoreApplication::translate("Diduza::TSchemaSubItem", "Tick %1")
               : QCoreApplication::translate("Diduza::TSchemaSubItem", "Untick %1"))
            .arg(FCaption));
    if (area)
        TSchemaDesignAreaPrivate::get(area)->undo.rowTicked(this, Value);
    if (owner->SchemaControlType() == scCheckListBox) {
        const int index = owner->GetIndexBySubItem(this);
        if (index > -1) {
            if (auto *list = qobject_cast<TSchemaCheckListBox *>(owner->ItemControl()))
                list->SetChecked(index, Value);
        }
    }
    RaiseEvent(owner->OnSubItemCheck(), this);
}

void TSchemaSubItem::SetImageIndex(int Index, int Value)
{
    int *field = nullptr;
    switch (Index) {
    case 0:
        field = &FImageIndex;
        break;
    case 1:
        field = &FSelectedIndex;
        break;
    case 2:
        field = &FOverlayIndex;
        break;
    case 3:
        field = &FStateIndex;
        break;
    default:
        return;
    }
    if (*field == Value)
        return;
    *field = Value;
    TSchemaItem *owner = FItemOwner;
    if (!owner)
        return;
    if (auto *tree = qobject_cast<TSchemaTreeView *>(owner->ItemControl())) {
        const int index = owner->GetIndexBySubItem(this);
        if (QTreeWidgetItem *node = tree->NodeAt(index)) {
            // Qt shows one glyph per node: the image index is the one the tree draws; the
            // others are kept on the node for the application.
            if (Index == 0)
                tree->ApplyImageIndex(node, Value);
            node->setData(0, Qt::UserRole + 0x5d2 + Index, Value);
        }
    }
    owner->update();
    if (owner->ItemControl())
        owner->ItemControl()->update();
}

} // namespace Diduza
