#pragma once

// The builder form's import: a statement read by ImportSelect rebuilt on the diagram and the
// grid, and the notes of what it could not carry. Not installed.

#include <QString>
#include <QStringList>

class QVariant;

namespace Diduza {

class TfrmZkSQLBuilder;
class TfrmZkSQLBuilderPrivate;
struct ImportedQuery;

class TfrmZkSQLBuilderImport {
public:
    TfrmZkSQLBuilderImport(TfrmZkSQLBuilder *form, TfrmZkSQLBuilderPrivate *dd)
        : q(form)
        , d(dd)
    {
    }
    TfrmZkSQLBuilderImport(const TfrmZkSQLBuilderImport &) = delete;
    TfrmZkSQLBuilderImport &operator=(const TfrmZkSQLBuilderImport &) = delete;

    // --- what the form's methods of the same names do ---
    QStringList ImportQuery(const ImportedQuery &Query);
    void ShowImportNotes(const QStringList &Notes);

    // The name the engine lists for a table the statement names (see ImportQuery), with the
    // object the engine attached to it.
    QString importCaption(const QString &Name, bool Quoted, QVariant *Object) const;

    TfrmZkSQLBuilder *const q;
    TfrmZkSQLBuilderPrivate *const d;

    // What the last import could not carry.
    QStringList FImportNotes;
};

} // namespace Diduza
