#include "diagram/SchemaUndoGroup_p.h"

#include "diagram/AreaUndoRecorder_p.h"
#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaDesignArea_p.h"

#include <QChar>

namespace Diduza {

QString StepName(const QString &name)
{
    constexpr int Longest = 80;
    if (name.size() <= Longest)
        return name;
    int cut = Longest;
    if (name.at(cut - 1).isHighSurrogate())
        --cut;
    return name.left(cut) + QChar(0x2026);
}

SchemaUndoGroup::SchemaUndoGroup(TSchemaDesignArea *area, const QString &text)
    : FArea(area)
{
    if (FArea)
        FArea->BeginUndoGroup(text);
}

SchemaUndoGroup::~SchemaUndoGroup()
{
    if (FArea)
        FArea->EndUndoGroup();
}

QUndoCommand *SchemaUndoGroup::Parent() const
{
    return FArea ? FArea->UndoGroupCommand() : nullptr;
}

int ItemPosition(const TSchemaDesignArea *area, const TSchemaItem *item)
{
    return area ? TSchemaDesignAreaPrivate::get(area)->undo.itemPosition(item) : -1;
}

} // namespace Diduza
