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

    explicit TSchemaQueryRun(QObject *parent = nullptr);
    ~TSchemaQueryRun() override;

    /// Asks for the next page of rows (nothing while a page is on its way or after the end).
    virtual void FetchMore() = 0;
    /// Ends the statement: the database stops it, Finished follows with Cancelled set.
    virtual void Cancel() = 0;

    /// The column names, once Columns was emitted.
    QStringList ColumnNames() const { return FColumnNames; }
    /// True once Finished was emitted.
    bool IsFinished() const { return FFinished; }
    /// True while a page that FetchMore asked for has not arrived.
    bool IsFetching() const { return FFetching; }

signals:
    /// The statement ran and its result has these columns.
    void Columns(const QStringList &Names);
    /// A page of rows; Last is true when the result (or the row limit) ends with it.
    void RowsArrived(const QVector<Diduza::TSchemaQueryRun::Row> &Rows, bool Last);
    /// The run is over: after its last page, after an error (Error the database's text,
    /// ErrorPosition the UTF-16 index of the statement it points at, or -1), or cancelled.
    void Finished(const QString &Error, int ErrorPosition, bool Cancelled);

protected:
    /// For implementations: record what their signals say before emitting them.
    void setColumnNames(const QStringList &Names) { FColumnNames = Names; }
    void setFinished() { FFinished = true; }
    void setFetching(bool Value) { FFetching = Value; }

private:
    QStringList FColumnNames;
    bool FFinished = false;
    bool FFetching = false;
};

} // namespace Diduza

Q_DECLARE_METATYPE(Diduza::TSchemaQueryRun::Row)
