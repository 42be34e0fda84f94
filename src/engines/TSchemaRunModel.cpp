#include "engines/TSchemaRunModel.h"

namespace Diduza {

TSchemaRunModel::TSchemaRunModel(TSchemaQueryRun *Run, QObject *parent)
    : QAbstractTableModel(parent)
    , FRun(Run)
{
    if (!Run)
        return;
    FColumns = Run->ColumnNames();
    connect(Run, &TSchemaQueryRun::Columns, this, [this](const QStringList &names) {
        beginResetModel();
        FColumns = names;
        endResetModel();
    });
    connect(Run, &TSchemaQueryRun::RowsArrived, this,
        [this](const QVector<TSchemaQueryRun::Row> &rows, bool last) {
            if (last)
                FComplete = true;
            if (rows.isEmpty())
                return;
            const int first = int(FRows.size());
            beginInsertRows(QModelIndex(), first, first + int(rows.size()) - 1);
            FRows += rows;
            endInsertRows();
        });
    connect(Run, &TSchemaQueryRun::Finished, this, [this] { FComplete = true; });
}

int TSchemaRunModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(FRows.size());
}

int TSchemaRunModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(FColumns.size());
}

QVariant TSchemaRunModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)
        || index.row() >= FRows.size())
        return QVariant();
    return FRows.at(index.row()).value(index.column());
}

QVariant TSchemaRunModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return FColumns.value(section);
    return section + 1;
}

bool TSchemaRunModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !FComplete && FRun && !FRun->IsFinished() && !FRun->IsFetching()
        && !FRun->IsExporting();
}

void TSchemaRunModel::fetchMore(const QModelIndex &parent)
{
    if (canFetchMore(parent))
        FRun->FetchMore();
}

} // namespace Diduza
