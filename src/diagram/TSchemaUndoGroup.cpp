#include "diagram/TSchemaUndoGroup.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"

#include <QChar>

namespace Diduza {

TSchemaUndoGroup::TSchemaUndoGroup(TSchemaDesignArea *Area, const QString &Text)
    : FArea(Area)
{
    if (FArea)
        FArea->BeginUndoGroup(Text);
}

TSchemaUndoGroup::~TSchemaUndoGroup()
{
    if (FArea)
        FArea->EndUndoGroup();
}

QUndoCommand *TSchemaUndoGroup::Command() const
{
    return FArea ? FArea->UndoGroupCommand() : nullptr;
}

QString TSchemaUndoGroup::StepName(const QString &Name)
{
    constexpr int Longest = 80;
    if (Name.size() <= Longest)
        return Name;
    int cut = Longest;
    if (Name.at(cut - 1).isHighSurrogate())
        --cut;
    return Name.left(cut) + QChar(0x2026);
}

int TSchemaUndoGroup::ItemPosition(const TSchemaDesignArea *Area, const TSchemaItem *Item)
{
    return Area ? TSchemaDesignAreaPrivate::get(Area)->undo.itemPosition(Item) : -1;
}

} // namespace Diduza
