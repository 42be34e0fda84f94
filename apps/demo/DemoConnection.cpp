#include "DemoConnection.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QUrl>
#include <QUrlQuery>

DemoConnectionSpec ParseDemoDatabase(const QString &Spec)
{
    DemoConnectionSpec spec;
    const qsizetype separator = Spec.indexOf(QLatin1String("://"));
    if (separator < 0) {
        spec.Driver = QStringLiteral("QSQLITE");
        spec.DatabaseName = Spec;
        spec.Title = QFileInfo(Spec).fileName();
        if (!QFileInfo(Spec).isFile())
            spec.Error = QStringLiteral("No database at %1").arg(Spec);
        return spec;
    }
    const QUrl url(Spec, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("postgresql") || scheme == QLatin1String("postgres"))
        spec.Driver = QStringLiteral("QPSQL");
    else if (scheme == QLatin1String("mysql") || scheme == QLatin1String("mariadb"))
        spec.Driver = QStringLiteral("QMYSQL");
    if (!url.isValid() || spec.Driver.isEmpty() || url.host().isEmpty()) {
        spec.Driver.clear();
        spec.Error = QStringLiteral("Not a connection string the demo knows: %1 (use "
                                    "postgresql://, mysql:// or mariadb://user@host/database)")
                         .arg(url.toDisplayString(QUrl::RemovePassword));
        return spec;
    }
    spec.Host = url.host();
    spec.Port = url.port(-1);
    spec.DatabaseName = url.path(QUrl::FullyDecoded).mid(1);
    spec.User = url.userName(QUrl::FullyDecoded);
    spec.Password = url.password(QUrl::FullyDecoded);
    QStringList options;
    const auto items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    for (const auto &[name, value] : items)
        options << name + QLatin1Char('=') + value;
    spec.Options = options.join(QLatin1Char(';'));
    spec.Title = url.toDisplayString(QUrl::RemovePassword);
    if (spec.DatabaseName.isEmpty() || spec.DatabaseName.contains(QLatin1Char('/')))
        spec.Error = QStringLiteral("The connection string names no database: %1").arg(spec.Title);
    return spec;
}

bool OpenDemoDatabase(const DemoConnectionSpec &Spec, QString &Error)
{
    if (!Spec.Error.isEmpty()) {
        Error = Spec.Error;
        return false;
    }
    if (!QSqlDatabase::isDriverAvailable(Spec.Driver)) {
        Error = QStringLiteral("Qt's %1 driver is not installed").arg(Spec.Driver);
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(Spec.Driver);
    db.setDatabaseName(Spec.DatabaseName);
    if (!Spec.Host.isEmpty())
        db.setHostName(Spec.Host);
    if (Spec.Port > 0)
        db.setPort(Spec.Port);
    if (!Spec.User.isEmpty())
        db.setUserName(Spec.User);
    if (!Spec.Password.isEmpty())
        db.setPassword(Spec.Password);
    db.setConnectOptions(Spec.Options);
    if (db.open())
        return true;
    Error = QStringLiteral("Cannot open %1: %2").arg(Spec.Title, db.lastError().text());
    return false;
}
