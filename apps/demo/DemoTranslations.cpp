#include "DemoTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallDemoTranslations(const QLocale &locale)
{
    // Owned by the application, so they stay installed for its lifetime.
    auto *diduza = new QTranslator(QCoreApplication::instance());
    if (!diduza->load(locale, QStringLiteral("diduza"), QStringLiteral("_"),
            QStringLiteral(":/diduza/translations"))) {
        delete diduza;
        return false;
    }
    QCoreApplication::installTranslator(diduza);
    auto *qt = new QTranslator(QCoreApplication::instance());
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    return true;
}
