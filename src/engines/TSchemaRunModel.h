#pragma once

#include "diduzawidgets_export.h"
#include "engines/TSchemaQueryRun.h"

#include <QAbstractTableModel>
#include <QPointer>

namespace Diduza {

/// The rows of a TSchemaQueryRun as a table model: columns once the statement ran, rows as
/// their pages arrive. A view that scrolls to the end asks for the next page through
/// canFetchMore and fetchMore, as it does with Qt's own SQL models (not while the run exports:
/// its further rows then go to the file only). The model does not own the run.
class DIDUZAWIDGETS_EXPORT TSchemaRunModel : public QAbstractTableModel {
    Q_OBJECT
public:
    /// A model of Run's rows (Run not owned; null gives an empty model). Takes the columns Run
    /// already has; the rows given before the model existed are not in it.
    explicit TSchemaRunModel(TSchemaQueryRun *Run, QObject *parent = nullptr);

    /// The rows that have arrived (0 under a valid parent).
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    /// The result's columns (0 under a valid parent).
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    /// A cell's value for the display and edit roles; an invalid QVariant otherwise.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    /// The column names across, the row numbers (from 1) down; display role only.
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    /// True while the run can give another page: not complete, finished, fetching or exporting.
    bool canFetchMore(const QModelIndex &parent) const override;
    /// Asks the run for its next page when canFetchMore says it can.
    void fetchMore(const QModelIndex &parent) override;

    /// The run the rows come from (null once it is gone).
    TSchemaQueryRun *Run() const { return FRun; }
    /// True once the last page arrived.
    bool IsComplete() const { return FComplete; }
    /// The rows that have arrived, in order (what TSchemaQueryRun::StartExport takes as held).
    const QVector<TSchemaQueryRun::Row> &Rows() const { return FRows; }

private:
    /// See Run.
    QPointer<TSchemaQueryRun> FRun;
    /// The column names.
    QStringList FColumns;
    /// See Rows.
    QVector<TSchemaQueryRun::Row> FRows;
    /// See IsComplete.
    bool FComplete = false;
};

} // namespace Diduza
