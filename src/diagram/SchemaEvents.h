#pragma once

// Event types of the components. The first parameter is always the sender; the design area
// passes itself. An event is "set" when the function is not empty.

#include <QString>
#include <Qt>

#include <functional>

class QObject;

namespace Diduza {

class TSchemaItem;
class TSchemaSubItem;
class TSchemaRelation;

/// Something happened to Sender.
using TNotifyEvent = std::function<void(QObject *Sender)>;
/// An item was added to or is removed from Sender.
using TSchemaItemEvent = std::function<void(QObject *Sender, TSchemaItem *item)>;
/// A row was added to an item of Sender.
using TSchemaSubItemEvent = std::function<void(QObject *Sender, TSchemaSubItem *SubItem)>;
/// A relation was added to or is deleted from Sender.
using TSchemaRelationEvent = std::function<void(QObject *Sender, TSchemaRelation *relation)>;
/// An item's close button was pressed; the handler sets AllowClose to let it close.
using TSchemaCloseEvent = std::function<void(QObject *Sender, bool &AllowClose)>;
/// The name an item's table takes in a statement (its alias when IsAlias); ItemIndex is its
/// place among the area's items.
using TGetSchemaItemEvent
    = std::function<QString(QObject *Sender, TSchemaItem *item, int ItemIndex, bool IsAlias)>;
/// The name a row's field takes in a statement.
using TGetSchemaSubItemEvent = std::function<QString(QObject *Sender, TSchemaSubItem *item)>;
/// A key pressed or released: Key is the Qt key code, which a handler may set to 0 to consume it.
using TKeyEvent = std::function<void(QObject *Sender, int &Key, Qt::KeyboardModifiers Shift)>;
/// A character typed: a handler may set Key to a null character to consume it.
using TKeyPressEvent = std::function<void(QObject *Sender, QChar &Key)>;

/// Where a drag stands relative to the control that is told about it.
enum TDragState {
    dsDragEnter, ///< the drag came over the control
    dsDragLeave, ///< the drag left the control
    dsDragMove, ///< the drag moved over the control
};
/// Something dragged from Source is over Sender at (X, Y) in Sender's client coordinates; the
/// handler sets Accept to let it be dropped there.
using TDragOverEvent = std::function<void(
    QObject *Sender, QObject *Source, int X, int Y, TDragState State, bool &Accept)>;
/// Something dragged from Source was dropped on Sender at (X, Y) in Sender's client coordinates.
using TDragDropEvent = std::function<void(QObject *Sender, QObject *Source, int X, int Y)>;

/// Calls event, when it is set, with args through a copy, so that a handler may replace or
/// clear itself while it runs.
template <typename Event, typename... Args> void RaiseEvent(const Event &event, Args &&...args)
{
    if (event) {
        Event copy = event;
        copy(std::forward<Args>(args)...);
    }
}

} // namespace Diduza
