#pragma once

// The event-driven data engine that an application places on a form: the application answers
// the engine's events with its own tables, fields and result sets.

#include "engines/TSchemaDataEngine.h"

namespace Diduza {

/// The event-driven engine that an application places on a form.
class DIDUZAWIDGETS_EXPORT TSchemaCustomDataEngine : public TSchemaDataEngine {
    Q_OBJECT

public:
    /// An engine owned by AOwner.
    explicit TSchemaCustomDataEngine(QObject *AOwner = nullptr);
    ~TSchemaCustomDataEngine() override; ///< Nothing of its own to free.
};

} // namespace Diduza
