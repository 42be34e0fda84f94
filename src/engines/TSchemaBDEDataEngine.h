#pragma once

// An event-driven data engine that carries the settings of a desktop-database connection
// (database name, table-name pattern, whether system tables are shown). It has no database
// access of its own: its operations run through the events, whose handlers receive the engine
// as Sender and read the settings from it.

#include "engines/TSchemaDataEngine.h"

namespace Diduza {

/// An event-driven engine with the settings of a desktop-database connection.
class DIDUZAWIDGETS_EXPORT TSchemaBDEDataEngine : public TSchemaDataEngine {
    Q_OBJECT
    Q_PROPERTY(bool ShowSystemTables READ ShowSystemTables WRITE SetShowSystemTables)
    Q_PROPERTY(QString DatabaseName READ DatabaseName WRITE SetDatabaseName)
    Q_PROPERTY(QString Pattern READ Pattern WRITE SetPattern)

public:
    /// An engine owned by AOwner, with the pattern "*.*".
    explicit TSchemaBDEDataEngine(QObject *AOwner = nullptr);
    ~TSchemaBDEDataEngine() override; ///< Nothing of its own to free.

    /// True when the table list should hold the system tables too.
    bool ShowSystemTables() const { return FShowSystemTables; }
    /// Sets ShowSystemTables.
    void SetShowSystemTables(bool Value) { FShowSystemTables = Value; }
    /// The name of the database the handlers open.
    QString DatabaseName() const { return FDatabaseName; }
    /// Sets DatabaseName.
    void SetDatabaseName(const QString &Value) { FDatabaseName = Value; }
    /// The pattern of the table names to list.
    QString Pattern() const { return FPattern; }
    /// Sets Pattern.
    void SetPattern(const QString &Value) { FPattern = Value; }

private:
    bool FShowSystemTables = false; ///< See ShowSystemTables.
    QString FDatabaseName; ///< See DatabaseName.
    QString FPattern; ///< See Pattern.
};

} // namespace Diduza
