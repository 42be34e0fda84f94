#pragma once

#include "diduzawidgets_export.h"

#include <QPointer>
#include <QString>

class QUndoCommand;

namespace Diduza {

class TSchemaDesignArea;
class TSchemaItem;

/// Makes the changes to a design area while it lives one undo step, the scoped form of the
/// area's BeginUndoGroup and EndUndoGroup: groups nest, and the outermost pushes its step when
/// it closes, if anything was recorded in it. Commands of the caller's own join the step as
/// children of Command(). An area destroyed while the group lives ends it quietly.
class DIDUZAWIDGETS_EXPORT TSchemaUndoGroup {
public:
    /// Opens a step named Text on Area (nothing for a null Area).
    TSchemaUndoGroup(TSchemaDesignArea *Area, const QString &Text);
    /// Closes the step; the outermost group pushes it.
    ~TSchemaUndoGroup();
    /// A group is not copied: each closes its own step.
    TSchemaUndoGroup(const TSchemaUndoGroup &) = delete;
    /// See the copy constructor.
    TSchemaUndoGroup &operator=(const TSchemaUndoGroup &) = delete;

    /// The step new commands join as children; nullptr while the area records no step (during
    /// an undo or redo, or a load).
    QUndoCommand *Command() const;

    /// Name as it stands in a step's text ("Move %1"): at most 80 characters, cut with an
    /// ellipsis and never inside a surrogate pair, so a huge caption is not copied into every
    /// step.
    static QString StepName(const QString &Name);
    /// Where Item stands among Area's items as the step's records name it, so that a command
    /// finds it again (GetItem) once undo has put it back; an item deleted from its menu and not
    /// yet destroyed is named by where it stood. -1 for none.
    static int ItemPosition(const TSchemaDesignArea *Area, const TSchemaItem *Item);

private:
    QPointer<TSchemaDesignArea> FArea; ///< the area the step is open on, while it lives
};

} // namespace Diduza
