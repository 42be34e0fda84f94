#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"

#include "diagram/model/RankLayout.h"
#include "diagram/model/RelationRouting.h"
#include "diagram/items/RowDrag_p.h"
#include "diagram/SchemaAccessible_p.h"
#include "diagram/SchemaUndo_p.h"
#include "diagram/TSchemaFindBar.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaItem_p.h"
#include "diagram/TSchemaSubItem.h"
#include "diagram/TZkSRank.h"
#include "diagram/TfrmZkLinkTo.h"
#include "engines/TSchemaDataEngine.h"
#include "platform/Application.h"
#include "platform/ColorConvert.h"
#include "platform/CompareText.h"
#include "platform/DialogService.h"
#include "platform/DrawingSuspension.h"
#include "platform/Exceptions.h"
#include "platform/ResourceStrings.h"
#include "platform/TImageList.h"
#include "relations/TSchemaRelation.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScopeGuard>
#include <QStyleOptionFocusRect>
#include <QUndoStack>

#include <algorithm>

namespace Diduza {

// ---------------------------------------------------------------------------------------------
// Properties

bool TSchemaDesignArea::IsDrawingCanvas() const
{
    return d->FDrawingCanvas;
}

bool TSchemaDesignArea::ReadOnly() const
{
    return d->FReadOnly;
}

void TSchemaDesignArea::SetReadOnly(bool value)
{
    d->FReadOnly = value;
}

bool TSchemaDesignArea::ShowItemToolbar() const
{
    return d->FShowItemToolbar;
}

TZkSActions TSchemaDesignArea::Actions() const
{
    return d->FActions;
}

void TSchemaDesignArea::SetActions(TZkSActions value)
{
    d->FActions = value;
}

TSchemaDesignArea::ActionFlags TSchemaDesignArea::ActionFlagsValue() const
{
    return ActionFlags(int(d->FActions.Bits()));
}

QMenu *TSchemaDesignArea::PopupMenu() const
{
    return d->FPopupMenu;
}

void TSchemaDesignArea::SetPopupMenu(QMenu *menu)
{
    d->FPopupMenu = menu;
}

TSchemaSubItemEvent TSchemaDesignArea::OnAddSubItem() const
{
    return d->FOnAddSubItem;
}

void TSchemaDesignArea::SetOnAddSubItem(TSchemaSubItemEvent h)
{
    d->FOnAddSubItem = std::move(h);
}

TSchemaItemEvent TSchemaDesignArea::OnAddItem() const
{
    return d->FOnAddItem;
}

void TSchemaDesignArea::SetOnAddItem(TSchemaItemEvent h)
{
    d->FOnAddItem = std::move(h);
}

TSchemaItemEvent TSchemaDesignArea::OnDeleteItem() const
{
    return d->FOnDeleteItem;
}

void TSchemaDesignArea::SetOnDeleteItem(TSchemaItemEvent h)
{
    d->FOnDeleteItem = std::move(h);
}

TSchemaRelationEvent TSchemaDesignArea::OnAddRelation() const
{
    return d->FOnAddRelation;
}

void TSchemaDesignArea::SetOnAddRelation(TSchemaRelationEvent h)
{
    d->FOnAddRelation = std::move(h);
}

TSchemaRelationEvent TSchemaDesignArea::OnDeleteRelation() const
{
    return d->FOnDeleteRelation;
}

void TSchemaDesignArea::SetOnDeleteRelation(TSchemaRelationEvent h)
{
    d->FOnDeleteRelation = std::move(h);
}

TSchemaCloseEvent TSchemaDesignArea::OnClose() const
{
    return d->FOnClose;
}

void TSchemaDesignArea::SetOnClose(TSchemaCloseEvent h)
{
    d->FOnClose = std::move(h);
}

TKeyEvent TSchemaDesignArea::OnKeyDown() const
{
    return d->FOnKeyDown;
}

void TSchemaDesignArea::SetOnKeyDown(TKeyEvent h)
{
    d->FOnKeyDown = std::move(h);
}

TKeyPressEvent TSchemaDesignArea::OnKeyPress() const
{
    return d->FOnKeyPress;
}

void TSchemaDesignArea::SetOnKeyPress(TKeyPressEvent h)
{
    d->FOnKeyPress = std::move(h);
}

TKeyEvent TSchemaDesignArea::OnKeyUp() const
{
    return d->FOnKeyUp;
}

void TSchemaDesignArea::SetOnKeyUp(TKeyEvent h)
{
    d->FOnKeyUp = std::move(h);
}

TDragOverEvent TSchemaDesignArea::OnDragOver() const
{
    return d->FOnDragOver;
}

void TSchemaDesignArea::SetOnDragOver(TDragOverEvent h)
{
    d->FOnDragOver = std::move(h);
}

TDragDropEvent TSchemaDesignArea::OnDragDrop() const
{
    return d->FOnDragDrop;
}

void TSchemaDesignArea::SetOnDragDrop(TDragDropEvent h)
{
    d->FOnDragDrop = std::move(h);
}

bool TSchemaDesignArea::IsLocked() const
{
    return d->FIsLocked;
}

bool TSchemaDesignArea::IsScrolling() const
{
    return d->FScrolling;
}

QUndoStack *TSchemaDesignArea::UndoStack() const
{
    return d->FUndoStack;
}

bool TSchemaDesignArea::IsRestoring() const
{
    return d->FRestoring;
}

QAction *TSchemaDesignArea::LinkActionIfMade() const
{
    return d->FLinkAction;
}

bool TSchemaDesignArea::KeyboardNavigation() const
{
    return d->FKeyboardNavigation;
}

QWidget *TSchemaDesignArea::CoolBar() const
{
    return d->FcbItems;
}

QToolBar *TSchemaDesignArea::ToolBar() const
{
    return d->FtbItems;
}

TImageList *TSchemaDesignArea::ToolBarImages() const
{
    return d->FtbImages;
}

QMenu *TSchemaDesignArea::IconMenu() const
{
    return d->pmIconList;
}

bool TSchemaDesignArea::ShowKeys() const
{
    return d->FShowKeys;
}

const TSchemaCatalog &TSchemaDesignArea::Catalog() const
{
    return d->FCatalog;
}

QAction *TSchemaDesignArea::RelatedTablesActionIfMade() const
{
    return d->FRelatedTablesAction;
}

TSchemaDataEngine *TSchemaDesignArea::DataEngine() const
{
    return d->FDataEngine;
}

void TSchemaDesignArea::SetDataEngine(TSchemaDataEngine *Value)
{
    d->FDataEngine = Value;
}

TImageList *TSchemaDesignArea::Images() const
{
    return d->FImages;
}

void TSchemaDesignArea::SetImages(TImageList *Value)
{
    if (d->FImages == Value)
        return;
    d->FImages = Value;
    viewport()->update();
    const QVector<TSchemaItem *> list = items();
    for (TSchemaItem *item : list) {
        if (QWidget *control = item->ItemControl())
            control->update();
    }
}

TImageList *TSchemaDesignArea::StateImages() const
{
    return d->FStateImages;
}

void TSchemaDesignArea::SetStateImages(TImageList *Value)
{
    if (d->FStateImages == Value)
        return;
    d->FStateImages = Value;
    viewport()->update();
}

void TSchemaDesignArea::SetShowItemToolbar(bool Value)
{
    d->FShowItemToolbar = Value;
    if (Value)
        CreateItemToolbar();
    else
        DestroyItemToolbar();
}

} // namespace Diduza
