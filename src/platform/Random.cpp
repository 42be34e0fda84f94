#include "platform/Random.h"

#include <QDateTime>
#include <QRandomGenerator>

namespace Diduza {

int RandomInt(int range)
{
    static QRandomGenerator generator(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));
    return range > 0 ? int(generator.bounded(range)) : 0;
}

} // namespace Diduza
