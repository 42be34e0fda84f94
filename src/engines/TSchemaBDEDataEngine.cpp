#include "engines/TSchemaBDEDataEngine.h"

namespace Diduza {

TSchemaBDEDataEngine::TSchemaBDEDataEngine(QObject *AOwner)
    : TSchemaDataEngine(AOwner)
    , FPattern(QStringLiteral("*.*"))
{
}

TSchemaBDEDataEngine::~TSchemaBDEDataEngine() = default;

} // namespace Diduza
