#pragma once

// An undo step of a design area, opened for the changes made while it lives, and how its
// records name what they change. Not installed.

#include <QPointer>
#include <QString>

class QUndoCommand;

namespace Diduza {

class TSchemaDesignArea;
class TSchemaItem;

// A name as it stands in a step's text ("Move %1"): at most a line's worth of it, so that a
// huge caption is not copied into every step.
QString StepName(const QString &name);

// Opens a step for the changes made while it lives (nested ones join the outermost); the step
// is pushed when the outermost closes, if anything was recorded in it.
class SchemaUndoGroup {
public:
    SchemaUndoGroup(TSchemaDesignArea *area, const QString &text);
    ~SchemaUndoGroup();
    SchemaUndoGroup(const SchemaUndoGroup &) = delete;
    SchemaUndoGroup &operator=(const SchemaUndoGroup &) = delete;
    // The step new commands join; null when the area does not record now.
    QUndoCommand *Parent() const;

private:
    QPointer<TSchemaDesignArea> FArea;
};

// Where item stands among the area's items, as the records of a step name it (an item deleted
// from its menu and not yet destroyed: where it stood); -1 for none.
int ItemPosition(const TSchemaDesignArea *area, const TSchemaItem *item);

} // namespace Diduza
