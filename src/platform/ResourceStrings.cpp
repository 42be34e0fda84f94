#include "platform/ResourceStrings.h"

#include <QCoreApplication>

namespace Diduza {

namespace {
// Indexed by TResString.
const char *const kSource[ResStringCount] = {
    QT_TRANSLATE_NOOP("SchmCnst", "Select All"),
    QT_TRANSLATE_NOOP("SchmCnst", "Unselect All"),
    QT_TRANSLATE_NOOP("SchmCnst", "Delete relations"),
    QT_TRANSLATE_NOOP("SchmCnst", "Delete item"),
    QT_TRANSLATE_NOOP("SchmCnst", "Edit relation..."),
    QT_TRANSLATE_NOOP("SchmCnst", "Delete relation"),
    QT_TRANSLATE_NOOP("SchmCnst", "Change background color..."),
    QT_TRANSLATE_NOOP("SchmCnst", "Change font..."),
    QT_TRANSLATE_NOOP("SchmCnst", "Count"),
    QT_TRANSLATE_NOOP("SchmCnst", "Maximum"),
    QT_TRANSLATE_NOOP("SchmCnst", "Minimum"),
    QT_TRANSLATE_NOOP("SchmCnst", "Summa"),
    QT_TRANSLATE_NOOP("SchmCnst", "Ascending"),
    QT_TRANSLATE_NOOP("SchmCnst", "Descending"),
    QT_TRANSLATE_NOOP("SchmCnst", "OK"),
    QT_TRANSLATE_NOOP("SchmCnst", "Cancel"),
    QT_TRANSLATE_NOOP("SchmCnst", "New SQL"),
    QT_TRANSLATE_NOOP("SchmCnst", "Open SQL from file"),
    QT_TRANSLATE_NOOP("SchmCnst", "Save a current SQl into file"),
    QT_TRANSLATE_NOOP("SchmCnst", "Show grid with columns"),
    QT_TRANSLATE_NOOP("SchmCnst", "Parent must be TScrollBox or its descendant."),
    QT_TRANSLATE_NOOP("SchmCnst", "select the unique records only"),
    QT_TRANSLATE_NOOP("SchmCnst", "You can not apply this aggregative function to *."),
    QT_TRANSLATE_NOOP("SchmCnst", "These items are already linked."),
    QT_TRANSLATE_NOOP("SchmCnst", "Columns"),
    QT_TRANSLATE_NOOP("SchmCnst", "Options"),
    QT_TRANSLATE_NOOP("SchmCnst", "SQL"),
    QT_TRANSLATE_NOOP("SchmCnst", "Results"),
    QT_TRANSLATE_NOOP("SchmCnst", "Field"),
    QT_TRANSLATE_NOOP("SchmCnst", "Table"),
    QT_TRANSLATE_NOOP("SchmCnst", "Calculate"),
    QT_TRANSLATE_NOOP("SchmCnst", "Sort"),
    QT_TRANSLATE_NOOP("SchmCnst", "Where"),
    QT_TRANSLATE_NOOP("SchmCnst", "Grouping"),
    QT_TRANSLATE_NOOP("SchmCnst", "Having"),
    QT_TRANSLATE_NOOP("SchmCnst", "Average"),
    QT_TRANSLATE_NOOP("SchmCnst", "Show list of tables"),
    QT_TRANSLATE_NOOP("SchmCnst", "Generate SQL-statement"),
    QT_TRANSLATE_NOOP("SchmCnst", "Execute SQL and show results"),
    QT_TRANSLATE_NOOP("SchmCnst", "All files (*.*)|*.*"),
    QT_TRANSLATE_NOOP("SchmCnst", "Schema files (*.sch)|*.sch"),
};
} // namespace

QString LoadResString(TResString id)
{
    if (id < 0 || id >= ResStringCount)
        return QString();
    return QCoreApplication::translate("SchmCnst", kSource[id]);
}

const char *ResStringSource(TResString id)
{
    return (id >= 0 && id < ResStringCount) ? kSource[id] : "";
}

} // namespace Diduza
