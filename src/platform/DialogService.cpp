#include "platform/DialogService.h"

#include "platform/ColorConvert.h"
#include "platform/FontConvert.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>

namespace Diduza {

TDialogService::~TDialogService() = default;

TProgress::~TProgress() = default;

namespace {
// QProgressDialog shows itself once the task has run longer than its minimum duration and
// handles the user's events while it is shown, at each new value.
class ProgressDialog : public TProgress {
public:
    ProgressDialog(QWidget *parent, const QString &text, int maximum)
        : FDialog(new QProgressDialog(text,
            QCoreApplication::translate("Diduza::TDialogService", "Cancel"), 0, maximum, parent))
    {
        FDialog->setWindowModality(Qt::WindowModal);
        FDialog->setMinimumDuration(1000);
        FDialog->setAutoClose(false);
        FDialog->setAutoReset(false);
        FDialog->setValue(0);
    }
    ~ProgressDialog() override { delete FDialog.data(); }
    void SetValue(int Value) override
    {
        // Once shown, the dialog handles the pending events at each new value, which may cost
        // as much as the step itself: it hears of the progress some twenty times a second.
        if (!FDialog || Value == FDialog->value())
            return;
        if (FLastShown.isValid() && !FLastShown.hasExpired(50) && Value < FDialog->maximum())
            return;
        FLastShown.start();
        FDialog->setValue(qMin(Value, FDialog->maximum()));
    }
    bool Cancelled() override { return !FDialog || FDialog->wasCanceled(); }

private:
    QPointer<QProgressDialog> FDialog;
    QElapsedTimer FLastShown;
};
} // namespace

std::unique_ptr<TProgress> TDialogService::BeginProgress(
    QWidget *parent, const QString &text, int maximum)
{
    return std::make_unique<ProgressDialog>(parent, text, qMax(1, maximum));
}

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

TDialogService *SetDialogService(TDialogService *Value)
{
    TDialogService *previous = currentService();
    currentService() = Value ? Value : defaultServiceInstance();
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
