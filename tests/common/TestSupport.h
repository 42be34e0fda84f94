#pragma once

// Helpers shared by the widget tests: a dialog service that answers the components' dialogs
// without a modal loop, and a recorder for the application exception handler (both install
// themselves for their lifetime and restore what was there before); the editing actions from
// the bits a _data table carries, and the entries of a menu as the user sees them.

#include "platform/Application.h"
#include "platform/DialogService.h"
#include "platform/SchemaTypes.h"

#include <QAction>
#include <QDialog>
#include <QList>
#include <QMenu>
#include <QStringList>

#include <functional>
#include <memory>

namespace DiduzaTest {

class FakeDialogService : public Diduza::TDialogService {
public:
    FakeDialogService() { m_previous = Diduza::SetDialogService(this); }
    ~FakeDialogService() override { Diduza::SetDialogService(m_previous); }
    FakeDialogService(const FakeDialogService &) = delete;
    FakeDialogService &operator=(const FakeDialogService &) = delete;

    // Font dialog: records the font it was opened with; confirms with fontAnswer when
    // fontConfirms is set.
    bool ExecuteFontDialog(QWidget *, Diduza::TFontValue &font) override
    {
        ++fontCalls;
        fontShown = font;
        if (!fontConfirms)
            return false;
        font = fontAnswer;
        return true;
    }
    bool ExecuteColorDialog(QWidget *, Diduza::TColor &color) override
    {
        ++colorCalls;
        colorShown = color;
        if (!colorConfirms)
            return false;
        color = colorAnswer;
        return true;
    }
    // Open and save dialogs: record the filter and default extension they were opened with;
    // confirm with the file name given, or cancel when it is empty.
    bool ExecuteOpenDialog(
        QWidget *, const QString &filter, const QString &defaultExt, QString &fileName) override
    {
        fileFilter = filter;
        fileDefaultExt = defaultExt;
        fileName = openAnswer;
        return !openAnswer.isEmpty();
    }
    bool ExecuteSaveDialog(
        QWidget *, const QString &filter, const QString &defaultExt, QString &fileName) override
    {
        fileFilter = filter;
        fileDefaultExt = defaultExt;
        fileName = saveAnswer;
        return !saveAnswer.isEmpty();
    }
    void ShowMessage(QWidget *, const QString &text) override { messages << text; }
    void ShowWarning(QWidget *, const QString &text) override { warnings << text; }
    void ShowError(QWidget *, const QString &text) override { errors << text; }
    bool Confirm(QWidget *, const QString &text) override
    {
        questions << text;
        return confirmAnswer;
    }
    // Runs modal: the test decides what the user does and what the result is.
    int ExecuteModal(QDialog &dialog) override
    {
        ++modalCalls;
        return modal ? modal(dialog) : int(QDialog::Rejected);
    }

    // Progress: records the text and the maximum of each task and the last value reached; the
    // user cancels once a task reaches cancelAt (never while it is negative).
    std::unique_ptr<Diduza::TProgress> BeginProgress(
        QWidget *, const QString &text, int maximum) override
    {
        ++progressCalls;
        progressText = text;
        progressMaximum = maximum;
        progressValue = 0;
        return std::make_unique<Progress>(*this);
    }

    int fontCalls = 0;
    Diduza::TFontValue fontShown;
    bool fontConfirms = true;
    Diduza::TFontValue fontAnswer;

    int colorCalls = 0;
    Diduza::TColor colorShown = 0;
    bool colorConfirms = true;
    Diduza::TColor colorAnswer = 0;

    QString openAnswer;
    QString saveAnswer;
    QString fileFilter;
    QString fileDefaultExt;

    int modalCalls = 0;
    std::function<int(QDialog &)> modal;

    QStringList messages;
    QStringList warnings;
    QStringList errors;
    QStringList questions;
    bool confirmAnswer = true;

    int progressCalls = 0;
    QString progressText;
    int progressMaximum = 0;
    int progressValue = 0;
    int cancelAt = -1;

private:
    class Progress : public Diduza::TProgress {
    public:
        explicit Progress(FakeDialogService &service)
            : m_service(service)
        {
        }
        void SetValue(int Value) override { m_service.progressValue = Value; }
        bool Cancelled() override
        {
            return m_service.cancelAt >= 0 && m_service.progressValue >= m_service.cancelAt;
        }

    private:
        FakeDialogService &m_service;
    };
    Diduza::TDialogService *m_previous = nullptr;
};

// Collects the messages handed to the application exception handler.
class ExceptionRecorder {
public:
    ExceptionRecorder()
    {
        m_previous = Diduza::SetExceptionHandler(
            [this](const Diduza::Exception &e) { messages << e.Message(); });
    }
    ~ExceptionRecorder() { Diduza::SetExceptionHandler(m_previous); }
    ExceptionRecorder(const ExceptionRecorder &) = delete;
    ExceptionRecorder &operator=(const ExceptionRecorder &) = delete;

    QStringList messages;

private:
    Diduza::TExceptionHandler m_previous;
};

// The editing actions whose bits (1 << TZkSAction, as TZkSActions::Bits() gives them) are set.
inline Diduza::TZkSActions ActionsFromBits(int bits)
{
    Diduza::TZkSActions actions;
    for (Diduza::TZkSAction a :
        { Diduza::saDeleteItem, Diduza::saDeleteReleation, Diduza::saEditRelation }) {
        if (bits & (1 << a))
            actions.Include(a);
    }
    return actions;
}

// A menu's entries in their order: object names, captions ("-" for a separator) and whether
// each is enabled.
struct MenuEntries {
    QStringList names;
    QStringList captions;
    QList<bool> enabled;
};

inline MenuEntries ListMenu(const QMenu &menu)
{
    MenuEntries entries;
    for (const QAction *a : menu.actions()) {
        entries.names << a->objectName();
        entries.captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
        entries.enabled << a->isEnabled();
    }
    return entries;
}

} // namespace DiduzaTest
