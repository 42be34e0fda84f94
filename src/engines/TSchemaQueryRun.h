#pragma once

#include "diduzawidgets_export.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace Diduza {

/// A statement that runs away from the user-interface thread, as a data engine starts it
/// (TSchemaDataEngine::StartSQL). The object itself lives in the thread that started it and
/// emits its signals there; its rows arrive in pages, the first as soon as the database gives
/// them, each further one when FetchMore asks for it. Cancel ends the statement on the
/// database. Deleting the run cancels what is still running.
class DIDUZAWIDGETS_EXPORT TSchemaQueryRun : public QObject {
    Q_OBJECT
public:
    /// One row's values, in column order.
    using Row = QVector<QVariant>;

    /// A run that has not given its columns yet; registers Row for queued signals.
    explicit TSchemaQueryRun(QObject *parent = nullptr);
    /// Implementations cancel what is still running.
    ~TSchemaQueryRun() override;

    /// Asks for the next page of rows (nothing while a page is on its way or after the end).
    virtual void FetchMore() = 0;
    /// Ends the statement: the database stops it, Finished follows with Cancelled set. During
    /// an export it ends the export (and the statement when it still runs).
    virtual void Cancel() = 0;
    /// Starts writing the whole result to FileName as CSV (TCsvWriter), away from the
    /// user-interface thread: the column names, Held (the rows RowsArrived gave so far, as the
    /// caller keeps them), then every row not given yet, which go to the file only (no
    /// RowsArrived for them; the run is finished when the export is). While the statement runs
    /// or a page is on its way, the export begins once its rows arrive (they are given and
    /// written). ExportProgress tells how many rows are written, ExportFinished ends it; Cancel
    /// stops it and leaves FileName as it was. Nothing is written when the statement fails
    /// before giving its columns. False, with nothing started, while an export runs, when no
    /// statement ran, or when the implementation cannot export (this base class).
    virtual bool StartExport(const QString &FileName, const QVector<Row> &Held);

    /// The column names, once Columns was emitted.
    QStringList ColumnNames() const { return FColumnNames; }
    /// True once Finished was emitted.
    bool IsFinished() const { return FFinished; }
    /// True while a page that FetchMore asked for has not arrived.
    bool IsFetching() const { return FFetching; }
    /// True from StartExport until ExportFinished.
    bool IsExporting() const { return FExporting; }

signals:
    /// The statement ran and its result has these columns.
    void Columns(const QStringList &Names);
    /// A page of rows; Last is true when the result (or the row limit) ends with it.
    void RowsArrived(const QVector<Diduza::TSchemaQueryRun::Row> &Rows, bool Last);
    /// The run is over: after its last page, after an error (Error the database's text,
    /// ErrorPosition the UTF-16 index of the statement it points at, or -1), or cancelled.
    void Finished(const QString &Error, int ErrorPosition, bool Cancelled);
    /// Rows of an export written so far, now and then while it runs.
    void ExportProgress(qint64 Rows);
    /// The export is over: written whole (Error empty, Cancelled false; Rows is the count of
    /// rows in the file), failed (Error says why: the database's or the file's message) or
    /// cancelled; FileName is written only in the first case.
    void ExportFinished(const QString &Error, qint64 Rows, bool Cancelled);

protected:
    /// For implementations: record what their signals say before emitting them. Sets
    /// ColumnNames, before Columns.
    void setColumnNames(const QStringList &Value) { FColumnNames = Value; }
    /// Makes IsFinished true, before Finished.
    void SetFinished() { FFinished = true; }
    /// Sets IsFetching: true when FetchMore asks for a page, false when it arrived.
    void setFetching(bool Value) { FFetching = Value; }
    /// Sets IsExporting: true from StartExport, false before ExportFinished.
    void setExporting(bool Value) { FExporting = Value; }

private:
    /// See ColumnNames.
    QStringList FColumnNames;
    /// See IsFinished.
    bool FFinished = false;
    /// See IsFetching.
    bool FFetching = false;
    /// See IsExporting.
    bool FExporting = false;
};

} // namespace Diduza

Q_DECLARE_METATYPE(Diduza::TSchemaQueryRun::Row)
