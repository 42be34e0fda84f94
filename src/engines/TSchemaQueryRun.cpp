#include "engines/TSchemaQueryRun.h"

namespace Diduza {

TSchemaQueryRun::TSchemaQueryRun(QObject *parent)
    : QObject(parent)
{
    static const int registered = [] {
        qRegisterMetaType<Diduza::TSchemaQueryRun::Row>();
        return qRegisterMetaType<QVector<Diduza::TSchemaQueryRun::Row>>();
    }();
    Q_UNUSED(registered);
}

TSchemaQueryRun::~TSchemaQueryRun() = default;

bool TSchemaQueryRun::StartExport(const QString &, const QVector<Row> &)
{
    return false;
}

} // namespace Diduza
