// The design area's item tool bar, kept by its AreaToolbar.

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"

#include "diagram/AreaToolbar_p.h"

namespace Diduza {

bool TSchemaDesignArea::ShowItemToolbar() const
{
    return d->toolbar.shown();
}

void TSchemaDesignArea::SetShowItemToolbar(bool Value)
{
    d->toolbar.setShown(Value);
}

QWidget *TSchemaDesignArea::CoolBar() const
{
    return d->toolbar.coolBar();
}

QToolBar *TSchemaDesignArea::ToolBar() const
{
    return d->toolbar.toolBar();
}

TImageList *TSchemaDesignArea::ToolBarImages() const
{
    return d->toolbar.images();
}

QMenu *TSchemaDesignArea::IconMenu() const
{
    return d->toolbar.iconMenu();
}

void TSchemaDesignArea::AddNewItem(QObject *Sender)
{
    d->toolbar.addNewItem(Sender);
}

void TSchemaDesignArea::AddNewIcon(QObject *Sender)
{
    d->toolbar.addNewIcon(Sender);
}

void TSchemaDesignArea::resizeEvent(QResizeEvent *event)
{
    TScrollBox::resizeEvent(event);
    d->toolbar.fitWidth();
}

} // namespace Diduza
