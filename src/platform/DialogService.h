#pragma once

// The dialogs the components open (font, colour, open and save, message boxes) go through one
// replaceable service, so that tests and applications can answer them without a modal loop.

#include "diduzawidgets_export.h"
#include "platform/TColor.h"
#include "platform/TFontValue.h"

#include <QString>

#include <memory>

class QDialog;
class QWidget;

namespace Diduza {

/// The progress of a long task that the user may cancel, as TDialogService::BeginProgress shows
/// it; the task is over when the object is destroyed.
class DIDUZAWIDGETS_EXPORT TProgress {
public:
    /// Ends the task: the dialog closes.
    virtual ~TProgress();
    /// Value of the task's steps are done. Lets the dialog show itself and answer the user.
    virtual void SetValue(int Value) = 0;
    /// True once the user asked to cancel.
    virtual bool Cancelled() = 0;
};

/// The dialogs of the components. The default implementation opens the Qt dialogs; derive and
/// install an instance with SetDialogService to answer them another way.
class DIDUZAWIDGETS_EXPORT TDialogService {
public:
    virtual ~TDialogService(); ///< Services are deleted through this base.

    /// Each Execute... returns true when the user confirmed; the in/out value then holds the
    /// choice. A filter is written as "Description|pattern|Description|pattern".
    ///
    /// The font dialog, opened on font; the chosen font keeps font's character set and colour.
    virtual bool ExecuteFontDialog(QWidget *parent, TFontValue &font);
    /// The colour dialog, opened on color.
    virtual bool ExecuteColorDialog(QWidget *parent, TColor &color);
    /// The open file dialog, starting at fileName; a chosen name without an extension gets
    /// defaultExt.
    virtual bool ExecuteOpenDialog(
        QWidget *parent, const QString &filter, const QString &defaultExt, QString &fileName);
    /// The save file dialog, as ExecuteOpenDialog.
    virtual bool ExecuteSaveDialog(
        QWidget *parent, const QString &filter, const QString &defaultExt, QString &fileName);
    /// A simple message box with one OK button and no icon.
    virtual void ShowMessage(QWidget *parent, const QString &text);
    /// A warning box (warning icon, one OK button).
    virtual void ShowWarning(QWidget *parent, const QString &text);
    /// An error box, used by the default application exception handler.
    virtual void ShowError(QWidget *parent, const QString &text);
    /// A question with Yes and No (No the default); true for Yes.
    virtual bool Confirm(QWidget *parent, const QString &text);
    /// Runs one of the components' own modal forms; returns its result (QDialog::Accepted
    /// for OK).
    virtual int ExecuteModal(QDialog &dialog);
    /// Starts showing the progress of a task of Maximum steps: a window-modal dialog with Text,
    /// a bar and Cancel, which appears only once the task has taken longer than a second.
    virtual std::unique_ptr<TProgress> BeginProgress(
        QWidget *parent, const QString &text, int maximum);
};

/// The service in use (the Qt dialogs unless replaced).
DIDUZAWIDGETS_EXPORT TDialogService *DialogService();
/// Replaces the service (not owned); nullptr restores the default one. Returns the previous one.
DIDUZAWIDGETS_EXPORT TDialogService *SetDialogService(TDialogService *Value);

/// "Schema files (*.sch)|*.sch|All files (*.*)|*.*" as a QFileDialog filter.
DIDUZAWIDGETS_EXPORT QString FileFilterToQt(const QString &filter);

} // namespace Diduza
