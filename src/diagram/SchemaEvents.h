#pragma once

// Event types of the components. The first parameter is always the sender; the design area
// passes itself. An event is "set" when the function is not empty.

#include <QString>

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

// Calls an event through a copy, so that a handler may replace itself.
template <typename Event, typename... Args> void RaiseEvent(const Event &event, Args &&...args)
{
    if (event) {
        Event copy = event;
        copy(std::forward<Args>(args)...);
    }
}

} // namespace Diduza
