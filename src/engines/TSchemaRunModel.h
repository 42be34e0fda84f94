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
    explicit TSchemaRunModel(TSchemaQueryRun *Run, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    /// The run the rows come from (null once it is gone).
    TSchemaQueryRun *Run() const { return FRun; }
    /// True once the last page arrived.
    bool IsComplete() const { return FComplete; }
    /// The rows that have arrived, in order (what TSchemaQueryRun::StartExport takes as held).
    const QVector<TSchemaQueryRun::Row> &Rows() const { return FRows; }

private:
    QPointer<TSchemaQueryRun> FRun;
    QStringList FColumns;
    QVector<TSchemaQueryRun::Row> FRows;
    bool FComplete = false;
};

} // namespace Diduza
