#include "platform/DialogService.h"

#include "platform/ColorConvert.h"
#include "platform/FontConvert.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>

namespace Diduza {

TDialogService::~TDialogService() = default;

bool TDialogService::ExecuteFontDialog(QWidget *parent, TFontValue &font)
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, FontValueToQFont(font), parent);
    if (ok)
        font = QFontToFontValue(chosen, font);
    return ok;
}

bool TDialogService::ExecuteColorDialog(QWidget *parent, TColor &color)
{
    const QColor chosen = QColorDialog::getColor(ColorToQColor(color), parent);
    if (!chosen.isValid())
        return false;
    color = QColorToColor(chosen);
    return true;
}

// The chosen name, with the default extension when it has none; false when nothing was chosen.
static bool acceptFileName(QString name, const QString &defaultExt, QString &fileName)
{
    if (name.isEmpty())
        return false;
    if (!defaultExt.isEmpty() && QFileInfo(name).suffix().isEmpty())
        name += QLatin1Char('.') + defaultExt;
    fileName = name;
    return true;
}

bool TDialogService::ExecuteOpenDialog(
    QWidget *parent, const QString &filter, const QString &defaultExt, QString &fileName)
{
    const QString name
        = QFileDialog::getOpenFileName(parent, QString(), fileName, FileFilterToQt(filter));
    return acceptFileName(name, defaultExt, fileName);
}

bool TDialogService::ExecuteSaveDialog(
    QWidget *parent, const QString &filter, const QString &defaultExt, QString &fileName)
{
    const QString name
        = QFileDialog::getSaveFileName(parent, QString(), fileName, FileFilterToQt(filter));
    return acceptFileName(name, defaultExt, fileName);
}

void TDialogService::ShowMessage(QWidget *parent, const QString &text)
{
    QMessageBox box(
        QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.exec();
}

void TDialogService::ShowWarning(QWidget *parent, const QString &text)
{
    QMessageBox::warning(parent, QCoreApplication::applicationName(), text, QMessageBox::Ok);
}

void TDialogService::ShowError(QWidget *parent, const QString &text)
{
    QMessageBox::critical(parent, QCoreApplication::applicationName(), text, QMessageBox::Ok);
}

bool TDialogService::Confirm(QWidget *parent, const QString &text)
{
    return QMessageBox::question(parent, QCoreApplication::applicationName(), text,
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

int TDialogService::ExecuteModal(QDialog &dialog)
{
    return dialog.exec();
}

namespace {
TDialogService *&currentService()
{
    static TDialogService defaultService;
    static TDialogService *service = &defaultService;
    return service;
}
TDialogService *defaultServiceInstance()
{
    static TDialogService fallback;
    return &fallback;
}
} // namespace

TDialogService *DialogService()
{
    return currentService();
}

TDialogService *SetDialogService(TDialogService *service)
{
    TDialogService *previous = currentService();
    currentService() = service ? service : defaultServiceInstance();
    return previous;
}

QString FileFilterToQt(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString description = parts[i];
        if (!description.contains(QLatin1Char('(')))
            description += QStringLiteral(" (%1)").arg(pattern);
        entries << description;
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace Diduza
