#include "engines/TSchemaCustomDataEngine.h"

namespace Diduza {

TSchemaCustomDataEngine::TSchemaCustomDataEngine(QObject *AOwner)
    : TSchemaDataEngine(AOwner)
{
}

TSchemaCustomDataEngine::~TSchemaCustomDataEngine() = default;

} // namespace Diduza
