#pragma once

// The event-driven data engine that an application places on a form: the application answers
// the engine's events with its own tables, fields and result sets.

#include "engines/TSchemaDataEngine.h"

namespace Diduza {

class DIDUZAWIDGETS_EXPORT TSchemaCustomDataEngine : public TSchemaDataEngine {
    Q_OBJECT

public:
    explicit TSchemaCustomDataEngine(QObject *AOwner = nullptr);
    ~TSchemaCustomDataEngine() override;
};

} // namespace Diduza
