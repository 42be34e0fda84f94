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

using TNotifyEvent = std::function<void(QObject *Sender)>;
using TSchemaItemEvent = std::function<void(QObject *Sender, TSchemaItem *item)>;
using TSchemaSubItemEvent = std::function<void(QObject *Sender, TSchemaSubItem *SubItem)>;
using TSchemaRelationEvent = std::function<void(QObject *Sender, TSchemaRelation *relation)>;
using TSchemaCloseEvent = std::function<void(QObject *Sender, bool &AllowClose)>;
using TGetSchemaItemEvent
    = std::function<QString(QObject *Sender, TSchemaItem *item, int ItemIndex, bool IsAlias)>;
using TGetSchemaSubItemEvent = std::function<QString(QObject *Sender, TSchemaSubItem *item)>;
// A key pressed or released: Key is the Qt key code, which a handler may set to 0 to consume it.
using TKeyEvent = std::function<void(QObject *Sender, int &Key, Qt::KeyboardModifiers Shift)>;
// A character typed: a handler may set Key to a null character to consume it.
using TKeyPressEvent = std::function<void(QObject *Sender, QChar &Key)>;

// Where a drag stands relative to the control that is told about it.
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
// Something dragged from Source is over Sender at (X, Y) in Sender's client coordinates; the
// handler sets Accept to let it be dropped there.
using TDragOverEvent = std::function<void(
    QObject *Sender, QObject *Source, int X, int Y, TDragState State, bool &Accept)>;
// Something dragged from Source was dropped on Sender at (X, Y) in Sender's client coordinates.
using TDragDropEvent = std::function<void(QObject *Sender, QObject *Source, int X, int Y)>;

// Calls an event through a copy, so that a handler may replace itself.
template <typename Event, typename... Args> void RaiseEvent(const Event &event, Args &&...args)
{
    if (event) {
        Event copy = event;
        copy(std::forward<Args>(args)...);
    }
}

} // namespace Diduza
