#pragma once

// An event-driven data engine that carries the settings of a desktop-database connection
// (database name, table-name pattern, whether system tables are shown). It has no database
// access of its own: its operations run through the events, whose handlers receive the engine
// as Sender and read the settings from it.

#include "engines/TSchemaDataEngine.h"

namespace Diduza {

class DIDUZAWIDGETS_EXPORT TSchemaBDEDataEngine : public TSchemaDataEngine {
    Q_OBJECT
    Q_PROPERTY(bool ShowSystemTables READ ShowSystemTables WRITE SetShowSystemTables)
    Q_PROPERTY(QString DatabaseName READ DatabaseName WRITE SetDatabaseName)
    Q_PROPERTY(QString Pattern READ Pattern WRITE SetPattern)

public:
    explicit TSchemaBDEDataEngine(QObject *AOwner = nullptr);
    ~TSchemaBDEDataEngine() override;

    bool ShowSystemTables() const { return FShowSystemTables; }
    void SetShowSystemTables(bool Value) { FShowSystemTables = Value; }
    QString DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const QString &Value) { FDatabaseName = Value; }
    QString Pattern() const { return FPattern; }
    void SetPattern(const QString &Value) { FPattern = Value; }

private:
    bool FShowSystemTables = false;
    QString FDatabaseName;
    QString FPattern;
};

} // namespace Diduza
